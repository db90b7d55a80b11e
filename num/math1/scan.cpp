#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>

#include "core/zel_stringl.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

// ---------------------------------------------------------------------------
// Positions and characters
// ---------------------------------------------------------------------------

// Longest text whose "after the end" position still fits in an int32_t.
constexpr size_t kMaxScanLength = static_cast<size_t>(std::numeric_limits<int32_t>::max()) - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The 0-based start index for the 1-based Pos, or nothing when Pos lies
// outside the text. Text is cut to what positions can address.
std::optional<size_t> StartIndex(std::string_view& text, int32_t pos) {
  if (text.size() > kMaxScanLength) text = text.substr(0, kMaxScanLength);
  if (pos < 1 || static_cast<size_t>(pos) > text.size()) return std::nullopt;
  return static_cast<size_t>(pos - 1);
}

size_t SkipBlanks(std::string_view text, size_t i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

int32_t PosAfter(size_t end) { return static_cast<int32_t>(end + 1); }

bool StartsWith(std::string_view text, size_t i, std::string_view what) {
  return i <= text.size() && text.substr(i).starts_with(what);
}

// ---------------------------------------------------------------------------
// Integer digit runs
// ---------------------------------------------------------------------------

int DigitValue(char c, int base) {
  int v = 99;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  return v < base ? v : -1;
}

struct DigitRun {
  size_t End = 0;      // index after the last digit
  uint64_t Value = 0;  // valid when !Overflow
  bool Overflow = false;
};

// The whole run of digits of `base` from i; the value overflows once it
// passes `limit`, but the run is still measured to its end.
DigitRun ReadDigits(std::string_view text, size_t i, int base, uint64_t limit) {
  DigitRun run;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) break;
    if (!run.Overflow) {
      run.Value = run.Value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
      run.Overflow = run.Value > limit;
    }
  }
  run.End = i;
  return run;
}

// A 32-bit pattern in `base` after optional blanks (and for hexadecimal the
// prefixes "$", "0x", "0X" when a digit follows them).
int32_t ScanPattern(std::string_view text, int32_t& pos, int base) {
  const auto start = StartIndex(text, pos);
  if (!start) return 0;
  size_t i = SkipBlanks(text, *start);
  if (base == 16) {
    size_t prefix = 0;
    if (StartsWith(text, i, "$"))
      prefix = 1;
    else if (StartsWith(text, i, "0x") || StartsWith(text, i, "0X"))
      prefix = 2;
    if (prefix != 0 && i + prefix < text.size() && DigitValue(text[i + prefix], 16) >= 0)
      i += prefix;
  }
  const DigitRun run = ReadDigits(text, i, base, 0xFFFFFFFFu);
  if (run.End == i || run.Overflow) return 0;
  pos = PosAfter(run.End);
  return static_cast<int32_t>(static_cast<uint32_t>(run.Value));
}

// ---------------------------------------------------------------------------
// Floating-point syntax and conversion
// ---------------------------------------------------------------------------

struct FloatText {
  size_t End = 0;
  bool Negative = false;
  std::string_view IntDigits, FracDigits, ExpDigits;
  bool ExpNegative = false;
};

// Any ordinal outside TDecPSep counts as dpsPoint.
bool IsSeparator(char c, int32_t sepMode) {
  switch (static_cast<TDecPSep>(sepMode)) {
    case TDecPSep::dpsComma: return c == ',';
    case TDecPSep::dpsBoth: return c == '.' || c == ',';
    default: return c == '.';
  }
}

size_t DigitsEnd(std::string_view text, size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// [sign] (digits [sep digits] | sep digits) [exponent] from i (no blanks).
std::optional<FloatText> ParseFloatText(std::string_view text, size_t i, bool allowSign,
                                        bool allowExp, int32_t sepMode) {
  FloatText f;
  if (allowSign && i < text.size() && (text[i] == '+' || text[i] == '-')) {
    f.Negative = text[i] == '-';
    ++i;
  }
  const size_t intEnd = DigitsEnd(text, i);
  f.IntDigits = text.substr(i, intEnd - i);
  i = intEnd;
  if (i + 1 < text.size() && IsSeparator(text[i], sepMode) && IsDigit(text[i + 1])) {
    const size_t fracEnd = DigitsEnd(text, i + 1);
    f.FracDigits = text.substr(i + 1, fracEnd - i - 1);
    i = fracEnd;
  }
  if (f.IntDigits.empty() && f.FracDigits.empty()) return std::nullopt;
  if (allowExp && i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    size_t j = i + 1;
    bool negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negative = text[j] == '-';
      ++j;
    }
    const size_t expEnd = DigitsEnd(text, j);
    if (expEnd > j) {
      f.ExpDigits = text.substr(j, expEnd - j);
      f.ExpNegative = negative;
      i = expEnd;
    }
  }
  f.End = i;
  return f;
}

// The correctly rounded double of the text; a magnitude beyond the largest
// double is +-inf and one below the smallest subnormal +-0, as every reader
// of the library takes them.
bool FloatValue(const FloatText& f, double& value) {
  std::string s;
  s.reserve(f.IntDigits.size() + f.FracDigits.size() + f.ExpDigits.size() + 4);
  s += f.IntDigits.empty() ? std::string_view("0") : f.IntDigits;
  if (!f.FracDigits.empty()) {
    s += '.';
    s += f.FracDigits;
  }
  if (!f.ExpDigits.empty()) {
    s += f.ExpNegative ? "e-" : "e";
    s += f.ExpDigits;
  }
  double v = 0;
  const auto res = FloatFromChars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size())
    return false;  // not for checked text
  value = f.Negative ? -v : v;
  return true;
}

// ---------------------------------------------------------------------------
// Angles
// ---------------------------------------------------------------------------

// Length of a degree, minute or second sign at i, 0 when none is there.
size_t DegreeSignAt(std::string_view text, size_t i) {
  if (StartsWith(text, i, "\u00B0") || StartsWith(text, i, "\u00BA")) return 2;
  if (i < text.size() && static_cast<unsigned char>(text[i]) == 0xB0) return 1;
  return 0;
}

size_t MinuteSignAt(std::string_view text, size_t i) {
  if (StartsWith(text, i, "\u2032")) return 3;
  // "''" is a second sign.
  if (StartsWith(text, i, "'") && !StartsWith(text, i, "''")) return 1;
  return 0;
}

size_t SecondSignAt(std::string_view text, size_t i) {
  if (StartsWith(text, i, "\u2033")) return 3;
  if (StartsWith(text, i, "''")) return 2;
  if (StartsWith(text, i, "\"")) return 1;
  return 0;
}

// A hemisphere letter at i: +1 for N/E, -1 for S/W, 0 for none. A letter
// that begins a word ("East") is not one.
int HemisphereAt(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  if (i + 1 < text.size() && IsAsciiLetter(text[i + 1])) return 0;
  switch (AsciiUpper(text[i])) {
    case 'N':
    case 'E': return 1;
    case 'S':
    case 'W': return -1;
    default: return 0;
  }
}

// An unsigned component: digits ["." digits]; whole is set when it has no
// decimals.
bool ReadComponent(std::string_view text, size_t i, size_t& end, double& value, bool& whole) {
  const auto f = ParseFloatText(text, i, false, false, static_cast<int32_t>(TDecPSep::dpsPoint));
  if (!f || !FloatValue(*f, value)) return false;
  end = f->End;
  whole = f->FracDigits.empty();
  return true;
}

// ---------------------------------------------------------------------------
// Date-times
// ---------------------------------------------------------------------------

constexpr const char* kMonthsEnglish[2][12] = {
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"}};
constexpr const char* kMonthsGerman[2][12] = {
    {"Jan", "Feb", "M\u00E4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Januar", "Februar", "M\u00E4rz", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"}};

bool MatchesNoCase(std::string_view text, size_t i, std::string_view name) {
  if (i > text.size() || text.size() - i < name.size()) return false;
  for (size_t k = 0; k < name.size(); ++k)
    if (AsciiUpper(text[i + k]) != AsciiUpper(name[k])) return false;
  return true;
}

// Month 1..12 whose name stands at i, advancing i; 0 when none.
int32_t ReadMonthName(std::string_view text, size_t& i, TLanguage language, bool full) {
  const auto& table = language == TLanguage::lanGerman ? kMonthsGerman : kMonthsEnglish;
  for (int32_t m = 0; m < 12; ++m) {
    const std::string_view name = table[full ? 1 : 0][m];
    if (MatchesNoCase(text, i, name)) {
      i += name.size();
      return m + 1;
    }
  }
  return 0;
}

// minDigits..maxDigits decimal digits at i (greedy), advancing i.
bool ReadField(std::string_view text, size_t& i, int minDigits, int maxDigits, int32_t& value) {
  int count = 0;
  int32_t v = 0;
  while (count < maxDigits && i + static_cast<size_t>(count) < text.size() &&
         IsDigit(text[i + static_cast<size_t>(count)])) {
    v = v * 10 + (text[i + static_cast<size_t>(count)] - '0');
    ++count;
  }
  if (count < minDigits) return false;
  i += static_cast<size_t>(count);
  value = v;
  return true;
}

struct DateFields {
  int32_t Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Milli = 0;
};

// Matches Format against the text from i; fills the fields and advances i.
bool MatchDateFormat(std::string_view text, size_t& i, std::string_view format, TLanguage language,
                     DateFields& d) {
  size_t f = SkipBlanks(format, 0);
  if (f == format.size()) return false;
  while (f < format.size()) {
    const char c = format[f];
    size_t run = 1;
    while (f + run < format.size() && format[f + run] == c) ++run;
    bool ok = true;
    switch (c) {
      case 'y':
        if (run == 4) {
          ok = ReadField(text, i, 4, 4, d.Year) && d.Year >= 1;
        } else if (run == 2) {
          ok = ReadField(text, i, 2, 2, d.Year);
          d.Year += d.Year < 50 ? 2000 : 1900;
        } else {
          return false;
        }
        break;
      case 'm':
        if (run > 4) return false;
        if (run >= 3)
          ok = (d.Month = ReadMonthName(text, i, language, run == 4)) != 0;
        else
          ok = ReadField(text, i, static_cast<int>(run), 2, d.Month);
        break;
      case 'd':
      case 'H':
      case 'h':
      case 'M':
      case 'n':
      case 'S':
      case 's': {
        if (run > 2) return false;
        int32_t& field = c == 'd'               ? d.Day
                         : c == 'H' || c == 'h' ? d.Hour
                         : c == 'M' || c == 'n' ? d.Minute
                                                : d.Second;
        ok = ReadField(text, i, static_cast<int>(run), 2, field);
        break;
      }
      case 'z':
        if (run != 1 && run != 3) return false;
        ok = ReadField(text, i, static_cast<int>(run), 3, d.Milli);
        break;
      default:
        ok = i < text.size() && text[i] == c;
        run = 1;
        if (ok) ++i;
        break;
    }
    if (!ok) return false;
    f += run;
  }
  return true;
}

// Days since 1899-12-30 with the time of day; before that day the time is
// subtracted, so that the fraction still reads as the time of day.
std::optional<double> EncodeDateTime(const DateFields& d) {
  using namespace std::chrono;
  if (d.Month < 1 || d.Month > 12 || d.Hour > 23 || d.Minute > 59 || d.Second > 59 || d.Milli > 999)
    return std::nullopt;
  const year_month_day ymd{year{d.Year}, month{static_cast<unsigned>(d.Month)},
                           day{static_cast<unsigned>(d.Day)}};
  if (!ymd.ok()) return std::nullopt;
  constexpr int64_t kUnixEpochSerial = 25569;  // 1970-01-01
  const double days =
      static_cast<double>(sys_days{ymd}.time_since_epoch().count() + kUnixEpochSerial);
  const double time = ((d.Hour * 60.0 + d.Minute) * 60.0 + d.Second + d.Milli / 1000.0) / 86400.0;
  return days >= 0 ? days + time : days - time;
}

}  // namespace

// ---------------------------------------------------------------------------
// Integers from text
// ---------------------------------------------------------------------------

int32_t StrToIntDefault(std::string_view Text, int32_t Default) {
  size_t i = SkipBlanks(Text, 0);
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
  }
  int base = 10;
  if (StartsWith(Text, i, "$")) {
    base = 16;
    i += 1;
  } else if (StartsWith(Text, i, "0x") || StartsWith(Text, i, "0X")) {
    base = 16;
    i += 2;
  }
  // from_chars of an unsigned type takes digits only: no sign, no blank.
  const char* first = Text.data() + i;
  const char* last = Text.data() + Text.size();
  if (first == last || DigitValue(*first, base) < 0) return Default;
  uint64_t magnitude = 0;
  const auto res = std::from_chars(first, last, magnitude, base);
  if (res.ec != std::errc() || res.ptr != last) return Default;
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFu) return Default;
    const auto pattern = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    return negative ? WrapNeg(pattern) : pattern;
  }
  if (magnitude > (negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1)) return Default;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude)
                                       : static_cast<int64_t>(magnitude));
}

// ---------------------------------------------------------------------------
// Scanners
// ---------------------------------------------------------------------------

int32_t ScanDecimal(std::string_view Text, int32_t& Pos) {
  const auto start = StartIndex(Text, Pos);
  if (!start) return 0;
  size_t i = SkipBlanks(Text, *start);
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
  }
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  const DigitRun run = ReadDigits(Text, i, 10, limit);
  if (run.End == i || run.Overflow) return 0;
  Pos = PosAfter(run.End);
  const auto v = static_cast<int64_t>(run.Value);
  return static_cast<int32_t>(negative ? -v : v);
}

int32_t ScanHex(std::string_view Text, int32_t& Pos) { return ScanPattern(Text, Pos, 16); }

int32_t ScanOctal(std::string_view Text, int32_t& Pos) { return ScanPattern(Text, Pos, 8); }

int32_t ScanBin(std::string_view Text, int32_t& Pos) { return ScanPattern(Text, Pos, 2); }

double ScanFPNum(std::string_view Text, bool AllowExp, int32_t DecPSep, int32_t& Pos) {
  const auto start = StartIndex(Text, Pos);
  if (!start) return 0;
  const auto f = ParseFloatText(Text, SkipBlanks(Text, *start), true, AllowExp, DecPSep);
  double value = 0;
  if (!f || !FloatValue(*f, value)) return 0;
  Pos = PosAfter(f->End);
  return value;
}

double ScanDegrees(std::string_view Text, int32_t& Pos, bool AllowHemisphere, int32_t& Format) {
  Format = -1;
  const auto start = StartIndex(Text, Pos);
  if (!start) return 0;
  size_t i = SkipBlanks(Text, *start);

  int hemisphere = 0;
  if (AllowHemisphere && (hemisphere = HemisphereAt(Text, i)) != 0) i = SkipBlanks(Text, i + 1);
  const bool prefixed = hemisphere != 0;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
  }

  double degrees = 0, minutes = 0, seconds = 0;
  size_t end = 0;
  bool whole = false;
  if (!ReadComponent(Text, i, end, degrees, whole)) return 0;
  int32_t format = 3;

  // Each further part is taken only when it is complete; the angle otherwise
  // ends after the part before it.
  if (const size_t deg = SkipBlanks(Text, end), len = DegreeSignAt(Text, deg); len != 0) {
    end = deg + len;
    format = 0;
    double value = 0;
    size_t numEnd = 0;
    bool wholeMin = false;
    if (whole && ReadComponent(Text, SkipBlanks(Text, end), numEnd, value, wholeMin) &&
        value <= 60) {
      const size_t sign = SkipBlanks(Text, numEnd);
      if (const size_t minLen = MinuteSignAt(Text, sign); minLen != 0) {
        minutes = value;
        end = sign + minLen;
        format = 1;
        bool wholeSec = false;
        if (wholeMin && ReadComponent(Text, SkipBlanks(Text, end), numEnd, value, wholeSec) &&
            value <= 60) {
          const size_t secSign = SkipBlanks(Text, numEnd);
          if (const size_t secLen = SecondSignAt(Text, secSign); secLen != 0) {
            seconds = value;
            end = secSign + secLen;
            format = 2;
          }
        }
      }
    }
  }

  if (AllowHemisphere && !prefixed) {
    const size_t h = SkipBlanks(Text, end);
    if ((hemisphere = HemisphereAt(Text, h)) != 0) end = h + 1;
  }
  const double magnitude = degrees + minutes / 60 + seconds / 3600;
  Format = format;
  Pos = PosAfter(end);
  return negative || hemisphere < 0 ? -magnitude : magnitude;
}

TDateTime ScanDateTime(std::string_view Text, std::string_view Format, TLanguage Language,
                       int32_t& Pos) {
  const auto start = StartIndex(Text, Pos);
  if (!start) return 0;
  size_t i = SkipBlanks(Text, *start);
  DateFields fields;
  if (!MatchDateFormat(Text, i, Format, Language, fields)) return 0;
  const auto value = EncodeDateTime(fields);
  if (!value) return 0;
  Pos = PosAfter(i);
  return *value;
}

// ---------------------------------------------------------------------------
// Validators
// ---------------------------------------------------------------------------

namespace {

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// True when `scan` reads the whole text (apart from blanks at both ends).
template <class Scan>
bool ReadsWholeText(std::string_view text, Scan scan) noexcept {
  try {
    text = WithoutTrailingBlanks(text);
    if (text.empty() || text.size() > kMaxScanLength) return false;
    int32_t pos = 1;
    scan(text, pos);
    return static_cast<size_t>(pos) == text.size() + 1;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool IsValidDouble(std::string_view Text, bool AllowExp, TDecPSep DecPSep) noexcept {
  double value = 0;
  return ReadsWholeText(Text,
                        [&](std::string_view t, int32_t& pos) {
                          value = ScanFPNum(t, AllowExp, static_cast<int32_t>(DecPSep), pos);
                        }) &&
         std::isfinite(value);
}

bool IsValidFPNum(std::string_view Text, TDecPSep DecPSep) noexcept {
  const std::string_view t = WithoutTrailingBlanks(Text);
  const auto f = ParseFloatText(t, SkipBlanks(t, 0), true, true, static_cast<int32_t>(DecPSep));
  return f && f->End == t.size();
}

bool IsValidHex(std::string_view Text) noexcept { return ReadsWholeText(Text, ScanHex); }

bool IsValidOct(std::string_view Text) noexcept { return ReadsWholeText(Text, ScanOctal); }

bool IsValidBin(std::string_view Text) noexcept { return ReadsWholeText(Text, ScanBin); }

bool IsValidDecInt(std::string_view Text) noexcept { return ReadsWholeText(Text, ScanDecimal); }

}  // namespace zel
