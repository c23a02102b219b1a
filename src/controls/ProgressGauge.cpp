#include "controls/ProgressGauge.h"

#include <QImage>
#include <QPainter>

namespace sky::ui {

TProgressGauge::TProgressGauge(QWidget* parent) : QWidget(parent) {
  resize(100, 100);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgressGauge::Changed() { update(); }

void TProgressGauge::SetMinValue(int v) {
  if (range_.SetMinValue(v)) Changed();
}
void TProgressGauge::SetMaxValue(int v) {
  if (range_.SetMaxValue(v)) Changed();
}
void TProgressGauge::SetProgress(int v) {
  if (range_.SetProgress(v)) Changed();
}
void TProgressGauge::SetKind(TGaugeKind k) {
  if (k != kind_) {
    kind_ = k;
    Changed();
  }
}
void TProgressGauge::SetShowText(bool on) {
  if (on != showText_) {
    showText_ = on;
    Changed();
  }
}
void TProgressGauge::SetSingleBorder(bool on) {
  if (on != singleBorder_) {
    singleBorder_ = on;
    Changed();
  }
}
void TProgressGauge::SetForeColor(const QColor& c) {
  if (c != fore_) {
    fore_ = c;
    Changed();
  }
}
void TProgressGauge::SetBackColor(const QColor& c) {
  if (c != back_) {
    back_ = c;
    Changed();
  }
}
void TProgressGauge::SetColor(const QColor& c) {
  if (c != color_) {
    color_ = c;
    Changed();
  }
}

namespace {
// XOR of `src` onto `dst`, pixel by pixel (both the same size, RGB32).
void XorOnto(QImage& dst, const QImage& src) {
  for (int y = 0; y < dst.height(); ++y) {
    auto* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < dst.width(); ++x) d[x] = 0xFF000000u | ((d[x] ^ s[x]) & 0x00FFFFFFu);
  }
}
}  // namespace

QImage TProgressGauge::Render() const {
  const QSize size = this->size();
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  QRect r(0, 0, size.width(), size.height());
  if (singleBorder_) r.adjust(1, 1, -1, -1);
  const int pct = range_.Percent();

  QImage drawing(size, QImage::Format_RGB32);
  drawing.fill(Qt::black);
  {
    QPainter p(&drawing);
    switch (kind_) {
      case TGaugeKind::gkText: p.fillRect(r, back_); break;
      case TGaugeKind::gkHorizontalBar: {
        p.fillRect(r, back_);
        const int len = BarLength(r.width(), pct);
        if (len >= 1) p.fillRect(QRect(r.left(), r.top(), len, r.height()), fore_);
        break;
      }
      case TGaugeKind::gkVerticalBar: {
        p.fillRect(r, back_);
        const int len = BarLength(r.height(), pct);
        if (len >= 1) p.fillRect(QRect(r.left(), r.bottom() + 1 - len, r.width(), len), fore_);
        break;
      }
      case TGaugeKind::gkPie: {
        p.fillRect(r, color_);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(fore_);
        p.setBrush(back_);
        p.drawEllipse(r.adjusted(0, 0, -1, -1));
        if (pct > 0) {
          p.setBrush(fore_);
          // Qt angles are in 1/16 degree, counter-clockwise from 3 o'clock;
          // the slice starts at the top and sweeps clockwise.
          p.drawPie(r.adjusted(0, 0, -1, -1), 90 * 16, -static_cast<int>(pct * 3.6 * 16));
        }
        break;
      }
      case TGaugeKind::gkNeedle: {
        p.fillRect(r, color_);
        p.setPen(fore_);
        p.setBrush(back_);
        // Upper half of the ellipse of the rectangle as the dial, closed by
        // its baseline.
        const QRect dial(r.left(), r.top(), r.width() - 1, 2 * (r.height() - 1));
        p.drawChord(dial, 0, 180 * 16);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        if (pct > 0) {
          const GaugePoint tip = NeedleTip(size.width(), r.bottom(), pct);
          p.drawLine(size.width() / 2, r.bottom() - 1, tip.x, tip.y);
        }
        break;
      }
    }
  }
  XorOnto(image, drawing);

  if (showText_) {
    QImage text(size, QImage::Format_RGB32);
    text.fill(Qt::black);
    {
      QPainter p(&text);
      p.setFont(font());
      p.setPen(Qt::white);
      p.drawText(r, Qt::AlignCenter, QString::asprintf("%d%%", pct));
    }
    XorOnto(image, text);
  }
  return image;
}

void TProgressGauge::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter p(this);
  p.drawImage(0, 0, Render());
}

}  // namespace sky::ui
