#include "gateway/alerts.h"

#include <algorithm>
#include <map>
#include <set>

namespace sky::gateway {

namespace {

using nlohmann::json;

std::string StringAt(const json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

const json* Properties(const json& feature) {
  if (!feature.is_object()) return nullptr;
  auto it = feature.find("properties");
  return it != feature.end() && it->is_object() ? &*it : nullptr;
}

// "Butler, AL; Clarke, AL" -> its places.
std::set<std::string> Areas(const json& properties) {
  std::set<std::string> areas;
  const std::string text = StringAt(properties, "areaDesc");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::size_t a = text.find_first_not_of(' ', start);
    if (a < end) areas.insert(text.substr(a, end - a));
    start = end + 1;
  }
  return areas;
}

}  // namespace

std::string ActiveAlertsUrl(const std::string& api, const std::string& where) {
  return api + "/alerts/active?" + where + "&status=actual";
}

std::vector<const json*> ShownAlerts(const json& features) {
  std::vector<const json*> shown;
  if (!features.is_array()) return shown;
  // Messages an update in this list stands in for, and cancellations with
  // the places they end. A cancellation of part of a watch's area leaves the
  // watch in force for the rest, so only a message cancelled everywhere goes.
  std::set<std::string> replaced;
  std::map<std::string, std::set<std::string>> cancelledAreas;
  for (const json& feature : features) {
    const json* p = Properties(feature);
    if (p == nullptr) continue;
    const std::string type = StringAt(*p, "messageType");
    if (type != "Update" && type != "Cancel") continue;
    auto refs = p->find("references");
    if (refs == p->end() || !refs->is_array()) continue;
    const std::set<std::string> areas = Areas(*p);
    for (const json& ref : *refs) {
      const std::string id = StringAt(ref, "identifier");
      if (id.empty()) continue;
      if (type == "Update") replaced.insert(id);
      else cancelledAreas[id].insert(areas.begin(), areas.end());
    }
  }
  for (const json& feature : features) {
    const json* p = Properties(feature);
    if (p == nullptr) continue;
    if (StringAt(*p, "status") != "Actual") continue;
    if (StringAt(*p, "messageType") == "Cancel") continue;
    const std::string id = StringAt(*p, "id");
    if (replaced.count(id) != 0) continue;
    if (auto c = cancelledAreas.find(id); c != cancelledAreas.end()) {
      const std::set<std::string> areas = Areas(*p);
      if (std::includes(c->second.begin(), c->second.end(), areas.begin(), areas.end())) continue;
    }
    shown.push_back(&feature);
  }
  return shown;
}

std::string AlertText(const json& properties) {
  std::string text = StringAt(properties, "headline");
  if (text.empty()) text = StringAt(properties, "event");
  for (const char* key : {"description", "instruction", "areaDesc"}) {
    const std::string part = StringAt(properties, key);
    if (!part.empty()) text += "\n\n" + part;
  }
  return text + "\n\n$$";
}

}  // namespace sky::gateway
