#include "gui/zel_fonts.hpp"

#include <gtest/gtest.h>

#include <map>

// FreeType itself as a second reference, where the test program can see it.
#if __has_include(<ft2build.h>)
#include <ft2build.h>
#include FT_FREETYPE_H
#define ZEL_TEST_WITH_FREETYPE 1
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace zel {
namespace {

TFontSpec FontOf(const std::string& Name, int32_t Size, TFontStyles Style = {},
                 int32_t Orientation = 0) {
  TFontSpec f;
  f.Name = Name;
  f.Size = Size;
  f.Style = Style;
  f.Orientation = Orientation;
  return f;
}

// The reference for advances and vertical metrics: the font file's own
// tables read here (head, hhea, hmtx, OS/2, a format-4 cmap), independently of
// FreeType. The hinted advance FreeType reports for these fonts is the
// linear advance rounded to a whole pixel.
class TSfntRef {
 public:
  explicit TSfntRef(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    FData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const uint32_t n = U16(4);
    for (uint32_t i = 0; i < n; ++i) {
      const size_t rec = 12 + 16 * size_t{i};
      FTables[std::string(FData.data() + rec, 4)] = U32(rec + 8);
    }
  }
  uint32_t Table(const std::string& Tag) const {
    auto it = FTables.find(Tag);
    EXPECT_NE(it, FTables.end()) << Tag;
    return it == FTables.end() ? 0 : it->second;
  }
  uint32_t UnitsPerEm() const { return U16(Table("head") + 18); }
  uint32_t WinAscent() const { return U16(Table("OS/2") + 74); }
  uint32_t WinDescent() const { return U16(Table("OS/2") + 76); }
  // Glyph index of a BMP character through the (3, 1) format-4 subtable.
  uint32_t GlyphIndex(uint32_t Char) const {
    const uint32_t cmap = Table("cmap");
    for (uint32_t i = 0; i < U16(cmap + 2); ++i) {
      const uint32_t rec = cmap + 4 + 8 * i;
      if (U16(rec) != 3 || U16(rec + 2) != 1) continue;
      const uint32_t sub = cmap + U32(rec + 4);
      if (U16(sub) != 4) continue;
      const uint32_t segs = U16(sub + 6) / 2;
      const uint32_t ends = sub + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs,
                     offsets = deltas + 2 * segs;
      for (uint32_t k = 0; k < segs; ++k) {
        if (Char > U16(ends + 2 * k)) continue;
        if (Char < U16(starts + 2 * k)) return 0;
        const uint32_t ro = U16(offsets + 2 * k);
        if (ro == 0) return (Char + U16(deltas + 2 * k)) & 0xFFFF;
        const uint32_t g = U16(offsets + 2 * k + ro + 2 * (Char - U16(starts + 2 * k)));
        return g == 0 ? 0 : (g + U16(deltas + 2 * k)) & 0xFFFF;
      }
    }
    return 0;
  }
  // Advance of a character in font units.
  uint32_t AdvanceUnits(uint32_t Char) const {
    const uint32_t g = GlyphIndex(Char);
    const uint32_t long_metrics = U16(Table("hhea") + 34);
    return U16(Table("hmtx") + 4 * std::min(g, long_metrics - 1));
  }
  // The advance in whole pixels at an em size.
  int32_t Advance(uint32_t Char, int32_t Em) const {
    return static_cast<int32_t>(std::lround(double(AdvanceUnits(Char)) * Em / UnitsPerEm()));
  }

 private:
  uint32_t U16(size_t at) const {
    if (at + 2 > FData.size()) return 0;
    return uint32_t{static_cast<uint8_t>(FData[at])} << 8 | static_cast<uint8_t>(FData[at + 1]);
  }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }
  std::vector<char> FData;
  std::map<std::string, uint32_t> FTables;
};

bool Contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

uint8_t At(const TTextMask& m, int32_t x, int32_t y) {
  if (x < m.Left || y < m.Top || x >= m.Left + m.Width || y >= m.Top + m.Height) return 0;
  return m.Coverage[static_cast<size_t>(y - m.Top) * static_cast<size_t>(m.Width) +
                    static_cast<size_t>(x - m.Left)];
}

int64_t Ink(const TTextMask& m) {
  int64_t s = 0;
  for (uint8_t v : m.Coverage) s += v;
  return s;
}

// ---------------------------------------------------------------------------
// Font lookup
// ---------------------------------------------------------------------------

TEST(FontLookup, WindowsFamiliesMapToLiberation) {
  EXPECT_TRUE(Contains(FontResolvedFile(FontOf("Courier New", 10)), "LiberationMono-Regular"));
  EXPECT_TRUE(Contains(FontResolvedFile(FontOf("Arial", 10)), "LiberationSans-Regular"));
  EXPECT_TRUE(Contains(FontResolvedFile(FontOf("times new roman", 10)), "LiberationSerif-Regular"));
  EXPECT_TRUE(
      Contains(FontResolvedFile(FontOf("Arial", 10, {TFontStyle::fsBold, TFontStyle::fsItalic})),
               "LiberationSans-BoldItalic"));
  EXPECT_TRUE(Contains(FontResolvedFile(FontOf("Liberation Mono", 10, TFontStyle::fsBold)),
                       "LiberationMono-Bold"));
}

TEST(FontLookup, UnknownOrEmptyFamilyFallsBackToDejaVuAndStillRenders) {
  for (const char* name : {"No Such Family Qx", ""}) {
    EXPECT_TRUE(Contains(FontResolvedFile(FontOf(name, 12)), "DejaVuSans.ttf")) << name;
    const TTextMask m = FontRenderText(FontOf(name, 12), "Hello", 0, 0);
    EXPECT_GT(m.Width, 10) << name;
    EXPECT_GT(Ink(m), 0) << name;
  }
  EXPECT_TRUE(
      Contains(FontResolvedFile(FontOf("Qx Unknown", 12, TFontStyle::fsBold)), "DejaVuSans-Bold"));
}

// ---------------------------------------------------------------------------
// Metrics and widths
// ---------------------------------------------------------------------------

TEST(FontMetrics, WidthOfMIsTheAdvanceFreeTypeReports) {
  const std::string file = FontResolvedFile(FontOf("Liberation Mono", 14));
  // 14 pt at 96 pixels per inch is 18.67 pixels: an em of 19.
  const int32_t adv = TSfntRef(file).Advance('M', 19);
  EXPECT_GE(adv, 11);  // 1229/2048 of the em, 11.4 unhinted
  EXPECT_LE(adv, 12);
  EXPECT_EQ(FontTextExtent(FontOf("Liberation Mono", 14), "M").cx, adv);
  EXPECT_EQ(FontTextExtent(FontOf("Courier New", 14), "M").cx, adv);
}

#ifdef ZEL_TEST_WITH_FREETYPE
TEST(FontMetrics, WidthOfMMatchesFreeTypeLoadedDirectly) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, FontResolvedFile(FontOf("Liberation Mono", 14)).c_str(), 0, &face), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 19), 0);
  ASSERT_EQ(FT_Load_Char(face, 'M', FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP), 0);
  const int32_t adv = static_cast<int32_t>((face->glyph->advance.x + 32) >> 6);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  EXPECT_EQ(FontTextExtent(FontOf("Liberation Mono", 14), "M").cx, adv);
}
#endif

TEST(FontMetrics, MonospaceWidthsAreAdditive) {
  const TFontSpec f = FontOf("Courier New", 10);
  const int32_t m = FontTextExtent(f, "M").cx;
  ASSERT_GT(m, 0);
  EXPECT_EQ(FontTextExtent(f, "Hello, world").cx, 12 * m);
  EXPECT_EQ(FontTextExtent(f, "abc").cx + FontTextExtent(f, "xyz!").cx,
            FontTextExtent(f, "abcxyz!").cx);
  EXPECT_EQ(FontTextExtent(f, "iiiiiiii").cx, FontTextExtent(f, "WWWWWWWW").cx);
}

TEST(FontMetrics, HeightIsAscentPlusDescentFromTheWindowsMetrics) {
  for (int32_t size : {8, 10, 14, 36}) {
    const TFontSpec f = FontOf("Arial", size);
    const TFontMetrics m = FontGetMetrics(f);
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(FontTextExtent(f, "Ag").cy, m.Height);
    const int64_t em = std::lround(size * 96.0 / 72.0);
    const TSfntRef ref(FontResolvedFile(f));
    const int64_t upem = ref.UnitsPerEm();
    EXPECT_EQ(m.Ascent, (ref.WinAscent() * em + upem - 1) / upem) << size;
    EXPECT_EQ(m.Descent, (ref.WinDescent() * em + upem - 1) / upem) << size;
  }
}

TEST(FontMetrics, BoldIsWiderThanRegular) {
  const std::string s = "Scientific components";
  EXPECT_GT(FontTextExtent(FontOf("Arial", 12, TFontStyle::fsBold), s).cx,
            FontTextExtent(FontOf("Arial", 12), s).cx);
}

TEST(FontMetrics, EmptyTextHasZeroWidthAndTheLineHeight) {
  const TFontSpec f = FontOf("Arial", 10);
  const TSize e = FontTextExtent(f, "");
  EXPECT_EQ(e.cx, 0);
  EXPECT_EQ(e.cy, FontGetMetrics(f).Height);
  const TTextMask m = FontRenderText(f, "", 5, 7);
  EXPECT_EQ(m.Width, 0);
  EXPECT_EQ(m.Height, 0);
  EXPECT_TRUE(m.Coverage.empty());
  EXPECT_DOUBLE_EQ(m.Box[1].x, 5);
  EXPECT_DOUBLE_EQ(m.Box[3].y, 7 + e.cy);
  // Blanks advance but leave no ink.
  const TTextMask b = FontRenderText(f, "   ", 5, 7);
  EXPECT_EQ(b.Width, 0);
  EXPECT_DOUBLE_EQ(b.Box[1].x, 5 + FontTextExtent(f, "   ").cx);
}

TEST(FontMetrics, SizesRoundToWholePixelEms) {
  // Equal ems give equal text: 12 pt and -12 pt, and sizes below 1 point.
  EXPECT_EQ(FontTextExtent(FontOf("Arial", 12), "Width"),
            FontTextExtent(FontOf("Arial", -12), "Width"));
  EXPECT_EQ(FontTextExtent(FontOf("Arial", 0), "W"), FontTextExtent(FontOf("Arial", 1), "W"));
  EXPECT_LT(FontTextExtent(FontOf("Arial", 12), "Width").cx,
            FontTextExtent(FontOf("Arial", 13), "Width").cx);
}

// ---------------------------------------------------------------------------
// Characters
// ---------------------------------------------------------------------------

TEST(FontText, NonAsciiUtf8RendersRealGlyphs) {
  const TFontSpec f = FontOf("Arial", 20);
  const TSfntRef ref(FontResolvedFile(f));
  EXPECT_NE(ref.GlyphIndex(0xE4), 0u);
  EXPECT_NE(ref.GlyphIndex(0xB0), 0u);
  EXPECT_EQ(FontTextExtent(f, "\u00E4").cx, ref.Advance(0xE4, 27));
  EXPECT_EQ(FontTextExtent(f, "\u00B0").cx, ref.Advance(0xB0, 27));
  // The dieresis sits above the x-height: the "ä" reaches higher than "a".
  const TTextMask a = FontRenderText(f, "a", 0, 0);
  const TTextMask ae = FontRenderText(f, "\u00E4", 0, 0);
  EXPECT_LT(ae.Top, a.Top - 2);
  EXPECT_EQ(ae.Top + ae.Height, a.Top + a.Height);
  // The degree sign is a small ring high above the baseline.
  const TTextMask deg = FontRenderText(f, "\u00B0", 0, 0);
  const int32_t baseline = FontGetMetrics(f).Ascent;
  EXPECT_GT(Ink(deg), 0);
  EXPECT_LT(deg.Top + deg.Height, baseline - 5);
}

TEST(FontText, MalformedUtf8CountsAsReplacementCharacters) {
  const TFontSpec f = FontOf("Arial", 12);
  const int32_t rep = FontTextExtent(f, "\xEF\xBF\xBD").cx;
  EXPECT_GT(rep, 0);
  EXPECT_EQ(FontTextExtent(f, "\xFF").cx, rep);
  EXPECT_EQ(FontTextExtent(f, "a\xC3").cx, FontTextExtent(f, "a").cx + rep);  // truncated sequence
  // One replacement per maximal ill-formed piece: C0 cannot start a
  // sequence, nor can the continuation bytes after it or after ED, whose
  // second byte must lie in 80..9F (no surrogates).
  EXPECT_EQ(FontTextExtent(f, "\xC0\xAF").cx, 2 * rep);      // overlong '/'
  EXPECT_EQ(FontTextExtent(f, "\xED\xA0\x80").cx, 3 * rep);  // surrogate
}

TEST(FontText, MissingCharactersComeFromDejaVu) {
  // U+2654 (white chess king) is in DejaVu Sans but not in Liberation Sans.
  const TFontSpec f = FontOf("Arial", 14);
  ASSERT_EQ(TSfntRef(FontResolvedFile(f)).GlyphIndex(0x2654), 0u);
  const TSfntRef dv(FontResolvedFile(FontOf("DejaVu Sans", 14)));
  ASSERT_NE(dv.GlyphIndex(0x2654), 0u);
  EXPECT_EQ(FontTextExtent(f, "\u2654").cx, dv.Advance(0x2654, 19));
}

// ---------------------------------------------------------------------------
// Rendering geometry
// ---------------------------------------------------------------------------

TEST(FontRender, UnrotatedInkLiesInTheCellBox) {
  const TFontSpec f = FontOf("Times New Roman", 16);
  const TSize e = FontTextExtent(f, "Hejgq|");
  const TTextMask m = FontRenderText(f, "Hejgq|", 30, 40);
  ASSERT_GT(m.Width, 0);
  EXPECT_GE(m.Top, 40);
  EXPECT_LE(m.Top + m.Height, 40 + e.cy);
  EXPECT_GE(m.Left, 29);  // a glyph may reach a pixel left of its origin
  EXPECT_LE(m.Left + m.Width, 30 + e.cx + 1);
  EXPECT_EQ(static_cast<int64_t>(m.Coverage.size()), int64_t{m.Width} * m.Height);
  EXPECT_DOUBLE_EQ(m.Box[0].x, 30);
  EXPECT_DOUBLE_EQ(m.Box[0].y, 40);
  EXPECT_DOUBLE_EQ(m.Box[2].x, 30 + e.cx);
  EXPECT_DOUBLE_EQ(m.Box[2].y, 40 + e.cy);
  // Anti-aliased: partial coverage exists next to full ink.
  EXPECT_NE(std::find(m.Coverage.begin(), m.Coverage.end(), 255), m.Coverage.end());
  EXPECT_NE(std::find_if(m.Coverage.begin(), m.Coverage.end(),
                         [](uint8_t v) { return v > 0 && v < 255; }),
            m.Coverage.end());
}

TEST(FontRender, MovingTheOriginShiftsTheMask) {
  const TFontSpec f = FontOf("Arial", 11);
  const TTextMask a = FontRenderText(f, "Shift", 0, 0);
  const TTextMask b = FontRenderText(f, "Shift", -17, 123);
  EXPECT_EQ(b.Left, a.Left - 17);
  EXPECT_EQ(b.Top, a.Top + 123);
  EXPECT_EQ(a.Coverage, b.Coverage);
}

TEST(FontRender, QuarterTurnTransposesTheMask) {
  const TFontSpec f0 = FontOf("Arial", 14);
  const TFontSpec f90 = FontOf("Arial", 14, {}, 900);
  const int32_t X = 100, Y = 200;
  const TTextMask m0 = FontRenderText(f0, "Rotate 90", X, Y);
  const TTextMask m90 = FontRenderText(f90, "Rotate 90", X, Y);
  const TSize e = FontTextExtent(f0, "Rotate 90");
  ASSERT_GT(m0.Width, 0);
  EXPECT_EQ(m90.Width, m0.Height);
  EXPECT_EQ(m90.Height, m0.Width);
  // The box turns upward about (X, Y): top-right goes to (X, Y - width),
  // bottom-left to (X + height, Y).
  EXPECT_NEAR(m90.Box[1].x, X, 1e-9);
  EXPECT_NEAR(m90.Box[1].y, Y - e.cx, 1e-9);
  EXPECT_NEAR(m90.Box[3].x, X + e.cy, 1e-9);
  EXPECT_NEAR(m90.Box[3].y, Y, 1e-9);
  // Unrotated pixel (u, v) relative to the origin lands at (v, -1 - u).
  // FreeType's rasteriser sweeps rows, so edge coverage may differ by a few
  // levels between the two orientations; the shapes are the same.
  int32_t worst = 0;
  int64_t diff = 0;
  for (int32_t y = m0.Top; y < m0.Top + m0.Height; ++y)
    for (int32_t x = m0.Left; x < m0.Left + m0.Width; ++x) {
      const int32_t u = x - X, v = y - Y;
      const int32_t d = std::abs(At(m0, x, y) - At(m90, X + v, Y - 1 - u));
      worst = std::max(worst, d);
      diff += d;
    }
  EXPECT_LE(worst, 8);
  EXPECT_LE(diff, Ink(m0) / 100);
}

TEST(FontRender, ThirtyDegreesBoxFollowsTheRotationFormula) {
  const TFontSpec f = FontOf("Arial", 18, {}, 300);
  const int32_t X = 50, Y = 80;
  const TSize e = FontTextExtent(f, "Angle text");
  const TTextMask m = FontRenderText(f, "Angle text", X, Y);
  const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
  const double u[4] = {0, double(e.cx), double(e.cx), 0}, v[4] = {0, 0, double(e.cy), double(e.cy)};
  double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
  for (int i = 0; i < 4; ++i) {
    const double px = X + u[i] * c + v[i] * s, py = Y - u[i] * s + v[i] * c;
    EXPECT_NEAR(m.Box[i].x, px, 1e-9) << i;
    EXPECT_NEAR(m.Box[i].y, py, 1e-9) << i;
    x0 = std::min(x0, px), x1 = std::max(x1, px), y0 = std::min(y0, py), y1 = std::max(y1, py);
  }
  ASSERT_GT(m.Width, 0);
  EXPECT_GE(m.Left, std::floor(x0) - 1);
  EXPECT_LE(m.Left + m.Width, std::ceil(x1) + 1);
  EXPECT_GE(m.Top, std::floor(y0) - 1);
  EXPECT_LE(m.Top + m.Height, std::ceil(y1) + 1);
  // Ink along the text direction: the mask spans most of the box's extent.
  EXPECT_GT(m.Width, (x1 - x0) * 0.7);
  // The same amount of ink as unrotated text, give or take the edges.
  const double i0 =
      static_cast<double>(Ink(FontRenderText(FontOf("Arial", 18), "Angle text", X, Y)));
  EXPECT_NEAR(static_cast<double>(Ink(m)), i0, 0.05 * i0);
}

TEST(FontRender, UnderlineAndStrikeOutAreFullBarsAcrossTheText) {
  const TFontSpec plain = FontOf("Arial", 14);
  TFontSpec under = plain, strike = plain;
  under.Style = TFontStyle::fsUnderline;
  strike.Style = TFontStyle::fsStrikeOut;
  const TFontMetrics fm = FontGetMetrics(plain);
  const int32_t w = FontTextExtent(plain, "a b").cx;
  auto fullRows = [&](const TTextMask& m) {
    std::vector<int32_t> rows;
    for (int32_t y = m.Top; y < m.Top + m.Height; ++y) {
      bool full = true;
      for (int32_t x = 0; x < w && full; ++x) full = At(m, x, y) == 255;
      if (full) rows.push_back(y);
    }
    return rows;
  };
  EXPECT_TRUE(fullRows(FontRenderText(plain, "a b", 0, 0)).empty());
  const auto ur = fullRows(FontRenderText(under, "a b", 0, 0));
  ASSERT_FALSE(ur.empty());
  EXPECT_GE(ur.front(), fm.Ascent);  // below the baseline, inside the cell
  EXPECT_LT(ur.back(), fm.Height);
  const auto sr = fullRows(FontRenderText(strike, "a b", 0, 0));
  ASSERT_FALSE(sr.empty());
  EXPECT_LT(sr.back(), fm.Ascent);  // above the baseline, below half the ascent
  EXPECT_GT(sr.front(), fm.Ascent / 2);
  // The bar ends with the text: nothing right of the advance width.
  const TTextMask m = FontRenderText(under, "a b", 0, 0);
  EXPECT_EQ(At(m, w, ur.front()), 0);
  // Underline alone still shows for blanks.
  EXPECT_GT(FontRenderText(under, "   ", 0, 0).Width, 0);
}

TEST(FontRender, ClippedMaskIsTheUnclippedOneCut) {
  const TFontSpec f = FontOf("Arial", 16, {}, 450);
  const TTextMask full = FontRenderText(f, "Clip me please", 10, 100);
  const TRect clip{20, 50, 60, 90};
  const TTextMask cut = FontRenderText(f, "Clip me please", 10, 100, clip);
  ASSERT_GT(cut.Width, 0);
  EXPECT_GE(cut.Left, clip.Left);
  EXPECT_GE(cut.Top, clip.Top);
  EXPECT_LE(cut.Left + cut.Width, clip.Right);
  EXPECT_LE(cut.Top + cut.Height, clip.Bottom);
  for (int32_t y = clip.Top; y < clip.Bottom; ++y)
    for (int32_t x = clip.Left; x < clip.Right; ++x)
      ASSERT_EQ(At(cut, x, y), At(full, x, y)) << x << "," << y;
  EXPECT_EQ(FontRenderText(f, "Clip me please", 10, 100, TRect{60, 90, 20, 50}).Width, 0);
}

TEST(FontRender, LongRotatedTextNeedsTheClippedForm) {
  const TFontSpec f = FontOf("Arial", 72, TFontStyle::fsUnderline, 450);
  const std::string text(2500, 'M');
  EXPECT_THROW(FontRenderText(f, text, 0, 0), EFontError);
  const TTextMask m = FontRenderText(f, text, 0, 0, TRect{0, -400, 400, 0});
  EXPECT_GT(m.Width, 100);
  EXPECT_LE(m.Width, 400);
  EXPECT_LE(m.Height, 400);
}

TEST(FontRender, RotatedUnderlineHasNoSeams) {
  // A thick bar, turned and long enough to span many of the 64-pixel tiles
  // it is rasterised in: every pixel along its centre line is fully inked.
  TFontSpec f = FontOf("Arial", 72, TFontStyle::fsUnderline, 300);
  const TFontSpec plain = FontOf("Arial", 72);
  const std::string text = "MMMMMMMMMMMM";
  const TSize e = FontTextExtent(plain, text);
  const TTextMask m = FontRenderText(f, text, 0, 1000);
  const TTextMask flat = FontRenderText(FontOf("Arial", 72, TFontStyle::fsUnderline), text, 0, 0);
  int32_t top = -1, rows = 0;  // the bar in the unrotated mask
  for (int32_t y = flat.Top; y < flat.Top + flat.Height; ++y)
    if (At(flat, e.cx / 2, y) == 255 && At(flat, 1, y) == 255) {
      if (top < 0) top = y;
      ++rows;
    }
  ASSERT_GE(rows, 4);
  const double v = top + rows / 2.0, c = std::cos(std::numbers::pi / 6),
               s = std::sin(std::numbers::pi / 6);
  int32_t worst = 255;
  for (double u = 3; u < e.cx - 3; u += 0.5) {
    const double x = u * c + v * s, y = 1000 - u * s + v * c;
    worst = std::min<int32_t>(
        worst, At(m, static_cast<int32_t>(std::floor(x)), static_cast<int32_t>(std::floor(y))));
  }
  EXPECT_EQ(worst, 255);
  EXPECT_GT(e.cx, 500);
}

TEST(FontRender, CoordinatesNearTheInt32LimitDoNotOverflow) {
  const TFontSpec f = FontOf("Arial", 12);
  const int32_t big = std::numeric_limits<int32_t>::max() - 5;
  const TTextMask m = FontRenderText(f, "Far away", big, big);
  // Only what lies inside the int32 plane remains.
  if (m.Width > 0) {
    EXPECT_LE(int64_t{m.Left} + m.Width, int64_t{std::numeric_limits<int32_t>::max()});
    EXPECT_LE(int64_t{m.Top} + m.Height, int64_t{std::numeric_limits<int32_t>::max()});
  }
  EXPECT_DOUBLE_EQ(m.Box[1].x, double(big) + FontTextExtent(f, "Far away").cx);
}

// ---------------------------------------------------------------------------
// Cache and threads
// ---------------------------------------------------------------------------

TEST(FontCache, RepeatedGlyphsAreRasterisedOnce) {
  FontClearGlyphCache();
  EXPECT_EQ(FontCachedGlyphCount(), 0);
  const TFontSpec f = FontOf("Courier New", 13);
  const TTextMask a = FontRenderText(f, "AAAAAA", 0, 0);
  EXPECT_EQ(FontCachedGlyphCount(), 1);
  const TTextMask b = FontRenderText(f, "AAAAAA", 0, 0);
  EXPECT_EQ(FontCachedGlyphCount(), 1);
  EXPECT_EQ(a.Coverage, b.Coverage);
  FontRenderText(FontOf("Courier New", 13, {}, 900), "A", 0, 0);
  FontRenderText(FontOf("Courier New", 14), "A", 0, 0);
  EXPECT_EQ(FontCachedGlyphCount(), 3);
  FontClearGlyphCache();
  EXPECT_EQ(FontRenderText(f, "AAAAAA", 0, 0).Coverage, a.Coverage);
}

TEST(FontCache, ConcurrentRenderingGivesTheSameMasks) {
  const std::vector<TFontSpec> fonts = {
      FontOf("Arial", 10), FontOf("Times New Roman", 15, TFontStyle::fsItalic),
      FontOf("Courier New", 12, {}, 300), FontOf("Arial", 9, TFontStyle::fsUnderline, 1350)};
  std::vector<TTextMask> want;
  for (const auto& f : fonts) want.push_back(FontRenderText(f, "Thread safe \u00B0", 3, 4));
  FontClearGlyphCache();
  std::vector<int> bad(4, 0);
  std::vector<std::thread> pool;
  for (int t = 0; t < 4; ++t)
    pool.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        const size_t k = static_cast<size_t>((t + i) % 4);
        if (FontRenderText(fonts[k], "Thread safe \u00B0", 3, 4).Coverage != want[k].Coverage)
          ++bad[static_cast<size_t>(t)];
        if (i % 13 == 0) FontClearGlyphCache();
      }
    });
  for (auto& th : pool) th.join();
  EXPECT_EQ(bad, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace zel
