#include "images/Unit_frmImage.h"

namespace sky::ui {

TfrmImage::TfrmImage(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmImage");
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clBlack);
  SetCaption("Skyglass ");
  resize(332, 316);
}

}  // namespace sky::ui
