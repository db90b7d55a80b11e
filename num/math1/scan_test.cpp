#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr auto dpsPoint = TDecPSep::dpsPoint;
constexpr auto dpsComma = TDecPSep::dpsComma;
constexpr auto dpsBoth = TDecPSep::dpsBoth;
constexpr int32_t kPoint = 0, kComma = 1, kBoth = 2;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
const std::string kDeg = "\xC2\xB0";

using IntScanner = int32_t (*)(std::string_view, int32_t&);

TEST(StrToIntDefault, ReadsSignedDecimalAndHexadecimalForms) {
  EXPECT_EQ(StrToIntDefault("  -45", -1), -45);
  EXPECT_EQ(StrToIntDefault("+0123", -1), 123);
  EXPECT_EQ(StrToIntDefault("$FF", -1), 255);
  EXPECT_EQ(StrToIntDefault("0XaB", -1), 171);
  EXPECT_EQ(StrToIntDefault("-$10", -1), -16);
  EXPECT_EQ(StrToIntDefault("$FFFFFFFF", 0), -1);
  EXPECT_EQ(StrToIntDefault("-2147483648", 0), kMin32);
  EXPECT_EQ(StrToIntDefault("2147483647", 0), kMax32);
  for (const char* text :
       {"", " ", "+", "$", "0x", "12 ", "1.5", "- 5", "12abc", "$FG", "0x-5", "--5", "2147483648",
        "-2147483649", "$100000000", "99999999999999999999999"})
    EXPECT_EQ(StrToIntDefault(text, -77), -77) << '"' << text << '"';
}

TEST(IntegerScanners, ReadFromThePositionAndStopAfterTheNumber) {
  struct Case {
    IntScanner scan;
    const char* text;
    int32_t pos, value, after;
  } cases[] = {
      {ScanDecimal, "  42 x", 1, 42, 5},
      {ScanDecimal, "-17abc", 1, -17, 4},
      {ScanDecimal, "ab123", 3, 123, 6},
      {ScanDecimal, "+007", 1, 7, 5},
      {ScanDecimal, "-2147483648", 1, kMin32, 12},
      {ScanHex, "$ff", 1, 255, 4},
      {ScanHex, "  0x1F,", 1, 31, 7},
      {ScanHex, "FFG", 1, 255, 3},
      {ScanHex, "0xG", 1, 0, 2},  // the "0" before "x"
      {ScanHex, "00000000FFFFFFFF", 1, -1, 17},
      {ScanOctal, "128", 1, 10, 3},
      {ScanBin, "1012", 1, 5, 4},
      // No number: 0 and the position unchanged, blanks included.
      {ScanDecimal, "   ", 1, 0, 1},
      {ScanDecimal, "- 5", 1, 0, 1},
      {ScanDecimal, "", 1, 0, 1},
      {ScanHex, "$G", 1, 0, 1},
      {ScanHex, "-5", 1, 0, 1},
      // Out of range: no number either, never a wrapped value.
      {ScanDecimal, "2147483648", 1, 0, 1},
      {ScanDecimal, "-2147483649", 1, 0, 1},
      {ScanDecimal, "99999999999999999999", 1, 0, 1},
      {ScanHex, "123456789", 1, 0, 1},
      {ScanOctal, "40000000000", 1, 0, 1},
      {ScanBin, "111111111111111111111111111111111", 1, 0, 1},
      // Positions outside the text read nothing.
      {ScanDecimal, "123", 0, 0, 0},
      {ScanDecimal, "123", -3, 0, -3},
      {ScanDecimal, "123", 4, 0, 4},
      {ScanDecimal, "123", kMax32, 0, kMax32},
      {ScanHex, "123", kMin32, 0, kMin32},
  };
  for (const Case& c : cases) {
    int32_t pos = c.pos;
    EXPECT_EQ(c.scan(c.text, pos), c.value) << '"' << c.text << '"';
    EXPECT_EQ(pos, c.after) << '"' << c.text << '"';
  }
  // A list read number by number, until the position stops moving.
  const std::string list = "12 34\t56";
  std::vector<int32_t> values;
  for (int32_t pos = 1, before = 0; pos != before;) {
    before = pos;
    const int32_t v = ScanDecimal(list, pos);
    if (pos != before) values.push_back(v);
  }
  EXPECT_EQ(values, (std::vector<int32_t>{12, 34, 56}));
}

TEST(IntegerScanners, ReadWhatTheFixedWidthWritersWrite) {
  for (int32_t v : {0, 255, -1, kMax32, kMin32, 0x1234ABCD}) {
    int32_t p1 = 1, p2 = 1, p3 = 1, p4 = 1;
    EXPECT_EQ(ScanHex(Hex(v, 8), p1), v);
    EXPECT_EQ(ScanOctal(Octal(v, 11), p2), v);
    EXPECT_EQ(ScanBin(Bin(v, 32), p3), v);
    EXPECT_EQ(ScanDecimal(Decimal(v, 10), p4), v);
    EXPECT_TRUE(p1 == 9 && p2 == 12 && p3 == 33);
  }
}

TEST(ScanFPNum, ReadsMantissaExponentAndTheChosenSeparator) {
  struct Case {
    std::string text;
    bool exp;
    int32_t sep;
    double value;
    int32_t after;
  } cases[] = {
      {" 1.5e3x", true, kPoint, 1500, 7},
      {" 1.5e3x", false, kPoint, 1.5, 5},
      {"-.5E-1", true, kPoint, -0.05, 7},
      {"0.1", true, kPoint, 0.1, 4},
      {"2e+x", true, kPoint, 2, 2},  // no exponent digits: the "e" is not read
      {"1,5", true, kComma, 1.5, 4},
      {"1.5", true, kComma, 1, 2},
      {"1,5", true, kPoint, 1, 2},
      {"1,5", true, 7, 1, 2},  // unknown ordinal: "." only
      {"1.5,3", true, kBoth, 1.5, 4},
      {"5.", true, kPoint, 5, 2},  // a separator needs a digit after it
      {"0x1p3", true, kPoint, 0, 2},
      // Many digits are rounded once, correctly.
      {"0." + std::string(500, '0') + "1e501", true, kPoint, 1, 508},
      {"1.7976931348623157e308", true, kPoint, std::numeric_limits<double>::max(), 23},
      {"4.9e-324", true, kPoint, std::numeric_limits<double>::denorm_min(), 9},
      {"1e-400", true, kPoint, 0, 7},  // underflow reads as zero
      // Overflow reads as infinity, with its sign, and counts as read.
      {"1e400", true, kPoint, kInf, 6},
      {"-1e99999999999999999999 ", true, kPoint, -kInf, 24},
      {"0.00001e314", true, kPoint, kInf, 12},
      {"123456e-330", true, kPoint, 0, 12},
      // No number: not a number, no digits.
      {"inf", true, kPoint, 0, 1},
      {"-", true, kPoint, 0, 1},
      {".", true, kPoint, 0, 1},
      {"e5", true, kPoint, 0, 1},
  };
  for (const Case& c : cases) {
    int32_t pos = 1;
    EXPECT_EQ(ScanFPNum(c.text, c.exp, c.sep, pos), c.value) << c.text.substr(0, 30);
    EXPECT_EQ(pos, c.after) << c.text.substr(0, 30);
  }
  int32_t pos = 1;
  EXPECT_TRUE(std::signbit(ScanFPNum("-1e-99999999999999999999", true, kPoint, pos)));
}

struct AngleRead {
  double value;
  int32_t pos, format;
};

AngleRead ReadAngle(const std::string& s, bool hemisphere = false, int32_t pos = 1) {
  int32_t format = 99;
  const double v = ScanDegrees(s, pos, hemisphere, format);
  return {v, pos, format};
}

TEST(ScanDegrees, ReadsWhatDegreeToStrWrites) {
  for (double a : {12.5, -0.25, -10.5, 0.0, 179.99, -89.123456, 1e6 + 0.75}) {
    for (int32_t f = 0; f <= 3; ++f) {
      const std::string text = DegreeToStr(a, static_cast<TDegreeFormat>(f), 4);
      const AngleRead r = ReadAngle(text);
      EXPECT_NEAR(r.value, a, 1e-4) << text;
      EXPECT_EQ(r.format, f) << text;
      EXPECT_EQ(r.pos, static_cast<int32_t>(text.size()) + 1) << text;
    }
  }
}

TEST(ScanDegrees, ReadsSignsHemispheresAndStopsBeforeBrokenParts) {
  struct Case {
    std::string text;
    bool hemisphere;
    double value;
    int32_t format, after;
  } cases[] = {
      {"-0" + kDeg + " 30'   0\"", false, -0.5, 2, 14},
      {"10 " + kDeg + " 30 '", false, 10.5, 1, 11},
      {"10" + kDeg + "30'36''", false, 10.51, 2, 12},
      {"10\u00BA30\u203236\u2033", false, 10.51, 2, 15},  // ordinal sign, prime, double prime
      {"10\xB0", false, 10, 0, 4},                        // Windows-1252 degree sign
      {"48.5 rest", false, 48.5, 3, 5},
      {"10" + kDeg + " 75'", false, 10, 0, 5},      // minutes above 60
      {"10.5" + kDeg + " 30'", false, 10.5, 0, 7},  // decimal degrees take no minutes
      {"10" + kDeg + " 30 x", false, 10, 0, 5},     // minutes without their sign
      {"10" + kDeg + " 30.5' 20\"", false, 10 + 30.5 / 60, 1, 11},
      {"48" + kDeg + " 12' S", true, -48.2, 1, 11},
      {"48" + kDeg + " 12' S", false, 48.2, 1, 9},
      {"s 48" + kDeg + " 12'", true, -48.2, 1, 11},
      {"W10.5", true, -10.5, 3, 6},
      {"-10.5 w", true, -10.5, 3, 8},
      {"10.5 n", true, 10.5, 3, 7},
      {"10 East", true, 10, 3, 3},  // a word, not a hemisphere letter
      // No angle: 0, the position unchanged and format -1.
      {"N", true, 0, -1, 1},
      {kDeg, true, 0, -1, 1},
      {" '", false, 0, -1, 1},
      {"", false, 0, -1, 1},
  };
  for (const Case& c : cases) {
    const AngleRead r = ReadAngle(c.text, c.hemisphere);
    EXPECT_NEAR(r.value, c.value, 1e-14) << c.text;
    EXPECT_EQ(r.format, c.format) << c.text;
    EXPECT_EQ(r.pos, c.after) << c.text;
  }
  EXPECT_EQ(ReadAngle("12", false, 3).format, -1);
}

TEST(ScanDateTime, ReadsFourteenDigitStampsAndOtherFormats) {
  constexpr auto en = TLanguage::lanEnglish, de = TLanguage::lanGerman;
  // Serial days checked with Python: (date(2024, 2, 29) - date(1899, 12, 30)).days = 45351.
  struct Case {
    const char* text;
    const char* format;
    TLanguage language;
    double value;
    int32_t after;
  } cases[] = {
      {"20240229153000", "yyyymmddHHMMSS", en, 45351 + 15.5 / 24, 15},
      {"  20240229153000Z", "yyyymmddHHMMSS", en, 45351 + 15.5 / 24, 17},
      {"18991230000000", "yyyymmddHHMMSS", en, 0, 15},
      {"18991229060000", "yyyymmddHHMMSS", en, -1.25, 15},  // time subtracted before the epoch
      {"00010101000000", "yyyymmddHHMMSS", en, -693593, 15},
      {"99991231000000", "yyyymmddHHMMSS", en, 2958465, 15},
      {"29.02.2024 15:30", "dd.mm.yyyy HH:MM", en, 45351 + 15.5 / 24, 17},
      {"1.3.24", "d.m.yy", en, 45352, 7},
      {"1.3.99", "d.m.yy", en, 36220, 7},
      {"2024-Feb-29", "yyyy-mmm-dd", en, 45351, 12},
      {"29 february 2024", "dd mmmm yyyy", en, 45351, 17},
      {"2024-M\u00E4r-01", "yyyy-mmm-dd", de, 45352, 13},
      {"1. M\u00E4rz 2024", "d. mmmm yyyy", de, 45352, 14},
      {"06:00:00.500", "hh:nn:ss.zzz", en, (6 * 3600 + 0.5) / 86400, 13},
      // Rejected: nothing read.
      {"1. M\u00C4RZ 2024", "d. mmmm yyyy", de, 0, 1},  // only ASCII letters fold
      {"2024-Mar-01", "yyyy-mmm-dd", de, 0, 1},
      {"20240230000000", "yyyymmddHHMMSS", en, 0, 1},
      {"20230229000000", "yyyymmddHHMMSS", en, 0, 1},
      {"20241301000000", "yyyymmddHHMMSS", en, 0, 1},
      {"20240229240000", "yyyymmddHHMMSS", en, 0, 1},
      {"20240229235960", "yyyymmddHHMMSS", en, 0, 1},
      {"00000101000000", "yyyymmddHHMMSS", en, 0, 1},
      {"2024022915300", "yyyymmddHHMMSS", en, 0, 1},
      {"2024-02-29", "yyyymmdd", en, 0, 1},
      {"20240229", "yyy", en, 0, 1},
      {"20240229", "   ", en, 0, 1},
      {"20240229", "ddd", en, 0, 1},
  };
  for (const Case& c : cases) {
    int32_t pos = 1;
    EXPECT_NEAR(ScanDateTime(c.text, c.format, c.language, pos), c.value, 1e-9) << c.text;
    EXPECT_EQ(pos, c.after) << c.text;
  }
}

TEST(Validators, AcceptExactlyOneNumberBetweenBlanks) {
  for (const char* text : {"12", " -12\t", "+0", "-2147483648"})
    EXPECT_TRUE(IsValidDecInt(text)) << text;
  for (const char* text : {"", "   ", "12a", "1 2", "2147483648", "$12"})
    EXPECT_FALSE(IsValidDecInt(text)) << text;
  for (const char* text : {"FF", " $ff ", "0x1F", "00000000FFFFFFFF"})
    EXPECT_TRUE(IsValidHex(text)) << text;
  for (const char* text : {"", "FG", "0x", "123456789", "-1"})
    EXPECT_FALSE(IsValidHex(text)) << text;
  EXPECT_TRUE(IsValidOct("777") && !IsValidOct("78"));
  EXPECT_TRUE(IsValidBin("1010") && !IsValidBin("102"));

  EXPECT_TRUE(IsValidDouble(" 1.5e3 ", true, dpsPoint));
  EXPECT_FALSE(IsValidDouble("1.5e3", false, dpsPoint));
  EXPECT_TRUE(IsValidDouble("1,5", true, dpsComma));
  EXPECT_FALSE(IsValidDouble("1,5", true, dpsPoint));
  EXPECT_TRUE(IsValidDouble("1,5", true, dpsBoth));
  // IsValidDouble checks the range, IsValidFPNum only the syntax.
  EXPECT_FALSE(IsValidDouble("1e400", true, dpsPoint));
  EXPECT_FALSE(IsValidDouble("-1e400", true, dpsPoint));
  EXPECT_TRUE(IsValidDouble("1e-400", true, dpsPoint));
  EXPECT_TRUE(IsValidFPNum("1e400", dpsPoint));
  EXPECT_TRUE(IsValidFPNum("-1,25E-7", dpsComma));
  for (const char* text : {"", "1.", "abc", "1e", "1.5.2", "--1", "1 e5"})
    EXPECT_FALSE(IsValidFPNum(text, dpsBoth)) << text;
}

// Random byte strings, biased toward the characters the scanners look at.
std::string RandomText(std::mt19937& gen) {
  static const std::vector<std::string> pieces = {"0",
                                                  "1",
                                                  "7",
                                                  "9",
                                                  "F",
                                                  "e",
                                                  "E",
                                                  "+",
                                                  "-",
                                                  ".",
                                                  ",",
                                                  " ",
                                                  "\t",
                                                  "$",
                                                  "0x",
                                                  "N",
                                                  "S",
                                                  "w",
                                                  "'",
                                                  "''",
                                                  "\"",
                                                  "\xC2\xB0",
                                                  "\xC2",
                                                  "\xB0",
                                                  "\xC2\xBA",
                                                  "\xE2\x80\xB2",
                                                  "\xE2\x80",
                                                  ":",
                                                  "Jan",
                                                  "M\xC3\xA4r",
                                                  std::string(1, '\0'),
                                                  "99999999999",
                                                  "e999999"};
  const int kind = std::uniform_int_distribution<int>(0, 99)(gen);
  size_t length = 0;
  if (kind >= 5) length = std::uniform_int_distribution<size_t>(1, 24)(gen);
  if (kind >= 90) length = std::uniform_int_distribution<size_t>(100, 2000)(gen);
  if (kind == 99) length = 200000;
  std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string s;
  while (s.size() < length)
    s += byte(gen) < 64 ? std::string(1, static_cast<char>(byte(gen))) : pieces[piece(gen)];
  return s;
}

TEST(HostileInput, ScannersStayInsideTheTextAndNeverThrow) {
  std::mt19937 gen(12345);
  const char* formats[] = {"yyyymmddHHMMSS", "d.m.yy", "yyyy-mmm-dd HH:MM:SS.zzz", "mmmm", "y"};
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomText(gen);
    const auto n = static_cast<int32_t>(text.size());
    int32_t start = std::uniform_int_distribution<int32_t>(-3, n + 3)(gen);
    if (round % 97 == 0) start = kMax32;
    if (round % 89 == 0) start = kMin32;
    // The position either stays (nothing read) or moves forward, at most to
    // one past the end.
    auto check = [&](int32_t pos, bool readSomething, const char* what) {
      if (pos == start) {
        EXPECT_FALSE(readSomething) << what << " round " << round;
      } else {
        EXPECT_TRUE(pos > start && pos >= 1 && pos <= n + 1) << what << " round " << round;
      }
    };
    for (IntScanner scan : {ScanDecimal, ScanHex, ScanOctal, ScanBin}) {
      int32_t pos = start, v = 0;
      EXPECT_NO_THROW(v = scan(text, pos));
      check(pos, v != 0, "integer scanner");
    }
    for (int32_t sep = -1; sep <= 3; ++sep) {
      int32_t pos = start;
      double v = 0;
      EXPECT_NO_THROW(v = ScanFPNum(text, sep % 2 == 0, sep, pos));
      check(pos, v != 0, "ScanFPNum");
      EXPECT_TRUE(std::isfinite(v) || (std::isinf(v) && pos != start));  // inf only when read
    }
    for (bool hemisphere : {false, true}) {
      int32_t pos = start, format = 99;
      double v = 0;
      EXPECT_NO_THROW(v = ScanDegrees(text, pos, hemisphere, format));
      check(pos, v != 0 || format != -1, "ScanDegrees");
      EXPECT_TRUE((std::isfinite(v) || (std::isinf(v) && pos != start)) && format >= -1 &&
                  format <= 3);
    }
    for (const std::string& format : {std::string(formats[round % 5]), text}) {
      int32_t pos = start;
      double v = 0;
      EXPECT_NO_THROW(v = ScanDateTime(text, format, static_cast<TLanguage>(round % 3), pos));
      check(pos, v != 0, "ScanDateTime");
    }
    EXPECT_NO_THROW(StrToIntDefault(text, 0));
    const auto sep = static_cast<TDecPSep>(round % 4);
    EXPECT_TRUE(!IsValidDouble(text, true, sep) || IsValidFPNum(text, sep));
    if (IsValidDecInt(text)) {
      EXPECT_TRUE(IsValidDouble(text, false, dpsPoint));
      const std::string trimmed = text.substr(0, text.find_last_not_of(" \t") + 1);
      EXPECT_EQ(StrToIntDefault(trimmed, 1), StrToIntDefault(trimmed, 2)) << trimmed;
    }
    // noexcept: a throw inside would terminate the test program. A binary
    // text is a hexadecimal one of no more digits.
    if (IsValidBin(text) && text.find_first_not_of(" \t01") == std::string::npos &&
        std::count_if(text.begin(), text.end(), [](char c) { return c == '0' || c == '1'; }) <= 8) {
      EXPECT_TRUE(IsValidHex(text));
    }
    IsValidOct(text);
    try {
      HexToDouble(text, round % 2 == 0);
      EXPECT_EQ(text.size(), 16u);
    } catch (const EZELError&) {
    }
  }
}

TEST(HostileInput, FormattersAcceptEveryBitPattern) {
  std::mt19937_64 gen(777);
  std::uniform_int_distribution<int32_t> small(-50, 300);
  for (int round = 0; round < 3000; ++round) {
    uint64_t bits = gen();
    if (round % 5 == 0) bits &= 0x800FFFFFFFFFFFFF;  // subnormals and zeros
    if (round % 7 == 0) bits |= 0x7FF0000000000000;  // infinities and NaNs
    double x;
    std::memcpy(&x, &bits, sizeof x);
    const int32_t width = small(gen), decimals = small(gen) % 20;
    EXPECT_GE(MakeEFormat(x, width, decimals).size(),
              static_cast<size_t>(std::clamp(width, 8, 40)));
    if (std::isfinite(x) && width >= 8 && width <= 253) {
      EXPECT_EQ(strf(x, width, -2).size(), static_cast<size_t>(width));
    }
    EXPECT_FALSE(EEngStr(x, decimals).empty());
    for (int32_t f = 0; f <= 3; ++f)
      EXPECT_FALSE(DegreeToStr(x, static_cast<TDegreeFormat>(f), decimals).empty());
    uint64_t back;
    const double y = HexToDouble(FPNumToHex(x));
    std::memcpy(&back, &y, sizeof back);
    EXPECT_EQ(back, bits);
  }
}

}  // namespace
}  // namespace zel
