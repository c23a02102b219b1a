#include "json.h"

#include <cmath>
#include <cstdio>

namespace cli {

std::string Json::Quote(std::string_view latin1) {
  std::string r = "\"";
  for (unsigned char c : latin1) {
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\b': r += "\\b"; break;
      case '\f': r += "\\f"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\t': r += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          r += buf;
        } else if (c < 0x80) {
          r.push_back(static_cast<char>(c));
        } else {
          r.push_back(static_cast<char>(0xC0 | (c >> 6)));
          r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
  }
  r += '"';
  return r;
}

void Json::Separator() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ", ";
    first_.back() = false;
  }
}

Json& Json::BeginObject() {
  Separator();
  out_ += '{';
  first_.push_back(true);
  return *this;
}
Json& Json::EndObject() {
  out_ += '}';
  first_.pop_back();
  return *this;
}
Json& Json::BeginArray() {
  Separator();
  out_ += '[';
  first_.push_back(true);
  return *this;
}
Json& Json::EndArray() {
  out_ += ']';
  first_.pop_back();
  return *this;
}
Json& Json::Key(std::string_view key) {
  Separator();
  out_ += Quote(key);
  out_ += ": ";
  afterKey_ = true;
  return *this;
}
Json& Json::String(std::string_view latin1) {
  Separator();
  out_ += Quote(latin1);
  return *this;
}
Json& Json::OptString(const std::optional<std::string>& latin1) { return latin1 ? String(*latin1) : Null(); }
Json& Json::Int(std::int64_t v) {
  Separator();
  out_ += std::to_string(v);
  return *this;
}
Json& Json::Number(double v) {
  Separator();
  if (!std::isfinite(v)) {
    out_ += "null";
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    out_ += buf;
  }
  return *this;
}
Json& Json::Bool(bool v) {
  Separator();
  out_ += v ? "true" : "false";
  return *this;
}
Json& Json::Null() {
  Separator();
  out_ += "null";
  return *this;
}
Json& Json::StringArray(const std::vector<std::string>& items) {
  BeginArray();
  for (const auto& s : items) String(s);
  return EndArray();
}

void Json::Print() const {
  std::fwrite(out_.data(), 1, out_.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace cli
