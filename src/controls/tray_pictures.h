// The thirteen 16 x 16 sky pictures of the tray icon, drawn at start-up.
#pragma once

#include <QList>
#include <QPixmap>

namespace sky::ui {

inline constexpr int kTrayPictureCount = 13;

// Index as the parser's sky-icon number: 0 sun, cloud and rain; 1 haze;
// 2 thunderstorm; 3 overcast; 4 partly cloudy; 5 drizzle; 6 cloud with dark
// drops; 7 network device; 8 sun behind a cloud; 9 rain; 10 snow; 11 sun;
// 12 cloud at night.
QList<QPixmap> MakeTrayPictures();

// A tray picture with the warning mark: a red triangle with a white "!" in
// its lower right corner, over whatever the sky picture shows.
QPixmap WithWarningMark(const QPixmap& picture);

}  // namespace sky::ui
