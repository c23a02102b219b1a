// The thirteen 16 x 16 sky pictures of the tray icon, each drawn the first
// time it is asked for (a place's sky needs one or two of them).
#pragma once

#include <QPixmap>
#include <array>

namespace sky::ui {

inline constexpr int kTrayPictureCount = 13;

// Index as the parser's sky-icon number: 0 sun, cloud and rain; 1 haze;
// 2 thunderstorm; 3 overcast; 4 partly cloudy; 5 drizzle; 6 cloud with dark
// drops; 7 network device; 8 sun behind a cloud; 9 rain; 10 snow; 11 sun;
// 12 cloud at night.
class TrayPictures {
 public:
  int size() const { return kTrayPictureCount; }
  // Drawn on first use and kept; a null pixmap outside 0..12.
  const QPixmap& operator[](int index) const;
  QPixmap value(int index) const { return (*this)[index]; }
  // How many are drawn so far.
  int Drawn() const;

  class Iterator {
   public:
    Iterator(const TrayPictures* list, int index) : list_(list), index_(index) {}
    const QPixmap& operator*() const { return (*list_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    const TrayPictures* list_;
    int index_;
  };
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, kTrayPictureCount}; }

 private:
  mutable std::array<QPixmap, kTrayPictureCount> drawn_;
};

// A tray picture with the warning mark: a red triangle with a white "!" in
// its lower right corner, over whatever the sky picture shows.
QPixmap WithWarningMark(const QPixmap& picture);

}  // namespace sky::ui
