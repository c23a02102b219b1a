// The built-in catalogue as the program loads it: shape, counts and tables.
#include "locations/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using sky::LocationCatalogue;
using sky::LocationNode;

const LocationNode* Child(const LocationNode& n, const std::string& text) {
  for (const auto& c : n.children)
    if (c.text == text) return &c;
  return nullptr;
}

std::size_t Leaves(const LocationNode& n) {
  if (n.children.empty()) return 1;
  std::size_t sum = 0;
  for (const auto& c : n.children) sum += Leaves(c);
  return sum;
}

TEST(CatalogueTree, HasTheShapeAndCountsOfThePlaceTree) {
  const LocationNode& root = LocationCatalogue::Get().Root();
  EXPECT_EQ(root.text, "Continent");
  ASSERT_EQ(root.children.size(), 8u);
  std::vector<std::string> continents;
  std::size_t countries = 0;
  for (const auto& c : root.children) {
    continents.push_back(c.text);
    countries += c.children.size();
  }
  EXPECT_EQ(continents, (std::vector<std::string>{"Africa", "Asia", "Australia", "Central America", "Europe", "Islands",
                                                  "North America", "South America"}));
  EXPECT_EQ(countries, 41u);

  const LocationNode* na = Child(root, "North America");
  ASSERT_NE(na, nullptr);
  const LocationNode* canada = Child(*na, "Canada");
  const LocationNode* us = Child(*na, "United States");
  ASSERT_NE(canada, nullptr);
  ASSERT_NE(us, nullptr);
  EXPECT_EQ(canada->children.size(), 12u);
  EXPECT_EQ(us->children.size(), 53u);
  EXPECT_NE(Child(*us, "Lousiana"), nullptr);
  EXPECT_EQ(Child(*us, "Louisiana"), nullptr);
  for (const char* empty : {"Newfoundland", "Northwest Territory", "Yukon Territory"}) {
    const LocationNode* p = Child(*canada, empty);
    ASSERT_NE(p, nullptr) << empty;
    EXPECT_TRUE(p->children.empty()) << empty;
  }

  // Cities by depth, as the walk reports it (the root is depth 1).
  std::size_t depth4 = 0, depth5 = 0, canadian = 0, american = 0;
  sky::WalkLocationTree(root, [&](const LocationNode& n, int depth) {
    if (!n.children.empty()) return;
    if (depth == 4) ++depth4;
    if (depth == 5) ++depth5;
  });
  for (const auto& p : canada->children) canadian += p.children.size();
  for (const auto& s : us->children) american += s.children.size();
  // Three empty provinces are leaves at depth four, not cities.
  EXPECT_EQ(depth4 - 3, 888u);
  EXPECT_EQ(depth5, 948u);
  EXPECT_EQ(canadian, 361u);
  EXPECT_EQ(american, 587u);
  EXPECT_EQ(depth4 - 3 + depth5, 1836u);
  EXPECT_EQ(Leaves(root) - 3, 1836u);

  // The city count of every country and province, as the program loads them.
  // clang-format off
  const std::map<std::string, std::size_t> expected = {
      {"Egypt", 1}, {"Kenya", 18}, {"India", 5}, {"Japan", 123}, {"Capital Territory", 1},
      {"New South Wales", 14}, {"New Zealand", 37}, {"Northern Territory", 13},
      {"Queensland", 28}, {"South Australia", 30}, {"Tasmania", 5}, {"Victoria", 8},
      {"Western Australia", 91}, {"Belize", 3}, {"Costa Rica", 5}, {"Dominica", 2},
      {"Dominican Republic", 8}, {"El Salvador", 3}, {"Guatemala", 8}, {"Honduras", 13},
      {"Mexico", 91}, {"Nicaragua", 5}, {"Panama", 4}, {"Finland", 13}, {"France", 72},
      {"Germany", 43}, {"Italy", 74}, {"Netherlands", 19}, {"Norway", 42},
      {"United Kingdom", 51}, {"Antigua", 1}, {"Bahamas", 12}, {"Barbados", 1}, {"Bermuda", 1},
      {"Cayman Island", 1}, {"Fiji", 12}, {"Jamaica", 2}, {"Trinidad And Tobago", 2},
      {"Alberta", 53}, {"British Columbia", 78}, {"Manitoba", 29}, {"New Brunswick", 10},
      {"Newfoundland", 0}, {"Northwest Territory", 0}, {"Nova Scotia", 13}, {"Ontario", 63},
      {"Prince Edward Island", 3}, {"Quebec", 75}, {"Saskatchewan", 37}, {"Yukon Territory", 0},
      {"Peru", 26}};
  // clang-format on
  std::map<std::string, std::size_t> loaded;
  for (const auto& continent : root.children)
    for (const auto& country : continent.children)
      if (country.text == "Canada")
        for (const auto& p : country.children) loaded[p.text] = p.children.size();
      else if (country.text != "United States") loaded[country.text] = country.children.size();
  EXPECT_EQ(loaded, expected);
}

TEST(CatalogueTree, KeepsStoredOrderAndCityTexts) {
  const LocationNode& root = LocationCatalogue::Get().Root();
  const LocationNode* us = Child(*Child(root, "North America"), "United States");
  // States alphabetical as stored; the tree never re-sorts.
  EXPECT_EQ(us->children.front().text, "Alabama");
  EXPECT_NE(Child(*Child(*us, "Alabama"), "Muscle_Shoals"), nullptr);
  EXPECT_NE(Child(*Child(*us, "Arkansas"), "Little_Rock"), nullptr);
  EXPECT_NE(Child(*Child(*Child(root, "Europe"), "United Kingdom"), "Boscombe_Down"), nullptr);
  EXPECT_NE(Child(*Child(root, "Africa"), "Egypt")->children.size(), 0u);
  // US city texts are ready for an address: no blanks anywhere.
  for (const auto& state : us->children)
    for (const auto& city : state.children) EXPECT_EQ(city.text.find(' '), std::string::npos) << city.text;
}

TEST(CatalogueTables, StationTableHasItsGroupsRowsAndMessages) {
  const auto& cat = LocationCatalogue::Get();
  EXPECT_EQ(cat.StationRowCount(), 1247u);
  const auto& groups = cat.StationGroups();
  ASSERT_EQ(groups.size(), 15u);
  std::map<std::string, std::size_t> rows;
  for (const auto& g : groups) {
    std::string key = g.group + "/" + (g.countryKeys.empty() ? "*" : g.countryKeys.front());
    rows[key] = g.rows.size();
  }
  EXPECT_EQ(rows["Asia/India (O)"], 5u);
  EXPECT_EQ(rows["Asia/Japan (O)"], 123u);
  EXPECT_EQ(rows["Africa/*"], 19u);
  EXPECT_EQ(rows["Australia/*"], 226u);
  EXPECT_EQ(rows["Canada/*"], 361u);
  EXPECT_EQ(rows["Central America/*"], 141u);
  EXPECT_EQ(rows["Europe/Germany (O)"], 43u);
  EXPECT_EQ(rows["Europe/United Kingdom (O)"], 51u);
  EXPECT_EQ(rows["Islands/Antigua (O)"], 32u);
  EXPECT_EQ(rows["South America/Peru (O)"], 26u);
  EXPECT_EQ(rows["Europe/Finland (O)"], 13u);
  EXPECT_EQ(rows["Europe/France (O)"], 72u);
  EXPECT_EQ(rows["Europe/Italy (O)"], 74u);
  EXPECT_EQ(rows["Europe/Netherlands (O)"], 19u);
  EXPECT_EQ(rows["Europe/Norway (O)"], 42u);

  const sky::StationGroup* islands = nullptr;
  for (const auto& g : groups)
    if (g.group == "Islands") islands = &g;
  ASSERT_NE(islands, nullptr);
  EXPECT_EQ(islands->countryKeys.size(), 8u);
  EXPECT_TRUE(islands->Accepts("Cayman_Island (O)"));
  EXPECT_FALSE(islands->Accepts("Cayman Island (O)"));
  EXPECT_EQ(islands->notFoundMessage, "Sorry, invalid city found for Island locations:");
  EXPECT_EQ(groups.back().notFoundMessage, "Sorry, invalid City found for Peru:");
}

TEST(CatalogueTables, StateTitleAndGroupTables) {
  const auto& cat = LocationCatalogue::Get();
  EXPECT_EQ(cat.StateCodes().size(), 54u);
  EXPECT_EQ(cat.StateCodes().at("Lousiana"), "LA");
  EXPECT_EQ(cat.StateCodes().at("Louisiana"), "LA");  // the shown spelling
  EXPECT_EQ(sky::ShownNodeText("Lousiana"), "Louisiana");
  EXPECT_EQ(sky::ShownNodeText("Texas"), "Texas");
  EXPECT_EQ(cat.StateCodes().at("District of Columbia"), "DC");
  EXPECT_EQ(cat.StateCodes().at("Virgin Islands"), "VI");
  EXPECT_EQ(cat.TitleStates().size(), 56u);
  EXPECT_EQ(cat.TitleStates().at("Lousiana"), "LA");
  EXPECT_EQ(cat.TitleStates().at("Peru"), "Peru (O)");
  EXPECT_EQ(cat.TitleStates().at("United_Kingdom"), "United Kingdom (O)");
  EXPECT_EQ(cat.GroupDerivation().size(), 50u);
  EXPECT_EQ(cat.GroupDerivation().at("Germany (O)"), "Europe");
  EXPECT_EQ(cat.GroupDerivation().at("Quebec (O)"), "Canada");
  EXPECT_EQ(cat.GroupDerivation().at("Trinidad_And_Tobago (O)"), "Islands");
  // Every state node of the tree has a code.
  const auto& root = cat.Root();
  const LocationNode* us = Child(*Child(root, "North America"), "United States");
  for (const auto& s : us->children) EXPECT_EQ(cat.StateCodes().count(s.text), 1u) << s.text;
}

TEST(CatalogueParsing, ToleratesCrlfAndDamagedLines) {
  LocationCatalogue cat("Continent\r\n\tEurope\r\n\t\t\tDeep\r\n\t\tFrance\r\n",
                        "group\tcountry_key\tcity\tstation\nEurope\tFrance (O)\tParis\t07150\n"
                        "broken line\nNowhere\t*\tX\t1\n",
                        "group\tcountry_keys\tnot_found_message\nEurope\tFrance (O)\tmsg:\n", "name\tcode\n",
                        "name\tcode\n", "country_text\tgroup\n");
  ASSERT_EQ(cat.Root().children.size(), 1u);
  const auto& europe = cat.Root().children[0];
  EXPECT_EQ(europe.text, "Europe");
  // A line that skips a level hangs under the deepest open node.
  ASSERT_EQ(europe.children.size(), 2u);
  EXPECT_EQ(europe.children[0].text, "Deep");
  EXPECT_EQ(europe.children[1].text, "France");
  EXPECT_EQ(cat.StationRowCount(), 1u);
}

}  // namespace
