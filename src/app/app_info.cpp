#include "app/app_info.h"

#include <QApplication>
#include <QIcon>

#include "controls/tray_pictures.h"

namespace sky::app {
void InitApplicationInfo() {
  QApplication::setApplicationName(kTitle);
  // No display name: on X11 it would be appended to every window title
  // (after a dash: "Skyglass - Austin, TX -- Skyglass").
  QApplication::setOrganizationName(kTitle);
  // Every window without an icon of its own shows the program's.
  QApplication::setWindowIcon(QIcon(ui::MakeAppPicture()));
}
}  // namespace sky::app
