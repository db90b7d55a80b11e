// TWavelet1D against PyWavelets (testdata/wavelet_reference.py), its own
// transpose and its inverse, and the edges of its properties.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "num/signal/zel_wavelet.hpp"

namespace zel {
namespace {

struct WaveletRef {
  int K;
  const char* mode;
  int n, levels;
  std::vector<double> v;
};

#include "num/signal/testdata/wavelet_reference.inc"

constexpr TWLSigExtMode kModes[] = {TWLSigExtMode::wseWrap, TWLSigExtMode::wseZeroPad,
                                    TWLSigExtMode::wseSymmetric};

double Signal(int j) { return std::sin(0.37 * j * j + 1.0) + 0.5 * std::cos(1.3 * j); }

std::unique_ptr<TWavelet1D> Make(int n, int K, TWLSigExtMode mode) {
  auto w = std::make_unique<TWavelet1D>(nullptr);
  w->SetNumData(n);
  w->SetOrder(K);
  w->SetSignalExtMode(mode);
  return w;
}

TEST(WaveletTransform, MatchesPyWaveletsForEveryOrderAndMode) {
  double worst = 0;
  for (const auto& r : kWaveletRef) {
    const std::string mode = r.mode;
    SCOPED_TRACE(mode + " K=" + std::to_string(r.K) + " n=" + std::to_string(r.n) +
                 " levels=" + std::to_string(r.levels));
    const auto m = mode == "wrap"   ? TWLSigExtMode::wseWrap
                   : mode == "zero" ? TWLSigExtMode::wseZeroPad
                                    : TWLSigExtMode::wseSymmetric;
    auto w = Make(r.n, r.K, m);
    for (int j = 0; j < r.n; ++j) w->SetData(j + 1, Signal(j));
    w->Transform(r.levels);
    for (int j = 0; j < r.n; ++j) {
      EXPECT_NEAR(w->GetData(j + 1), r.v[j], 2e-15) << "value " << j + 1;
      worst = std::max(worst, std::fabs(w->GetData(j + 1) - r.v[j]));
    }
  }
  EXPECT_LT(worst, 2e-15);
}

// The inverse step must be the exact transpose of the forward step in every
// mode, including blocks shorter than the filter (n = 2 with 6 taps), where
// the symmetric continuation reflects twice; ASan sees any access outside.
TEST(WaveletTransform, InverseStepIsTheTransposeWithinTheBlock) {
  for (TWLSigExtMode mode : kModes)
    for (int K = 1; K <= 3; ++K)
      for (int n : {2, 4, 16}) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + " K=" + std::to_string(K) +
                     " n=" + std::to_string(n));
        auto w = Make(n, K, mode);
        std::vector<std::vector<double>> fwd(n), inv(n);
        for (int j = 0; j < n; ++j) {
          for (bool inverse : {false, true}) {
            w->Clear();
            w->SetData(j + 1, 1);
            w->SingleStep(inverse);
            for (int i = 0; i < n; ++i) (inverse ? inv : fwd)[j].push_back(w->GetData(i + 1));
          }
        }
        for (int j = 0; j < n; ++j)
          for (int i = 0; i < n; ++i) EXPECT_NEAR(inv[i][j], fwd[j][i], 1e-18);
      }
}

// Exact with wrap-around for every order; with the other continuations only
// for the Haar filter, which never reaches outside its block.
TEST(WaveletTransform, RoundTripRestoresWhereOrthogonal) {
  for (TWLSigExtMode mode : kModes)
    for (int K = 1; K <= 3; ++K) {
      if (mode != TWLSigExtMode::wseWrap && K > 1) continue;
      for (int n : {1, 2, 8, 4096})
        for (double scale : {1.0, 1e300, 1e-300}) {
          auto w = Make(n, K, mode);
          for (int j = 0; j < n; ++j) w->SetData(j + 1, scale * Signal(j));
          w->Transform(30);
          w->InverseTransform(30);
          double err = 0;
          for (int j = 0; j < n; ++j)
            err = std::max(err, std::fabs(w->GetData(j + 1) - scale * Signal(j)));
          EXPECT_LE(err, 1e-17 * scale)
              << static_cast<int>(mode) << " K=" << K << " n=" << n << " scale " << scale;
        }
    }
}

TEST(WaveletTransform, PartialInverseStartsAtTheCoarsestLevel) {
  auto w = Make(8, 2, TWLSigExtMode::wseWrap);
  for (int j = 0; j < 8; ++j) w->SetData(j + 1, Signal(j));
  w->Transform(0);  // counts as one level
  std::vector<double> once;
  for (int j = 1; j <= 8; ++j) once.push_back(w->GetData(j));
  auto v = Make(8, 2, TWLSigExtMode::wseWrap);
  for (int j = 0; j < 8; ++j) v->SetData(j + 1, Signal(j));
  v->SingleStep(false);
  for (int j = 1; j <= 8; ++j) EXPECT_EQ(v->GetData(j), once[j - 1]);
  // InverseTransform(1) works on the first two values only.
  w->InverseTransform(1);
  EXPECT_NE(w->GetData(1), once[0]);
  for (int j = 3; j <= 8; ++j) EXPECT_EQ(w->GetData(j), once[j - 1]);
  EXPECT_GT(std::fabs(w->GetData(1) - Signal(0)), 1e-3);
}

TEST(WaveletTransform, SmallCasesAndNaN) {
  auto w = Make(2, 1, TWLSigExtMode::wseWrap);
  w->SetData(1, 1);
  w->SetData(2, 1);
  w->SingleStep(false);
  EXPECT_DOUBLE_EQ(w->GetData(1), 1.4142135623730951);
  EXPECT_EQ(w->GetData(2), 0.0);
  w->SingleStep(true);
  EXPECT_DOUBLE_EQ(w->GetData(1), 1.0);
  EXPECT_DOUBLE_EQ(w->GetData(2), 1.0);

  for (TWLSigExtMode mode : {TWLSigExtMode::wseWrap, TWLSigExtMode::wseZeroPad}) {
    auto c = Make(8, 2, mode);
    for (int j = 1; j <= 8; ++j) c->SetData(j, 2.5);
    c->SingleStep(false);
    const bool zero = mode == TWLSigExtMode::wseZeroPad;
    // Zero padding drops the taps LP1, LP2 (and HP1, HP2) of the first output.
    const double lp[] = {0.48296291314453416, 0.8365163037378079, 0.2241438680420134,
                         -0.12940952255126037};
    EXPECT_NEAR(c->GetData(1), 2.5 * (zero ? lp[2] + lp[3] : std::sqrt(2.0)), 1e-15);
    for (int j = 2; j <= 4; ++j) EXPECT_NEAR(c->GetData(j), 2.5 * std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(c->GetData(5), zero ? 2.5 * (lp[1] - lp[0]) : 0.0, 1e-15);
    for (int j = 6; j <= 8; ++j) EXPECT_NEAR(c->GetData(j), 0.0, 1e-15);
  }

  auto h = Make(8, 1, TWLSigExtMode::wseWrap);
  for (int j = 1; j <= 8; ++j) h->SetData(j, j);
  h->SetData(6, std::numeric_limits<double>::quiet_NaN());
  h->SingleStep(false);
  for (int j = 1; j <= 8; ++j) EXPECT_EQ(std::isnan(h->GetData(j)), j == 3 || j == 7) << j;
}

TEST(WaveletProperties, DefaultsFiltersAndErrors) {
  TWavelet1D w(nullptr);
  EXPECT_EQ(w.GetSize(), 256);
  EXPECT_EQ(w.GetOrder(), 2);
  EXPECT_EQ(w.GetSignalExtMode(), TWLSigExtMode::wseWrap);
  EXPECT_EQ(w.GetWaveletFamily(), TWaveletFamily::wlfDaubechies);
  EXPECT_EQ(w.GetData(1), 0.0);
  w.SetData(0, 5);
  w.SetData(257, 5);
  EXPECT_EQ(w.GetData(0), 0.0);
  EXPECT_EQ(w.GetData(257), 0.0);

  // Published decimals of the filters, which the closed forms must round to.
  const std::vector<std::vector<double>> lp = {
      {0.7071067811865476, 0.7071067811865476},
      {0.48296291314453416, 0.8365163037378079, 0.2241438680420134, -0.12940952255126037},
      {0.33267055295008263, 0.8068915093110925, 0.45987750211849154, -0.13501102001025458,
       -0.08544127388202666, 0.03522629188570953}};
  for (int K = 1; K <= 3; ++K) {
    w.SetOrder(K);
    for (int e = 1; e <= 2 * K; ++e) {
      EXPECT_EQ(w.GetCoeffLP(e), lp[K - 1][e - 1]) << K << " " << e;
      EXPECT_EQ(w.GetCoeffHP(2 * K + 1 - e), (e % 2 ? -1 : 1) * lp[K - 1][e - 1]);
    }
    EXPECT_EQ(w.GetCoeffLP(2 * K + 1), 0.0);
  }

  w.SetName("Wave1");
  w.SetData(1, 7);
  for (int bad : {0, 4, -1}) {
    try {
      w.SetOrder(bad);
      ADD_FAILURE() << bad;
    } catch (const EZELWaveletError& e) {
      EXPECT_STREQ(e.what(), "Component \"Wave1\": invalid order of Daubechies wavelet family");
    }
  }
  EXPECT_EQ(w.GetOrder(), 3);
  for (int bad : {3, 0, -8, 1 << 24, 12}) {
    try {
      w.SetNumData(bad);
      ADD_FAILURE() << bad;
    } catch (const EZELWaveletError& e) {
      EXPECT_STREQ(e.what(), "Component \"Wave1\": data length must be power of 2");
    }
  }
  EXPECT_EQ(w.GetSize(), 256);
  EXPECT_EQ(w.GetData(1), 7.0);
  w.SetSize(1);
  EXPECT_EQ(w.GetData(1), 0.0);
  w.SetData(1, 3);
  w.Transform(5);
  w.InverseTransform(5);
  w.SingleStep(true);
  EXPECT_EQ(w.GetData(1), 3.0);
}

}  // namespace
}  // namespace zel
