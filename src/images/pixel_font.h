// A 5 x 7 pixel font for the counter pictures the servers draw (the
// population clocks): digits, capitals and ",./". A character without a
// glyph leaves its place blank, as a space does.
#pragma once

#include <functional>
#include <string_view>

namespace sky {

// One lit glyph pixel: a square `size` pixels wide at (x, y). The canvas
// clips what falls outside it.
using PixelDot = std::function<void(int x, int y, int size)>;

// `text` centred in a picture `width` pixels wide, its top on row `y`, each
// glyph pixel `scale` pixels wide (6 * scale to a character).
void DrawPixelText(std::string_view text, int width, int y, int scale, const PixelDot& dot);

}  // namespace sky
