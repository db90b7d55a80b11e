// Built against the installed package by the tests, once through
// find_package(zel) and once from pkg-config alone: includes are spelled as
// inside the library.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/zel_dstruct.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_version.hpp"
#include "mol/cdata/zel_cform.hpp"
#include "num/math1/zel_math1.hpp"

int main() {
  const uint32_t crc = zel::CalcCRC32(std::string_view("123456789"));
  const std::string text = zel::strff(static_cast<double>(zel::Factorial(10)), 1, 0);
  zel::TMolFormula glucose;
  glucose.SetMolFormula("C6H12O6");
  const double mass = glucose.ChemMolWgt();
  std::printf(
      "zel %s (headers %s): CRC-32 %08X, 10! = %s, Roman(2026) = %s, M(C6H12O6) = %.3f g/mol\n",
      zel::VersionString(), ZEL_VERSION_STRING, static_cast<unsigned>(crc), text.c_str(),
      zel::Roman(2026).c_str(), mass);
  // Glucose is 180.16 g/mol; editions of the atomic weight tables differ in the
  // third decimal.
  const bool ok = std::strcmp(zel::VersionString(), ZEL_VERSION_STRING) == 0 &&
                  crc == 0xCBF43926u && text == "3628800" && zel::Roman(2026) == "MMXXVI" &&
                  std::fabs(mass - 180.16) < 0.01;
  return ok ? 0 : 1;
}
