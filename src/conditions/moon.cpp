#include "conditions/moon.h"

#include <algorithm>
#include <cstdio>

#include "data/moon/moon_data.h"

namespace sky {

namespace {

constexpr std::string_view kEndRowLabel = "9999";
constexpr std::string_view kNoDay = "9.99";

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "d.dd" from "0.00" to "1.00", or the filler "9.99".
bool IsValue(std::string_view v) {
  if (v.size() != 4 || !IsDigit(v[0]) || v[1] != '.' || !IsDigit(v[2]) || !IsDigit(v[3])) return false;
  return v == kNoDay || v <= "1.00";
}

std::string Label(int day) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", day % 10000);
  return buf;
}

// Checks one year's text: labels, values, fillers of missing days, end row.
bool CheckYear(int year, const std::string& t, std::string& why) {
  if (t.size() != MoonTables::kYearLength) {
    why = "the table is not 32 rows of 52 characters";
    return false;
  }
  const std::string_view filler = year < 2000 ? kNoDay : "0.00";
  for (std::size_t row = 0; row < MoonTables::kRows; ++row) {
    const std::string_view r = std::string_view(t).substr(row * MoonTables::kRowLength, MoonTables::kRowLength);
    const int day = static_cast<int>(row) + 1;
    const std::string_view label = r.substr(0, 4);
    if (row + 1 == MoonTables::kRows ? label != kEndRowLabel : label != Label(day)) {
      why = "row " + std::to_string(day) + " has the label '" + std::string(label) + "'";
      return false;
    }
    for (int m = 1; m <= 12; ++m) {
      const std::string_view v = r.substr(static_cast<std::size_t>(4 * m), 4);
      const bool endRow = row + 1 == MoonTables::kRows;
      const bool realDay = !endRow && day <= DaysInMonth(year, m);
      const bool ok = endRow ? v == kNoDay : realDay ? IsValue(v) && v != kNoDay : v == filler;
      if (!ok) {
        why = "month " + std::to_string(m) + " of row " + std::to_string(day) + " holds '" + std::string(v) + "'";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool IsCalendarDate(const LocalDate& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

const MoonTables& MoonTables::Shipped() {
  static const MoonTables tables = [] {
    // The tests hold the built-in tables to their shape; should they ever be
    // broken, the dates they cover get the year warning instead of a wrong
    // picture.
    auto t = IndexByStride(moon_data::TablesText(), false);
    if (!t) t = Index(moon_data::TablesText());
    return t ? std::move(*t) : MoonTables{};
  }();
  return tables;
}

namespace {

// The next line of `text` from `pos` (without its line end); false at the end.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
  if (pos >= text.size()) return false;
  std::size_t end = text.find('\n', pos);
  if (end == std::string_view::npos) end = text.size();
  line = text.substr(pos, end - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos = end + 1;
  return true;
}

bool IsYearLine(std::string_view line) {
  return line.size() == 4 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]) && IsDigit(line[3]);
}

// The year of a line IsYearLine accepts.
int YearOf(std::string_view line) {
  return (line[0] - '0') * 1000 + (line[1] - '0') * 100 + (line[2] - '0') * 10 + (line[3] - '0');
}

}  // namespace

// The shipped text is regular: after its comments, years in a row, each its
// year line and 32 rows of 52 characters. Indexed by that stride, the rows
// (170 KB that would all become resident at start) are not read now; each
// year's own line and rows are checked when the year is first read. Without
// `checkLast` only the first year line is read: the built-in text is held to
// that shape by the tests.
std::optional<MoonTables> MoonTables::IndexByStride(std::string_view text, bool checkLast) {
  constexpr std::size_t kYearLine = 5;
  constexpr std::size_t kStride = kYearLine + kRows * (kRowLength + 1);
  std::size_t pos = 0, start = 0;
  std::string_view line;
  while (NextLine(text, pos, line) && (line.empty() || line[0] == '#')) start = pos;
  const std::size_t body = text.size() - start;
  if (!IsYearLine(line) || pos != start + kYearLine || body % kStride != 0) return std::nullopt;
  const std::size_t count = body / kStride;
  const int first = YearOf(line);
  if (checkLast) {
    const std::string_view last = text.substr(start + (count - 1) * kStride, kYearLine);
    if (!IsYearLine(last.substr(0, 4)) || last[4] != '\n' || YearOf(last) != first + static_cast<int>(count) - 1)
      return std::nullopt;
  }
  MoonTables tables;
  for (std::size_t i = 0; i < count; ++i) {
    Table& t = tables.years_[first + static_cast<int>(i)];
    t.head = text.substr(start + i * kStride, 4);
    t.rows = text.substr(start + i * kStride + kYearLine, kStride - kYearLine);
  }
  return tables;
}

std::optional<MoonTables> MoonTables::Index(std::string_view text) {
  if (auto byStride = IndexByStride(text, true)) return byStride;
  MoonTables tables;
  std::size_t pos = 0;
  std::string_view line;
  while (NextLine(text, pos, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!IsYearLine(line)) return std::nullopt;
    const int year = YearOf(line);
    const std::size_t first = pos;
    for (std::size_t row = 0; row < kRows; ++row)
      if (!NextLine(text, pos, line)) return std::nullopt;
    Table& t = tables.years_[year];
    if (!t.rows.empty()) return std::nullopt;  // the year twice
    t.rows = text.substr(first, std::min(pos, text.size()) - first);
  }
  return tables;
}

std::optional<MoonTables> MoonTables::Parse(std::string_view text, std::string* error) {
  auto fail = [error](const std::string& why) -> std::optional<MoonTables> {
    if (error) *error = why;
    return std::nullopt;
  };
  MoonTables tables;
  std::size_t pos = 0, lineNo = 0;
  auto nextLine = [&](std::string_view& line) {
    if (!NextLine(text, pos, line)) return false;
    ++lineNo;
    return true;
  };
  std::string_view line;
  while (nextLine(line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!IsYearLine(line)) return fail("line " + std::to_string(lineNo) + ": a year was expected");
    const int year = YearOf(line);
    if (tables.years_.count(year)) return fail("the year " + std::to_string(year) + " appears twice");
    std::string t;
    t.reserve(kYearLength);
    for (std::size_t row = 0; row < kRows; ++row) {
      if (!nextLine(line)) return fail("the table of " + std::to_string(year) + " ends early");
      if (line.size() != kRowLength) return fail("line " + std::to_string(lineNo) + ": a row must have 52 characters");
      t.append(line);
    }
    std::string why;
    if (!CheckYear(year, t, why)) return fail(std::to_string(year) + ": " + why);
    tables.years_.emplace(year, Table{{}, true, true, std::move(t), {}});
  }
  return tables;
}

const std::string* MoonTables::Year(int year) const {
  auto it = years_.find(year);
  if (it == years_.end()) return nullptr;
  Table& t = it->second;
  if (!t.read) {
    t.read = true;
    std::size_t pos = 0;
    std::string_view line;
    bool rowsFit = t.head.empty() || t.head == std::to_string(year);
    t.text.reserve(kYearLength);
    while (NextLine(t.rows, pos, line)) {
      rowsFit = rowsFit && line.size() == kRowLength;
      t.text.append(line);
    }
    std::string why;
    t.good = rowsFit && CheckYear(year, t.text, why);
    if (!t.good) t.text.clear();
  }
  return t.good ? &t.text : nullptr;
}

std::string MoonTables::Cell(int year, int month, int day) const {
  const std::string* t = Year(year);
  if (!t || month < 1 || day < 1) return {};
  // 1-based position 52(d - 1) + 4m + 1 of the year's text.
  const std::size_t start = kRowLength * static_cast<std::size_t>(day - 1) + 4 * static_cast<std::size_t>(month);
  if (start + 4 > t->size()) return {};
  return t->substr(start, 4);
}

std::string MoonPictureFor(std::string_view today, bool rising) {
  if (today == "1.00") return "GIFImageFull";
  if (today < "0.10") return "GIFImagenew";
  const std::string tenths = std::string(1, today.size() > 2 ? today[2] : '0') + "0x";
  return (rising ? "GIFImagel" : "GIFImage") + tenths;
}

std::optional<MoonPhase> LookUpMoonPhase(const MoonTables& tables, const LocalDate& date) {
  if (!tables.Has(date.year) || !IsCalendarDate(date)) return std::nullopt;
  const int y = date.year, m = date.month, d = date.day;
  MoonPhase p;
  p.today = tables.Cell(y, m, d);
  // The next day's cell; past the last day of the month it is the first day
  // of the next month. The older tables mark missing days with "9.99", the
  // newer ones (2000 on) with "0.00". Reading that filler as the next value
  // would make the last day of every shorter month "falling" and show the
  // waning picture while the moon waxes (28 February 2001: 0.20, and 0.29 on
  // 1 March), so the calendar decides where the month ends, not the filler.
  p.next = tables.Cell(y, m, d + 1);
  if (p.next == kNoDay || d == DaysInMonth(y, m)) {
    if (m < 12) p.next = tables.Cell(y, m + 1, 1);
    else if (tables.Has(y + 1)) p.next = tables.Cell(y + 1, 1, 1);
    else
      // The last year with a table: the offset of "month 13" lands on the
      // next row's label, so this 31 December reads as rising.
      p.next = tables.Cell(y, 13, 1);
  }
  // Fixed-width texts: comparing them compares the numbers.
  p.rising = p.today < p.next;
  p.picture = MoonPictureFor(p.today, p.rising);
  return p;
}

std::string MoonYearWarning(const MoonTables& tables, const LocalDate& date) {
  std::string text(kMoonYearWarningStart);
  if (!IsCalendarDate(date)) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
    text += " The clock gave the date " + std::string(buf) + ", which is no date of the calendar.";
  } else if (tables.FirstYear() == 0 || (date.year >= tables.FirstYear() && date.year <= tables.LastYear())) {
    // No tables at all, or this year's failed its checks.
    text += " The moon tables could not be read.";
  } else {
    text += " The moon tables cover the years " + std::to_string(tables.FirstYear()) + " to " +
            std::to_string(tables.LastYear()) + ", not " + std::to_string(date.year) + ".";
  }
  text += " If this keeps happening, please report it to the makers of Skyglass.";
  return text;
}

MoonPhaseUpdater::MoonPhaseUpdater(IMoonView& view, IMessagePort& messages, const IClock& clock,
                                   const MoonTables& tables)
    : view_(view), messages_(messages), clock_(clock), tables_(tables) {}

void MoonPhaseUpdater::UpdateMoonPhase() {
  const LocalDate today = clock_.Today();
  auto phase = LookUpMoonPhase(tables_, today);
  if (!phase) {
    messages_.Beep();
    messages_.ShowMessage(MoonYearWarning(tables_, today));
    return;
  }
  view_.ShowMoonPicture(phase->picture);
  shown_ = std::move(*phase);
}

}  // namespace sky
