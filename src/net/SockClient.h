// The TCP client component under the HTTP client: one stream socket turned
// into blocking operations (connect, send a text or a file, read a line,
// collect everything until the peer closes) for a caller on the owner thread.
//
// Every wait is a short poll() on the socket (at most 2 ms) followed by one
// call of the message-pump hook, so socket notifications, the time-out timer
// and the user's own commands (an Abort from a menu) are all handled on the
// owner thread while the caller waits. Name lookups run on a worker thread
// and report back to the owner through a pipe.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/Exceptions.h"
#include "net/resolver.h"
#include "net/socket_errors.h"
#include "net/thread_timer.h"

namespace sky {

// The GUI sets this to process its pending events; every wait pass of every
// socket calls it once. Tests and the terminal companion leave it empty.
void SetMessagePumpHook(std::function<void()> hook);
const std::function<void()>& MessagePumpHook();

class TSockClient;
using TSockNotify = std::function<void(TSockClient* Sender)>;
using THandlerEvent = std::function<void(bool& Handled)>;
using TOnHostResolved = std::function<void(TSockClient* Sender)>;
using TOnStatus = std::function<void(TSockClient* Sender, const std::string& Status)>;
using TOnSocketError = std::function<void(TSockClient* Sender, int ErrorNo, const std::string& Text)>;

class TSockClient {
 public:
  TSockClient();
  virtual ~TSockClient();
  TSockClient(const TSockClient&) = delete;
  TSockClient& operator=(const TSockClient&) = delete;

  // ---- published properties
  std::string Host;
  int Port = 0;
  int TimeOut = 0;      // ms for name lookup and connection set-up, and the
                        // longest silence once connected (fewer than
                        // StallBytes in a TimeOut period); 0 = no limit
  int ReportLevel = 0;  // highest status level reported
  std::string Proxy;    // empty: connect to Host directly
  int ProxyPort = 0;
  // Largest number of received bytes held in memory (reply text and the
  // unread rest); a peer sending more ends the wait like an abort.
  std::size_t MaxBufferedBytes = 256u * 1024u * 1024u;
  // Largest body CaptureFile writes; a peer sending more ends the capture
  // with the overflow failure and the partial file is removed.
  std::int64_t MaxFileBytes = std::int64_t{256} * 1024 * 1024;
  // Longest a whole exchange may take, from Connect (or the start of a
  // request) to its last byte, in ms; 0: ten times TimeOut, at most 15
  // minutes, and 15 minutes when TimeOut is 0. Past it the running wait
  // ends as a time-out does.
  long long MaxRequestTime = 0;

  // ---- events (fire only when assigned)
  TSockNotify OnConnect;
  TSockNotify OnDisconnect;
  THandlerEvent OnInvalidHost;
  TOnHostResolved OnHostResolved;
  TOnStatus OnStatus;
  TSockNotify OnConnectionFailed;
  TSockNotify OnPacketRecvd;
  TSockNotify OnPacketSent;
  TSockNotify OnDataAvailable;
  TSockNotify OnAcceptDone;
  TOnSocketError OnSocketError;
  TSockNotify OnReadAfterCancel;

  // ---- read-only values
  std::int16_t StatusCode() const { return statusCode_; }
  std::int64_t TotalBytes() const { return totalBytes_; }
  std::int64_t ReceivedBytes() const { return receivedBytes_; }
  std::int64_t SentBytes() const { return sentBytes_; }
  bool Connected() const { return connected_; }
  int LastErrorNo() const { return lastErrorNo_; }
  const std::string& LastStatus() const { return lastStatus_; }
  const std::string& LastReply() const { return lastReply_; }
  // Why the last time-out came: none since Connect, nothing for TimeOut
  // (Silence), less than StallBytes in a TimeOut period (Stall), or
  // MaxRequestTime passed (Deadline).
  enum class TTimeOutCause { None, Silence, Stall, Deadline };
  TTimeOutCause TimeOutCause() const { return timeOutCause_; }
  // How the last request failed, for callers that explain a failure
  // without reading the exception's text: no address for the host, the
  // lookup or the connect ran out of time, the connect failed (LastErrorNo
  // says why), the socket reported an error on the way (LastErrorNo), a
  // transfer was aborted, or a line of the reply ended before its end.
  enum class TFailure {
    None,
    NoAddress,
    LookupTimedOut,
    ConnectTimedOut,
    ConnectFailed,
    SocketError,
    Aborted,
    LineCutOff
  };
  TFailure LastFailure() const { return lastFailure_; }
  // Fewer bytes than this moved in a whole TimeOut period count as silence.
  static constexpr std::int64_t StallBytes = 256;
  // Lines describing the socket library.
  const std::vector<std::string>& Info() const { return info_; }

  // ---- operations
  // Resolves Proxy (if set) or Host and connects to ProxyPort or Port.
  virtual void Connect();
  virtual void Disconnect();
  // Raises the cancel flag: every running wait ends.
  void Cancel();
  virtual void Abort() {}
  virtual int Accept();
  virtual std::string Transaction(const std::string& command);

  void Write(const std::string& text);
  void Writeln(const std::string& text);
  // One received line with its line end. When the peer has closed, the
  // unterminated rest (possibly "") is returned instead.
  std::string ReadLn();
  // As ReadLn, but a line longer than maxBytes (or more than maxBytes
  // without a line feed) ends like an abort ("Socket readln aborted").
  std::string ReadLnBounded(std::size_t maxBytes);
  void SendFile(const std::string& fileName);
  void CaptureFile(const std::string& fileName);
  // Count -1: until the peer closes; else until at least count characters.
  std::string CaptureString(long long count = -1);

  void ReportStatus(int level, const std::string& text);
  std::string ErrorText(int errorNo);

 protected:
  // Connect without clearing the cancel flag, so an Abort made before the
  // connection starts (from OnAboutToSend) still ends the request.
  void ConnectKeepingCancel();
  // Starts the clock of MaxRequestTime (Connect does it too).
  void StartRequestClock();
  [[noreturn]] void ThrowAborted(const char* text, TFailure how = TFailure::Aborted);
  void CaptureStringInto(std::string& text, long long count);
  // Once this many body bytes have arrived a capture waits only briefly for
  // the peer's close; -1 = read until the peer closes.
  std::int64_t expectedLength_ = -1;
  // Set when a capture ended with fewer than expectedLength_ bytes.
  bool truncated_ = false;

  std::int16_t statusCode_ = 0;
  std::int64_t totalBytes_ = 0;
  std::int64_t receivedBytes_ = 0;
  std::int64_t sentBytes_ = 0;
  bool cancel_ = false;
  bool lookupDone_ = false;

 private:
  enum class WaitKind { Plain, Lookup, Transfer };
  // One wait pass: poll (at most 2 ms), handle what is ready, check the
  // timers, call the message-pump hook.
  void Pass(WaitKind kind);
  // Reads (or goes on reporting the slices of a read) and reports them; true
  // when the last slice was a full one (read again).
  bool ReceiveStep();
  // How much the next read may take: no more than reads of one slice each
  // would have taken before the buffer or file bound stopped them.
  std::size_t ReadLimit() const;
  void SendStep();
  void CloseByPeer();
  // Records a failed recv/send, tells OnSocketError, and closes the socket.
  void CloseOnSocketError(int err);
  void CloseSocket(bool fireEvent = true);
  void DropSocketQuietly();
  void CheckSocketError(int err);
  void StartTimer();
  void StopTimer();
  void TimerFired();
  void ResolveHost();
  bool StartConnect(std::size_t index);  // false when the attempt failed at once
  void FinishConnect();
  void SendBuffer(const char* data, std::size_t size);
  // The guard against a silent or trickling peer, checked in the waits: a
  // period of TimeOut in which fewer than StallBytes moved, or the request
  // deadline passing, ends the wait as a time-out. `socketReady`: the socket
  // had something this pass (then it is not judged silent).
  bool TransferExpired(bool socketReady);
  bool DeadlinePassed();
  void TimeOutBy(TTimeOutCause cause);
  void StartPeriod();
  // An operation begins: a period that ran out while the caller was busy
  // elsewhere is not held against the peer.
  void ResumePeriod();
  void Moved(long long bytes) {
    periodBytes_ += bytes;
    lastMove_ = std::chrono::steady_clock::now();
  }
  void Dispatch(const TSockNotify& e);

  int fd_ = -1;
  bool haveSocket_ = true;  // a (possibly not yet opened) socket exists to close
  bool connected_ = false;
  bool connecting_ = false;
  bool destroying_ = false;
  bool firstSocketMade_ = false;  // the first socket lingers for 0 s
  bool busy_ = false;
  bool capturing_ = false;
  bool fileMode_ = false;
  bool sendDone_ = true;
  bool asyncOk_ = true;
  bool timedOut_ = false;
  bool overflow_ = false;
  bool receiveFailed_ = false;  // a receive ended in an error (a reset), not a close
  bool writeFailed_ = false;
  bool moreToRead_ = false;  // the last pass stopped draining with a full chunk just read
  int lastErrorNo_ = 0;
  TFailure lastFailure_ = TFailure::None;
  std::string lastStatus_;
  std::string lastReply_;
  std::vector<std::string> info_;

  std::string recv_;  // received bytes not yet consumed
  // The last read; the slices from readPos_ to readEnd_ are not reported yet
  // (a handler that waits on this client reports them before reading on).
  std::unique_ptr<char[]> readBuf_;
  std::size_t readPos_ = 0;
  std::size_t readEnd_ = 0;
  std::string* sink_ = nullptr;  // where a running CaptureString receives to
  std::string send_;             // bytes queued for sending
  std::size_t sendPos_ = 0;
  std::FILE* captureFile_ = nullptr;
  std::FILE* sendFile_ = nullptr;

  TThreadTimer timer_;
  std::chrono::steady_clock::time_point periodStart_{};
  std::chrono::steady_clock::time_point lastPump_{};
  std::int64_t periodBytes_ = 0;
  std::chrono::steady_clock::time_point lastMove_{};  // the last byte sent or received
  std::chrono::steady_clock::time_point requestStart_{};
  TTimeOutCause timeOutCause_ = TTimeOutCause::None;
  std::shared_ptr<LookupJob> lookup_;
  std::vector<TSockAddress> addresses_;
  std::size_t addressIndex_ = 0;
};

}  // namespace sky
