// The table of subcommands: each cmd_*.cpp adds its own rows at start-up;
// main.cpp dispatches through it and help.cpp prints it. Apart from both, so
// that neither of them needs the other's file for it.
#include "cli.h"

namespace cli {

namespace {
std::map<std::string, Command>& Registry() {
  static std::map<std::string, Command> r;
  return r;
}
}  // namespace

Register::Register(Command c) { Registry().emplace(c.name, std::move(c)); }
const std::map<std::string, Command>& Commands() { return Registry(); }

}  // namespace cli
