#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/zel_random.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::unique_ptr<TVector> MakeVector(const std::vector<double>& values,
                                    const std::string& name = "") {
  auto v = std::make_unique<TVector>(nullptr);
  v->SetName(name);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

std::unique_ptr<TIntVector> MakeIntVector(const std::vector<int32_t>& values,
                                          const std::string& name = "") {
  auto v = std::make_unique<TIntVector>(nullptr);
  v->SetName(name);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

template <class V>
std::vector<typename V::TElem> Elems(const V& v) {
  std::vector<typename V::TElem> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const EZELVectorError& e) {
    return e.what();
  }
  return "<no EZELVectorError>";
}

// --- vector algebra --------------------------------------------------------------

TEST(VectorAlgebra, DimensionMismatchRaisesWithTheDocumentedMessages) {
  auto a = MakeVector({1, 2}, "vec");
  auto b = MakeVector({1, 2, 3});
  const std::string component = "Component \"vec\": vectors have different dimensions";
  EXPECT_EQ(MessageOf([&] { a->Add(b.get()); }), component);
  EXPECT_EQ(MessageOf([&] { a->Subtract(b.get()); }), component);
  EXPECT_EQ(MessageOf([&] { a->DotProduct(b.get()); }), component);
  EXPECT_EQ(MessageOf([&] { a->EuclideanDistance(b.get()); }),
            "EuclideanDistance: dimensions of vectors do not match");
  EXPECT_EQ(Elems(*a), (std::vector<double>{1, 2}));
  EXPECT_EQ(a->DotProduct(nullptr), 0.0);
  EXPECT_EQ(a->EuclideanDistance(nullptr), 0.0);
}

TEST(VectorAlgebra, ProductsAndDistances) {
  auto a = MakeVector({1, 2, 3});
  auto b = MakeVector({4, 6, 3});
  EXPECT_EQ(a->DotProduct(b.get()), 25.0);
  EXPECT_EQ(a->EuclideanDistance(b.get()), 5.0);
  a->Add(a.get());  // an operand may be the vector itself
  EXPECT_EQ(Elems(*a), (std::vector<double>{2, 4, 6}));
  // 65536 * 65536 = 2^32 wraps to 0 in 32 bits.
  auto i = MakeIntVector({65536, 65536});
  auto j = MakeIntVector({65536, 1});
  EXPECT_EQ(i->DotProduct(j.get()), 65536);
}

TEST(VectorAlgebra, PearsonCorrCoeffAgainstReference) {
  auto a = MakeVector({1, 2, 3, 4, 5, 6});
  auto b = MakeVector({2, 1, 4, 3, 7, 8});
  // Python statistics.correlation gives 0.9014600868406591.
  EXPECT_NEAR(a->PearsonCorrCoeff(b.get()), 0.9014600868406591, 1e-15);
  auto c = MakeVector({5, 5, 5, 5, 5, 5});
  EXPECT_EQ(a->PearsonCorrCoeff(c.get()), 0.0);  // no spread
  auto z = MakeVector({0, 0, 0, 0, 0, 0});
  EXPECT_EQ(a->PearsonCorrCoeff(z.get()), 0.0);  // Sum b^2 not positive
  auto one = MakeVector({1});
  EXPECT_EQ(one->PearsonCorrCoeff(one.get()), 0.0);
  EXPECT_EQ(a->PearsonCorrCoeff(one.get()), 0.0);
  EXPECT_EQ(a->PearsonCorrCoeff(nullptr), 0.0);
}

// x = off + [0, 1, 2, 3, 4], y = off + [0, 2, 2, 6, 4]: by hand Sxx = 10,
// Syy = 20.8, Sxy = 12, so r = 12 / sqrt(208) = 3 / sqrt(13) whatever the
// offset. All values are exact doubles up to 1e10 + 6, so the centred sums
// are exact and only the final division and root round.
TEST(VectorAlgebra, PearsonCorrCoeffDoesNotDependOnAnOffset) {
  const double r = 3 / std::sqrt(13.0);
  for (const double off : {0.0, 1e9, 1e10, -1e10}) {
    auto x = MakeVector({off, off + 1, off + 2, off + 3, off + 4});
    auto y = MakeVector({off, off + 2, off + 2, off + 6, off + 4});
    EXPECT_NEAR(x->PearsonCorrCoeff(y.get()), r, 2e-16) << "offset " << off;
    EXPECT_EQ(x->PearsonCorrCoeff(x.get()), 1.0) << "offset " << off;
    EXPECT_EQ(y->PearsonCorrCoeff(y.get()), 1.0) << "offset " << off;
  }
  // A constant vector whose mean does not round back to its value (0.1 * n
  // is inexact) still has no spread.
  std::vector<double> flat(5001, 0.1), ramp(5001);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<double>(i);
  EXPECT_EQ(MakeVector(ramp)->PearsonCorrCoeff(MakeVector(flat).get()), 0.0);
  const int32_t o = kIntMax - 6;
  auto iv = MakeIntVector({o, o + 1, o + 2, o + 3, o + 4});
  auto iw = MakeIntVector({o, o + 2, o + 2, o + 6, o + 4});
  EXPECT_NEAR(iv->PearsonCorrCoeff(iw.get()), r, 2e-16);
}

TEST(VectorAlgebra, CorrelateOverTheOverlapOnly) {
  auto a = MakeVector({1, 2, 3});
  auto b = MakeVector({4, 5, 6});
  EXPECT_EQ(a->Correlate(b.get(), 0), 32.0);   // 4 + 10 + 18
  EXPECT_EQ(a->Correlate(b.get(), 1), 23.0);   // a2 b1 + a3 b2
  EXPECT_EQ(a->Correlate(b.get(), -1), 17.0);  // a1 b2 + a2 b3
  EXPECT_EQ(a->Correlate(b.get(), 2), 0.0);    // one-element overlap gives 0
  EXPECT_EQ(a->Correlate(b.get(), -7), 0.0);
  EXPECT_EQ(a->Correlate(b.get(), kIntMax), 0.0);
  auto i = MakeIntVector({65536, 65536});
  EXPECT_EQ(i->Correlate(i.get(), 0), 0);  // 2^32 + 2^32 wraps to 0
}

// --- statistics -------------------------------------------------------------------

TEST(VectorStatistics, SumOverRangesAndIntegerWrap) {
  auto v = MakeVector({1.5, 2.5, 4, 8});
  EXPECT_EQ(v->Sum(0, 0), 16.0);
  EXPECT_EQ(v->Sum(3, 2), 6.5);
  EXPECT_EQ(v->Sum(-9, 1), 1.5);
  auto i = MakeIntVector({kIntMax, 1});
  EXPECT_EQ(i->Sum(0, 0), kIntMin);
}

TEST(VectorStatistics, MinMaxStartsFromTheFirstElement) {
  auto v = MakeVector({3, DBL_MAX, -kInf, DBL_MAX, -kInf});
  double mn = 0, mx = 0;
  int32_t imn = 0, imx = 0;
  v->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, -kInf);
  EXPECT_EQ(imn, 3);  // first occurrence
  EXPECT_EQ(mx, DBL_MAX);
  EXPECT_EQ(imx, 2);
  // Values beyond 1.7e308 are reported as they are, with their position.
  auto big = MakeVector({1.75e308, 1.79e308});
  big->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, 1.75e308);
  EXPECT_EQ(imn, 1);
  EXPECT_EQ(mx, 1.79e308);
  EXPECT_EQ(imx, 2);
  auto i = MakeIntVector({5, -2, 9, -2});
  int32_t a = 0, b = 0;
  i->MinMax(2, 4, a, b, imn, imx);
  EXPECT_EQ(a, -2);
  EXPECT_EQ(imn, 2);
  EXPECT_EQ(b, 9);
  EXPECT_EQ(imx, 3);
}

TEST(VectorStatistics, MeanVarFollowsTheVarianceConvention) {
  auto v = MakeVector({1.5, 2.5, 4, 8});
  double mean = 0, var = 0;
  v->MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 4);
  EXPECT_DOUBLE_EQ(var, 49.0 / 6);  // Python statistics.variance: 8.1666...
  v->MeanVar(1, 2, mean, var);
  EXPECT_EQ(mean, 2);
  EXPECT_EQ(var, 1);  // two values: exactly 1
  v->MeanVar(4, 4, mean, var);
  EXPECT_EQ(mean, 8);
  EXPECT_EQ(var, 1);
  // Deviations from the mean 1e6 + 2.5 are exact, so the variance is 5/3
  // rounded once.
  auto off = MakeVector({1e6 + 1, 1e6 + 2, 1e6 + 3, 1e6 + 4});
  off->MeanVar(0, 0, mean, var);
  EXPECT_EQ(var, 5.0 / 3);
  auto i = MakeIntVector({kIntMax, kIntMax, kIntMin});
  i->MeanVar(0, 0, mean, var);
  EXPECT_DOUBLE_EQ(mean, (2.0 * kIntMax + kIntMin) / 3);
}

// Means far above the spread: one pass over Sum x^2 - (Sum x)^2/n gave
// variance 0 for the first case and 1048576 for the time stamps. The data
// and their deviations are exact doubles, so the results are exact.
TEST(VectorStatistics, MeanVarKeepsEveryDigitWhenTheMeanDwarfsTheSpread) {
  struct Case {
    std::vector<double> x;
    double mean, var;
  };
  const Case cases[] = {
      {{1e10 + 1, 1e10 + 2, 1e10 + 3}, 1e10 + 2, 1},
      {{1.7e12, 1.7e12 + 1000, 1.7e12 + 2000}, 1.7e12 + 1000, 1e6},
      {{-1e15, -1e15 + 2, -1e15 + 4, -1e15 + 6}, -1e15 + 3, 20.0 / 3},
      {{1e300, 1e300, 1e300}, 1e300, 0},  // constant: exactly 0, no overflow
  };
  for (const Case& c : cases) {
    auto v = MakeVector(c.x);
    double mean = -1, var = -1;
    v->MeanVar(0, 0, mean, var);
    EXPECT_EQ(mean, c.mean) << c.x[0];
    EXPECT_EQ(var, c.var) << c.x[0];
  }
  // A long constant range whose sum rounds: mean and variance stay exact.
  auto flat = MakeVector(std::vector<double>(10001, 0.1));
  double mean = 0, var = -1;
  flat->MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 0.1);
  EXPECT_EQ(var, 0.0);
  auto i = MakeIntVector({kIntMax - 2, kIntMax - 1, kIntMax});
  i->MeanVar(0, 0, mean, var);
  EXPECT_EQ(var, 1.0);
}

TEST(VectorStatistics, StandardizeOfTimeStampsGivesUnitSpread) {
  auto v = MakeVector({1.7e12, 1.7e12 + 1000, 1.7e12 + 2000});
  double mean = 0, sd = 0;
  v->Standardize(mean, sd);
  EXPECT_EQ(mean, 1.7e12 + 1000);
  EXPECT_EQ(sd, 1000.0);
  EXPECT_EQ(Elems(*v), (std::vector<double>{-1, 0, 1}));
}

TEST(VectorStatistics, SkewKurtAndSampleCorrectionsAgainstReference) {
  auto v = MakeVector({2, 4, 4, 4, 5, 5, 7, 9});
  double skew = 0, kurt = 0;
  v->SkewKurt(0, 0, skew, kurt);
  // Hand computation: Sum d^2 = 32, Sum d^3 = 42, Sum d^4 = 356, s^2 = 32/7.
  EXPECT_NEAR(skew, 0.5371324568903997, 1e-14);
  EXPECT_NEAR(kurt, -0.8706054687500004, 1e-14);
  // G1 = sqrt(n(n-1))/(n-2) g1 and G2 = ((n+1) g2 + 6)(n-1)/((n-2)(n-3)) from
  // the population moments: an independent route to the same numbers.
  v->SkewKurtSample(0, 0, skew, kurt);
  EXPECT_NEAR(skew, 0.8184875533567996, 1e-14);
  EXPECT_NEAR(kurt, 0.940625, 1e-14);
  v->SkewKurt(1, 3, skew, kurt);  // three values
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
  auto c = MakeVector({2, 2, 2, 2, 2});
  c->SkewKurtSample(0, 0, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
}

TEST(VectorStatistics, QuartilesNeverPutTheThirdBelowTheMedian) {
  double q1 = 0, q2 = 0, q3 = 0;
  EXPECT_TRUE(MakeVector({3, 1, 2})->Quartiles(0, 0, q1, q2, q3));
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{1, 2, 3}));
  MakeVector({5, 1})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{1, 3, 5}));
  MakeVector({4, 1, 3, 2})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{1.25, 2.5, 3.75}));
  MakeVector({1, 2, 3, 4, 5, 6, 7})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{2, 4, 6}));
  MakeVector({9, 7})->Quartiles(2, 2, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{7, 7, 7}));
  MakeIntVector({3, 1, 2})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{1, 2, 3}));
}

TEST(VectorStatistics, OrderStatisticsKeepInfiniteAndHugeValuesApart) {
  // An infinite neighbour must not turn an exact rank into inf * 0 = NaN,
  // and the gap between -1e308 and 1e308 must not overflow.
  const double inf = std::numeric_limits<double>::infinity();
  double q1 = 0, q2 = 0, q3 = 0;
  MakeVector({2, inf, 3})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{2, 3, inf}));
  MakeVector({1, -inf, 2})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ((std::vector<double>{q1, q2, q3}), (std::vector<double>{-inf, 1, 2}));
  auto wide = MakeVector({-1e308, 1e308});
  EXPECT_EQ(wide->Percentile(50, 0, 0), 0.0);
  EXPECT_EQ(MakeVector({1, 2, inf})->Percentile(75, 0, 0), inf);
  EXPECT_EQ(MakeVector({1, 2, inf})->Percentile(50, 0, 0), 2.0);
}

TEST(VectorStatistics, PercentileInterpolatesAndClamps) {
  auto v = MakeVector({4, 2, 1, 3});
  EXPECT_EQ(v->Percentile(50, 0, 0), 2.5);
  EXPECT_EQ(v->Percentile(25, 0, 0), 1.75);
  EXPECT_EQ(v->Percentile(0, 0, 0), 1.0);
  EXPECT_EQ(v->Percentile(100, 0, 0), 4.0);
  EXPECT_EQ(v->Percentile(-5, 0, 0), 1.0);
  EXPECT_EQ(v->Percentile(150, 0, 0), 4.0);
  EXPECT_NEAR(v->Percentile(std::nextafter(100.0, 0.0), 0, 0), 4.0, 1e-13);
  EXPECT_TRUE(std::isnan(v->Percentile(std::nan(""), 0, 0)));
  EXPECT_EQ(v->Percentile(50, 2, 2), 2.0);
  EXPECT_EQ(MakeIntVector({10, 20})->Percentile(50, 0, 0), 15.0);
}

TEST(VectorStatistics, ModeTakesTheFirstLongestRun) {
  EXPECT_EQ(MakeVector({3, 1, 2, 2, 3})->Mode(0, 0), 2.0);
  EXPECT_EQ(MakeVector({5, 4, 3})->Mode(0, 0), 3.0);  // no repeats: smallest
  EXPECT_EQ(MakeVector({1, 2, 2, 3, 3, 3})->Mode(1, 5), 2.0);
  EXPECT_EQ(MakeIntVector({7, 1, 7})->Mode(0, 0), 7);
}

TEST(VectorStatistics, GeometricAndHarmonicMeans) {
  auto v = MakeVector({1, 2, 4, 8}, "g");
  EXPECT_NEAR(v->GeometricMean(0, 0), std::sqrt(8.0), 1e-15);
  EXPECT_NEAR(MakeVector({1, 2, 4})->HarmonicMean(0, 0), 12.0 / 7, 1e-15);
  EXPECT_EQ(MakeVector({3, 0, 5})->GeometricMean(0, 0), 0.0);
  auto neg = MakeVector({0, -1, 5}, "g");
  EXPECT_EQ(MessageOf([&] { neg->GeometricMean(0, 0); }),
            "Component \"g\": negative argument passed to GeometricMean");
  EXPECT_EQ(neg->GeometricMean(1, 1), 0.0);  // the range excludes -1
  EXPECT_EQ(MessageOf([&] { neg->HarmonicMean(0, 0); }),
            "Component \"g\": negative or zero argument passed to HarmonicMean");
  EXPECT_NEAR(MakeIntVector({2, 8})->GeometricMean(0, 0), 4, 1e-15);
}

TEST(VectorStatistics, GeometricMeanOfNaNIsNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(MakeVector({nan, 1})->GeometricMean(0, 0)));  // was 1
  EXPECT_TRUE(std::isnan(MakeVector({4, nan})->GeometricMean(0, 0)));
  EXPECT_TRUE(std::isnan(MakeVector({0, nan, 2})->GeometricMean(0, 0)));  // not 0
  EXPECT_EQ(MakeVector({nan, 4, 9})->GeometricMean(2, 3), 6.0);           // outside the range
  auto neg = MakeVector({nan, -1}, "g");                                  // the error still wins
  EXPECT_EQ(MessageOf([&] { neg->GeometricMean(0, 0); }),
            "Component \"g\": negative argument passed to GeometricMean");
  EXPECT_TRUE(std::isnan(MakeVector({nan, 1})->HarmonicMean(0, 0)));
}

// Every statistic of a range that holds a NaN is NaN; none skips it or
// depends on where it stands.
TEST(VectorStatistics, NaNPropagatesThroughEveryStatistic) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const std::vector<double>& x :
       {std::vector<double>{nan, 1, 2, 3, 4}, std::vector<double>{1, 2, nan, 3, 4},
        std::vector<double>{1, 2, 3, 4, nan}}) {
    auto v = MakeVector(x);
    const auto at =
        static_cast<int32_t>(
            std::find_if(x.begin(), x.end(), [](double d) { return std::isnan(d); }) - x.begin()) +
        1;
    double mn = 0, mx = 0, a = 0, b = 0, c = 0;
    int32_t imn = 0, imx = 0;
    v->MinMax(0, 0, mn, mx, imn, imx);
    EXPECT_TRUE(std::isnan(mn) && std::isnan(mx)) << at;
    EXPECT_EQ(imn, at);
    EXPECT_EQ(imx, at);
    v->MeanVar(0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b)) << at;
    v->SkewKurt(0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b)) << at;
    v->SkewKurtSample(0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b)) << at;
    EXPECT_TRUE(v->Quartiles(0, 0, a, b, c));
    EXPECT_TRUE(std::isnan(a) && std::isnan(b) && std::isnan(c)) << at;
    EXPECT_TRUE(std::isnan(v->Percentile(50, 0, 0))) << at;
    EXPECT_TRUE(std::isnan(v->Percentile(0, 0, 0))) << at;
    EXPECT_TRUE(std::isnan(v->Mode(0, 0))) << at;
    auto w = MakeVector({1, 2, 3, 4, 6});
    EXPECT_TRUE(std::isnan(v->PearsonCorrCoeff(w.get()))) << at;
    EXPECT_TRUE(std::isnan(w->PearsonCorrCoeff(v.get()))) << at;
  }
}

TEST(VectorStatistics, IsDichotomousAcceptsOneOrTwoDistinctValues) {
  double a = -1, b = -1;
  EXPECT_TRUE(MakeVector({1, 2, 1, 2})->IsDichotomous(a, b));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_TRUE(MakeVector({3, 3})->IsDichotomous(a, b));  // one distinct value
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 3);
  EXPECT_FALSE(MakeVector({1, 2, 3})->IsDichotomous(a, b));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_FALSE(MakeVector({4})->IsDichotomous(a, b));
}

// --- search and sort -----------------------------------------------------------------

TEST(VectorSearch, FindNearestAndExact) {
  auto v = MakeVector({1, 5, 3, 5});
  EXPECT_EQ(v->Find(0, 0, 4), 2);  // 5 and 3 are equally near: the first wins
  EXPECT_EQ(v->Find(3, 4, 4), 3);
  EXPECT_EQ(v->Find(0, 0, -100), 1);
  EXPECT_EQ(v->FindExact(0, 0, 5), 2);
  EXPECT_EQ(v->FindExact(3, 4, 5), 4);
  EXPECT_EQ(v->FindExact(0, 0, 7), 0);
  auto n = MakeVector({std::nan(""), 8, 2});
  EXPECT_EQ(n->Find(0, 0, 3), 3);
  EXPECT_EQ(MakeIntVector({kIntMin, kIntMax})->Find(0, 0, 1), 2);
}

TEST(VectorSearch, FindInSortedVectorBisects) {
  auto up = MakeVector({1, 3, 5, 7, 9});
  EXPECT_EQ(up->FindInSortedVector(true, 5), 3);
  EXPECT_EQ(up->FindInSortedVector(true, 9), 5);
  EXPECT_EQ(up->FindInSortedVector(true, 6), 4);  // tie: the higher position
  EXPECT_EQ(up->FindInSortedVector(true, 5.9), 3);
  EXPECT_EQ(up->FindInSortedVector(true, -10), 1);
  EXPECT_EQ(up->FindInSortedVector(true, 100), 5);
  auto down = MakeVector({9, 7, 5, 3, 1});
  EXPECT_EQ(down->FindInSortedVector(false, 6), 3);
  EXPECT_EQ(down->FindInSortedVector(false, 1), 5);
  EXPECT_EQ(down->FindInSortedVector(false, 8.5), 1);
  EXPECT_EQ(MakeVector({4})->FindInSortedVector(true, 0), 1);
}

struct Exchange {
  int32_t Kind, I, J, First, Last;
  bool operator==(const Exchange&) const = default;
};

TEST(VectorSort, CombSortReportsEveryExchange) {
  auto v = MakeVector({3, 1, 2});
  std::vector<Exchange> log;
  v->OnSortExchange = [&](TObject* s, int32_t k, int32_t i, int32_t j, int32_t f, int32_t l) {
    EXPECT_EQ(s, v.get());
    log.push_back({k, i, j, f, l});
  };
  int changes = 0;
  v->OnChange = [&](TObject*) { ++changes; };
  const double before = ProcStat;
  v->SortElems(true, 0, 0);
  // Gap 3 -> 2 exchanges positions 1 and 3, gap 1 positions 1 and 2, and a
  // last pass with gap 1 finds nothing: three passes.
  EXPECT_EQ(log, (std::vector<Exchange>{{0, 1, 3, 0, 0}, {0, 1, 2, 0, 0}}));
  EXPECT_EQ(ProcStat - before, 3);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Elems(*v), (std::vector<double>{1, 2, 3}));
}

TEST(VectorSort, ReplayingTheExchangesReproducesTheSort) {
  SetRandSeed(42);
  std::vector<double> data(300);
  for (double& x : data) x = static_cast<double>(Random(50));  // many ties
  for (bool ascending : {true, false}) {
    auto v = MakeVector(data);
    std::vector<double> replay = data;
    v->OnSortExchange = [&](TObject*, int32_t, int32_t i, int32_t j, int32_t, int32_t) {
      EXPECT_NE(replay[static_cast<size_t>(i - 1)],
                replay[static_cast<size_t>(j - 1)]);  // ties never move
      std::swap(replay[static_cast<size_t>(i - 1)], replay[static_cast<size_t>(j - 1)]);
    };
    v->SortElems(ascending, 260, 41);  // reversed range: 41..260
    const auto out = Elems(*v);
    EXPECT_EQ(out, replay);
    for (size_t i = 0; i < out.size(); ++i) {
      if (i < 40 || i >= 260) {
        EXPECT_EQ(out[i], data[i]);  // outside the range untouched
      } else if (i > 40) {
        EXPECT_TRUE(ascending ? out[i - 1] <= out[i] : out[i - 1] >= out[i]);
      }
    }
  }
}

TEST(VectorChecksum, CRCofDataMatchesZlibPerByteLane) {
  // Register k holds the zlib CRC-32 of byte k of every element in turn
  // (Python: zlib.crc32 over the k-th bytes of struct.pack('<d', x)).
  std::string zeros;
  for (int k = 0; k < 8; ++k) zeros += "D202EF8D";  // zlib.crc32(b"\x00")
  EXPECT_EQ(MakeVector({0})->CRCofData(), zeros);
  EXPECT_EQ(MakeVector({1.0, -2.5, 3.25})->CRCofData(),
            "FF41D912FF41D912FF41D912FF41D912FF41D912FF41D912CE3C86D86D50ED61");
  // The integer vector checksums the same values as doubles.
  EXPECT_EQ(MakeIntVector({7, -3, 0})->CRCofData(), MakeVector({7, -3, 0})->CRCofData());
  EXPECT_NE(MakeVector({1, 2})->CRCofData(), MakeVector({2, 1})->CRCofData());
}

// --- histograms -----------------------------------------------------------------------

TEST(VectorHistogram, CountsBinsUnderflowAndOverflow) {
  auto v = MakeVector({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9.5, 10, -1});
  TIntArray h{7, 7, 7};
  int32_t under = -1, over = -1, maxCnt = -1;
  EXPECT_TRUE(v->Histogram(0, 0, 0, 9, 1, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{1, 1, 1, 1, 1, 1, 1, 1, 1, 2}));  // 9.5 in the last bin
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);  // 10
  EXPECT_EQ(maxCnt, 2);
  // Positions outside the vector read 0: -1, 0, 14 and 15 add four zeros.
  EXPECT_TRUE(v->Histogram(15, -1, 0, 9, 1, h, under, over, maxCnt));
  EXPECT_EQ(h[0], 5);
  EXPECT_EQ(maxCnt, 5);
  // The bin count rounds halves to even: 2.5 gives 2 + 1 bins, 3.5 4 + 1.
  EXPECT_TRUE(v->Histogram(0, 0, 0, 2.5, 1, h, under, over, maxCnt));
  EXPECT_EQ(h.size(), 3u);
  EXPECT_TRUE(v->Histogram(0, 0, 0, 3.5, 1, h, under, over, maxCnt));
  EXPECT_EQ(h.size(), 5u);
}

TEST(VectorHistogram, RejectsBadWidthsAndTooManyBins) {
  auto v = MakeVector({1, 2, 3});
  TIntArray h{42};
  int32_t under = -1, over = -1, maxCnt = -1;
  for (double w : {0.0, -1.0, std::nan(""), kInf})
    EXPECT_FALSE(v->Histogram(0, 0, 0, 9, w, h, under, over, maxCnt)) << w;
  EXPECT_FALSE(v->Histogram(0, 0, 0, kInf, 1, h, under, over, maxCnt));
  EXPECT_FALSE(v->Histogram(0, 0, 0, 500, 1, h, under, over, maxCnt));  // 501 bins
  EXPECT_EQ(h, TIntArray{42});
  EXPECT_EQ(under, -1);
  EXPECT_EQ(maxCnt, -1);
  EXPECT_TRUE(v->Histogram(0, 0, 0, 499, 1, h, under, over, maxCnt));  // 500 bins
  EXPECT_EQ(h.size(), 500u);
  EXPECT_FALSE(v->Histogram(0, 0, 0, 1, 1, static_cast<TIntVector*>(nullptr), under, over, maxCnt));
  TIntVector target(nullptr);
  EXPECT_TRUE(v->Histogram(0, 0, 1, 3, 1, &target, under, over, maxCnt));
  EXPECT_EQ(Elems(target), (std::vector<int32_t>{1, 1, 1}));
}

TEST(VectorHistogram, IntegerBinsUseIntegerDivision) {
  auto v = MakeIntVector({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, -1}, "iv");
  TIntArray h;
  int32_t under = 0, over = 0, maxCnt = 0;
  EXPECT_TRUE(v->Histogram(0, 0, 0, 9, 3, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{3, 3, 3, 2}));  // 9 div 3 + 1 bins; 10 in the last
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);                                                // 12 = LastBin + BinWidth
  EXPECT_TRUE(v->Histogram(0, 0, 0, 3, 0, h, under, over, maxCnt));  // width 0 as 1
  EXPECT_EQ(h, (TIntArray{1, 1, 1, 1}));
  EXPECT_EQ(MessageOf([&] { v->Histogram(0, 0, 0, 500, 1, h, under, over, maxCnt); }),
            "Component \"iv.Histogram\": invalid number of bins");
  EXPECT_EQ(MessageOf([&] { v->Histogram(0, 0, kIntMin, kIntMax, 1, h, under, over, maxCnt); }),
            "Component \"iv.Histogram\": invalid number of bins");
  v->Histogram(0, 0, 0, 1, 1, v.get(), under, over, maxCnt);  // into itself
  EXPECT_EQ(Elems(*v), (std::vector<int32_t>{1, 1}));
}

// --- integration ---------------------------------------------------------------------------

std::unique_ptr<TVector> Samples(int n, double (*f)(double)) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(n);
  for (int i = 1; i <= n; ++i) v->SetVal(i, f(i));
  return v;
}

TEST(VectorIntegrate, SimpsonFormsIntegrateCubicsExactly) {
  auto cube = Samples(12, [](double t) { return t * t * t; });
  auto exact = [](double a, double b) { return (b * b * b * b - a * a * a * a) / 4; };
  // m = 2 Simpson, 3 Simpson 3/8, 4 Boole, 5.. the extended rule.
  for (int m = 2; m <= 11; ++m)
    EXPECT_NEAR(cube->Integrate(1, 1 + m, TIntegMethod::imSimpson), exact(1, 1 + m), 1e-12) << m;
  EXPECT_NEAR(cube->Integrate(3, 9, TIntegMethod::imSimpson), exact(3, 9), 1e-12);
  // Boole's rule is exact up to degree 5.
  auto fifth = Samples(5, [](double t) { return t * t * t * t * t; });
  EXPECT_NEAR(fifth->Integrate(1, 5, TIntegMethod::imSimpson), (15625.0 - 1) / 6, 1e-10);
}

TEST(VectorIntegrate, EveryMethodIsExactForLinearData) {
  auto line = Samples(8, [](double t) { return 2 * t + 1; });
  auto exact = [](double a, double b) { return (b * b + b) - (a * a + a); };
  const std::pair<double, double> bounds[] = {{1.5, 4.25},  {2, 7},     {1.25, 8},
                                              {2.25, 2.75}, {3, 3.5},   {3, 4},
                                              {3, 5},       {2.5, 6.5}, {1.1, 7.9}};
  for (auto [a, b] : bounds) {
    EXPECT_NEAR(line->Integrate(a, b, TIntegMethod::imTrapezoidal), exact(a, b), 1e-12)
        << a << ".." << b;
    EXPECT_NEAR(line->Integrate(a, b, TIntegMethod::imSimpson), exact(a, b), 1e-12)
        << a << ".." << b;
    EXPECT_NEAR(line->Integrate(b, a, TIntegMethod::imSimpson), exact(a, b), 1e-12) << "reversed";
  }
  // The simple rule: width times the mean of the samples inside.
  EXPECT_NEAR(line->Integrate(2, 7, TIntegMethod::imSimple), exact(2, 7), 1e-12);
  EXPECT_NEAR(line->Integrate(2.25, 2.75, TIntegMethod::imSimple), 0.5 * (5 + 7) / 2, 1e-12);
  EXPECT_NEAR(line->Integrate(1.5, 3.5, TIntegMethod::imSimple), 2 * (5 + 7) / 2.0, 1e-12);
}

TEST(VectorIntegrate, BoundsAreClampedIntoTheSamples) {
  auto line = Samples(5, [](double t) { return t; });
  EXPECT_NEAR(line->Integrate(-10, 100, TIntegMethod::imTrapezoidal), 12, 1e-12);  // 1..5
  EXPECT_TRUE(std::isnan(line->Integrate(std::nan(""), 3, TIntegMethod::imSimple)));
  auto one = Samples(1, [](double t) { return t; });
  EXPECT_EQ(one->Integrate(0, 9, TIntegMethod::imSimpson), 0.0);
}

}  // namespace
}  // namespace zel
