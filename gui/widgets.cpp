// TPanel, TSpeedButton and TComboBox.
#include <algorithm>

#include "gui/zel_controls.hpp"

namespace zel {

namespace {

// One ring just inside R: top row and left column in TopLeft (up to the
// other two corners), bottom row and right column in BottomRight.
void Ring(TCanvas& C, const TRect& R, TColor TopLeft, TColor BottomRight) {
  if (R.Left >= R.Right || R.Top >= R.Bottom) return;
  C.GetBrush().SetStyle(TBrushStyle::bsSolid);
  C.GetBrush().SetColor(TopLeft);
  C.FillRect({R.Left, R.Top, R.Right - 1, R.Top + 1});
  C.FillRect({R.Left, R.Top, R.Left + 1, R.Bottom - 1});
  C.GetBrush().SetColor(BottomRight);
  C.FillRect({R.Left, R.Bottom - 1, R.Right, R.Bottom});
  C.FillRect({R.Right - 1, R.Top, R.Right, R.Bottom});
}

// R shrunk by N on every side. An inset beyond R's larger side changes
// nothing more than one of that side (R is empty or reversed either way),
// so N is capped there and the sums stay inside 32 bits.
TRect Inset(const TRect& R, int64_t N) {
  const int64_t cap = std::max<int64_t>({int64_t{R.Right} - R.Left, int64_t{R.Bottom} - R.Top, 0});
  const auto n = static_cast<int32_t>(std::min(N, cap));
  return {R.Left + n, R.Top + n, R.Right - n, R.Bottom - n};
}

}  // namespace

// ---------------------------------------------------------------------------
// TPanel
// ---------------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetCaption(const std::string& Value) {
  FCaption = Value;
  Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel Value) {
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int32_t Value) {
  FBevelWidth = std::max(Value, 1);
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int32_t Value) {
  FBorderWidth = std::max(Value, 0);
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

TRect TPanel::GetAlignRect() const {
  int64_t n = FBorderWidth;
  if (FBevelOuter != TPanelBevel::bvNone) n += FBevelWidth;
  if (FBevelInner != TPanelBevel::bvNone) n += FBevelWidth;
  return Inset(GetClientRect(), n);
}

void TPanel::Paint() {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver saver(c);
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.GetBrush().SetColor(GetColor());
  c.FillRect(GetClientRect());
  TRect r = GetClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == TPanelBevel::bvNone) return;
    const TColor hi = b == TPanelBevel::bvRaised    ? clBtnHighlight
                      : b == TPanelBevel::bvLowered ? clBtnShadow
                                                    : GetColor();
    const TColor lo = b == TPanelBevel::bvRaised    ? clBtnShadow
                      : b == TPanelBevel::bvLowered ? clBtnHighlight
                                                    : GetColor();
    // Rings past the middle of the panel would draw nothing.
    for (int32_t i = 0; i < FBevelWidth && r.Left < r.Right && r.Top < r.Bottom; ++i) {
      Ring(c, r, hi, lo);
      r = Inset(r, 1);
    }
  };
  bevel(FBevelOuter);
  r = Inset(r, FBorderWidth);
  bevel(FBevelInner);
  if (FCaption.empty() || r.Left >= r.Right || r.Top >= r.Bottom) return;
  c.SetFont(GetFont());
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  const TSize e = c.TextExtent(FCaption);
  int32_t x = r.Left;
  if (FAlignment == TAlignment::taCenter)
    x = r.Left + (r.Right - r.Left - e.cx) / 2;
  else if (FAlignment == TAlignment::taRightJustify)
    x = r.Right - e.cx;
  c.SetClipRect(r);
  c.TextOut(x, r.Top + (r.Bottom - r.Top - e.cy) / 2, FCaption);
  c.ClearClipRect();
}

// ---------------------------------------------------------------------------
// TSpeedButton
// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  // The button decides about its clicks itself (on release over it).
  SetControlStyle({TControlStyleItem::csCaptureMouse, TControlStyleItem::csDoubleClicks});
}

void TSpeedButton::SetGroupIndex(int32_t Value) {
  Value = std::max(Value, 0);
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FGroupIndex == 0) FDown = false;
  UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || GetParent() == nullptr) return;
  TWinControl* p = GetParent();
  for (int32_t i = 0; i < p->GetControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(p->GetControl(i));
    if (b == nullptr || b == this || b->FGroupIndex != FGroupIndex) continue;
    if (FDown && b->FDown) {
      b->FDown = false;
      b->Invalidate();
    }
    b->FAllowAllUp = FAllowAllUp;
  }
}

void TSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& Value) {
  FGlyph.Assign(Value);
  Invalidate();
}

void TSpeedButton::SetCaption(const std::string& Value) {
  FCaption = Value;
  Invalidate();
}

void TSpeedButton::SetEnabled(bool Value) {
  TGraphicControl::SetEnabled(Value);
  if (!Value) FDragging = FPressed = false;
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft || !GetEnabled()) return;
  FDragging = true;
  FPressed = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const bool over = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (over != FPressed) {
    FPressed = over;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft || !FDragging) return;
  FDragging = false;
  FPressed = false;
  const bool click = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (click && FGroupIndex != 0) SetDown(!FDown);
  Invalidate();
  if (click) Click();
}

void TSpeedButton::Paint() {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver saver(c);
  const int32_t w = GetWidth(), h = GetHeight();
  const bool sunk = FPressed || FDown;
  if (!FFlat || sunk) {
    c.GetBrush().SetStyle(TBrushStyle::bsSolid);
    c.GetBrush().SetColor(FDown && !FPressed ? clBtnHighlight : GetColor());
    c.FillRect(GetClientRect());
    DrawFrame(c, sunk ? TFrameStyle::fsLowered : TFrameStyle::fsRaised, {0, 0, w - 1, h - 1},
              cl3DDkShadow, clBtnShadow, cl3DLight, clBtnHighlight);
  }
  const int32_t gw = FGlyph.GetWidth(), gh = FGlyph.GetHeight();
  int32_t tw = 0, th = 0;
  if (!FCaption.empty()) {
    c.SetFont(GetFont());
    const TSize e = c.TextExtent(FCaption);
    tw = e.cx;
    th = e.cy;
  }
  const int32_t gap = gw > 0 && tw > 0 ? 4 : 0;
  const int32_t shift = sunk ? 1 : 0;
  int32_t x = (w - (gw + gap + tw)) / 2 + shift;
  if (gw > 0 && gh > 0) {
    const TColor key = FGlyph.GetPixel(0, gh - 1);
    const int32_t y = (h - gh) / 2 + shift;
    if (GetEnabled()) {
      c.DrawTransparent(x, y, FGlyph, key);
    } else {
      TBitmap grey(FGlyph);
      for (int32_t gy = 0; gy < gh; ++gy)
        for (int32_t gx = 0; gx < gw; ++gx)
          if (grey.GetPixel(gx, gy) != key) grey.SetPixel(gx, gy, clBtnShadow);
      c.DrawTransparent(x, y, grey, key);
    }
    x += gw + gap;
  }
  if (tw > 0) {
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    TFont f = GetFont();
    if (!GetEnabled()) f.SetColor(clGrayText);
    c.SetFont(f);
    c.TextOut(x, (h - th) / 2 + shift, FCaption);
  }
}

// ---------------------------------------------------------------------------
// TComboBox
// ---------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 145, 23);
  SetColor(clWindow);
  SetControlStyle({TControlStyleItem::csCaptureMouse, TControlStyleItem::csDoubleClicks});
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  Invalidate();
}

void TComboBox::SetItems(const std::vector<std::string>& Value) {
  FItems = Value;
  FItemIndex = -1;
  Invalidate();
}

std::string TComboBox::GetItem(int32_t Index) const {
  if (Index < 0 || Index >= GetItemCount()) return {};
  return FItems[static_cast<size_t>(Index)];
}

int32_t TComboBox::AddItem(const std::string& Value) {
  FItems.push_back(Value);
  Invalidate();
  return GetItemCount() - 1;
}

void TComboBox::DeleteItem(int32_t Index) {
  if (Index < 0 || Index >= GetItemCount()) return;
  FItems.erase(FItems.begin() + Index);
  if (Index == FItemIndex)
    FItemIndex = -1;
  else if (Index < FItemIndex)
    --FItemIndex;
  Invalidate();
}

void TComboBox::ClearItems() {
  FItems.clear();
  FItemIndex = -1;
  Invalidate();
}

void TComboBox::SetItemIndex(int32_t Value) {
  if (Value < -1 || Value >= GetItemCount()) Value = -1;
  FItemIndex = Value;
  if (Value >= 0) FText = FItems[static_cast<size_t>(Value)];
  Invalidate();
}

std::string TComboBox::GetText() const {
  return FStyle == TComboBoxStyle::csDropDownList ? GetItem(FItemIndex) : FText;
}

void TComboBox::SetText(const std::string& Value) {
  if (FStyle == TComboBoxStyle::csDropDownList) {
    auto it = std::find(FItems.begin(), FItems.end(), Value);
    FItemIndex = it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
  } else {
    FText = Value;
  }
  Invalidate();
}

void TComboBox::UserSelect(int32_t Index) {
  if (Index < 0 || Index >= GetItemCount()) return;
  SetDroppedDown(false);
  SetItemIndex(Index);
  TControlWatch self(this);
  if (OnChange) OnChange(this);
  if (self.Get() != nullptr) Click();
}

void TComboBox::SetDroppedDown(bool Value) {
  if (Value == FDroppedDown) return;
  FDroppedDown = Value;
  if (!Value) SetMouseCapture(false);
  Invalidate();
  if (Value && OnDropDown) OnDropDown(this);
  if (!Value && OnCloseUp) OnCloseUp(this);
}

int32_t TComboBox::RowHeight() const { return FontGetMetrics(GetFont()).Height + 2; }

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TWinControl::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft || !GetEnabled()) return;
  if (!FDroppedDown) {
    if (X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight()) SetDroppedDown(true);
    return;
  }
  // The open list lies below the box, one row per item.
  const int32_t rh = RowHeight();
  const int64_t below = int64_t{Y} - GetHeight();
  if (X >= 0 && X < GetWidth() && below >= 0 && rh > 0 && below / rh < GetItemCount())
    UserSelect(static_cast<int32_t>(below / rh));
  else
    SetDroppedDown(false);
}

void TComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TWinControl::MouseUp(Button, Shift, X, Y);
  if (FDroppedDown) SetMouseCapture(true);
}

void TComboBox::Paint() {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver saver(c);
  const int32_t w = GetWidth(), h = GetHeight();
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.GetBrush().SetColor(GetColor());
  c.FillRect(GetClientRect());
  DrawFrame(c, TFrameStyle::fsLowered, {0, 0, w - 1, h - 1}, cl3DDkShadow, clBtnShadow, cl3DLight,
            clBtnHighlight);
  const int32_t bw = std::max(h - 4, 0);
  const TRect button{w - 2 - bw, 2, w - 2, h - 2};
  if (bw > 0) {
    c.GetBrush().SetColor(clBtnFace);
    c.FillRect(button);
    DrawFrame(c, FDroppedDown ? TFrameStyle::fsLowered : TFrameStyle::fsRaised,
              {button.Left, button.Top, button.Right - 1, button.Bottom - 1}, cl3DDkShadow,
              clBtnShadow, cl3DLight, clBtnHighlight);
    const int32_t cx = (button.Left + button.Right) / 2, cy = (button.Top + button.Bottom) / 2;
    c.GetPen().SetColor(GetEnabled() ? clBtnText : clGrayText);
    c.GetPen().SetStyle(TPenStyle::psSolid);
    c.GetPen().SetMode(TPenMode::pmCopy);
    c.GetPen().SetWidth(1);
    for (int32_t i = 0; i < 4; ++i) c.Line(cx - 3 + i, cy - 1 + i, cx + 4 - i, cy - 1 + i);
  }
  const std::string text = GetText();
  if (text.empty()) return;
  TFont f = GetFont();
  if (!GetEnabled()) f.SetColor(clGrayText);
  c.SetFont(f);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.SetClipRect({2, 2, button.Left - 1, h - 2});
  c.TextOut(4, (h - c.TextHeight(text)) / 2, text);
  c.ClearClipRect();
}

}  // namespace zel
