// Linear models: the fuel consumption of eight cars explained by their mass
// and engine power. A multiple linear regression gives the coefficients
// with their standard errors and R^2; ridge regression shrinks the slopes,
// on raw and on standardised variables; the variance inflation factors tell
// how strongly the two predictors overlap.
#include <cstdio>
#include <memory>

#include "num/analysis/zel_regression.hpp"

int main() {
  using namespace zel;

  // One car per row: mass (t), power (kW); consumption (l/100 km).
  const double cars[8][3] = {{1.10, 55, 5.6},  {1.25, 66, 6.1},  {1.32, 85, 6.9},
                             {1.45, 81, 6.8},  {1.50, 110, 7.9}, {1.62, 96, 7.6},
                             {1.80, 140, 9.4}, {2.05, 150, 10.1}};
  auto x = std::make_unique<TMatrix>(nullptr);
  auto y = std::make_unique<TVector>(nullptr);
  x->Resize(2, 8);
  y->Resize(8);
  for (int32_t r = 1; r <= 8; ++r) {
    x->SetVal(1, r, cars[r - 1][0]);
    x->SetVal(2, r, cars[r - 1][1]);
    y->SetVal(r, cars[r - 1][2]);
  }

  TVector coef(nullptr), se(nullptr), stdCoef(nullptr), vif(nullptr);
  double r2 = 0.0;
  int32_t status = MultiLinReg(x.get(), y.get(), &coef, &se, r2);
  std::printf("multiple linear regression: %s\n", RegressionStatusText(status));
  const char* names[3] = {"intercept", "mass", "power"};
  for (int32_t j = 1; j <= 3; ++j)
    std::printf("  %-9s %9.4f  (standard error %.4f)\n", names[j - 1], coef.GetVal(j),
                se.GetVal(j));
  std::printf("  R^2 = %.4f\n", r2);
  std::printf("  a car of 1.4 t with 90 kW: %.2f l/100 km\n",
              coef.GetVal(1) + coef.GetVal(2) * 1.4 + coef.GetVal(3) * 90.0);

  for (const double lambda : {0.1, 1.0, 10.0}) {
    status = RidgeReg(x.get(), y.get(), lambda, &coef);
    std::printf("ridge, lambda %5.1f: %9.4f %9.4f %9.4f  (%s)\n", lambda, coef.GetVal(1),
                coef.GetVal(2), coef.GetVal(3), RegressionStatusText(status));
  }
  status = RidgeRegStd(x.get(), y.get(), 1.0, &coef, &stdCoef);
  std::printf("ridge on standardised variables, lambda 1: %s\n", RegressionStatusText(status));
  std::printf("  standardised slopes %.4f %.4f; raw model %.4f %.4f %.4f\n", stdCoef.GetVal(1),
              stdCoef.GetVal(2), coef.GetVal(1), coef.GetVal(2), coef.GetVal(3));

  status = VarInflatFactor(x.get(), &vif);
  std::printf("variance inflation factors: mass %.3f, power %.3f (%s)\n", vif.GetVal(1),
              vif.GetVal(2), RegressionStatusText(status));
  return 0;
}
