#include "core/zel_binary.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace zel {
namespace {

// The primitives are constexpr: a file layout can be checked at compile time.
constexpr uint32_t kRoundTrip = [] {
  std::array<uint8_t, 4> b{};
  StoreLE32(b.data(), 0xA1B2C3D4u);
  return LoadLE32(b.data());
}();
static_assert(kRoundTrip == 0xA1B2C3D4u);

TEST(ByteOrder, ReadsLeastSignificantByteFirst) {
  const uint8_t b[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  EXPECT_EQ(LoadLE16(b), 0x0201u);
  EXPECT_EQ(LoadLE32(b), 0x04030201u);
  EXPECT_EQ(LoadLE64(b), 0x8807060504030201ull);
  // The top byte's high bit must not be sign-extended into the result.
  EXPECT_EQ(LoadLE32(b + 4), 0x88070605u);
  EXPECT_EQ((LoadLE<uint32_t, 3>(b + 5)), 0x880706u);
}

TEST(ByteOrder, WritesExactlyTheFieldsBytes) {
  uint8_t b[10];
  std::fill(std::begin(b), std::end(b), 0xEE);
  StoreLE16(b, 0xBEEF);
  StoreLE32(b + 2, 0x80000001u);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(b[1], 0xBE);
  EXPECT_EQ(b[2], 0x01);
  EXPECT_EQ(b[3], 0x00);
  EXPECT_EQ(b[4], 0x00);
  EXPECT_EQ(b[5], 0x80);
  EXPECT_EQ(b[6], 0xEE);  // nothing beyond the field is touched
  StoreLE64(b + 1, 0x0123456789ABCDEFull);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(b[1], 0xEF);
  EXPECT_EQ(b[8], 0x01);
  EXPECT_EQ(b[9], 0xEE);
  EXPECT_EQ(LoadLE64(b + 1), 0x0123456789ABCDEFull);
}

TEST(ByteOrder, DoublesKeepEveryBitPattern) {
  // 1.0 is 3FF0000000000000: the exponent bytes come last.
  const uint8_t one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(LoadLEDouble(one), 1.0);
  uint8_t b[8];
  StoreLEDouble(b, -0.0);
  EXPECT_EQ(b[7], 0x80);
  EXPECT_TRUE(std::signbit(LoadLEDouble(b)));
  const uint64_t payload = 0x7FF8000000012345ull;  // a quiet NaN with a payload
  StoreLE64(b, payload);
  EXPECT_TRUE(std::isnan(LoadLEDouble(b)));
  uint8_t again[8];
  StoreLEDouble(again, LoadLEDouble(b));
  EXPECT_EQ(LoadLE64(again), payload);
  StoreLEDouble(b, std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(LoadLE64(b), 1u);
}

// Reference values from python's zlib.crc32.
TEST(Crc32Accumulator, PiecesGiveTheCrcOfTheWhole) {
  TCrc32 empty;
  EXPECT_EQ(empty.Value(), 0u);
  TCrc32 crc;
  crc.Add(std::string_view("The quick "));
  const uint8_t brown[] = {'b', 'r', 'o', 'w', 'n'};
  crc.Add(brown, sizeof brown);
  crc.Add(uint8_t{' '});
  crc.Add(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("fox "), 4));
  EXPECT_EQ(crc.Value(), 0x88B075E2u);  // reading it does not end the sum
  crc.Add(std::string_view("jumps over the lazy dog"));
  EXPECT_EQ(crc.Value(), 0x414FA339u);
  const std::string_view whole = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(crc.Value(), CalcCRC32(whole));
}

// Reference texts from python: zlib.crc32 over byte k of struct.pack('<d', x)
// for every x, as %08X, k = 0..7.
TEST(DoubleFingerprint, EachLaneIsTheCrcOfOneByteOfEveryValue) {
  EXPECT_EQ(TDoubleFingerprint().Text(), std::string(64, '0'));
  TDoubleFingerprint zero;
  zero.Add(0.0);
  std::string want;
  for (int k = 0; k < 8; ++k) want += "D202EF8D";
  EXPECT_EQ(zero.Text(), want);
  TDoubleFingerprint negativeZero;
  negativeZero.Add(-0.0);
  // Only the sign bit, in byte 7, differs from +0.
  EXPECT_EQ(negativeZero.Text(), want.substr(0, 56) + "3FBA6CAD");
  TDoubleFingerprint ascending, descending;
  ascending.Add(1.0);
  ascending.Add(2.0);
  descending.Add(2.0);
  descending.Add(1.0);
  EXPECT_EQ(ascending.Text(), "41D912FF41D912FF41D912FF41D912FF41D912FF41D912FF5565F3426FDB7953");
  EXPECT_EQ(descending.Text(), "41D912FF41D912FF41D912FF41D912FF41D912FF41D912FFFC64E0E307C670C7");
}

}  // namespace
}  // namespace zel
