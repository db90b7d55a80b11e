// Fits, evaluation, prediction, analysis of variance and splines of
// TCurveFit. Reference values: testdata/curvefit_reference.py (numpy and
// scipy).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/testdata/curvefit_reference.inc"
#include "num/analysis/zel_curvefit.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {
namespace {

namespace ref = curvefit_ref;
using M = TRegModel;
constexpr double kMax = std::numeric_limits<double>::max();

void Fill(TCurveFit& f, const std::vector<double>& x, const std::vector<double>& y) {
  for (size_t i = 0; i < x.size(); ++i) f.EnterStatValue(x[i], y[i]);
}

// Runs fit, expects EZELMath2Error with exactly message, and no model after.
void ExpectFailure(TCurveFit& f, const std::string& message, const std::function<void()>& fit) {
  try {
    fit();
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const EZELMath2Error& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
  EXPECT_EQ(f.GetRegModel(), M::rmNone) << message;
}

void ExpectRel(double got, double want, double tol, const char* what) {
  EXPECT_LE(std::fabs(got - want), tol * std::fabs(want)) << what << ": " << got << " vs " << want;
}

TEST(CurveFitLines, LinearFitHasTheInterceptOfTheCentredSums) {
  TCurveFit f(nullptr);
  Fill(f, {1, 2, 3}, {2, 4, 6});
  double k, d, q;
  f.CalcLinFit(k, d, q);
  EXPECT_EQ(k, 2.0);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(q, 1.0);
  EXPECT_EQ(f.Evaluate(10), 20.0);
  TCurveFit g(nullptr);
  Fill(g, ref::kLineX, ref::kLineY);
  g.CalcLinFit(k, d, q);
  ExpectRel(k, ref::kLineSlope, 1e-14, "slope");
  ExpectRel(d, ref::kLineIntercept, 1e-14, "intercept");  // a doubled intercept would be 10.25
  ExpectRel(q, ref::kLineR2, 1e-14, "r2");
  EXPECT_EQ(g.GetModelPar(1, 0), d);
  EXPECT_EQ(g.GetModelPar(1, 1), k);
  EXPECT_EQ(g.GetFitQual(), q);
  // Near 1e154 and 1e-160 nothing overflows or underflows.
  for (double s : {1e154, 1e-160}) {
    TCurveFit e(nullptr);
    Fill(e, {1 * s, 2 * s, 4 * s}, {3 * s, 5 * s, 9 * s});
    e.CalcLinFit(k, d, q);
    EXPECT_NEAR(k, 2.0, 1e-15) << s;
    EXPECT_NEAR(d / s, 1.0, 1e-15) << s;
    EXPECT_NEAR(q, 1.0, 1e-15) << s;
  }
}

TEST(CurveFitLines, FailuresRaiseTheirMessageAndDropTheModel) {
  TCurveFit f(nullptr);
  double k, d, q;
  f.EnterStatValue(1, 1);
  ExpectFailure(f, "CalcLinFit: not enough data points", [&] { f.CalcLinFit(k, d, q); });
  ExpectFailure(f, "CalcLinFitThroughOrigin: not enough data points",
                [&] { f.CalcLinFitThroughOrigin(k, q); });
  f.EnterStatValue(2, 3);
  f.EnterStatValue(3, 2);
  f.CalcLinFit(k, d, q);
  ASSERT_EQ(f.GetRegModel(), M::rmLinear);
  TCurveFit g(nullptr);
  Fill(g, {2, 2, 2}, {1, 2, 3});
  ExpectFailure(g, "CalcLinFit: slope is infinite", [&] { g.CalcLinFit(k, d, q); });
  TCurveFit o(nullptr);
  Fill(o, {0, 0}, {1, 2});
  ExpectFailure(o, "CalcLinFitThroughOrigin: slope is infinite",
                [&] { o.CalcLinFitThroughOrigin(k, q); });
  TCurveFit z(nullptr);
  Fill(z, {1, 2}, {0, 0});
  ExpectFailure(z, "CalcLinFitThroughOrigin: slope is undefined",
                [&] { z.CalcLinFitThroughOrigin(k, q); });
  double a, b, c;
  ExpectFailure(z, "CalcParabolFit: not enough data points", [&] { z.CalcParabolFit(a, b, c, q); });
  ExpectFailure(z, "CalcCircleFit: not enough data points", [&] { z.CalcCircleFit(a, b, c); });
  TCurveFit line(nullptr);
  Fill(line, {0, 1, 2, 3}, {1, 3, 5, 7});
  ExpectFailure(line, "CalcCircleFit: radius is infinite", [&] { line.CalcCircleFit(a, b, c); });
}

TEST(CurveFitLines, OriginParabolaAndCircleMatchNumpy) {
  TCurveFit f(nullptr);
  Fill(f, ref::kLineX, ref::kLineY);
  double k, q;
  f.CalcLinFitThroughOrigin(k, q);
  ExpectRel(k, ref::kOriginSlope, 1e-14, "origin slope");
  ExpectRel(q, ref::kOriginR2, 1e-14, "origin r2");
  EXPECT_EQ(f.Evaluate(2), 2 * k);
  TCurveFit p(nullptr);
  Fill(p, ref::kPolyX, ref::kPolyY);
  double k0, k1, k2;
  p.CalcParabolFit(k0, k1, k2, q);
  ExpectRel(k0, ref::kParabolaCoef[0], 1e-12, "k0");
  ExpectRel(k1, ref::kParabolaCoef[1], 1e-12, "k1");
  ExpectRel(k2, ref::kParabolaCoef[2], 1e-12, "k2");
  EXPECT_EQ(p.GetRegModel(), M::rmParabolic);
  // Two distinct x: the line through them.
  TCurveFit two(nullptr);
  Fill(two, {1, 1, 3, 3}, {1, 3, 5, 7});
  two.CalcParabolFit(k0, k1, k2, q);
  EXPECT_NEAR(k0, 0.0, 1e-14);
  EXPECT_NEAR(k1, 2.0, 1e-14);
  EXPECT_EQ(k2, 0.0);
  TCurveFit c(nullptr);
  Fill(c, ref::kCircleX, ref::kCircleY);
  double r, dx, dy;
  c.CalcCircleFit(r, dx, dy);
  ExpectRel(r, ref::kCircleR, 1e-12, "r");
  ExpectRel(dx, ref::kCircleDx, 1e-12, "dx");
  ExpectRel(dy, ref::kCircleDy, 1e-12, "dy");
  EXPECT_EQ(c.GetModelPar(1, 2), r);
  EXPECT_EQ(c.Evaluate(1.0), 0.0);
  ASSERT_EQ(c.CalcRegModel(M::rmCircle, 0), kRegModelOk);
  EXPECT_NEAR(c.GetResidual(1), std::hypot(ref::kCircleX[0] - dx, ref::kCircleY[0] - dy) - r,
              1e-15);
}

TEST(CurveFitPoly, CoefficientsAndSignificanceMatchNumpy) {
  TCurveFit f(nullptr);
  Fill(f, ref::kPolyX, ref::kPolyY);
  TDoubleArray k, alpha;
  double q;
  bool ns = true;
  ASSERT_TRUE(f.CalcPolyFit(3, k, alpha, q, ns));
  EXPECT_FALSE(ns);
  ASSERT_EQ(k.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    ExpectRel(k[i], ref::kPolyCoef[i], 1e-12, "k");
    ExpectRel(alpha[i], ref::kPolyAlpha[i], 1e-8, "alpha");  // t distribution to 7.2e-9
    EXPECT_EQ(f.GetModelPar(1, static_cast<int32_t>(i)), k[i]);
    EXPECT_EQ(f.GetModelPar(2, static_cast<int32_t>(i)), alpha[i]);
  }
  EXPECT_EQ(f.GetModelPar(1, 4), 0.0);
  ExpectRel(q, ref::kPolyR2, 1e-13, "r2");
  EXPECT_EQ(f.GetPolyOrder(), 3);
  ExpectRel(f.Evaluate(1.0), k[0] + k[1] + k[2] + k[3], 1e-15, "evaluate");
  // The centred form describes the same curve.
  TDoubleArray kc, ac;
  double shift = 0;
  ASSERT_TRUE(f.CalcCenteredPolyFit(3, kc, ac, shift, q, ns));
  EXPECT_DOUBLE_EQ(shift, 0.5);
  EXPECT_EQ(f.GetCPXShift(), shift);
  EXPECT_NEAR(f.Evaluate(2.5), k[0] + 2.5 * (k[1] + 2.5 * (k[2] + 2.5 * k[3])), 1e-12);
  EXPECT_NEAR(ac[3], alpha[3], 1e-12);  // the top coefficient's test does not depend on the shift
}

TEST(CurveFitPoly, BadlyConditionedDataKeepTheirFit) {
  TCurveFit f(nullptr);
  Fill(f, ref::kBadX, ref::kBadY);
  TDoubleArray k;
  double q;
  bool ns = false;
  ASSERT_TRUE(f.CalcPolyFit(3, k, q, ns));
  // The raw coefficients cancel to ~1e-9 of their size (so does numpy's);
  // the fitted values are what must agree.
  for (size_t i = 0; i < ref::kBadX.size(); ++i)
    EXPECT_NEAR(f.Evaluate(ref::kBadX[i]), ref::kBadFitted[i], 1e-6) << i;
  TDoubleArray kc;
  double shift = 0;
  ASSERT_TRUE(f.CalcCenteredPolyFit(3, kc, shift, q, ns));
  EXPECT_FALSE(ns);
  EXPECT_DOUBLE_EQ(shift, ref::kBadMean);
  for (size_t i = 0; i < 4; ++i) ExpectRel(kc[i], ref::kBadCentredCoef[i], 1e-9, "centred");
  for (size_t i = 0; i < ref::kBadX.size(); ++i)
    EXPECT_NEAR(f.Evaluate(ref::kBadX[i]), ref::kBadCentredFitted[i], 1e-12) << i;
  // A caller's shift is kept.
  shift = 1000.0;
  ASSERT_TRUE(f.CalcCenteredPolyFit(2, kc, shift, q, ns));
  EXPECT_EQ(f.GetCPXShift(), 1000.0);
}

TEST(CurveFitPoly, OrderLimitsExtremeScalesAndNonFiniteData) {
  TCurveFit f(nullptr);
  Fill(f, {1, 2, 3}, {1, 4, 9});
  TDoubleArray k, a;
  double q, s = 0;
  bool ns;
  ExpectFailure(f, "CalcPolyFit: not enough data points", [&] { f.CalcPolyFit(3, k, q, ns); });
  ExpectFailure(f, "CalcPolyFit: invalid order", [&] { f.CalcPolyFit(11, k, q, ns); });
  ExpectFailure(f, "CalcPolyFit: invalid order", [&] { f.CalcPolyFit(-1, k, q, ns); });
  ExpectFailure(f, "CalcCenteredPolyFit: not enough data points",
                [&] { f.CalcCenteredPolyFit(3, k, s, q, ns); });
  ExpectFailure(f, "CalcCenteredPolyFit: invalid order",
                [&] { f.CalcCenteredPolyFit(11, k, s, q, ns); });
  // Exactly determined: no residual degrees of freedom, so no significance.
  ASSERT_TRUE(f.CalcPolyFit(2, k, a, q, ns));
  EXPECT_NEAR(k[2], 1.0, 1e-14);
  EXPECT_EQ(a[0], 0.0);
  // Two distinct x for a parabola: a singular value is dropped, and the
  // scale factors leave it out instead of dividing by zero.
  TCurveFit rank(nullptr);
  Fill(rank, {1, 1, 2, 2}, {1, 2, 3, 5});
  ASSERT_TRUE(rank.CalcPolyFit(2, k, a, q, ns));
  EXPECT_TRUE(ns);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(k[i]) && std::isfinite(a[i])) << i;
  EXPECT_NEAR(rank.Evaluate(1), 1.5, 1e-12);
  EXPECT_NEAR(rank.Evaluate(2), 4.0, 1e-12);
  // Order 10 on x near 1e154: x^10 would overflow a double design.
  TCurveFit big(nullptr);
  for (int i = 1; i <= 12; ++i) big.EnterStatValue(i * 1e154, 3e154 + 2.0 * i * 1e154);
  ASSERT_TRUE(big.CalcPolyFit(1, k, q, ns));
  EXPECT_NEAR(k[0] / 3e154, 1.0, 1e-13);
  EXPECT_NEAR(k[1], 2.0, 1e-13);
  ASSERT_TRUE(big.CalcPolyFit(10, k, q, ns));
  EXPECT_NEAR(big.Evaluate(5e154) / 13e154, 1.0, 1e-6);
  TCurveFit tiny(nullptr);
  for (int i = 1; i <= 5; ++i) tiny.EnterStatValue(i * 1e-160, 3e-160 + i * 1e-160 * 4.0);
  ASSERT_TRUE(tiny.CalcPolyFit(1, k, q, ns));
  EXPECT_NEAR(k[1], 4.0, 1e-13);
  EXPECT_NEAR(k[0] / 3e-160, 1.0, 1e-13);
  // NaN: false and no model, quickly.
  TCurveFit nan(nullptr);
  Fill(nan, {1, 2, std::nan(""), 4}, {1, 2, 3, 4});
  EXPECT_FALSE(nan.CalcPolyFit(1, k, q, ns));
  EXPECT_TRUE(k.empty());
  EXPECT_EQ(nan.GetRegModel(), M::rmNone);
  EXPECT_EQ(nan.CalcRegModel(M::rmPolynomial, 1), kRegModelFitFailed);
  double v, pi, ci;
  EXPECT_EQ(nan.Predict(M::rmCenteredPoly, 1, 0.9, 1, v, pi, ci), kPredictFitFailed);
}

TEST(CurveFitModels, LinearisedFitsMatchNumpyOnTransformedData) {
  TCurveFit f(nullptr);
  Fill(f, ref::kModX, ref::kModY);
  using Fit2 = void (TCurveFit::*)(double&, double&, double&);
  struct Case {
    Fit2 fit;
    M model;
    const std::vector<double>& want;
  };
  const Case cases[] = {{&TCurveFit::CalcExponentialFit, M::rmExpo, ref::kExpo},
                        {&TCurveFit::CalcPowerFit, M::rmPower, ref::kPower},
                        {&TCurveFit::CalcLogFit, M::rmLog, ref::kLog},
                        {&TCurveFit::CalcReciLinFit, M::rmReciLin, ref::kReciLin},
                        {&TCurveFit::CalcReciLogFit, M::rmReciLog, ref::kReciLog},
                        {&TCurveFit::CalcHyperbolFit, M::rmHyperbolic, ref::kHyperbol},
                        {&TCurveFit::CalcReciHyperbolFit, M::rmReciHyperbolic, ref::kReciHyperbol}};
  for (const Case& c : cases) {
    double k0, k1, q;
    (f.*c.fit)(k0, k1, q);
    const char* name = IDS_REGMODEL[static_cast<size_t>(c.model)];
    EXPECT_EQ(f.GetRegModel(), c.model) << name;
    ExpectRel(k0, c.want[0], 1e-12, name);
    ExpectRel(k1, c.want[1], 1e-12, name);
  }
  double k0, k1, k2, q;
  f.CalcExponentialFit(k0, k1, q);
  ExpectRel(q, ref::kExpoR2, 1e-13, "expo r2");
  ExpectRel(f.Evaluate(2.0), k0 * std::exp(2 * k1), 1e-15, "expo");
  f.CalcGaussFit(k0, k1, k2, q);
  for (int i = 0; i < 3; ++i) ExpectRel(std::array{k0, k1, k2}[i], ref::kGauss[i], 1e-10, "gauss");
  f.CalcHoerlFit(k0, k1, k2, q);
  for (int i = 0; i < 3; ++i) ExpectRel(std::array{k0, k1, k2}[i], ref::kHoerl[i], 1e-12, "hoerl");
  ExpectRel(f.Evaluate(2.0), k0 * std::pow(k1, 2.0) * std::pow(2.0, k2), 1e-15, "hoerl");
}

TEST(CurveFitModels, TransformationsOutsideTheirDomainFail) {
  double k0, k1, k2, q;
  using Fit = std::function<void(TCurveFit&)>;
  const Fit logFit = [&](TCurveFit& f) { f.CalcLogFit(k0, k1, q); };
  const Fit gauss = [&](TCurveFit& f) { f.CalcGaussFit(k0, k1, k2, q); };
  struct Case {
    std::vector<double> x, y;
    Fit fit;
    const char* message;
  };
  const std::string domain = ": data outside the domain of the model";
  const Case cases[] = {
      {{-1, 2, 3}, {1, 2, 3}, logFit, "CalcLogFit"},
      {{-1, 2, 3}, {1, 2, 3}, [&](TCurveFit& f) { f.CalcPowerFit(k0, k1, q); }, "CalcPowerFit"},
      {{-1, 2, 3}, {1, 2, 3}, [&](TCurveFit& f) { f.CalcHoerlFit(k0, k1, k2, q); }, "CalcHoerlFit"},
      {{1, 2, 3}, {1, 0, 3}, [&](TCurveFit& f) { f.CalcReciLinFit(k0, k1, q); }, "CalcReciLinFit"},
      {{1, 2, 3}, {1, 0, 3}, gauss, "CalcGaussFit"},
      {{0, 2, 3},
       {1, 2, 3},
       [&](TCurveFit& f) { f.CalcHyperbolFit(k0, k1, q); },
       "CalcHyperbolFit"},
  };
  for (const Case& c : cases) {
    TCurveFit f(nullptr);
    Fill(f, c.x, c.y);
    ExpectFailure(f, c.message + domain, [&] { c.fit(f); });
  }
  TCurveFit negX(nullptr);  // the exponential needs only y > 0
  Fill(negX, {-1, 2, 3}, {1, 2, 3});
  negX.CalcExponentialFit(k0, k1, q);
  EXPECT_EQ(negX.GetRegModel(), M::rmExpo);
  TCurveFit two(nullptr);
  Fill(two, {1, 2}, {1, 2});
  ExpectFailure(two, "CalcExponentialFit: not enough data points",
                [&] { two.CalcExponentialFit(k0, k1, q); });
  TCurveFit same(nullptr);
  Fill(same, {2, 2, 2}, {1, 2, 3});
  ExpectFailure(same, "CalcLogFit: regression is singular", [&] { logFit(same); });
  ExpectFailure(same, "CalcGaussFit: regression is singular", [&] { gauss(same); });
  // Poles evaluate to the largest double.
  TCurveFit f(nullptr);
  Fill(f, {1, 2, 4}, {1, 0.5, 0.25});
  f.CalcReciLinFit(k0, k1, q);  // 1/y = x exactly
  EXPECT_EQ(f.Evaluate(-k0 / k1), kMax);
  f.CalcLogFit(k0, k1, q);
  EXPECT_EQ(f.Evaluate(0.0), -kMax);
  f.CalcHyperbolFit(k0, k1, q);
  EXPECT_EQ(f.Evaluate(0.0), kMax);
  f.CalcPowerFit(k0, k1, q);
  EXPECT_TRUE(std::isnan(f.Evaluate(-1.0)));
}

TEST(CurveFitModels, RegModelRefitsAfterEveryDataChange) {
  TCurveFit f(nullptr);
  EXPECT_EQ(f.CalcRegModel(M::rmLinear, 0), kRegModelTooFewPoints);
  Fill(f, {1, 2, 3, 4}, {2, 4, 6, 9});
  EXPECT_EQ(f.CalcRegModel(M::rmNone, 0), kRegModelNone);
  ASSERT_EQ(f.CalcRegModel(M::rmLinear, 0), kRegModelOk);
  const double k1 = f.GetModelPar(1, 1);
  EXPECT_NEAR(f.GetResidual(4), 9 - f.Evaluate(4), 1e-15);
  EXPECT_GT(f.GetStdDevResid(), 0.0);
  f.RemoveStatValue(4);  // data changed: the old line is gone
  EXPECT_EQ(f.GetRegModel(), M::rmNone);
  EXPECT_EQ(f.GetResidual(1), 0.0);
  ASSERT_EQ(f.CalcRegModel(M::rmLinear, 0), kRegModelOk);
  EXPECT_NE(f.GetModelPar(1, 1), k1);
  EXPECT_NEAR(f.GetModelPar(1, 1), 2.0, 1e-15);
  f.FlipXY();
  EXPECT_EQ(f.GetRegModel(), M::rmNone);
  ASSERT_EQ(f.CalcRegModel(M::rmPolynomial, 1), kRegModelOk);
  EXPECT_NEAR(f.GetModelPar(1, 1), 0.5, 1e-14);
  ASSERT_EQ(f.CalcRegModel(M::rmPolynomial, 2), kRegModelOk);  // another order refits
  EXPECT_EQ(f.GetPolyOrder(), 2);
  EXPECT_THROW(f.CalcRegModel(M::rmPolynomial, 3), EZELMath2Error);
}

TEST(CurveFitModels, PredictionIntervalsMatchTheStraightLineFormulas) {
  TCurveFit f(nullptr);
  Fill(f, ref::kLineX, ref::kLineY);
  double v, pi, ci;
  ASSERT_EQ(f.Predict(M::rmLinear, 4.5, 0.95, 0, v, pi, ci), kPredictOk);
  ExpectRel(v, ref::kLinePredVal, 1e-14, "pred");
  ExpectRel(pi, ref::kLinePredIv, 1e-8, "pred iv");
  ExpectRel(ci, ref::kLineConfIv, 1e-8, "conf iv");
  EXPECT_EQ(f.Predict(M::rmLinear, 4.5, 0.5, 0, v, pi, ci), kPredictOk);
  EXPECT_EQ(f.Predict(M::rmLinear, 4.5, 1.0, 0, v, pi, ci), kPredictBadProbability);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(f.Predict(M::rmLinear, 4.5, std::nan(""), 0, v, pi, ci), kPredictBadProbability);
  EXPECT_EQ(f.Predict(M::rmNone, 4.5, 0.9, 0, v, pi, ci), kPredictNoModel);
  EXPECT_EQ(f.Predict(M::rmParabolic, 4.5, 0.9, 0, v, pi, ci), kPredictOk);
  // Two points: the line, but no spread left for an interval.
  TCurveFit two(nullptr);
  Fill(two, {1, 2}, {3, 5});
  EXPECT_EQ(two.Predict(M::rmParabolic, 1, 0.9, 0, v, pi, ci), kPredictTooFewPoints);
  ASSERT_EQ(two.Predict(M::rmLinear, 3, 0.9, 0, v, pi, ci), kPredictNoDegreesOfFreedom);
  EXPECT_NEAR(v, 7.0, 1e-14);
  EXPECT_EQ(pi, 0.0);
  EXPECT_EQ(ci, 0.0);
}

TEST(CurveFitModels, AnovaGuardsItsDivisors) {
  TCurveFit f(nullptr);
  Fill(f, {1, 2, 3, 4, 5}, {1.2, 1.8, 3.1, 4.2, 4.7});  // observed x, fitted y
  int32_t dfreg, dfres, dft;
  double sse, ssr, sst, mse, msr, F;
  ASSERT_EQ(f.CalcAnovaReg(1, true, dfreg, dfres, dft, sse, ssr, sst, mse, msr, F), kAnovaOk);
  EXPECT_EQ(dfreg, 1);
  EXPECT_EQ(dft, 4);
  EXPECT_EQ(dfres, 3);
  EXPECT_NEAR(sse, 0.04 + 0.04 + 0.01 + 0.04 + 0.09, 1e-14);
  EXPECT_NEAR(sst, 10.0, 1e-14);
  EXPECT_NEAR(ssr, 3.24 + 1.44 + 0.01 + 1.44 + 2.89, 1e-14);
  EXPECT_NEAR(F, ssr / (sse / 3), 1e-12);
  ASSERT_EQ(f.CalcAnovaReg(4, true, dfreg, dfres, dft, sse, ssr, sst, mse, msr, F),
            kAnovaNoDegreesOfFreedom);
  EXPECT_EQ(dfres, 0);
  EXPECT_EQ(mse, 0.0);
  EXPECT_EQ(F, 0.0);
  EXPECT_GT(sse, 0.0);
  EXPECT_EQ(f.CalcAnovaReg(0, false, dfreg, dfres, dft, sse, ssr, sst, mse, msr, F),
            kAnovaNoDegreesOfFreedom);
  EXPECT_NEAR(sst, 55.0, 1e-13);  // around 0 without a constant
  TCurveFit exact(nullptr);
  Fill(exact, {1, 2, 3}, {1, 2, 3});
  exact.CalcAnovaReg(1, true, dfreg, dfres, dft, sse, ssr, sst, mse, msr, F);
  EXPECT_EQ(F, 1e10);
}

TEST(CurveFitSplines, CubicSplineMatchesScipyWithBothEndConditions) {
  TCurveFit f(nullptr);
  // Entered out of order, with a repeated point: sorted and merged.
  for (size_t i = ref::kSplX.size(); i-- > 0;) f.EnterStatValue(ref::kSplX[i], ref::kSplY[i]);
  f.EnterStatValue(ref::kSplX[3], ref::kSplY[3]);
  for (size_t i = 0; i < ref::kSplQ.size(); ++i)
    EXPECT_NEAR(f.CubicSpline(ref::kSplQ[i]), ref::kSplNatural[i], 1e-13) << ref::kSplQ[i];
  f.SetSplineNatural1(false);
  f.SetSplineNaturalN(false);
  f.SetSplineDerivY1(0.5);
  f.SetSplineDerivYN(-1.0);
  for (size_t i = 0; i < ref::kSplQ.size(); ++i)
    EXPECT_NEAR(f.CubicSpline(ref::kSplQ[i]), ref::kSplClamped[i], 1e-13) << ref::kSplQ[i];
  f.EnterStatValue(7.0, 100.0);  // the cache follows the data
  EXPECT_GT(f.CubicSpline(6.9), 50.0);
  TCurveFit one(nullptr);
  EXPECT_EQ(one.CubicSpline(1.0), 0.0);
  one.EnterStatValue(2, 3);
  one.EnterStatValue(2, 5);
  EXPECT_EQ(one.CubicSpline(-7.0), 4.0);
  one.EnterStatValue(1, std::nan(""));
  EXPECT_TRUE(std::isnan(one.CubicSpline(1.5)));
  double q;
  bool valid = true;
  EXPECT_EQ(one.SmoothedSpline(1.5, q, valid), 0.0);
  EXPECT_FALSE(valid);
}

TEST(CurveFitSplines, SmoothingSplineMatchesScipyAndItsLimits) {
  TCurveFit f(nullptr);
  Fill(f, ref::kSplX, ref::kSplY);
  double q;
  bool valid = false;
  for (const auto& [p, want] : {std::pair{0.5, &ref::kSmooth05}, std::pair{0.9, &ref::kSmooth09}}) {
    f.SetSplineSmoothingFactor(p);
    for (size_t i = 0; i < ref::kSmoothQ.size(); ++i)
      EXPECT_NEAR(f.SmoothedSpline(ref::kSmoothQ[i], q, valid), (*want)[i], 1e-14) << p;
    EXPECT_TRUE(valid);
    EXPECT_GT(q, 0.0);
    EXPECT_LT(q, 1.0);
  }
  f.SetSplineSmoothingFactor(1.0);  // interpolates
  EXPECT_NEAR(f.SmoothedSpline(ref::kSplX[2], q, valid), ref::kSplY[2], 1e-12);
  EXPECT_NEAR(q, 1.0, 1e-12);
  f.SetSplineSmoothingFactor(0.0);  // the least-squares line, also beyond the data
  double k, d, r2;
  f.CalcLinFit(k, d, r2);
  for (double x : {-3.0, 1.0, 10.0}) EXPECT_NEAR(f.SmoothedSpline(x, q, valid), k * x + d, 1e-12);
  EXPECT_NEAR(q, r2, 1e-12);
  // The engine is the unit's PenalizedCubicSpline: its failures leave the
  // output alone.
  TVector v(nullptr);
  v.Resize(1);
  auto xs = analysis_test::MakeVector({0, 2, 1}), ys = analysis_test::MakeVector({1, 2, 3});
  EXPECT_EQ(PenalizedCubicSpline(xs.get(), ys.get(), nullptr, 1.0, &v, nullptr), kRegNotIncreasing);
  EXPECT_EQ(PenalizedCubicSpline(ys.get(), xs.get(), nullptr, -1.0, &v, nullptr), kRegBadParameter);
  EXPECT_EQ(v.GetNrOfElem(), 1);
  // Weights: a doubled point weighs as two equal points.
  const std::vector<double> x5{0, 1, 2, 3, 4};
  auto vx5 = analysis_test::MakeVector(x5), y5 = analysis_test::MakeVector({1, 3, 2, 5, 4}),
       w5 = analysis_test::MakeVector({1, 1, 2, 1, 1});
  ASSERT_EQ(PenalizedCubicSpline(vx5.get(), y5.get(), w5.get(), 0.3, &v, nullptr), kRegOk);
  TCurveFit dup(nullptr);
  Fill(dup, {0, 1, 2, 2, 3, 4}, {1, 3, 2, 2, 5, 4});
  dup.SetSplineSmoothingFactor(1.0 / 1.3);
  for (size_t i = 0; i < x5.size(); ++i)
    EXPECT_NEAR(dup.SmoothedSpline(x5[i], q, valid), v.GetVal(static_cast<int32_t>(i + 1)), 1e-13)
        << i;
  // Two distinct x: the line through (1, mean 2) and (4, 5) at any factor;
  // one distinct x: its mean y.
  TCurveFit two(nullptr);
  Fill(two, {1, 4, 1}, {1, 5, 3});
  EXPECT_NEAR(two.SmoothedSpline(7.0, q, valid), 8.0, 1e-14);
  EXPECT_TRUE(valid);
  EXPECT_NEAR(two.SmoothedSpline(2.5, q, valid), 3.5, 1e-14);
  TCurveFit single(nullptr);
  Fill(single, {2, 2}, {3, 6});
  EXPECT_EQ(single.SmoothedSpline(-9.0, q, valid), 4.5);
  EXPECT_TRUE(valid);
}

}  // namespace
}  // namespace zel
