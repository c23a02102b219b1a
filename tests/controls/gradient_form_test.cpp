// The gradient form as painted and as it behaves as a window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <cstdlib>

#include "common/offscreen_app.h"
#include "controls/GradForm.h"

using skytest::App;

namespace {

using namespace sky;
using sky::ui::TGradientForm;

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

TEST(GradientForm, PaintsTheTablesInBothStates) {
  App();
  TGradientForm f;
  f.SetBorderStyle(TBorderStyle::bsSingle);
  f.SetClientSize(300, 100);
  f.SetGradientStartColor(clBlue);
  f.SetGradientStopColor(clBlack);
  f.SetGradientInactiveStartColor(clRed);
  f.SetGradientInactiveStopColor(clRed);
  f.SetCaption("");
  const QImage active = f.RenderCaption(true);
  EXPECT_EQ(active.height(), CaptionMetrics{}.captionHeight);
  // Blue at the left end; the first 63 colours are stretched over the bar,
  // so the right end shows colour 62 (blue 4).
  EXPECT_EQ(At(active, 0, active.height() - 1), 0x0000FFu);
  EXPECT_EQ(At(active, active.width() - 1, 0), 0x000004u);
  EXPECT_EQ(At(f.RenderCaption(false), 30, 1), 0xFF0000u);
  // Only when active: the inactive caption is the system's solid colour.
  f.SetPaintGradient(gfpActive);
  const QColor sys = QApplication::palette().color(QPalette::Inactive, QPalette::Mid);
  EXPECT_EQ(At(f.RenderCaption(false), 30, 1), sys.rgb() & 0xFFFFFF);
}

TEST(GradientForm, CaptionTextCutWithEllipsisAndKeptWithTheWindowTitle) {
  App();
  TGradientForm f;
  f.SetBorderStyle(TBorderStyle::bsSingle);
  f.SetClientSize(150, 40);
  f.SetCaption("Skyglass - Warnings && Advisories for a state with a very long name");
  EXPECT_EQ(f.windowTitle(), f.Caption());
  f.RenderCaption(true);
  EXPECT_TRUE(f.ShownCaptionText().endsWith(QChar(0x2026)));
  EXPECT_LT(f.CaptionTextRect().right(), 150);
  f.setWindowTitle("Short");
  EXPECT_EQ(f.Caption(), "Short");
  f.RenderCaption(true);
  EXPECT_EQ(f.ShownCaptionText(), "Short");
}

TEST(GradientForm, FramelessWithClientBelowCaptionAndMenu) {
  App();
  TGradientForm f;
  f.SetBorderStyle(TBorderStyle::bsSingle);
  auto* bar = new QMenuBar(&f);
  bar->addMenu("&Options");
  f.SetMenuBar(bar);
  f.SetClientSize(486, 313);
  f.show();
  QApplication::processEvents();
  EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(f.ClientArea()->size(), QSize(486, 313));
  EXPECT_EQ(bar->y(), f.GetCaptionRect().bottom() + 1);
  EXPECT_EQ(f.ClientArea()->y(), bar->y() + bar->height());
  EXPECT_EQ(f.width(), 486 + 6);
  // The window manager's own caption on request; back to ours.
  f.SetUseWin98Gradient(true);
  EXPECT_FALSE(f.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(f.GetCaptionRect().isEmpty());
  f.SetUseWin98Gradient(false);
  EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
}

TEST(GradientForm, SystemColourChangeMovesTheDefaultStopOnly) {
  App();
  TGradientForm f;
  f.SetGradientInactiveStopColor(clNavy);
  const QPalette old = QApplication::palette();
  QPalette p = old;
  p.setColor(QPalette::Active, QPalette::Highlight, QColor(10, 200, 30));
  p.setColor(QPalette::Inactive, QPalette::Mid, QColor(1, 2, 3));
  QApplication::setPalette(p);
  QApplication::processEvents();
  EXPECT_EQ(f.ColorTables().ActiveTable().back(), (Rgb{10, 200, 30}));
  EXPECT_EQ(f.ColorTables().InactiveTable().back(), ColorToRgb(clNavy));
  QApplication::setPalette(old);
}

TEST(GradientForm, AltF4AndTheCloseButtonClose) {
  App();
  TGradientForm f;
  f.SetBorderStyle(TBorderStyle::bsSingle);
  f.SetClientSize(200, 50);
  f.show();
  f.activateWindow();
  QApplication::processEvents();
  QKeyEvent alt(QEvent::ShortcutOverride, Qt::Key_F4, Qt::AltModifier);
  QApplication::sendEvent(&f, &alt);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
  QApplication::sendEvent(&f, &press);
  QApplication::processEvents();
  EXPECT_FALSE(f.isVisible());
  // Escape does nothing unless the dialog asks for it.
  f.show();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&f, &esc);
  EXPECT_TRUE(f.isVisible());
  // A click on the close button.
  const QRect c = f.GetCaptionRect();
  const QPoint closeAt(c.right() - 2 - 8, c.top() + c.height() / 2);
  QMouseEvent down(QEvent::MouseButtonPress, closeAt, f.mapToGlobal(closeAt), Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(&f, &down);
  QMouseEvent up(QEvent::MouseButtonRelease, closeAt, f.mapToGlobal(closeAt), Qt::LeftButton, {}, {});
  QApplication::sendEvent(&f, &up);
  EXPECT_FALSE(f.isVisible());
}

TEST(GradientForm, DoubleClickOnTheCaptionMaximisesAndRestoresEveryTime) {
  App();
  TGradientForm f;
  f.SetCaption("Skyglass - a caption");
  f.SetClientSize(300, 120);
  f.show();
  QApplication::processEvents();
  auto doubleClick = [&f](QPoint at) {
    const QPoint g = f.mapToGlobal(at);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent e(t, at, g, Qt::LeftButton, held, {});
      QApplication::sendEvent(&f, &e);
    }
    QApplication::processEvents();
  };
  // On the caption text and on the empty caption between text and buttons,
  // eleven times each, from the size the window has then.
  for (int i = 0; i < 11; ++i) {
    const QRect c = f.GetCaptionRect();
    const QPoint text(c.left() + 40, c.center().y());
    const QPoint empty(c.right() - 90, c.center().y());
    doubleClick(text);
    EXPECT_TRUE(f.isMaximized()) << i;
    doubleClick(empty);
    EXPECT_FALSE(f.isMaximized()) << i;
  }
  // A fixed window does not maximise.
  f.SetBorderIcons({true, true, false, false});
  doubleClick({f.GetCaptionRect().left() + 40, f.GetCaptionRect().center().y()});
  EXPECT_FALSE(f.isMaximized());
}

}  // namespace
