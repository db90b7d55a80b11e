#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
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

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void ExpectRel(const std::vector<double>& got, const std::vector<double>& want, double tol) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_NEAR(got[i], want[i], tol * std::fabs(want[i])) << "element " << i;
}

// Tall and wide test matrix of regression_reference.py, row by row.
const std::vector<double> kA{2.0, -1.0, 0.5, 1.0, 3.0, -2.0, 0.0, 1.5, 4.0, -1.0, 2.0, 1.0};

TEST(SingValDecomp, MatchesNumpyForTallAndWideMatrices) {
  const std::vector<double> w{4.686961534637382, 3.9814349660694024, 2.383394047107932};
  // U of the tall matrix = V of the wide one (row-major 4 x 3).
  const std::vector<double> u4{-0.015013597985839344, -0.2963380478709567, 0.8235760247745224,
                               -0.26023267390333993,  0.8536459959620006,  0.4112905129865911,
                               0.9001374647081165,    0.07859102577025773, 0.24924405463869423,
                               0.34900729496313077,   0.42106498979427537, -0.3007325166507365};
  const std::vector<double> v3{-0.13639266294674374, -0.040210399250157514, 0.9898384541360467,
                               0.27363919114464896,  0.9587730520610374,    0.07665394778656433,
                               0.9521127215639953,   -0.2813136300176482,   0.1197664686057654};
  auto tall = RowsMatrix(3, kA);
  auto wide = std::make_unique<TMatrix>(nullptr);
  wide->Resize(4, 3);
  for (int32_t r = 1; r <= 4; ++r)
    for (int32_t c = 1; c <= 3; ++c) wide->SetVal(r, c, tall->GetVal(c, r));
  for (const bool isTall : {true, false}) {
    TMatrix u(nullptr), v(nullptr);
    TVector sv(nullptr);
    ASSERT_TRUE(SingValDecomp(isTall ? tall.get() : wide.get(), &u, &sv, &v));
    ExpectRel(Values(sv), w, 1e-14);
    const auto& big = isTall ? u : v;
    const auto& small = isTall ? v : u;
    ASSERT_EQ(big.GetNrOfRows(), 4);
    ASSERT_EQ(small.GetNrOfRows(), 3);
    for (int32_t r = 1; r <= 4; ++r)
      for (int32_t c = 1; c <= 3; ++c)
        EXPECT_NEAR(big.GetVal(c, r), u4[static_cast<size_t>((r - 1) * 3 + c - 1)], 1e-14);
    for (int32_t r = 1; r <= 3; ++r)
      for (int32_t c = 1; c <= 3; ++c)
        EXPECT_NEAR(small.GetVal(c, r), v3[static_cast<size_t>((r - 1) * 3 + c - 1)], 1e-14);
  }
}

TEST(SingValDecomp, ScalesToAnyMagnitudeAndRejectsBadInput) {
  TMatrix u0(nullptr), v0(nullptr), u(nullptr), v(nullptr);
  TVector w0(nullptr), w(nullptr);
  ASSERT_TRUE(SingValDecomp(RowsMatrix(3, kA).get(), &u0, &w0, &v0));
  for (const double s : {1e154, 1e-160}) {
    ASSERT_TRUE(SingValDecomp(RowsMatrix(3, Scaled(kA, s)).get(), &u, &w, &v));
    for (int32_t i = 1; i <= 3; ++i) {
      EXPECT_NEAR(w.GetVal(i) / s, w0.GetVal(i), 1e-14 * w0.GetVal(1));
      for (int32_t r = 1; r <= 3; ++r) EXPECT_NEAR(v.GetVal(i, r), v0.GetVal(i, r), 1e-14);
    }
  }
  // Non-finite input, null and aliased outputs: false with outputs kept.
  const double kept = w.GetVal(1);
  for (const double bad : {kNaN, kInf}) {
    auto m = RowsMatrix(3, kA);
    m->SetVal(2, 2, bad);
    EXPECT_FALSE(SingValDecomp(m.get(), &u, &w, &v));
  }
  EXPECT_EQ(w.GetVal(1), kept);
  EXPECT_FALSE(SingValDecomp(nullptr, &u, &w, &v));
  // The matrix may receive its own U.
  auto self = RowsMatrix(3, kA);
  ASSERT_TRUE(SingValDecomp(self.get(), self.get(), &w, &v));
  EXPECT_NEAR(self->GetVal(1, 3), u0.GetVal(1, 3), 1e-15);
  EXPECT_FALSE(SingValDecomp(RowsMatrix(3, kA).get(), &u, &w, &u));
}

TEST(SingValEquSolve, MinimumNormSolutionOfRankDeficientSystem) {
  // Column 3 = column 1 + column 2; numpy.linalg.lstsq gives rank 2.
  auto b = RowsMatrix(3, {1, 2, 3, 2, -1, 1, 0, 1, 1, 3, 0.5, 3.5, -1, 2, 1});
  auto c = MakeVector({1, 2, -1, 0.5, 3});
  TVector x(nullptr);
  int32_t rank = -1;
  EXPECT_EQ(SingValEquSolve(b.get(), c.get(), 0.0, &x, rank), kRegRankDeficient);
  EXPECT_EQ(rank, 2);
  ExpectRel(Values(x), {-0.007600434310532032, 0.26601520086862107, 0.2584147665580889}, 1e-13);

  // Square, well conditioned: the exact solution; a threshold of 1 keeps
  // no direction and gives 0.
  auto a = RowsMatrix(2, {4, 1, 1e-3, 3});
  auto rhs = MakeVector({9, 6.00175});
  EXPECT_EQ(SingValEquSolve(a.get(), rhs.get(), -1.0, &x, rank), kRegOk);
  EXPECT_EQ(rank, 2);
  ExpectRel(Values(x), {1.75, 2.0}, 1e-14);
  EXPECT_EQ(SingValEquSolve(a.get(), rhs.get(), 1.0, &x, rank), kRegRankDeficient);
  EXPECT_EQ(rank, 0);
  EXPECT_EQ(Values(x), (std::vector<double>{0.0, 0.0}));

  // The right-hand side near the top of the range does not overflow.
  auto big = MakeVector({9e300, 6.00175e300});
  EXPECT_EQ(SingValEquSolve(a.get(), big.get(), 0.0, &x, rank), kRegOk);
  ExpectRel(Values(x), {1.75e300, 2e300}, 1e-14);

  auto shortRhs = MakeVector({1});
  EXPECT_EQ(SingValEquSolve(a.get(), shortRhs.get(), 0.0, &x, rank), kRegBadSize);
  EXPECT_EQ(SingValEquSolve(a.get(), rhs.get(), kNaN, &x, rank), kRegNonFinite);
  EXPECT_EQ(SingValEquSolve(a.get(), nullptr, 0.0, &x, rank), kRegNoObject);
  EXPECT_EQ(rank, 0);
}

const std::vector<double> kMlrCoef{1.70581473755628, 0.8143540311377306, -1.313104435285331,
                                   0.3680033317279103};

TEST(MultiLinReg, MatchesNumpyCoefficientsStandardErrorsAndRSquared) {
  auto x = RowsMatrix(3, XData());
  auto y = MakeVector(YData());
  TVector coef(nullptr), se(nullptr);
  double r2 = 0.0;
  ASSERT_EQ(MultiLinReg(x.get(), y.get(), &coef, &se, r2), kRegOk);
  ExpectRel(Values(coef), kMlrCoef, 1e-13);
  ExpectRel(Values(se),
            {0.12726206517443994, 0.05820827293858195, 0.05747098920895492, 0.05560091408069135},
            1e-12);
  EXPECT_NEAR(r2, 0.9921779536343768, 1e-14);
}

TEST(MultiLinReg, KeepsDigitsAtExtremeScalesAndLargeOffsets) {
  auto y = MakeVector(YData());
  TVector coef(nullptr), se(nullptr);
  double r2 = 0.0;
  // x times s: slopes divided by s; y times s: everything times s.
  for (const double s : {1e154, 1e-160}) {
    ASSERT_EQ(MultiLinReg(RowsMatrix(3, Scaled(XData(), s)).get(), y.get(), &coef, &se, r2),
              kRegOk);
    EXPECT_NEAR(coef.GetVal(1), kMlrCoef[0], 1e-13);
    for (int32_t j = 2; j <= 4; ++j)
      EXPECT_NEAR(coef.GetVal(j) * s, kMlrCoef[static_cast<size_t>(j - 1)], 1e-13);
    auto ys = MakeVector(Scaled(YData(), s));
    ASSERT_EQ(MultiLinReg(RowsMatrix(3, XData()).get(), ys.get(), &coef, &se, r2), kRegOk);
    for (int32_t j = 1; j <= 4; ++j)
      EXPECT_NEAR(coef.GetVal(j) / s, kMlrCoef[static_cast<size_t>(j - 1)], 1e-13);
    EXPECT_NEAR(se.GetVal(2) / s, 0.05820827293858195, 1e-14);
    EXPECT_NEAR(r2, 0.9921779536343768, 1e-14);
  }
  // A subnormal response (about 44 significant bits) still fits.
  auto tiny = MakeVector(Scaled(YData(), 1e-310));
  ASSERT_EQ(MultiLinReg(RowsMatrix(3, XData()).get(), tiny.get(), &coef, &se, r2), kRegOk);
  for (int32_t j = 1; j <= 4; ++j)
    EXPECT_NEAR(coef.GetVal(j) / 1e-310, kMlrCoef[static_cast<size_t>(j - 1)], 1e-11);
  EXPECT_NEAR(r2, 0.9921779536343768, 1e-11);
  // Variables around 1e8: centring first keeps the slopes.
  auto shifted = XData();
  for (double& v : shifted) v += 1e8;
  ASSERT_EQ(MultiLinReg(RowsMatrix(3, shifted).get(), y.get(), &coef, &se, r2), kRegOk);
  for (int32_t j = 2; j <= 4; ++j)
    EXPECT_NEAR(coef.GetVal(j), kMlrCoef[static_cast<size_t>(j - 1)], 1e-8);
}

TEST(MultiLinReg, RankDeficientExactAndConstantCases) {
  // A duplicated column: rank-deficient, minimum norm splits the slope,
  // predictions stay those of the full model, standard errors NaN.
  std::vector<double> dup;
  const auto& xd = XData();
  for (size_t r = 0; r < 12; ++r) dup.insert(dup.end(), {xd[3 * r], xd[3 * r], xd[3 * r + 1]});
  auto y = MakeVector(YData());
  TVector coef(nullptr), se(nullptr), ref(nullptr);
  double r2 = 0.0;
  EXPECT_EQ(MultiLinReg(RowsMatrix(3, dup).get(), y.get(), &coef, &se, r2), kRegRankDeficient);
  EXPECT_NEAR(coef.GetVal(2), coef.GetVal(3), 1e-12);
  std::vector<double> two;
  for (size_t r = 0; r < 12; ++r) two.insert(two.end(), {xd[3 * r], xd[3 * r + 1]});
  ASSERT_EQ(MultiLinReg(RowsMatrix(2, two).get(), y.get(), &ref, nullptr, r2), kRegOk);
  EXPECT_NEAR(coef.GetVal(2) + coef.GetVal(3), ref.GetVal(2), 1e-12);
  EXPECT_NEAR(coef.GetVal(1), ref.GetVal(1), 1e-12);
  EXPECT_TRUE(std::isnan(se.GetVal(1)) && std::isnan(se.GetVal(4)));

  // Three points, two variables: exact fit, R^2 1, no degree of freedom.
  auto x3 = RowsMatrix(2, {0, 0, 1, 0, 0, 1});
  auto y3 = MakeVector({1, 3, -2});
  EXPECT_EQ(MultiLinReg(x3.get(), y3.get(), &coef, &se, r2), kRegOk);
  ExpectRel(Values(coef), {1, 2, -3}, 1e-14);
  EXPECT_DOUBLE_EQ(r2, 1.0);
  EXPECT_TRUE(std::isnan(se.GetVal(2)));

  // Constant response: slopes 0, intercept the value, R^2 1.
  auto yc = MakeVector(std::vector<double>(12, 4.5));
  EXPECT_EQ(MultiLinReg(RowsMatrix(3, XData()).get(), yc.get(), &coef, nullptr, r2), kRegOk);
  EXPECT_EQ(Values(coef), (std::vector<double>{4.5, 0, 0, 0}));
  EXPECT_EQ(r2, 1.0);
}

TEST(MultiLinReg, RejectsBadInputWithOutputsUnchanged) {
  TVector coef(nullptr);
  coef.Resize(4);
  coef.Fill(7.0);
  double r2 = 5.0;
  auto x = RowsMatrix(3, XData());
  auto y = MakeVector(YData());
  y->SetVal(5, kNaN);
  EXPECT_EQ(MultiLinReg(x.get(), y.get(), &coef, nullptr, r2), kRegNonFinite);
  EXPECT_EQ(r2, 0.0);
  x->SetVal(1, 1, kInf);
  y->SetVal(5, 0.0);
  EXPECT_EQ(MultiLinReg(x.get(), y.get(), &coef, nullptr, r2), kRegNonFinite);
  auto shortY = MakeVector({1, 2});
  EXPECT_EQ(MultiLinReg(x.get(), shortY.get(), &coef, nullptr, r2), kRegBadSize);
  EXPECT_EQ(MultiLinReg(x.get(), y.get(), nullptr, nullptr, r2), kRegNoObject);
  EXPECT_EQ(Values(coef), (std::vector<double>{7, 7, 7, 7}));
}

TEST(RidgeReg, MatchesScikitLearnAndLimits) {
  auto x = RowsMatrix(3, XData());
  auto y = MakeVector(YData());
  TVector coef(nullptr);
  ASSERT_EQ(RidgeReg(x.get(), y.get(), 2.5, &coef), kRegOk);
  const std::vector<double> want{1.7246181550949138, 0.7854247405107078, -1.2591610921384133,
                                 0.3742653284884487};
  ExpectRel(Values(coef), want, 1e-13);
  // Lambda 0 is least squares; a huge lambda leaves only the mean.
  ASSERT_EQ(RidgeReg(x.get(), y.get(), 0.0, &coef), kRegOk);
  ExpectRel(Values(coef), kMlrCoef, 1e-13);
  ASSERT_EQ(RidgeReg(x.get(), y.get(), 1e300, &coef), kRegOk);
  EXPECT_NEAR(coef.GetVal(1), 2.3008333333333333, 1e-12);
  EXPECT_NEAR(coef.GetVal(2), 0.0, 1e-290);
  // X and y times c with lambda times c^2 give the same slopes.
  for (const double c : {std::ldexp(1.0, 500), std::ldexp(1.0, -500)}) {
    auto xs = RowsMatrix(3, Scaled(XData(), c));
    auto ys = MakeVector(Scaled(YData(), c));
    ASSERT_EQ(RidgeReg(xs.get(), ys.get(), 2.5 * c * c, &coef), kRegOk);
    EXPECT_NEAR(coef.GetVal(1) / c, want[0], 1e-13);
    for (int32_t j = 2; j <= 4; ++j)
      EXPECT_NEAR(coef.GetVal(j), want[static_cast<size_t>(j - 1)], 1e-13);
  }
  // Two equal columns: rank-deficient only without a penalty; either way
  // the two get equal slopes.
  auto dup = RowsMatrix(2, {1, 1, 2, 2, 4, 4, 5, 5});
  auto yd = MakeVector({1, 3, 2, 6});
  EXPECT_EQ(RidgeReg(dup.get(), yd.get(), 0.0, &coef), kRegRankDeficient);
  EXPECT_NEAR(coef.GetVal(2), coef.GetVal(3), 1e-14);
  EXPECT_EQ(RidgeReg(dup.get(), yd.get(), 1.0, &coef), kRegOk);
  EXPECT_NEAR(coef.GetVal(2), coef.GetVal(3), 1e-14);
  EXPECT_EQ(RidgeReg(x.get(), y.get(), -1.0, &coef), kRegBadParameter);
  EXPECT_EQ(RidgeReg(x.get(), y.get(), kNaN, &coef), kRegBadParameter);
  EXPECT_EQ(RidgeReg(x.get(), y.get(), kInf, &coef), kRegBadParameter);
}

TEST(RidgeRegStd, MatchesScikitLearnOnStandardisedColumns) {
  auto y = MakeVector(YData());
  TVector coef(nullptr), std(nullptr);
  const std::vector<double> wantStd{1.6893946120933199, -2.465500759254967, 0.9878711197367609};
  const std::vector<double> wantRaw{1.7956018865940213, 0.6698322103894923, -1.075153514143,
                                    0.3715541667602576};
  ASSERT_EQ(RidgeRegStd(RowsMatrix(3, XData()).get(), y.get(), 2.5, &coef, &std), kRegOk);
  ExpectRel(Values(std), wantStd, 1e-13);
  ExpectRel(Values(coef), wantRaw, 1e-13);
  // Standardised coefficients do not depend on the units of the columns.
  auto mixed = XData();
  for (size_t r = 0; r < 12; ++r) mixed[3 * r] *= 1e154, mixed[3 * r + 2] *= 1e-160;
  ASSERT_EQ(RidgeRegStd(RowsMatrix(3, mixed).get(), y.get(), 2.5, &coef, &std), kRegOk);
  ExpectRel(Values(std), wantStd, 1e-13);
  EXPECT_NEAR(coef.GetVal(2) * 1e154, wantRaw[1], 1e-13);
  EXPECT_NEAR(coef.GetVal(4) * 1e-160, wantRaw[3], 1e-13);
  // A constant column takes no part.
  auto withConst = XData();
  for (size_t r = 0; r < 12; ++r) withConst[3 * r + 1] = 3.0;
  ASSERT_EQ(RidgeRegStd(RowsMatrix(3, withConst).get(), y.get(), 0.0, &coef, &std), kRegOk);
  EXPECT_EQ(std.GetVal(2), 0.0);
  EXPECT_EQ(coef.GetVal(3), 0.0);
  EXPECT_EQ(RidgeRegStd(RowsMatrix(3, {1, 2, 3}).get(), MakeVector({1}).get(), 1.0, &coef, nullptr),
            kRegBadSize);
}

TEST(VarInflatFactor, MatchesInverseCorrelationAndFlagsCollinearity) {
  TVector vif(nullptr);
  const std::vector<double> want{1.2608853577150037, 1.0161145923847874, 1.278486624421384};
  ASSERT_EQ(VarInflatFactor(RowsMatrix(3, XData()).get(), &vif), kRegOk);
  ExpectRel(Values(vif), want, 1e-13);
  ASSERT_EQ(VarInflatFactor(RowsMatrix(3, Scaled(XData(), 1e-160)).get(), &vif), kRegOk);
  ExpectRel(Values(vif), want, 1e-13);
  // Column 4 = column 1 - 2 column 2: those three are infinite, column 3
  // keeps a finite factor; a constant column gives NaN; one column gives 1.
  std::vector<double> coll;
  const auto& xd = XData();
  for (size_t r = 0; r < 12; ++r)
    coll.insert(coll.end(),
                {xd[3 * r], xd[3 * r + 1], xd[3 * r + 2], xd[3 * r] - 2 * xd[3 * r + 1]});
  ASSERT_EQ(VarInflatFactor(RowsMatrix(4, coll).get(), &vif), kRegOk);
  EXPECT_EQ(vif.GetVal(1), kInf);
  EXPECT_EQ(vif.GetVal(2), kInf);
  EXPECT_EQ(vif.GetVal(4), kInf);
  EXPECT_TRUE(std::isfinite(vif.GetVal(3)) && vif.GetVal(3) >= 1.0);
  ASSERT_EQ(VarInflatFactor(RowsMatrix(2, {1, 5, 2, 5, 4, 5}).get(), &vif), kRegOk);
  EXPECT_EQ(vif.GetVal(1), 1.0);
  EXPECT_TRUE(std::isnan(vif.GetVal(2)));
  EXPECT_EQ(VarInflatFactor(RowsMatrix(2, {1, kNaN, 2, 5}).get(), &vif), kRegNonFinite);
  EXPECT_EQ(VarInflatFactor(RowsMatrix(2, {1, 2}).get(), &vif), kRegBadSize);
}

TEST(RegressionStatusText, NamesEveryCode) {
  for (int32_t s = kRegNotIncreasing; s <= kRegOk; ++s)
    EXPECT_STRNE(RegressionStatusText(s), RegressionStatusText(1)) << s;
}

}  // namespace
}  // namespace zel
