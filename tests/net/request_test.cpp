// The request the client would send, byte for byte, and its helpers; no
// network access.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "net/ExtStrings.h"
#include "net/HttpClient.h"
#include "net/SockClient.h"
#include "net/UUCoder.h"
#include "net/UrlCoder.h"

namespace {

using namespace sky;

const std::string kAccept =
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
const std::string kContentType = "Content-type: application/x-www-form-urlencoded\r\n";

TEST(RequestHeader, MainWindowGetIsExact) {
  THttpClient c;
  c.HeaderInfo.Referer = "Skyglass by Corvantis";
  c.PrepareRequest(CmdGet, "http://h/a/b?x=1");
  EXPECT_EQ(c.Host, "h");
  EXPECT_EQ(c.Port, 80);
  EXPECT_EQ(c.Path(), "/a/b?x=1");
  EXPECT_EQ(c.RequestText(), "GET /a/b?x=1 HTTP/1.0\r\nHost: h\r\n" + kAccept + "Referer: Skyglass by Corvantis\r\n" +
                                 kContentType + "\r\n");
}

TEST(RequestHeader, ProxyFormCarriesWholeUrlAndOneHostLine) {
  THttpClient c;
  c.Proxy = "proxy.local";
  c.ProxyPort = 3128;
  c.HeaderInfo.LocalProgram = "Agent";
  c.HeaderInfo.LocalMailAddress = "me@x";
  c.HeaderInfo.Cookie = "id=1";
  c.PrepareRequest(CmdGet, "http://h");
  EXPECT_EQ(c.URL(), "http://h/");
  EXPECT_EQ(c.RequestText(), "GET http://h/ HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nHost: h\r\n" + kAccept +
                                 "User-Agent: Agent\r\nFrom: me@x\r\nCookie: id=1\r\n" + kContentType + "\r\n");
  // Ending right after the third "/" doubles it in the proxy form.
  c.PrepareRequest(CmdGet, "http://h/");
  EXPECT_EQ(c.URL(), "http://h//");
  EXPECT_EQ(c.RequestHeader()[0], "GET http://h// HTTP/1.0");
}

TEST(RequestHeader, AuthorizationIsBase64OnOneLine) {
  THttpClient c;
  c.HeaderInfo.UserId = std::string(30, 'u');
  c.HeaderInfo.Password = std::string(30, 'p');
  c.PrepareRequest(CmdGet, "http://h/");
  const std::string b64 = "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1OnBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcA==";
  EXPECT_EQ(c.RequestText(),
            "GET / HTTP/1.0\r\nHost: h\r\n" + kAccept + "Authorization: Basic " + b64 + "\r\n" + kContentType + "\r\n");
  c.HeaderInfo.Password.clear();
  c.PrepareRequest(CmdGet, "http://h/");
  EXPECT_EQ(c.RequestText().find("Authorization"), std::string::npos);
}

TEST(RequestHeader, DataCommandsAnnounceTheirLength) {
  THttpClient c;
  c.PrepareRequest(CmdPost, "http://h/p", "a bA");
  EXPECT_EQ(c.RequestText(), "POST /p HTTP/1.0\r\nHost: h\r\n" + kAccept + kContentType + "Content-Length: 4\r\n\r\n");
  c.PrepareRequest(CmdCopy, "http://h/p", "", "/q");
  EXPECT_EQ(c.RequestText(), "COPY /p HTTP/1.0\r\nHost: h\r\n" + kAccept + kContentType + "URI-header: /q\r\n\r\n");
  c.PrepareRequest(CmdLink, "http://h/p", "Send.dat", "<x>");
  EXPECT_EQ(c.RequestText(),
            "LINK /p HTTP/1.0\r\nHost: h\r\n" + kAccept + kContentType + "Link: <x>\r\nContent-Length: 8\r\n\r\n");
  c.PrepareRequest(CmdWrapped, "http://h/p", "xyz");
  EXPECT_EQ(c.RequestText(), "Host: h\r\n" + kAccept + kContentType + "Content-Length: 3\r\n\r\n");
  // In file mode the data argument names a file, which must exist.
  c.OutputFileMode = true;
  EXPECT_THROW(c.PrepareRequest(CmdPut, "http://h/p", "/nonexistent/file"), EFileError);
}

TEST(ParseUrl, HostPortPathForms) {
  THttpClient c;
  c.PrepareRequest(CmdGet, "http://h:8080/x");
  EXPECT_EQ(c.Host, "h");
  EXPECT_EQ(c.Port, 8080);
  c.PrepareRequest(CmdGet, "ftp://f/x");
  EXPECT_EQ(c.Port, 21);
  c.PrepareRequest(CmdGet, "gopher://g/x");
  EXPECT_EQ(c.Port, 70);
  c.PrepareRequest(CmdGet, "news://n/x");
  EXPECT_EQ(c.Port, 80);

  // No scheme and no "/": the whole text is the host.
  c.PrepareRequest(CmdGet, "plainhost");
  EXPECT_EQ(c.Host, "plainhost");
  EXPECT_EQ(c.Path(), "/");
  EXPECT_EQ(c.URL(), "plainhost/");

  // A relative URL keeps the previous host and port.
  c.PrepareRequest(CmdGet, "http://h:81/");
  c.PrepareRequest(CmdGet, "/rel/page.html");
  EXPECT_EQ(c.Host, "h");
  EXPECT_EQ(c.Port, 81);
  EXPECT_EQ(c.Path(), "/rel/page.html");

  // A long path is sent whole (a cut one would ask for another page); one
  // beyond what the engine sends is an error.
  c.PrepareRequest(CmdGet, "http://h/" + std::string(400, 'a'));
  EXPECT_EQ(c.Path().size(), 401u);
  EXPECT_THROW(c.PrepareRequest(CmdGet, "http://h/" + std::string(THttpClient::MaxPathLength, 'a')), Exception);
}

TEST(ParseUrl, BadInputRaisesTheFrameworkErrors) {
  THttpClient c;
  try {
    c.PrepareRequest(CmdGet, "");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Empty URL");
  }
  try {
    c.PrepareRequest(CmdGet, "http://h:80x/");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'80x' is not a valid integer value");
  }
}

TEST(ExStringList, NameValueAccess) {
  TExStringList l;
  l.Add("Host: a");
  l.Add("Accept: x");
  l.SetValue("host", "b");
  EXPECT_EQ(l[0], "host: b");
  EXPECT_EQ(l.Value("HOST"), "b");
  l.SetValue("Referer", "r");
  EXPECT_EQ(l.Count(), 3u);
  l.SetValue("Accept", "");
  EXPECT_EQ(l.Text(), "host: b\r\nReferer: r\r\n");
  EXPECT_EQ(l.IndexOfName("Missing"), -1);

  TExStringList s;
  s.Sorted = true;
  s.Add("Zeta: 1");
  s.Add("Alpha: 2");
  s.Add("Host-Name: 3");
  s.Add("Host: 4");
  EXPECT_EQ(s[0], "Alpha: 2");
  EXPECT_EQ(s.Value("host"), "4");
  EXPECT_EQ(s.Value("HOST-NAME"), "3");
  s.SetValue("zeta", "");
  EXPECT_EQ(s.IndexOfName("Zeta"), -1);
}

TEST(Coders, Base64AndUuencodeLines) {
  TUUProcessor p;
  EXPECT_EQ(p.EncodeString("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==\r\n");
  // 45 input bytes to a line.
  std::string two = p.EncodeString(std::string(46, 'x'));
  EXPECT_EQ(two.substr(60, 2), "\r\n");
  EXPECT_EQ(two.substr(62), "eA==\r\n");
  EXPECT_EQ(p.DecodeString(two), std::string(46, 'x'));

  p.Method = TUUMethod::uuCode;
  EXPECT_EQ(p.EncodeString("Cat"), "#0V%T\r\n`\r\n");
  std::string bytes = "binary\x01\x02\xff text of some length, past one line of 45 bytes";
  EXPECT_EQ(p.DecodeString(p.EncodeString(bytes)), bytes);
}

TEST(Coders, UrlDecodeAndItsError) {
  TUrlCoder u;
  EXPECT_EQ(u.Decode("a+b%41%7e"), "a bA~");
  std::string op;
  u.OnError = [&](TUrlCoder*, const std::string& operation, const std::string&) { op = operation; };
  EXPECT_EQ(u.Decode("100%zz"), "100%zz");
  EXPECT_EQ(op, "Error during decode");
  EXPECT_EQ(u.Decode("end%4"), "end%4");
}

TEST(SocketErrors, TextsFollowTheTable) {
  EXPECT_EQ(SocketErrorText(10061), "10061:Connection refused");
  EXPECT_EQ(SocketErrorText(12345), "Unknown Error No. 12345");
  EXPECT_EQ(SocketErrorText(0), "");
  EXPECT_EQ(SocketErrorText(SocketErrorFromErrno(ECONNRESET)), "10054:Connection reset by peer");
  EXPECT_EQ(SocketErrorFromErrno(ETIMEDOUT), 10060);
}

}  // namespace
