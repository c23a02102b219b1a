// Colours as the settings store keeps them: a 32-bit value 0x00BBGGRR, or a
// system colour (0x80000000 | index), stored as an identifier such as
// "clTeal" or as "$" and eight upper-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sky {

using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

// System colours: the flag bit and the index of the desktop colour.
inline constexpr TColor kSystemColorFlag = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);
inline constexpr TColor clNone = 0x1FFFFFFF;

// The identifier of a named colour ("clTeal"), else "$" and eight upper-case
// hexadecimal digits of the value ("$00123456", "$8000001F").
std::string ColorToString(TColor color);

// An identifier (any case), a "$"-hexadecimal or a decimal number. Anything
// else throws EConvertError "'<text>' is not a valid integer value".
TColor StringToColor(const std::string& text);

// As StringToColor, but nothing instead of the exception.
std::optional<TColor> TryStringToColor(const std::string& text);

// The colour's identifier, or nothing when it has none.
std::optional<std::string> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(const std::string& ident);

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The colour to paint with: system colours become the classic desktop
// scheme's colours (clBtnFace silver, clWindow white, ...); any other value
// gives its low three bytes, so clNone paints white.
Rgb ColorToRgb(TColor color);
// The plain colour value of a red-green-blue triple.
TColor RgbToColor(Rgb rgb);

}  // namespace sky
