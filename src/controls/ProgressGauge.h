// A windowless gauge: percentage text, horizontal or vertical bar, pie or
// needle dial. The range rules live in gauge_logic.h.
#pragma once

#include <QColor>
#include <QWidget>

#include "controls/gauge_logic.h"

namespace sky::ui {

class TProgressGauge : public QWidget {
  Q_OBJECT
 public:
  explicit TProgressGauge(QWidget* parent = nullptr);

  int MinValue() const { return range_.MinValue(); }
  int MaxValue() const { return range_.MaxValue(); }
  int Progress() const { return range_.Progress(); }
  int PercentDone() const { return range_.Percent(); }
  TGaugeKind Kind() const { return kind_; }
  bool ShowText() const { return showText_; }
  bool SingleBorder() const { return singleBorder_; }
  QColor ForeColor() const { return fore_; }
  QColor BackColor() const { return back_; }
  QColor Color() const { return color_; }
  // How many times the gauge has been drawn (lets a caller see that an
  // unchanged percentage did not cause a redraw).
  int PaintCount() const { return paintCount_; }

  void SetMinValue(int v);  // throws EInvalidOperation
  void SetMaxValue(int v);  // throws EInvalidOperation
  void SetProgress(int v);
  void SetKind(TGaugeKind k);
  void SetShowText(bool on);
  void SetSingleBorder(bool on);
  void SetForeColor(const QColor& c);
  void SetBackColor(const QColor& c);
  void SetColor(const QColor& c);

  // The finished picture of the control (what paintEvent copies on screen).
  QImage Render() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Changed();

  GaugeRange range_;
  TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
  bool showText_ = true;
  bool singleBorder_ = true;
  QColor fore_ = Qt::black;
  QColor back_ = Qt::white;
  QColor color_ = QColor(0xC0, 0xC0, 0xC0);  // the form's face colour
  int paintCount_ = 0;
};

}  // namespace sky::ui
