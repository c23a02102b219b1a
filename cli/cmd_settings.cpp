// "setting": read and change the per-user settings store from the terminal,
// e.g. to prepare a demonstration store (XDG_CONFIG_HOME names its folder).
#include <cstdint>
#include <cstdio>
#include <iostream>

#include "cli.h"
#include "common/convert.h"
#include "common/text.h"
#include "settings/hive.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace {

// One line per value; control characters are shown as escapes so that every
// value stays on its line.
std::string Shown(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return sky::Latin1ToUtf8(out);
}

void ListKey(const std::string& path, const std::string& shownName) {
  std::cout << '[' << sky::Latin1ToUtf8(shownName) << "]\n";
  for (const auto& v : sky::hive::ReadValues(path)) {
    std::cout << Shown(v.name) << " = ";
    switch (v.type) {
      case sky::hive::ValueType::Text: std::cout << Shown(v.text); break;
      case sky::hive::ValueType::Dword: std::cout << "(dword) " << v.dword; break;
      case sky::hive::ValueType::Other: std::cout << '(' << v.otherType << ") " << Shown(v.text); break;
    }
    std::cout << '\n';
  }
}

int Run(const cli::Args& args) {
  if (args.empty()) throw cli::UsageError("missing action (get, set, erase, list or path)");
  const std::string action = args[0];
  const cli::Args rest(args.begin() + 1, args.end());
  try {
    if (action == "get") {
      const auto p = cli::ParseArgs(rest, {}, {}, 2, 2);
      std::cout << Shown(sky::ReadSetting(p.positional[0], p.positional[1])) << '\n';
    } else if (action == "set") {
      const auto p = cli::ParseArgs(rest, {}, {"dword"}, 3, 3);
      const std::string path = std::string(sky::kSettingsKey) + "\\" + p.positional[0];
      if (p.Has("dword")) {
        // Only a way to prepare a store with a value of the wrong type.
        const int n = sky::StrToInt(p.positional[2]);
        sky::hive::WriteDword(path, p.positional[1], static_cast<std::uint32_t>(n));
      } else {
        // A proxy port is checked as the preferences check it.
        if (p.positional[0] == sky::settings::kSectionSettings && p.positional[1] == sky::settings::kProxyPort)
          sky::settings::ParsePort(p.positional[2]);
        sky::WriteSetting(p.positional[0], p.positional[1], p.positional[2]);
      }
    } else if (action == "erase") {
      const auto p = cli::ParseArgs(rest, {}, {}, 1, 1);
      sky::EraseSection(p.positional[0]);
    } else if (action == "list") {
      const auto p = cli::ParseArgs(rest, {"key"}, {}, 0, 1);
      const std::string key = p.Get("key").value_or(sky::kSettingsKey);
      if (!p.positional.empty()) {
        ListKey(key + "\\" + p.positional[0], p.positional[0]);
      } else {
        bool first = true;
        for (const auto& sub : sky::hive::ReadSubKeys(key)) {
          if (!first) std::cout << '\n';
          first = false;
          ListKey(sub, sub.substr(key.size() + 1));
        }
        if (!sky::hive::ReadValues(key).empty()) {
          if (!first) std::cout << '\n';
          ListKey(key, key);
        }
      }
    } else if (action == "path") {
      cli::ParseArgs(rest, {}, {}, 0, 0);
      std::cout << sky::hive::FilePath() << '\n';
    } else {
      throw cli::UsageError("unknown action '" + action + "'");
    }
  } catch (const sky::ESettingsError& e) {
    std::cerr << "skyglass-cli setting: " << sky::Latin1ToUtf8(e.what()) << '\n';
    return cli::kExitFailed;
  } catch (const sky::EConvertError& e) {
    std::cerr << "skyglass-cli setting: " << sky::Latin1ToUtf8(e.what()) << '\n';
    return cli::kExitFailed;
  }
  return cli::kExitOk;
}

const cli::Register kRegister{
    cli::Command{"setting",
                 "setting get SECTION NAME | set [--dword] SECTION NAME VALUE | erase SECTION | "
                 "list [--key KEY] [SECTION] | path",
                 Run}};

}  // namespace
