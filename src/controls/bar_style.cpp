#include "controls/bar_style.h"

#include <QApplication>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QStatusBar>
#include <QStyleOption>

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

// One for all bars, living as long as the application.
QStyle* Shared() {
  static QPointer<BarStyle> style;
  if (!style) {
    style = new BarStyle(QApplication::style()->name());
    style->setParent(qApp);
  }
  return style;
}

}  // namespace

void DropPanelFrames(QStatusBar* bar) { bar->setStyle(Shared()); }

void NarrowMenuItems(QMenuBar* bar) { bar->setStyle(Shared()); }

}  // namespace sky::ui
