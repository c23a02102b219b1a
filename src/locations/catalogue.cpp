#include "locations/catalogue.h"

#include <string_view>

#include "common/text.h"
#include "data/locations/location_data.h"

namespace sky {

namespace {

// Lines of a text file without their line ends (LF or CRLF); the trailing
// empty line of a file ending in LF is dropped.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
    start = end + 1;
  }
  return out;
}

// Rows of a TAB-separated table after its header line, with exactly
// `columns` fields each.
std::vector<std::vector<std::string>> Table(std::string_view text, std::size_t columns) {
  std::vector<std::vector<std::string>> rows;
  auto lines = Lines(text);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    auto fields = SplitText(lines[i], '\t');
    if (fields.size() == columns) rows.push_back(std::move(fields));
  }
  return rows;
}

std::map<std::string, std::string> Pairs(std::string_view text) {
  std::map<std::string, std::string> out;
  for (auto& row : Table(text, 2)) out.emplace(row[0], row[1]);
  return out;
}

LocationNode ParseTree(std::string_view text) {
  LocationNode root;
  bool haveRoot = false;
  std::vector<LocationNode*> chain;  // chain[d] is the open node at depth d
  for (std::string_view line : Lines(text)) {
    std::size_t depth = 0;
    while (depth < line.size() && line[depth] == '\t') ++depth;
    std::string_view nodeText = line.substr(depth);
    if (nodeText.empty()) continue;
    if (depth == 0) {
      if (haveRoot) continue;  // one root only
      root.text = std::string(nodeText);
      haveRoot = true;
      chain.assign(1, &root);
      continue;
    }
    if (!haveRoot) continue;
    // A line deeper than one below its predecessor hangs under the deepest
    // open node rather than being lost.
    if (depth > chain.size()) depth = chain.size();
    chain.resize(depth);
    LocationNode* parent = chain.back();
    parent->children.push_back(LocationNode{std::string(nodeText), {}});
    chain.push_back(&parent->children.back());
  }
  return root;
}

}  // namespace

void WalkLocationTree(const LocationNode& node, const std::function<void(const LocationNode&, int)>& visit, int depth) {
  visit(node, depth);
  for (const auto& child : node.children) WalkLocationTree(child, visit, depth + 1);
}

bool StationGroup::Accepts(const std::string& region) const {
  if (countryKeys.empty()) return true;
  for (const auto& key : countryKeys)
    if (key == region) return true;
  return false;
}

LocationCatalogue::LocationCatalogue(std::string_view tree, std::string_view stations, std::string_view groups,
                                     std::string_view stateCodes, std::string_view titleStates,
                                     std::string_view groupDerivation)
    : root_(ParseTree(tree)),
      stateCodes_(Pairs(stateCodes)),
      titleStates_(Pairs(titleStates)),
      groupDerivation_(Pairs(groupDerivation)) {
  for (auto& row : Table(groups, 3)) {
    StationGroup g;
    g.group = row[0];
    if (row[1] != "*") g.countryKeys = SplitText(row[1], '|');
    g.notFoundMessage = row[2];
    groups_.push_back(std::move(g));
  }
  // A row belongs to the entry of its group whose key list is the row's
  // country key; a row keyed "*" belongs to its group's only entry (the
  // island rows are shared by all the island countries).
  for (auto& row : Table(stations, 4)) {
    for (auto& g : groups_) {
      if (g.group != row[0]) continue;
      bool match = row[1] == "*";
      if (!match) {
        std::string keys;
        for (std::size_t i = 0; i < g.countryKeys.size(); ++i) keys += (i ? "|" : "") + g.countryKeys[i];
        match = keys == row[1];
      }
      if (match) {
        g.rows.emplace_back(row[2], row[3]);
        break;
      }
    }
  }
}

std::size_t LocationCatalogue::StationRowCount() const {
  std::size_t n = 0;
  for (const auto& g : groups_) n += g.rows.size();
  return n;
}

const LocationCatalogue& LocationCatalogue::Get() {
  static const LocationCatalogue catalogue(
      data::LocationDataFile("catalogue.txt"), data::LocationDataFile("stations.tsv"),
      data::LocationDataFile("station_groups.tsv"), data::LocationDataFile("state_codes.tsv"),
      data::LocationDataFile("title_states.tsv"), data::LocationDataFile("group_derivation.tsv"));
  return catalogue;
}

std::string ShownNodeText(const std::string& text) { return text == "Lousiana" ? "Louisiana" : text; }

}  // namespace sky
