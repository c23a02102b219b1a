#include "settings/Unit_pref.h"

namespace sky::ui {

TfrmPref::TfrmPref(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmPref");
  SetBorderStyle(TBorderStyle::bsSingle);
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clWhite);
  SetGradientInactiveStartColor(clBlue);
  SetGradientInactiveStopColor(clNavy);
  SetCaption("Skyglass - Preferences");
  SetClientSize(516, 351);
}

}  // namespace sky::ui
