#include "settings/colors.h"

#include <cstdio>
#include <iterator>

#include "common/convert.h"
#include "common/text.h"

namespace sky {

namespace {

struct NamedColor {
  TColor value;
  const char* name;
};

// In the framework's order: where two names could share a value the first wins.
constexpr NamedColor kNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
};

// The classic desktop scheme, as 0xRRGGBB, by system colour index.
constexpr std::uint32_t kSystemRgb[] = {
    0xC0C0C0,  // scroll bar
    0x008080,  // desktop background
    0x000080,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x000080,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3-D dark shadow
    0xDFDFDF,  // 3-D light
    0x000000,  // tooltip text
    0xFFFFE1,  // tooltip background
};

}  // namespace

std::optional<std::string> ColorToIdent(TColor color) {
  for (const auto& n : kNames)
    if (n.value == color) return std::string(n.name);
  return std::nullopt;
}

std::optional<TColor> IdentToColor(const std::string& ident) {
  for (const auto& n : kNames)
    if (SameTextAscii(ident, n.name)) return n.value;
  return std::nullopt;
}

std::string ColorToString(TColor color) {
  if (auto ident = ColorToIdent(color)) return *ident;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned int>(color));
  return buf;
}

TColor StringToColor(const std::string& text) {
  if (auto c = IdentToColor(text)) return *c;
  return StrToInt(text);
}

std::optional<TColor> TryStringToColor(const std::string& text) {
  try {
    return StringToColor(text);
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

Rgb ColorToRgb(TColor color) {
  auto bits = static_cast<std::uint32_t>(color);
  if (bits & 0x80000000u) {
    const std::uint32_t index = bits & 0xFF;
    const std::uint32_t rgb = index < std::size(kSystemRgb) ? kSystemRgb[index] : 0;
    return Rgb{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
               static_cast<std::uint8_t>(rgb)};
  }
  return Rgb{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16)};
}

TColor RgbToColor(Rgb rgb) { return static_cast<TColor>(rgb.r | (rgb.g << 8) | (rgb.b << 16)); }

}  // namespace sky
