// The bars' looks drawn by the proxy style must match, pixel for pixel, what
// the style sheets they replace drew: item sizes, highlight and frames.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

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
