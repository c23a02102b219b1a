#include "net/failure_text.h"

#include "net/SockClient.h"
#include "net/socket_errors.h"

namespace sky {

std::string ConnectEndpoint(const TSockClient& c) {
  if (!c.Proxy.empty()) return "proxy " + c.Proxy + ":" + std::to_string(c.ProxyPort);
  return c.Host + ":" + std::to_string(c.Port);
}

std::string RequestFailureText(const TSockClient& c, const std::string& what) {
  using Failure = TSockClient::TFailure;
  // Only the failure's own text is explained: the last request's failure
  // stays readable after it, while another error may be shown.
  static constexpr struct {
    Failure how;
    const char* text;
  } kTexts[] = {
      {Failure::ConnectFailed, "Connection Failed"},
      {Failure::ConnectTimedOut, "Connection Timed Out"},
      {Failure::NoAddress, "Null Remote Address"},
      {Failure::LookupTimedOut, "Host Lookup Timed Out"},
  };
  bool explained = false;
  for (const auto& t : kTexts) explained = explained || (c.LastFailure() == t.how && what == t.text);
  if (!explained) return what;
  const std::string where = ConnectEndpoint(c);
  switch (c.LastFailure()) {
    case Failure::ConnectFailed: {
      std::string text = what + "\n\nCould not connect to " + where;
      if (c.LastErrorNo() != 0) text += " (" + SocketErrorText(c.LastErrorNo()) + ")";
      return text + ".";
    }
    case Failure::ConnectTimedOut: return what + "\n\n" + where + " did not answer.";
    default: return what + "\n\nThe address of " + where + " could not be looked up.";
  }
}

}  // namespace sky
