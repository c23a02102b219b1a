// A small JSON writer for the terminal companion. Texts are Latin-1 bytes; each
// byte b is written as the character U+00XX of the same value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

class Json {
 public:
  // Builders; each returns *this so calls can be chained.
  Json& BeginObject();
  Json& EndObject();
  Json& BeginArray();
  Json& EndArray();
  Json& Key(std::string_view key);
  Json& String(std::string_view latin1);
  Json& OptString(const std::optional<std::string>& latin1);
  Json& Int(std::int64_t v);
  Json& Number(double v);
  Json& Bool(bool v);
  Json& Null();
  Json& StringArray(const std::vector<std::string>& items);

  // Shorthands for a key followed by a value.
  Json& Field(std::string_view key, std::string_view latin1) { return Key(key).String(latin1); }
  Json& Field(std::string_view key, const char* latin1) { return Key(key).String(latin1); }
  Json& Field(std::string_view key, const std::string& latin1) { return Key(key).String(latin1); }
  Json& Field(std::string_view key, const std::optional<std::string>& v) { return Key(key).OptString(v); }
  Json& Field(std::string_view key, std::int64_t v) { return Key(key).Int(v); }
  Json& Field(std::string_view key, int v) { return Key(key).Int(v); }
  Json& Field(std::string_view key, bool v) { return Key(key).Bool(v); }
  Json& Field(std::string_view key, const std::vector<std::string>& v) { return Key(key).StringArray(v); }

  const std::string& str() const { return out_; }
  // Writes the document and a newline to stdout.
  void Print() const;

  // The JSON string literal (with quotes) for Latin-1 text.
  static std::string Quote(std::string_view latin1);

 private:
  void Separator();
  std::string out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool afterKey_ = false;
};

}  // namespace cli
