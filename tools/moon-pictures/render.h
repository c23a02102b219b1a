// Draws the moon pictures: a shaded grey disc on a black sky, anti-aliased.
#pragma once

#include <cstdint>
#include <vector>

namespace moon_pictures {

constexpr int kSize = 50;

// Grey levels 0..255, kSize x kSize, top row first. fraction is the part of
// the disc that is lit (0 new moon .. 1 full moon); waxing puts the lit part on
// the right, waning on the left.
std::vector<std::uint8_t> RenderMoon(double fraction, bool waxing);

}  // namespace moon_pictures
