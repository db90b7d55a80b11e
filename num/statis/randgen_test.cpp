// TRandGen: the draws follow the tabulated density (Kolmogorov-Smirnov tests
// of 1e5 draws against the table's own piecewise-linear distribution
// function), and the table's accessors keep their edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "core/zel_random.hpp"
#include "num/statis/zel_randgen.hpp"

namespace zel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Distribution function of the density that is linear between the bin edges
// and falls to 0 at the upper border, built from the table as GetProbability
// shows it (a pole counts as the largest finite value). Scaling the table
// does not change it, so it is the right target whatever the peak is.
struct TableCdf {
  double low, high;
  std::vector<double> d, cum;
  explicit TableCdf(const TRandGen& g) : low(g.GetLowBorder()), high(g.GetHighBorder()) {
    const int r = g.GetResolution();
    double maxFinite = 0;
    for (int i = 1; i <= r; ++i) {
      d.push_back(g.GetProbability(i));
      if (std::isfinite(d.back())) maxFinite = std::max(maxFinite, d.back());
    }
    for (double& v : d)
      if (v == kInf) v = maxFinite;
    d.push_back(0.0);
    cum.push_back(0.0);
    for (int i = 0; i < r; ++i) cum.push_back(cum.back() + 0.5 * (d[i] + d[i + 1]));
  }
  double operator()(double x) const {
    const int r = static_cast<int>(d.size()) - 1;
    const double pos = (x - low) / (high - low) * r;
    if (pos <= 0) return 0;
    if (pos >= r) return 1;
    const int a = static_cast<int>(pos);
    const double t = pos - a;
    return (cum[a] + d[a] * t + 0.5 * (d[a + 1] - d[a]) * t * t) / cum[r];
  }
};

// KS p-value of n draws of g against its table.
double KsPValueOfDraws(TRandGen& g, int n) {
  std::vector<double> x(n);
  for (double& v : x) v = g.GetRandNum();
  std::sort(x.begin(), x.end());
  const TableCdf F(g);
  double dmax = 0;
  for (int i = 0; i < n; ++i) {
    const double f = F(x[i]);
    dmax = std::max({dmax, f - static_cast<double>(i) / n, static_cast<double>(i + 1) / n - f});
  }
  return KSPValue(n, dmax);
}

struct ShapeCase {
  const char* name;
  double low, high;
  std::function<void(TRandGen&)> fill;
};

TEST(RandGenDraws, FollowEveryShapeByKolmogorovSmirnov) {
  const std::vector<ShapeCase> cases = {
      {"uniform", -1, 3, [](TRandGen& g) { g.UniformDistri(); }},
      {"normal", -4, 6, [](TRandGen& g) { g.NormalDistri(1, 1.5); }},
      // Peaks at 1.72: clipping densities at 1 would flatten the mode.
      {"weibull", 0, 2, [](TRandGen& g) { g.WeibullDistri(2, 0.5); }},
      // Peak 0.37: accepted rarely, but the shape is kept.
      {"t", -6, 6, [](TRandGen& g) { g.tDistri(3); }},
      // +inf in the first bin.
      {"chi2 df1", 0, 4, [](TRandGen& g) { g.Chi2Distri(1); }},
      {"chi2 df4", -2, 15, [](TRandGen& g) { g.Chi2Distri(4); }},
      {"F", 0, 5, [](TRandGen& g) { g.FDistri(5, 10); }},
      {"hand table", 10, 20,
       [](TRandGen& g) {
         g.SetResolution(10);
         const double v[] = {0, 0.2, 1, 0.5, 0, 0, 0.9, 0.1, 0.3, 1};
         for (int i = 1; i <= 10; ++i) g.SetProbability(i, v[i - 1]);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetRandSeed(20261208);
    TRandGen g(nullptr);
    g.SetLowBorder(c.low);
    g.SetHighBorder(c.high);
    c.fill(g);
    EXPECT_GT(KsPValueOfDraws(g, 100000), 1e-3);
    EXPECT_FALSE(g.LastDrawRejected());
  }
}

TEST(RandGenDraws, TableAboveOneSamplesAsItsStandardizedCopy) {
  TRandGen raw(nullptr), scaled(nullptr);
  for (TRandGen* g : {&raw, &scaled}) {
    g->SetLowBorder(0);
    g->SetHighBorder(2);
    g->WeibullDistri(2, 0.5);
  }
  EXPECT_NEAR(raw.GetProbability(raw.IndexOfLambda(0.3536)), 1.7155, 1e-3);
  ASSERT_TRUE(scaled.Standardize());
  SetRandSeed(7);
  std::vector<double> a(200), b(200);
  for (double& v : a) v = raw.GetRandNum();
  SetRandSeed(7);
  for (double& v : b) v = scaled.GetRandNum();
  EXPECT_EQ(a, b);
}

TEST(RandGenDraws, UniformUnitIntervalStaysInsideWithMeanHalf) {
  SetRandSeed(11);
  TRandGen g(nullptr);
  g.SetHighBorder(1);
  long double sum = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const double x = g.GetRandNum();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    sum += x;
  }
  EXPECT_NEAR(static_cast<double>(sum / n), 0.5, 4 * std::sqrt(1.0 / 12 / n));
}

TEST(RandGenDraws, ZeroAndNaNTablesAndExtremeBorders) {
  SetRandSeed(3);
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(5);
  g.SetHighBorder(6);
  for (int i = 1; i <= 10; ++i) g.SetProbability(i, 0);
  const double x = g.GetRandNum();
  EXPECT_TRUE(g.LastDrawRejected());
  EXPECT_GE(x, 5.0);
  EXPECT_LT(x, 6.0);

  g.UniformDistri();
  g.GetRandNum();
  EXPECT_FALSE(g.LastDrawRejected());
  g.SetProbability(4, kNaN);
  EXPECT_TRUE(std::isnan(g.GetRandNum()));
  g.NormalDistri(kNaN, 1);
  EXPECT_TRUE(std::isnan(g.GetRandNum()));
  EXPECT_FALSE(g.Standardize());

  g.UniformDistri();
  g.SetLowBorder(-1.5e308);
  g.SetHighBorder(1.5e308);
  for (int i = 0; i < 100; ++i) {
    const double y = g.GetRandNum();
    ASSERT_TRUE(std::isfinite(y));
  }
  EXPECT_EQ(g.IndexOfLambda(0), 6);
  EXPECT_DOUBLE_EQ(g.GetLambda(6), 0.0);
  g.SetLowBorder(1e-160);
  g.SetHighBorder(2e-160);
  EXPECT_EQ(g.IndexOfLambda(1.55e-160), 6);
}

TEST(RandGenTable, ResolutionClampsAndRefills) {
  TRandGen g(nullptr);
  EXPECT_EQ(g.GetResolution(), 500);
  g.SetProbability(3, 0.25);
  g.SetResolution(5);
  EXPECT_EQ(g.GetResolution(), 10);
  EXPECT_EQ(g.GetProbability(3), 1.0);
  g.SetResolution(10000);
  EXPECT_EQ(g.GetResolution(), 4000);
  g.SetProbability(4000, 0.25);
  g.SetResolution(4000);
  EXPECT_EQ(g.GetProbability(4000), 1.0);
  EXPECT_EQ(g.GetProbability(0), 0.0);
  EXPECT_EQ(g.GetProbability(4001), 0.0);
  g.SetProbability(1, 1.5);
  g.SetProbability(2, -0.5);
  g.SetProbability(4001, 0.5);
  EXPECT_EQ(g.GetProbability(1), 1.0);
  EXPECT_EQ(g.GetProbability(2), 0.0);
}

TEST(RandGenTable, LambdaAndIndexEdges) {
  TRandGen g(nullptr);
  // Equal borders (the state after creation) must not divide 0 by 0.
  EXPECT_EQ(g.IndexOfLambda(0), 1);
  EXPECT_EQ(g.IndexOfLambda(-1), 0);
  EXPECT_EQ(g.IndexOfLambda(1), 501);
  EXPECT_EQ(g.IndexOfLambda(kNaN), 0);
  g.SetResolution(10);
  g.SetLowBorder(2);
  g.SetHighBorder(4);
  EXPECT_EQ(g.IndexOfLambda(2), 1);
  EXPECT_EQ(g.IndexOfLambda(4), 11);
  EXPECT_EQ(g.IndexOfLambda(3.99), 10);
  EXPECT_EQ(g.IndexOfLambda(2.25), 2);
  EXPECT_EQ(g.IndexOfLambda(kInf), 11);
  EXPECT_DOUBLE_EQ(g.GetLambda(0), 2.0);
  EXPECT_DOUBLE_EQ(g.GetLambda(1), 2.0);
  EXPECT_DOUBLE_EQ(g.GetLambda(6), 3.0);
  EXPECT_DOUBLE_EQ(g.GetLambda(11), 4.0);
  EXPECT_DOUBLE_EQ(g.GetLambda(std::numeric_limits<int32_t>::min()), 2.0);
}

TEST(RandGenTable, NormalizeStandardizeAndShapesAtTheirEdges) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(0);
  g.SetHighBorder(1);
  g.Chi2Distri(1);
  EXPECT_EQ(g.GetProbability(1), kInf);
  EXPECT_NEAR(g.GetProbability(2), 1.2000389484301359, 1e-9);  // scipy.stats.chi2.pdf(0.1, 1)
  ASSERT_TRUE(g.Standardize());
  EXPECT_EQ(g.GetProbability(1), 1.0);
  EXPECT_EQ(g.GetProbability(2), 1.0);
  EXPECT_NEAR(g.GetProbability(3), 0.672620776528632, 1e-8);  // pdf(0.2)/pdf(0.1)

  g.SetLowBorder(-0.5);
  g.SetHighBorder(0.5);
  g.FDistri(1, 4);
  EXPECT_EQ(g.GetProbability(6), 0.0);  // x = 0 gives 0, not the pole
  EXPECT_GT(g.GetProbability(7), 1.0);
  g.Chi2Distri(2);
  EXPECT_EQ(g.GetProbability(5), 0.0);
  EXPECT_EQ(g.GetProbability(6), 0.5);
  g.Chi2Distri(0);
  EXPECT_TRUE(std::isnan(g.GetProbability(6)));

  g.NormalDistri(0, 0);
  EXPECT_EQ(g.GetProbability(6), 1.0);
  EXPECT_EQ(g.GetProbability(7), 0.0);
  g.NormalDistri(0, 1e-160);
  EXPECT_EQ(g.GetProbability(7), 0.0);
  g.NormalDistri(0.1, 0.2);
  EXPECT_NEAR(g.GetProbability(6), std::exp(-0.125), 1e-15);
  g.Normalize();
  EXPECT_EQ(g.GetProbability(1), 0.0);
  EXPECT_NEAR(g.GetProbability(7), 1.0, 1e-15);
  EXPECT_FALSE(g.GetProbability(10) == 0.0);

  for (int i = 1; i <= 10; ++i) g.SetProbability(i, 0);
  EXPECT_FALSE(g.Standardize());
  g.Normalize();
  EXPECT_EQ(g.GetProbability(5), 0.0);
}

}  // namespace
}  // namespace zel
