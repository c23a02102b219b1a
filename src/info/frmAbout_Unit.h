// The about box. Created hidden at start-up and kept for the whole run.
#pragma once

#include "controls/GradForm.h"

namespace sky::ui {

class TfrmAbout : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
};

}  // namespace sky::ui
