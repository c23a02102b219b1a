// One retrieval of each kind through the core, and the window's settings,
// layout and closing, with a recording window.
#include <gtest/gtest.h>

#include <map>

#include "common/exceptions.h"
#include "common/text.h"
#include "forecast/forecast_logic.h"
#include "forecast/forecast_record.h"
#include "forecast/forecast_text.h"
#include "settings/colors.h"

namespace {

using namespace sky;

const char* kZonePage =
    "<html><pre>ZONE FORECAST\n\nCAZ007-LOS ANGELES-\n.TONIGHT...LOWS AROUND 45&#176;.\n\n$$\n\n"
    "CAZ014-ORANGE-\n.TONIGHT...LOWS&nbsp;AROUND 50&#176;.\n\n$$\n</pre></html>";

class Retrieval : public ::testing::Test {
 protected:
  Retrieval() : fetch(kZonePage), logic(Ports(), kind, location) {}
  ForecastPorts Ports() {
    ForecastPorts p;
    p.window = &w;
    p.status = &w;
    p.messages = &w;
    p.fetch = &fetch;
    p.readSetting = [this](const std::string& n) {
      auto it = settings.find(n);
      return it == settings.end() ? std::string(kNA) : it->second;
    };
    p.writeSetting = [this](const std::string& n, const std::string& v) { settings[n] = v; };
    return p;
  }
  void ReadRequestForTest(const std::string& name) {
    location = CurrentLocation{};
    DecodeLocationName(name, location);
  }
  void Run(const std::string& k) {
    logic.SetKind(k);
    logic.FormActivate();
  }
  ForecastRecord w;
  FixedBodyFetch fetch;
  std::string kind;
  CurrentLocation location{"", "US", "CA", "Los_Angeles", "", ""};
  std::map<std::string, std::string> settings;
  ForecastLogic logic;
};

TEST_F(Retrieval, StateRowsInOrderWithTheirSpelling) {
  const auto& rows = StateListRows();
  ASSERT_EQ(rows.size(), 52u);
  EXPECT_EQ(rows[0], "None");
  EXPECT_EQ(rows[1], "01-Alabama");
  EXPECT_EQ(rows[9], "11-District of Columbia");
  EXPECT_EQ(rows[19], "22-Louisiana");
  EXPECT_EQ(rows[51], "56-Wyoming");
  for (std::size_t i = 2; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].substr(0, 2), rows[i].substr(0, 2));
}

TEST_F(Retrieval, NowcastAndForecastWaitForGetItThenCutTheCounty) {
  Run("n");
  EXPECT_TRUE(fetch.urls.empty());
  EXPECT_TRUE(w.IsVisible(ForecastControl::editCounty));
  EXPECT_TRUE(w.IsVisible(ForecastControl::btnGetit));
  EXPECT_EQ(w.textHeight, w.outerHeight - 150);

  kind = "f";
  w.county = "orange";
  logic.btnGetitClick();
  ASSERT_EQ(fetch.urls.size(), 1u);
  EXPECT_EQ(fetch.urls[0], "http://iwin.nws.noaa.gov/iwin/CA/zone.html");
  EXPECT_EQ(w.text, "-ORANGE-\n.TONIGHT...LOWS AROUND 50\xB0.\n\n");
  EXPECT_EQ(*w.caption, "Skyglass - Text Forecast for ORANGE county, CA");
  EXPECT_EQ(logic.FoundFlag, "Y");
  EXPECT_EQ(w.fontName, kFormFontName);
  const std::vector<std::string> expected = {"Starting retrieval of Forecast...",
                                             "Attempting connection...",
                                             "Connection process complete...",
                                             "level 2 parsing started...",
                                             "level 2 parsing completed...",
                                             "parsing data...",
                                             "parsing - looking for ORANGE county...",
                                             "parsing - found ORANGE county...",
                                             "parsing complete...",
                                             kForecastThankYou};
  EXPECT_EQ(w.status, expected);

  // Not found: a message, the whole page, the state caption.
  w.county = "Kern";
  logic.btnGetitClick();
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0], "Sorry, KERN county was not found.  Displaying state zone info...");
  EXPECT_EQ(*w.caption, "Skyglass - Text Forecast for CA");
  EXPECT_EQ(w.text.substr(0, 13), "ZONE FORECAST");
  // One character is no county: no message, no county in the caption.
  kind = "n";
  w.county = "k";
  logic.btnGetitClick();
  EXPECT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(*w.caption, "Skyglass - Text Nowcast for CA");
  EXPECT_EQ(fetch.urls.back(), "http://iwin.nws.noaa.gov/iwin/CA/shortterm.html");
}

TEST_F(Retrieval, StateProductsNeedAUsState) {
  for (const char* region : {"", "Germany (O)"}) {
    location.Region = region;
    w.text = "old";
    Run("w");
    EXPECT_TRUE(fetch.urls.empty()) << region;
    EXPECT_EQ(w.text, "");
    EXPECT_EQ(w.messages.back(), kNoLocationText);
    EXPECT_EQ(w.status.back(), kForecastThankYou);
    EXPECT_FALSE(w.caption.has_value());
  }
  // The census kinds need none.
  Run("ss");
  EXPECT_EQ(fetch.urls.size(), 1u);
}

TEST_F(Retrieval, WarningsShowTheWholePageOrTheNotice) {
  location.Region = "TX";
  Run("w");
  EXPECT_EQ(*w.caption, "Skyglass - Warnings & Advisories for TX");
  EXPECT_EQ(fetch.urls[0], "http://iwin.nws.noaa.gov/iwin/TX/allwarnings.html");
  EXPECT_EQ(w.text.substr(w.text.size() - 22), "$$\r\n--- End of File --");
  EXPECT_FALSE(w.IsVisible(ForecastControl::btnGetit));
  EXPECT_EQ(w.textHeight, w.outerHeight - 60);

  FixedBodyFetch missing("<p>This product is not currently available.</p>");
  ForecastPorts p = Ports();
  p.fetch = &missing;
  ForecastLogic other(p, kind, location);
  other.SetKind("sw");
  other.FormActivate();
  EXPECT_EQ(w.text, " Sorry, this TX information is not currently available.\r\n--- End of File --");
}

TEST_F(Retrieval, CensusKindsInFixedsysAndTheFontSavedOnce) {
  FixedBodyFetch text("Rank State\r\n1 Alabama\r\nSource: http://www.census.gov/statab\r\n");
  ForecastPorts p = Ports();
  p.fetch = &text;
  ForecastLogic census(p, kind, location);
  census.SetKind("ss");
  census.FormActivate();
  EXPECT_EQ(text.urls[0], "http://www.census.gov/statab/ranks/pg18.txt");
  EXPECT_EQ(w.fontName, kFixedsys);
  EXPECT_EQ(w.text, "Rank State\r\r\n1 Alabama\r\r\nSource: ");
  // A second retrieval in "Fixedsys" leaves the form's font the one to restore.
  census.SetKind("si");
  census.FormActivate();
  EXPECT_EQ(text.urls[1], "http://www.census.gov/statab/ranks/pg20.txt");
  EXPECT_EQ(*w.caption, "Skyglass - US/State Census Median HH Income");
  census.FormClose();
  EXPECT_EQ(w.fontName, kFormFontName);
  EXPECT_EQ(kind, "");
}

TEST_F(Retrieval, StateAndZipLookups) {
  Run("s1");
  EXPECT_TRUE(w.IsVisible(ForecastControl::cboState));
  EXPECT_FALSE(w.IsVisible(ForecastControl::editCounty));
  EXPECT_EQ(w.top[ForecastControl::cboState], w.outerHeight - 130);
  EXPECT_EQ(w.stateItems.size(), 52u);
  w.stateText = "06-California";
  logic.btnGetitClick();
  EXPECT_EQ(w.stateText, "06,California");
  const std::string tables =
      "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/T=H61/"
      "T=H61A";
  EXPECT_EQ(fetch.urls[0],
            "http://venus.census.gov/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
            "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=06,California" +
                tables);
  // Pressed again: the text stays as it is; a blank cannot break the address.
  logic.btnGetitClick();
  EXPECT_EQ(w.stateText, "06,California");
  w.stateText = "11-District of Columbia";
  logic.btnGetitClick();
  EXPECT_NE(fetch.urls.back().find("SEL=11,District%20of%20Columbia/T=P1"), std::string::npos);
  EXPECT_EQ(w.text.substr(w.text.size() - 50), "\r\n--- End of File --\r\nThanks for using Skyglass...");

  Run("s2");
  EXPECT_TRUE(w.IsVisible(ForecastControl::txtZip));
  EXPECT_FALSE(w.IsVisible(ForecastControl::cboState));
  const std::size_t before = fetch.urls.size();
  for (const char* bad : {"9021", "9021a"}) {
    w.zip = bad;
    logic.btnGetitClick();
    EXPECT_EQ(w.messages.back(), kInvalidZipText);
    EXPECT_EQ(*w.caption, "Skyglass - Census Detail by Zip");
  }
  EXPECT_EQ(fetch.urls.size(), before);
  w.zip = "90210";
  logic.btnGetitClick();
  EXPECT_NE(fetch.urls.back().find("/LEV=ZIP/SEL=90210/T=P1/"), std::string::npos);
}

TEST_F(Retrieval, CensusStateLookupNeedsAState) {
  Run("s1");
  for (const char* nothing : {"", "None", "No,ne", ",", "Texas", "99-Atlantis"}) {
    w.stateText = nothing;
    logic.btnGetitClick();
    EXPECT_EQ(w.messages.back(), kNoStateChosenText) << nothing;
  }
  EXPECT_TRUE(fetch.urls.empty());
  EXPECT_EQ(w.status.back(), kForecastThankYou);
  EXPECT_EQ(w.stateText, "99-Atlantis");  // what is no state stays as it was typed
  // Louisiana is shown right and sent as the look-up has always had it.
  w.stateText = "22-Louisiana";
  logic.btnGetitClick();
  EXPECT_EQ(w.stateText, "22,Louisiana");
  ASSERT_EQ(fetch.urls.size(), 1u);
  EXPECT_NE(fetch.urls[0].find("/SEL=22,Lousiana/T=P1"), std::string::npos) << fetch.urls[0];
}

TEST_F(Retrieval, AZipPlaceHasItsStatesProducts) {
  ReadRequestForTest("78701 - Austin, TX");
  Run("w");
  ASSERT_EQ(fetch.urls.size(), 1u);
  EXPECT_EQ(fetch.urls[0], "http://iwin.nws.noaa.gov/iwin/TX/allwarnings.html");
  // The chooser's typed zip leaves "." for the state: the zip's state serves.
  location = CurrentLocation{"", "", ".", "10001", "10001", ""};
  Run("h");
  EXPECT_EQ(fetch.urls.back(), "http://iwin.nws.noaa.gov/iwin/NY/hydro.html");
  EXPECT_TRUE(w.messages.empty());
}

TEST_F(Retrieval, NoWarningsIsSaidOnALineOfItsOwn) {
  FixedBodyFetch none("<html><title>Warnings</title><p>The Warnings for TX are not currently available.</p></html>");
  ForecastPorts p = Ports();
  p.fetch = &none;
  location.Region = "TX";
  ForecastLogic warnings(p, kind, location);
  warnings.SetKind("w");
  warnings.FormActivate();
  EXPECT_EQ(DisplayLines(w.text), "There are no active warnings or advisories for TX.\n--- End of File --");
}

TEST_F(Retrieval, HydroShowsTheNoticeInFixedsys) {
  FixedBodyFetch missing("<h2>Hydro</h2> not currently available");
  ForecastPorts p = Ports();
  p.fetch = &missing;
  ForecastLogic hydro(p, kind, location);
  hydro.SetKind("h");
  hydro.FormActivate();
  EXPECT_EQ(*w.caption, "Skyglass - Hydrological data for CA");
  EXPECT_EQ(w.fontName, kFixedsys);
  EXPECT_EQ(w.text, " Sorry, this CA information is not currently available.\r\n--- End of File --");
}

TEST_F(Retrieval, ShowingReadsColourAndSizeResizeAndCloseRestore) {
  logic.FormShow();
  EXPECT_EQ(w.textColor, clWhite);
  EXPECT_EQ(w.fontSize, 8);
  EXPECT_TRUE(w.smallChecked);
  EXPECT_FALSE(w.largeChecked);
  EXPECT_TRUE(w.mainMinimized);

  logic.mnuLargefontClick();
  EXPECT_EQ(settings["Ffontsiz"], "12");
  settings["FfontSiz"] = "12";
  settings["Fbgcolor"] = "clYellow";
  w.fontSize = 0;
  logic.FormShow();
  EXPECT_EQ(w.fontSize, 12);
  EXPECT_TRUE(w.largeChecked);
  EXPECT_EQ(w.textColor, clYellow);
  settings["FfontSiz"] = "0";
  logic.FormShow();
  EXPECT_EQ(w.fontSize, 8);
  // A size that is no number: the conversion error, the main window stays.
  settings["FfontSiz"] = "big";
  w.mainMinimized = false;
  EXPECT_THROW(logic.FormShow(), EConvertError);
  EXPECT_FALSE(w.mainMinimized);

  kind = "n";
  w.outerHeight = 400;
  logic.FormResize();
  EXPECT_EQ(w.top[ForecastControl::editCounty], 270);
  EXPECT_EQ(w.top[ForecastControl::btnGetit], 300);
  EXPECT_EQ(w.textHeight, 250);
  kind = "s2";
  logic.FormResize();
  EXPECT_EQ(w.top[ForecastControl::txtZip], 270);
  kind = "p";
  logic.FormResize();
  EXPECT_EQ(w.textHeight, 340);

  logic.FormClose();
  EXPECT_EQ(kind, "");
  EXPECT_FALSE(w.mainMinimized);
}

class Dialog : public IColorDialogPort {
 public:
  Answer answer = Answer::Chosen;
  Answer Execute(TColor& c) override {
    c = 0x123456;
    return answer;
  }
};

TEST_F(Retrieval, BackgroundColourChosenStoredOrFailureShown) {
  Dialog d;
  logic.mnubgColorClick(d);
  EXPECT_EQ(w.textColor, 0x123456);
  EXPECT_EQ(settings["Fbgcolor"], "$00123456");
  d.answer = IColorDialogPort::Answer::Failed;
  settings.clear();
  logic.mnubgColorClick(d);
  EXPECT_EQ(w.messages.back(), "Error - Color selection dialog failed to load");
  EXPECT_TRUE(settings.empty());
}

}  // namespace
