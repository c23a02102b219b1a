// One running program per user and display: the first start holds a lock file
// and listens on a local socket beside it; a later start on the same display
// finds the lock taken, asks the running program to come to the front and
// ends. Files live in $XDG_RUNTIME_DIR (else the temporary folder), named by
// user and display, so other displays and other users run their own copy.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace sky::ui {

// "u1000-x11-_0" for user 1000 on DISPLAY ":0"; the Wayland display where
// there is one, "none" without either.
QString InstanceKey();

class SingleInstance {
 public:
  // `key` names the instance (InstanceKey() for the program); `folder`
  // holds the lock and the socket (empty: the runtime folder).
  explicit SingleInstance(const QString& key, const QString& folder = QString());
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the first instance: the lock is held and `raise` runs
  // whenever a later start asks. False when another holds it; that one has
  // then been asked to come to the front (if it answers within a second).
  bool Claim(std::function<void()> raise);
  // Whether the running instance took the request (after a failed Claim).
  bool Delivered() const { return delivered_; }
  QString SocketPath() const { return base_ + ".sock"; }

 private:
  QString base_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
  bool delivered_ = false;
};

}  // namespace sky::ui
