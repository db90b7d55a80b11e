// Built against the installed package by the tests: includes are spelled as
// inside the library, the targets come from find_package(zel).
#include <cstdio>

#include "core/zel_dstruct.hpp"
#include "core/zel_stringl.hpp"
#include "num/math1/zel_math1.hpp"

int main() {
  const uint32_t crc = zel::CalcCRC32(std::string_view("123456789"));
  const std::string text = zel::strff(static_cast<double>(zel::Factorial(10)), 1, 0);
  std::printf("CRC-32 %08X, 10! = %s, Roman(2026) = %s\n", static_cast<unsigned>(crc), text.c_str(),
              zel::Roman(2026).c_str());
  return crc == 0xCBF43926u && text == "3628800" && zel::Roman(2026) == "MMXXVI" ? 0 : 1;
}
