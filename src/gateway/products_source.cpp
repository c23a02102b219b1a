// The state text products and warnings ("/iwin/<state>/<page>.html") from the
// weather service's product and alert lists.
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "common/hosts.h"
#include "gateway/alerts.h"
#include "gateway/products.h"
#include "gateway/sources.h"
#include "historic/addresses.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

Produced StateAlerts(Gateway& g, const std::string& state, const ProductPage& page, Deadline deadline) {
  Produced failed;
  const std::string url = ActiveAlertsUrl(g.options().nwsApi, "area=" + state);
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return failed;
  const json alerts = ParseJson(r.body);
  const json* features = Member(alerts, "features");
  if (features == nullptr || !features->is_array()) {
    g.Log("upstream " + url + " failed: no alert list");
    return failed;
  }
  std::vector<std::string> texts;
  for (const json* alert : ShownAlerts(*features)) texts.push_back(AlertText((*alert)["properties"]));
  return {Gateway::Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts))};
}

struct ProductFetch {
  std::string id;                   // the product's address
  std::string which;                // "ZFP of EWX", for a page that has to name it
  std::optional<std::string> text;  // nothing: not fetched
  bool leftOut = false;             // not fetched: the page had reached its size bound
};

// The texts, kRequestsPerHost at a time. A product, once issued, never
// changes: its text is kept by its id.
void FetchProductTexts(Gateway& g, std::vector<ProductFetch>& wanted, Deadline deadline) {
  std::atomic<std::size_t> next{0};
  // The page is bounded in total, whatever the source sends: once the texts
  // fetched reach the bound, the rest are not asked for.
  std::atomic<std::size_t> fetched{0};
  auto work = [&] {
    for (std::size_t i = next++; i < wanted.size(); i = next++) {
      ProductFetch& p = wanted[i];
      if (fetched.load() > kMaxProductPageBytes) {
        p.leftOut = true;
        continue;
      }
      if (std::optional<Cache<std::string>::Hit> hit = g.ProductTexts().Find(p.id)) {
        p.text = hit->value;
        continue;
      }
      FetchResult text = g.upstream().Get(p.id, deadline);
      if (!text.ok) continue;
      const json body = ParseJson(text.body);
      if (!body.is_object()) {
        g.Log("upstream " + p.id + " failed: not JSON");
        continue;
      }
      p.text = StringAt(body, "productText");
      fetched += p.text->size();
      g.ProductTexts().Put(p.id, *p.text);
    }
  };
  const std::size_t workers = std::min<std::size_t>(wanted.size(), kRequestsPerHost);
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
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
  const std::vector<std::string> offices = ZoneOffices(zones);
  // Every state has offices: none found means the answer changed shape, not
  // that the state has no products, and must not be cached as "not available".
  if (offices.empty()) {
    g.Log("upstream " + zones_url + " failed: no forecast office in the zone list");
    return failed;
  }
  std::string types, locations;
  for (const char* t : page.types) types += (types.empty() ? "" : ",") + std::string(t);
  for (const std::string& o : offices) locations += (locations.empty() ? "" : ",") + o;
  const std::string list_url = g.options().nwsApi + "/products?type=" + types + "&location=" + locations + "&limit=100";
  FetchResult r = g.upstream().Get(list_url, deadline);
  if (!r.ok) return failed;
  const json list = ParseJson(r.body);
  const json* graph = Member(list, "@graph");
  if (graph == nullptr || !graph->is_array()) {
    g.Log("upstream " + list_url + " failed: no product list");
    return failed;
  }
  // The newest product of each office and type (the list is newest first).
  std::vector<ProductFetch> wanted;
  std::vector<std::string> seen;
  for (const json& product : *graph) {
    const std::string id = StringAt(product, "@id");
    const std::string which = StringAt(product, "productCode") + " of " + StringAt(product, "issuingOffice");
    if (id.empty() || !g.FromNws(id) || std::find(seen.begin(), seen.end(), which) != seen.end()) continue;
    seen.push_back(which);
    wanted.push_back({id, which, std::nullopt});
  }
  FetchProductTexts(g, wanted, deadline);
  std::vector<std::string> texts, missing;
  std::size_t page_bytes = 0;
  bool left_out = false;
  for (const ProductFetch& p : wanted) {
    if (p.leftOut || (p.text && page_bytes + p.text->size() > kMaxProductPageBytes)) {
      left_out = true;
    } else if (!p.text) {
      missing.push_back(p.which);
    } else if (!p.text->empty()) {
      page_bytes += p.text->size();
      texts.push_back(*p.text);
    }
  }
  if (left_out) texts.push_back(kProductsLeftOut);
  // Nothing at all arrived: a failure (the last good page stands in), not an
  // empty page; some arrived: they are shown, and the others named.
  if (!wanted.empty() && missing.size() == wanted.size()) return failed;
  return {Gateway::Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts, missing))};
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
