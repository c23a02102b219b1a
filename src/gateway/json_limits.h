// Bounds on upstream JSON, checked before parsing: the parsed form of a
// document costs many times its size (8 MB of "[" took 641 MB), so a hostile
// or broken source must be turned away while it is still text.
#pragma once

#include <cstddef>
#include <string_view>

namespace sky::gateway {

// Larger than any answer the sources give (a state's zone list is the
// largest, well under a megabyte); pictures are no JSON and have their own bound.
inline constexpr std::size_t kMaxJsonBytes = 4u << 20;
// The sources nest a handful of levels (GeoJSON coordinates four or five).
inline constexpr int kMaxJsonDepth = 64;

// True when `text` is at most `max_bytes` long and its arrays and objects nest
// at most `max_depth` deep (brackets inside strings do not count).
bool JsonWithinLimits(std::string_view text, std::size_t max_bytes = kMaxJsonBytes, int max_depth = kMaxJsonDepth);

}  // namespace sky::gateway
