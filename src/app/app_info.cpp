#include "app/app_info.h"

#include <QApplication>

namespace sky::app {
void InitApplicationInfo() {
  QApplication::setApplicationName(kTitle);
  QApplication::setApplicationDisplayName(kTitle);
  QApplication::setOrganizationName(kTitle);
}
}  // namespace sky::app
