// The gateway's answers: the historical addresses the program asks for,
// answered from the live sources, with a cache that serves the last good
// answer when a source fails. Each live source (gateway/sources.h) registers
// the hosts it answers on the gateway's router; the sample content answers
// what none of them knows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/clock.h"
#include "gateway/cache.h"
#include "gateway/options.h"
#include "gateway/upstream.h"
#include "historic/site.h"

namespace sky::gateway {

using historic::Reply;
using historic::Request;

class Gateway {
 public:
  // clock: ages of the cache; wall_now: seconds since 1970 for dates and the
  // sky times; log: one line per served stale answer.
  Gateway(const Options& options, IUpstream& upstream, const IClock& clock, std::function<std::int64_t()> wall_now,
          std::function<void(const std::string&)> log);
  ~Gateway();

  Reply Handle(const Request& request);

  // What the live sources share.
  enum class Outcome { kOk, kNotFound, kFailed };
  struct Produced {
    Outcome outcome = Outcome::kFailed;
    Reply reply;
  };
  const Options& options() const { return options_; }
  const IClock& clock() const { return clock_; }
  IUpstream& upstream() { return upstream_; }
  std::int64_t WallNow() const { return wallNow_(); }
  void Log(const std::string& line) const {
    if (log_) log_(line);
  }
  // When an answer begun now must be ready.
  Deadline AnswerDeadline() const;
  // The cached answer under key while younger than ttl_s, else a fresh one;
  // a failed fresh one is stood in for by the last good answer for a while.
  // Every answer is dated (Date); one from the cache says how long it was
  // kept (Age), and one standing in for a failed source says it is stale
  // ("Warning: 110").
  Reply Cached(const std::string& key, std::int64_t ttl_s, Deadline deadline,
               const std::function<Produced(Deadline)>& produce);
  // A JSON text of the weather service, kept a day (points and station lists
  // do not change); nothing on failure.
  std::optional<std::string> NwsJson(const std::string& url, Deadline deadline, int* status);
  // Whether an address points into the weather service's own API.
  bool FromNws(const std::string& url) const;
  // Product texts by their address (a product never changes once issued).
  Cache<std::string>& ProductTexts() { return productTexts_; }

 private:
  Reply Dated(Reply reply, std::optional<std::int64_t> age_s, bool stale) const;

  Options options_;
  IUpstream& upstream_;
  const IClock& clock_;
  std::function<std::int64_t()> wallNow_;
  std::function<void(const std::string&)> log_;
  Cache<Reply> answers_;
  Cache<std::string> metadata_;
  Cache<std::string> productTexts_;
  historic::Router router_;
};

std::string BadGatewayPage(const std::string& what);

// "Mon, 07 Dec 2026 16:53:00 GMT" for seconds since 1970.
std::string HttpDate(std::int64_t t);

}  // namespace sky::gateway
