// The weather service's active alerts, reduced to what a person should be
// shown: real messages in force. The state warnings page and the alerts of a
// point both read them through these.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace sky::gateway {

// "<api>/alerts/active?<where>&status=actual", where is "area=TX" or
// "point=30.2672,-97.7431": the service leaves out tests and exercises.
std::string ActiveAlertsUrl(const std::string& api, const std::string& where);

// The features of an alerts collection to show, in their order: status
// "Actual" only (a test message asked for without the filter, or sent
// despite it, never reads as a warning), no cancellation, and no message
// that a later update in the same list replaces. Features without
// properties are skipped.
std::vector<const nlohmann::json*> ShownAlerts(const nlohmann::json& features);

// The text of one alert as the warnings page shows it: headline (else the
// event), description, instruction and area, each a paragraph, ending "$$".
std::string AlertText(const nlohmann::json& properties);

}  // namespace sky::gateway
