// Requests to the live sources: a few at a time per host, within a deadline,
// bodies bounded, and a host that failed left alone for a growing while.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/clock.h"

namespace sky::gateway {

struct FetchResult {
  bool ok = false;  // a 2xx answer arrived whole
  int status = 0;   // HTTP status, 0 when none came
  std::string body;
  std::string error;  // why it failed, for the log
};

// Requests in flight at once to one host: a products page fetches its texts
// a few at a time, within the answer's deadline.
inline constexpr int kRequestsPerHost = 4;

// Milliseconds of the steady clock by which a request must be done.
using Deadline = std::int64_t;
std::int64_t SteadyNowMs();

class IUpstream {
 public:
  virtual ~IUpstream() = default;
  virtual FetchResult Get(const std::string& url, Deadline deadline) = 0;
};

// "https://host:port/path" -> "host:port" in lower case; empty for no URL.
std::string HostOf(const std::string& url);

// Per-host order and back-off. Back-off time runs on the injected clock;
// waiting for a host's turn runs on the steady clock up to the deadline.
class HostGates {
 public:
  // per_host: requests in flight at once to one host.
  HostGates(const IClock& clock, std::int64_t first_backoff_ms, std::int64_t max_backoff_ms, int per_host = 1)
      : clock_(clock), firstBackoffMs_(first_backoff_ms), maxBackoffMs_(max_backoff_ms), perHost_(per_host) {}

  enum class Admit { kGo, kBackingOff, kTimedOut };
  // kGo: the caller holds the host until Release.
  Admit Acquire(const std::string& host, Deadline deadline);
  void Release(const std::string& host, bool succeeded);
  // Milliseconds of back-off left for the host (0: none).
  std::int64_t BackoffLeftMs(const std::string& host) const;

 private:
  struct Host {
    int inFlight = 0;
    int failures = 0;
    std::int64_t retryAt = 0;  // clock ms
  };
  const IClock& clock_;
  const std::int64_t firstBackoffMs_, maxBackoffMs_;
  const int perHost_;
  mutable std::mutex mutex_;
  std::condition_variable turn_;
  std::map<std::string, Host> hosts_;
};

// "https://Host:443/path" -> "https://host:443": scheme and host in lower case.
std::string OriginOf(const std::string& url);

struct UpstreamSettings {
  std::string userAgent;  // "skyglass-gateway/0.1 (contact)"
  // Where a redirect may lead: origins ("https://cdn.star.nesdis.noaa.gov").
  // A redirect is followed only to one of them, and only to https unless the
  // listed origin itself is plain http (a test's loopback stub).
  std::vector<std::string> redirectOrigins;
  int maxRedirects = 3;
  std::int64_t connectTimeoutMs = 4000;
  std::size_t maxBodyBytes = 8u << 20;
};

// libcurl with the gates above; logs one line per failure.
class CurlUpstream final : public IUpstream {
 public:
  CurlUpstream(UpstreamSettings settings, HostGates& gates, std::function<void(const std::string&)> log);
  ~CurlUpstream() override;
  FetchResult Get(const std::string& url, Deadline deadline) override;

 private:
  FetchResult Transfer(const std::string& url, Deadline deadline);
  // One request; a 3xx leaves its Location in *location.
  FetchResult TransferOnce(const std::string& url, Deadline deadline, std::string* location);
  bool RedirectAllowed(const std::string& url) const;
  UpstreamSettings settings_;
  HostGates& gates_;
  std::function<void(const std::string&)> log_;
};

}  // namespace sky::gateway
