// "Forecasts > 7-Day Forecast": the seven days of the current place in the
// look of the conditions area (black, lime values, the sky pictures of the
// tray). The window only copies the core's texts (forecast/daily.h) into its
// labels; fetching is its hook's business.
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <optional>
#include <functional>
#include <string>

#include "common/units.h"
#include "controls/tray_pictures.h"
#include "forecast/daily.h"

namespace sky::ui {

struct DailyHooks {
  // Fetches the forecast of the place shown in the main window.
  std::function<DailyResult()> fetch;
  // The units to show in.
  std::function<UnitSystem()> units;
};

class TfrmDaily : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmDaily(QWidget* parent = nullptr);

  DailyHooks hooks;
  // The menu command: shows the window, fetches and fills it.
  void ShowDaily();
  // Fills the window from a result (an error shows in the status line).
  void Show(const DailyResult& result, UnitSystem units);
  // Shows the last forecast again in other units.
  void ShowUnits(UnitSystem units);

  struct Column {
    QLabel* name = nullptr;
    QLabel* picture = nullptr;
    QLabel* sky = nullptr;
    QLabel* highLow = nullptr;
    QLabel* precipitation = nullptr;
    QLabel* wind = nullptr;
  };
  QLabel* lblDailyHeader = nullptr;
  std::array<Column, kDailyDays> columns{};
  QLabel* lblDailySource = nullptr;
  QLabel* lblDailyStatus = nullptr;

 private:
  TrayPictures pictures_;
  std::optional<DailyForecast> shown_;
};

}  // namespace sky::ui
