// The preset items of the Get Stats menu as the presets see them.
#pragma once

#include <string>

namespace sky {

// The twenty preset items of the Get Stats menu (slots 0..19).
inline constexpr int kPresetSlots = 20;

class IPresetMenuPort {
 public:
  virtual ~IPresetMenuPort() = default;
  virtual void SetPresetItem(int slot, const std::string& caption, bool visible) = 0;
};

}  // namespace sky
