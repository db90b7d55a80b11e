// The foundation layer in a minute: components with owners, CRC-32, a bit
// field, fixed-width number texts, colours and the seeded random generator.
#include <cstdio>
#include <memory>

#include "core/zel_dstruct.hpp"
#include "core/zel_random.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_univconst.hpp"
#include "core/zel_zelbase.hpp"
#include "core/zel_zelcolors.hpp"

int main() {
  using namespace zel;

  // An owner frees what it owns.
  auto owner = std::make_unique<TComponent>(nullptr);
  owner->SetName("Owner");
  auto* child = new TComponent(owner.get());
  child->SetName("Child");
  std::printf("%s owns %d component(s); an error of the child reads: %s\n",
              owner->GetName().c_str(), owner->GetComponentCount(),
              child->ComponentMessage("not enough memory on heap").c_str());

  // CRC-32 of a text, byte by byte as file writers do it.
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : std::string("123456789")) crc = CalcNextCRC32(static_cast<uint8_t>(c), crc);
  std::printf("CRC-32 of \"123456789\": %08X\n", static_cast<unsigned>(~crc));

  // A bit field indexed from 1.
  TBitFld bits(100);
  bits.SetBit(42, true);
  bits.SetBit(7, true);
  std::printf("bits set: %d, first: %d\n", bits.CountTrueBits(), bits.FirstTrueBit());

  // Width/decimals formatting, halves of the exact binary value to even.
  std::printf("[%s] [%s] [%s]\n", strff(3.14159, 8, 3).c_str(), strff(2.5, 1, 0).c_str(),
              strff(123.0, 13, -1).c_str());

  // ln(n!) from the table, and a colour as grey.
  std::printf("ln(10!) = %.15f, grey of orange = %.3f\n", uc_LnFactorial[10],
              RGBtoGray(255, 165, 0));

  // The same seed gives the same numbers on every machine.
  SetRandSeed(42);
  const double a = Random();
  SetRandSeed(42);
  std::printf("seeded draws agree: %s\n", a == Random() ? "yes" : "no");
  return 0;
}
