// The main window against the sample server: preset clicks, remove mode, the
// timers, a second fetch during the first, an abort, and the chooser.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "app/gui_fixture.h"
#include "controls/OnTray.h"
#include "fetch/sample_server.h"
#include "locations/Unit_location.h"
#include "locations/chooser_logic.h"
#include "locations/frmLocation.h"
#include "forecast/Unit_frmforecast.h"
#include "locations/presets.h"
#include "common/canned_server.h"
#include "common/stalled_proxy.h"

namespace {

using skytest::GuiTest;

class FetchGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_GT(server_.port(), 0) << "sample server did not start";
    UseProxy(server_.port());
  }
  skytest::SampleServer server_;
};

TEST_F(FetchGuiTest, PresetClickFetchesAndShowsThePlace) {
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  Create();
  ShowMain();
  ASSERT_TRUE(form().mnuViewStats[0]->isVisible());
  EXPECT_EQ(form().mnuViewStats[0]->text(), "A&ustin, TX");  // a key of its own ("&Abort ..." has A)

  form().mnuViewStats[0]->trigger();
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
  EXPECT_FALSE(form().Label(sky::ValueLabel::Temp).empty());
  EXPECT_EQ(form().Label(sky::ValueLabel::Conditions).rfind("Conditions at ", 0), 0u);
  EXPECT_NE(form().Label(sky::ValueLabel::WindChill), "");
  // The progress went through the status line, and it ends with the thanks.
  EXPECT_TRUE(HasStatus("Connected..."));
  EXPECT_TRUE(HasStatus("Connection process complete..."));
  EXPECT_TRUE(HasStatus("Processing moon phase image..."));
  EXPECT_EQ(form().Status(), "Thank you for using Skyglass...");
  // Tray: the sky picture and the sky-and-temperature tip.
  EXPECT_NE(form().tray->Hint(), "Skyglass");
  ASSERT_GE(form().TrayIconIndex(), 0);
  EXPECT_EQ(form().tray->Icon().pixmap(16, 16).toImage(), form().IconList[form().TrayIconIndex()].toImage());
  // Already a preset: no message.
  EXPECT_TRUE(boxes.empty());
}

TEST_F(FetchGuiTest, RemoveModeRemovesTheClickedPresetInsteadOfFetching) {
  sky::WriteSetting("Locations", "loc0", "Boston, MA");
  sky::WriteSetting("Locations", "loc1", "Austin, TX");
  sky::WriteSetting("Locations", "loc2", "chicago, IL");
  Create();
  ShowMain();
  confirmAnswer = true;
  form().mnuRemoveaspecificlocation1->trigger();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, sky::kRemoveConfirmMessage);
  EXPECT_EQ(boxes[1].text, sky::kRemoveSelectMessage);

  form().mnuViewStats[0]->trigger();  // Boston
  EXPECT_EQ(form().windowTitle(), "Skyglass");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "Austin, TX");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc1"), "chicago, IL");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc2"), "n/a");
  EXPECT_TRUE(form().mnuViewStats[1]->isVisible());
  EXPECT_FALSE(form().mnuViewStats[2]->isVisible());

  // A "No" leaves remove mode off: the next click fetches.
  boxes.clear();
  confirmAnswer = false;
  form().mnuRemoveaspecificlocation1->trigger();
  form().mnuViewStats[0]->trigger();
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");

  form().mnuClearlocations->trigger();
  EXPECT_FALSE(form().mnuViewStats[0]->isVisible());
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");
}

TEST_F(FetchGuiTest, TimersFetchTheStartupPlaceThenRefreshTheShownOne) {
  sky::WriteSetting("Settings", "StartupLoc", "Austin, TX");
  sky::WriteSetting("Settings", "AutoUpdate", "y");
  Create({300, 50, 400});
  ShowMain();
  ASSERT_TRUE(skytest::WaitFor([&] { return form().FetchCount() >= 1; }));
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
  EXPECT_FALSE(form().timer_startup->isActive());
  // The start-up fetch is silent: no preset offered.
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");
  EXPECT_EQ(form().Timer1->interval(), 400);

  ASSERT_TRUE(skytest::WaitFor([&] { return form().FetchCount() >= 2; }));
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");
  EXPECT_TRUE(logic().State().SilentFlag.empty());
}

TEST_F(FetchGuiTest, NoStartupPlaceFetchesNothing) {
  sky::WriteSetting("Settings", "StartupLoc", "None");
  sky::WriteSetting("Settings", "AutoUpdate", "y");
  Create({100, 50, 150});
  ShowMain();
  QTimer t;
  bool over = false;
  QTimer::singleShot(700, [&] { over = true; });
  skytest::WaitFor([&] { return over; });
  EXPECT_EQ(form().FetchCount(), 0);
  EXPECT_EQ(form().windowTitle(), "Skyglass");
}

TEST_F(FetchGuiTest, SecondFetchDuringOneIsRefusedAndAbortEndsTheFirst) {
  skytest::StalledProxy stalled;
  UseProxy(stalled.port());
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  sky::WriteSetting("Locations", "loc1", "Boston, MA");
  Create();
  ShowMain();

  // Events keep flowing while the request waits: a timer fires a second
  // preset click, then the abort command.
  bool repainted = false;
  QTimer::singleShot(200, [&] {
    repainted = form().isVisible();
    form().mnuViewStats[1]->trigger();
  });
  QTimer::singleShot(400, [&] { form().mnuAbortconnection->trigger(); });
  form().mnuViewStats[0]->trigger();  // returns when the abort has ended it

  EXPECT_TRUE(repainted);
  EXPECT_TRUE(HasStatus(sky::kBusyText));
  EXPECT_TRUE(HasStatus("Connection Aborted..."));
  // The user asked for the abort: no error box for it.
  for (const auto& b : boxes) EXPECT_NE(b.kind, "error") << b.text;
  EXPECT_FALSE(form().Gate().Busy());
  EXPECT_EQ(form().windowTitle(), "Skyglass");
}

TEST_F(FetchGuiTest, ClosingDuringAFetchEndsItQuietly) {
  skytest::StalledProxy stalled;
  UseProxy(stalled.port());
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  Create();
  ShowMain();
  QTimer::singleShot(200, [&] { form().close(); });
  form().mnuViewStats[0]->trigger();
  EXPECT_FALSE(form().isVisible());
  EXPECT_FALSE(form().tray->Active());
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(form().Gate().Busy());
}

TEST_F(FetchGuiTest, ChooserFetchesTheSelectedCityAndStoresAPreset) {
  sky::WriteSetting("Locations", "loc0", "Boston, MA");
  Create();
  ShowMain();
  // A removal leaves its click's place as the request text; the chooser's
  // place must still be the one named in the caption.
  confirmAnswer = true;
  form().mnuRemoveaspecificlocation1->trigger();
  form().mnuViewStats[0]->trigger();
  ASSERT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");
  boxes.clear();

  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  form().mnuChooseLocation->trigger();
  ASSERT_TRUE(chooser.isVisible());
  ASSERT_TRUE(chooser.SelectPath({"North America", "United States", "Texas", "Austin"}));
  chooser.btnOkay->click();

  EXPECT_FALSE(chooser.isVisible());
  EXPECT_EQ(chooser.TreeView1->selectedItems().size(), 0);
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
  EXPECT_TRUE(HasBox(std::string(sky::kPresetAddedMessage) + "Austin, TX"));
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "Austin, TX");
  EXPECT_TRUE(form().mnuViewStats[0]->isVisible());
}

TEST_F(FetchGuiTest, ChooserShowsLouisianaSpeltRightAndFetchesItsCity) {
  Create();
  ShowMain();
  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  form().mnuChooseLocation->trigger();
  ASSERT_TRUE(chooser.SelectPath({"North America", "United States", "Louisiana", "New_Orleans"}));
  EXPECT_EQ(chooser.TreeView1->currentItem()->parent()->text(0), "Louisiana");
  chooser.btnOkay->click();
  EXPECT_EQ(form().windowTitle(), "Skyglass - New_Orleans, LA");
  // A zip typed in the chooser: its state's products can be had.
  form().mnuChooseLocation->trigger();
  chooser.txtzipcode->setText("78701");
  chooser.btnOkay->click();
  EXPECT_EQ(sky::StateOfPlace(logic().State().Location), "TX");
}

TEST_F(FetchGuiTest, ChooserKeepsItsDialogOpenForAMissingLevel) {
  Create();
  ShowMain();
  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  chooser.Choose();
  ASSERT_TRUE(chooser.SelectPath({"North America"}));
  chooser.btnOkay->click();
  EXPECT_TRUE(chooser.isVisible());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, sky::kChooserSelectCountry);
  // The selection stays for the next pick.
  ASSERT_EQ(chooser.TreeView1->selectedItems().size(), 1);
  EXPECT_EQ(chooser.TreeView1->selectedItems()[0]->text(0), "North America");

  // Nothing selected and no zip: the dialog is shown again.
  boxes.clear();
  chooser.TreeView1->clearSelection();
  chooser.btnOkay->click();
  EXPECT_TRUE(chooser.isVisible());
  EXPECT_TRUE(HasBox(sky::kChooserParsingError));
  EXPECT_TRUE(HasBox(sky::kChooserSelectLocation));

  chooser.btnCancel->click();
  EXPECT_FALSE(chooser.isVisible());
  EXPECT_EQ(form().windowTitle(), "Skyglass");
}

TEST_F(FetchGuiTest, ChooserRequestsNothingForAStateNodeAndStaysInFront) {
  Create();
  ShowMain();
  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  chooser.Choose();
  ASSERT_TRUE(chooser.SelectPath({"North America", "United States", "Texas"}));
  // Real boxes this time: each must belong to the chooser.
  form().boxRecorder = nullptr;
  std::vector<QWidget*> parents;
  std::vector<QString> texts;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      parents.push_back(box->parentWidget());
      texts.push_back(box->text());
      box->accept();
    }
  });
  closer.start(20);
  chooser.btnOkay->click();
  closer.stop();

  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Sorry, this foreign country info is not added yet...North America");
  EXPECT_TRUE(texts[1].startsWith("Error - missing data for the chosen place. State=")) << texts[1].toStdString();
  for (QWidget* p : parents) EXPECT_EQ(p, &chooser);
  // No request with an empty city: the fetch never began.
  EXPECT_FALSE(HasStatus("Attempting connection..."));
  EXPECT_FALSE(HasStatus("Connection process complete..."));
  EXPECT_TRUE(chooser.isVisible());
  ASSERT_EQ(chooser.TreeView1->selectedItems().size(), 1);
  EXPECT_EQ(chooser.TreeView1->selectedItems()[0]->text(0), "Texas");
  EXPECT_EQ(form().windowTitle(), "Skyglass");

  // A city then goes ahead as usual.
  Create();
  ShowMain();
  sky::ui::TfrmLocation& again = *windows->frmLocation;
  again.Choose();
  ASSERT_TRUE(again.SelectPath({"North America", "United States", "Texas", "Austin"}));
  again.btnOkay->click();
  EXPECT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
}

TEST_F(FetchGuiTest, ChooserCancelLeavesTheShownPlaceForTheForecasts) {
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  Create();
  ShowMain();
  form().mnuViewStats[0]->trigger();
  ASSERT_EQ(form().windowTitle(), "Skyglass - Austin, TX");
  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  auto expectAustin = [&](const char* after) {
    const sky::CurrentLocation& loc = logic().State().Location;
    EXPECT_EQ(loc.Region, "TX") << after;
    EXPECT_EQ(loc.City, "Austin") << after;
  };
  // Cancel, Escape and the window's own close; then a choice stopped by a
  // missing level and cancelled.
  form().mnuChooseLocation->trigger();
  chooser.btnCancel->click();
  expectAustin("Cancel");
  form().mnuChooseLocation->trigger();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(chooser.TreeView1, &escape);
  expectAustin("Escape");
  form().mnuChooseLocation->trigger();
  chooser.close();
  expectAustin("close");
  form().mnuChooseLocation->trigger();
  ASSERT_TRUE(chooser.SelectPath({"Europe"}));
  chooser.btnOkay->click();
  ASSERT_TRUE(HasBox(sky::kChooserSelectCountry));
  chooser.btnCancel->click();
  expectAustin("a stopped choice");

  // The forecasts still know the state.
  boxes.clear();
  form().hooks.showForecast("w");
  ASSERT_TRUE(skytest::WaitFor([&] {
    return !windows->frmForecast->Retrieving() && windows->frmForecast->Status() == " Thank you for using Skyglass...";
  }));
  EXPECT_FALSE(HasBox(sky::kNoLocationText));
  windows->frmForecast->close();
}

TEST_F(FetchGuiTest, ChooserKeysAndPlace) {
  Create();
  ShowMain();
  sky::ui::TfrmLocation& chooser = *windows->frmLocation;
  chooser.Choose();
  const QRect first = chooser.geometry();
  ASSERT_TRUE(chooser.SelectPath({"North America"}));
  // Enter in the tree presses "&Okay"; Escape in the zip box "&Cancel".
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(chooser.TreeView1, &enter);
  EXPECT_TRUE(HasBox(sky::kChooserSelectCountry));
  EXPECT_TRUE(chooser.isVisible());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(chooser.txtzipcode, &escape);
  EXPECT_FALSE(chooser.isVisible());
  // Every showing puts it at the same place.
  chooser.Choose();
  EXPECT_EQ(chooser.geometry(), first);
}

}  // namespace

// A page whose header carries markup: the window shows the characters, and
// opens no file for them (a pipe as the picture would block it for good).
TEST_F(GuiTest, AHostilePageIsShownAsPlainText) {
  const std::string fifo = ::testing::TempDir() + "skyglass_hostile_fifo";
  ::unlink(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::ifstream f(SKYGLASS_SOURCE_DIR "/tools/sample-pages/conditions.html", std::ios::binary);
  std::string page((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::string time = "10:53 AM CST";
  const std::size_t at = page.find(time, page.rfind("Updated: <b>"));  // the page's, not the comment's
  ASSERT_NE(at, std::string::npos);
  const std::string hostile = "<img src=\"" + fifo + "\">";
  page.replace(at, time.size(), hostile);
  skytest::CannedServer server([&](const std::string&) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page;
  });
  UseProxy(server.port());
  sky::WriteSetting("Locations", "loc0", "Austin, TX");
  Create();
  ShowMain();
  form().mnuViewStats[0]->trigger();
  QLabel* header = form().findChild<QLabel*>("lblConditions");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->textFormat(), Qt::PlainText);
  EXPECT_EQ(form().Label(sky::ValueLabel::Conditions), "Conditions at " + hostile);
  header->grab();  // painted without touching the pipe
  for (const QLabel* l : form().findChildren<QLabel*>())
    EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
  ::unlink(fifo.c_str());
}
