// Windowed-sinc kernels, 2-D convolution, image correlation and the
// Chebyshev filter. Reference values come from testdata/filters_reference.py
// (scipy 1.10, numpy 1.24).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "gui/zel_graphics.hpp"
#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_filters.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
constexpr double kPi = 3.14159265358979323846;

double Magnitude(const TDoubleArray& h, double f) {
  std::complex<long double> s = 0.0L;
  for (size_t n = 0; n < h.size(); ++n)
    s += static_cast<long double>(h[n]) * std::polar(1.0L, -2.0L * kPi * f * n);
  return static_cast<double>(std::abs(s));
}

TEST(SincKernels, ResponsesMatchFirwin) {
  const double f[10] = {0.0, 0.05, 0.08, 0.1, 0.12, 0.15, 0.2, 0.3, 0.4, 0.5};
  // |H| of firwin(51, 0.2) and firwin(51, [0.1, 0.3], pass_zero='bandstop').
  const double lp[10] = {1.0,
                         0.9984239195765536,
                         0.9206941916593181,
                         0.49816626335360087,
                         0.07825608720858124,
                         0.0007712175489348911,
                         0.0008259523471173546,
                         0.0004910699361855339,
                         0.0003559112530945623,
                         0.0003216062200044343};
  const double bs[10] = {1.0,
                         0.4989189307997909,
                         0.011304715841629736,
                         0.0034808571360275343,
                         0.011317069407999446,
                         0.4960805449803164,
                         0.999252190043402,
                         0.9945810294027194,
                         0.9985147447571793,
                         0.9945502175871258};
  TDoubleArray k;
  ASSERT_EQ(CalcSincLPKernel(51, 0.1, 1, k), 25);
  ASSERT_EQ(k.size(), 51u);
  for (int i = 0; i < 10; ++i) EXPECT_NEAR(Magnitude(k, f[i]), lp[i], 0.01) << f[i];
  ASSERT_EQ(CalcSincBSKernel(51, 0.15, 0.05, 1, k), 25);  // cutoffs in either order
  for (int i = 0; i < 10; ++i) EXPECT_NEAR(Magnitude(k, f[i]), bs[i], 0.01) << f[i];
  // Spectral inversion: band-pass = 1 - band-stop, high-pass = 1 - low-pass.
  TDoubleArray bp;
  ASSERT_EQ(CalcSincBPKernel(51, 0.05, 0.15, 1, bp), 25);
  for (double fr : f) EXPECT_NEAR(Magnitude(bp, fr), std::fabs(1.0 - Magnitude(k, fr)), 0.02);
  TDoubleArray hp;
  ASSERT_EQ(CalcSincHPKernel(51, 0.1, 2, hp), 25);
  EXPECT_NEAR(Magnitude(hp, 0.0), 0.0, 1e-15);
  EXPECT_NEAR(Magnitude(hp, 0.5), 1.0, 1e-3);
}

TEST(SincKernels, EdgeCasesAndVectorOverloads) {
  TDoubleArray k{7.0};
  EXPECT_EQ(CalcSincLPKernel(0, 0.1, 1, k), kSincBadLength);
  EXPECT_EQ(CalcSincHPKernel(-5, 0.1, 1, k), kSincBadLength);
  EXPECT_EQ(CalcSincBPKernel(0, 0.1, 0.2, 1, k), kSincBadLength);
  EXPECT_EQ(k, TDoubleArray{7.0});
  // Cutoff 0: the sum is 0 and the kernel stays 0 (no 0/0).
  ASSERT_EQ(CalcSincLPKernel(5, -1.0, 0, k), 2);
  for (double v : k) EXPECT_EQ(v, 0.0);
  // An even length puts the sinc's centre right of the middle: not symmetric.
  ASSERT_EQ(CalcSincLPKernel(6, 0.2, 0, k), 3);
  EXPECT_EQ(*std::max_element(k.begin(), k.end()), k[3]);
  EXPECT_NE(k[0], k[5]);
  EXPECT_EQ(CalcSincBSKernel(7, 0.1, 0.2, 1, static_cast<TVector*>(nullptr)), kSincBadLength);
}

TEST(CalcSincKernels, VectorOverloadsHoldTheArrayKernelAndReturnTheOneBasedCentre) {
  using ToArray = std::function<int32_t(TDoubleArray&)>;
  using ToVector = std::function<int32_t(TVector*)>;
  const std::pair<ToArray, ToVector> kinds[] = {
      {[](TDoubleArray& k) { return CalcSincLPKernel(7, 0.2, 2, k); },
       [](TVector* v) { return CalcSincLPKernel(7, 0.2, 2, v); }},
      {[](TDoubleArray& k) { return CalcSincHPKernel(7, 0.2, 2, k); },
       [](TVector* v) { return CalcSincHPKernel(7, 0.2, 2, v); }},
      {[](TDoubleArray& k) { return CalcSincBSKernel(7, 0.1, 0.3, 1, k); },
       [](TVector* v) { return CalcSincBSKernel(7, 0.1, 0.3, 1, v); }},
      {[](TDoubleArray& k) { return CalcSincBPKernel(7, 0.1, 0.3, 1, k); },
       [](TVector* v) { return CalcSincBPKernel(7, 0.1, 0.3, 1, v); }},
  };
  std::set<std::vector<double>> distinct;
  for (const auto& [toArray, toVector] : kinds) {
    TDoubleArray k;
    ASSERT_EQ(toArray(k), 3);
    auto v = MakeVector({0});
    ASSERT_EQ(toVector(v.get()), 4);
    ASSERT_EQ(v->GetNrOfElem(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(v->GetVal(i + 1), k[static_cast<size_t>(i)]);
    distinct.insert(k);
  }
  EXPECT_EQ(distinct.size(), 4u);  // four different filters
}

TEST(KernelConvolve, EqualsNdimageCorrelateNearest) {
  TDouble2DArray data(7, TDoubleArray(9));
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 9; ++c) data[r][c] = std::sin(0.3 * r + 0.7 * c) + 0.1 * r * c;
  TDouble2DArray kern(5, TDoubleArray(5));
  for (int p = 0; p < 5; ++p)
    for (int q = 0; q < 5; ++q) kern[p][q] = std::cos(p - 2.0 * q) + 0.5 * p;
  const double want[63] = {
      15.286898383407587, 17.97233242284248,  18.65044127730726,  16.17396698599132,
      9.61010679678538,   3.2031639587720595, 1.1236410388668496, 0.9572595492375502,
      3.8814750192786467, 19.850001621538638, 21.61799274574049,  21.636155345548318,
      19.34084178891973,  14.562109508992284, 11.702647821685018, 14.26248309377744,
      18.21545912950761,  24.54478211979467,  24.02502157118961,  24.765034586528138,
      24.375950197456447, 22.989539394443547, 21.017006380454845, 22.709839537089618,
      30.595648262976642, 39.00689844206557,  48.76423704286647,  26.698886810725458,
      26.656681485215895, 26.366792840230413, 26.736365189867858, 28.43304023379723,
      35.186251760231706, 48.3472654391003,   61.02422906858429,  73.6401158207673,
      27.503633102312655, 27.209242922662387, 27.782814734743322, 30.73524752950596,
      36.80946179259235,  48.879697505719236, 67.00017207222966,  83.4728485264756,
      98.3619161442577,   27.554948351969834, 27.458817648072873, 28.914411213405298,
      33.74981050456901,  42.714452752574296, 58.11007642849495,  79.2138289509994,
      98.07860503877198,  114.42492378575308, 27.268332613116566, 27.548157789101346,
      29.77934674797184,  35.762141056762864, 46.333838005051035, 63.50348653206318,
      86.17701585371486,  106.41316694099153, 123.7267772396386};
  TDouble2DArray out;
  int calls = 0;
  int last = 0;
  ASSERT_EQ(KernelConvolve(kern, data, out,
                           [&](TObject* s, int32_t p) {
                             EXPECT_EQ(s, nullptr);
                             ++calls;
                             last = p;
                           }),
            kConvolveOk);
  ASSERT_EQ(out.size(), 7u);
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 9; ++c)
      EXPECT_NEAR(out[r][c], want[r * 9 + c], 2e-14 * std::fabs(want[r * 9 + c]));
  // (7 - 5)(9 - 5)/100 rounds to 0: a call after each of the 3 x 5 interior elements.
  EXPECT_EQ(calls, 15);
  EXPECT_EQ(last, 15);
  // In place gives the same.
  KernelConvolve(kern, data, data, nullptr);
  EXPECT_EQ(data, out);
}

TEST(KernelConvolve, RejectsBadKernelsAndRaggedData) {
  const TDouble2DArray data(4, TDoubleArray(4, 1.0));
  TDouble2DArray out{{1.0}};
  EXPECT_EQ(KernelConvolve({{1, 2, 3}, {1, 2, 3}}, data, out, nullptr), kConvolveNotSquare);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(KernelConvolve({{1, 2, 3}, {1, 2}, {1, 2, 3}}, data, out, nullptr), kConvolveNotSquare);
  EXPECT_EQ(KernelConvolve({{1, 2}, {3, 4}}, data, out, nullptr), kConvolveEvenSize);
  EXPECT_EQ(KernelConvolve({{1}}, data, out, nullptr), kConvolveTooSmall);
  const TDouble2DArray k3(3, TDoubleArray(3, 1.0));
  EXPECT_EQ(KernelConvolve(k3, {{1, 2, 3}, {1, 2}}, out, nullptr), kConvolveRaggedData);
  EXPECT_EQ(KernelConvolve(k3, {}, out, nullptr), kConvolveOk);
  EXPECT_TRUE(out.empty());
  // Data smaller than the kernel: every index is clamped.
  ASSERT_EQ(KernelConvolve(k3, {{2.0}}, out, nullptr), kConvolveOk);
  EXPECT_EQ(out, (TDouble2DArray{{18.0}}));
}

TEST(EdgeOperators, DirectionTwoIsDirectionZeroTurnedByNinetyDegrees) {
  // The response to a single bright pixel is the kernel mirrored about the
  // centre; turning that response by 90 degrees clockwise (x right, y down:
  // (dx, dy) -> (-dy, dx)) must give the response of direction 2.
  TDouble2DArray delta(5, TDoubleArray(5, 0.0));
  delta[2][2] = 1.0;
  for (auto apply : {ApplyCompassKernel, ApplyKirschKernel}) {
    TDouble2DArray r0;
    TDouble2DArray r2;
    ASSERT_EQ(apply(0, delta, r0, nullptr), kConvolveOk);
    ASSERT_EQ(apply(2, delta, r2, nullptr), kConvolveOk);
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        EXPECT_EQ(r2[2 - dy][2 + dx], r0[2 + dx][2 + dy]) << dx << dy;
    TDouble2DArray r8;
    EXPECT_EQ(apply(8, delta, r8, nullptr), kConvolveBadDirection);
    EXPECT_EQ(apply(-1, delta, r8, nullptr), kConvolveBadDirection);
  }
  // Direction 0 of the compass kernel: rows of the first index are -1, (1, -2, 1), 1.
  TDouble2DArray ramp(3, TDoubleArray(3));
  for (int p = 0; p < 3; ++p)
    for (int q = 0; q < 3; ++q) ramp[p][q] = p;
  TDouble2DArray r;
  ApplyCompassKernel(0, ramp, r, nullptr);
  EXPECT_DOUBLE_EQ(r[1][1], 1 * (1.0 - 2.0 + 1.0) + 2 * (1.0 + 1.0 + 1.0));
  // Kirsch direction 1: first index 0 all -3, 1 (-3, 0, 5), 2 (-3, 5, 5).
  ApplyKirschKernel(1, ramp, r, nullptr);
  EXPECT_DOUBLE_EQ(r[1][1], 1 * (-3.0 + 0.0 + 5.0) + 2 * (-3.0 + 5.0 + 5.0));
}

TBitmap TestImage(int shift, bool extraRed) {
  TBitmap b(23, 17, TPixelFormat::pf32bit);
  for (int x = 0; x < 23; ++x)
    for (int y = 0; y < 17; ++y) {
      int red = (37 * x + 11 * y + shift) % 256;
      if (extraRed) red = (red + 3 * x) % 256;
      const int green = (x * x + 3 * y + 2 * shift) % 256;
      const int blue = (7 * x + y * y + 5 * shift) % 256;
      b.SetPixel(x, y, red | (green << 8) | (blue << 16));
    }
  return b;
}

TEST(ImageCorrelation, MatchesNumpyAndGuardsTheAreas) {
  const TBitmap a = TestImage(0, false);
  const TBitmap b = TestImage(40, true);
  const TRect r1{2, 3, 12, 10};
  const TRect r2{9, 5, 19, 12};
  // numpy.corrcoef on the channel arrays of the two areas.
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, r1, r2, TImgCompareMode::icmRed), -0.43725612063020497,
              1e-14);
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, r1, r2, TImgCompareMode::icmBlue), 0.9924034467026929,
              1e-14);
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, r1, r2, TImgCompareMode::icmGrayValues),
              0.1450702332975655, 1e-12);
  EXPECT_NEAR(CalcImgCorrelation(&a, &a, r1, r1, TImgCompareMode::icmHue), 1.0, 1e-15);
  // Unequal heights throw as unequal widths do.
  for (const TRect& bad : {TRect{9, 5, 20, 12}, TRect{9, 5, 19, 11}}) try {
      CalcImgCorrelation(&a, &b, r1, bad, TImgCompareMode::icmRed);
      ADD_FAILURE() << "no exception";
    } catch (const EZELMath2Error& e) {
      EXPECT_STREQ(e.what(), "CalcImgCorrelation: image ranges to compare are not of equal size");
    }
  // Areas reaching outside a bitmap are clipped in step: only the pairs
  // inside both count, as the inner areas alone give.
  const double clipped = CalcImgCorrelation(&a, &b, TRect{-5, -4, 12, 10}, TRect{2, -2, 19, 12},
                                            TImgCompareMode::icmGreen);
  const double inner = CalcImgCorrelation(&a, &b, TRect{0, 0, 12, 10}, TRect{7, 2, 19, 12},
                                          TImgCompareMode::icmGreen);
  EXPECT_EQ(clipped, inner);
  EXPECT_EQ(CalcImgCorrelation(&a, &b, TRect{100, 100, 110, 110}, TRect{0, 0, 10, 10},
                               TImgCompareMode::icmRed),
            0.0);
  EXPECT_EQ(CalcImgCorrelation(nullptr, &b, r1, r2, TImgCompareMode::icmRed), 0.0);
  TBitmap flat(5, 5, TPixelFormat::pf32bit);
  EXPECT_EQ(
      CalcImgCorrelation(&flat, &b, TRect{0, 0, 4, 4}, TRect{0, 0, 4, 4}, TImgCompareMode::icmRed),
      0.0);
}

// Coefficients of CalcChebFilterCoeffs as scipy's (b, a): b = A0, a_1..a_N
// and a = 1, -b_1..-b_N.
void ExpectDesign(int poles, bool high, double fc, double ripple, const std::vector<double>& sb,
                  const std::vector<double>& sa, double tol, double scaleB = 1.0) {
  double a0 = 0.0;
  auto m = std::make_unique<TMatrix>(nullptr);
  CalcChebFilterCoeffs(poles, high, fc, ripple, a0, m.get());
  ASSERT_EQ(m->GetNrOfColumns(), 2);
  ASSERT_EQ(m->GetNrOfRows(), poles);
  EXPECT_NEAR(a0, sb[0] * scaleB, tol * sb[0] * scaleB);
  double amax = 0.0;
  double bmax = 0.0;
  for (int k = 0; k <= poles; ++k) {
    amax = std::max(amax, std::fabs(sa[k]));
    bmax = std::max(bmax, std::fabs(sb[k] * scaleB));
  }
  for (int k = 1; k <= poles; ++k) {
    EXPECT_NEAR(m->GetVal(1, k), sb[k] * scaleB, tol * bmax) << poles << " poles, a_" << k;
    EXPECT_NEAR(m->GetVal(2, k), -sa[k], tol * amax) << poles << " poles, b_" << k;
  }
}

// scipy.signal.butter(20, 0.04): numerator and denominator.
const std::vector<double> kButter20b = {
    4.235852717562798e-25,  8.471705435125597e-24, 8.048120163369317e-23,  4.82887209802159e-22,
    2.0522706416591758e-21, 6.567266053309362e-21, 1.6418165133273406e-20, 3.283633026654681e-20,
    5.335903668313857e-20,  7.114538224418477e-20, 7.825992046860324e-20,  7.114538224418477e-20,
    5.335903668313857e-20,  3.283633026654681e-20, 1.6418165133273406e-20, 6.567266053309362e-21,
    2.0522706416591758e-21, 4.82887209802159e-22,  8.048120163369317e-23,  8.471705435125597e-24,
    4.235852717562798e-25};
const std::vector<double> kButter20a = {
    1.0000000000000000, -18.398371267465667, 160.8474148211152,  -888.4568316885906,
    3477.3977218183372, -10251.55647062096,  23619.458206260366, -43550.486933420245,
    65266.57172712261,  -80283.01653764177,  81500.19726753625,  -68399.80605901883,
    47375.097578121335, -26932.35551869514,  12444.116701253555, -4601.342012470524,
    1329.6406952523757, -289.38969862004825, 44.627864040678595, -4.348025062073234,
    0.2012822790313329};

TEST(Chebyshev, RippleZeroIsScipyButter) {
  ExpectDesign(
      4, false, 0.1, 0,
      {0.004824343357716231, 0.019297373430864923, 0.028946060146297387, 0.019297373430864923,
       0.004824343357716231},
      {1.0, -2.3695130071820376, 2.31398841441588, -1.0546654058785676, 0.18737949236818488},
      1e-13);
  ExpectDesign(
      6, true, 0.3, 0,
      {0.010312874762664407, -0.06187724857598644, 0.1546931214399661, -0.20625749525328813,
       0.1546931214399661, -0.06187724857598644, 0.010312874762664407},
      {1.0, 1.1876006801756145, 1.3052133492885498, 0.6743275252979979, 0.2634693482801379,
       0.05175303387964128, 0.00502252659508814},
      1e-13);
  ExpectDesign(2, false, 0.05, 0, {0.020083365564211236, 0.04016673112842247, 0.020083365564211236},
               {1.0, -1.5610180758007182, 0.6413515380575631}, 1e-13);
  // Twenty poles at a low cutoff: 1 - Sum b cancels to about 1e-18 here, so
  // the gain must come from the stages.
  ExpectDesign(20, false, 0.02, 0, kButter20b, kButter20a, 1e-14);
}

TEST(Chebyshev, RippleMatchesCheby1AndGainIsOne) {
  // cheby1 at the ripple-band edge that corresponds to the 3 dB cutoff; its
  // pass band peaks at 1, ours is scaled to 1 at DC (low-pass, even order) or
  // Nyquist (high-pass), where cheby1 gives 1 - ripple.
  ExpectDesign(4, false, 0.1, 0.5,
               {0.0027668530832803766, 0.011067412333121507, 0.01660111849968226,
                0.011067412333121507, 0.0027668530832803766},
               {1.0, -2.764030504704424, 3.12285267835855, -1.6645530241054347, 0.3502229603332031},
               1e-12, 1.0 / 0.995);
  ExpectDesign(
      6, true, 0.3, 10.0,
      {0.0023887427940494266, -0.01433245676429656, 0.035831141910741396, -0.04777485588098853,
       0.035831141910741396, -0.01433245676429656, 0.0023887427940494266},
      {1.0, 2.9019284368666405, 4.760720990368754, 4.937240929896637, 3.3861791182672105,
       1.4469595002799969, 0.3090949126508251},
      1e-12, 1.0 / 0.9);
  // Without clearing b's leading term the DC gain of this design was 23.5.
  double a0 = 0.0;
  auto m = std::make_unique<TMatrix>(nullptr);
  for (bool high : {false, true}) {
    CalcChebFilterCoeffs(4, high, 0.1, 0.5, a0, m.get());
    long double num = a0;
    long double den = 1.0L;
    for (int k = 1; k <= 4; ++k) {
      const long double s = (high && k % 2 == 1) ? -1.0L : 1.0L;
      num += s * m->GetVal(1, k);
      den -= s * m->GetVal(2, k);
    }
    EXPECT_NEAR(static_cast<double>(num / den), 1.0, 1e-12) << high;
  }
}

TEST(Chebyshev, RejectsArgumentsThatWouldDivideByZeroOrLeaveStaleCoefficients) {
  double a0 = 7.0;
  auto m = analysis_test::RowsMatrix(2, {1, 2, 3, 4});
  const auto msg = [&](int np, double fc, double rip) -> std::string {
    try {
      CalcChebFilterCoeffs(np, false, fc, rip, a0, m.get());
    } catch (const EZELMath2Error& e) {
      return e.what();
    }
    return "no exception";
  };
  const std::string poles = "CalcChebFilterCoeffs: NPoles must be even";
  const std::string cut = "CalcChebFilterCoeffs: invalid cutoff frequency";
  const std::string rip = "CalcChebFilterCoeffs: invalid Ripple value";
  EXPECT_EQ(msg(3, 0.1, 0), poles);
  EXPECT_EQ(msg(0, 0.1, 0), poles);
  EXPECT_EQ(msg(-2, 0.1, 0), poles);
  EXPECT_EQ(msg(22, 0.1, 0), poles);
  EXPECT_EQ(msg(4, 0.0, 0), cut);
  EXPECT_EQ(msg(4, 0.5, 0), cut);
  EXPECT_EQ(msg(4, std::numeric_limits<double>::quiet_NaN(), 0), cut);
  EXPECT_EQ(msg(4, 0.1, 29.5), rip);
  EXPECT_EQ(msg(4, 0.1, -1), rip);
  EXPECT_EQ(a0, 7.0);
  EXPECT_EQ(m->GetVal(2, 2), 4.0);
  EXPECT_EQ(msg(20, 0.25, 29), "no exception");
  EXPECT_EQ(m->GetNrOfRows(), 20);
}

TEST(Chebyshev, ZeroPhaseFilterMatchesTwoLfilterPasses) {
  std::vector<double> x;
  for (int i = 1; i <= 60; ++i)
    x.push_back(std::sin(0.37 * i) + 0.3 * std::cos(1.7 * i) + 0.01 * i * i);
  auto src = MakeVector(x);
  auto dst = MakeVector({-1.0});
  double a0 = 0.0;
  auto m = std::make_unique<TMatrix>(nullptr);
  CalcChebFilterCoeffs(4, false, 0.1, 0, a0, m.get());
  ChebychevFilter(src.get(), 30, 5, dst.get(), a0, m.get());
  const double want[26] = {
      1.158513775300859,  1.142345697912986,   1.0268193944085875,  0.8422395531354553,
      0.6368083136792527, 0.46819996799012675, 0.39362446806052737, 0.46002420189505316,
      0.6955212576229695, 1.103133324790112,   1.658263433016024,   2.311501566182043,
      2.997463112525472,  3.6492124720724854,  4.21610920954115,    4.680416169852056,
      5.0660343568389505, 5.433105313072951,   5.855418102227241,   6.383272057361005,
      7.002145235889504,  7.604737022953775,   7.996014968421119,   7.943875561494234,
      7.271069757943319,  5.959859180477379};
  ASSERT_EQ(dst->GetNrOfElem(), 60);
  for (int i = 5; i <= 30; ++i) EXPECT_NEAR(dst->GetVal(i), want[i - 5], 1e-13 * 8) << i;
  EXPECT_EQ(dst->GetVal(4), 0.0);
  EXPECT_EQ(dst->GetVal(31), 0.0);
}

}  // namespace
}  // namespace zel
