#include "net/ExtStrings.h"

#include <algorithm>

#include "common/text.h"

namespace sky {

namespace {

std::string_view NameOf(std::string_view line) {
  auto colon = line.find(':');
  return colon == std::string_view::npos ? line : line.substr(0, colon);
}

// Case-insensitive (ASCII) three-way comparison.
int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::size_t TExStringList::Add(std::string line) {
  if (!Sorted) {
    lines_.push_back(std::move(line));
    return lines_.size() - 1;
  }
  auto it = std::upper_bound(lines_.begin(), lines_.end(), line, [](const std::string& a, const std::string& b) {
    int c = CompareText(NameOf(a), NameOf(b));
    return c != 0 ? c < 0 : CompareText(a, b) < 0;
  });
  auto at = lines_.insert(it, std::move(line));
  return static_cast<std::size_t>(at - lines_.begin());
}

void TExStringList::Delete(std::size_t i) {
  if (i < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::string TExStringList::Text() const {
  std::string out;
  for (const auto& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

long TExStringList::IndexOfName(std::string_view name) const {
  if (Sorted) {
    // Add keeps the lines ordered by name first, so the first line with
    // the name is the lower bound.
    std::size_t lo = 0, hi = lines_.size();
    while (lo < hi) {
      std::size_t mid = (lo + hi) / 2;
      if (CompareText(NameOf(lines_[mid]), name) < 0) lo = mid + 1;
      else hi = mid;
    }
    if (lo < lines_.size() && CompareText(NameOf(lines_[lo]), name) == 0) return static_cast<long>(lo);
    return -1;
  }
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (SameTextAscii(NameOf(lines_[i]), name)) return static_cast<long>(i);
  return -1;
}

std::string TExStringList::Value(std::string_view name) const {
  long i = IndexOfName(name);
  if (i < 0) return {};
  const std::string& line = lines_[static_cast<std::size_t>(i)];
  auto colon = line.find(':');
  if (colon == std::string::npos) return {};
  std::size_t start = colon + 1;
  if (start < line.size() && line[start] == ' ') ++start;
  return line.substr(start);
}

void TExStringList::SetValue(std::string_view name, std::string_view value) {
  long i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(static_cast<std::size_t>(i));
    return;
  }
  std::string line(name);
  line += ": ";
  line += value;
  if (i < 0) {
    Add(std::move(line));
  } else if (Sorted) {
    Delete(static_cast<std::size_t>(i));
    Add(std::move(line));
  } else {
    lines_[static_cast<std::size_t>(i)] = std::move(line);
  }
}

}  // namespace sky
