#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/regression_test_impl.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using regression_test::Scaled;
using regression_test::Values;

// Knots, values and weights of testdata/regression_reference.py.
const std::vector<double> kX{0.0, 0.4, 1.1, 1.5, 2.3, 3.0, 3.2, 4.1, 4.8, 5.5};
const std::vector<double> kY{0.209, 0.46,   0.979,  1.056,  0.801,
                             0.227, -0.229, -0.851, -0.947, -0.916};
const std::vector<double> kW{1.0, 2.0, 1.0, 0.5, 1.0, 1.0, 3.0, 1.0, 1.0, 2.0};

TEST(PenalizedCubicSpline, MatchesScipySmoothingSpline) {
  // scipy.interpolate.make_smoothing_spline(x, y, w, lam): fitted values,
  // second derivatives at the knots, values at 0.7 and 3.6.
  struct Case {
    double lambda;
    std::vector<double> fitted, second, inside;
  };
  const Case cases[] = {
      {0.05,
       {0.2064812065698663, 0.4933690289750187, 0.9288162266338409, 1.0232432864805343,
        0.7463067962013242, 0.0649982736845886, -0.1564212006972347, -0.8190663082281446,
        -0.9550957393640119, -0.9272682772980317},
       {0.0, 0.020150347441069805, -0.8789193558375787, -0.9912032850675305, -0.9537174353717148,
        -0.1552124637064114, 0.7209387191738941, 0.7443638797859367, 0.31551176434488504, 0.0},
       {0.7044679415045824, -0.5241518873985714}},
      {2.0,
       {0.5398838347154719, 0.5728402461821755, 0.5922156964174615, 0.5540580975705547,
        0.341451495705488, 0.03005742114451696, -0.06942412537649115, -0.5032889735511489,
        -0.7899345320295632, -1.0389110537111932},
       {0.0, -0.06617676694309438, -0.26097428142103163, -0.2949302861204882, -0.2624539150335141,
        -0.07319511382933208, 0.0005730872574112311, 0.11710256140601705, 0.08603773759783495, 0.0},
       {0.5906802598561105, -0.26792093389812427}},
  };
  auto x = MakeVector(kX);
  auto y = MakeVector(kY);
  auto w = MakeVector(kW);
  for (const auto& c : cases) {
    TVector g(nullptr), gam(nullptr);
    ASSERT_EQ(PenalizedCubicSpline(x.get(), y.get(), w.get(), c.lambda, &g, &gam), kRegOk);
    for (size_t i = 0; i < kX.size(); ++i) {
      EXPECT_NEAR(g.GetVal(static_cast<int32_t>(i + 1)), c.fitted[i], 1e-12) << i;
      EXPECT_NEAR(gam.GetVal(static_cast<int32_t>(i + 1)), c.second[i], 1e-11) << i;
    }
    EXPECT_NEAR(SplineValue(x.get(), &g, &gam, 0.7), c.inside[0], 1e-12);
    EXPECT_NEAR(SplineValue(x.get(), &g, &gam, 3.6), c.inside[1], 1e-12);
    // Beyond the ends the natural spline is straight and joins smoothly.
    const double a = SplineValue(x.get(), &g, &gam, -1.0), b = SplineValue(x.get(), &g, &gam, -2.0);
    const double e = 1e-6, g0 = g.GetVal(1);
    const double inner = (SplineValue(x.get(), &g, &gam, e) - g0) / e;
    EXPECT_NEAR(a - b, g0 - a, 1e-12);
    EXPECT_NEAR(g0 - a, inner, 1e-5);
    EXPECT_NEAR(SplineValue(x.get(), &g, &gam, 6.5) - SplineValue(x.get(), &g, &gam, 6.0),
                SplineValue(x.get(), &g, &gam, 6.0) - SplineValue(x.get(), &g, &gam, 5.5), 1e-12);
  }
}

TEST(PenalizedCubicSpline, LimitsOfTheSmoothingParameter) {
  auto x = MakeVector(kX);
  auto y = MakeVector(kY);
  auto w = MakeVector(kW);
  TVector g(nullptr), gam(nullptr);
  // Lambda 0 interpolates.
  ASSERT_EQ(PenalizedCubicSpline(x.get(), y.get(), nullptr, 0.0, &g, &gam), kRegOk);
  for (size_t i = 0; i < kX.size(); ++i)
    EXPECT_NEAR(g.GetVal(static_cast<int32_t>(i + 1)), kY[i], 1e-15);
  // A huge lambda gives the weighted least-squares line.
  ASSERT_EQ(PenalizedCubicSpline(x.get(), y.get(), w.get(), 1e12, &g, nullptr), kRegOk);
  long double sw = 0, sx = 0, sy = 0;
  for (size_t i = 0; i < kX.size(); ++i) sw += kW[i], sx += kW[i] * kX[i], sy += kW[i] * kY[i];
  const long double mx = sx / sw, my = sy / sw;
  long double sxy = 0, sxx = 0;
  for (size_t i = 0; i < kX.size(); ++i)
    sxy += kW[i] * (kX[i] - mx) * (kY[i] - my), sxx += kW[i] * (kX[i] - mx) * (kX[i] - mx);
  for (size_t i = 0; i < kX.size(); ++i)
    EXPECT_NEAR(g.GetVal(static_cast<int32_t>(i + 1)),
                static_cast<double>(my + sxy / sxx * (kX[i] - mx)), 1e-9);
}

TEST(PenalizedCubicSpline, ScalesWithTheDataAndRejectsBadInput) {
  auto x = MakeVector(kX);
  auto y = MakeVector(kY);
  TVector ref(nullptr), g(nullptr), gam(nullptr);
  ASSERT_EQ(PenalizedCubicSpline(x.get(), y.get(), nullptr, 0.05, &ref, nullptr), kRegOk);
  // x times c needs lambda times c^3; y times d scales the curve by d.
  const double c = std::ldexp(1.0, 300), d = 1e-160;
  auto xs = MakeVector(Scaled(kX, c));
  auto ys = MakeVector(Scaled(kY, d));
  ASSERT_EQ(PenalizedCubicSpline(xs.get(), ys.get(), nullptr, 0.05 * c * c * c, &g, &gam), kRegOk);
  for (int32_t i = 1; i <= 10; ++i) EXPECT_NEAR(g.GetVal(i) / d, ref.GetVal(i), 1e-12);
  auto yb = MakeVector(Scaled(kY, 1e154));
  ASSERT_EQ(PenalizedCubicSpline(x.get(), yb.get(), nullptr, 0.05, &g, nullptr), kRegOk);
  for (int32_t i = 1; i <= 10; ++i) EXPECT_NEAR(g.GetVal(i) / 1e154, ref.GetVal(i), 1e-12);

  g.Resize(2);
  g.Fill(9.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto unsorted = MakeVector({0, 1, 1, 2});
  auto y4 = MakeVector({1, 2, 3, 4});
  EXPECT_EQ(PenalizedCubicSpline(unsorted.get(), y4.get(), nullptr, 1.0, &g, nullptr),
            kRegNotIncreasing);
  EXPECT_EQ(PenalizedCubicSpline(x.get(), y4.get(), nullptr, 1.0, &g, nullptr), kRegBadSize);
  EXPECT_EQ(PenalizedCubicSpline(x.get(), y.get(), nullptr, -1.0, &g, nullptr), kRegBadParameter);
  EXPECT_EQ(PenalizedCubicSpline(x.get(), y.get(), nullptr, nan, &g, nullptr), kRegBadParameter);
  auto w0 = MakeVector(std::vector<double>(10, 1.0));
  w0->SetVal(4, 0.0);
  EXPECT_EQ(PenalizedCubicSpline(x.get(), y.get(), w0.get(), 1.0, &g, nullptr), kRegBadParameter);
  y->SetVal(3, nan);
  EXPECT_EQ(PenalizedCubicSpline(x.get(), y.get(), nullptr, 1.0, &g, nullptr), kRegNonFinite);
  auto two = MakeVector({0, 1});
  EXPECT_EQ(PenalizedCubicSpline(two.get(), two.get(), nullptr, 1.0, &g, nullptr), kRegBadSize);
  EXPECT_EQ(Values(g), (std::vector<double>{9, 9}));
  EXPECT_TRUE(std::isnan(SplineValue(x.get(), &ref, &ref, nan)));
  // A straight line beyond the ends, also at infinity; flat data stay flat.
  auto flat = MakeVector(std::vector<double>(10, 2.0));
  auto zero = MakeVector(std::vector<double>(10, 0.0));
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(SplineValue(x.get(), flat.get(), zero.get(), -inf), 2.0);
  EXPECT_EQ(SplineValue(x.get(), flat.get(), zero.get(), inf), 2.0);
  EXPECT_EQ(SplineValue(x.get(), x.get(), zero.get(), inf), inf);
  EXPECT_EQ(SplineValue(x.get(), &g, &ref, 1.0), 0.0);
}

TEST(ExtractVarNames, ListsDistinctNamesInOrderOfAppearance) {
  struct Case {
    std::string expr;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"2*alpha + sin(beta)/alpha", {"alpha", "beta"}},
      {"x1^2 + 1e5*X1 - 2.5E-3 + .5e+2*y_", {"x1", "X1", "y_"}},
      {"a AND NOT b or c xor Sqrt(d)", {"a", "b", "c", "d"}},
      {"(p <= 3) <> (q >= 4.)", {"p", "q"}},
      {"3e + 2ex", {"e", "ex"}},  // an exponent needs digits
      {"", {}},
      {"+-*/ ( ) 12.5", {}},
      {"\xC3\xA4"
       "b",
       {"b"}},  // non-ASCII bytes separate tokens
  };
  for (const auto& c : cases) {
    TStrArray names{"stale"};
    EXPECT_EQ(ExtractVarNames(c.expr, names), static_cast<int32_t>(c.names.size())) << c.expr;
    EXPECT_EQ(names, c.names) << c.expr;
  }
}

TEST(OperatorOfToken, MapsSymbolsWordsNumbersAndNames) {
  const std::pair<std::string, TOperator> cases[] = {
      {"+", TOperator::opAdd},      {"-", TOperator::opSub},
      {"*", TOperator::opMult},     {"/", TOperator::opDiv},
      {"^", TOperator::opPower},    {"(", TOperator::opOpenPar},
      {")", TOperator::opClosePar}, {",", TOperator::opComma},
      {"=", TOperator::opEqual},    {"<>", TOperator::opNotEqual},
      {"<", TOperator::opLess},     {"<=", TOperator::opLessEq},
      {">", TOperator::opGreater},  {">=", TOperator::opGreaterEq},
      {"ABS", TOperator::opAbs},    {"sqrt", TOperator::opSqrt},
      {"Sqr", TOperator::opSqr},    {"exp", TOperator::opExp},
      {"ln", TOperator::opLn},      {"log", TOperator::opLog},
      {"sin", TOperator::opSin},    {"cos", TOperator::opCos},
      {"tan", TOperator::opTan},    {"arctan", TOperator::opArcTan},
      {"min", TOperator::opMin},    {"max", TOperator::opMax},
      {"not", TOperator::opNot},    {"And", TOperator::opAnd},
      {"or", TOperator::opOr},      {"XOR", TOperator::opXor},
      {"12", TOperator::opNumber},  {"1.5e-3", TOperator::opNumber},
      {".5", TOperator::opNumber},  {"x_1", TOperator::opListElem},
      {"1x", TOperator::opNone},    {"", TOperator::opNone},
      {"a b", TOperator::opNone},   {".", TOperator::opNone},
      {"1e", TOperator::opNone},
  };
  for (const auto& [token, op] : cases) EXPECT_EQ(OperatorOfToken(token), op) << token;
}

}  // namespace
}  // namespace zel
