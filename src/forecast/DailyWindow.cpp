#include "forecast/DailyWindow.h"

#include <QPalette>

#include "controls/ui_font.h"
#include "forecast/forecast_catalogue.h"

namespace sky::ui {

namespace {

constexpr int kColumnWidth = 112;
const QColor kLime(0, 255, 0), kYellow(255, 255, 0), kTeal(0, 128, 128), kGreen(0, 128, 0), kSilver(192, 192, 192);

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect r, const QColor& fg, int pixels, bool bold = false,
                  bool wrap = false, Qt::Alignment align = Qt::AlignHCenter | Qt::AlignTop) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setTextFormat(Qt::PlainText);  // the texts come from a server
  l->setGeometry(r);
  l->setFont(SansFont(pixels, bold));
  l->setAlignment(align);
  l->setWordWrap(wrap);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, fg);
  l->setPalette(p);
  return l;
}

const ForecastRow& SevenDayRow() { return *FindForecastRow(kDailyForecastKind); }

}  // namespace

TfrmDaily::TfrmDaily(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmDaily");
  setWindowTitle(QString::fromLatin1(SevenDayRow().caption({}).c_str()));
  setFixedSize(kColumnWidth * kDailyDays + 16, 250);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);

  lblDailyHeader = MakeLabel(this, "lblDailyHeader", {0, 0, width(), 20}, kYellow, 13, true, false, Qt::AlignCenter);
  lblDailyHeader->setAutoFillBackground(true);
  QPalette hp = lblDailyHeader->palette();
  hp.setColor(QPalette::Window, kTeal);
  lblDailyHeader->setPalette(hp);
  lblDailyHeader->setText("7-Day Forecast");

  for (int i = 0; i < kDailyDays; ++i) {
    Column& c = columns[static_cast<std::size_t>(i)];
    const int x = 8 + i * kColumnWidth, w = kColumnWidth - 6;
    const QString n = QString::number(i + 1);
    c.name = MakeLabel(this, "lblDayName" + n, {x, 28, w, 17}, kYellow, 12, true);
    c.picture = MakeLabel(this, "imgDaySky" + n, {x + (w - 32) / 2, 48, 32, 32}, kLime, 12);
    c.picture->setScaledContents(true);
    c.sky = MakeLabel(this, "lblDaySky" + n, {x, 84, w, 46}, kLime, 11, false, true);
    c.highLow = MakeLabel(this, "lblDayHighLow" + n, {x, 132, w, 32}, kLime, 11, false, true);
    c.precipitation = MakeLabel(this, "lblDayPrecip" + n, {x, 166, w, 16}, kLime, 11);
    c.wind = MakeLabel(this, "lblDayWind" + n, {x, 184, w, 30}, kLime, 11);
  }
  lblDailySource = MakeLabel(this, "lblDailySource", {8, 216, width() - 16, 14}, kGreen, 10, false, false,
                             Qt::AlignLeft | Qt::AlignVCenter);
  lblDailyStatus = MakeLabel(this, "lblDailyStatus", {8, 232, width() - 16, 16}, kSilver, 11, false, false,
                             Qt::AlignLeft | Qt::AlignVCenter);
}

void TfrmDaily::ShowDaily() {
  show();
  raise();
  activateWindow();
  lblDailyStatus->setText(QString::fromLatin1(SevenDayRow().start));
  repaint();
  const UnitSystem units = hooks.units ? hooks.units() : UnitSystem::US;
  if (!hooks.fetch) return;
  Show(hooks.fetch(), units);
}

void TfrmDaily::Show(const DailyResult& result, UnitSystem units) {
  if (!result.forecast) {
    // What was shown stays; the status line says why nothing new came.
    lblDailyStatus->setText(L1(result.error));
    return;
  }
  shown_ = result.forecast;
  ShowUnits(units);
  lblDailyStatus->setText(result.stale ? L1(StaleText(result.ageSeconds)) : QString("Thank you for using Skyglass..."));
  QPalette p = lblDailyStatus->palette();
  p.setColor(QPalette::WindowText, result.stale ? kYellow : kSilver);
  lblDailyStatus->setPalette(p);
}

void TfrmDaily::ShowUnits(UnitSystem units) {
  if (!shown_) return;
  const DailyForecast& f = *shown_;
  lblDailyHeader->setText(L1("7-Day Forecast for " + f.place));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    Column& c = columns[i];
    const bool has = i < f.days.size();
    for (QLabel* l : {c.name, c.picture, c.sky, c.highLow, c.precipitation, c.wind}) l->setVisible(has);
    if (!has) continue;
    const DailyRow row = ShowDay(f.days[i], units);
    c.name->setText(L1(row.name));
    c.picture->setPixmap(pictures_.value(row.icon));
    c.sky->setText(L1(row.sky));
    c.highLow->setText(L1(row.highLow));
    c.precipitation->setText(L1(row.precipitation));
    // "Wind NW" above its speed: a speed such as "11 to 21 km/h" keeps whole.
    std::string wind = row.wind;
    if (const std::size_t dir = wind.find(' ', 5); dir != std::string::npos) wind[dir] = '\n';
    c.wind->setText(L1(wind));
  }
  lblDailySource->setText(L1("Forecast by " + f.source + (f.issued.empty() ? "" : ", made " + f.issued)));
}

}  // namespace sky::ui
