#include <gtest/gtest.h>

#include <climits>

#include "common/quoting.h"
#include "common/text.h"

using namespace sky;

TEST(Text, CutFollowsTheCountRules) {
  EXPECT_EQ(Cut("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Cut("abcdef", 5, 10), "ef");  // stops at the end
  EXPECT_EQ(Cut("abcdef", 7, 1), "");     // start past the end
  EXPECT_EQ(Cut("abcdef", 1, 0), "");
  EXPECT_EQ(Cut("abcdef", 1, -4), "");  // a missing end key gives a negative count
  EXPECT_EQ(Cut("abcdef", 0, 2), "ab");
  EXPECT_EQ(Cut("", 1, 5), "");
}

TEST(Text, TrimRemovesEveryControlAndBlank) {
  EXPECT_EQ(Trim(std::string("\x01 \t a b\r\n\x1F ", 12)), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xB0x\xA0"), "\xB0x\xA0");  // high bytes are not blanks
}

TEST(Text, PosFindsFirstCaseSensitiveOccurrence) {
  EXPECT_EQ(Pos("b", "abcb"), 2u);
  EXPECT_EQ(Pos("B", "abcb"), 0u);
  EXPECT_EQ(Pos("", "abc"), 0u);
  EXPECT_EQ(PosFrom("b", "abcb", 3), 4u);
  EXPECT_EQ(PosFrom("b", "abcb", 5), 0u);
}

TEST(Text, IntegerConversionIsStrict) {
  int v = 0;
  EXPECT_TRUE(TryStrToInt("8080", v));
  EXPECT_EQ(v, 8080);
  EXPECT_TRUE(TryStrToInt("-12", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(TryStrToInt("$00FF0000", v));
  EXPECT_EQ(v, 0xFF0000);
  EXPECT_TRUE(TryStrToInt("-$80000000", v));  // the lowest 32-bit pattern, no overflow
  EXPECT_EQ(v, INT_MIN);
  EXPECT_FALSE(TryStrToInt("", v));
  EXPECT_FALSE(TryStrToInt(" 8", v));
  EXPECT_FALSE(TryStrToInt("8a", v));
  EXPECT_FALSE(TryStrToInt("99999999999", v));
}

TEST(Text, SplitKeepsEmptyPiecesAtBothEnds) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitView("a,,b", ','), (V{"a", "", "b"}));
  EXPECT_EQ(SplitView(",a,", ','), (V{"", "a", ""}));
  EXPECT_EQ(SplitView("", ','), (V{""}));
}

TEST(Text, Latin1RoundTripsThroughUtf8) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string back;
  ASSERT_TRUE(Utf8ToLatin1(Latin1ToUtf8(all), back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(Utf8ToLatin1("\xE2\x82\xAC", back));  // the euro sign is beyond U+00FF
}

TEST(Text, ShellQuotedReadsBackAsOneWord) {
  EXPECT_EQ(ShellQuoted("/home/a/skyglass.bmp"), "/home/a/skyglass.bmp");
  EXPECT_EQ(ShellQuoted(""), "''");
  EXPECT_EQ(ShellQuoted("it's $HOME"), "'it'\\''s $HOME'");
  // A line break stays on the printed line.
  EXPECT_EQ(ShellQuoted("a\nb'\\"), "$'a\\x0ab\\'\\\\'");
}

TEST(Text, EscapedControlsKeepsALogLineOneLine) {
  EXPECT_EQ(EscapedControls("GET /a%0a HTTP/1.0"), "GET /a%0a HTTP/1.0");
  EXPECT_EQ(EscapedControls("/x\r\nforged 200\x7f\\"), "/x\\x0d\\x0aforged 200\\x7f\\x5c");
}
