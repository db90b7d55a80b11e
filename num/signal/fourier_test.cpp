#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "num/signal/zel_fourier.hpp"

namespace zel {
namespace {

using W = TFastFourierWgtWin;
constexpr double kPi = std::numbers::pi;

// Reference values printed by testdata/reference_values.py (numpy 1.24.2,
// scipy 1.10.1): the transforms are N * numpy.fft.ifft, which has this
// library's sign convention.
const std::vector<double> kNumpyRe16 = {
    2.4978707169604615,   1.8813732018689544,  2.6753960688628426,  9.048323149088478,
    -3.270363518524266,   0.3211988266525748,  -0.9190786229976887, -1.4329720918357043,
    -0.15102132318275063, -0.9927229019745071, 0.07532960243477493, 2.268749839826208,
    1.8533722857964225,   -1.9450134602965243, 0.470804843202013,   1.0822891410450537};
const std::vector<double> kNumpyIm16 = {
    1.2961818637514462,  1.7284779114710034, 2.492050788354806,   7.11794314313731,
    -1.3985273325608951, 2.078290958485587,  -0.7460273945018234, -5.238822326545026,
    0.3322595514988619,  5.858228389321796,  1.1983536373652237,  -2.084155133978961,
    -0.5764949279320803, 2.0223365931151944, 0.9143297546066314,  1.0055745244109273};
const std::vector<double> kNumpyRe4096 = {41.20712334831933,  -26.836428229837814,
                                          50.039253376932315, -48.364136755780734,
                                          31.42337498974589,  -26.84057501559586};
const std::vector<double> kNumpyIm4096 = {1.1204550364591306,  16.690151475341352,
                                          -31.741855726921198, -10.910593710222159,
                                          0.9147319556933766,  -14.449240983598933};
const std::vector<double> kWinCos2 = {
    0.038060233744356686, 0.14644660940672627, 0.30865828381745514, 0.5,
    0.6913417161825449,   0.8535533905932738,  0.9619397662556433,  1.0,
    0.9619397662556433,   0.8535533905932738,  0.6913417161825451,  0.5,
    0.3086582838174549,   0.14644660940672627, 0.03806023374435674, 0.0};
const std::vector<double> kWinGauss = {
    0.0318947933621571, 0.07955950871822769, 0.1724216238937528, 0.32465246735834974,
    0.5310959910353452, 0.7548396019890073,  0.9321024923595276, 1.0,
    0.9321024923595276, 0.7548396019890073,  0.5310959910353452, 0.32465246735834974,
    0.1724216238937528, 0.07955950871822769, 0.0318947933621571, 0.011108996538242308};
const std::vector<double> kWinHamming = {
    0.12170716994049952, 0.22066864337135872, 0.36877495478985034, 0.5434782608695652,
    0.7181815669492801,  0.8662878783677718,  0.9652493517986309,  1.0,
    0.9652493517986309,  0.8662878783677718,  0.7181815669492804,  0.5434782608695652,
    0.3687749547898501,  0.22066864337135872, 0.12170716994049957, 0.08695652173913038};
const std::vector<double> kWinBlackman = {
    0.02216873477496098, 0.07546933264382526, 0.182224977850914,    0.34974204643164236,
    0.5622760220312053,  0.7777120946992531,  0.9396931200290763,   1.0,
    0.9396931200290763,  0.7777120946992531,  0.5622760220312054,   0.34974204643164236,
    0.1822249778509138,  0.07546933264382526, 0.022168734774960994, 0.006878761822871851};
const std::vector<double> kWinBlkmHarris = {
    0.0030591666260750055, 0.021735837018679628, 0.08278037370414672,   0.21747000000000008,
    0.43491953420378254,   0.6957641629813205,   0.9142409254659959,    1.0,
    0.9142409254659959,    0.6957641629813205,   0.43491953420378276,   0.21747000000000008,
    0.08278037370414658,   0.021735837018679628, 0.0030591666260749977, 6.0000000000001025e-05};
const std::vector<double> kWinBlkmNuttall = {
    0.004159080069511729, 0.025205566515401824, 0.08962243700094036,  0.22698240000000006,
    0.44436049748567613,  0.7019582334845982,   0.9161855854438717,   1.0,
    0.9161855854438717,   0.7019582334845982,   0.4443604974856764,   0.22698240000000006,
    0.08962243700094023,  0.025205566515401824, 0.004159080069511733, 0.0003628000000000381};
const std::vector<double> kWinTukey03 = {
    0.37059047744873974, 0.9330127018922193, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
    0.933012701892219,   0.3705904774487401, 0.0};
const std::vector<double> kWinTukey06 = {0.10332332985438247,
                                         0.37059047744873974,
                                         0.6913417161825449,
                                         0.9330127018922193,
                                         1.0,
                                         1.0,
                                         1.0,
                                         1.0,
                                         1.0,
                                         1.0,
                                         1.0,
                                         0.9330127018922194,
                                         0.6913417161825449,
                                         0.37059047744873946,
                                         0.10332332985438258,
                                         0.0};
const std::vector<double> kWinTukey05 = {
    0.14644660940672627, 0.5, 0.8535533905932738,  1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
    0.8535533905932738,  0.5, 0.14644660940672627, 0.0};

// The deterministic signal of reference_values.py.
void FillSignal(TFastFourier& f) {
  for (int32_t j = 0; j < f.GetSpectrumSize(); ++j) {
    f.SetRealSpec(j + 1, std::sin(0.37 * j * j + 1.0));
    f.SetImagSpec(j + 1, std::cos(1.3 * j));
  }
}

std::string MessageOf(auto&& call) {
  try {
    call();
  } catch (const EZELFourierError& e) {
    return e.what();
  }
  return "no exception";
}

std::vector<std::complex<double>> Data(const TFastFourier& f) {
  std::vector<std::complex<double>> v;
  for (int32_t i = 1; i <= f.GetSpectrumSize(); ++i)
    v.emplace_back(f.GetRealSpec(i), f.GetImagSpec(i));
  return v;
}

TEST(FourierSize, PowersOfTwoOnlyAndReallocationClears) {
  TFastFourier f(nullptr);
  EXPECT_EQ(f.GetSpectrumSize(), 256);
  EXPECT_EQ(f.GetWgtFunction(1), 1.0);
  EXPECT_EQ(f.GetWgtFunction(256), 1.0);
  EXPECT_EQ(f.GetWeightingWindow(), W::fwRectangle);
  for (int32_t bad : {12, 0, -4, 3, 16777216})
    EXPECT_EQ(MessageOf([&] { f.SetSpectrumSize(bad); }),
              "Component \"TFastFourier\": data length must be power of 2")
        << bad;
  f.SetName("fft");
  EXPECT_EQ(MessageOf([&] { f.SetSpectrumSize(12); }),
            "Component \"fft\": data length must be power of 2");
  EXPECT_EQ(f.GetSpectrumSize(), 256);
  f.SetRealSpec(3, 5.0);
  f.SetSpectrumSize(256);  // the same size still clears
  EXPECT_EQ(f.GetRealSpec(3), 0.0);
  EXPECT_EQ(f.GetWgtFunction(3), 0.0);
  f.SetSpectrumSize(1);
  EXPECT_EQ(f.GetSpectrumSize(), 1);
  f.SetRealSpec(1, 2.5);
  f.Transform();
  EXPECT_EQ(f.GetRealSpec(1), 2.5);
}

TEST(FourierSize, AccessOutsideReadsZeroAndIgnoresWrites) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(4);
  f.SetRealSpec(0, 1.0);
  f.SetRealSpec(5, 1.0);
  f.SetImagSpec(5, 1.0);
  f.SetWgtFunction(5, 1.0);
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(std::abs(Data(f)[i - 1]), 0.0);
  EXPECT_EQ(f.GetRealSpec(5), 0.0);
  EXPECT_EQ(f.GetImagSpec(-1), 0.0);
  EXPECT_EQ(f.GetWgtFunction(0), 0.0);
  f.SetRealSpec(2, 3.0);
  f.SetImagSpec(2, 4.0);
  f.ClearReal();
  EXPECT_EQ(f.GetRealSpec(2), 0.0);
  EXPECT_EQ(f.GetImagSpec(2), 4.0);
  f.ClearImag();
  EXPECT_EQ(f.GetImagSpec(2), 0.0);
  for (int32_t k : {-1, 3}) {
    EXPECT_EQ(f.GetPowerSpec(k), 0.0);
    EXPECT_EQ(f.GetMagnitude(k), 0.0);
    EXPECT_EQ(f.GetPhase(k), 0.0);
    EXPECT_EQ(f.GetFourSerCosCoeff(k), 0.0);
  }
}

// Direct DFT in long double: X_k = sum_j x_j exp(sign 2 pi i j k / N), the
// N roots of unity evaluated once with cosl/sinl.
std::vector<std::complex<long double>> DirectDft(const std::vector<std::complex<double>>& x,
                                                 int sign) {
  const size_t n = x.size();
  const long double pi = std::numbers::pi_v<long double>;
  std::vector<std::complex<long double>> root(n), out(n);
  for (size_t m = 0; m < n; ++m) {
    const long double a = sign * 2 * pi * static_cast<long double>(m) / n;
    root[m] = {cosl(a), sinl(a)};
  }
  for (size_t k = 0; k < n; ++k) {
    std::complex<long double> s = 0;
    for (size_t j = 0; j < n; ++j)
      s += std::complex<long double>(x[j].real(), x[j].imag()) * root[(j * k) % n];
    out[k] = sign < 0 ? s / static_cast<long double>(n) : s;
  }
  return out;
}

TEST(FourierTransform, MatchesDirectSumForEveryPowerOfTwoUpTo2048) {
  std::mt19937_64 gen(8);
  std::normal_distribution<double> g;
  TFastFourier f(nullptr);
  for (int32_t n = 2; n <= 2048; n *= 2) {
    f.SetSpectrumSize(n);
    std::vector<std::complex<double>> x(n);
    for (int32_t i = 0; i < n; ++i) {
      x[i] = {g(gen), g(gen)};
      f.SetRealSpec(i + 1, x[i].real());
      f.SetImagSpec(i + 1, x[i].imag());
    }
    for (int sign : {1, -1}) {
      if (sign > 0)
        f.Transform();
      else {
        for (int32_t i = 0; i < n; ++i) {
          f.SetRealSpec(i + 1, x[i].real());
          f.SetImagSpec(i + 1, x[i].imag());
        }
        f.InverseTransform();
      }
      const auto ref = DirectDft(x, sign);
      long double scale = 0, err = 0;
      for (int32_t k = 0; k < n; ++k) {
        scale = std::max(scale, std::abs(ref[k]));
        err = std::max(err, std::abs(ref[k] - std::complex<long double>(f.GetRealSpec(k + 1),
                                                                        f.GetImagSpec(k + 1))));
      }
      EXPECT_LT(err / scale, 1e-15) << "N = " << n << " sign " << sign;
    }
  }
}

TEST(FourierTransform, MatchesNumpyValues) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(16);
  FillSignal(f);
  f.Transform();
  for (int32_t k = 0; k < 16; ++k) {
    EXPECT_NEAR(f.GetRealSpec(k + 1), kNumpyRe16[k], 1e-14) << k;
    EXPECT_NEAR(f.GetImagSpec(k + 1), kNumpyIm16[k], 1e-14) << k;
  }
  f.SetSpectrumSize(4096);
  FillSignal(f);
  f.Transform();
  const int32_t lines[] = {0, 1, 5, 2047, 2048, 4095};
  for (int i = 0; i < 6; ++i) {
    // Line magnitudes are about sqrt(N) = 64; the signal itself is computed
    // through libm's sin of arguments up to 6e6, good to a few ulps each.
    EXPECT_NEAR(f.GetRealSpec(lines[i] + 1), kNumpyRe4096[i], 1e-10) << lines[i];
    EXPECT_NEAR(f.GetImagSpec(lines[i] + 1), kNumpyIm4096[i], 1e-10) << lines[i];
  }
}

TEST(FourierTransform, LargeSizesKeepToneRoundTripAndParseval) {
  std::mt19937_64 gen(20);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  TFastFourier f(nullptr);
  for (int32_t n = 8192; n <= (1 << 20); n *= 2) {
    f.SetSpectrumSize(n);
    // exp(-2 pi i m j / N) has all its energy in line m.
    const int32_t m = n / 3;
    for (int32_t j = 0; j < n; ++j) {
      const double a = -2 * kPi * static_cast<double>((static_cast<int64_t>(m) * j) % n) / n;
      f.SetRealSpec(j + 1, std::cos(a));
      f.SetImagSpec(j + 1, std::sin(a));
    }
    f.Transform();
    EXPECT_NEAR(f.GetRealSpec(m + 1), n, n * 1e-13) << n;
    double leak = 0;
    for (int32_t k = 0; k < n; k += 97)
      if (k != m) leak = std::max(leak, std::hypot(f.GetRealSpec(k + 1), f.GetImagSpec(k + 1)));
    EXPECT_LT(leak / n, 1e-13) << n;

    std::vector<double> x(2 * static_cast<size_t>(n));
    long double energy = 0;
    for (int32_t j = 0; j < n; ++j) {
      x[2 * j] = u(gen);
      x[2 * j + 1] = u(gen);
      f.SetRealSpec(j + 1, x[2 * j]);
      f.SetImagSpec(j + 1, x[2 * j + 1]);
      energy += static_cast<long double>(x[2 * j]) * x[2 * j] +
                static_cast<long double>(x[2 * j + 1]) * x[2 * j + 1];
    }
    f.Transform();
    long double power = 0;
    for (int32_t k = 0; k <= n / 2; ++k) power += f.GetPowerSpec(k);
    EXPECT_NEAR(static_cast<double>(power / energy), 1.0, 1e-13) << n;
    f.InverseTransform();
    double err = 0;
    for (int32_t j = 0; j < n; ++j)
      err = std::max(
          err, std::hypot(f.GetRealSpec(j + 1) - x[2 * j], f.GetImagSpec(j + 1) - x[2 * j + 1]));
    EXPECT_LT(err, 4e-15) << n;  // measured at most 1.9e-15 up to 2^20
  }
}

TEST(FourierSpectra, ImpulseCosineAndSineFollowTheSignConvention) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  f.SetRealSpec(1, 1.0);
  f.Transform();
  for (int32_t i = 1; i <= 8; ++i) {
    EXPECT_EQ(f.GetRealSpec(i), 1.0);
    EXPECT_EQ(f.GetImagSpec(i), 0.0);
  }
  EXPECT_EQ(f.GetPowerSpec(0), 1.0 / 8);

  f.SetSpectrumSize(16);
  for (int32_t j = 0; j < 16; ++j) f.SetRealSpec(j + 1, std::cos(2 * kPi * 2 * j / 16));
  f.Transform();
  EXPECT_NEAR(f.GetFourSerCosCoeff(2), 1.0, 1e-15);
  EXPECT_NEAR(f.GetMagnitude(2), 1.0, 1e-15);
  EXPECT_NEAR(f.GetPowerSpec(2), 8.0, 1e-14);
  EXPECT_NEAR(f.GetPhase(2), 0.0, 1e-15);
  EXPECT_NEAR(f.GetMagnitude(3), 0.0, 1e-15);

  f.Clear();
  for (int32_t j = 0; j < 16; ++j) f.SetRealSpec(j + 1, std::sin(2 * kPi * 3 * j / 16));
  f.Transform();
  EXPECT_NEAR(f.GetFourSerSinCoeff(3), 1.0, 1e-15);  // +1 with exp(+...)
  EXPECT_NEAR(f.GetFourSerCosCoeff(3), 0.0, 1e-15);
  EXPECT_NEAR(f.GetPhase(3), kPi / 2, 1e-15);
}

TEST(FourierSpectra, NyquistLineIsCountedOnce) {
  for (int32_t n : {2, 16, 1024}) {
    TFastFourier f(nullptr);
    f.SetSpectrumSize(n);
    for (int32_t j = 0; j < n; ++j) f.SetRealSpec(j + 1, (j % 2 == 0) ? 1.0 : -1.0);  // cos(pi j)
    f.Transform();
    EXPECT_NEAR(f.GetFourSerCosCoeff(n / 2), 1.0, 1e-15) << n;
    EXPECT_NEAR(f.GetMagnitude(n / 2), 1.0, 1e-15) << n;
    EXPECT_EQ(f.GetFourSerSinCoeff(n / 2), 0.0);
    // Power over lines 0..N/2 adds up to the signal's energy (Parseval),
    // and RMS over the whole band is the signal's RMS, 1.
    EXPECT_NEAR(f.GetPowerSpec(n / 2), n, 1e-12 * n) << n;
    EXPECT_NEAR(f.RMS(0, n / 2), 1.0, 1e-15) << n;
  }
}

TEST(FourierSpectra, PhaseKeepsTheQuadrant) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(32);
  const double shifts[] = {0.0, 0.5, 2.0, 3.0, -2.5};
  for (double phi : shifts) {
    f.Clear();
    for (int32_t j = 0; j < 32; ++j) f.SetRealSpec(j + 1, std::cos(2 * kPi * 4 * j / 32 + phi));
    f.Transform();
    // exp(+...) turns a shift of +phi into the phase -phi.
    EXPECT_NEAR(f.GetPhase(4), -phi, 1e-14) << phi;
  }
  f.Clear();
  for (int32_t j = 0; j < 32; ++j) f.SetRealSpec(j + 1, -std::cos(2 * kPi * 4 * j / 32));
  f.Transform();
  EXPECT_NEAR(std::fabs(f.GetPhase(4)), kPi, 1e-14);
  // Re exactly 0: the fixed +-pi/2 branch.
  f.Clear();
  f.SetImagSpec(2, -1.0);
  f.SetRealSpec(2, 0.0);
  EXPECT_EQ(f.GetPhase(1), -kPi / 2);
  f.SetImagSpec(2, 0.0);
  EXPECT_EQ(f.GetPhase(1), -kPi / 2);
  f.SetImagSpec(2, 1e-300);
  EXPECT_EQ(f.GetPhase(1), kPi / 2);
}

TEST(FourierSpectra, RmsClampsAndSwapsItsBounds) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(64);
  for (int32_t j = 0; j < 64; ++j)
    f.SetRealSpec(j + 1, std::cos(2 * kPi * 5 * j / 64) + 0.5 * std::sin(2 * kPi * 9 * j / 64));
  f.Transform();
  EXPECT_NEAR(f.RMS(5, 5), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(f.RMS(9, 5), std::sqrt(0.5 + 0.125), 1e-15);
  EXPECT_NEAR(f.RMS(-10, 1000), std::sqrt(0.5 + 0.125), 1e-15);
  EXPECT_NEAR(f.RMS(10, 32), 0.0, 1e-15);
}

std::vector<double> WindowOf(W win, int32_t n, double alpha = 0.0) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(n);
  f.SetWeightingWindow(win);
  f.SetTukeyAlpha(alpha);
  // Ones in both parts: the window must weigh the imaginary part too.
  for (int32_t i = 1; i <= n; ++i) {
    f.SetRealSpec(i, 1.0);
    f.SetImagSpec(i, 1.0);
  }
  // The window applied, then undone by the inverse transform.
  f.Transform();
  f.InverseTransform();
  std::vector<double> w;
  for (int32_t i = 1; i <= n; ++i) {
    EXPECT_NEAR(f.GetImagSpec(i), f.GetRealSpec(i), 1e-15);
    w.push_back(f.GetRealSpec(i));
  }
  return w;
}

TEST(FourierWindows, MatchScipyIncludingTheEdges) {
  const struct {
    W win;
    double alpha;
    const std::vector<double>* ref;
  } cases[] = {{W::fwCos2, 0, &kWinCos2},
               {W::fwGauss, 0, &kWinGauss},
               {W::fwHamming, 0, &kWinHamming},
               {W::fwBlackman, 0, &kWinBlackman},
               {W::fwBlkmHarris, 0, &kWinBlkmHarris},
               {W::fwBlkmNuttall, 0, &kWinBlkmNuttall},
               {W::fwTukey, 0.3, &kWinTukey03},
               {W::fwTukey, 0.6, &kWinTukey06},
               {W::fwTukey, 0.5, &kWinTukey05}};
  for (const auto& c : cases) {
    const auto w = WindowOf(c.win, 16, c.alpha);
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR(w[i], (*c.ref)[i], 1e-15)
          << static_cast<int>(c.win) << " a " << c.alpha << " i " << i;
  }
}

TEST(FourierWindows, TukeyIsContinuousAndEndsAtZero) {
  for (double a : {0.3, 0.6, 0.77}) {
    const auto w = WindowOf(W::fwTukey, 64, a);
    EXPECT_NEAR(w[63], 0.0, 1e-15) << a;
    double jump = 0;
    for (int i = 1; i < 64; ++i) jump = std::max(jump, std::fabs(w[i] - w[i - 1]));
    EXPECT_LT(jump, 0.25) << a;  // the one-sided formula jumped by 0.83 at a = 0.3
    for (int i = 0; i < 63; ++i) EXPECT_NEAR(w[i], w[62 - i], 1e-15) << a << " " << i;
  }
  const auto flat = WindowOf(W::fwTukey, 8, 0.0);
  for (double v : flat) EXPECT_EQ(v, 1.0);
  TFastFourier f(nullptr);
  f.SetTukeyAlpha(1.5);
  EXPECT_EQ(f.GetTukeyAlpha(), 1.0);
  f.SetTukeyAlpha(-0.2);
  EXPECT_EQ(f.GetTukeyAlpha(), 0.0);
}

TEST(FourierWindows, TriangleAndUserWeights) {
  const auto t = WindowOf(W::fwTriangle, 8);
  const double ref[] = {0.25, 0.5, 0.75, 1.0, 1.0, 0.75, 0.5, 0.25};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(t[i], ref[i], 1e-15) << i;

  TFastFourier f(nullptr);
  f.SetSpectrumSize(4);
  f.SetWeightingWindow(W::fwUserDef);
  for (int32_t i = 1; i <= 4; ++i) f.SetRealSpec(i, 1.0);
  f.Transform();  // weights are 0 after the size change
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(f.GetRealSpec(i), 0.0);
  for (int32_t i = 1; i <= 4; ++i) {
    f.SetRealSpec(i, 1.0);
    f.SetWgtFunction(i, i);
  }
  f.Transform();
  EXPECT_EQ(f.GetRealSpec(1), 10.0);  // line 0: the sum of the weights
}

TEST(FourierHelpers, FrequencyAndLineConversions) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(16);
  EXPECT_DOUBLE_EQ(f.FreqOfLine(4, 0.01), 25.0);
  EXPECT_EQ(f.FreqOfLine(9, 0.01), 0.0);
  EXPECT_EQ(f.FreqOfLine(0, 0.01), 0.0);
  EXPECT_EQ(f.FreqOfLine(4, 0.0), 0.0);
  EXPECT_EQ(f.FreqOfLine(4, -1.0), 0.0);
  EXPECT_EQ(f.LineOfFreq(25.0, 0.01), 4);
  EXPECT_EQ(f.LineOfFreq(15.625, 0.01), 2);  // 2.5 lines: halves to even
  EXPECT_EQ(f.LineOfFreq(21.875, 0.01), 4);  // 3.5 lines
  EXPECT_EQ(f.LineOfFreq(60.0, 0.01), 0);
  EXPECT_EQ(f.LineOfFreq(std::numeric_limits<double>::quiet_NaN(), 0.01), 0);
  EXPECT_EQ(f.LineOfFreq(1e300, 1e300), 0);
}

TEST(FourierExtremes, CachedUntilDataChangeAndRangesKeptAsSpecified) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  f.SetRealSpec(3, 2.0);
  f.SetImagSpec(5, -3.0);
  EXPECT_EQ(f.GetMaxReal(), 2.0);
  EXPECT_EQ(f.GetMinReal(), 0.0);
  EXPECT_EQ(f.GetMinImag(), -3.0);
  f.SetRealSpec(4, 7.0);
  EXPECT_EQ(f.GetMaxReal(), 7.0);
  f.Clear();
  EXPECT_EQ(f.GetMaxReal(), 0.0);
  // A Nyquist tone: the power maximum leaves line N/2 out, the magnitude
  // maximum takes it in.
  for (int32_t j = 0; j < 8; ++j) f.SetRealSpec(j + 1, (j % 2 == 0) ? 1.0 : -1.0);
  f.Transform();
  EXPECT_NEAR(f.GetMaxPower(), 0.0, 1e-15);
  EXPECT_NEAR(f.GetMaxMagni(), 1.0, 1e-15);
  f.SetRealSpec(2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(f.GetMaxReal()));
  EXPECT_TRUE(std::isnan(f.GetMaxMagni()));
  EXPECT_EQ(f.GetMinImag(), 0.0);
}

TEST(FourierTransform, NaNSpreadsThroughTheSpectrum) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  f.SetRealSpec(4, std::numeric_limits<double>::quiet_NaN());
  f.Transform();
  for (int32_t i = 1; i <= 8; ++i) EXPECT_TRUE(std::isnan(f.GetRealSpec(i))) << i;
  EXPECT_TRUE(std::isnan(f.RMS(0, 4)));
}

}  // namespace
}  // namespace zel
