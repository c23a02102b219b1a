// A stub of the live sources on a loopback port: replays the recorded answers
// of tests/data/gateway (routes.tsv), with switches for the faults.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace skytest {

class StubUpstream {
 public:
  StubUpstream() {
    const std::string dir = std::string(SKYGLASS_TEST_DATA) + "/gateway/";
    std::ifstream routes(dir + "routes.tsv");
    std::string line;
    std::getline(routes, line);
    while (std::getline(routes, line)) {
      std::stringstream ss(line);
      std::string path, file, status;
      std::getline(ss, path, '\t');
      std::getline(ss, file, '\t');
      std::getline(ss, status, '\t');
      std::ifstream in(dir + file);
      std::stringstream body;
      body << in.rdbuf();
      routes_[path] = {std::stoi(status), body.str()};
    }
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      std::string target = req.path;
      if (!req.params.empty()) {
        std::string query;
        for (const auto& [k, v] : req.params) query += (query.empty() ? "" : "&") + k + "=" + v;
        // The recorded query keeps the order the gateway writes.
        std::size_t q = req.target.find('?');
        target += "?" + (q == std::string::npos ? query : req.target.substr(q + 1));
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(target);
        userAgent_ = req.get_header_value("User-Agent");
      }
      if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
      if (failing) {
        res.status = 503;
        res.set_content("Service Unavailable", "text/plain");
        return;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      std::pair<int, std::string> answer;
      if (overrides_.count(target)) {
        answer = overrides_[target];
      } else if (routes_.count(target)) {
        answer = routes_[target];
      } else {
        res.status = 404;
        res.set_content("{\"status\": 404, \"title\": \"Not Found\"}", "application/problem+json");
        return;
      }
      std::string body = answer.second;
      const std::string base = "http://127.0.0.1:" + std::to_string(port_);
      for (std::size_t at = body.find("{{BASE}}"); at != std::string::npos; at = body.find("{{BASE}}", at))
        body.replace(at, 8, base);
      res.status = answer.first;
      // A redirect's body is its Location.
      if (answer.first >= 300 && answer.first < 400) res.set_header("Location", body);
      else res.set_content(body, "application/geo+json");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~StubUpstream() {
    server_.stop();
    thread_.join();
  }

  int port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Replaces the answer for one path (status, body).
  void Override(const std::string& path, int status, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    overrides_[path] = {status, body};
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  std::string UserAgent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return userAgent_;
  }

  std::atomic<int> delayMs{0};
  std::atomic<bool> failing{false};

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::map<std::string, std::pair<int, std::string>> routes_, overrides_;
  std::vector<std::string> requests_;
  std::string userAgent_;
};

}  // namespace skytest
