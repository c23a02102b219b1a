// The forecast window. Created hidden at start-up and kept for the whole run.
#pragma once

#include "controls/GradForm.h"

namespace sky::ui {

class TfrmForecast : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmForecast(QWidget* parent = nullptr);
};

}  // namespace sky::ui
