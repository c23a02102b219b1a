// skyglass-cli's help: one row per command. A new command adds its row to
// kHelp (user commands and plumbing keep the order of the table); a command
// without a row is still listed, under the plumbing, with its synopsis.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"

namespace cli {

namespace {

enum class Group { User, Plumbing };

struct HelpRow {
  const char* name;  // as registered
  Group group;
  const char* summary;  // one line for the overview
  const char* details;  // what it does, arguments, options, examples; lines end in "\n"
  const char* exits;    // nullptr: the group's rule (kUserExits / kPlumbingExits)
  bool places = false;  // takes a place name: how to write one follows
};

constexpr const char* kUserExits =
    "  0  success\n"
    "  1  the operation failed (the reason is on stderr)\n"
    "  2  usage error\n";
constexpr const char* kPlumbingExits =
    "  0  also when the operation reports an error (see the JSON)\n"
    "  2  usage error\n";

constexpr HelpRow kHelp[] = {
    // ---- user commands
    {"conditions", Group::User, "fetch and show the current conditions of a place",
     "Fetches the conditions page of a place as the main window's timed refresh\n"
     "does (no preset is stored), through the proxy of the settings, and prints\n"
     "what the main window shows. --json prints it as one JSON object.\n"
     "--units US, metric or UK shows the values in those units (else the\n"
     "preference \"Units\", else the desktop's locale: US for a US locale).\n"
     "Conditions observed more than 90 minutes ago, or kept by the gateway while\n"
     "its source is not answering, say how old they are under the heading, as\n"
     "the status line does (\"(observed 2 h 10 min ago)\"; \"age\" in the JSON).\n"
     "\n"
     "NAME is a place as the program writes it (see Places below); words given\n"
     "without quotes are joined with one blank.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli conditions \"Austin, TX\"\n"
     "  skyglass-cli conditions \"Austin, TX\" --units metric\n"
     "  skyglass-cli conditions \"Boston, Massachusetts\"\n"
     "  skyglass-cli conditions \"Paris, France (O)\" --json\n"
     "  skyglass-cli conditions 78701\n",
     "  0  the conditions were shown\n"
     "  1  not a place, no such page on the server, or a network failure\n"
     "     (the reason is on stderr)\n"
     "  2  usage error\n",
     true},
    {"locations", Group::User, "list the places of the catalogue, or those matching SEARCH",
     "Lists the places of the built-in catalogue, one a line, written as\n"
     "`conditions` takes them. SEARCH keeps the places whose whole name contains\n"
     "it, ignoring case: city, state code or country as printed, and the state's\n"
     "and country's full names (\"_\" and a blank match each other).\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli locations                 all places\n"
     "  skyglass-cli locations Kenya\n"
     "  skyglass-cli locations Texas           (or TX)\n"
     "  skyglass-cli locations \"san fran\"\n",
     "  0  places listed\n  1  nothing matches SEARCH\n  2  usage error\n", true},
    {"fetch", Group::User, "download an http:// address with the program's own client",
     "Downloads one address like a small curl. When the settings name a proxy\n"
     "(ProxyUse \"y\", Proxy, ProxyPort) the request goes through it, and stderr\n"
     "says so (\"via proxy HOST:PORT\"). The body goes to standard output, or to\n"
     "FILE with -o; progress goes to stderr.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli fetch http://www.wunderground.com/US/TX/Austin.html\n"
     "  skyglass-cli fetch http://127.0.0.1:8080/page.html -o page.html\n",
     "  0  downloaded\n"
     "  1  a network failure, or an error status from the server\n"
     "  2  usage error, or an address that is not http:// or not well formed\n"},
    {"moon", Group::User, "the moon picture the main window shows on a date",
     "Prints as JSON the moon picture of DATE and the illuminated fractions it\n"
     "was chosen from. The program's tables cover the years 1998 to 2005; a\n"
     "date outside them is reported in \"messages\".\n"
     "\n"
     "Example:\n"
     "  skyglass-cli moon 2001-03-09\n",
     "  0  the picture was looked up\n  2  DATE is no calendar date written YYYY-MM-DD\n"},
    {"setting", Group::User, "read and change the per-user settings store",
     "The settings file is $XDG_CONFIG_HOME/skyglass/settings.ini.\n"
     "  get SECTION NAME            print one value (\"n/a\" when missing)\n"
     "  set SECTION NAME VALUE      write a text value (--dword: a number value)\n"
     "  erase SECTION               remove a section and its values\n"
     "  list [--key KEY] [SECTION]  print sections and values\n"
     "  path                        print the file's path\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli setting set Settings ProxyUse y\n"
     "  skyglass-cli setting set Settings Proxy 127.0.0.1\n"
     "  skyglass-cli setting set Settings ProxyPort 8080\n"
     "  skyglass-cli setting get Locations loc0\n",
     "  0  done\n"
     "  1  the store cannot be read or written, or a value is of the wrong type\n"
     "  2  usage error\n"},

    {"version-check", Group::User, "ask the maker's server whether a newer version is out",
     "The Help menu's version check, through the proxy of the settings. --json\n"
     "prints the current and latest version and the message as one JSON object.\n"
     "\n"
     "Example:\n"
     "  skyglass-cli version-check\n",
     "  0  the check was answered (--json: always)\n"
     "  1  the request failed, or the answer holds no version\n"
     "  2  usage error\n"},
    {"daily", Group::User, "show the seven-day forecast of a place",
     "Fetches the seven-day forecast of a place from the weather gateway, as the\n"
     "7-Day Forecast window shows it: per day its name (tonight first in the\n"
     "evening), the sky, high and low, the chance of precipitation and the wind.\n"
     "--units US, metric or UK chooses the units (else the preference \"Units\",\n"
     "else the desktop's locale). --json prints one object with \"days\": per day\n"
     "date, name, high, low, unit, sky, precipitationChance and wind.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli daily \"Austin, TX\"\n"
     "  skyglass-cli daily \"Paris, France (O)\" --units metric --json\n",
     "  0  the forecast was shown\n"
     "  1  not a place, no forecast for it, or a network failure (reason on stderr)\n"
     "  2  usage error\n",
     true},
    {"forecast", Group::User, "a state forecast, warning or census text, as the forecast window shows it",
     "KIND is one of the forecast window's retrievals: n (nowcast), f (text\n"
     "forecast), h (hydrological data), p (public information), sw (special\n"
     "weather statements), w (warnings and advisories) for the state of the place;\n"
     "s1 (census detail by state, --state-row), s2 (by zip, --zip), ss (state\n"
     "salary rankings), si (median household income); d7 (the 7-Day Forecast, as\n"
     "`daily` prints it, in --units U or the settings' units). The place is\n"
     "--place NAME or else the first preset; --county cuts n and f to one county.\n"
     "Through the proxy of the settings.\n"
     "\n"
     "Example:\n"
     "  skyglass-cli forecast f --place \"Austin, TX\" --county travis\n",
     "  0  the text was fetched and printed\n"
     "  1  nothing was fetched (no state, an invalid zip) or the request failed\n"
     "  2  usage error\n",
     true},
    {"images", Group::User, "list the weather pictures of the Images and Forecasts menus",
     "Lists every picture the program can show, one a line: its menu path\n"
     "(\"Images / Radar Images / 1 - US Radar Image - Purdue\"), the local file name\n"
     "it is saved under, and its address, separated by tabs. Any of the names, or\n"
     "a part of the menu path only one picture has, is what `image` takes.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli images\n"
     "  skyglass-cli images | grep -i radar\n",
     "  0  listed\n  2  usage error\n"},
    {"image", Group::User, "download one weather picture, as its menu command does",
     "Downloads the picture NAME (its menu path, its caption, its command, or a\n"
     "part of the menu path only one picture has; case does not matter) through\n"
     "the proxy of the settings, with the program's own checks and the fallback\n"
     "of the Purdue radar. The picture is written to FILE (-o, --output), else to\n"
     "its own file name in the current folder; the written name is printed.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli image \"Radar Images / 1 - US Radar Image - Purdue\"\n"
     "  skyglass-cli image \"niagara falls\" -o falls.jpg\n"
     "  skyglass-cli image mnuUSRadarPurdueClick\n",
     "  0  the picture was downloaded and written\n"
     "  1  no picture or more than one has that name, the picture is missing or\n"
     "     unusable, the request failed, or FILE cannot be written (the reason is\n"
     "     on stderr)\n"
     "  2  usage error\n"},
    {"wallpaper", Group::User, "make a GIF or JPEG picture the desktop wallpaper",
     "Converts FILE (GIF or JPEG) into the program's wallpaper bitmap, stores the\n"
     "desktop values as the program does, and hands the bitmap to the desktop\n"
     "(GNOME, KDE Plasma or Xfce by XDG_CURRENT_DESKTOP, else feh when installed).\n"
     "--dry-run converts and prints the bitmap's place, the values and the\n"
     "commands it would run, and changes nothing.\n"
     "\n"
     "Examples:\n"
     "  skyglass-cli image \"US Radar Image - Purdue\" -o radar.gif\n"
     "  skyglass-cli wallpaper radar.gif\n"
     "  skyglass-cli wallpaper photo.jpg --dry-run\n",
     "  0  the wallpaper was set (--dry-run: the plan was printed)\n"
     "  1  FILE is no usable picture, the bitmap cannot be written, no desktop\n"
     "     that can take a wallpaper was found, or setting it failed (the reason\n"
     "     is on stderr)\n"
     "  2  usage error\n"},
    {"prefs", Group::User, "show the stored preferences, presets and colours",
     "Prints what the preferences dialog and the colour commands stored, in plain\n"
     "words, with the value used when one is not set, and the preset locations.\n"
     "\n"
     "Example:\n"
     "  skyglass-cli prefs\n",
     "  0  printed\n  2  usage error\n"},

    // ---- plumbing
    {"parse-page", Group::Plumbing, "parse a saved conditions page into its record",
     "Runs the conditions page parser over FILE and prints the record, the page's\n"
     "location name and the parser's messages.\n"
     "\n"
     "Example:\n"
     "  skyglass-cli parse-page tools/sample-pages/conditions.html\n",
     nullptr},
    {"derive", Group::Plumbing, "the heat index and wind chill from label texts",
     "Computes the two derived values as the main window does, from the texts of\n"
     "its temperature, humidity and wind labels. --heat-index is the page's own\n"
     "value, kept when it has two or more characters and is not \"n/a\".\n"
     "\n"
     "Example:\n"
     "  skyglass-cli derive --temp 90 --humidity 70% --wind \"NW at 10 mph\"\n",
     nullptr},
    {"request", Group::Plumbing, "the request a Get would send, without the network",
     "Example:\n"
     "  skyglass-cli request http://www.wunderground.com/ --proxy 127.0.0.1 --proxy-port 8080\n",
     nullptr},
    {"get", Group::Plumbing, "one Get with every event of the client",
     "Example:\n"
     "  skyglass-cli get http://127.0.0.1:8080/ --timeout 5000\n",
     nullptr},
    {"forecast-text", Group::Plumbing, "one forecast window retrieval over a saved page",
     "Runs the retrieval of KIND (as for forecast) with the bytes of FILE standing\n"
     "in for the received page, no network, and prints the messages, beeps,\n"
     "caption, address path and server, font, status texts and the text area.\n"
     "--state and --city are the current place's state code and city.\n"
     "\n"
     "Example:\n"
     "  skyglass-cli forecast-text f zone.html --state CA --city Irvine --county orange\n",
     nullptr},
    {"locate", Group::Plumbing, "the conditions address of a place name, without fetching",
     "Example:\n"
     "  skyglass-cli locate \"San Francisco, California\"\n",
     nullptr, true},
};

constexpr const char* kPlaces =
    "Places are written as the program writes them:\n"
    "  \"Austin, TX\"          a US city and its state code (or \"Austin, Texas\")\n"
    "  \"Paris, France (O)\"   a city outside the US, with the marker \" (O)\"\n"
    "  78701                 a US zip code\n"
    "Quote a name with blanks. `skyglass-cli locations SEARCH` lists the names.\n";

const HelpRow* RowOf(const std::string& name) {
  for (const HelpRow& row : kHelp)
    if (name == row.name) return &row;
  return nullptr;
}

// The summaries start in one column, after the longest name listed.
int NameWidth() {
  std::size_t width = 0;
  for (const auto& [name, command] : Commands()) width = std::max(width, name.size());
  return static_cast<int>(width);
}

void PrintRow(std::FILE* to, const std::string& name, const char* summary) {
  std::fprintf(to, "  %-*s  %s\n", NameWidth(), name.c_str(), summary);
}

}  // namespace

void PrintOverview(std::FILE* to) {
  const auto& commands = Commands();
  std::fprintf(to,
               "skyglass-cli: the terminal companion of Skyglass.\n"
               "\n"
               "usage: skyglass-cli COMMAND [ARGS...]\n"
               "       skyglass-cli help COMMAND   (or COMMAND --help) for one command\n"
               "\n"
               "Commands:\n");
  for (const HelpRow& row : kHelp)
    if (row.group == Group::User && commands.count(row.name)) PrintRow(to, row.name, row.summary);
  std::fprintf(to, "\nPlumbing (one JSON object on stdout, for scripts and tests):\n");
  for (const HelpRow& row : kHelp)
    if (row.group == Group::Plumbing && commands.count(row.name)) PrintRow(to, row.name, row.summary);
  for (const auto& [name, command] : commands)
    if (!RowOf(name)) PrintRow(to, name, command.synopsis.c_str());
  std::fprintf(to, "\n%s\nExit codes of the commands:\n%sof the plumbing:\n%s", kPlaces, kUserExits, kPlumbingExits);
}

bool PrintCommandHelp(const std::string& name, std::FILE* to) {
  const auto& commands = Commands();
  auto it = commands.find(name);
  if (it == commands.end()) return false;
  std::fprintf(to, "usage: skyglass-cli %s\n", it->second.synopsis.c_str());
  const HelpRow* row = RowOf(name);
  if (!row) {
    // A command still without its row: what holds for every command.
    std::fprintf(to, "\nExit codes:\n  0  success\n  2  usage error\n");
    return true;
  }
  std::string summary = row->summary;
  if (!summary.empty() && summary[0] >= 'a' && summary[0] <= 'z') summary[0] = static_cast<char>(summary[0] - 32);
  std::fprintf(to, "\n%s.\n\n%s", summary.c_str(), row->details);
  if (row->places) std::fprintf(to, "\n%s", kPlaces);
  std::fprintf(to, "\nExit codes:\n%s",
               row->exits                  ? row->exits
               : row->group == Group::User ? kUserExits
                                           : kPlumbingExits);
  return true;
}

}  // namespace cli
