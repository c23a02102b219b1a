#include "controls/bar_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QStatusBar>
#include <QStyleOption>
#include <functional>

namespace sky::ui {
namespace {

constexpr int kItemPadX = 3, kItemPadY = 2;

class BarStyle : public QProxyStyle {
 public:
  explicit BarStyle(const QString& base) : QProxyStyle(base) {}

  void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
    if (pe == PE_FrameStatusBarItem) return;
    QProxyStyle::drawPrimitive(pe, opt, p, w);
  }

  QSize sizeFromContents(ContentsType ct, const QStyleOption* opt, const QSize& size, const QWidget* w) const override {
    if (ct == CT_MenuBarItem) return size + QSize(2 * kItemPadX, 2 * kItemPadY);
    return QProxyStyle::sizeFromContents(ct, opt, size, w);
  }

  void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
    if (ce == CE_MenuBarItem) {
      if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(opt)) {
        QStyleOptionMenuItem inner(*item);
        inner.rect = item->rect.adjusted(kItemPadX, kItemPadY, -kItemPadX, -kItemPadY);
        QProxyStyle::drawControl(ce, &inner, p, w);
        return;
      }
    }
    QProxyStyle::drawControl(ce, opt, p, w);
  }
};

// An icon made when first drawn or measured.
class DeferredIcon : public QIconEngine {
 public:
  explicit DeferredIcon(std::function<QIcon()> make) : make_(std::move(make)) {}

  void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    // The rect is already fitted to actualSize(), so this draws what the real
    // icon's own engine would.
    Icon().paint(p, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Icon().pixmap(size / scale, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QIconEngine* clone() const override { return new DeferredIcon(*this); }

 private:
  const QIcon& Icon() {
    if (make_) {
      icon_ = make_();
      make_ = nullptr;
    }
    return icon_;
  }

  std::function<QIcon()> make_;
  QIcon icon_;
};

class ProgramStyle : public QProxyStyle {
 public:
  explicit ProgramStyle(const QString& base) : QProxyStyle(base) {}

  QIcon standardIcon(StandardPixmap sp, const QStyleOption* opt, const QWidget* w) const override {
    if (sp != SP_ToolBarHorizontalExtensionButton) return QProxyStyle::standardIcon(sp, opt, w);
    // Only the direction of the option (or of the application) picks the
    // picture; the widget may be gone by the time it is drawn.
    const bool rtl = opt ? opt->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
    return QIcon(new DeferredIcon([base = QPointer<QStyle>(baseStyle()), rtl] {
      if (!base) return QIcon();
      QStyleOption o;
      o.direction = rtl ? Qt::RightToLeft : Qt::LeftToRight;
      return base->standardIcon(SP_ToolBarHorizontalExtensionButton, &o);
    }));
  }
};

// The style the application draws with, under the program's proxy if any.
QString BaseStyleName() {
  const QStyle* s = QApplication::style();
  if (const auto* proxy = qobject_cast<const QProxyStyle*>(s)) s = proxy->baseStyle();
  return s->name();
}

// One for all bars, living as long as the application.
QStyle* Shared() {
  static QPointer<BarStyle> style;
  if (!style) {
    style = new BarStyle(BaseStyleName());
    style->setParent(qApp);
  }
  return style;
}

}  // namespace

void DropPanelFrames(QStatusBar* bar) { bar->setStyle(Shared()); }

void NarrowMenuItems(QMenuBar* bar) { bar->setStyle(Shared()); }

void UseProgramStyle() { QApplication::setStyle(new ProgramStyle(BaseStyleName())); }

}  // namespace sky::ui
