// The state text products and warnings ("/iwin/<state>/<page>.html") from the
// weather service's product and alert lists.
#include <algorithm>
#include <vector>

#include "common/hosts.h"
#include "gateway/products.h"
#include "gateway/sources.h"
#include "historic/addresses.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

Produced StateAlerts(Gateway& g, const std::string& state, const ProductPage& page, Deadline deadline) {
  Produced failed;
  const std::string url = g.options().nwsApi + "/alerts/active?area=" + state;
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return failed;
  const json alerts = ParseJson(r.body);
  const json* features = Member(alerts, "features");
  if (features == nullptr || !features->is_array()) {
    g.Log("upstream " + url + " failed: no alert list");
    return failed;
  }
  std::vector<std::string> texts;
  for (const json& alert : *features) {
    const json* p = Member(alert, "properties");
    if (p == nullptr) continue;
    std::string text = StringAt(*p, "headline");
    if (text.empty()) text = StringAt(*p, "event");
    for (const char* key : {"description", "instruction"}) {
      const std::string part = StringAt(*p, key);
      if (!part.empty()) text += "\n\n" + part;
    }
    const std::string area = StringAt(*p, "areaDesc");
    if (!area.empty()) text += "\n\n" + area;
    texts.push_back(text + "\n\n$$");
  }
  return {Gateway::Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts))};
}

Produced StateProducts(Gateway& g, const std::string& state, const ProductPage& page, Deadline deadline) {
  Produced failed;
  // The offices that serve the state: those of its forecast zones.
  const std::string zones_url = g.options().nwsApi + "/zones?type=forecast&area=" + state;
  std::optional<std::string> zones_text = g.NwsJson(zones_url, deadline, nullptr);
  if (!zones_text) return failed;
  const json zones = ParseJson(*zones_text);
  const json* zone_list = Member(zones, "features");
  if (zone_list == nullptr || !zone_list->is_array()) {
    g.Log("upstream " + zones_url + " failed: no zone list");
    return failed;
  }
  std::vector<std::string> offices;
  for (const json& zone : *zone_list) {
    const json* p = Member(zone, "properties");
    const json* cwa = p ? Member(*p, "cwa") : nullptr;
    if (cwa == nullptr || !cwa->is_array()) continue;
    for (const json& office : *cwa) {
      if (!office.is_string()) continue;
      const std::string id = office.get<std::string>();
      if (id.size() == 3 && std::find(offices.begin(), offices.end(), id) == offices.end()) offices.push_back(id);
    }
  }
  std::vector<std::string> texts;
  if (!offices.empty()) {
    std::string types, locations;
    for (const char* t : page.types) types += (types.empty() ? "" : ",") + std::string(t);
    for (const std::string& o : offices) locations += (locations.empty() ? "" : ",") + o;
    const std::string list_url =
        g.options().nwsApi + "/products?type=" + types + "&location=" + locations + "&limit=100";
    FetchResult r = g.upstream().Get(list_url, deadline);
    if (!r.ok) return failed;
    const json list = ParseJson(r.body);
    const json* graph = Member(list, "@graph");
    if (graph == nullptr || !graph->is_array()) {
      g.Log("upstream " + list_url + " failed: no product list");
      return failed;
    }
    // The newest product of each office and type (the list is newest first).
    std::vector<std::string> seen;
    for (const json& product : *graph) {
      const std::string id = StringAt(product, "@id");
      const std::string which = StringAt(product, "issuingOffice") + "/" + StringAt(product, "productCode");
      if (id.empty() || !g.FromNws(id) || std::find(seen.begin(), seen.end(), which) != seen.end()) continue;
      seen.push_back(which);
      FetchResult text = g.upstream().Get(id, deadline);
      if (!text.ok) return failed;
      const json body = ParseJson(text.body);
      const std::string product_text = StringAt(body, "productText");
      if (!product_text.empty()) texts.push_back(product_text);
    }
  }
  return {Gateway::Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts))};
}

std::optional<Reply> ProductsRequest(Gateway& g, const Request& request, Deadline deadline) {
  const std::string& path = request.path;
  const std::optional<historic::ProductAddress> address = historic::ParseProductAddress(path);
  if (!address || address->state.size() != 2 || address->page.empty()) return std::nullopt;
  const std::string state = address->state;
  const ProductPage* page = FindProductPage(address->page);
  if (page == nullptr || StateName(state).empty()) return std::nullopt;
  const std::int64_t ttl = g.options().productsTtlSeconds;
  return g.Cached(path, ttl, deadline, [&](Deadline d) {
    return page->types.empty() ? StateAlerts(g, state, *page, d) : StateProducts(g, state, *page, d);
  });
}
}  // namespace

void AddProductsSource(Gateway& gateway, historic::Router& router) {
  router.Add(hosts::kIwin, [&gateway](const Request& request) -> std::optional<Reply> {
    if (std::optional<Reply> reply = ProductsRequest(gateway, request, gateway.AnswerDeadline())) return reply;
    return Plain(404, historic::NotFoundPage("http://" + request.host + request.path));
  });
}

}  // namespace sky::gateway
