// moon-tables: writes the program's tables of the moon's illuminated fraction.
//
//   moon-tables [--first YEAR] [--last YEAR] [-o FILE]
//   moon-tables --fraction YYYY-MM-DD     (the unrounded value, for checking)
//
// Each year is a line with the year, then 32 rows of 52 characters: a day label
// and the twelve monthly values of that day, rounded half up to hundredths.
// Days a month lacks hold "9.99" before 2000 and "0.00" from 2000 on (the layout
// the older tables had); the 32nd row is the end row "9999" of "9.99" values.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "conditions/ephemeris.h"

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::string Cell(double k) {
  long hundredths = std::lround(std::floor(100.0 * k + 0.5));
  if (hundredths < 0) hundredths = 0;
  if (hundredths > 100) hundredths = 100;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d.%02d", static_cast<int>(hundredths / 100), static_cast<int>(hundredths % 100));
  return buf;
}

std::string YearTable(int year) {
  const char* filler = year < 2000 ? "9.99" : "0.00";
  std::string out;
  for (int day = 1; day <= 31; ++day) {
    char label[8];
    std::snprintf(label, sizeof label, "%04d", day);
    out += label;
    for (int month = 1; month <= 12; ++month)
      out +=
          day <= DaysInMonth(year, month) ? Cell(sky::ephemeris::IlluminatedFractionOnDate(year, month, day)) : filler;
    out += '\n';
  }
  out += "9999";
  for (int month = 1; month <= 12; ++month) out += "9.99";
  out += '\n';
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: moon-tables [--first YEAR] [--last YEAR] [-o FILE]\n"
               "       moon-tables --fraction YYYY-MM-DD\n");
  return 2;
}

bool ParseYear(const char* s, int& year) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (end == s || *end != '\0' || v < 1900 || v > 2200) return false;
  year = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1998, last = 2100;
  std::string outPath;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--fraction" && i + 1 < argc) {
      int y = 0, m = 0, d = 0;
      if (std::sscanf(argv[i + 1], "%d-%d-%d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return Usage();
      const double k = sky::ephemeris::IlluminatedFractionOnDate(y, m, d);
      std::printf("%.6f %s\n", k, Cell(k).c_str());
      return 0;
    } else if (a == "--first" && i + 1 < argc) {
      if (!ParseYear(argv[++i], first)) return Usage();
    } else if (a == "--last" && i + 1 < argc) {
      if (!ParseYear(argv[++i], last)) return Usage();
    } else if (a == "-o" && i + 1 < argc) {
      outPath = argv[++i];
    } else {
      return Usage();
    }
  }
  if (first > last) return Usage();

  std::ostringstream text;
  text << "# Fraction of the moon's disc illuminated, geocentric, at 0h UT of each date.\n"
          "# Written by tools/moon-tables; do not edit by hand.\n";
  for (int y = first; y <= last; ++y) text << y << '\n' << YearTable(y);

  if (outPath.empty()) {
    std::cout << text.str();
    return std::cout ? 0 : 1;
  }
  std::ofstream f(outPath, std::ios::binary);
  f << text.str();
  f.close();
  if (!f) {
    std::fprintf(stderr, "moon-tables: cannot write %s\n", outPath.c_str());
    return 1;
  }
  return 0;
}
