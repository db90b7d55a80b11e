// Elementary and rounding functions.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/zel_stringl.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kTwoPi = 2 * kPi;

// Powers of ten that are exact in a double: dividing a small integer by one
// of them gives the correctly rounded decimal fraction (5/1000 == 0.005).
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPow10 = 22;
// 10^k is exact in the 64-bit mantissa of long double up to this k.
constexpr int kMaxExactPow10Long = 27;

long double Pow10Long(int k) {
  if (k >= 0 && k <= kMaxExactPow10Long) {
    long double p = 1;
    for (int i = 0; i < k; ++i) p *= 10;
    return p;
  }
  return std::pow(10.0L, static_cast<long double>(k));
}

// The double nearest to rung*10^g. A product formed in long double and
// then stored in a double is rounded twice and can land one unit in the last
// place off (5e125, 1e126, 2e126); the decimal reader rounds once. Beyond the
// double range: infinity; below its smallest subnormal: 0.
double RungTimesPow10(int rung, int g) {
  if (rung == 10) {
    rung = 1;
    ++g;
  }
  if (g >= 0 && g <= kMaxExactPow10) return rung * kExactPow10[g];
  if (g < 0 && -g <= kMaxExactPow10) return rung / kExactPow10[-g];
  char text[16];
  char* end = std::to_chars(text, text + sizeof text, rung).ptr;
  *end++ = 'e';
  end = std::to_chars(end, text + sizeof text, g).ptr;
  double value = 0;
  FloatFromChars(text, end, value);
  return value;
}

enum class LadderMode { Nearest, Up, Down };

long double SmallestRungAtLeast(long double m) {
  if (m <= 1) return 1;
  if (m <= 2) return 2;
  if (m <= 5) return 5;
  return 10;
}

long double LargestRungAtMost(long double m) {
  if (m >= 10) return 10;
  if (m >= 5) return 5;
  if (m >= 2) return 2;
  return 1;
}

double Ladder125(double x, LadderMode mode) {
  if (x == 0) return 0;
  if (!std::isfinite(x)) return x;
  const long double ax = std::fabs(static_cast<long double>(x));
  long double e = std::log10(ax);
  const long double en = Round(e);
  if (std::fabs(e - en) < 1e-14L) e = en;
  const int g = static_cast<int>(std::floor(e));  // |g| <= 324 for doubles
  // m from |x| itself rather than 10^(e - g): the latter carries the rounding
  // noise of the logarithm and can push a value on the ladder one rung up.
  long double m = g >= 0 ? ax / Pow10Long(g) : ax * Pow10Long(-g);
  for (const long double rung : {1.0L, 2.0L, 5.0L, 10.0L}) {
    if (std::fabs(m - rung) <= 1e-12L * rung) {
      m = rung;
      break;
    }
  }
  long double rung = 1;
  const bool positive = x > 0;
  switch (mode) {
    case LadderMode::Nearest: rung = m < 1.5L ? 1 : m < 3 ? 2 : m < 8 ? 5 : 10; break;
    case LadderMode::Up: rung = positive ? SmallestRungAtLeast(m) : LargestRungAtMost(m); break;
    case LadderMode::Down: rung = positive ? LargestRungAtMost(m) : SmallestRungAtLeast(m); break;
  }
  const double magnitude = RungTimesPow10(static_cast<int>(rung), g);
  return positive ? magnitude : -magnitude;
}

}  // namespace

double lg(double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return std::log10(x);
}

double ld(double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return std::log2(x);
}

double sinh(double x) { return std::sinh(x); }
double cosh(double x) { return std::cosh(x); }
double tgh(double x) { return std::tanh(x); }

double tg(double x) {
  if (std::cos(x) == 0) throw EMathError("tangens overflow");
  return std::tan(x);
}

double cot(double x) {
  const double s = std::sin(x);
  if (s == 0) throw EMathError("cotangens overflow");
  return std::cos(x) / s;
}

long double Factorial(int32_t n) {
  if (n < 0) throw EZELMath1Error("Factorial: negative argument");
  if (n > 1000) throw EZELMath1Error("Factorial: argument too big");
  long double p = 1;
  for (int32_t i = 2; i <= n; ++i) p *= i;
  return p;
}

int64_t ProductConsecInts(int32_t a, int32_t b) {
  const int64_t lo = std::min(a, b);
  const int64_t hi = std::max(a, b);
  if (lo == 0) return 0;
  if (lo < 0) return -2;
  // p < INT64_MAX div hi guarantees that p*i (i <= hi) cannot overflow.
  const int64_t limit = std::numeric_limits<int64_t>::max() / hi;
  int64_t p = 1;
  int64_t i = lo;
  while (i <= hi && p < limit) {
    p *= i;
    ++i;
  }
  return i <= hi ? -1 : p;
}

double modr(double x, double y) {
  // fmod is exact: x - y*Int(x/y) formed from a rounded quotient cancels
  // once x/y has more digits than the mantissa holds.
  if (y == 0) return std::numeric_limits<double>::quiet_NaN();
  return std::fmod(x, y);
}

int32_t Signum(double x) { return x < 0 ? -1 : 1; }

int32_t IntPos(double x) { return SaturateToInt32(std::ceil(static_cast<long double>(x))); }
int32_t IntNeg(double x) { return SaturateToInt32(std::floor(static_cast<long double>(x))); }

double Round125(double x) { return Ladder125(x, LadderMode::Nearest); }
double RoundPos125(double x) { return Ladder125(x, LadderMode::Up); }
double RoundNeg125(double x) { return Ladder125(x, LadderMode::Down); }

int64_t RoundLimit(double x, int64_t low, int64_t high) {
  // Compared in long double, where every int64 is exact, before converting.
  const long double r = Round(static_cast<long double>(x));
  if (!(r >= static_cast<long double>(low))) return low;
  if (r > static_cast<long double>(high)) return high;
  return static_cast<int64_t>(r);
}

double Squash(double x, double centre, double slope, double limit) {
  if (limit == 0) return 0;
  const long double e =
      -2.0L * slope / limit * (static_cast<long double>(x) - static_cast<long double>(centre));
  if (std::fabs(e) >= 200) return e <= 0 ? limit : -limit;
  // 2/(E + 1) - 1 == -(E - 1)/((E - 1) + 2): expm1 keeps full relative
  // accuracy near x = centre, where the direct form cancels.
  const long double em = std::expm1(e);
  return static_cast<double>(limit * (-em / (em + 2)));
}

double CanonicalAngleRadians(double angle) {
  long double a = angle;
  if (a > kTwoPi) {
    a = Frac(a / kTwoPi) * kTwoPi;
  } else if (a < -kTwoPi) {
    a = Frac(a / -kTwoPi) * -kTwoPi;
  }
  if (a > kPi) {
    a -= kTwoPi;
  } else if (a < -kPi) {
    a += kTwoPi;
  }
  return static_cast<double>(a);
}

double CanonicalAngleDegrees(double angle) {
  long double a = angle;
  if (a > 360) {
    a = Frac(a / 360) * 360;
  } else if (a < -360) {
    a = Frac(a / -360) * -360;
  }
  if (a > 180) {
    a -= 360;
  } else if (a < -180) {
    a += 360;
  }
  return static_cast<double>(a);
}

double AngleToXAxis(double dx, double dy) {
  long double a;
  if (dx != 0) {
    a = std::atan(static_cast<long double>(dy) / dx);
    if (dx < 0) a += kPi;
  } else {
    a = dy > 0 ? kPi / 2 : 3 * kPi / 2;
  }
  if (a < 0) {
    a += kTwoPi;
  } else if (a > kTwoPi) {
    a -= kTwoPi;
  }
  return static_cast<double>(a + 0.0L);  // atan(-0) must not leave -0
}

}  // namespace zel
