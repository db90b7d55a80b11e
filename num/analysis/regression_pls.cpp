// Partial least squares by SIMPLS and vertex component analysis.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "num/analysis/math2_impl.hpp"
#include "num/analysis/regression_impl.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {

namespace {

using namespace regression_detail;

using LVec = std::vector<long double>;

// Centres (and with standardize divides by the sample standard deviation)
// every column; in plain centring all columns share one power of two that
// brings the largest magnitude near 1. factor[c] receives what column c
// was multiplied by after centring.
TDouble2DArray ScaleColumns(const TDouble2DArray& a, bool standardize, LVec& mean, LVec& factor) {
  const size_t n = a.front().size();
  mean = ColumnMeans(a);
  factor.assign(a.size(), 1.0L);
  if (standardize) {
    for (size_t c = 0; c < a.size(); ++c) {
      long double ss = 0.0L;
      for (double v : a[c]) ss += (v - mean[c]) * (v - mean[c]);
      const long double sd = std::sqrt(ss / static_cast<long double>(n - 1));
      factor[c] = sd > 0.0L ? 1.0L / sd : 0.0L;
    }
  } else {
    double big = 0.0;
    for (size_t c = 0; c < a.size(); ++c)
      for (double v : a[c]) big = std::max(big, std::fabs(static_cast<double>(v - mean[c])));
    factor.assign(a.size(), Pow2Inverse(big));
  }
  TDouble2DArray z(a.size(), TDoubleArray(n));
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t r = 0; r < n; ++r) z[c][r] = static_cast<double>((a[c][r] - mean[c]) * factor[c]);
  return z;
}

long double Norm(const LVec& v) {
  long double s = 0.0L;
  for (long double x : v) s += x * x;
  return std::sqrt(s);
}

long double Dot(const LVec& a, const LVec& b) {
  long double s = 0.0L;
  for (size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
  return s;
}

// Removes from v its components along the orthonormal vectors of basis
// (twice, so that the result stays orthogonal to working precision).
void Orthogonalise(LVec& v, const std::vector<LVec>& basis) {
  for (int pass = 0; pass < 2; ++pass)
    for (const LVec& b : basis) {
      const long double d = Dot(v, b);
      for (size_t i = 0; i < v.size(); ++i) v[i] -= d * b[i];
    }
}

void StoreColumns(TMatrix* m, const std::vector<LVec>& cols, size_t count, size_t rows) {
  if (m == nullptr) return;
  TDouble2DArray out(count, TDoubleArray(rows, 0.0));
  for (size_t c = 0; c < cols.size() && c < count; ++c)
    for (size_t r = 0; r < rows; ++r) out[c][r] = static_cast<double>(cols[c][r]);
  m->ReplaceData(std::move(out));
}

// Standard normal deviates by Box-Muller from a 64-bit Mersenne twister:
// the same sequence for a seed on every platform.
class Gauss {
 public:
  explicit Gauss(uint64_t seed) : gen_(seed) {}
  double Next() {
    if (have_) {
      have_ = false;
      return spare_;
    }
    double u1 = 0.0;
    while (u1 == 0.0) u1 = Uniform();
    const double u2 = Uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    constexpr double kTwoPi = 6.283185307179586476925286766559;
    spare_ = r * std::sin(kTwoPi * u2);
    have_ = true;
    return r * std::cos(kTwoPi * u2);
  }

 private:
  double Uniform() { return static_cast<double>(gen_() >> 11) * 0x1.0p-53; }
  std::mt19937_64 gen_;
  double spare_ = 0.0;
  bool have_ = false;
};

// Eigen-decomposition (as the SVD of the symmetric matrix) of the Gram
// matrix a^T a of the columns of a: v holds the principal directions, w
// their eigenvalues, the squared singular values of a. Only the leading
// directions are used, so squaring the entries costs no needed accuracy,
// and the work is O(rows cols^2) instead of the thin SVD's U.
bool GramDirections(const TDouble2DArray& a, ThinSvd& out) {
  const size_t c = a.size(), rows = a.front().size();
  // Row blocks that keep every column's slice in cache: four double partial
  // sums per block, the blocks added in long double.
  constexpr size_t kBlock = 512;
  std::vector<long double> acc(c * c, 0.0L);
  for (size_t r0 = 0; r0 < rows; r0 += kBlock) {
    const size_t r1 = std::min(rows, r0 + kBlock);
    for (size_t i = 0; i < c; ++i)
      for (size_t j = 0; j <= i; ++j) {
        const double* x = a[i].data();
        const double* y = a[j].data();
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        size_t r = r0;
        for (; r + 4 <= r1; r += 4) {
          s0 += x[r] * y[r];
          s1 += x[r + 1] * y[r + 1];
          s2 += x[r + 2] * y[r + 2];
          s3 += x[r + 3] * y[r + 3];
        }
        for (; r < r1; ++r) s0 += x[r] * y[r];
        acc[i * c + j] += (static_cast<long double>(s0) + s1) + (static_cast<long double>(s2) + s3);
      }
  }
  TDouble2DArray g(c, TDoubleArray(c));
  for (size_t i = 0; i < c; ++i)
    for (size_t j = 0; j <= i; ++j) g[i][j] = g[j][i] = static_cast<double>(acc[i * c + j]);
  return ComputeThinSvd(g, out);
}

}  // namespace

int32_t SimPLS(const TMatrix* X, const TMatrix* Y, int32_t NumComp, TPLSSclMode Mode,
               TMatrix* Coeffs, TMatrix* Weights, TMatrix* Scores, TMatrix* XLoadings,
               TMatrix* YLoadings) {
  if (X == nullptr || Y == nullptr || Coeffs == nullptr) return kRegNoObject;
  const TDouble2DArray& x = X->GetMat();
  const TDouble2DArray& y = Y->GetMat();
  const size_t n = x.front().size(), k = x.size(), m = y.size();
  if (y.front().size() != n || n < 2) return kRegBadSize;
  if (!math2_detail::AllFinite(x) || !math2_detail::AllFinite(y)) return kRegNonFinite;
  if (NumComp < 1 || static_cast<size_t>(NumComp) > k) return kRegBadParameter;
  const bool standardize = Mode == TPLSSclMode::scmStandardize;
  LVec xMean, xFac, yMean, yFac;
  const TDouble2DArray x0 = ScaleColumns(x, standardize, xMean, xFac);
  const TDouble2DArray y0 = ScaleColumns(y, standardize, yMean, yFac);

  long double xNorm = 0.0L;
  for (const auto& col : x0)
    for (double v : col) xNorm += static_cast<long double>(v) * v;
  xNorm = std::sqrt(xNorm);

  // S = X0^T Y0, k x m, kept as m columns of k.
  std::vector<LVec> s(m, LVec(k, 0.0L));
  for (size_t l = 0; l < m; ++l)
    for (size_t j = 0; j < k; ++j) {
      long double d = 0.0L;
      for (size_t r = 0; r < n; ++r) d += static_cast<long double>(x0[j][r]) * y0[l][r];
      s[l][j] = d;
    }

  std::vector<LVec> rs, ts, ps, qs, vs;
  int32_t status = kRegOk;
  long double firstR = 0.0L;
  for (int32_t a = 0; a < NumComp; ++a) {
    // q: the dominant right singular vector of S (1 for one response).
    LVec q(m, 1.0L);
    if (m > 1) {
      TDouble2DArray sd(m, TDoubleArray(k));
      for (size_t l = 0; l < m; ++l)
        for (size_t j = 0; j < k; ++j) sd[l][j] = static_cast<double>(s[l][j]);
      if (!math2_detail::AllFinite(sd)) return kRegNonFinite;
      ThinSvd svd;
      if (!ComputeThinSvd(sd, svd)) return kRegNoConvergence;
      for (size_t l = 0; l < m; ++l) q[l] = svd.v[0][l];
    }
    LVec r(k, 0.0L);
    for (size_t l = 0; l < m; ++l)
      for (size_t j = 0; j < k; ++j) r[j] += s[l][j] * q[l];
    LVec t(n, 0.0L);
    for (size_t j = 0; j < k; ++j)
      for (size_t i = 0; i < n; ++i) t[i] += x0[j][i] * r[j];
    const long double rNorm = Norm(r), tNorm = Norm(t);
    if (a == 0) firstR = rNorm;
    // Nothing left to explain (the deflated covariance is rounding noise),
    // or a weight X0 maps to (almost) nothing.
    if (rNorm <= kRankTol * firstR || rNorm == 0.0L || tNorm <= kRankTol * xNorm * rNorm) {
      status = kRegRankDeficient;
      break;
    }
    for (auto& v : t) v /= tNorm;
    for (auto& v : r) v /= tNorm;
    LVec p(k, 0.0L), qv(m, 0.0L);
    for (size_t j = 0; j < k; ++j)
      for (size_t i = 0; i < n; ++i) p[j] += x0[j][i] * t[i];
    for (size_t l = 0; l < m; ++l)
      for (size_t i = 0; i < n; ++i) qv[l] += y0[l][i] * t[i];
    LVec v = p;
    Orthogonalise(v, vs);
    const long double vNorm = Norm(v);
    if (vNorm > 0.0L) {
      for (auto& e : v) e /= vNorm;
      for (size_t l = 0; l < m; ++l) {
        const long double d = Dot(v, s[l]);
        for (size_t j = 0; j < k; ++j) s[l][j] -= d * v[j];
      }
      vs.push_back(v);
    }
    rs.push_back(std::move(r));
    ts.push_back(std::move(t));
    ps.push_back(std::move(p));
    qs.push_back(std::move(qv));
  }

  // B = R Q^T in the scaled variables; back to raw units with the factors.
  TDouble2DArray coef(m, TDoubleArray(k + 1, 0.0));
  for (size_t l = 0; l < m; ++l) {
    long double b0 = yMean[l];
    for (size_t j = 0; j < k; ++j) {
      long double b = 0.0L;
      for (size_t a = 0; a < rs.size(); ++a) b += rs[a][j] * qs[a][l];
      const long double raw = yFac[l] != 0.0L ? b * xFac[j] / yFac[l] : 0.0L;
      coef[l][j + 1] = static_cast<double>(raw);
      b0 -= raw * xMean[j];
    }
    coef[l][0] = static_cast<double>(b0);
  }
  // Weights and loadings without the internal power of two of plain
  // centring (standardised variables carry none).
  if (!standardize) {
    const long double fx = xFac.front(), fy = yFac.front();
    for (auto& r : rs)
      for (auto& e : r) e *= fx;
    for (auto& p : ps)
      for (auto& e : p) e /= fx;
    for (auto& q : qs)
      for (auto& e : q) e /= fy;
  }
  const auto nc = static_cast<size_t>(NumComp);
  Coeffs->ReplaceData(std::move(coef));
  StoreColumns(Weights, rs, nc, k);
  StoreColumns(Scores, ts, nc, n);
  StoreColumns(XLoadings, ps, nc, k);
  StoreColumns(YLoadings, qs, nc, m);
  return status;
}

int32_t VertexCompAnalysis(const TMatrix* Data, int32_t NumEndm, uint64_t RandSeed,
                           TIntVector* Indices, TMatrix* Endmembers, double& SNR) {
  SNR = 0.0;
  if (Data == nullptr || Indices == nullptr) return kRegNoObject;
  const TDouble2DArray& d = Data->GetMat();
  const size_t bands = d.size(), pixels = d.front().size();
  if (NumEndm < 2 || static_cast<size_t>(NumEndm) > bands || static_cast<size_t>(NumEndm) > pixels)
    return kRegBadParameter;
  if (!math2_detail::AllFinite(d)) return kRegNonFinite;
  const auto p = static_cast<size_t>(NumEndm);

  // Work on data divided by a power of two of the largest magnitude, so
  // that powers (sums of squares) stay in range.
  double big = 0.0;
  for (const auto& col : d)
    for (double v : col) big = std::max(big, std::fabs(v));
  const long double sc = Pow2Inverse(big);
  TDouble2DArray r(bands, TDoubleArray(pixels));
  for (size_t b = 0; b < bands; ++b)
    for (size_t i = 0; i < pixels; ++i) r[b][i] = static_cast<double>(d[b][i] * sc);
  const LVec mean = ColumnMeans(r);
  TDouble2DArray ro(bands, TDoubleArray(pixels));
  for (size_t b = 0; b < bands; ++b)
    for (size_t i = 0; i < pixels; ++i) ro[b][i] = static_cast<double>(r[b][i] - mean[b]);

  // Signal-to-noise estimate from the first p principal directions.
  ThinSvd svdc;
  if (!GramDirections(ro, svdc)) return kRegNoConvergence;
  const auto np = static_cast<long double>(pixels);
  long double py = 0.0L, px = 0.0L, mm = 0.0L;
  for (size_t b = 0; b < bands; ++b) {
    for (size_t i = 0; i < pixels; ++i) py += static_cast<long double>(r[b][i]) * r[b][i];
    mm += mean[b] * mean[b];
  }
  py /= np;
  for (size_t k = 0; k < p && k < svdc.p; ++k) {
    // The eigenvalues of the Gram matrix are the projected powers.
    px += static_cast<long double>(svdc.w[k]) / np;
  }
  px += mm;
  const long double num = px - static_cast<long double>(p) / bands * py, den = py - px;
  if (den <= 0.0L)
    SNR = std::numeric_limits<double>::infinity();
  else if (num <= 0.0L)
    SNR = -std::numeric_limits<double>::infinity();
  else
    SNR = static_cast<double>(10.0L * std::log10(num / den));
  const double snrTh = 15.0 + 10.0 * std::log10(static_cast<double>(p));

  // y: p coordinates of every pixel, kept as p columns over the pixels.
  std::vector<LVec> y(p, LVec(pixels, 0.0L));
  // Coordinates of the pixels (columns of a) on the first count right
  // singular vectors of svd, column by column over contiguous storage.
  auto project = [&](const TDouble2DArray& a, const ThinSvd& svd, size_t count) {
    for (size_t k = 0; k < count && k < svd.p; ++k)
      for (size_t b = 0; b < bands; ++b) {
        const long double vb = svd.v[k][b];
        if (vb == 0.0L) continue;
        for (size_t i = 0; i < pixels; ++i) y[k][i] += a[b][i] * vb;
      }
  };
  if (SNR < snrTh) {
    project(ro, svdc, p - 1);
    long double c = 0.0L;
    for (size_t i = 0; i < pixels; ++i) {
      long double nn = 0.0L;
      for (size_t k = 0; k + 1 < p; ++k) nn += y[k][i] * y[k][i];
      c = std::max(c, nn);
    }
    std::fill(y[p - 1].begin(), y[p - 1].end(), std::sqrt(c));
  } else {
    ThinSvd svd;
    if (!GramDirections(r, svd)) return kRegNoConvergence;
    project(r, svd, p);
    LVec u(p, 0.0L);
    for (size_t k = 0; k < p; ++k) {
      for (long double v : y[k]) u[k] += v;
      u[k] /= np;
    }
    for (size_t i = 0; i < pixels; ++i) {
      long double s = 0.0L;
      for (size_t k = 0; k < p; ++k) s += u[k] * y[k][i];
      // A pixel on the plane through the origin carries no direction.
      for (size_t k = 0; k < p; ++k) y[k][i] = s != 0.0L ? y[k][i] / s : 0.0L;
    }
  }
  auto pixelNorm = [&](size_t i) {
    long double s = 0.0L;
    for (size_t k = 0; k < p; ++k) s += y[k][i] * y[k][i];
    return std::sqrt(s);
  };

  Gauss gauss(RandSeed);
  std::vector<LVec> basis;
  LVec first(p, 0.0L);
  first[p - 1] = 1.0L;
  basis.push_back(first);
  TIntArray found;
  int32_t status = kRegOk;
  for (size_t e = 0; e < p; ++e) {
    LVec f(p);
    for (auto& v : f) v = gauss.Next();
    Orthogonalise(f, basis);
    const long double fn = Norm(f);
    long double best = 0.0L;
    size_t at = 0;
    if (fn > 0.0L) {
      LVec proj(pixels, 0.0L);
      for (size_t k = 0; k < p; ++k)
        for (size_t i = 0; i < pixels; ++i) proj[i] += f[k] * y[k][i];
      for (size_t i = 0; i < pixels; ++i)
        if (std::fabs(proj[i]) > best) {
          best = std::fabs(proj[i]);
          at = i;
        }
    }
    if (!(best > kRankTol * fn * pixelNorm(at))) {
      status = kRegRankDeficient;
      break;
    }
    found.push_back(static_cast<int32_t>(at + 1));
    if (e == 0) basis.clear();
    LVec nb(p);
    for (size_t k = 0; k < p; ++k) nb[k] = y[k][at];
    Orthogonalise(nb, basis);
    const long double nbn = Norm(nb);
    if (nbn > 0.0L) {
      for (auto& v : nb) v /= nbn;
      basis.push_back(std::move(nb));
    }
  }
  Indices->Resize(static_cast<int32_t>(found.size() > 0 ? found.size() : 1));
  if (found.empty())
    Indices->Fill(0);
  else
    Indices->CopyFrom(found, 0, static_cast<int32_t>(found.size()) - 1, 1);
  if (Endmembers != nullptr && !found.empty()) {
    TDouble2DArray em(found.size(), TDoubleArray(bands));
    for (size_t e = 0; e < found.size(); ++e)
      for (size_t b = 0; b < bands; ++b) em[e][b] = d[b][static_cast<size_t>(found[e] - 1)];
    Endmembers->ReplaceData(std::move(em));
  }
  return status;
}

}  // namespace zel
