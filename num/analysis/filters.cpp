// Smoothing and derivative filters of a vector range, ranks, generators,
// Gaussian kernels and the parenthesis checker.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "num/analysis/filters_impl.hpp"
#include "num/analysis/zel_filters.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

const std::array<std::array<int32_t, 14>, 11> GolayPoly = {{
    {35, 17, 12, -3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {21, 7, 6, 3, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {231, 59, 54, 39, 14, -21, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, 89, 84, 69, 44, 9, -36, 0, 0, 0, 0, 0, 0, 0},
    {143, 25, 24, 21, 16, 9, 0, -11, 0, 0, 0, 0, 0, 0},
    {1105, 167, 162, 147, 122, 87, 42, -13, -78, 0, 0, 0, 0, 0},
    {323, 43, 42, 39, 34, 27, 18, 7, -6, -21, 0, 0, 0, 0},
    {2261, 269, 264, 249, 224, 189, 144, 89, 24, -51, -136, 0, 0, 0},
    {3059, 329, 324, 309, 284, 249, 204, 149, 84, 9, -76, -171, 0, 0},
    {805, 79, 78, 75, 70, 63, 54, 43, 30, 15, -2, -21, -42, 0},
    {5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253},
}};

const std::array<std::array<int32_t, 14>, 11> Golay2ndDeriv = {{
    {7, -2, -1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {42, -4, -3, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {462, -20, -17, -8, 7, 28, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, -10, -9, -6, -1, 6, 15, 0, 0, 0, 0, 0, 0, 0},
    {1001, -14, -13, -10, -5, 2, 11, 22, 0, 0, 0, 0, 0, 0},
    {6188, -56, -53, -44, -29, -8, 19, 52, 91, 0, 0, 0, 0, 0},
    {3876, -24, -23, -20, -15, -8, 1, 12, 25, 40, 0, 0, 0, 0},
    {6783, -30, -29, -26, -21, -14, -5, 6, 19, 34, 51, 0, 0, 0},
    {33649, -110, -107, -98, -83, -62, -35, -2, 37, 82, 133, 190, 0, 0},
    {17710, -44, -43, -40, -35, -28, -19, -8, 5, 20, 37, 56, 77, 0},
    {26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92},
}};

const char* KernelStatusText(int32_t status) {
  switch (status) {
    case kConvolveOk: return "success";
    case kConvolveNotSquare: return "the kernel is not square, or the direction lies outside 0..7";
    case kConvolveEvenSize: return "the kernel size is even";
    case kConvolveTooSmall: return "the kernel is smaller than 3 x 3";
    case kConvolveRaggedData: return "the inner arrays of the data differ in length";
    default: return "unknown convolution status";
  }
}

const char* GeneratorStatusText(int32_t status) {
  switch (status) {
    case kGenOk: return "success";
    case -1:
      return "the peak list is empty, the width is not positive, or the array has fewer than 3 "
             "elements";
    case kGenDataTooSmall: return "the data array is too small";
    case kGenBadPeakWidth: return "a peak width is not positive";
    default: return "unknown generator status";
  }
}

namespace {

using filters_detail::ClampOrder;

enum class WinKind { kAverage, kMedian, kWeighted, kGolay, kDeriv1, kDeriv2 };

struct FrameText {
  const char* name;
  const char* rangeText;  // after "specified range for "
  const char* windowWord;
};

FrameText TextOf(WinKind kind) {
  switch (kind) {
    case WinKind::kAverage:
      return {"MovingAverageSmooth",
              "smoothing is smaller than the length of the smoothing windows", "smoothing window"};
    case WinKind::kMedian:
      return {"MovingMedianSmooth", "smoothing is smaller than the length of the smoothing windows",
              "smoothing window"};
    case WinKind::kWeighted:
      return {"WeightedAverageSmooth",
              "smoothing is smaller than the length of the smoothing windows", "smoothing window"};
    case WinKind::kGolay:
      return {"PolynomialSmooth", "smoothing is smaller than the length of the polynomial",
              "polynomial"};
    case WinKind::kDeriv1:
      return {"FirstDeriv", "calculation is smaller than the length of the polynomial",
              "polynomial"};
    case WinKind::kDeriv2:
      return {"SecondDeriv", "smoothing is smaller than the length of the polynomial",
              "polynomial"};
  }
  return {"", "", ""};
}

[[noreturn]] void Fail(const std::string& name, const std::string& text) {
  throw EZELMath2Error(name + ": " + text);
}

void CheckWindow(WinKind kind, const TVector* src, const TVector* dst, int32_t& first,
                 int32_t& last, int32_t w) {
  const FrameText t = TextOf(kind);
  if (src == nullptr || dst == nullptr) Fail(t.name, "either SourceVec or DestVec is undefined");
  ClampOrder(first, last, src->GetNrOfElem());
  // int64: a window near INT32_MAX must not overflow the comparison.
  if (static_cast<int64_t>(last) - first < w)
    Fail(t.name, std::string("specified range for ") + t.rangeText);
  const bool golay =
      kind == WinKind::kGolay || kind == WinKind::kDeriv1 || kind == WinKind::kDeriv2;
  const bool inRange = golay ? (w >= 5 && w <= 25) : w >= 3;
  if (!inRange) Fail(t.name, std::string("length of ") + t.windowWord + " is out of range");
  if (w % 2 == 0) Fail(t.name, std::string("length of ") + t.windowWord + " must be odd");
}

double WindowValue(WinKind kind, const double* x, int32_t h, std::vector<double>& scratch) {
  const int32_t w = 2 * h + 1;
  switch (kind) {
    case WinKind::kAverage: {
      long double s = 0.0L;
      for (int32_t k = -h; k <= h; ++k) s += x[k];
      return static_cast<double>(s / w);
    }
    case WinKind::kMedian: {
      scratch.assign(x - h, x + h + 1);
      for (double v : scratch)
        if (std::isnan(v)) return v;
      return QuickSelect(std::span<double>(scratch), h, 0, w - 1);
    }
    case WinKind::kWeighted: {
      long double s = 0.0L;
      for (int32_t k = -h; k <= h; ++k) s += static_cast<long double>(h + 1 - std::abs(k)) * x[k];
      return static_cast<double>(s * 4.0L / (static_cast<long double>(w + 1) * (w + 1)));
    }
    case WinKind::kGolay:
    case WinKind::kDeriv2: {
      const auto& row = (kind == WinKind::kGolay ? GolayPoly : Golay2ndDeriv)[(w - 5) / 2];
      long double s = static_cast<long double>(row[1]) * x[0];
      for (int32_t k = 1; k <= h; ++k)
        s += static_cast<long double>(row[k + 1]) * (x[k] + static_cast<long double>(x[-k]));
      return static_cast<double>(s / row[0]);
    }
    case WinKind::kDeriv1: {
      long double s = 0.0L;
      for (int32_t k = 1; k <= h; ++k) s += k * (static_cast<long double>(x[k]) - x[-k]);
      const long double norm = static_cast<long double>(h) * (h + 1) * (2 * h + 1) / 3;
      return static_cast<double>(s / norm);
    }
  }
  return 0.0;
}

void WindowFilter(WinKind kind, const TVector* src, int32_t first, int32_t last, TVector* dst,
                  int32_t w) {
  CheckWindow(kind, src, dst, first, last, w);
  const int32_t h = (w - 1) / 2;
  std::vector<double> x(static_cast<size_t>(last - first + 1));
  for (size_t i = 0; i < x.size(); ++i) x[i] = src->GetVal(first + static_cast<int32_t>(i));
  const auto m = static_cast<int32_t>(x.size());
  std::vector<double> out(x.size());
  std::vector<double> scratch;
  for (int32_t i = h; i < m - h; ++i)
    out[static_cast<size_t>(i)] = WindowValue(kind, x.data() + i, h, scratch);
  for (int32_t i = 0; i < h; ++i) {
    out[static_cast<size_t>(i)] = out[static_cast<size_t>(h)];
    out[static_cast<size_t>(m - 1 - i)] = out[static_cast<size_t>(m - 1 - h)];
  }
  dst->CopyFrom(out, 0, m - 1, 1);
}

}  // namespace

void MovingAverageSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                         TVector* DestVec, int32_t W) {
  WindowFilter(WinKind::kAverage, SourceVec, FirstElem, LastElem, DestVec, W);
}

void MovingMedianSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                        TVector* DestVec, int32_t W) {
  WindowFilter(WinKind::kMedian, SourceVec, FirstElem, LastElem, DestVec, W);
}

void WeightedAverageSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                           TVector* DestVec, int32_t W) {
  WindowFilter(WinKind::kWeighted, SourceVec, FirstElem, LastElem, DestVec, W);
}

void PolynomialSmooth(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                      TVector* DestVec, int32_t W) {
  WindowFilter(WinKind::kGolay, SourceVec, FirstElem, LastElem, DestVec, W);
}

void FirstDeriv(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem, TVector* DestVec,
                int32_t W) {
  WindowFilter(WinKind::kDeriv1, SourceVec, FirstElem, LastElem, DestVec, W);
}

void SecondDeriv(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem, TVector* DestVec,
                 int32_t W) {
  WindowFilter(WinKind::kDeriv2, SourceVec, FirstElem, LastElem, DestVec, W);
}

void MovingKernelFilter(const TVector* SourceVec, int32_t FirstElem, int32_t LastElem,
                        TVector* DestVec, const TVector* FilterKernel) {
  if (SourceVec == nullptr || DestVec == nullptr || FilterKernel == nullptr)
    Fail("MovingKernelfilter", "SourceVec, DestVec and/or FilterKernel is undefined");
  const int32_t n = SourceVec->GetNrOfElem();
  ClampOrder(FirstElem, LastElem, n);
  const int32_t len = FilterKernel->GetNrOfElem();
  if (LastElem - FirstElem < len)
    Fail("MovingKernelfilter",
         "specified range for smoothing is smaller than the length of the kernel");
  std::vector<double> kern(static_cast<size_t>(len));
  for (int32_t k = 0; k < len; ++k) kern[static_cast<size_t>(k)] = FilterKernel->GetVal(k + 1);
  std::vector<double> out(static_cast<size_t>(LastElem - FirstElem + 1));
  for (int32_t i = FirstElem; i <= LastElem; ++i) {
    long double s = 0.0L;
    for (int32_t k = 1; k <= len; ++k) {
      // int64: i + k near INT32_MAX must not wrap before the clamp.
      const int64_t j =
          std::clamp<int64_t>(static_cast<int64_t>(i) + k - 1 - len / 2, FirstElem, LastElem);
      s += static_cast<long double>(kern[static_cast<size_t>(k - 1)]) *
           SourceVec->GetVal(static_cast<int32_t>(j));
    }
    out[static_cast<size_t>(i - FirstElem)] = static_cast<double>(s);
  }
  DestVec->Resize(n);
  DestVec->CopyFrom(out, 0, static_cast<int32_t>(out.size()) - 1, 1);
}

// ---------------------------------------------------------------------------
// Ranks, generators, Gaussian kernels, parentheses
// ---------------------------------------------------------------------------

double CalcRanks(const TVector* Data, TVector* Ranks) {
  if (Data == nullptr || Ranks == nullptr) return 0.0;
  const int32_t n = Data->GetNrOfElem();
  std::vector<double> x(static_cast<size_t>(n));
  bool hasNaN = false;
  for (int32_t i = 0; i < n; ++i) {
    x[static_cast<size_t>(i)] = Data->GetVal(i + 1);
    hasNaN = hasNaN || std::isnan(x[static_cast<size_t>(i)]);
  }
  std::vector<double> rank(x.size(), std::numeric_limits<double>::quiet_NaN());
  long double ties = 0.0L;
  if (!hasNaN) {
    std::vector<int32_t> order(x.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&x](int32_t a, int32_t b) {
      return x[static_cast<size_t>(a)] < x[static_cast<size_t>(b)];
    });
    size_t i = 0;
    while (i < order.size()) {
      size_t j = i + 1;
      while (j < order.size() &&
             x[static_cast<size_t>(order[j])] == x[static_cast<size_t>(order[i])])
        ++j;
      // Ranks i + 1 .. j: their mean, formed without overflow.
      const double mean = (static_cast<double>(i) + 1.0 + static_cast<double>(j)) / 2.0;
      for (size_t k = i; k < j; ++k) rank[static_cast<size_t>(order[k])] = mean;
      const auto t = static_cast<long double>(j - i);
      if (j - i >= 2) ties += t * (t * t - 1.0L);
      i = j;
    }
  }
  Ranks->Resize(n);
  Ranks->CopyFrom(rank, 0, n - 1, 1);
  return hasNaN ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(ties);
}

int32_t CreateGaussianPeaks(const TPeakParamsList& Peaks, TDoubleArray& Data) {
  if (Peaks.empty()) return kGenNoPeaks;
  if (Data.size() < 3) return kGenDataTooSmall;
  for (const auto& p : Peaks)
    if (!(p[1] > 0.0)) return kGenBadPeakWidth;
  for (size_t i = 0; i < Data.size(); ++i) {
    long double s = 0.0L;
    for (const auto& p : Peaks) {
      const double z = (static_cast<double>(i + 1) - p[0]) / p[1];
      s += p[2] * std::exp(-z * z);
    }
    Data[i] = static_cast<double>(s);
  }
  return kGenOk;
}

int32_t Gauss2D(int32_t CenterX, int32_t CenterY, double Width, double Amplitude,
                TDouble2DArray& Data) {
  if (Data.size() < 2 || Data.front().size() < 2 || !IsRectangular(Data)) return kGenDataTooSmall;
  if (!(Width > 0.0)) return kGenBadWidth;
  for (size_t i = 0; i < Data.size(); ++i) {
    const double zx = (static_cast<double>(i + 1) - CenterX) / Width;
    for (size_t j = 0; j < Data[i].size(); ++j) {
      const double zy = (static_cast<double>(j + 1) - CenterY) / Width;
      Data[i][j] = Amplitude * std::exp(-(zx * zx + zy * zy));
    }
  }
  return kGenOk;
}

int32_t CreateSigmoidArray(TDoubleArray& Data, double Steepness, double Offset, double Height,
                           int32_t Center) {
  if (Data.size() < 3) return kGenTooShort;
  for (size_t i = 0; i < Data.size(); ++i)
    Data[i] =
        Offset + Height / (std::exp(-Steepness * (static_cast<double>(i + 1) - Center)) + 1.0);
  return kGenOk;
}

namespace {

// exp(-min(20, Sum ((a_k - b_k)/sigma)^2)) for k = 1..n.
template <class Get1, class Get2>
double GaussKernel(int32_t n, Get1 a, Get2 b, double sigma) {
  long double s = 0.0L;
  bool differ = false;
  for (int32_t k = 1; k <= n; ++k) {
    const double d = a(k) - b(k);
    if (std::isnan(d) || std::isnan(sigma)) return std::numeric_limits<double>::quiet_NaN();
    if (d == 0.0) continue;
    differ = true;
    // The quotient first: differences near 1e154 or 1e-160 keep their ratio.
    const long double q = static_cast<long double>(d) / sigma;
    s += q * q;
  }
  if (sigma == 0.0) return differ ? std::exp(-20.0) : 1.0;
  return std::exp(-std::min(20.0, static_cast<double>(s)));
}

}  // namespace

double CalcGaussKernel(const TVector* Vec1, const TVector* Vec2, double Sigma) {
  if (Vec1 == nullptr || Vec2 == nullptr) return 0.0;
  return GaussKernel(
      Vec2->GetNrOfElem(), [Vec1](int32_t k) { return Vec1->GetVal(k); },
      [Vec2](int32_t k) { return Vec2->GetVal(k); }, Sigma);
}

double CalcGaussKernelMat(const TVector* Vec, const TMatrix* Mat, int32_t Row, double Sigma) {
  if (Vec == nullptr || Mat == nullptr) return 0.0;
  return GaussKernel(
      Mat->GetNrOfColumns(), [Vec](int32_t k) { return Vec->GetVal(k); },
      [Mat, Row](int32_t k) { return Mat->GetVal(k, Row); }, Sigma);
}

int32_t CheckParanthInExp(const std::string& Expr) {
  int64_t count = 0;
  for (size_t i = 0; i < Expr.size(); ++i) {
    if (Expr[i] == '(') {
      ++count;
    } else if (Expr[i] == ')') {
      if (count == 0) return -static_cast<int32_t>(std::min<size_t>(i + 1, INT32_MAX));
      --count;
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

}  // namespace zel
