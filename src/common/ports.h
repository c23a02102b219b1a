// What the core shows to the user goes through these small interfaces, so the
// whole flow runs in tests and in the terminal companion without a display.
// The Qt windows implement them; tests implement them with recorders.
#pragma once

#include <string>

namespace sky {

// Modal boxes with the application title as caption and an OK button.
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  // A plain message box (text and OK).
  virtual void ShowMessage(const std::string& text) = 0;
  // The framework's standard error box for an exception that ended an operation.
  virtual void ShowError(const std::string& text) = 0;
  // A box with Yes and No; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The system beep.
  virtual void Beep() = 0;
};

// Stands in for a message port a caller did not give: shows nothing, answers
// No to every question.
class NullMessages final : public IMessagePort {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
};
inline IMessagePort& NullMessagePort() {
  static NullMessages port;
  return port;
}

// One line of progress text (the main window's status line, or the forecast
// window's status bar).
class IStatusPort {
 public:
  virtual ~IStatusPort() = default;
  virtual void SetStatus(const std::string& text) = 0;
};

// A window that can show what changed before a long operation goes on.
class IRepaintPort {
 public:
  virtual ~IRepaintPort() = default;
  // Repaint now (the status texts become visible during long operations).
  virtual void Repaint() = 0;
};

}  // namespace sky
