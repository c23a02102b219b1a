#include "controls/tray_logic.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace sky {
namespace {

struct RecordingShell : ITrayShell {
  std::vector<std::pair<TrayCommand, std::string>> calls;
  void Notify(TrayCommand c, const std::string& tip) override { calls.emplace_back(c, tip); }
};

TEST(TrayRecord, AddModifyDeleteAndReAdd) {
  RecordingShell shell;
  TrayRecord rec(shell);
  rec.SetHasIcon(true);
  rec.SetActive(true);
  rec.SetActive(true);
  rec.SetActive(false);
  rec.SetActive(true);
  ASSERT_EQ(shell.calls.size(), 4u);
  EXPECT_EQ(shell.calls[0].first, TrayCommand::Add);
  EXPECT_EQ(shell.calls[1].first, TrayCommand::Modify);
  EXPECT_EQ(shell.calls[2].first, TrayCommand::Delete);
  EXPECT_EQ(shell.calls[3].first, TrayCommand::Add);  // the handle was cleared
  EXPECT_TRUE(rec.InTray());
}

TEST(TrayRecord, ActiveWithoutPictureRemovesTheIcon) {
  RecordingShell shell;
  TrayRecord rec(shell);
  rec.SetActive(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].first, TrayCommand::Delete);
  EXPECT_FALSE(rec.InTray());
}

TEST(TrayRecord, TipIsCutAndRepeatedHintIsIgnored) {
  RecordingShell shell;
  TrayRecord rec(shell);
  rec.SetHasIcon(true);
  rec.SetActive(true);
  const std::string longHint(80, 'x');
  rec.SetHint(longHint);
  rec.SetHint(longHint);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[1].second, std::string(63, 'x'));
  EXPECT_EQ(rec.Hint(), longHint);  // the whole text is kept
  rec.SetHint("Sunny 75\xB0");
  EXPECT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(rec.Tip(), "Sunny 75\xB0");
}

TEST(TrayTipShown, EachDoubledAmpersandShowsAsOne) {
  EXPECT_EQ(TrayTipShown("Clear && 37\260F / 3\260C"), "Clear & 37\260F / 3\260C");
  EXPECT_EQ(TrayTipShown("A &&&& B & C&"), "A && B & C&");
  EXPECT_EQ(TrayTipShown("&&&"), "&&");
}

}  // namespace
}  // namespace sky
