#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "num/signal/zel_wavelet.hpp"

namespace zel {

static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit format");

namespace {
constexpr int32_t kMaxNumData = 8388608;  // 2^23
constexpr int32_t kDefaultNumData = 256;

// Daubechies' minimum-phase low-pass filters from their closed forms, so that
// the extended-precision transform is orthogonal to extended precision rather
// than to the 17 digits of the published decimals.
std::vector<long double> DaubechiesLowPass(int32_t K) {
  const long double r2 = std::sqrt(2.0L);
  switch (K) {
    case 1: return {1 / r2, 1 / r2};
    case 2: {
      const long double r3 = std::sqrt(3.0L), q = 4 * r2;
      return {(1 + r3) / q, (3 + r3) / q, (3 - r3) / q, (1 - r3) / q};
    }
    default: {
      const long double r10 = std::sqrt(10.0L), s = std::sqrt(5 + 2 * r10), q = 16 * r2;
      return {(1 + r10 + s) / q,          (5 + r10 + 3 * s) / q, (10 - 2 * r10 + 2 * s) / q,
              (10 - 2 * r10 - 2 * s) / q, (5 + r10 - 3 * s) / q, (1 + r10 - s) / q};
    }
  }
}

// The steps away from the start of the block, with the filter length fixed at
// compile time so that the tap loops unroll.
template <int32_t L>
void Interior(const long double* lp, const long double* hp, const long double* x, long double* t,
              int32_t h, int32_t first, bool Inverse) {
  for (int32_t l = first; l < h; ++l) {
    const int32_t base = 2 * l + 2 - L;
    if (Inverse) {
      const long double xa = x[l], xd = x[h + l];
      for (int32_t m = 0; m < L; ++m) t[base + m] += lp[m] * xa + hp[m] * xd;
    } else {
      long double a = 0, d = 0;
      for (int32_t m = 0; m < L; ++m) {
        a += lp[m] * x[base + m];
        d += hp[m] * x[base + m];
      }
      t[l] = a;
      t[h + l] = d;
    }
  }
}
}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(kDefaultNumData, 0.0L);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  SetOrder(2);
}

void TWavelet1D::Fail(const char* Text) const { throw EZELWaveletError(ComponentMessage(Text)); }

void TWavelet1D::SetNumData(int32_t Value) {
  if (Value < 1 || Value > kMaxNumData || (Value & (Value - 1)) != 0)
    Fail("data length must be power of 2");
  std::vector<long double> data;
  try {
    data.assign(static_cast<size_t>(Value), 0.0L);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  FData.swap(data);
}

void TWavelet1D::SetOrder(int32_t Value) {
  if (Value < 1 || Value > 3) Fail("invalid order of Daubechies wavelet family");
  std::vector<long double> lp = DaubechiesLowPass(Value);
  const size_t L = lp.size();
  std::vector<long double> hp(L);
  for (size_t e = 0; e < L; ++e) hp[L - 1 - e] = (e % 2 == 0) ? -lp[e] : lp[e];
  FCoeffsLP.swap(lp);
  FCoeffsHP.swap(hp);
  FOrder = Value;
}

double TWavelet1D::GetData(int32_t ix) const {
  return (ix >= 1 && ix <= GetNumData()) ? static_cast<double>(FData[static_cast<size_t>(ix - 1)])
                                         : 0.0;
}

void TWavelet1D::SetData(int32_t ix, double Value) {
  if (ix >= 1 && ix <= GetNumData()) FData[static_cast<size_t>(ix - 1)] = Value;
}

double TWavelet1D::GetCoeffLP(int32_t e) const {
  return (e >= 1 && e <= 2 * FOrder) ? static_cast<double>(FCoeffsLP[static_cast<size_t>(e - 1)])
                                     : 0.0;
}

double TWavelet1D::GetCoeffHP(int32_t e) const {
  return (e >= 1 && e <= 2 * FOrder) ? static_cast<double>(FCoeffsHP[static_cast<size_t>(e - 1)])
                                     : 0.0;
}

void TWavelet1D::Clear() { std::fill(FData.begin(), FData.end(), 0.0L); }

std::vector<long double> TWavelet1D::Scratch() const {
  std::vector<long double> t;
  try {
    t.resize(FData.size());
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  return t;
}

int32_t TWavelet1D::Continue(int32_t i, int32_t n) const {
  switch (FWLSigExtMode) {
    case TWLSigExtMode::wseWrap: return i & (n - 1);
    case TWLSigExtMode::wseZeroPad: return -1;
    case TWLSigExtMode::wseSymmetric:
    default: {
      // A filter longer than the block reaches past its far end too: reflect
      // again there, so that no step leaves its block.
      int32_t j = (-i - 1) % (2 * n);
      if (j >= n) j = 2 * n - 1 - j;
      return j;
    }
  }
}

void TWavelet1D::PartialWLT(int32_t n, bool Inverse, std::vector<long double>& t) {
  const int32_t h = n / 2, L = 2 * FOrder;
  const long double* lp = FCoeffsLP.data();
  const long double* hp = FCoeffsHP.data();
  long double* x = FData.data();
  std::fill(t.begin(), t.begin() + n, 0.0L);
  // Only the first K - 1 outputs reach before the start of the block.
  const int32_t edge = std::min(h, FOrder - 1);
  for (int32_t l = 0; l < edge; ++l) {
    const int32_t base = 2 * l + 2 - L;
    const long double xa = x[l], xd = x[h + l];
    long double a = 0, d = 0;
    for (int32_t m = 0; m < L; ++m) {
      int32_t i = base + m;
      if (i < 0 && (i = Continue(i, n)) < 0) continue;
      if (Inverse) {
        t[i] += lp[m] * xa + hp[m] * xd;
      } else {
        a += lp[m] * x[i];
        d += hp[m] * x[i];
      }
    }
    if (!Inverse) {
      t[l] = a;
      t[h + l] = d;
    }
  }
  switch (FOrder) {
    case 1: Interior<2>(lp, hp, x, t.data(), h, edge, Inverse); break;
    case 2: Interior<4>(lp, hp, x, t.data(), h, edge, Inverse); break;
    default: Interior<6>(lp, hp, x, t.data(), h, edge, Inverse); break;
  }
  std::copy(t.begin(), t.begin() + n, x);
}

void TWavelet1D::Transform(int32_t Level) {
  std::vector<long double> t = Scratch();
  int32_t n = GetNumData();
  for (int32_t k = std::max(Level, 1); k > 0 && n > 1; --k, n /= 2) PartialWLT(n, false, t);
}

void TWavelet1D::InverseTransform(int32_t Level) {
  std::vector<long double> t = Scratch();
  const int32_t N = GetNumData();
  for (int32_t k = std::max(Level, 1), n = 2; k > 0 && n <= N; --k, n *= 2) PartialWLT(n, true, t);
}

void TWavelet1D::SingleStep(bool Inverse) {
  if (GetNumData() < 2) return;
  std::vector<long double> t = Scratch();
  PartialWLT(GetNumData(), Inverse, t);
}

}  // namespace zel
