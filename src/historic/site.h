// Routing of the historical hosts, shared by the sample server and the
// gateway, independent of the HTTP library: a request is reduced to host, path
// and query; each outside server is one Site (or a chain of them).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sky::historic {

struct Request {
  std::string method;    // "GET" or "HEAD"
  std::string host;      // lower case, without port
  std::string path;      // percent-decoded, begins with "/"
  std::string query;     // raw text after "?", without it
  std::int64_t now = 0;  // seconds since 1970 (UTC) the answer is made for
};

struct Reply {
  int status = 404;
  std::string contentType = "text/html; charset=iso-8859-1";
  std::string body;
  // Further header lines ("Age", "300"), in order.
  std::vector<std::pair<std::string, std::string>> headers;
};

// One outside server. Handle yields nothing for a path it does not know.
class Site {
 public:
  virtual ~Site() = default;
  virtual std::optional<Reply> Handle(const Request& request) const = 0;
};

// A site that is one function.
class FunctionSite : public Site {
 public:
  explicit FunctionSite(std::function<std::optional<Reply>(const Request&)> handle) : handle_(std::move(handle)) {}
  std::optional<Reply> Handle(const Request& request) const override { return handle_(request); }

 private:
  std::function<std::optional<Reply>(const Request&)> handle_;
};

class Router {
 public:
  void Add(const std::string& host, std::unique_ptr<Site> site);
  // A site that is one function: nothing for a path it does not know.
  void Add(const std::string& host, std::function<std::optional<Reply>(const Request&)> handle);
  // Adds a site behind the host's existing one: it answers the paths the
  // others do not know (several sites can share one host that way).
  void Chain(const std::string& host, std::unique_ptr<Site> site);
  // Where requests go that no site here answers (an unknown host, or a path
  // the host's sites do not know); without one they get a 404 page.
  void SetFallback(std::unique_ptr<Router> fallback);
  // The site's answer, or the fallback's, or a 404 page.
  Reply Route(const Request& request) const;

 private:
  std::map<std::string, std::unique_ptr<Site>> sites_;
  std::unique_ptr<Router> fallback_;
};

struct Target {
  std::string host;
  std::string path;
  std::string query;
};

// Splits a request target in proxy form ("http://host[:port]/path?query") or
// origin form ("/path?query"). The origin form takes its host from the Host
// header; without one, or when it names this machine, the request is for the
// conditions server. Nothing for a target in neither form.
std::optional<Target> SplitTarget(const std::string& target, const std::string& host_header);

std::string EscapeHtml(const std::string& text);
std::string NotFoundPage(const std::string& what);

}  // namespace sky::historic
