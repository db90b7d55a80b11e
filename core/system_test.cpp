#include "core/zel_system.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zel {
namespace {

TEST(Rounding, RoundsHalvesToEven) {
  EXPECT_EQ(Round(0.5), 0.0);
  EXPECT_EQ(Round(1.5), 2.0);
  EXPECT_EQ(Round(2.5), 2.0);
  EXPECT_EQ(Round(-2.5), -2.0);
  EXPECT_EQ(Round(-3.5), -4.0);
  EXPECT_EQ(Round(2.4999999999999996), 2.0);
  EXPECT_EQ(Round(2.5L), 2.0L);
}

TEST(Rounding, TruncAndFracCutTowardZero) {
  EXPECT_EQ(Trunc(-1.75), -1.0);
  EXPECT_EQ(Int(1.75), 1.0);
  EXPECT_EQ(Frac(-1.75), -0.75);
  EXPECT_TRUE(std::signbit(Trunc(-0.5)));
}

TEST(Conversions, SaturateInsteadOfOverflowing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(SaturateToInt32(nan), 0);
  EXPECT_EQ(SaturateToInt32(1e300), INT32_MAX);
  EXPECT_EQ(SaturateToInt32(-1e300), INT32_MIN);
  EXPECT_EQ(SaturateToInt32(-7.9), -7);
  EXPECT_EQ(SaturateToInt64(std::numeric_limits<double>::infinity()), INT64_MAX);
  EXPECT_EQ(SaturateToInt64(-9.3e18), INT64_MIN);
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(-2147483648.4), INT32_MIN);
  EXPECT_EQ(RoundToInt64(3.5), 4);
}

TEST(Conversions, WrapAs32BitHardware) {
  EXPECT_EQ(WrapAdd(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(WrapSub(INT32_MIN, 1), INT32_MAX);
  EXPECT_EQ(WrapMul(65536, 65536), 0);
  EXPECT_EQ(WrapMul(-3, 7), -21);
  EXPECT_EQ(WrapNeg(INT32_MIN), INT32_MIN);
  EXPECT_EQ(Abs64(INT32_MIN), 2147483648LL);
}

TEST(ExtendedCodec, WritesTenBytesLeastSignificantFirst) {
  uint8_t b[10];
  ExtendedToBytes(1.0L, b);
  // 1.0: exponent 0x3FFF, mantissa with explicit integer bit.
  const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(b[i], expected[i]) << i;
  const long double x = -1234.5678901234567890L;
  ExtendedToBytes(x, b);
  EXPECT_EQ(ExtendedFromBytes(b), x);
}

TEST(AnsiCodec, RoundTripsEveryByte) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string utf8 = AnsiToUtf8(all);
  EXPECT_EQ(Utf8ToAnsi(utf8), all);
  EXPECT_EQ(AnsiToUtf8("\xB0"), "\u00B0");
  EXPECT_EQ(AnsiToUtf8("\x80"), "\u20AC");
}

TEST(AnsiCodec, ReplacesUnmappableAndMalformedWithQuestionMark) {
  EXPECT_EQ(Utf8ToAnsi("a\u4E2Db"), "a?b");
  EXPECT_EQ(Utf8ToAnsi("\xC3"), "?");       // truncated sequence
  EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??");  // overlong encoding
  EXPECT_EQ(Utf8ToAnsi("\u20AC\u00E9"), "\x80\xE9");
}

TEST(Platform, HasAtLeastOneProcessor) { EXPECT_GE(ProcessorCount(), 1); }

}  // namespace
}  // namespace zel

namespace zel {
namespace {

enum class TColourFlag : int32_t { cfRed = 0, cfGreen = 1, cfBlue = 2, cfHigh = 63 };

TEST(EnumSets, CombineAndTestMembers) {
  using S = TEnumSet<TColourFlag>;
  S s{TColourFlag::cfRed, TColourFlag::cfHigh};
  EXPECT_TRUE(s.Contains(TColourFlag::cfHigh));
  EXPECT_FALSE(s.Contains(TColourFlag::cfGreen));
  s |= TColourFlag::cfGreen;
  EXPECT_EQ(s - S{TColourFlag::cfRed}, (S{TColourFlag::cfGreen, TColourFlag::cfHigh}));
  EXPECT_EQ(s & S{TColourFlag::cfBlue}, S{});
  EXPECT_TRUE((s & S{TColourFlag::cfBlue}).Empty());
  s.Exclude(TColourFlag::cfHigh).Include(TColourFlag::cfBlue);
  EXPECT_EQ(s.Bits(), 7u);
}

}  // namespace
}  // namespace zel
