// Spectrum of a sampled signal: 1 s of a 50 Hz tone of amplitude 2 and a
// 120 Hz tone of amplitude 0.5, sampled at 1024 Hz. The transform with a
// rectangle window finds both lines with their amplitudes; a Hann (cos^2)
// window shows the leakage of an off-grid tone falling off; the inverse
// transform brings the samples back.
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "num/signal/zel_fourier.hpp"

// Rounding noise of about 1e-16 would print as -0.000000.
double Shown(double x) { return std::fabs(x) < 5e-7 ? 0.0 : x; }

int main() {
  using namespace zel;
  constexpr int32_t n = 1024;
  constexpr double dt = 1.0 / n;  // sample time in seconds
  const double pi = std::numbers::pi;

  auto fft = std::make_unique<TFastFourier>(nullptr);
  fft->SetSpectrumSize(n);
  for (int32_t t = 0; t < n; ++t)
    fft->SetRealSpec(t + 1,
                     2.0 * std::cos(2 * pi * 50 * t * dt) + 0.5 * std::sin(2 * pi * 120 * t * dt));
  fft->Transform();
  for (double f : {50.0, 120.0}) {
    const int32_t k = fft->LineOfFreq(f, dt);
    std::printf("%5.1f Hz: line %d, magnitude %.6f, cos %.6f, sin %.6f\n", fft->FreqOfLine(k, dt),
                k, fft->GetMagnitude(k), Shown(fft->GetFourSerCosCoeff(k)),
                Shown(fft->GetFourSerSinCoeff(k)));
  }
  std::printf("largest magnitude %.6f, RMS of the whole band %.6f (expected %.6f)\n",
              fft->GetMaxMagni(), fft->RMS(0, n / 2), std::sqrt((4.0 + 0.25) / 2));

  // An off-grid tone (50.5 Hz) leaks into its neighbours; Hann confines it.
  for (TFastFourierWgtWin w : {TFastFourierWgtWin::fwRectangle, TFastFourierWgtWin::fwCos2}) {
    fft->Clear();
    for (int32_t t = 0; t < n; ++t) fft->SetRealSpec(t + 1, std::cos(2 * pi * 50.5 * t * dt));
    fft->SetWeightingWindow(w);
    fft->Transform();
    std::printf("%s window: magnitude 10 lines away %.2e\n",
                w == TFastFourierWgtWin::fwCos2 ? "Hann     " : "rectangle", fft->GetMagnitude(60));
  }

  // Back to the samples.
  fft->SetWeightingWindow(TFastFourierWgtWin::fwRectangle);
  fft->Clear();
  fft->SetRealSpec(3, 1.0);
  fft->Transform();
  fft->InverseTransform();
  std::printf("round trip: sample 3 = %.15f, sample 4 = %.1e\n", fft->GetRealSpec(3),
              fft->GetRealSpec(4));
  return 0;
}
