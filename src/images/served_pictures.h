// Which picture rows the weather gateway serves: it publishes the list as a
// small JSON document (on the Purdue radar's host, which it answers), and
// the program greys the rows it has no source for, with the reason.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace sky {

inline constexpr const char* kServedPicturesPath = "/gateway/pictures.json";
// "http://weather.purdue.edu/gateway/pictures.json": only the gateway
// answers it; the sample server and the old hosts do not. With the current
// place's conditions address, the list holds Local Radar's row for it too.
std::string ServedPicturesAddress(const std::string& conditionsPath = "");

struct ServedPictures {
  int live = 0;
  // The rows without a source, by command, with the reason.
  std::map<std::string, std::string> unserved;

  bool Serves(const std::string& command) const { return unserved.find(command) == unserved.end(); }
  // The reason, "" when the row is served.
  std::string Reason(const std::string& command) const;
};

// Reads the gateway's document: {"live": N, "rows": [{"command": ..., "live":
// true|false, "reason": ...}, ...]} (other members ignored). Nothing when the
// text is not such a document.
std::optional<ServedPictures> ParseServedPictures(const std::string& json);

}  // namespace sky
