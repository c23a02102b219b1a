#include "controls/tray_logic.h"

namespace sky {

std::string TrayTipShown(const std::string& tip) {
  std::string shown;
  shown.reserve(tip.size());
  for (std::size_t i = 0; i < tip.size(); ++i) {
    shown += tip[i];
    if (tip[i] == '&' && i + 1 < tip.size() && tip[i + 1] == '&') ++i;
  }
  return shown;
}

void TrayRecord::SetHint(const std::string& text) {
  if (text != hint_) {
    tip_ = text.substr(0, kTrayTipMax);
    hint_ = text;
    Update();
  }
}

void TrayRecord::SetActive(bool active) {
  active_ = active;
  Update();
}

void TrayRecord::Update() {
  TrayCommand cmd = TrayCommand::Delete;
  bool in_tray = false;
  if (active_ && hasIcon_) {
    cmd = inTray_ ? TrayCommand::Modify : TrayCommand::Add;
    in_tray = true;
  }
  // Deleting an icon that was never added is harmless to the shell, and the
  // record keeps no handle afterwards, so the next activation adds it again.
  inTray_ = in_tray;
  shell_.Notify(cmd, tip_);
}

}  // namespace sky
