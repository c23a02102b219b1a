// The last good answers, by request, with their age on the injected clock,
// bounded in entries and in bytes (a few large pages must not fill the memory).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "common/clock.h"

namespace sky::gateway {

// The bytes a cached value holds, for the byte bound: a text, or an answer's body.
template <typename Value>
std::size_t CachedBytes(const Value& v) {
  if constexpr (requires { v.body.size(); }) return v.body.size() + 256;
  else return v.size();
}

template <typename Value>
class Cache {
 public:
  Cache(const IClock& clock, std::size_t max_entries, std::size_t max_bytes = std::size_t{64} << 20)
      : clock_(clock), maxEntries_(max_entries), maxBytes_(max_bytes) {}

  struct Hit {
    Value value;
    std::int64_t ageMs = 0;
  };

  std::optional<Hit> Find(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    return Hit{it->second.value, clock_.MonotonicMs() - it->second.storedMs};
  }

  void Put(const std::string& key, Value value) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t bytes = CachedBytes(value) + key.size();
    if (maxEntries_ == 0 || bytes > maxBytes_) return;
    if (auto it = entries_.find(key); it != entries_.end()) {
      bytes_ -= it->second.bytes;
      entries_.erase(it);
    }
    while (!entries_.empty() && (entries_.size() >= maxEntries_ || bytes_ + bytes > maxBytes_)) {
      // Room by the oldest entry.
      auto oldest = entries_.begin();
      for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->second.storedMs < oldest->second.storedMs) oldest = it;
      }
      bytes_ -= oldest->second.bytes;
      entries_.erase(oldest);
    }
    bytes_ += bytes;
    entries_[key] = Entry{std::move(value), clock_.MonotonicMs(), bytes};
  }

  std::size_t Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
  }
  std::size_t Bytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }

 private:
  struct Entry {
    Value value;
    std::int64_t storedMs = 0;
    std::size_t bytes = 0;
  };
  const IClock& clock_;
  const std::size_t maxEntries_;
  const std::size_t maxBytes_;
  std::size_t bytes_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

}  // namespace sky::gateway
