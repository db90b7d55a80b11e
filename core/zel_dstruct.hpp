/// @file
/// Small data structures: the CRC-32 step, logical operations and a bit field
/// indexed from 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// CRC-32
//
// The standard reflected CRC-32 of zlib, PNG and Ethernet (polynomial
// 0x04C11DB7, reflected 0xEDB88320). Callers start the register at
// 0xFFFFFFFF, feed bytes with CalcNextCRC32 and invert the register at the
// end; the whole-buffer CRC of "123456789" is then 0xCBF43926.
// ---------------------------------------------------------------------------

namespace detail {
constexpr std::array<uint32_t, 256> MakeCrc32Table() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[i] = c;
  }
  return t;
}
inline constexpr std::array<uint32_t, 256> Crc32Table = MakeCrc32Table();
}  // namespace detail

/// One byte step of the register: returns the register after feeding Value.
constexpr uint32_t CalcNextCRC32(uint8_t Value, uint32_t Crc) {
  return detail::Crc32Table[(Crc ^ Value) & 0xFFu] ^ (Crc >> 8);
}

/// The complete CRC-32 of a buffer (start 0xFFFFFFFF, final inversion); 0
/// for an empty buffer.
uint32_t CalcCRC32(std::span<const uint8_t> Data);
/// The same over the bytes of a text.
uint32_t CalcCRC32(std::string_view Text);

// ---------------------------------------------------------------------------
// Logical operations
// ---------------------------------------------------------------------------

/// How a state a is combined with an operand b (TBitFld::CombineWith, data
/// table SetCellStates): a and b, a or b, a xor b, a and not b, a or not b,
/// a xor not b.
enum class TLogicOp : int32_t {
  loAnd = 0,
  loOr = 1,
  loXor = 2,
  loAndNot = 3,
  loOrNot = 4,
  loXorNot = 5
};

// ---------------------------------------------------------------------------
// TBitFld
// ---------------------------------------------------------------------------

/// A bit array with the indices 1..GetSize(), all false after creation and
/// after growing. Indices outside 1..GetSize() read false and are ignored
/// when written. Bits are kept in 64-bit words; the unused high bits of the
/// last word are always 0, so that counts and searches never see them.
class TBitFld : public TObject {
 public:
  /// Size 0 when Size <= 0.
  explicit TBitFld(int32_t Size = 0);

  /// Number of bits.
  int32_t GetSize() const { return FSize; }
  /// Resizes to Size bits (0 when Size <= 0). Bits 1..min(old, new) keep
  /// their values; added bits are false.
  void SetSize(int32_t Size);

  /// Sets every bit to false; the size stays.
  void Clear();
  /// Bit Ix set to Value; ignored when Ix is outside 1..GetSize().
  void SetBit(int32_t Ix, bool Value);
  /// Bit Ix; false when Ix is outside 1..GetSize().
  bool GetBit(int32_t Ix) const;

  /// Index (1-based) of the lowest true bit; 0 when no bit is true (and for
  /// an empty field).
  int32_t FirstTrueBit() const;
  /// Number of true bits.
  int32_t CountTrueBits() const;
  /// Flips every bit 1..GetSize().
  void Invert();

  /// Becomes a copy of Source (size and bits). Nothing for a null Source.
  void Clone(const TBitFld* Source);
  /// Every bit i in 1..GetSize() becomes Op(GetBit(i), Other->GetBit(i)).
  /// The size stays that of this field; where Other is shorter its missing
  /// bits count as false (so loAnd clears them, loOrNot sets them), and its
  /// bits beyond this field's size are not used. Nothing for a null Other or
  /// an ordinal outside TLogicOp.
  void CombineWith(const TBitFld* Other, TLogicOp Op);

 private:
  void ClearUnusedBits();

  int32_t FSize = 0;
  std::vector<uint64_t> FWords;
};

}  // namespace zel
