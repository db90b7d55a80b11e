// Recursive Chebyshev filter design and its zero-phase application.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "num/analysis/filters_impl.hpp"
#include "num/analysis/zel_filters.hpp"

namespace zel {

void CalcChebFilterCoeffs(int32_t NPoles, bool HighPass, double Cutoff, double Ripple, double& A0,
                          TMatrix* Coeffs) {
  // 23 terms hold 20 poles; without a pole the arrays would keep stale values.
  if (NPoles % 2 != 0 || NPoles < 2 || NPoles > 20)
    throw EZELMath2Error("CalcChebFilterCoeffs: NPoles must be even");
  if (!(Ripple >= 0.0 && Ripple <= 29.0))
    throw EZELMath2Error("CalcChebFilterCoeffs: invalid Ripple value");
  // At 0 and 0.5 the gain normalisation divides by 0.
  if (!(Cutoff > 0.0 && Cutoff < 0.5))
    throw EZELMath2Error("CalcChebFilterCoeffs: invalid cutoff frequency");
  constexpr double kPi = 3.14159265358979323846;
  long double a[23] = {};
  long double b[23] = {};
  a[2] = 1.0L;
  b[2] = 1.0L;
  const long double np = NPoles;
  long double gain = 1.0L;
  for (int32_t p = 1; p <= NPoles / 2; ++p) {
    const long double angle = kPi / (2.0L * np) + (p - 1) * kPi / np;
    long double rp = -std::cos(angle);
    long double ip = std::sin(angle);
    if (Ripple > 0.0) {
      const long double r = 100.0L / (100.0L - Ripple);
      const long double es = std::sqrt(r * r - 1.0L);
      const long double vx = std::asinh(1.0L / es) / np;
      const long double kx = std::cosh(std::acosh(1.0L / es) / np);
      rp = rp * std::sinh(vx) / kx;
      ip = ip * std::cosh(vx) / kx;
    }
    const long double t = 2.0L * std::tan(0.5L);
    const long double w = 2.0L * kPi * Cutoff;
    const long double m = rp * rp + ip * ip;
    const long double d = 4.0L - 4.0L * rp * t + m * t * t;
    const long double x0 = t * t / d;
    const long double x1 = 2.0L * t * t / d;
    const long double x2 = t * t / d;
    const long double y1 = (8.0L - 2.0L * m * t * t) / d;
    const long double y2 = (-4.0L - 4.0L * rp * t - m * t * t) / d;
    const long double k = HighPass ? -std::cos(w / 2.0L + 0.5L) / std::cos(w / 2.0L - 0.5L)
                                   : std::sin(0.5L - w / 2.0L) / std::sin(0.5L + w / 2.0L);
    const long double dd = 1.0L + y1 * k - y2 * k * k;
    const long double a0 = (x0 - x1 * k + x2 * k * k) / dd;
    long double a1 = (-2.0L * x0 * k + x1 + x1 * k * k - 2.0L * x2 * k) / dd;
    const long double a2 = (x0 * k * k - x1 * k + x2) / dd;
    long double b1 = (2.0L * k + y1 + y1 * k * k - 2.0L * y2 * k) / dd;
    const long double b2 = (-k * k - y1 * k + y2) / dd;
    if (HighPass) {
      a1 = -a1;
      b1 = -b1;
    }
    // The gain Sum a / (1 - Sum b) of the whole cascade (signs alternating
    // for high-pass) is the product of the stage gains. Formed per stage it
    // keeps its digits when the poles crowd near z = 1 (a low cutoff with
    // many poles), where 1 - Sum b cancels to nothing.
    gain *= HighPass ? (a0 - a1 + a2) / (1.0L + b1 - b2) : (a0 + a1 + a2) / (1.0L - b1 - b2);
    long double ta[23];
    long double tb[23];
    std::copy(a, a + 23, ta);
    std::copy(b, b + 23, tb);
    for (int32_t i = 2; i < 23; ++i) {
      a[i] = a0 * ta[i] + a1 * ta[i - 1] + a2 * ta[i - 2];
      b[i] = tb[i] - b1 * tb[i - 1] - b2 * tb[i - 2];
    }
  }
  // The leading 1 of the denominator is not a feedback term: after the shift
  // it must not remain as b[0].
  b[2] = 0.0L;
  for (int32_t i = 0; i < 21; ++i) {
    a[i] = a[i + 2];
    b[i] = -b[i + 2];
  }
  for (int32_t i = 0; i < 21; ++i) a[i] /= gain;
  A0 = static_cast<double>(a[0]);
  if (Coeffs == nullptr) return;
  Coeffs->Resize(2, NPoles);
  TDouble2DArray cols(2, TDoubleArray(static_cast<size_t>(NPoles)));
  for (int32_t i = 1; i <= NPoles; ++i) {
    cols[0][static_cast<size_t>(i - 1)] = static_cast<double>(a[i]);
    cols[1][static_cast<size_t>(i - 1)] = static_cast<double>(b[i]);
  }
  Coeffs->CopyFromArray(cols[0], 0, NPoles - 1, 1, 1, true);
  Coeffs->CopyFromArray(cols[1], 0, NPoles - 1, 2, 1, true);
}

void ChebychevFilter(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                     TVector* DestVec, double A0, const TMatrix* Coeffs) {
  if (SourceVec == nullptr || DestVec == nullptr || Coeffs == nullptr) return;
  const int32_t n = SourceVec->GetNrOfElem();
  filters_detail::ClampOrder(FirstElem, LastElem, n);
  const int32_t np = Coeffs->GetNrOfRows();
  std::vector<long double> ca(static_cast<size_t>(np) + 1);
  std::vector<long double> cb(static_cast<size_t>(np) + 1);
  for (int32_t k = 1; k <= np; ++k) {
    ca[static_cast<size_t>(k)] = Coeffs->GetVal(1, k);
    cb[static_cast<size_t>(k)] = Coeffs->GetVal(2, k);
  }
  // Work index j stands for source position n = j + 1 - np, so j runs over
  // 1 - np .. LastElem + np + 1.
  const int64_t len = static_cast<int64_t>(LastElem) + 2 * static_cast<int64_t>(np) + 1;
  const int64_t off = 1 - static_cast<int64_t>(np);
  std::vector<long double> x(static_cast<size_t>(len));
  for (int64_t j = 0; j < len; ++j) {
    const int64_t pos = j + off;
    x[static_cast<size_t>(j)] =
        (pos >= 1 && pos <= n) ? SourceVec->GetVal(static_cast<int32_t>(pos)) : 0.0;
  }
  std::vector<long double> y(x.size());
  for (int64_t j = 0; j < len; ++j) {
    long double s = A0 * x[static_cast<size_t>(j)];
    for (int64_t k = 1; k <= np && k <= j; ++k)
      s += ca[static_cast<size_t>(k)] * x[static_cast<size_t>(j - k)] +
           cb[static_cast<size_t>(k)] * y[static_cast<size_t>(j - k)];
    y[static_cast<size_t>(j)] = s;
  }
  std::vector<long double> z(x.size());
  for (int64_t j = len - 1; j >= 0; --j) {
    long double s = A0 * y[static_cast<size_t>(j)];
    for (int64_t k = 1; k <= np && j + k < len; ++k)
      s += ca[static_cast<size_t>(k)] * y[static_cast<size_t>(j + k)] +
           cb[static_cast<size_t>(k)] * z[static_cast<size_t>(j + k)];
    z[static_cast<size_t>(j)] = s;
  }
  std::vector<double> out(static_cast<size_t>(LastElem - FirstElem + 1));
  for (int32_t i = FirstElem; i <= LastElem; ++i)
    out[static_cast<size_t>(i - FirstElem)] = static_cast<double>(z[static_cast<size_t>(i - off)]);
  DestVec->Resize(n);
  DestVec->CopyFrom(out, 0, static_cast<int32_t>(out.size()) - 1, FirstElem);
}

}  // namespace zel
