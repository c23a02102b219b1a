#include "net/request_service.h"

#include <exception>
#include <utility>

#include "net/HttpClient.h"
#include "net/request_profile.h"

namespace sky {

namespace {

// A failure before any reply: the status of an earlier request is no answer
// of this one.
bool BeforeAnyReply(TSockClient::TFailure how) {
  using F = TSockClient::TFailure;
  return how == F::NoAddress || how == F::LookupTimedOut || how == F::ConnectTimedOut || how == F::ConnectFailed;
}

// Restores a value of the client when the request ends, however it ends.
template <typename T>
class Restore {
 public:
  Restore(T& slot, T value) : slot_(slot), saved_(std::exchange(slot, std::move(value))) {}
  ~Restore() { slot_ = std::move(saved_); }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& slot_;
  T saved_;
};

}  // namespace

RequestService::RequestService() : own_(std::make_unique<THttpClient>()), client_(own_.get()) {}

RequestService::RequestService(THttpClient& client) : client_(&client) {}

RequestService::~RequestService() = default;

void RequestService::UseProxySettings(settings::Reader read) {
  proxySettings_ = std::move(read);
  ReloadProxy();
}

void RequestService::ReloadProxy() {
  if (!proxySettings_) return;
  const std::optional<settings::ProxySettings> proxy = settings::ReadProxy(proxySettings_);
  if (!proxy) {
    // Unticked in the preferences: the requests go straight to the servers
    // again. A proxy set by hand (no settings ever gave one) stays.
    if (proxyFromSettings_) {
      client_->Proxy.clear();
      client_->ProxyPort = 0;
      proxyFromSettings_ = false;
    }
    return;
  }
  proxyFromSettings_ = true;
  settings::ApplyProxy(proxy, client_->Proxy, client_->ProxyPort);
}

const std::string& RequestService::Proxy() const { return client_->Proxy; }
int RequestService::ProxyPort() const { return client_->ProxyPort; }

void RequestService::Abort() { client_->Abort(); }

FetchResult RequestService::Fetch(const RequestProfile& profile, const std::string& url, const std::string& file) {
  THttpClient& c = *client_;
  FetchResult r;
  r.proxy = c.Proxy;
  r.proxyPort = c.ProxyPort;
  if (running_ > 0 || c.Connected()) {
    // A second request from an event handler while one runs would take over
    // the running one's client.
    r.error = "Already connected";
    return r;
  }

  profile.Apply(c);
  // Each request starts clean: the body where this request wants it, the
  // header in memory, the file limit of its kind.
  const bool toFile = profile.bodyToFile.value_or(false);
  c.InputFileMode = toFile;
  c.OutputFileMode = false;
  if (toFile && file.empty()) {
    r.error = "No file named for the body of " + url;
    return r;
  }
  c.Body = toFile ? file : std::string();
  c.Header.clear();
  c.MaxFileBytes = profile.maxFileBytes;

  // Success is what the client reports as one, seen through its success
  // event; the owner's handler of that event still runs.
  bool succeeded = false;
  TResultEvent outer = c.OnSuccess;
  Restore<TResultEvent> success(c.OnSuccess, [&succeeded, outer](CmdType cmd) {
    succeeded = true;
    if (outer) outer(cmd);
  });

  ++running_;
  try {
    c.Get(url);
  } catch (const std::exception& e) {
    r.error = e.what();
    // An exception without a text of its own still ended the request.
    if (r.error.empty()) r.error = "Request failed";
  }
  --running_;

  r.ok = succeeded && r.error.empty();
  r.failure = c.LastFailure();
  r.timeOutCause = c.TimeOutCause();
  // The client ends a time-out through its abort, which it then counts as
  // the user's: a request that ran out of time is a failure to report.
  r.abortedByUser = c.AbortedByUser() && r.timeOutCause == TSockClient::TTimeOutCause::None &&
                    r.failure != TSockClient::TFailure::LookupTimedOut &&
                    r.failure != TSockClient::TFailure::ConnectTimedOut;
  r.errorNo = c.LastErrorNo();
  r.status = r.error.empty() || !BeforeAnyReply(r.failure) ? c.StatusCode() : 0;
  r.totalBytes = c.TotalBytes();
  r.receivedBytes = c.ReceivedBytes();
  r.header = c.Header;
  r.host = c.Host;
  r.port = c.Port;
  if (toFile) r.file = file;
  else if (r.error.empty()) r.body = std::move(c.Body);
  c.Body.clear();
  return r;
}

void ApplyStoredProxy(THttpClient& client, const settings::Reader& read) {
  settings::ApplyProxy(settings::ReadProxy(read), client.Proxy, client.ProxyPort);
}

}  // namespace sky
