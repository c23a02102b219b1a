// The main window's menus: one table row per item, built into the menu bar
// and the tray's popups.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "controls/OnTray.h"
#include "controls/bar_style.h"
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
// A forecast product's item: caption and object name from its catalogue row;
// the 7-Day Forecast opens its own window, through the error box like the
// other commands that fetch outside a window.
MenuRow ForecastItem(const char* kind) {
  const ForecastRow* row = FindForecastRow(kind);
  if (!InTextWindow(*row))
    return {MenuStep::Command, row->menu, row->objectName, nullptr, GuardedHook, &MainHooks::dailyForecast, nullptr};
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
        Item("&Stats Font Color", "mnuStatsFontColor1", nullptr, Bound),
      End(),
      Item("&Minimize to tray", "mnuMinimize", nullptr, HideWindow),
      Item("E&xit", "mnuExit1", nullptr, Exit),
    End(),
    Menu("&Get Stats", "mnuGetStats"),
      Item("&Choose Location...", "mnuChooseLocation", nullptr, GuardedHook, &MainHooks::chooseLocation),
      Line(),
      {PresetSlots, nullptr, nullptr, nullptr, Bound, nullptr, nullptr},
      Line(),
      Item("&Abort GetStats connection", "mnuAbortconnection", nullptr, GuardedHook, &MainHooks::abortConnection),
      Item("C&lear all locations", "mnuClearlocations", nullptr, GuardedHook, &MainHooks::clearPresets),
      Item("&Remove a specific location", "mnuRemoveaspecificlocation1", nullptr, GuardedHook,
           &MainHooks::removeSpecificLocation),
      Item("&Sort locations", "mnuSortlocations1", nullptr, GuardedHook, &MainHooks::sortPresets),
    End(),
    Menu("&Images", "mnuImages"),
      PictureItems(kImagesMenu),
    End(),
    Menu("&Forecasts", "mnuForecasts"),
      ForecastItem("n"),
      Item("Forecast - &HTML Version", "mnuForecastHTML", nullptr, Hook, &MainHooks::forecastHtml),
      ForecastItem("f"),
      PictureItems(kForecastsMenu),
      ForecastItem(kDailyForecastKind),
    End(),
    Menu("I&nformation", "mnuInformation"),
      ForecastItem("h"),
      ForecastItem("p"),
      ForecastItem("sw"),
      ForecastItem("w"),
      Line(),
      Item("Current W&orld Population...", "mnuCurrWorldPop1", nullptr, Bound),
      Item("Current &US Population...", "mnuCurrentUSPopulation1", nullptr, Bound),
      Menu("&Census Information"),
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
      Item("Check &Version #...", "CheckforUpdate1", nullptr, Bound),
    End(),
    // The tray icon's menus.
    Menu(nullptr, "pmnRight"),
      Item("&Restore window...", "pitshow", nullptr, ShowWindow),
      Item("&Hide window...", "pithide", nullptr, HideWindow),
      Line(),
      Item("E&xit", "pitExit", nullptr, Exit),
    End(),
    Menu(nullptr, "pmnLeft"),
      Item("&Restore window...", "pitshowLeft", nullptr, ShowWindow),
    End(),
};
// clang-format on

}  // namespace

char AccessKeyOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
  }
  return '\0';
}

std::string WithAccessKey(const std::string& caption, std::set<char>& used) {
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      ++i;  // "&&" is a shown "&"
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    if (c > 127 || !std::isalnum(c)) continue;
    const char key = static_cast<char>(std::tolower(c));
    if (used.count(key)) continue;
    used.insert(key);
    return caption.substr(0, i) + "&" + caption.substr(i);
  }
  return caption;
}

namespace {

// The letters and digits of a caption that could be its key, in order.
std::vector<char> KeyCandidates(const std::string& caption) {
  std::vector<char> keys;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    if (c > 127 || !std::isalnum(c)) continue;
    const char key = static_cast<char>(std::tolower(c));
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  }
  return keys;
}

// Kuhn's matching: item `i` takes a free key, or one whose holder can move on.
bool Match(std::size_t i, const std::vector<std::vector<char>>& cands, std::map<char, std::size_t>& holder,
           std::set<char>& seen) {
  for (char k : cands[i]) {
    if (!seen.insert(k).second) continue;
    auto it = holder.find(k);
    if (it == holder.end() || Match(it->second, cands, holder, seen)) {
      holder[k] = i;
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::string> WithAccessKeys(const std::vector<std::string>& captions, const std::set<char>& used) {
  // A long menu (23 weather cameras) runs out of first choices: the keys are
  // matched so that as many items as possible get one.
  std::vector<std::vector<char>> cands;
  for (const std::string& c : captions) {
    std::vector<char> keys = KeyCandidates(c);
    std::erase_if(keys, [&](char k) { return used.count(k) > 0; });
    cands.push_back(std::move(keys));
  }
  std::map<char, std::size_t> holder;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    std::set<char> seen;
    Match(i, cands, holder, seen);
  }
  std::vector<std::string> out = captions;
  for (const auto& [key, i] : holder) {
    std::set<char> onlyThis;
    for (char k : KeyCandidates(captions[i]))
      if (k != key) onlyThis.insert(k);
    out[i] = WithAccessKey(captions[i], onlyThis);
  }
  return out;
}

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
  if (std::string(menuName) != kImagesMenu) return;
  // The radar of the current place, after the catalogue's pictures.
  QAction* local = menu->addAction(QString::fromLatin1(LocalRadarRow().caption));
  local->setObjectName("mnuLocalRadar");
  connect(local, &QAction::triggered, this, [this] {
    RunRequest([this] {
      if (hooks.localRadar) hooks.localRadar();
    });
  });
}

void TForm1::MarkServedPictures(const ServedPictures& served) {
  auto mark = [&](const ImageRow& row) {
    std::string name = row.command;
    if (name.size() > 5 && name.ends_with("Click")) name.resize(name.size() - 5);
    QAction* a = findChild<QAction*>(QString::fromLatin1(name.c_str()));
    if (a == nullptr) return;
    const std::string reason = served.Reason(row.command);
    a->setEnabled(reason.empty());
    const QString tip = reason.empty() ? QString() : QString::fromUtf8(("No source: " + reason).c_str());
    a->setStatusTip(tip);
    a->setToolTip(tip);  // empty: the caption again
  };
  for (const ImageRow& row : ImageCatalogue()) mark(row);
  // Local Radar: for the place the list was asked for.
  mark(LocalRadarRow());
  for (QMenu* m : findChildren<QMenu*>()) m->setToolTipsVisible(true);
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  // Narrow items, so that all six menus fit the 322-pixel window.
  NarrowMenuItems(bar);
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
  for (QMenu* m : findChildren<QMenu*>()) AssignAccessKeys(m);
}

void TForm1::AssignAccessKeys(QMenu* menu) {
  // The picture rows and the presets keep their texts as data; where one
  // has no access key, the first letter or digit no other item of the menu
  // uses becomes its key, so every item can be reached by keyboard.
  std::set<char> used;
  std::vector<QAction*> open;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator() || !a->isVisible()) continue;
    if (const QVariant base = a->property(kMenuBaseText); base.isValid()) a->setText(base.toString());
    const std::string text = a->text().toLatin1().toStdString();
    if (const char key = AccessKeyOf(text)) used.insert(key);
    else open.push_back(a);
  }
  std::vector<std::string> texts;
  for (QAction* a : open) texts.push_back(a->text().toLatin1().toStdString());
  const std::vector<std::string> keyed = WithAccessKeys(texts, used);
  for (std::size_t i = 0; i < open.size(); ++i) {
    if (keyed[i] == texts[i]) continue;
    open[i]->setProperty(kMenuBaseText, open[i]->text());
    open[i]->setText(QString::fromLatin1(keyed[i].c_str()));
  }
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
