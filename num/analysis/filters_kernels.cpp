// Windowed-sinc kernels, 2-D convolution with the edge operators, and the
// correlation of two image areas.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/zel_zelcolors.hpp"
#include "gui/zel_graphics.hpp"
#include "num/analysis/zel_filters.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The low-pass kernel into k (1-based index i is k[i - 1]).
void SincLowPass(int32_t n, double cutoff, int32_t window, TDoubleArray& k) {
  if (!std::isnan(cutoff)) cutoff = std::clamp(cutoff, 0.0, 0.5);
  k.assign(static_cast<size_t>(n), 0.0);
  const int32_t c = n / 2 + 1;
  const double m1 = static_cast<double>(n) + 1.0;
  long double sum = 0.0L;
  for (int32_t i = 1; i <= n; ++i) {
    const double d = static_cast<double>(i) - c;
    double v = i == c ? 2.0 * kPi * cutoff : std::sin(2.0 * kPi * cutoff * d) / d;
    if (window == 1) {
      v *= 0.54 - 0.46 * std::cos(2.0 * kPi * i / m1);
    } else if (window == 2) {
      v *= 0.42 - 0.5 * std::cos(2.0 * kPi * i / m1) + 0.08 * std::cos(4.0 * kPi * i / m1);
    }
    k[static_cast<size_t>(i - 1)] = v;
    sum += v;
  }
  if (sum != 0.0L)
    for (double& v : k) v = static_cast<double>(v / sum);
}

void Invert(int32_t n, TDoubleArray& k) {
  for (double& v : k) v = -v;
  k[static_cast<size_t>(n / 2)] += 1.0;
}

void SincBandStop(int32_t n, double c1, double c2, int32_t window, TDoubleArray& k) {
  if (c1 > c2) std::swap(c1, c2);
  TDoubleArray hp;
  SincLowPass(n, c1, window, k);
  SincLowPass(n, c2, window, hp);
  Invert(n, hp);
  for (size_t i = 0; i < k.size(); ++i) k[i] += hp[i];
}

// The vector overloads: the kernel of the array overload (make), copied in;
// the result is the 1-based centre.
template <class Make>
int32_t IntoVector(int32_t n, TVector* v, Make make) {
  if (n < 1 || v == nullptr) return kSincBadLength;
  TDoubleArray k;
  make(k);
  v->Resize(n);
  v->CopyFrom(k, 0, n - 1, 1);
  return n / 2 + 1;
}

}  // namespace

int32_t CalcSincLPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TDoubleArray& Kernel) {
  if (NumPoints < 1) return kSincBadLength;
  SincLowPass(NumPoints, Cutoff, Window, Kernel);
  return NumPoints / 2;
}

int32_t CalcSincLPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TVector* Kernel) {
  return IntoVector(NumPoints, Kernel,
                    [&](TDoubleArray& k) { CalcSincLPKernel(NumPoints, Cutoff, Window, k); });
}

int32_t CalcSincHPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TDoubleArray& Kernel) {
  if (NumPoints < 1) return kSincBadLength;
  SincLowPass(NumPoints, Cutoff, Window, Kernel);
  Invert(NumPoints, Kernel);
  return NumPoints / 2;
}

int32_t CalcSincHPKernel(int32_t NumPoints, double Cutoff, int32_t Window, TVector* Kernel) {
  return IntoVector(NumPoints, Kernel,
                    [&](TDoubleArray& k) { CalcSincHPKernel(NumPoints, Cutoff, Window, k); });
}

int32_t CalcSincBSKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TDoubleArray& Kernel) {
  if (NumPoints < 1) return kSincBadLength;
  SincBandStop(NumPoints, Cutoff1, Cutoff2, Window, Kernel);
  return NumPoints / 2;
}

int32_t CalcSincBSKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TVector* Kernel) {
  return IntoVector(NumPoints, Kernel, [&](TDoubleArray& k) {
    CalcSincBSKernel(NumPoints, Cutoff1, Cutoff2, Window, k);
  });
}

int32_t CalcSincBPKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TDoubleArray& Kernel) {
  if (NumPoints < 1) return kSincBadLength;
  SincBandStop(NumPoints, Cutoff1, Cutoff2, Window, Kernel);
  Invert(NumPoints, Kernel);
  return NumPoints / 2;
}

int32_t CalcSincBPKernel(int32_t NumPoints, double Cutoff1, double Cutoff2, int32_t Window,
                         TVector* Kernel) {
  return IntoVector(NumPoints, Kernel, [&](TDoubleArray& k) {
    CalcSincBPKernel(NumPoints, Cutoff1, Cutoff2, Window, k);
  });
}

// ---------------------------------------------------------------------------
// Convolution
// ---------------------------------------------------------------------------

int32_t KernelConvolve(const TDouble2DArray& Kernel, const TDouble2DArray& Data,
                       TDouble2DArray& Result, const TOnPercentDoneEvent& Feedback) {
  const auto k = static_cast<int64_t>(Kernel.size());
  for (const auto& col : Kernel)
    if (static_cast<int64_t>(col.size()) != k) {
      Result.clear();
      return kConvolveNotSquare;
    }
  if (k % 2 == 0) {
    Result.clear();
    return kConvolveEvenSize;
  }
  if (k < 3) {
    Result.clear();
    return kConvolveTooSmall;
  }
  if (!IsRectangular(Data)) {
    Result.clear();
    return kConvolveRaggedData;
  }
  const auto nr = static_cast<int64_t>(Data.size());
  const auto nc = nr == 0 ? int64_t{0} : static_cast<int64_t>(Data.front().size());
  if (nr == 0 || nc == 0) {
    Result = Data;
    return kConvolveOk;
  }
  const int64_t h = k / 2;
  TDouble2DArray out(static_cast<size_t>(nr), TDoubleArray(static_cast<size_t>(nc)));
  const int64_t step = std::max<int64_t>(1, (nr - k) * (nc - k) / 100);
  int64_t done = 0;
  for (int64_t r = 0; r < nr; ++r) {
    const bool innerRow = r >= h && r < nr - h;
    for (int64_t c = 0; c < nc; ++c) {
      const bool inner = innerRow && c >= h && c < nc - h;
      long double s = 0.0L;
      if (inner) {
        for (int64_t p = 0; p < k; ++p) {
          const double* d = Data[static_cast<size_t>(r + p - h)].data() + (c - h);
          const double* kr = Kernel[static_cast<size_t>(p)].data();
          for (int64_t q = 0; q < k; ++q) s += static_cast<long double>(kr[q]) * d[q];
        }
      } else {
        for (int64_t p = 0; p < k; ++p) {
          const auto& d = Data[static_cast<size_t>(std::clamp(r + p - h, int64_t{0}, nr - 1))];
          for (int64_t q = 0; q < k; ++q)
            s += static_cast<long double>(Kernel[static_cast<size_t>(p)][static_cast<size_t>(q)]) *
                 d[static_cast<size_t>(std::clamp(c + q - h, int64_t{0}, nc - 1))];
        }
      }
      out[static_cast<size_t>(r)][static_cast<size_t>(c)] = static_cast<double>(s);
      if (inner && Feedback && ++done % step == 0)
        Feedback(nullptr, static_cast<int32_t>(std::min<int64_t>(done / step, INT32_MAX)));
    }
  }
  Result.swap(out);
  return kConvolveOk;
}

namespace {

// The ring of outer elements, clockwise with the first index to the right
// and the second downwards.
constexpr int32_t kRing[8][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};

int32_t ApplyRotated(const double (&base)[3][3], int32_t dir, const TDouble2DArray& data,
                     TDouble2DArray& result, const TOnPercentDoneEvent& feedback) {
  if (dir < 0 || dir > 7) {
    result.clear();
    return kConvolveBadDirection;
  }
  TDouble2DArray kern(3, TDoubleArray(3));
  kern[1][1] = base[1][1];
  for (int32_t i = 0; i < 8; ++i) {
    const auto* from = kRing[i];
    const auto* to = kRing[(i + dir) % 8];
    kern[static_cast<size_t>(to[0])][static_cast<size_t>(to[1])] = base[from[0]][from[1]];
  }
  return KernelConvolve(kern, data, result, feedback);
}

}  // namespace

int32_t ApplyCompassKernel(int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                           const TOnPercentDoneEvent& Feedback) {
  static constexpr double base[3][3] = {{-1, -1, -1}, {1, -2, 1}, {1, 1, 1}};
  return ApplyRotated(base, Direction, Data, Result, Feedback);
}

int32_t ApplyKirschKernel(int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                          const TOnPercentDoneEvent& Feedback) {
  static constexpr double base[3][3] = {{-3, -3, -3}, {-3, 0, -3}, {5, 5, 5}};
  return ApplyRotated(base, Direction, Data, Result, Feedback);
}

// ---------------------------------------------------------------------------
// Image correlation
// ---------------------------------------------------------------------------

namespace {

double Quantity(TColor c, TImgCompareMode mode) {
  const int32_t r = c & 0xFF;
  const int32_t g = (c >> 8) & 0xFF;
  const int32_t b = (c >> 16) & 0xFF;
  switch (mode) {
    case TImgCompareMode::icmRed: return r;
    case TImgCompareMode::icmBlue: return b;
    case TImgCompareMode::icmGreen: return g;
    case TImgCompareMode::icmGrayValues: return RGBtoGray(r, g, b);
    default: break;
  }
  double in = 0.0;
  double sat = 0.0;
  double hue = 0.0;
  RGBtoHSI(r, g, b, in, sat, hue);
  if (mode == TImgCompareMode::icmHue) return hue;
  if (mode == TImgCompareMode::icmLightness) return in;
  return sat;
}

}  // namespace

double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1,
                          const TRect& Area2, TImgCompareMode CompareMode) {
  // int64: rectangles near the int32 limits must not overflow the sizes.
  const int64_t w1 = static_cast<int64_t>(Area1.Right) - Area1.Left;
  const int64_t h1 = static_cast<int64_t>(Area1.Bottom) - Area1.Top;
  if (w1 != static_cast<int64_t>(Area2.Right) - Area2.Left ||
      h1 != static_cast<int64_t>(Area2.Bottom) - Area2.Top)
    throw EZELMath2Error("CalcImgCorrelation: image ranges to compare are not of equal size");
  if (Img1 == nullptr || Img2 == nullptr || w1 < 0 || h1 < 0) return 0.0;
  const int64_t dx = static_cast<int64_t>(Area2.Left) - Area1.Left;
  const int64_t dy = static_cast<int64_t>(Area2.Top) - Area1.Top;
  // Clip Area1 so that both pixels of every pair lie inside their bitmaps.
  const int64_t x0 = std::max<int64_t>({Area1.Left, 0, -dx});
  const int64_t x1 =
      std::min<int64_t>({Area1.Right, Img1->GetWidth() - 1, Img2->GetWidth() - 1 - dx});
  const int64_t y0 = std::max<int64_t>({Area1.Top, 0, -dy});
  const int64_t y1 =
      std::min<int64_t>({Area1.Bottom, Img1->GetHeight() - 1, Img2->GetHeight() - 1 - dy});
  if (x1 < x0 || y1 < y0) return 0.0;
  const size_t n = static_cast<size_t>((x1 - x0 + 1) * (y1 - y0 + 1));
  std::vector<double> a;
  std::vector<double> b;
  a.reserve(n);
  b.reserve(n);
  for (int64_t y = y0; y <= y1; ++y)
    for (int64_t x = x0; x <= x1; ++x) {
      a.push_back(
          Quantity(Img1->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)), CompareMode));
      b.push_back(Quantity(
          Img2->GetPixel(static_cast<int32_t>(x + dx), static_cast<int32_t>(y + dy)), CompareMode));
    }
  return n < 2 ? 0.0 : vector_detail::PearsonOf(a.data(), b.data(), n);
}

}  // namespace zel
