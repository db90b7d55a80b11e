// Elementary functions, integer arithmetic and bits, polynomials and
// interpolation, plane geometry, random numbers, small array routines and
// compensated summation.
#pragma once

#include "core/zel_zelbase.hpp"

namespace zel {

// Errors of this unit.
class EZELMath1Error : public EZELError {
public:
  using EZELError::EZELError;
};

}  // namespace zel
