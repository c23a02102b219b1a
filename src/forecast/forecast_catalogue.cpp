#include "forecast/forecast_catalogue.h"

#include <array>
#include <cstdio>

#include "common/hosts.h"
#include "forecast/daily.h"
#include "historic/addresses.h"

namespace sky {

namespace {

constexpr const char* kTableList =
    "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/"
    "T=H61/T=H61A";

// A typed selection goes into the address as it is, except what would break
// the request line: blanks, control bytes and bytes above 126 are escaped.
std::string AddressSafe(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c <= 32 || c >= 127 || c == '%') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// clang-format off
constexpr std::array<ForecastRow, 11> kRows{{
    {"n", "&Nowcast - Short term forecast", "mnuNowcast", "Starting retrieval of Nowcast...",
     true, "shortterm.html", ForecastAsks::kCounty, ForecastTreatment::kCountyNowcast,
     [](const ForecastQuery& q) { return "Skyglass - Text Nowcast for " + q.city + ", " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "shortterm.html"); }},
    {"f", "Forecast - &TEXT version", "ForecastTEXTversion1", "Starting retrieval of Forecast...",
     true, "zone.html", ForecastAsks::kCounty, ForecastTreatment::kCountyForecast,
     [](const ForecastQuery& q) { return "Skyglass - Text Forecast for " + q.city + ", " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "zone.html"); }},
    {kDailyForecastKind, "&7-Day Forecast", "mnuDailyForecast", "Retrieving the forecast...",
     false, "", ForecastAsks::kNothing, ForecastTreatment::kDaily,
     [](const ForecastQuery&) { return std::string("Skyglass - 7-Day Forecast"); },
     [](const ForecastQuery& q) {
       const std::optional<std::string> path = DailyPath(q.conditionsPath);
       return path ? hosts::kWeatherUndergroundUrl + *path : std::string();
     }},
    {"h", "&Hydrological Data (NWS)", "mnuHydrologicalDataNWS1", "Starting retrieval of Hydrological Data...",
     true, "hydro.html", ForecastAsks::kNothing, ForecastTreatment::kHydro,
     [](const ForecastQuery& q) { return "Skyglass - Hydrological data for " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "hydro.html"); }},
    {"p", "&Public Information (NWS)", "PublicInformation1", "Starting retrieval of Public Information...",
     true, "public.html", ForecastAsks::kNothing, ForecastTreatment::kStatements,
     [](const ForecastQuery& q) { return "Skyglass - Public Information for " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "public.html"); }},
    {"sw", "&Special Weather Statements (NWS)", "mnuSpecialWeatherStatementsNWS1",
     "Starting retrieval of Special Weather Statements...",
     true, "special.html", ForecastAsks::kNothing, ForecastTreatment::kStatements,
     [](const ForecastQuery& q) { return "Skyglass - Special Weather Statements for " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "special.html"); }},
    {"w", "&Warnings and Advisories (NWS)", "mnuWarningsAdvisories", "Starting retrieval of Warning Information...",
     true, "allwarnings.html", ForecastAsks::kNothing, ForecastTreatment::kWarnings,
     // A caption is no menu: one "&" shows as one.
     [](const ForecastQuery& q) { return "Skyglass - Warnings & Advisories for " + q.state; },
     [](const ForecastQuery& q) { return historic::ProductPageUrl(q.state, "allwarnings.html"); }},
    {"s1", "Detail by US &State...", "mnuDetailbyUSState1", "Starting retrieval of Census Detail by US State...",
     false, "", ForecastAsks::kState, ForecastTreatment::kCensusDetail,
     [](const ForecastQuery&) { return std::string("Skyglass - Census Detail by State"); },
     [](const ForecastQuery& q) {
       return historic::CensusLookupUrl(
           "906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/"
           "LEV=STATE/SEL=" + AddressSafe(q.stateText) + kTableList);
     }},
    {"s2", "Detail by US &Zip...", "mnuDetailbyUSZip1", "Starting retrieval of Census Detail by US Zip...",
     false, "", ForecastAsks::kZip, ForecastTreatment::kCensusDetail,
     [](const ForecastQuery&) { return std::string("Skyglass - Census Detail by Zip"); },
     [](const ForecastQuery& q) {
       return historic::CensusLookupUrl(
           "906003812=/906003889=/906003903=/906005246=/CMD=RET/DB=C90STF3B/F0=ZIP/FMT=HTML/LEV=ZIP/SEL=" + q.zip +
           kTableList);
     }},
    {"si", "US Median HH &Income by State...", "mnuUSMHHIncomebyState1",
     "Starting retrieval of US/State Median HH Incomes...",
     false, "", ForecastAsks::kNothing, ForecastTreatment::kPlainText,
     [](const ForecastQuery&) { return std::string("Skyglass - US/State Census Median HH Income"); },
     [](const ForecastQuery&) { return historic::CensusTextUrl("pg20.txt"); }},
    {"ss", "US State Sa&lary Rankings...", "mnuCensusStateSal", "Starting retrieval of US State Salary Rankings...",
     false, "", ForecastAsks::kNothing, ForecastTreatment::kPlainText,
     [](const ForecastQuery&) { return std::string("Skyglass - US Census State Rankings"); },
     [](const ForecastQuery&) { return historic::CensusTextUrl("pg18.txt"); }},
}};
// clang-format on

}  // namespace

std::span<const ForecastRow> ForecastCatalogue() { return kRows; }

const ForecastRow* FindForecastRow(const std::string& kind) {
  for (const ForecastRow& row : kRows)
    if (kind == row.kind) return &row;
  return nullptr;
}

bool InTextWindow(const ForecastRow& row) { return row.treatment != ForecastTreatment::kDaily; }

}  // namespace sky
