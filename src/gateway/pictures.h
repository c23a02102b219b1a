// Where each picture row of the catalogue (src/images/image_catalogue.cpp)
// comes from today: the table picture_sources.tsv beside this file, compiled
// in. One line per row, keyed by the row's command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "images/image_catalogue.h"

namespace sky::gateway {

struct PictureSource {
  std::string command;                 // the catalogue row's command
  std::string url;                     // https source; empty when drawn or none
  std::string drawnKind, drawnRegion;  // "temperature"/"precipitation" and a region, when drawn
  std::string format;                  // what the source sends: gif, jpeg, png; "-" for none
  bool animated = false;
  int minutes = 0;       // how often the source changes
  std::string evidence;  // where the address is documented; "none: REASON" for none

  bool Live() const { return !url.empty() || !drawnKind.empty(); }
  // The reason a row has no source (the evidence text without "none: ").
  std::string Reason() const;
};

// The compiled-in table's text, and the generated reader behind it.
std::string_view PictureSourcesText();
std::string_view PictureTableFile(std::string_view name);

// Reads the table; false with the line and what is wrong with it. Every line
// must name a catalogue row, once, and every row must have a line.
bool ParsePictureSources(std::string_view tsv, std::vector<PictureSource>& out, std::string& error);

// The compiled-in table, read once (a broken table fails the tests).
const std::vector<PictureSource>& PictureSources();
const PictureSource* SourceForCommand(const std::string& command);

// The catalogue row the program asks for with this host and path (the case
// of the path does not matter, as it did not to the old servers; the Purdue
// radar's older picture counts as the Purdue row), or nullptr.
const ImageRow* RowForRequest(const std::string& host, const std::string& path);

// Whether a host is one of the catalogue's picture servers.
bool IsPictureHost(const std::string& host);
// Those servers, each once, in lower case.
std::vector<std::string> PictureHosts();

// "https://host" of every picture source (the table's, and the radar and
// satellite loops of Local Radar): where a picture's redirect may lead.
std::vector<std::string> PictureSourceOrigins();

// Each row with its source or "none: REASON", and the count of live rows.
std::string PictureListText();
// The same as JSON: {"live": N, "rows": [{"command", "caption", "address",
// "live", "source" | "reason", "minutes", "animated"}]}.
std::string PictureListJson();

}  // namespace sky::gateway
