#include "app/app_info.h"

#include <QApplication>

namespace sky::app {
void InitApplicationInfo() {
  QApplication::setApplicationName(kTitle);
  // No display name: on X11 it would be appended to every window title
  // (after a dash: "Skyglass - Austin, TX -- Skyglass").
  QApplication::setOrganizationName(kTitle);
}
}  // namespace sky::app
