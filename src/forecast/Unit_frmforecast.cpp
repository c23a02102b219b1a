#include "forecast/Unit_frmforecast.h"

namespace sky::ui {

TfrmForecast::TfrmForecast(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmForecast");
  SetBorderStyle(TBorderStyle::bsSingle);
  SetBorderIcons({true, true, false, false});  // a fixed window: no maximise
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clBlack);
  SetCaption("Skyglass - Forecast");
  SetClientSize(486, 313);
}

}  // namespace sky::ui
