// Forecast window subcommands: "forecast-text" (one retrieval of a kind with
// a file standing in for the received body, no network) and the user command
// "forecast" (the same retrieval over the network for a place).
#include <string>

#include "cli.h"
#include "common/hosts.h"
#include "common/text.h"
#include "forecast/forecast_logic.h"
#include "forecast/forecast_record.h"
#include "json.h"

namespace {

using cli::Args;
using cli::Json;

// The path and the server of an address the retrieval fetched.
void SplitUrl(const std::string& url, std::optional<std::string>& path, std::optional<std::string>& server) {
  if (url.empty()) return;
  const std::string rest = url.substr(url.find("://") + 3);
  const std::size_t slash = rest.find('/');
  const std::string host = rest.substr(0, slash);
  path = slash == std::string::npos ? "/" : rest.substr(slash);
  if (host == sky::hosts::kIwin)
    server = "iwin";
  else if (host == sky::hosts::kCensus)
    server = "census-text";
  else if (host == sky::hosts::kCensusLookup)
    server = "census-lookup";
}

// Activation, then "&Get it" for the kinds that wait for it.
void RunRetrieval(sky::ForecastLogic& logic, sky::ForecastRecord& w, const cli::ParsedArgs& p) {
  logic.FormActivate();
  const std::string& k = logic.Kind();
  if (k == "n" || k == "f" || k == "s1" || k == "s2") {
    if (auto v = p.Get("state-row")) w.stateText = *v;
    logic.btnGetitClick();
  }
}

int RunForecastText(const Args& args) {
  auto p = cli::ParseArgs(args, {"state", "city", "county", "state-row", "zip"}, {}, 2, 2);
  const std::string kind = p.positional[0];
  if (!sky::IsForecastKind(kind)) throw cli::UsageError("unknown kind '" + kind + "'");
  std::string body;
  if (!cli::ReadFileBytes(p.positional[1], body)) throw cli::UsageError("cannot read " + p.positional[1]);

  sky::ForecastRecord w;
  w.caption.reset();
  if (auto v = p.Get("county")) w.county = *v;
  // The zip entry holds at most five characters.
  if (auto v = p.Get("zip")) w.zip = v->substr(0, 5);
  sky::CurrentLocation loc;
  if (auto v = p.Get("state")) loc.Region = *v;
  if (auto v = p.Get("city")) loc.City = *v;
  sky::FixedBodyFetch fetch(body);
  std::string retrievalKind = kind;
  sky::ForecastPorts ports;
  ports.window = &w;
  ports.status = &w;
  ports.messages = &w;
  ports.fetch = &fetch;
  ports.readSetting = [](const std::string&) { return std::string(sky::kNA); };
  ports.writeSetting = [](const std::string&, const std::string&) {};
  sky::ForecastLogic logic(ports, retrievalKind, loc);
  RunRetrieval(logic, w, p);

  std::optional<std::string> path, server;
  SplitUrl(logic.LastUrl(), path, server);
  Json j;
  j.BeginObject();
  j.Field("messages", w.messages);
  j.Field("beeps", w.beeps);
  j.Field("caption", w.caption);
  j.Field("path", path);
  j.Field("server", server);
  j.Field("font", w.fontName == sky::kFixedsys ? "Fixedsys" : "form");
  j.Field("status", w.status);
  j.Field("text", w.text);
  j.EndObject().Print();
  return cli::kExitOk;
}

const cli::Register kForecastText{
    {"forecast-text",
     "forecast-text KIND FILE [--state S] [--city C] [--county TEXT] [--state-row ROW] [--zip Z]",
     RunForecastText}};

}  // namespace
