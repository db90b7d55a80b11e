#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/regression_test_impl.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using analysis_test::RowsMatrix;
using regression_test::Scaled;
using regression_test::Values;
using regression_test::XData;
using regression_test::YData;

// Response of regression_reference.py as a one-column matrix, optionally
// with a second column 2 y - x1 + 0.1 r^2 (r the row number).
std::unique_ptr<TMatrix> YMatrix(bool two, double scale = 1.0) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(two ? 2 : 1, 12);
  for (int32_t r = 1; r <= 12; ++r) {
    const double y = YData()[static_cast<size_t>(r - 1)] * scale;
    m->SetVal(1, r, y);
    if (two) m->SetVal(2, r, 2 * y - XData()[static_cast<size_t>(3 * (r - 1))] + 0.1 * r * r);
  }
  return m;
}

std::vector<double> Column(const TMatrix& m, int32_t c) {
  std::vector<double> v;
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) v.push_back(m.GetVal(c, r));
  return v;
}

TEST(SimPLS, OneResponseMatchesScikitLearnNipals) {
  // sklearn PLSRegression, raw-unit coefficients from its predictions
  // (testdata/regression_reference.py): {components, scale} -> b.
  struct Case {
    int32_t comps;
    TPLSSclMode mode;
    std::vector<double> want;
  };
  const Case cases[] = {
      {1,
       TPLSSclMode::scmStandardize,
       {1.738673679040808, 0.7681685581271283, -1.0354032542933074, 0.6342025086974892}},
      {1,
       TPLSSclMode::scmCenter,
       {1.78320655946224, 0.770139748031299, -0.858147035852395, 0.7065894017476282}},
      {2,
       TPLSSclMode::scmStandardize,
       {1.686539775113884, 0.7273235542156833, -1.328119843110214, 0.4368592128905018}},
      {2,
       TPLSSclMode::scmCenter,
       {1.6874778564708117, 0.7319716938650418, -1.3272848116665885, 0.4335861861442496}},
  };
  auto x = RowsMatrix(3, XData());
  auto y = YMatrix(false);
  for (const auto& c : cases) {
    TMatrix coef(nullptr);
    ASSERT_EQ(SimPLS(x.get(), y.get(), c.comps, c.mode, &coef, nullptr, nullptr, nullptr, nullptr),
              kRegOk);
    const auto got = Column(coef, 1);
    for (size_t j = 0; j < 4; ++j)
      EXPECT_NEAR(got[j], c.want[j], 1e-13 * std::fabs(c.want[j])) << c.comps << " " << j;
  }
}

TEST(SimPLS, AllComponentsGiveLeastSquaresWithOrthonormalScores) {
  auto x = RowsMatrix(3, XData());
  auto y = YMatrix(true);
  TMatrix coef(nullptr), w(nullptr), t(nullptr), p(nullptr), q(nullptr);
  for (const auto mode : {TPLSSclMode::scmCenter, TPLSSclMode::scmStandardize}) {
    ASSERT_EQ(SimPLS(x.get(), y.get(), 3, mode, &coef, &w, &t, &p, &q), kRegOk);
    ASSERT_EQ(coef.GetNrOfColumns(), 2);
    ASSERT_EQ(coef.GetNrOfRows(), 4);
    ASSERT_EQ(t.GetNrOfRows(), 12);
    ASSERT_EQ(q.GetNrOfRows(), 2);
    for (int32_t l = 1; l <= 2; ++l) {
      TVector mlr(nullptr);
      double r2 = 0.0;
      auto yl = MakeVector(Column(*y, l));
      ASSERT_EQ(MultiLinReg(x.get(), yl.get(), &mlr, nullptr, r2), kRegOk);
      for (int32_t j = 1; j <= 4; ++j) EXPECT_NEAR(coef.GetVal(l, j), mlr.GetVal(j), 1e-12);
    }
    for (int32_t a = 1; a <= 3; ++a)
      for (int32_t b = 1; b <= 3; ++b) {
        double d = 0.0;
        for (int32_t r = 1; r <= 12; ++r) d += t.GetVal(a, r) * t.GetVal(b, r);
        EXPECT_NEAR(d, a == b ? 1.0 : 0.0, 1e-14);
      }
  }
}

TEST(SimPLS, ScalesAndReportsExhaustedComponents) {
  // X and y both times 1e154 or 1e-160: the same slopes.
  TMatrix ref(nullptr), coef(nullptr), t(nullptr);
  auto x = RowsMatrix(3, XData());
  ASSERT_EQ(SimPLS(x.get(), YMatrix(false).get(), 2, TPLSSclMode::scmCenter, &ref, nullptr, nullptr,
                   nullptr, nullptr),
            kRegOk);
  for (const double s : {1e154, 1e-160}) {
    auto xs = RowsMatrix(3, Scaled(XData(), s));
    ASSERT_EQ(SimPLS(xs.get(), YMatrix(false, s).get(), 2, TPLSSclMode::scmCenter, &coef, nullptr,
                     nullptr, nullptr, nullptr),
              kRegOk);
    EXPECT_NEAR(coef.GetVal(1, 1) / s, ref.GetVal(1, 1), 1e-13);
    for (int32_t j = 2; j <= 4; ++j) EXPECT_NEAR(coef.GetVal(1, j), ref.GetVal(1, j), 1e-13);
  }

  // X of rank 1 (columns proportional): the second component is empty.
  auto rank1 = RowsMatrix(2, {1, 2, 2, 4, 3, 6, 4, 8});
  auto y4 = std::make_unique<TMatrix>(nullptr);
  y4->Resize(1, 4);
  for (int32_t r = 1; r <= 4; ++r) y4->SetVal(1, r, 1.0 + 5.0 * r);
  EXPECT_EQ(SimPLS(rank1.get(), y4.get(), 2, TPLSSclMode::scmCenter, &coef, nullptr, &t, nullptr,
                   nullptr),
            kRegRankDeficient);
  EXPECT_EQ(t.GetNrOfColumns(), 2);
  EXPECT_EQ(t.GetVal(2, 1), 0.0);
  // The one component still fits exactly: 1 + 5 x1 = 1 + x1 + 2 x2.
  EXPECT_NEAR(coef.GetVal(1, 1), 1.0, 1e-13);
  EXPECT_NEAR(coef.GetVal(1, 2), 1.0, 1e-13);
  EXPECT_NEAR(coef.GetVal(1, 3), 2.0, 1e-13);

  EXPECT_EQ(SimPLS(x.get(), YMatrix(false).get(), 4, TPLSSclMode::scmCenter, &coef, nullptr,
                   nullptr, nullptr, nullptr),
            kRegBadParameter);
  EXPECT_EQ(SimPLS(x.get(), YMatrix(false).get(), 0, TPLSSclMode::scmCenter, &coef, nullptr,
                   nullptr, nullptr, nullptr),
            kRegBadParameter);
  EXPECT_EQ(SimPLS(x.get(), y4.get(), 1, TPLSSclMode::scmCenter, &coef, nullptr, nullptr, nullptr,
                   nullptr),
            kRegBadSize);
  x->SetVal(2, 3, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(SimPLS(x.get(), YMatrix(false).get(), 1, TPLSSclMode::scmCenter, &coef, nullptr,
                   nullptr, nullptr, nullptr),
            kRegNonFinite);
}

// Mixtures of three spectra over six bands: 60 pixels with random
// abundances (summing to 1) and the three pure pixels at rows 7, 23, 51.
std::unique_ptr<TMatrix> Mixtures(double scale, double noise) {
  const double e[3][6] = {{0.9, 0.7, 0.3, 0.1, 0.05, 0.2},
                          {0.1, 0.3, 0.8, 0.9, 0.4, 0.2},
                          {0.2, 0.1, 0.1, 0.3, 0.8, 0.95}};
  std::mt19937_64 gen(5);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::normal_distribution<double> g(0.0, 1.0);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(6, 60);
  for (int32_t r = 1; r <= 60; ++r) {
    double a[3] = {u(gen), u(gen), u(gen)};
    // Keep mixed pixels away from the vertices.
    for (double& v : a) v = 0.2 + v;
    if (r == 7) a[0] = 1, a[1] = a[2] = 0;
    if (r == 23) a[1] = 1, a[0] = a[2] = 0;
    if (r == 51) a[2] = 1, a[0] = a[1] = 0;
    const double s = a[0] + a[1] + a[2];
    for (int32_t b = 0; b < 6; ++b) {
      double v = 0.0;
      for (int32_t k = 0; k < 3; ++k) v += a[k] / s * e[k][b];
      m->SetVal(b + 1, r, (v + noise * g(gen)) * scale);
    }
  }
  return m;
}

TEST(VertexCompAnalysis, FindsThePurePixelsAtAnyScale) {
  for (const double scale : {1.0, 1e154, 1e-160}) {
    for (const double noise : {0.0, 1e-3}) {
      for (const uint64_t seed : {1u, 2u, 99u}) {
        TIntVector idx(nullptr);
        TMatrix em(nullptr);
        double snr = 0.0;
        ASSERT_EQ(VertexCompAnalysis(Mixtures(scale, noise).get(), 3, seed, &idx, &em, snr),
                  kRegOk);
        std::vector<int32_t> got{idx.GetVal(1), idx.GetVal(2), idx.GetVal(3)};
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, (std::vector<int32_t>{7, 23, 51})) << scale << " " << noise << " " << seed;
        EXPECT_EQ(em.GetNrOfColumns(), 3);
        EXPECT_EQ(em.GetVal(2, 4), Mixtures(scale, noise)->GetVal(4, idx.GetVal(2)));
        if (noise == 0.0)
          EXPECT_GT(snr, 100.0);
        else
          EXPECT_LT(snr, 100.0);
      }
    }
  }
}

TEST(VertexCompAnalysis, RejectsBadParametersAndFlatData) {
  TIntVector idx(nullptr);
  double snr = 1.0;
  auto data = Mixtures(1.0, 0.0);
  EXPECT_EQ(VertexCompAnalysis(data.get(), 1, 1, &idx, nullptr, snr), kRegBadParameter);
  EXPECT_EQ(VertexCompAnalysis(data.get(), 7, 1, &idx, nullptr, snr), kRegBadParameter);
  EXPECT_EQ(VertexCompAnalysis(nullptr, 3, 1, &idx, nullptr, snr), kRegNoObject);
  EXPECT_EQ(snr, 0.0);
  // Every pixel equal: no second vertex exists.
  auto flat = RowsMatrix(3, std::vector<double>(30, 0.5));
  EXPECT_EQ(VertexCompAnalysis(flat.get(), 3, 1, &idx, nullptr, snr), kRegRankDeficient);
  data->SetVal(2, 2, std::numeric_limits<double>::infinity());
  EXPECT_EQ(VertexCompAnalysis(data.get(), 3, 1, &idx, nullptr, snr), kRegNonFinite);
}

}  // namespace
}  // namespace zel
