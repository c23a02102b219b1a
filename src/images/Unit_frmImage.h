// The image viewer. Created hidden at start-up and kept for the whole run.
#pragma once

#include "controls/GradForm.h"

namespace sky::ui {

class TfrmImage : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmImage(QWidget* parent = nullptr);
};

}  // namespace sky::ui
