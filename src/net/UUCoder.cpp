#include "net/UUCoder.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace sky {

namespace {

constexpr char kMime[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char UuChar(unsigned v) { return static_cast<char>(v == 0 ? '`' : (v & 63) + 32); }

void Fire(const TUUProcessor::TNotify& e, TUUProcessor* self) {
  if (e) e(self);
}

void EncodeMimeLine(const unsigned char* p, std::size_t n, std::string& out) {
  for (std::size_t i = 0; i < n; i += 3) {
    unsigned b0 = p[i], b1 = i + 1 < n ? p[i + 1] : 0, b2 = i + 2 < n ? p[i + 2] : 0;
    out += kMime[b0 >> 2];
    out += kMime[((b0 & 3) << 4) | (b1 >> 4)];
    out += i + 1 < n ? kMime[((b1 & 15) << 2) | (b2 >> 6)] : '=';
    out += i + 2 < n ? kMime[b2 & 63] : '=';
  }
}

void EncodeUuLine(const unsigned char* p, std::size_t n, std::string& out) {
  out += UuChar(static_cast<unsigned>(n));
  for (std::size_t i = 0; i < n; i += 3) {
    unsigned b0 = p[i], b1 = i + 1 < n ? p[i + 1] : 0, b2 = i + 2 < n ? p[i + 2] : 0;
    out += UuChar(b0 >> 2);
    out += UuChar(((b0 & 3) << 4) | (b1 >> 4));
    out += UuChar(((b1 & 15) << 2) | (b2 >> 6));
    out += UuChar(b2 & 63);
  }
}

int MimeValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

void TUUProcessor::Encode(std::istream& in, std::ostream& out) {
  Fire(OnBeginEncode, this);
  in.clear();
  in.seekg(0);
  out.seekp(0);
  unsigned char group[45];
  std::string line;
  for (;;) {
    in.read(reinterpret_cast<char*>(group), sizeof group);
    std::size_t n = static_cast<std::size_t>(in.gcount());
    if (n == 0) break;
    line.clear();
    if (Method == TUUMethod::uuMime) EncodeMimeLine(group, n, line);
    else EncodeUuLine(group, n, line);
    line += "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    if (n < sizeof group) break;
  }
  if (Method == TUUMethod::uuCode) out.write("`\r\n", 3);
  Fire(OnEndEncode, this);
}

void TUUProcessor::Decode(std::istream& in, std::ostream& out) {
  Fire(OnBeginDecode, this);
  in.clear();
  in.seekg(0);
  out.seekp(0);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string bytes;
  if (Method == TUUMethod::uuMime) {
    unsigned acc = 0;
    int bits = 0;
    for (char c : text) {
      if (c == '=') break;
      int v = MimeValue(c);
      if (v < 0) continue;
      acc = (acc << 6) | static_cast<unsigned>(v);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        bytes += static_cast<char>((acc >> bits) & 0xFF);
      }
    }
  } else {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      std::size_t n = static_cast<std::size_t>((line[0] - 32) & 63);
      if (n == 0) break;
      std::string chunk;
      for (std::size_t i = 1; i < line.size() && chunk.size() < n; i += 4) {
        unsigned v[4];
        for (int k = 0; k < 4; ++k) {
          std::size_t at = i + static_cast<std::size_t>(k);
          v[k] = at < line.size() ? static_cast<unsigned>((line[at] - 32) & 63) : 0;
        }
        chunk += static_cast<char>((v[0] << 2) | (v[1] >> 4));
        chunk += static_cast<char>(((v[1] & 15) << 4) | (v[2] >> 2));
        chunk += static_cast<char>(((v[2] & 3) << 6) | v[3]);
      }
      chunk.resize(std::min(chunk.size(), n));
      bytes += chunk;
    }
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Fire(OnEndDecode, this);
}

std::string TUUProcessor::EncodeString(std::string_view data) {
  std::istringstream in{std::string(data)};
  std::ostringstream out;
  Encode(in, out);
  return out.str();
}

std::string TUUProcessor::DecodeString(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::ostringstream out;
  Decode(in, out);
  return out.str();
}

}  // namespace sky
