#include "core/zel_stringl.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/zel_system.hpp"

namespace zel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsAlpha(unsigned char c) { return IsUpper(c) || IsLower(c); }
bool IsCtrl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

// ---------------------------------------------------------------------------
// Trimming and cleaning
// ---------------------------------------------------------------------------

std::string StripLTBlanks(std::string_view Text) {
  size_t first = 0;
  size_t last = Text.size();
  while (first < last && IsBlank(Text[first])) ++first;
  while (last > first && IsBlank(Text[last - 1])) --last;
  return std::string(Text.substr(first, last - first));
}

std::string StripTrailingChars(std::string_view Text, std::string_view Chars) {
  size_t last = Text.size();
  while (last > 0 && Chars.find(Text[last - 1]) != std::string_view::npos) --last;
  return std::string(Text.substr(0, last));
}

std::string ReplaceCharInString(std::string_view Text, char OldChar, char NewChar) {
  std::string out(Text);
  std::replace(out.begin(), out.end(), OldChar, NewChar);
  return out;
}

std::string RemoveControlChars(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text)
    if (!IsCtrl(static_cast<unsigned char>(c))) out += c;
  return out;
}

// ---------------------------------------------------------------------------
// Pattern test and list look-up
// ---------------------------------------------------------------------------

bool StringContains(std::string_view Text, std::string_view Pattern) {
  using Pred = bool (*)(unsigned char);
  struct CharClass {
    std::string_view Name;
    Pred Test;
  };
  static constexpr CharClass kClasses[] = {
      {"dig", IsDigit},
      {"alpha", IsAlpha},
      {"alnum", [](unsigned char c) { return IsAlpha(c) || IsDigit(c); }},
      {"upper", IsUpper},
      {"lower", IsLower},
      {"blank", [](unsigned char c) { return c == ' ' || c == '\t'; }},
      {"ctrl", IsCtrl},
  };
  if (Pattern.starts_with("//")) {
    const std::string_view name = Pattern.substr(2);
    for (const CharClass& cls : kClasses) {
      if (cls.Name != name) continue;
      return std::any_of(Text.begin(), Text.end(),
                         [&](char c) { return cls.Test(static_cast<unsigned char>(c)); });
    }
  }
  return Text.find(Pattern) != std::string_view::npos;
}

int32_t StringIx(std::string_view Text, std::span<const std::string> List, int32_t HighestIx) {
  if (HighestIx < 0 || List.empty()) return 0;
  const size_t n = std::min(static_cast<size_t>(HighestIx) + 1, List.size());
  for (size_t i = 0; i < n; ++i)
    if (List[i] == Text) return static_cast<int32_t>(i + 1);
  return 0;
}

// ---------------------------------------------------------------------------
// Tokens and quoted names
// ---------------------------------------------------------------------------

std::vector<std::string> Tokenize(std::string_view Text, std::string_view Delimiters,
                                  bool KeepEmpty) {
  std::vector<std::string> tokens;
  size_t start = 0;
  for (size_t i = 0; i <= Text.size(); ++i) {
    const bool atEnd = i == Text.size();
    if (!atEnd && Delimiters.find(Text[i]) == std::string_view::npos) continue;
    if (KeepEmpty || i > start) tokens.emplace_back(Text.substr(start, i - start));
    start = i + 1;
  }
  return tokens;
}

bool ParseQuotedName(std::string_view Text, int32_t& Pos, std::string& Name) {
  Name.clear();
  size_t i = Pos < 1 ? 0 : static_cast<size_t>(Pos) - 1;
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  if (i >= Text.size() || Text[i] != '"') return false;
  const size_t first = i + 1;
  for (size_t k = first; k < Text.size(); ++k) {
    const char c = Text[k];
    if (c == '\n' || c == '\r') return false;
    if (c != '"') continue;
    // Positions are int32 by convention; a name ending beyond that cannot be
    // reported.
    if (k + 2 > static_cast<size_t>(INT32_MAX)) return false;
    Name.assign(Text.substr(first, k - first));
    Pos = static_cast<int32_t>(k + 2);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Numbers and booleans as text
// ---------------------------------------------------------------------------

namespace {

constexpr int32_t kMaxWidth = 255;
constexpr int32_t kMaxDigits = 64;

std::string PadLeft(std::string s, int32_t width) {
  if (static_cast<int64_t>(s.size()) < width)
    s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

}  // namespace

std::string strff(double Value, int32_t Width, int32_t Decimals) {
  const int32_t width = std::clamp(Width, 0, kMaxWidth);
  if (std::isnan(Value)) return PadLeft("NAN", width);
  if (std::isinf(Value)) return PadLeft(Value < 0 ? "-INF" : "INF", width);

  // The longest fixed text: sign, 309 integer digits, point, 64 decimals.
  char buf[400];
  if (Decimals >= 0) {
    const int precision = std::min(Decimals, kMaxDigits);
    const auto res =
        std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, precision);
    std::string s(buf, res.ptr);
    // A value that rounds to zero shows no minus sign.
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return PadLeft(std::move(s), width);
  }

  const int digits = std::clamp(width - 9, 1, kMaxDigits);
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, digits);
  const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  const size_t e = sci.find('e');
  const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
  std::string s;
  s += Value < 0 ? '-' : ' ';
  s += sci.substr(0, e);
  s += 'E';
  s += exponent < 0 ? '-' : '+';
  const std::string expDigits = std::to_string(std::abs(exponent));
  s.append(4 - std::min<size_t>(4, expDigits.size()), '0');
  s += expDigits;
  return PadLeft(std::move(s), width);
}

namespace {

int DigitOf(char c, int base) {
  int v = 99;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

// For a number that from_chars found out of range: true when its magnitude
// is large (overflow), false when it is tiny. Out-of-range magnitudes lie
// beyond 1e300 or below 1e-300, so the exponent of the leading digit decides.
bool IsOverflow(const char* first, const char* last, bool hex) {
  const int base = hex ? 16 : 10;
  const char expChar = hex ? 'p' : 'e';
  const char* p = first;
  if (p < last && *p == '-') ++p;
  int64_t lead = 0;  // position of the leading nonzero digit, 0 = just before the point
  bool seen = false, afterPoint = false;
  int64_t digitsBefore = 0, zerosAfter = 0;
  for (; p < last; ++p) {
    if (*p == '.') {
      afterPoint = true;
      continue;
    }
    const int d = DigitOf(*p, base);
    if (d < 0) break;
    if (!afterPoint) {
      if (seen || d != 0) ++digitsBefore;
      if (d != 0) seen = true;
    } else if (!seen) {
      if (d != 0)
        seen = true;
      else
        ++zerosAfter;
    }
  }
  lead = digitsBefore > 0 ? digitsBefore - 1 : -(zerosAfter + 1);
  int64_t exponent = 0;
  if (p < last && (*p == expChar || *p == expChar - 'a' + 'A')) {
    ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    for (; p < last && *p >= '0' && *p <= '9'; ++p)
      exponent = std::min<int64_t>(exponent * 10 + (*p - '0'), int64_t{1} << 40);
    if (negative) exponent = -exponent;
  }
  // A hexadecimal digit is four binary places; the exponent counts binary places.
  return hex ? lead * 4 + exponent >= 0 : lead + exponent >= 0;
}

}  // namespace

std::from_chars_result FloatFromChars(const char* First, const char* Last, double& Value,
                                      std::chars_format Format) {
  auto res = std::from_chars(First, Last, Value, Format);
  if (res.ec != std::errc::result_out_of_range) return res;
  const bool negative = First < Last && *First == '-';
  const double magnitude = IsOverflow(First, res.ptr, Format == std::chars_format::hex)
                               ? std::numeric_limits<double>::infinity()
                               : 0.0;
  Value = negative ? -magnitude : magnitude;
  res.ec = std::errc();
  return res;
}

bool TryStrToFloat(std::string_view Text, double& Value) {
  Value = 0;
  // from_chars takes no leading '+'; "+-1" must stay invalid.
  if (Text.size() > 1 && Text[0] == '+' && Text[1] != '-') Text.remove_prefix(1);
  const char* last = Text.data() + Text.size();
  double v = 0;
  const auto res = FloatFromChars(Text.data(), last, v);
  if (res.ec != std::errc() || res.ptr != last) return false;
  Value = v;
  return true;
}

std::string BoolToStr(bool Value) { return Value ? "TRUE" : "FALSE"; }

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------

std::string ReduceStringToFN83CompliantChars(std::string_view Name) {
  // ASCII base letters of Windows-1252 0xC0..0xFF; '\0' drops the character
  // (the multiplication and division signs).
  static constexpr char kLatin1Base[65] =
      "AAAAAAACEEEEIIII"
      "DNOOOOO\0OUUUUYTs"
      "aaaaaaaceeeeiiii"
      "dnooooo\0ouuuuyty";
  // Windows-1252 holds every Latin-1 letter at its code point, and maps what it
  // cannot hold to '?', which is dropped below like any other unsafe byte.
  const std::string ansi = Utf8ToAnsi(Name);
  std::string out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    const auto c = static_cast<unsigned char>(ch);
    char keep = '\0';
    if (IsAlpha(c) || IsDigit(c) || c == '-' || c == '_' || c == '.')
      keep = static_cast<char>(c);
    else if (c == ' ')
      keep = '_';
    else if (c >= 0xC0)
      keep = kLatin1Base[c - 0xC0];
    if (keep == '\0') continue;
    if (keep == '.' && out.empty()) continue;
    out += keep;
    if (out.size() == 255) break;
  }
  return out;
}

// ---------------------------------------------------------------------------
// UTF-8 characters
// ---------------------------------------------------------------------------

char32_t NextUtf8CodePoint(std::string_view Text, size_t& Pos) {
  const auto b0 = static_cast<uint8_t>(Text[Pos++]);
  if (b0 < 0x80) return b0;
  // The admissible range of the second byte rules out overlong forms (E0,
  // F0), surrogates (ED) and code points beyond U+10FFFF (F4).
  size_t need = 0;
  char32_t cp = 0;
  uint8_t lower = 0x80, upper = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1, cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2, cp = b0 & 0x0Fu;
    if (b0 == 0xE0) lower = 0xA0;
    if (b0 == 0xED) upper = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3, cp = b0 & 0x07u;
    if (b0 == 0xF0) lower = 0x90;
    if (b0 == 0xF4) upper = 0x8F;
  } else {
    return 0xFFFD;
  }
  for (size_t k = 0; k < need; ++k) {
    if (Pos >= Text.size()) return 0xFFFD;
    const auto b = static_cast<uint8_t>(Text[Pos]);
    if (b < lower || b > upper) return 0xFFFD;  // b starts the next piece
    lower = 0x80, upper = 0xBF;
    cp = (cp << 6) | (b & 0x3Fu);
    ++Pos;
  }
  return cp;
}

int64_t Utf8CharCount(std::string_view Text) {
  int64_t n = 0;
  for (size_t i = 0; i < Text.size(); ++n) NextUtf8CodePoint(Text, i);
  return n;
}

std::string Utf8Truncate(std::string_view Text, int64_t MaxChars) {
  size_t i = 0;
  for (int64_t n = 0; n < MaxChars && i < Text.size(); ++n) NextUtf8CodePoint(Text, i);
  return std::string(Text.substr(0, i));
}

std::vector<uint16_t> Utf8ToUtf16(std::string_view Text) {
  std::vector<uint16_t> out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    char32_t cp = NextUtf8CodePoint(Text, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FFu)));
    } else {
      out.push_back(static_cast<uint16_t>(cp));
    }
  }
  return out;
}

std::string LowerCaseAscii(std::string_view Text) {
  std::string out(Text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string UpperCaseAscii(std::string_view Text) {
  std::string out(Text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace zel

namespace zel {

bool XmlAttribute(std::string_view Attributes, std::string_view Name, std::string& Value) {
  Value.clear();
  const std::string want = LowerCaseAscii(Name);
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  size_t i = 0;
  const size_t n = Attributes.size();
  for (;;) {
    while (i < n && blank(Attributes[i])) ++i;
    if (i >= n) return false;
    const size_t nameStart = i;
    while (i < n && Attributes[i] != '=' && !blank(Attributes[i])) ++i;
    const std::string_view name = Attributes.substr(nameStart, i - nameStart);
    while (i < n && blank(Attributes[i])) ++i;
    if (name.empty() || i >= n || Attributes[i] != '=') return false;
    ++i;
    while (i < n && blank(Attributes[i])) ++i;
    if (i >= n || (Attributes[i] != '"' && Attributes[i] != '\'')) return false;
    const char quote = Attributes[i++];
    const size_t close = Attributes.find(quote, i);
    if (close == std::string_view::npos) return false;
    if (LowerCaseAscii(name) == want) {
      Value.assign(Attributes.substr(i, close - i));
      return true;
    }
    i = close + 1;
  }
}

}  // namespace zel
