// TCurveFit: regression models, evaluation, prediction and analysis of
// variance.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "num/analysis/curvefit_impl.hpp"
#include "num/analysis/zel_curvefit.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using curvefit_detail::kNearZero;
using curvefit_detail::Mean;
using curvefit_detail::SquaredCorrelation;

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kMaxPolyOrder = 10;

bool AllFinite(const std::vector<double>& a, const std::vector<double>& b) {
  for (size_t i = 0; i < a.size(); ++i)
    if (!std::isfinite(a[i]) || !std::isfinite(b[i])) return false;
  return true;
}

// Least-squares line v = a + b u on centred long double sums; false when
// the u are all equal.
bool LineLS(const std::vector<long double>& u, const std::vector<long double>& v, long double& a,
            long double& b) {
  const auto n = static_cast<long double>(u.size());
  long double mu = 0.0L, mv = 0.0L;
  for (size_t i = 0; i < u.size(); ++i) {
    mu += u[i];
    mv += v[i];
  }
  mu /= n;
  mv /= n;
  long double suu = 0.0L, suv = 0.0L;
  for (size_t i = 0; i < u.size(); ++i) {
    suu += (u[i] - mu) * (u[i] - mu);
    suv += (u[i] - mu) * (v[i] - mv);
  }
  if (!(suu > 0.0L)) return false;
  b = suv / suu;
  a = mv - b * mu;
  return true;
}

[[noreturn]] void Throw(const char* routine, const char* text) {
  throw EZELMath2Error(std::string(routine) + ": " + text);
}

}  // namespace

// ---------------------------------------------------------------------------
// Model bookkeeping
// ---------------------------------------------------------------------------

void TCurveFit::RequirePoints(int32_t n, const char* routine) {
  DiscardModel();
  if (GetNumData() < n) Throw(routine, "not enough data points");
}

void TCurveFit::SetModel(TRegModel m, std::span<const double> pars, bool fitQual) {
  FRegMod = m;
  for (size_t i = 0; i < FModPars[0].size(); ++i) {
    FModPars[0][i] = i < pars.size() ? pars[i] : 0.0;
    FModPars[1][i] = -1.0;
  }
  FModR2 = fitQual ? ModelFitQual() : 0.0;
}

double TCurveFit::ModelFitQual() const {
  std::vector<double> f(FX.size());
  for (size_t i = 0; i < f.size(); ++i) f[i] = Evaluate(FX[i]);
  return SquaredCorrelation(f, FY);
}

double TCurveFit::GetModelPar(int32_t ix, int32_t iy) const {
  if (ix != 1 && ix != 2) return -1.0;
  if (iy >= 0 && iy <= 10 && FRegMod != TRegModel::rmNone)
    return FModPars[static_cast<size_t>(ix - 1)][static_cast<size_t>(iy)];
  return ix == 1 ? 0.0 : -1.0;
}

double TCurveFit::GetFitQual() const { return FRegMod == TRegModel::rmNone ? 0.0 : FModR2; }

double TCurveFit::GetResidual(int32_t ix) const {
  if (FRegMod == TRegModel::rmNone || ix < 1 || ix > static_cast<int32_t>(FResids.size()))
    return 0.0;
  return FResids[static_cast<size_t>(ix - 1)];
}

double TCurveFit::GetStdDevResid() const {
  if (FResids.empty()) return 0.0;
  double sd = 0.0;
  if (StdDevArray(FResids, 0, static_cast<int32_t>(FResids.size()) - 1, sd) != 0) return 0.0;
  return sd;
}

double TCurveFit::GetCPXShift() const {
  return FRegMod == TRegModel::rmCenteredPoly ? FXShift : 0.0;
}

// ---------------------------------------------------------------------------
// Closed-form fits
// ---------------------------------------------------------------------------

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) {
  k = d = FitQual = 0.0;
  RequirePoints(2, "CalcLinFit");
  if (!AllFinite(FX, FY)) {
    k = d = FitQual = kNaN;
    return;
  }
  const long double mx = Mean(FX), my = Mean(FY);
  long double sxx = 0.0L, sxy = 0.0L, syy = 0.0L;
  for (size_t i = 0; i < FX.size(); ++i) {
    const long double u = FX[i] - mx, v = FY[i] - my;
    sxx += u * u;
    sxy += u * v;
    syy += v * v;
  }
  if (sxx == 0.0L) Throw("CalcLinFit", "slope is infinite");
  const long double kk = sxy / sxx;
  k = static_cast<double>(kk);
  d = static_cast<double>(my - kk * mx);
  const double pars[] = {d, k};
  SetModel(TRegModel::rmLinear, pars, false);
  FModR2 = syy == 0.0L ? 1.0 : static_cast<double>((sxy / sxx) * (sxy / syy));
  FitQual = FModR2;
}

void TCurveFit::CalcLinFitThroughOrigin(double& k, double& FitQual) {
  k = FitQual = 0.0;
  RequirePoints(2, "CalcLinFitThroughOrigin");
  if (!AllFinite(FX, FY)) {
    k = FitQual = kNaN;
    return;
  }
  long double sxx = 0.0L, sxy = 0.0L, syy = 0.0L;
  for (size_t i = 0; i < FX.size(); ++i) {
    sxx += static_cast<long double>(FX[i]) * FX[i];
    sxy += static_cast<long double>(FX[i]) * FY[i];
    syy += static_cast<long double>(FY[i]) * FY[i];
  }
  if (sxx == 0.0L) Throw("CalcLinFitThroughOrigin", "slope is infinite");
  if (syy == 0.0L) Throw("CalcLinFitThroughOrigin", "slope is undefined");
  const long double kk = sxy / sxx;
  long double sse = 0.0L;
  for (size_t i = 0; i < FX.size(); ++i) {
    const long double e = FY[i] - kk * FX[i];
    sse += e * e;
  }
  k = static_cast<double>(kk);
  const double pars[] = {0.0, k};
  SetModel(TRegModel::rmLinearOrigin, pars, false);
  FModR2 = static_cast<double>(1.0L - sse / syy);
  FitQual = FModR2;
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) {
  k0 = k1 = k2 = FitQual = 0.0;
  RequirePoints(3, "CalcParabolFit");
  if (!AllFinite(FX, FY)) {
    k0 = k1 = k2 = FitQual = kNaN;
    return;
  }
  if (!LeastSquaresParabola(FX, FY, k0, k1, k2)) {
    // Fewer than three distinct x: the line through two of them, or the
    // mean of y over one.
    std::vector<long double> u(FX.begin(), FX.end()), v(FY.begin(), FY.end());
    long double a = 0.0L, b = 0.0L;
    if (LineLS(u, v, a, b)) {
      k0 = static_cast<double>(a);
      k1 = static_cast<double>(b);
    } else {
      k0 = static_cast<double>(Mean(FY));
    }
    k2 = 0.0;
  }
  const double pars[] = {k0, k1, k2};
  SetModel(TRegModel::rmParabolic, pars);
  FitQual = FModR2;
}

void TCurveFit::CalcCircleFit(double& r, double& dx, double& dy) {
  r = dx = dy = 0.0;
  RequirePoints(3, "CalcCircleFit");
  if (!AllFinite(FX, FY)) {
    r = dx = dy = kNaN;
    return;
  }
  // Kasa's algebraic fit on centred data, where Sum u = Sum v = 0 decouples
  // the constant: [Suu Suv; Suv Svv] (a, b) = (Sum u q, Sum v q), q = u^2 + v^2.
  const long double mx = Mean(FX), my = Mean(FY);
  long double suu = 0.0L, suv = 0.0L, svv = 0.0L, suq = 0.0L, svq = 0.0L, sq = 0.0L;
  for (size_t i = 0; i < FX.size(); ++i) {
    const long double u = FX[i] - mx, v = FY[i] - my, q = u * u + v * v;
    suu += u * u;
    suv += u * v;
    svv += v * v;
    suq += u * q;
    svq += v * q;
    sq += q;
  }
  const long double det = suu * svv - suv * suv;
  // Collinear points leave only rounding in the determinant.
  if (!(det > 1e-13L * suu * svv)) Throw("CalcCircleFit", "radius is infinite");
  const long double a = (svv * suq - suv * svq) / det;
  const long double b = (suu * svq - suv * suq) / det;
  const long double c = sq / static_cast<long double>(FX.size());
  dx = static_cast<double>(mx + a / 2.0L);
  dy = static_cast<double>(my + b / 2.0L);
  r = static_cast<double>(std::sqrt(c + (a * a + b * b) / 4.0L));
  const double pars[] = {dx, dy, r};
  SetModel(TRegModel::rmCircle, pars, false);
}

// ---------------------------------------------------------------------------
// Polynomials by SVD
// ---------------------------------------------------------------------------

// Columns x^1..x^nOrder and ones, each scaled by a power of two (exact) so
// that high powers of large or tiny x stay in the double range; y likewise.
// The coefficients and scale factors are scaled back in long double.
bool TCurveFit::PolyCore(int32_t nOrder, const std::vector<double>& x, const std::vector<double>& y,
                         TDoubleArray& k, TDoubleArray& alpha, bool& nearSingular) {
  k.clear();
  alpha.clear();
  nearSingular = false;
  if (!AllFinite(x, y)) return false;
  const size_t n = x.size();
  const auto p = static_cast<size_t>(nOrder) + 1;
  TDouble2DArray a(p, TDoubleArray(n, 1.0));
  std::vector<int> colExp(p, 0);
  std::vector<long double> pw(n, 1.0L);
  for (size_t j = 0; j + 1 < p; ++j) {
    long double big = 0.0L;
    for (size_t r = 0; r < n; ++r) {
      pw[r] *= x[r];
      big = std::max(big, std::fabs(pw[r]));
    }
    colExp[j] = big > 0.0L ? std::ilogb(big) : 0;
    for (size_t r = 0; r < n; ++r) a[j][r] = static_cast<double>(std::ldexp(pw[r], -colExp[j]));
  }
  double ybig = 0.0;
  for (double v : y) ybig = std::max(ybig, std::fabs(v));
  const int yExp = ybig > 0.0 ? std::ilogb(ybig) : 0;
  TDoubleArray ys(n);
  for (size_t r = 0; r < n; ++r) ys[r] = std::ldexp(y[r], -yExp);

  TDoubleArray c, v;
  if (!SVDLeastSquares(a, ys, c, v, nearSingular)) return false;
  long double sse = 0.0L;
  for (size_t r = 0; r < n; ++r) {
    long double f = 0.0L;
    for (size_t j = 0; j < p; ++j) f += static_cast<long double>(c[j]) * a[j][r];
    const long double e = static_cast<long double>(ys[r]) - f;
    sse += e * e;
  }
  const int64_t df = static_cast<int64_t>(n) - nOrder - 1;
  const long double s = df > 0 ? std::sqrt(sse / static_cast<long double>(df)) : 0.0L;
  k.assign(p, 0.0);
  alpha.assign(p, 0.0);
  for (size_t j = 0; j < p; ++j) {
    // Column j holds x^(j + 1); the last one is the constant.
    const size_t i = j + 1 < p ? j + 1 : 0;
    k[i] = static_cast<double>(std::ldexp(static_cast<long double>(c[j]), yExp - colExp[j]));
    if (s > 0.0L && v[j] > 0.0) {
      const long double t = static_cast<long double>(c[j]) / (s * v[j]);
      alpha[i] = 2.0 * tDistriIntegral(-static_cast<double>(std::fabs(t)),
                                       static_cast<int32_t>(std::min<int64_t>(df, INT32_MAX)));
    }
  }
  return true;
}

bool TCurveFit::CalcPolyFit(int32_t nOrder, TDoubleArray& kArray, TDoubleArray& Alpha,
                            double& FitQual, bool& NearSingular) {
  kArray.clear();
  Alpha.clear();
  FitQual = 0.0;
  NearSingular = false;
  DiscardModel();
  if (nOrder < 0 || nOrder > kMaxPolyOrder) Throw("CalcPolyFit", "invalid order");
  if (nOrder >= GetNumData()) Throw("CalcPolyFit", "not enough data points");
  if (!PolyCore(nOrder, FX, FY, kArray, Alpha, NearSingular)) return false;
  FPolyOrder = nOrder;
  SetModel(TRegModel::rmPolynomial, kArray);
  for (size_t i = 0; i < Alpha.size(); ++i) FModPars[1][i] = Alpha[i];
  FitQual = FModR2;
  return true;
}

bool TCurveFit::CalcPolyFit(int32_t nOrder, TDoubleArray& kArray, double& FitQual,
                            bool& NearSingular) {
  TDoubleArray alpha;
  return CalcPolyFit(nOrder, kArray, alpha, FitQual, NearSingular);
}

bool TCurveFit::CalcCenteredPolyFit(int32_t nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                                    double& XShift, double& FitQual, bool& NearSingular) {
  kArray.clear();
  alpha.clear();
  FitQual = 0.0;
  NearSingular = false;
  DiscardModel();
  if (nOrder < 0 || nOrder > kMaxPolyOrder) Throw("CalcCenteredPolyFit", "invalid order");
  const size_t n = FX.size();
  if (nOrder >= GetNumData()) Throw("CalcCenteredPolyFit", "not enough data points");
  if (XShift == 0.0) XShift = static_cast<double>(Mean(FX));
  const long double mx = Mean(FX);
  long double ss = 0.0L;
  for (double v : FX) ss += (v - mx) * (v - mx);
  long double sd = n > 1 ? std::sqrt(ss / static_cast<long double>(n - 1)) : 0.0L;
  if (!(sd > 0.0L) || !std::isfinite(sd)) sd = 1.0L;
  const long double my = Mean(FY);
  std::vector<double> xs(n), ys(n);
  for (size_t i = 0; i < n; ++i) {
    xs[i] = static_cast<double>((FX[i] - static_cast<long double>(XShift)) / sd);
    ys[i] = static_cast<double>(FY[i] - my);
  }
  if (!PolyCore(nOrder, xs, ys, kArray, alpha, NearSingular)) return false;
  long double f = 1.0L;
  for (size_t i = 1; i < kArray.size(); ++i) {
    f *= sd;
    kArray[i] = static_cast<double>(kArray[i] / f);
  }
  kArray[0] = static_cast<double>(kArray[0] + my);
  FPolyOrder = nOrder;
  FXShift = XShift;
  SetModel(TRegModel::rmCenteredPoly, kArray);
  for (size_t i = 0; i < alpha.size(); ++i) FModPars[1][i] = alpha[i];
  FitQual = FModR2;
  return true;
}

bool TCurveFit::CalcCenteredPolyFit(int32_t nOrder, TDoubleArray& kArray, double& XShift,
                                    double& FitQual, bool& NearSingular) {
  TDoubleArray alpha;
  return CalcCenteredPolyFit(nOrder, kArray, alpha, XShift, FitQual, NearSingular);
}

// ---------------------------------------------------------------------------
// Linearisable models
// ---------------------------------------------------------------------------

// Checks the point count, the finiteness and the transformations the model
// needs, fits v = a + b u on the transformed points and makes k0 = a (or
// exp(a)), k1 = b the model.
void TCurveFit::FitTransformedLine(const char* routine, TRegModel model, long double (*u)(double),
                                   long double (*v)(double), bool expIntercept, double& k0,
                                   double& k1, double& FitQual) {
  k0 = k1 = FitQual = 0.0;
  CheckDomain(routine, model);
  std::vector<long double> us(FX.size()), vs(FX.size());
  for (size_t i = 0; i < FX.size(); ++i) {
    us[i] = u(FX[i]);
    vs[i] = v(FY[i]);
  }
  long double a = 0, b = 0;
  if (!LineLS(us, vs, a, b)) Throw(routine, "regression is singular");
  k0 = static_cast<double>(expIntercept ? std::exp(a) : a);
  k1 = static_cast<double>(b);
  const double pars[] = {k0, k1};
  SetModel(model, pars);
  FitQual = FModR2;
}

void TCurveFit::CheckDomain(const char* routine, TRegModel model) {
  RequirePoints(REG_MINDP[static_cast<size_t>(model)], routine);
  using E = TCurveFitError;
  bool bad = FNonFinite > 0;
  const auto needs = [&](E e) { bad = bad || FErrCount[static_cast<size_t>(e)] > 0; };
  switch (model) {
    case TRegModel::rmExpo:
    case TRegModel::rmGaussian: needs(E::cfeYLE0); break;
    case TRegModel::rmPower:
    case TRegModel::rmHoerl:
      needs(E::cfeXLE0);
      needs(E::cfeYLE0);
      break;
    case TRegModel::rmLog: needs(E::cfeXLE0); break;
    case TRegModel::rmReciLin: needs(E::cfeYEQ0); break;
    case TRegModel::rmReciLog:
      needs(E::cfeXLE0);
      needs(E::cfeYEQ0);
      break;
    case TRegModel::rmHyperbolic: needs(E::cfeXEQ0); break;
    case TRegModel::rmReciHyperbolic:
      needs(E::cfeXEQ0);
      needs(E::cfeYEQ0);
      break;
    default: break;
  }
  if (bad) Throw(routine, "data outside the domain of the model");
}

namespace {
long double Id(double t) { return t; }
long double Ln(double t) { return std::log(static_cast<long double>(t)); }
long double Inv(double t) { return 1.0L / t; }
}  // namespace

void TCurveFit::CalcExponentialFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcExponentialFit", TRegModel::rmExpo, Id, Ln, true, k0, k1, FitQual);
}

void TCurveFit::CalcLogFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcLogFit", TRegModel::rmLog, Ln, Id, false, k0, k1, FitQual);
}

void TCurveFit::CalcPowerFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcPowerFit", TRegModel::rmPower, Ln, Ln, true, k0, k1, FitQual);
}

void TCurveFit::CalcReciLinFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcReciLinFit", TRegModel::rmReciLin, Id, Inv, false, k0, k1, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcReciLogFit", TRegModel::rmReciLog, Ln, Inv, false, k0, k1, FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcHyperbolFit", TRegModel::rmHyperbolic, Inv, Id, false, k0, k1, FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k0, double& k1, double& FitQual) {
  FitTransformedLine("CalcReciHyperbolFit", TRegModel::rmReciHyperbolic, Inv, Inv, false, k0, k1,
                     FitQual);
}

void TCurveFit::CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual) {
  k0 = k1 = k2 = FitQual = 0.0;
  CheckDomain("CalcGaussFit", TRegModel::rmGaussian);
  std::vector<double> ly(FY.size());
  for (size_t i = 0; i < FY.size(); ++i) ly[i] = std::log(FY[i]);
  double a = 0, b = 0, c = 0;
  if (!LeastSquaresParabola(FX, ly, a, b, c) || c == 0.0)
    Throw("CalcGaussFit", "regression is singular");
  k2 = -1.0 / c;
  k1 = -b / (2.0 * c);
  k0 = std::exp(a - b * b / (4.0 * c));
  const double pars[] = {k0, k1, k2};
  SetModel(TRegModel::rmGaussian, pars);
  FitQual = FModR2;
}

void TCurveFit::CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual) {
  k0 = k1 = k2 = FitQual = 0.0;
  CheckDomain("CalcHoerlFit", TRegModel::rmHoerl);
  // ln y = a + b1 x + b2 ln x, on centred regressors.
  const size_t n = FX.size();
  std::vector<long double> lx(n), ly(n);
  for (size_t i = 0; i < n; ++i) {
    lx[i] = std::log(static_cast<long double>(FX[i]));
    ly[i] = std::log(static_cast<long double>(FY[i]));
  }
  const long double m1 = Mean(FX);
  long double m2 = 0.0L, mv = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    m2 += lx[i];
    mv += ly[i];
  }
  m2 /= static_cast<long double>(n);
  mv /= static_cast<long double>(n);
  long double s11 = 0, s12 = 0, s22 = 0, s1v = 0, s2v = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double u1 = FX[i] - m1, u2 = lx[i] - m2, v = ly[i] - mv;
    s11 += u1 * u1;
    s12 += u1 * u2;
    s22 += u2 * u2;
    s1v += u1 * v;
    s2v += u2 * v;
  }
  const long double det = s11 * s22 - s12 * s12;
  if (!(det > 1e-13L * s11 * s22)) Throw("CalcHoerlFit", "regression is singular");
  const long double b1 = (s22 * s1v - s12 * s2v) / det;
  const long double b2 = (s11 * s2v - s12 * s1v) / det;
  const long double a = mv - b1 * m1 - b2 * m2;
  k0 = static_cast<double>(std::exp(a));
  k1 = static_cast<double>(std::exp(b1));
  k2 = static_cast<double>(b2);
  const double pars[] = {k0, k1, k2};
  SetModel(TRegModel::rmHoerl, pars);
  FitQual = FModR2;
}

// ---------------------------------------------------------------------------
// Evaluation, residuals, prediction, analysis of variance
// ---------------------------------------------------------------------------

double TCurveFit::Evaluate(double XVal) const {
  const auto& k = FModPars[0];
  const double x = XVal;
  switch (FRegMod) {
    case TRegModel::rmLinear: return k[0] + k[1] * x;
    case TRegModel::rmLinearOrigin: return k[1] * x;
    case TRegModel::rmParabolic: return k[0] + k[1] * x + k[2] * x * x;
    case TRegModel::rmGaussian: return k[0] * std::exp(-(x - k[1]) * (x - k[1]) / k[2]);
    case TRegModel::rmReciLin: {
      const double den = k[0] + k[1] * x;
      return den == 0.0 ? kLargest : 1.0 / den;
    }
    case TRegModel::rmHyperbolic: return x == 0.0 ? kLargest : k[0] + k[1] / x;
    case TRegModel::rmReciHyperbolic: {
      const double den = k[1] + k[0] * x;
      return den == 0.0 ? kLargest : x / den;
    }
    case TRegModel::rmLog: return x <= 0.0 ? -kLargest : k[0] + k[1] * std::log(x);
    case TRegModel::rmReciLog: {
      if (x <= 0.0) return -kLargest;
      const double den = k[0] + k[1] * std::log(x);
      return den == 0.0 ? kLargest : 1.0 / den;
    }
    case TRegModel::rmPower: return x < 0.0 ? kNaN : k[0] * std::pow(x, k[1]);
    case TRegModel::rmExpo: return k[0] * std::exp(k[1] * x);
    case TRegModel::rmHoerl: return x < 0.0 ? kNaN : k[0] * std::pow(k[1], x) * std::pow(x, k[2]);
    case TRegModel::rmPolynomial: return Polynomial(k, FPolyOrder, x);
    case TRegModel::rmCenteredPoly: return CenteredPolynomial(k, FPolyOrder, FXShift, x);
    default: return 0.0;
  }
}

int32_t TCurveFit::CalcRegModel(TRegModel RegModel, int32_t PolyOrder) {
  const auto m = static_cast<int32_t>(RegModel);
  if (m < 0 || m >= kNumRegModels || RegModel == TRegModel::rmNone) return kRegModelNone;
  if (GetNumData() < REG_MINDP[static_cast<size_t>(m)]) return kRegModelTooFewPoints;
  const bool poly = RegModel == TRegModel::rmPolynomial || RegModel == TRegModel::rmCenteredPoly;
  if (FRegMod != RegModel || (poly && FPolyOrder != PolyOrder)) {
    double a = 0, b = 0, c = 0, q = 0;
    bool ns = false;
    TDoubleArray ks;
    switch (RegModel) {
      case TRegModel::rmLinear: CalcLinFit(b, a, q); break;
      case TRegModel::rmLinearOrigin: CalcLinFitThroughOrigin(a, q); break;
      case TRegModel::rmParabolic: CalcParabolFit(a, b, c, q); break;
      case TRegModel::rmGaussian: CalcGaussFit(a, b, c, q); break;
      case TRegModel::rmReciLin: CalcReciLinFit(a, b, q); break;
      case TRegModel::rmHyperbolic: CalcHyperbolFit(a, b, q); break;
      case TRegModel::rmReciHyperbolic: CalcReciHyperbolFit(a, b, q); break;
      case TRegModel::rmLog: CalcLogFit(a, b, q); break;
      case TRegModel::rmReciLog: CalcReciLogFit(a, b, q); break;
      case TRegModel::rmPower: CalcPowerFit(a, b, q); break;
      case TRegModel::rmExpo: CalcExponentialFit(a, b, q); break;
      case TRegModel::rmHoerl: CalcHoerlFit(a, b, c, q); break;
      case TRegModel::rmCircle: CalcCircleFit(a, b, c); break;
      case TRegModel::rmPolynomial: CalcPolyFit(PolyOrder, ks, q, ns); break;
      case TRegModel::rmCenteredPoly: CalcCenteredPolyFit(PolyOrder, ks, a, q, ns); break;
      default: break;
    }
    if (FRegMod != RegModel) return kRegModelFitFailed;
  }
  FResids.assign(FX.size(), 0.0);
  for (size_t i = 0; i < FX.size(); ++i) {
    if (FRegMod == TRegModel::rmCircle) {
      const auto& k = FModPars[0];
      FResids[i] = std::hypot(FX[i] - k[0], FY[i] - k[1]) - k[2];
    } else {
      FResids[i] = FY[i] - Evaluate(FX[i]);
    }
  }
  return kRegModelOk;
}

int32_t TCurveFit::Predict(TRegModel RegModel, double XVal, double p, int32_t PolyOrder,
                           double& PredVal, double& PredIv, double& ConfIv) {
  PredVal = PredIv = ConfIv = 0.0;
  if (!(p >= 0.5 && p < 1.0)) return kPredictBadProbability;
  const auto m = static_cast<int32_t>(RegModel);
  if (m < 0 || m >= kNumRegModels || RegModel == TRegModel::rmNone) return kPredictNoModel;
  if (GetNumData() < REG_MINDP[static_cast<size_t>(m)]) return kPredictTooFewPoints;
  const int32_t rc = CalcRegModel(RegModel, PolyOrder);
  if (rc != kRegModelOk) return rc;
  PredVal = Evaluate(XVal);
  std::vector<double> xs, fs, ys;
  for (size_t i = 0; i < FX.size(); ++i) {
    const double f = Evaluate(FX[i]);
    if (std::fabs(f) < kLargest / 2) {
      xs.push_back(FX[i]);
      fs.push_back(f);
      ys.push_back(FY[i]);
    }
  }
  const auto used = static_cast<int64_t>(xs.size());
  const long double mx = Mean(xs);
  long double sxx = 0.0L, sse = 0.0L;
  for (size_t i = 0; i < xs.size(); ++i) {
    sxx += (xs[i] - mx) * (xs[i] - mx);
    sse += (static_cast<long double>(ys[i]) - fs[i]) * (static_cast<long double>(ys[i]) - fs[i]);
  }
  if (used - 2 <= 0 || !(sxx > 0.0L)) return kPredictNoDegreesOfFreedom;
  const auto df = static_cast<int32_t>(std::min<int64_t>(used - 2, INT32_MAX));
  const long double s = std::sqrt(sse / static_cast<long double>(used - 2));
  const long double t = std::fabs(tDistriQuantile((1.0 - p) / 2.0, df));
  const long double dx = XVal - mx;
  const long double rest = 1.0L / static_cast<long double>(used) + dx * dx / sxx;
  PredIv = static_cast<double>(t * s * std::sqrt(1.0L + rest));
  ConfIv = static_cast<double>(t * s * std::sqrt(rest));
  return kPredictOk;
}

int32_t TCurveFit::CalcAnovaReg(int32_t NumVars, bool IncludeConst, int32_t& dfreg, int32_t& dfres,
                                int32_t& dftotal, double& SSE, double& SSR, double& SST,
                                double& MSE, double& MSR, double& F) const {
  const int32_t n = GetNumData();
  dfreg = NumVars;
  dftotal = IncludeConst ? n - 1 : n;
  dfres = static_cast<int32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(dftotal) - NumVars, INT32_MIN, INT32_MAX));
  const long double c = IncludeConst ? Mean(FX) : 0.0L;
  long double sse = 0.0L, ssr = 0.0L, sst = 0.0L;
  for (size_t i = 0; i < FX.size(); ++i) {
    const long double e = static_cast<long double>(FX[i]) - FY[i];
    sse += e * e;
    ssr += (FY[i] - c) * (FY[i] - c);
    sst += (FX[i] - c) * (FX[i] - c);
  }
  SSE = static_cast<double>(sse);
  SSR = static_cast<double>(ssr);
  SST = static_cast<double>(sst);
  MSE = MSR = F = 0.0;
  if (dfreg <= 0 || dfres <= 0) return kAnovaNoDegreesOfFreedom;
  const long double mse = sse / dfres, msr = ssr / dfreg;
  MSE = static_cast<double>(mse);
  MSR = static_cast<double>(msr);
  if (msr == 0.0L)
    F = 0.0;
  else
    F = mse != 0.0L ? static_cast<double>(msr / mse) : 1e10;
  return kAnovaOk;
}

}  // namespace zel
