// skyglass-cli moon: one JSON object on stdout, exit 2 for a malformed date.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
};

CliRun Cli(const std::string& args) {
  CliRun r;
  const std::string cmd = std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli " + args + " 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return r;
  char buf[512];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) r.out.append(buf, n);
  const int status = pclose(f);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace

TEST(MoonCli, PrintsThePictureOfTheDate) {
  CliRun r = Cli("moon 1998-01-02");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"picture\": \"GIFImagel10x\", \"today\": \"0.13\", \"next\": \"0.22\", \"trend\": \"rising\", "
            "\"messages\": []}\n");
  r = Cli("moon 1998-12-15");
  EXPECT_NE(r.out.find("\"picture\": \"GIFImage10x\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"trend\": \"falling\""), std::string::npos) << r.out;
}

TEST(MoonCli, YearWithoutTableGivesNoPictureAndTheWarning) {
  const CliRun r = Cli("moon 2101-06-01");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("{\"picture\": null, \"messages\": [\"Warning - invalid year1 in moon phase logic.", 0), 0u)
      << r.out;
}

TEST(MoonCli, MalformedDateIsAUsageError) {
  for (const char* bad : {"1998-1-02", "1998-02-29", "1998-13-01", "02/01/1998", "x", "1998-01-02 1998-01-03", ""})
    EXPECT_EQ(Cli(std::string("moon ") + bad).exitCode, 2) << bad;
}
