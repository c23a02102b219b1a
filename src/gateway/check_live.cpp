#include "gateway/check_live.h"

#include <ctime>
#include <string>
#include <vector>

#include "common/hosts.h"
#include "common/ports.h"
#include "conditions/htmlp.h"

namespace sky::gateway {

namespace {

class Messages : public IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
  std::vector<std::string> shown;
};

}  // namespace

int CheckLive(Gateway& gateway, std::ostream& out) {
  struct Probe {
    const char* what;
    const char* path;
    const char* query;
  };
  static const Probe kProbes[] = {
      {"US city", "/US/TX/Austin.html", ""},
      {"zip code", "/cgi-bin/findweather/getForecast", "query=10001"},
      {"foreign station", "/global/stations/03772.html", ""},
  };
  int failures = 0;
  for (const Probe& p : kProbes) {
    Request request;
    request.method = "GET";
    request.host = hosts::kWeatherUnderground;
    request.path = p.path;
    request.query = p.query;
    request.now = static_cast<std::int64_t>(std::time(nullptr));
    Reply reply = gateway.Handle(request);
    out << p.what << " " << p.path << (request.query.empty() ? "" : "?" + request.query) << ": HTTP " << reply.status
        << "\n";
    if (reply.status != 200) {
      ++failures;
      continue;
    }
    Messages messages;
    ParsedConditionsPage parsed = ParseConditionsPage(reply.body, messages);
    for (const std::string& m : messages.shown) out << "  message: " << m << "\n";
    const ConditionsRecord& r = parsed.Record;
    auto show = [&](const char* name, const std::string& v) { out << "  " << name << ": " << v << "\n"; };
    show("place", parsed.PageLocationName.value_or("-"));
    show("observed", r.ObservedAt.value_or("-"));
    show("temperature", r.Temperature);
    show("humidity", r.Humidity);
    show("wind", r.Wind);
    show("pressure", r.Pressure);
    show("sky", r.Sky);
    show("visibility", r.Visibility);
    show("sunrise", r.Sunrise);
    show("sunset", r.Sunset);
    show("moonrise", r.MoonRise);
    show("moonset", r.MoonSet);
    if (r.Temperature.empty() || r.Temperature.find("N/A") != std::string::npos) ++failures;
  }
  out << (failures == 0 ? "all live sources answered\n" : "some live sources failed\n");
  return failures == 0 ? 0 : 1;
}

}  // namespace sky::gateway
