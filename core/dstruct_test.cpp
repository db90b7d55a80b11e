#include "core/zel_dstruct.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace zel {
namespace {

// The step is constexpr: the standard check value holds at compile time.
constexpr uint32_t CrcOf(std::string_view s) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : s) crc = CalcNextCRC32(static_cast<uint8_t>(c), crc);
  return ~crc;
}
static_assert(CrcOf("123456789") == 0xCBF43926u);

// Reference values from python's zlib.crc32.
TEST(Crc32, MatchesZlibCheckValues) {
  EXPECT_EQ(CalcCRC32(std::string_view("123456789")), 0xCBF43926u);
  EXPECT_EQ(CalcCRC32(std::string_view("")), 0x00000000u);
  EXPECT_EQ(CalcCRC32(std::string_view("a")), 0xE8B7BE43u);
  EXPECT_EQ(CalcCRC32(std::string_view("The quick brown fox jumps over the lazy dog")),
            0x414FA339u);
  const std::vector<uint8_t> zero{0x00}, ff{0xFF};
  EXPECT_EQ(CalcCRC32(zero), 0xD202EF8Du);
  EXPECT_EQ(CalcCRC32(ff), 0xFF000000u);
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  EXPECT_EQ(CalcCRC32(all), 0x29058C73u);
}

TEST(Crc32, StepFeedsInterleavedRegistersIndependently) {
  // The fingerprint pattern of the containers: byte k of each 8-byte value
  // goes to register k. One all-zero double gives D202EF8D in every register.
  uint32_t reg[8];
  for (auto& r : reg) r = 0xFFFFFFFFu;
  for (int k = 0; k < 8; ++k) reg[k] = CalcNextCRC32(0, reg[k]);
  for (auto r : reg) EXPECT_EQ(~r, 0xD202EF8Du);
}

TEST(BitFld, OutOfRangeIndicesReadFalseAndAreIgnored) {
  TBitFld f(70);
  EXPECT_EQ(f.GetSize(), 70);
  f.SetBit(0, true);
  f.SetBit(71, true);
  f.SetBit(-5, true);
  EXPECT_EQ(f.CountTrueBits(), 0);
  EXPECT_EQ(f.FirstTrueBit(), 0);
  f.SetBit(1, true);
  f.SetBit(64, true);
  f.SetBit(65, true);
  f.SetBit(70, true);
  EXPECT_TRUE(f.GetBit(1));
  EXPECT_TRUE(f.GetBit(64));
  EXPECT_TRUE(f.GetBit(65));
  EXPECT_TRUE(f.GetBit(70));
  EXPECT_FALSE(f.GetBit(2));
  EXPECT_FALSE(f.GetBit(0));
  EXPECT_FALSE(f.GetBit(71));
  EXPECT_EQ(f.CountTrueBits(), 4);
  f.SetBit(1, false);
  EXPECT_EQ(f.FirstTrueBit(), 64);
  EXPECT_EQ(TBitFld(-3).GetSize(), 0);
  EXPECT_EQ(TBitFld().FirstTrueBit(), 0);
}

TEST(BitFld, InvertNeverSetsBitsBeyondTheSize) {
  for (int32_t n : {1, 63, 64, 65, 100, 128, 129}) {
    TBitFld f(n);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), n) << n;
    EXPECT_EQ(f.FirstTrueBit(), 1) << n;
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), 0) << n;
    EXPECT_EQ(f.FirstTrueBit(), 0) << n;
  }
  TBitFld f(100);
  f.Invert();
  f.SetSize(70);  // shrinking drops bits 71..100
  EXPECT_EQ(f.CountTrueBits(), 70);
  f.SetSize(130);  // growing adds false bits
  EXPECT_EQ(f.CountTrueBits(), 70);
  EXPECT_FALSE(f.GetBit(71));
  EXPECT_TRUE(f.GetBit(70));
  f.Clear();
  EXPECT_EQ(f.GetSize(), 130);
  EXPECT_EQ(f.CountTrueBits(), 0);
}

TEST(BitFld, CombineWithAppliesEachLogicOp) {
  // a = 1100, b = 1010 (bits 1..4).
  auto make = [](bool b1, bool b2, bool b3, bool b4) {
    TBitFld f(4);
    f.SetBit(1, b1);
    f.SetBit(2, b2);
    f.SetBit(3, b3);
    f.SetBit(4, b4);
    return f;
  };
  const TBitFld b = make(true, false, true, false);
  struct Case {
    TLogicOp op;
    bool r[4];
  };
  const Case cases[] = {
      {TLogicOp::loAnd, {true, false, false, false}},
      {TLogicOp::loOr, {true, true, true, false}},
      {TLogicOp::loXor, {false, true, true, false}},
      {TLogicOp::loAndNot, {false, true, false, false}},
      {TLogicOp::loOrNot, {true, true, false, true}},
      {TLogicOp::loXorNot, {true, false, false, true}},
  };
  for (const auto& c : cases) {
    TBitFld a = make(true, true, false, false);
    a.CombineWith(&b, c.op);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(a.GetBit(i + 1), c.r[i]) << static_cast<int>(c.op) << " bit " << i + 1;
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a.CountTrueBits(), c.r[0] + c.r[1] + c.r[2] + c.r[3]);  // nothing beyond bit 4
  }
  EXPECT_EQ(static_cast<int32_t>(TLogicOp::loAnd), 0);
  EXPECT_EQ(static_cast<int32_t>(TLogicOp::loXorNot), 5);
}

TEST(BitFld, CombineWithUnequalSizesReadsMissingBitsAsFalse) {
  TBitFld big(150), small(10);
  big.Invert();  // all 150 true
  small.SetBit(3, true);
  TBitFld a;
  a.Clone(&big);
  a.CombineWith(&small, TLogicOp::loAnd);  // bits beyond 10 meet false
  EXPECT_EQ(a.GetSize(), 150);
  EXPECT_EQ(a.CountTrueBits(), 1);
  EXPECT_EQ(a.FirstTrueBit(), 3);

  TBitFld s;
  s.Clone(&small);
  s.CombineWith(&big, TLogicOp::loOr);  // Other's extra bits are not used
  EXPECT_EQ(s.GetSize(), 10);
  EXPECT_EQ(s.CountTrueBits(), 10);
  s.CombineWith(&big, TLogicOp::loXorNot);  // 1 xor not 1 = 1
  EXPECT_EQ(s.CountTrueBits(), 10);

  TBitFld e(70);
  e.CombineWith(&small, TLogicOp::loOrNot);  // false or not(missing = false) = true
  EXPECT_EQ(e.CountTrueBits(), 69);
  EXPECT_FALSE(e.GetBit(3));

  e.CombineWith(nullptr, TLogicOp::loAnd);
  EXPECT_EQ(e.CountTrueBits(), 69);
  e.CombineWith(&small, static_cast<TLogicOp>(6));
  EXPECT_EQ(e.CountTrueBits(), 69);
}

TEST(BitFld, CloneCopiesSizeAndBitsAndIgnoresNull) {
  TBitFld src(77);
  src.SetBit(77, true);
  TBitFld dst(3);
  dst.Clone(&src);
  EXPECT_EQ(dst.GetSize(), 77);
  EXPECT_TRUE(dst.GetBit(77));
  dst.Clone(nullptr);
  EXPECT_EQ(dst.GetSize(), 77);
  src.SetBit(1, true);
  EXPECT_FALSE(dst.GetBit(1));  // a copy, not a view
}

}  // namespace
}  // namespace zel
