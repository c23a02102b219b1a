// What the user commands say when a request fails on the way: where it went,
// the client's own text and socket error (scripts look for those, so they stay
// as they are), and a short hint in plain words after them.
#include <string>

#include "cli.h"
#include "net/HttpClient.h"

namespace cli {

namespace {

using Failure = sky::TSockClient::TFailure;

constexpr const char* kNoAnswer = "no answer: are the host and port right, or is a firewall in the way?";
constexpr const char* kNotFound = "host not found: check the name, or set a proxy";

// How a request failed, where that alone says what to do.
struct HintRow {
  Failure how;
  const char* hint;
};

constexpr HintRow kHints[] = {
    {Failure::ConnectTimedOut, kNoAnswer},
    {Failure::NoAddress, kNotFound},
    {Failure::LookupTimedOut, "the name lookup took too long: is the network or its name server up?"},
    {Failure::LineCutOff, "the reply was cut off: try again"},
};

// A socket error ends a request as "Connection Failed" or, on the way, as
// its own text ("10054:Connection reset by peer"); either way the number says
// what happened.
struct ErrorHintRow {
  int errorNo;
  const char* hint;
};

constexpr ErrorHintRow kErrorHints[] = {
    {sky::sockerr::ConnRefused, "connection refused: is the server or proxy running?"},
    {sky::sockerr::TimedOut, kNoAnswer},
    {sky::sockerr::NetDown, "network down: is this machine online?"},
    {sky::sockerr::NetUnreach, "network unreachable: is this machine online?"},
    {sky::sockerr::HostUnreach, "no route to the host: is this machine online?"},
    {sky::sockerr::HostDown, "the host is down: try again later"},
    {sky::sockerr::NetReset, "the connection was dropped: try again"},
    {sky::sockerr::ConnAborted, "the connection was dropped: try again"},
    {sky::sockerr::ConnReset, "the connection was reset: try again, or check the proxy"},
    {sky::sockerr::HostNotFound, kNotFound},
    {sky::sockerr::TryAgain, kNotFound},
    {sky::sockerr::NoData, kNotFound},
};

const char* HintFor(Failure how, int errorNo) {
  if (how == Failure::ConnectFailed || how == Failure::SocketError) {
    for (const ErrorHintRow& row : kErrorHints)
      if (row.errorNo == errorNo) return row.hint;
    return nullptr;
  }
  for (const HintRow& row : kHints)
    if (row.how == how) return row.hint;
  return nullptr;
}

}  // namespace

std::string Endpoint(const sky::THttpClient& c) {
  if (!c.Proxy.empty()) return "proxy " + c.Proxy + ":" + std::to_string(c.ProxyPort);
  return c.Host + ":" + std::to_string(c.Port);
}

NetFailure DescribeNetFailure(const sky::THttpClient& c, const std::string& message, bool timedOut) {
  NetFailure f;
  std::string detail;
  const Failure how = c.LastFailure();
  if (timedOut && (how == Failure::Aborted || how == Failure::LineCutOff)) {
    const std::string seconds = std::to_string(c.TimeOut / 1000) + " s";
    using Cause = sky::TSockClient::TTimeOutCause;
    if (c.TimeOutCause() == Cause::Deadline) detail = "the whole request took too long";
    else if (c.TimeOutCause() == Cause::Stall)
      detail = "less than " + std::to_string(sky::TSockClient::StallBytes) + " bytes arrived in " + seconds;
    else detail = "nothing arrived for " + seconds;
    f.hint = "no answer in time: the server or proxy may be busy; try again";
  } else if (how == Failure::NoAddress) {
    detail = "cannot find host " + (c.Proxy.empty() ? c.Host : c.Proxy);
  } else if (how == Failure::ConnectFailed && c.LastErrorNo() != 0) {
    detail = sky::SocketErrorText(c.LastErrorNo());
  }
  f.text = Endpoint(c) + ": " + (detail.empty() ? message : message + " (" + detail + ")");
  if (f.hint.empty()) {
    if (const char* hint = HintFor(how, c.LastErrorNo())) f.hint = hint;
  }
  return f;
}

}  // namespace cli
