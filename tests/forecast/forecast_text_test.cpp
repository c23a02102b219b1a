// The four text treatments on their edge cases.
#include <gtest/gtest.h>

#include "forecast/forecast_text.h"

namespace {

using namespace sky;

TEST(PlainTextCut, StopsAtTheFirstAddressAndWritesLineFeedsAsCrLf) {
  EXPECT_EQ(PlainTextCut("abc\r\ndef http://x.y/z\nmore"), "abc\r\r\ndef ");
  EXPECT_EQ(PlainTextCut("a\nb"), "a\r\nb");
  EXPECT_EQ(PlainTextCut(""), "");
  EXPECT_EQ(PlainTextCut("http://at.start"), "");
}

TEST(TagStrip, TagsReferencesAndLineBreaks) {
  EXPECT_EQ(TagStrip("<b>HIGH</b> 70&#176;F&nbsp;TODAY"), "HIGH 70\260F TODAY");
  // Without the "&" the references still count; other "&"s stay.
  EXPECT_EQ(TagStrip("70#176; A&B nbsp;C"), "70\xB0 A&B  C");
  // Only the "&" right before the reference goes with it.
  EXPECT_EQ(TagStrip("x&<i></i>#176;"), "x&\xB0");
  EXPECT_EQ(TagStrip("one\r\ntwo <a href=x"), "one\r\ntwo");
  EXPECT_EQ(TagStrip("  \r\n<p> text </p>\r\n"), "text");
  EXPECT_EQ(TagStrip(""), "");
}

TEST(CountySection, FromTheCharacterBeforeTheNameToTheSegmentEnd) {
  const std::string page = "CAZ001-LOS ANGELES-\r\nWARM\r\n$$\r\nCAZ002-ORANGE-\r\nCOOL\r\n$$";
  CountySectionResult r = CountySection(page, "ORANGE");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.text, "-ORANGE-\r\nCOOL\r\n");
  r = CountySection("ORANGE\r\nNO END", "ORANGE");
  EXPECT_EQ(r.text, "ORANGE\r\nNO END");
  r = CountySection(page, "KERN");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.text, page);
}

TEST(WarningText, NoticeOrPageThenTheEndMark) {
  EXPECT_EQ(WarningText("x is not currently available y", "TX"),
            " Sorry, this TX information is not currently available.\r\n--- End of File --");
  EXPECT_EQ(WarningText("STATEMENT", "TX"), "STATEMENT\r\n--- End of File --");
  EXPECT_EQ(WarningText(" \r\n", "TX"),
            " Sorry, this TX information is not currently available.\r\n--- End of File --");
  // No warnings is no fault: said so for the state, on a line of its own.
  EXPECT_EQ(WarningText("The Warnings for TX are not currently available.", "TX", true),
            "There are no active warnings or advisories for TX.\r\n--- End of File --");
  EXPECT_EQ(WarningText("", "TX", true), "There are no active warnings or advisories for TX.\r\n--- End of File --");
  EXPECT_EQ(WarningText("TORNADO WARNING", "TX", true), "TORNADO WARNING\r\n--- End of File --");
}

}  // namespace
