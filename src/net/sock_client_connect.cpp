// The socket client's name look-up and connection (through the proxy when one
// is set), trying each address the name has.
#include "net/SockClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include "common/large_buffer.h"
#include "net/file_handle.h"
#include "net/sock_client_detail.h"

namespace sky {

namespace {

bool IsTransientConnectError(int err) {
  return err == ECONNREFUSED || err == ENETUNREACH || err == EHOSTUNREACH || err == ETIMEDOUT || err == EADDRNOTAVAIL ||
         err == ECONNRESET || err == EAFNOSUPPORT;
}

void SetPort(TSockAddress& a, int port) {
  auto p = htons(static_cast<std::uint16_t>(port));
  if (a.addr.ss_family == AF_INET) reinterpret_cast<sockaddr_in*>(&a.addr)->sin_port = p;
  else if (a.addr.ss_family == AF_INET6) reinterpret_cast<sockaddr_in6*>(&a.addr)->sin6_port = p;
}

}  // namespace

void TSockClient::ResolveHost() {
  ReportStatus(8, "Resolve Host");
  std::string name = Proxy.empty() ? Host : Proxy;
  if (name.size() > 127) name.resize(127);
  addresses_.clear();
  TSockAddress literal;
  if (LiteralAddress(name, literal)) {
    if (!IsNullAddress(literal)) addresses_.push_back(literal);
    return;
  }
  StartTimer();
  lookupDone_ = false;
  asyncOk_ = false;
  auto job = std::make_shared<LookupJob>();
  bool started = false;
  if (!name.empty() && ::pipe2(job->pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    TResolver resolver = CurrentResolver();
    try {
      std::thread([job, resolver, name] {
        int err = 0;
        std::vector<TSockAddress> r;
        try {
          r = resolver(name, err);
        } catch (...) {
          err = sockerr::HostNotFound;
        }
        if (r.empty() && err == 0) err = sockerr::HostNotFound;
        {
          std::lock_guard<std::mutex> lock(job->m);
          job->result = std::move(r);
          job->error = err;
          job->done = true;
        }
        char c = 1;
        (void)!::write(job->pipe[1], &c, 1);
      }).detach();
      started = true;
    } catch (...) {
      // No thread to be had: the lookup fails below as a host not found.
    }
  }
  if (started) {
    lookup_ = job;
    while (!lookupDone_ && !timedOut_ && !cancel_) Pass(WaitKind::Lookup);
    lookup_.reset();
  } else {
    lookupDone_ = true;
    lastErrorNo_ = sockerr::HostNotFound;
  }
  StopTimer();
  if (timedOut_) {
    lastFailure_ = TFailure::LookupTimedOut;
    throw ESockError("Host Lookup Timed Out");
  }
  if (cancel_) throw ESockError("Host Lookup Canceled");
  if (started) {
    std::lock_guard<std::mutex> lock(job->m);
    if (job->done && job->error == 0) {
      addresses_ = job->result;
    } else {
      lastErrorNo_ = job->error;
    }
  }
  if (addresses_.empty() || !asyncOk_) {
    addresses_.clear();
    throw ESockError("Host Lookup Failed");
  }
  if (OnHostResolved) OnHostResolved(this);
}

bool TSockClient::StartConnect(std::size_t index) {
  DropSocketQuietly();
  const TSockAddress& a = addresses_[index];
  int fd = ::socket(a.addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    int err = errno;
    if (err == EAFNOSUPPORT) {
      lastErrorNo_ = SocketErrorFromErrno(err);
      return false;
    }
    CheckSocketError(err);
    return false;
  }
  fd_ = fd;
  haveSocket_ = true;
  if (!firstSocketMade_) {
    // The client's first socket closes with a reset, not a graceful close
    // (linger on, time 0); the fresh sockets after it close normally.
    firstSocketMade_ = true;
    const linger resetOnClose{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
  }
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a.addr), a.len) == 0) {
    connected_ = true;
    StartPeriod();
    Dispatch(OnConnect);
    return true;
  }
  int err = errno;
  if (err == EINPROGRESS || err == EINTR) {
    connecting_ = true;
    return true;
  }
  DropSocketQuietly();
  if (IsTransientConnectError(err)) {
    lastErrorNo_ = SocketErrorFromErrno(err);
    return false;
  }
  CheckSocketError(err);
  return false;
}

void TSockClient::FinishConnect() {
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
  connecting_ = false;
  if (err == 0) {
    connected_ = true;
    asyncOk_ = true;
    StartPeriod();
    Dispatch(OnConnect);
    return;
  }
  lastErrorNo_ = SocketErrorFromErrno(err);
  DropSocketQuietly();
  // Try the host's next address, if any; the last failure ends the wait.
  while (++addressIndex_ < addresses_.size()) {
    try {
      if (StartConnect(addressIndex_)) return;
    } catch (...) {
      // This address cannot be tried; the next one may.
    }
  }
  asyncOk_ = false;
}

void TSockClient::Connect() {
  cancel_ = false;
  StartRequestClock();
  ConnectKeepingCancel();
}

void TSockClient::ConnectKeepingCancel() {
  ReportStatus(8, "Connecting");
  if (connected_ || connecting_) throw ESockError("Already connected");
  // Whatever a former connection left unread or unsent belongs to it.
  recv_.clear();
  readPos_ = readEnd_ = 0;
  send_.clear();
  sendPos_ = 0;
  sendDone_ = true;
  overflow_ = false;
  receiveFailed_ = false;
  writeFailed_ = false;
  truncated_ = false;

  int attempts = 0;
  for (;;) {
    try {
      ResolveHost();
    } catch (const ESockError&) {
      // A lookup that timed out or was cancelled ends the connect; one that
      // failed may still be handled by OnInvalidHost.
      if (timedOut_ || cancel_) throw;
      addresses_.clear();
    }
    if (!addresses_.empty()) break;
    if (attempts == 0 && OnInvalidHost) {
      bool handled = false;
      OnInvalidHost(handled);
      if (handled) {
        ++attempts;
        continue;
      }
    }
    lastFailure_ = TFailure::NoAddress;
    throw ESockError("Null Remote Address");
  }
  int port = Proxy.empty() ? Port : ProxyPort;
  // A port the address cannot carry must not wrap round to another one.
  if (port < 0 || port > 65535) {
    lastErrorNo_ = sockerr::Inval;
    throw ESockError(ErrorText(lastErrorNo_));
  }
  for (auto& a : addresses_) SetPort(a, port);

  lookupDone_ = false;
  asyncOk_ = true;
  addressIndex_ = 0;
  bool started = false;
  while (addressIndex_ < addresses_.size()) {
    if (StartConnect(addressIndex_)) {
      started = true;
      break;
    }
    ++addressIndex_;
  }
  if (!started) asyncOk_ = false;
  StartTimer();
  while (!connected_ && !timedOut_ && !cancel_ && asyncOk_) Pass(WaitKind::Plain);
  StopTimer();
  if (connected_ && !timedOut_ && !cancel_ && asyncOk_) return;
  // A half-made connection is dropped so the client can connect again.
  DropSocketQuietly();
  if (OnConnectionFailed) OnConnectionFailed(this);
  if (timedOut_) {
    lastFailure_ = TFailure::ConnectTimedOut;
    throw ESockError("Connection Timed Out");
  }
  if (cancel_) throw ESockError("Connection Canceled");
  lastFailure_ = TFailure::ConnectFailed;
  throw ESockError("Connection Failed");
}

}  // namespace sky
