// The main window's menus: one table row per item, built into the menu bar
// and the tray's popups.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "controls/OnTray.h"
#include "controls/ui_font.h"
#include "forecast/forecast_catalogue.h"
#include "images/image_catalogue.h"

namespace sky::ui {

enum class MenuStep {
  Open,     // a menu: on the bar, inside the open one, or a popup of its own
  Close,    // back to the menu around it
  Command,  // a command
  Separator,
  PresetSlots,  // the hidden preset items, filled by SetPresetItem
  Pictures,     // the picture catalogue's rows for the menu named by `kind`
};

enum class MenuDoes {
  Bound,        // its window binds it by name at the program start (BindCommand)
  GuardedHook,  // calls `hook`; an error goes to the standard error box
  Hook,         // calls `hook`
  Forecast,     // shows the forecast window for retrieval `kind`
  ShowWindow,
  HideWindow,
  Exit,
};

struct MenuRow {
  MenuStep step;
  const char* caption;   // with its access key; a top-level menu without one is a popup
  const char* name;      // object name
  const char* shortcut;  // key sequence, or none
  MenuDoes does;
  std::function<void()> MainHooks::*hook;
  const char* kind;
};

namespace {

using enum MenuStep;
using enum MenuDoes;

constexpr MenuRow Menu(const char* caption, const char* name = nullptr) {
  return {Open, caption, name, nullptr, Bound, nullptr, nullptr};
}
constexpr MenuRow End() { return {Close, nullptr, nullptr, nullptr, Bound, nullptr, nullptr}; }
constexpr MenuRow Line() { return {Separator, nullptr, nullptr, nullptr, Bound, nullptr, nullptr}; }
constexpr MenuRow Item(const char* caption, const char* name, const char* shortcut, MenuDoes does,
                       std::function<void()> MainHooks::*hook = nullptr) {
  return {MenuStep::Command, caption, name, shortcut, does, hook, nullptr};
}
// A forecast product's item: caption and object name from its catalogue row.
MenuRow ForecastItem(const char* kind) {
  const ForecastRow* row = FindForecastRow(kind);
  return {MenuStep::Command, row->menu, row->objectName, nullptr, Forecast, nullptr, row->kind};
}
constexpr MenuRow PictureItems(const char* menuName) {
  return {Pictures, nullptr, nullptr, nullptr, Bound, nullptr, menuName};
}

// The menu bar in its order, then the tray's two popups.
// clang-format off
const MenuRow kMenuRows[] = {
    Menu("&Options", "mnuOptions"),
      Menu("&Preferences"),
        Item("&General Preferences...", "mnuGeneralPreferences1", nullptr, Bound),
        Item("&Label Color", "mnuMainLabelColor1", nullptr, Bound),
        Item("Label &Font Color", "mnuMainLabelFontColor1", nullptr, Bound),
        Item("Stats &Font Color", "mnuStatsFontColor1", nullptr, Bound),
      End(),
      Item("&Minimize to tray", "mnuMinimize", nullptr, HideWindow),
      Item("E&xit", "mnuExit1", nullptr, Exit),
    End(),
    Menu("&Get Stats", "mnuGetStats"),
      Item("&Choose Location...", "mnuChooseLocation", nullptr, GuardedHook, &MainHooks::chooseLocation),
      Line(),
      {PresetSlots, nullptr, nullptr, nullptr, Bound, nullptr, nullptr},
      Line(),
      Item("Abort GetStats connection", "mnuAbortconnection", nullptr, GuardedHook, &MainHooks::abortConnection),
      Item("Clear all locations", "mnuClearlocations", nullptr, GuardedHook, &MainHooks::clearPresets),
      Item("Remove a specific location", "mnuRemoveaspecificlocation1", nullptr, GuardedHook,
           &MainHooks::removeSpecificLocation),
      Item("Sort locations", "mnuSortlocations1", nullptr, GuardedHook, &MainHooks::sortPresets),
    End(),
    Menu("&Images", "mnuImages"),
      PictureItems(kImagesMenu),
    End(),
    Menu("&Forecasts", "mnuForecasts"),
      ForecastItem("n"),
      Item("Forecast - &HTML Version", "mnuForecastHTML", nullptr, Hook, &MainHooks::forecastHtml),
      ForecastItem("f"),
      PictureItems(kForecastsMenu),
    End(),
    Menu("I&nformation", "mnuInformation"),
      ForecastItem("h"),
      ForecastItem("p"),
      ForecastItem("sw"),
      ForecastItem("w"),
      Line(),
      Item("Current World Population...", "mnuCurrWorldPop1", nullptr, Bound),
      Item("Current US Population...", "mnuCurrentUSPopulation1", nullptr, Bound),
      Menu("Census Information"),
        ForecastItem("s1"),
        ForecastItem("s2"),
        ForecastItem("si"),
        ForecastItem("ss"),
      End(),
    End(),
    Menu("&Help", "mnuHelp"),
      Item("Help &Contents (F1)", "mnuHelpContents", nullptr, Bound),
      Line(),
      Item("&About Skyglass...", "mnuAbout", nullptr, Bound),
      Item("Check Version #...", "CheckforUpdate1", nullptr, Bound),
    End(),
    // The tray icon's menus.
    Menu(nullptr, "pmnRight"),
      Item("Restore window...", "pitshow", nullptr, ShowWindow),
      Item("Hide window...", "pithide", nullptr, HideWindow),
      Line(),
      Item("Exit", "pitExit", nullptr, Exit),
    End(),
    Menu(nullptr, "pmnLeft"),
      Item("Restore window...", "pitshowLeft", nullptr, ShowWindow),
    End(),
};
// clang-format on

}  // namespace

void TForm1::AddImageCommands(QMenu* menu, const char* menuName) {
  // The picture catalogue in its order: rows of a submenu gather under it.
  std::map<std::string, QMenu*> submenus;
  for (const ImageRow& row : ImageCatalogue()) {
    if (std::string(row.menu) != menuName) continue;
    QMenu* target = menu;
    if (row.submenu[0] != '\0') {
      QMenu*& sub = submenus[row.submenu];
      if (!sub) sub = menu->addMenu(QString::fromLatin1(row.submenu));
      target = sub;
    }
    QAction* a = target->addAction(QString::fromLatin1(row.caption));
    std::string name = row.command;
    if (name.size() > 5 && name.ends_with("Click")) name.resize(name.size() - 5);
    a->setObjectName(QString::fromLatin1(name.c_str()));
    const ImageRow* r = &row;
    connect(a, &QAction::triggered, this, [this, r] {
      RunRequest([this, r] {
        if (hooks.imageCommand) hooks.imageCommand(*r);
      });
    });
  }
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  // Narrow items, so that all six menus fit the 322-pixel window.
  bar->setStyleSheet("QMenuBar::item { padding: 2px 3px; }");
  bar->setFont(SansFont(11));

  std::vector<QMenu*> open;  // the menu each row adds to is open.back()
  for (const MenuRow& row : kMenuRows) {
    const QString caption = row.caption ? QString::fromLatin1(row.caption) : QString();
    switch (row.step) {
      case MenuStep::Open: {
        QMenu* m = !open.empty() ? open.back()->addMenu(caption)
                   : row.caption ? bar->addMenu(caption)
                                 : new QMenu(this);
        if (row.name) m->setObjectName(row.name);
        open.push_back(m);
        break;
      }
      case MenuStep::Close: open.pop_back(); break;
      case MenuStep::Separator: open.back()->addSeparator(); break;
      case MenuStep::Pictures: AddImageCommands(open.back(), row.kind); break;
      case MenuStep::PresetSlots:
        for (int i = 0; i < kPresetSlots; ++i) {
          QAction* a = open.back()->addAction(QString());
          a->setObjectName(QString(i < 4 ? "mnuViewstats%1" : "mnuViewStats%1").arg(i));
          a->setVisible(false);
          connect(a, &QAction::triggered, this, [this, i] { PresetClick(i); });
          mnuViewStats[i] = a;
        }
        break;
      case MenuStep::Command: {
        QAction* a = open.back()->addAction(caption);
        a->setObjectName(row.name);
        if (row.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        ConnectMenuCommand(a, row);
        break;
      }
    }
  }

  // Items the window keeps at hand.
  mnuGetStats = bar->findChild<QMenu*>("mnuGetStats");
  pmnRight = findChild<QMenu*>("pmnRight", Qt::FindDirectChildrenOnly);
  pmnLeft = findChild<QMenu*>("pmnLeft", Qt::FindDirectChildrenOnly);
  const auto action = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
  mnuMinimize = action("mnuMinimize");
  mnuExit1 = action("mnuExit1");
  mnuChooseLocation = action("mnuChooseLocation");
  mnuAbortconnection = action("mnuAbortconnection");
  mnuClearlocations = action("mnuClearlocations");
  mnuRemoveaspecificlocation1 = action("mnuRemoveaspecificlocation1");
  mnuSortlocations1 = action("mnuSortlocations1");
  pitshow = action("pitshow");
  pithide = action("pithide");
  pitExit = action("pitExit");
  pitshowLeft = action("pitshowLeft");
  // Popup menus are windows of their own and take no font from the main
  // window: give them the bar's, so the menus read as one.
  for (QMenu* m : findChildren<QMenu*>()) m->setFont(bar->font());
}

void TForm1::ConnectMenuCommand(QAction* a, const MenuRow& row) {
  switch (row.does) {
    case MenuDoes::Bound: break;
    case MenuDoes::GuardedHook:
      connect(a, &QAction::triggered, this, [this, hook = row.hook] {
        Guarded([this, hook] {
          if (hooks.*hook) (hooks.*hook)();
        });
      });
      break;
    case MenuDoes::Hook:
      connect(a, &QAction::triggered, this, [this, hook = row.hook] {
        if (hooks.*hook) (hooks.*hook)();
      });
      break;
    case MenuDoes::Forecast:
      connect(a, &QAction::triggered, this, [this, kind = std::string(row.kind)] {
        if (hooks.showForecast) hooks.showForecast(kind);
      });
      break;
    case MenuDoes::ShowWindow: connect(a, &QAction::triggered, this, [this] { tray->SetAppVisible(true); }); break;
    case MenuDoes::HideWindow: connect(a, &QAction::triggered, this, [this] { tray->SetAppVisible(false); }); break;
    case MenuDoes::Exit: connect(a, &QAction::triggered, this, &QWidget::close); break;
  }
}

}  // namespace sky::ui
