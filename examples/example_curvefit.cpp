// Curve fitting: noisy points from y = 0.4 x^3 - 2 x + 1 go into a TCurveFit,
// which fits a straight line, a parabola and a cubic polynomial (with the
// significance of each coefficient), and predicts a value with its intervals.
#include <cstdio>
#include <memory>

#include "core/zel_random.hpp"
#include "num/analysis/zel_curvefit.hpp"

int main() {
  using namespace zel;
  auto fit = std::make_unique<TCurveFit>(nullptr);
  SetRandSeed(20261208);
  for (int i = 0; i <= 30; ++i) {
    const double x = -3.0 + 0.2 * i;
    fit->EnterStatValue(x, 0.4 * x * x * x - 2.0 * x + 1.0 + RandG(0.0, 0.3));
  }

  double k = 0, d = 0, quality = 0;
  fit->CalcLinFit(k, d, quality);
  std::printf("line:      y = %.4f x + %.4f            (r^2 %.4f)\n", k, d, quality);

  double k0 = 0, k1 = 0, k2 = 0;
  fit->CalcParabolFit(k0, k1, k2, quality);
  std::printf("parabola:  y = %.4f + %.4f x + %.4f x^2 (r^2 %.4f)\n", k0, k1, k2, quality);

  TDoubleArray coef, alpha;
  bool nearSingular = false;
  if (fit->CalcPolyFit(3, coef, alpha, quality, nearSingular)) {
    std::printf("cubic (r^2 %.4f):\n", quality);
    for (size_t i = 0; i < coef.size(); ++i)
      std::printf("  k%zu = %8.4f   p = %.2g\n", i, coef[i], alpha[i]);
  }

  double value = 0, predIv = 0, confIv = 0;
  if (fit->Predict(TRegModel::rmPolynomial, 2.5, 0.95, 3, value, predIv, confIv) == kPredictOk)
    std::printf("at x = 2.5: %.3f, 95%% prediction +-%.3f, confidence +-%.3f\n", value, predIv,
                confIv);
  return 0;
}
