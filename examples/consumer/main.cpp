// Built against the installed package by the tests: includes are spelled as
// inside the library, the targets come from find_package(zel).
#include <cstdio>

#include "core/zel_zelbase.hpp"
#include "num/math1/zel_math1.hpp"

int main() {
  std::printf("Round(2.5) = %g\n", zel::Round(2.5));
  return zel::Round(2.5) == 2.0 ? 0 : 1;
}
