// The three colour commands of the main window's preferences menu: the shared
// colour dialog picks a colour, the main window's apply step shows it and the
// store keeps it as colour text.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/ports.h"
#include "settings/colors.h"

namespace sky {

enum class ColorCommand {
  LabelColor,      // "&Label Color": background of the caption labels
  LabelFontColor,  // "Label &Font Color": text of the caption labels
  StatsFontColor,  // "Stats &Font Color": text of the value labels
};

// The setting a command writes (the label font colour is written under the
// spelling "Labelfcolor"; names compare without regard to case).
const char* ColorSettingName(ColorCommand command);
// The message when the colour dialog cannot be opened.
const char* ColorDialogFailureText(ColorCommand command);

// The colour dialog as the commands see it.
class IColorDialogPort {
 public:
  enum class Answer { Chosen, Cancelled, Failed };
  virtual ~IColorDialogPort() = default;
  // Opens on `color`, the current colour of what is being changed; on
  // Chosen, `color` holds the choice.
  virtual Answer Execute(TColor& color) = 0;
};

// Runs one command, the dialog opening on `current` (the colour the command's
// labels have now): on a choice, the colour text goes to `apply` and then to
// the store; a cancel does nothing; a dialog that cannot open shows the
// command's failure text. Returns the stored colour text, if any. Throws what
// the store throws.
std::optional<std::string> RunColorCommand(ColorCommand command, IColorDialogPort& dialog,
                                           const std::function<void(const std::string&)>& apply, IMessagePort* messages,
                                           TColor current = clBlack);

}  // namespace sky
