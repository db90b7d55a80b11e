#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "gui/zel_fonts.hpp"
#include "mol/cdata/zel_cform.hpp"

namespace zel {
namespace {

// Rows and columns with ink (pixels other than Background) inside the
// columns [X0, X1) of a bitmap: {top, bottom (exclusive), left, right
// (exclusive)}; all -1 without ink.
struct TInk {
  int32_t Top = -1, Bottom = -1, Left = -1, Right = -1;
};

TInk InkIn(const TBitmap& b, int32_t x0, int32_t x1, TColor background) {
  TInk ink;
  for (int32_t y = 0; y < b.GetHeight(); ++y)
    for (int32_t x = std::max(0, x0); x < std::min(b.GetWidth(), x1); ++x) {
      if (b.GetPixel(x, y) == background) continue;
      if (ink.Top < 0) ink.Top = y;
      ink.Bottom = y + 1;
      ink.Left = ink.Left < 0 ? x : std::min(ink.Left, x);
      ink.Right = std::max(ink.Right, x + 1);
    }
  return ink;
}

int32_t LineHeight(int32_t size) {
  TFontSpec face;
  face.Size = size;
  return FontTextExtent(face, "M").cy;
}

int32_t Width(const std::string& text, int32_t size) {
  TFontSpec face;
  face.Size = size;
  return FontTextExtent(face, text).cx;
}

// A parent with a picture of its own, and the control on it.
struct TScene {
  TWinControl Parent{nullptr};
  TMolForm* Form = nullptr;
  TScene() {
    Parent.SetBounds(0, 0, 200, 60);
    Parent.SetColor(clWhite);
    Form = new TMolForm(&Parent);
    Form->SetParent(&Parent);
    Form->SetLeft(10);
    Form->SetTop(5);
  }
  const TBitmap& Paint() {
    Form->Repaint();
    return Form->GetSurface();
  }
};

TEST(CformControl, StartsAsWaterInTheDefaultLook) {
  TMolForm f(nullptr);
  EXPECT_EQ(f.GetWidth(), 120);
  EXPECT_EQ(f.GetHeight(), 28);
  EXPECT_EQ(f.AsString(0), "H2 O ");
  EXPECT_EQ(f.GetFormulaText(), "H2O");
  EXPECT_EQ(f.GetAlignment(), TAlignment::taCenter);
  EXPECT_EQ(f.GetColorBkg(), clBtnFace);
  EXPECT_EQ(f.GetColorTxt(), clBlack);
  EXPECT_EQ(f.GetIsotopeVis(), TIsotVisib::ivSpecial);
  EXPECT_TRUE(f.GetUseDeuterium());
  EXPECT_FALSE(f.GetShowAsText());
  EXPECT_FALSE(f.GetTransparent());
  EXPECT_EQ(f.ClassName(), "TMolForm");
}

TEST(CformControl, LayoutPutsMassesUpAndCountsDown) {
  TMolForm f(nullptr);
  f.SetMolFormula("13C6 H12 O6");
  const TMolFormLayout l = f.GetLayout();
  // 10-point font: s' = round(8) + 1 = 9.
  const int32_t h = 2 * LineHeight(9);
  EXPECT_EQ(l.Height, h);
  ASSERT_EQ(l.Pieces.size(), 7u);  // 13 C 6 H 12 O 6
  const auto expect = [&](size_t i, const char* text, int32_t x, int32_t y, int32_t size) {
    EXPECT_EQ(l.Pieces[i].Text, text) << i;
    EXPECT_EQ(l.Pieces[i].X, x) << i;
    EXPECT_EQ(l.Pieces[i].Y, y) << i;
    EXPECT_EQ(l.Pieces[i].Size, size) << i;
  };
  int32_t x = 1;
  expect(0, "13", x, 0, 9);
  x += Width("13", 9);
  expect(1, "C", x, h / 5, 10);
  x += Width("C", 10);
  expect(2, "6", x, h / 4 + 9, 9);
  x += Width("6", 9);
  expect(3, "H", x, h / 5, 10);
  x += Width("H", 10);
  expect(4, "12", x, h / 4 + 9, 9);
  x += Width("12", 9) + Width("O", 10) + Width("6", 9);
  EXPECT_EQ(l.Width, x);
  EXPECT_EQ(l.Offset, (120 - x) / 2);
}

TEST(CformControl, IsotopeVisibilityAndDeuterium) {
  TMolForm f(nullptr);
  const auto texts = [&] {
    std::string s;
    for (const auto& p : f.GetLayout().Pieces) s += p.Text + "|";
    return s;
  };
  f.SetMolFormula("C2 D6 18O");
  EXPECT_EQ(texts(), "C|2|D|6|18|O|");
  f.SetIsotopeVis(TIsotVisib::ivAlways);
  EXPECT_EQ(texts(), "12|C|2|D|6|18|O|");
  f.SetIsotopeVis(TIsotVisib::ivNone);
  EXPECT_EQ(texts(), "C|2|D|6|O|");
  f.SetUseDeuterium(false);
  f.SetIsotopeVis(TIsotVisib::ivSpecial);
  EXPECT_EQ(texts(), "C|2|2|H|6|18|O|");
  f.SetShowAsText(true);
  EXPECT_EQ(texts(), "C2 D6 18O|");
  // Entries with a count of 0 draw nothing.
  f.SetShowAsText(false);
  f.SetAtCnt(1, 0);
  EXPECT_EQ(texts(), "2|H|6|18|O|");
}

TEST(CformControl, AlignmentShiftsAndCutsWideFormulas) {
  TMolForm f(nullptr);
  f.SetMolFormula("C6 H12 O6");
  const int32_t x = f.GetLayout().Width;
  f.SetAlignment(TAlignment::taLeftJustify);
  EXPECT_EQ(f.GetLayout().Offset, 0);
  f.SetAlignment(TAlignment::taRightJustify);
  EXPECT_EQ(f.GetLayout().Offset, 120 - x);
  f.SetWidth(30);
  EXPECT_EQ(f.GetLayout().Offset, 30 - x);
  f.SetAlignment(TAlignment::taCenter);
  EXPECT_EQ(f.GetLayout().Offset, (30 - x) / 2);
  EXPECT_LT(f.GetLayout().Offset, 0);
}

TEST(CformControl, PaintsSuperscriptAboveAndSubscriptBelowTheSymbol) {
  TScene scene;
  TMolForm& f = *scene.Form;
  f.SetColorBkg(clWhite);
  f.SetMolFormula("13C6");
  const TBitmap& b = scene.Paint();
  const TMolFormLayout l = f.GetLayout();
  ASSERT_EQ(l.Pieces.size(), 3u);
  ASSERT_EQ(b.GetHeight(), l.Height);
  const auto ink = [&](size_t i) {
    const int32_t x0 = l.Pieces[i].X + l.Offset;
    const int32_t x1 = i + 1 < l.Pieces.size() ? l.Pieces[i + 1].X + l.Offset : l.Width + l.Offset;
    return InkIn(b, x0, x1, clWhite);
  };
  const TInk mass = ink(0), symbol = ink(1), count = ink(2);
  ASSERT_GE(mass.Top, 0);
  ASSERT_GE(symbol.Top, 0);
  ASSERT_GE(count.Top, 0);
  // Digit and capital glyphs sit on the baseline of their cell (top +
  // ascent) and rise about 0.72 em above it.
  const auto ascent = [](int32_t size) {
    TFontSpec face;
    face.Size = size;
    return FontGetMetrics(face).Ascent;
  };
  EXPECT_EQ(mass.Bottom, 0 + ascent(9));
  EXPECT_EQ(symbol.Bottom, l.Height / 5 + ascent(10));
  EXPECT_EQ(count.Bottom, l.Height / 4 + 9 + ascent(9));
  EXPECT_LT(mass.Bottom, symbol.Bottom);
  EXPECT_GT(count.Bottom, symbol.Bottom);
  EXPECT_LE(count.Bottom, l.Height);  // the subscript is not cut
  EXPECT_LT(mass.Right, symbol.Left + 1);
  EXPECT_LE(symbol.Right, count.Left);
  // Full ink is the text colour; outside the text the background stays.
  EXPECT_EQ(InkIn(b, 0, l.Offset, clWhite).Top, -1);
  EXPECT_EQ(InkIn(b, l.Offset + l.Width, f.GetWidth(), clWhite).Top, -1);
}

TEST(CformControl, OpaqueControlFillsWithItsBackground) {
  TScene scene;
  scene.Form->SetColorBkg(clYellow);
  scene.Form->SetColorTxt(clBlue);
  scene.Form->SetMolFormula("Cl2");
  const TBitmap& b = scene.Paint();
  int32_t yellow = 0, blue = 0;
  for (int32_t y = 0; y < b.GetHeight(); ++y)
    for (int32_t x = 0; x < b.GetWidth(); ++x) {
      yellow += b.GetPixel(x, y) == clYellow;
      blue += b.GetPixel(x, y) == clBlue;
    }
  EXPECT_GT(blue, 10);
  EXPECT_GT(yellow, b.GetWidth() * b.GetHeight() * 3 / 4);
  EXPECT_EQ(b.GetPixel(0, 0), clYellow);
  EXPECT_EQ(b.GetPixel(b.GetWidth() - 1, b.GetHeight() - 1), clYellow);
}

TEST(CformControl, TransparentControlChangesOnlyTextPixels) {
  TScene scene;
  TMolForm& f = *scene.Form;
  f.SetMolFormula("C6 H12 O6");
  // Opaque black on white first: each pixel is 255 - c, c the glyph
  // coverage there, which is also the transparent mode's mask.
  f.SetColorBkg(clWhite);
  const TBitmap mask = scene.Paint();
  f.SetColorTxt(clRed);
  f.SetTransparent(true);
  // Stripes on the parent, under the control.
  scene.Parent.Update();
  TCanvas& pc = scene.Parent.GetCanvas();
  for (int32_t y = 0; y < scene.Parent.GetHeight(); ++y)
    for (int32_t x = 0; x < scene.Parent.GetWidth(); ++x)
      pc.SetPixels(x, y, ((x / 3 + y / 2) % 2) ? clAqua : clGreen);
  const TBitmap& b = scene.Paint();
  ASSERT_TRUE(b.GetWidth() == mask.GetWidth() && b.GetHeight() == mask.GetHeight());
  int32_t untouched = 0, red = 0;
  for (int32_t y = 0; y < b.GetHeight(); ++y)
    for (int32_t x = 0; x < b.GetWidth(); ++x) {
      const TColor under = ((x + 10) / 3 + (y + 5) / 2) % 2 ? clAqua : clGreen;
      const TColor m = mask.GetPixel(x, y);
      const int32_t c = 255 - GetRValue(m);
      // (under AND mask) OR text-on-black, the text being red at coverage c.
      const TColor expected = (under & m) | RGB(c, 0, 0);
      ASSERT_EQ(b.GetPixel(x, y), expected) << x << "," << y;
      untouched += c == 0;
      red += c == 255;
    }
  EXPECT_GT(red, 5);
  EXPECT_GT(untouched, b.GetWidth() * b.GetHeight() * 3 / 4);
  EXPECT_EQ(f.GetCanvas().GetCopyMode(), TCopyMode::cmSrcCopy);
}

// The control's picture composed from the layout as the painting rules
// describe it: the text drawn into a picture twice the control's width,
// background-filled, then placed at the alignment shift into a picture of
// the control's size; transparent controls combine a mask with Under.
TBitmap ReferencePicture(const TMolForm& f, TColor under) {
  const int32_t w = f.GetWidth(), h = f.GetHeight();
  const TMolFormLayout l = f.GetLayout();
  const auto text = [&](TColor fill, TColor ink) {
    TBitmap b(2 * w, h);
    TCanvas& c = b.GetCanvas();
    c.GetBrush().SetColor(fill);
    c.FillRect({0, 0, 2 * w, h});
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    TFont font = f.GetFont();
    font.SetColor(ink);
    for (const TMolFormPiece& p : l.Pieces) {
      font.SetSize(p.Size);
      c.SetFont(font);
      c.TextOut(p.X, p.Y, p.Text);
    }
    return b;
  };
  const auto aligned = [&](const TBitmap& src, TColor fill) {
    TBitmap b(w, h);
    b.GetCanvas().GetBrush().SetColor(fill);
    b.GetCanvas().FillRect({0, 0, w, h});
    b.GetCanvas().Draw(l.Offset, 0, src);
    return b;
  };
  if (!f.GetTransparent()) return aligned(text(f.GetColorBkg(), f.GetColorTxt()), f.GetColorBkg());
  TBitmap result(w, h);
  result.GetCanvas().GetBrush().SetColor(under);
  result.GetCanvas().FillRect({0, 0, w, h});
  result.GetCanvas().SetCopyMode(TCopyMode::cmSrcAnd);
  result.GetCanvas().Draw(0, 0, aligned(text(clWhite, clBlack), clWhite));
  result.GetCanvas().SetCopyMode(TCopyMode::cmSrcPaint);
  result.GetCanvas().Draw(0, 0, aligned(text(clBlack, f.GetColorTxt()), clBlack));
  return result;
}

TEST(CformControl, PaintsOnlyTheVisibleTextYetAsTheTwiceWidePicture) {
  // Narrow controls whose text is wider than the control, and wider than
  // twice the control (cut at the picture's right edge), in every
  // alignment, opaque and transparent, italic (glyphs overhang their cell).
  TScene scene;
  TMolForm& f = *scene.Form;
  f.SetColorBkg(clYellow);
  f.SetColorTxt(clBlue);
  TFont font = f.GetFont();
  font.SetStyle(TFontStyles{TFontStyle::fsItalic});
  f.SetFont(font);
  for (int32_t width : {120, 30, 7}) {
    for (bool asText : {false, true}) {
      for (TAlignment a :
           {TAlignment::taLeftJustify, TAlignment::taRightJustify, TAlignment::taCenter}) {
        for (bool transparent : {false, true}) {
          f.SetWidth(width);
          f.SetMolFormula(asText ? "Cl2 Br2 Fe3 O4 Mg S O4 Cf" : "13C6 H12 O6 Cf");
          f.SetShowAsText(asText);
          f.SetAlignment(a);
          f.SetTransparent(transparent);
          const TBitmap& b = scene.Paint();
          const TBitmap ref = ReferencePicture(f, clWhite);
          EXPECT_TRUE(b.SameImage(ref))
              << width << " " << asText << " " << static_cast<int>(a) << " " << transparent;
        }
      }
    }
  }
}

TEST(CformControl, PaintsAVeryWideControlAndKeepsPainting) {
  // 2e7 x 28 pixels (2.2 GB) is within the graphics layer's limit of 2^30
  // pixels; a text picture twice as wide is not.
  constexpr int32_t kWidth = 20'000'000;
  TMolForm f(nullptr);
  f.SetColorBkg(clWhite);
  f.SetWidth(kWidth);
  ASSERT_NO_THROW(f.Repaint());
  TMolFormLayout l = f.GetLayout();
  ASSERT_EQ(f.GetSurface().GetWidth(), kWidth);
  EXPECT_EQ(l.Offset, (kWidth - l.Width) / 2);
  const auto inkAt = [&](int32_t x0, int32_t x1) { return InkIn(f.GetSurface(), x0, x1, clWhite); };
  const TInk centre = inkAt(l.Offset, l.Offset + l.Width);
  EXPECT_GT(centre.Top, -1);
  EXPECT_GE(centre.Left, l.Offset);
  EXPECT_LE(centre.Right, l.Offset + l.Width);
  EXPECT_EQ(inkAt(0, 1000).Top, -1);
  EXPECT_EQ(inkAt(l.Offset - 1000, l.Offset).Top, -1);
  EXPECT_EQ(inkAt(kWidth - 1000, kWidth).Top, -1);
  // Later property writes repaint as well, right-aligned now.
  ASSERT_NO_THROW(f.SetAlignment(TAlignment::taRightJustify));
  l = f.GetLayout();
  EXPECT_FALSE(f.NeedsPaint());
  EXPECT_GT(inkAt(kWidth - l.Width, kWidth).Top, -1);
  EXPECT_EQ(inkAt(l.Offset - 1000, l.Offset).Top, -1);
  EXPECT_EQ(inkAt(kWidth / 2 - 1000, kWidth / 2 + 1000).Top, -1);
}

TEST(CformControl, ControlBeyondThePixelLimitPaintsNothingAndDoesNotThrow) {
  // 5e7 x 28 pixels: no surface of that size can exist.
  TMolForm f(nullptr);
  f.SetWidth(50'000'000);
  EXPECT_NO_THROW(f.Repaint());
  EXPECT_NO_THROW(f.SetMolFormula("C2 H6 O"));
  EXPECT_NO_THROW(f.SetAlignment(TAlignment::taLeftJustify));
  EXPECT_NO_THROW(f.SetColorBkg(clRed));
  EXPECT_EQ(f.AsString(0), "C2 H6 O ");
  // Back to a usable size, it paints again.
  f.SetWidth(120);
  f.Repaint();
  EXPECT_EQ(f.GetSurface().GetPixel(0, 0), clRed);
}

TEST(CformControl, ExtremeFontSizesPaint) {
  // The size's magnitude is taken in 64 bits (INT32_MIN has none in 32).
  for (int32_t size : {INT32_MIN, -5, 0, INT32_MAX}) {
    TMolForm f(nullptr);
    TFont font = f.GetFont();
    font.SetSize(size);
    f.SetFont(font);
    EXPECT_NO_THROW(f.Repaint()) << size;
    EXPECT_GT(f.GetHeight(), 0) << size;
    EXPECT_EQ(f.GetLayout().Pieces.size(), 3u) << size;  // "H", "2", "O"
  }
}

TEST(CformControl, HeightFollowsTheFontWithoutAnotherPaint) {
  TScene scene;
  TFont font = scene.Form->GetFont();
  font.SetSize(20);
  scene.Form->SetFont(font);
  scene.Paint();
  EXPECT_EQ(scene.Form->GetHeight(), 2 * LineHeight(17));
  EXPECT_FALSE(scene.Form->NeedsPaint());
  EXPECT_EQ(scene.Form->GetSurface().GetHeight(), scene.Form->GetHeight());
}

TEST(CformControl, HiddenControlDrawsNothing) {
  TScene scene;
  scene.Form->SetColorBkg(clYellow);
  scene.Form->SetVisible(false);
  const TBitmap& b = scene.Paint();
  EXPECT_NE(b.GetPixel(5, 5), clYellow);
}

TEST(CformControl, AssignCopiesLookAndFormula) {
  TMolForm a(nullptr), b(nullptr);
  a.SetMolFormula("C2 H6 O");
  a.SetAlignment(TAlignment::taRightJustify);
  a.SetColorTxt(clRed);
  a.SetTransparent(true);
  a.SetIsotopeVis(TIsotVisib::ivAlways);
  ASSERT_TRUE(a.InitFindFormula(30, 0.5, TFormulaRec{}, a.GetFormula().GetFormulaRec()));
  b.Assign(&a);
  EXPECT_EQ(b.AsString(1), a.AsString(1));
  EXPECT_EQ(b.GetFormulaText(), "C2 H6 O");
  EXPECT_EQ(b.GetAlignment(), TAlignment::taRightJustify);
  EXPECT_EQ(b.GetColorTxt(), clRed);
  EXPECT_TRUE(b.GetTransparent());
  EXPECT_EQ(b.GetIsotopeVis(), TIsotVisib::ivAlways);
  EXPECT_EQ(b.GetFormula().GetTolBForm(), 0.5);
  EXPECT_EQ(b.GetFormula().GetPermutCnt(2), 6);
  EXPECT_EQ(b.CompareTo(&a), kFormulaSame);
  EXPECT_EQ(b.CompareTo(nullptr), kFormulaNoEntries);
  TBitmap other;
  EXPECT_THROW(b.Assign(&other), Exception);
}

TEST(CformControl, SavesTheRenderedFormulaAsPng) {
  TScene scene;
  scene.Form->SetMolFormula("13C6 H12 O6");
  const TBitmap& b = scene.Paint();
  const auto file = std::filesystem::temp_directory_path() / "zel_cform_test.png";
  b.SaveToFile(file.string());
  TBitmap back;
  back.LoadFromFile(file.string());
  std::filesystem::remove(file);
  EXPECT_TRUE(back.SameImage(b));
}

}  // namespace
}  // namespace zel
