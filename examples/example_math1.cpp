// Elementary functions in a minute: factorials, tidy axis scales, primes,
// the nearest point of an ellipse, compensated sums and complex numbers.
#include <cstdio>
#include <memory>

#include "num/math1/zel_complex.hpp"
#include "num/math1/zel_math1.hpp"

int main() {
  using namespace zel;

  std::printf("20! = %.0Lf, 1000! = %.4Le\n", Factorial(20), Factorial(1000));

  // Axis ticks for a plot from 0.37 to 9.81 with about 5 ticks.
  long double first = 0, distance = 0;
  uint16_t subTicks = 0;
  CalcScalePars(5, 0.37L, 9.81L, first, distance, subTicks);
  std::printf("axis 0.37..9.81: first tick %.2Lf, every %.2Lf, %u sub-ticks\n", first, distance,
              subTicks);
  std::printf("1-2-5 ladder: 140 -> %g (nearest), %g (up)\n", Round125(140), RoundPos125(140));

  TIntArray factors;
  FindPrimeFactors(360, factors);
  std::printf("360 =");
  for (size_t i = 0; i < factors.size(); ++i) std::printf("%s%d", i ? " * " : " ", factors[i]);
  std::printf("; the 1000th prime is %d\n", ListOfPrimes(1000));

  TPointDouble foot;
  const double d = DistFromEllipse({4, 3}, 0, 0, 3, 1, foot);
  std::printf("point (4, 3) is %.6f from the ellipse x^2/9 + y^2 = 1, nearest at (%.6f, %.6f)\n", d,
              foot.x, foot.y);

  // 0.1 added ten million times: the compensated sum keeps the last digits.
  auto kahan = std::make_unique<TKahanSum>(nullptr);
  double plain = 0;
  for (int i = 0; i < 10000000; ++i) {
    kahan->Add(0.1);
    plain += 0.1;
  }
  std::printf("sum of 1e7 x 0.1: plain %.10f, compensated %.10f\n", plain, kahan->Sum);

  const TComplex q = CpxDiv(Cpx(1, 1), Cpx(0, 2));
  const TComplexPolar p = ConvertRectToPolar(Cpx(-1, 0));
  std::printf("(1+i)/(2i) = %Lg%+Lgi; -1 in polar form: r = %Lg, phi = %.15Lf\n", q.re, q.im, p.r,
              p.phi);
  try {
    CpxDiv(Cpx(1, 0), Cpx(0, 0));
  } catch (const EZELError& e) {
    std::printf("dividing by zero raises: %s\n", e.what());
  }
  return 0;
}
