#include "conditions/htmlp.h"

#include <array>
#include <cstring>

#include "common/text.h"

namespace sky {

namespace {

// What the plain text pass does with each byte; most bytes are kCopy, so the
// pass is one table lookup per byte outside tags, and tags are skipped with
// memchr.
enum ByteClass : unsigned char { kCopy, kTag, kHash, kN, kDrop, kBlank };

constexpr std::array<unsigned char, 256> MakeByteClasses() {
  std::array<unsigned char, 256> t{};
  t['<'] = kTag;
  t['#'] = kHash;
  t['n'] = kN;
  t['&'] = kDrop;
  t['_'] = kBlank;
  t[0] = kBlank;
  t[8] = kBlank;
  for (int c = 9; c <= 13; ++c) t[c] = kBlank;
  return t;
}
constexpr auto kByteClass = MakeByteClasses();

struct SkyWord {
  const char* word;
  int icon;
};
// Tested in this order: "sun" before "mostly cloud" makes Mostly Sunny a sun,
// "rain" before "mist" makes Light Rain Mist rain.
constexpr SkyWord kSkyWords[] = {
    {"sun", 11},         {"clear", 11},  {"mostly cloud", 3}, {"scattered clouds", 4},
    {"partly cloud", 4}, {"cloud", 12},  {"overcast", 3},     {"haze", 1},
    {"fog", 1},          {"snow", 10},   {"thunderstorm", 2}, {"rain", 9},
    {"mist", 5},         {"drizzle", 5},
};

long long At(std::string_view key, std::string_view s) { return static_cast<long long>(Pos(key, s)); }

}  // namespace

std::string PlainTextOf(std::string_view s) {
  // Every byte maps to at most one byte, so the result fits in the input size.
  std::string r(s.size(), '\0');
  char* out = r.data();
  const char* p = s.data();
  const char* const end = p + s.size();
  while (p < end) {
    switch (kByteClass[static_cast<unsigned char>(*p)]) {
      case kCopy: *out++ = *p++; break;
      case kTag: {
        const void* gt = std::memchr(p + 1, '>', static_cast<std::size_t>(end - p - 1));
        if (gt == nullptr) {
          p = end;  // an unclosed tag swallows the rest
        } else {
          p = static_cast<const char*>(gt) + 1;
        }
        break;
      }
      case kHash:
        // "#176;" (the tail of the degree entity) and "#" with any four bytes
        // after it both give the degree sign and consume five bytes.
        *out++ = kDegree;
        p = (end - p > 5) ? p + 5 : end;
        break;
      case kN:
        if (end - p >= 5 && std::memcmp(p, "nbsp;", 5) == 0) {
          *out++ = ' ';
          p += 5;
        } else {
          *out++ = *p++;
        }
        break;
      case kDrop: ++p; break;
      case kBlank:
        *out++ = ' ';
        ++p;
        break;
    }
  }
  r.resize(static_cast<std::size_t>(out - r.data()));
  return r;
}

int SkyIconFor(std::string_view sky) {
  const std::string lower = LowerAscii(sky);
  for (const auto& w : kSkyWords)
    if (lower.find(w.word) != std::string::npos) return w.icon;
  return 0;
}

ParsedConditionsPage ParseConditionsPage(std::string_view page, IMessagePort& messages) {
  ParsedConditionsPage out;
  ConditionsRecord& rec = out.Record;

  // Title: the working text starts just after the colon; the place is what
  // stands before the next "Weather".
  std::string_view work;
  if (const long long u = At("Underground:", page); u > 0) {
    work = page.substr(static_cast<std::size_t>(u - 1 + 12));
    out.PageLocationName = Trim(Cut(work, 1, At("Weather", work) - 1));
  } else {
    messages.ShowMessage(kParseErrorP1);
  }

  // Header: pages that carry "Conditions at" have no "Updated:" line worth
  // reading and keep the window's previous header.
  if (At("Conditions at", work) == 0) {
    work = work.size() > 8 ? work.substr(8) : std::string_view{};
    const long long d = At("Updated:", work);
    if (d <= 1) {
      messages.ShowMessage(kParseErrorP2);
      return out;
    }
    // "Updated:" now fills positions 2..9; a blank and a three-byte bold tag
    // follow, so the time starts at 14.
    work = work.substr(static_cast<std::size_t>(d - 2));
    const long long on = At(" on", work);
    rec.ObservedAt = Trim(Cut(work, 14, on > 0 ? on - 14 : 13));
  }

  const std::string text = Trim(PlainTextOf(work));

  const long long t = At("Temperature", text);
  if (t == 0) {
    messages.ShowMessage(kParseErrorP3);
    return out;
  }
  const long long h = At("HeatIndex", text);
  const long long m = At("Humidity", text);
  const long long wind = At("Wind", text);
  const long long pressure = At("Pressure", text);
  const long long c = At("Conditions", text);
  const long long v = At("Visibility", text);
  const long long sunrise = At("Sunrise", text);
  const long long sunset = At("Sunset", text);
  const long long moonRise = At("Moon Rise", text);
  const long long moonSet = At("Moon Set", text);
  const long long moonPhase = At("Moon Phase", text);

  // From `start` up to, not including, the position `endAt`; a missing end
  // key (0) gives a negative count and so the empty text.
  auto upTo = [&text](long long start, long long endAt) { return Cut(text, start, endAt - start); };
  auto value = [&](long long key, long long skip, long long endAt) -> std::string {
    return key > 0 ? upTo(key + skip, endAt) : std::string(kNA);
  };

  rec.Temperature = upTo(t + 12, (h > 0 && m > h) ? h : m);
  rec.HeatIndex = h > 0 ? upTo(h + 10, m) : std::string(kNA);
  rec.Humidity = m > 0 ? Cut(text, m + 9, 4) : std::string(kNA);
  rec.Wind = value(wind, 5, pressure);
  rec.Pressure = value(pressure, 9, c);
  rec.Visibility = v > 0 ? Cut(text, v + 11, 8) : std::string(kNA);
  rec.Sunrise = value(sunrise, 7, sunset);
  rec.Sunset = value(sunset, 6, moonRise);
  rec.MoonRise = value(moonRise, 9, moonSet);
  rec.MoonSet = value(moonSet, 8, moonPhase);

  if (c > 0) {
    long long skyEnd = v;
    if (v == 0) {
      // Without "Visibility" the sky ends at the next " Up" (as in "Updated")
      // within a short window, else after 19 characters.
      skyEnd = c + 30;
      const std::string_view tv(text);
      for (long long i = c + 13; i <= c + 30; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        if (at + 3 <= tv.size() && tv.substr(at, 3) == " Up") {
          skyEnd = i;
          break;
        }
      }
    }
    rec.Sky = Trim(upTo(c + 11, skyEnd));
    rec.TrayTip = rec.Sky + " && " + rec.Temperature;
    rec.SkyIcon = SkyIconFor(rec.Sky);
  } else {
    rec.Sky = kNA;
  }
  return out;
}

}  // namespace sky
