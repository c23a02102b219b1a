// The location tables of src/data/locations, compiled into the sample server.
#pragma once

#include <string_view>

namespace sky::sample {

// Content of one table by its file name ("catalogue.txt", "stations.tsv", ...);
// empty for an unknown name.
std::string_view EmbeddedFile(std::string_view name);

}  // namespace sky::sample
