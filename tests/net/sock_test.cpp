// The socket component on its own, and the terminal commands over it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/run_cli.h"
#include "net/HttpClient.h"
#include "net/SockClient.h"
#include "net/test_server.h"

namespace {

using namespace sky;
using nettest::Connection;
using nettest::TestServer;

TEST(SockClient, LinesCapturesAndCloses) {
  TestServer s([](Connection& c) {
    c.Send("one\r\ntwo\r\nthr");
    c.Wait(40);
    c.Send("ee\nrest-");
    c.Wait(40);
    c.Send("of-it");
  });
  TSockClient c;
  c.Host = "127.0.0.1";
  c.Port = s.port();
  int disconnects = 0;
  c.OnDisconnect = [&](TSockClient*) { ++disconnects; };
  c.Connect();
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(c.ReadLn(), "one\r\n");
  EXPECT_EQ(c.ReadLn(), "two\r\n");
  EXPECT_EQ(c.ReadLn(), "three\n");  // split over two reads
  EXPECT_EQ(c.CaptureString(4), "rest-");
  EXPECT_EQ(c.CaptureString(), "of-it");
  EXPECT_FALSE(c.Connected());
  EXPECT_EQ(disconnects, 1);
  c.Disconnect();  // the fresh socket's close is reported too
  EXPECT_EQ(disconnects, 2);
  // After the peer closed, ReadLn gives what is left without waiting.
  EXPECT_EQ(c.ReadLn(), "");
}

TEST(SockClient, TheFirstSocketClosesWithAResetTheNextOnesGracefully) {
  std::mutex m;
  std::vector<std::string> ends;
  TestServer s([&](Connection& c) {
    char buf[16];
    ssize_t n;
    while ((n = ::recv(c.fd(), buf, sizeof buf, 0)) > 0) {
    }
    const int err = errno;
    std::lock_guard<std::mutex> lock(m);
    ends.push_back(n == 0 ? "close" : err == ECONNRESET ? "reset" : "error");
  });
  TSockClient c;
  c.Host = "127.0.0.1";
  c.Port = s.port();
  auto ended = [&](std::size_t count) {
    for (int i = 0; i < 300; ++i) {
      {
        std::lock_guard<std::mutex> lock(m);
        if (ends.size() >= count) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  for (std::size_t round = 1; round <= 3; ++round) {
    c.Connect();
    ASSERT_TRUE(c.Connected());
    c.Disconnect();
    ASSERT_TRUE(ended(round)) << round;
  }
  std::lock_guard<std::mutex> lock(m);
  EXPECT_EQ(ends, (std::vector<std::string>{"reset", "close", "close"}));
}

TEST(SockClient, TransactionAndAlreadyConnected) {
  TestServer s([](Connection& c) {
    char buf[64];
    std::string got;
    while (got.find('\n') == std::string::npos) {
      ssize_t n = ::recv(c.fd(), buf, sizeof buf, 0);
      if (n <= 0) return;
      got.append(buf, static_cast<std::size_t>(n));
    }
    c.Send(got == "HELO\r\n" ? "250 fine\r\n" : "500 what\r\n");
    c.WaitPeerClose();
  });
  TSockClient c;
  c.Host = "127.0.0.1";
  c.Port = s.port();
  c.ReportLevel = 1;
  std::vector<std::string> statuses;
  c.OnStatus = [&](TSockClient*, const std::string& t) { statuses.push_back(t); };
  c.Connect();
  EXPECT_EQ(c.Transaction("HELO"), "250 fine\r\n");
  EXPECT_EQ(c.StatusCode(), 250);
  EXPECT_EQ(statuses, (std::vector<std::string>{"250 fine\r\n"}));
  try {
    c.Connect();
    FAIL();
  } catch (const ESockError& e) {
    EXPECT_EQ(e.Message(), "Already connected");
  }
  c.Disconnect();
  EXPECT_FALSE(c.Connected());

  c.Port = 65536 + s.port();  // would wrap round to the server's port
  try {
    c.Connect();
    FAIL();
  } catch (const ESockError& e) {
    EXPECT_EQ(e.Message(), "10022:Invalid argument");
  }
}

TEST(SockClient, PutSendsAFileWithProgress) {
  auto dir = std::filesystem::temp_directory_path() / ("skyglass_sock_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto file = dir / "upload.dat";
  std::string data(40000, 'u');
  std::ofstream(file, std::ios::binary) << data;
  std::size_t received = 0;
  TestServer s([&](Connection& c) {
    std::string all = c.ReadRequest();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (all.size() < all.find("\r\n\r\n") + 4 + data.size() && std::chrono::steady_clock::now() < until) {
      char buf[8192];
      ssize_t n = ::recv(c.fd(), buf, sizeof buf, 0);
      if (n <= 0) break;
      all.append(buf, static_cast<std::size_t>(n));
    }
    received = all.size() - (all.find("\r\n\r\n") + 4);
    c.Send(nettest::HttpReply("201 Created", ""));
  });
  THttpClient c;
  c.OutputFileMode = true;
  c.Header = (dir / "head.txt").string();
  int sent = 0;
  c.OnPacketSent = [&](TSockClient*) { ++sent; };
  c.Put(s.Url("/up"), file.string());
  EXPECT_EQ(received, data.size());
  EXPECT_EQ(c.SentBytes(), 40000);
  EXPECT_GE(sent, 3);  // 16383-byte chunks
  EXPECT_EQ(c.StatusCode(), 201);
  EXPECT_NE(c.RequestText().find("Content-Length: 40000\r\n"), std::string::npos);
  EXPECT_THROW(c.Put(s.Url("/up"), (dir / "missing.dat").string()), EFileError);
  std::filesystem::remove_all(dir);
}

TEST(SockClient, AddressesAreTriedInOrderOverIPv4AndIPv6) {
  std::unique_ptr<TestServer> v6;
  try {
    v6 = std::make_unique<TestServer>(
        [](Connection& c) {
          c.ReadRequest();
          c.Send(nettest::HttpReply("200 OK", "over IPv6"));
        },
        true);
  } catch (const std::exception&) {
    GTEST_SKIP() << "no IPv6 loopback here";
  }
  // A literal IPv6 address needs no lookup (here as the proxy).
  THttpClient c;
  int resolved = 0;
  c.OnHostResolved = [&](TSockClient*) { ++resolved; };
  c.Proxy = "::1";
  c.ProxyPort = v6->port();
  c.Get("http://example.test/page");
  EXPECT_EQ(c.Body, "over IPv6");
  EXPECT_EQ(resolved, 0);

  // A name with a dead address first and a live one after it: both get
  // the request's port, and on 127.0.0.1 nothing listens there.
  struct ResetResolver {
    ~ResetResolver() { SetResolver(nullptr); }
  } reset;
  SetResolver([&](const std::string&, int& error) {
    std::vector<TSockAddress> out(2);
    auto* a4 = reinterpret_cast<sockaddr_in*>(&out[0].addr);
    a4->sin_family = AF_INET;
    a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    out[0].len = sizeof(sockaddr_in);
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&out[1].addr);
    a6->sin6_family = AF_INET6;
    a6->sin6_addr = in6addr_loopback;
    out[1].len = sizeof(sockaddr_in6);
    error = 0;
    return out;
  });
  c.Proxy.clear();
  c.Body.clear();
  c.Get("http://two.addresses.test:" + std::to_string(v6->port()) + "/");
  EXPECT_EQ(c.Body, "over IPv6");
  EXPECT_EQ(resolved, 1);
}

// The terminal companion's plumbing commands print one JSON object.
std::string RunCli(const std::string& args) { return skytest::RunCli(args).out; }

TEST(Cli, RequestAndGetPrintJson) {
  if (!std::filesystem::exists(std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli"))
    GTEST_SKIP() << "skyglass-cli is not built";
  EXPECT_EQ(RunCli("request http://h/a --referer R"),
            "{\"host\": \"h\", \"port\": 80, \"path\": \"/a\", \"url\": \"http://h/a\", \"request\": "
            "\"GET /a HTTP/1.0\\r\\nHost: h\\r\\n"
            "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\\r\\n"
            "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\\r\\n"
            "Referer: R\\r\\nContent-type: application/x-www-form-urlencoded\\r\\n\\r\\n\"}\n");
  EXPECT_EQ(RunCli("request ''"), "{\"error\": \"Empty URL\"}\n");

  TestServer s([](Connection& c) {
    c.ReadRequest();
    c.Send(nettest::HttpReply("404 Not Found", "gone"));
  });
  std::string out = RunCli("get " + s.Url("/x"));
  EXPECT_NE(out.find("\"events\": [\"AboutToSend\", \"Connect\", "), std::string::npos) << out;
  EXPECT_NE(out.find("\"Failure CmdGet\", \"Disconnect\"]"), std::string::npos) << out;
  EXPECT_NE(out.find("\"StatusCode\": 404"), std::string::npos) << out;
  EXPECT_NE(out.find("\"Body\": \"gone\", \"exception\": null}"), std::string::npos) << out;

  out = RunCli("get http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/");
  EXPECT_NE(out.find("\"exception\": {\"class\": \"ESockError\", \"message\": \"Connection Failed\"}"),
            std::string::npos)
      << out;
}

TEST(Cli, FetchUsesTheProxyOfTheSettingsAndGivesTheReasonOfAFailure) {
  if (!std::filesystem::exists(std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli"))
    GTEST_SKIP() << "skyglass-cli is not built";
  auto dir = std::filesystem::temp_directory_path() / ("skyglass_fetch_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  TestServer proxy([](Connection& c) {
    std::string req = c.ReadRequest();
    c.Send(req.rfind("GET http://far.away.test/page.html HTTP/1.0\r\n", 0) == 0
               ? nettest::HttpReply("200 OK", "via the proxy")
               : nettest::HttpReply("400 Bad Request", "not in proxy form"));
  });
  auto run = [&](const std::string& args, int& status) {
    std::string cmd = "XDG_CONFIG_HOME='" + dir.string() + "' " + SKYGLASS_BIN_DIR + "/skyglass-cli " + args + " 2>'" +
                      (dir / "err.txt").string() + "'";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return std::string("popen failed");
    std::string out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    status = WEXITSTATUS(::pclose(p));
    std::ifstream f(dir / "err.txt");
    return out + "|" + std::string(std::istreambuf_iterator<char>(f), {});
  };
  int status = -1;
  run("setting set Settings ProxyUse y", status);
  run("setting set Settings Proxy 127.0.0.1", status);
  run("setting set Settings ProxyPort " + std::to_string(proxy.port()), status);
  EXPECT_EQ(run("fetch http://far.away.test/page.html", status),
            "via the proxy|skyglass-cli fetch: via proxy 127.0.0.1:" + std::to_string(proxy.port()) + "\n");
  EXPECT_EQ(status, 0);

  run("setting set Settings ProxyUse n", status);
  const std::string refused = std::to_string(nettest::RefusedPort());
  EXPECT_EQ(run("fetch http://127.0.0.1:" + refused + "/ -o '" + (dir / "page.html").string() + "'", status),
            "|skyglass-cli fetch: 127.0.0.1:" + refused +
                ": Connection Failed (10061:Connection refused)\n"
                "  connection refused: is the server or proxy running?\n");
  EXPECT_EQ(status, 1);

  // Only well-formed http:// addresses are tried.
  for (const char* bad : {"ftp://h/x", "h/x", "http:///x", "http://h:0/", "http://h:8o/", "'http://h/a b'"}) {
    EXPECT_NE(run(std::string("fetch ") + bad, status).find("cannot fetch"), std::string::npos) << bad;
    EXPECT_EQ(status, 2) << bad;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// A listening socket whose backlog is full and never accepted: a further
// connection attempt gets no answer at all.
struct FullBacklog {
  int listener = -1;
  std::vector<int> fillers;
  int port = 0;
  FullBacklog() {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener, 0);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    for (int i = 0; i < 4; ++i) {
      int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      fillers.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ~FullBacklog() {
    for (int fd : fillers) ::close(fd);
    ::close(listener);
  }
};

TEST(SockClient, ConnectionThatNeverCompletesTimesOutOrIsCanceled) {
  FullBacklog b;
  THttpClient c;
  std::vector<std::string> ev;
  c.OnConnect = [&](TSockClient*) { ev.push_back("Connect"); };
  c.OnConnectionFailed = [&](TSockClient*) { ev.push_back("ConnectionFailed"); };
  c.TimeOut = 300;
  std::string url = "http://127.0.0.1:" + std::to_string(b.port) + "/";
  try {
    c.Get(url);
    GTEST_SKIP() << "the system completed the connection despite the full backlog";
  } catch (const ESockError& e) {
    EXPECT_EQ(e.Message(), "Connection Timed Out");
  }
  EXPECT_EQ(ev, (std::vector<std::string>{"ConnectionFailed"}));

  c.TimeOut = 0;
  int passes = 0;
  SetMessagePumpHook([&] {
    if (++passes == 50) c.Abort();
  });
  try {
    c.Get(url);
    ADD_FAILURE() << "connected";
  } catch (const ESockError& e) {
    EXPECT_EQ(e.Message(), "Connection Canceled");
  }
  SetMessagePumpHook(nullptr);
  EXPECT_FALSE(c.Connected());
}

}  // namespace
