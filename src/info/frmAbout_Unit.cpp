#include "info/frmAbout_Unit.h"

namespace sky::ui {

TfrmAbout::TfrmAbout(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmAbout");
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clBlack);
  SetCaption("About Skyglass");
}

}  // namespace sky::ui
