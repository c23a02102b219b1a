#include "net/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace nettest {

Connection::Connection(int fd, TestServer& server) : fd_(fd), server_(server), stop_(server.stop_) {}

std::string Connection::ReadRequest() {
  std::string got;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (got.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until && !stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char buf[4096];
    ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  server_.AddRequest(got);
  return got;
}

bool Connection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 20);
        if (stop_) return false;
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool Connection::Wait(int ms) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (stop_) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return stop_;
}

void Connection::WaitPeerClose() {
  while (!stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char buf[4096];
    if (::recv(fd_, buf, sizeof buf, 0) <= 0) return;
  }
}

void Connection::Close() { ::shutdown(fd_, SHUT_RDWR); }

void Connection::Reset() {
  linger hard{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  std::lock_guard<std::mutex> lock(server_.m_);
  for (int& fd : server_.fds_)
    if (fd == fd_) fd = -1;
  ::close(fd_);
  fd_ = -1;
}

TestServer::TestServer(Handler handler, bool ipv6) : handler_(std::move(handler)) {
  listenFd_ = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_storage ss{};
  socklen_t len = 0;
  if (ipv6) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&ss);
    a6->sin6_family = AF_INET6;
    a6->sin6_addr = in6addr_loopback;
    len = sizeof(sockaddr_in6);
  } else {
    auto* a4 = reinterpret_cast<sockaddr_in*>(&ss);
    a4->sin_family = AF_INET;
    a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    len = sizeof(sockaddr_in);
  }
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&ss), len) != 0 || ::listen(listenFd_, 64) != 0) {
    if (listenFd_ >= 0) ::close(listenFd_);
    throw std::runtime_error("test server cannot listen");
  }
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&ss), &len);
  port_ = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port : reinterpret_cast<sockaddr_in*>(&ss)->sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestServer::~TestServer() {
  stop_ = true;
  acceptThread_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(m_);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
  for (int fd : fds_)
    if (fd >= 0) ::close(fd);
  ::close(listenFd_);
}

void TestServer::AcceptLoop() {
  while (!stop_) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, 10) <= 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    std::lock_guard<std::mutex> lock(m_);
    fds_.push_back(fd);
    workers_.emplace_back([this, fd] {
      Connection c(fd, *this);
      try {
        handler_(c);
      } catch (...) {
      }
      if (c.fd() >= 0) ::shutdown(c.fd(), SHUT_RDWR);
    });
  }
}

std::string TestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> TestServer::Requests() const {
  std::lock_guard<std::mutex> lock(m_);
  return requests_;
}

void TestServer::AddRequest(std::string r) {
  std::lock_guard<std::mutex> lock(m_);
  requests_.push_back(std::move(r));
}

std::string HttpReply(const std::string& status, const std::string& body, const std::string& headers, bool withLength) {
  std::string r = "HTTP/1.0 " + status + "\r\n" + headers;
  if (withLength) r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return r + "\r\n" + body;
}

int RefusedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

}  // namespace nettest
