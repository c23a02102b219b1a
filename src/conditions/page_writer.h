// Writes a conditions page in the layout the conditions parser reads. Both
// the sample server and the live gateway use it, so a change of layout is
// made once.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sky {

// What a page writes for a value its source does not give.
inline constexpr const char* kPageMissingValue = "N/A";

struct ConditionsPageContent {
  std::string title;     // "Austin, Texas": the place the program reads from the title
  std::string observed;  // "10:53 AM CST on December 7, 2026"
  std::optional<int> tempF, tempC;
  std::optional<int> heatIndexF, heatIndexC;                      // a row only when there is one
  std::optional<int> humidity;                                    // percent
  std::optional<std::string> wind;                                // "SW at 9 mph" or "Calm"
  std::optional<std::string> pressure;                            // inches of mercury, "30.12"
  std::optional<std::string> sky;                                 // "Partly Cloudy"
  std::optional<std::string> visibility;                          // miles, "10"
  std::optional<std::string> sunrise, sunset, moonrise, moonset;  // "7:18 AM CST"
  std::string moonPhase;                                          // "Waxing Gibbous"
  std::string moonPicture;                                        // "moon18.gif"
  int moonIlluminated = 0;                                        // percent
  // Half-day periods: ("Tonight", "Clear. Lows around 15."); may be empty.
  std::vector<std::pair<std::string, std::string>> forecast;
  // Where the values came from ("Weather data by Open-Meteo.com"), in a line
  // after the tables; empty: none.
  std::string source;
  // (code, name) of the state list in the navigation.
  std::vector<std::pair<std::string, std::string>> states;
};

std::string WriteConditionsPage(const ConditionsPageContent& content);

std::string EscapeHtmlText(const std::string& text);

}  // namespace sky
