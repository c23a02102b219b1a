// www.census.gov and venus.census.gov: the state ranking texts and the census
// look-ups by state and by zip from the data API's American Community Survey
// tables (--census-api), the population counters from the population clock's
// data (--popclock-api). Without its option a path is not found, and the
// program shows its own failure: nothing here is answered from made-up
// figures.
#include <cctype>

#include "common/hosts.h"
#include "gateway/census.h"
#include "gateway/sources.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

// The tables are published once a year; the clock's estimate moves on.
constexpr std::int64_t kCensusTtlS = 24 * 3600;
constexpr std::int64_t kClockTtlS = 60;

std::string AcsUrl(const Gateway& g, const std::string& query) {
  return g.options().censusApi + "/" + kAcsVintage + "/acs/acs5?" + query;
}

// The data API's answer as a table; a failure logged. `empty_ok`: an
// answer without rows (204 No Content, the API's word for no such area) is
// an empty table, not a failure.
std::optional<CensusTable> FetchTable(Gateway& g, const std::string& url, Deadline deadline, bool empty_ok) {
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return std::nullopt;
  if (empty_ok && (r.status == 204 || r.body.find_first_not_of(" \t\r\n") == std::string::npos)) return CensusTable{};
  std::optional<CensusTable> table = ReadCensusTable(ParseJson(r.body));
  if (!table) g.Log("upstream " + url + " failed: not a census table");
  return table;
}

Produced Ranking(Gateway& g, const RankedMeasure& measure, Deadline deadline) {
  const std::string get = "get=NAME," + measure.variable;
  std::optional<CensusTable> states = FetchTable(g, AcsUrl(g, get + "&for=state:*"), deadline, false);
  if (!states) return {};
  // The nation's figure is a line below the ranking: the page stands without it.
  std::optional<CensusTable> nation = FetchTable(g, AcsUrl(g, get + "&for=us:1"), deadline, false);
  Reply reply = Plain(200, CensusRankingPage(measure, *states, nation));
  reply.contentType = "text/plain; charset=iso-8859-1";
  return {Gateway::Outcome::kOk, reply};
}

bool AllDigits(const std::string& s, std::size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

Reply Html(std::string body) {
  Reply reply = Plain(200, std::move(body));
  reply.contentType = "text/html; charset=iso-8859-1";
  return reply;
}

// "/cdrom/lookup/.../LEV=ZIP/SEL=78701/T=P1/...": by zip; LEV=STATE with
// SEL=22,Lousiana: by state (the FIPS code before the comma).
Produced Lookup(Gateway& g, bool by_zip, const std::string& selection, Deadline deadline) {
  std::string geography, title;
  if (by_zip) {
    geography = "zip%20code%20tabulation%20area:" + selection;
    title = "Zip Code " + selection;
  } else {
    geography = "state:" + selection.substr(0, 2);
    title = selection.size() > 3 ? selection.substr(3) : selection;
  }
  std::optional<CensusTable> table =
      FetchTable(g, AcsUrl(g, "get=" + DetailVariables() + "&for=" + geography), deadline, true);
  if (!table) return {};
  if (table->rows.empty()) return {Gateway::Outcome::kOk, Html(CensusNoRecordsPage(selection))};
  const auto& row = table->rows.front();
  // A state by the survey's own name ("Louisiana", whatever the request spelled).
  if (auto name = row.find("NAME"); !by_zip && name != row.end() && !name->second.empty()) title = name->second;
  return {Gateway::Outcome::kOk, Html(CensusDetailPage(title, row))};
}

std::optional<Reply> CensusLookup(Gateway& g, const Request& r) {
  if (g.options().censusApi.empty() || r.path.rfind("/cdrom/lookup/", 0) != 0) return std::nullopt;
  const std::size_t sel = r.path.find("/SEL=");
  if (sel == std::string::npos) return std::nullopt;
  std::string selection = r.path.substr(sel + 5);
  selection = selection.substr(0, selection.find("/T="));
  const bool by_zip = r.path.find("/LEV=ZIP/") != std::string::npos;
  // Only a five-digit zip or a two-digit state code goes into the address.
  const bool valid = by_zip ? AllDigits(selection, 5) : AllDigits(selection.substr(0, 2), 2);
  if (!valid) return Html(CensusNoRecordsPage(selection));
  const std::string key = std::string("census:") + (by_zip ? "zip:" : "state:") + selection.substr(0, by_zip ? 5 : 2);
  return g.Cached(key, kCensusTtlS, g.AnswerDeadline(), [&](Deadline d) { return Lookup(g, by_zip, selection, d); });
}

struct Counter {
  const char* path;   // on www.census.gov
  const char* key;    // the member of the clock's answer, and its address
  const char* title;  // on the picture
};
constexpr Counter kCounters[] = {
    {"/cgi-bin/ipc/pcwgif", "world", "WORLD POPULATION"},
    {"/cgi-bin/pcugifd.pl", "us", "U.S. POPULATION"},
};

Produced CounterPicture(Gateway& g, const Counter& counter, Deadline deadline) {
  const std::string url = g.options().popclockApi + "/population.php/" + counter.key;
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return {};
  std::optional<ClockFigure> figure = PopulationClockFigure(ParseJson(r.body), counter.key, g.WallNow());
  if (!figure) {
    g.Log("upstream " + url + " failed: no population in the answer");
    return {};
  }
  Reply reply = Plain(200, PopulationCounterGif(counter.title, *figure));
  reply.contentType = "image/gif";
  return {Gateway::Outcome::kOk, reply};
}

std::optional<Reply> CensusText(Gateway& g, const Request& r) {
  if (!g.options().censusApi.empty()) {
    for (const RankedMeasure& m : RankedMeasures()) {
      if (r.path != m.page) continue;
      return g.Cached("census:" + m.page, kCensusTtlS, g.AnswerDeadline(),
                      [&](Deadline d) { return Ranking(g, m, d); });
    }
  }
  if (!g.options().popclockApi.empty()) {
    for (const Counter& c : kCounters) {
      if (r.path != c.path) continue;
      Reply reply = g.Cached(std::string("popclock:") + c.key, kClockTtlS, g.AnswerDeadline(),
                             [&](Deadline d) { return CounterPicture(g, c, d); });
      if (r.method == "HEAD") reply.body.clear();
      return reply;
    }
  }
  return std::nullopt;
}

}  // namespace

void AddCensusSource(Gateway& gateway, historic::Router& router) {
  router.Chain(hosts::kCensus, std::make_unique<historic::FunctionSite>(
                                   [&gateway](const Request& r) { return CensusText(gateway, r); }));
  router.Chain(hosts::kCensusLookup, std::make_unique<historic::FunctionSite>(
                                         [&gateway](const Request& r) { return CensusLookup(gateway, r); }));
}

}  // namespace sky::gateway
