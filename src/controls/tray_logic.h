// The bookkeeping of the notification-area icon: which call the shell gets
// (add, modify or delete), the 63-character limit of the tip, and skipping a
// repeated tip. The Qt layer (OnTray.h) only carries out the calls.
#pragma once

#include <string>

namespace sky {

enum class TrayCommand { Add = 0, Modify = 1, Delete = 2 };

// The shell side of the icon. `tip` is the record's tip (at most 63 bytes).
class ITrayShell {
 public:
  virtual ~ITrayShell() = default;
  virtual void Notify(TrayCommand command, const std::string& tip) = 0;
};

inline constexpr std::size_t kTrayTipMax = 63;

// The tip as the desktop's tray is given it. The conditions tip joins sky and
// temperature with " && ", written for tips that show "&&" as one "&"; Qt's
// tips show both, so each "&&" becomes one "&" here, where the text meets the
// tray. A single "&" stays.
std::string TrayTipShown(const std::string& tip);

class TrayRecord {
 public:
  explicit TrayRecord(ITrayShell& shell) : shell_(shell) {}

  const std::string& Hint() const { return hint_; }
  const std::string& Tip() const { return tip_; }
  bool Active() const { return active_; }
  bool InTray() const { return inTray_; }

  // A different text goes to the tip (cut to 63 characters) and the shell is
  // told; the same text again changes nothing.
  void SetHint(const std::string& text);
  void SetActive(bool active);
  // Whether an icon picture is set; an empty picture takes the icon out.
  void SetHasIcon(bool has_icon) { hasIcon_ = has_icon; }
  void Update();

 private:
  ITrayShell& shell_;
  std::string hint_;
  std::string tip_;
  bool active_ = false;
  bool hasIcon_ = false;
  bool inTray_ = false;
};

}  // namespace sky
