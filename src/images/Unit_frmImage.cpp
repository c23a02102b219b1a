#include "images/Unit_frmImage.h"

namespace sky::ui {

TfrmImage::TfrmImage(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmImage");
  setWindowTitle("Skyglass");
  resize(332, 316);
}

}  // namespace sky::ui
