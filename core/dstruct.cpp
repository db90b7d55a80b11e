#include "core/zel_dstruct.hpp"

#include <algorithm>
#include <bit>

#include "core/zel_binary.hpp"

namespace zel {

uint32_t CalcCRC32(std::span<const uint8_t> Data) {
  TCrc32 crc;
  crc.Add(Data);
  return crc.Value();
}

uint32_t CalcCRC32(std::string_view Text) {
  TCrc32 crc;
  crc.Add(Text);
  return crc.Value();
}

namespace {
constexpr size_t WordCount(int32_t bits) { return (static_cast<size_t>(bits) + 63) / 64; }
}  // namespace

TBitFld::TBitFld(int32_t Size) { SetSize(Size); }

void TBitFld::SetSize(int32_t Size) {
  if (Size < 0) Size = 0;
  FWords.resize(WordCount(Size), 0);
  FSize = Size;
  // Shrinking leaves old bits above the new size in the last word.
  ClearUnusedBits();
}

void TBitFld::ClearUnusedBits() {
  const int32_t used = FSize % 64;
  if (used != 0) FWords.back() &= (uint64_t{1} << used) - 1;
}

void TBitFld::Clear() { std::fill(FWords.begin(), FWords.end(), 0); }

void TBitFld::SetBit(int32_t Ix, bool Value) {
  if (Ix < 1 || Ix > FSize) return;
  const auto i = static_cast<size_t>(Ix - 1);
  const uint64_t mask = uint64_t{1} << (i % 64);
  if (Value)
    FWords[i / 64] |= mask;
  else
    FWords[i / 64] &= ~mask;
}

bool TBitFld::GetBit(int32_t Ix) const {
  if (Ix < 1 || Ix > FSize) return false;
  const auto i = static_cast<size_t>(Ix - 1);
  return (FWords[i / 64] >> (i % 64)) & 1u;
}

int32_t TBitFld::FirstTrueBit() const {
  for (size_t w = 0; w < FWords.size(); ++w)
    if (FWords[w] != 0) return static_cast<int32_t>(w * 64 + std::countr_zero(FWords[w]) + 1);
  return 0;
}

int32_t TBitFld::CountTrueBits() const {
  int64_t n = 0;
  for (uint64_t w : FWords) n += std::popcount(w);
  return static_cast<int32_t>(n);
}

void TBitFld::Invert() {
  for (uint64_t& w : FWords) w = ~w;
  ClearUnusedBits();
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr || Source == this) return;
  FWords = Source->FWords;
  FSize = Source->FSize;
}

void TBitFld::CombineWith(const TBitFld* Other, TLogicOp Op) {
  if (Other == nullptr) return;
  switch (Op) {
    case TLogicOp::loAnd:
    case TLogicOp::loOr:
    case TLogicOp::loXor:
    case TLogicOp::loAndNot:
    case TLogicOp::loOrNot:
    case TLogicOp::loXorNot: break;
    default: return;
  }
  for (size_t w = 0; w < FWords.size(); ++w) {
    // Other's unused high bits are 0, and so are its missing words.
    const uint64_t b = w < Other->FWords.size() ? Other->FWords[w] : 0;
    uint64_t& a = FWords[w];
    switch (Op) {
      case TLogicOp::loAnd: a &= b; break;
      case TLogicOp::loOr: a |= b; break;
      case TLogicOp::loXor: a ^= b; break;
      case TLogicOp::loAndNot: a &= ~b; break;
      case TLogicOp::loOrNot: a |= ~b; break;
      case TLogicOp::loXorNot: a ^= ~b; break;
    }
  }
  // The "not" operations set bits beyond this field's size.
  ClearUnusedBits();
}

}  // namespace zel
