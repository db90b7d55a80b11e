// TCanvas: rectangle copies with raster operations, stretched copies in the
// nearest-pixel and area-averaging modes.
#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

#include "gui/canvas_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

using namespace detail;

namespace {

template <class F>
void RopLoop(const uint32_t* s, uint32_t* d, int64_t n, bool q15, F f) {
  if (q15) {
    for (int64_t i = 0; i < n; ++i) {
      const uint32_t t = f(s[i], d[i]) & 0xF8F8F8u;
      d[i] = t | ((t >> 5) & 0x070707u);
    }
  } else {
    for (int64_t i = 0; i < n; ++i) d[i] = f(s[i], d[i]) & 0xFFFFFFu;
  }
}

// d[i] = Mode(s[i], d[i], p) for n pixels.
void RopRow(TCopyMode Mode, const uint32_t* s, uint32_t* d, int64_t n, uint32_t p, bool q15) {
  switch (Mode) {
    case TCopyMode::cmBlackness:
      RopLoop(s, d, n, q15, [](uint32_t, uint32_t) { return 0u; });
      return;
    case TCopyMode::cmWhiteness:
      RopLoop(s, d, n, q15, [](uint32_t, uint32_t) { return ~0u; });
      return;
    case TCopyMode::cmDstInvert:
      RopLoop(s, d, n, q15, [](uint32_t, uint32_t dd) { return ~dd; });
      return;
    case TCopyMode::cmMergeCopy:
      RopLoop(s, d, n, q15, [p](uint32_t ss, uint32_t) { return ss & p; });
      return;
    case TCopyMode::cmMergePaint:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ~ss | dd; });
      return;
    case TCopyMode::cmNotSrcCopy:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t) { return ~ss; });
      return;
    case TCopyMode::cmNotSrcErase:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ~(ss | dd); });
      return;
    case TCopyMode::cmPatCopy: RopLoop(s, d, n, q15, [p](uint32_t, uint32_t) { return p; }); return;
    case TCopyMode::cmPatInvert:
      RopLoop(s, d, n, q15, [p](uint32_t, uint32_t dd) { return p ^ dd; });
      return;
    case TCopyMode::cmPatPaint:
      RopLoop(s, d, n, q15, [p](uint32_t ss, uint32_t dd) { return p | ~ss | dd; });
      return;
    case TCopyMode::cmSrcAnd:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ss & dd; });
      return;
    case TCopyMode::cmSrcErase:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ss & ~dd; });
      return;
    case TCopyMode::cmSrcInvert:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ss ^ dd; });
      return;
    case TCopyMode::cmSrcPaint:
      RopLoop(s, d, n, q15, [](uint32_t ss, uint32_t dd) { return ss | dd; });
      return;
    case TCopyMode::cmSrcCopy: break;
  }
  // cmSrcCopy, and any value outside the enumeration.
  if (q15)
    RopLoop(s, d, n, true, [](uint32_t ss, uint32_t) { return ss; });
  else
    std::memcpy(d, s, static_cast<size_t>(n) * sizeof(uint32_t));
}

// The source of a copy: its pixels (a private copy when the source is the
// destination bitmap) and its device rectangle.
struct TSource {
  const uint32_t* Bits = nullptr;
  int64_t W = 0, H = 0;
  std::vector<uint32_t> Copy;
};

bool PrepareSource(const TBitmap* src, const TBitmap* dst, TSource& out) {
  if (src == nullptr || src->GetEmpty()) return false;
  out.W = src->GetWidth();
  out.H = src->GetHeight();
  if (src == dst) {
    out.Copy.assign(src->GetBits(), src->GetBits() + out.W * out.H);
    out.Bits = out.Copy.data();
  } else {
    out.Bits = src->GetBits();
  }
  return true;
}

void Copy1to1(const TSurface& s, const TBox& D, const TSource& src, const TBox& S, TCopyMode mode,
              uint32_t pat) {
  // Destination pixels whose source lies inside the source bitmap.
  const TBox v = D.Intersect(s.Clip).Intersect(
      TBox{D.l - S.l, D.t - S.t, D.l - S.l + src.W, D.t - S.t + src.H});
  if (v.Empty()) return;
  for (int64_t y = v.t; y < v.b; ++y) {
    const uint32_t* sp = src.Bits + (S.t + (y - D.t)) * src.W + (S.l + (v.l - D.l));
    RopRow(mode, sp, s.Row(y) + v.l, v.r - v.l, pat, s.Q15);
  }
}

// Nearest-pixel map of one axis: for destination coordinates [v0, v1) of a
// destination run starting at d0 with length dn, the source coordinate
// s0 + floor((2i + 1) sn / (2 dn)), or -1 outside [0, limit).
std::vector<int64_t> NearestMap(int64_t v0, int64_t v1, int64_t d0, int64_t dn, int64_t s0,
                                int64_t sn, int64_t limit) {
  std::vector<int64_t> m(static_cast<size_t>(v1 - v0));
  for (int64_t x = v0; x < v1; ++x) {
    const int64_t i = x - d0;
    const int64_t sx = s0 + static_cast<int64_t>(FloorDiv(Int128{2 * i + 1} * sn, Int128{2} * dn));
    m[static_cast<size_t>(x - v0)] = (sx >= 0 && sx < limit) ? sx : -1;
  }
  return m;
}

// Shrinks [v0, v1) to the run whose map entries are valid (the map is
// monotonic, so the valid entries are contiguous).
void ValidRun(const std::vector<int64_t>& m, int64_t& v0, int64_t& v1) {
  int64_t a = 0, b = static_cast<int64_t>(m.size());
  while (a < b && m[static_cast<size_t>(a)] < 0) ++a;
  while (b > a && m[static_cast<size_t>(b - 1)] < 0) --b;
  v1 = v0 + b;
  v0 = v0 + a;
}

void StretchNearest(const TSurface& s, const TBox& D, const TSource& src, const TBox& S,
                    TCopyMode mode, uint32_t pat) {
  const TBox v = D.Intersect(s.Clip);
  if (v.Empty()) return;
  const int64_t dw = D.r - D.l, dh = D.b - D.t, sw = S.r - S.l, sh = S.b - S.t;
  std::vector<int64_t> xm = NearestMap(v.l, v.r, D.l, dw, S.l, sw, src.W);
  const std::vector<int64_t> ym = NearestMap(v.t, v.b, D.t, dh, S.t, sh, src.H);
  int64_t x0 = v.l, x1 = v.r;
  ValidRun(xm, x0, x1);
  if (x0 >= x1) return;
  const int64_t off = x0 - v.l, n = x1 - x0;
  std::vector<uint32_t> row(static_cast<size_t>(n));
  const bool direct = mode == TCopyMode::cmSrcCopy && !s.Q15;
  for (int64_t y = v.t; y < v.b; ++y) {
    const int64_t sy = ym[static_cast<size_t>(y - v.t)];
    if (sy < 0) continue;
    const uint32_t* sp = src.Bits + sy * src.W;
    uint32_t* out = direct ? s.Row(y) + x0 : row.data();
    for (int64_t i = 0; i < n; ++i) out[i] = sp[xm[static_cast<size_t>(off + i)]];
    if (!direct) RopRow(mode, row.data(), s.Row(y) + x0, n, pat, s.Q15);
  }
}

// Area weights of one axis: for each destination coordinate of [v0, v1),
// the source pixels under its footprint and their weights in 16.16 fixed
// point, summing to exactly 65536 (or all 0 when the footprint misses the
// source). Every destination coordinate gets the same number K of taps
// (padded with weight 0) so that the filter loops have a fixed length.
struct TTaps {
  int32_t K = 0;
  std::vector<int32_t> First;    // taps are First, First + 1, ..., First + K - 1
  std::vector<uint32_t> Weight;  // K weights per destination
  std::vector<uint8_t> Any;      // the footprint touches the source
};

TTaps AreaTaps(int64_t v0, int64_t v1, int64_t d0, int64_t dn, int64_t s0, int64_t sn,
               int64_t limit) {
  const size_t count = static_cast<size_t>(v1 - v0);
  std::vector<int64_t> lo(count), hi(count);
  int64_t k = 0;
  for (int64_t x = v0; x < v1; ++x) {
    const size_t c = static_cast<size_t>(x - v0);
    // Footprint [i sn, (i+1) sn) against source pixel j's [j dn, (j+1) dn),
    // both in units of 1/dn of a source pixel, relative to s0.
    const Int128 i = x - d0;
    lo[c] = std::max(static_cast<int64_t>(FloorDiv(i * sn, dn)), -s0);
    hi[c] = std::min(static_cast<int64_t>(CeilDiv((i + 1) * sn, dn)) - 1, limit - 1 - s0);
    k = std::max(k, hi[c] - lo[c] + 1);
  }
  TTaps t;
  // K taps must fit into the source (padding taps included).
  t.K = static_cast<int32_t>(std::min(std::max<int64_t>(k, 1), limit));
  const size_t K = static_cast<size_t>(t.K);
  t.First.assign(count, 0);
  t.Weight.assign(count * K, 0);
  t.Any.assign(count, 0);
  for (int64_t x = v0; x < v1; ++x) {
    const size_t c = static_cast<size_t>(x - v0);
    if (lo[c] > hi[c]) continue;
    const Int128 i = x - d0, fa = i * sn, fb = (i + 1) * sn;
    Int128 total = 0;
    for (int64_t j = lo[c]; j <= hi[c]; ++j)
      total += std::min(fb, Int128{j + 1} * dn) - std::max(fa, Int128{j} * dn);
    if (total <= 0) continue;
    t.Any[c] = 1;
    // Padding taps (weight 0) follow the real ones, or precede them at the
    // end of the source.
    const int64_t first = std::min(s0 + lo[c], limit - static_cast<int64_t>(K));
    t.First[c] = static_cast<int32_t>(first);
    uint32_t* w = t.Weight.data() + c * K;
    uint32_t sum = 0;
    size_t big = 0;
    for (int64_t j = lo[c]; j <= hi[c]; ++j) {
      const size_t slot = static_cast<size_t>(s0 + j - first);
      const Int128 len = std::min(fb, Int128{j + 1} * dn) - std::max(fa, Int128{j} * dn);
      w[slot] = static_cast<uint32_t>(len * 65536 / total);
      sum += w[slot];
      if (w[slot] > w[big]) big = slot;
    }
    w[big] += 65536u - sum;
  }
  return t;
}

// One source row filtered horizontally: per destination column the three
// channel means, red, green, blue, in 8.8 fixed point (the 8.16 sums
// rounded), which keeps the vertical pass in 32 bits.
template <int K>
void FilterRow(const uint32_t* sp, const TTaps& t, int64_t c0, int64_t c1, uint32_t* h) {
  const int32_t k = K > 0 ? K : t.K;
  const uint32_t* wt = t.Weight.data() + c0 * k;
  for (int64_t c = c0; c < c1; ++c, wt += k) {
    const uint32_t* p = sp + t.First[static_cast<size_t>(c)];
    // Red and blue share one 64-bit accumulator, 32 bits apart.
    uint64_t rb = 0;
    uint32_t g = 0;
    for (int32_t j = 0; j < k; ++j) {
      const uint32_t px = p[j];
      rb += (uint64_t{px & 0xFFu} | (uint64_t{px & 0xFF0000u} << 16)) * wt[j];
      g += ((px >> 8) & 0xFFu) * wt[j];
    }
    uint32_t* o = h + 3 * c;
    o[0] = (static_cast<uint32_t>(rb) + 0x80u) >> 8;
    o[1] = (g + 0x80u) >> 8;
    o[2] = (static_cast<uint32_t>(rb >> 32) + 0x80u) >> 8;
  }
}

// Destination rows [y0, y1) of a halftone stretch whose taps are known.
void HalftoneRows(const TSurface& s, const TBox& v, const TSource& src, const TTaps& tx,
                  const TTaps& ty, int64_t c0, int64_t c1, int64_t y0, int64_t y1, TCopyMode mode,
                  uint32_t pat) {
  const int64_t vw = v.r - v.l;
  // Horizontally filtered source rows, each added into the sums as soon as
  // it is made. Footprints move down monotonically, so a destination row
  // shares with the next at most its last source row when shrinking, and
  // both of its rows when enlarging (a footprint then covers at most two):
  // a ring of two keeps them, and the scratch stays a few destination rows
  // whatever the shrink.
  const size_t slots = static_cast<size_t>(std::min(ty.K, 2));
  const size_t rowWords = static_cast<size_t>(vw) * 3;
  std::vector<uint32_t> ring(slots * rowWords);
  std::vector<int64_t> slotRow(slots, -1);
  auto filtered = [&](int64_t sy) -> const uint32_t* {
    const size_t slot = static_cast<size_t>(sy) % slots;
    uint32_t* h = ring.data() + slot * rowWords;
    if (slotRow[slot] == sy) return h;
    slotRow[slot] = sy;
    const uint32_t* sp = src.Bits + sy * src.W;
    switch (tx.K) {
      case 1: FilterRow<1>(sp, tx, c0, c1, h); break;
      case 2: FilterRow<2>(sp, tx, c0, c1, h); break;
      case 3: FilterRow<3>(sp, tx, c0, c1, h); break;
      case 4: FilterRow<4>(sp, tx, c0, c1, h); break;
      default: FilterRow<0>(sp, tx, c0, c1, h); break;
    }
    return h;
  };
  const size_t K = static_cast<size_t>(ty.K);
  std::vector<uint32_t> row(static_cast<size_t>(vw));
  // 8.8 means times 16.16 weights summing to 1: below 2^32.
  std::vector<uint32_t> acc(rowWords);
  const size_t a0 = static_cast<size_t>(c0) * 3, a1 = static_cast<size_t>(c1) * 3;
  for (int64_t y = y0; y < y1; ++y) {
    const size_t ky = static_cast<size_t>(y - v.t);
    if (ty.Any[ky] == 0) continue;
    const uint32_t* wy = ty.Weight.data() + ky * K;
    const int64_t fy = ty.First[ky];
    bool first = true;
    for (size_t t = 0; t < K; ++t) {
      if (wy[t] == 0) continue;
      const uint32_t* h = filtered(fy + static_cast<int64_t>(t));
      const uint32_t w = wy[t];
      if (first) {
        for (size_t k = a0; k < a1; ++k) acc[k] = w * h[k];
        first = false;
      } else {
        for (size_t k = a0; k < a1; ++k) acc[k] += w * h[k];
      }
    }
    for (int64_t c = c0; c < c1; ++c) {
      const uint32_t* a = acc.data() + 3 * c;
      // 8.24: round half up at bit 23 (no overflow: 255.5 * 2^24 < 2^32).
      row[static_cast<size_t>(c)] = ((a[0] + 0x800000u) >> 24) | (((a[1] + 0x800000u) >> 24) << 8) |
                                    (((a[2] + 0x800000u) >> 24) << 16);
    }
    RopRow(mode, row.data() + c0, s.Row(y) + v.l + c0, c1 - c0, pat, s.Q15);
  }
}

void StretchHalftone(const TSurface& s, const TBox& D, const TSource& src, const TBox& S,
                     TCopyMode mode, uint32_t pat) {
  const TBox v = D.Intersect(s.Clip);
  if (v.Empty()) return;
  const int64_t dw = D.r - D.l, dh = D.b - D.t, sw = S.r - S.l, sh = S.b - S.t;
  const TTaps tx = AreaTaps(v.l, v.r, D.l, dw, S.l, sw, src.W);
  const TTaps ty = AreaTaps(v.t, v.b, D.t, dh, S.t, sh, src.H);
  const int64_t vw = v.r - v.l;
  // Columns with taps form one run (the footprints move monotonically).
  int64_t c0 = 0, c1 = vw;
  while (c0 < c1 && tx.Any[static_cast<size_t>(c0)] == 0) ++c0;
  while (c1 > c0 && tx.Any[static_cast<size_t>(c1 - 1)] == 0) --c1;
  if (c0 >= c1) return;
  // Screen-sized copies are split into bands of rows, one per processor;
  // each band writes only its own rows, and every worker is joined before
  // returning (or rethrowing).
  const int64_t rows = v.b - v.t;
  const int64_t bands =
      (rows * vw >= (int64_t{1} << 18)) ? std::min<int64_t>(ProcessorCount(), rows) : 1;
  if (bands <= 1) {
    HalftoneRows(s, v, src, tx, ty, c0, c1, v.t, v.b, mode, pat);
    return;
  }
  std::vector<std::thread> workers;
  std::vector<std::exception_ptr> errors(static_cast<size_t>(bands));
  auto band = [&](int64_t b) {
    try {
      HalftoneRows(s, v, src, tx, ty, c0, c1, v.t + rows * b / bands, v.t + rows * (b + 1) / bands,
                   mode, pat);
    } catch (...) {
      errors[static_cast<size_t>(b)] = std::current_exception();
    }
  };
  try {
    for (int64_t b = 1; b < bands; ++b) workers.emplace_back(band, b);
  } catch (...) {
    errors[0] = std::current_exception();
  }
  if (!errors[0]) band(0);
  for (auto& w : workers) w.join();
  for (const auto& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace

void TCanvas::CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  const TBox D{DevX(*this, Dest.Left), DevY(*this, Dest.Top), DevX(*this, Dest.Right),
               DevY(*this, Dest.Bottom)};
  const TBox S{DevX(Source, SourceRect.Left), DevY(Source, SourceRect.Top),
               DevX(Source, SourceRect.Right), DevY(Source, SourceRect.Bottom)};
  if (D.Empty() || S.Empty()) return;
  TSource src;
  if (!PrepareSource(Source.GetTarget(), FTarget, src)) return;
  const uint32_t pat = ColorWord(FState.Brush.GetColor());
  if (D.r - D.l == S.r - S.l && D.b - D.t == S.b - S.t)
    Copy1to1(s, D, src, S, FCopyMode, pat);
  else if (FStretchMode == TStretchMode::smHalftone)
    StretchHalftone(s, D, src, S, FCopyMode, pat);
  else
    StretchNearest(s, D, src, S, FCopyMode, pat);
}

void TCanvas::Draw(int32_t X, int32_t Y, const TBitmap& Source) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  TSource src;
  if (!PrepareSource(&Source, FTarget, src)) return;
  const TBox D{DevX(*this, X), DevY(*this, Y), DevX(*this, X) + src.W, DevY(*this, Y) + src.H};
  Copy1to1(s, D, src, TBox{0, 0, src.W, src.H}, FCopyMode, ColorWord(FState.Brush.GetColor()));
}

void TCanvas::StretchDraw(const TRect& Dest, const TBitmap& Source) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  const TBox D{DevX(*this, Dest.Left), DevY(*this, Dest.Top), DevX(*this, Dest.Right),
               DevY(*this, Dest.Bottom)};
  if (D.Empty()) return;
  TSource src;
  if (!PrepareSource(&Source, FTarget, src)) return;
  const TBox S{0, 0, src.W, src.H};
  const uint32_t pat = ColorWord(FState.Brush.GetColor());
  if (D.r - D.l == src.W && D.b - D.t == src.H)
    Copy1to1(s, D, src, S, FCopyMode, pat);
  else if (FStretchMode == TStretchMode::smHalftone)
    StretchHalftone(s, D, src, S, FCopyMode, pat);
  else
    StretchNearest(s, D, src, S, FCopyMode, pat);
}

void TCanvas::DrawTransparent(int32_t X, int32_t Y, const TBitmap& Source,
                              TColor TransparentColor) {
  const TSurface s = CanvasSurface(*this);
  if (!s.Valid()) return;
  TSource src;
  if (!PrepareSource(&Source, FTarget, src)) return;
  const uint32_t key = QuantizeColor(Source.GetPixelFormat(), ColorWord(TransparentColor));
  const TBox D{DevX(*this, X), DevY(*this, Y), DevX(*this, X) + src.W, DevY(*this, Y) + src.H};
  const TBox v = D.Intersect(s.Clip);
  for (int64_t y = v.t; y < v.b; ++y) {
    const uint32_t* sp = src.Bits + (y - D.t) * src.W;
    uint32_t* dp = s.Row(y);
    for (int64_t x = v.l; x < v.r; ++x) {
      const uint32_t p = sp[x - D.l];
      if (p != key) dp[x] = s.Quantize(p);
    }
  }
}

}  // namespace zel
