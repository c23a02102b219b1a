// A small threaded HTTP-ish server on 127.0.0.1 for the network client's
// tests: each accepted connection runs the test's handler on its own thread,
// so a handler can misbehave (stay silent, close mid-way, dribble bytes).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nettest {

class TestServer;

class Connection {
 public:
  Connection(int fd, TestServer& server);
  // Reads up to and including the blank line that ends a request header
  // (or whatever came before the peer closed / 5 s passed) and records it
  // in the server's Requests().
  std::string ReadRequest();
  bool Send(std::string_view bytes);
  // Sleeps up to ms; returns early (true) when the server is stopping.
  bool Wait(int ms);
  // Waits until the client closes its end (or the server stops).
  void WaitPeerClose();
  void Close();
  // Closes with a reset (RST) instead of an orderly close.
  void Reset();
  int fd() const { return fd_; }

 private:
  int fd_;
  TestServer& server_;
  const std::atomic<bool>& stop_;
};

class TestServer {
 public:
  using Handler = std::function<void(Connection&)>;
  // Listens on 127.0.0.1, or on ::1 with ipv6 (throws when that fails).
  explicit TestServer(Handler handler, bool ipv6 = false);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path = "/") const;  // the IPv4 form
  // The request headers read by Reply-style handlers, in arrival order.
  std::vector<std::string> Requests() const;
  void AddRequest(std::string r);
  int Connections() const { return connections_.load(); }

 private:
  friend class Connection;
  void AcceptLoop();
  Handler handler_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread acceptThread_;
  mutable std::mutex m_;
  std::vector<std::thread> workers_;
  std::vector<int> fds_;
  std::vector<std::string> requests_;
};

// "HTTP/1.0 <status>\r\n" + headers + "Content-Length: n\r\n\r\n" + body.
std::string HttpReply(const std::string& status, const std::string& body, const std::string& headers = "",
                      bool withLength = true);

// A free port on 127.0.0.1 with nothing listening on it.
int RefusedPort();

}  // namespace nettest
