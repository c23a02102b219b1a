#include "historic/site.h"

#include "common/hosts.h"
#include "conditions/page_writer.h"

namespace sky::historic {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      int hi = HexValue(s[i + 1]);
      int lo = HexValue(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// "host", "host:port", "[::1]:port" -> host in lower case.
std::string HostWithoutPort(const std::string& authority) {
  std::string host = authority;
  if (!host.empty() && host.front() == '[') {
    std::size_t close = host.find(']');
    host = close == std::string::npos ? host.substr(1) : host.substr(1, close - 1);
  } else {
    std::size_t colon = host.find(':');
    if (colon != std::string::npos) host.resize(colon);
  }
  return Lower(host);
}

bool IsThisMachine(const std::string& host) {
  return host.empty() || host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

// The sites of one host, asked in turn.
class ChainedSite : public Site {
 public:
  ChainedSite(std::unique_ptr<Site> first, std::unique_ptr<Site> second)
      : first_(std::move(first)), second_(std::move(second)) {}
  std::optional<Reply> Handle(const Request& request) const override {
    if (std::optional<Reply> reply = first_->Handle(request)) return reply;
    return second_->Handle(request);
  }

 private:
  std::unique_ptr<Site> first_, second_;
};

}  // namespace

void Router::Chain(const std::string& host, std::unique_ptr<Site> site) {
  std::unique_ptr<Site>& slot = sites_[Lower(host)];
  slot = slot ? std::make_unique<ChainedSite>(std::move(slot), std::move(site)) : std::move(site);
}

void Router::Add(const std::string& host, std::unique_ptr<Site> site) { sites_[Lower(host)] = std::move(site); }

void Router::Add(const std::string& host, std::function<std::optional<Reply>(const Request&)> handle) {
  Add(host, std::make_unique<FunctionSite>(std::move(handle)));
}

void Router::SetFallback(std::unique_ptr<Router> fallback) { fallback_ = std::move(fallback); }

Reply Router::Route(const Request& request) const {
  auto it = sites_.find(request.host);
  if (it != sites_.end()) {
    if (std::optional<Reply> reply = it->second->Handle(request)) return *reply;
  }
  if (fallback_) return fallback_->Route(request);
  Reply reply;
  reply.status = 404;
  reply.body =
      NotFoundPage("http://" + request.host + request.path + (request.query.empty() ? "" : "?" + request.query));
  return reply;
}

std::optional<Target> SplitTarget(const std::string& target, const std::string& host_header) {
  Target t;
  std::string rest;
  const std::string scheme = "http://";
  if (target.size() >= scheme.size() && Lower(target.substr(0, scheme.size())) == scheme) {
    std::string after = target.substr(scheme.size());
    std::size_t slash = after.find_first_of("/?");
    std::string authority = after.substr(0, slash);
    if (authority.empty()) return std::nullopt;
    t.host = HostWithoutPort(authority);
    rest = slash == std::string::npos ? "/" : after.substr(slash);
    if (rest.front() == '?') rest = "/" + rest;
  } else if (!target.empty() && target.front() == '/') {
    t.host = HostWithoutPort(host_header);
    rest = target;
  } else {
    return std::nullopt;
  }
  if (IsThisMachine(t.host)) t.host = hosts::kWeatherUnderground;
  std::size_t q = rest.find('?');
  if (q != std::string::npos) {
    t.query = rest.substr(q + 1);
    rest.resize(q);
  }
  t.path = PercentDecode(rest);
  return t;
}

std::string EscapeHtml(const std::string& text) { return EscapeHtmlText(text); }

std::string NotFoundPage(const std::string& what) {
  const std::string escaped = EscapeHtml(what);
  return "<html><head><title>404 Not Found</title></head>\n<body><h1>Not Found</h1>\n"
         "<p>The requested URL " +
         escaped + " was not found on this server.</p>\n</body></html>\n";
}

}  // namespace sky::historic
