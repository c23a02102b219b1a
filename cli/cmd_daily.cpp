// "daily PLACE": the seven-day forecast of a place, as the 7-Day Forecast
// window shows it, through the proxy of the settings.
#include <cstdio>
#include <string>

#include "app/daily_forecast.h"
#include "app/main_logic.h"
#include "cli.h"
#include "common/text.h"
#include "conditions/fetch.h"
#include "json.h"
#include "net/HttpClient.h"
#include "settings/settings_names.h"

namespace {

// A temperature of the forecast in the chosen units, as a whole number.
std::optional<long long> Degrees(const std::optional<int>& v, char unit, sky::UnitSystem units) {
  if (!v) return std::nullopt;
  const char wanted = units == sky::UnitSystem::US ? 'F' : 'C';
  if (unit == wanted) return *v;
  return sky::RoundWhole(wanted == 'C' ? sky::FahrenheitToCelsius(*v) : sky::CelsiusToFahrenheit(*v));
}

void PrintJson(const sky::DailyResult& r, sky::UnitSystem units) {
  cli::Json j;
  j.BeginObject();
  j.Field("ok", r.forecast.has_value());
  if (!r.forecast) {
    j.Field("reason", r.error);
    j.EndObject().Print();
    return;
  }
  const sky::DailyForecast& f = *r.forecast;
  j.Field("place", f.place);
  j.Field("source", f.source);
  j.Field("issued", f.issued);
  j.Field("stale", r.stale);
  j.Field("units", sky::UnitSystemName(units));
  j.Key("days").BeginArray();
  const char* unit = units == sky::UnitSystem::US ? "F" : "C";
  for (const sky::DailyDay& d : f.days) {
    j.BeginObject();
    j.Field("date", d.date);
    j.Field("name", d.name);
    for (const auto& [key, value] : {std::pair{"high", d.high}, std::pair{"low", d.low}}) {
      j.Key(key);
      if (auto v = Degrees(value, d.unit, units)) j.Int(*v);
      else j.Null();
    }
    j.Field("unit", unit);
    j.Field("sky", d.sky);
    j.Key("precipitationChance");
    if (d.precipitation) j.Int(*d.precipitation);
    else j.Null();
    j.Key("wind");
    if (d.wind.empty()) j.Null();
    else j.String(sky::ShowWind(d.wind, units));
    j.EndObject();
  }
  j.EndArray();
  j.EndObject().Print();
}

void PrintText(const sky::DailyForecast& f, bool stale, std::optional<long long> age, sky::UnitSystem units) {
  std::string out = "7-Day Forecast for " + f.place + "\n";
  if (stale) out += "(" + sky::StaleText(age) + ")\n";
  out += "\n";
  for (const sky::DailyDay& d : f.days) {
    const sky::DailyRow row = sky::ShowDay(d, units);
    auto column = [](std::string text, std::size_t width) {
      if (text.size() < width) text.resize(width, ' ');
      return text + " ";
    };
    out += "  " + column(row.name, 16) + column(row.sky, 34) + column(row.highLow, 20) + column(row.precipitation, 12) +
           row.wind;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += "\n";
  }
  out += "\nForecast by " + f.source + (f.issued.empty() ? "" : ", made " + f.issued) + "\n";
  const std::string utf8 = sky::Latin1ToUtf8(out);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

int cli::RunDailyForecast(const std::string& request, sky::UnitSystem units, bool json, const char* command) {
  cli::RecordingMessages messages;
  sky::MainLogic logic(sky::MainPorts{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &messages});
  sky::THttpClient& client = logic.HttpClient1();
  sky::DailyResult result;
  try {
    logic.Requests().UseProxySettings(sky::settings::StoreReader());
    sky::CurrentLocation loc;
    sky::ReadRequest(request, loc);
    std::optional<std::string> path = sky::NamesAPlace(loc) ? sky::ConditionsPath(loc, messages) : std::nullopt;
    if (!path) result.error = "not a place: " + request;
    else result = sky::FetchDailyForecastAt(logic, *path);
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  if (!result.forecast && result.error.find("Connection") != std::string::npos) {
    const cli::NetFailure f = cli::DescribeNetFailure(client, result.error, false);
    result.error = "the request did not complete: " + f.text + (f.hint.empty() ? "" : "; " + f.hint);
  }
  if (json) PrintJson(result, units);
  else if (result.forecast) PrintText(*result.forecast, result.stale, result.ageSeconds, units);
  if (!result.forecast) {
    std::fprintf(stderr, "skyglass-cli %s: %s\n", command, sky::Latin1ToUtf8(result.error).c_str());
    return cli::kExitFailed;
  }
  return cli::kExitOk;
}

namespace {

int Daily(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {"units"}, {"json"}, 1, SIZE_MAX);
  const std::string request = cli::JoinWords(a.positional);
  if (sky::Trim(request).empty()) throw cli::UsageError("the place name is empty");
  return cli::RunDailyForecast(request, cli::ChosenUnits(a), a.Has("json"), "daily");
}

const cli::Register kDaily{{"daily", "daily PLACE [--units U] [--json]", Daily}};

}  // namespace
