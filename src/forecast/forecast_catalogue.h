// The forecast products as data: one row per menu command. The menus, the
// forecast window's entry fields, get_xcast (status, caption, address,
// treatment), the 7-Day Forecast window, `skyglass-cli forecast` and the
// gateway's product table read the rows; a new product is a new row (copy
// one of the same kind of source).
#pragma once

#include <span>
#include <string>

namespace sky {

// What the window asks for before it fetches ("&Get it").
enum class ForecastAsks { kNothing, kCounty, kState, kZip };

// How the received page becomes the window's text.
enum class ForecastTreatment {
  kPlainText,       // the census ranking texts: cut to plain text, Fixedsys
  kCensusDetail,    // the census look-ups: tags stripped, plain text, an end line
  kHydro,           // plain text, then the warnings treatment over it
  kStatements,      // tags stripped, the warnings treatment
  kWarnings,        // as kStatements; an empty page says there are no warnings
  kCountyNowcast,   // tags stripped, the county's section of the nowcast
  kCountyForecast,  // tags stripped, the county's section of the zone forecast
  kDaily            // no text: the 7-Day Forecast window reads the gateway's daily answer
};

// The 7-Day Forecast's kind.
inline constexpr const char* kDailyForecastKind = "d7";

// What the caption and the address are made of.
struct ForecastQuery {
  std::string state;           // the place's state code ("TX")
  std::string city;            // the place's city
  std::string stateText;       // the state box ("06,California")
  std::string zip;             // the zip box
  std::string conditionsPath;  // the place's conditions page after the server root
};

struct ForecastRow {
  const char* kind;         // the retrieval kind ("f")
  const char* menu;         // the menu item's caption
  const char* objectName;   // the menu item's object name
  const char* start;        // the status text when the retrieval starts
  bool stateProduct;        // a weather-service product of the place's state
  const char* productPage;  // the state product's page ("zone.html"); "" for others
  ForecastAsks asks;
  ForecastTreatment treatment;
  std::string (*caption)(const ForecastQuery& q);  // the window's caption
  std::string (*address)(const ForecastQuery& q);  // what is fetched
};

// Every row, in the order of the kinds' first appearance in the menus.
std::span<const ForecastRow> ForecastCatalogue();
// The row of a kind, or nullptr.
const ForecastRow* FindForecastRow(const std::string& kind);
// Whether the row's product shows in the forecast text window.
bool InTextWindow(const ForecastRow& row);

}  // namespace sky
