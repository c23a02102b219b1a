#include "settings/settings_names.h"

#include "common/convert.h"
#include "common/exceptions.h"
#include "common/text.h"
#include "settings/ini_proc.h"

namespace sky::settings {

Reader StoreReader() {
  return [](const std::string& name) { return ReadSetting(kSectionSettings, name); };
}

bool IsYes(const std::string& stored) { return stored == kYes; }

std::optional<ProxySettings> ReadProxy(const Reader& read) {
  if (!IsYes(read(kProxyUse))) return std::nullopt;
  ProxySettings p;
  if (std::string host = read(kProxy); host != kNA) p.host = std::move(host);
  if (std::string port = read(kProxyPort); port != kNA) p.portText = std::move(port);
  return p;
}

int ParsePort(const std::string& text) {
  const int port = StrToInt(text);
  // A port beyond the range only fails at the next connection, with a bare
  // socket error that no longer names the setting.
  if (port < kMinPort || port > kMaxPort)
    throw EConvertError("The proxy port must be a number from 1 to 65535; " + Trim(text) + " is not a port.");
  return port;
}

void ApplyProxy(const std::optional<ProxySettings>& proxy, std::string& host, int& port) {
  if (!proxy) return;
  if (proxy->host) host = *proxy->host;
  if (proxy->portText) port = ParsePort(*proxy->portText);
}

UnitSystem ReadUnits(const Reader& read) {
  if (std::optional<UnitSystem> chosen = ParseUnitSystem(read(kUnits))) return *chosen;
  return UnitSystemForLocale(MeasurementLocaleName());
}

bool WarningNoticesOn(const Reader& read) { return read(kWarningNotices) != kNo; }

std::optional<std::string> StartupLocation(const Reader& read) {
  std::string loc = read(kStartupLoc);
  if (loc == kNA || loc == kNone) return std::nullopt;
  return loc;
}

}  // namespace sky::settings
