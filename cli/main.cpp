// skyglass-cli: the terminal companion of Skyglass.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli.h"
#include "common/text.h"
#include "common/version.h"
#include "settings/hive.h"
#include "settings/settings_names.h"

namespace cli {

std::optional<std::string> ParsedArgs::Get(const std::string& name) const {
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

std::optional<int> ParsedArgs::GetInt(const std::string& name) const {
  auto v = Get(name);
  if (!v) return std::nullopt;
  int n = 0;
  if (!sky::TryStrToInt(*v, n)) throw UsageError("--" + name + " needs a whole number, not '" + *v + "'");
  return n;
}

ParsedArgs ParseArgs(const Args& args, const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flags, std::size_t minPositional, std::size_t maxPositional) {
  ParsedArgs p;
  auto contains = [](const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
      if (x == s) return true;
    return false;
  };
  bool onlyPositional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!onlyPositional && a == "--") {
      onlyPositional = true;
    } else if (!onlyPositional && a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2), value;
      bool inlineValue = false;
      if (auto eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        inlineValue = true;
      }
      if (contains(valueOptions, name)) {
        if (!inlineValue) {
          if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
          value = args[++i];
        }
        p.options[name] = value;
      } else if (contains(flags, name) && !inlineValue) {
        p.options[name] = "";
      } else {
        throw UsageError("unknown option " + a);
      }
    } else if (!onlyPositional && a.size() == 2 && a[0] == '-' && a[1] != '-' && contains(valueOptions, a.substr(1))) {
      // Short options are spelled as one letter, e.g. -o FILE.
      if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
      p.options[a.substr(1)] = args[++i];
    } else {
      p.positional.push_back(a);
    }
  }
  if (p.positional.size() < minPositional) throw UsageError("missing argument");
  if (p.positional.size() > maxPositional) throw UsageError("too many arguments");
  return p;
}

sky::UnitSystem ChosenUnits(const ParsedArgs& args) {
  if (std::optional<std::string> given = args.Get("units")) {
    if (std::optional<sky::UnitSystem> u = sky::ParseUnitSystem(*given)) return *u;
    throw UsageError("--units takes US, metric or UK, not " + *given);
  }
  return sky::settings::ReadUnits(sky::settings::StoreReader());
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& w : words) {
    if (!joined.empty()) joined += ' ';
    joined += w;
  }
  return joined;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream ss;
  ss << f.rdbuf();
  if (f.bad()) return false;
  out = ss.str();
  return true;
}

void StderrMessages::ShowMessage(const std::string& text) { std::cerr << sky::Latin1ToUtf8(text) << '\n'; }
void StderrMessages::ShowError(const std::string& text) { std::cerr << "error: " << sky::Latin1ToUtf8(text) << '\n'; }
bool StderrMessages::Confirm(const std::string& text) {
  std::cerr << sky::Latin1ToUtf8(text) << " (answered yes)\n";
  return true;
}

}  // namespace cli

static void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: skyglass-cli COMMAND [ARGS...]\nrun 'skyglass-cli --help' for the commands\n");
}

// "--help" or "-h" among the options (not after "--").
static bool AsksForHelp(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return cli::kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (name == "help" && argc > 2) {
      if (cli::PrintCommandHelp(argv[2], stdout)) return cli::kExitOk;
      std::fprintf(stderr, "skyglass-cli help: unknown command '%s'\n", argv[2]);
      PrintUsage(stderr);
      return cli::kExitUsage;
    }
    cli::PrintOverview(stdout);
    return cli::kExitOk;
  }
  if (name == "--version") {
    std::printf("skyglass-cli %s\n", sky::kVersion);
    return cli::kExitOk;
  }
  const auto& cmds = cli::Commands();
  auto it = cmds.find(name);
  if (it == cmds.end()) {
    std::fprintf(stderr, "skyglass-cli: unknown command '%s'\n", name.c_str());
    PrintUsage(stderr);
    return cli::kExitUsage;
  }
  if (AsksForHelp(argc, argv)) {
    cli::PrintCommandHelp(name, stdout);
    return cli::kExitOk;
  }
  cli::Args args;
  for (int i = 2; i < argc; ++i) {
    std::string latin1;
    if (!sky::Utf8ToLatin1(argv[i], latin1)) {
      std::fprintf(stderr, "skyglass-cli: argument '%s' has characters outside Latin-1\n", argv[i]);
      return cli::kExitUsage;
    }
    args.push_back(std::move(latin1));
  }
  // Settings lines skipped on the way are told once, whatever the outcome.
  struct StoreNoticeLine {
    ~StoreNoticeLine() {
      if (auto n = sky::hive::TakeStoreNotice()) {
        std::fflush(stdout);  // after the command's own output
        std::fprintf(stderr, "skyglass-cli: %s\n", sky::Latin1ToUtf8(sky::hive::StoreNoticeText(*n)).c_str());
      }
    }
  } storeNotice;
  try {
    return it->second.run(args);
  } catch (const cli::UsageError& e) {
    std::fprintf(stderr, "skyglass-cli %s: %s\nusage: skyglass-cli %s\n(skyglass-cli help %s tells more)\n",
                 name.c_str(), sky::Latin1ToUtf8(e.what()).c_str(), it->second.synopsis.c_str(), name.c_str());
    return cli::kExitUsage;
  } catch (const std::exception& e) {
    // A failure no subcommand expected (a settings value of the wrong type,
    // say) is reported like the others rather than ending in an abort.
    std::fprintf(stderr, "skyglass-cli %s: %s\n", name.c_str(), sky::Latin1ToUtf8(e.what()).c_str());
    return cli::kExitFailed;
  }
}
