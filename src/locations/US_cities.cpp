#include "locations/US_cities.h"

#include "common/text.h"
#include "locations/catalogue.h"

namespace sky {

std::string ToStateCode(const std::string& state) {
  const auto& codes = LocationCatalogue::Get().StateCodes();
  auto it = codes.find(state);
  return it == codes.end() ? state : it->second;
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
