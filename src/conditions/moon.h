// The moon picture of the main window: today's illuminated fraction of the
// moon's disc is looked up in the tables the program carries, the next day's
// value tells waxing from waning, and one of twenty pictures is shown.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/ports.h"

namespace sky {

// Where the moon picture shows: the main window's moon spot (left 237, top
// 177, 81 x 65), the picture at its natural size from the top-left corner.
class IMoonView {
 public:
  virtual ~IMoonView() = default;
  // Hide the picture shown before, if it is another one, and show the picture
  // of this control name (see MoonPictureFor) at the moon spot.
  virtual void ShowMoonPicture(const std::string& pictureName) = 0;
};

// The first sentence of the warning for a year without a table.
inline constexpr std::string_view kMoonYearWarningStart = "Warning - invalid year1 in moon phase logic.";

// The tables of the illuminated fraction, one per year. A year's text is 32
// rows of 52 characters without separators: a 4-character day label ("0001"
// to "0031", then the end row "9999") and twelve values "d.dd" for January to
// December. Cells of days a month lacks hold "9.99" (1998, 1999) or "0.00".
class MoonTables {
 public:
  static constexpr std::size_t kRowLength = 52;
  static constexpr std::size_t kRows = 32;
  static constexpr std::size_t kYearLength = kRowLength * kRows;

  // The tables built into the program.
  static const MoonTables& Shipped();

  // Reads the text of tables.txt (a line with the year, then its 32 rows; "#"
  // lines are comments). Every row is checked; nullopt and a reason in *error
  // when anything is out of shape.
  static std::optional<MoonTables> Parse(std::string_view text, std::string* error = nullptr);
  // The same text indexed: the years and where their rows are, joined and
  // checked when a year is first read (a start reads one or two of the
  // hundred years); a year that fails the checks reads as no table. nullopt
  // when the text is out of shape as a whole. The tables point into `text`,
  // which must outlive them.
  static std::optional<MoonTables> Index(std::string_view text);

  bool Has(int year) const { return Year(year) != nullptr; }
  // The year's 1664-character text; nullptr without a table (or, in the
  // built-in tables, for a year whose rows fail the checks of Parse).
  const std::string* Year(int year) const;
  int FirstYear() const { return years_.empty() ? 0 : years_.begin()->first; }
  int LastYear() const { return years_.empty() ? 0 : years_.rbegin()->first; }
  // The 4 characters of day `day` (1..32, 32 the end row) of month `month`
  // (1..12); month 13 reads the next row's label, as a plain offset into the
  // text would. Empty when there is no table or the place is outside it.
  std::string Cell(int year, int month, int day) const;

 private:
  static std::optional<MoonTables> IndexByStride(std::string_view text, bool checkLast);

  struct Table {
    std::string_view rows;  // the year's 32 lines in the indexed text
    bool read = false;      // rows joined into text and checked
    bool good = false;
    std::string text;
    std::string_view head;  // its year line, when indexed by stride: unchecked until read
  };
  // Filled on first read even in a const object: the program reads its
  // tables from the user-interface thread only.
  mutable std::map<int, Table> years_;
};

struct MoonPhase {
  std::string today;    // today's value, e.g. "0.13"
  std::string next;     // the value the trend was taken from, e.g. "0.22"
  bool rising = false;  // today's value below the next one
  std::string picture;  // control name, e.g. "GIFImagel10x"
};

// The picture for today's value and trend: "1.00" full; below "0.10" new;
// otherwise the tenths digit, "GIFImagel" + t + "0x" rising, "GIFImage" + t +
// "0x" falling.
std::string MoonPictureFor(std::string_view today, bool rising);

bool IsCalendarDate(const LocalDate& date);

// The phase of a date; nullopt when the date's year has no table or the date
// is no calendar date.
std::optional<MoonPhase> LookUpMoonPhase(const MoonTables& tables, const LocalDate& date);

// The warning for a date without a table (starts with kMoonYearWarningStart).
std::string MoonYearWarning(const MoonTables& tables, const LocalDate& date);

// UpdateMoonPhase of the main window.
class MoonPhaseUpdater {
 public:
  MoonPhaseUpdater(IMoonView& view, IMessagePort& messages, const IClock& clock = DefaultClock(),
                   const MoonTables& tables = MoonTables::Shipped());

  // Shows the picture for today's date. For a date without a table: the beep
  // and the year warning, and the picture shown before stays.
  void UpdateMoonPhase();

  // What the last successful call showed.
  const std::optional<MoonPhase>& Shown() const { return shown_; }

 private:
  IMoonView& view_;
  IMessagePort& messages_;
  const IClock& clock_;
  const MoonTables& tables_;
  std::optional<MoonPhase> shown_;
};

}  // namespace sky
