// Network client subcommands: "request" (the request a Get would send, no
// network), "get" (one real Get with its events) and the user command
// "fetch" (download a URL like a small curl).
#include <chrono>
#include <optional>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "common/text.h"
#include "json.h"
#include "net/HttpClient.h"
#include "net/request_profile.h"
#include "net/request_service.h"

#include "settings/settings_names.h"

namespace {

using cli::Args;
using cli::Json;

int RunRequest(const Args& args) {
  auto p = cli::ParseArgs(
      args,
      {"previous-host", "port", "proxy", "proxy-port", "referer", "user-agent", "from", "cookie", "user", "password"},
      {}, 1, 1);
  sky::THttpClient c;
  if (auto v = p.Get("previous-host")) c.Host = *v;
  if (auto v = p.GetInt("port")) c.Port = *v;
  if (auto v = p.Get("proxy")) c.Proxy = *v;
  if (auto v = p.GetInt("proxy-port")) c.ProxyPort = *v;
  if (auto v = p.Get("referer")) c.HeaderInfo.Referer = *v;
  if (auto v = p.Get("user-agent")) c.HeaderInfo.LocalProgram = *v;
  if (auto v = p.Get("from")) c.HeaderInfo.LocalMailAddress = *v;
  if (auto v = p.Get("cookie")) c.HeaderInfo.Cookie = *v;
  if (auto v = p.Get("user")) c.HeaderInfo.UserId = *v;
  if (auto v = p.Get("password")) c.HeaderInfo.Password = *v;
  Json j;
  j.BeginObject();
  try {
    c.PrepareRequest(sky::CmdGet, p.positional[0]);
    j.Key("host").String(c.Host).Field("port", c.Port).Key("path").String(c.Path()).Key("url").String(c.URL());
    j.Key("request").String(c.RequestText());
  } catch (const sky::Exception& e) {
    j.Key("error").String(e.Message());
  }
  j.EndObject().Print();
  return cli::kExitOk;
}

const char* ClassOf(const std::exception& e) {
  if (dynamic_cast<const sky::EAbortError*>(&e)) return "EAbortError";
  if (dynamic_cast<const sky::ESockError*>(&e)) return "ESockError";
  return "Exception";
}

int RunGet(const Args& args) {
  auto p = cli::ParseArgs(
      args, {"proxy", "proxy-port", "timeout", "report-level", "referer", "body-file", "header-file"}, {}, 1, 1);
  sky::THttpClient c;
  std::vector<std::string> events;
  if (auto v = p.Get("proxy")) c.Proxy = *v;
  if (auto v = p.GetInt("proxy-port")) c.ProxyPort = *v;
  if (auto v = p.GetInt("timeout")) c.TimeOut = *v;
  if (auto v = p.GetInt("report-level")) c.ReportLevel = *v;
  if (auto v = p.Get("referer")) c.HeaderInfo.Referer = *v;
  if (auto v = p.Get("body-file")) {
    c.InputFileMode = true;
    c.Body = *v;
  }
  if (auto v = p.Get("header-file")) {
    c.OutputFileMode = true;
    c.Header = *v;
  }
  c.OnAboutToSend = [&](sky::TSockClient*) { events.push_back("AboutToSend"); };
  c.OnHostResolved = [&](sky::TSockClient*) { events.push_back("HostResolved"); };
  c.OnConnect = [&](sky::TSockClient*) { events.push_back("Connect"); };
  c.OnDisconnect = [&](sky::TSockClient*) { events.push_back("Disconnect"); };
  c.OnInvalidHost = [&](bool&) { events.push_back("InvalidHost"); };
  c.OnConnectionFailed = [&](sky::TSockClient*) { events.push_back("ConnectionFailed"); };
  c.OnRedirect = [&](bool&) { events.push_back("Redirect"); };
  c.OnAuthenticationNeeded = [&](sky::TSockClient*) { events.push_back("AuthenticationNeeded"); };
  c.OnPacketSent = [&](sky::TSockClient*) { events.push_back("PacketSent"); };
  c.OnPacketRecvd = [&](sky::TSockClient* s) {
    events.push_back("PacketRecvd " + std::to_string(s->ReceivedBytes()) + " " + std::to_string(s->TotalBytes()));
  };
  c.OnStatus = [&](sky::TSockClient*, const std::string& text) { events.push_back("Status " + text); };
  c.OnSuccess = [&](sky::CmdType cmd) { events.push_back(std::string("Success ") + sky::CmdTypeName(cmd)); };
  c.OnFailure = [&](sky::CmdType cmd) { events.push_back(std::string("Failure ") + sky::CmdTypeName(cmd)); };

  std::optional<std::pair<std::string, std::string>> error;
  try {
    c.Get(p.positional[0]);
  } catch (const sky::Exception& e) {
    error = std::make_pair(std::string(ClassOf(e)), e.Message());
  } catch (const std::exception& e) {
    error = std::make_pair(std::string("Exception"), std::string(e.what()));
  }
  Json j;
  j.BeginObject();
  j.Field("events", events);
  j.Field("StatusCode", static_cast<int>(c.StatusCode()));
  j.Field("TotalBytes", static_cast<std::int64_t>(c.TotalBytes()));
  j.Field("ReceivedBytes", static_cast<std::int64_t>(c.ReceivedBytes()));
  j.Key("Header").String(c.Header);
  if (c.InputFileMode) j.Key("Body").Null();
  else j.Key("Body").String(c.Body);
  j.Key("exception");
  if (error) {
    j.BeginObject().Key("class").String(error->first).Key("message").String(error->second).EndObject();
  } else {
    j.Null();
  }
  j.EndObject().Print();
  return cli::kExitOk;
}

// Why `url` cannot be fetched, or nothing: only http:// with a host name or
// address, an optional port of 1 to 65535, and no blank or control character
// (each would break the request line).
std::optional<std::string> UrlProblem(const std::string& url) {
  const std::string scheme = "http://";
  if (sky::LowerAscii(url.substr(0, scheme.size())) != scheme) {
    const std::size_t sep = url.find("://");
    if (sep != std::string::npos && sep > 0)
      return "only http:// addresses can be fetched, not " + url.substr(0, sep + 3);
    return "write the address as http://HOST[:PORT]/PATH";
  }
  for (unsigned char ch : url)
    if (ch <= ' ' || ch == 0x7F) return "it holds a blank or a control character (write a blank as %20)";
  const std::string rest = url.substr(scheme.size());
  const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
  const std::size_t colon = authority.find(':');
  const std::string host = authority.substr(0, colon);
  if (host.empty()) return "it names no host";
  for (char ch : host) {
    const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
                    ch == '.' || ch == '_';
    if (!ok) return "'" + host + "' is no host name";
  }
  if (colon != std::string::npos) {
    const std::string port = authority.substr(colon + 1);
    int n = 0;
    const bool digits = !port.empty() && port.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || !sky::TryStrToInt(port, n) || n < 1 || n > 65535) return "'" + port + "' is no port (1 to 65535)";
  }
  return std::nullopt;
}

int RunFetch(const Args& args) {
  auto p = cli::ParseArgs(args, {"o", "output"}, {}, 1, 1);
  const std::string& url = p.positional[0];
  if (auto problem = UrlProblem(url)) throw cli::UsageError("cannot fetch '" + url + "': " + *problem);
  std::optional<std::string> out = p.Get("o");
  if (!out) out = p.Get("output");
  sky::THttpClient c;
  c.TimeOut = sky::kPageTimeOutMs;
  c.HeaderInfo.Referer = sky::kReferer;
  if (out) {
    c.InputFileMode = true;
    c.Body = *out;
  }
  bool ok = false;
  bool progress = false;
  bool timedOut = false;
  std::chrono::steady_clock::time_point lastShown{};
  c.ReportLevel = sky::kReportTrace;  // to learn of a time-out
  c.OnStatus = [&](sky::TSockClient*, const std::string& text) {
    if (text == "Timer Triggered") timedOut = true;
  };
  c.OnSuccess = [&](sky::CmdType) { ok = true; };
  c.OnPacketRecvd = [&](sky::TSockClient* s) {
    // A few updates a second are enough, and keep a log of stderr short.
    auto now = std::chrono::steady_clock::now();
    bool last = s->TotalBytes() > 0 && s->ReceivedBytes() >= s->TotalBytes();
    if (progress && !last && now - lastShown < std::chrono::milliseconds(100)) return;
    lastShown = now;
    progress = true;
    if (s->TotalBytes() > 0)
      std::fprintf(stderr, "\r%lld of %lld bytes retrieved", static_cast<long long>(s->ReceivedBytes()),
                   static_cast<long long>(s->TotalBytes()));
    else std::fprintf(stderr, "\r%lld bytes retrieved...", static_cast<long long>(s->ReceivedBytes()));
  };
  c.OnRedirect = [&](bool&) {
    if (progress) std::fprintf(stderr, "\n");
    progress = false;
    std::fprintf(stderr, "redirected to %s\n", sky::Latin1ToUtf8(c.URL()).c_str());
  };
  try {
    // The proxy the program would use.
    sky::ApplyStoredProxy(c, sky::settings::StoreReader());
    if (!c.Proxy.empty())
      std::fprintf(stderr, "skyglass-cli fetch: via proxy %s:%d\n", sky::Latin1ToUtf8(c.Proxy).c_str(), c.ProxyPort);
    c.Get(url);
  } catch (const std::exception& e) {
    if (progress) std::fprintf(stderr, "\n");
    // (A failed -o leaves the file as it was: the client writes it aside and renames it when whole.)
    const long long bound = out ? static_cast<long long>(c.MaxFileBytes) : static_cast<long long>(c.MaxBufferedBytes);
    if (c.ReceivedBytes() >= bound || c.TotalBytes() > bound) {
      std::fprintf(stderr, "skyglass-cli fetch: refused: the body is larger than %lld MB, the most fetch takes\n",
                   bound >> 20);
      return cli::kExitFailed;
    }
    const cli::NetFailure f = cli::DescribeNetFailure(c, e.what(), timedOut);
    std::fprintf(stderr, "skyglass-cli fetch: %s\n", sky::Latin1ToUtf8(f.text).c_str());
    if (!f.hint.empty()) std::fprintf(stderr, "  %s\n", f.hint.c_str());
    return cli::kExitFailed;
  }
  if (progress) {
    if (c.TotalBytes() <= 0)  // the last count may not have been shown
      std::fprintf(stderr, "\r%lld bytes retrieved", static_cast<long long>(c.ReceivedBytes()));
    std::fprintf(stderr, "\n");
  }
  if (!ok) {
    std::fprintf(stderr, "skyglass-cli fetch: the server %s answered with status %d\n",
                 sky::Latin1ToUtf8(c.Host).c_str(), c.StatusCode());
    return cli::kExitFailed;
  }
  if (!out) {
    if (std::fwrite(c.Body.data(), 1, c.Body.size(), stdout) != c.Body.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "skyglass-cli fetch: cannot write the body to standard output\n");
      return cli::kExitFailed;
    }
  }
  return cli::kExitOk;
}

cli::Register regRequest({"request",
                          "request URL [--previous-host H] [--port N] [--proxy HOST] [--proxy-port N] [--referer R] "
                          "[--user-agent A] [--from M] [--cookie C] [--user U] [--password P]",
                          RunRequest});
cli::Register regGet({"get",
                      "get URL [--proxy HOST] [--proxy-port N] [--timeout MS] [--report-level N] [--referer R] "
                      "[--body-file FILE] [--header-file FILE]",
                      RunGet});
cli::Register regFetch({"fetch", "fetch URL [-o FILE]", RunFetch});

}  // namespace
