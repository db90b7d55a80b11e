#include "core/zel_system.hpp"

#include "core/zel_stringl.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

namespace zel {

double Round(double x) { return std::nearbyint(x); }
long double Round(long double x) { return std::nearbyintl(x); }
double Trunc(double x) { return std::trunc(x); }
long double Trunc(long double x) { return std::truncl(x); }
double Int(double x) { return std::trunc(x); }
long double Int(long double x) { return std::truncl(x); }
double Frac(double x) { return x - std::trunc(x); }
long double Frac(long double x) { return x - std::truncl(x); }

int32_t SaturateToInt32(long double x) {
  if (std::isnan(x)) return 0;
  if (x <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  if (x >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(x);
}

int64_t SaturateToInt64(long double x) {
  if (std::isnan(x)) return 0;
  // Both limits are exact in the 64-bit mantissa of long double.
  if (x <= static_cast<long double>(std::numeric_limits<int64_t>::min()))
    return std::numeric_limits<int64_t>::min();
  if (x >= static_cast<long double>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(x);
}

int32_t RoundToInt32(long double x) { return SaturateToInt32(std::nearbyintl(x)); }
int64_t RoundToInt64(long double x) { return SaturateToInt64(std::nearbyintl(x)); }

void ExtendedToBytes(long double value, uint8_t bytes[10]) {
  // On x86-64 the first ten bytes of a long double in memory are the x87
  // format in little-endian order; the rest is padding.
  std::memcpy(bytes, &value, 10);
}

long double ExtendedFromBytes(const uint8_t bytes[10]) {
  long double value = 0;
  std::memcpy(&value, bytes, 10);
  return value;
}

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; the undefined ones map to
// the C1 control of the same value.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The entity at Text[i] ('&'), decoded into Out; false when it is none we
// know (it then stays literal).
bool DecodeEntity(std::string_view Text, size_t& i, std::string& Out) {
  const size_t semi = Text.find(';', i + 1);
  if (semi == std::string_view::npos || semi - i > 12) return false;
  const std::string_view name = Text.substr(i + 1, semi - i - 1);
  if (name == "amp")
    Out += '&';
  else if (name == "lt")
    Out += '<';
  else if (name == "gt")
    Out += '>';
  else if (name == "quot")
    Out += '"';
  else if (name == "apos")
    Out += '\'';
  else if (name.size() >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    uint32_t cp = 0;
    const auto res =
        std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
    if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size() ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    AppendUtf8(Out, cp);
  } else {
    return false;
  }
  i = semi + 1;
  return true;
}

}  // namespace

void AppendXmlEscaped(std::string& Out, std::string_view Text) {
  for (const char ch : Text) {
    const auto b = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      case '"': Out += "&quot;"; break;
      default:
        // Control characters as references, so that line breaks and TABs
        // survive the tag reader's line-break folding.
        if (b < 0x20 || b == 0x7F) {
          Out += "&#";
          Out += std::to_string(b);
          Out += ';';
        } else {
          Out += ch;
        }
    }
  }
}

std::string XmlUnescape(std::string_view Text) {
  if (Text.find('&') == std::string_view::npos) return std::string(Text);
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    if (Text[i] == '&' && DecodeEntity(Text, i, out)) continue;
    out += Text[i++];
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0)
      AppendUtf8(out, kCp1252High[b - 0x80]);
    else
      AppendUtf8(out, b);
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = NextUtf8CodePoint(utf8, i);
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k) {
      if (kCp1252High[k] == cp) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

int32_t ProcessorCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}

}  // namespace zel
