#include "net/failure_text.h"

#include "net/SockClient.h"
#include "net/request_service.h"
#include "net/socket_errors.h"

namespace sky {

namespace {

std::string Endpoint(const std::string& proxy, int proxyPort, const std::string& host, int port) {
  if (!proxy.empty()) return "proxy " + proxy + ":" + std::to_string(proxyPort);
  return host + ":" + std::to_string(port);
}

std::string FailureText(TSockClient::TFailure failure, int errorNo, const std::string& where, const std::string& what) {
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
  for (const auto& t : kTexts) explained = explained || (failure == t.how && what == t.text);
  if (!explained) return what;
  switch (failure) {
    case Failure::ConnectFailed: {
      std::string text = what + "\n\nCould not connect to " + where;
      if (errorNo != 0) text += " (" + SocketErrorText(errorNo) + ")";
      return text + ".";
    }
    case Failure::ConnectTimedOut: return what + "\n\n" + where + " did not answer.";
    default: return what + "\n\nThe address of " + where + " could not be looked up.";
  }
}

}  // namespace

std::string ConnectEndpoint(const TSockClient& c) { return Endpoint(c.Proxy, c.ProxyPort, c.Host, c.Port); }

std::string ConnectEndpoint(const FetchResult& r) { return Endpoint(r.proxy, r.proxyPort, r.host, r.port); }

std::string RequestFailureText(const TSockClient& c, const std::string& what) {
  return FailureText(c.LastFailure(), c.LastErrorNo(), ConnectEndpoint(c), what);
}

std::string RequestFailureText(const FetchResult& r) {
  return FailureText(r.failure, r.errorNo, ConnectEndpoint(r), r.error);
}

}  // namespace sky
