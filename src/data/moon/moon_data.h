// The moon tables and the moon pictures, built into the program.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace sky::moon_data {

// The text of tables.txt: comment lines starting with "#", then for each year a
// line with the year and the 32 rows of 52 characters of its table.
std::string_view TablesText();

// The GIF file of the picture shown by the control of that name (for instance
// "GIFImagel40x"); empty for an unknown name.
std::span<const unsigned char> Picture(std::string_view name);

// The names of all pictures.
std::vector<std::string_view> PictureNames();

}  // namespace sky::moon_data
