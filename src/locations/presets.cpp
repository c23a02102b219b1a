#include "locations/presets.h"

#include <algorithm>

#include "common/text.h"
#include "locations/US_cities.h"
#include "settings/ini_proc.h"

namespace sky {

namespace {
// A bound on how far a hand-edited store is read, so a damaged section can
// never make a loop run on.
constexpr int kReadLimit = 1000;
}  // namespace

std::string PresetValueName(int slot) { return settings::kPresetValuePrefix + std::to_string(slot); }

Presets::Presets(IMessagePort* messages, IPresetMenuPort* menu, std::function<void()> repaint)
    : messages_(messages), menu_(menu), repaint_(std::move(repaint)) {}

void Presets::Repaint() {
  if (repaint_) repaint_();
}

std::vector<std::string> Presets::Stored() const {
  std::vector<std::string> names;
  for (int slot = 0; slot < kReadLimit; ++slot) {
    std::string name = ReadSetting(kSectionLocations, PresetValueName(slot));
    if (name == kNA) break;
    names.push_back(std::move(name));
  }
  return names;
}

void Presets::LoadPresetMenu() {
  for (int slot = 0; slot < kPresetSlots; ++slot) {
    std::string name = ReadSetting(kSectionLocations, PresetValueName(slot));
    if (name == kNA) break;
    ShowPresetInMenu(slot, name);
  }
}

void Presets::ShowPresetInMenu(int slot, const std::string& name) {
  if (slot < 0 || slot >= kPresetSlots || menu_ == nullptr) return;
  menu_->SetPresetItem(slot, name, true);
}

void Presets::AddPreset(bool silent, CurrentLocation& loc, const std::string& pageTitle) {
  if (silent) return;
  // The free slot is sought before the name is compared: with twenty
  // presets even a click on a stored one shows the limit message.
  int freeSlot = -1;
  for (int slot = 0; slot < kPresetSlots; ++slot) {
    if (ReadSetting(kSectionLocations, PresetValueName(slot)) == kNA) {
      freeSlot = slot;
      break;
    }
  }
  if (freeSlot < 0) {
    if (messages_) messages_->ShowMessage(kPresetLimitMessage);
    return;
  }

  // A foreign or zip place is named from the page's own title. A page that
  // gave none (a parse error) leaves nothing to name it by: storing " (O)" or
  // another place's title would make a preset that fetches the wrong place
  // or nothing at all.
  const bool needsTitle = loc.Zip.size() >= 2 || IsForeignRegion(loc.Region);
  if (needsTitle && Trim(pageTitle).empty()) return;

  std::string name;
  if (loc.Zip.size() >= 2) {
    TitleState t = StateCodeFromTitle(pageTitle);
    // A title without a known state leaves the zip's own.
    if (!t.code.empty()) loc.Region = t.code;
    name = loc.Zip + " - " + t.city + ", " + t.code;
  } else if (IsForeignRegion(loc.Region)) {
    name = ForeignLocationName(pageTitle);
  } else {
    name = UsLocationName(loc.City, loc.Region);
  }

  for (int slot = 0; slot < kPresetSlots; ++slot) {
    std::string stored = ReadSetting(kSectionLocations, PresetValueName(slot));
    if (stored == kNA) break;
    if (stored == name) {
      loc.LocationName = name;
      return;
    }
  }
  loc.LocationName = name;
  WriteSetting(kSectionLocations, PresetValueName(freeSlot), name);
  if (messages_) messages_->ShowMessage(kPresetAddedMessage + name);
  ShowPresetInMenu(freeSlot, name);
  Repaint();
}

void Presets::ClearPresets() {
  EraseSection(kSectionLocations);
  if (messages_) messages_->Beep();
  if (menu_)
    for (int slot = 0; slot < kPresetSlots; ++slot) menu_->SetPresetItem(slot, "", false);
  Repaint();
}

void Presets::RebuildPresets(bool removeMode, const std::string& requestText) {
  std::vector<std::string> names;
  for (std::string& name : Stored())
    if (!removeMode || name != requestText) names.push_back(std::move(name));
  // Case decides only between names that are otherwise equal.
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string la = LowerAscii(a), lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
  ClearPresets();
  for (std::size_t i = 0; i < names.size(); ++i) {
    int slot = static_cast<int>(i);
    WriteSetting(kSectionLocations, PresetValueName(slot), names[i]);
    ShowPresetInMenu(slot, names[i]);
  }
  if (messages_) messages_->Beep();
}

bool Presets::ConfirmRemove() {
  if (messages_ == nullptr || !messages_->Confirm(kRemoveConfirmMessage)) return false;
  messages_->ShowMessage(kRemoveSelectMessage);
  return true;
}

}  // namespace sky
