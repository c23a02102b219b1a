// One running program per user and display: the first start holds a lock file
// and listens on a local socket beside it; a later start on the same display
// finds the lock taken, asks the running program to come to the front and
// ends. Files live in $XDG_RUNTIME_DIR (else the temporary folder), named by
// user and display, so other displays and other users run their own copy.
//
// Plain POSIX underneath (an flock()ed file, an AF_UNIX socket): the kernel
// drops the lock of a program that died, so a crash never blocks the next
// start, and the program needs no network library for it.
#pragma once

#include <QString>
#include <functional>
#include <memory>

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
  // (from the event loop) whenever a later start asks. Also true when no
  // lock can be had at all (a folder we may not write, a file of another
  // user): a guard that cannot work must not keep the program from starting.
  // False when another holds it; that one has then been asked to come to the
  // front (its answer is awaited a second at most).
  bool Claim(std::function<void()> raise);
  // Whether the running instance answered that it took the request (after a
  // failed Claim).
  bool Delivered() const { return delivered_; }
  QString SocketPath() const { return base_ + ".sock"; }

 private:
  class Server;
  QString base_;
  int lockFd_ = -1;
  std::unique_ptr<Server> server_;
  bool delivered_ = false;
};

}  // namespace sky::ui
