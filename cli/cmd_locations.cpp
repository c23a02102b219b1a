// Location subcommands: the catalogue, the address of a place, and a whole
// conditions fetch from the terminal.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "cli.h"
#include "common/text.h"
#include "conditions/fetch.h"
#include "conditions/answer_age.h"
#include "json.h"
#include "net/HttpClient.h"
#include "common/exceptions.h"
#include "settings/ini_proc.h"
#include "locations/Unit_location.h"
#include "locations/US_cities.h"
#include "locations/catalogue.h"

namespace {

// "locate NAME": the steps of a fetch before its request, without fetching.
int Locate(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {}, {}, 1, 1);
  sky::CurrentLocation loc;
  cli::RecordingMessages messages;
  sky::ReadRequest(a.positional[0], loc);
  std::optional<std::string> path = sky::ConditionsPath(loc, messages);

  cli::Json j;
  j.BeginObject();
  j.Field("messages", messages.messages);
  j.Key("Country").String(loc.Country);
  j.Key("Region").String(loc.Region);
  j.Key("City").String(loc.City);
  j.Key("Zip").String(loc.Zip);
  j.Field("path", path);
  j.EndObject();
  j.Print();
  return cli::kExitOk;
}

// The country text of a foreign LocationName that the station lookup knows:
// the tree's text, or its spelling with "_" where only that one is a key
// ("Cayman Island" is known as "Cayman_Island (O)").
std::string ForeignRegionText(const std::string& country) {
  const auto& groups = sky::LocationCatalogue::Get().GroupDerivation();
  if (groups.count(country + sky::kForeignMarker)) return country;
  std::string underscored = country;
  for (char& c : underscored)
    if (c == ' ') c = '_';
  if (groups.count(underscored + sky::kForeignMarker)) return underscored;
  return country;
}

// Blanks and "_" count as the same character: US city texts use "_".
std::string SearchForm(const std::string& s) {
  std::string out = sky::LowerAscii(s);
  for (char& c : out)
    if (c == '_') c = ' ';
  return out;
}

// Every catalogue place once, as the program writes it, with the state's
// and country's tree names beside it.
template <typename Emit>
void EachPlace(Emit emit) {
  const auto& cat = sky::LocationCatalogue::Get();
  for (const auto& continent : cat.Root().children) {
    for (const auto& country : continent.children) {
      if (country.text == "United States") {
        for (const auto& state : country.children)
          for (const auto& city : state.children)
            emit(sky::UsLocationName(city.text, sky::ToStateCode(state.text)), state.text, country.text);
      } else if (country.text == "Canada") {
        for (const auto& prov : country.children)
          for (const auto& city : prov.children)
            emit(city.text + ", " + ForeignRegionText(prov.text) + sky::kForeignMarker, prov.text, country.text);
      } else {
        for (const auto& city : country.children)
          emit(city.text + ", " + ForeignRegionText(country.text) + sky::kForeignMarker, "", country.text);
      }
    }
  }
}

int ListLocations(const cli::Args& args) {
  // An unquoted "New York" arrives as two words.
  const auto a = cli::ParseArgs(args, {}, {}, 0, SIZE_MAX);
  const std::string words = cli::JoinWords(a.positional);
  const std::string search = SearchForm(words);
  std::string out;
  // The whole name as printed is searched (so "TX" and "Kenya" find their
  // places), and the state's and country's tree names beside it ("Texas",
  // "United States"); the lines keep a search from running across them.
  auto emit = [&](const std::string& name, const std::string& state, const std::string& country) {
    if (!search.empty() && SearchForm(name + "\n" + state + "\n" + country).find(search) == std::string::npos) return;
    out += sky::Latin1ToUtf8(name);
    out += '\n';
  };
  EachPlace(emit);
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (out.empty() && !search.empty()) {
    // As grep does: nothing found is worth a word and a status of its own.
    std::fprintf(stderr, "skyglass-cli locations: no place in the catalogue matches \"%s\"\n",
                 sky::Latin1ToUtf8(words).c_str());
    return cli::kExitFailed;
  }
  return cli::kExitOk;
}

// The labels of the conditions area, kept in memory for the terminal.
class TerminalWindow : public sky::IMainWindowPort {
 public:
  TerminalWindow() {
    labels_[static_cast<int>(sky::ValueLabel::WindChill)] = sky::kNA;
    labels_[static_cast<int>(sky::ValueLabel::HeatIndex)] = sky::kNA;
  }
  void SetLabel(sky::ValueLabel l, const std::string& text) override { labels_[static_cast<int>(l)] = text; }
  std::string Label(sky::ValueLabel l) const override { return labels_[static_cast<int>(l)]; }
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& c) override { caption_ = c; }
  void Repaint() override {}

 private:
  std::string labels_[sky::kValueLabelCount];
  std::string caption_ = "Skyglass";
};

// Message boxes on stderr; the last error box is kept as the reason of a
// failed fetch.
class TerminalMessages : public cli::StderrMessages {
 public:
  void ShowError(const std::string& text) override {
    lastError = text;
    cli::StderrMessages::ShowError(text);
  }
  std::string lastError;
};

// The status line, kept for the reason of a failure.
class LastStatus : public sky::IStatusPort {
 public:
  void SetStatus(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

struct ShownLabel {
  const char* caption;  // as the main window's caption labels read
  const char* key;      // JSON key
  sky::ValueLabel label;
};
// clang-format off
constexpr ShownLabel kShown[] = {
    {"Sky Conditions:", "Sky", sky::ValueLabel::Sky},
    {"Temperature:", "Temperature", sky::ValueLabel::Temp},
    {"Heat Index:", "HeatIndex", sky::ValueLabel::HeatIndex},
    {"Humidity:", "Humidity", sky::ValueLabel::Humid},
    {"Pressure:", "Pressure", sky::ValueLabel::Press},
    {"Wind:", "Wind", sky::ValueLabel::Wind},
    {"Wind Chill:", "WindChill", sky::ValueLabel::WindChill},
    {"Visibility:", "Visibility", sky::ValueLabel::Visible},
    {"Sunrise:", "Sunrise", sky::ValueLabel::Sunrise},
    {"Sunset:", "Sunset", sky::ValueLabel::Sunset},
    {"Moonrise:", "MoonRise", sky::ValueLabel::MoonRise},
    {"Moonset:", "MoonSet", sky::ValueLabel::MoonSet},
};
// clang-format on

const char* OutcomeName(sky::FetchOutcome o) {
  switch (o) {
    case sky::FetchOutcome::Removed: return "removed";
    case sky::FetchOutcome::Stopped: return "stopped";
    case sky::FetchOutcome::Failed: return "failed";
    case sky::FetchOutcome::Shown: return "shown";
    case sky::FetchOutcome::Error: return "error";
  }
  return "";
}

// What to search the place list for after a name that failed: its city.
std::string SearchSuggestion(const std::string& request) {
  std::string city = sky::Trim(request.substr(0, request.find(',')));
  for (char& c : city)
    if (c == '_') c = ' ';
  if (city.empty()) city = sky::Trim(request);
  const bool quote = city.find_first_of(" '\"()&;|<>$`\\*?") != std::string::npos;
  return "skyglass-cli locations " + (quote ? "\"" + city + "\"" : city);
}

// "conditions NAME [--json]": the whole fetch of a LocationName, as an
// automatic fetch (no preset is added), through the proxy of the settings.
int Conditions(const cli::Args& args) {
  // An unquoted Austin, TX arrives as two words.
  const auto a = cli::ParseArgs(args, {"units"}, {"json"}, 1, SIZE_MAX);
  const std::string typed = cli::JoinWords(a.positional);
  if (sky::Trim(typed).empty()) throw cli::UsageError("the place name is empty");
  const std::string request = cli::CatalogueSpelling(typed);
  const sky::UnitSystem units = cli::ChosenUnits(a);

  TerminalWindow window;
  LastStatus status;
  TerminalMessages messages;
  sky::MainLogic logic(sky::MainPorts{&window, &status, nullptr, nullptr, nullptr, nullptr, &messages});
  logic.SetUnits(units);
  sky::THttpClient& client = logic.HttpClient1();
  try {
    logic.Requests().UseProxySettings(sky::settings::StoreReader());
  } catch (const sky::EConvertError& e) {
    messages.ShowError(e.what());
    return cli::kExitFailed;
  }

  const std::string tryList = "; try '" + SearchSuggestion(request) + "'";
  sky::FetchOutcome outcome = sky::FetchOutcome::Stopped;
  std::string reason, hint;
  sky::CurrentLocation decoded;
  sky::ReadRequest(request, decoded);
  if (!sky::NamesAPlace(decoded)) {
    // The server would answer 404 for a page that cannot exist; that is
    // not the server's word on the place.
    reason = "not a place: " + request + tryList;
  } else {
    logic.State().SilentFlag = "y";
    logic.State().RequestText = request;
    outcome = logic.Get_the_Stats();
    if (outcome == sky::FetchOutcome::Stopped) {
      reason = "not a place: " + request + tryList;
    } else if (outcome == sky::FetchOutcome::Failed && client.StatusCode() == 404) {
      reason = "the server " + client.Host + " has no conditions page for \"" + request + "\" (status 404)" + tryList;
    } else if (outcome == sky::FetchOutcome::Failed) {
      reason = "the server " + client.Host + " did not return the conditions (status " +
               std::to_string(client.StatusCode()) + ")";
    } else if (outcome == sky::FetchOutcome::Error) {
      // The box's first line is the client's text; what follows it (how to
      // start the gateway) was shown with the box already.
      const std::string& box = messages.lastError;
      const cli::NetFailure f = cli::DescribeNetFailure(client, box.substr(0, box.find('\n')), false);
      reason = "the request did not complete: " + f.text;
      hint = f.hint;
    }
  }
  const bool ok = outcome == sky::FetchOutcome::Shown;
  // As the main window's status line: old conditions, or an answer kept
  // while its source fails, say how old they are.
  const std::optional<std::string> age = ok ? sky::AgeNotice(sky::ReadAnswerAge(client.Header)) : std::nullopt;

  const std::string caption = window.Caption();
  const std::string place =
      caption.rfind(sky::kCaptionPrefix, 0) == 0 ? caption.substr(std::string(sky::kCaptionPrefix).size()) : request;
  if (a.Has("json")) {
    cli::Json j;
    j.BeginObject();
    j.Field("ok", ok);
    j.Field("outcome", OutcomeName(outcome));
    if (ok) {
      j.Key("place").String(place);
      j.Key("title").String(logic.State().LocationTitle);
      j.Key("header").String(window.Label(sky::ValueLabel::Conditions));
      for (const auto& s : kShown) j.Key(s.key).String(sky::Trim(window.Label(s.label)));
      j.Key("units").String(sky::UnitSystemName(units));
      j.Key("age");
      if (age) j.String(*age);
      else j.Null();
    } else {
      j.Key("reason").String(hint.empty() ? reason : reason + "; " + hint);
    }
    j.EndObject();
    j.Print();
  } else if (ok) {
    // The page's own name of the place reads best ("Austin, Texas" for a zip).
    const std::string& title = logic.State().LocationTitle;
    std::string out = (title.empty() ? place : title) + "\n";
    std::string header = window.Label(sky::ValueLabel::Conditions);
    if (!header.empty()) out += header + "\n";
    if (age) out += "(" + *age + ")\n";
    out += "\n";
    for (const auto& s : kShown) {
      std::string caption = s.caption;
      caption.resize(17, ' ');
      out += "  " + caption + sky::Trim(window.Label(s.label)) + "\n";
    }
    const std::string utf8 = sky::Latin1ToUtf8(out);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  }
  if (!ok) {
    std::fprintf(stderr, "skyglass-cli conditions: %s\n", sky::Latin1ToUtf8(reason).c_str());
    if (!hint.empty()) std::fprintf(stderr, "  %s\n", hint.c_str());
    return cli::kExitFailed;
  }
  return cli::kExitOk;
}

const cli::Register kConditions{{"conditions", "conditions NAME [--units U] [--json]", Conditions}};
const cli::Register kLocate{{"locate", "locate NAME", Locate}};
const cli::Register kLocations{{"locations", "locations [SEARCH]", ListLocations}};

}  // namespace

std::string cli::CatalogueSpelling(const std::string& name) {
  const std::string wanted = SearchForm(sky::Trim(name));
  std::string found;
  EachPlace([&](const std::string& place, const std::string& state, const std::string& country) {
    if (!found.empty()) return;
    const std::size_t comma = place.find(", ");
    // "Austin, Texas" names the place "Austin, TX" too.
    const bool byStateName = country == "United States" && comma != std::string::npos &&
                             SearchForm(place.substr(0, comma) + ", " + state) == wanted;
    if (SearchForm(place) == wanted || byStateName) found = place;
  });
  return found.empty() ? name : found;
}
