// UpdateMoonPhase: which picture shows for a date, and what happens for a date
// without a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/moon.h"

using namespace sky;

namespace {

class RecordingView : public IMoonView {
 public:
  void ShowMoonPicture(const std::string& pictureName) override { shown.push_back(pictureName); }
  std::vector<std::string> shown;
};

class RecordingMessages : public IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { messages.push_back("error: " + text); }
  bool Confirm(const std::string& text) override {
    messages.push_back("confirm: " + text);
    return true;
  }
  void Beep() override { ++beeps; }
  std::vector<std::string> messages;
  int beeps = 0;
};

struct Fixture {
  ManualClock clock;
  RecordingView view;
  RecordingMessages messages;
  MoonPhaseUpdater updater{view, messages, clock};

  MoonPhase On(int y, int m, int d) {
    clock.SetToday({y, m, d});
    updater.UpdateMoonPhase();
    EXPECT_TRUE(messages.messages.empty()) << y << "-" << m << "-" << d;
    EXPECT_TRUE(updater.Shown().has_value());
    return updater.Shown().value_or(MoonPhase{});
  }
};

}  // namespace

TEST(MoonPicture, FollowsTheValueAndTheTrend) {
  EXPECT_EQ(MoonPictureFor("1.00", false), "GIFImageFull");
  EXPECT_EQ(MoonPictureFor("1.00", true), "GIFImageFull");
  EXPECT_EQ(MoonPictureFor("0.00", true), "GIFImagenew");
  EXPECT_EQ(MoonPictureFor("0.09", false), "GIFImagenew");
  EXPECT_EQ(MoonPictureFor("0.10", true), "GIFImagel10x");
  EXPECT_EQ(MoonPictureFor("0.10", false), "GIFImage10x");
  EXPECT_EQ(MoonPictureFor("0.43", true), "GIFImagel40x");
  EXPECT_EQ(MoonPictureFor("0.99", true), "GIFImagel90x");
  EXPECT_EQ(MoonPictureFor("0.99", false), "GIFImage90x");
}

TEST(UpdateMoonPhase, ShowsThePictureOfToday) {
  Fixture f;
  MoonPhase p = f.On(1998, 1, 13);
  EXPECT_EQ(p.picture, "GIFImageFull");
  p = f.On(1998, 1, 2);
  EXPECT_EQ(p.today, "0.13");
  EXPECT_EQ(p.next, "0.22");
  EXPECT_TRUE(p.rising);
  EXPECT_EQ(p.picture, "GIFImagel10x");
  p = f.On(1998, 12, 15);
  EXPECT_EQ(p.next, "0.08");
  EXPECT_FALSE(p.rising);
  EXPECT_EQ(p.picture, "GIFImage10x");
  EXPECT_EQ(f.On(1998, 12, 19).picture, "GIFImagenew");
  EXPECT_EQ(f.On(1998, 12, 21).picture, "GIFImagenew");
  EXPECT_EQ(f.view.shown,
            (std::vector<std::string>{"GIFImageFull", "GIFImagel10x", "GIFImage10x", "GIFImagenew", "GIFImagenew"}));
  EXPECT_EQ(f.messages.beeps, 0);
}

TEST(UpdateMoonPhase, EqualValuesCountAsFalling) {
  // Two days of the same value: the first of them is "falling".
  Fixture f;
  const MoonTables& t = MoonTables::Shipped();
  for (int y = 2000; y <= 2100; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d < 28; ++d)
        if (t.Cell(y, m, d) == t.Cell(y, m, d + 1) && t.Cell(y, m, d) > "0.09" && t.Cell(y, m, d) < "1.00") {
          EXPECT_FALSE(f.On(y, m, d).rising);
          return;
        }
  GTEST_SKIP() << "no two equal days in the tables";
}

TEST(UpdateMoonPhase, TakesTheNextValueFromTheNextMonthAfterItsLastDay) {
  Fixture f;
  MoonPhase p = f.On(1998, 2, 28);  // February 29 holds "9.99"
  EXPECT_EQ(p.next, "0.08");
  EXPECT_EQ(p.picture, "GIFImagenew");
  p = f.On(1998, 1, 31);  // the end row follows
  EXPECT_EQ(p.next, "0.19");
  EXPECT_TRUE(p.rising);
  EXPECT_EQ(p.picture, "GIFImagel10x");
  // From 2000 on a missing day holds "0.00", which is no value of the moon:
  // 28 February 2001 is waxing towards 0.29 on 1 March.
  p = f.On(2001, 2, 28);
  EXPECT_EQ(p.today, "0.20");
  EXPECT_EQ(p.next, "0.29");
  EXPECT_TRUE(p.rising);
  EXPECT_EQ(p.picture, "GIFImagel20x");
  // A 30-day month of the newer tables, and the real 29 February of 2004.
  EXPECT_EQ(f.On(2000, 4, 30).next, MoonTables::Shipped().Cell(2000, 5, 1));
  EXPECT_EQ(f.On(2004, 2, 28).next, MoonTables::Shipped().Cell(2004, 2, 29));
  EXPECT_EQ(f.On(2004, 2, 29).next, MoonTables::Shipped().Cell(2004, 3, 1));
}

TEST(UpdateMoonPhase, ThirtyFirstOfDecemberLooksAtTheNextYear) {
  Fixture f;
  MoonPhase p = f.On(1999, 12, 31);  // 0.36, then 0.27 on 1 January 2000
  EXPECT_EQ(p.today, "0.36");
  EXPECT_EQ(p.next, "0.27");
  EXPECT_FALSE(p.rising);
  EXPECT_EQ(p.picture, "GIFImage30x");
  // In the last year with a table the next row's label stands in, which
  // reads as rising.
  p = f.On(2100, 12, 31);
  EXPECT_EQ(p.next, "0002");
  EXPECT_TRUE(p.rising);
}

TEST(UpdateMoonPhase, YearWithoutTableWarnsAndKeepsThePicture) {
  Fixture f;
  f.On(2005, 12, 31);
  ASSERT_EQ(f.view.shown.size(), 1u);
  const std::string before = f.updater.Shown()->picture;

  for (LocalDate d : {LocalDate{2101, 1, 1}, LocalDate{1997, 12, 31}, LocalDate{2026, 13, 1}, LocalDate{2026, 2, 30}}) {
    f.messages.messages.clear();
    f.clock.SetToday(d);
    f.updater.UpdateMoonPhase();
    ASSERT_EQ(f.messages.messages.size(), 1u);
    const std::string& text = f.messages.messages[0];
    EXPECT_EQ(text.rfind(kMoonYearWarningStart, 0), 0u) << text;
    EXPECT_EQ(text.find('@'), std::string::npos) << text;
  }
  EXPECT_EQ(f.messages.beeps, 4);
  EXPECT_EQ(f.view.shown.size(), 1u);
  EXPECT_EQ(f.updater.Shown()->picture, before);
  EXPECT_NE(MoonYearWarning(MoonTables::Shipped(), {2101, 1, 1}).find("2101"), std::string::npos);
}

TEST(UpdateMoonPhase, WorksWithTablesOfAnyYears) {
  // A single table: no next year, so its 31 December falls back as well.
  std::string text = "2200\n";
  for (int d = 1; d <= 31; ++d) {
    char label[8];
    std::snprintf(label, sizeof label, "%04d", d);
    text += label;
    for (int m = 1; m <= 12; ++m) {
      const bool real = d <= (m == 2 ? 28 : (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31);
      text += real ? (d % 2 ? "0.55" : "0.45") : "0.00";
    }
    text += "\n";
  }
  text += "99999.999.999.999.999.999.999.999.999.999.999.999.99\n";
  std::string why;
  const auto tables = MoonTables::Parse(text, &why);
  ASSERT_TRUE(tables) << why;
  ManualClock clock;
  RecordingView view;
  RecordingMessages messages;
  MoonPhaseUpdater updater(view, messages, clock, *tables);
  clock.SetToday({2200, 3, 1});
  updater.UpdateMoonPhase();
  EXPECT_EQ(view.shown, std::vector<std::string>{"GIFImage50x"});
  clock.SetToday({2200, 4, 30});  // 0.45 with 0.55 on 1 May, not the filler
  updater.UpdateMoonPhase();
  EXPECT_EQ(view.shown.back(), "GIFImagel40x");
  clock.SetToday({2200, 12, 31});
  updater.UpdateMoonPhase();
  EXPECT_EQ(view.shown.back(), "GIFImagel50x");
  clock.SetToday({2201, 1, 1});
  updater.UpdateMoonPhase();
  EXPECT_EQ(view.shown.size(), 3u);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_NE(messages.messages[0].find("2200 to 2200"), std::string::npos);
}
