#include "info/frmAbout_Unit.h"

namespace sky::ui {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About Skyglass");
}

}  // namespace sky::ui
