// The program's one colour dialog, shared by the forecast window's
// background command and the main window's colour commands: it opens on the
// colour last chosen in it, fully expanded, solid colours only.
#pragma once

#include <functional>

#include "settings/color_commands.h"

class QWidget;

namespace sky::ui {

class TColorDialogPort : public IColorDialogPort {
 public:
  explicit TColorDialogPort(QWidget* parent = nullptr) : parent_(parent) {}
  Answer Execute(TColor& color) override;

  // The colour the dialog opens on next (shared by every user).
  static TColor LastColor();
  // Tests answer the dialog without showing it.
  static std::function<Answer(TColor& color)>& AnswerForTests();

 private:
  QWidget* parent_;
};

}  // namespace sky::ui
