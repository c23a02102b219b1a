#include "app/startup.h"

#include <QApplication>
#include <QGuiApplication>
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
#include <memory>
#include <optional>

#include "app/Unit1.h"
#include "app/daily_forecast.h"
#include "app/warnings.h"
#include "controls/DesktopNotifier.h"
#include "forecast/DailyWindow.h"
#include "app/main_logic.h"
#include "app/single_instance.h"
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
#include "app/info_commands.h"
#include "locations/frmLocation.h"
#include "net/failure_text.h"
#include "settings/Unit_pref.h"

namespace sky::ui {

namespace {

// The twenty moon pictures, each in its own GIF control kept hidden in the
// part of the window beyond its right edge; the chosen one moves to the moon
// spot (237, 177). A control is made (and its picture decoded) when its
// phase is first shown.
class MoonView final : public IMoonView, public IMoonPort {
 public:
  explicit MoonView(TForm1& form) : form_(form), updater_(*this, form) {}
  void ShowMoonPicture(const std::string& name) override {
    TGifControl* gif = Control(name);
    if (!gif) return;
    if (name != shown_) {
      if (TGifControl* old = Made(shown_)) old->hide();
    }
    gif->setGeometry(237, 177, 81, 65);
    gif->show();
    shown_ = name;
  }
  void UpdateMoonPhase() override { updater_.UpdateMoonPhase(); }
  const std::string& Shown() const { return shown_; }
  // The control of a picture, made now if it was not yet; nullptr for a name
  // that is no moon picture.
  TGifControl* Control(const std::string& name) {
    if (TGifControl* made = Made(name)) return made;
    int x = 330;
    for (std::string_view known : moon_data::PictureNames()) {
      if (known == name) {
        auto* gif = new TGifControl(form_.client);
        gif->setObjectName(QString::fromLatin1(known.data(), static_cast<qsizetype>(known.size())));
        const auto bytes = moon_data::Picture(known);
        gif->LoadFromStream(bytes.data(), bytes.size());
        gif->setGeometry(x, 250, 50, 50);
        gif->hide();
        controls_.emplace(name, gif);
        return gif;
      }
      x += 8;
    }
    return nullptr;
  }

 private:
  TGifControl* Made(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
  }

  TForm1& form_;
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

// The forecast window's status bar as the main logic sees it: a message
// for it makes the window, as the forecast commands do.
class ForecastStatusPort final : public IStatusPort {
 public:
  FirstUse<TfrmForecast>* window = nullptr;
  void SetStatus(const std::string& text) override {
    if (window) (*window)->SetStatus(text);
  }
};

}  // namespace

// The core behind the windows: the main window's logic with its HTTP client,
// the moon picture, and the chooser's way to them.
struct Program {
  explicit Program(TForm1& form)
      : moon(form),
        logic(MainPorts{&form, &form, nullptr, &form, &form, &moon, &form}),
        chooserHost(form, logic),
        images(
            logic.Requests(), [this] { return logic.State().SilentFlag == "y"; },
            ImagePorts{&form, &form, &form, nullptr}) {}
  MoonView moon;
  ForecastStatusPort forecastStatus;
  MainLogic logic;
  ChooserHost chooserHost;
  ImageLogic images;  // the viewer port is set once the viewer exists
  std::unique_ptr<HttpForecastFetch> forecastFetch;
  std::unique_ptr<ForecastLogic> forecast;
  std::unique_ptr<DesktopNotifier> notifier;
  SettingsAnnouncedStore announced;
  WarningPorts warnings;
  std::optional<ServedPictures> served;  // the gateway's list, once read
};

namespace {

void Wire(TForm1& form, Program& program) {
  MainLogic& logic = program.logic;
  MainHooks& h = form.hooks;
  h.readSetting = settings::StoreReader();
  logic.SetUnits(settings::ReadUnits(h.readSetting));
  // What the gateway serves, Local Radar for the current place included:
  // asked for once the first fetch has set up the proxy, and again whenever
  // the place changes (only when the proxy answered as the gateway).
  auto servedFor = std::make_shared<std::optional<std::string>>();
  auto markServed = [&program, &form, servedFor] {
    const std::string place = program.logic.State().ConditionsPath;
    const std::string shown = form.Status();
    std::optional<ServedPictures> served = program.images.LoadServedPictures(place);
    form.SetStatus(shown);  // the list's own request is no news for the status line
    if (!served) return;
    *servedFor = place;
    form.MarkServedPictures(*served);
    program.served = std::move(served);  // the preferences' wallpaper choices too
  };
  // After a fetch that showed a place: its warnings. The status line keeps
  // what the fetch left there.
  h.getTheStats = [&logic, &program, &form, servedFor, markServed] {
    const FetchOutcome outcome = logic.Get_the_Stats();
    if (outcome == FetchOutcome::Shown) {
      const std::string status = form.Status();
      CheckWarningsOfShownPlace(logic, program.warnings);
      form.SetStatus(status);
    }
    if (servedFor->has_value() && **servedFor != logic.State().ConditionsPath) markServed();
    return outcome != FetchOutcome::Error;
  };
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
  h.afterFirstFetch = markServed;
}

// The viewer shows the pictures of the picture logic and reaches back into it.
void WireViewer(TfrmImage& viewer, TForm1& form, Program& program) {
  program.images.SetViewer(&viewer);
  ImageViewerHooks& v = viewer.hooks;
  v.saveAsWallpaper = [&program] { program.images.do_wallpaper(); };
  v.closed = [&program] { program.images.ViewerClosed(); };
  v.helpContents = [&viewer] { launch_help_for(&viewer); };
  v.minimizeMain = [&form] { form.StepAside(); };
  v.restoreMain = [&form] { form.ComeBack(); };
  v.error = [&form](const std::string& text) { form.ShowError(text); };
}

// The forecast window: its logic on the main window's client and the
// program's current place, its retrievals through the main window's gate.
void WireForecast(TfrmForecast& windowRef, TForm1& formRef, Program& program) {
  MainLogic& logic = program.logic;
  TForm1* form = &formRef;
  TfrmForecast* window = &windowRef;
  program.forecastFetch = std::make_unique<HttpForecastFetch>(logic.Requests());
  ForecastPorts ports;
  ports.window = window;
  ports.status = window;
  ports.messages = form;
  ports.fetch = program.forecastFetch.get();
  program.forecast = std::make_unique<ForecastLogic>(ports, logic.State().RetrievalKind, logic.State().Location);
  window->SetLogic(program.forecast.get());

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
  h.minimizeMain = [form] { form->StepAside(); };
  h.restoreMain = [form] { form->ComeBack(); };
  h.showError = [form](const std::string& text) { form->ShowError(text); };
  h.help = [window] { launch_help_for(window); };
  InstallHelpKey(window);
}

// The forecast and census commands of the main menu.
void WireForecastCommands(Windows& w, const ProgramOptions& options) {
  MainLogic& logic = w.program->logic;
  TForm1* form = w.Form1.get();
  FirstUse<TfrmForecast>* forecast = &w.frmForecast;
  // While a request waits, a new command would change the kind under it:
  // it is turned away like a second fetch.
  form->hooks.showForecast = [form, forecast](const std::string& kind) {
    if (form->Gate().Busy()) {
      TfrmForecast* window = forecast->Made();
      if (window && window->isVisible()) window->SetStatus(kBusyText);
      else form->SetStatus(kBusyText);
      return;
    }
    (*forecast)->ShowKind(kind);
  };
  auto open = options.openUrl;
  if (!open) open = [form](const std::string& url) { OpenLink(form, QString::fromLatin1(url.c_str())); };
  form->hooks.forecastHtml = [form, &logic, open] {
    FetchGate::Hold hold(form->Gate());
    if (!hold.Entered()) {
      form->SetStatus(kBusyText);
      return;
    }
    form->Guarded([&] { mnuForecastHTMLClick(logic.Requests(), open); });
  };
}

// "&7-Day Forecast": the forecast of the place shown, through the main
// window's gate like every request of its client.
void WireDaily(TfrmDaily& window, TForm1* form, MainLogic& logic) {
  TfrmDaily* daily = &window;
  daily->hooks.units = [&logic] { return logic.Units().value_or(UnitSystem::US); };
  daily->hooks.fetch = [form, &logic] {
    DailyResult result;
    FetchGate::Hold hold(form->Gate());
    if (!hold.Entered()) {
      result.error = kBusyText;
      return result;
    }
    return FetchDailyForecast(logic);
  };
}

// Warnings: notifications through the desktop's service (or the tray), each
// alert once, a click opening the warnings page; the tray's mark.
void WireWarnings(Windows& w) {
  TForm1* form = w.Form1.get();
  Program& program = *w.program;
  program.notifier = std::make_unique<DesktopNotifier>(form->tray ? form->tray->SystemTrayIcon() : nullptr);
  program.notifier->opened = [form] {
    if (form->tray) form->tray->SetAppVisible(true);
    if (form->hooks.showForecast) form->hooks.showForecast("w");
  };
  WarningPorts& p = program.warnings;
  p.notices = program.notifier.get();
  p.store = &program.announced;
  p.warningMark = [form](bool on) { form->SetWarningMark(on); };
  p.noticesOn = [] { return settings::WarningNoticesOn(settings::StoreReader()); };
}

}  // namespace

MainLogic& ProgramLogic(const Windows& w) { return w.program->logic; }
std::string ShownMoonPicture(const Windows& w) { return w.program->moon.Shown(); }

Windows::~Windows() {
  SetMessagePumpHook(nullptr);
  if (Form1) Form1->hooks = MainHooks{};
  if (TfrmImage* viewer = frmImage.Made()) viewer->hooks = ImageViewerHooks{};
  if (TfrmForecast* forecast = frmForecast.Made()) {
    forecast->SetLogic(nullptr);
    forecast->hooks = ForecastHooks{};
  }
  if (TfrmDaily* daily = frmDaily.Made()) daily->hooks = DailyHooks{};
  if (TfrmPref* pref = frmPref.Made()) pref->stored = nullptr;
  // The core goes before the windows it writes to.
  program.reset();
}

std::unique_ptr<Windows> CreateWindows(const ProgramOptions& options) {
  // While a request waits, the windows keep handling their events.
  SetMessagePumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  auto owned = std::make_unique<Windows>();
  Windows& w = *owned;
  auto step = [&](const char* name, int gauge) {
    if (!w.frmPleaseWait && options.pleaseWait) w.frmPleaseWait = std::make_unique<TfrmPleaseWait>();
    if (w.frmPleaseWait) w.frmPleaseWait->SetProgress(gauge);
    if (options.onStep) options.onStep(name, gauge);
  };
  w.Form1 = std::make_unique<TForm1>(options.intervals);
  w.program = std::make_shared<Program>(*w.Form1);
  Wire(*w.Form1, *w.program);
  step("TfrmPleaseWait", 10);
  TForm1& main = *w.Form1;
  Program& program = *w.program;
  w.frmAbout.Set([] { return std::make_unique<TfrmAbout>(); }, nullptr);
  // "&Okay" applies the units at once: labels, tray tip, the 7-Day Forecast;
  // and the next request goes through the proxy as now stored.
  w.frmPref.Set([] { return std::make_unique<TfrmPref>(); },
                [&program, &main, daily = &w.frmDaily](TfrmPref& pref) {
                  pref.servedPictures = [&program] { return program.served ? &*program.served : nullptr; };
                  pref.stored = [&program, &main, daily] {
                    program.logic.SetUnits(settings::ReadUnits(settings::StoreReader()));
                    if (TfrmDaily* shown = daily->Made())
                      shown->ShowUnits(program.logic.Units().value_or(UnitSystem::US));
                    main.Guarded([&program] { program.logic.Requests().ReloadProxy(); });
                  };
                });
  w.frmImage.Set([] { return std::make_unique<TfrmImage>(); },
                 [&main, &program](TfrmImage& viewer) {
                   WireViewer(viewer, main, program);
                   InstallHelpKey(&viewer);
                 });
  w.frmForecast.Set([] { return std::make_unique<TfrmForecast>(); },
                    [&main, &program](TfrmForecast& window) { WireForecast(window, main, program); });
  // The picture logic shows what it fetches in the viewer: the viewer is
  // there before any of its commands runs.
  FirstUse<TfrmImage>* viewer = &w.frmImage;
  main.hooks.imageCommand = [viewer, &program](const ImageRow& row) {
    viewer->get();
    program.images.RunCommand(row);
  };
  main.hooks.wallpaper = [viewer, &program] {
    viewer->get();
    program.images.AutoWallpaper(ReadSetting(kSectionSettings, settings::kAutoWallpaper));
  };
  main.hooks.localRadar = [viewer, &program] {
    viewer->get();
    program.images.RunLocalRadar(program.logic.State().ConditionsPath);
  };
  // Messages for the forecast window's status bar make it, as its commands do.
  program.logic.SetForecastStatus(&program.forecastStatus);
  program.forecastStatus.window = &w.frmForecast;
  WireForecastCommands(w, options);
  // The chooser fills its tree from the whole location catalogue: made when
  // the user first asks for it, not before the main window's first paint.
  w.frmLocation.Set([&program] { return std::make_unique<TfrmLocation>(program.chooserHost); },
                    [form = w.Form1.get()](TfrmLocation& chooser) {
                      chooser.showBox = [form](const std::string& kind, const std::string& text, QWidget* over) {
                        return form->ShowBox(kind, text, over);
                      };
                      InstallHelpKey(&chooser);
                    });
  w.frmDaily.Set([] { return std::make_unique<TfrmDaily>(); },
                 [&program, &main](TfrmDaily& daily) { WireDaily(daily, &main, program.logic); });
  FirstUse<TfrmDaily>* daily = &w.frmDaily;
  main.hooks.dailyForecast = [daily] { (*daily)->ShowDaily(); };
  WireWarnings(w);
  FirstUse<TfrmLocation>* chooser = &w.frmLocation;
  w.Form1->hooks.chooseLocation = [chooser] { (*chooser)->Choose(); };
  FirstUse<TfrmPref>* pref = &w.frmPref;
  FirstUse<TfrmAbout>* about = &w.frmAbout;
  WireInfoCommands(
      main, program.logic, [pref]() -> TfrmPref& { return **pref; }, [about]() -> TfrmAbout& { return **about; });
  WirePopulationCounters(main, program.images, [viewer]() -> TfrmImage& { return **viewer; });

  step("ready", 100);

  const std::unique_ptr<TfrmPleaseWait>* wait = &w.frmPleaseWait;
  TForm1* form = w.Form1.get();
  w.Form1->hooks.firstPaint = [wait, form, told = false]() mutable {
    if (*wait && (*wait)->isVisible()) (*wait)->hide();
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

  // One program per user and display: a second start brings the running
  // window to the front (out of the tray too) and ends. A platform without
  // a display (offscreen, as the tests run) has no window to raise; scripts
  // that time many starts in a row may opt out with
  // SKYGLASS_NO_SINGLE_INSTANCE=1.
  std::unique_ptr<SingleInstance> instance;
  TForm1* mainWindow = nullptr;
  const QString platform = QGuiApplication::platformName();
  if (platform != "offscreen" && platform != "minimal" &&
      qEnvironmentVariableIntValue("SKYGLASS_NO_SINGLE_INSTANCE") != 1) {
    instance = std::make_unique<SingleInstance>(InstanceKey());
    if (!instance->Claim([&mainWindow] {
          if (mainWindow) mainWindow->ComeBack();
        })) {
      std::fprintf(stderr, "skyglass: %s\n",
                   instance->Delivered() ? "already running on this display; its window was brought to the front"
                                         : "already running on this display");
      return 0;
    }
  }
  if (Installed()) SeedGatewayProxy();

  // The main window is shown next, the first thing on screen.
  ProgramOptions options;
  options.pleaseWait = false;
  std::unique_ptr<Windows> windows = CreateWindows(options);
  Windows& w = *windows;
  mainWindow = w.Form1.get();
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
