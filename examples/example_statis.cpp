// Distributions and tests in a minute: a few distribution values, quantiles
// deep in the tails, and a few tests on a small data set.
#include <cstdio>

#include "num/statis/zel_statis.hpp"

int main() {
  using namespace zel;

  std::printf("normal: P(X <= -1.96) = %.6f, P(X <= -20) = %.6e, 97.5 %% quantile %.6f\n",
              nDistriIntegral(-1.96), nDistriIntegral(-20.0), nDistriQuantile(0.975));
  std::printf(
      "t(10): P(T <= 2.228) = %.6f; chi-square(3): 95 %% quantile %.6f; "
      "F(4, 20): 99 %% quantile %.6f\n",
      tDistriIntegral(2.228, 10), chi2DistriQuantile(0.95, 3), FDistriQuantile(0.99, 4, 20));
  std::printf("binomial(20, 0.3): P(X = 6) = %.6f, P(X <= 6) = %.6f; C(52, 5) = %d\n",
              BinomDistriDensity(20, 0.3, 6), BinomDistriIntegral(20, 0.3, 6), BinomCoeff(52, 5));

  // Twelve measurements with one suspicious value.
  const TDoubleArray data = {9.8,  10.1, 10.0, 9.9,  10.2, 10.05,
                             9.95, 10.1, 12.9, 10.0, 9.85, 10.15};
  double G = 0;
  int32_t index = -1;
  if (GrubbsTest(data, 0.05, G, index) == kGrubbsOk) {
    std::printf("Grubbs: G = %.4f, critical %.4f at 5 %%, outlier at position %d (value %.2f)\n", G,
                GrubbsCriticalValues(static_cast<int32_t>(data.size()), 0.05, true), index,
                index >= 0 ? data[static_cast<size_t>(index)] : 0.0);
  }
  double Q = 0;
  const int32_t dixon = DeanDixonTest(data, TSignifLevelEx::Dot050, Q);
  std::printf("Dean-Dixon: Q = %.4f, critical %.3f at 5 %%, %s\n", Q,
              DeanDixonCriticalValues(static_cast<int32_t>(data.size()), TSignifLevelEx::Dot050),
              dixon >= 0 ? "outlier found" : "no outlier");
  // Same centre, different spread: Siegel-Tukey ranks from both ends.
  const TDoubleArray wide = {7.1, 12.8, 9.0, 13.5, 6.4, 10.9, 8.2, 11.7};
  double U = 0, pst = 0;
  if (PerformSiegelTukeyTest(wide, data, U, pst) == kTestOk) {
    std::printf("Siegel-Tukey: U = %.1f, p = %.4f\n", U, pst);
  }
  double D = 0, p = 0;
  if (PerformLillieforsTest(data, false, D, p) == kNormTestOk) {
    std::printf("Lilliefors: D = %.4f, p = %.4f (%s)\n", D, p,
                p < 0.05 ? "not normal at 5 %" : "normal at 5 %");
  }
  return 0;
}
