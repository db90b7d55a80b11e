#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "core/zel_stringl.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

template <class To, class From>
To Bits(From x) {
  static_assert(sizeof(To) == sizeof(From));
  To b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

TEST(FixedWidthIntegers, DecimalPadsAndDropsLeadingDigits) {
  EXPECT_EQ(Decimal(5, 3), "005");
  EXPECT_EQ(Decimal(1234, 2), "34");
  EXPECT_EQ(Decimal(-7, 2), "-07");
  EXPECT_EQ(Decimal(0, 0), "0");
  EXPECT_EQ(Decimal(-1234, 3), "-234");
  EXPECT_EQ(Decimal(-5, 255).size(), 256u);
  // |INT32_MIN| does not fit an int32.
  EXPECT_EQ(Decimal(kMin32, 12), "-002147483648");
  EXPECT_EQ(Decimal(kMin32, 4), "-3648");
}

TEST(FixedWidthIntegers, PatternDigitsTakeTheUnsignedValueAndCapTheCount) {
  EXPECT_EQ(Hex(-1, 8), "FFFFFFFF");
  EXPECT_EQ(Hex(255, 0), "F");
  EXPECT_EQ(Hex(0, 0), "0");
  EXPECT_EQ(Hex(0x1234ABCD, 4), "ABCD");
  EXPECT_EQ(Hex(kMin32, 8), "80000000");
  EXPECT_EQ(Hex(-1, 200), "00000000FFFFFFFF");
  EXPECT_EQ(Octal(8, 2), "10");
  EXPECT_EQ(Octal(-1, 30), "37777777777");
  EXPECT_EQ(Octal(kMin32, 11), "20000000000");
  EXPECT_EQ(Bin(5, 40), std::string(29, '0') + "101");
  EXPECT_EQ(Bin(5, 0), "1");
  EXPECT_EQ(Bin(kMin32, 32), "1" + std::string(31, '0'));
}

TEST(FixedWidthIntegers, DigitCountsBeyondAByteAreClampedNotWrapped) {
  // Counts held in an int, as callers compute them: 256 and 257 must not wrap
  // to 0 and 1.
  struct Case {
    std::string (*format)(int32_t, int32_t);
    int32_t value;
    int32_t digits;
    std::string expected;
  };
  using F = std::string (*)(int32_t, int32_t);
  const F hex = [](int32_t v, int32_t d) { return zel::Hex(v, d); };
  const F octal = [](int32_t v, int32_t d) { return zel::Octal(v, d); };
  const F bin = [](int32_t v, int32_t d) { return zel::Bin(v, d); };
  const F decimal = [](int32_t v, int32_t d) { return zel::Decimal(v, d); };
  const Case cases[] = {
      {hex, 255, 256, "00000000000000FF"},
      {hex, -1, 257, "00000000FFFFFFFF"},
      {octal, 8, 256, "00000000010"},
      {bin, 5, 256, std::string(29, '0') + "101"},
      {bin, -1, std::numeric_limits<int32_t>::max(), std::string(32, '1')},
      {decimal, 7, 256, std::string(254, '0') + "7"},
      {decimal, -7, 1 << 30, "-" + std::string(254, '0') + "7"},
      // Zero and negative counts give one digit.
      {hex, 0xAB, -1, "B"},
      {octal, 8, kMin32, "0"},
      {bin, 6, -32, "0"},
      {decimal, -1234, -3, "-4"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.format(c.value, c.digits), c.expected) << c.value << " with " << c.digits;
}

TEST(FixedWidthIntegers, RomanWalksTheTableGreedily) {
  EXPECT_EQ(Roman(0), "");
  EXPECT_EQ(Roman(-5), "");
  EXPECT_EQ(Roman(30000), "");
  EXPECT_EQ(Roman(4), "IV");
  EXPECT_EQ(Roman(1994), "MCMXCIV");
  EXPECT_EQ(Roman(29999), std::string(29, 'M') + "CMXCIX");
}

TEST(FloatTexts, StrfMinusTwoCutsTheExponentToTwoDigits) {
  EXPECT_EQ(strf(3.14159, 8, 3), strff(3.14159, 8, 3));
  EXPECT_EQ(strf(123, 13, -1), " 1.2300E+0002");
  EXPECT_EQ(strf(1.23e12, 9, -2), " 1.23E+12");
  EXPECT_EQ(strf(-1.23e-12, 9, -2), "-1.23E-12");
  EXPECT_EQ(strf(0, 9, -2), " 0.00E+00");
  EXPECT_EQ(strf(9.9e99, 9, -2), " 9.90E+99");
  EXPECT_EQ(strf(1.23e12, 5, -2), " 1.2E+12");  // one mantissa digit at least
  for (int32_t w = 8; w <= 40; ++w)
    EXPECT_EQ(strf(-4.5e7, w, -2).size(), static_cast<size_t>(w)) << w;
}

TEST(FloatTexts, StrfMinusTwoShowsStarsForThreeDigitExponents) {
  EXPECT_EQ(strf(1e100, 10, -2), std::string(10, '*'));
  EXPECT_EQ(strf(-2.5e-150, 12, -2), std::string(12, '*'));
  EXPECT_EQ(strf(9.9999e99, 9, -2), std::string(9, '*'));  // rounds up to E+0100
}

TEST(FloatTexts, NonFiniteValuesGiveTheFormatterTextPadded) {
  EXPECT_EQ(strf(kNaN, 6, -2), "   NAN");
  EXPECT_EQ(strf(-kInf, 6, -2), "  -INF");
  EXPECT_EQ(MakeEFormat(kNaN, 10, 3), "       NAN");
  EXPECT_EQ(MakeEFormat(-kInf, 3, 3), "    -INF");  // width clamped to 8
  EXPECT_EQ(EEngStr(kInf, 3), "INF");
  EXPECT_EQ(EEngStr(-kInf, -4), "-INF");
  EXPECT_EQ(EEngStr(kNaN, 2), "NAN");
}

TEST(FloatTexts, MakeEFormatMovesThePointAndAddsOneToTheExponent) {
  EXPECT_EQ(MakeEFormat(123.456, 12, 4), "  0.1235E+03");
  EXPECT_EQ(MakeEFormat(-1.5, 12, 3), "  -0.150E+01");
  EXPECT_EQ(MakeEFormat(-1.5, 8, 3), "-0.150E+01");  // longer than the width: whole
  EXPECT_EQ(MakeEFormat(0, 10, 3), " 0.000E+00");
  EXPECT_EQ(MakeEFormat(0.00123, 12, 3), "   0.123E-02");
  EXPECT_EQ(MakeEFormat(0.5, 8, 2), " 0.50E+00");
  EXPECT_EQ(MakeEFormat(9.9999, 8, 2), " 0.10E+02");  // the carry reaches the exponent
  EXPECT_EQ(MakeEFormat(1.0 / 3, 8, 40), " 0.333333333333333E+00");  // 15 digits at most
  EXPECT_EQ(MakeEFormat(1, 100, 3).size(), 40u);
}

TEST(FloatTexts, MakeEFormatWritesTheWholeExponent) {
  EXPECT_EQ(MakeEFormat(1e150, 12, 4), " 0.1000E+151");
  EXPECT_EQ(MakeEFormat(-1e-200, 12, 4), "-0.1000E-199");
  EXPECT_EQ(MakeEFormat(1e98, 8, 2), " 0.10E+99");
  EXPECT_EQ(MakeEFormat(1e99, 8, 2), " 0.10E+100");
  EXPECT_EQ(MakeEFormat(1e-100, 8, 2), " 0.10E-99");
  EXPECT_EQ(MakeEFormat(1e-101, 8, 2), " 0.10E-100");
  EXPECT_EQ(MakeEFormat(std::numeric_limits<double>::denorm_min(), 8, 2), " 0.49E-323");
}

TEST(FloatTexts, EEngStrChoosesPrefixAndDecimals) {
  EXPECT_EQ(EEngStr(4700, 2), "4.7k");
  EXPECT_EQ(EEngStr(4700, 3), "4.70k");
  EXPECT_EQ(EEngStr(4700, -2), "4k7");
  EXPECT_EQ(EEngStr(47000, -2), "47k");  // no point to replace
  EXPECT_EQ(EEngStr(-4700, 2), "-4.7k");
  EXPECT_EQ(EEngStr(4700, -1), "5k");
  EXPECT_EQ(EEngStr(47000, 1), "47k");  // all digits before the point stay
  EXPECT_EQ(EEngStr(0.001, 1), "1m");
  EXPECT_EQ(EEngStr(3.3e-9, -2), "3n3");
  EXPECT_EQ(EEngStr(2.5e9, 2), "2.5G");
  EXPECT_EQ(EEngStr(12.5, 3), "12.5");               // no letter, no blank
  EXPECT_EQ(EEngStr(1234.5678, 20), "1.23456780k");  // digits clamped to 9
  EXPECT_EQ(EEngStr(0, 3), "0.00");
  EXPECT_EQ(EEngStr(-0.0, -3), "0.00");
}

TEST(FloatTexts, EEngStrKeepsTheEndPrefixBeyondTheTable) {
  EXPECT_EQ(EEngStr(1e16, 3), "10000T");
  EXPECT_EQ(EEngStr(1e-20, 3), "0.0100a");
  const std::string huge = EEngStr(-1e300, 2);  // "-" and the 289 digits of 1e288, then "T"
  EXPECT_EQ(huge.size(), 291u);
  EXPECT_EQ(huge.substr(0, 5), "-1000");
  EXPECT_EQ(huge.back(), 'T');
  // strff's 64 decimals cannot reach the digits of the smallest values.
  EXPECT_EQ(EEngStr(std::numeric_limits<double>::denorm_min(), 2),
            "0." + std::string(64, '0') + "a");
  // The prefix is chosen before the mantissa rounds up.
  EXPECT_EQ(EEngStr(999.99, 3), "1000");
  EXPECT_EQ(EEngStr(999.99e3, 3), "1000k");
}

TEST(BitPatterns, WritesMostSignificantByteFirst) {
  EXPECT_EQ(FPNumToHex(1.0), "3FF0000000000000");
  EXPECT_EQ(FPNumToHex(-0.0), "8000000000000000");
  EXPECT_EQ(FPNumToHex(-2.0f), "C0000000");
  EXPECT_EQ(FPNumToHex(1.0L), "3FFF8000000000000000");
  EXPECT_EQ(FPNumToHex(-2.0L), "C0008000000000000000");
}

TEST(BitPatterns, RoundTripBitForBit) {
  // +-0, +-inf, quiet NaN with payloads, negative NaN, signalling NaN, denorm_min, max.
  for (uint64_t bits : {0x0ull, 0x8000000000000000ull, 0x7FF0000000000000ull, 0xFFF0000000000000ull,
                        0x7FF8000000012345ull, 0xFFF80000DEADBEEFull, 0x7FF0000000000001ull, 0x1ull,
                        0x7FEFFFFFFFFFFFFFull})
    EXPECT_EQ(Bits<uint64_t>(HexToDouble(FPNumToHex(Bits<double>(bits)))), bits)
        << std::hex << bits;
  for (uint32_t bits :
       {0x0u, 0x80000000u, 0x7F800000u, 0xFF800000u, 0x7FC01234u, 0x7F800001u, 0x1u})
    EXPECT_EQ(Bits<uint32_t>(HexToSingle(FPNumToHex(Bits<float>(bits)))), bits) << std::hex << bits;
  for (const char* text : {"80000000000000000000", "FFFF8000000000000000", "7FFFC000000000001234",
                           "FFFFC0000000DEADBEEF", "7FFF8000000000000001", "00000000000000000001"})
    EXPECT_EQ(FPNumToHex(HexToExtended(text)), text);
  EXPECT_EQ(HexToExtended("4000C90FDAA22168C235"),
            0x1.921fb54442d1846ap+1L);  // pi as FLDPI loads it
}

TEST(BitPatterns, AcceptsLowerCaseAndHonoursTheByteOrderFlag) {
  EXPECT_EQ(HexToDouble("bFf0000000000000"), -1.0);
  EXPECT_EQ(HexToDouble("000000000000f03f", false), 1.0);
  EXPECT_EQ(HexToSingle("3f800000"), 1.0f);
  EXPECT_EQ(HexToSingle("0000803F", false), 1.0f);
  EXPECT_EQ(HexToExtended("3fff8000000000000000"), 1.0L);
  // Byte order, not digit order: the pairs are reversed, each pair kept.
  EXPECT_EQ(Bits<uint64_t>(HexToDouble("0123456789ABCDEF", false)), 0xEFCDAB8967452301u);
}

TEST(BitPatterns, RejectsBadTextsWithTheRoutineMessage) {
  auto message = [](const std::function<void()>& call) -> std::string {
    try {
      call();
    } catch (const EZELError& e) {
      return e.what();
    }
    return "no exception";
  };
  EXPECT_EQ(message([] { HexToDouble("3FF"); }), "HexToDouble: invalid hex string \"3FF\"");
  EXPECT_EQ(message([] { HexToDouble("3FF000000000000G"); }),
            "HexToDouble: invalid hex string \"3FF000000000000G\"");
  EXPECT_EQ(message([] { HexToDouble(" 3FF000000000000", false); }),
            "HexToDouble: invalid hex string \" 3FF000000000000\"");
  EXPECT_EQ(message([] { HexToSingle(""); }), "HexToSingle: invalid hex string \"\"");
  EXPECT_EQ(message([] { HexToSingle("0x3F8000"); }),
            "HexToSingle: invalid hex string \"0x3F8000\"");
  EXPECT_EQ(message([] { HexToExtended("3FFF800000000000000"); }),
            "HexToExtended: invalid hex string \"3FFF800000000000000\"");
}

}  // namespace
}  // namespace zel
