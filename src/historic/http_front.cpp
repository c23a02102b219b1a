#include "historic/http_front.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include "common/quoting.h"
#include "common/text.h"

namespace sky::historic {

namespace {

using Clock = std::chrono::steady_clock;

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return status < 400 ? "OK" : "Error";
  }
}

bool SendAll(int fd, const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string Response(int status, const std::string& contentType, const std::string& body, bool withBody,
                     const std::string& extraHeaders = {}) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
  out += "Content-Type: " + contentType + "\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  out += extraHeaders;
  out += "Connection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

// An answer, then the connection's end: one request per connection, as the
// program's HTTP/1.0 client expects.
void Answer(int fd, int status, const std::string& contentType, const std::string& body, bool withBody,
            const std::string& extraHeaders = {}) {
  SendAll(fd, Response(status, contentType, body, withBody, extraHeaders));
  ::shutdown(fd, SHUT_WR);
  ::close(fd);
}

// A request head as read: the request line's parts and the Host header.
struct Head {
  int fd = -1;
  std::string method, target, host;
};

// Looks at what arrived so far. 0: wait for more; a status: refuse with it;
// -1: the head is whole and parsed into `head`.
int ExamineHead(const std::string& data, const FrontLimits& limits, Head& head) {
  const std::size_t lineEnd = data.find('\n');
  if (lineEnd == std::string::npos) return data.size() > limits.requestLineBytes ? 414 : 0;
  if (lineEnd > limits.requestLineBytes) return 414;
  std::size_t end = data.find("\r\n\r\n");
  std::size_t endLength = 4;
  if (end == std::string::npos) {
    end = data.find("\n\n");
    endLength = 2;
  }
  if (end == std::string::npos) {
    if (data.size() > limits.headBytes) return 431;
    if (static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n')) > limits.headerLines + 1) return 431;
    return 0;
  }
  if (end + endLength > limits.headBytes) return 431;
  // The request line.
  std::string line = data.substr(0, lineEnd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::size_t s1 = line.find(' ');
  const std::size_t s2 = s1 == std::string::npos ? std::string::npos : line.find(' ', s1 + 1);
  if (s1 == std::string::npos || s2 == std::string::npos || line.compare(s2 + 1, 5, "HTTP/") != 0) return 400;
  head.method = line.substr(0, s1);
  head.target = line.substr(s1 + 1, s2 - s1 - 1);
  if (head.method.empty() || head.target.empty()) return 400;
  // The header lines; only Host matters here.
  std::size_t at = lineEnd + 1, lines = 0;
  while (at < end + endLength) {
    std::size_t next = data.find('\n', at);
    if (next == std::string::npos) break;
    std::string h = data.substr(at, next - at);
    at = next + 1;
    if (!h.empty() && h.back() == '\r') h.pop_back();
    if (h.empty()) break;
    if (++lines > limits.headerLines) return 431;
    const std::size_t colon = h.find(':');
    if (colon == std::string::npos) return 400;
    if (SameTextAscii(std::string_view(h).substr(0, colon), "Host")) head.host = std::string(Trim(h.substr(colon + 1)));
  }
  return -1;
}

// Complete request heads waiting for a worker.
class Queue {
 public:
  explicit Queue(std::size_t limit) : limit_(limit) {}
  bool Push(Head h) {
    std::lock_guard<std::mutex> lock(m_);
    if (items_.size() >= limit_) return false;
    items_.push_back(std::move(h));
    cv_.notify_one();
    return true;
  }
  std::optional<Head> Pop() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return stop_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    Head h = std::move(items_.front());
    items_.pop_front();
    return h;
  }
  void Stop() {
    std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Head> items_;
  std::size_t limit_;
  bool stop_ = false;
};

int Listen(const FrontOptions& options, int& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(options.port);
  if (::getaddrinfo(options.bind.c_str(), service.c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) continue;
    // Address reuse, but not port sharing: a second server on a taken port
    // must fail, not split the requests with the first.
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, options.backlog) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) return -1;
  sockaddr_storage bound{};
  socklen_t len = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
  port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                           : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
}

// A connection whose head is still arriving, or one refused whose client is
// still sending: what it sends is read and dropped for a short while, so that
// the refusal reaches it instead of being lost to a reset.
struct Pending {
  int fd;
  std::string data;
  Clock::time_point deadline;
  bool refused = false;
  std::size_t dropped = 0;
};
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 4u << 20;

}  // namespace

void RequestLog::Write(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

sigset_t BlockStopSignals() {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return stopSignals;
}

int Serve(const FrontOptions& options, const sigset_t& stopSignals, RequestLog& log,
          const std::function<Reply(const Request&)>& handle) {
  int port = 0;
  const int listening = Listen(options, port);
  if (listening < 0) {
    std::cerr << options.program << ": cannot listen on " << options.bind << ":" << options.port << "\n";
    return 1;
  }
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return 1;

  const FrontLimits limits = options.limits;
  auto logLine = [&](const std::string& method, const std::string& host, const std::string& path, int status,
                     std::size_t bytes, std::optional<Clock::time_point> started) {
    std::string line = EscapedControls(method) + " " + EscapedControls(host) + " " + EscapedControls(path) + " " +
                       std::to_string(status) + " " + std::to_string(bytes);
    if (options.logDuration && started) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *started);
      line += " " + std::to_string(ms.count()) + "ms";
    }
    log.Write(line);
  };
  // Turned away before the handler: the raw target, cut, in the log; the
  // connection lingers (below) until its client has read the answer.
  auto refuse = [&](Pending& p, int status) {
    const std::string body = std::to_string(status) + " " + ReasonPhrase(status) + "\n";
    SendAll(p.fd, Response(status, "text/plain", body, true));
    ::shutdown(p.fd, SHUT_WR);
    // The method and the start of the target, as far as they came.
    const std::string line = p.data.substr(0, std::min(p.data.find_first_of("\r\n"), std::size_t{256}));
    const std::size_t blank = line.find(' ');
    const std::string method = line.substr(0, std::min(blank, std::size_t{16}));
    const std::string target =
        blank == std::string::npos ? "" : line.substr(blank + 1, line.find(' ', blank + 1) - blank - 1);
    logLine(method.empty() ? "-" : method, "-", target.empty() ? "-" : target, status, body.size(), std::nullopt);
    p.refused = true;
    p.data.clear();
    p.data.shrink_to_fit();
    p.deadline = Clock::now() + kLingerTime;
  };

  Queue queue(static_cast<std::size_t>(options.queueLimit));
  auto work = [&] {
    while (std::optional<Head> h = queue.Pop()) {
      const auto started = Clock::now();
      timeval tv{options.writeTimeoutSeconds, 0};
      ::setsockopt(h->fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
      const bool head = h->method == "HEAD";
      std::optional<Target> target = SplitTarget(h->target, h->host);
      if (!target) {
        const std::string body = NotFoundPage(h->target);
        Answer(h->fd, 400, "text/html; charset=iso-8859-1", body, !head);
        logLine(h->method, "-", h->target, 400, head ? 0 : body.size(), started);
        continue;
      }
      const std::string path = target->path + (target->query.empty() ? "" : "?" + target->query);
      if (h->method != "GET" && !head) {
        const std::string body = "Method not allowed\n";
        Answer(h->fd, 405, "text/plain", body, true, "Allow: GET, HEAD\r\n");
        logLine(h->method, target->host, path, 405, body.size(), started);
        continue;
      }
      Request request;
      request.method = h->method;
      request.host = target->host;
      request.path = target->path;
      request.query = target->query;
      request.now = static_cast<std::int64_t>(std::time(nullptr));
      Reply reply;
      try {
        reply = handle(request);
      } catch (const std::exception&) {
        reply.status = 500;
        reply.contentType = "text/plain";
        reply.body = "Internal error\n";
      }
      // The line before the answer, so that a client's requests log in the order it made them.
      logLine(h->method, target->host, path, reply.status, head ? 0 : reply.body.size(), started);
      // Headers a site adds (a kept answer's Age and Warning); a line break in
      // a value would start a header of its own, so none passes.
      std::string extra;
      for (const auto& [name, value] : reply.headers) {
        if (name.find_first_of("\r\n:") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
          continue;
        extra += name + ": " + value + "\r\n";
      }
      Answer(h->fd, reply.status, reply.contentType, reply.body, !head, extra);
    }
  };
  std::vector<std::thread> workers;
  for (int i = 0; i < std::max(1, options.workers); ++i) workers.emplace_back(work);

  // One thread takes the connections and reads every head, however slowly it
  // comes, within its bounds and its time; only whole heads take a worker.
  std::atomic<bool> stopping{false};
  std::thread reader([&] {
    std::vector<Pending> pending;
    std::vector<pollfd> fds;
    std::vector<char> buf(16384);
    while (!stopping) {
      fds.clear();
      fds.push_back({listening, static_cast<short>(pending.size() < limits.pendingConnections ? POLLIN : 0), 0});
      fds.push_back({wake[0], POLLIN, 0});
      auto now = Clock::now();
      auto next = now + std::chrono::seconds(1);
      for (const Pending& p : pending) {
        fds.push_back({p.fd, POLLIN, 0});
        next = std::min(next, p.deadline);
      }
      const int waitMs = static_cast<int>(
          std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1));
      if (::poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR) break;
      if (stopping) break;
      now = Clock::now();
      std::vector<Pending> still;
      for (std::size_t i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        const short re = fds[i + 2].revents;
        bool closed = false;
        if (re & (POLLIN | POLLHUP | POLLERR)) {
          const ssize_t n = ::recv(p.fd, buf.data(), buf.size(), 0);
          if (n > 0 && p.refused) p.dropped += static_cast<std::size_t>(n);
          else if (n > 0) p.data.append(buf.data(), static_cast<std::size_t>(n));
          else if (n == 0 || (errno != EAGAIN && errno != EINTR)) closed = true;
        }
        if (p.refused) {
          if (closed || now >= p.deadline || p.dropped > kLingerBytes) ::close(p.fd);
          else still.push_back(std::move(p));
          continue;
        }
        Head h;
        const int verdict = ExamineHead(p.data, limits, h);
        if (verdict == -1) {
          // The worker writes with a blocking socket and its own time-out.
          ::fcntl(p.fd, F_SETFL, ::fcntl(p.fd, F_GETFL) & ~O_NONBLOCK);
          h.fd = p.fd;
          if (queue.Push(std::move(h))) continue;
          refuse(p, 503);
        } else if (verdict > 0) {
          refuse(p, verdict);
        } else if (closed) {
          ::close(p.fd);
          continue;
        } else if (now >= p.deadline) {
          refuse(p, 408);
        }
        still.push_back(std::move(p));
      }
      pending.swap(still);
      if (fds[0].revents & POLLIN) {
        for (int i = 0; i < 64 && pending.size() < limits.pendingConnections; ++i) {
          const int c = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
          if (c < 0) break;
          pending.push_back({c, {}, Clock::now() + std::chrono::milliseconds(limits.headTimeoutMs)});
        }
      }
    }
    for (const Pending& p : pending) ::close(p.fd);
  });

  std::cout << "listening on " << options.bind << ":" << port << std::endl;
  int signalNumber = 0;
  sigwait(&stopSignals, &signalNumber);
  stopping = true;
  [[maybe_unused]] const ssize_t woke = ::write(wake[1], "x", 1);
  reader.join();
  ::close(listening);
  queue.Stop();
  // The requests in progress finish; a handler waiting on a silent source
  // would hold the stop up, so after a short while the server ends without it.
  const auto deadline = Clock::now() + std::chrono::seconds(1);
  std::atomic<int> joined{0};
  std::thread joiner([&] {
    for (std::thread& w : workers) w.join();
    joined = 1;
  });
  while (!joined) {
    if (Clock::now() >= deadline) std::_Exit(0);  // every log line is flushed
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  joiner.join();
  ::close(wake[0]);
  ::close(wake[1]);
  return 0;
}

}  // namespace sky::historic
