// One request at a time through the main window's HTTP client. Its wait keeps
// the menus and timers alive, so a second fetch could start in the middle of
// the first; instead it is turned away with a status text and the first one
// runs to its end undisturbed.
#pragma once

namespace sky {

inline constexpr const char* kBusyText = "Busy - please wait for the current request...";

class FetchGate {
 public:
  bool Busy() const { return busy_; }

  // Holds the gate for one fetch; `Entered()` is false when another fetch
  // already holds it (and then nothing is released at the end).
  class Hold {
   public:
    explicit Hold(FetchGate& gate) : gate_(gate), entered_(!gate.busy_) { gate_.busy_ = true; }
    ~Hold() {
      if (entered_) gate_.busy_ = false;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    bool Entered() const { return entered_; }

   private:
    FetchGate& gate_;
    bool entered_;
  };

 private:
  bool busy_ = false;
};

}  // namespace sky
