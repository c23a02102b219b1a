// The program's icon (a crescent moon behind a cloud), the same picture the
// desktop shows in its menus: for every window, the tray at start and the
// about box. Compiled in from packaging/icons, so it needs no installed files.
#pragma once

#include <QIcon>

namespace sky::ui {

QIcon AppIcon();

}  // namespace sky::ui
