/// @file
/// Binary data: little-endian byte order, CRC-32 accumulation and the
/// fingerprints of sequences of doubles and integers.
///
/// Every binary format of the library (streams, array files, vector files,
/// BMP images) is read and written through these helpers, so that none
/// depends on the host's byte order. They do no bounds checking: a reader
/// that takes its input from a file checks the length first (the callers
/// wrap them in their own checked readers).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/zel_dstruct.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Little-endian byte order
// ---------------------------------------------------------------------------

/// Reads an unsigned integer of `Bytes` bytes (1 to 8) stored least
/// significant byte first at `p`.
template <class U, size_t Bytes = sizeof(U)>
constexpr U LoadLE(const uint8_t* p) {
  static_assert(std::is_unsigned_v<U> && Bytes >= 1 && Bytes <= sizeof(U));
  U v = 0;
  for (size_t k = 0; k < Bytes; ++k) v |= static_cast<U>(static_cast<U>(p[k]) << (8 * k));
  return v;
}

/// Writes the low `Bytes` bytes (1 to 8) of `v` least significant first to `p`.
template <class U, size_t Bytes = sizeof(U)>
constexpr void StoreLE(uint8_t* p, U v) {
  static_assert(std::is_unsigned_v<U> && Bytes >= 1 && Bytes <= sizeof(U));
  for (size_t k = 0; k < Bytes; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

/// The 16-bit unsigned value stored little-endian at `p`.
constexpr uint16_t LoadLE16(const uint8_t* p) { return LoadLE<uint16_t>(p); }
/// The 32-bit unsigned value stored little-endian at `p`.
constexpr uint32_t LoadLE32(const uint8_t* p) { return LoadLE<uint32_t>(p); }
/// The 64-bit unsigned value stored little-endian at `p`.
constexpr uint64_t LoadLE64(const uint8_t* p) { return LoadLE<uint64_t>(p); }
/// The IEEE 754 binary64 value stored least significant byte first at `p`;
/// every bit pattern (NaN payloads, signed zeros) comes back unchanged.
constexpr double LoadLEDouble(const uint8_t* p) { return std::bit_cast<double>(LoadLE64(p)); }

/// Stores `v` as 2 bytes, least significant first.
constexpr void StoreLE16(uint8_t* p, uint16_t v) { StoreLE(p, v); }
/// Stores `v` as 4 bytes, least significant first.
constexpr void StoreLE32(uint8_t* p, uint32_t v) { StoreLE(p, v); }
/// Stores `v` as 8 bytes, least significant first.
constexpr void StoreLE64(uint8_t* p, uint64_t v) { StoreLE(p, v); }
/// Stores the 8 bytes of the IEEE 754 binary64 `v`, least significant first.
constexpr void StoreLEDouble(uint8_t* p, double v) { StoreLE64(p, std::bit_cast<uint64_t>(v)); }

// ---------------------------------------------------------------------------
// CRC-32 accumulation
// ---------------------------------------------------------------------------

/// A running CRC-32 (the reflected CRC of zlib and PNG, one CalcNextCRC32
/// step per byte): the register starts at FFFFFFFF and Value() is its
/// complement, so bytes fed in pieces give the CRC of the whole, and no bytes
/// give 0. Value() may be read at any time without ending the sum.
class TCrc32 {
 public:
  /// Feeds one byte.
  constexpr void Add(uint8_t Byte) { FReg = CalcNextCRC32(Byte, FReg); }
  /// Feeds the bytes in order.
  constexpr void Add(std::span<const uint8_t> Bytes) {
    for (const uint8_t b : Bytes) FReg = CalcNextCRC32(b, FReg);
  }
  /// Feeds `Count` bytes from `Bytes`.
  constexpr void Add(const uint8_t* Bytes, size_t Count) {
    Add(std::span<const uint8_t>(Bytes, Count));
  }
  /// Feeds the bytes of a text (UTF-8 as stored, no terminator).
  constexpr void Add(std::string_view Text) {
    for (const char c : Text) FReg = CalcNextCRC32(static_cast<uint8_t>(c), FReg);
  }
  /// The CRC-32 of everything fed so far.
  constexpr uint32_t Value() const { return ~FReg; }

 private:
  uint32_t FReg = 0xFFFFFFFFu;
};

// ---------------------------------------------------------------------------
// Fingerprints of fixed-width values
// ---------------------------------------------------------------------------

/// The lane CRCs as 8 upper-case hexadecimal digits each, lane 0 first.
std::string CrcLanesText(std::span<const TCrc32> Lanes);

/// The fingerprint that containers report as CRCofData: one CRC-32 lane per
/// byte of a value of Lanes bytes; for every value in order, byte k (least
/// significant first) of its bit pattern is fed into lane k. Text() is the
/// lane CRCs as 8 upper-case hexadecimal digits each, lane 0 first
/// (8 x Lanes characters).
template <size_t Lanes>
class TLaneFingerprint {
  static_assert(Lanes >= 1 && Lanes <= 8);

 public:
  /// Feeds the low Lanes bytes of Bits, one into each lane.
  constexpr void AddBits(uint64_t Bits) {
    for (size_t k = 0; k < Lanes; ++k) FLanes[k].Add(static_cast<uint8_t>(Bits >> (8 * k)));
  }
  /// The text of everything fed so far.
  std::string Text() const { return CrcLanesText(FLanes); }

 private:
  TCrc32 FLanes[Lanes];
};

/// The fingerprint of a sequence of doubles that vectors and matrices report
/// (CRCofData): eight lanes fed with the bytes of the IEEE 754 binary64
/// pattern (64 characters). The same values in the same order give the same
/// text, whichever container held them; one 0.0 gives "D202EF8D" eight
/// times, no values give "00000000" eight times.
class TDoubleFingerprint : public TLaneFingerprint<8> {
 public:
  /// Feeds one value (NaN payloads and the sign of zero count).
  constexpr void Add(double Value) { AddBits(std::bit_cast<uint64_t>(Value)); }
};

/// The fingerprint of a sequence of 32-bit integers (the integer matrix's
/// CRCofData): four lanes fed with the bytes of the two's complement pattern
/// (32 characters); one 0 gives "D202EF8D" four times.
class TInt32Fingerprint : public TLaneFingerprint<4> {
 public:
  /// Feeds one value.
  constexpr void Add(int32_t Value) { AddBits(static_cast<uint32_t>(Value)); }
};

}  // namespace zel
