// The bars' looks drawn by the proxy style must match, pixel for pixel, what
// the style sheets they replace drew: item sizes, highlight and frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOption>

#include "common/offscreen_app.h"
#include "controls/bar_style.h"
#include "controls/ui_font.h"

namespace {

QImage MenuWindow(bool sheet, int active) {
  QMainWindow w;
  QMenuBar* bar = w.menuBar();
  if (sheet) bar->setStyleSheet("QMenuBar::item { padding: 2px 3px; }");
  else sky::ui::NarrowMenuItems(bar);
  bar->setFont(sky::ui::SansFont(11));
  for (const char* m : {"&Options", "&Get Stats", "&Images", "&Forecasts", "&Information", "&Help"})
    bar->addMenu(QString::fromLatin1(m));
  w.resize(322, 120);
  w.show();
  if (active >= 0) bar->setActiveAction(bar->actions()[active]);
  QImage shot = w.grab().toImage();
  for (QMenu* m : bar->findChildren<QMenu*>()) m->hide();
  return shot;
}

QImage StatusPanels(bool sheet) {
  QStatusBar bar;
  bar.setSizeGripEnabled(false);
  if (sheet) bar.setStyleSheet("QStatusBar::item { border: none; }");
  else sky::ui::DropPanelFrames(&bar);
  for (int width : {180, 70}) {
    auto* l = new QLabel("Thank you", &bar);
    l->setFixedWidth(width);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar.addWidget(l, 0);
  }
  bar.resize(322, 19);
  bar.show();
  return bar.grab().toImage();
}

}  // namespace

TEST(BarStyle, DrawsWhatTheStyleSheetsDrew) {
  skytest::App();
  EXPECT_EQ(MenuWindow(false, -1), MenuWindow(true, -1));
  EXPECT_EQ(MenuWindow(false, 2), MenuWindow(true, 2));  // the highlighted item
  EXPECT_EQ(StatusPanels(false), StatusPanels(true));
}

// The program's style draws as the style under it: same palette, and the menu
// bar's overflow icon, though read late, shows the same pictures.
TEST(BarStyle, ProgramStyleChangesNothingVisible) {
  skytest::App();
  const QPalette palette = QApplication::palette();
  const auto icon = [](QStyle* s, Qt::LayoutDirection dir) {
    QStyleOption o;
    o.direction = dir;
    return s->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, &o);
  };
  const QIcon before = icon(QApplication::style(), Qt::RightToLeft);
  sky::ui::UseProgramStyle();
  EXPECT_EQ(QApplication::palette(), palette);
  const QIcon after = icon(QApplication::style(), Qt::RightToLeft);
  for (int size : {8, 16, 32}) EXPECT_EQ(after.pixmap(size).toImage(), before.pixmap(size).toImage()) << size;
  EXPECT_EQ(MenuWindow(true, 2), MenuWindow(false, 2));  // the bars still draw alike under it
}
