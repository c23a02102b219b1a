// The preferences dialog. Created hidden at start-up and kept for the whole run.
#pragma once

#include "controls/GradForm.h"

namespace sky::ui {

class TfrmPref : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmPref(QWidget* parent = nullptr);
};

}  // namespace sky::ui
