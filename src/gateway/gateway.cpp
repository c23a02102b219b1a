#include "gateway/gateway.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "conditions/page_writer.h"
#include "data/locations/location_data.h"
#include "gateway/json_limits.h"
#include "gateway/sources.h"

namespace sky::gateway {

namespace {

using nlohmann::json;

constexpr std::int64_t kMetadataTtlS = 24 * 3600;

std::string Origin(const std::string& url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  std::size_t end = url.find_first_of("/?#", scheme + 3);
  return url.substr(0, end);
}

}  // namespace

std::string StateName(const std::string& code) {
  std::string_view text = sky::data::LocationDataFile("state_codes.tsv");
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t tab = line.find('\t');
    if (tab != std::string_view::npos && line.substr(tab + 1) == code) return std::string(line.substr(0, tab));
  }
  return {};
}

// A document beyond the size or nesting bounds counts as no JSON at all.
json ParseJson(const std::string& text) {
  if (!JsonWithinLimits(text)) return json(json::value_t::discarded);
  return json::parse(text, nullptr, false);
}

const json* Member(const json& j, const char* key) {
  if (!j.is_object()) return nullptr;
  auto it = j.find(key);
  return it == j.end() ? nullptr : &*it;
}

std::string StringAt(const json& j, const char* key) {
  const json* m = Member(j, key);
  return m != nullptr && m->is_string() ? m->get<std::string>() : std::string();
}

Reply Plain(int status, std::string body) {
  Reply r;
  r.status = status;
  r.body = std::move(body);
  return r;
}

std::string BadGatewayPage(const std::string& what) {
  return "<html><head><title>502 Bad Gateway</title></head>\n<body><h1>Bad Gateway</h1>\n<p>" + EscapeHtmlText(what) +
         "</p>\n</body></html>\n";
}

Gateway::Gateway(const Options& options, IUpstream& upstream, const IClock& clock,
                 std::function<std::int64_t()> wall_now, std::function<void(const std::string&)> log)
    : options_(options),
      upstream_(upstream),
      clock_(clock),
      wallNow_(std::move(wall_now)),
      log_(std::move(log)),
      answers_(clock, options.cacheEntries),
      metadata_(clock, options.cacheEntries),
      productTexts_(clock, options.cacheEntries) {
  AddConditionsSource(*this, router_);
  AddProductsSource(*this, router_);
  AddPictureSource(*this, router_);
  AddDailySource(*this, router_);
  AddReleasesSource(*this, router_);
  AddCensusSource(*this, router_);
  // No fallback to the sample content: a path no live source answers (the
  // census pages and population clocks without their options, the maker's
  // other files) is not found, never answered with made-up figures as if
  // they were live.
}

Gateway::~Gateway() = default;

Deadline Gateway::AnswerDeadline() const { return SteadyNowMs() + options_.answerWithinMs; }

Reply Gateway::Handle(const Request& request) { return router_.Route(request); }

Reply Gateway::Cached(const std::string& key, std::int64_t ttl_s, Deadline deadline,
                      const std::function<Produced(Deadline)>& produce) {
  std::optional<Cache<Reply>::Hit> hit = answers_.Find(key);
  if (hit && hit->ageMs < ttl_s * 1000) return Dated(hit->value, hit->ageMs / 1000, false);
  Produced produced = produce(deadline);
  if (produced.outcome == Outcome::kOk) {
    answers_.Put(key, produced.reply);
    return Dated(produced.reply, std::nullopt, false);
  }
  if (produced.outcome == Outcome::kNotFound) return produced.reply;
  if (hit && hit->ageMs < options_.staleLimitSeconds * 1000) {
    Log("serving " + key + " from the cache, " + std::to_string(hit->ageMs / 1000) + " s old");
    return Dated(hit->value, hit->ageMs / 1000, true);
  }
  return Plain(502, BadGatewayPage("The live source for " + key + " did not answer."));
}

Reply Gateway::Dated(Reply reply, std::optional<std::int64_t> age_s, bool stale) const {
  reply.headers.emplace_back("Date", HttpDate(WallNow()));
  if (age_s) reply.headers.emplace_back("Age", std::to_string(*age_s));
  if (stale) reply.headers.emplace_back("Warning", "110 skyglass-gateway \"Response is Stale\"");
  return reply;
}

std::string HttpDate(std::int64_t t) {
  static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
  const std::int64_t secs = t - days * 86400;
  const int weekday = static_cast<int>(((days % 7) + 7) % 7);
  // Civil date from days since 1970 (H. Hinnant's algorithm).
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = yoe + era * 400 + (month <= 2);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04lld %02d:%02d:%02d GMT", kDays[weekday], day, kMonths[month - 1],
                static_cast<long long>(year), static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                static_cast<int>(secs % 60));
  return buf;
}

bool Gateway::FromNws(const std::string& url) const { return Origin(url) == Origin(options_.nwsApi); }

std::optional<std::string> Gateway::NwsJson(const std::string& url, Deadline deadline, int* status) {
  if (std::optional<Cache<std::string>::Hit> hit = metadata_.Find(url); hit && hit->ageMs < kMetadataTtlS * 1000) {
    return hit->value;
  }
  FetchResult r = upstream_.Get(url, deadline);
  if (status != nullptr) *status = r.status;
  if (!r.ok) return std::nullopt;
  metadata_.Put(url, r.body);
  return r.body;
}

}  // namespace sky::gateway
