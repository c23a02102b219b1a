// The forecast window's products as data: one row per menu command. The
// menus, the window's entry fields, get_xcast (status, caption, address,
// treatment), `skyglass-cli forecast` and the gateway's product table read
// the rows; a new product is a new row (copy one of the same kind of source).
#pragma once

#include <span>
#include <string>

namespace sky {

// What the window asks for before it fetches ("&Get it").
enum class ForecastAsks { kNothing, kCounty, kState, kZip };

// How the received page becomes the window's text.
enum class ForecastTreatment {
  kPlainText,      // the census ranking texts: cut to plain text, Fixedsys
  kCensusDetail,   // the census look-ups: tags stripped, plain text, an end line
  kHydro,          // plain text, then the warnings treatment over it
  kStatements,     // tags stripped, the warnings treatment
  kWarnings,       // as kStatements; an empty page says there are no warnings
  kCountyNowcast,  // tags stripped, the county's section of the nowcast
  kCountyForecast  // tags stripped, the county's section of the zone forecast
};

// What the caption and the address are made of.
struct ForecastQuery {
  std::string state;      // the place's state code ("TX")
  std::string city;       // the place's city
  std::string stateText;  // the state box ("06,California")
  std::string zip;        // the zip box
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

}  // namespace sky
