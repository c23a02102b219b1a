// What the user commands say when a request fails on the way: where it went,
// the client's own text and socket error (scripts look for those, so they stay
// as they are), and a short hint in plain words after them.
#include <string>

#include "cli.h"
#include "net/HttpClient.h"

namespace cli {

namespace {

struct HintRow {
  int errorNo;          // socket error number, 0: match by message
  const char* message;  // the exception's text, nullptr: match by number
  const char* hint;
};

constexpr HintRow kHints[] = {
    {10061, nullptr, "connection refused: is the server or proxy running?"},
    {10060, nullptr, "no answer: are the host and port right, or is a firewall in the way?"},
    {0, "Connection Timed Out", "no answer: are the host and port right, or is a firewall in the way?"},
    {10050, nullptr, "network down: is this machine online?"},
    {10051, nullptr, "network unreachable: is this machine online?"},
    {10065, nullptr, "no route to the host: is this machine online?"},
    {10064, nullptr, "the host is down: try again later"},
    {10052, nullptr, "the connection was dropped: try again"},
    {10053, nullptr, "the connection was dropped: try again"},
    {10054, nullptr, "the connection was reset: try again, or check the proxy"},
    {0, "Null Remote Address", "host not found: check the name, or set a proxy"},
    {11001, nullptr, "host not found: check the name, or set a proxy"},
    {11002, nullptr, "host not found: check the name, or set a proxy"},
    {11004, nullptr, "host not found: check the name, or set a proxy"},
    {0, "Host Lookup Timed Out", "the name lookup took too long: is the network or its name server up?"},
    {0, "Socket readln aborted", "the reply was cut off: try again"},
};

}  // namespace

std::string Endpoint(const sky::THttpClient& c) {
  if (!c.Proxy.empty()) return "proxy " + c.Proxy + ":" + std::to_string(c.ProxyPort);
  return c.Host + ":" + std::to_string(c.Port);
}

NetFailure DescribeNetFailure(const sky::THttpClient& c, const std::string& message, bool timedOut) {
  using Failure = sky::TSockClient::TFailure;
  NetFailure f;
  std::string detail;
  const Failure how = c.LastFailure();
  if (timedOut && how == Failure::Aborted) {
    const std::string seconds = std::to_string(c.TimeOut / 1000) + " s";
    if (c.TimeOutCause() == "deadline")
      detail = "the whole request took too long";
    else if (c.TimeOutCause() == "stall")
      detail = "less than " + std::to_string(sky::TSockClient::StallBytes) + " bytes arrived in " + seconds;
    else
      detail = "nothing arrived for " + seconds;
    f.hint = "no answer in time: the server or proxy may be busy; try again";
  } else if (how == Failure::NoAddress) {
    detail = "cannot find host " + (c.Proxy.empty() ? c.Host : c.Proxy);
  } else if (how == Failure::ConnectFailed && c.LastErrorNo() != 0) {
    detail = sky::SocketErrorText(c.LastErrorNo());
  }
  f.text = Endpoint(c) + ": " + (detail.empty() ? message : message + " (" + detail + ")");
  if (f.hint.empty()) {
    for (const HintRow& row : kHints) {
      // A socket error ends a request as "Connection Failed" or as its own
      // text ("10054:Connection reset by peer").
      const bool hit = row.message ? message == row.message
                                   : c.LastErrorNo() == row.errorNo &&
                                         (how == Failure::ConnectFailed ||
                                          message.rfind(std::to_string(row.errorNo) + ":", 0) == 0);
      if (hit) {
        f.hint = row.hint;
        break;
      }
    }
  }
  return f;
}

}  // namespace cli
