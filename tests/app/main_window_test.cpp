// The program's start and the main window as built: order of creation with
// the please-wait gauge, layout of the conditions area, menus and tray.
#include <QAction>
#include <filesystem>
#include <fstream>
#include <QLayout>
#include <QMenu>
#include <set>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QSystemTrayIcon>

#include "app/gui_fixture.h"
#include "controls/GifControl.h"
#include "controls/OnTray.h"
#include "controls/app_icon.h"
#include "forecast/DailyWindow.h"
#include "controls/Unit_pleasewait.h"
#include "forecast/Unit_frmforecast.h"
#include "images/Unit_frmImage.h"
#include "info/frmAbout_Unit.h"
#include "locations/frmLocation.h"
#include "settings/Unit_pref.h"

namespace {

using sky::ui::TForm1;
using skytest::GuiTest;

TEST_F(GuiTest, StartCreatesTheWindowsInOrderAndTheFirstPaintHidesThePleaseWaitWindow) {
  Create();
  // The about box, preferences, viewer, forecast window and location chooser
  // come on first use.
  const std::vector<std::pair<std::string, int>> expected = {{"TfrmPleaseWait", 10}, {"ready", 100}};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(windows->frmDaily.Made(), nullptr);
  EXPECT_EQ(windows->frmLocation.Made(), nullptr);
  EXPECT_EQ(windows->frmAbout.Made(), nullptr);
  EXPECT_EQ(windows->frmPref.Made(), nullptr);
  EXPECT_EQ(windows->frmImage.Made(), nullptr);
  EXPECT_EQ(windows->frmForecast.Made(), nullptr);
  EXPECT_TRUE(windows->frmPleaseWait->isVisible());
  EXPECT_EQ(windows->frmPleaseWait->Gauge1->Progress(), 100);
  EXPECT_EQ(windows->frmPleaseWait->Gauge1->Kind(), sky::TGaugeKind::gkNeedle);
  EXPECT_EQ(windows->frmPleaseWait->size(), QSize(191, 171));
  EXPECT_FALSE(form().isVisible());
  for (QWidget* w :
       std::initializer_list<QWidget*>{windows->frmAbout.get(), windows->frmPref.get(), windows->frmImage.get(),
                                       windows->frmForecast.get(), windows->frmLocation.get()})
    EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();

  ShowMain();
  ASSERT_TRUE(skytest::WaitFor([&] { return !windows->frmPleaseWait->isVisible(); }));
  EXPECT_EQ(form().windowTitle(), "Skyglass");
  EXPECT_EQ(form().Status(), "Thank you for using Skyglass...");
  // The moon picture is up from the start, alone, in the moon spot, at its
  // natural size from the spot's top-left corner.
  const std::string moon = sky::ui::ShownMoonPicture(*windows);
  ASSERT_FALSE(moon.empty());
  // Only the phase shown has its control yet.
  const auto pictures = form().client->findChildren<sky::ui::TGifControl*>(QRegularExpression("^GIFImage"));
  EXPECT_EQ(pictures.size(), 1);
  for (sky::ui::TGifControl* g : pictures) {
    const bool shown = g->objectName().toStdString() == moon;
    EXPECT_EQ(g->isVisible(), shown) << g->objectName().toStdString();
    if (!shown) continue;
    EXPECT_EQ(g->geometry(), QRect(237, 177, 81, 65));
    EXPECT_EQ(g->PictureSize(), QSize(50, 50));
    EXPECT_EQ(g->PlacementRect(), QRect(0, 0, 50, 50));
  }
}

TEST_F(GuiTest, WindowsMadeOnFirstUseComeWiredAsTheyDidAtStart) {
  Create();
  ShowMain();
  QAction* about = form().findChild<QAction*>("mnuAbout");
  ASSERT_NE(about, nullptr);
  about->trigger();
  ASSERT_NE(windows->frmAbout.Made(), nullptr);
  EXPECT_TRUE(windows->frmAbout->isVisible());
  windows->frmAbout->hide();
  // Made once: the same window the next time.
  about->trigger();
  EXPECT_EQ(windows->frmAbout.Made(), windows->frmAbout.get());
}

// The program shows its main window straight after making it: no please-wait
// window in its way, and nothing made or drawn that the first paint does not
// show.
TEST_F(GuiTest, TheProgramShowsItsMainWindowFirst) {
  Create({60000, 60000, 60000}, false);
  const std::vector<std::pair<std::string, int>> expected = {{"TfrmPleaseWait", 10}, {"ready", 100}};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(windows->frmPleaseWait, nullptr);
  ShowMain();
  form().repaint();
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_TRUE(w == &form() || !w->isVisible()) << w->objectName().toStdString();
  EXPECT_FALSE(sky::ui::ShownMoonPicture(*windows).empty());
  EXPECT_EQ(form().IconList.Drawn(), 0);
  form().SetIconIndex(4);
  EXPECT_EQ(form().IconList.Drawn(), 1);
}

TEST_F(GuiTest, SevenDayWindowIsMadeAndWiredOnFirstUse) {
  Create();
  ShowMain();
  // New units before the window exists do not make it.
  windows->frmPref->stored();
  EXPECT_EQ(windows->frmDaily.Made(), nullptr);
  QAction* command = form().findChild<QAction*>("mnuDailyForecast");
  ASSERT_NE(command, nullptr);
  command->trigger();
  sky::ui::TfrmDaily* daily = windows->frmDaily.Made();
  ASSERT_NE(daily, nullptr);
  EXPECT_TRUE(daily->isVisible());
  // It asked the core, which shows no place yet.
  EXPECT_EQ(daily->lblDailyStatus->text().toStdString(), sky::kDailyNoPlace);
  daily->hide();
  command->trigger();
  EXPECT_EQ(windows->frmDaily.Made(), daily);
  EXPECT_TRUE(daily->isVisible());
}

TEST_F(GuiTest, ConditionsAreaLayout) {
  Create();
  TForm1& f = form();
  EXPECT_EQ(f.client->size(), QSize(322, 304));
  f.layout()->activate();
  EXPECT_EQ(f.minimumSize(), f.maximumSize());  // fixed border
  EXPECT_EQ(f.width(), 322);
  EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);

  struct Row {
    QLabel* label;
    QRect rect;
    int pixels;
    const char* text;
  };
  const Row rows[] = {
      {f.lblConditions, {0, 0, 321, 18}, 13, ""},
      {f.captionLabels[0], {8, 32, 97, 17}, 13, "Sky Conditions:"},
      {f.captionLabels[3], {8, 92, 65, 17}, 13, "Pressure:"},
      {f.captionLabels[9], {8, 220, 65, 17}, 13, "Moonset:"},
      {f.captionLabels[12], {224, 152, 81, 17}, 13, "Moon Phase:"},
      {f.valueLabels[0], {112, 32, 185, 17}, 13, ""},
      {f.valueLabels[2], {80, 72, 121, 17}, 12, ""},
      {f.valueLabels[3], {80, 92, 125, 17}, 12, ""},
      {f.valueLabels[9], {80, 220, 97, 17}, 12, ""},
      {f.valueLabels[10], {224, 92, 81, 17}, 13, "n/a"},
      {f.valueLabels[11], {224, 132, 81, 17}, 13, "n/a"},
      {f.Label1, {11, 268, 294, 13}, 7, "Conditions provided by Weather Underground."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label->objectName().toStdString());
    EXPECT_EQ(r.label->geometry(), r.rect);
    EXPECT_EQ(r.label->font().pixelSize(), r.pixels);
    EXPECT_EQ(r.label->text().toStdString(), r.text);
  }
  const QColor teal(0, 0x80, 0x80), lime(0, 0xFF, 0), yellow(0xFF, 0xFF, 0), green(0, 0x80, 0);
  EXPECT_EQ(f.lblConditions->palette().color(QPalette::Window), teal);
  EXPECT_EQ(f.lblConditions->palette().color(QPalette::WindowText), yellow);
  EXPECT_TRUE(f.lblConditions->font().bold());
  for (QLabel* l : f.captionLabels) EXPECT_EQ(l->palette().color(QPalette::Window), teal);
  for (QLabel* l : f.valueLabels) {
    EXPECT_EQ(l->palette().color(QPalette::WindowText), lime);
    EXPECT_EQ(l->palette().color(QPalette::Window), QColor(Qt::black));
  }
  EXPECT_EQ(f.Label1->palette().color(QPalette::WindowText), green);
  EXPECT_TRUE(f.captionLabels[10]->alignment() & Qt::AlignHCenter);

  EXPECT_EQ(f.Button1->text(), "&Minimize");
  EXPECT_EQ(f.Button1->geometry(), QRect(232, 245, 73, 23));
  EXPECT_EQ(f.statusPanel0->width(), 180);
  EXPECT_EQ(f.statusPanel1->width(), 70);
}

TEST_F(GuiTest, ColourSettingsAreAppliedWhenShown) {
  sky::WriteSetting("Settings", "labelcolor", "clRed");
  sky::WriteSetting("Settings", "statsfcolor", "$00FF0000");  // blue
  sky::WriteSetting("Settings", "labelfcolor", "no colour");  // ignored silently
  Create();
  ShowMain();
  for (QLabel* l : form().captionLabels) {
    EXPECT_EQ(l->palette().color(QPalette::Window), QColor(0xFF, 0, 0));
    EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  }
  for (QLabel* l : form().valueLabels) EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GuiTest, SkippedSettingsLinesAreToldOnceAfterTheFirstPaint) {
  const std::string dir = dir_.path().toStdString() + "/skyglass";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/settings.ini") << "[Software\\Skyglass\\Settings]\nlabelcolor=sz:clRed\nlabelfcolor\n";
  Create();
  ShowMain();
  ASSERT_TRUE(skytest::WaitFor([&] { return !boxes.empty(); }));
  QCoreApplication::processEvents();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("1 line of the settings file " + dir + "/settings.ini could not be read", 0), 0u)
      << boxes[0].text;
  EXPECT_EQ(sky::ReadSetting("Settings", "labelcolor"), "clRed");
}

TEST_F(GuiTest, BadProxyPortShowsTheConversionErrorAndKeepsTheHost) {
  sky::WriteSetting("Settings", "ProxyUse", "y");
  sky::WriteSetting("Settings", "Proxy", "127.0.0.1");
  sky::WriteSetting("Settings", "ProxyPort", "80x");
  Create();
  ShowMain();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, "error");
  EXPECT_EQ(boxes[0].text, "'80x' is not a valid integer value");
}

std::vector<std::string> Captions(const QMenu* m) {
  std::vector<std::string> out;
  for (QAction* a : m->actions()) out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  return out;
}

const QMenu* Sub(const QMenu* m, const char* caption) {
  for (QAction* a : m->actions())
    if (a->text() == caption) return a->menu();
  return nullptr;
}

TEST_F(GuiTest, MenuTreeCaptionsAndAccessKeys) {
  Create();
  std::vector<std::string> top;
  std::vector<const QMenu*> menus;
  for (QAction* a : form().menuBar()->actions()) {
    top.push_back(a->text().toStdString());
    menus.push_back(a->menu());
  }
  EXPECT_EQ(top,
            (std::vector<std::string>{"&Options", "&Get Stats", "&Images", "&Forecasts", "I&nformation", "&Help"}));

  EXPECT_EQ(Captions(menus[0]), (std::vector<std::string>{"&Preferences", "&Minimize to tray", "E&xit"}));
  EXPECT_EQ(
      Captions(Sub(menus[0], "&Preferences")),
      (std::vector<std::string>{"&General Preferences...", "&Label Color", "Label &Font Color", "&Stats Font Color"}));

  std::vector<std::string> stats = Captions(menus[1]);
  ASSERT_EQ(stats.size(), 27u);
  EXPECT_EQ(stats[0], "&Choose Location...");
  EXPECT_EQ(stats[1], "-");
  EXPECT_EQ(stats[22], "-");
  EXPECT_EQ(std::vector<std::string>(stats.begin() + 23, stats.end()),
            (std::vector<std::string>{"&Abort GetStats connection", "C&lear all locations",
                                      "&Remove a specific location", "&Sort locations"}));
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(form().mnuViewStats[i]->isVisible());
  EXPECT_EQ(form().mnuViewStats[3]->objectName(), "mnuViewstats3");
  EXPECT_EQ(form().mnuViewStats[4]->objectName(), "mnuViewStats4");

  EXPECT_EQ(Captions(menus[2]), (std::vector<std::string>{"&Radar Images", "&Satellite Images", "&Weather Cams",
                                                          "&U.S. StormWatch", "&Local Radar"}));
  EXPECT_EQ(Captions(Sub(menus[2], "&Radar Images")).size(), 4u);
  EXPECT_EQ(Captions(Sub(menus[2], "&Radar Images"))[1], "&2 - US Radar Image - Texas A&&M");
  EXPECT_EQ(Captions(Sub(menus[2], "&Satellite Images")).size(), 5u);
  EXPECT_EQ(Captions(Sub(menus[2], "&Weather Cams")).size(), 23u);

  const std::vector<std::string> fc = Captions(menus[3]);
  ASSERT_EQ(fc.size(), 9u);
  EXPECT_EQ(fc.back(), "&7-Day Forecast");
  EXPECT_EQ(fc[0], "&Nowcast - Short term forecast");
  EXPECT_EQ(fc[5], "&3 - 1 and 3-month US Temper. && Precip. Outlook");
  EXPECT_EQ(Captions(Sub(menus[3], "&2 - 10-day Precipitation Outlook")).back(), "&a - South Asia");

  const std::vector<std::string> info = Captions(menus[4]);
  ASSERT_EQ(info.size(), 8u);
  EXPECT_EQ(info[4], "-");
  EXPECT_EQ(info[7], "&Census Information");
  EXPECT_EQ(Captions(Sub(menus[4], "&Census Information")).size(), 4u);

  EXPECT_EQ(Captions(menus[5]),
            (std::vector<std::string>{"Help &Contents (F1)", "-", "&About Skyglass...", "Check &Version #..."}));

  EXPECT_EQ(Captions(form().pmnRight),
            (std::vector<std::string>{"&Restore window...", "&Hide window...", "-", "E&xit"}));
  EXPECT_EQ(Captions(form().pmnLeft), (std::vector<std::string>{"&Restore window..."}));
}

TEST_F(GuiTest, ForecastItemsFromTheCatalogueOpenTheirOwnWindows) {
  Create();
  int daily = 0;
  std::vector<std::string> kinds;
  form().hooks.dailyForecast = [&] { ++daily; };
  form().hooks.showForecast = [&](const std::string& kind) { kinds.push_back(kind); };
  for (const char* name : {"mnuDailyForecast", "mnuNowcast", "mnuCensusStateSal"}) {
    QAction* a = form().findChild<QAction*>(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  EXPECT_EQ(daily, 1);
  EXPECT_EQ(kinds, (std::vector<std::string>{"n", "ss"}));
}

TEST_F(GuiTest, EveryMenuItemHasAnAccessKeyOfItsOwn) {
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  sky::WriteSetting("Locations", "loc1", "Abilene, TX");
  sky::WriteSetting("Locations", "loc2", "A & B, ZZ");
  Create();
  ShowMain();
  const QList<QMenu*> menus = form().findChildren<QMenu*>();
  ASSERT_GT(menus.size(), 15);
  auto check = [](const QList<QAction*>& actions, const std::string& where) {
    std::set<char> keys;
    for (QAction* a : actions) {
      if (a->isSeparator() || !a->isVisible()) continue;
      const std::string text = a->text().toLatin1().toStdString();
      const char key = sky::ui::AccessKeyOf(text);
      EXPECT_NE(key, '\0') << where << ": " << text;
      if (key) {
        EXPECT_TRUE(keys.insert(key).second) << where << ": " << text << " shares its key";
      }
    }
  };
  check(form().menuBar()->actions(), "menu bar");
  for (QMenu* m : menus) check(m->actions(), m->title().toStdString());
  // The presets: shown with a key, fetched by their stored names.
  EXPECT_EQ(form().mnuViewStats[2]->data().toString(), "A & B, ZZ");
  EXPECT_NE(sky::ui::AccessKeyOf(form().mnuViewStats[0]->text().toStdString()), '\0');
  // The helpers: "&&" is no key; taken keys are skipped.
  std::set<char> used{'a'};
  EXPECT_EQ(sky::ui::AccessKeyOf("Texas A&&M"), '\0');
  EXPECT_EQ(sky::ui::WithAccessKey("A&&M 2", used), "A&&&M 2");
  std::set<char> onlyA{'a'};
  EXPECT_EQ(sky::ui::WithAccessKey("am", onlyA), "a&m");
  EXPECT_EQ(sky::ui::WithAccessKey("..", used), "..");
  // Several at once: an earlier item moves to its second letter so that a
  // later one with a single letter gets a key too; where letters run out, an
  // item stays without one.
  EXPECT_EQ(sky::ui::WithAccessKeys({"ab", "a", "b!"}, {}), (std::vector<std::string>{"a&b", "&a", "b!"}));
  EXPECT_EQ(sky::ui::WithAccessKeys({"xa", "a"}, {'x'}), (std::vector<std::string>{"x&a", "a"}));
}

TEST_F(GuiTest, PicturesWithoutASourceAreGreyedWithTheReason) {
  Create();
  sky::ServedPictures served;
  served.unserved["mnuCamArkansasLittleRock1Click"] = "no camera found";
  form().MarkServedPictures(served);
  QAction* rock = form().findChild<QAction*>("mnuCamArkansasLittleRock1");
  ASSERT_NE(rock, nullptr);
  EXPECT_FALSE(rock->isEnabled());
  EXPECT_EQ(rock->statusTip().toStdString(), "No source: no camera found");
  QAction* purdue = form().findChild<QAction*>("mnuUSRadarPurdue");
  ASSERT_NE(purdue, nullptr);
  EXPECT_TRUE(purdue->isEnabled());
  EXPECT_TRUE(purdue->statusTip().isEmpty());
  // Local Radar follows the list asked for the current place: greyed with
  // the gateway's reason for a place no loop covers, back for the next place.
  QAction* local = form().findChild<QAction*>("mnuLocalRadar");
  ASSERT_NE(local, nullptr);
  EXPECT_TRUE(local->isEnabled());
  served.unserved["mnuLocalRadarClick"] = "Tokyo, Japan: no weather-service radar or satellite loop covers this place";
  form().MarkServedPictures(served);
  EXPECT_FALSE(local->isEnabled());
  EXPECT_EQ(local->statusTip().toStdString(),
            "No source: Tokyo, Japan: no weather-service radar or satellite loop covers this place");
  EXPECT_EQ(local->toolTip(), local->statusTip());
  // A later list that serves them again lifts the grey.
  form().MarkServedPictures(sky::ServedPictures{});
  EXPECT_TRUE(rock->isEnabled());
  EXPECT_TRUE(local->isEnabled());
  EXPECT_TRUE(local->statusTip().isEmpty());
}

TEST_F(GuiTest, EveryMenuCommandLeadsSomewhere) {
  Create();
  std::vector<QAction*> items;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      if (a->menu()) walk(a->menu());
      else items.push_back(a);
    }
  };
  for (QAction* top : form().menuBar()->actions())
    if (top->menu()) walk(top->menu());
  EXPECT_GT(items.size(), 100u);
  // Disconnecting tells whether there was a connection (the windows are the test's own).
  for (QAction* a : items)
    EXPECT_TRUE(QObject::disconnect(a, &QAction::triggered, nullptr, nullptr)) << a->text().toStdString();
}

TEST_F(GuiTest, TrayStartsWithTheTitleAndPopsItsMenusOnPress) {
  Create();
  ShowMain();
  sky::ui::TOnTray& tray = *form().tray;
  EXPECT_EQ(tray.Hint(), "Skyglass");
  EXPECT_TRUE(tray.Active());
  EXPECT_TRUE(tray.AppVisible());
  EXPECT_FALSE(tray.Icon().isNull());
  // One program icon for the tray at start, the windows and the desktop menus.
  const QIcon icon = sky::ui::AppIcon();
  EXPECT_FALSE(icon.pixmap(16, 16).isNull());
  EXPECT_FALSE(icon.pixmap(256, 256).isNull());
  EXPECT_EQ(tray.Icon().cacheKey(), icon.cacheKey());
  EXPECT_EQ(form().windowIcon().cacheKey(), icon.cacheKey());

  tray.MouseDown(sky::ui::TrayButton::Right, 100, 200);
  EXPECT_TRUE(form().pmnRight->isVisible());
  EXPECT_EQ(form().pmnRight->pos(), QPoint(120, 200));
  form().pmnRight->hide();
  tray.MouseUp(sky::ui::TrayButton::Right, 100, 200);
  EXPECT_FALSE(form().pmnRight->isVisible());  // the release does nothing

  tray.MouseDown(sky::ui::TrayButton::Left, 50, 60);
  EXPECT_TRUE(form().pmnLeft->isVisible());
  form().pmnLeft->hide();

  const int before = tray.NotifyCount();
  tray.SetHint(std::string(80, 'w'));
  tray.SetHint(std::string(80, 'w'));
  EXPECT_EQ(tray.NotifyCount(), before + 1);
  EXPECT_EQ(tray.SystemTrayIcon()->toolTip().size(), 63);

  // The conditions tip's "&&" reaches the tray as one "&"; the hint keeps it.
  tray.SetHint("Clear && 37\260F / 3\260C");
  EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), QString::fromLatin1("Clear & 37\260F / 3\260C"));
  EXPECT_EQ(tray.Hint(), "Clear && 37\260F / 3\260C");
}

TEST_F(GuiTest, HideAndRestoreThroughTheTrayCommands) {
  Create();
  ShowMain();
  form().Button1->click();
  EXPECT_FALSE(form().tray->AppVisible());
  if (sky::ui::TOnTray::TrayAvailable()) EXPECT_FALSE(form().isVisible());
  else EXPECT_TRUE(form().isMinimized());  // no tray: still reachable from the taskbar
  form().pitshowLeft->trigger();
  EXPECT_TRUE(form().isVisible());
  EXPECT_FALSE(form().isMinimized());
  EXPECT_TRUE(form().tray->AppVisible());
}

TEST_F(GuiTest, ThirteenTrayPictures) {
  Create();
  ASSERT_EQ(form().IconList.size(), 13);
  for (const QPixmap& p : form().IconList) EXPECT_EQ(p.size(), QSize(16, 16));
  // Different subjects give different pictures.
  EXPECT_NE(form().IconList[2].toImage(), form().IconList[10].toImage());
  EXPECT_NE(form().IconList[11].toImage(), form().IconList[12].toImage());
}

}  // namespace
