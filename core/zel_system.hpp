/// @file
/// The platform runtime the library is written against: the base exception
/// classes, rounding and saturating conversions, wrap-around 32-bit integer
/// arithmetic, the 80-bit extended codec, the Windows-1252 codec and the
/// processor count.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zel {

///@{
/// 80-bit x87 extended precision: running sums, complex numbers, factorials
/// and some file formats depend on its 64-bit mantissa.
using Extended = long double;
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the 80-bit x87 extended format");
///@}

/// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;
/// Red in the low byte, then green and blue; high byte 0xFF names a system colour.
using TColor = int32_t;

// ---------------------------------------------------------------------------
// Exceptions
// ---------------------------------------------------------------------------

/// Root of every exception the library raises. Messages are UTF-8.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Floating-point errors that the hardware would trap (ln 0, tangent overflow).
/// C++ does not trap; the library tests the condition and throws this.
class EMathError : public Exception {
 public:
  using Exception::Exception;
};

/// Input/output failure with the code of the failing operation.
class EInOutError : public Exception {
 public:
  /// The message and the code of the failing operation (errno, or a code of the library).
  EInOutError(const std::string& message, int32_t errorCode)
      : Exception(message), ErrorCode(errorCode) {}
  int32_t ErrorCode;  ///< code of the failing operation
};

// ---------------------------------------------------------------------------
// Rounding and conversions
// ---------------------------------------------------------------------------

///@{
/// Nearest integer, halves to the even neighbour (Round(0.5) = 0,
/// Round(1.5) = 2, Round(-2.5) = -2), as an integral floating-point value.
/// Uses the default rounding mode, which the library never changes.
double Round(double x);
long double Round(long double x);
///@}
///@{
/// Cut toward zero; Trunc(-0.5) is -0.0.
double Trunc(double x);
long double Trunc(long double x);
///@}
///@{
/// Same as Trunc: the integral part, toward zero.
double Int(double x);
long double Int(long double x);
///@}
///@{
/// x - Trunc(x), with the sign of x.
double Frac(double x);
long double Frac(long double x);
///@}

///@{
/// Saturating float-to-integer conversions: NaN gives 0, values beyond the
/// range give the nearest limit. The fractional part is cut toward zero.
int32_t SaturateToInt32(long double x);
int64_t SaturateToInt64(long double x);
///@}
///@{
/// Round (halves to even), then saturate.
int32_t RoundToInt32(long double x);
int64_t RoundToInt64(long double x);
///@}

///@{
/// 32-bit signed arithmetic that wraps as two's complement hardware does,
/// without the undefined behaviour of signed overflow in C++.
constexpr int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
///@}
/// |a| as a 64-bit value, defined for INT32_MIN.
constexpr int64_t Abs64(int32_t a) {
  return a < 0 ? -static_cast<int64_t>(a) : static_cast<int64_t>(a);
}

// ---------------------------------------------------------------------------
// Binary representations
// ---------------------------------------------------------------------------

///@{
/// The ten bytes of the x87 extended format, least significant byte first.
void ExtendedToBytes(long double value, uint8_t bytes[10]);
long double ExtendedFromBytes(const uint8_t bytes[10]);
///@}

///@{
/// Windows-1252 <-> UTF-8, for short strings in binary files. Characters that
/// Windows-1252 cannot hold (and malformed UTF-8 sequences) become '?'. The
/// five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
/// 0x9D) map to the C1 control characters of the same value, so that every
/// byte survives a round trip.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
///@}

/// Number of processors for worker threads; at least 1.
int32_t ProcessorCount();

// ---------------------------------------------------------------------------
// Sets of enumeration values
// ---------------------------------------------------------------------------

/// A set of values of an enumeration E whose ordinals lie in 0..63, held as
/// bit flags: TEnumSet\<TFontStyle>{TFontStyle::fsBold} | TFontStyle::fsItalic.
template <class E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  ///@{
  /// A set of one value, or of the listed values.
  constexpr TEnumSet(E Value) : FBits(Bit(Value)) {}
  constexpr TEnumSet(std::initializer_list<E> Values) {
    for (E v : Values) FBits |= Bit(v);
  }
  ///@}

  /// True when Value is in the set.
  constexpr bool Contains(E Value) const { return (FBits & Bit(Value)) != 0; }
  /// True when the set holds no value.
  constexpr bool Empty() const { return FBits == 0; }
  /// Adds Value; returns the set.
  constexpr TEnumSet& Include(E Value) {
    FBits |= Bit(Value);
    return *this;
  }
  /// Removes Value; returns the set.
  constexpr TEnumSet& Exclude(E Value) {
    FBits &= ~Bit(Value);
    return *this;
  }
  /// The flags: bit n set when the value of ordinal n is in the set.
  constexpr uint64_t Bits() const { return FBits; }

  /// Union.
  friend constexpr TEnumSet operator|(TEnumSet a, TEnumSet b) {
    return FromBits(a.FBits | b.FBits);
  }
  /// Intersection.
  friend constexpr TEnumSet operator&(TEnumSet a, TEnumSet b) {
    return FromBits(a.FBits & b.FBits);
  }
  ///@{
  /// Set difference.
  friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) {
    return FromBits(a.FBits & ~b.FBits);
  }
  constexpr TEnumSet& operator|=(TEnumSet b) { return *this = *this | b; }
  constexpr TEnumSet& operator&=(TEnumSet b) { return *this = *this & b; }
  friend constexpr bool operator==(TEnumSet a, TEnumSet b) = default;
  ///@}

 private:
  static constexpr uint64_t Bit(E Value) { return uint64_t{1} << static_cast<unsigned>(Value); }
  static constexpr TEnumSet FromBits(uint64_t Bits) {
    TEnumSet s;
    s.FBits = Bits;
    return s;
  }
  uint64_t FBits = 0;
};

}  // namespace zel
