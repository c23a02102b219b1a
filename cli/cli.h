// The terminal companion's subcommands and the conventions they share:
// every plumbing subcommand prints exactly one JSON object and exits 0, also
// when the operation reports an error; a usage error prints to stderr and
// exits 2.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ports.h"
#include "common/units.h"

namespace sky {
class THttpClient;
}

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Thrown for a usage error; main prints the message and exits 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Arguments after the subcommand name, already turned into Latin-1.
using Args = std::vector<std::string>;

struct Command {
  std::string name;
  std::string synopsis;  // for the usage text, e.g. "parse-page FILE"
  std::function<int(const Args&)> run;
};

// Registration from a static object in each cmd_*.cpp.
struct Register {
  explicit Register(Command c);
};

const std::map<std::string, Command>& Commands();

// Options of the form --name VALUE (and flags --name), positionals in order.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::optional<std::string> Get(const std::string& name) const;
  // The option as an int; UsageError when it is no number.
  std::optional<int> GetInt(const std::string& name) const;
};

// Splits args by the known option names (with value) and flags (without);
// anything else starting with "--" is a usage error, as is a wrong number of
// positionals.
ParsedArgs ParseArgs(const Args& args, const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flags, std::size_t minPositional, std::size_t maxPositional);

// The units of a user command: --units (US, metric or UK; anything else is a
// usage error), else the settings' choice, else the locale's default.
sky::UnitSystem ChosenUnits(const ParsedArgs& args);

// The words of a name given without quotes ("Austin," "TX"), joined with one
// blank as the shell took them apart.
std::string JoinWords(const std::vector<std::string>& words);

// A place name as typed ("austin, tx", "austin, texas", "paris, france (o)")
// in the catalogue's own spelling ("Austin, TX"), so that case does not
// matter; a name the catalogue does not hold (a zip, a hand-made name) comes
// back as it is.
std::string CatalogueSpelling(const std::string& name);

// The seven-day forecast of a place printed as "daily" prints it (the JSON
// with `json`); errors go to the standard error under `command`'s name.
int RunDailyForecast(const std::string& request, sky::UnitSystem units, bool json, const char* command);

// ---- help (help.cpp): its table has one row per command.

// `skyglass-cli --help`: user commands, then the plumbing, places, exit codes.
void PrintOverview(std::FILE* to);
// `skyglass-cli help NAME` and `NAME --help`; false when there is no such command.
bool PrintCommandHelp(const std::string& name, std::FILE* to);

// ---- network failures of the user commands (net_failure.cpp)

// "HOST:PORT" the client connects to: the proxy's when one is set.
std::string Endpoint(const sky::THttpClient& c);

struct NetFailure {
  std::string text;  // where, the client's own text and socket error (kept as they are)
  std::string hint;  // a short plain-language hint, or empty
};
// A request that ended in an exception with `message`; `timedOut` when the
// client's timer ended it.
NetFailure DescribeNetFailure(const sky::THttpClient& c, const std::string& message, bool timedOut);

// Reads a whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& out);

// Collects message boxes as lines for "messages"; Confirm answers Yes.
class RecordingMessages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& text) override {
    messages.push_back(text);
    return true;
  }
  void Beep() override {}
  std::vector<std::string> messages;
};

// Message boxes as lines on stderr, for the user commands.
class StderrMessages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Beep() override {}
};

}  // namespace cli
