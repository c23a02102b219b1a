// The program's dialog font: the classic 8-point sans-serif of the windows,
// falling back to metric-alike sans-serif faces where it is not installed.
#pragma once

#include <QFont>
#include <QStringList>

namespace sky::ui {

inline QFont SansFont(int pixels, bool bold = false) {
  QFont f;
  f.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial", "Nimbus Sans", "Helvetica"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace sky::ui
