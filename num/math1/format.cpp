#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

// The byte order of the bit-pattern texts is written for this layout.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Digits of the unsigned 32-bit pattern, bitsPerDigit at a time from the
// least significant end; digits past bit 31 come out as "0".
std::string PatternDigits(int32_t value, int32_t digits, int maxDigits, int bitsPerDigit) {
  const int n = std::clamp<int>(digits, 1, maxDigits);
  const uint64_t pattern = static_cast<uint32_t>(value);
  const uint64_t mask = (uint64_t{1} << bitsPerDigit) - 1;
  std::string s(static_cast<size_t>(n), '0');
  for (int k = 0; k < n; ++k) {
    const int shift = k * bitsPerDigit;
    if (shift >= 32) break;
    s[static_cast<size_t>(n - 1 - k)] = kHexDigits[(pattern >> shift) & mask];
  }
  return s;
}

void AppendByteHex(std::string& out, uint8_t b) {
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 0x0F];
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Bytes of a hexadecimal text of exactly bytes.size() * 2 digits, in text
// order; throws EZELError with the routine's message otherwise.
template <size_t N>
std::array<uint8_t, N> ParseHexBytes(std::string_view text, const char* routine) {
  std::array<uint8_t, N> bytes{};
  bool ok = text.size() == 2 * N;
  for (size_t k = 0; ok && k < N; ++k) {
    const int hi = HexDigitValue(text[2 * k]);
    const int lo = HexDigitValue(text[2 * k + 1]);
    ok = hi >= 0 && lo >= 0;
    if (ok) bytes[k] = static_cast<uint8_t>(hi * 16 + lo);
  }
  if (!ok)
    throw EZELError(std::string(routine) + ": invalid hex string \"" + std::string(text) + "\"");
  return bytes;
}

// Exponent of strff's scientific text (after "E").
int SciExponent(const std::string& sci) {
  const size_t e = sci.rfind('E');
  int exponent = 0;
  const char* first = sci.data() + e + 2;
  std::from_chars(first, sci.data() + sci.size(), exponent);
  return sci[e + 1] == '-' ? -exponent : exponent;
}

}  // namespace

// ---------------------------------------------------------------------------
// Fixed-width integer texts
// ---------------------------------------------------------------------------

std::string Decimal(int32_t Value, int32_t Digits) {
  const int n = std::clamp<int>(Digits, 1, kMaxDecimalDigits);
  uint64_t magnitude = static_cast<uint64_t>(Abs64(Value));
  std::string s(static_cast<size_t>(n), '0');
  for (int k = n - 1; k >= 0 && magnitude != 0; --k) {
    s[static_cast<size_t>(k)] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  return Value < 0 ? "-" + s : s;
}

std::string Hex(int32_t Value, int32_t Digits) { return PatternDigits(Value, Digits, 16, 4); }

std::string Octal(int32_t Value, int32_t Digits) { return PatternDigits(Value, Digits, 11, 3); }

std::string Bin(int32_t Value, int32_t Digits) { return PatternDigits(Value, Digits, 32, 1); }

std::string Roman(int32_t Value) {
  static constexpr std::pair<int32_t, const char*> kTable[13] = {
      {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
      {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  std::string s;
  if (Value <= 0 || Value >= 30000) return s;
  for (const auto& [value, text] : kTable) {
    while (Value >= value) {
      s += text;
      Value -= value;
    }
  }
  return s;
}

// ---------------------------------------------------------------------------
// Floating-point texts
// ---------------------------------------------------------------------------

std::string strf(double x, int32_t Width, int32_t Decimals) {
  if (Decimals != -2 || !std::isfinite(x)) return strff(x, Width, Decimals);
  const auto sciWidth = static_cast<int32_t>(std::clamp<int64_t>(int64_t{Width} + 2, 0, 255));
  std::string s = strff(x, sciWidth, -1);
  const size_t digits = s.rfind('E') + 2;
  const bool fits = s.compare(digits, 2, "00") == 0;
  s.erase(digits, 2);
  if (!fits) s.assign(s.size(), '*');
  return s;
}

std::string MakeEFormat(double x, int32_t Width, int32_t Decimals) {
  const int32_t decimals = std::clamp(Decimals, 2, 15);
  const int32_t width = std::clamp(Width, 8, 40);
  if (!std::isfinite(x)) return strff(x, width, -1);
  // " d.ddd...E+dddd": sign column, one digit, point, decimals - 1 digits.
  const std::string sci = strff(x, decimals + 8, -1);
  const size_t e = sci.rfind('E');
  const int exponent = x == 0 ? 0 : SciExponent(sci) + 1;
  std::string s;
  s += sci[0];
  s += "0.";
  s += sci[1];
  s.append(sci, 3, e - 3);
  s += 'E';
  s += exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) s += '0';
  s += std::to_string(magnitude);
  if (s.size() < static_cast<size_t>(width))
    s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

std::string EEngStr(double x, int32_t Digits) {
  static constexpr const char* kPrefix[11] = {"a", "f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
  const int32_t n = std::clamp(Digits, -9, 9);
  const int32_t b = n >= 2 ? n - 1 : (n >= -1 ? 0 : n + 1);
  const int32_t absB = std::abs(b);
  // No exponent arithmetic on non-finite values: floor(log10(inf)) has no
  // integer value.
  if (!std::isfinite(x)) return strff(x, 1, 0);
  if (x == 0) return strff(0.0, 1, absB);

  const double ax = std::fabs(x);
  const double lg = std::log10(ax);
  const int e = static_cast<int>(std::floor(lg));  // within -324..308
  const int g = std::clamp(static_cast<int>(std::floor(lg / 3)), -6, 4);
  // Powers of ten up to 1e18 are exact doubles: one rounding only.
  const double scale = std::pow(10.0, 3 * std::abs(g));
  const double mantissa = g >= 0 ? ax / scale : ax * scale;
  std::string s = strff(mantissa, 1, std::max(0, absB + 3 * g - e));
  if (g != 0) {
    const char* letter = kPrefix[g + 6];
    const size_t point = s.find('.');
    if (n <= -2 && point != std::string::npos)
      s.replace(point, 1, letter);
    else
      s += letter;
  }
  return x < 0 ? "-" + s : s;
}

// ---------------------------------------------------------------------------
// Floating-point bit patterns as hexadecimal
// ---------------------------------------------------------------------------

std::string FPNumToHex(double x) {
  uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  std::string s;
  for (int shift = 56; shift >= 0; shift -= 8)
    AppendByteHex(s, static_cast<uint8_t>(bits >> shift));
  return s;
}

std::string FPNumToHex(long double x) {
  uint8_t bytes[10];
  ExtendedToBytes(x, bytes);
  std::string s;
  for (int k = 9; k >= 0; --k) AppendByteHex(s, bytes[k]);
  return s;
}

std::string FPNumToHex(float x) {
  uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
    AppendByteHex(s, static_cast<uint8_t>(bits >> shift));
  return s;
}

double HexToDouble(std::string_view Text, bool MsbFirst) {
  auto bytes = ParseHexBytes<8>(Text, "HexToDouble");
  // Memory order on this (little-endian) platform is least significant first.
  if (MsbFirst) std::reverse(bytes.begin(), bytes.end());
  double x = 0;
  std::memcpy(&x, bytes.data(), sizeof x);
  return x;
}

float HexToSingle(std::string_view Text, bool MsbFirst) {
  auto bytes = ParseHexBytes<4>(Text, "HexToSingle");
  if (MsbFirst) std::reverse(bytes.begin(), bytes.end());
  float x = 0;
  std::memcpy(&x, bytes.data(), sizeof x);
  return x;
}

long double HexToExtended(std::string_view Text) {
  auto bytes = ParseHexBytes<10>(Text, "HexToExtended");
  std::reverse(bytes.begin(), bytes.end());
  return ExtendedFromBytes(bytes.data());
}

}  // namespace zel
