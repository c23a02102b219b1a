// Forecast window subcommands: "forecast-text" (one retrieval of a kind with
// a file standing in for the received body, no network) and the user command
// "forecast" (the same retrieval over the network for a place).
#include <cstdio>
#include <string>

#include "cli.h"
#include "common/hosts.h"
#include "common/text.h"
#include "forecast/forecast_catalogue.h"
#include "forecast/forecast_logic.h"
#include "forecast/forecast_record.h"
#include "forecast/daily.h"
#include "forecast/forecast_text.h"
#include "json.h"
#include "conditions/fetch.h"
#include "locations/Unit_location.h"
#include "net/Exceptions.h"
#include "net/HttpClient.h"
#include "net/request_service.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

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
  if (host == sky::hosts::kIwin) server = "iwin";
  else if (host == sky::hosts::kCensus) server = "census-text";
  else if (host == sky::hosts::kCensusLookup) server = "census-lookup";
}

// Activation, then "&Get it" for the kinds that wait for it.
void RunRetrieval(sky::ForecastLogic& logic, sky::ForecastRecord& w, const cli::ParsedArgs& p) {
  logic.FormActivate();
  const sky::ForecastRow* row = sky::FindForecastRow(logic.Kind());
  if (row && row->asks != sky::ForecastAsks::kNothing) {
    if (auto v = p.Get("state-row")) w.stateText = *v;
    logic.btnGetitClick();
  }
}

// The record stands for the window, its status bar and its message boxes.
sky::ForecastPorts RecordPorts(sky::ForecastRecord& w, sky::IForecastFetch& fetch) {
  sky::ForecastPorts ports;
  ports.window = &w;
  ports.status = &w;
  ports.messages = &w;
  ports.fetch = &fetch;
  return ports;
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
  sky::ForecastPorts ports = RecordPorts(w, fetch);
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

// The text area as a reader sees it, ending in a line end.
std::string Shown(const std::string& text) {
  std::string out = sky::DisplayLines(text);
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

int RunForecast(const Args& args) {
  auto p = cli::ParseArgs(args, {"place", "county", "state-row", "zip", "units"}, {}, 1, 1);
  const std::string kind = p.positional[0];
  const sky::ForecastRow* row = sky::FindForecastRow(kind);
  if (row == nullptr) throw cli::UsageError("unknown kind '" + kind + "'");
  // The place: given, or the first of the presets (the places fetched by hand).
  std::string place = cli::CatalogueSpelling(p.Get("place").value_or(""));
  if (place.empty()) {
    place = sky::ReadSetting(sky::settings::kSectionLocations, std::string(sky::settings::kPresetValuePrefix) + "0");
    if (place == sky::kNA) place.clear();
  }
  if (!sky::InTextWindow(*row)) {
    if (place.empty()) {
      std::fprintf(stderr, "skyglass-cli forecast: %s\n", sky::kDailyNoPlace);
      return cli::kExitFailed;
    }
    return cli::RunDailyForecast(place, cli::ChosenUnits(p), false, "forecast");
  }
  if (p.Get("units")) throw cli::UsageError("--units is for the kind " + std::string(sky::kDailyForecastKind));
  sky::CurrentLocation loc;
  if (!place.empty()) sky::ReadRequest(place, loc);

  sky::ForecastRecord w;
  if (auto v = p.Get("county")) w.county = *v;
  if (auto v = p.Get("zip")) w.zip = v->substr(0, 5);
  sky::RequestService requests;
  sky::THttpClient& client = requests.Client();
  cli::StderrMessages messages;
  try {
    requests.UseProxySettings(sky::settings::StoreReader());
  } catch (const std::exception& e) {
    messages.ShowError(e.what());
    return cli::kExitFailed;
  }
  sky::HttpForecastFetch fetch(requests);
  std::string retrievalKind = kind;
  sky::ForecastLogic logic(RecordPorts(w, fetch), retrievalKind, loc);
  try {
    RunRetrieval(logic, w, p);
  } catch (const std::exception& e) {
    const cli::NetFailure f = cli::DescribeNetFailure(client, e.what(), false);
    std::fprintf(stderr, "skyglass-cli forecast: the request did not complete: %s\n", f.text.c_str());
    return cli::kExitFailed;
  }
  for (const std::string& m : w.messages) messages.ShowMessage(m);
  if (logic.LastUrl().empty()) return cli::kExitFailed;
  if (w.caption) std::printf("%s\n\n", sky::Latin1ToUtf8(*w.caption).c_str());
  std::fputs(sky::Latin1ToUtf8(Shown(w.text)).c_str(), stdout);
  return cli::kExitOk;
}

const cli::Register kForecast{
    {"forecast", "forecast KIND [--place NAME] [--county TEXT] [--state-row ROW] [--zip Z] [--units U]", RunForecast}};

const cli::Register kForecastText{
    {"forecast-text", "forecast-text KIND FILE [--state S] [--city C] [--county TEXT] [--state-row ROW] [--zip Z]",
     RunForecastText}};

}  // namespace
