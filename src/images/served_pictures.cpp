#include "images/served_pictures.h"

#include <cctype>
#include <vector>

#include "images/image_catalogue.h"

namespace sky {

namespace {

// Just enough JSON for the document: objects, arrays, strings (escapes of
// ASCII), numbers, true, false, null.
struct Value {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Value> items;
  std::vector<std::pair<std::string, Value>> members;

  const Value* Member(const std::string& name) const {
    for (const auto& [k, v] : members)
      if (k == name) return &v;
    return nullptr;
  }
};

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}
  bool Parse(Value& out) {
    if (!ParseValue(out, 0)) return false;
    Space();
    return i_ == s_.size();
  }

 private:
  void Space() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool Literal(const char* word) {
    std::size_t n = std::char_traits<char>::length(word);
    if (s_.compare(i_, n, word) != 0) return false;
    i_ += n;
    return true;
  }
  bool ParseString(std::string& out) {
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c == '\\') {
        if (i_ >= s_.size()) return false;
        char e = s_[i_++];
        switch (e) {
          case 'n': c = '\n'; break;
          case 't': c = '\t'; break;
          case 'r': c = '\r'; break;
          case 'b': c = '\b'; break;
          case 'f': c = '\f'; break;
          case 'u': {
            if (i_ + 4 > s_.size()) return false;
            const unsigned long code = std::stoul(s_.substr(i_, 4), nullptr, 16);
            i_ += 4;
            c = code < 256 ? static_cast<char>(code) : '?';  // texts are Latin-1
            break;
          }
          default: c = e;
        }
      }
      out += c;
    }
    if (i_ >= s_.size()) return false;
    ++i_;
    return true;
  }
  bool ParseValue(Value& v, int depth) {
    if (depth > 32) return false;
    Space();
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '{') {
      v.kind = Value::kObject;
      ++i_;
      Space();
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      while (true) {
        Space();
        std::string key;
        if (!ParseString(key)) return false;
        Space();
        if (i_ >= s_.size() || s_[i_++] != ':') return false;
        Value member;
        if (!ParseValue(member, depth + 1)) return false;
        v.members.emplace_back(std::move(key), std::move(member));
        Space();
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        return i_ < s_.size() && s_[i_++] == '}';
      }
    }
    if (c == '[') {
      v.kind = Value::kArray;
      ++i_;
      Space();
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      while (true) {
        Value item;
        if (!ParseValue(item, depth + 1)) return false;
        v.items.push_back(std::move(item));
        Space();
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        return i_ < s_.size() && s_[i_++] == ']';
      }
    }
    if (c == '"') {
      v.kind = Value::kString;
      return ParseString(v.text);
    }
    if (Literal("true")) return v.kind = Value::kBool, v.boolean = true, true;
    if (Literal("false")) return v.kind = Value::kBool, v.boolean = false, true;
    if (Literal("null")) return v.kind = Value::kNull, true;
    const std::size_t start = i_;
    while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-' || s_[i_] == '+' ||
                              s_[i_] == '.' || s_[i_] == 'e' || s_[i_] == 'E'))
      ++i_;
    if (i_ == start) return false;
    v.kind = Value::kNumber;
    try {
      v.number = std::stod(s_.substr(start, i_ - start));
    } catch (...) {
      return false;
    }
    return true;
  }

  const std::string& s_;
  std::size_t i_ = 0;
};

}  // namespace

std::string ServedPicturesAddress(const std::string& conditionsPath) {
  const std::string address = std::string("http://") + LocalRadarRow().host + kServedPicturesPath;
  return conditionsPath.empty() ? address : address + PlaceQuery(conditionsPath);
}

std::string ServedPictures::Reason(const std::string& command) const {
  auto it = unserved.find(command);
  return it == unserved.end() ? std::string() : it->second;
}

std::optional<ServedPictures> ParseServedPictures(const std::string& json) {
  Value doc;
  try {
    if (!Reader(json).Parse(doc)) return std::nullopt;
  } catch (...) {  // a bad \u escape
    return std::nullopt;
  }
  const Value* rows = doc.Member("rows");
  const Value* live = doc.Member("live");
  if (doc.kind != Value::kObject || rows == nullptr || rows->kind != Value::kArray || live == nullptr ||
      live->kind != Value::kNumber)
    return std::nullopt;
  ServedPictures served;
  served.live = static_cast<int>(live->number);
  for (const Value& row : rows->items) {
    const Value* command = row.Member("command");
    const Value* is_live = row.Member("live");
    if (command == nullptr || command->kind != Value::kString || is_live == nullptr || is_live->kind != Value::kBool)
      return std::nullopt;
    if (is_live->boolean) continue;
    const Value* reason = row.Member("reason");
    served.unserved[command->text] =
        reason != nullptr && reason->kind == Value::kString ? reason->text : std::string("no source");
  }
  return served;
}

}  // namespace sky
