#include "settings/Unit_pref.h"

namespace sky::ui {

TfrmPref::TfrmPref(QWidget* parent) : QDialog(parent) {
  setObjectName("frmPref");
  setWindowTitle("Skyglass - Preferences");
  setFixedSize(516, 351);
}

}  // namespace sky::ui
