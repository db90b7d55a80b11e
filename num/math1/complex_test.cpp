#include "num/math1/zel_complex.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace zel {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Restores the process-wide threshold whatever a test does to it.
class ComplexThreshold : public ::testing::Test {
 protected:
  void TearDown() override { CpxNearZero = 1e-15L; }
};

TEST(ComplexArithmetic, FollowsTheTextbookFormulas) {
  const TComplex a = Cpx(3, -2), b = Cpx(-1.5L, 4);
  const TComplex p = CpxMult(a, b);
  EXPECT_EQ(p.re, 3 * -1.5L - (-2) * 4);
  EXPECT_EQ(p.im, 3 * 4 + (-2) * -1.5L);
  const TComplex q = CpxDiv(p, b);  // exact for these small values
  EXPECT_NEAR(static_cast<double>(q.re), 3, 1e-18);
  EXPECT_NEAR(static_cast<double>(q.im), -2, 1e-18);
  const TComplex h = CpxDiv(Cpx(1, 1), Cpx(0, 2));
  EXPECT_EQ(h.re, 0.5L);
  EXPECT_EQ(h.im, -0.5L);
  EXPECT_TRUE(CpxIsEqual(CpxAdd(a, CpxNeg(a)), Cpx(0, 0)));
  EXPECT_TRUE(CpxIsEqual(CpxSub(a, b), Cpx(4.5L, -6)));
  EXPECT_TRUE(CpxIsEqual(CpxConj(a), Cpx(3, 2)));
  EXPECT_EQ(CpxAbsSqr(Cpx(3, 4)), 25);
  EXPECT_EQ(CpxAbs(Cpx(3, 4)), 5);
}

TEST(ComplexArithmetic, MagnitudeDoesNotOverflowEarly) {
  const long double big = std::numeric_limits<long double>::max() / 4;
  EXPECT_TRUE(std::isfinite(CpxAbs(Cpx(big, big))));
}

TEST(ComplexDivision, RaisesWhereATrappingDivisionWould) {
  try {
    CpxDiv(Cpx(1, 0), Cpx(0, 0));
    FAIL() << "division by (0, 0) must raise";
  } catch (const EZELComplexError& e) {
    EXPECT_STREQ(e.what(), "CpxDiv: division by zero");
  }
  // The divisor's squared magnitude underflows to 0.
  EXPECT_THROW(CpxDiv(Cpx(1, 0), Cpx(1e-3000L, 0)), EZELComplexError);
  // The divisor's squared magnitude overflows.
  EXPECT_THROW(CpxDiv(Cpx(1, 0), Cpx(1e3000L, 0)), EZELComplexError);
  // A catch-all for library errors catches it too.
  EXPECT_THROW(CpxDiv(Cpx(0, 0), Cpx(-0.0L, 0)), EZELError);
  // Non-finite operands propagate without raising.
  const TComplex n = CpxDiv(Cpx(std::numeric_limits<long double>::quiet_NaN(), 0), Cpx(2, 0));
  EXPECT_TRUE(std::isnan(n.re));
}

TEST_F(ComplexThreshold, ZeroAndNearEqualityUseTheStrictThreshold) {
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 2), Cpx(1, 2)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(0, 0), Cpx(1e-16L, -1e-16L)));
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(1e-14L, 0)));
  EXPECT_TRUE(CpxIsZero(Cpx(1e-16L, 0)));
  EXPECT_FALSE(CpxIsZero(Cpx(1e-14L, 0)));
  EXPECT_FALSE(CpxIsZero(Cpx(0, 1e-15L)));  // equal to the threshold is not below it
  CpxNearZero = 0;
  EXPECT_FALSE(CpxIsNearEqual(Cpx(1, 2), Cpx(1, 2)));
  EXPECT_TRUE(CpxIsEqual(Cpx(1, 2), Cpx(1, 2)));
}

TEST_F(ComplexThreshold, ExactZeroPartsAreZeroWhateverTheThreshold) {
  constexpr long double kNaNL = std::numeric_limits<long double>::quiet_NaN();
  for (const long double threshold : {1e-15L, 0.0L, -1.0L}) {
    CpxNearZero = threshold;
    EXPECT_TRUE(CpxIsZero(Cpx(0, 0))) << threshold;
    EXPECT_TRUE(CpxIsZero(Cpx(-0.0L, -0.0L))) << threshold;
    EXPECT_FALSE(CpxIsZero(Cpx(kNaNL, 0))) << threshold;
  }
  CpxNearZero = 0;
  EXPECT_FALSE(CpxIsZero(Cpx(1e-4000L, 0)));
}

TEST(ComplexPolar, ConvertsBothWays) {
  TComplexPolar p = ConvertRectToPolar(Cpx(-1, 0));
  EXPECT_EQ(p.r, 1);
  EXPECT_EQ(p.phi, kPi);
  p = ConvertRectToPolar(Cpx(-1, -0.0L));
  EXPECT_EQ(p.phi, -kPi);
  p = ConvertRectToPolar(Cpx(0, 0));
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.phi, 0);
  const TComplex z = Cpx(-2.5L, 7.25L);
  const TComplex back = ConvertPolarToRect(ConvertRectToPolar(z));
  EXPECT_NEAR(static_cast<double>(back.re), -2.5, 1e-17);
  EXPECT_NEAR(static_cast<double>(back.im), 7.25, 1e-17);
}

}  // namespace
}  // namespace zel
