#include "controls/tray_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace sky::ui {

namespace {

const QColor kSky(0x20, 0x60, 0xD0);
const QColor kGrey(0x90, 0x90, 0x98);
const QColor kSun(0xFF, 0xD8, 0x00);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kDark(0x50, 0x50, 0x58);
const QColor kDrop(0x10, 0x30, 0x90);

QPixmap Blank(const QColor& bg) {
  QPixmap pm(16, 16);
  pm.fill(bg);
  return pm;
}

void Sun(QPainter& p, QPointF c, qreal r) {
  p.setPen(QPen(kSun, 1));
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(c);
    p.rotate(i * 45);
    p.drawLine(QPointF(r + 0.5, 0), QPointF(r + 2.0, 0));
    p.restore();
  }
  p.setPen(Qt::NoPen);
  p.setBrush(kSun);
  p.drawEllipse(c, r, r);
}

void Cloud(QPainter& p, qreal x, qreal y, qreal w, const QColor& fill, const QColor& edge) {
  // Three bumps over a flat base, w wide, top at y.
  const qreal h = w * 0.55;
  QPainterPath path;
  path.addEllipse(QRectF(x, y + h * 0.35, w * 0.45, h * 0.65));
  path.addEllipse(QRectF(x + w * 0.22, y, w * 0.5, h * 0.8));
  path.addEllipse(QRectF(x + w * 0.5, y + h * 0.25, w * 0.5, h * 0.75));
  path.addRect(QRectF(x + w * 0.2, y + h * 0.5, w * 0.6, h * 0.5));
  path.setFillRule(Qt::WindingFill);
  p.setPen(QPen(edge, 0.8));
  p.setBrush(fill);
  p.drawPath(path.simplified());
}

void Drops(QPainter& p, const QColor& c, qreal y) {
  p.setPen(QPen(c, 1.2));
  for (qreal x : {4.0, 8.0, 12.0}) p.drawLine(QPointF(x, y), QPointF(x - 1.5, y + 3));
}

QPixmap Picture(int index) {
  QPixmap pm;
  auto painter = [](QPixmap& target) {
    auto* p = new QPainter(&target);
    p->setRenderHint(QPainter::Antialiasing, true);
    return p;
  };
  QPainter* p = nullptr;
  switch (index) {
    case 0:  // sun, cloud and rain drops on blue
      pm = Blank(kSky);
      p = painter(pm);
      Sun(*p, {5, 4.5}, 2.5);
      Cloud(*p, 3, 4, 12, kWhite, kGrey);
      Drops(*p, kDrop, 12);
      break;
    case 1:  // sun half behind a cloud on grey (haze, fog)
      pm = Blank(kGrey);
      p = painter(pm);
      Sun(*p, {10, 5}, 3);
      Cloud(*p, 1, 6, 12, QColor(0xE0, 0xE0, 0xE0), kDark);
      break;
    case 2: {  // yellow lightning bolt on black
      pm = Blank(Qt::black);
      p = painter(pm);
      const QPointF bolt[] = {{9, 0.5}, {4, 8.5}, {7.5, 8.5}, {5.5, 15.5}, {12, 6}, {8.5, 6}, {11, 0.5}};
      p->setPen(Qt::NoPen);
      p->setBrush(kSun);
      p->drawPolygon(bolt, 7);
      break;
    }
    case 3:  // heavy grey cloud bank on grey
      pm = Blank(kGrey);
      p = painter(pm);
      Cloud(*p, 0, 1, 11, QColor(0x70, 0x70, 0x78), kDark);
      Cloud(*p, 4, 5, 12, kDark, QColor(0x30, 0x30, 0x30));
      Cloud(*p, 0, 8, 10, QColor(0x68, 0x68, 0x70), kDark);
      break;
    case 4:  // white clouds on blue
      pm = Blank(kSky);
      p = painter(pm);
      Cloud(*p, 0, 1, 9, kWhite, kGrey);
      Cloud(*p, 5, 7, 11, kWhite, kGrey);
      break;
    case 5:  // dark cloud with rain drops on grey
      pm = Blank(kGrey);
      p = painter(pm);
      Cloud(*p, 1, 1, 14, kDark, QColor(0x30, 0x30, 0x30));
      Drops(*p, kDrop, 11);
      break;
    case 6:  // white cloud with dark drops on blue
      pm = Blank(kSky);
      p = painter(pm);
      Cloud(*p, 1, 1, 14, kWhite, kGrey);
      Drops(*p, QColor(0x10, 0x10, 0x40), 11);
      break;
    case 7:  // a small network device
      pm = Blank(Qt::transparent);
      p = painter(pm);
      p->setPen(QPen(Qt::black, 1));
      p->setBrush(QColor(0xC0, 0xC0, 0xC0));
      p->drawRect(QRectF(1.5, 5.5, 13, 6));
      p->setPen(Qt::NoPen);
      p->setBrush(QColor(0x00, 0xC0, 0x00));
      p->drawRect(QRectF(3, 7, 2, 2));
      p->setBrush(QColor(0xFF, 0xA0, 0x00));
      p->drawRect(QRectF(6, 7, 2, 2));
      p->setPen(QPen(Qt::black, 1));
      p->drawLine(QPointF(12, 5.5), QPointF(12, 1.5));
      p->drawLine(QPointF(4, 11.5), QPointF(4, 14.5));
      p->drawLine(QPointF(12, 11.5), QPointF(12, 14.5));
      break;
    case 8:  // sun behind a cloud on blue
      pm = Blank(kSky);
      p = painter(pm);
      Sun(*p, {10, 5}, 3.2);
      Cloud(*p, 1, 6, 12, kWhite, kGrey);
      break;
    case 9:  // thin white cloud on black (rain)
      pm = Blank(Qt::black);
      p = painter(pm);
      Cloud(*p, 1, 3, 14, Qt::transparent, kWhite);
      p->setPen(QPen(kWhite, 1));
      for (qreal x : {5.0, 9.0, 13.0}) p->drawLine(QPointF(x, 12), QPointF(x - 1, 14.5));
      break;
    case 10:  // cyan snowflake on black
      pm = Blank(Qt::black);
      p = painter(pm);
      p->setPen(QPen(QColor(0x00, 0xFF, 0xFF), 1.3));
      for (int i = 0; i < 3; ++i) {
        p->save();
        p->translate(8, 8);
        p->rotate(i * 60);
        p->drawLine(QPointF(0, -6.5), QPointF(0, 6.5));
        for (int s : {-1, 1}) {
          p->drawLine(QPointF(0, s * 4.0), QPointF(-2, s * 6.0));
          p->drawLine(QPointF(0, s * 4.0), QPointF(2, s * 6.0));
        }
        p->restore();
      }
      break;
    case 11:  // yellow sun on blue
      pm = Blank(kSky);
      p = painter(pm);
      Sun(*p, {8, 8}, 3.8);
      break;
    case 12:  // white cloud on black
    default:
      pm = Blank(Qt::black);
      p = painter(pm);
      Cloud(*p, 1, 4, 14, kWhite, kGrey);
      break;
  }
  delete p;
  return pm;
}

}  // namespace

const QPixmap& TrayPictures::operator[](int index) const {
  static const QPixmap none;
  if (index < 0 || index >= kTrayPictureCount) return none;
  QPixmap& p = drawn_[static_cast<std::size_t>(index)];
  if (p.isNull()) p = Picture(index);
  return p;
}

int TrayPictures::Drawn() const {
  int n = 0;
  for (const QPixmap& p : drawn_) n += p.isNull() ? 0 : 1;
  return n;
}

QPixmap WithWarningMark(const QPixmap& picture) {
  QPixmap marked = picture.copy();
  QPainter p(&marked);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon triangle({QPoint(11, 6), QPoint(15, 15), QPoint(7, 15)});
  p.setPen(QColor(0, 0, 0));
  p.setBrush(QColor(220, 0, 0));
  p.drawPolygon(triangle);
  p.setPen(QColor(255, 255, 255));
  p.drawLine(11, 9, 11, 12);
  p.drawPoint(11, 14);
  return marked;
}

}  // namespace sky::ui
