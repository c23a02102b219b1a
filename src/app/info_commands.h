// The commands of the main window that lead to the preferences, the colours,
// the help, the about box and the version check.
#pragma once

#include <functional>

namespace sky {
class MainLogic;
class ImageLogic;
struct PopulationCounter;
}  // namespace sky

namespace sky::ui {

class TForm1;
class TfrmPref;
class TfrmAbout;
class TfrmImage;

// The preferences and the about box are asked for when their command runs
// (they are made on first use).
void WireInfoCommands(TForm1& form, MainLogic& logic, std::function<TfrmPref&()> pref,
                      std::function<TfrmAbout&()> about);

// The two population counters: the census clock picture in the viewer, on
// white and without the maximise button.
void WirePopulationCounters(TForm1& form, ImageLogic& images, std::function<TfrmImage&()> viewer);
void ShowPopulationCounter(const PopulationCounter& counter, ImageLogic& images, TfrmImage& viewer);

// "Check Version #...": the version check through the main window's client
// (turned away while another request runs), its box and the closing status.
void CheckforUpdate1Click(TForm1& form, MainLogic& logic);

}  // namespace sky::ui
