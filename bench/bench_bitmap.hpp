// The test image shared by the pixel and map-display benchmarks.
#pragma once

#include <cstdint>
#include <random>

#include "gui/zel_graphics.hpp"

namespace zel_bench {

constexpr int kImageW = 2000, kImageH = 1500;

// A kImageW x kImageH image: red across, green down, noisy blue (so that no
// row is a run of one colour); made once.
inline const zel::TBitmap& RampImage() {
  static const zel::TBitmap src = [] {
    zel::TBitmap b(kImageW, kImageH);
    std::mt19937 rng(1);
    for (int y = 0; y < kImageH; ++y) {
      uint32_t* row = b.GetScanLine(y);
      for (int x = 0; x < kImageW; ++x)
        row[x] = ((x * 255 / kImageW) | ((y * 255 / kImageH) << 8) | ((rng() & 0x3F) << 16));
    }
    return b;
  }();
  return src;
}

}  // namespace zel_bench
