// The program's one colour dialog, shared by the main window's colour
// commands and the forecast window's background colour: it opens on the
// current colour of what is being changed, fully expanded, with solid colours
// only.
#pragma once

#include <QColor>
#include <functional>
#include <optional>

#include "settings/color_commands.h"

class QWidget;

namespace sky::ui {

class TSharedColorDialog : public IColorDialogPort {
 public:
  static TSharedColorDialog& Instance();

  // IColorDialogPort: runs the dialog modally over the active window, opening
  // on `color`.
  Answer Execute(TColor& color) override;
  // The same, for Qt callers: the chosen colour, or nothing on cancel (and on
  // failure, which `failed` then reports).
  std::optional<QColor> Choose(QWidget* parent, const QColor& initial, bool* failed = nullptr);

  // The colour chosen last.
  QColor LastColor() const { return last_; }
  void SetLastColor(const QColor& c) { last_ = c; }

  // Tests answer in place of the user: given the colour the dialog would open
  // on, a colour (chosen) or nothing (cancelled). `failNext` makes the next
  // opening fail.
  std::function<std::optional<QColor>(const QColor& initial)> answerer;
  bool failNext = false;

 private:
  TSharedColorDialog() = default;
  QColor last_ = Qt::black;
};

// Plain colour values (0x00BBGGRR) and Qt colours.
QColor QColorOf(TColor color);
TColor TColorOf(const QColor& color);

}  // namespace sky::ui
