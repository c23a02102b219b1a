#include "controls/ColorDialog.h"

#include <QColorDialog>

namespace sky::ui {

namespace {
TColor gLast = clBlack;
}

TColor TColorDialogPort::LastColor() { return gLast; }

std::function<IColorDialogPort::Answer(TColor&)>& TColorDialogPort::AnswerForTests() {
  static std::function<Answer(TColor&)> f;
  return f;
}

IColorDialogPort::Answer TColorDialogPort::Execute(TColor& color) {
  if (AnswerForTests()) {
    color = gLast;
    const Answer a = AnswerForTests()(color);
    if (a == Answer::Chosen) gLast = color;
    return a;
  }
  const Rgb start = ColorToRgb(gLast);
  QColorDialog dialog(QColor(start.r, start.g, start.b), parent_);
  dialog.setOption(QColorDialog::ShowAlphaChannel, false);
  dialog.setOption(QColorDialog::DontUseNativeDialog, true);
  if (dialog.exec() != QDialog::Accepted) return Answer::Cancelled;
  const QColor c = dialog.selectedColor();
  if (!c.isValid()) return Answer::Failed;
  color = RgbToColor(Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                         static_cast<std::uint8_t>(c.blue())});
  gLast = color;
  return Answer::Chosen;
}

}  // namespace sky::ui
