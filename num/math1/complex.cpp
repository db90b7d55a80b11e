#include <cmath>

#include "num/math1/zel_complex.hpp"

namespace zel {

long double CpxNearZero = 1e-15L;

TComplex Cpx(long double re, long double im) { return {re, im}; }

long double CpxAbs(const TComplex& z) { return std::hypot(z.re, z.im); }

long double CpxAbsSqr(const TComplex& z) { return z.re * z.re + z.im * z.im; }

TComplex CpxAdd(const TComplex& z1, const TComplex& z2) { return {z1.re + z2.re, z1.im + z2.im}; }

TComplex CpxSub(const TComplex& z1, const TComplex& z2) { return {z1.re - z2.re, z1.im - z2.im}; }

TComplex CpxMult(const TComplex& z1, const TComplex& z2) {
  return {z1.re * z2.re - z1.im * z2.im, z1.re * z2.im + z1.im * z2.re};
}

TComplex CpxDiv(const TComplex& z1, const TComplex& z2) {
  const long double d = z2.re * z2.re + z2.im * z2.im;
  const TComplex q{(z1.re * z2.re + z1.im * z2.im) / d, (z1.im * z2.re - z1.re * z2.im) / d};
  const bool finiteOperands =
      std::isfinite(z1.re) && std::isfinite(z1.im) && std::isfinite(z2.re) && std::isfinite(z2.im);
  // C++ does not trap: test for what a trapping division would have refused.
  if (d == 0 ||
      (finiteOperands && (!std::isfinite(d) || !std::isfinite(q.re) || !std::isfinite(q.im))))
    throw EZELComplexError("CpxDiv: division by zero");
  return q;
}

TComplex CpxConj(const TComplex& z) { return {z.re, -z.im}; }

TComplex CpxNeg(const TComplex& z) { return {-z.re, -z.im}; }

bool CpxIsEqual(const TComplex& z1, const TComplex& z2) { return z1.re == z2.re && z1.im == z2.im; }

bool CpxIsNearEqual(const TComplex& z1, const TComplex& z2) {
  return std::fabs(z1.re - z2.re) < CpxNearZero && std::fabs(z1.im - z2.im) < CpxNearZero;
}

bool CpxIsZero(const TComplex& z) {
  // An exact zero is zero whatever the threshold, also a threshold of 0.
  const auto isZero = [](long double part) { return part == 0 || std::fabs(part) < CpxNearZero; };
  return isZero(z.re) && isZero(z.im);
}

TComplexPolar ConvertRectToPolar(const TComplex& z) { return {CpxAbs(z), std::atan2(z.im, z.re)}; }

TComplex ConvertPolarToRect(const TComplexPolar& p) {
  return {p.r * std::cos(p.phi), p.r * std::sin(p.phi)};
}

}  // namespace zel
