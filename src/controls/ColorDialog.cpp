#include "controls/ColorDialog.h"

#include <QApplication>
#include <QColorDialog>

namespace sky::ui {

TSharedColorDialog& TSharedColorDialog::Instance() {
  static TSharedColorDialog dialog;
  return dialog;
}

std::optional<QColor> TSharedColorDialog::Choose(QWidget* parent, const QColor& initial, bool* failed) {
  if (failed) *failed = false;
  if (failNext) {
    failNext = false;
    if (failed) *failed = true;
    return std::nullopt;
  }
  std::optional<QColor> chosen;
  if (answerer) {
    chosen = answerer(initial);
  } else {
    QColorDialog dialog(initial, parent ? parent : QApplication::activeWindow());
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedColor();
  }
  if (chosen && chosen->isValid()) {
    last_ = *chosen;
    return chosen;
  }
  return std::nullopt;
}

IColorDialogPort::Answer TSharedColorDialog::Execute(TColor& color) {
  bool failed = false;
  const std::optional<QColor> c = Choose(nullptr, QColorOf(color), &failed);
  if (failed) return Answer::Failed;
  if (!c) return Answer::Cancelled;
  color = TColorOf(*c);
  return Answer::Chosen;
}

QColor QColorOf(TColor color) {
  const Rgb rgb = ColorToRgb(color);
  return QColor(rgb.r, rgb.g, rgb.b);
}

TColor TColorOf(const QColor& color) {
  return RgbToColor(Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                        static_cast<std::uint8_t>(color.blue())});
}

}  // namespace sky::ui
