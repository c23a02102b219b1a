// The gateway's answers: the historical addresses the program asks for,
// answered from the live sources, with a cache that serves the last good
// answer when a source fails.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/clock.h"
#include "conditions/page_writer.h"
#include "gateway/cache.h"
#include "gateway/geo.h"
#include "gateway/observation.h"
#include "gateway/options.h"
#include "gateway/picture_service.h"
#include "gateway/products.h"
#include "gateway/upstream.h"
#include "site.h"

namespace sky::gateway {

using sample::Reply;
using sample::Request;

class Gateway {
 public:
  // clock: ages of the cache; wall_now: seconds since 1970 for dates and the
  // sky times; log: one line per served stale answer.
  Gateway(const Options& options, IUpstream& upstream, const IClock& clock, std::function<std::int64_t()> wall_now,
          std::function<void(const std::string&)> log);
  ~Gateway();

  Reply Handle(const Request& request);

 private:
  enum class Outcome { kOk, kNotFound, kFailed };
  struct Produced {
    Outcome outcome = Outcome::kFailed;
    Reply reply;
  };

  Reply Cached(const std::string& key, std::int64_t ttl_s, Deadline deadline,
               const std::function<Produced(Deadline)>& produce);
  Produced UsConditions(GeoPoint point, const std::string& title, Deadline deadline);
  Produced ForeignConditions(const CataloguePlace& place, const std::string& title, Deadline deadline);
  Produced ConditionsPage(const std::string& title, const Observed& o, GeoPoint point, const std::string& zone);
  std::optional<Reply> ConditionsRequest(const Request& request, Deadline deadline);
  std::optional<Reply> ProductsRequest(const Request& request, Deadline deadline);
  Reply PictureRequest(const Request& request, Deadline deadline);
  Produced StateProducts(const std::string& state, const ProductPage& page, Deadline deadline);
  Produced StateAlerts(const std::string& state, const ProductPage& page, Deadline deadline);
  // A JSON text of the weather service, kept a day (points and station lists
  // do not change); nothing on failure.
  std::optional<std::string> NwsJson(const std::string& url, Deadline deadline, int* status);
  bool FromNws(const std::string& url) const;
  Reply Page(const ConditionsPageContent& content) const;

  Options options_;
  IUpstream& upstream_;
  const IClock& clock_;
  std::function<std::int64_t()> wallNow_;
  std::function<void(const std::string&)> log_;
  Cache<Reply> answers_;
  Cache<std::string> metadata_;
  std::unique_ptr<sample::Router> fallback_;
  PictureService pictures_;
};

std::string BadGatewayPage(const std::string& what);

}  // namespace sky::gateway
