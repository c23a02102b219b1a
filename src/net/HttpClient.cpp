#include "net/HttpClient.h"

#include <algorithm>
#include <cstdio>

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
// A spare capture buffer up to this size is always kept.
constexpr std::size_t kKeptSpareBytes = 1024 * 1024;

bool SendsData(CmdType c) { return c == CmdPost || c == CmdPut || c == CmdPatch || c == CmdTrace || c == CmdWrapped; }

bool AnnouncesLength(CmdType c) { return SendsData(c) || c == CmdLink || c == CmdUnLink; }

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
    if (OnAboutToSend) OnAboutToSend(this);
    ConnectKeepingCancel();
    CmdType sent = cmd_;
    bool redirectLimit = false;
    try {
      SendRequest();
      ReadReplyHeader();
      int sc = statusCode_;
      bool noBody = sent == CmdHead || (sc >= 100 && sc < 200) || sc == 204 || sc == 304;
      expectedLength_ = !noBody && totalBytes_ > 0 ? totalBytes_ : -1;
      if (InputFileMode) {
        CaptureFile(Body);
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
        Body.swap(spare_);
      }
      expectedLength_ = -1;
      if (sc < 300) {
        if (OnSuccess) OnSuccess(sent);
        ReportStatus(2, "Transaction Completed");
      } else if (sc >= 400) {
        if (OnFailure) OnFailure(sent);
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
    if (sc >= 300 && sc <= 399 && !redirectLimit) {
      if (!cookie_.empty()) HeaderInfo.Cookie = cookie_;
      bool handled = false;
      if (OnRedirect) OnRedirect(handled);
      if (handled) return;
      if (url_.find('/') == std::string::npos) {
        // A bare name is a page on the same server; keep a port other than
        // the default, which the plain "http://" form would lose.
        std::string server = Host;
        if (Port != 80) server += ":" + std::to_string(Port);
        url_ = "http://" + server + "/" + url_;
      }
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
    if (third != std::string::npos && third + 1 != url_.size()) path = url_.substr(third, 256);
  } else if (auto first = url_.find('/'); first != std::string::npos) {
    path = url_.substr(first, 256);
  }

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
    requestHeader_.Add("Host: " + Host);
  }
  requestHeader_.SetValue("Host", Host);
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
        url_ = Cut(WithoutLineEnd(line), 11, 256);
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
