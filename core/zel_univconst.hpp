/// @file
/// Universal constants: limits of the number types, a few mathematical
/// constants and the table of ln(n!).
#pragma once

#include <array>
#include <cstdint>
#include <limits>

namespace zel {

// ---------------------------------------------------------------------------
// Limits
// ---------------------------------------------------------------------------

/// Largest finite double, 1.7976931348623157e308. Start value of minimum
/// searches and the clamp of parsed numbers.
inline constexpr double uc_MaxDouble = std::numeric_limits<double>::max();

/// Smallest positive double: the smallest subnormal, 4.9406564584124654e-324
/// (2^-1074). It serves as "effectively zero" in tolerances such as
/// 0.1*sqrt(uc_MinDouble) ~ 2.2e-163; it is no guard for a division, since
/// 1/uc_MinDouble overflows to infinity (use the smallest normal double,
/// `std::numeric_limits<double>::min()`, for that).
inline constexpr double uc_MinDouble = std::numeric_limits<double>::denorm_min();

/// The "largest extended value" as the library stores it: in a double, so it
/// is the largest finite double, never infinity. Kept distinct from
/// uc_MaxDouble because callers use it where the 80-bit type was meant
/// (extended running sums add its square, which stays finite in long double).
inline constexpr double uc_MaxReal = std::numeric_limits<double>::max();

/// Largest finite float, 3.40282347e38.
inline constexpr float uc_MaxSingle = std::numeric_limits<float>::max();

/// Largest 64-bit signed integer, 9223372036854775807.
inline constexpr int64_t uc_MaxInt64 = std::numeric_limits<int64_t>::max();

// ---------------------------------------------------------------------------
// Mathematical constants, correctly rounded to double
// ---------------------------------------------------------------------------

/// sqrt(2).
inline constexpr double uc_sqrt2 = 1.4142135623730950488;
/// 1/sqrt(2*pi), the peak of the standard normal density.
inline constexpr double uc_sqrt2pitom1 = 0.39894228040143267794;

// ---------------------------------------------------------------------------
// ln(n!)
// ---------------------------------------------------------------------------

/// Highest n of the ln(n!) table.
inline constexpr int32_t uc_LnFactorialMax = 1000;

/// ln(n!) for n = 0..1000, each entry the correctly rounded double (computed
/// once, on first use, as lgammal(n+1) in 80-bit arithmetic, whose error of a
/// few units of the long double's last place is far below half a double ulp;
/// all 1001 entries checked against 200-bit mpmath values). Entries 0 and 1
/// are exactly 0.
/// Index it as uc_LnFactorial[n]; there is no entry beyond 1000.
const std::array<double, uc_LnFactorialMax + 1>& LnFactorialTable();

/// An inline variable is initialised before any later-defined static of a
/// translation unit that includes this header, so other libraries' static
/// initialisers may already read it.
inline const std::array<double, uc_LnFactorialMax + 1>& uc_LnFactorial = LnFactorialTable();

}  // namespace zel
