#include "locations/US_cities.h"

#include "common/text.h"
#include "locations/catalogue.h"

namespace sky {

std::string ToStateCode(const std::string& state) {
  const auto& codes = LocationCatalogue::Get().StateCodes();
  auto it = codes.find(state);
  return it == codes.end() ? state : it->second;
}

namespace {

struct PrefixRange {
  int first, last;  // three-digit prefixes, both included
  const char* code;
};

// The Postal Service's three-digit prefixes by state (its sectional centre
// list); the gaps are unassigned or military mail (090-099, 340, 962-966).
// clang-format off
constexpr PrefixRange kZipPrefixes[] = {
    {5, 5, "NY"},     {6, 7, "PR"},     {8, 8, "VI"},     {9, 9, "PR"},     {10, 27, "MA"},   {28, 29, "RI"},
    {30, 38, "NH"},   {39, 49, "ME"},   {50, 54, "VT"},   {55, 55, "MA"},   {56, 59, "VT"},   {60, 69, "CT"},
    {70, 89, "NJ"},   {100, 149, "NY"}, {150, 196, "PA"}, {197, 199, "DE"}, {200, 200, "DC"}, {201, 201, "VA"},
    {202, 205, "DC"}, {206, 219, "MD"}, {220, 246, "VA"}, {247, 268, "WV"}, {270, 289, "NC"}, {290, 299, "SC"},
    {300, 319, "GA"}, {320, 339, "FL"}, {341, 349, "FL"}, {350, 369, "AL"}, {370, 385, "TN"}, {386, 397, "MS"},
    {398, 399, "GA"}, {400, 427, "KY"}, {430, 459, "OH"}, {460, 479, "IN"}, {480, 499, "MI"}, {500, 528, "IA"},
    {530, 549, "WI"}, {550, 567, "MN"}, {569, 569, "DC"}, {570, 577, "SD"}, {580, 588, "ND"}, {590, 599, "MT"},
    {600, 629, "IL"}, {630, 658, "MO"}, {660, 679, "KS"}, {680, 693, "NE"}, {700, 714, "LA"}, {716, 729, "AR"},
    {730, 732, "OK"}, {733, 733, "TX"}, {734, 749, "OK"}, {750, 799, "TX"}, {800, 816, "CO"}, {820, 831, "WY"},
    {832, 838, "ID"}, {840, 847, "UT"}, {850, 865, "AZ"}, {870, 884, "NM"}, {885, 885, "TX"}, {889, 898, "NV"},
    {900, 961, "CA"}, {967, 968, "HI"}, {970, 979, "OR"}, {980, 994, "WA"}, {995, 999, "AK"},
};
// clang-format on

// Five-digit codes whose prefix is shared: American Samoa under Hawaii's 967,
// the Pacific territories under 969.
struct ZipRange {
  int first, last;
  const char* code;
};
constexpr ZipRange kZipExceptions[] = {
    {96799, 96799, "AS"}, {96910, 96932, "GU"}, {96939, 96940, "PW"}, {96941, 96944, "FM"},
    {96950, 96952, "MP"}, {96960, 96960, "MH"}, {96970, 96970, "MH"},
};

}  // namespace

std::string ZipStateCode(const std::string& zip) {
  if (zip.size() < 5) return {};
  int number = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (zip[i] < '0' || zip[i] > '9') return {};
    number = number * 10 + (zip[i] - '0');
  }
  for (const ZipRange& r : kZipExceptions)
    if (number >= r.first && number <= r.last) return r.code;
  const int prefix = number / 100;
  for (const PrefixRange& r : kZipPrefixes)
    if (prefix >= r.first && prefix <= r.last) return r.code;
  return {};
}

TitleState StateCodeFromTitle(const std::string& title) {
  TitleState out{title, ""};
  std::size_t comma = Pos(",", title);
  if (comma == 0) return out;
  out.city = Cut(title, 1, static_cast<long long>(comma) - 1);
  std::string state = Trim(Cut(title, static_cast<long long>(comma) + 1, static_cast<long long>(title.size())));
  const auto& table = LocationCatalogue::Get().TitleStates();
  auto it = table.find(state);
  if (it != table.end()) out.code = it->second;
  return out;
}

}  // namespace sky
