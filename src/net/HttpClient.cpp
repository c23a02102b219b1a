#include "net/HttpClient.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/safe_file.h"
#include "common/scoped_flag.h"
#include "common/text.h"
#include "net/UUCoder.h"
#include "net/file_handle.h"

namespace sky {

namespace {

// The 1-based `index`-th field of `s` split at `sep`; empty fields between
// adjacent separators count. "" past the last field.
std::string Field(const std::string& s, char sep, int index) {
  std::size_t start = 0;
  for (int i = 1; i < index; ++i) {
    auto at = s.find(sep, start);
    if (at == std::string::npos) return {};
    start = at + 1;
  }
  auto end = s.find(sep, start);
  return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// 0-based position of the n-th occurrence of c, npos when there are fewer.
std::size_t NthPos(const std::string& s, char c, int n) {
  std::size_t at = std::string::npos;
  for (int i = 0; i < n; ++i) {
    at = s.find(c, at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) return at;
  }
  return at;
}

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

constexpr std::size_t kMaxHeaderBytes = 1024 * 1024;

// The statuses that send the client elsewhere; the other 3xx (300 Multiple
// Choices, 304 Not Modified, 305 and 306) are answers of their own.
bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// "http://host[:port]" of an absolute address, "" for any other.
std::string OriginOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos || url.find_first_of("/?#") < scheme) return {};
  const std::size_t pathAt = url.find_first_of("/?#", scheme + 3);
  return url.substr(0, pathAt);
}

// A Location value resolved against the address of the request it answered:
// absolute as it is, "//host/p" with the request's scheme, "/p" on the same
// server (port included), "p" and "?q" beside the request's path.
std::string ResolveLocation(const std::string& base, const std::string& location) {
  if (location.empty() || !OriginOf(location).empty()) return location;
  const std::string origin = OriginOf(base);
  if (origin.empty()) return location;  // no address to resolve against: taken as it came
  if (location.starts_with("//")) return origin.substr(0, origin.find("://") + 1) + location;
  if (location[0] == '/') return origin + location;
  std::string path = base.substr(origin.size());
  path = path.substr(0, path.find_first_of("?#"));
  if (path.empty()) path = "/";
  if (location[0] == '?') return origin + path + location;
  return origin + path.substr(0, path.rfind('/') + 1) + location;
}

// The body of a chunked answer without its framing; nullopt when the framing
// is broken (a size that is no hexadecimal number, a chunk cut short).
std::optional<std::string> Dechunked(const std::string& framed) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t lineEnd = framed.find('\n', at);
    if (lineEnd == std::string::npos) return std::nullopt;
    std::size_t size = 0, digits = 0;
    for (std::size_t i = at; i < lineEnd; ++i, ++digits) {
      const char c = framed[i];
      const int v = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (v < 0) break;
      if (size > (std::size_t{1} << 40)) return std::nullopt;
      size = size * 16 + static_cast<std::size_t>(v);
    }
    if (digits == 0) return std::nullopt;
    at = lineEnd + 1;
    if (size == 0) return out;  // trailers, if any, are no body
    if (framed.size() - at < size) return std::nullopt;
    out.append(framed, at, size);
    at += size;
    if (framed.compare(at, 2, "\r\n") == 0) at += 2;
    else if (framed.compare(at, 1, "\n") == 0) at += 1;
    else return std::nullopt;
  }
}
// A spare capture buffer up to this size is always kept.
constexpr std::size_t kKeptSpareBytes = 1024 * 1024;

bool SendsData(CmdType c) { return c == CmdPost || c == CmdPut || c == CmdPatch || c == CmdTrace || c == CmdWrapped; }

bool AnnouncesLength(CmdType c) { return SendsData(c) || c == CmdLink || c == CmdUnLink; }

// A chunked body captured into a file, rewritten without its framing.
void DechunkFile(const std::string& name) {
  std::string framed;
  {
    TFile f(name.c_str(), "rb");
    if (!f) throw EFileError("Cannot open file " + name);
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) framed.append(buf, n);
  }
  std::optional<std::string> plain = Dechunked(framed);
  if (!plain) throw EAbortError("Socket capture aborted");
  if (!WriteReplacing(name, plain->data(), plain->size())) throw EFileError("Cannot write file " + name);
}

void WriteAll(std::FILE* f, const std::string& text, const std::string& name) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f) != text.size())
    throw EFileError("Cannot write file " + name);
}

}  // namespace

const char* CmdTypeName(CmdType cmd) {
  static const char* const kNames[] = {"CmdGet",    "CmdOptions", "CmdHead",   "CmdPost",   "CmdPut",
                                       "CmdPatch",  "CmdCopy",    "CmdMove",   "CmdDelete", "CmdLink",
                                       "CmdUnLink", "CmdTrace",   "CmdWrapped"};
  return cmd <= CmdWrapped ? kNames[cmd] : "CmdGet";
}

THttpClient::~THttpClient() = default;

void THttpClient::Abort() {
  abortedByUser_ = true;
  lookupDone_ = true;
  Cancel();
}

void THttpClient::Run(CmdType cmd, const std::string& url, const std::string& data, const std::string& argument) {
  // A second request on the same client while one runs (from a handler or
  // the message pump) would overwrite the running one's state.
  if (requestRunning_ || Connected()) throw ESockError("Already connected");
  abortedByUser_ = false;
  url_ = url;
  cmd_ = cmd;
  data_ = data;
  argument_ = argument;
  ExecuteRequest();
}

void THttpClient::Get(const std::string& url) { Run(CmdGet, url, {}, {}); }
void THttpClient::Options(const std::string& url) { Run(CmdOptions, url, {}, {}); }
void THttpClient::Head(const std::string& url) { Run(CmdHead, url, {}, {}); }
void THttpClient::Delete(const std::string& url) { Run(CmdDelete, url, {}, {}); }
void THttpClient::Post(const std::string& url, const std::string& data) {
  Run(CmdPost, url, !OutputFileMode && DecodeRequestData ? UrlCoder.Decode(data) : data, {});
}
void THttpClient::Put(const std::string& url, const std::string& data) { Run(CmdPut, url, data, {}); }
void THttpClient::Patch(const std::string& url, const std::string& data) { Run(CmdPatch, url, data, {}); }
void THttpClient::Trace(const std::string& url, const std::string& data) { Run(CmdTrace, url, data, {}); }
void THttpClient::Wrapped(const std::string& url, const std::string& data) { Run(CmdWrapped, url, data, {}); }
void THttpClient::Copy(const std::string& url, const std::string& destination) { Run(CmdCopy, url, {}, destination); }
void THttpClient::Move(const std::string& url, const std::string& destination) { Run(CmdMove, url, {}, destination); }
void THttpClient::Link(const std::string& url, const std::string& link) { Run(CmdLink, url, "Send.dat", link); }
void THttpClient::UnLink(const std::string& url, const std::string& link) { Run(CmdUnLink, url, "Send.dat", link); }

void THttpClient::PrepareRequest(CmdType cmd, const std::string& url, const std::string& data,
                                 const std::string& argument) {
  url_ = url;
  cmd_ = cmd;
  data_ = data;
  argument_ = argument;
  ParseURL();
  BuildRequestHeader();
}

void THttpClient::ExecuteRequest() {
  if (requestRunning_) throw ESockError("Already connected");
  ScopedFlag running(requestRunning_);
  // A cancel left over from an earlier request or an idle Abort is spent;
  // one raised from here on (even in OnAboutToSend) ends this request.
  cancel_ = false;
  // One deadline for the whole request, redirects included.
  StartRequestClock();
  int redirects = 0;
  for (;;) {
    ParseURL();
    BuildRequestHeader();
    requestUrl_ = url_;
    if (OnAboutToSend) OnAboutToSend(this);
    ConnectKeepingCancel();
    CmdType sent = cmd_;
    bool redirectLimit = false;
    try {
      SendRequest();
      ReadReplyHeader();
      int sc = statusCode_;
      // No body, or an announced empty one: the answer ends with its header
      // (after a short wait for the close), also where the peer holds the
      // connection open (a proxy asked for keep-alive).
      const bool noBody = sent == CmdHead || (sc >= 100 && sc < 200) || sc == 204 || sc == 304 ||
                          (lengthAnnounced_ && totalBytes_ == 0 && !chunked_);
      expectedLength_ = noBody ? 0 : totalBytes_ > 0 && !chunked_ ? totalBytes_ : -1;
      if (InputFileMode) {
        CaptureFile(Body);
        if (chunked_) DechunkFile(Body);
      } else {
        // Into the spare buffer, so that a cut-off body leaves Body as it
        // was; the former body's buffer is then the spare of the next
        // request. Reusing it spares the kernel's zeroing of fresh pages,
        // the largest cost of a big download. A spare far larger than the
        // body now held is given back, also after a failed capture.
        struct TrimSpare {
          std::string& spare;
          const std::string& body;
          ~TrimSpare() {
            if (spare.capacity() > kKeptSpareBytes && spare.capacity() > 2 * body.size()) std::string().swap(spare);
            else spare.clear();
          }
        } trim{spare_, Body};
        CaptureStringInto(spare_, -1);
        if (chunked_) {
          std::optional<std::string> plain = Dechunked(spare_);
          if (!plain) ThrowAborted("Socket capture aborted");
          spare_ = std::move(*plain);
        }
        Body.swap(spare_);
      }
      expectedLength_ = -1;
      if (sc < 300) {
        if (OnSuccess) OnSuccess(sent);
        ReportStatus(2, "Transaction Completed");
      } else if (sc >= 400) {
        if (OnFailure) OnFailure(sent);
      } else if (!IsRedirect(sc)) {
        // An answer without a body of its own (304) or a choice the client cannot make (300).
      } else if (redirects >= MaxRedirects) {
        // Too many redirects in a row (a loop, or a 3xx without Location).
        redirectLimit = true;
        if (OnFailure) OnFailure(sent);
      }
    } catch (...) {
      expectedLength_ = -1;
      Disconnect();
      throw;
    }
    Disconnect();
    int sc = statusCode_;
    if (IsRedirect(sc) && !redirectLimit) {
      if (!cookie_.empty()) HeaderInfo.Cookie = cookie_;
      bool handled = false;
      if (OnRedirect) OnRedirect(handled);
      if (handled) return;
      url_ = ResolveLocation(requestUrl_, url_);
      ++redirects;
      continue;
    }
    if (sc == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(this);
    return;
  }
}

void THttpClient::ParseURL() {
  if (url_.empty()) throw Exception("Empty URL");
  if (Port == 0) Port = 80;

  std::string path;
  bool slashes = url_.find("//") != std::string::npos;
  if (slashes) {
    auto third = NthPos(url_, '/', 3);
    if (third != std::string::npos && third + 1 != url_.size()) path = url_.substr(third);
  } else if (auto first = url_.find('/'); first != std::string::npos) {
    path = url_.substr(first);
  }
  if (path.size() > MaxPathLength)
    throw Exception("The address is too long: its path has " + std::to_string(path.size()) + " characters, at most " +
                    std::to_string(MaxPathLength) + " are sent");

  if (auto colon = url_.find(':'); colon != std::string::npos) {
    std::string scheme = LowerAscii(url_.substr(0, colon));
    Port = scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
  }

  std::string host;
  if (slashes) host = Field(url_, '/', 3);
  else if (url_[0] != '/') host = Field(url_, '/', 1);

  if (auto colon = host.find(':'); colon != std::string::npos) {
    std::string portText = Field(host, ':', 2);
    int port = 0;
    if (!TryStrToInt(portText, port)) throw EConvertError("'" + portText + "' is not a valid integer value");
    Port = port;
    host.resize(colon);
  }
  if (!host.empty()) Host = host;

  if (path.empty()) {
    path = "/";
    url_ += "/";
  }
  path_ = path;
}

void THttpClient::BuildRequestHeader() {
  static const char* const kMethods[] = {"GET ",  "OPTIONS ", "HEAD ",   "POST ", "PUT ",    "PATCH ",
                                         "COPY ", "MOVE ",    "DELETE ", "LINK ", "UNLINK ", "TRACE "};
  requestHeader_.Clear();
  if (cmd_ < CmdWrapped)  // a wrapped request brings its own first line
    requestHeader_.Add(std::string(kMethods[cmd_]) + (Proxy.empty() ? path_ : url_) + " HTTP/1.0");
  if (!Proxy.empty()) {
    requestHeader_.Add("Proxy-Connection: Keep-Alive");
    requestHeader_.Add("Host: " + Host);  // replaced below by the value with its port
  }
  // A server behind a port of its own is named with it (name-based servers
  // and proxies pick the site by this line).
  requestHeader_.SetValue("Host", Port != 80 && Port != 0 ? Host + ":" + std::to_string(Port) : Host);
  requestHeader_.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
  requestHeader_.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
  if (!HeaderInfo.LocalProgram.empty()) requestHeader_.SetValue("User-Agent", HeaderInfo.LocalProgram);
  if (!HeaderInfo.LocalMailAddress.empty()) requestHeader_.SetValue("From", HeaderInfo.LocalMailAddress);
  if (!HeaderInfo.Cookie.empty()) requestHeader_.SetValue("Cookie", HeaderInfo.Cookie);
  if (!HeaderInfo.Referer.empty()) requestHeader_.SetValue("Referer", HeaderInfo.Referer);
  if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty()) {
    TUUProcessor coder;
    coder.Method = TUUMethod::uuMime;
    std::string lines = coder.EncodeString(HeaderInfo.UserId + ":" + HeaderInfo.Password);
    std::string b64;
    for (char c : lines)
      if (c != '\r' && c != '\n') b64 += c;
    requestHeader_.SetValue("Authorization", "Basic " + b64);
  }
  requestHeader_.Add("Content-type: application/x-www-form-urlencoded");
  if (cmd_ == CmdCopy || cmd_ == CmdMove) requestHeader_.Add("URI-header: " + argument_);
  if (cmd_ == CmdLink || cmd_ == CmdUnLink) requestHeader_.Add("Link: " + argument_);
  if (AnnouncesLength(cmd_)) {
    long long length = 0;
    if (OutputFileMode) {
      TFile f(data_.c_str(), "rb");
      if (!f) throw EFileError("Cannot open file " + data_);
      std::fseek(f.get(), 0, SEEK_END);
      length = std::ftell(f.get());
      if (length < 0) length = 0;
    } else {
      length = static_cast<long long>(data_.size());
    }
    requestHeader_.Add("Content-Length: " + std::to_string(length));
  }
  requestHeader_.Add("");
}

void THttpClient::SendRequest() {
  Write(requestHeader_.Text());
  if (SendsData(cmd_)) {
    if (OutputFileMode) SendFile(data_);
    else Write(data_);
  }
  cmd_ = CmdGet;
}

void THttpClient::ReadReplyHeader() {
  totalBytes_ = 0;
  lengthAnnounced_ = false;
  chunked_ = false;
  cookie_.clear();
  TFile file;
  if (OutputFileMode) {
    file = TFile(Header.c_str(), "wb");
    if (!file) throw EFileError("Cannot create file " + Header);
  } else {
    Header.clear();
  }
  auto store = [&](const std::string& line) {
    if (file) WriteAll(file.get(), line, Header);
    else Header += line;
  };
  // A peer that sends header lines without end, or one line without end,
  // must not fill the memory (or the disk) either. Real reply headers are a
  // few kilobytes.
  const std::size_t maxHeader = std::min<std::size_t>(MaxBufferedBytes, kMaxHeaderBytes);
  {
    std::string line = ReadLnBounded(maxHeader);
    if (line.empty()) {
      // The server closed without sending a reply at all: that is no
      // success, whatever the status classification would make of it.
      ThrowAborted("Socket readln aborted", TFailure::LineCutOff);
    }
    int code = 0;
    if (!TryStrToInt(Field(line, ' ', 2), code)) code = 0;
    statusCode_ = static_cast<std::int16_t>(code);
    store(line);
    std::size_t headerBytes = line.size();
    for (;;) {
      if (headerBytes >= maxHeader) ThrowAborted("Socket readln aborted", TFailure::LineCutOff);
      line = ReadLnBounded(maxHeader - headerBytes);
      headerBytes += line.size();
      std::string upper = UpperAscii(line);
      std::string key = Field(upper, ' ', 1);
      if (key == "SET-COOKIE:") {
        cookie_ = Cut(WithoutLineEnd(line), 13, 256);
      } else if (key == "LOCATION:") {
        url_ = std::string(Trim(Cut(WithoutLineEnd(line), 11, static_cast<long long>(line.size()))));
        if (url_.size() > MaxPathLength)
          throw Exception("The server's Location is too long: " + std::to_string(url_.size()) +
                          " characters, at most " + std::to_string(MaxPathLength) + " are followed");
      } else if (key == "TRANSFER-ENCODING:") {
        chunked_ = upper.find("CHUNKED") != std::string::npos;
      } else if (key == "CONTENT-LENGTH:") {
        std::size_t at = upper.find("ENGTH:");
        std::string rest = at == std::string::npos ? std::string() : upper.substr(std::min(upper.size(), at + 7));
        std::size_t i = 0;
        while (i < rest.size() && (rest[i] < '0' || rest[i] > '9')) ++i;
        std::int64_t value = 0;
        for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
          if (value < (std::int64_t{1} << 50)) value = value * 10 + (rest[i] - '0');
        }
        totalBytes_ = value;
        lengthAnnounced_ = true;
      }
      store(line);
      if (line == "\n" || line == "\r\n") break;
      // The peer closed before the empty line that ends every header: a
      // cut-off reply must not pass for a complete one.
      if (line.empty() || line.back() != '\n') ThrowAborted("Socket readln aborted", TFailure::LineCutOff);
    }
  }
  if (!file.Close()) throw EFileError("Cannot write file " + Header);
}

}  // namespace sky
