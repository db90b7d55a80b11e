#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

template <class E, class F>
void ExpectThrowWithMessage(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "expected an exception with \"" << message << "\"";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(Math1Logarithms, ComputeLog10AndLog2AndRejectNonPositive) {
  EXPECT_EQ(lg(1000), 3.0);
  EXPECT_EQ(ld(8), 3.0);
  EXPECT_DOUBLE_EQ(lg(2), 0.30102999566398120);
  ExpectThrowWithMessage<EMathError>([] { lg(0); }, "logarithm: invalid argument");
  ExpectThrowWithMessage<EMathError>([] { ld(-1); }, "logarithm: invalid argument");
  EXPECT_TRUE(std::isnan(lg(kNaN)));
}

TEST(Math1Trigonometry, TangentsRaiseOnlyForAnExactZeroDenominator) {
  EXPECT_NEAR(tg(kPi / 4), 1.0, 1e-15);
  EXPECT_NEAR(cot(kPi / 4), 1.0, 1e-15);
  // cos(pi/2) of the double nearest pi/2 is 6e-17, not 0: no exception.
  EXPECT_GT(tg(kPi / 2), 1e16);
  ExpectThrowWithMessage<EMathError>([] { cot(0); }, "cotangens overflow");
}

TEST(Math1Hyperbolic, KeepFullAccuracyNearZeroAndSaturate) {
  // (e^x - e^-x)/2 would lose all digits here.
  EXPECT_DOUBLE_EQ(zel::sinh(1e-10), 1e-10);
  EXPECT_EQ(zel::cosh(0), 1.0);
  EXPECT_DOUBLE_EQ(tgh(1e-12), 1e-12);
  EXPECT_EQ(tgh(1000), 1.0);
  EXPECT_EQ(tgh(-1000), -1.0);
}

TEST(Math1Factorial, AccumulatesIn80BitsUpTo1000) {
  EXPECT_EQ(Factorial(0), 1.0L);
  EXPECT_EQ(Factorial(1), 1.0L);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);
  // 1000! = 4.0238726007709377354...e2567 (exact decimal expansion). 999
  // roundings of 2^-64 bound the relative error by about 5e-17.
  const long double f = Factorial(1000);
  EXPECT_LT(std::fabs(f / 4.0238726007709377354e2567L - 1), 1e-16L);
  ExpectThrowWithMessage<EZELMath1Error>([] { Factorial(-1); }, "Factorial: negative argument");
  ExpectThrowWithMessage<EZELMath1Error>([] { Factorial(1001); }, "Factorial: argument too big");
}

TEST(Math1ProductConsecInts, MultipliesRangeAndReportsStatus) {
  EXPECT_EQ(ProductConsecInts(5, 3), 60);
  EXPECT_EQ(ProductConsecInts(3, 5), 60);
  EXPECT_EQ(ProductConsecInts(7, 7), 7);
  EXPECT_EQ(ProductConsecInts(0, 9), 0);
  EXPECT_EQ(ProductConsecInts(-2, 3), -2);
  EXPECT_EQ(ProductConsecInts(1, 20), 2432902008176640000LL);
  EXPECT_EQ(ProductConsecInts(1, 21), -1);  // 21! > 2^63 - 1
  EXPECT_EQ(ProductConsecInts(INT32_MAX, INT32_MAX), INT32_MAX);
  EXPECT_EQ(ProductConsecInts(2, INT32_MAX), -1);
}

TEST(Math1Modr, KeepsTheSignOfTheDividend) {
  EXPECT_EQ(modr(7, 3), 1.0);
  EXPECT_EQ(modr(-7, 3), -1.0);
  EXPECT_EQ(modr(7, -3), 1.0);
  EXPECT_EQ(modr(5.5, 2), 1.5);
  EXPECT_TRUE(std::isnan(modr(1, 0)));
}

// A rounded quotient cancels every digit once x/y exceeds 2^64. References:
// the exact remainders of the doubles, computed with Python's fractions.
TEST(Math1Rounding, ModrIsExactForHugeQuotients) {
  struct Case {
    double x, y, expected;
  };
  const Case cases[] = {
      {1e30, 7, 5},
      {-1e30, 7, -5},
      {1e30, -7, 5},
      {1.8960107729418641e40, 3.824535550191546e-4, 0x1.69253641994f8p-13},
      {0x1p60 + 256, 0.1, 0x1.999999999969ap-4},
      {-0x1p-1074, 1, -0x1p-1074},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(modr(c.x, c.y), c.expected) << c.x << " mod " << c.y;
    EXPECT_LT(std::fabs(modr(c.x, c.y)), std::fabs(c.y));
  }
  EXPECT_TRUE(std::signbit(modr(-21, 7)));
  EXPECT_EQ(modr(2.5, std::numeric_limits<double>::infinity()), 2.5);
  EXPECT_TRUE(std::isnan(modr(std::numeric_limits<double>::infinity(), 3)));
}

TEST(Math1Rounding, SignumAndSaturatingCeilFloor) {
  EXPECT_EQ(Signum(-0.5), -1);
  EXPECT_EQ(Signum(0.0), 1);
  EXPECT_EQ(Signum(-0.0), 1);
  EXPECT_EQ(IntPos(1.2), 2);
  EXPECT_EQ(IntNeg(1.2), 1);
  EXPECT_EQ(IntPos(-1.2), -1);
  EXPECT_EQ(IntNeg(-1.2), -2);
  EXPECT_EQ(IntPos(3.0), 3);
  EXPECT_EQ(IntNeg(3.0), 3);
  EXPECT_EQ(IntPos(1e300), INT32_MAX);
  EXPECT_EQ(IntNeg(-1e300), INT32_MIN);
  EXPECT_EQ(IntPos(kNaN), 0);
  EXPECT_EQ(IntNeg(-kInf), INT32_MIN);
}

TEST(Math1RoundLimit, RoundsHalvesToEvenAndClampsBeforeConverting) {
  EXPECT_EQ(RoundLimit(2.5, 0, 10), 2);
  EXPECT_EQ(RoundLimit(3.5, 0, 10), 4);
  EXPECT_EQ(RoundLimit(7.6, 0, 5), 5);
  EXPECT_EQ(RoundLimit(-7.6, 0, 5), 0);
  EXPECT_EQ(RoundLimit(1e300, -5, 5), 5);
  EXPECT_EQ(RoundLimit(-kInf, -5, 5), -5);
  EXPECT_EQ(RoundLimit(kNaN, -5, 5), -5);
  EXPECT_EQ(RoundLimit(9.3e18, INT64_MIN, INT64_MAX), INT64_MAX);
  EXPECT_EQ(RoundLimit(-9.3e18, INT64_MIN, INT64_MAX), INT64_MIN);
}

TEST(Math1Ladder125, MatchesTheDocumentedExamples) {
  EXPECT_EQ(Round125(0.0034), 0.005);
  EXPECT_EQ(Round125(140), 100.0);
  EXPECT_EQ(RoundPos125(140), 200.0);
  EXPECT_EQ(RoundNeg125(140), 100.0);
  EXPECT_EQ(RoundNeg125(-140), -200.0);
  EXPECT_EQ(RoundPos125(-140), -100.0);
  EXPECT_EQ(Round125(-140), -100.0);
  EXPECT_EQ(RoundNeg125(0.0034), 0.002);
  EXPECT_EQ(Round125(1.49), 1.0);
  EXPECT_EQ(Round125(1.5), 2.0);
  EXPECT_EQ(Round125(7.9), 5.0);
  EXPECT_EQ(Round125(8), 10.0);
  EXPECT_EQ(Round125(0), 0.0);
  EXPECT_TRUE(std::isnan(Round125(kNaN)));
  EXPECT_EQ(RoundPos125(kInf), kInf);
}

// Values already on the ladder carried log10 noise in the mantissa and moved
// one rung (RoundPos125(200) was 500, RoundNeg125(0.2) was 0.1).
TEST(Math1Ladder125, LeavesValuesOnTheLadderInPlace) {
  EXPECT_EQ(RoundPos125(200), 200.0);
  EXPECT_EQ(RoundPos125(20), 20.0);
  EXPECT_EQ(RoundPos125(2000), 2000.0);
  EXPECT_EQ(RoundPos125(50), 50.0);
  EXPECT_EQ(RoundPos125(5000), 5000.0);
  EXPECT_EQ(RoundNeg125(0.2), 0.2);
  EXPECT_EQ(RoundNeg125(0.02), 0.02);
  EXPECT_EQ(RoundNeg125(2e-5), 2e-5);
  EXPECT_EQ(RoundNeg125(5e-7), 5e-7);
  // Negative results above 1 in magnitude are cleaned as well.
  EXPECT_EQ(RoundPos125(-200), -200.0);
  EXPECT_EQ(RoundNeg125(-5000), -5000.0);

  // Every rung of the normal double range, bit for bit.
  for (int g = -307; g <= 308; ++g) {
    for (const int rung : {1, 2, 5}) {
      char text[32];
      std::snprintf(text, sizeof text, "%de%d", rung, g);
      const double x = std::strtod(text, nullptr);  // the double nearest rung*10^g
      if (std::isinf(x)) continue;
      for (const double v : {x, -x}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Round125(v), v);
        EXPECT_EQ(RoundPos125(v), v);
        EXPECT_EQ(RoundNeg125(v), v);
      }
    }
  }
}

// Rungs formed in long double and then stored in a double were rounded twice
// and came out one unit in the last place off.
TEST(Math1Ladder125, RoundsOntoTheNearestDoubleOfTheRung) {
  struct Case {
    double (*ladder)(double);
    double x, expected;
  };
  const Case cases[] = {
      {Round125, 5e125, 5e125},        {Round125, 1e126, 1e126},
      {Round125, 2e126, 2e126},        {Round125, 4.2e125, 5e125},
      {Round125, 8.5e125, 1e126},      {Round125, 2.6e126, 2e126},
      {RoundPos125, 4.2e125, 5e125},   {RoundPos125, 6e125, 1e126},
      {RoundPos125, 1.1e126, 2e126},   {RoundNeg125, 9e125, 5e125},
      {RoundNeg125, 1.9e126, 1e126},   {RoundNeg125, 4e126, 2e126},
      {RoundNeg125, -4.2e125, -5e125}, {RoundPos125, -1.9e126, -1e126},
      {Round125, 9e307, 1e308},        {Round125, 3e-300, 5e-300},
  };
  for (const Case& c : cases) EXPECT_EQ(c.ladder(c.x), c.expected) << c.x;
  EXPECT_EQ(Round125(1.7e308), std::numeric_limits<double>::infinity());
}

TEST(Math1Ladder125, RoundsOffLadderValuesInTheStatedDirection) {
  for (int g = -20; g <= 20; ++g) {
    const double p = std::pow(10.0, g);
    for (const double m : {1.1, 2.7, 4.9, 5.1, 9.9}) {
      const double x = m * p;
      const double up = RoundPos125(x);
      const double down = RoundNeg125(x);
      EXPECT_GT(up, x) << x;
      EXPECT_LT(down, x) << x;
      EXPECT_EQ(RoundPos125(-x), -down) << x;
      EXPECT_EQ(RoundNeg125(-x), -up) << x;
      // Neighbouring rungs: up/down is at most 2.5 (2 -> 5) and at least 2.
      EXPECT_LE(up / down, 2.5 + 1e-12) << x;
      EXPECT_GE(up / down, 2.0 - 1e-12) << x;
    }
  }
}

// Reference: limit*tanh(slope*(x - centre)/limit) with std::tanh. Both are
// within about one ulp, so a relative 1e-15 (plus a tiny absolute floor at
// zero) is ample; a sign slip, a factor 2 or a wrong saturation fails it.
TEST(Math1Squash, MatchesTheTanhFormula) {
  for (const double limit : {0.5, 1.0, 3.0, -2.0}) {
    for (const double slope : {0.01, 1.0, 7.0, -3.0}) {
      for (double x = -20; x <= 20; x += 0.37) {
        const double centre = 1.25;
        const double expected = limit * std::tanh(slope * (x - centre) / limit);
        const double got = Squash(x, centre, slope, limit);
        EXPECT_NEAR(got, expected, 1e-15 * std::fabs(expected) + 1e-300)
            << "x=" << x << " slope=" << slope << " limit=" << limit;
      }
    }
  }
  // Near the centre the expm1 form keeps its relative accuracy.
  EXPECT_NEAR(Squash(1e-12, 0, 1, 1), 1e-12, 1e-27);
  EXPECT_EQ(Squash(3, 3, 2, 5), 0.0);
}

TEST(Math1Squash, SaturatesExactlyAndHandlesZeroLimit) {
  // e = -2*slope/limit*(x - centre) reaches +-200 here.
  EXPECT_EQ(Squash(100, 0, 1, 1), 1.0);
  EXPECT_EQ(Squash(-100, 0, 1, 1), -1.0);
  EXPECT_EQ(Squash(1e300, 0, 1, 2), 2.0);
  EXPECT_EQ(Squash(-1e300, 0, 1, 2), -2.0);
  EXPECT_EQ(Squash(5, 5, 1, 0), 0.0);  // 0 * infinity
  EXPECT_EQ(Squash(7, 5, 1, 0), 0.0);
}

TEST(Math1CanonicalAngle, DegreesKeepTheEndFromTheInputSign) {
  EXPECT_EQ(CanonicalAngleDegrees(540), 180.0);
  EXPECT_EQ(CanonicalAngleDegrees(-540), -180.0);
  EXPECT_EQ(CanonicalAngleDegrees(-190), 170.0);
  EXPECT_EQ(CanonicalAngleDegrees(190), -170.0);
  EXPECT_EQ(CanonicalAngleDegrees(180), 180.0);
  EXPECT_EQ(CanonicalAngleDegrees(-180), -180.0);
  EXPECT_EQ(CanonicalAngleDegrees(360), 0.0);
  EXPECT_EQ(CanonicalAngleDegrees(720), 0.0);
  EXPECT_EQ(CanonicalAngleDegrees(1000), -80.0);
}

TEST(Math1CanonicalAngle, RadiansReduceIntoMinusPiToPi) {
  for (double a = -50; a <= 50; a += 0.77) {
    const double c = CanonicalAngleRadians(a);
    EXPECT_LE(std::fabs(c), kPi + 1e-15) << a;
    EXPECT_NEAR(c, std::remainder(a, 2 * kPi), 1e-13) << a;
  }
  EXPECT_EQ(CanonicalAngleRadians(kPi), kPi);
  EXPECT_EQ(CanonicalAngleRadians(-kPi), -kPi);
}

TEST(Math1AngleToXAxis, CoversAllQuadrantsAndTheAxes) {
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 0), 1.5 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, 0), kPi);
  EXPECT_EQ(AngleToXAxis(1, 0), 0.0);
  EXPECT_FALSE(std::signbit(AngleToXAxis(1, -0.0)));
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 1), kPi / 2);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, -1), 1.5 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(1, 1), kPi / 4);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, 1), 0.75 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, -1), 1.25 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(1, -1), 1.75 * kPi);
}

}  // namespace
}  // namespace zel
