// The request service against loopback servers: what a result carries, that
// nothing of one request leaks into the next, the proxy from the settings.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "net/HttpClient.h"
#include "net/failure_text.h"
#include "net/request_profile.h"
#include "net/request_service.h"
#include "net/test_server.h"

namespace {

using namespace sky;
using nettest::Connection;
using nettest::HttpReply;
using nettest::TestServer;
namespace fs = std::filesystem;

TestServer::Handler Answer(std::string reply) {
  return [reply](Connection& c) {
    c.ReadRequest();
    c.Send(reply);
  };
}

settings::Reader Settings(std::map<std::string, std::string> values) {
  return [values](const std::string& name) {
    const auto it = values.find(name);
    return it == values.end() ? std::string("n/a") : it->second;
  };
}

TEST(RequestService, EachResultSpeaksOfItsOwnRequestOnly) {
  TestServer page(Answer(HttpReply("200 OK", "the page", "X-Mark: one\r\n")));
  TestServer missing(Answer(HttpReply("404 Not Found", "no such page")));
  RequestService requests;

  const FetchResult ok = requests.Fetch(profiles::kConditions, page.Url("/a"));
  EXPECT_TRUE(ok.ok);
  EXPECT_TRUE(ok.Answered());
  EXPECT_EQ(ok.status, 200);
  EXPECT_EQ(ok.body, "the page");
  EXPECT_NE(ok.header.find("X-Mark: one"), std::string::npos);

  // An answer that is no success: the server's page, but not ok.
  const FetchResult notFound = requests.Fetch(profiles::kConditions, missing.Url("/b"));
  EXPECT_FALSE(notFound.ok);
  EXPECT_TRUE(notFound.Answered());
  EXPECT_EQ(notFound.status, 404);
  EXPECT_EQ(notFound.body, "no such page");

  // No answer at all: neither the earlier body nor the earlier status.
  const FetchResult refused =
      requests.Fetch(profiles::kConditions, "http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/");
  EXPECT_FALSE(refused.ok);
  EXPECT_FALSE(refused.Answered());
  EXPECT_EQ(refused.status, 0);
  EXPECT_EQ(refused.body, "");
  EXPECT_EQ(refused.header, "");
  EXPECT_EQ(refused.failure, TSockClient::TFailure::ConnectFailed);
  EXPECT_NE(RequestFailureText(refused).find("Could not connect to 127.0.0.1:"), std::string::npos)
      << RequestFailureText(refused);
}

TEST(RequestService, APictureGoesToItsFileAndTheNextPageToMemory) {
  TestServer s(Answer(HttpReply("200 OK", "GIF89a-bytes")));
  const fs::path dir = fs::temp_directory_path() / ("skyglass-fetch-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "p.gif").string();
  RequestService requests;

  const FetchResult picture = requests.Fetch(profiles::kPicture, s.Url("/p.gif"), file);
  EXPECT_TRUE(picture.ok);
  EXPECT_EQ(picture.file, file);
  EXPECT_EQ(picture.body, "");
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "GIF89a-bytes");
  // The page after the picture is text again, not a file named by the page.
  EXPECT_EQ(requests.Fetch(profiles::kForecast, s.Url("/page")).body, "GIF89a-bytes");

  // A file request without a file asks nothing of the server.
  const int before = s.Connections();
  EXPECT_FALSE(requests.Fetch(profiles::kPicture, s.Url("/q.gif")).Answered());
  EXPECT_EQ(s.Connections(), before);
  fs::remove_all(dir);
}

TEST(RequestService, SilenceEndsTheRequestWithItsCause) {
  TestServer s([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\n" + std::string(600, 'b'));
    c.Wait(5000);
  });
  RequestService requests;
  const FetchResult r = requests.Fetch(RequestProfile{500, kReportNothing, false, kReferer}, s.Url());
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.Answered());
  EXPECT_EQ(r.timeOutCause, TSockClient::TTimeOutCause::Silence);
  EXPECT_FALSE(r.abortedByUser);
}

TEST(RequestService, OwnersEventsStayAndASecondRequestMeanwhileIsTurnedAway) {
  TestServer s(Answer(HttpReply("200 OK", "x")));
  THttpClient client;
  RequestService requests(client);
  int successes = 0;
  client.OnSuccess = [&](CmdType) { ++successes; };
  FetchResult inner;
  client.OnAboutToSend = [&](TSockClient*) { inner = requests.Fetch(profiles::kConditions, s.Url("/inner")); };

  const FetchResult outer = requests.Fetch(profiles::kConditions, s.Url("/outer"));
  EXPECT_TRUE(outer.ok);
  EXPECT_EQ(outer.body, "x");
  EXPECT_EQ(inner.error, "Already connected");
  EXPECT_EQ(successes, 1);
  ASSERT_TRUE(client.OnSuccess);  // the owner's handler is back in place
  client.OnSuccess(CmdGet);
  EXPECT_EQ(successes, 2);

  // An abort asked for while the request runs is the user's, not an error.
  client.OnAboutToSend = [&](TSockClient*) { requests.Abort(); };
  const FetchResult aborted = requests.Fetch(profiles::kConditions, s.Url("/aborted"));
  EXPECT_FALSE(aborted.ok);
  EXPECT_TRUE(aborted.abortedByUser);
}

TEST(RequestService, TheProxyComesFromTheSettingsAndFollowsTheirChanges) {
  // The "proxy" is a plain server: it sees the whole address in the request line.
  TestServer proxy(Answer(HttpReply("200 OK", "via proxy")));
  std::map<std::string, std::string> stored{
      {"ProxyUse", "y"}, {"Proxy", "127.0.0.1"}, {"ProxyPort", std::to_string(proxy.port())}};
  std::map<std::string, std::string>* live = &stored;
  RequestService requests;
  requests.UseProxySettings([live](const std::string& name) { return Settings(*live)(name); });

  EXPECT_EQ(requests.Fetch(profiles::kConditions, "http://weather.example/x").body, "via proxy");
  ASSERT_FALSE(proxy.Requests().empty());
  EXPECT_EQ(proxy.Requests().back().rfind("GET http://weather.example/x ", 0), 0u) << proxy.Requests().back();

  // Unticked and stored: straight to the server again.
  stored["ProxyUse"] = "n";
  requests.ReloadProxy();
  EXPECT_EQ(requests.Proxy(), "");

  // A proxy set by hand is no settings' business.
  RequestService byHand;
  byHand.Client().Proxy = "127.0.0.1";
  byHand.Client().ProxyPort = proxy.port();
  byHand.UseProxySettings(Settings({{"ProxyUse", "n"}}));
  EXPECT_EQ(byHand.Proxy(), "127.0.0.1");

  // A port that is no number is an error; the host is taken.
  RequestService bad;
  EXPECT_ANY_THROW(bad.UseProxySettings(Settings({{"ProxyUse", "y"}, {"Proxy", "10.0.0.9"}, {"ProxyPort", "8o"}})));
  EXPECT_EQ(bad.Proxy(), "10.0.0.9");
}

}  // namespace
