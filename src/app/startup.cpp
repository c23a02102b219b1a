#include "app/startup.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <map>

#include "app/Unit1.h"
#include "app/main_logic.h"
#include "conditions/moon.h"
#include "controls/GifControl.h"
#include "controls/OnTray.h"
#include "controls/open_link.h"
#include "data/moon/moon_data.h"
#include "net/HttpClient.h"
#include "settings/first_start.h"
#include "settings/ini_proc.h"
#include "settings/store_notice.h"
#include "common/data_files.h"
#include "app/app_info.h"
#include "controls/Unit_pleasewait.h"
#include "forecast/Unit_frmforecast.h"
#include "forecast/forecast_logic.h"
#include "images/Unit_frmImage.h"
#include "images/image_logic.h"
#include "settings/preferences.h"
#include "info/HelpWindow.h"
#include "info/frmAbout_Unit.h"
#include "info/info_commands.h"
#include "locations/frmLocation.h"
#include "net/failure_text.h"
#include "settings/Unit_pref.h"

namespace sky::ui {

namespace {

// The twenty moon pictures, each in its own GIF control kept hidden in the
// part of the window beyond its right edge; the chosen one moves to the moon
// spot (237, 177).
class MoonView final : public IMoonView, public IMoonPort {
 public:
  explicit MoonView(TForm1& form) : updater_(*this, form) {
    int x = 330;
    for (std::string_view name : moon_data::PictureNames()) {
      auto* gif = new TGifControl(form.client);
      gif->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
      const auto bytes = moon_data::Picture(name);
      gif->LoadFromStream(bytes.data(), bytes.size());
      gif->setGeometry(x, 250, 50, 50);
      gif->hide();
      controls_.emplace(std::string(name), gif);
      x += 8;
    }
  }
  void ShowMoonPicture(const std::string& name) override {
    auto it = controls_.find(name);
    if (it == controls_.end()) return;
    if (name != shown_) {
      if (auto old = controls_.find(shown_); old != controls_.end()) old->second->hide();
    }
    TGifControl* gif = it->second;
    gif->setGeometry(237, 177, 81, 65);
    gif->show();
    shown_ = name;
  }
  void UpdateMoonPhase() override { updater_.UpdateMoonPhase(); }
  const std::string& Shown() const { return shown_; }
  TGifControl* Control(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
  }

 private:
  MoonPhaseUpdater updater_;
  std::map<std::string, TGifControl*> controls_;
  std::string shown_;
};

// The location chooser's way to the main window and its logic.
class ChooserHost final : public IChooserHost {
 public:
  ChooserHost(TForm1& form, MainLogic& logic) : form_(form), logic_(logic) {}
  bool Busy() const override { return form_.Gate().Busy(); }
  IMessagePort& Messages() override { return form_; }
  IStatusPort& Status() override { return form_; }
  CurrentLocation& Location() override { return logic_.State().Location; }
  void FetchChoice(const std::string& address) override {
    form_.RunFetch([this, &address] { logic_.ChooserFetch(address); });
  }
  void FetchNothing() override {
    form_.RunFetch([this] { logic_.FetchPreStep(); });
  }

 private:
  TForm1& form_;
  MainLogic& logic_;
};

}  // namespace

// The core behind the windows: the main window's logic with its HTTP client,
// the moon picture, and the chooser's way to them.
struct Program {
  explicit Program(TForm1& form)
      : moon(form),
        logic(MainPorts{&form, &form, nullptr, &form, &form, &moon, &form}),
        chooserHost(form, logic),
        images(logic.HttpClient1(), logic.State(), ImagePorts{&form, &form, &form, nullptr}) {}
  MoonView moon;
  MainLogic logic;
  ChooserHost chooserHost;
  ImageLogic images;  // the viewer port is set once the viewer exists
  std::unique_ptr<HttpForecastFetch> forecastFetch;
  std::unique_ptr<ForecastLogic> forecast;
};

namespace {

void Wire(TForm1& form, Program& program) {
  MainLogic& logic = program.logic;
  MainHooks& h = form.hooks;
  h.readSetting = settings::StoreReader();
  h.getTheStats = [&logic] { return logic.Get_the_Stats() != FetchOutcome::Error; };
  h.setRequestText = [&logic](const std::string& r) { logic.State().RequestText = r; };
  h.setSilent = [&logic](bool on) {
    if (on) logic.State().SilentFlag.assign(1, 'y');
    else logic.State().SilentFlag.clear();
  };
  h.abortConnection = [&logic] { logic.mnuAbortconnectionClick(); };
  h.errorText = [&logic](const std::string& what) {
    const THttpClient& c = logic.HttpClient1();
    return c.AbortedByUser() ? std::string() : RequestFailureText(c, what);
  };
  h.clearPresets = [&logic] { logic.mnuClearlocationsClick(); };
  h.removeSpecificLocation = [&logic] { logic.mnuRemoveaspecificlocation1Click(); };
  h.sortPresets = [&logic] { logic.mnuSortlocations1Click(); };
  h.formShow = [&logic, read = h.readSetting] { logic.FormShowSteps(read); };
  h.imageCommand = [&program](const ImageRow& row) { program.images.RunCommand(row); };
  h.wallpaper = [&program] { program.images.AutoWallpaper(ReadSetting(kSectionSettings, settings::kAutoWallpaper)); };
}

// The viewer shows the pictures of the picture logic and reaches back into it.
void WireViewer(TfrmImage& viewer, TForm1& form, Program& program) {
  program.images.SetViewer(&viewer);
  ImageViewerHooks& v = viewer.hooks;
  v.saveAsWallpaper = [&program] { program.images.do_wallpaper(); };
  v.closed = [&program] { program.images.ViewerClosed(); };
  v.helpContents = [] { launch_help(); };
  v.minimizeMain = [&form] { form.setWindowState(form.windowState() | Qt::WindowMinimized); };
  v.restoreMain = [&form] {
    if (form.isMinimized() || !form.isVisible()) form.showNormal();
  };
  v.error = [&form](const std::string& text) { form.ShowError(text); };
}

// The forecast window: its logic on the main window's client and the
// program's current place, its retrievals through the main window's gate,
// the forecast and census commands of the main menu.
void WireForecast(Windows& w, const ProgramOptions& options) {
  Program& program = *w.program;
  MainLogic& logic = program.logic;
  TForm1* form = w.Form1.get();
  TfrmForecast* window = w.frmForecast.get();
  program.forecastFetch = std::make_unique<HttpForecastFetch>(logic.HttpClient1());
  ForecastPorts ports;
  ports.window = window;
  ports.status = window;
  ports.messages = form;
  ports.fetch = program.forecastFetch.get();
  program.forecast = std::make_unique<ForecastLogic>(ports, logic.State().RetrievalKind, logic.State().Location);
  window->SetLogic(program.forecast.get());
  logic.SetForecastStatus(window);

  ForecastHooks& h = window->hooks;
  h.runFetch = [form, window](const std::function<void()>& step) {
    FetchGate::Hold hold(form->Gate());
    if (!hold.Entered()) {
      window->SetStatus(kBusyText);
      return false;
    }
    form->Guarded(step);
    return true;
  };
  h.abort = [&logic] { logic.mnuAbortconnectionClick(); };
  h.minimizeMain = [form] { form->showMinimized(); };
  h.restoreMain = [form] {
    if (form->tray) form->tray->SetAppVisible(true);
    else form->showNormal();
  };
  h.showError = [form](const std::string& text) { form->ShowError(text); };

  // While a request waits, a new command would change the kind under it:
  // it is turned away like a second fetch.
  form->hooks.showForecast = [form, window](const std::string& kind) {
    if (form->Gate().Busy()) {
      if (window->isVisible()) window->SetStatus(kBusyText);
      else form->SetStatus(kBusyText);
      return;
    }
    window->ShowKind(kind);
  };
  auto open = options.openUrl;
  if (!open) open = [form](const std::string& url) { OpenLink(form, QString::fromLatin1(url.c_str())); };
  form->hooks.forecastHtml = [form, &logic, open] {
    FetchGate::Hold hold(form->Gate());
    if (!hold.Entered()) {
      form->SetStatus(kBusyText);
      return;
    }
    form->Guarded([&] { mnuForecastHTMLClick(logic.HttpClient1(), open); });
  };
}

}  // namespace

MainLogic& ProgramLogic(const Windows& w) { return w.program->logic; }
std::string ShownMoonPicture(const Windows& w) { return w.program->moon.Shown(); }

Windows::~Windows() {
  SetMessagePumpHook(nullptr);
  if (Form1) Form1->hooks = MainHooks{};
  if (frmImage) frmImage->hooks = ImageViewerHooks{};
  if (frmForecast) {
    frmForecast->SetLogic(nullptr);
    frmForecast->hooks = ForecastHooks{};
  }
  // The core goes before the windows it writes to.
  program.reset();
}

std::unique_ptr<Windows> CreateWindows(const ProgramOptions& options) {
  // While a request waits, the windows keep handling their events.
  SetMessagePumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  auto owned = std::make_unique<Windows>();
  Windows& w = *owned;
  auto step = [&](const char* name, int gauge) {
    if (gauge >= 0) w.frmPleaseWait->SetProgress(gauge);
    if (options.onStep) options.onStep(name, gauge >= 0 ? gauge : w.frmPleaseWait->Gauge1->Progress());
  };
  w.Form1 = std::make_unique<TForm1>(options.intervals);
  w.program = std::make_shared<Program>(*w.Form1);
  Wire(*w.Form1, *w.program);
  w.frmPleaseWait = std::make_unique<TfrmPleaseWait>();
  step("TfrmPleaseWait", 10);
  w.frmAbout = std::make_unique<TfrmAbout>();
  step("TfrmAbout", 15);
  w.frmPref = std::make_unique<TfrmPref>();
  step("TfrmPref", 20);
  w.frmImage = std::make_unique<TfrmImage>();
  WireViewer(*w.frmImage, *w.Form1, *w.program);
  step("TfrmImage", 25);
  w.frmForecast = std::make_unique<TfrmForecast>();
  WireForecast(w, options);
  step("TfrmForecast", 35);
  w.frmLocation = std::make_unique<TfrmLocation>(w.program->chooserHost);
  w.frmLocation->showBox = [form = w.Form1.get()](const std::string& kind, const std::string& text, QWidget* over) {
    return form->ShowBox(kind, text, over);
  };
  step("TfrmLocation", 100);
  TfrmLocation* chooser = w.frmLocation.get();
  w.Form1->hooks.chooseLocation = [chooser] { chooser->Choose(); };
  WireInfoCommands(*w.Form1, w.program->logic, *w.frmPref, *w.frmAbout);
  w.frmForecast->hooks.help = [] { launch_help(); };
  WirePopulationCounters(*w.Form1, w.program->images, *w.frmImage);
  for (QWidget* window : {static_cast<QWidget*>(w.frmLocation.get()), static_cast<QWidget*>(w.frmForecast.get()),
                          static_cast<QWidget*>(w.frmImage.get())})
    InstallHelpKey(window);

  TfrmPleaseWait* wait = w.frmPleaseWait.get();
  TForm1* form = w.Form1.get();
  w.Form1->hooks.firstPaint = [wait, form, told = false]() mutable {
    if (wait->isVisible()) wait->hide();
    // Settings lines skipped while the window was set up: told once, after
    // the first paint rather than inside it.
    if (!told) QTimer::singleShot(0, form, [form] { TellStoreNotice(*form); });
    told = true;
  };
  return owned;
}

namespace {
// SKYGLASS_SCREENSHOT=file.png: once the first fetch is over (or after
// SKYGLASS_SCREENSHOT_WAIT_MS, 15 s by default, when none comes), the program
// saves a picture of its main window there and quits. Used by the display
// check of the test suite.
void ArmScreenshot(TForm1* form) {
  const char* path = std::getenv("SKYGLASS_SCREENSHOT");
  if (!path || !*path) return;
  const QString file = QString::fromLocal8Bit(path);
  auto shoot = [form, file] {
    form->grab().save(file, "PNG");
    QApplication::quit();
  };
  QObject::connect(form, &TForm1::firstFetchDone, form, [shoot] { QTimer::singleShot(500, shoot); });
  int wait_ms = 15000;
  if (const char* w = std::getenv("SKYGLASS_SCREENSHOT_WAIT_MS")) wait_ms = std::atoi(w);
  QTimer::singleShot(wait_ms, form, shoot);
}
}  // namespace

// An installed program, not one in a build tree (which has the CMake cache
// beside its bin folder).
bool Installed() {
  const std::string dir = ExecutableDir();
  std::error_code ec;
  return !dir.empty() && !std::filesystem::exists(dir + "/../CMakeCache.txt", ec);
}

int RunProgram(int argc, char** argv) {
  if (app::CommandLineNeedsNoDisplay(argc, argv)) {
    QCoreApplication info(argc, argv);
    app::InitApplicationInfo();
    app::ParseCommandLine();  // prints and exits
    return 0;
  }
  QApplication app(argc, argv);
  app::InitApplicationInfo();
  app::ParseCommandLine();
  if (Installed()) SeedGatewayProxy();

  std::unique_ptr<Windows> windows = CreateWindows({});
  Windows& w = *windows;
  ArmScreenshot(w.Form1.get());
  if (std::getenv("SKYGLASS_TRACE")) {
    w.Form1->traceStatus = true;
    // Figures for the start-up measurements: wall-clock time of the first
    // paint, resident memory once the first fetch is over.
    auto firstPaint = w.Form1->hooks.firstPaint;
    auto painted = std::make_shared<bool>(false);
    w.Form1->hooks.firstPaint = [firstPaint, painted] {
      if (!*painted) {
        *painted = true;
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        std::fprintf(stderr, "skyglass: first paint at %lld ms\n", static_cast<long long>(ms));
      }
      firstPaint();
    };
    QObject::connect(w.Form1.get(), &TForm1::firstFetchDone, w.Form1.get(), [] {
      if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
          if (std::strncmp(line, "VmRSS:", 6) == 0) std::fprintf(stderr, "skyglass: after first fetch %s", line);
        std::fclose(f);
      }
    });
    // Diagnostics for unattended runs: every box also goes to stderr.
    w.Form1->boxRecorder = [](const std::string& kind, const std::string& text) {
      std::fprintf(stderr, "skyglass: %s box: %s\n", kind.c_str(), text.c_str());
      return std::optional<bool>();
    };
  }
  w.Form1->show();
  return app.exec();
}

}  // namespace sky::ui
