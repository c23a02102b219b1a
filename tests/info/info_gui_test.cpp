// The preferences dialog, the colour commands, the help window and the about
// box in the running program's windows (offscreen platform). With
// SKYGLASS_SHOT_DIR set (and an X display), the dialogs are also captured
// from the screen there.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include "app/gui_fixture.h"
#include "controls/ColorDialog.h"
#include "controls/GifControl.h"
#include "controls/ProgressGauge.h"
#include "controls/open_link.h"
#include "fetch/sample_server.h"
#include "forecast/Unit_frmforecast.h"
#include "images/Unit_frmImage.h"
#include <QScrollArea>
#include "info/HelpWindow.h"
#include "info/frmAbout_Unit.h"
#include "locations/frmLocation.h"
#include "settings/Unit_pref.h"

using namespace skytest;
using sky::ReadSetting;
using sky::WriteSetting;

namespace {

void Shot(QWidget* w, const char* name) {
  const char* dir = std::getenv("SKYGLASS_SHOT_DIR");
  if (!dir || qgetenv("QT_QPA_PLATFORM") == "offscreen") return;
  w->activateWindow();
  WaitFor([] { return false; }, 600);
  QProcess::execute("import", {"-window", "root", QString(dir) + "/" + name + ".png"});
}

QColor Base(QLineEdit* e) { return e->palette().color(QPalette::Active, QPalette::Base); }
const QColor kSilver(0xC0, 0xC0, 0xC0);

class InfoGui : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    // The manual of the build tree, whatever folder the test runs in.
    setenv("SKYGLASS_DATA_DIR", SKYGLASS_BIN_DIR "/../share/skyglass", 1);
    Create();
  }
  void TearDown() override {
    if (sky::ui::HelpWindow()) sky::ui::HelpWindow()->hide();
    sky::ui::TSharedColorDialog::Instance().answerer = nullptr;
    GuiTest::TearDown();
  }
  sky::ui::TfrmPref& pref() { return *windows->frmPref; }
  void Trigger(const char* name) {
    QAction* a = form().findChild<QAction*>(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
};

TEST_F(InfoGui, PreferencesOpenEmptyAndFull) {
  Trigger("mnuGeneralPreferences1");
  ASSERT_TRUE(pref().isVisible());
  EXPECT_TRUE(pref().radioYesupstat->isChecked());
  ASSERT_EQ(pref().cboStartupLoc->count(), 1);
  EXPECT_EQ(pref().cboStartupLoc->itemText(0), "None");
  EXPECT_EQ(pref().cboStartupLoc->currentText(), "");
  EXPECT_EQ(pref().cboAutoWallpaper->count(), 10);  // no animated storm watch
  EXPECT_EQ(pref().cboAutoWallpaper->itemText(0), "Europe Satellite Image");
  EXPECT_EQ(pref().cboAutoWallpaper->currentText(), "None");
  EXPECT_FALSE(pref().CheckBox1->isChecked());
  EXPECT_FALSE(pref().EditProxy->isEnabled() || pref().EditProxyPort->isEnabled());
  EXPECT_EQ(Base(pref().EditProxy), kSilver);
  EXPECT_EQ(Base(pref().EditProxyPort), kSilver);
  pref().btnCancelClick();

  WriteSetting("Locations", "loc0", "Austin, TX");
  WriteSetting("Settings", "AutoUpdate", "n");
  WriteSetting("Settings", "StartupLoc", "Typed, ZZ");
  WriteSetting("Settings", "AutoWallpaper", "US Radar Image - Texas A&&M");
  WriteSetting("Settings", "ProxyUse", "y");
  WriteSetting("Settings", "Proxy", "proxy.example");
  WriteSetting("Settings", "ProxyPort", "3128");
  Trigger("mnuGeneralPreferences1");
  EXPECT_TRUE(pref().radioNoupstat->isChecked());
  EXPECT_EQ(pref().cboStartupLoc->count(), 2);
  EXPECT_EQ(pref().cboStartupLoc->currentText(), "Typed, ZZ");
  // Shown with one "&", kept as stored with two.
  EXPECT_EQ(pref().cboAutoWallpaper->currentText(), "US Radar Image - Texas A&M");
  EXPECT_TRUE(pref().CheckBox1->isChecked());
  EXPECT_TRUE(pref().EditProxy->isEnabled() && pref().EditProxyPort->isEnabled());
  EXPECT_NE(Base(pref().EditProxy), kSilver);
  EXPECT_EQ(pref().EditProxy->text(), "proxy.example");
  EXPECT_EQ(pref().EditProxyPort->text(), "3128");
  Shot(&pref(), "preferences");

  // The tick switches both fields; a bad port keeps the dialog open.
  pref().CheckBox1->setChecked(false);
  EXPECT_FALSE(pref().EditProxy->isEnabled() || pref().EditProxyPort->isEnabled());
  pref().CheckBox1->setChecked(true);
  EXPECT_TRUE(pref().EditProxyPort->isEnabled());
  std::vector<std::string> errors;
  pref().errorRecorder = [&](const std::string& t) { errors.push_back(t); };
  pref().EditProxyPort->setText("31x");
  pref().radioYesupstat->setChecked(true);
  pref().btnOkayClick();
  EXPECT_EQ(errors, std::vector<std::string>{"'31x' is not a valid integer value"});
  EXPECT_TRUE(pref().isVisible());
  EXPECT_EQ(ReadSetting("Settings", "AutoUpdate"), "y");
  EXPECT_EQ(ReadSetting("Settings", "ProxyPort"), "3128");
  pref().EditProxyPort->setText("8080");
  pref().btnOkayClick();
  EXPECT_FALSE(pref().isVisible());
  EXPECT_EQ(ReadSetting("Settings", "ProxyPort"), "8080");
  EXPECT_EQ(ReadSetting("Settings", "AutoWallpaper"), "US Radar Image - Texas A&&M");
}

TEST_F(InfoGui, ColourCommandsShareOneDialog) {
  ShowMain();
  auto& dialog = sky::ui::TSharedColorDialog::Instance();
  std::vector<QColor> openedOn;
  QColor answer(0x12, 0x34, 0x56);
  dialog.answerer = [&](const QColor& initial) -> std::optional<QColor> {
    openedOn.push_back(initial);
    return answer;
  };
  Trigger("mnuMainLabelColor1");
  EXPECT_EQ(form().captionLabels[0]->palette().color(QPalette::Window), answer);
  EXPECT_EQ(ReadSetting("Settings", "labelcolor"), "$00563412");
  answer = Qt::red;
  Trigger("mnuMainLabelFontColor1");
  EXPECT_EQ(form().captionLabels[12]->palette().color(QPalette::WindowText), answer);
  EXPECT_EQ(ReadSetting("Settings", "labelfcolor"), "clRed");
  answer = QColor(0, 0x80, 0x80);
  Trigger("mnuStatsFontColor1");
  EXPECT_EQ(form().valueLabels[11]->palette().color(QPalette::WindowText), answer);
  EXPECT_EQ(ReadSetting("Settings", "statsfcolor"), "clTeal");
  // Each opens on the current colour of what it changes, not on the one
  // chosen last: teal caption labels, black caption text, lime values.
  ASSERT_EQ(openedOn.size(), 3u);
  EXPECT_EQ(openedOn[0], QColor(0, 0x80, 0x80));
  EXPECT_EQ(openedOn[1], QColor(Qt::black));
  EXPECT_EQ(openedOn[2], QColor(0, 0xFF, 0));
  openedOn.clear();
  answer = QColor(0x12, 0x34, 0x56);
  Trigger("mnuMainLabelColor1");
  EXPECT_EQ(openedOn.at(0), QColor(0x12, 0x34, 0x56));

  dialog.answerer = [](const QColor&) { return std::optional<QColor>(); };
  Trigger("mnuMainLabelColor1");
  EXPECT_EQ(ReadSetting("Settings", "labelcolor"), "$00563412");
  dialog.failNext = true;
  Trigger("mnuStatsFontColor1");
  EXPECT_TRUE(HasBox("Error - Color selection dialog failed to load."));
}

TEST_F(InfoGui, F1AndEachWindowsHelpOpenThatWindowsPage) {
  ShowMain();
  const std::pair<QWidget*, const char*> pages[] = {{&form(), "main-window.html"},
                                                    {windows->frmLocation.get(), "locations.html"},
                                                    {windows->frmForecast.get(), "forecasts.html"},
                                                    {windows->frmImage.get(), "images.html"},
                                                    {windows->frmPref.get(), "preferences.html"},
                                                    {windows->frmAbout.get(), "information.html"}};
  auto source = [] { return sky::ui::HelpWindow()->Browser()->source().toString(); };
  auto reset = [] {
    if (sky::ui::HelpWindow()) {
      sky::ui::HelpWindow()->Browser()->setSource(QUrl("files.html"));
      sky::ui::HelpWindow()->hide();
    }
  };
  for (const auto& [w, page] : pages) {
    const std::string name = w->objectName().toStdString();
    reset();
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QTest::keyClick(w, Qt::Key_F1);
    QCoreApplication::processEvents();
    ASSERT_NE(sky::ui::HelpWindow(), nullptr) << name;
    EXPECT_TRUE(sky::ui::HelpWindow()->isVisible()) << name;
    EXPECT_TRUE(source().contains(page)) << name << " " << source().toStdString();
    if (w != &form()) w->hide();
  }
  // The windows' own Help commands go to the same pages.
  const std::pair<QAction*, const char*> commands[] = {
      {form().findChild<QAction*>("mnuHelpContents"), "main-window.html"},
      {windows->frmForecast->mnuHelp, "forecasts.html"},
      {windows->frmImage->mnuHelpContentsF11, "images.html"}};
  for (const auto& [a, page] : commands) {
    reset();
    a->trigger();
    EXPECT_TRUE(source().contains(page)) << a->objectName().toStdString();
  }
  // The main window's item names F1 and shows no second F1 beside it.
  EXPECT_TRUE(form().findChild<QAction*>("mnuHelpContents")->shortcut().isEmpty());
  // Escape closes the help window; F1 in it opens its own page.
  sky::ui::THelpWindow* shown = sky::ui::HelpWindow();
  QApplication::setActiveWindow(shown);
  QTest::keyClick(shown, Qt::Key_F1);
  EXPECT_TRUE(source().contains("help-window.html"));
  QTest::keyClick(shown, Qt::Key_Escape);
  EXPECT_FALSE(shown->isVisible());
  shown->show();
  shown->ShowContents();
  sky::ui::THelpWindow* help = sky::ui::HelpWindow();
  EXPECT_GE(help->Topics()->count(), 12);
  EXPECT_TRUE(help->Browser()->toPlainText().contains("Skyglass Help"));
  // Every topic of the contents is there, and search finds across them.
  const QStringList hits = help->Search("Host Lookup Failed");
  EXPECT_TRUE(hits.contains("troubleshooting.html"));
  EXPECT_TRUE(help->Search("no-such-word-anywhere").isEmpty());
  help->ShowSearch("proxy port");
  EXPECT_TRUE(help->Browser()->toPlainText().contains("Proxy settings and the sample server"));
  help->ShowContents();
  help->Topics()->setCurrentRow(0);
  Shot(help, "help");
}

TEST_F(InfoGui, AboutBox) {
  Trigger("mnuAbout");
  sky::ui::TfrmAbout& about = *windows->frmAbout;
  ASSERT_TRUE(about.isVisible());
  EXPECT_EQ(about.windowTitle(), "About Skyglass");
  EXPECT_EQ(about.lblCurrVs->text(), "1.30.6.3");
  EXPECT_TRUE(about.Memo1->toPlainText().startsWith("Credits:\n\nData courtesy"));
  EXPECT_TRUE(about.lbltotalRAM->text().startsWith("Total RAM: "));
  about.memshow({100000000, 3000000});
  EXPECT_EQ(about.Ramguage->Progress(), 3);
  EXPECT_EQ(about.Ramguage->ForeColor(), QColor(255, 0, 0));
  EXPECT_EQ(about.lblFreeRAM->text(), "Free RAM: 3000 K bytes");
  std::vector<QUrl> opened;
  about.openUrl = [&](const QUrl& u) { opened.push_back(u); };
  QTest::mouseClick(about.lblURL, Qt::LeftButton);
  QTest::mouseClick(about.lblEmail, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].scheme(), "http");
  EXPECT_EQ(opened[1].scheme(), "mailto");
  if (const auto m = sky::ReadMemoryStatus()) about.memshow(*m);
  Shot(&about, "about");
  // Its close button, and Escape in it and in the preferences.
  about.btnClose->click();
  EXPECT_FALSE(about.isVisible());
  Trigger("mnuAbout");
  QTest::keyClick(about.Memo1, Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
  Trigger("mnuGeneralPreferences1");
  ASSERT_TRUE(pref().isVisible());
  QTest::keyClick(pref().EditProxyPort, Qt::Key_Escape);
  EXPECT_FALSE(pref().isVisible());
}

TEST_F(InfoGui, ALinkNothingCanOpenIsSaidAndItsAddressOffered) {
  // No xdg-open on the path: nothing can open a link.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray(::testing::TempDir().c_str()));
  std::vector<QString> boxes;
  sky::ui::noBrowserRecorder = [&](const QString& text) {
    boxes.push_back(text);
    return true;  // "Copy Address"
  };
  Trigger("mnuAbout");
  sky::ui::TfrmAbout& about = *windows->frmAbout;
  QTest::mouseClick(about.lblURL, Qt::LeftButton);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].startsWith("No web browser could be opened")) << boxes[0].toStdString();
  EXPECT_EQ(QApplication::clipboard()->text(), "http://www.corvantis.com") << boxes[0].toStdString();
  QTest::mouseClick(about.lblEmail, Qt::LeftButton);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[1].startsWith("No mail program could be opened")) << boxes[1].toStdString();
  EXPECT_FALSE(QApplication::clipboard()->text().startsWith("mailto:"));
  sky::ui::noBrowserRecorder = nullptr;
  qputenv("PATH", path);
}

TEST_F(InfoGui, VersionCheckThroughTheProxy) {
  SampleServer server;
  ASSERT_GT(server.port(), 0);
  UseProxy(server.port());
  ShowMain();
  Trigger("CheckforUpdate1");
  EXPECT_TRUE(HasBox("Your version is the most current (1.30.6.3). The latest version is 1.30.6.3."));
  EXPECT_EQ(form().Status(), "Thank you for using Skyglass...");
}

TEST_F(InfoGui, PopulationCounterInTheViewerOnWhite) {
  SampleServer server;
  ASSERT_GT(server.port(), 0);
  UseProxy(server.port());
  setenv("XDG_CACHE_HOME", dir_.path().toLocal8Bit().constData(), 1);
  ShowMain();
  Trigger("mnuCurrWorldPop1");
  sky::ui::TfrmImage& viewer = *windows->frmImage;
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_EQ(viewer.windowTitle(), "Skyglass - Current World Population");
  EXPECT_EQ(viewer.BackgroundColor(), QColor(Qt::white));
  // Sized to the counter, and maximisable: no figure is cut off.
  EXPECT_TRUE(viewer.BorderIcons().biMaximize);
  const QSize picture = viewer.GIFImage1->isVisible() ? viewer.GIFImage1->size() : viewer.Image1->size();
  EXPECT_GE(viewer.Scroller()->viewport()->width(), picture.width());
  viewer.FormClose();
}

}  // namespace
