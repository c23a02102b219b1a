// The units the person chose, on the main window's labels and the tray tip
// (offscreen), and the preference that chooses them.
#include <QComboBox>
#include <QPushButton>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/gui_fixture.h"
#include "controls/OnTray.h"
#include "settings/Unit_pref.h"

namespace {

using sky::UnitSystem;
using sky::ValueLabel;
using skytest::GuiTest;

std::string SamplePage() {
  std::ifstream in(std::string(SKYGLASS_SOURCE_DIR) + "/tools/sample-pages/conditions.html", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Shown {
  const char* temp;
  const char* press;
  const char* wind;
  const char* visible;
  const char* windChill;
  const char* tip;
};

TEST_F(GuiTest, LabelsAndTrayTipInEachSystemFromOnePage) {
  Create();
  ShowMain();
  sky::MainLogic& l = logic();
  l.SetUnits(UnitSystem::US);
  l.ParseAndShow(SamplePage());
  l.ComputeHeatIndex();
  l.ComputeWindChill();
  // 28 F with NW 12 mph: a wind chill of 10.3 F.
  const struct {
    UnitSystem units;
    Shown shown;
  } kCases[] = {
      {UnitSystem::US, {"28\260F", "30.12 in ", "NW at 12 mph ", "10 miles", "18\260 F", "Mostly Cloudy && 28\260F"}},
      {UnitSystem::Metric, {"-2\260C", "1020 hPa", "NW at 19 km/h ", "16 km", "-8\260C", "Mostly Cloudy && -2\260C"}},
      {UnitSystem::UK, {"-2\260C", "1020 hPa", "NW at 12 mph ", "10 miles", "-8\260C", "Mostly Cloudy && -2\260C"}},
  };
  for (const auto& c : kCases) {
    l.SetUnits(c.units);
    SCOPED_TRACE(sky::UnitSystemName(c.units));
    EXPECT_EQ(form().Label(ValueLabel::Temp), c.shown.temp);
    EXPECT_EQ(form().Label(ValueLabel::Press), c.shown.press);
    EXPECT_EQ(form().Label(ValueLabel::Wind), c.shown.wind);
    EXPECT_EQ(form().Label(ValueLabel::Visible), c.shown.visible);
    EXPECT_EQ(form().Label(ValueLabel::WindChill), c.shown.windChill);
    EXPECT_EQ(form().tray->Hint(), c.shown.tip);
    EXPECT_EQ(form().Label(ValueLabel::Humid), "78% ");  // no unit to change
    // SKYGLASS_SHOT_DIR=folder keeps a picture of the window in each system.
    if (const char* dir = std::getenv("SKYGLASS_SHOT_DIR"))
      form().grab().save(QString(dir) + "/main-window-" + sky::UnitSystemName(c.units) + ".png", "PNG");
  }
  // What is kept is the page's own text, whatever is shown.
  EXPECT_EQ(l.PageText(ValueLabel::Temp), "28\260F / -2\260C ");
  EXPECT_EQ(l.PageText(ValueLabel::WindChill), "18\260 F");
}

TEST_F(GuiTest, UnitsPreferenceIsStoredAndTakesEffectAtOnce) {
  Create();
  ShowMain();
  logic().ParseAndShow(SamplePage());
  sky::ui::TfrmPref& pref = *windows->frmPref;
  pref.ShowDialog();
  ASSERT_EQ(pref.cboUnits->count(), 4);
  EXPECT_EQ(pref.cboUnits->currentIndex(), 0);  // nothing chosen: the locale's
  EXPECT_TRUE(pref.cboUnits->itemText(0).startsWith("As the desktop"));
  pref.cboUnits->setCurrentIndex(2);  // metric
  pref.btnOkay->click();
  EXPECT_EQ(sky::ReadSetting("Settings", "Units"), "metric");
  EXPECT_EQ(form().Label(ValueLabel::Temp), "-2\260C");

  pref.ShowDialog();
  EXPECT_EQ(pref.cboUnits->currentIndex(), 2);
  pref.cboUnits->setCurrentIndex(0);  // back to the desktop's choice
  pref.btnOkay->click();
  EXPECT_EQ(sky::ReadSetting("Settings", "Units"), "");
  EXPECT_EQ(logic().Units(), sky::UnitSystemForLocale(sky::MeasurementLocaleName()));
}

}  // namespace
