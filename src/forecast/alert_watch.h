// Warnings that reach the person: the gateway's alerts for the place shown,
// read after each refresh; a new warning or watch raises one notification,
// each alert once (its id kept in the settings store until it expires).
//
// The gateway's answer is plain Latin-1 text, fields split by TABs:
//
//   Skyglass alerts 1
//   place  Austin, Texas
//   alert  ID  STATUS  MESSAGETYPE  EVENT  AREA  EXPIRES  ENDS
//
// STATUS and MESSAGETYPE as the weather service sends them ("Actual",
// "Alert"/"Update"/"Cancel"), EXPIRES and ENDS as ISO 8601 times with their
// offset ("2020-01-24T18:00:00-06:00"), ENDS "n/a" when the service gives none.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sky {

inline constexpr const char* kAlertsSignature = "Skyglass alerts 1";

struct Alert {
  std::string id;
  std::string status;       // "Actual", "Test", "Exercise", ...
  std::string messageType;  // "Alert", "Update", "Cancel"
  std::string event;        // "Winter Storm Warning"
  std::string area;         // "Travis; Williamson"
  std::string expires;      // ISO 8601
  std::string ends;         // ISO 8601, or empty
  friend bool operator==(const Alert&, const Alert&) = default;
};

struct AlertsRead {
  std::optional<std::vector<Alert>> alerts;
  std::string place;
  std::string error;
};
AlertsRead ReadAlertsAnswer(std::string_view body);
std::string WriteAlertsAnswer(const std::string& place, const std::vector<Alert>& alerts);

// Seconds since 1970 of an ISO 8601 time with an offset or "Z"
// ("2020-01-24T18:00:00-06:00"); nothing for any other text.
std::optional<long long> IsoToEpoch(std::string_view iso);
// "Jan 24, 6:00 PM" from the local part of an ISO time; the text itself when
// it is no such time.
std::string LocalTimeText(std::string_view iso);

// A real warning or watch still in force: status "Actual", not a
// cancellation, an event ending in "Warning" or "Watch", not expired at `now`.
bool IsActiveWarning(const Alert& alert, long long now);

// What a desktop notification says.
struct Notice {
  std::string alertId;
  std::string title;  // the event: "Winter Storm Warning"
  std::string body;   // the area, then "Until Jan 24, 6:00 PM"
  friend bool operator==(const Notice&, const Notice&) = default;
};
Notice NoticeFor(const Alert& alert);

// Where notifications go: the desktop's notification service, or the tray's
// message (the program), or a recorder (tests).
class INotificationPort {
 public:
  virtual ~INotificationPort() = default;
  virtual void Notify(const Notice& notice) = 0;
};

// The ids already announced, with the time each may be forgotten.
class IAnnouncedStore {
 public:
  virtual ~IAnnouncedStore() = default;
  virtual std::vector<std::pair<std::string, long long>> Load() = 0;
  virtual void Save(const std::vector<std::pair<std::string, long long>>& ids) = 0;
};

// The settings store's section "Alerts" (value name: the id with every byte
// other than letters, digits and ".:-_" turned into "_"; value: the expiry).
class SettingsAnnouncedStore final : public IAnnouncedStore {
 public:
  std::vector<std::pair<std::string, long long>> Load() override;
  void Save(const std::vector<std::pair<std::string, long long>>& ids) override;
};

struct AlertCheck {
  std::vector<Notice> raised;  // notifications raised by this check
  bool warningActive = false;  // the tray's warning mark
};

// Checks one answer: raises a notice for every active warning not announced
// before (none when `notify` is off, though it is then remembered as seen so
// that switching notices on does not bring old ones), forgets announced ids
// that have expired.
AlertCheck CheckAlerts(const std::vector<Alert>& alerts, long long now, bool notify, IAnnouncedStore& store,
                       INotificationPort& port);

}  // namespace sky
