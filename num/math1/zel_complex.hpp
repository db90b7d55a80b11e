/// @file
/// Complex numbers in rectangular and polar form with 80-bit parts.
/// All routines take their operands by const reference and return a new value;
/// nothing is allocated and nothing but CpxDiv raises.
#pragma once

#include "core/zel_zelbase.hpp"

namespace zel {

/// Errors of the complex-number routines.
class EZELComplexError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Rectangular form: real part, then imaginary part.
struct TComplex {
  long double re = 0;  ///< real part
  long double im = 0;  ///< imaginary part
};

/// Polar form: magnitude, then angle in radians.
struct TComplexPolar {
  long double r = 0;    ///< magnitude
  long double phi = 0;  ///< angle in radians
};

/// Absolute threshold below which a part counts as zero (CpxIsZero) and below
/// which two parts count as equal (CpxIsNearEqual). 1e-15 when the library
/// starts. A plain process-wide variable: set it before use, never while
/// another thread compares numbers.
extern long double CpxNearZero;

/// The number re + i im.
TComplex Cpx(long double re, long double im);

/// sqrt(re^2 + im^2), computed without intermediate overflow (hypot).
long double CpxAbs(const TComplex& z);
/// re^2 + im^2.
long double CpxAbsSqr(const TComplex& z);

///@{
/// z1 + z2 and z1 - z2, part by part.
TComplex CpxAdd(const TComplex& z1, const TComplex& z2);
TComplex CpxSub(const TComplex& z1, const TComplex& z2);
///@}
/// (re1*re2 - im1*im2, re1*im2 + im1*re2).
TComplex CpxMult(const TComplex& z1, const TComplex& z2);
/// z1 / z2 = ((re1*re2 + im1*im2)/d, (im1*re2 - re1*im2)/d) with
/// d = re2^2 + im2^2. Raises EZELComplexError "CpxDiv: division by zero" when
/// d is 0, and likewise when the division fails for finite operands (d or a
/// part of the result overflowing), where a trapping FPU would have raised.
/// Non-finite operands give a non-finite result without raising, unless the
/// divisor is exactly zero.
TComplex CpxDiv(const TComplex& z1, const TComplex& z2);
/// (re, -im).
TComplex CpxConj(const TComplex& z);
/// (-re, -im).
TComplex CpxNeg(const TComplex& z);

/// Both parts exactly equal.
bool CpxIsEqual(const TComplex& z1, const TComplex& z2);
/// |re1 - re2| < CpxNearZero and |im1 - im2| < CpxNearZero (strict: with a
/// threshold of 0 even identical numbers are not near-equal).
bool CpxIsNearEqual(const TComplex& z1, const TComplex& z2);
/// True when each part is exactly 0 (either sign) or below CpxNearZero in
/// absolute value. An exact zero counts whatever the threshold: with
/// CpxNearZero = 0, (0, 0) is zero and (1e-4000, 0) is not. NaN is not zero.
bool CpxIsZero(const TComplex& z);

/// r = CpxAbs(z), phi = atan2(im, re) in -pi..pi. (0, 0) gives phi = 0;
/// (-1, +0) gives pi and (-1, -0) gives -pi, following the sign of zero.
TComplexPolar ConvertRectToPolar(const TComplex& z);
/// (r cos phi, r sin phi).
TComplex ConvertPolarToRect(const TComplexPolar& p);

}  // namespace zel
