// Warnings that reach the person: one notification per new warning or watch,
// none for an old, expired, cancelled or test alert, none for a statement;
// the ids kept in the settings store until they expire.
#include <gtest/gtest.h>

#include "forecast/alert_watch.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

using sky::Alert;

class RecordingNotices final : public sky::INotificationPort {
 public:
  void Notify(const sky::Notice& n) override { notices.push_back(n); }
  std::vector<sky::Notice> notices;
};

class MemoryStore final : public sky::IAnnouncedStore {
 public:
  std::vector<std::pair<std::string, long long>> Load() override { return ids; }
  void Save(const std::vector<std::pair<std::string, long long>>& v) override {
    ids = v;
    ++saves;
  }
  std::vector<std::pair<std::string, long long>> ids;
  int saves = 0;
};

// 2020-01-24 12:00 UTC.
constexpr long long kNow = 1579867200;

Alert Warning(const std::string& id, const std::string& ends = "2020-01-24T18:00:00-06:00") {
  return {id, "Actual", "Alert", "Winter Storm Warning", "Travis; Williamson", "2020-01-24T07:30:00-06:00", ends};
}

TEST(Alerts, IsoTimes) {
  EXPECT_EQ(sky::IsoToEpoch("1970-01-01T00:00:00Z"), 0);
  EXPECT_EQ(sky::IsoToEpoch("2020-01-24T18:00:00-06:00"), 1579910400);
  EXPECT_EQ(sky::IsoToEpoch("2025-01-05T23:02:33+00:00"), 1736118153);
  EXPECT_EQ(sky::IsoToEpoch("2025-01-05T23:02:33.250Z"), 1736118153);
  EXPECT_FALSE(sky::IsoToEpoch("2025-01-05"));
  EXPECT_FALSE(sky::IsoToEpoch("2025-13-05T23:02:33Z"));
  EXPECT_FALSE(sky::IsoToEpoch("2025-01-05T23:02:33 CST"));
  EXPECT_EQ(sky::LocalTimeText("2020-01-24T18:00:00-06:00"), "Jan 24, 6:00 PM");
  EXPECT_EQ(sky::LocalTimeText("2020-01-24T00:05:00-06:00"), "Jan 24, 12:05 AM");
}

TEST(Alerts, OneNotificationPerNewWarningOrWatch) {
  RecordingNotices port;
  MemoryStore store;
  Alert watch = Warning("urn:oid:2.49.0.1.840.0.b");
  watch.event = "Tornado Watch";
  Alert statement = Warning("urn:oid:2.49.0.1.840.0.c");
  statement.event = "Special Weather Statement";
  const std::vector<Alert> alerts{Warning("urn:oid:2.49.0.1.840.0.a"), watch, statement};

  sky::AlertCheck first = sky::CheckAlerts(alerts, kNow, true, store, port);
  ASSERT_EQ(port.notices.size(), 2u);
  EXPECT_TRUE(first.warningActive);
  EXPECT_EQ(port.notices[0], (sky::Notice{"urn:oid:2.49.0.1.840.0.a", "Winter Storm Warning",
                                          "Travis; Williamson\nUntil Jan 24, 6:00 PM"}));
  EXPECT_EQ(port.notices[1].title, "Tornado Watch");

  // The next refresh brings the same alerts: nothing new to say.
  sky::AlertCheck second = sky::CheckAlerts(alerts, kNow + 2400, true, store, port);
  EXPECT_EQ(port.notices.size(), 2u);
  EXPECT_TRUE(second.warningActive);
  EXPECT_TRUE(second.raised.empty());

  // A statement alone raises nothing and sets no mark.
  sky::AlertCheck statements = sky::CheckAlerts({statement}, kNow, true, store, port);
  EXPECT_FALSE(statements.warningActive);
  EXPECT_EQ(port.notices.size(), 2u);
}

TEST(Alerts, NoneForTestCancelledOrExpiredAlerts) {
  RecordingNotices port;
  MemoryStore store;
  Alert test = Warning("t");
  test.status = "Test";
  Alert exercise = Warning("e");
  exercise.status = "Exercise";
  Alert cancelled = Warning("c");
  cancelled.messageType = "Cancel";
  Alert expired = Warning("x", "2020-01-24T05:00:00-06:00");  // 11:00 UTC, before kNow
  const sky::AlertCheck check = sky::CheckAlerts({test, exercise, cancelled, expired}, kNow, true, store, port);
  EXPECT_TRUE(port.notices.empty());
  EXPECT_FALSE(check.warningActive);
  EXPECT_TRUE(store.ids.empty());
  // An update of a warning in force is announced like a new one (its id is new).
  Alert update = Warning("u");
  update.messageType = "Update";
  sky::CheckAlerts({update}, kNow, true, store, port);
  EXPECT_EQ(port.notices.size(), 1u);
}

TEST(Alerts, RememberedUntilExpiryAndSeenWhileSwitchedOff) {
  RecordingNotices port;
  MemoryStore store;
  store.ids = {{"old", kNow - 1}, {"kept", kNow + 3600}};
  // Notifications off: nothing shown, but the warning counts as seen.
  sky::AlertCheck off = sky::CheckAlerts({Warning("w")}, kNow, false, store, port);
  EXPECT_TRUE(port.notices.empty());
  EXPECT_TRUE(off.warningActive);  // the mark still shows
  ASSERT_EQ(store.ids.size(), 2u);
  EXPECT_EQ(store.ids[0].first, "kept");  // "old" expired and is forgotten
  EXPECT_EQ(store.ids[1], (std::pair<std::string, long long>{"w", 1579910400}));
  sky::CheckAlerts({Warning("w")}, kNow, true, store, port);
  EXPECT_TRUE(port.notices.empty());  // switching on brings no old news

  // Nothing changed: the store is not written again.
  const int saves = store.saves;
  sky::CheckAlerts({Warning("w")}, kNow + 60, true, store, port);
  EXPECT_EQ(store.saves, saves);
}

class AlertsStore : public TempConfig {};

TEST_F(AlertsStore, IdsLiveInTheSettingsSectionAlerts) {
  RecordingNotices port;
  sky::SettingsAnnouncedStore store;
  const std::string id = "https://api.weather.gov/alerts/urn:oid:2.49.0.1.840.0.a[1]=x";
  sky::CheckAlerts({Warning(id)}, kNow, true, store, port);
  const auto section = sky::ReadSection("Alerts");
  ASSERT_EQ(section.size(), 1u);
  EXPECT_EQ(section[0].first, "https:__api.weather.gov_alerts_urn:oid:2.49.0.1.840.0.a_1__x");
  EXPECT_EQ(section[0].second, "1579910400");
  // A later run of the program remembers it.
  sky::SettingsAnnouncedStore again;
  sky::CheckAlerts({Warning(id)}, kNow + 60, true, again, port);
  EXPECT_EQ(port.notices.size(), 1u);
  // After it ends it is forgotten.
  sky::CheckAlerts({}, 1579910400 + 1, true, again, port);
  EXPECT_TRUE(sky::ReadSection("Alerts").empty());
}

TEST(Alerts, AnswerReadAndWritten) {
  Alert a = Warning("urn:1");
  a.ends.clear();
  const std::string text = sky::WriteAlertsAnswer("Austin, Texas", {a, Warning("urn:2")});
  const sky::AlertsRead read = sky::ReadAlertsAnswer(text);
  ASSERT_TRUE(read.alerts) << read.error;
  EXPECT_EQ(read.place, "Austin, Texas");
  ASSERT_EQ(read.alerts->size(), 2u);
  EXPECT_EQ((*read.alerts)[0], a);
  EXPECT_EQ(sky::NoticeFor(a).body, "Travis; Williamson\nUntil Jan 24, 7:30 AM");  // the expiry then
  EXPECT_FALSE(sky::ReadAlertsAnswer("<html></html>").alerts);
  const sky::AlertsRead none = sky::ReadAlertsAnswer(std::string(sky::kAlertsSignature) + "\n");
  ASSERT_TRUE(none.alerts);
  EXPECT_TRUE(none.alerts->empty());
}

}  // namespace
