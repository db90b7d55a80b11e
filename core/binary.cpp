#include "core/zel_binary.hpp"

namespace zel {

std::string CrcLanesText(std::span<const TCrc32> Lanes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(8 * Lanes.size(), '0');
  for (size_t k = 0; k < Lanes.size(); ++k) {
    const uint32_t crc = Lanes[k].Value();
    for (size_t d = 0; d < 8; ++d) text[8 * k + d] = kDigits[(crc >> (28 - 4 * d)) & 0xFu];
  }
  return text;
}

}  // namespace zel
