#include "gateway/upstream.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>

namespace sky::gateway {

std::int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string HostOf(const std::string& url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  std::size_t start = scheme + 3;
  std::size_t end = url.find_first_of("/?#", start);
  std::string host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  std::size_t at = host.rfind('@');
  if (at != std::string::npos) host = host.substr(at + 1);
  for (char& c : host) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return host;
}

std::string OriginOf(const std::string& url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  std::string s = url.substr(0, scheme);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s + "://" + HostOf(url);
}

HostGates::Admit HostGates::Acquire(const std::string& host, Deadline deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    Host& h = hosts_[host];
    if (h.failures > 0 && clock_.MonotonicMs() < h.retryAt) return Admit::kBackingOff;
    if (h.inFlight < perHost_) {
      ++h.inFlight;
      return Admit::kGo;
    }
    const std::int64_t left = deadline - SteadyNowMs();
    if (left <= 0) return Admit::kTimedOut;
    turn_.wait_for(lock, std::chrono::milliseconds(std::min<std::int64_t>(left, 100)));
  }
}

void HostGates::Release(const std::string& host, bool succeeded) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Host& h = hosts_[host];
    if (h.inFlight > 0) --h.inFlight;
    if (succeeded) {
      h.failures = 0;
    } else {
      h.failures = std::min(h.failures + 1, 30);
      std::int64_t wait = firstBackoffMs_;
      for (int i = 1; i < h.failures && wait < maxBackoffMs_; ++i) wait *= 2;
      h.retryAt = clock_.MonotonicMs() + std::min(wait, maxBackoffMs_);
    }
  }
  turn_.notify_all();
}

std::int64_t HostGates::BackoffLeftMs(const std::string& host) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = hosts_.find(host);
  if (it == hosts_.end() || it->second.failures == 0) return 0;
  return std::max<std::int64_t>(0, it->second.retryAt - clock_.MonotonicMs());
}

namespace {

struct Sink {
  std::string* body;
  std::size_t limit;
  bool overflow = false;
};

std::size_t Write(char* data, std::size_t size, std::size_t count, void* user) {
  Sink* sink = static_cast<Sink*>(user);
  const std::size_t n = size * count;
  if (sink->body->size() + n > sink->limit) {
    sink->overflow = true;
    return 0;  // ends the transfer
  }
  sink->body->append(data, n);
  return n;
}

}  // namespace

CurlUpstream::CurlUpstream(UpstreamSettings settings, HostGates& gates, std::function<void(const std::string&)> log)
    : settings_(std::move(settings)), gates_(gates), log_(std::move(log)) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlUpstream::~CurlUpstream() { curl_global_cleanup(); }

FetchResult CurlUpstream::Get(const std::string& url, Deadline deadline) {
  const std::string host = HostOf(url);
  FetchResult result;
  if (host.empty()) {
    result.error = "not an absolute URL";
  } else {
    switch (gates_.Acquire(host, deadline)) {
      case HostGates::Admit::kBackingOff:
        result.error = "backing off for " + std::to_string(gates_.BackoffLeftMs(host)) + " ms";
        break;
      case HostGates::Admit::kTimedOut: result.error = "no turn before the deadline"; break;
      case HostGates::Admit::kGo:
        result = Transfer(url, deadline);
        // A 404 or a redirect not followed is an answer, not a failing host.
        gates_.Release(host, result.ok || (result.status >= 300 && result.status < 500));
        break;
    }
  }
  if (!result.ok && log_) log_("upstream " + url + " failed: " + result.error);
  return result;
}

bool CurlUpstream::RedirectAllowed(const std::string& url) const {
  const std::string origin = OriginOf(url);
  if (origin.empty() || url.find('@') != std::string::npos) return false;
  for (const std::string& allowed : settings_.redirectOrigins) {
    if (OriginOf(allowed + "/") != origin) continue;
    return origin.starts_with("https://") || allowed.starts_with("http://");
  }
  return false;
}

FetchResult CurlUpstream::Transfer(const std::string& url, Deadline deadline) {
  std::string current = url;
  for (int hop = 0;; ++hop) {
    std::string location;
    FetchResult result = TransferOnce(current, deadline, &location);
    if (result.status < 300 || result.status > 399 || location.empty()) return result;
    // A source that moved (a satellite renamed, a path retired) is followed
    // to the hosts we know, a few hops at most; anywhere else is a failure.
    if (hop == settings_.maxRedirects) {
      result.error = "more than " + std::to_string(settings_.maxRedirects) + " redirects";
      return result;
    }
    if (!RedirectAllowed(location)) {
      result.error = "redirect to " + location + " refused";
      return result;
    }
    current = location;
  }
}

FetchResult CurlUpstream::TransferOnce(const std::string& url, Deadline deadline, std::string* location) {
  FetchResult result;
  const std::int64_t left = deadline - SteadyNowMs();
  if (left <= 0) {
    result.error = "deadline passed";
    return result;
  }
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    result.error = "cannot start a transfer";
    return result;
  }
  Sink sink{&result.body, settings_.maxBodyBytes};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are looked at one by one (Transfer), never followed blindly.
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, settings_.userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(left, settings_.connectTimeoutMs)));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");  // never a proxy from the environment
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(settings_.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  struct curl_slist* headers = curl_slist_append(nullptr, "Accept: application/geo+json, application/json, */*");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  const CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  char* redirect = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect != nullptr)
    *location = redirect;
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  result.status = static_cast<int>(status);
  if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED) {
    result.error = "answer larger than " + std::to_string(settings_.maxBodyBytes) + " bytes";
    result.body.clear();
  } else if (rc != CURLE_OK) {
    result.error = curl_easy_strerror(rc);
    result.body.clear();
  } else if (status < 200 || status > 299) {
    result.error = "status " + std::to_string(status);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace sky::gateway
