// The base of the program's dialogs: a window that draws its own caption
// bar, a colour gradient (or the solid system colour) with the small icon,
// the caption buttons and the caption text, in colours of its own for the
// active and the inactive state.
//
// The window manager is asked for no frame at all (a frameless window); the
// form paints the frame and the caption area itself and hands moving and
// sizing back to the window system (QWindow::startSystemMove/Resize), so the
// window still moves, minimises and closes the way the desktop's users
// expect. Derived windows put their controls on ClientArea() and may add a
// menu bar under the caption with SetMenuBar().
#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>

#include "controls/gradient_logic.h"

class QMenuBar;
class QVBoxLayout;

namespace sky::ui {

class TGradientForm : public QDialog {
  Q_OBJECT
 public:
  explicit TGradientForm(QWidget* parent = nullptr);
  ~TGradientForm() override;

  // ---- published properties
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);

  int GradientColors() const { return colors_.GradientColors(); }
  void SetGradientColors(int n);  // ignored outside 8...512

  TColor CaptionTextColor() const { return captionTextColor_; }
  void SetCaptionTextColor(TColor c);
  TColor InactiveCaptionTextColor() const { return inactiveCaptionTextColor_; }
  void SetInactiveCaptionTextColor(TColor c);
  TColor GradientStartColor() const { return colors_.GradientStartColor(); }
  void SetGradientStartColor(TColor c);
  TColor GradientStopColor() const { return colors_.GradientStopColor(); }
  void SetGradientStopColor(TColor c);
  TColor GradientInactiveStartColor() const { return colors_.GradientInactiveStartColor(); }
  void SetGradientInactiveStartColor(TColor c);
  TColor GradientInactiveStopColor() const { return colors_.GradientInactiveStopColor(); }
  void SetGradientInactiveStopColor(TColor c);

  TGFPaintWhen PaintGradient() const { return paintGradient_; }
  void SetPaintGradient(TGFPaintWhen when);

  // Leaves the caption to the window manager (a plain framed window).
  bool UseWin98Gradient() const { return useWin98Gradient_; }
  void SetUseWin98Gradient(bool on);

  // Lets the owner draw on the caption before the text; it may change the
  // text rectangle.
  std::function<void(TGradientForm* sender, QPainter& canvas, QRect& R)> OnCaptionPaint;

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle s);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);

  // Escape closes the window (as its close button does) only where a dialog
  // asks for it.
  bool EscapeCloses = false;

  // ---- the window's parts
  QWidget* ClientArea() const { return client_; }
  QMenuBar* MenuBar() const { return menuBar_; }
  void SetMenuBar(QMenuBar* bar);
  // Sizes the window so that the client area is w by h (fixed for the
  // borders that cannot be sized).
  void SetClientSize(int w, int h);

  bool IsActiveForm() const;
  const GradientCaptionColors& ColorTables() const { return colors_; }
  // What the last paint drew: the text after cutting, and its rectangle.
  QString ShownCaptionText() const { return shownText_; }
  QRect CaptionTextRect() const { return textRect_; }
  // The caption as it would paint now, in the given state.
  QImage RenderCaption(bool active);

  // ---- overridable steps, in the order of the original slots
  virtual QRect GetCaptionRect() const;
  virtual void PaintCaption(QPainter& p, bool active);
  virtual void PaintIcon(QPainter& p, QRect& r);
  virtual void PaintSolid(QPainter& p, const QRect& r, bool active);
  virtual void PaintGradientBar(QPainter& p, const QRect& r, bool active);
  virtual void PaintCaptionText(QPainter& p, QRect& r, bool active);
  virtual void PaintButtons(QPainter& p, QRect& r);
  virtual void BuildColorTables();
  virtual bool UsesSystemGradient() const;
  virtual void RepaintCaption();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void ApplyFrame();
  void MakeCaptionFont();
  void UpdateFrame();
  std::optional<CaptionButton> ButtonAt(const QPoint& pos) const;
  Qt::Edges EdgesAt(const QPoint& pos) const;
  void PressButton(CaptionButton b);
  void ToggleMaximized();
  void ShowSystemMenu(const QPoint& globalPos);
  bool CanMaximize() const;
  void DrawButton(QPainter& p, const ButtonPlace& b, bool pressed);

  GradientCaptionColors colors_;
  QString caption_;
  TColor captionTextColor_ = clWhite;
  TColor inactiveCaptionTextColor_ = clWhite;
  TGFPaintWhen paintGradient_ = gfpAlways;
  bool useWin98Gradient_ = false;
  TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
  TBorderIcons borderIcons_;
  CaptionMetrics metrics_;
  QFont captionFont_;
  bool inCaptionChange_ = false;
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
  std::optional<CaptionButton> pressed_;
  std::optional<QPoint> moveFrom_;  // a press on the caption that may become a move
  QString shownText_;
  QRect textRect_;
};

}  // namespace sky::ui
