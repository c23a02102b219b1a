// The hive in memory and its file text.
#include "settings/hive.h"

#include <cstdint>
#include <string_view>

#include "common/text.h"

namespace sky::hive {

namespace {

bool IsUnder(const std::string& path, const std::string& top) {
  return path.size() > top.size() && path[top.size()] == '\\' &&
         SameTextAscii(std::string_view(path).substr(0, top.size()), top);
}

// --- escaping -------------------------------------------------------------

const char kHex[] = "0123456789ABCDEF";

void PutHexEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

void PutUtf8(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A name or data field: escapes what would be misread, or is invisible.
std::string Escape(const std::string& s, bool isName) {
  std::string out;
  out.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool atEnd = i == 0 || i + 1 == s.size();
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || (c >= 0x7F && c <= 0xA0)) PutHexEscape(out, c);
    else if (c == ' ' && atEnd) PutHexEscape(out, c);
    else if (isName && c == '=') PutHexEscape(out, c);
    else if (isName && i == 0 && (c == '[' || c == ';' || c == '#')) PutHexEscape(out, c);
    else PutUtf8(out, c);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 of code points up to U+00FF to Latin-1, with escapes when `escapes`.
bool Unescape(std::string_view s, bool escapes, std::string& out, std::string& error) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      if ((c != 0xC2 && c != 0xC3) || i + 1 >= s.size() || (static_cast<unsigned char>(s[i + 1]) & 0xC0) != 0x80) {
        error = "not UTF-8 text of Latin-1 characters";
        return false;
      }
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F));
      ++i;
    } else if (c < 0x20 && c != '\t') {
      error = "control character";
      return false;
    } else if (c == '\\' && escapes) {
      if (i + 1 >= s.size()) {
        error = "\"\\\" at the end of the line";
        return false;
      }
      const char e = s[++i];
      if (e == '\\') out += '\\';
      else if (e == 'n') out += '\n';
      else if (e == 'r') out += '\r';
      else if (e == 't') out += '\t';
      else if (e == 'x' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
        out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
        i += 2;
      } else {
        error = "unknown escape";
        return false;
      }
    } else {
      out += static_cast<char>(c);
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ValidTypeName(std::string_view t) {
  if (t.empty() || t.size() > 32 || !(t[0] >= 'a' && t[0] <= 'z')) return false;
  for (char c : t)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool ParseDword(std::string_view s, std::uint32_t& out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  std::uint64_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  out = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

// --- Hive -------------------------------------------------------------------

Key* Hive::Find(const std::string& path) {
  for (auto& k : keys)
    if (SameTextAscii(k.path, path)) return &k;
  return nullptr;
}

const Key* Hive::Find(const std::string& path) const { return const_cast<Hive*>(this)->Find(path); }

bool Hive::Exists(const std::string& path) const {
  for (const auto& k : keys)
    if (SameTextAscii(k.path, path) || IsUnder(k.path, path)) return true;
  return false;
}

bool Hive::Create(const std::string& path) {
  if (Exists(path)) return false;
  keys.push_back(Key{path, {}});
  return true;
}

bool Hive::Delete(const std::string& path) {
  const auto before = keys.size();
  std::erase_if(keys, [&](const Key& k) { return SameTextAscii(k.path, path) || IsUnder(k.path, path); });
  return keys.size() != before;
}

void Hive::Set(const std::string& path, const Value& value) {
  Key* k = Find(path);
  if (!k) {
    keys.push_back(Key{path, {}});
    k = &keys.back();
  }
  for (auto& v : k->values) {
    if (SameTextAscii(v.name, value.name)) {
      const std::string name = v.name;
      v = value;
      v.name = name;
      return;
    }
  }
  k->values.push_back(value);
}

const Value* Hive::Get(const std::string& path, const std::string& name) const {
  const Key* k = Find(path);
  if (!k) return nullptr;
  for (const auto& v : k->values)
    if (SameTextAscii(v.name, name)) return &v;
  return nullptr;
}

std::vector<std::string> Hive::SubKeys(const std::string& path) const {
  std::vector<std::string> out;
  for (const auto& k : keys) {
    if (!IsUnder(k.path, path)) continue;
    const auto end = k.path.find('\\', path.size() + 1);
    const std::string child = k.path.substr(0, end);
    bool seen = false;
    for (const auto& o : out) seen = seen || SameTextAscii(o, child);
    if (!seen) out.push_back(child);
  }
  return out;
}

bool ValidKeyPath(const std::string& path) {
  if (path.empty() || path.front() == ' ' || path.back() == ' ') return false;
  bool levelStart = true;
  for (unsigned char c : path) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == ']') return false;
    if (c == '\\') {
      if (levelStart) return false;
      levelStart = true;
    } else {
      levelStart = false;
    }
  }
  return !levelStart;
}

// --- file text ----------------------------------------------------------------

std::string Serialize(const Hive& hive) {
  std::string out =
      "; Skyglass settings. Each [key] block holds lines name=type:value; types are\n"
      "; sz (text) and dword (number). Escapes: \\\\ \\n \\r \\t \\xHH.\n";
  for (const auto& k : hive.keys) {
    out += "\n[";
    for (unsigned char c : k.path) PutUtf8(out, c);
    out += "]\n";
    for (const auto& v : k.values) {
      out += Escape(v.name, true);
      out += '=';
      switch (v.type) {
        case ValueType::Text:
          out += "sz:";
          out += Escape(v.text, false);
          break;
        case ValueType::Dword:
          out += "dword:";
          out += std::to_string(v.dword);
          break;
        case ValueType::Other:
          out += v.otherType;
          out += ':';
          out += Escape(v.text, false);
          break;
      }
      out += '\n';
    }
  }
  return out;
}

Hive ParseReadable(const std::string& fileText, ParseReport& report) {
  Hive hive;
  report = {};
  // Keys and names by their lower-case form, so that a file of many keys or
  // values reads in linear time; the first spelling is the one kept.
  std::unordered_map<std::string, std::size_t> keyIndex;
  std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
  constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current = kNoKey;
  bool keyUnread = false;  // the last key line could not be read
  std::size_t lineNo = 0;
  // Text editors may put a byte order mark in front when the user edits the
  // file by hand; it is no reason to set the whole store aside.
  std::size_t pos = fileText.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  auto skip = [&](const std::string& why) {
    if (report.skipped++ == 0) report.firstError = "line " + std::to_string(lineNo) + ": " + why;
  };
  while (pos < fileText.size()) {
    ++lineNo;
    auto nl = fileText.find('\n', pos);
    if (nl == std::string::npos) nl = fileText.size();
    std::string_view line(fileText.data() + pos, nl - pos);
    pos = nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited elsewhere
    const std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') continue;
    std::string why;
    if (t.front() == '[') {
      // A key line that cannot be read takes its values with it: they
      // must not land in the key above.
      keyUnread = true;
      current = kNoKey;
      std::string path;
      if (t.back() != ']') {
        skip("a key line must end with \"]\"");
      } else if (!Unescape(t.substr(1, t.size() - 2), false, path, why)) {
        skip(why);
      } else if (!ValidKeyPath(path)) {
        skip("invalid key path");
      } else {
        keyUnread = false;
        auto [it, added] = keyIndex.try_emplace(LowerAscii(path), hive.keys.size());
        if (added) {
          hive.keys.push_back(Key{path, {}});
          valueIndex.emplace_back();
        }
        current = it->second;
      }
      continue;
    }
    if (current == kNoKey) {
      skip(keyUnread ? "a value under a key line that cannot be read" : "a value before the first [key]");
      continue;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
      skip("no \"=\"");
      continue;
    }
    const std::string_view rest = t.substr(eq + 1);
    const auto colon = rest.find(':');
    if (colon == std::string_view::npos) {
      skip("no type before the value");
      continue;
    }
    Value v;
    if (!Unescape(TrimBlanks(t.substr(0, eq)), true, v.name, why)) {
      skip(why);
      continue;
    }
    const std::string_view type = TrimBlanks(rest.substr(0, colon));
    const std::string_view data = TrimBlanks(rest.substr(colon + 1));
    bool ok = true;
    if (type == "sz") {
      v.type = ValueType::Text;
      ok = Unescape(data, true, v.text, why);
    } else if (type == "dword") {
      v.type = ValueType::Dword;
      ok = ParseDword(data, v.dword);
      if (!ok) why = "invalid dword";
    } else if (ValidTypeName(type)) {
      v.type = ValueType::Other;
      v.otherType = std::string(type);
      ok = Unescape(data, true, v.text, why);
    } else {
      ok = false;
      why = "invalid type";
    }
    if (!ok) {
      skip(why);
      continue;
    }
    // A name given twice (hand edits): the later line wins, the first spelling stays.
    std::vector<Value>& values = hive.keys[current].values;
    auto [it, added] = valueIndex[current].try_emplace(LowerAscii(v.name), values.size());
    if (added) {
      values.push_back(std::move(v));
    } else {
      v.name = values[it->second].name;
      values[it->second] = std::move(v);
    }
  }
  return hive;
}

bool Parse(const std::string& fileText, Hive& out, std::string& error) {
  ParseReport report;
  Hive hive = ParseReadable(fileText, report);
  if (report.skipped > 0) {
    error = report.firstError;
    return false;
  }
  out = std::move(hive);
  return true;
}

}  // namespace sky::hive
