// The whole conditions fetch through the real client against the sample
// server (as a proxy on a loopback port), with recorders for every port.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/main_logic.h"
#include "fetch/sample_server.h"
#include "locations/presets.h"
#include "locations/recording_ports.h"
#include "net/HttpClient.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

using sky::FetchOutcome;
using sky::ValueLabel;
using Texts = std::vector<std::string>;

bool Has(const Texts& texts, const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); }

// One main window's worth of recorders around one MainLogic.
struct Window {
  skytest::FakeWindow window;
  skytest::RecordingStatus status;
  skytest::RecordingStatus forecastStatus;
  skytest::FakeTray tray;
  skytest::FakePresetMenu menu;
  skytest::FakeMoon moon;
  skytest::RecordingMessages messages;
  sky::THttpClient client;
  std::unique_ptr<sky::MainLogic> logic;

  explicit Window(int proxyPort) {
    client.Proxy = "127.0.0.1";
    client.ProxyPort = proxyPort;
    logic = std::make_unique<sky::MainLogic>(
        client, sky::MainPorts{&window, &status, &forecastStatus, &tray, &menu, &moon, &messages});
  }
  FetchOutcome Fetch(const std::string& request) {
    logic->State().RequestText = request;
    return logic->Get_the_Stats();
  }
  std::string Label(ValueLabel l) const { return window.Label(l); }
};

class FetchTest : public TempConfig {
 protected:
  static void SetUpTestSuite() { server_ = new skytest::SampleServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    TempConfig::SetUp();
    ASSERT_NE(server_->port(), 0) << "the sample server did not start";
  }
  int Port() const { return server_->port(); }
  static skytest::SampleServer* server_;
};
skytest::SampleServer* FetchTest::server_ = nullptr;

TEST_F(FetchTest, UsCityIsShownAddedAndCaptioned) {
  Window w(Port());
  ASSERT_EQ(w.Fetch("Austin, TX"), FetchOutcome::Shown);
  EXPECT_FALSE(w.Label(ValueLabel::Temp).empty());
  EXPECT_FALSE(w.Label(ValueLabel::Sky).empty());
  EXPECT_EQ(w.Label(ValueLabel::Conditions).rfind("Conditions at ", 0), 0u);
  EXPECT_NE(w.Label(ValueLabel::HeatIndex), "");
  EXPECT_NE(w.Label(ValueLabel::WindChill), "");
  EXPECT_EQ(w.window.caption, "Skyglass - Austin, TX");
  EXPECT_EQ(w.messages.log, Texts{"Location added to location presets: Austin, TX"});
  EXPECT_EQ(w.menu.Visible(), Texts{"Austin, TX"});
  EXPECT_NE(w.tray.hint, "Skyglass");
  EXPECT_GE(w.tray.icon, 0);
  EXPECT_EQ(w.moon.updates, 1);

  const Texts& s = w.status.texts;
  for (const char* t : {"Sending request...", "Connected...", "Get Succeeded", "Connection process complete...",
                        "...parsing data...", "Processing moon phase image..."})
    EXPECT_TRUE(Has(s, t)) << t;
  EXPECT_EQ(s.back(), "Thank you for using Skyglass...");
  EXPECT_TRUE(w.forecastStatus.texts.empty());

  const sky::MainState& st = w.logic->State();
  EXPECT_EQ(st.RequestText, "");
  EXPECT_EQ(st.CountRequested, "Y");
  EXPECT_EQ(st.Location.Region, "TX");
  EXPECT_EQ(st.Location.City, "Austin");

  // The count file is asked for on the first fetch only: two requests
  // then, one now.
  auto sends = [&] {
    return std::count(w.status.texts.begin(), w.status.texts.end(), std::string("Sending request..."));
  };
  EXPECT_EQ(sends(), 2);
  // The same place again: one preset, no message.
  w.messages.log.clear();
  EXPECT_EQ(w.Fetch("Austin, TX"), FetchOutcome::Shown);
  EXPECT_TRUE(w.messages.log.empty());
  EXPECT_EQ(sky::ReadSetting("Locations", "loc1"), "n/a");
  EXPECT_EQ(sends(), 3);
}

TEST_F(FetchTest, FullStateNameForeignCityAndZip) {
  Window w(Port());
  ASSERT_EQ(w.Fetch("San Francisco, California"), FetchOutcome::Shown);
  EXPECT_EQ(w.window.caption, "Skyglass - San Francisco, California");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "San_Francisco, CA");

  ASSERT_EQ(w.Fetch("London, United Kingdom (O)"), FetchOutcome::Shown);
  std::string title = w.logic->State().LocationTitle;
  EXPECT_NE(title.find("London"), std::string::npos) << title;
  EXPECT_EQ(sky::ReadSetting("Locations", "loc1"), title + " (O)");
  EXPECT_EQ(w.logic->State().Location.Country, "Europe");

  ASSERT_EQ(w.Fetch("78701"), FetchOutcome::Shown);
  EXPECT_EQ(w.window.caption, "Skyglass - 78701");
  std::string zipName = sky::ReadSetting("Locations", "loc2");
  EXPECT_EQ(zipName.rfind("78701 - ", 0), 0u) << zipName;
  EXPECT_EQ(w.logic->State().Location.LocationName, zipName);

  // A preset item fetches its caption again; a US caption keeps its form.
  w.messages.log.clear();
  EXPECT_EQ(w.logic->PresetItemClick("San_Francisco, CA"), FetchOutcome::Shown);
  EXPECT_TRUE(w.messages.log.empty());
  EXPECT_EQ(w.window.caption, "Skyglass - San_Francisco, CA");
}

TEST_F(FetchTest, CityNotFoundStopsBeforeTheRequest) {
  Window w(Port());
  w.window.labels[ValueLabel::Temp] = "old";
  EXPECT_EQ(w.Fetch("Nowhere, United Kingdom (O)"), FetchOutcome::Stopped);
  EXPECT_EQ(w.messages.log, (Texts{"Sorry, invalid City found for UK:Nowhere", "Error - Invalid city:n/a"}));
  EXPECT_EQ(w.Label(ValueLabel::Temp), "old");
  EXPECT_EQ(w.moon.updates, 0);
  EXPECT_EQ(w.logic->State().RequestText, "Nowhere, United Kingdom (O)");
  EXPECT_FALSE(Has(w.status.texts, "Connection process complete..."));
}

TEST_F(FetchTest, NotFoundPageKeepsTheLabels) {
  Window w(Port());
  w.window.labels[ValueLabel::Temp] = "old";
  EXPECT_EQ(w.Fetch("Atlantis, TX"), FetchOutcome::Failed);
  const Texts& s = w.status.texts;
  EXPECT_TRUE(Has(s, "Object Not Found"));
  EXPECT_TRUE(Has(s, "Get Failed"));
  EXPECT_TRUE(Has(s, "Error retrieving data..."));
  EXPECT_FALSE(Has(s, "...parsing data..."));
  // The client's step names are put in words ("Status = Sending Buffer").
  for (const std::string& t : s) EXPECT_EQ(t.rfind("Status = ", 0), std::string::npos) << t;
  EXPECT_TRUE(Has(s, "Closing connection...") || Has(s, "Transfer complete..."));
  // The failure stays on the status line (no thanks over it), and neither
  // the caption nor the tray speaks of the place that was not found.
  EXPECT_FALSE(Has(s, "Thank you for using Skyglass..."));
  EXPECT_EQ(s.back(), "Error retrieving data...");
  EXPECT_EQ(w.Label(ValueLabel::Temp), "old");
  EXPECT_EQ(w.moon.updates, 1);
  EXPECT_EQ(w.logic->State().RequestText, "");
  EXPECT_EQ(w.window.caption, "Skyglass");
  EXPECT_EQ(w.tray.hint, "Skyglass");
  EXPECT_EQ(w.tray.activations, 0);
  EXPECT_TRUE(w.messages.log.empty());
}

TEST_F(FetchTest, UnreachableServerShowsTheErrorAndKeepsTheRequest) {
  Window w(skytest::RefusedPort());
  w.window.labels[ValueLabel::Temp] = "old";
  EXPECT_EQ(w.Fetch("Austin, TX"), FetchOutcome::Error);
  // The failed count request does not end the fetch: the error box is the
  // conditions request's, shown once.
  ASSERT_EQ(w.messages.log.size(), 1u);
  EXPECT_EQ(w.messages.log[0].rfind("<error>", 0), 0u);
  EXPECT_TRUE(Has(w.status.texts, "Connection Failed..."));
  EXPECT_EQ(w.status.Last(), "Connection Failed");  // the client's own text stays
  EXPECT_EQ(w.window.caption, "Skyglass");
  EXPECT_EQ(w.Label(ValueLabel::Temp), "old");
  EXPECT_EQ(w.moon.updates, 0);
  EXPECT_EQ(w.logic->State().RequestText, "Austin, TX");
  EXPECT_EQ(w.logic->State().CountRequested, "Y");
}

TEST_F(FetchTest, CountFailureDoesNotCostTheConditions) {
  // The count request goes first; with the count failing and the page
  // answering, the fetch must still show the page. Here both go through the
  // same server, so make the count fail by asking it once through a dead port.
  Window w(skytest::RefusedPort());
  w.logic->FetchPreStep();
  EXPECT_EQ(w.logic->State().CountRequested, "Y");
  EXPECT_TRUE(w.messages.log.empty());
  EXPECT_EQ(w.client.TimeOut, 90000);
  EXPECT_EQ(w.client.ReportLevel, 2);
  w.client.ProxyPort = Port();
  EXPECT_EQ(w.Fetch("Austin, TX"), FetchOutcome::Shown);
}

TEST_F(FetchTest, ProgressGoesToTheForecastBarWhileAKindIsSet) {
  Window w(Port());
  w.logic->State().RetrievalKind = "nw";
  EXPECT_EQ(w.Fetch("Atlantis, TX"), FetchOutcome::Failed);
  const Texts& f = w.forecastStatus.texts;
  EXPECT_TRUE(Has(f, "Sending request..."));
  EXPECT_TRUE(Has(f, "Connected..."));
  EXPECT_FALSE(Has(f, "Get Failed"));
  EXPECT_FALSE(Has(f, "Object Not Found"));
  const Texts& s = w.status.texts;
  EXPECT_TRUE(Has(s, "Get Failed"));
  EXPECT_TRUE(Has(s, "Object Not Found"));
  EXPECT_FALSE(Has(s, "Sending request..."));
  // Whether progress texts come at all depends on how the reply is split into
  // reads; when they come, they must go to the forecast bar only.
  EXPECT_FALSE(std::any_of(s.begin(), s.end(),
                           [](const std::string& t) { return t.find("bytes retrieved") != std::string::npos; }));
}

TEST_F(FetchTest, SilentFetchAddsNoPreset) {
  Window w(Port());
  w.logic->State().SilentFlag = "y";
  EXPECT_EQ(w.Fetch("Austin, TX"), FetchOutcome::Shown);
  EXPECT_TRUE(w.messages.log.empty());
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");
  EXPECT_EQ(w.window.caption, "Skyglass - Austin, TX");
}

TEST_F(FetchTest, RemoveModeRemovesInsteadOfFetching) {
  Window w(Port());
  sky::WriteSetting("Locations", "loc0", "Waco, TX");
  sky::WriteSetting("Locations", "loc1", "Austin, TX");
  w.logic->mnuRemoveaspecificlocation1Click();
  EXPECT_EQ(w.logic->State().RemoveMode, "y");
  EXPECT_EQ(w.logic->PresetItemClick("Waco, TX"), FetchOutcome::Removed);
  EXPECT_EQ(w.logic->State().RemoveMode, "");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "Austin, TX");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc1"), "n/a");
  EXPECT_EQ(w.moon.updates, 0);
  EXPECT_EQ(w.window.caption, "Skyglass");
  // The next click fetches again.
  EXPECT_EQ(w.logic->PresetItemClick("Austin, TX"), FetchOutcome::Shown);
}

TEST_F(FetchTest, InstancesKeepTheirOwnState) {
  Window a(Port()), b(Port());
  a.logic->State().SilentFlag = "y";
  EXPECT_EQ(a.Fetch("Austin, TX"), FetchOutcome::Shown);
  EXPECT_EQ(b.logic->State().CountRequested, "");
  EXPECT_EQ(b.window.caption, "Skyglass");
  EXPECT_EQ(b.Fetch("Boston, Massachusetts"), FetchOutcome::Shown);
  EXPECT_EQ(a.logic->State().Location.Region, "TX");
  EXPECT_EQ(b.logic->State().Location.Region, "MA");
}

// A status port that runs the abort command when a given text arrives, as a
// user's click during the wait would.
class AbortingStatus : public sky::IStatusPort {
 public:
  void SetStatus(const std::string& text) override {
    texts.push_back(text);
    if (text == trigger && logic && ++seen == nth) logic->mnuAbortconnectionClick();
  }
  std::vector<std::string> texts;
  std::string trigger;
  int nth = 1, seen = 0;
  sky::MainLogic* logic = nullptr;
};

TEST_F(FetchTest, AbortEndsTheFetchWithoutAnErrorBox) {
  for (int nth : {1, 2}) {  // during the count request, then during the page request
    skytest::FakeWindow window;
    AbortingStatus status;
    skytest::FakeMoon moon;
    skytest::RecordingMessages messages;
    sky::THttpClient client;
    client.Proxy = "127.0.0.1";
    client.ProxyPort = Port();
    sky::MainLogic logic(client, sky::MainPorts{&window, &status, nullptr, nullptr, nullptr, &moon, &messages});
    status.trigger = "Connected...";
    status.nth = nth;
    status.logic = &logic;
    std::vector<int> pauses;
    logic.abortPause = [&](int ms) { pauses.push_back(ms); };
    logic.State().RequestText = "Austin, TX";
    EXPECT_EQ(logic.Get_the_Stats(), FetchOutcome::Error) << nth;
    EXPECT_TRUE(Has(status.texts, "Connection Aborted...")) << nth;
    // The user asked for the abort: the status line says it, no error box.
    EXPECT_TRUE(messages.log.empty()) << nth << ": " << (messages.log.empty() ? "" : messages.log[0]);
    EXPECT_TRUE(client.AbortedByUser());
    EXPECT_EQ(pauses, std::vector<int>{1500});  // after the status text, before the next command
    EXPECT_EQ(moon.updates, 0);
    EXPECT_EQ(logic.State().RequestText, "Austin, TX");
    // The next fetch is not hindered by the abort before it.
    EXPECT_EQ(logic.Get_the_Stats(), FetchOutcome::Shown) << nth;
  }
}

TEST(CommandTexts, EveryCommandHasItsWords) {
  EXPECT_EQ(sky::MainLogic::SuccessText(sky::CmdGet), "Get Succeeded");
  EXPECT_EQ(sky::MainLogic::FailureText(sky::CmdUnLink), "UnLink Failed");
  EXPECT_EQ(sky::MainLogic::SuccessText(sky::CmdWrapped), "Wrapped Succeeded");
  EXPECT_EQ(sky::MainLogic::FailureText(sky::CmdOptions), "Options Failed");
}

}  // namespace
