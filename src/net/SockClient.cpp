#include "net/SockClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// ---------------------------------------------------------------- globals

namespace {

using sock_detail::kChunk;
using sock_detail::kReadSize;
using sock_detail::kSlicesPerRead;

std::function<void()>& HookSlot() {
  static std::function<void()> hook;
  return hook;
}

// Reads one pass takes before the message pump gets its turn (about 1 MB).
constexpr int kReadsPerPass = 4;
// During a transfer the message pump runs no more often than this; a pass
// that waited idle on poll runs it every time.
constexpr auto kPumpInterval = std::chrono::milliseconds(4);
// The longest one wait on the socket lasts: a ready socket wakes it at once,
// so this only sets how often an idle wait checks its timers and pumps the
// window's messages (100 times a second keeps a window smooth, and an idle
// wait costs well under 1 % of a core).
constexpr int kIdleSliceMs = 10;

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
            if (i == kReadsPerPass) {
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

std::size_t TSockClient::ReadLimit() const {
  std::size_t slices = kSlicesPerRead;
  if (captureFile_) {
    // Reads went on while no more than MaxFileBytes had come.
    const auto room = static_cast<std::uint64_t>(std::max<std::int64_t>(MaxFileBytes - receivedBytes_, 0));
    slices = static_cast<std::size_t>(std::min<std::uint64_t>(slices, room / kChunk + 1));
  } else {
    // Reads went on while fewer than MaxBufferedBytes were held.
    const std::size_t held = recv_.size() + (sink_ ? sink_->size() : 0);
    const std::size_t room = held < MaxBufferedBytes ? MaxBufferedBytes - held : 0;
    slices = std::max<std::size_t>(std::min(slices, (room + kChunk - 1) / kChunk), 1);
  }
  return slices * kChunk;
}

bool TSockClient::ReceiveStep() {
  ReportStatus(8, "ReadToStream");
  if (cancel_) {
    Dispatch(OnReadAfterCancel);
    return false;
  }
  if (busy_) return false;
  busy_ = true;
  if (readPos_ == readEnd_) {
    // A buffer kept for the client's life stays in cache, and the capture
    // appends from it: growing the text first would zero-fill every slice
    // before the read overwrites it.
    if (!readBuf_) readBuf_ = std::make_unique_for_overwrite<char[]>(kReadSize);
    const ssize_t n = ::recv(fd_, readBuf_.get(), ReadLimit(), 0);
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
    readPos_ = 0;
    readEnd_ = static_cast<std::size_t>(n);
    // A file takes the whole read in one write (the file is unbuffered).
    if (captureFile_ && std::fwrite(readBuf_.get(), 1, readEnd_, captureFile_) != readEnd_) writeFailed_ = true;
  }
  // The read is reported slice by slice, each as a read of its own was.
  for (;;) {
    const std::size_t slice = std::min(kChunk, readEnd_ - readPos_);
    if (!captureFile_) (sink_ ? *sink_ : recv_).append(readBuf_.get() + readPos_, slice);
    readPos_ += slice;
    Moved(static_cast<long long>(slice));
    if (capturing_) {
      receivedBytes_ += static_cast<std::int64_t>(slice);
      Dispatch(OnPacketRecvd);
    }
    busy_ = false;
    Dispatch(OnDataAvailable);
    // A handler that waited on this client has reported the rest itself.
    if (readPos_ == readEnd_) return slice == kChunk;
    if (cancel_ || !connected_) {
      // As before a read of its own: the rest is left unreported, and in
      // memory unconsumed, as it was left in the socket (a file has it
      // already; a cancelled capture keeps no file).
      if (!captureFile_) recv_.append(readBuf_.get() + readPos_, readEnd_ - readPos_);
      readPos_ = readEnd_;
      return false;
    }
    ReportStatus(8, "ReadToStream");
    busy_ = true;
  }
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

}  // namespace sky
