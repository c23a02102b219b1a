#include <gtest/gtest.h>

#include "info/info_links.h"

using namespace sky;

namespace {

TEST(VersionCheck, ComparesTheFirstEightCharacters) {
  VersionCheck r = CompareVersion("Version#1.31.0.0\r\n");
  EXPECT_EQ(r.outcome, VersionOutcome::Older);
  EXPECT_EQ(r.message, "You are using an older version (1.30.6.3). The latest version is 1.31.0.0.");

  r = CompareVersion("<html>Version#1.30.6.3</html>");
  EXPECT_EQ(r.outcome, VersionOutcome::Current);
  EXPECT_EQ(r.message, "Your version is the most current (1.30.6.3). The latest version is 1.30.6.3.");

  r = CompareVersion("Version#1.30.6.10");
  EXPECT_EQ(r.latest, "1.30.6.1");
  EXPECT_EQ(r.outcome, VersionOutcome::Current);

  r = CompareVersion("Version#1.4");  // short file: what is there, "1.4" > "1.3..."
  EXPECT_EQ(r.latest, "1.4");
  EXPECT_EQ(r.outcome, VersionOutcome::Older);

  for (const char* body : {"", "<html>Not Found</html>", "version#1.31.0.0"}) {
    r = CompareVersion(body);
    EXPECT_EQ(r.outcome, VersionOutcome::NoMarker) << body;
    EXPECT_EQ(r.message, "Error retrieving version #.  Please try again later.");
  }
}

TEST(Memory, ParsedFromMeminfoAndShown) {
  const std::string text =
      "MemTotal:        8000000 kB\nMemFree:          100000 kB\nMemAvailable:    2000000 kB\n"
      "Buffers:           1000 kB\n";
  const auto m = ParseMeminfo(text);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->totalPhys, 8000000ull * 1024);
  EXPECT_EQ(m->availPhys, 2000000ull * 1024);
  const MemoryDisplay d = MakeMemoryDisplay(*m);
  EXPECT_EQ(d.progress, 25);
  EXPECT_EQ(d.freeText, "Free RAM: 2048000 K bytes");
  EXPECT_EQ(d.totalText, "Total RAM: 8192000 K bytes");

  // An older kernel without MemAvailable: the free figure.
  EXPECT_EQ(ParseMeminfo("MemTotal: 1000 kB\nMemFree: 10 kB\n")->availPhys, 10240u);
  EXPECT_FALSE(ParseMeminfo("MemFree: 10 kB\n"));
  EXPECT_FALSE(ParseMeminfo("garbage"));
  EXPECT_EQ(MakeMemoryDisplay({50, 50}).progress, 0);  // no division by zero
}

TEST(Memory, GaugeRedBelowFivePerCent) {
  const Rgb red{255, 0, 0}, green{0, 255, 0};
  EXPECT_EQ(MakeMemoryDisplay({100000000, 3000000}).gaugeColor, red);
  EXPECT_EQ(MakeMemoryDisplay({100000000, 5000000}).gaugeColor, green);
  EXPECT_EQ(GaugeColorFor(4), red);
}

}  // namespace
