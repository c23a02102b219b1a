#include "controls/app_icon.h"

#include <QImage>
#include <QPixmap>

#include "data/icon/app_icon_pixels.h"

namespace sky::ui {

QIcon AppIcon() {
  static const QIcon icon = [] {
    QIcon i;
    // Each size is drawn for its own pixel grid; Qt picks the nearest. The
    // pixmaps share the compiled-in pixels: nothing is decoded or copied, and
    // keeping their straight-alpha format spares xcb a conversion per size
    // when it hands every size to the window manager.
    for (const data::IconPicture& p : data::AppIconPictures()) {
      const QImage image(reinterpret_cast<const uchar*>(p.argb), p.size, p.size, QImage::Format_ARGB32);
      i.addPixmap(QPixmap::fromImage(image, Qt::NoFormatConversion));
    }
    return i;
  }();
  return icon;
}

}  // namespace sky::ui
