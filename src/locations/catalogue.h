// The built-in location catalogue: the place tree and the lookup tables that
// turn a picked place into what a conditions request needs. The data is
// compiled into the program and read on first use only, so start-up pays
// nothing for it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sky {

// One node of the place tree: text only, children in stored order.
struct LocationNode {
  std::string text;
  std::vector<LocationNode> children;
};

// Calls `visit` for `node` and every node below it, depth-first in stored
// order. `depth` counts the starting node as 1 (the root "Continent" is at
// depth 1, a continent at 2, a country at 3, cities at 4 or 5).
void WalkLocationTree(const LocationNode& node, const std::function<void(const LocationNode& node, int depth)>& visit,
                      int depth = 1);

// One row group of the station table: a group key ("Asia", "Canada"...), the
// country texts it accepts (empty = any country) and its not-found message.
struct StationGroup {
  std::string group;
  std::vector<std::string> countryKeys;  // empty means "any"
  std::string notFoundMessage;
  // City key -> station number, in table order.
  std::vector<std::pair<std::string, std::string>> rows;

  bool Accepts(const std::string& region) const;
};

class LocationCatalogue {
 public:
  // The catalogue of the program, parsed on first use (thread-safe).
  static const LocationCatalogue& Get();

  const LocationNode& Root() const { return root_; }
  // State node text -> two-letter code ("Lousiana" and "Louisiana" -> "LA").
  const std::map<std::string, std::string>& StateCodes() const { return stateCodes_; }
  // State text of a page title -> code, plus the two foreign countries.
  const std::map<std::string, std::string>& TitleStates() const { return titleStates_; }
  // Country text with the foreign marker -> station group.
  const std::map<std::string, std::string>& GroupDerivation() const { return groupDerivation_; }
  // The station table's groups, in table order.
  const std::vector<StationGroup>& StationGroups() const { return groups_; }
  std::size_t StationRowCount() const;

  // Builds a catalogue from the texts of the data files (the program's own
  // data is loaded through Get()). Malformed lines are skipped.
  LocationCatalogue(std::string_view tree, std::string_view stations, std::string_view groups,
                    std::string_view stateCodes, std::string_view titleStates, std::string_view groupDerivation);

 private:
  LocationNode root_;
  std::map<std::string, std::string> stateCodes_;
  std::map<std::string, std::string> titleStates_;
  std::map<std::string, std::string> groupDerivation_;
  std::vector<StationGroup> groups_;
};

// A node text as the chooser shows it. The data keep "Lousiana", by which
// the place tables and the geographic data set know the state; people read
// "Louisiana".
std::string ShownNodeText(const std::string& text);

}  // namespace sky
