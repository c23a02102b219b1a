// The forecast window in the program against the sample server: layouts,
// retrievals, settings across showings, closing mid-retrieval, printing.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>
#include <QPushButton>
#include <QStatusBar>

#include "app/gui_fixture.h"
#include "controls/ColorDialog.h"
#include "controls/print_setup.h"
#include "fetch/sample_server.h"
#include "forecast/Unit_frmforecast.h"
#include "net/HttpClient.h"
#include "common/stalled_proxy.h"

namespace {

using skytest::GuiTest;
using skytest::WaitFor;

class ForecastWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_GT(server_.port(), 0) << "sample server did not start";
    UseProxy(server_.port());
    Create();
    ShowMain();
    window().statusObserver = [this](const std::string& s) { forecastStatuses.push_back(s); };
    logic().State().Location.Region = "TX";
    logic().State().Location.City = "Austin";
  }
  sky::ui::TfrmForecast& window() { return *windows->frmForecast; }
  void Command(const char* kind) {
    form().hooks.showForecast(kind);
    QCoreApplication::processEvents();
  }
  bool Done() {
    return WaitFor(
        [this] { return !window().Retrieving() && window().Status() == " Thank you for using Skyglass..."; });
  }
  std::string Text() { return window().Text(); }
  skytest::SampleServer server_;
  std::vector<std::string> forecastStatuses;
};

TEST_F(ForecastWindowTest, EntryLayoutsByKindAndTheirPlaces) {
  Command("n");
  ASSERT_TRUE(WaitFor([&] { return window().isVisible() && window().btnGetit->isVisible(); }));
  const int h = window().height();
  EXPECT_TRUE(window().editCounty->isVisible());
  EXPECT_FALSE(window().cboState->isVisible());
  EXPECT_EQ(window().editCounty->y(), h - 130);
  EXPECT_EQ(window().btnGetit->y(), h - 100);
  EXPECT_EQ(window().txtForecast->height(), h - 150);
  EXPECT_EQ(window().lblCounty->text(), "Enter a County name (optional):");
  EXPECT_TRUE(window().windowFlags() & Qt::FramelessWindowHint);

  Command("s1");
  ASSERT_TRUE(WaitFor([&] { return window().cboState->isVisible(); }));
  EXPECT_FALSE(window().editCounty->isVisible());
  EXPECT_EQ(window().cboState->y(), h - 130);
  EXPECT_EQ(window().cboState->count(), 52);
  EXPECT_EQ(window().cboState->itemText(19), "22-Louisiana");
  Command("s2");
  ASSERT_TRUE(WaitFor([&] { return window().txtZip->isVisible(); }));
  EXPECT_FALSE(window().cboState->isVisible());
  EXPECT_EQ(window().txtZip->maxLength(), 5);
}

TEST_F(ForecastWindowTest, NowcastCountyFoundAndNotFoundWithProgressInTheWindow) {
  Command("n");
  ASSERT_TRUE(WaitFor([&] { return window().btnGetit->isVisible(); }));
  EXPECT_TRUE(form().isMinimized() || !form().isVisible());
  window().editCounty->setText("travis");
  const std::size_t mainStatuses = statuses.size();
  window().btnGetit->click();
  ASSERT_TRUE(Done());
  EXPECT_EQ(window().Caption().toStdString(), "Skyglass - Text Nowcast for TRAVIS county, TX");
  EXPECT_EQ(Text().rfind("-TRAVIS-", 0), 0u) << Text();
  EXPECT_EQ(Text().find("$$"), std::string::npos);
  EXPECT_NE(Text().find('\xB0'), std::string::npos);
  // The client's progress went to this window's bar, not the main window's.
  EXPECT_NE(std::find(forecastStatuses.begin(), forecastStatuses.end(), "Get Succeeded"), forecastStatuses.end());
  EXPECT_EQ(statuses.size(), mainStatuses);

  window().editCounty->setText("Nowhere");
  window().btnGetit->click();
  ASSERT_TRUE(Done());
  EXPECT_TRUE(HasBox("Sorry, NOWHERE county was not found.  Displaying state zone info..."));
  EXPECT_EQ(window().Caption().toStdString(), "Skyglass - Text Nowcast for TX");
  EXPECT_NE(Text().find("-HARRIS-"), std::string::npos);
}

TEST_F(ForecastWindowTest, CensusZipInTheFixedPitchFontThenCloseRestores) {
  const QString formFamily = window().txtForecast->font().family();
  Command("s2");
  ASSERT_TRUE(WaitFor([&] { return window().txtZip->isVisible(); }));
  window().txtZip->setText("78701");
  window().btnGetit->click();
  ASSERT_TRUE(Done());
  EXPECT_EQ(window().Caption().toStdString(), "Skyglass - Census Detail by Zip");
  EXPECT_NE(Text().find("Zip Code 78701"), std::string::npos);
  EXPECT_NE(Text().find("--- End of File --\r\nThanks for using Skyglass..."), std::string::npos);
  EXPECT_EQ(window().FontName(), "Fixedsys");
  EXPECT_TRUE(QFontInfo(window().txtForecast->font()).fixedPitch());
  window().mnuClose->trigger();
  EXPECT_FALSE(window().isVisible());
  EXPECT_EQ(window().FontName(), "MS Sans Serif");
  EXPECT_EQ(window().txtForecast->font().family(), formFamily);
  EXPECT_EQ(logic().State().RetrievalKind, "");
  EXPECT_TRUE(WaitFor([&] { return form().isVisible() && !form().isMinimized(); }));
}

TEST_F(ForecastWindowTest, FontSizeAndColourKeptAcrossShowings) {
  Command("n");
  ASSERT_TRUE(WaitFor([&] { return window().isVisible(); }));
  EXPECT_EQ(window().txtForecast->font().pointSize(), 8);
  EXPECT_TRUE(window().mnuSmallfont->isChecked());
  EXPECT_EQ(window().txtForecast->palette().color(QPalette::Base), QColor(Qt::white));
  window().mnuLargefont->trigger();
  auto& dialog = sky::ui::TSharedColorDialog::Instance();
  std::vector<QColor> openedOn;
  dialog.answerer = [&](const QColor& initial) {
    openedOn.push_back(initial);
    return std::optional<QColor>(QColor(0, 0x80, 0x80));
  };
  window().mnubgColor->trigger();
  // A colour picked meanwhile for the main window does not move where the
  // background's dialog opens.
  dialog.SetLastColor(Qt::red);
  window().mnubgColor->trigger();
  dialog.answerer = nullptr;
  EXPECT_EQ(openedOn, (std::vector<QColor>{QColor(Qt::white), QColor(0, 0x80, 0x80)}));
  window().close();
  EXPECT_EQ(sky::ReadSetting("Settings", "FfontSiz"), "12");
  EXPECT_EQ(sky::ReadSetting("Settings", "Fbgcolor"), "clTeal");
  EXPECT_EQ(dialog.LastColor(), QColor(0, 0x80, 0x80));
  Command("f");
  ASSERT_TRUE(WaitFor([&] { return window().isVisible(); }));
  EXPECT_EQ(window().txtForecast->font().pointSize(), 12);
  EXPECT_TRUE(window().mnuLargefont->isChecked());
  EXPECT_FALSE(window().mnuSmallfont->isChecked());
  EXPECT_EQ(window().txtForecast->palette().color(QPalette::Base), QColor(0, 0x80, 0x80));
}

TEST_F(ForecastWindowTest, BusyCommandsRefusedAndClosingEndsTheRetrieval) {
  skytest::StalledProxy stalled;
  logic().HttpClient1().ProxyPort = stalled.port();
  // The checks run from inside the retrieval's wait.
  bool wasRetrieving = false;
  std::string busyStatus, kindMeanwhile;
  QTimer::singleShot(300, &window(), [&] {
    wasRetrieving = window().Retrieving();
    // Another forecast command: turned away, the kind stays.
    form().hooks.showForecast("h");
    busyStatus = window().Status();
    kindMeanwhile = logic().State().RetrievalKind;
    window().close();
  });
  Command("w");
  ASSERT_TRUE(WaitFor([&] { return !window().Retrieving(); }, 5000));
  EXPECT_TRUE(wasRetrieving);
  EXPECT_EQ(busyStatus, sky::kBusyText);
  EXPECT_EQ(kindMeanwhile, "w");
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(form().Gate().Busy());
  EXPECT_EQ(logic().State().RetrievalKind, "");
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_EQ(window().Text(), "");
}

std::string PrintedText(sky::ui::TfrmForecast& w, const QString& pdf) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  EXPECT_TRUE(w.PrintTo(printer));
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  p.waitForFinished(20000);
  return p.readAllStandardOutput().toStdString();
}

TEST_F(ForecastWindowTest, PrintsEachLineThenTheTrailer) {
  const QString dir = dir_.path();
  std::string empty = PrintedText(window(), dir + "/empty.pdf");
  EXPECT_NE(empty.find("[Printed from Skyglass (by Corvantis).]"), std::string::npos);
  EXPECT_EQ(empty.find_first_not_of(" \n\f"), empty.find("[Printed"));

  std::string text;
  for (int i = 1; i <= 120; ++i) text += "LINE " + std::to_string(i) + " OF THE FORECAST\r\n";
  window().SetText(text + "LAST");
  const std::string out = PrintedText(window(), dir + "/long.pdf");
  EXPECT_NE(out.find("LINE 1 OF THE FORECAST"), std::string::npos);
  EXPECT_LT(out.find("LINE 119 OF"), out.find("LINE 120 OF"));
  EXPECT_LT(out.find("LAST"), out.find("[Printed from Skyglass (by Corvantis).]"));
  EXPECT_NE(out.find('\f'), std::string::npos);  // more than one page
}

TEST_F(ForecastWindowTest, EachCommandsCaptionFromTheFirstFrameAndTheEntryTakesTheTyping) {
  std::vector<std::string> shownWith;
  struct Watch : QObject {
    sky::ui::TfrmForecast* w;
    std::vector<std::string>* seen;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Show) seen->push_back(w->Caption().toStdString());
      return false;
    }
  } watch;
  watch.w = &window();
  watch.seen = &shownWith;
  window().installEventFilter(&watch);
  Command("n");
  ASSERT_TRUE(WaitFor([&] { return window().btnGetit->isVisible(); }));
  window().close();
  Command("f");
  ASSERT_TRUE(WaitFor([&] { return window().btnGetit->isVisible(); }));
  EXPECT_EQ(window().focusWidget(), window().editCounty);
  EXPECT_EQ(window().Status(), sky::kEnterCountyText);
  window().close();
  Command("s1");
  ASSERT_TRUE(WaitFor([&] { return window().cboState->isVisible(); }));
  EXPECT_EQ(window().focusWidget(), window().cboState);
  EXPECT_EQ(window().Status(), sky::kChooseStateText);
  window().close();
  Command("s2");
  ASSERT_TRUE(WaitFor([&] { return window().txtZip->isVisible(); }));
  EXPECT_EQ(window().focusWidget(), window().txtZip);
  EXPECT_EQ(window().Status(), sky::kEnterZipText);
  window().removeEventFilter(&watch);
  EXPECT_EQ(shownWith, (std::vector<std::string>{
                           "Skyglass - Text Nowcast for Austin, TX", "Skyglass - Text Forecast for Austin, TX",
                           "Skyglass - Census Detail by State", "Skyglass - Census Detail by Zip"}));
  // Escape closes the window with its close steps: the main window is back.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(window().txtZip, &escape);
  EXPECT_FALSE(window().isVisible());
  EXPECT_TRUE(form().isVisible() && !form().isMinimized());
  EXPECT_TRUE(logic().State().RetrievalKind.empty());
}

TEST_F(ForecastWindowTest, SizesAndMaximisesWithTheTextAreaFollowing) {
  EXPECT_TRUE(window().BorderIcons().biMaximize);
  for (const char* kind : {"w", "n"}) {
    Command(kind);
    ASSERT_TRUE(Done() || window().btnGetit->isVisible()) << kind;
    for (QSize size : {window().minimumSize(), QSize(900, 640)}) {
      window().resize(size);
      QCoreApplication::processEvents();
      const QWidget* client = window().ClientArea();
      EXPECT_EQ(window().txtForecast->width(), client->width()) << kind;
      EXPECT_EQ(window().StatusBar1->geometry().bottom(), client->height() - 1) << kind;
      EXPECT_EQ(window().StatusBar1->width(), client->width()) << kind;
      // The horizontal scroll bar stays above the status bar.
      EXPECT_LE(window().txtForecast->geometry().bottom(), window().StatusBar1->y() - 1) << kind;
    }
    window().close();
  }
}

TEST_F(ForecastWindowTest, PrintsThroughTheSetupTheViewerUses) {
  const QString pdf = dir_.path() + "/forecast.pdf";
  QPrinter* used = nullptr;
  sky::ui::SetPrintDialogAnswerer([&](QPrintDialog& d) {
    used = d.printer();
    EXPECT_TRUE(d.testOption(QAbstractPrintDialog::PrintToFile));
    d.printer()->setOutputFormat(QPrinter::PdfFormat);
    d.printer()->setOutputFileName(pdf);
    return true;
  });
  window().SetText("ONE LINE\r\n");
  window().mnuPrint->trigger();
  sky::ui::SetPrintDialogAnswerer(nullptr);
  EXPECT_EQ(used, &sky::ui::SharedPrinter());
  EXPECT_TRUE(QFile::exists(pdf));
}

// Under Xvfb (SKYGLASS_SHOT_DIR set): the window waiting for a county, and
// the warnings in a window made larger.
TEST_F(ForecastWindowTest, Screenshots) {
  const char* dir = std::getenv("SKYGLASS_SHOT_DIR");
  if (!dir || qgetenv("QT_QPA_PLATFORM") == "offscreen") GTEST_SKIP() << "only under a display";
  auto shot = [&](const char* name) {
    WaitFor([] { return false; }, 700);
    QProcess::execute("import", {"-window", "root", QString(dir) + "/" + name});
  };
  Command("f");
  ASSERT_TRUE(WaitFor([&] { return window().btnGetit->isVisible(); }));
  shot("forecast-waiting.png");
  window().close();
  Command("w");
  ASSERT_TRUE(Done());
  window().resize(760, 560);
  shot("forecast-resized.png");
  window().close();
}

}  // namespace
