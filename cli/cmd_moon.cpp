// moon YYYY-MM-DD: the moon picture the main window would show on that date.
#include <optional>
#include <string>

#include "cli.h"
#include "conditions/moon.h"
#include "json.h"

namespace {

// Strictly YYYY-MM-DD of a real calendar date.
std::optional<sky::LocalDate> ParseIsoDate(const std::string& s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
  sky::LocalDate d{std::stoi(s.substr(0, 4)), std::stoi(s.substr(5, 2)), std::stoi(s.substr(8, 2))};
  if (d.year < 1 || !sky::IsCalendarDate(d)) return std::nullopt;
  return d;
}

class RecordingMoonView : public sky::IMoonView {
 public:
  void ShowMoonPicture(const std::string& pictureName) override { picture = pictureName; }
  std::optional<std::string> picture;
};

int RunMoon(const cli::Args& args) {
  const cli::ParsedArgs p = cli::ParseArgs(args, {}, {}, 1, 1);
  const auto date = ParseIsoDate(p.positional[0]);
  if (!date) throw cli::UsageError("'" + p.positional[0] + "' is not a calendar date written YYYY-MM-DD");

  sky::ManualClock clock;
  clock.SetToday(*date);
  RecordingMoonView view;
  cli::RecordingMessages messages;
  sky::MoonPhaseUpdater updater(view, messages, clock);
  updater.UpdateMoonPhase();

  cli::Json j;
  j.BeginObject();
  j.Field("picture", view.picture);
  if (const auto& shown = updater.Shown()) {
    j.Key("today").String(shown->today);
    j.Key("next").String(shown->next);
    j.Field("trend", shown->rising ? "rising" : "falling");
  }
  j.Field("messages", messages.messages);
  j.EndObject();
  j.Print();
  return cli::kExitOk;
}

const cli::Register kMoon({"moon", "moon YYYY-MM-DD", RunMoon});

}  // namespace
