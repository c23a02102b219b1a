#include "gateway/census.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <tuple>

#include "images/gif_writer.h"
#include "images/pixel_font.h"

namespace sky::gateway {

namespace {

using nlohmann::json;

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Cell(const std::map<std::string, std::string>& row, const std::string& column) {
  auto it = row.find(column);
  return it == row.end() ? std::string() : it->second;
}

// The program's list of states: the 50 and DC (FIPS 01 to 56); Puerto Rico
// and the island areas were never on the ranking pages.
bool IsStateOrDc(const std::string& fips) {
  if (fips.size() != 2 || fips.find_first_not_of("0123456789") != std::string::npos) return false;
  const int n = std::atoi(fips.c_str());
  return n >= 1 && n <= 56;
}

// The table a variable belongs to: "B19013_001E" -> "B19013".
std::string TableOf(const std::string& variable) { return variable.substr(0, variable.find('_')); }

constexpr const char* kSurvey = "American Community Survey 5-Year Estimates";

enum Colour : std::uint8_t { kWhite, kNavy, kRed, kGrey };

struct Canvas {
  int width, height;
  std::vector<std::uint8_t> pixels;
  void Fill(int x0, int y0, int w, int h, std::uint8_t colour) {
    for (int y = std::max(0, y0); y < y0 + h && y < height; ++y)
      for (int x = std::max(0, x0); x < x0 + w && x < width; ++x)
        pixels[static_cast<std::size_t>(y * width + x)] = colour;
  }
  void Text(const std::string& text, int y, int scale, std::uint8_t colour) {
    DrawPixelText(text, width, y, scale, [&](int x, int top, int size) { Fill(x, top, size, size, colour); });
  }
};

}  // namespace

std::optional<CensusTable> ReadCensusTable(const json& answer) {
  if (!answer.is_array() || answer.empty() || !answer[0].is_array() || answer[0].empty()) return std::nullopt;
  CensusTable table;
  for (const json& name : answer[0]) {
    if (!name.is_string()) return std::nullopt;
    table.columns.push_back(name.get<std::string>());
  }
  for (std::size_t i = 1; i < answer.size(); ++i) {
    const json& values = answer[i];
    // A row of another width names nothing reliably: left out.
    if (!values.is_array() || values.size() != table.columns.size()) continue;
    std::map<std::string, std::string> row;
    for (std::size_t c = 0; c < values.size(); ++c)
      row[table.columns[c]] = values[c].is_string()   ? values[c].get<std::string>()
                              : values[c].is_number() ? values[c].dump()
                                                      : std::string();
    table.rows.push_back(std::move(row));
  }
  return table;
}

std::optional<std::int64_t> CensusNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !(v >= 0) || v > 1e15) return std::nullopt;
  return static_cast<std::int64_t>(v + 0.5);
}

std::string Thousands(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

const std::vector<RankedMeasure>& RankedMeasures() {
  static const std::vector<RankedMeasure> measures = {
      {"/statab/ranks/pg20.txt", "Median Household Income", "B19013_001E", "Dollars"},
      // The salary ranking: what a worker earns in a year, the survey's
      // nearest published figure to the old average annual pay.
      {"/statab/ranks/pg18.txt", "Median Earnings of Workers", "B20002_001E", "Dollars"},
  };
  return measures;
}

std::string CensusRankingPage(const RankedMeasure& measure, const CensusTable& states,
                              const std::optional<CensusTable>& nation) {
  std::vector<std::pair<std::int64_t, std::string>> ranked;
  std::vector<std::string> unpublished;
  for (const auto& row : states.rows) {
    if (!IsStateOrDc(Cell(row, "state"))) continue;
    const std::string name = Cell(row, "NAME");
    if (std::optional<std::int64_t> v = CensusNumber(Cell(row, measure.variable))) ranked.emplace_back(*v, name);
    else unpublished.push_back(name);
  }
  std::sort(ranked.begin(), ranked.end(),
            [](const auto& a, const auto& b) { return std::tie(b.first, a.second) < std::tie(a.first, b.second); });
  std::sort(unpublished.begin(), unpublished.end());

  std::string b = "State Rankings -- " + measure.title + ", " + kAcsPeriod + "\r\n\r\nRank  State                   " +
                  measure.unit + "\r\n";
  int rank = 1;
  for (const auto& [value, name] : ranked) {
    std::string number = std::to_string(rank++);
    b += std::string(4 - std::min<std::size_t>(4, number.size()), ' ') + number + "  " + Padded(name, 24) +
         Thousands(value) + "\r\n";
  }
  if (!unpublished.empty()) {
    b += "\r\nNot published for:";
    for (std::size_t i = 0; i < unpublished.size(); ++i) b += (i ? ", " : " ") + unpublished[i];
    b += ".\r\n";
  }
  // The nation is one row; anything else is no figure for it.
  if (nation && nation->rows.size() == 1) {
    if (std::optional<std::int64_t> v = CensusNumber(Cell(nation->rows.front(), measure.variable)))
      b += "\r\n" + Padded("United States", 24) + Thousands(*v) + "\r\n";
  }
  // Lines the forecast window shows whole.
  b += "\r\nSource: U.S. Census Bureau, American Community Survey\r\n5-Year Estimates, " + std::string(kAcsPeriod) +
       ", table " + TableOf(measure.variable) + " (" + measure.variable +
       "),\r\nfrom the Census Bureau's data API (vintage " + kAcsVintage + ").\r\n";
  return b;
}

const std::vector<DetailRow>& DetailRows() {
  static const std::vector<DetailRow> rows = {
      {"B01001", "Persons", "B01001_001E"},
      {"B01001", "Male", "B01001_002E"},
      {"B01001", "Female", "B01001_026E"},
      {"B11001", "Households", "B11001_001E"},
      {"B11001", "Family households", "B11001_002E"},
      {"B19013", "Median household income (dollars)", "B19013_001E"},
      {"B19301", "Per capita income (dollars)", "B19301_001E"},
      {"B25001", "Housing units", "B25001_001E"},
      {"B25064", "Median gross rent (dollars)", "B25064_001E"},
      {"B25077", "Median value (dollars)", "B25077_001E"},
  };
  return rows;
}

std::string DetailVariables() {
  std::string v = "NAME";
  for (const DetailRow& r : DetailRows()) v += "," + r.variable;
  return v;
}

std::string CensusDetailPage(const std::string& title, const std::map<std::string, std::string>& row) {
  std::string b = "<HTML><HEAD><TITLE>Census Lookup - " + title + "</TITLE></HEAD>\n<BODY>\n<H2>" + title +
                  "</H2>\n<PRE>\n" + kSurvey + ", " + kAcsPeriod + "\n\n";
  for (const DetailRow& r : DetailRows()) {
    const std::optional<std::int64_t> v = CensusNumber(Cell(row, r.variable));
    b += "<B>" + Padded(r.table, 6) + "</B>  " + Padded(r.label, 44) + (v ? Thousands(*v) : "N/A") + "\n";
  }
  b += "</PRE>\n<HR>Data&nbsp;from the U.S. Census Bureau's data API, ACS 5-year detailed tables, vintage " +
       std::string(kAcsVintage) + ".\n</BODY></HTML>\n";
  return b;
}

std::string CensusNoRecordsPage(const std::string& value) {
  return "<HTML><HEAD><TITLE>Census Lookup</TITLE></HEAD>\n<BODY>\n<P>No records match " + value +
         ".</P>\n</BODY></HTML>\n";
}

std::optional<ClockFigure> PopulationClockFigure(const json& answer, const std::string& key, std::int64_t now) {
  if (!answer.is_object()) return std::nullopt;
  auto it = answer.find(key);
  if (it == answer.end() || !it->is_object()) return std::nullopt;
  const json& clock = *it;
  auto number = [&clock](const char* name) -> std::optional<double> {
    auto m = clock.find(name);
    if (m == clock.end()) return std::nullopt;
    if (m->is_number()) return m->get<double>();
    if (m->is_string()) {
      const std::string s = m->get<std::string>();
      char* end = nullptr;
      const double v = std::strtod(s.c_str(), &end);
      if (end != s.c_str() && *end == '\0') return v;
    }
    return std::nullopt;
  };
  const std::optional<double> population = number("population");
  if (!population || !(*population > 0) || *population > 1e11) return std::nullopt;
  ClockFigure f;
  f.population = static_cast<std::uint64_t>(*population);
  if (auto d = clock.find("date"); d != clock.end() && d->is_string()) f.date = d->get<std::string>();
  const std::optional<double> rate = number("population_rate");
  const std::optional<double> at = number("last_updated");
  // The clock runs on from its estimate for a day at most: further on, the
  // figure would be ours, not the Bureau's.
  constexpr std::int64_t kDay = 24 * 3600;
  if (rate && at && *rate >= 0 && *rate < 1000 && now >= *at && now - *at <= kDay) {
    f.population += static_cast<std::uint64_t>(*rate * static_cast<double>(now - static_cast<std::int64_t>(*at)));
    f.current = true;
  } else if (f.date.empty() && at && *at > 0 && *at < 4e9) {
    // An older estimate says of when, whether or not the answer wrote it.
    const std::time_t t = static_cast<std::time_t>(*at);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char date[40];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
    f.date = date;
  }
  return f;
}

std::string PopulationCounterGif(const std::string& title, const ClockFigure& figure) {
  Canvas c{360, 100, {}};
  c.pixels.assign(static_cast<std::size_t>(c.width * c.height), kWhite);
  c.Fill(0, 0, c.width, 26, kNavy);
  c.Text(title, 6, 2, kWhite);
  c.Text(Thousands(static_cast<std::int64_t>(figure.population)), 38, 4, kRed);
  c.Text(figure.current || figure.date.empty() ? "U.S. CENSUS BUREAU ESTIMATE" : "CENSUS ESTIMATE OF " + figure.date,
         80, 1, kGrey);
  gif::Palette palette{};
  palette[kWhite] = {255, 255, 255};
  palette[kNavy] = {0, 0, 102};
  palette[kRed] = {153, 0, 0};
  palette[kGrey] = {80, 80, 80};
  return gif::EncodeGif(c.width, c.height, c.pixels, palette);
}

}  // namespace sky::gateway
