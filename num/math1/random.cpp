// Random numbers drawn on core's process-wide uniform generator.
#include <cmath>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

bool BRandom(double p) {
  if (p >= 1) return true;
  return Random() < p;
}

double CRandom(double location, double scale) {
  constexpr double kPi = 3.14159265358979323846;
  return location + scale * std::tan(kPi * (Random() - 0.5));
}

}  // namespace zel
