// The program's icon is compiled in as plain pixels: every size of the icon
// theme must be there and show exactly what its PNG holds.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <QIcon>
#include <QImage>

#include "common/offscreen_app.h"
#include "common/version.h"
#include "controls/app_icon.h"

TEST(AppIcon, EverySizeOfTheThemeShowsItsPngPixelForPixel) {
  skytest::App();
  const QIcon icon = sky::ui::AppIcon();
  const QDir theme(QStringLiteral(SKYGLASS_SOURCE_DIR "/packaging/icons/hicolor"));
  QList<QSize> pngSizes;
  for (const QString& dir : theme.entryList({QStringLiteral("*x*")}, QDir::Dirs)) {
    const QImage png = QImage(theme.filePath(dir + "/apps/" + QString::fromLatin1(sky::kAppId) + ".png"), "png")
                           .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(png.isNull()) << dir.toStdString();
    pngSizes << png.size();
    const QImage shown = icon.pixmap(png.size()).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown, png) << dir.toStdString();  // byte order, rows and alpha as drawn
  }
  EXPECT_EQ(pngSizes.size(), 8);
  QList<QSize> available = icon.availableSizes();
  auto byWidth = [](QSize a, QSize b) { return a.width() < b.width(); };
  std::sort(available.begin(), available.end(), byWidth);
  std::sort(pngSizes.begin(), pngSizes.end(), byWidth);
  EXPECT_EQ(available, pngSizes);
}
