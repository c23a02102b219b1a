// The last good answers, by request, with their age on the injected clock.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "common/clock.h"

namespace sky::gateway {

template <typename Value>
class Cache {
 public:
  Cache(const IClock& clock, std::size_t max_entries) : clock_(clock), maxEntries_(max_entries) {}

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
    if (maxEntries_ == 0) return;
    if (!entries_.count(key) && entries_.size() >= maxEntries_) {
      // Room by the oldest entry.
      auto oldest = entries_.begin();
      for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->second.storedMs < oldest->second.storedMs) oldest = it;
      }
      entries_.erase(oldest);
    }
    entries_[key] = Entry{std::move(value), clock_.MonotonicMs()};
  }

  std::size_t Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
  }

 private:
  struct Entry {
    Value value;
    std::int64_t storedMs = 0;
  };
  const IClock& clock_;
  const std::size_t maxEntries_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

}  // namespace sky::gateway
