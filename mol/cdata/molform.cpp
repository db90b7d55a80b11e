// TMolForm: the formula display control and its painting.
#include <algorithm>
#include <string>

#include "gui/zel_fonts.hpp"
#include "mol/cdata/zel_cform.hpp"

namespace zel {

TMolForm::TMolForm(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 120, 28); }

void TMolForm::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMolForm*>(Source);
  if (src == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  FFormula = src->FFormula;
  FAlignment = src->FAlignment;
  FColorBkg = src->FColorBkg;
  FColorTxt = src->FColorTxt;
  FUseDeuterium = src->FUseDeuterium;
  FShowAsText = src->FShowAsText;
  FTransparent = src->FTransparent;
  FIsotVis = src->FIsotVis;
  Changed();
}

// ---------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------

void TMolForm::Changed() {
  // A transparent control shows its parent, which must be current first.
  if (FTransparent)
    Invalidate();
  else
    Repaint();
}

void TMolForm::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}

void TMolForm::SetColorBkg(TColor Value) {
  FColorBkg = Value;
  Repaint();
}

void TMolForm::SetColorTxt(TColor Value) {
  FColorTxt = Value;
  Repaint();
}

void TMolForm::SetIsotopeVis(TIsotVisib Value) {
  FIsotVis = Value;
  Changed();
}

void TMolForm::SetUseDeuterium(bool Value) {
  FUseDeuterium = Value;
  Changed();
}

void TMolForm::SetShowAsText(bool Value) {
  FShowAsText = Value;
  Changed();
}

void TMolForm::SetTransparent(bool Value) {
  FTransparent = Value;
  Changed();
}

void TMolForm::SetFormula(const TMolFormula& Value) {
  FFormula = Value;
  Changed();
}

void TMolForm::SetNumAtoms(int32_t Value) {
  FFormula.SetNumAtoms(Value);
  Changed();
}

void TMolForm::SetAtNum(int32_t i, int32_t Value) {
  FFormula.SetAtNum(i, Value);
  Changed();
}

void TMolForm::SetAtWgt(int32_t i, int32_t Value) {
  FFormula.SetAtWgt(i, Value);
  Changed();
}

void TMolForm::SetAtCnt(int32_t i, int32_t Value) {
  FFormula.SetAtCnt(i, Value);
  Changed();
}

void TMolForm::SetMolFormula(std::string_view Value) {
  FFormula.SetMolFormula(Value);
  Changed();
}

bool TMolForm::TryParse(std::string_view Text) {
  const bool ok = FFormula.TryParse(Text);
  if (ok) Changed();
  return ok;
}

void TMolForm::ReadFromString(std::string_view Text) {
  FFormula.ReadFromString(Text);
  Changed();
}

int32_t TMolForm::CompareTo(const TMolForm* Other) const {
  return Other == nullptr ? -2 : FFormula.CompareTo(Other->FFormula);
}

void TMolForm::Clear() {
  FFormula.Clear();
  Changed();
}

void TMolForm::ShowIt() { Changed(); }

bool TMolForm::FindFormulaNominalMass(bool CheckPlausibility) {
  const bool found = FFormula.FindFormulaNominalMass(CheckPlausibility);
  Changed();
  return found;
}

bool TMolForm::FindFormulaExactMass(bool CheckPlausibility) {
  const bool found = FFormula.FindFormulaExactMass(CheckPlausibility);
  Changed();
  return found;
}

// ---------------------------------------------------------------------------
// Layout and painting
// ---------------------------------------------------------------------------

namespace {

// The font size as a magnitude; INT32_MIN has none in 32 bits.
int32_t LargeSize(const TFont& Font) {
  return static_cast<int32_t>(std::clamp<int64_t>(Abs64(Font.GetSize()), 1, INT32_MAX));
}

}  // namespace

int32_t TMolForm::SmallSize() const { return RoundToInt32(0.8 * LargeSize(GetFont())) + 1; }

int32_t TMolForm::WantedHeight() const {
  TFontSpec small = GetFont().GetSpec();
  small.Size = SmallSize();
  return 2 * FontTextExtent(small, "M").cy;
}

TMolFormLayout TMolForm::GetLayout() const {
  TMolFormLayout layout;
  layout.Height = WantedHeight();
  const int32_t s = LargeSize(GetFont());
  const int32_t s2 = SmallSize();
  TFontSpec face = GetFont().GetSpec();
  int32_t x = 1;
  const auto add = [&](std::string text, int32_t y, int32_t size) {
    face.Size = size;
    const int32_t w = FontTextExtent(face, text).cx;
    layout.Pieces.push_back(TMolFormPiece{std::move(text), x, y, size});
    x += w;
  };
  if (FShowAsText) {
    add(FFormula.GetFormulaText(), layout.Height / 5, s);
  } else {
    for (int32_t i = 1; i <= FFormula.GetNumAtoms(); ++i) {
      const int32_t z = FFormula.GetAtNum(i), mass = FFormula.GetAtWgt(i),
                    count = FFormula.GetAtCnt(i);
      if (count < 1) continue;
      const bool deuterium = FUseDeuterium && z == 1 && mass == 2;
      const bool showMass = FIsotVis == TIsotVisib::ivAlways ||
                            (FIsotVis == TIsotVisib::ivSpecial && mass != IntAtWeight(z));
      if (showMass && !deuterium) add(std::to_string(mass), 0, s2);
      add(deuterium ? std::string("D") : CElemSymb(z), layout.Height / 5, s);
      if (count > 1) add(std::to_string(count), layout.Height / 4 + s2, s2);
    }
  }
  layout.Width = x;
  const int32_t w = GetWidth();
  switch (FAlignment) {
    case TAlignment::taLeftJustify: layout.Offset = 0; break;
    case TAlignment::taRightJustify: layout.Offset = w - x; break;
    default: layout.Offset = (w - x) / 2; break;
  }
  return layout;
}

void TMolForm::PaintNow() {
  // The height follows the font; setting it here, before the surface is
  // prepared, keeps a paint from marking the control for another one.
  if (GetVisible() || IsDesigning()) {
    const int32_t h = WantedHeight();
    if (h != GetHeight()) SetHeight(h);
  }
  try {
    TGraphicControl::PaintNow();
  } catch (const EInvalidGraphic&) {
    // A control beyond the graphics layer's pixel limit has no surface to
    // paint on; it shows nothing rather than failing every property write.
  }
}

void TMolForm::Paint() {
  if (!GetVisible() && !IsDesigning()) return;
  const int32_t w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  const TMolFormLayout layout = GetLayout();

  // The text is laid out in a picture twice the control's width, placed at
  // the alignment shift. Only the columns of it that land inside the
  // control and can hold ink are drawn: past the drawn width, ink reaches
  // at most an overhang (italic slant, a glyph's right bearing), well below
  // the control's height. Everything else is background in the opaque
  // picture and leaves the canvas alone in the transparent one, so a very
  // wide control costs its own surface, not a picture twice its size.
  const int64_t offset = layout.Offset;
  const int64_t first = std::max<int64_t>(0, -offset);
  const int64_t last = std::min({int64_t{2} * w, int64_t{w} - offset, int64_t{layout.Width} + h});
  TCanvas& canvas = GetCanvas();
  const TColor background = FTransparent ? clBlack : FColorBkg;
  if (!FTransparent) {
    const TBrush brush = canvas.GetBrush();
    canvas.GetBrush().SetColor(FColorBkg);
    canvas.GetBrush().SetStyle(TBrushStyle::bsSolid);
    canvas.FillRect({0, 0, w, h});
    canvas.SetBrush(brush);
  }
  if (first < last) {
    const auto span = static_cast<int32_t>(last - first);
    const auto draw = [&](TBitmap& picture, TColor fill, TColor ink) {
      TCanvas& c = picture.GetCanvas();
      c.GetBrush().SetColor(fill);
      c.FillRect({0, 0, span, h});
      c.GetBrush().SetStyle(TBrushStyle::bsClear);
      TFont font = GetFont();
      font.SetColor(ink);
      for (const TMolFormPiece& p : layout.Pieces) {
        font.SetSize(p.Size);
        c.SetFont(font);
        c.TextOut(static_cast<int32_t>(p.X - first), p.Y, p.Text);
      }
    };
    const auto x = static_cast<int32_t>(offset + first);
    TBitmap text(span, h);
    draw(text, background, FColorTxt);
    if (FTransparent) {
      TBitmap mask(span, h);
      draw(mask, clWhite, clBlack);
      canvas.SetCopyMode(TCopyMode::cmSrcAnd);
      canvas.Draw(x, 0, mask);
      canvas.SetCopyMode(TCopyMode::cmSrcPaint);
    }
    canvas.Draw(x, 0, text);
  }
  canvas.SetCopyMode(TCopyMode::cmSrcCopy);
}

}  // namespace zel
