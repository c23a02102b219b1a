#include "forecast/Unit_frmforecast.h"

namespace sky::ui {

TfrmForecast::TfrmForecast(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmForecast");
  setWindowTitle("Skyglass");
}

}  // namespace sky::ui
