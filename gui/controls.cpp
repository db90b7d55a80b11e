#include "gui/zel_controls.hpp"

#include <algorithm>
#include <limits>

namespace zel {

namespace {

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool Inside(const TRect& R, TPoint P) {
  return P.x >= R.Left && P.x < R.Right && P.y >= R.Top && P.y < R.Bottom;
}

// Puts back the clip rectangle (as the caller set it, not cut to the
// bitmap), origin and copy mode of a canvas that composes pictures.
class TComposeGuard {
 public:
  explicit TComposeGuard(TCanvas& Canvas)
      : FCanvas(Canvas),
        FHadClip(Canvas.HasClipRect()),
        FClip(Canvas.GetRequestedClipRect()),
        FOrigin(Canvas.GetOrigin()),
        FMode(Canvas.GetCopyMode()) {}
  ~TComposeGuard() {
    FCanvas.SetOrigin(FOrigin);
    FCanvas.SetCopyMode(FMode);
    if (FHadClip)
      FCanvas.SetClipRect(FClip);
    else
      FCanvas.ClearClipRect();
  }
  TComposeGuard(const TComposeGuard&) = delete;
  TComposeGuard& operator=(const TComposeGuard&) = delete;

 private:
  TCanvas& FCanvas;
  bool FHadClip;
  TRect FClip;
  TPoint FOrigin;
  TCopyMode FMode;
};

}  // namespace

// ---------------------------------------------------------------------------
// TControl
// ---------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TRect TControl::GetBoundsRect() const {
  return {FLeft, FTop, Clamp32(int64_t{FLeft} + FWidth), Clamp32(int64_t{FTop} + FHeight)};
}

TControl::~TControl() {
  FComponentState.Include(TComponentStateItem::csDestroying);
  if (FParent != nullptr) FParent->RemoveControl(this);
  Screen().ControlDestroyed(this);
}

void TControl::SetParent(TWinControl* Value) {
  if (Value == FParent) return;
  if (Value != nullptr) {
    const auto* self = dynamic_cast<const TWinControl*>(this);
    if (static_cast<TControl*>(Value) == this || (self != nullptr && self->ContainsControl(Value)))
      throw EZELError("Control '" + GetName() + "' cannot be its own parent");
    if (!Value->GetControlStyle().Contains(TControlStyleItem::csAcceptsControls))
      throw EZELError("Control '" + Value->GetName() + "' does not accept controls");
  }
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (Value != nullptr) Value->InsertControl(this);
  if (FParentFont && FParent != nullptr) ParentFontChanged(FParent->FFont);
}

void TControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth != FWidth || AHeight != FHeight) {
    int32_t w = AWidth, h = AHeight;
    if (CanResize(w, h)) {
      AWidth = std::max(w, 0);
      AHeight = std::max(h, 0);
    } else {
      AWidth = FWidth;
      AHeight = FHeight;
    }
  }
  const bool sized = AWidth != FWidth || AHeight != FHeight;
  if (!sized && ALeft == FLeft && ATop == FTop) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  if (sized) Resize();
  if (FAlign != TAlign::alNone && FParent != nullptr) FParent->Realign();
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FParent != nullptr) FParent->Realign();
}

TPoint TControl::GetClientOrigin() const {
  int64_t x = 0, y = 0;
  for (const TControl* c = this; c->FParent != nullptr; c = c->FParent) {
    x += c->FLeft;
    y += c->FTop;
  }
  return {Clamp32(x), Clamp32(y)};
}

TPoint TControl::ClientToScreen(TPoint P) const {
  const TPoint o = GetClientOrigin();
  return {Clamp32(int64_t{P.x} + o.x), Clamp32(int64_t{P.y} + o.y)};
}

TPoint TControl::ScreenToClient(TPoint P) const {
  const TPoint o = GetClientOrigin();
  return {Clamp32(int64_t{P.x} - o.x), Clamp32(int64_t{P.y} - o.y)};
}

TControl* TControl::GetTopControl() {
  TControl* c = this;
  while (c->FParent != nullptr) c = c->FParent;
  return c;
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Invalidate();
  if (FParent != nullptr) {
    if (FAlign != TAlign::alNone) FParent->Realign();
    FParent->NotifyHost();
  }
}

bool TControl::IsShowing() const {
  for (const TControl* c = this; c != nullptr; c = c->FParent)
    if (!c->FVisible) return false;
  return true;
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Invalidate();
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Invalidate();
}

void TControl::SetFont(const TFont& Value) {
  FParentFont = false;
  FFont = Value;
  FontChanged();
  PropagateFont();
}

void TControl::ParentFontChanged(const TFont& Value) {
  if (!FParentFont) return;
  FFont = Value;
  FontChanged();
  PropagateFont();
}

void TControl::PropagateFont() {
  auto* w = dynamic_cast<TWinControl*>(this);
  if (w == nullptr) return;
  // A handler run on the way may change the children.
  for (TControl* c : std::vector<TControl*>(w->FControls))
    if (std::find(w->FControls.begin(), w->FControls.end(), c) != w->FControls.end())
      c->ParentFontChanged(FFont);
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value && FParent != nullptr) ParentFontChanged(FParent->FFont);
}

void TControl::EnsureSurface() {
  if (FSurface.GetWidth() != FWidth || FSurface.GetHeight() != FHeight)
    FSurface.SetSize(FWidth, FHeight);
}

TCanvas& TControl::GetCanvas() {
  EnsureSurface();
  return FSurface.GetCanvas();
}

void TControl::NotifyHost() {
  if (FComponentState.Contains(TComponentStateItem::csDestroying)) return;
  TControl* top = GetTopControl();
  // A handler that invalidates again must not recurse into itself.
  static bool notifying = false;
  if (notifying) return;
  notifying = true;
  try {
    for (TControlHost* h : std::vector<TControlHost*>(Screen().FHosts))
      if (h->FRoot.Get() == top && h->OnChange) h->OnChange();
  } catch (...) {
    notifying = false;
    throw;
  }
  notifying = false;
}

void TControl::Invalidate() {
  FNeedsPaint = true;
  NotifyHost();
}

void TControl::Update() {
  if (FNeedsPaint) PaintNow();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SurfaceChanged() { NotifyHost(); }

void TControl::PaintNow() {
  EnsureSurface();
  if (FPainting) return;
  FPainting = true;
  FNeedsPaint = false;
  try {
    Paint();
  } catch (...) {
    FPainting = false;
    throw;
  }
  FPainting = false;
}

void TControl::FillFromParent() {
  if (FParent == nullptr) return;
  FParent->Update();
  TCanvas& c = GetCanvas();
  TComposeGuard guard(c);
  c.ClearClipRect();
  c.SetOrigin({0, 0});
  c.SetCopyMode(TCopyMode::cmSrcCopy);
  c.Draw(WrapNeg(FLeft), WrapNeg(FTop), FParent->FSurface);
}

void TControl::PaintTo(TCanvas& Canvas, int32_t X, int32_t Y) {
  if (!FVisible) return;
  if (FNeedsPaint) PaintNow();
  TComposeGuard guard(Canvas);
  // The control's rectangle, cut to the clip rectangle in force (the
  // parent's, when called for a child).
  TRect r{X, Y, Clamp32(int64_t{X} + FWidth), Clamp32(int64_t{Y} + FHeight)};
  if (Canvas.HasClipRect()) {
    const TRect c = Canvas.GetClipRect();
    r = {std::max(r.Left, c.Left), std::max(r.Top, c.Top), std::min(r.Right, c.Right),
         std::min(r.Bottom, c.Bottom)};
  }
  if (r.Left >= r.Right || r.Top >= r.Bottom) return;
  Canvas.SetClipRect(r);
  Canvas.SetCopyMode(TCopyMode::cmSrcCopy);
  Canvas.Draw(X, Y, FSurface);
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    // A child's PaintTo may paint a graphic child, which reads our surface.
    const std::vector<TControl*> children = w->FControls;
    TControlWatch self(this);
    for (TControl* c : children) {
      if (self.Get() == nullptr) break;
      if (std::find(w->FControls.begin(), w->FControls.end(), c) == w->FControls.end()) continue;
      c->PaintTo(Canvas, Clamp32(int64_t{X} + c->FLeft), Clamp32(int64_t{Y} + c->FTop));
    }
  }
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::MouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0 && OnMouseWheelDown)
      OnMouseWheelDown(this, Shift, MousePos, handled);
    else if (WheelDelta > 0 && OnMouseWheelUp)
      OnMouseWheelUp(this, Shift, MousePos, handled);
  }
  return handled;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TControl::GetMouseCapture() const { return Screen().GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value)
    Screen().SetCaptureControl(this);
  else if (GetMouseCapture())
    Screen().SetCaptureControl(nullptr);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::CanResize(int32_t& NewWidth, int32_t& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

// ---------------------------------------------------------------------------
// TGraphicControl
// ---------------------------------------------------------------------------

void TGraphicControl::PaintNow() {
  FillFromParent();
  TControl::PaintNow();
}

// ---------------------------------------------------------------------------
// TWinControl
// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  SetControlStyle(GetControlStyle() | TControlStyleItem::csAcceptsControls);
}

TWinControl::~TWinControl() {
  SetComponentState(GetComponentState() | TComponentStateItem::csDestroying);
  // Children are freed by their owners; here they only leave.
  for (TControl* c : FControls) c->FParent = nullptr;
  FControls.clear();
}

TControl* TWinControl::GetControl(int32_t Index) const {
  if (Index < 0 || Index >= GetControlCount()) return nullptr;
  return FControls[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c != nullptr; c = c->GetParent())
    if (c->GetParent() == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool Deep) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!c->GetVisible() || (!AllowDisabled && !c->GetEnabled())) continue;
    // In 64 bits: a control reaching past INT32_MAX still holds its last pixels.
    if (P.x < c->GetLeft() || int64_t{P.x} >= int64_t{c->GetLeft()} + c->GetWidth() ||
        P.y < c->GetTop() || int64_t{P.y} >= int64_t{c->GetTop()} + c->GetHeight())
      continue;
    if (Deep) {
      if (auto* w = dynamic_cast<TWinControl*>(c)) {
        TControl* inner = w->ControlAtPos(
            {Clamp32(int64_t{P.x} - c->GetLeft()), Clamp32(int64_t{P.y} - c->GetTop())},
            AllowDisabled, true);
        if (inner != nullptr) return inner;
      }
    }
    return c;
  }
  return nullptr;
}

void TWinControl::BringToFront(TControl* Child) {
  auto it = std::find(FControls.begin(), FControls.end(), Child);
  if (it == FControls.end()) return;
  FControls.erase(it);
  FControls.push_back(Child);
  Realign();
  Invalidate();
}

void TWinControl::SendToBack(TControl* Child) {
  auto it = std::find(FControls.begin(), FControls.end(), Child);
  if (it == FControls.end()) return;
  FControls.erase(it);
  FControls.insert(FControls.begin(), Child);
  Realign();
  Invalidate();
}

void TWinControl::InsertControl(TControl* Child) {
  Child->FParent = this;
  FControls.push_back(Child);
  if (Child->GetAlign() != TAlign::alNone) Realign();
  Child->Invalidate();
}

void TWinControl::RemoveControl(TControl* Child) {
  auto it = std::find(FControls.begin(), FControls.end(), Child);
  if (it == FControls.end()) return;
  FControls.erase(it);
  Child->FParent = nullptr;
  if (GetComponentState().Contains(TComponentStateItem::csDestroying)) return;
  if (Child->GetAlign() != TAlign::alNone) Realign();
  Invalidate();
}

void TWinControl::Realign() {
  if (FAligning || GetComponentState().Contains(TComponentStateItem::csDestroying)) return;
  FAligning = true;
  try {
    const TRect a = GetAlignRect();
    int64_t l = a.Left, t = a.Top, r = std::max(a.Right, a.Left), b = std::max(a.Bottom, a.Top);
    static constexpr TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft,
                                       TAlign::alRight, TAlign::alClient};
    for (TAlign al : order) {
      for (TControl* c : std::vector<TControl*>(FControls)) {
        // A handler run by an earlier placement may have removed or freed c.
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        if (c->GetAlign() != al || !c->GetVisible()) continue;
        const int64_t w = c->GetWidth(), h = c->GetHeight();
        // A child keeps its own height (or width) even where the area left is
        // smaller; only the area left never drops below zero.
        switch (al) {
          case TAlign::alTop:
            c->SetBounds(Clamp32(l), Clamp32(t), Clamp32(r - l), Clamp32(h));
            t += std::min<int64_t>(c->GetHeight(), b - t);
            break;
          case TAlign::alBottom:
            c->SetBounds(Clamp32(l), Clamp32(b - h), Clamp32(r - l), Clamp32(h));
            b -= std::min<int64_t>(c->GetHeight(), b - t);
            break;
          case TAlign::alLeft:
            c->SetBounds(Clamp32(l), Clamp32(t), Clamp32(w), Clamp32(b - t));
            l += std::min<int64_t>(c->GetWidth(), r - l);
            break;
          case TAlign::alRight:
            c->SetBounds(Clamp32(r - w), Clamp32(t), Clamp32(w), Clamp32(b - t));
            r -= std::min<int64_t>(c->GetWidth(), r - l);
            break;
          default: c->SetBounds(Clamp32(l), Clamp32(t), Clamp32(r - l), Clamp32(b - t)); break;
        }
      }
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::Paint() {
  TCanvas& c = GetCanvas();
  TCanvasStateSaver saver(c);
  c.GetBrush().SetColor(GetColor());
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.FillRect(GetClientRect());
}

void TWinControl::Resize() {
  Realign();
  TControl::Resize();
}

void TWinControl::PaintNow() {
  TControl::PaintNow();
  // Windowless children draw on the picture just replaced.
  for (TControl* c : FControls)
    if (dynamic_cast<TGraphicControl*>(c) != nullptr) c->FNeedsPaint = true;
}

// ---------------------------------------------------------------------------
// TControlWatch, TScreen, TApplication
// ---------------------------------------------------------------------------

TControlWatch::TControlWatch(TControl* Control) : FControl(Control) {
  Screen().FWatches.push_back(this);
}

TControlWatch::~TControlWatch() {
  auto& w = Screen().FWatches;
  auto it = std::find(w.rbegin(), w.rend(), this);
  if (it != w.rend()) w.erase(std::next(it).base());
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

const TCursorImage* TScreen::GetCursors(TCursor Index) const {
  auto it = FCursors.find(Index);
  return it == FCursors.end() ? nullptr : &it->second;
}

void TScreen::SetCursors(TCursor Index, const TCursorImage& Image) { FCursors[Index] = Image; }

void TScreen::RemoveCursor(TCursor Index) { FCursors.erase(Index); }

std::vector<TCursor> TScreen::GetCursorIds() const {
  std::vector<TCursor> ids;
  for (const auto& [id, image] : FCursors) ids.push_back(id);
  return ids;
}

void TScreen::ControlDestroyed(TControl* Control) {
  if (FCapture == Control) FCapture = nullptr;
  for (TControlWatch* w : FWatches)
    if (w->FControl == Control) w->FControl = nullptr;
}

TApplication& Application() {
  static TApplication app;
  return app;
}

void TApplication::PostMessage(std::function<void()> Message, const void* Tag) {
  FQueue.push_back({std::move(Message), Tag});
}

void TApplication::CancelMessages(const void* Tag) {
  std::erase_if(FQueue, [Tag](const TMessage& m) { return m.Tag == Tag; });
}

void TApplication::ProcessMessages() {
  // Only what was queued before: a message that posts another must not keep
  // this call running for ever.
  for (size_t n = FQueue.size(); n > 0 && !FQueue.empty(); --n) {
    TMessage m = std::move(FQueue.front());
    FQueue.pop_front();
    m.Run();
  }
  if (OnProcessMessages) OnProcessMessages();
}

bool TApplication::ProcessMessagesUntil(const std::function<bool()>& Done) {
  while (!Done()) {
    if (FQueue.empty() && !OnProcessMessages) return Done();
    ProcessMessages();
  }
  return true;
}

// ---------------------------------------------------------------------------
// TControlHost
// ---------------------------------------------------------------------------

TControlHost::TControlHost(TControl* Root) : FRoot(Root), FClicked(nullptr) {
  Screen().FHosts.push_back(this);
}

TControlHost::~TControlHost() {
  Application().CancelMessages(this);
  std::erase(Screen().FHosts, this);
  TControl* cap = Screen().GetCaptureControl();
  TControl* root = FRoot.Get();
  if (cap != nullptr && root != nullptr &&
      (cap == root ||
       (dynamic_cast<TWinControl*>(root) && static_cast<TWinControl*>(root)->ContainsControl(cap))))
    Screen().SetCaptureControl(nullptr);
}

TControl* TControlHost::Target(int32_t X, int32_t Y) const {
  TControl* root = FRoot.Get();
  if (root == nullptr) return nullptr;
  auto* wroot = dynamic_cast<TWinControl*>(root);
  if (TControl* cap = Screen().GetCaptureControl();
      cap != nullptr && (cap == root || (wroot != nullptr && wroot->ContainsControl(cap))))
    return cap;
  if (!root->GetVisible() || !root->GetEnabled() || !Inside(root->GetClientRect(), {X, Y}))
    return nullptr;
  TControl* c = wroot != nullptr ? wroot->ControlAtPos({X, Y}, false, true) : nullptr;
  return c != nullptr ? c : root;
}

TPoint TControlHost::Local(const TControl* C, int32_t X, int32_t Y) const {
  const TPoint o = C->GetClientOrigin();
  const TPoint r = FRoot.Get() != nullptr ? FRoot.Get()->GetClientOrigin() : TPoint{};
  return {Clamp32(int64_t{X} - o.x + r.x), Clamp32(int64_t{Y} - o.y + r.y)};
}

void TControlHost::SendMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControl* t = Target(X, Y);
  if (t == nullptr) return;
  FHeld.Include(ButtonShift(Button));
  if (t->GetControlStyle().Contains(TControlStyleItem::csCaptureMouse))
    Screen().SetCaptureControl(t);
  if (Button == TMouseButton::mbLeft)
    FClicked.Set(t->GetControlStyle().Contains(TControlStyleItem::csClickEvents) ? t : nullptr);
  const TPoint p = Local(t, X, Y);
  t->MouseDown(Button, Shift | FHeld, p.x, p.y);
}

void TControlHost::SendDblClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControl* t = Target(X, Y);
  if (t == nullptr) return;
  if (!t->GetControlStyle().Contains(TControlStyleItem::csDoubleClicks)) {
    SendMouseDown(Button, Shift, X, Y);
    return;
  }
  FHeld.Include(ButtonShift(Button));
  if (t->GetControlStyle().Contains(TControlStyleItem::csCaptureMouse))
    Screen().SetCaptureControl(t);
  if (Button == TMouseButton::mbLeft) FClicked.Set(nullptr);
  const TPoint p = Local(t, X, Y);
  TControlWatch w(t);
  if (Button == TMouseButton::mbLeft &&
      t->GetControlStyle().Contains(TControlStyleItem::csClickEvents))
    t->DblClick();
  if (w.Get() != nullptr)
    w.Get()->MouseDown(Button, Shift | FHeld | TShiftStateItem::ssDouble, p.x, p.y);
}

void TControlHost::SendMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TControl* t = Target(X, Y);
  if (t == nullptr) return;
  const TPoint p = Local(t, X, Y);
  t->MouseMove(Shift | FHeld, p.x, p.y);
}

void TControlHost::SendMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControl* t = Target(X, Y);
  FHeld.Exclude(ButtonShift(Button));
  TControlWatch w(t);
  TControl* clicked = Button == TMouseButton::mbLeft ? FClicked.Get() : nullptr;
  if (Button == TMouseButton::mbLeft) FClicked.Set(nullptr);
  // The capture ends before the control hears of the release, so that it
  // may capture the mouse again (an open drop-down list).
  if (FHeld.Empty() && t != nullptr && Screen().GetCaptureControl() == t)
    Screen().SetCaptureControl(nullptr);
  if (t == nullptr) return;
  const TPoint p = Local(t, X, Y);
  if (clicked == t && Inside(t->GetClientRect(), p)) t->Click();
  if (w.Get() != nullptr) w.Get()->MouseUp(Button, Shift | FHeld, p.x, p.y);
}

void TControlHost::SendMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) {
  TControlWatch w(Target(X, Y));
  while (w.Get() != nullptr) {
    TControl* t = w.Get();
    if (t->MouseWheel(Shift | FHeld, WheelDelta, Local(t, X, Y))) return;
    if (w.Get() == nullptr || w.Get() == FRoot.Get()) return;
    w.Set(w.Get()->GetParent());
  }
}

void TControlHost::SendClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  SendMouseDown(Button, Shift, X, Y);
  SendMouseUp(Button, Shift, X, Y);
}

void TControlHost::PostMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Application().PostMessage([=, this] { SendMouseDown(Button, Shift, X, Y); }, this);
}

void TControlHost::PostMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  Application().PostMessage([=, this] { SendMouseMove(Shift, X, Y); }, this);
}

void TControlHost::PostMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Application().PostMessage([=, this] { SendMouseUp(Button, Shift, X, Y); }, this);
}

void TControlHost::PostDblClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Application().PostMessage([=, this] { SendDblClick(Button, Shift, X, Y); }, this);
}

void TControlHost::PostMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) {
  Application().PostMessage([=, this] { SendMouseWheel(Shift, WheelDelta, X, Y); }, this);
}

void TControlHost::Resize(int32_t Width, int32_t Height) {
  if (TControl* r = FRoot.Get()) r->SetBounds(r->GetLeft(), r->GetTop(), Width, Height);
}

TBitmap TControlHost::Snapshot() {
  TControl* r = FRoot.Get();
  if (r == nullptr) return TBitmap();
  TBitmap bmp(r->GetWidth(), r->GetHeight(), TPixelFormat::pf24bit);
  r->PaintTo(bmp.GetCanvas(), 0, 0);
  return bmp;
}

TCursor TControlHost::CursorAt(int32_t X, int32_t Y) const {
  if (Screen().GetCursor() != crDefault) return Screen().GetCursor();
  const TControl* t = Target(X, Y);
  while (t != nullptr && t->GetCursor() == crDefault && t != FRoot.Get()) t = t->GetParent();
  return t != nullptr ? t->GetCursor() : crDefault;
}

}  // namespace zel
