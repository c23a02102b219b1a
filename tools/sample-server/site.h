// Routing of the sample server, independent of the HTTP library: a request is
// reduced to host, path and query; each outside server is one Site.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace sky::sample {

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
};

// One outside server. Handle yields nothing for a path it does not know.
class Site {
 public:
  virtual ~Site() = default;
  virtual std::optional<Reply> Handle(const Request& request) const = 0;
};

class Router {
 public:
  void Add(const std::string& host, std::unique_ptr<Site> site);
  // Adds a site behind the host's existing one: it answers the paths the
  // others do not know (several sites can share one host that way).
  void Chain(const std::string& host, std::unique_ptr<Site> site);
  // The site's answer, or a 404 page for an unknown host or path.
  Reply Route(const Request& request) const;

 private:
  std::map<std::string, std::unique_ptr<Site>> sites_;
};

// A router with every site the sample server answers for; the maker's version
// file announces latestVersion.
std::unique_ptr<Router> MakeDefaultRouter(const std::string& latestVersion);

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

}  // namespace sky::sample
