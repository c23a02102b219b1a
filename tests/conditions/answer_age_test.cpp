// How old an answer's conditions are, from its reply header.
#include <gtest/gtest.h>

#include "conditions/answer_age.h"

namespace sky {
namespace {

TEST(AnswerAge, HeadersOfAFreshAnOldAndAStaleAnswer) {
  const std::string fresh =
      "HTTP/1.0 200 OK\r\nDate: Mon, 07 Dec 2026 17:00:00 GMT\r\nLast-Modified: Mon, 07 Dec 2026 16:53:00 GMT\r\n\r\n";
  EXPECT_EQ(ReadAnswerAge(fresh).observedAgoS, 7 * 60);
  EXPECT_EQ(AgeNotice(ReadAnswerAge(fresh)), std::nullopt);
  // Over 90 minutes: said even though the gateway got it just now.
  const std::string old = "date: Mon, 07 Dec 2026 19:03:00 GMT\nlast-modified: Mon, 07 Dec 2026 16:53:00 GMT\n";
  EXPECT_EQ(AgeNotice(ReadAnswerAge(old)), "observed 2 h 10 min ago");
  // A kept answer served while the source fails: said however recent.
  const std::string stale = fresh + "Age: 1500\r\nWarning: 110 - \"Response is Stale\"\r\n";
  AnswerAge a = ReadAnswerAge(stale);
  EXPECT_TRUE(a.stale);
  EXPECT_EQ(a.ageS, 1500);
  EXPECT_EQ(AgeNotice(a), "observed 7 min ago");
  EXPECT_EQ(AgeNotice(ReadAnswerAge("Age: 600\r\nWarning: 110 - \"Response is Stale\"\r\n")),
            "kept 10 min, source not answering");
}

TEST(AnswerAge, BadOrMissingHeadersSayNothing) {
  EXPECT_EQ(AgeNotice(ReadAnswerAge("")), std::nullopt);
  EXPECT_EQ(AgeNotice(ReadAnswerAge("Date: yesterday\r\nLast-Modified: Mon, 07 Dec 2026 16:53:00 GMT\r\n")),
            std::nullopt);
  EXPECT_EQ(ReadAnswerAge("Age: -5\r\nAge: 12x\r\n").ageS, std::nullopt);
  EXPECT_FALSE(ReadAnswerAge("Warning: 199 - \"Miscellaneous\"\r\n").stale);
  // A clock ahead of the observation's: no negative age.
  EXPECT_EQ(
      ReadAnswerAge("Date: Mon, 07 Dec 2026 16:00:00 GMT\nLast-Modified: Mon, 07 Dec 2026 16:53:00 GMT\n").observedAgoS,
      0);
  EXPECT_EQ(ParseHttpDate("Mon, 07 Dec 2026 16:53:00 GMT"), 1796662380);
  EXPECT_EQ(ParseHttpDate("Mon, 07 Dez 2026 16:53:00 GMT"), std::nullopt);
  EXPECT_EQ(ParseHttpDate("Mon, 07 Dec 2026 16:53:00 CET"), std::nullopt);
  EXPECT_EQ(DurationText(59), "0 min");
  EXPECT_EQ(DurationText(3 * 86400 + 4 * 3600), "3 days 4 h");
}

}  // namespace
}  // namespace sky
