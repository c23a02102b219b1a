// The census pages and the population counters from the Census Bureau's own
// published figures: the keyless data API's American Community Survey tables
// (a header row, then one row per area, every value a string) and the
// population clock's data. Pure functions, so tests feed them recorded
// answers; census_source.cpp fetches and caches.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sky::gateway {

// The survey the pages read, named on every page. The address is
// <census api>/<vintage>/acs/acs5.
inline constexpr const char* kAcsVintage = "2023";
inline constexpr const char* kAcsPeriod = "2019-2023";

// One answer of the data API as rows of named values. Nothing unless the
// answer is an array whose first row names every column.
struct CensusTable {
  std::vector<std::string> columns;
  std::vector<std::map<std::string, std::string>> rows;
};
std::optional<CensusTable> ReadCensusTable(const nlohmann::json& answer);

// A published count or amount: the API writes a suppressed or unavailable
// estimate as null or as a large negative code (-666666666 and the like).
std::optional<std::int64_t> CensusNumber(const std::string& text);

// "1,234,567".
std::string Thousands(std::int64_t n);

// What a ranking page ranks: one variable of a table.
struct RankedMeasure {
  std::string page;      // "/statab/ranks/pg20.txt"
  std::string title;     // "Median Household Income"
  std::string variable;  // "B19013_001E"
  std::string unit;      // the column heading: "Dollars"
};
const std::vector<RankedMeasure>& RankedMeasures();

// The ranking text the program shows as it is (up to its first "http://"):
// a title line, "Rank  State  <unit>" and one line per state (the 50 states
// and DC, highest first, equal values in name order), the United States'
// figure when known, and where the figures come from. States without a
// published value are named apart, not ranked.
std::string CensusRankingPage(const RankedMeasure& measure, const CensusTable& states,
                              const std::optional<CensusTable>& nation);

// The look-up page of one state or zip code in the layout of the program's
// census detail (a <PRE> of "<B>table</B>  label  value" lines), each row
// from its ACS variable, "N/A" where the answer has none.
struct DetailRow {
  std::string table;     // the old table name shown ("P1   ")
  std::string label;     // "Persons"
  std::string variable;  // "B01001_001E"
};
const std::vector<DetailRow>& DetailRows();
// The variables asked for: "NAME,B01001_001E,...".
std::string DetailVariables();
std::string CensusDetailPage(const std::string& title, const std::map<std::string, std::string>& row);
// The page for a selection the survey has no area for.
std::string CensusNoRecordsPage(const std::string& value);

// The population clock's figure for `now` (seconds since 1970): the published
// estimate ("population" at "last_updated") advanced at "population_rate" per
// second, for at most a day (an older estimate is shown as it is, with its
// date). Nothing unless the answer has the member `key` ("us", "world")
// with a positive population.
struct ClockFigure {
  std::uint64_t population = 0;
  bool current = false;  // advanced to now, not an older estimate as it stood
  std::string date;      // the estimate's own date ("03/16/2016")
};
std::optional<ClockFigure> PopulationClockFigure(const nlohmann::json& answer, const std::string& key,
                                                 std::int64_t now);

// The counter picture the viewer shows: a GIF with the title, the figure and
// a line saying whose estimate it is (and of which date when not current).
std::string PopulationCounterGif(const std::string& title, const ClockFigure& figure);

}  // namespace sky::gateway
