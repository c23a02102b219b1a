// The state text products under "/iwin/<state>/<page>.html": the latest
// products of the offices that serve the state, and its active alerts.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace sky::gateway {

struct ProductPage {
  const char* page;                // "zone.html"
  const char* title;               // "Zone Forecast"
  std::vector<const char*> types;  // product codes; empty for the alerts
};

// A state's product page holds at most this many bytes of product text (real
// pages hold a few hundred kilobytes); the products beyond are left out and
// the last block says so.
inline constexpr std::size_t kMaxProductPageBytes = 2u << 20;
inline constexpr const char* kProductsLeftOut =
    "Further products were left out: this page reached its size limit of 2 MB.";

// The page of an "/iwin/" path's last part, or nullptr.
const ProductPage* FindProductPage(const std::string& page);

// UTF-8 as the program's single-byte text: characters above U+00FF become "?".
std::string Latin1FromUtf8(const std::string& text);

// The offices serving the forecast zones of a zone collection, each once, in
// order: a zone's `cwa` list, else its `forecastOffice` address's last part,
// else its `awipsLocationIdentifier` (the service marks `cwa` deprecated).
std::vector<std::string> ZoneOffices(const nlohmann::json& zones);

// The wrapping the forecast window's treatments read: each text in a <pre>
// block, "<" and ">" escaped; with no texts the notice that the product
// is not currently available. `missing` names products that could not be
// fetched this time ("ZFP of EWX"), in a line above the texts.
std::string ProductsHtml(const std::string& title, const std::string& state, const std::vector<std::string>& texts,
                         const std::vector<std::string>& missing = {});

}  // namespace sky::gateway
