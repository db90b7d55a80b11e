// Smoothing and filtering: a noisy sine smoothed by a moving median and by
// Savitzky-Golay, its derivative, a zero-phase Butterworth low-pass, a
// windowed-sinc kernel applied as a moving kernel filter, and an edge
// operator on a small image array.
#include <cmath>
#include <cstdio>
#include <memory>

#include "num/analysis/zel_filters.hpp"

int main() {
  using namespace zel;
  // A sine with a little noise and two spikes.
  auto x = std::make_unique<TVector>(nullptr);
  x->Resize(200);
  for (int i = 1; i <= 200; ++i) x->SetVal(i, std::sin(0.05 * i) + 0.01 * std::sin(2.9 * i * i));
  x->SetVal(50, 3.0);
  x->SetVal(120, -3.0);

  auto y = std::make_unique<TVector>(nullptr);
  y->Resize(200);
  MovingMedianSmooth(x.get(), 0, 0, y.get(), 5);
  std::printf("median of 5 removes the spike: x[50] = %.3f -> %.3f (sin = %.3f)\n", x->GetVal(50),
              y->GetVal(50), std::sin(2.5));
  PolynomialSmooth(y.get(), 0, 0, y.get(), 11);
  FirstDeriv(y.get(), 0, 0, x.get(), 11);
  std::printf("slope at i = 100 after smoothing: %.4f (0.05 cos(5) = %.4f)\n", x->GetVal(100),
              0.05 * std::cos(5.0));

  // A 4-pole Butterworth low-pass (ripple 0) at 0.02 of the sampling rate,
  // run forward and backward so that the phase is kept.
  double a0 = 0;
  auto coeffs = std::make_unique<TMatrix>(nullptr);
  CalcChebFilterCoeffs(4, false, 0.02, 0.0, a0, coeffs.get());
  std::printf("Butterworth: a0 = %.3e, a1 = %.3e, b1 = %.4f\n", a0, coeffs->GetVal(1, 1),
              coeffs->GetVal(2, 1));
  ChebychevFilter(y.get(), 0, 0, x.get(), a0, coeffs.get());
  std::printf("low-passed at i = 100: %.4f (sin(5) = %.4f)\n", x->GetVal(100), std::sin(5.0));

  // The same kind of smoothing with a windowed-sinc kernel of 31 taps.
  auto kernel = std::make_unique<TVector>(nullptr);
  const int centre = CalcSincLPKernel(31, 0.03, 2, kernel.get());
  MovingKernelFilter(y.get(), 0, 0, x.get(), kernel.get());
  std::printf("sinc kernel: centre tap %d = %.4f, filtered at i = 100: %.4f\n", centre,
              kernel->GetVal(centre), x->GetVal(100));

  // An edge in a 6 x 6 array: the compass operator of direction 0 responds
  // where values rise with the first index.
  TDouble2DArray img(6, TDoubleArray(6, 0.0));
  for (int p = 3; p < 6; ++p)
    for (int q = 0; q < 6; ++q) img[p][q] = 10.0;
  TDouble2DArray edges;
  if (ApplyCompassKernel(0, img, edges, nullptr) == kConvolveOk) {
    std::printf("compass response along the first index:");
    for (int p = 0; p < 6; ++p) std::printf(" %.0f", edges[p][2]);
    std::printf("\n");
  }
  std::printf("a 2 x 2 kernel: %s\n",
              KernelStatusText(KernelConvolve({{1, 1}, {1, 1}}, img, edges, nullptr)));

  try {
    CalcChebFilterCoeffs(4, false, 0.5, 0.0, a0, coeffs.get());
  } catch (const EZELMath2Error& e) {
    std::printf("error: %s\n", e.what());
  }
  return 0;
}
