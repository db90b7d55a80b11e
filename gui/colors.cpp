// The system colour table, pen operations and dash patterns.
#include <array>

#include "gui/canvas_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

namespace {

// RGB values written as 0xRRGGBB for readability; converted to TColor below.
constexpr std::array<uint32_t, 31> kSystemRgb = {
    0xC8C8C8,  // 0 scroll bar
    0x000000,  // 1 background
    0x99B4D1,  // 2 active caption
    0xBFCDDB,  // 3 inactive caption
    0xF0F0F0,  // 4 menu
    0xFFFFFF,  // 5 window
    0x646464,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0x000000,  // 9 caption text
    0xB4B4B4,  // 10 active border
    0xF4F7FC,  // 11 inactive border
    0xABABAB,  // 12 application workspace
    0x0078D7,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xF0F0F0,  // 15 button face
    0xA0A0A0,  // 16 button shadow
    0x6D6D6D,  // 17 grey text
    0x000000,  // 18 button text
    0x000000,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x696969,  // 21 3-D dark shadow
    0xE3E3E3,  // 22 3-D light
    0x000000,  // 23 info text
    0xFFFFE1,  // 24 info background
    0x000000,  // 25 (unused)
    0x0066CC,  // 26 hot light
    0xB9D1EA,  // 27 gradient active caption
    0xD7E4F2,  // 28 gradient inactive caption
    0x3399FF,  // 29 menu highlight
    0xF0F0F0,  // 30 menu bar
};

constexpr TColor FromRrggbb(uint32_t v) {
  return static_cast<TColor>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
}

}  // namespace

TColor ColorToRGB(TColor Color) {
  const uint32_t u = static_cast<uint32_t>(Color);
  if ((u >> 24) == 0xFF) {
    const uint32_t index = u & 0xFF;
    return index < kSystemRgb.size() ? FromRrggbb(kSystemRgb[index]) : clBlack;
  }
  return static_cast<TColor>(u & 0xFFFFFF);
}

namespace detail {

TPixelOp MakePenOp(TPenMode Mode, uint32_t Rgb) {
  const uint32_t p = Rgb & 0xFFFFFFu;
  auto f = [&](uint32_t d) -> uint32_t {
    switch (Mode) {
      case TPenMode::pmBlack: return 0;
      case TPenMode::pmWhite: return ~0u;
      case TPenMode::pmNop: return d;
      case TPenMode::pmNot: return ~d;
      case TPenMode::pmCopy: return p;
      case TPenMode::pmNotCopy: return ~p;
      case TPenMode::pmMergePenNot: return p | ~d;
      case TPenMode::pmMaskPenNot: return p & ~d;
      case TPenMode::pmMergeNotPen: return ~p | d;
      case TPenMode::pmMaskNotPen: return ~p & d;
      case TPenMode::pmMerge: return p | d;
      case TPenMode::pmNotMerge: return ~(p | d);
      case TPenMode::pmMask: return p & d;
      case TPenMode::pmNotMask: return ~(p & d);
      case TPenMode::pmXor: return p ^ d;
      case TPenMode::pmNotXor: return ~(p ^ d);
    }
    return p;  // an ordinal outside the enumeration copies
  };
  // Bitwise in d: each result bit is f's value for d's bit 0 or 1.
  const uint32_t x0 = f(0) & 0xFFFFFFu, x1 = f(0xFFFFFFu) & 0xFFFFFFu;
  return TPixelOp{x0 ^ x1, x0};
}

TDashPattern PatternOf(TPenStyle Style) {
  // Runs of on/off pixels, starting with "on".
  auto build = [](std::initializer_list<int> runs) {
    TDashPattern p{0, 0};
    bool on = true;
    for (int len : runs) {
      for (int j = 0; j < len; ++j) {
        if (on) p.Bits |= 1u << p.Length;
        ++p.Length;
      }
      on = !on;
    }
    return p;
  };
  switch (Style) {
    case TPenStyle::psDash: return build({18, 6});
    case TPenStyle::psDot: return build({3, 3});
    case TPenStyle::psDashDot: return build({9, 6, 3, 6});
    case TPenStyle::psDashDotDot: return build({9, 3, 3, 3, 3, 3});
    default: return TDashPattern{};
  }
}

}  // namespace detail
}  // namespace zel
