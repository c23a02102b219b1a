// Conditions subcommands: the page parser and the derived values, for
// checking a saved page from the terminal.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli.h"
#include "conditions/derived.h"
#include "conditions/htmlp.h"
#include "json.h"

namespace {

std::string ReadPageOrThrow(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw cli::UsageError("cannot read " + path + ": is a directory");
  std::string bytes;
  errno = 0;
  if (!cli::ReadFileBytes(path, bytes)) {
    const int err = errno;
    throw cli::UsageError("cannot read " + path + ": " + (err != 0 ? std::strerror(err) : "read error"));
  }
  return bytes;
}

int ParsePage(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {}, {}, 1, 1);
  const std::string page = ReadPageOrThrow(a.positional[0]);

  cli::RecordingMessages messages;
  const sky::ParsedConditionsPage parsed = sky::ParseConditionsPage(page, messages);
  const sky::ConditionsRecord& r = parsed.Record;

  cli::Json j;
  j.BeginObject();
  j.Field("messages", messages.messages);
  j.Field("PageLocationName", parsed.PageLocationName);
  j.Key("record").BeginObject();
  j.Field("ObservedAt", r.ObservedAt);
  j.Key("Temperature").String(r.Temperature);
  j.Key("HeatIndex").String(r.HeatIndex);
  j.Key("Humidity").String(r.Humidity);
  j.Key("Wind").String(r.Wind);
  j.Key("Pressure").String(r.Pressure);
  j.Key("Sky").String(r.Sky);
  j.Key("Visibility").String(r.Visibility);
  j.Key("Sunrise").String(r.Sunrise);
  j.Key("Sunset").String(r.Sunset);
  j.Key("MoonRise").String(r.MoonRise);
  j.Key("MoonSet").String(r.MoonSet);
  j.Field("TrayTip", r.TrayTip);
  j.Key("SkyIcon");
  if (r.SkyIcon) j.Int(*r.SkyIcon);
  else j.Null();
  j.EndObject();
  j.EndObject();
  j.Print();
  return cli::kExitOk;
}

int Derive(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {"temp", "humidity", "wind", "heat-index"}, {}, 0, 0);
  const std::string temp = a.Get("temp").value_or("");
  const std::string humidity = a.Get("humidity").value_or("");
  const std::string wind = a.Get("wind").value_or("");
  const std::string heatIndex = a.Get("heat-index").value_or("");

  cli::Json j;
  j.BeginObject();
  j.Key("HeatIndex").String(sky::ComputeHeatIndex(temp, humidity, heatIndex));
  j.Key("WindChill").String(sky::ComputeWindChill(temp, wind));
  j.EndObject();
  j.Print();
  return cli::kExitOk;
}

const cli::Register kParsePage{{"parse-page", "parse-page FILE", ParsePage}};
const cli::Register kDerive{{"derive", "derive [--temp T] [--humidity H] [--wind W] [--heat-index X]", Derive}};

}  // namespace
