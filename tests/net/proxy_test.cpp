// The client through a real proxy (tinyproxy) on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "net/HttpClient.h"
#include "net/test_server.h"

namespace {

using namespace sky;
namespace fs = std::filesystem;

std::string FindTinyproxy() {
  for (const char* p : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy", "/usr/local/bin/tinyproxy"})
    if (::access(p, X_OK) == 0) return p;
  return {};
}

bool PortAccepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// A child process this test started; stopped by its own id.
struct Child {
  pid_t pid = -1;
  ~Child() { Stop(); }
  void Stop() {
    if (pid > 0) {
      ::kill(pid, SIGTERM);
      ::waitpid(pid, nullptr, 0);
      pid = -1;
    }
  }
};

// tinyproxy on a free loopback port with a config file of its own; with an
// upstream port it hands every request to that server instead of looking
// up the target host.
class Tinyproxy {
 public:
  bool Start(const std::string& exe, const fs::path& dir, int upstreamPort) {
    port_ = nettest::RefusedPort();
    fs::path conf = dir / "tinyproxy.conf";
    {
      std::ofstream f(conf);
      f << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\n"
        << "LogLevel Error\nDisableViaHeader Yes\n";
      if (upstreamPort > 0) f << "Upstream http 127.0.0.1:" << upstreamPort << "\n";
    }
    std::string log = (dir / "tinyproxy.log").string();
    child_.pid = ::fork();
    if (child_.pid == 0) {
      int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
      }
      ::execl(exe.c_str(), exe.c_str(), "-d", "-c", conf.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 250; ++i) {
      if (PortAccepts(port_)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  int port() const { return port_; }

 private:
  Child child_;
  int port_ = 0;
};

class Proxy : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = FindTinyproxy();
    if (exe_.empty()) GTEST_SKIP() << "tinyproxy is not installed (apt-get install tinyproxy)";
    dir_ = fs::temp_directory_path() / ("skyglass_proxy_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  std::string exe_;
  fs::path dir_;
};

TEST_F(Proxy, GetGoesThroughTheProxy) {
  nettest::TestServer origin([](nettest::Connection& c) {
    c.ReadRequest();
    c.Send(nettest::HttpReply("200 OK", "through the proxy"));
  });
  Tinyproxy proxy;
  ASSERT_TRUE(proxy.Start(exe_, dir_, 0)) << "tinyproxy did not start";
  THttpClient c;
  c.Proxy = "127.0.0.1";
  c.ProxyPort = proxy.port();
  c.TimeOut = 5000;
  std::vector<std::string> ev;
  c.OnConnect = [&](TSockClient*) { ev.push_back("Connect"); };
  c.OnSuccess = [&](CmdType) { ev.push_back("Success"); };
  c.Get(origin.Url("/via/proxy"));
  EXPECT_EQ(c.StatusCode(), 200);
  EXPECT_EQ(c.Body, "through the proxy");
  EXPECT_EQ(ev, (std::vector<std::string>{"Connect", "Success"}));
  ASSERT_EQ(origin.Requests().size(), 1u);
  EXPECT_EQ(origin.Requests()[0].rfind("GET /via/proxy HTTP/1.", 0), 0u) << origin.Requests()[0];
  EXPECT_EQ(c.RequestHeader()[0], "GET " + origin.Url("/via/proxy") + " HTTP/1.0");
}

TEST_F(Proxy, OutsideHostIsServedByTheSampleServerBehindTheProxy) {
  // The sample server answers requests in proxy form for the outside
  // hosts; without it a test server stands in.
  std::string sample = std::string(SKYGLASS_BIN_DIR) + "/skyglass-sample-server";
  Child sampleChild;
  int upstream = 0;
  std::unique_ptr<nettest::TestServer> standIn;
  if (::access(sample.c_str(), X_OK) == 0) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    sampleChild.pid = ::fork();
    if (sampleChild.pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::execl(sample.c_str(), sample.c_str(), "--port", "0", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char ch;
    while (::read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
    ::close(out[0]);
    auto colon = line.rfind(':');
    ASSERT_NE(colon, std::string::npos) << "unexpected first line: " << line;
    upstream = std::atoi(line.c_str() + colon + 1);
  } else {
    standIn = std::make_unique<nettest::TestServer>([](nettest::Connection& c) {
      std::string req = c.ReadRequest();
      // tinyproxy writes the default port into the address it passes on.
      std::string line = req.substr(0, req.find("\r\n"));
      if (line == "GET http://www.wunderground.com/US/TX/Austin.html HTTP/1.0" ||
          line == "GET http://www.wunderground.com:80/US/TX/Austin.html HTTP/1.0")
        c.Send(nettest::HttpReply("200 OK", "<html>Austin, Texas</html>"));
      else c.Send(nettest::HttpReply("404 Not Found", "not here: " + req));
    });
    upstream = standIn->port();
  }
  ASSERT_GT(upstream, 0);
  Tinyproxy proxy;
  ASSERT_TRUE(proxy.Start(exe_, dir_, upstream)) << "tinyproxy did not start";
  THttpClient c;
  c.Proxy = "127.0.0.1";
  c.ProxyPort = proxy.port();
  c.TimeOut = 5000;
  bool success = false;
  c.OnSuccess = [&](CmdType) { success = true; };
  c.Get("http://www.wunderground.com/US/TX/Austin.html");
  EXPECT_TRUE(success) << c.Header << c.Body;
  EXPECT_EQ(c.StatusCode(), 200);
  EXPECT_NE(c.Body.find("Austin"), std::string::npos);
}

}  // namespace
