// The socket client's transfers: sending buffers and files, reading lines,
// capturing an answer into a text or a file.
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
#include "common/safe_file.h"
#include "net/file_handle.h"
#include "net/sock_client_detail.h"

namespace sky {

namespace {

using sock_detail::kChunk;

// After the announced length has arrived, how long a capture still waits for
// the peer to close before it ends on its own.
constexpr auto kCloseGrace = std::chrono::milliseconds(200);

// Once the announced length has arrived, the capture gives the peer a short
// while to close and then ends on its own (proxies asked for keep-alive hold
// the connection open). A length of 0 (an answer without a body) is there at
// once; -1 means unknown: read until the close.
class CloseGrace {
 public:
  explicit CloseGrace(std::int64_t expected) : expected_(expected) {}
  bool Over(std::int64_t have) {
    if (expected_ < 0 || have < expected_) return false;
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

}  // namespace

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
  // Written aside and renamed into place when whole: a link planted under the
  // name is replaced, never written through, and a failed capture leaves the
  // file as it was.
  ReplacingFile file(fileName);
  if (!file) throw EFileError("Cannot create file " + fileName);
  std::FILE* f = file.get();
  // Each read goes to the file in one write of its own, not through a
  // small stdio buffer in pieces.
  std::setvbuf(f, nullptr, _IONBF, 0);
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
  fileMode_ = false;
  capturing_ = false;
  if (overflow_ || receivedBytes_ > MaxFileBytes) {
    // An endless body must not fill the disk, nor leave half of itself.
    overflow_ = false;
    cancel_ = false;
    timedOut_ = false;
    writeFailed_ = false;
    ThrowAborted("Socket capture aborted");
  }
  const bool whole =
      !cancel_ && !timedOut_ &&
      !((expectedLength_ > 0 && receivedBytes_ < expectedLength_) || (expectedLength_ <= 0 && receiveFailed_));
  if (!writeFailed_ && whole && !file.Commit()) writeFailed_ = true;
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
