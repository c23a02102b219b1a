#include "net/SockClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include "common/large_buffer.h"
#include "net/file_handle.h"

namespace sky {

// ---------------------------------------------------------------- globals

namespace {

std::function<void()>& HookSlot() {
  static std::function<void()> hook;
  return hook;
}

constexpr std::size_t kChunk = 16383;
constexpr int kChunksPerPass = 64;
// During a transfer the message pump runs no more often than this; a pass
// that waited idle on poll runs it every time.
constexpr auto kPumpInterval = std::chrono::milliseconds(4);
// The longest one wait on the socket lasts: a ready socket wakes it at once,
// so this only sets how often an idle wait checks its timers and pumps the
// window's messages (100 times a second keeps a window smooth, and an idle
// wait costs well under 1 % of a core).
constexpr int kIdleSliceMs = 10;
// After the announced length has arrived, how long a capture still waits for
// the peer to close before it ends on its own.
constexpr auto kCloseGrace = std::chrono::milliseconds(200);

// Once the announced length has arrived, the capture gives the peer a short
// while to close and then ends on its own (proxies asked for keep-alive hold
// the connection open).
class CloseGrace {
 public:
  explicit CloseGrace(std::int64_t expected) : expected_(expected) {}
  bool Over(std::int64_t have) {
    if (expected_ <= 0 || have < expected_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (!started_) {
      started_ = true;
      start_ = now;
      return false;
    }
    return now - start_ >= kCloseGrace;
  }

 private:
  std::int64_t expected_;
  bool started_ = false;
  std::chrono::steady_clock::time_point start_;
};

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

void SetMessagePumpHook(std::function<void()> hook) { HookSlot() = std::move(hook); }
const std::function<void()>& MessagePumpHook() { return HookSlot(); }

// ---------------------------------------------------------------- client

TSockClient::TSockClient() {
  ReportStatus(8, "Create");
  timer_.SetEnabled(false);
  timer_.OnTimer = [this](TThreadTimer*) { TimerFired(); };
  StartRequestClock();
  StartPeriod();
  ReportStatus(8, "Initializing Winsock");
  rlimit rl{};
  long maxSockets = getrlimit(RLIMIT_NOFILE, &rl) == 0 ? static_cast<long>(rl.rlim_cur) : 1024;
  info_ = {"Version= 1.1",
           "High Version= 2.2",
           "Description= POSIX sockets",
           "System= Running",
           "Max Sockets= " + std::to_string(maxSockets),
           "Max Udp pack size= 65507"};
}

TSockClient::~TSockClient() {
  // The owner's handlers may already be gone: no events from here on.
  destroying_ = true;
  OnStatus = nullptr;
  OnDisconnect = nullptr;
  cancel_ = true;
  lookup_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TSockClient::ReportStatus(int level, const std::string& text) {
  if (level > ReportLevel) return;
  lastStatus_ = text;
  if (OnStatus) OnStatus(this, text);
}

std::string TSockClient::ErrorText(int errorNo) {
  ReportStatus(8, "Looking Up Error Message");
  return SocketErrorText(errorNo);
}

void TSockClient::CheckSocketError(int err) {
  ReportStatus(16, "Checking Error In Error Manager");
  lastErrorNo_ = SocketErrorFromErrno(err);
  if (lastErrorNo_ == sockerr::WouldBlock) return;
  std::string text = ErrorText(lastErrorNo_);
  if (OnSocketError) OnSocketError(this, lastErrorNo_, text);
  lastFailure_ = TFailure::SocketError;
  throw ESockError(text);
}

void TSockClient::Dispatch(const TSockNotify& e) {
  // Handlers run inside the notification handling, which must not unwind
  // half-way through a step.
  if (!e) return;
  try {
    e(this);
  } catch (...) {
    // The handler's failure is its own; the step goes on.
  }
}

void TSockClient::Cancel() {
  ReportStatus(8, "Canceling");
  cancel_ = true;
}

void TSockClient::StartTimer() {
  ReportStatus(8, "Timer On");
  timedOut_ = false;
  timer_.SetInterval(TimeOut > 0 ? static_cast<unsigned>(TimeOut) : 0);
  timer_.SetEnabled(true);
}

void TSockClient::StopTimer() {
  ReportStatus(8, "Timer Off");
  timer_.SetEnabled(false);
}

void TSockClient::TimerFired() {
  ReportStatus(8, "Timer Triggered");
  StopTimer();
  timedOut_ = true;
  Abort();
}

void TSockClient::StartPeriod() {
  periodStart_ = std::chrono::steady_clock::now();
  periodBytes_ = 0;
  lastMove_ = periodStart_;
}

void TSockClient::ResumePeriod() {
  if (TimeOut > 0 && std::chrono::steady_clock::now() - lastMove_ >= std::chrono::milliseconds(TimeOut))
    lastMove_ = std::chrono::steady_clock::now();
  if (TimeOut > 0 && std::chrono::steady_clock::now() - periodStart_ >= std::chrono::milliseconds(TimeOut))
    StartPeriod();
}

void TSockClient::StartRequestClock() {
  requestStart_ = std::chrono::steady_clock::now();
  timeOutCause_ = TTimeOutCause::None;
  lastFailure_ = TFailure::None;
}

void TSockClient::ThrowAborted(const char* text, TFailure how) {
  lastFailure_ = how;
  throw EAbortError(text);
}

bool TSockClient::DeadlinePassed() {
  constexpr long long kLongest = 15 * 60 * 1000;
  long long limit = MaxRequestTime;
  if (limit <= 0) limit = TimeOut > 0 ? std::min(10LL * TimeOut, kLongest) : kLongest;
  return std::chrono::steady_clock::now() - requestStart_ >= std::chrono::milliseconds(limit);
}

void TSockClient::TimeOutBy(TTimeOutCause cause) {
  ReportStatus(8, "Timer Triggered");
  timeOutCause_ = cause;
  timedOut_ = true;
  Abort();
}

bool TSockClient::TransferExpired(bool socketReady) {
  if (timedOut_) return false;
  if (DeadlinePassed()) {
    TimeOutBy(TTimeOutCause::Deadline);
    return true;
  }
  if (TimeOut <= 0) return false;
  const auto now = std::chrono::steady_clock::now();
  const auto timeOut = std::chrono::milliseconds(TimeOut);
  // A whole TimeOut without a byte is silence, however busy the period was
  // before it: otherwise the request's own bytes would buy a silent server
  // a second period.
  if (!socketReady && now - lastMove_ >= timeOut) {
    TimeOutBy(TTimeOutCause::Silence);
    return true;
  }
  if (now - periodStart_ < timeOut) return false;
  if (periodBytes_ >= StallBytes || socketReady) {
    // Enough came in this period (or is waiting to be read): a new one begins.
    if (periodBytes_ >= StallBytes) {
      periodStart_ = now;
      periodBytes_ = 0;
    }
    return false;
  }
  // A trickle of a few bytes a period keeps no request alive.
  TimeOutBy(periodBytes_ == 0 ? TTimeOutCause::Silence : TTimeOutCause::Stall);
  return true;
}

void TSockClient::Pass(WaitKind kind) {
  pollfd fds[2];
  nfds_t n = 0;
  int sockIdx = -1, lookIdx = -1;
  if (fd_ >= 0 && (connected_ || connecting_)) {
    short ev = 0;
    if (connecting_) {
      ev = POLLOUT;
    } else {
      if (!cancel_) ev |= POLLIN;
      if (!sendDone_ && !cancel_) ev |= POLLOUT;
    }
    fds[n] = pollfd{fd_, ev, 0};
    sockIdx = static_cast<int>(n++);
  }
  if (kind == WaitKind::Lookup && lookup_) {
    fds[n] = pollfd{lookup_->pipe[0], POLLIN, 0};
    lookIdx = static_cast<int>(n++);
  }
  int rc;
  if (moreToRead_ && sockIdx >= 0 && lookIdx < 0 && fds[sockIdx].events == POLLIN) {
    // The previous pass left data waiting: asking poll again would only
    // repeat what it said then.
    fds[sockIdx].revents = POLLIN;
    rc = 1;
  } else {
    rc = ::poll(n ? fds : nullptr, n, kIdleSliceMs);
  }
  moreToRead_ = false;
  const bool socketReady = rc > 0 && sockIdx >= 0 && fds[sockIdx].revents != 0;
  if (rc > 0) {
    if (lookIdx >= 0 && fds[lookIdx].revents) {
      char c;
      (void)!::read(lookup_->pipe[0], &c, 1);
      std::lock_guard<std::mutex> lock(lookup_->m);
      if (lookup_->done) {
        lookupDone_ = true;
        asyncOk_ = lookup_->error == 0;
      }
    }
    if (sockIdx >= 0 && fds[sockIdx].revents) {
      short re = fds[sockIdx].revents;
      if (connecting_) {
        FinishConnect();
      } else if (connected_) {
        if (re & (POLLIN | POLLHUP | POLLERR)) {
          // Drain what the socket holds (bounded, so the message pump
          // still gets its turn), instead of waking once per chunk.
          for (int i = 0; connected_; ++i) {
            if (!captureFile_ && recv_.size() + (sink_ ? sink_->size() : 0) >= MaxBufferedBytes) {
              overflow_ = true;
              break;
            }
            if (captureFile_ && receivedBytes_ > MaxFileBytes) {
              overflow_ = true;
              break;
            }
            if (i == kChunksPerPass) {
              moreToRead_ = true;
              break;
            }
            if (!ReceiveStep() || cancel_) break;
          }
        }
        if (connected_ && (re & POLLOUT)) SendStep();
      }
    }
  }
  if (kind == WaitKind::Transfer) {
    // A silent or trickling peer, or a request past its deadline: end the
    // wait as an abort would.
    TransferExpired(socketReady);
  } else if (TimeOut > 0 && !timedOut_ && DeadlinePassed()) {
    // Lookups and connection set-ups of redirects count towards it too.
    TimeOutBy(TTimeOutCause::Deadline);
  }
  try {
    timer_.Check();
  } catch (...) {
    // A wait pass must finish: the timer's handler only raises flags the
    // wait loops read.
  }
  const auto& hook = MessagePumpHook();
  if (hook && (rc == 0 || std::chrono::steady_clock::now() - lastPump_ >= kPumpInterval)) {
    lastPump_ = std::chrono::steady_clock::now();
    try {
      hook();
    } catch (...) {
      // The owner's event handling reports its own errors; it must not
      // unwind through the socket's state half-way through a pass.
    }
  }
}

bool TSockClient::ReceiveStep() {
  ReportStatus(8, "ReadToStream");
  if (cancel_) {
    Dispatch(OnReadAfterCancel);
    return false;
  }
  if (busy_) return false;
  busy_ = true;
  // A small buffer that stays in cache, appended to the capture: growing
  // the text first would zero-fill every chunk before the read overwrites it.
  char buf[kChunk];
  const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
  if (n > 0) {
    const auto size = static_cast<std::size_t>(n);
    if (captureFile_) {
      if (std::fwrite(buf, 1, size, captureFile_) != size) writeFailed_ = true;
    } else {
      (sink_ ? *sink_ : recv_).append(buf, size);
    }
  }
  if (n < 0) {
    busy_ = false;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return false;
    // A reset is no end of the reply: only an orderly close is.
    receiveFailed_ = true;
    CloseOnSocketError(errno);
    return false;
  }
  if (n == 0) {
    busy_ = false;
    CloseByPeer();
    return false;
  }
  Moved(n);
  if (capturing_) {
    receivedBytes_ += n;
    Dispatch(OnPacketRecvd);
  }
  busy_ = false;
  Dispatch(OnDataAvailable);
  // A full chunk means more may be waiting: read again.
  return n == static_cast<ssize_t>(kChunk);
}

void TSockClient::CloseOnSocketError(int err) {
  lastErrorNo_ = SocketErrorFromErrno(err);
  const std::string text = ErrorText(lastErrorNo_);
  // A handler's exception must not unwind out of the notification handling.
  if (OnSocketError) {
    try {
      OnSocketError(this, lastErrorNo_, text);
    } catch (...) {
      // The socket is closed below all the same.
    }
  }
  CloseByPeer();
}

void TSockClient::CloseByPeer() {
  connected_ = false;
  try {
    CloseSocket(true);
  } catch (...) {
    // Closing runs inside a wait pass; an OnDisconnect handler's failure
    // must not leave the socket half closed.
  }
}

void TSockClient::SendStep() {
  ReportStatus(8, "WriteFromStream");
  if (busy_ || cancel_ || sendDone_) return;
  char buf[kChunk];
  const char* data = nullptr;
  std::size_t size = 0;
  if (sendFile_) {
    size = std::fread(buf, 1, sizeof buf, sendFile_);
    data = buf;
    if (size == 0) {
      sendDone_ = true;
      return;
    }
  } else {
    size = std::min(kChunk, send_.size() - sendPos_);
    data = send_.data() + sendPos_;
  }
  ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
  if (n < 0) {
    int err = errno;
    if (sendFile_) std::fseek(sendFile_, -static_cast<long>(size), SEEK_CUR);
    if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) return;
    // The connection is dead; the waiting send sees it closed.
    CloseOnSocketError(err);
    return;
  }
  Moved(n);
  if (sendFile_) {
    if (static_cast<std::size_t>(n) < size)
      std::fseek(sendFile_, -static_cast<long>(size - static_cast<std::size_t>(n)), SEEK_CUR);
    if (sentBytes_ + n >= totalBytes_) sendDone_ = true;
  } else {
    sendPos_ += static_cast<std::size_t>(n);
    if (sendPos_ >= send_.size()) {
      send_.clear();
      sendPos_ = 0;
      sendDone_ = true;
    }
  }
  sentBytes_ += n;
  if (capturing_) Dispatch(OnPacketSent);
}

void TSockClient::CloseSocket(bool fireEvent) {
  ReportStatus(4, "Request Close Socket");
  connected_ = false;
  connecting_ = false;
  if (!haveSocket_) return;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  // As after every close, a fresh socket stands ready for the next Connect
  // (opened lazily there, as its family depends on the address).
  haveSocket_ = !destroying_;
  if (fireEvent && OnDisconnect) OnDisconnect(this);
}

void TSockClient::DropSocketQuietly() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  connected_ = false;
  connecting_ = false;
}

void TSockClient::Disconnect() {
  ReportStatus(8, "Disconnecting");
  CloseSocket(true);
}

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

void TSockClient::SendBuffer(const char* data, std::size_t size) {
  ReportStatus(4, "Sending Buffer");
  if (cancel_) return;
  send_.append(data, size);
  sendDone_ = send_.size() <= sendPos_;
  timedOut_ = false;
  ResumePeriod();
  while (!sendDone_ && !cancel_ && !timedOut_ && connected_) Pass(WaitKind::Transfer);
  if (sendDone_) return;
  send_.clear();
  sendPos_ = 0;
  sendDone_ = true;
  cancel_ = false;
  timedOut_ = false;
  // Also when the peer went away before taking everything.
  ThrowAborted("Socket send aborted");
}

void TSockClient::Write(const std::string& text) {
  ReportStatus(8, "Write");
  SendBuffer(text.data(), text.size());
}

void TSockClient::Writeln(const std::string& text) {
  ReportStatus(8, "Writeln");
  Write(text + "\r\n");
}

std::string TSockClient::ReadLn() { return ReadLnBounded(MaxBufferedBytes); }

std::string TSockClient::ReadLnBounded(std::size_t maxBytes) {
  ReportStatus(8, "ReadLn");
  timedOut_ = false;
  ResumePeriod();
  std::size_t scanned = 0;  // no line feed before here
  for (;;) {
    if (cancel_ || timedOut_ || overflow_) {
      timedOut_ = false;
      overflow_ = false;
      cancel_ = true;  // stays up until the next Connect, as after a Cancel
      ThrowAborted("Socket readln aborted", TFailure::LineCutOff);
    }
    auto lf = recv_.find('\n', std::min(scanned, maxBytes));
    scanned = recv_.size();
    if (lf != std::string::npos && lf < maxBytes) {
      std::string line = recv_.substr(0, lf + 1);
      recv_.erase(0, lf + 1);
      return line;
    }
    if (recv_.size() >= maxBytes) {
      // A line without end is not held past the bound, whatever the peer
      // keeps sending.
      recv_.clear();
      overflow_ = true;
      continue;
    }
    if (!connected_) {
      std::string rest;
      rest.swap(recv_);
      return rest;
    }
    Pass(WaitKind::Transfer);
  }
}

void TSockClient::CaptureStringInto(std::string& text, long long count) {
  ReportStatus(8, "Capture String");
  text.clear();
  capturing_ = true;
  truncated_ = false;
  timedOut_ = false;
  // Bytes that came with the reply header belong to the capture too.
  receivedBytes_ = static_cast<std::int64_t>(recv_.size());
  if (expectedLength_ > 0 && static_cast<std::uint64_t>(expectedLength_) <= MaxBufferedBytes) {
    text.reserve(static_cast<std::size_t>(expectedLength_) + kChunk);  // room for the last read's chunk
    AdviseLargeBuffer(text.data(), text.capacity());
  }
  ResumePeriod();
  text.append(recv_);
  recv_.clear();
  struct SinkGuard {
    std::string*& sink;
    SinkGuard(std::string*& s, std::string& to) : sink(s) { sink = &to; }
    ~SinkGuard() { sink = nullptr; }
  } sinkGuard(sink_, text);
  CloseGrace grace(expectedLength_);
  for (;;) {
    if (cancel_ || timedOut_ || overflow_) break;
    if (!recv_.empty()) {
      if (text.size() + recv_.size() > MaxBufferedBytes) {
        overflow_ = true;
        break;
      }
      text.append(recv_);
      recv_.clear();
    }
    if (count >= 0 && text.size() >= static_cast<std::size_t>(count)) break;
    if (!connected_) break;
    if (grace.Over(static_cast<std::int64_t>(text.size()))) break;
    Pass(WaitKind::Transfer);
  }
  capturing_ = false;
  if (cancel_ || timedOut_ || overflow_) {
    cancel_ = false;
    timedOut_ = false;
    overflow_ = false;
    ThrowAborted("Socket capture aborted");
  }
  if ((expectedLength_ > 0 && text.size() < static_cast<std::size_t>(expectedLength_)) ||
      (expectedLength_ <= 0 && receiveFailed_)) {
    // The peer closed before the announced length arrived, or, without a
    // length, the connection broke instead of closing: a cut-off body must
    // not pass for a complete one.
    truncated_ = true;
    ThrowAborted("Socket capture aborted");
  }
}

std::string TSockClient::CaptureString(long long count) {
  std::string text;
  CaptureStringInto(text, count);
  return text;
}

void TSockClient::CaptureFile(const std::string& fileName) {
  ReportStatus(8, "CaptureFile");
  TFile file(fileName.c_str(), "wb");
  if (!file) throw EFileError("Cannot create file " + fileName);
  std::FILE* f = file.get();
  capturing_ = true;
  fileMode_ = true;
  truncated_ = false;
  timedOut_ = false;
  writeFailed_ = false;
  captureFile_ = f;
  receivedBytes_ = static_cast<std::int64_t>(recv_.size());
  if (!recv_.empty() && std::fwrite(recv_.data(), 1, recv_.size(), f) != recv_.size()) writeFailed_ = true;
  recv_.clear();
  ResumePeriod();
  CloseGrace grace(expectedLength_);
  while (connected_ && !cancel_ && !timedOut_ && !writeFailed_ && !overflow_) {
    if (grace.Over(receivedBytes_)) break;
    Pass(WaitKind::Transfer);
  }
  captureFile_ = nullptr;
  if (!file.Close()) writeFailed_ = true;
  fileMode_ = false;
  capturing_ = false;
  if (overflow_ || receivedBytes_ > MaxFileBytes) {
    // An endless body must not fill the disk, nor leave half of itself.
    overflow_ = false;
    cancel_ = false;
    timedOut_ = false;
    writeFailed_ = false;
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) std::remove(fileName.c_str());
    ThrowAborted("Socket capture aborted");
  }
  if (writeFailed_) {
    writeFailed_ = false;
    throw EFileError("Cannot write file " + fileName);
  }
  if (cancel_ || timedOut_) {
    cancel_ = false;
    timedOut_ = false;
    ThrowAborted("Socket send aborted");
  }
  if ((expectedLength_ > 0 && receivedBytes_ < expectedLength_) || (expectedLength_ <= 0 && receiveFailed_)) {
    truncated_ = true;
    ThrowAborted("Socket send aborted");
  }
}

void TSockClient::SendFile(const std::string& fileName) {
  ReportStatus(8, "SendFile");
  TFile file(fileName.c_str(), "rb");
  if (!file) throw EFileError("Cannot open file " + fileName);
  std::FILE* f = file.get();
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  capturing_ = true;
  fileMode_ = true;
  sendFile_ = f;
  sendDone_ = false;
  sentBytes_ = 0;
  totalBytes_ = size > 0 ? size : 0;
  timedOut_ = false;
  ResumePeriod();
  while (!sendDone_ && !cancel_ && !timedOut_ && connected_ && totalBytes_ > 0) Pass(WaitKind::Transfer);
  bool complete = sendDone_ || totalBytes_ <= 0;
  sendFile_ = nullptr;
  file.Close();
  sendDone_ = true;
  fileMode_ = false;
  capturing_ = false;
  if (cancel_ || timedOut_ || !complete) {
    cancel_ = false;
    timedOut_ = false;
    ThrowAborted("Socket send aborted");
  }
}

std::string TSockClient::Transaction(const std::string& command) {
  ReportStatus(8, "Transaction");
  statusCode_ = 0;
  Writeln(command);
  lastReply_ = ReadLn();
  if (!lastReply_.empty()) {
    ReportStatus(1, lastReply_);
    long long code = 0;
    int digits = 0;
    while (digits < 10 && digits < static_cast<int>(lastReply_.size()) && lastReply_[digits] >= '0' &&
           lastReply_[digits] <= '9') {
      code = code * 10 + (lastReply_[digits] - '0');
      ++digits;
    }
    if (digits > 0) statusCode_ = static_cast<std::int16_t>(code);
  }
  return lastReply_;
}

int TSockClient::Accept() {
  ReportStatus(4, "Accepting");
  // This client never listens, so there is nothing to accept.
  if (cancel_) throw ESockError("Accepting Canceled");
  throw ESockError("Error creating Data Connection");
}

}  // namespace sky
