// The HTTP/1.0 client every page and picture of the program comes through.
//
// The caller sets the properties, calls a request method and finds the reply
// in Body (or in the file named by Body) and Header when the call returns.
// The call blocks but keeps the owner's events flowing (see SockClient.h),
// so Abort can be called from a menu handler or an event handler meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "net/ExtStrings.h"
#include "net/SockClient.h"
#include "net/UrlCoder.h"

namespace sky {

enum CmdType : unsigned char {
  CmdGet = 0,
  CmdOptions = 1,
  CmdHead = 2,
  CmdPost = 3,
  CmdPut = 4,
  CmdPatch = 5,
  CmdCopy = 6,
  CmdMove = 7,
  CmdDelete = 8,
  CmdLink = 9,
  CmdUnLink = 10,
  CmdTrace = 11,
  CmdWrapped = 12,
};

// "CmdGet", "CmdOptions", ... as the enumeration names them.
const char* CmdTypeName(CmdType cmd);

// Caller-set request header values; an empty value sends no line.
struct THeaderInfo {
  std::string LocalMailAddress;
  std::string LocalProgram;
  std::string Cookie;
  std::string Referer;
  std::string UserId;
  std::string Password;
};

using TResultEvent = std::function<void(CmdType Cmd)>;

class THttpClient : public TSockClient {
 public:
  THttpClient() = default;
  ~THttpClient() override;

  // ---- published properties
  std::string Body = "Default.htm";  // reply body, or the body file's name (InputFileMode)
  std::string Header = "Head.txt";   // reply header, or the header file's name (OutputFileMode)
  THeaderInfo HeaderInfo;
  bool InputFileMode = false;   // the reply body goes to the file named by Body
  bool OutputFileMode = false;  // the reply header goes to the file named by Header,
                                // and request data arguments are file names
  // Post passes its data through UrlCoder's decoding (not in OutputFileMode).
  bool DecodeRequestData = true;
  TUrlCoder UrlCoder;
  // Redirects followed in a row before a further one ends the request as a
  // failure reply does.
  int MaxRedirects = 20;
  // Longest path (request line) and Location the client takes; a longer one
  // is an error, never cut short (a cut address asks for another page).
  static constexpr std::size_t MaxPathLength = 8000;

  // ---- events
  TResultEvent OnSuccess;
  TResultEvent OnFailure;
  TSockNotify OnAboutToSend;
  THandlerEvent OnRedirect;
  TSockNotify OnAuthenticationNeeded;

  // ---- request methods
  void Get(const std::string& url);
  void Options(const std::string& url);
  void Head(const std::string& url);
  void Delete(const std::string& url);
  void Post(const std::string& url, const std::string& data);
  void Put(const std::string& url, const std::string& data);
  void Patch(const std::string& url, const std::string& data);
  void Trace(const std::string& url, const std::string& data);
  void Wrapped(const std::string& url, const std::string& data);
  void Copy(const std::string& url, const std::string& destination);
  void Move(const std::string& url, const std::string& destination);
  void Link(const std::string& url, const std::string& link);
  void UnLink(const std::string& url, const std::string& link);

  // Ends the running request (a pending name lookup included).
  void Abort() override;
  // Whether the last request (or the one running) was ended by Abort: the
  // user asked for it, so its failure is no error to report.
  bool AbortedByUser() const { return abortedByUser_; }

  // Parses the URL and builds the request header for a command without any
  // network access (what a request method sends first).
  void PrepareRequest(CmdType cmd, const std::string& url, const std::string& data = {},
                      const std::string& argument = {});

  // The current request: URL (after parsing, or a redirect target), path
  // and the request header text (each line followed by CR LF).
  const std::string& URL() const { return url_; }
  const std::string& Path() const { return path_; }
  std::string RequestText() const { return requestHeader_.Text(); }
  const TExStringList& RequestHeader() const { return requestHeader_; }
  // The value of the last "Set-Cookie:" line of the last reply.
  const std::string& ReceivedCookie() const { return cookie_; }
  CmdType CurrentCommand() const { return cmd_; }

  virtual void ExecuteRequest();
  virtual void ParseURL();
  virtual void BuildRequestHeader();
  virtual void ReadReplyHeader();
  virtual void SendRequest();

 private:
  void Run(CmdType cmd, const std::string& url, const std::string& data, const std::string& argument);

  std::string path_;
  TExStringList requestHeader_;
  std::string cookie_;
  std::string data_;
  std::string argument_;
  std::string spare_;  // the buffer the next body in memory is captured into
  std::string url_;
  std::string requestUrl_;        // the address the last request went to, for a relative Location
  bool lengthAnnounced_ = false;  // the reply carried a Content-Length
  bool chunked_ = false;          // the reply's body comes in chunks
  CmdType cmd_ = CmdGet;
  bool requestRunning_ = false;
  bool abortedByUser_ = false;
};

}  // namespace sky
