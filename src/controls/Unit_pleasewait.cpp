#include "controls/Unit_pleasewait.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "controls/ui_font.h"

namespace sky::ui {

TfrmPleaseWait::TfrmPleaseWait(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("frmPleaseWait");
  setFixedSize(191, 171);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);

  lblPleaseWait = new QLabel("Please wait...           loading information...", this);
  lblPleaseWait->setObjectName("lblPleaseWait");
  // Tall enough for both lines with their descenders, still clear of the gauge.
  lblPleaseWait->setGeometry(7, 8, 177, 46);
  lblPleaseWait->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lblPleaseWait->setWordWrap(true);
  lblPleaseWait->setFont(SansFont(16));
  QPalette lp = lblPleaseWait->palette();
  lp.setColor(QPalette::WindowText, Qt::white);
  lblPleaseWait->setPalette(lp);

  Gauge1 = new TProgressGauge(this);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setGeometry(24, 56, 150, 100);
  Gauge1->SetKind(TGaugeKind::gkNeedle);
  Gauge1->SetBackColor(QColor(0x00, 0x00, 0x80));
  Gauge1->SetForeColor(QColor(0x00, 0xFF, 0x00));
  Gauge1->SetColor(Qt::black);
  Gauge1->SetProgress(0);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect g = screen->geometry();
    move(g.x() + g.width() / 2 - width() / 2, g.y() + g.height() / 2 - height() / 2);
  }
  show();
  repaint();
  QCoreApplication::processEvents();
}

void TfrmPleaseWait::SetProgress(int value) {
  Gauge1->SetProgress(value);
  if (isVisible()) Gauge1->repaint();
}

}  // namespace sky::ui
