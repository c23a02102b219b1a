#include "controls/app_icon.h"

#include <QString>

#include "common/version.h"

namespace sky::ui {

QIcon AppIcon() {
  static const QIcon icon = [] {
    QIcon i;
    // Each size is drawn for its own pixel grid; Qt picks the nearest.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
      i.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(size).arg(QString::fromLatin1(kAppId)),
                QSize(size, size));
    return i;
  }();
  return icon;
}

}  // namespace sky::ui
