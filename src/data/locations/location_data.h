// The location catalogue data set, built into the program (see
// cmake/embed_texts.cmake): the texts of the files of src/data/locations.
#pragma once

#include <string_view>

namespace sky::data {

// The whole text of one data file ("catalogue.txt", "stations.tsv",
// "station_groups.tsv", "state_codes.tsv", "title_states.tsv",
// "group_derivation.tsv"); empty for any other name.
std::string_view LocationDataFile(std::string_view name);

}  // namespace sky::data
