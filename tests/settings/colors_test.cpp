#include <gtest/gtest.h>

#include "common/convert.h"
#include "settings/colors.h"
#include "settings/ini_proc.h"
#include "temp_config.h"

using namespace sky;

namespace {

std::string ConvertMessage(const std::string& text) {
  try {
    StrToInt(text);
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "converted";
}

TEST(Convert, AcceptsSignsDecimalAndDollarHex) {
  EXPECT_EQ(StrToInt("8080"), 8080);
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("-$80000000"), INT_MIN);
  EXPECT_EQ(StrToInt("2147483647"), INT_MAX);
  EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
}

TEST(Convert, RejectsEverythingElseWithTheTextInTheMessage) {
  EXPECT_EQ(ConvertMessage("80a"), "'80a' is not a valid integer value");
  EXPECT_EQ(ConvertMessage(""), "'' is not a valid integer value");
  EXPECT_EQ(ConvertMessage(" 8 "), "' 8 ' is not a valid integer value");
  EXPECT_EQ(ConvertMessage("n/a"), "'n/a' is not a valid integer value");
  EXPECT_EQ(ConvertMessage("2147483648"), "'2147483648' is not a valid integer value");
  EXPECT_EQ(ConvertMessage("$100000000"), "'$100000000' is not a valid integer value");
  EXPECT_EQ(ConvertMessage("-"), "'-' is not a valid integer value");
  EXPECT_EQ(ConvertMessage("$"), "'$' is not a valid integer value");
}

TEST(Colors, NamedColoursBecomeTheirIdentifiersOthersDollarHex) {
  EXPECT_EQ(ColorToString(clTeal), "clTeal");
  EXPECT_EQ(ColorToString(0x0000FF), "clRed");
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(clInfoBk), "clInfoBk");
  EXPECT_EQ(ColorToString(clNone), "clNone");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(ColorToString(0x00abcdef), "$00ABCDEF");
  EXPECT_EQ(ColorToString(SystemColor(30)), "$8000001E");
  EXPECT_EQ(clInfoBk, static_cast<TColor>(0x80000018u));
}

TEST(Colors, TextsReadBackAsTheSameColour) {
  EXPECT_EQ(StringToColor("clTeal"), StringToColor("$00808000"));
  EXPECT_EQ(StringToColor("CLTEAL"), clTeal);
  EXPECT_EQ(StringToColor("8421376"), clTeal);  // decimal
  EXPECT_EQ(StringToColor("clScrollBar"), static_cast<TColor>(0x80000000u));
  for (TColor c : {clBlack, clWhite, clNone, clWindowText, TColor{0x00010203}, SystemColor(99)})
    EXPECT_EQ(StringToColor(ColorToString(c)), c) << ColorToString(c);
  EXPECT_THROW(StringToColor("clTurquoise"), EConvertError);
  EXPECT_FALSE(TryStringToColor("teal").has_value());
}

TEST(Colors, PaintValuesResolveSystemColours) {
  EXPECT_EQ(ColorToRgb(clRed), (Rgb{255, 0, 0}));
  EXPECT_EQ(ColorToRgb(clNavy), (Rgb{0, 0, 128}));
  EXPECT_EQ(ColorToRgb(clBtnFace), (Rgb{192, 192, 192}));
  EXPECT_EQ(ColorToRgb(clWindow), (Rgb{255, 255, 255}));
  EXPECT_EQ(ColorToRgb(clWindowText), (Rgb{0, 0, 0}));
  EXPECT_EQ(RgbToColor(Rgb{0, 128, 128}), clTeal);
}

class ColorSetting : public TempConfig {};

TEST_F(ColorSetting, StoredNameAndStoredHexGiveTheSameColour) {
  WriteSetting("Settings", "labelcolor", ColorToString(clTeal));
  WriteSetting("Settings", "statsfcolor", "$00808000");
  EXPECT_EQ(ReadSetting("Settings", "labelcolor"), "clTeal");
  EXPECT_EQ(StringToColor(ReadSetting("Settings", "labelcolor")),
            StringToColor(ReadSetting("Settings", "statsfcolor")));
  EXPECT_FALSE(TryStringToColor(ReadSetting("Settings", "labelfcolor")).has_value());  // "n/a"
}

}  // namespace
