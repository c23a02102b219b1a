#include "settings/color_commands.h"

#include "settings/ini_proc.h"
#include "settings/settings_names.h"
#include "settings/settings_names.h"

namespace sky {

const char* ColorSettingName(ColorCommand command) {
  switch (command) {
    case ColorCommand::LabelColor: return settings::kLabelColor;
    case ColorCommand::LabelFontColor: return settings::kLabelFontColorWritten;
    case ColorCommand::StatsFontColor: return settings::kStatsFontColor;
  }
  return "";
}

const char* ColorDialogFailureText(ColorCommand command) {
  return command == ColorCommand::LabelColor ? "Error - Color selection dialog failed to load"
                                             : "Error - Color selection dialog failed to load.";
}

std::optional<std::string> RunColorCommand(ColorCommand command, IColorDialogPort& dialog,
                                           const std::function<void(const std::string&)>& apply, IMessagePort* messages,
                                           TColor current) {
  TColor color = current;
  switch (dialog.Execute(color)) {
    case IColorDialogPort::Answer::Cancelled: return std::nullopt;
    case IColorDialogPort::Answer::Failed:
      if (messages) messages->ShowMessage(ColorDialogFailureText(command));
      return std::nullopt;
    case IColorDialogPort::Answer::Chosen: break;
  }
  const std::string text = ColorToString(color);
  if (apply) apply(text);
  WriteSetting(kSectionSettings, ColorSettingName(command), text);
  return text;
}

}  // namespace sky
