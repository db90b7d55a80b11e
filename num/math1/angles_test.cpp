#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

const std::string kDeg = "\xC2\xB0";  // U+00B0 in UTF-8
constexpr auto dfDeg = TDegreeFormat::dfDeg;
constexpr auto dfDegMin = TDegreeFormat::dfDegMin;
constexpr auto dfDegMinSec = TDegreeFormat::dfDegMinSec;
constexpr auto dfPlain = TDegreeFormat::dfPlain;

TEST(DegreeToStr, WritesTheSignsAndExactBlanks) {
  struct Case {
    double angle;
    TDegreeFormat format;
    int32_t decimals;
    std::string text;
  } cases[] = {
      {12.5, dfDeg, 2, "12.50" + kDeg},
      {1, dfDeg, 20, "1.00000000" + kDeg},  // decimals clamped to 8
      {12.5, dfPlain, 1, "12.5"},
      {12.5, static_cast<TDegreeFormat>(9), 1, "12.5"},
      {12.5, dfDegMin, 2, "12" + kDeg + " 30.00'"},
      {12.1, dfDegMin, 2, "12" + kDeg + "  6.00'"},
      {-10.5, dfDegMin, 0, "-10" + kDeg + "  30'"},
      {-0.25, dfDegMin, 0, "-0" + kDeg + "  15'"},
      {-1e-9, dfDegMin, 2, "0" + kDeg + "  0.00'"},  // rounds to zero: no sign
      {-0.5, dfDegMinSec, 0, "-0" + kDeg + " 30'   0\""},
      {-10.5, dfDegMinSec, 1, "-10" + kDeg + " 30'  0.0\""},
      {1 + 2 / 60.0 + 3.25 / 3600, dfDegMinSec, 2, "1" + kDeg + "  2'  3.25\""},
      // Carries of the rounded minutes and seconds.
      {10.999999, dfDegMinSec, 0, "11" + kDeg + "  0'   0\""},
      {-10.999999, dfDegMinSec, 0, "-11" + kDeg + "  0'   0\""},
      {10.9999999, dfDegMin, 2, "11" + kDeg + "  0.00'"},
      {5 + 59.99999 / 3600, dfDegMinSec, 2, "5" + kDeg + "  1'  0.00\""},
      // 82.5 minutes exactly: halves away from zero (to even would give 22).
      {1.375, dfDegMin, 0, "1" + kDeg + "  23'"},
      {-1.375, dfDegMin, 0, "-1" + kDeg + "  23'"},
      // Degrees beyond int32 stay exact.
      {3e9, dfDegMin, 0, "3000000000" + kDeg + "   0'"},
      {std::nan(""), dfDegMin, 2, "NAN" + kDeg},
      {-HUGE_VAL, dfDegMinSec, 2, "-INF" + kDeg},
      {HUGE_VAL, dfPlain, 2, "INF"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DegreeToStr(c.angle, c.format, c.decimals), c.text) << c.angle;
  // The scaled value overflows: written without the rounding step.
  const std::string huge = DegreeToStr(-1e306, dfDegMinSec, 2);
  EXPECT_EQ(huge.substr(0, 2), "-1");
  EXPECT_EQ(huge.substr(308), kDeg + "  0'  0.00\"");
}

struct Dms {
  double d, m, s;
};

Dms Convert(Dms a, TDegreeFormat from, TDegreeFormat to) {
  ConvertDegrees(a.d, a.m, a.s, from, to);
  return a;
}

TEST(ConvertDegrees, KeepsTheSignOnTheDegrees) {
  Dms r = Convert({-10.5, 0, 0}, dfDeg, dfDegMin);
  EXPECT_EQ(r.d, -10);
  EXPECT_EQ(r.m, 30);
  EXPECT_EQ(Convert(r, dfDegMin, dfDeg).d, -10.5);
  r = Convert({-0.5, 0, 0}, dfDeg, dfDegMin);
  EXPECT_TRUE(r.d == 0 && std::signbit(r.d));
  EXPECT_EQ(Convert(r, dfDegMin, dfDeg).d, -0.5);
  r = Convert({-0.25, 0, 0}, dfDeg, dfDegMinSec);
  EXPECT_TRUE(r.d == 0 && std::signbit(r.d));
  EXPECT_EQ(r.m, 15);
  EXPECT_EQ(Convert(r, dfDegMinSec, dfDeg).d, -0.25);
  EXPECT_DOUBLE_EQ(Convert({-12, 30, 36}, dfDegMinSec, dfDeg).d, -12.51);
}

TEST(ConvertDegrees, RoundTripsRandomAngles) {
  std::mt19937_64 gen(20240229);
  std::uniform_real_distribution<double> angle(-400, 400);
  for (int k = 0; k < 2000; ++k) {
    const double a = angle(gen);
    const Dms dm = Convert({a, 0, 0}, dfDeg, dfDegMin);
    ASSERT_TRUE(dm.m >= 0 && dm.m < 60);
    EXPECT_NEAR(Convert(dm, dfDegMin, dfDeg).d, a, 1e-12) << a;
    const Dms dms = Convert({a, 0, 0}, dfDeg, dfDegMinSec);
    ASSERT_TRUE(dms.m == std::trunc(dms.m) && dms.s < 60);
    EXPECT_NEAR(Convert(dms, dfDegMinSec, dfDeg).d, a, 1e-12) << a;
    const Dms back = Convert(Convert(dms, dfDegMinSec, dfDegMin), dfDegMin, dfDegMinSec);
    EXPECT_EQ(back.m, dms.m);
    EXPECT_NEAR(back.s, dms.s, 1e-9);
  }
}

TEST(ConvertDegrees, FollowsEachPairOfLayouts) {
  auto same = [](Dms a, Dms b) { return a.d == b.d && a.m == b.m && a.s == b.s; };
  EXPECT_TRUE(same(Convert({5, 30.5, 0}, dfDegMin, dfDegMinSec), {5, 30, 30}));
  EXPECT_TRUE(same(Convert({5, 30, 30}, dfDegMinSec, dfDegMin), {5, 30.5, 0}));
  EXPECT_TRUE(same(Convert({5, 30, 12}, dfDegMin, dfDegMin), {5, 30, 0}));
  EXPECT_TRUE(same(Convert({5.5, 7, 8}, dfDeg, dfDeg), {5.5, 0, 0}));
  EXPECT_TRUE(same(Convert({5.5, 7, 8}, dfDegMinSec, dfDegMinSec), {5.5, 7, 8}));
  EXPECT_TRUE(same(Convert({5.5, 7, 8}, dfPlain, dfDegMin), {5.5, 7, 8}));
  EXPECT_TRUE(same(Convert({5.5, 7, 8}, dfDeg, dfPlain), {5.5, 7, 8}));
  // Only whole minutes count from degrees-minutes-seconds.
  EXPECT_DOUBLE_EQ(Convert({5, 30.7, 30}, dfDegMinSec, dfDeg).d, 5 + 30 / 60.0 + 30 / 3600.0);
}

TEST(ConvertDegrees, RejectsMinutesAndSecondsOutOfRangeAndChangesNothing) {
  auto outcome = [](Dms a, TDegreeFormat from) -> std::string {
    const Dms before = a;
    try {
      ConvertDegrees(a.d, a.m, a.s, from, dfDeg);
    } catch (const EZELMath1Error& e) {
      EXPECT_EQ(std::memcmp(&a, &before, sizeof a), 0);
      return e.what();
    }
    return "accepted";
  };
  const std::string minutes = "ConvertDegrees: invalid range of minutes";
  const std::string seconds = "ConvertDegrees: invalid range of seconds";
  EXPECT_EQ(outcome({1, 60, 60}, dfDegMinSec), "accepted");
  EXPECT_EQ(outcome({1, -0.0001, 0}, dfDegMin), minutes);
  EXPECT_EQ(outcome({1, 60.0001, 0}, dfDegMin), minutes);
  EXPECT_EQ(outcome({1, std::nan(""), 0}, dfDegMin), minutes);
  EXPECT_EQ(outcome({1, 0, 61}, dfDegMinSec), seconds);
  EXPECT_EQ(outcome({1, 0, std::nan("")}, dfDegMinSec), seconds);
  EXPECT_EQ(outcome({1, 99, 99}, dfDegMinSec), minutes);  // minutes first
  EXPECT_EQ(outcome({1, 70, 0}, dfDeg), minutes);  // checked although decimal degrees ignore them
}

TEST(RoundDegrees, MovesToTheNeighbouringStep) {
  struct Case {
    int32_t d, m, s;
    bool up;
    int32_t rd, rm, rs;
  } cases[] = {
      {7, 0, 0, true, 10, 0, 0},     {7, 0, 0, false, 5, 0, 0},    {1, 30, 0, false, 1, 0, 0},
      {1, 30, 0, true, 2, 0, 0},     {89, 59, 59, true, 90, 0, 0}, {400, 0, 0, true, 360, 0, 0},
      {400, 0, 0, false, 360, 0, 0}, {0, 0, 45, true, 0, 1, 0},    {0, 0, 45, false, 0, 0, 30},
      {0, 0, 31, true, 0, 1, 0},     {0, 40, 0, true, 1, 0, 0},    {0, 40, 0, false, 0, 30, 0},
      {0, 4, 30, false, 0, 3, 0},    {0, 4, 30, true, 0, 5, 0},    {0, 75, 0, true, 1, 0, 0},
      {0, 0, 99, false, 0, 0, 30},   {5, -1, 0, true, 0, 0, 0},    {-5, 10, 10, false, 0, 0, 0},
      {0, 0, 0, true, 0, 0, 0},
  };
  for (const Case& c : cases) {
    int32_t d = c.d, m = c.m, s = c.s;
    RoundDegrees(d, m, s, c.up);
    EXPECT_TRUE(d == c.rd && m == c.rm && s == c.rs)
        << c.d << " " << c.m << " " << c.s << (c.up ? " up" : " down") << " gave " << d << " " << m
        << " " << s;
  }
  // A whole step stays where it is both ways: no residue from a detour
  // through fractions of a degree.
  for (int32_t step : {1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360}) {
    for (bool up : {false, true}) {
      int32_t d = step, m = 0, s = 0;
      RoundDegrees(d, m, s, up);
      EXPECT_EQ(d, step);
      if (step > 30) continue;
      d = 0, m = step;
      RoundDegrees(d, m, s, up);
      EXPECT_EQ(m, step);
      m = 0, s = step;
      RoundDegrees(d, m, s, up);
      EXPECT_EQ(s, step);
    }
  }
}

}  // namespace
}  // namespace zel
