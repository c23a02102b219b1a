#include "controls/GradForm.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>

#include "common/scoped_flag.h"
#include "controls/ui_font.h"

namespace sky::ui {

namespace {

QColor Q(Rgb c) { return QColor(c.r, c.g, c.b); }

// The desktop's caption colours stand behind the system colours; the rest
// keep the classic scheme.
Rgb SystemRgb(TColor c) {
  const QPalette pal = QApplication::palette();
  auto rgb = [](const QColor& q) {
    return Rgb{static_cast<std::uint8_t>(q.red()), static_cast<std::uint8_t>(q.green()),
               static_cast<std::uint8_t>(q.blue())};
  };
  if (c == clActiveCaption) return rgb(pal.color(QPalette::Active, QPalette::Highlight));
  if (c == clInactiveCaption) return rgb(pal.color(QPalette::Inactive, QPalette::Mid));
  if (c == clBtnFace) return rgb(pal.color(QPalette::Active, QPalette::Button));
  return ColorToRgb(c);
}

QRect ToQRect(const CaptionRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)); }
CaptionRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.right(), r.bottom()}; }

}  // namespace

TGradientForm::TGradientForm(QWidget* parent) : QDialog(parent), colors_(SystemRgb) {
  // Defaults and tables come before anything of the derived window.
  setMouseTracking(true);
  layout_ = new QVBoxLayout(this);
  layout_->setSpacing(0);
  client_ = new QWidget(this);
  client_->setObjectName("clientArea");
  layout_->addWidget(client_, 1);
  MakeCaptionFont();
  ApplyFrame();
  auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
  altF4->setContext(Qt::WindowShortcut);
  connect(altF4, &QShortcut::activated, this, &QWidget::close);
}

TGradientForm::~TGradientForm() = default;

// ---------------------------------------------------------------- properties

void TGradientForm::SetCaption(const QString& caption) {
  caption_ = caption;
  if (!inCaptionChange_) {
    ScopedFlag changing(inCaptionChange_);
    setWindowTitle(caption);  // the taskbar's text
  }
  if (isVisible()) RepaintCaption();
}

void TGradientForm::SetGradientColors(int n) {
  colors_.SetGradientColors(n);
  UpdateFrame();
}
void TGradientForm::SetCaptionTextColor(TColor c) {
  captionTextColor_ = c;
  UpdateFrame();
}
void TGradientForm::SetInactiveCaptionTextColor(TColor c) {
  inactiveCaptionTextColor_ = c;
  UpdateFrame();
}
void TGradientForm::SetGradientStartColor(TColor c) {
  colors_.SetGradientStartColor(c);
  UpdateFrame();
}
void TGradientForm::SetGradientStopColor(TColor c) {
  colors_.SetGradientStopColor(c);
  UpdateFrame();
}
void TGradientForm::SetGradientInactiveStartColor(TColor c) {
  colors_.SetGradientInactiveStartColor(c);
  UpdateFrame();
}
void TGradientForm::SetGradientInactiveStopColor(TColor c) {
  colors_.SetGradientInactiveStopColor(c);
  UpdateFrame();
}
void TGradientForm::SetPaintGradient(TGFPaintWhen when) {
  paintGradient_ = when;
  UpdateFrame();
}

void TGradientForm::SetUseWin98Gradient(bool on) {
  if (on == useWin98Gradient_) return;
  useWin98Gradient_ = on;
  ApplyFrame();  // recreates the native window
}

void TGradientForm::SetBorderStyle(TBorderStyle s) {
  borderStyle_ = s;
  ApplyFrame();
}

void TGradientForm::SetBorderIcons(TBorderIcons icons) {
  borderIcons_ = icons;
  UpdateFrame();
}

void TGradientForm::SetMenuBar(QMenuBar* bar) {
  // Under the caption, inside the frame: a layout's own menu bar slot would
  // put it over the caption.
  if (menuBar_) layout_->removeWidget(menuBar_);
  menuBar_ = bar;
  if (bar) layout_->insertWidget(0, bar);
}

void TGradientForm::SetClientSize(int w, int h) {
  client_->setMinimumSize(0, 0);
  const QMargins m = layout_->contentsMargins();
  const int menu = menuBar_ ? menuBar_->sizeHint().height() : 0;
  const QSize outer(w + m.left() + m.right(), h + m.top() + m.bottom() + menu);
  if (borderStyle_ == TBorderStyle::bsSizeable || borderStyle_ == TBorderStyle::bsSizeToolWin) {
    resize(outer);
  } else {
    setFixedSize(outer);
  }
}

bool TGradientForm::IsActiveForm() const { return isActiveWindow(); }

// ---------------------------------------------------------------- frame

bool TGradientForm::UsesSystemGradient() const {
  // The window manager draws every caption itself here, so the only
  // condition left is the form's wish.
  return useWin98Gradient_;
}

void TGradientForm::ApplyFrame() {
  const bool visible = isVisible();
  Qt::WindowFlags flags = Qt::Window;
  if (!UsesSystemGradient()) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (borderIcons_.biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (borderIcons_.biMinimize) flags |= Qt::WindowMinimizeButtonHint;
    if (borderIcons_.biMaximize) flags |= Qt::WindowMaximizeButtonHint;
  }
  if (windowFlags() != flags) setWindowFlags(flags);
  if (UsesSystemGradient()) {
    layout_->setContentsMargins(0, 0, 0, 0);
  } else {
    const int f = FrameWidth(borderStyle_, metrics_);
    const QRect c = GetCaptionRect();
    const int top = c.isEmpty() ? f : c.bottom() + 1;
    layout_->setContentsMargins(f, top, f, f);
  }
  if (visible && !isVisible()) show();
  update();
}

void TGradientForm::MakeCaptionFont() {
  // Tool windows take the small caption font.
  captionFont_ = IsToolWindow(borderStyle_) ? SansFont(11) : SansFont(11, true);
}

void TGradientForm::UpdateFrame() {
  if (isVisible()) update(GetCaptionRect());
}

void TGradientForm::BuildColorTables() { colors_.BuildColorTables(); }

QRect TGradientForm::GetCaptionRect() const {
  if (UsesSystemGradient()) return {};
  return ToQRect(sky::GetCaptionRect(width(), height(), borderStyle_, metrics_));
}

void TGradientForm::RepaintCaption() {
  if (!isVisible() || UsesSystemGradient()) return;
  repaint(GetCaptionRect());
}

// ---------------------------------------------------------------- painting

void TGradientForm::paintEvent(QPaintEvent* e) {
  QDialog::paintEvent(e);
  if (UsesSystemGradient()) return;
  QPainter p(this);
  // The frame: the classic raised window edge on the button face.
  const QRect all = rect();
  const int f = FrameWidth(borderStyle_, metrics_);
  if (f > 0) {
    p.fillRect(all, Q(SystemRgb(clBtnFace)));
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.drawLine(all.left() + 1, all.top() + 1, all.right() - 1, all.top() + 1);
    p.drawLine(all.left() + 1, all.top() + 1, all.left() + 1, all.bottom() - 1);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(all.left() + 1, all.bottom() - 1, all.right() - 1, all.bottom() - 1);
    p.drawLine(all.right() - 1, all.top() + 1, all.right() - 1, all.bottom() - 1);
    p.setPen(Qt::black);
    p.drawLine(all.left(), all.bottom(), all.right(), all.bottom());
    p.drawLine(all.right(), all.top(), all.right(), all.bottom());
  }
  const QRect c = GetCaptionRect();
  if (c.isEmpty()) return;
  QPixmap bar(c.size());
  {
    QPainter bp(&bar);
    PaintCaption(bp, IsActiveForm());
  }
  p.drawPixmap(c.topLeft(), bar);
}

QImage TGradientForm::RenderCaption(bool active) {
  const QRect c = GetCaptionRect();
  QImage img(c.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  img.fill(Qt::black);
  if (c.isEmpty()) return img;
  QPainter p(&img);
  PaintCaption(p, active);
  return img;
}

void TGradientForm::PaintCaption(QPainter& p, bool active) {
  // Painted off-screen in the caption's own coordinates.
  QRect r(QPoint(0, 0), GetCaptionRect().size());
  if (PaintsGradient(paintGradient_, active)) PaintGradientBar(p, r, active);
  else PaintSolid(p, r, active);
  r.setLeft(r.left() + 1);
  if (PaintsIcon(borderStyle_, borderIcons_)) PaintIcon(p, r);
  PaintButtons(p, r);
  if (OnCaptionPaint) {
    p.save();
    p.setFont(captionFont_);
    OnCaptionPaint(this, p, r);
    p.restore();
  }
  PaintCaptionText(p, r, active);
}

void TGradientForm::PaintSolid(QPainter& p, const QRect& r, bool active) {
  p.fillRect(r, Q(SystemRgb(active ? clActiveCaption : clInactiveCaption)));
}

void TGradientForm::PaintGradientBar(QPainter& p, const QRect& r, bool active) {
  const std::vector<Rgb>& table = active ? colors_.ActiveTable() : colors_.InactiveTable();
  const int n = static_cast<int>(table.size());
  if (n == 0) return;
  if (r.width() < n) {
    for (int i = 0; i < n; ++i) {
      const int left = r.left() + BandLeft(r.width(), i, n);
      const int right = r.left() + BandLeft(r.width(), i + 1, n);
      if (right > left) p.fillRect(QRect(left, r.top(), right - left, r.height()), Q(table[i]));
    }
    return;
  }
  // One pixel per colour, its first n - 1 pixels stretched over the bar.
  QImage line(n, 1, QImage::Format_RGB32);
  for (int i = 0; i < n; ++i) line.setPixel(i, 0, Q(table[i]).rgb());
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(r, line, QRect(0, 0, n - 1, 1));
  p.restore();
}

void TGradientForm::PaintIcon(QPainter& p, QRect& r) {
  QIcon icon = testAttribute(Qt::WA_SetWindowIcon) ? windowIcon() : QIcon();
  if (icon.isNull()) icon = QApplication::windowIcon();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_TitleBarMenuButton);
  const int s = metrics_.smallIcon;
  icon.paint(&p, QRect(r.left() + 1, r.top() + 1, s, s));
  r.setLeft(r.left() + s + 1);
}

void TGradientForm::DrawButton(QPainter& p, const ButtonPlace& b, bool pressed) {
  const QRect r = ToQRect(b.rect);
  p.fillRect(r, Q(SystemRgb(clBtnFace)));
  const QColor light = pressed ? Qt::black : Qt::white;
  const QColor dark = pressed ? Qt::white : Qt::black;
  p.setPen(light);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
  p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);

  const QRect g = r.adjusted(4, 3, -5, -4).translated(pressed ? 1 : 0, pressed ? 1 : 0);
  auto glyph = [&](const QColor& c, int dx) {
    p.setPen(QPen(c, 1));
    const QRect q = g.translated(dx, dx);
    switch (b.button) {
      case CaptionButton::Close:
        p.drawLine(q.topLeft(), q.bottomRight());
        p.drawLine(q.topLeft() + QPoint(1, 0), q.bottomRight() + QPoint(1, 0));
        p.drawLine(q.bottomLeft(), q.topRight());
        p.drawLine(q.bottomLeft() + QPoint(1, 0), q.topRight() + QPoint(1, 0));
        break;
      case CaptionButton::Minimize: p.fillRect(QRect(q.left(), q.bottom() - 1, 6, 2), c); break;
      case CaptionButton::Maximize:
        p.drawRect(q);
        p.drawLine(q.left(), q.top() + 1, q.right(), q.top() + 1);
        break;
      case CaptionButton::Restore: {
        const QRect back(q.left() + 2, q.top(), q.width() - 2, q.height() - 3);
        const QRect front(q.left(), q.top() + 3, q.width() - 2, q.height() - 3);
        p.drawRect(back);
        p.fillRect(front, Q(SystemRgb(clBtnFace)));
        p.drawRect(front);
        break;
      }
      case CaptionButton::Help: {
        QFont f = captionFont_;
        p.setFont(f);
        p.drawText(q.adjusted(-2, -3, 2, 3), Qt::AlignCenter, "?");
        break;
      }
    }
  };
  if (b.enabled) {
    glyph(Qt::black, 0);
  } else {
    glyph(Qt::white, 1);
    glyph(QColor(0x80, 0x80, 0x80), 0);
  }
}

void TGradientForm::PaintButtons(QPainter& p, QRect& r) {
  const QRect c(QPoint(0, 0), GetCaptionRect().size());
  const ButtonLayout layout = LayoutButtons(FromQRect(c), borderStyle_, borderIcons_, isMaximized(), metrics_);
  for (const ButtonPlace& b : layout.buttons) DrawButton(p, b, pressed_ && *pressed_ == b.button);
  r.setRight(std::min(r.right(), layout.textRight));
}

void TGradientForm::PaintCaptionText(QPainter& p, QRect& r, bool active) {
  r.setLeft(r.left() + 2);
  p.save();
  p.setFont(captionFont_);
  p.setPen(Q(ColorToRgb(active ? captionTextColor_ : inactiveCaptionTextColor_)));
  p.setBackgroundMode(Qt::TransparentMode);
  const QFontMetrics fm(captionFont_);
  shownText_ = fm.elidedText(caption_, Qt::ElideRight, std::max(0, r.width()));
  textRect_ = r;
  p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText_);
  p.restore();
}

// ---------------------------------------------------------------- events

void TGradientForm::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  switch (e->type()) {
    case QEvent::ActivationChange:
    case QEvent::WindowStateChange:
      if (isVisible()) update(GetCaptionRect());
      break;
    case QEvent::WindowTitleChange:
      // setWindowTitle from anywhere sets the caption too.
      if (!inCaptionChange_) {
        ScopedFlag changing(inCaptionChange_);
        SetCaption(windowTitle());
      }
      break;
    default: break;
  }
}

bool TGradientForm::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ApplicationPaletteChange:
    case QEvent::ThemeChange:
      // The system colours changed: default stop colours move with them.
      colors_.SystemColorsChanged();
      BuildColorTables();
      update();
      break;
    case QEvent::ApplicationFontChange:
      MakeCaptionFont();
      update();
      break;
    case QEvent::Resize:
      if (!UsesSystemGradient()) update();
      break;
    default: break;
  }
  return QDialog::event(e);
}

void TGradientForm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    // close() rather than the dialog's reject(): the window's close steps
    // run as for its close button.
    if (EscapeCloses) close();
    else e->ignore();
    return;
  }
  QDialog::keyPressEvent(e);
}

std::optional<CaptionButton> TGradientForm::ButtonAt(const QPoint& pos) const {
  const QRect c = GetCaptionRect();
  if (c.isEmpty() || !c.contains(pos)) return std::nullopt;
  const QRect local(QPoint(0, 0), c.size());
  const ButtonLayout layout = LayoutButtons(FromQRect(local), borderStyle_, borderIcons_, isMaximized(), metrics_);
  const QPoint at = pos - c.topLeft();
  for (const ButtonPlace& b : layout.buttons)
    if (b.enabled && ToQRect(b.rect).contains(at)) return b.button;
  return std::nullopt;
}

Qt::Edges TGradientForm::EdgesAt(const QPoint& pos) const {
  Qt::Edges edges;
  if (borderStyle_ != TBorderStyle::bsSizeable && borderStyle_ != TBorderStyle::bsSizeToolWin) return edges;
  if (isMaximized()) return edges;
  const int f = FrameWidth(borderStyle_, metrics_);
  if (pos.x() < f) edges |= Qt::LeftEdge;
  if (pos.x() >= width() - f) edges |= Qt::RightEdge;
  if (pos.y() < f) edges |= Qt::TopEdge;
  if (pos.y() >= height() - f) edges |= Qt::BottomEdge;
  return edges;
}

bool TGradientForm::CanMaximize() const {
  return borderIcons_.biSystemMenu && borderIcons_.biMaximize &&
         (borderStyle_ == TBorderStyle::bsSingle || borderStyle_ == TBorderStyle::bsSizeable);
}

void TGradientForm::ToggleMaximized() {
  if (!CanMaximize()) return;
  if (isMaximized()) showNormal();
  else showMaximized();
}

void TGradientForm::PressButton(CaptionButton b) {
  switch (b) {
    case CaptionButton::Close: close(); break;
    case CaptionButton::Minimize: showMinimized(); break;
    case CaptionButton::Maximize:
    case CaptionButton::Restore: ToggleMaximized(); break;
    case CaptionButton::Help: QWhatsThis::enterWhatsThisMode(); break;
  }
}

void TGradientForm::ShowSystemMenu(const QPoint& globalPos) {
  QMenu menu(this);
  QAction* restore = menu.addAction("&Restore");
  restore->setEnabled(isMaximized() || isMinimized());
  QAction* minimize = menu.addAction("Mi&nimize");
  minimize->setEnabled(borderIcons_.biMinimize && !IsToolWindow(borderStyle_));
  QAction* maximize = menu.addAction("Ma&ximize");
  maximize->setEnabled(CanMaximize() && !isMaximized());
  menu.addSeparator();
  QAction* closeItem = menu.addAction("&Close\tAlt+F4");
  QAction* chosen = menu.exec(globalPos);
  if (chosen == restore) showNormal();
  else if (chosen == minimize) showMinimized();
  else if (chosen == maximize) showMaximized();
  else if (chosen == closeItem) close();
}

void TGradientForm::mousePressEvent(QMouseEvent* e) {
  if (UsesSystemGradient()) return QDialog::mousePressEvent(e);
  const QPoint pos = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    if (const Qt::Edges edges = EdgesAt(pos); edges && windowHandle()) {
      windowHandle()->startSystemResize(edges);
      return;
    }
    if (std::optional<CaptionButton> b = ButtonAt(pos)) {
      pressed_ = b;
      RepaintCaption();
      return;
    }
    const QRect c = GetCaptionRect();
    if (c.contains(pos)) {
      if (PaintsIcon(borderStyle_, borderIcons_) && pos.x() < c.left() + 2 + metrics_.smallIcon) {
        ShowSystemMenu(mapToGlobal(QPoint(c.left(), c.bottom() + 1)));
        return;
      }
      // The move starts once the mouse moves with the button held: handing
      // the press to the window system at once would swallow the second
      // click of a double click.
      moveFrom_ = e->globalPosition().toPoint();
      return;
    }
  } else if (e->button() == Qt::RightButton && GetCaptionRect().contains(pos)) {
    if (borderIcons_.biSystemMenu) ShowSystemMenu(e->globalPosition().toPoint());
    return;
  }
  QDialog::mousePressEvent(e);
}

void TGradientForm::mouseMoveEvent(QMouseEvent* e) {
  if (moveFrom_) {
    if (!(e->buttons() & Qt::LeftButton)) {
      moveFrom_.reset();
    } else if ((e->globalPosition().toPoint() - *moveFrom_).manhattanLength() >= QApplication::startDragDistance()) {
      moveFrom_.reset();
      if (windowHandle()) windowHandle()->startSystemMove();
      return;
    }
  }
  if (!UsesSystemGradient()) {
    // The sizing cursors of the borders.
    const Qt::Edges edges = EdgesAt(e->position().toPoint());
    const bool lr = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool tb = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (lr && tb) {
      setCursor((edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::TopEdge)) ||
                        (edges.testFlag(Qt::RightEdge) && edges.testFlag(Qt::BottomEdge))
                    ? Qt::SizeFDiagCursor
                    : Qt::SizeBDiagCursor);
    } else if (lr) {
      setCursor(Qt::SizeHorCursor);
    } else if (tb) {
      setCursor(Qt::SizeVerCursor);
    } else {
      unsetCursor();
    }
  }
  QDialog::mouseMoveEvent(e);
}

void TGradientForm::mouseReleaseEvent(QMouseEvent* e) {
  moveFrom_.reset();
  if (pressed_) {
    const CaptionButton b = *pressed_;
    pressed_.reset();
    RepaintCaption();
    if (ButtonAt(e->position().toPoint()) == b) PressButton(b);
    return;
  }
  QDialog::mouseReleaseEvent(e);
}

void TGradientForm::mouseDoubleClickEvent(QMouseEvent* e) {
  moveFrom_.reset();
  const QPoint pos = e->position().toPoint();
  const QRect c = GetCaptionRect();
  if (!UsesSystemGradient() && e->button() == Qt::LeftButton && c.contains(pos) && !ButtonAt(pos)) {
    // On the icon a double click closes, elsewhere it maximises or restores.
    if (PaintsIcon(borderStyle_, borderIcons_) && pos.x() < c.left() + 2 + metrics_.smallIcon) close();
    else ToggleMaximized();
    return;
  }
  QDialog::mouseDoubleClickEvent(e);
}

}  // namespace sky::ui
