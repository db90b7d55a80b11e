#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <utility>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/signal/zel_fourier.hpp"

namespace zel {

namespace {
constexpr int32_t kMaxNumData = 8388608;  // 2^23
constexpr double kTwoPi = 2.0 * std::numbers::pi;
}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  FData.assign(2 * static_cast<size_t>(FNumData), 0.0);
  FUserWgt.assign(static_cast<size_t>(FNumData), 1.0);
}

void TFastFourier::Fail(const char* Text) const { throw EZELFourierError(ComponentMessage(Text)); }

void TFastFourier::SetSpectrumSize(int32_t Value) {
  if (Value < 1 || Value > kMaxNumData || (Value & (Value - 1)) != 0)
    Fail("data length must be power of 2");
  std::vector<double> data, wgt;
  try {
    data.assign(2 * static_cast<size_t>(Value), 0.0);
    wgt.assign(static_cast<size_t>(Value), 0.0);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  FData.swap(data);
  FUserWgt.swap(wgt);
  FNumData = Value;
  FTwiddle.clear();
  MaxValuesValid = false;
}

double TFastFourier::GetRealSpec(int32_t ix) const {
  return (ix >= 1 && ix <= FNumData) ? FData[2 * static_cast<size_t>(ix - 1)] : 0.0;
}

void TFastFourier::SetRealSpec(int32_t ix, double Value) {
  if (ix < 1 || ix > FNumData) return;
  FData[2 * static_cast<size_t>(ix - 1)] = Value;
  MaxValuesValid = false;
}

double TFastFourier::GetImagSpec(int32_t ix) const {
  return (ix >= 1 && ix <= FNumData) ? FData[2 * static_cast<size_t>(ix - 1) + 1] : 0.0;
}

void TFastFourier::SetImagSpec(int32_t ix, double Value) {
  if (ix < 1 || ix > FNumData) return;
  FData[2 * static_cast<size_t>(ix - 1) + 1] = Value;
  MaxValuesValid = false;
}

void TFastFourier::Clear() {
  std::fill(FData.begin(), FData.end(), 0.0);
  MaxValuesValid = false;
}

void TFastFourier::ClearReal() {
  for (size_t i = 0; i < FData.size(); i += 2) FData[i] = 0.0;
  MaxValuesValid = false;
}

void TFastFourier::ClearImag() {
  for (size_t i = 1; i < FData.size(); i += 2) FData[i] = 0.0;
  MaxValuesValid = false;
}

void TFastFourier::SetTukeyAlpha(double Value) {
  if (std::isnan(Value)) Value = 0.0;
  FTukAlpha = std::clamp(Value, 0.0, 1.0);
}

double TFastFourier::GetWgtFunction(int32_t ix) const {
  return (ix >= 1 && ix <= FNumData) ? FUserWgt[static_cast<size_t>(ix - 1)] : 0.0;
}

void TFastFourier::SetWgtFunction(int32_t ix, double Value) {
  if (ix >= 1 && ix <= FNumData) FUserWgt[static_cast<size_t>(ix - 1)] = Value;
}

void TFastFourier::ApplyWindow() {
  const int32_t n = FNumData;
  const double dn = n;
  auto scale = [this](int32_t i, double w) {
    FData[2 * static_cast<size_t>(i)] *= w;
    FData[2 * static_cast<size_t>(i) + 1] *= w;
  };
  // Sum of cosines of u = (t - N/2)/N, t = 1..N, the form all cosine windows share.
  auto cosines = [&](double a0, double a1, double a2, double a3) {
    for (int32_t t = 1; t <= n; ++t) {
      const double u = (t - dn / 2) / dn;
      scale(t - 1, a0 + a1 * std::cos(kTwoPi * u) + a2 * std::cos(2 * kTwoPi * u) +
                       a3 * std::cos(3 * kTwoPi * u));
    }
  };
  switch (FWgtWin) {
    case TFastFourierWgtWin::fwRectangle: break;
    case TFastFourierWgtWin::fwTriangle:
      for (int32_t i = 0; i < n / 2; ++i) {
        const double w = 2.0 * (i + 1) / dn;
        scale(i, w);
        scale(n - 1 - i, w);
      }
      break;
    case TFastFourierWgtWin::fwCos2:
      for (int32_t t = 1; t <= n; ++t) {
        const double c = std::cos(std::numbers::pi * (t - dn / 2) / dn);
        scale(t - 1, c * c);
      }
      break;
    case TFastFourierWgtWin::fwGauss:
      for (int32_t t = 1; t <= n; ++t) {
        const double v = 6.0 * (t - dn / 2) / dn;
        scale(t - 1, std::exp(-0.5 * v * v));
      }
      break;
    case TFastFourierWgtWin::fwHamming: cosines(25.0 / 46.0, 21.0 / 46.0, 0.0, 0.0); break;
    case TFastFourierWgtWin::fwBlackman:
      cosines(7938.0 / 18608.0, 9240.0 / 18608.0, 1430.0 / 18608.0, 0.0);
      break;
    case TFastFourierWgtWin::fwBlkmHarris: cosines(0.35875, 0.48829, 0.14128, 0.01168); break;
    case TFastFourierWgtWin::fwBlkmNuttall:
      cosines(0.3635819, 0.4891775, 0.1365995, 0.0106411);
      break;
    case TFastFourierWgtWin::fwTukey: {
      const double an = FTukAlpha * dn;
      if (an <= 0.0) break;
      for (int32_t t = 1; t <= n; ++t) {
        // The right taper mirrors the left one so that the window is
        // continuous and ends at 0 for every fraction, not only for 1/a integral.
        if (t < an / 2)
          scale(t - 1, (1.0 - std::cos(kTwoPi * t / an)) / 2);
        else if (t > dn - an / 2)
          scale(t - 1, (1.0 - std::cos(kTwoPi * (dn - t) / an)) / 2);
      }
      break;
    }
    case TFastFourierWgtWin::fwUserDef:
      for (int32_t i = 0; i < n; ++i) scale(i, FUserWgt[static_cast<size_t>(i)]);
      break;
  }
}

void TFastFourier::Transform() {
  ApplyWindow();
  DoFFT(1);
}

void TFastFourier::InverseTransform() { DoFFT(-1); }

void TFastFourier::PrepareTwiddles() {
  const size_t n = static_cast<size_t>(FNumData);
  if (FTwiddle.size() == 2 * n) return;
  std::vector<double> tw(2 * n, 0.0);
  // Directly evaluated factors: a recurrence would add O(log N) ulps per line.
  for (size_t h = 1; h < n; h *= 2)
    for (size_t j = 0; j < h; ++j) {
      const double phi = std::numbers::pi * static_cast<double>(j) / static_cast<double>(h);
      tw[2 * (h + j)] = std::cos(phi);
      tw[2 * (h + j) + 1] = std::sin(phi);
    }
  FTwiddle.swap(tw);
}

namespace {

size_t ReverseBits(size_t v, int bits) {
  size_t r = 0;
  for (int b = 0; b < bits; ++b, v >>= 1) r = (r << 1) | (v & 1);
  return r;
}

void SwapComplex(double* x, size_t i, size_t j) {
  std::swap(x[2 * i], x[2 * j]);
  std::swap(x[2 * i + 1], x[2 * j + 1]);
}

// Bit-reversal permutation of n complex values, each pair swapped once. An
// index is split into its top q, middle and low q bits; for one middle part
// the 2^q x 2^q values it names go to the block of the reversed middle part,
// so both blocks stay in the cache instead of one miss per value.
void BitReverse(double* x, size_t n) {
  int m = 0;
  while ((size_t{1} << m) < n) ++m;
  constexpr int q = 3;
  if (m < 2 * q + 1) {
    for (size_t i = 0; i < n; ++i) {
      const size_t j = ReverseBits(i, m);
      if (j > i) SwapComplex(x, i, j);
    }
    return;
  }
  const int mb = m - 2 * q;
  size_t rq[size_t{1} << q];
  for (size_t c = 0; c < (size_t{1} << q); ++c) rq[c] = ReverseBits(c, q);
  for (size_t b = 0; b < (size_t{1} << mb); ++b) {
    const size_t rb = ReverseBits(b, mb);
    if (rb < b) continue;
    for (size_t a = 0; a < (size_t{1} << q); ++a)
      for (size_t c = 0; c < (size_t{1} << q); ++c) {
        const size_t i = (a << (mb + q)) | (b << q) | c;
        const size_t j = (rq[c] << (mb + q)) | (rb << q) | rq[a];
        if (b != rb || i < j) SwapComplex(x, i, j);
      }
  }
}

}  // namespace

void TFastFourier::DoFFT(int32_t isign) {
  MaxValuesValid = false;
  const size_t n = static_cast<size_t>(FNumData);
  if (n < 2) return;
  PrepareTwiddles();
  double* x = FData.data();
  BitReverse(x, n);
  const double s = isign >= 0 ? 1.0 : -1.0;
  // The first two passes together: their factors are 1 and s i, so they need
  // no multiplication, and the data are read once instead of twice.
  if (n == 2) {
    const double ar = x[0], ai = x[1];
    x[0] = ar + x[2];
    x[1] = ai + x[3];
    x[2] = ar - x[2];
    x[3] = ai - x[3];
  } else {
    for (size_t k = 0; k < 2 * n; k += 8) {
      double* a = x + k;
      const double b0r = a[0] + a[2], b0i = a[1] + a[3];
      const double b1r = a[0] - a[2], b1i = a[1] - a[3];
      const double b2r = a[4] + a[6], b2i = a[5] + a[7];
      const double b3r = a[4] - a[6], b3i = a[5] - a[7];
      // (s i) * b3
      const double tr = -s * b3i, ti = s * b3r;
      a[0] = b0r + b2r;
      a[1] = b0i + b2i;
      a[4] = b0r - b2r;
      a[5] = b0i - b2i;
      a[2] = b1r + tr;
      a[3] = b1i + ti;
      a[6] = b1r - tr;
      a[7] = b1i - ti;
    }
  }
  const double* tw = FTwiddle.data();
  // Two radix-2 passes (half lengths h and 2h) at a time: the same butterflies
  // and factors, but the data travel through the cache half as often.
  size_t h = 4;
  for (; 4 * h <= n; h *= 4) {
    const double* w1 = tw + 2 * h;
    const double* w2 = tw + 4 * h;
    for (size_t k = 0; k < n; k += 4 * h) {
      double* a = x + 2 * k;
      double* b = a + 2 * h;
      double* c = b + 2 * h;
      double* d = c + 2 * h;
      for (size_t j = 0; j < h; ++j) {
        const size_t r = 2 * j, m = r + 1;
        const double w1r = w1[r], w1i = s * w1[m];
        const double w2r = w2[r], w2i = s * w2[m];
        // Pass h: (a, b) and (c, d) with w1.
        const double br = w1r * b[r] - w1i * b[m], bi = w1r * b[m] + w1i * b[r];
        const double dr = w1r * d[r] - w1i * d[m], di = w1r * d[m] + w1i * d[r];
        const double a1r = a[r] + br, a1i = a[m] + bi;
        const double b1r = a[r] - br, b1i = a[m] - bi;
        const double c1r = c[r] + dr, c1i = c[m] + di;
        const double d1r = c[r] - dr, d1i = c[m] - di;
        // Pass 2h: (a1, c1) with w2, (b1, d1) with w2 times s i.
        const double cr = w2r * c1r - w2i * c1i, ci = w2r * c1i + w2i * c1r;
        const double er = w2r * d1r - w2i * d1i, ei = w2r * d1i + w2i * d1r;
        const double tr = -s * ei, ti = s * er;
        a[r] = a1r + cr;
        a[m] = a1i + ci;
        c[r] = a1r - cr;
        c[m] = a1i - ci;
        b[r] = b1r + tr;
        b[m] = b1i + ti;
        d[r] = b1r - tr;
        d[m] = b1i - ti;
      }
    }
  }
  if (h < n) {
    const double* w = tw + 2 * h;
    for (size_t k = 0; k < n; k += 2 * h) {
      double* a = x + 2 * k;
      double* b = a + 2 * h;
      for (size_t j = 0; j < h; ++j) {
        const double wr = w[2 * j], wi = s * w[2 * j + 1];
        const double tr = wr * b[2 * j] - wi * b[2 * j + 1];
        const double ti = wr * b[2 * j + 1] + wi * b[2 * j];
        b[2 * j] = a[2 * j] - tr;
        b[2 * j + 1] = a[2 * j + 1] - ti;
        a[2 * j] += tr;
        a[2 * j + 1] += ti;
      }
    }
  }
  if (isign < 0) {
    const double inv = 1.0 / static_cast<double>(n);
    for (size_t i = 0; i < 2 * n; ++i) x[i] *= inv;
  }
}

long double TFastFourier::PowerNumerator(int32_t k) const {
  auto sq = [this](int32_t i) {
    const long double re = FData[2 * static_cast<size_t>(i)],
                      im = FData[2 * static_cast<size_t>(i) + 1];
    return re * re + im * im;
  };
  if (k == 0 || 2 * k == FNumData) return sq(k);
  return sq(k) + sq(FNumData - k);
}

double TFastFourier::MagnitudeNumerator(int32_t k) const {
  const size_t i = 2 * static_cast<size_t>(k);
  if (k == 0 || 2 * k == FNumData) return std::hypot(FData[i], FData[i + 1]);
  const size_t m = 2 * static_cast<size_t>(FNumData - k);
  return std::hypot(FData[i] + FData[m], FData[i + 1] - FData[m + 1]);
}

double TFastFourier::GetPowerSpec(int32_t k) const {
  if (k < 0 || k > FNumData / 2) return 0.0;
  return static_cast<double>(PowerNumerator(k) / FNumData);
}

double TFastFourier::GetMagnitude(int32_t k) const {
  if (k < 0 || k > FNumData / 2) return 0.0;
  return MagnitudeNumerator(k) / FNumData;
}

double TFastFourier::GetFourSerSinCoeff(int32_t n) const {
  if (n < 1 || 2 * n >= FNumData) return 0.0;
  return (FData[2 * static_cast<size_t>(n) + 1] -
          FData[2 * static_cast<size_t>(FNumData - n) + 1]) /
         FNumData;
}

double TFastFourier::GetFourSerCosCoeff(int32_t n) const {
  if (n < 0 || n > FNumData / 2) return 0.0;
  if (n == 0 || 2 * n == FNumData) return FData[2 * static_cast<size_t>(n)] / FNumData;
  return (FData[2 * static_cast<size_t>(n)] + FData[2 * static_cast<size_t>(FNumData - n)]) /
         FNumData;
}

double TFastFourier::GetPhase(int32_t k) const {
  if (k < 1 || k > FNumData / 2) return 0.0;
  const double re = FData[2 * static_cast<size_t>(k)], im = FData[2 * static_cast<size_t>(k) + 1];
  if (re == 0.0) return im <= 0.0 ? -std::numbers::pi / 2 : std::numbers::pi / 2;
  return std::atan2(im, re);
}

double TFastFourier::RMS(int32_t FirstIx, int32_t LastIx) const {
  const int32_t top = FNumData / 2;
  FirstIx = std::clamp(FirstIx, 0, top);
  LastIx = std::clamp(LastIx, 0, top);
  if (FirstIx > LastIx) std::swap(FirstIx, LastIx);
  long double sum = 0.0L;
  for (int32_t k = FirstIx; k <= LastIx; ++k) sum += PowerNumerator(k);
  return static_cast<double>(std::sqrt(sum) / FNumData);
}

double TFastFourier::FreqOfLine(int32_t ix, double SampleTime) const {
  if (ix < 1 || ix > FNumData / 2 || !(SampleTime > 0.0)) return 0.0;
  return ix / (SampleTime * FNumData);
}

int32_t TFastFourier::LineOfFreq(double f, double SampleTime) const {
  const double line = Round(static_cast<double>(FNumData) * f * SampleTime);
  // The comparison is false for NaN, so NaN never reaches the conversion.
  if (!(line >= 1.0 && line <= FNumData / 2)) return 0;
  return static_cast<int32_t>(line);
}

// NaN-propagating max and min: a NaN sample makes its extreme NaN instead of
// being skipped.
static double MaxNaN(double a, double b) {
  return (std::isnan(a) || std::isnan(b)) ? NAN : std::max(a, b);
}
static double MinNaN(double a, double b) {
  return (std::isnan(a) || std::isnan(b)) ? NAN : std::min(a, b);
}

void TFastFourier::CalcExtremes() {
  if (MaxValuesValid) return;
  FMaxReal = FMaxImag = -uc_MaxReal;
  FMinReal = FMinImag = uc_MaxReal;
  for (size_t i = 0; i < FData.size(); i += 2) {
    FMaxReal = MaxNaN(FMaxReal, FData[i]);
    FMinReal = MinNaN(FMinReal, FData[i]);
    FMaxImag = MaxNaN(FMaxImag, FData[i + 1]);
    FMinImag = MinNaN(FMinImag, FData[i + 1]);
  }
  double maxPow = 0.0;
  for (int32_t k = 1; k < FNumData / 2; ++k)
    maxPow = MaxNaN(maxPow, static_cast<double>(PowerNumerator(k) / FNumData));
  FMaxPower = maxPow;
  double maxMag = 0.0;
  for (int32_t k = 1; k <= FNumData / 2; ++k) maxMag = MaxNaN(maxMag, MagnitudeNumerator(k));
  FMaxMagni = maxMag / FNumData;
  MaxValuesValid = true;
}

double TFastFourier::GetMaxPower() {
  CalcExtremes();
  return FMaxPower;
}

double TFastFourier::GetMaxMagni() {
  CalcExtremes();
  return FMaxMagni;
}

double TFastFourier::GetMaxReal() {
  CalcExtremes();
  return FMaxReal;
}

double TFastFourier::GetMaxImag() {
  CalcExtremes();
  return FMaxImag;
}

double TFastFourier::GetMinReal() {
  CalcExtremes();
  return FMinReal;
}

double TFastFourier::GetMinImag() {
  CalcExtremes();
  return FMinImag;
}

}  // namespace zel
