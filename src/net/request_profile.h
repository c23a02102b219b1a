// How each kind of retrieval sets up the HTTP client before its request: the
// time-out, the report level, where the body goes and the Referer. A caller
// picks the profile of its kind and applies it instead of setting the
// properties one by one.
//
// A new kind of retrieval: add a profile below, named for the kind; leave a
// field unset where the kind leaves the client's value as it was.
#pragma once

#include <cstdint>
#include <optional>

namespace sky {

class THttpClient;

// Time-outs of the name lookup and of the connection set-up, in ms.
inline constexpr int kCountFileTimeOutMs = 12000;  // the maker's count file: not worth a long wait
inline constexpr int kPageTimeOutMs = 60000;       // a page the user asked for
inline constexpr int kLongTimeOutMs = 90000;       // pictures, and the client's rest value between fetches

// Report levels: a status text is reported when its level is at most the
// client's ReportLevel.
inline constexpr int kReportNothing = 0;
inline constexpr int kReportReplyLine = 1;  // the reply line of a transaction
inline constexpr int kReportCompleted = 2;  // ... and "Transaction Completed"
inline constexpr int kReportSteps = 4;      // ... and "Sending Buffer", "Request Close Socket"
inline constexpr int kReportTrace = 8;      // ... and every socket operation
inline constexpr int kReportAll = 16;       // ... and the error manager's check

// The largest body file a request writes unless its kind says less.
inline constexpr std::int64_t kDefaultMaxFileBytes = std::int64_t{256} * 1024 * 1024;
// No picture of the catalogue comes near this; a server sending more is
// refused before it fills the disk.
inline constexpr std::int64_t kMaxPictureBytes = std::int64_t{32} * 1024 * 1024;

// The Referer the program sends with its requests.
inline constexpr const char* kReferer = "Skyglass by Corvantis";
inline constexpr const char* kForecastLinkReferer = "Skyglass by Corvantis - html forecast link";

struct RequestProfile {
  int timeOutMs = kPageTimeOutMs;
  std::optional<int> reportLevel;  // unset: left as it is
  // InputFileMode (the body goes to the file named by Body); OutputFileMode
  // is always false when this is set. Unset: both left as they are.
  std::optional<bool> bodyToFile;
  const char* referer = nullptr;  // null: left as it is
  // The largest body a request of this kind writes into a file.
  std::int64_t maxFileBytes = kDefaultMaxFileBytes;

  void Apply(THttpClient& client) const;
};

namespace profiles {

// The conditions page of a place (the conditions fetch).
inline constexpr RequestProfile kConditions{kPageTimeOutMs, kReportSteps, false, kReferer};
// The conditions page of a place picked in the location chooser.
inline constexpr RequestProfile kChosenPlace{kPageTimeOutMs, kReportCompleted, false, kReferer};
// The maker's count file, once per run.
inline constexpr RequestProfile kCountFile{kCountFileTimeOutMs, kReportNothing, false, kReferer};
// What the fetch pre-step leaves on the client after the count file.
inline constexpr RequestProfile kAfterPreStep{kLongTimeOutMs, kReportCompleted, std::nullopt, nullptr};
// A forecast, warning or census page for the forecast window; the report
// level and the Referer stay as the last request left them.
inline constexpr RequestProfile kForecast{kPageTimeOutMs, std::nullopt, false, nullptr};
// The home page fetched before the browser opens the HTML forecast.
inline constexpr RequestProfile kForecastLink{kPageTimeOutMs, std::nullopt, false, kForecastLinkReferer};
// A picture: the body goes into the file named by Body.
inline constexpr RequestProfile kPicture{kLongTimeOutMs, kReportAll, true, kReferer, kMaxPictureBytes};
// The weather gateway's list of the pictures it serves: a local answer or
// none, never worth a long wait.
inline constexpr RequestProfile kServedPictures{kCountFileTimeOutMs, kReportNothing, false, kReferer};
// The maker's version file.
inline constexpr RequestProfile kVersionCheck{kPageTimeOutMs, kReportCompleted, false, kReferer};

}  // namespace profiles
}  // namespace sky
