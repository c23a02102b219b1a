// One way to ask a server for something: `Fetch(profile, url)` runs one
// request with the profile of its kind and returns everything that came of
// it. Nothing of a request is left on shared state for the next caller to
// misread: each call starts from a cleared body, header and outcome, and the
// proxy of the settings is applied here rather than by every caller.
//
// The request runs on the calling thread and keeps the owner's events
// flowing (the message-pump hook of net/SockClient.h), so Abort can come
// from a menu meanwhile. Progress (the status texts) arrives through the
// client's events, which the owner binds once on Client().
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/SockClient.h"
#include "settings/settings_names.h"

namespace sky {

class THttpClient;
struct RequestProfile;

// What came of one request.
struct FetchResult {
  bool ok = false;              // the server's answer was a success (a status below 300)
  int status = 0;               // the status of the last reply; 0 when no reply came
  std::string body;             // the body text; empty when it went into a file
  std::string file;             // the file the body went into, for a request into a file
  std::string header;           // the last reply's header
  std::int64_t totalBytes = 0;  // the length the reply announced; 0 when none
  std::int64_t receivedBytes = 0;
  // How the request ended on the way (None when an answer came), and why a
  // time-out came.
  TSockClient::TFailure failure = TSockClient::TFailure::None;
  TSockClient::TTimeOutCause timeOutCause = TSockClient::TTimeOutCause::None;
  bool abortedByUser = false;  // ended by Abort: no error to report
  std::string error;           // the text it ended with; empty when an answer came
  int errorNo = 0;             // the socket error behind a failed connection
  // Where the request went: the server, and the proxy when one was used.
  std::string host;
  int port = 0;
  std::string proxy;
  int proxyPort = 0;

  // An answer came (a success or not); false when the request ended on the way.
  bool Answered() const { return error.empty(); }
};

class RequestService {
 public:
  // With a client of its own.
  RequestService();
  // With the owner's client (its events stay the owner's).
  explicit RequestService(THttpClient& client);
  ~RequestService();
  RequestService(const RequestService&) = delete;
  RequestService& operator=(const RequestService&) = delete;

  // Runs a request: the profile onto the client, the body into `file` when
  // the profile sends bodies to a file, the proxy in force. Never throws for
  // a failure of the request; the result says how it ended.
  FetchResult Fetch(const RequestProfile& profile, const std::string& url, const std::string& file = {});

  // Takes the proxy from these settings now, and again on every
  // ReloadProxy (when the preferences are stored). A port that is no
  // number throws the conversion error; the host is taken all the same.
  void UseProxySettings(settings::Reader read);
  void ReloadProxy();

  // Ends the running request; its result says abortedByUser.
  void Abort();
  bool Busy() const { return running_ > 0; }

  // The proxy requests go through ("" when none).
  const std::string& Proxy() const;
  int ProxyPort() const;

  // The client underneath, for binding its progress events and for tests
  // that point it at a local server.
  THttpClient& Client() { return *client_; }
  const THttpClient& Client() const { return *client_; }

 private:
  std::unique_ptr<THttpClient> own_;
  THttpClient* client_;
  settings::Reader proxySettings_;
  bool proxyFromSettings_ = false;  // the client's proxy is the settings' one
  int running_ = 0;
};

// The proxy stored in the settings onto `client` (for a tool that drives the
// client by hand); throws as UseProxySettings does.
void ApplyStoredProxy(THttpClient& client, const settings::Reader& read);

}  // namespace sky
