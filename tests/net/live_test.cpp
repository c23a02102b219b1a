// The client against loopback servers written here, well-behaved and not.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "net/HttpClient.h"
#include "net/test_server.h"

namespace {

using namespace sky;
using nettest::Connection;
using nettest::HttpReply;
using nettest::TestServer;

// Every event of the client as one line, in firing order.
struct Recorder {
  std::vector<std::string> ev;
  explicit Recorder(THttpClient& c) {
    c.OnAboutToSend = [this](TSockClient*) { ev.push_back("AboutToSend"); };
    c.OnHostResolved = [this](TSockClient*) { ev.push_back("HostResolved"); };
    c.OnConnect = [this](TSockClient*) { ev.push_back("Connect"); };
    c.OnDisconnect = [this](TSockClient*) { ev.push_back("Disconnect"); };
    c.OnInvalidHost = [this](bool&) { ev.push_back("InvalidHost"); };
    c.OnConnectionFailed = [this](TSockClient*) { ev.push_back("ConnectionFailed"); };
    c.OnRedirect = [this](bool&) { ev.push_back("Redirect"); };
    c.OnAuthenticationNeeded = [this](TSockClient*) { ev.push_back("AuthenticationNeeded"); };
    c.OnPacketSent = [this](TSockClient*) { ev.push_back("PacketSent"); };
    c.OnPacketRecvd = [this](TSockClient* s) {
      ev.push_back("PacketRecvd " + std::to_string(s->ReceivedBytes()) + " " + std::to_string(s->TotalBytes()));
    };
    c.OnStatus = [this](TSockClient*, const std::string& s) { ev.push_back("Status " + s); };
    c.OnSuccess = [this](CmdType cmd) { ev.push_back(std::string("Success ") + CmdTypeName(cmd)); };
    c.OnFailure = [this](CmdType cmd) { ev.push_back(std::string("Failure ") + CmdTypeName(cmd)); };
  }
  // The events without the progress ones, whose count depends on timing.
  std::vector<std::string> Main() const {
    std::vector<std::string> r;
    for (const auto& e : ev)
      if (e.rfind("PacketRecvd", 0) != 0) r.push_back(e);
    return r;
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : ev) n += e == name;
    return n;
  }
};

using V = std::vector<std::string>;

// Runs the request and returns the exception's class and text ("" when none).
template <typename F>
std::string Outcome(F&& f) {
  try {
    f();
  } catch (const EAbortError& e) {
    return "EAbortError: " + e.Message();
  } catch (const ESockError& e) {
    return "ESockError: " + e.Message();
  } catch (const Exception& e) {
    return "Exception: " + e.Message();
  }
  return "";
}

TestServer::Handler Answer(std::string reply) {
  return [reply](Connection& c) {
    c.ReadRequest();
    c.Send(reply);
  };
}

// Proves a client is usable again after a failed request.
void ExpectReusable(THttpClient& c) {
  TestServer ok(Answer(HttpReply("200 OK", "again")));
  EXPECT_EQ(Outcome([&] { c.Get(ok.Url("/")); }), "");
  EXPECT_EQ(c.Body, "again");
}

class Live : public ::testing::Test {
 protected:
  void TearDown() override {
    SetMessagePumpHook(nullptr);
    SetResolver(nullptr);
  }
};

TEST_F(Live, SuccessFollowsTheEventOrder) {
  TestServer s([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n");
    c.Wait(50);
    c.Send("hello");
  });
  THttpClient c;
  c.ReportLevel = 2;
  c.HeaderInfo.Referer = "Skyglass by Corvantis";
  Recorder r(c);
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/page.html")); }), "");
  EXPECT_EQ(r.ev, (V{"AboutToSend", "Connect", "PacketRecvd 5 5", "Disconnect", "Success CmdGet",
                     "Status Transaction Completed", "Disconnect"}));
  EXPECT_EQ(c.StatusCode(), 200);
  EXPECT_EQ(c.TotalBytes(), 5);
  EXPECT_EQ(c.ReceivedBytes(), 5);
  EXPECT_EQ(c.Body, "hello");
  EXPECT_EQ(c.Header, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n");
  ASSERT_EQ(s.Requests().size(), 1u);
  EXPECT_EQ(s.Requests()[0], "GET /page.html HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(s.port()) +
                                 "\r\n"
                                 "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
                                 "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
                                 "Referer: Skyglass by Corvantis\r\n"
                                 "Content-type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST_F(Live, HostNameIsResolvedFirst) {
  TestServer s(Answer(HttpReply("200 OK", "x")));
  THttpClient c;
  Recorder r(c);
  // "localhost" may list ::1 first, where nothing listens: the next address
  // is tried.
  ASSERT_EQ(Outcome([&] { c.Get("http://localhost:" + std::to_string(s.port()) + "/"); }), "");
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "HostResolved", "Connect", "Disconnect", "Success CmdGet", "Disconnect"}));
}

TEST_F(Live, ReportLevelFiltersStatusTexts) {
  TestServer s(Answer(HttpReply("200 OK", "x")));
  THttpClient c;
  Recorder r(c);
  c.ReportLevel = 0;
  c.Get(s.Url());
  for (const auto& e : r.ev) EXPECT_NE(e.rfind("Status", 0), 0u) << e;
  r.ev.clear();
  c.ReportLevel = 16;
  c.Get(s.Url());
  EXPECT_GT(r.Count("Status Connecting"), 0);
  EXPECT_GT(r.Count("Status ReadLn"), 0);
  EXPECT_EQ(r.Count("Status Request Close Socket"), 2);
  EXPECT_EQ(c.LastStatus(), "Request Close Socket");
}

TEST_F(Live, FailureStatusesAndAuthentication) {
  TestServer s([](Connection& c) {
    std::string req = c.ReadRequest();
    if (req.find("/secret") != std::string::npos) c.Send(HttpReply("401 Unauthorized", "who?"));
    else c.Send(HttpReply("404 Not Found", "<h1>gone</h1>"));
  });
  THttpClient c;
  Recorder r(c);
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/missing")); }), "");
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect", "Failure CmdGet", "Disconnect"}));
  EXPECT_EQ(c.StatusCode(), 404);
  EXPECT_EQ(c.Body, "<h1>gone</h1>");

  r.ev.clear();
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/secret")); }), "");
  EXPECT_EQ(r.Main(),
            (V{"AboutToSend", "Connect", "Disconnect", "Failure CmdGet", "Disconnect", "AuthenticationNeeded"}));
  EXPECT_EQ(c.StatusCode(), 401);
}

TEST_F(Live, RedirectsCarryTheCookieAndFollowRelativeAndBareLocations) {
  TestServer s([](Connection& c) {
    std::string req = c.ReadRequest();
    if (req.rfind("GET /first ", 0) == 0)
      c.Send(HttpReply("302 Found", "", "Set-Cookie: id=42; path=/\r\nLocation: /second\r\n"));
    else if (req.rfind("GET /second ", 0) == 0) c.Send(HttpReply("302 Found", "", "Location: third.html\r\n"));
    else c.Send(HttpReply("200 OK", "done"));
  });
  THttpClient c;
  Recorder r(c);
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/first")); }), "");
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect", "Disconnect", "Redirect",  //
                         "AboutToSend", "Connect", "Disconnect", "Disconnect", "Redirect",  //
                         "AboutToSend", "Connect", "Disconnect", "Success CmdGet", "Disconnect"}));
  EXPECT_EQ(c.Body, "done");
  EXPECT_EQ(c.HeaderInfo.Cookie, "id=42; path=/");
  auto reqs = s.Requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[0].find("Cookie:"), std::string::npos);
  EXPECT_EQ(reqs[1].rfind("GET /second HTTP/1.0\r\n", 0), 0u);
  EXPECT_NE(reqs[1].find("\r\nCookie: id=42; path=/\r\n"), std::string::npos);
  EXPECT_EQ(reqs[2].rfind("GET /third.html HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(c.URL(), s.Url("/third.html"));
}

TEST_F(Live, RedirectLoopEndsAsAFailure) {
  TestServer s(Answer(HttpReply("302 Found", "", "Location: /again\r\n")));
  THttpClient c;
  Recorder r(c);
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/again")); }), "");
  EXPECT_EQ(s.Connections(), 21);
  EXPECT_EQ(r.Count("Redirect"), 20);
  EXPECT_EQ(r.Count("Failure CmdGet"), 1);
  EXPECT_EQ(r.ev.back(), "Disconnect");
  EXPECT_EQ(c.StatusCode(), 302);
}

TEST_F(Live, HandledRedirectStopsThere) {
  TestServer s(Answer(HttpReply("301 Moved", "", "Location: /elsewhere\r\n")));
  THttpClient c;
  Recorder r(c);
  c.OnRedirect = [&](bool& handled) {
    r.ev.push_back("Redirect");
    handled = true;
  };
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/")); }), "");
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect", "Disconnect", "Redirect"}));
  EXPECT_EQ(s.Connections(), 1);
  EXPECT_EQ(c.URL(), "/elsewhere");
}

TEST_F(Live, OddRepliesAreReadAsTheyCome) {
  // No reason phrase: the status field still carries the line end.
  {
    TestServer s(Answer("HTTP/1.0 200\r\n\r\nbody"));
    THttpClient c;
    Recorder r(c);
    ASSERT_EQ(Outcome([&] { c.Get(s.Url()); }), "");
    EXPECT_EQ(c.StatusCode(), 0);
    EXPECT_EQ(r.Count("Success CmdGet"), 1);
    EXPECT_EQ(c.Body, "body");
  }
  // No Content-Length: the body runs until the close, in pieces.
  {
    TestServer s([](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.0 200 OK\r\n\r\n");
      for (int i = 0; i < 3; ++i) {
        c.Wait(20);
        c.Send("part" + std::to_string(i) + ";");
      }
    });
    THttpClient c;
    Recorder r(c);
    ASSERT_EQ(Outcome([&] { c.Get(s.Url()); }), "");
    EXPECT_EQ(c.TotalBytes(), 0);
    EXPECT_EQ(c.Body, "part0;part1;part2;");
    EXPECT_EQ(c.ReceivedBytes(), 18);
    EXPECT_GE(r.Count("PacketRecvd 6 0"), 1);
  }
  // A line split over two reads is taken whole.
  {
    TestServer s([](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.0 200 O");
      c.Wait(40);
      c.Send("K\r\nContent-Len");
      c.Wait(40);
      c.Send("gth: 3\r\n\r\nabc");
    });
    THttpClient c;
    ASSERT_EQ(Outcome([&] { c.Get(s.Url()); }), "");
    EXPECT_EQ(c.StatusCode(), 200);
    EXPECT_EQ(c.TotalBytes(), 3);
    EXPECT_EQ(c.Header, "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\n");
    EXPECT_EQ(c.Body, "abc");
  }
}

TEST_F(Live, RefusedPortFailsTheConnectionAndLeavesTheClientReusable) {
  THttpClient c;
  Recorder r(c);
  EXPECT_EQ(Outcome([&] { c.Get("http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/"); }),
            "ESockError: Connection Failed");
  EXPECT_EQ(r.ev, (V{"AboutToSend", "ConnectionFailed"}));
  EXPECT_EQ(c.LastErrorNo(), 10061);
  ExpectReusable(c);
}

TEST_F(Live, SilentServerTimesOutAfterConnecting) {
  TestServer s([](Connection& c) { c.Wait(10000); });
  THttpClient c;
  Recorder r(c);
  c.TimeOut = 300;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket readln aborted");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect"}));
  ExpectReusable(c);
}

TEST_F(Live, AbortFromTheMessagePumpEndsTheWait) {
  TestServer s([](Connection& c) { c.Wait(10000); });
  THttpClient c;
  Recorder r(c);
  auto start = std::chrono::steady_clock::now();
  SetMessagePumpHook([&] {
    if (c.Connected() && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(100)) c.Abort();
  });
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket readln aborted");
  SetMessagePumpHook(nullptr);
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect"}));
  ExpectReusable(c);
}

TEST_F(Live, AbortFromEventHandlers) {
  // During the body: the capture ends.
  {
    TestServer s([](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.0 200 OK\r\n\r\n");
      for (int i = 0; i < 100 && !c.Wait(10); ++i)
        if (!c.Send(std::string(1000, 'x'))) break;
    });
    THttpClient c;
    Recorder r(c);
    c.OnPacketRecvd = [&](TSockClient*) { c.Abort(); };
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket capture aborted");
    EXPECT_EQ(r.Count("Success CmdGet"), 0);
    EXPECT_EQ(r.ev.back(), "Disconnect");
    ExpectReusable(c);
  }
  // Before connecting, and once connected: the connection is called off.
  {
    TestServer s(Answer(HttpReply("200 OK", "x")));
    THttpClient c;
    Recorder r(c);
    c.OnAboutToSend = [&](TSockClient*) { c.Abort(); };
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "ESockError: Connection Canceled");
    EXPECT_EQ(r.ev, (V{"ConnectionFailed"}));
    c.OnAboutToSend = nullptr;
    c.OnConnect = [&](TSockClient*) { c.Abort(); };
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "ESockError: Connection Canceled");
    EXPECT_FALSE(c.Connected());
    c.OnConnect = nullptr;
    ExpectReusable(c);
  }
}

TEST_F(Live, SendToAPeerThatNeverReadsEndsLikeAnAbort) {
  TestServer s([](Connection& c) { c.Wait(10000); });
  THttpClient c;
  Recorder r(c);
  c.TimeOut = 300;
  // Far more than the socket buffers hold.
  EXPECT_EQ(Outcome([&] { c.Put(s.Url("/up"), std::string(32 * 1024 * 1024, 'p')); }),
            "EAbortError: Socket send aborted");
  EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Disconnect"}));
  EXPECT_LT(c.SentBytes(), 32 * 1024 * 1024);
  ExpectReusable(c);
}

TEST_F(Live, SecondRequestDuringOneIsRefused) {
  TestServer s(Answer(HttpReply("200 OK", "x")));
  THttpClient c;
  std::string nested;
  c.OnConnect = [&](TSockClient*) { nested = Outcome([&] { c.Get(s.Url("/other")); }); };
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/page")); }), "");
  EXPECT_EQ(nested, "ESockError: Already connected");
  EXPECT_EQ(c.URL(), s.Url("/page"));
  EXPECT_EQ(c.Body, "x");
}

TEST_F(Live, BodyEndsAtTheAnnouncedLengthOrFailsShortOfIt) {
  // A peer that keeps the connection open after the body.
  {
    TestServer s([](Connection& c) {
      c.ReadRequest();
      c.Send(HttpReply("200 OK", "kept open"));
      c.Wait(10000);
    });
    THttpClient c;
    Recorder r(c);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Outcome([&] { c.Get(s.Url()); }), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(c.Body, "kept open");
    EXPECT_EQ(r.Main(), (V{"AboutToSend", "Connect", "Success CmdGet", "Disconnect"}));
  }
  // A peer that closes mid-body.
  {
    TestServer s([](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
    });
    THttpClient c;
    Recorder r(c);
    c.Body = "before";
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket capture aborted");
    EXPECT_EQ(r.Count("Success CmdGet"), 0);
    EXPECT_EQ(c.Body, "before");
  }
  // A peer that closes without any reply, or in the middle of the header.
  for (std::string reply : {"", "HTTP/1.0 200 OK\r\n", "HTTP/1.0 200 OK\r\nContent-Ty"}) {
    TestServer s(Answer(reply));
    THttpClient c;
    Recorder r(c);
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket readln aborted") << reply;
    EXPECT_EQ(r.Count("Success CmdGet"), 0);
    ExpectReusable(c);
  }
}

TEST_F(Live, EndlessRepliesAreBoundedInMemory) {
  TestServer body([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\n");
    std::string block(64 * 1024, 'z');
    while (c.Send(block)) {
    }
  });
  THttpClient c;
  c.MaxBufferedBytes = 256 * 1024;
  EXPECT_EQ(Outcome([&] { c.Get(body.Url()); }), "EAbortError: Socket capture aborted");
  EXPECT_LE(c.ReceivedBytes(), 512 * 1024);

  // Header lines without end: the header is bounded too.
  TestServer header([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n");
    std::string lines;
    for (int i = 0; i < 64; ++i) lines += "X-Fill: " + std::string(1000, 'h') + "\r\n";
    while (c.Send(lines)) {
    }
  });
  EXPECT_EQ(Outcome([&] { c.Get(header.Url()); }), "EAbortError: Socket readln aborted");
  EXPECT_LE(c.Header.size(), 256u * 1024u);
  ExpectReusable(c);
}

// A peer that trickles keeps no request alive: less than StallBytes in a
// TimeOut period is silence, and a steady but endless reply meets the
// request's deadline (ten times TimeOut here, shortened through TimeOut).
TEST_F(Live, TricklingAndEndlessPeersEndAsATimeOut) {
  auto trickle = [](std::string head) {
    return [head](Connection& c) {
      c.ReadRequest();
      c.Send(head);
      while (c.Send("x") && !c.Wait(20)) {
      }
    };
  };
  for (const auto& [head, outcome] :
       {std::pair<std::string, std::string>{"HTTP/1.0 200 OK\r\n\r\n", "EAbortError: Socket capture aborted"},
        {"HTTP/1.0 200 OK\r\nX-Slow: ", "EAbortError: Socket readln aborted"}}) {
    TestServer s(trickle(head));
    THttpClient c;
    Recorder r(c);
    c.TimeOut = 200;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), outcome);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(c.TimeOutCause(), THttpClient::TTimeOutCause::Stall);
    EXPECT_EQ(r.Count("Success CmdGet"), 0);
  }
  TestServer steady([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\n");
    while (c.Send(std::string(1000, 's')) && !c.Wait(20)) {
    }
  });
  THttpClient c;
  c.TimeOut = 100;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Outcome([&] { c.Get(steady.Url()); }), "EAbortError: Socket capture aborted");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(c.TimeOutCause(), THttpClient::TTimeOutCause::Deadline);
  ExpectReusable(c);
}

// Bytes that moved early in a period buy a peer that then falls silent no
// second period: the silence is judged from the last byte.
TEST_F(Live, SilenceAfterABusyStartEndsWithinOneTimeOut) {
  TestServer s([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\n" + std::string(600, 'b'));
    c.Wait(5000);
  });
  THttpClient c;
  c.TimeOut = 1000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket capture aborted");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1800));
  EXPECT_EQ(c.TimeOutCause(), THttpClient::TTimeOutCause::Silence);
  ExpectReusable(c);
}

// Without a Content-Length only an orderly close ends the body; a reset in
// the middle of it is a failure, in memory and in file mode.
TEST_F(Live, AResetMidBodyWithoutLengthIsNoSuccess) {
  TestServer s([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\nfirst half of the page");
    c.Wait(100);
    c.Reset();
  });
  THttpClient c;
  Recorder r(c);
  c.Body = "before";
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket capture aborted");
  EXPECT_EQ(c.Body, "before");
  EXPECT_EQ(c.LastErrorNo(), 10054);
  const std::string file = ::testing::TempDir() + "reset_body.txt";
  c.InputFileMode = true;
  c.Body = file;
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket send aborted");
  EXPECT_EQ(r.Count("Success CmdGet"), 0);
  // Nothing half-written is left (fetch -o relies on it).
  EXPECT_FALSE(std::filesystem::exists(file));
  std::remove(file.c_str());
}

// One header line without end is cut at the header bound, not read on
// until the body bound: what the server gets to send stays a few megabytes.
TEST_F(Live, AnEndlessHeaderLineIsBoundedWhileItIsRead) {
  std::atomic<long long> sent{0};
  TestServer s([&](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\nX-Endless: ");
    const std::string block(64 * 1024, 'h');
    while (c.Send(block) && sent < (1LL << 30)) sent += static_cast<long long>(block.size());
  });
  THttpClient c;
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "EAbortError: Socket readln aborted");
  EXPECT_LT(sent.load(), 16LL << 20);
  ExpectReusable(c);
}

class FileMode : public Live {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("skyglass_net_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    Live::TearDown();
  }
  static std::string Slurp(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  std::filesystem::path dir_;
};

TEST_F(FileMode, BodyAndHeaderGoToFiles) {
  std::string big(100000, 'q');
  big[0] = 'B';
  TestServer s([&](Connection& c) {
    std::string req = c.ReadRequest();
    if (req.find("/missing") != std::string::npos) c.Send(HttpReply("404 Not Found", "no such picture"));
    else c.Send(HttpReply("200 OK", big));
  });
  THttpClient c;
  Recorder r(c);
  c.InputFileMode = true;
  c.OutputFileMode = true;
  c.Body = (dir_ / "radar.gif").string();
  c.Header = (dir_ / "head.txt").string();
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/radar.gif")); }), "");
  EXPECT_EQ(Slurp(dir_ / "radar.gif"), big);
  EXPECT_EQ(Slurp(dir_ / "head.txt"), "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
  EXPECT_EQ(c.ReceivedBytes(), 100000);
  EXPECT_EQ(c.Body, (dir_ / "radar.gif").string());

  // A failure reply replaces the file all the same.
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/missing")); }), "");
  EXPECT_EQ(r.Count("Failure CmdGet"), 1);
  EXPECT_EQ(Slurp(dir_ / "radar.gif"), "no such picture");

  // Memory-mode header replaces a file name stored there.
  c.OutputFileMode = false;
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/radar.gif")); }), "");
  EXPECT_EQ(c.Header, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");

  c.Body = (dir_ / "no" / "such" / "dir.gif").string();
  EXPECT_EQ(Outcome([&] { c.Get(s.Url("/radar.gif")); }), "Exception: Cannot create file " + c.Body);
  EXPECT_FALSE(c.Connected());
}

TEST_F(FileMode, FullDiskIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  TestServer s(Answer(HttpReply("200 OK", std::string(50000, 'd'))));
  THttpClient c;
  c.InputFileMode = true;
  c.Body = "/dev/full";
  EXPECT_EQ(Outcome([&] { c.Get(s.Url()); }), "Exception: Cannot write file /dev/full");
  c.InputFileMode = false;
  ExpectReusable(c);
}

// An endless body written to a file ends at the file bound with the
// overflow failure and leaves no partial file; a body of exactly the bound
// is whole.
TEST_F(FileMode, AnEndlessBodyIsBoundedAndItsFileRemoved) {
  TestServer endless([](Connection& c) {
    c.ReadRequest();
    c.Send("HTTP/1.0 200 OK\r\n\r\n");
    const std::string block(64 * 1024, 'e');
    while (c.Send(block)) {
    }
  });
  THttpClient c;
  Recorder r(c);
  c.InputFileMode = true;
  c.MaxFileBytes = 1 << 20;
  c.Body = (dir_ / "radar.gif").string();
  EXPECT_EQ(Outcome([&] { c.Get(endless.Url()); }), "EAbortError: Socket capture aborted");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "radar.gif"));
  EXPECT_EQ(r.Count("Success CmdGet"), 0);

  TestServer exact(Answer(HttpReply("200 OK", std::string(1 << 20, 'x'))));
  ASSERT_EQ(Outcome([&] { c.Get(exact.Url()); }), "");
  EXPECT_EQ(std::filesystem::file_size(dir_ / "radar.gif"), 1u << 20);
}

TEST_F(Live, InvalidHostLeadsToNullRemoteAddress) {
  SetResolver([](const std::string&, int& error) {
    error = 11001;
    return std::vector<TSockAddress>{};
  });
  THttpClient c;
  Recorder r(c);
  EXPECT_EQ(Outcome([&] { c.Get("http://no.such.host/"); }), "ESockError: Null Remote Address");
  EXPECT_EQ(r.ev, (V{"AboutToSend", "InvalidHost"}));

  // A handler that fixes the host and sets Handled gets a second attempt.
  TestServer s(Answer(HttpReply("200 OK", "fixed")));
  c.OnInvalidHost = [&](bool& handled) {
    c.Host = "127.0.0.1";
    handled = true;
  };
  EXPECT_EQ(Outcome([&] { c.Get("http://no.such.host:" + std::to_string(s.port()) + "/"); }), "");
  EXPECT_EQ(c.Body, "fixed");
}

TEST_F(Live, SlowLookupTimesOutOrIsCanceled) {
  SetResolver([](const std::string& name, int& error) {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    return DefaultResolve(name == "slow.test" ? "127.0.0.1" : name, error);
  });
  {
    THttpClient c;
    Recorder r(c);
    c.TimeOut = 100;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Outcome([&] { c.Get("http://slow.test/"); }), "ESockError: Host Lookup Timed Out");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
    EXPECT_EQ(r.ev, (V{"AboutToSend"}));
  }
  {
    // Canceled from the message pump, then the client is destroyed while
    // the lookup still runs: its late answer must land nowhere.
    auto c = std::make_unique<THttpClient>();
    SetMessagePumpHook([&] { c->Abort(); });
    EXPECT_EQ(Outcome([&] { c->Get("http://slow.test/"); }), "ESockError: Host Lookup Canceled");
    SetMessagePumpHook(nullptr);
    c.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
  }
  {
    // Given the time, the same lookup succeeds.
    TestServer s(Answer(HttpReply("200 OK", "slowly")));
    THttpClient c;
    Recorder r(c);
    EXPECT_EQ(Outcome([&] { c.Get("http://slow.test:" + std::to_string(s.port()) + "/"); }), "");
    EXPECT_EQ(r.Count("HostResolved"), 1);
  }
}

TEST_F(Live, PostSendsItsDecodedData) {
  std::string got;
  TestServer s([&](Connection& c) {
    std::string req = c.ReadRequest();
    // The data follows the header.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (req.find("city=San Jose") == std::string::npos && std::chrono::steady_clock::now() < until) {
      char buf[256];
      ssize_t n = ::recv(c.fd(), buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) req.append(buf, static_cast<std::size_t>(n));
      c.Wait(5);
    }
    got = req;
    c.Send(HttpReply("200 OK", "posted"));
  });
  THttpClient c;
  Recorder r(c);
  ASSERT_EQ(Outcome([&] { c.Post(s.Url("/form"), "city=San+Jose%21"); }), "");
  EXPECT_EQ(r.Count("Success CmdPost"), 1);
  EXPECT_NE(got.find("Content-Length: 14\r\n\r\ncity=San Jose!"), std::string::npos) << got;
  EXPECT_EQ(c.CurrentCommand(), CmdGet);
}

// --- real servers' ways: keep-alive, relative and non-redirect 3xx, chunks, long addresses

// A server that keeps the connection open after an answer without a body of
// its own (as a proxy asked for keep-alive does): the answer ends at once.
TEST_F(Live, EmptyAnswersEndWithTheirHeaderOnAKeptConnection) {
  for (const std::string status : {"200 OK", "204 No Content", "304 Not Modified"}) {
    TestServer s([&](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: keep-alive\r\n\r\n");
      c.WaitPeerClose();
    });
    THttpClient c;
    c.TimeOut = 20000;
    Recorder r(c);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Outcome([&] { c.Get(s.Url("/")); }), "") << status;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << status;
    EXPECT_EQ(c.Body, "");
    EXPECT_EQ(r.Count("Redirect"), 0) << status;  // a 304 is an answer, not a redirect
    EXPECT_EQ(s.Connections(), 1);
  }
}

TEST_F(Live, RelativeLocationsAreResolvedAgainstTheRequest) {
  TestServer s([](Connection& c) {
    const std::string req = c.ReadRequest();
    if (req.rfind("GET /a/b/start ", 0) == 0) c.Send(HttpReply("301 Moved", "", "Location: next/page.html\r\n"));
    else if (req.rfind("GET /a/b/next/page.html ", 0) == 0)
      c.Send(HttpReply("307 Again", "", "Location: ../up?q=1\r\n"));
    else c.Send(HttpReply("200 OK", req.substr(0, req.find('\r'))));
  });
  THttpClient c;
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/a/b/start")); }), "");
  EXPECT_EQ(c.Body, "GET /a/b/next/../up?q=1 HTTP/1.0");
  const auto reqs = s.Requests();
  ASSERT_EQ(reqs.size(), 3u);
  // The server's port is named with its host.
  EXPECT_NE(reqs[1].find("\r\nHost: 127.0.0.1:" + std::to_string(s.port()) + "\r\n"), std::string::npos) << reqs[1];
}

TEST_F(Live, ChunkedAnswersAreDecodedInMemoryAndInFiles) {
  TestServer s(
      Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n7;x=1\r\n, world\r\n0\r\n\r\n"));
  THttpClient c;
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/")); }), "");
  EXPECT_EQ(c.Body, "hello, world");
  const std::string file = ::testing::TempDir() + "chunked_body.txt";
  c.InputFileMode = true;
  c.Body = file;
  ASSERT_EQ(Outcome([&] { c.Get(s.Url("/")); }), "");
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hello, world");
  std::remove(file.c_str());
  c.InputFileMode = false;
  TestServer broken(Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nhello"));
  EXPECT_EQ(Outcome([&] { c.Get(broken.Url("/")); }), "EAbortError: Socket capture aborted");
}

TEST_F(Live, AddressesTooLongForTheEngineAreErrorsNotCuts) {
  TestServer s(Answer(HttpReply("302 Found", "", "Location: /" + std::string(9000, 'l') + "\r\n")));
  THttpClient c;
  EXPECT_EQ(Outcome([&] { c.Get(s.Url("/")); }).rfind("Exception: The server's Location is too long", 0), 0u);
  EXPECT_EQ(Outcome([&] { c.Get(s.Url("/" + std::string(9000, 'p'))); }).rfind("Exception: The address is too long", 0),
            0u);
  EXPECT_EQ(s.Connections(), 1);
}

}  // namespace

// The progress a megabyte body reports: one OnPacketRecvd (and one
// OnDataAvailable) per 16,383 bytes or the shorter rest of what one arrival
// brought, each behind a "ReadToStream" status, and one more status when an
// arrival ended on a full slice (the read that finds the socket empty). The
// server sends its next piece only once the client has taken everything and
// gone idle, so each piece is one arrival and the sequence is the same on
// every run, whatever size the client reads with.
TEST_F(Live, AMegabyteBodyReportsTheSameProgressSequenceInMemoryAndInFiles) {
  constexpr int kTotal = 1 << 20;
  constexpr int kSlice = 16383;
  const std::vector<int> cycle = {kSlice, 2 * kSlice, 1, 20000, kSlice + 1, 5000, 32000, kSlice - 1};
  std::vector<int> pieces;
  for (int sum = 0, i = 0; sum < kTotal; ++i) {
    pieces.push_back(std::min(cycle[i % cycle.size()], kTotal - sum));
    sum += pieces.back();
  }
  ASSERT_NE(pieces.back() % kSlice, 0);  // no trailing empty read to predict
  V expected;
  for (int sum = 0; int piece : pieces) {
    for (int left = piece; left > 0; left -= kSlice) {
      sum += std::min(left, kSlice);
      expected.insert(expected.end(), {"ReadToStream", "R " + std::to_string(sum) + " " + std::to_string(kTotal), "D"});
    }
    if (piece % kSlice == 0) expected.push_back("ReadToStream");
  }
  const auto file = std::filesystem::temp_directory_path() / ("skyglass-progress-" + std::to_string(::getpid()));
  for (const bool toFile : {false, true}) {
    SCOPED_TRACE(toFile ? "body file" : "body in memory");
    std::atomic<bool> capturing{false};
    std::atomic<long long> reported{0}, sent{0}, idleAt{-1};
    TestServer s([&](Connection& c) {
      c.ReadRequest();
      c.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kTotal) + "\r\n\r\n");
      const std::string body(static_cast<std::size_t>(*std::max_element(cycle.begin(), cycle.end())), 'b');
      for (int piece : pieces) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (idleAt.load() != sent.load() && std::chrono::steady_clock::now() < until)
          if (c.Wait(1)) return;
        idleAt = -1;
        sent += piece;
        if (!c.Send(std::string_view(body).substr(0, static_cast<std::size_t>(piece)))) return;
      }
      c.WaitPeerClose();
    });
    THttpClient c;
    V ev;
    c.ReportLevel = 8;
    c.InputFileMode = toFile;
    if (toFile) c.Body = file.string();
    c.OnStatus = [&](TSockClient*, const std::string& st) {
      if (st == "Capture String" || st == "CaptureFile") capturing = true;
      if (capturing && st == "ReadToStream") ev.push_back(st);
    };
    c.OnPacketRecvd = [&](TSockClient* x) {
      reported = x->ReceivedBytes();
      ev.push_back("R " + std::to_string(x->ReceivedBytes()) + " " + std::to_string(x->TotalBytes()));
    };
    c.OnDataAvailable = [&](TSockClient*) {
      if (capturing) ev.push_back("D");
    };
    // Called between waits only, never half-way through taking an arrival.
    SetMessagePumpHook([&] {
      const long long all = sent.load();
      if (capturing && reported.load() == all) idleAt = all;
    });
    ASSERT_EQ(Outcome([&] { c.Get(s.Url("/mb")); }), "");
    SetMessagePumpHook(nullptr);
    // What follows the last byte (the close) is not progress.
    const auto last = std::find(ev.begin(), ev.end(), "R " + std::to_string(kTotal) + " " + std::to_string(kTotal));
    ASSERT_NE(last, ev.end());
    ev.erase(last + 2, ev.end());
    EXPECT_EQ(ev, expected);
    EXPECT_EQ(toFile ? static_cast<long long>(std::filesystem::file_size(file)) : static_cast<long long>(c.Body.size()),
              kTotal);
  }
  std::filesystem::remove(file);
}
