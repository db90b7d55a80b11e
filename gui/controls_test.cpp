#include "gui/zel_controls.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zel {
namespace {

using Log = std::vector<std::string>;

std::string Xy(int32_t X, int32_t Y) { return std::to_string(X) + "," + std::to_string(Y); }

// A graphic control that logs its mouse calls and paints one green pixel
// at (0, 0), leaving the rest of its surface as the parent's picture.
class TProbe : public TGraphicControl {
 public:
  TProbe(TComponent* AOwner, Log* L, const std::string& Tag) : TGraphicControl(AOwner), FLog(L) {
    SetName(Tag);
  }
  ~TProbe() override {
    if (FLog != nullptr) FLog->push_back(GetName() + " freed");
  }
  void MouseDown(TMouseButton B, TShiftState S, int32_t X, int32_t Y) override {
    FLog->push_back(GetName() + " down " + Xy(X, Y) +
                    (S.Contains(TShiftStateItem::ssDouble) ? " double" : "") +
                    (S.Contains(TShiftStateItem::ssLeft) ? " L" : "") +
                    (B == TMouseButton::mbRight ? " right" : ""));
    TGraphicControl::MouseDown(B, S, X, Y);
  }
  void MouseMove(TShiftState S, int32_t X, int32_t Y) override {
    FLog->push_back(GetName() + " move " + Xy(X, Y));
    TGraphicControl::MouseMove(S, X, Y);
  }
  void MouseUp(TMouseButton B, TShiftState S, int32_t X, int32_t Y) override {
    FLog->push_back(GetName() + " up " + Xy(X, Y));
    TGraphicControl::MouseUp(B, S, X, Y);
  }
  void Click() override {
    FLog->push_back(GetName() + " click");
    TGraphicControl::Click();
  }
  void DblClick() override {
    FLog->push_back(GetName() + " dblclick");
    TGraphicControl::DblClick();
  }
  int32_t Paints = 0;
  Log* FLog;

 protected:
  void Paint() override {
    ++Paints;
    GetCanvas().SetPixels(0, 0, clLime);
  }
};

// A plain container of one colour.
struct TBounds {
  int32_t L, T, W, H;
};

TPanel* Box(TComponent* Owner, TWinControl* Parent, TBounds B, TColor Color,
            const std::string& Name = "") {
  auto* p = new TPanel(Owner);
  p->SetName(Name);
  p->SetBevelOuter(TPanelBevel::bvNone);
  p->SetColor(Color);
  p->SetBounds(B.L, B.T, B.W, B.H);
  if (Parent != nullptr) p->SetParent(Parent);
  return p;
}

std::unique_ptr<TPanel> Root(int32_t W, int32_t H) {
  auto r = std::make_unique<TPanel>(nullptr);
  r->SetName("root");
  r->SetBevelOuter(TPanelBevel::bvNone);
  r->SetColor(clRed);
  r->SetBounds(0, 0, W, H);
  return r;
}

// ---------------------------------------------------------------------------
// Ownership and parents
// ---------------------------------------------------------------------------

TEST(Controls, OwnerFreesChildrenAndParentsOnlyRelease) {
  Log log;
  {
    auto root = Root(100, 100);
    auto* a = new TProbe(root.get(), &log, "a");
    a->SetParent(root.get());
    auto* inner = Box(root.get(), root.get(), {0, 0, 50, 50}, clBlue);
    auto* b = new TProbe(root.get(), &log, "b");
    b->SetParent(inner);
    EXPECT_EQ(root->GetControlCount(), 2);
    EXPECT_EQ(inner->GetControl(0), b);
    EXPECT_TRUE(root->ContainsControl(b));
    delete a;  // leaves its parent at once
    EXPECT_EQ(root->GetControlCount(), 1);
    EXPECT_EQ(log, (Log{"a freed"}));
  }
  EXPECT_EQ(log, (Log{"a freed", "b freed"}));

  // A parent that does not own its children releases them when it dies.
  log.clear();
  auto child = std::make_unique<TProbe>(nullptr, &log, "c");
  {
    auto root = Root(10, 10);
    child->SetParent(root.get());
    EXPECT_EQ(child->GetParent(), root.get());
  }
  EXPECT_EQ(child->GetParent(), nullptr);
  EXPECT_TRUE(log.empty());
}

TEST(Controls, RefusesParentCycles) {
  Log log;
  auto root = Root(10, 10);
  auto* inner = Box(root.get(), root.get(), {0, 0, 5, 5}, clBlue);
  EXPECT_THROW(root->SetParent(inner), EZELError);
  EXPECT_THROW(inner->SetParent(inner), EZELError);
  auto* probe = new TProbe(root.get(), &log, "p");
  auto* combo = new TComboBox(root.get());
  EXPECT_THROW(probe->SetParent(combo), EZELError);  // accepts no controls
  EXPECT_EQ(inner->GetParent(), root.get());
}

// ---------------------------------------------------------------------------
// Alignment
// ---------------------------------------------------------------------------

TEST(Controls, AlignsTopBottomLeftRightClientInInsertionOrder) {
  auto root = Root(200, 100);
  auto add = [&](TAlign al, int32_t w, int32_t h, const char* name) {
    auto* p = Box(root.get(), root.get(), {0, 0, w, h}, clBlue, name);
    p->SetAlign(al);
    return p;
  };
  auto* a = add(TAlign::alTop, 9, 10, "a");
  auto* b = add(TAlign::alLeft, 20, 9, "b");
  auto* c = add(TAlign::alBottom, 9, 15, "c");
  auto* d = add(TAlign::alTop, 9, 5, "d");
  auto* e = add(TAlign::alRight, 30, 9, "e");
  auto* f = add(TAlign::alClient, 9, 9, "f");
  auto* g = Box(root.get(), root.get(), {3, 4, 5, 6}, clBlue, "g");  // alNone stays
  auto is = [](TControl* x, TRect r) {
    const TRect b = x->GetBoundsRect();
    return b.Left == r.Left && b.Top == r.Top && b.Right == r.Right && b.Bottom == r.Bottom;
  };
  EXPECT_TRUE(is(a, {0, 0, 200, 10}));
  EXPECT_TRUE(is(d, {0, 10, 200, 15}));
  EXPECT_TRUE(is(c, {0, 85, 200, 100}));
  EXPECT_TRUE(is(b, {0, 15, 20, 85}));
  EXPECT_TRUE(is(e, {170, 15, 200, 85}));
  EXPECT_TRUE(is(f, {20, 15, 170, 85}));
  EXPECT_TRUE(is(g, {3, 4, 8, 10}));

  // The container's size change realigns; hiding a child frees its space.
  root->SetBounds(0, 0, 300, 120);
  EXPECT_TRUE(is(c, {0, 105, 300, 120}));
  EXPECT_TRUE(is(f, {20, 15, 270, 105}));
  d->Hide();
  EXPECT_TRUE(is(b, {0, 10, 20, 105}));
  EXPECT_TRUE(is(f, {20, 10, 270, 105}));
  // An aligned child's own height change realigns its siblings.
  a->SetHeight(30);
  EXPECT_TRUE(is(f, {20, 30, 270, 105}));
  // Too small a container: the remaining area stops at zero.
  root->SetBounds(0, 0, 40, 20);
  EXPECT_TRUE(is(a, {0, 0, 40, 30}));
  EXPECT_EQ(f->GetWidth(), 0);
  EXPECT_EQ(f->GetHeight(), 0);
  root->SetBounds(0, 0, 300, 120);
  EXPECT_TRUE(is(a, {0, 0, 300, 30}));  // kept its own height
}

TEST(Controls, PanelAlignsInsideBevelsAndBorder) {
  auto root = Root(100, 60);
  root->SetBevelOuter(TPanelBevel::bvRaised);
  root->SetBevelInner(TPanelBevel::bvLowered);
  root->SetBevelWidth(2);
  root->SetBorderWidth(1);
  auto* f = Box(root.get(), root.get(), {0, 0, 1, 1}, clBlue);
  f->SetAlign(TAlign::alClient);
  const TRect b = f->GetBoundsRect();
  EXPECT_EQ(b.Left, 5);
  EXPECT_EQ(b.Top, 5);
  EXPECT_EQ(b.Right, 95);
  EXPECT_EQ(b.Bottom, 55);
}

TEST(Controls, CanResizeMayChangeOrRefuseAndResizeFiresOnce) {
  auto root = Root(100, 60);
  int resized = 0;
  root->OnResize = [&](TObject*) { ++resized; };
  root->OnCanResize = [](TObject*, int32_t& w, int32_t& h, bool& ok) {
    if (w > 500) ok = false;
    h = std::max(h, 20);
  };
  root->SetBounds(0, 0, 150, 5);
  EXPECT_EQ(root->GetWidth(), 150);
  EXPECT_EQ(root->GetHeight(), 20);
  EXPECT_EQ(resized, 1);
  root->SetBounds(7, 8, 600, 90);  // refused size, but moves
  EXPECT_EQ(root->GetWidth(), 150);
  EXPECT_EQ(root->GetLeft(), 7);
  EXPECT_EQ(resized, 1);
  root->SetBounds(7, 8, 150, 20);  // nothing changes
  EXPECT_EQ(resized, 1);
}

// ---------------------------------------------------------------------------
// Mouse routing
// ---------------------------------------------------------------------------

TEST(ControlMouse, RoutesToTheTopmostChildUnderThePoint) {
  Log log;
  auto root = Root(200, 200);
  auto* inner = Box(root.get(), root.get(), {100, 100, 80, 80}, clBlue, "inner");
  auto* a = new TProbe(root.get(), &log, "a");
  a->SetBoundsRect({10, 10, 60, 60});
  a->SetParent(root.get());
  auto* b = new TProbe(root.get(), &log, "b");  // above a where they overlap
  b->SetBoundsRect({40, 40, 90, 90});
  b->SetParent(root.get());
  auto* c = new TProbe(root.get(), &log, "c");
  c->SetBoundsRect({5, 5, 25, 25});
  c->SetParent(inner);
  std::vector<std::string> rootLog;
  root->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t x, int32_t y) {
    rootLog.push_back(Xy(x, y));
  };
  TControlHost host(root.get());
  host.SendMouseMove({}, 15, 12);
  host.SendMouseMove({}, 45, 45);
  host.SendMouseMove({}, 110, 115);  // c, two levels down
  host.SendMouseMove({}, 300, 10);   // outside the root: dropped
  EXPECT_EQ(log, (Log{"a move 5,2", "b move 5,5", "c move 5,10"}));
  log.clear();
  // Disabled and hidden children let the events through to what is below.
  b->SetEnabled(false);
  host.SendMouseMove({}, 45, 45);
  a->Hide();
  host.SendClick(TMouseButton::mbLeft, {}, 45, 45);
  EXPECT_EQ(log, (Log{"a move 35,35"}));
  EXPECT_EQ(rootLog, (std::vector<std::string>{"45,45"}));
}

TEST(ControlMouse, CaptureKeepsRoutingToThePressedControl) {
  Log log;
  auto root = Root(200, 200);
  auto* a = new TProbe(root.get(), &log, "a");
  a->SetBoundsRect({10, 10, 30, 30});
  a->SetParent(root.get());
  auto* b = new TProbe(root.get(), &log, "b");
  b->SetBoundsRect({100, 100, 150, 150});
  b->SetParent(root.get());
  TControlHost host(root.get());
  host.SendMouseDown(TMouseButton::mbLeft, TShiftStateItem::ssCtrl, 15, 15);
  EXPECT_TRUE(a->GetMouseCapture());
  host.SendMouseMove({}, 120, 120);  // over b, but a holds the capture
  host.SendMouseMove({}, 500, -20);  // outside the root too
  host.SendMouseUp(TMouseButton::mbLeft, {}, 110, 105);
  EXPECT_FALSE(a->GetMouseCapture());
  host.SendMouseMove({}, 120, 120);
  EXPECT_EQ(log, (Log{"a down 5,5 L", "a move 110,110", "a move 490,-30", "a up 100,95",
                      "b move 20,20"}));
  EXPECT_EQ(host.GetButtonsHeld(), TShiftState{});
  // A second button keeps the capture until both are up.
  log.clear();
  host.SendMouseDown(TMouseButton::mbLeft, {}, 15, 15);
  host.SendMouseDown(TMouseButton::mbRight, {}, 120, 120);
  host.SendMouseUp(TMouseButton::mbLeft, {}, 120, 120);
  EXPECT_TRUE(a->GetMouseCapture());
  host.SendMouseUp(TMouseButton::mbRight, {}, 120, 120);
  EXPECT_FALSE(a->GetMouseCapture());
  EXPECT_EQ(log, (Log{"a down 5,5 L", "a down 110,110 L right", "a up 110,110", "a up 110,110"}));
}

TEST(ControlMouse, ClickOnReleaseInsideAndDoubleClickSequence) {
  Log log;
  auto root = Root(100, 100);
  auto* a = new TProbe(root.get(), &log, "a");
  a->SetBoundsRect({10, 10, 30, 30});
  a->SetParent(root.get());
  TControlHost host(root.get());
  host.SendMouseDown(TMouseButton::mbLeft, {}, 12, 12);
  host.SendMouseUp(TMouseButton::mbLeft, {}, 12, 12);
  host.SendDblClick(TMouseButton::mbLeft, {}, 12, 12);
  host.SendMouseUp(TMouseButton::mbLeft, {}, 12, 12);
  EXPECT_EQ(log, (Log{"a down 2,2 L", "a click", "a up 2,2", "a dblclick", "a down 2,2 double L",
                      "a up 2,2"}));
  // Released outside: no click. Right button: no click.
  log.clear();
  host.SendMouseDown(TMouseButton::mbLeft, {}, 12, 12);
  host.SendMouseUp(TMouseButton::mbLeft, {}, 50, 50);
  host.SendClick(TMouseButton::mbRight, {}, 12, 12);
  EXPECT_EQ(log, (Log{"a down 2,2 L", "a up 40,40", "a down 2,2 right", "a up 2,2"}));
}

TEST(ControlMouse, ControlFreedByItsOwnClickHandler) {
  Log log;
  auto root = Root(100, 100);
  auto* a = new TProbe(root.get(), &log, "a");
  a->SetBoundsRect({10, 10, 30, 30});
  a->SetParent(root.get());
  a->OnClick = [](TObject* s) { delete static_cast<TControl*>(s); };
  TControlHost host(root.get());
  host.SendClick(TMouseButton::mbLeft, {}, 12, 12);
  EXPECT_EQ(log, (Log{"a down 2,2 L", "a click", "a freed"}));
  EXPECT_EQ(root->GetControlCount(), 0);
  EXPECT_EQ(Screen().GetCaptureControl(), nullptr);
}

TEST(ControlMouse, WheelGoesUpTheParentsUntilHandled) {
  auto root = Root(100, 100);
  auto* inner = Box(root.get(), root.get(), {10, 10, 50, 50}, clBlue);
  std::vector<std::string> got;
  root->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint p, bool& handled) {
    got.push_back("root down " + Xy(p.x, p.y));
    handled = true;
  };
  inner->OnMouseWheel = [&](TObject*, TShiftState, int32_t d, TPoint p, bool& handled) {
    got.push_back("inner " + std::to_string(d) + " " + Xy(p.x, p.y));
    handled = d > 0;
  };
  TControlHost host(root.get());
  host.SendMouseWheel({}, 120, 20, 30);
  host.SendMouseWheel({}, -240, 20, 30);
  EXPECT_EQ(got,
            (std::vector<std::string>{"inner 120 10,20", "inner -240 10,20", "root down 20,30"}));
}

TEST(ControlMouse, PostedEventsWaitForProcessMessages) {
  Log log;
  auto root = Root(100, 100);
  auto* a = new TProbe(root.get(), &log, "a");
  a->SetParent(root.get());
  {
    TControlHost host(root.get());
    host.PostMouseMove({}, 5, 6);
    host.PostMouseMove({}, 7, 8);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Application().GetPendingCount(), 2);
    Application().ProcessMessages();
    EXPECT_EQ(log, (Log{"a move 5,6", "a move 7,8"}));
    host.PostMouseMove({}, 1, 1);
  }
  // The host is gone: its queued event went with it.
  EXPECT_EQ(Application().GetPendingCount(), 0);
  int polls = 0;
  EXPECT_FALSE(Application().ProcessMessagesUntil([&] { return ++polls > 100; }));
}

// ---------------------------------------------------------------------------
// Speed buttons and the combo box
// ---------------------------------------------------------------------------

TEST(SpeedButtons, GroupKeepsOneButtonDown) {
  auto root = Root(200, 40);
  std::vector<TSpeedButton*> btn;
  std::vector<std::string> clicks;
  for (int i = 0; i < 4; ++i) {
    auto* b = new TSpeedButton(root.get());
    b->SetName("b" + std::to_string(i));
    b->SetBounds(5 + 30 * i, 5, 25, 25);
    b->SetGroupIndex(i < 3 ? 1 : 2);
    b->SetParent(root.get());
    b->OnClick = [&clicks](TObject* s) { clicks.push_back(static_cast<TControl*>(s)->GetName()); };
    btn.push_back(b);
  }
  TControlHost host(root.get());
  auto click = [&](int i) { host.SendClick(TMouseButton::mbLeft, {}, 10 + 30 * i, 10); };
  click(0);
  EXPECT_TRUE(btn[0]->GetDown());
  click(3);  // another group
  EXPECT_TRUE(btn[0]->GetDown());
  EXPECT_TRUE(btn[3]->GetDown());
  click(1);
  EXPECT_FALSE(btn[0]->GetDown());
  EXPECT_TRUE(btn[1]->GetDown());
  click(1);  // stays down without AllowAllUp, but clicks
  EXPECT_TRUE(btn[1]->GetDown());
  EXPECT_EQ(clicks, (std::vector<std::string>{"b0", "b3", "b1", "b1"}));
  btn[2]->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(btn[1]->GetAllowAllUp());
  click(1);
  EXPECT_FALSE(btn[1]->GetDown());
  // Pressed, moved off and released elsewhere: no click, no change.
  host.SendMouseDown(TMouseButton::mbLeft, {}, 10, 10);
  EXPECT_TRUE(btn[0]->GetPressed());
  host.SendMouseMove({}, 100, 35);
  EXPECT_FALSE(btn[0]->GetPressed());
  host.SendMouseUp(TMouseButton::mbLeft, {}, 100, 35);
  EXPECT_FALSE(btn[0]->GetDown());
  EXPECT_EQ(clicks.size(), 5u);
  // Down from code follows the same rule; GroupIndex 0 never stays down.
  btn[2]->SetDown(true);
  btn[0]->SetDown(true);
  EXPECT_FALSE(btn[2]->GetDown());
  btn[0]->SetGroupIndex(0);
  EXPECT_FALSE(btn[0]->GetDown());
  click(0);
  EXPECT_FALSE(btn[0]->GetDown());
  EXPECT_EQ(clicks.back(), "b0");
}

TEST(SpeedButtons, DisabledButtonIgnoresTheMouse) {
  auto root = Root(100, 40);
  auto* b = new TSpeedButton(root.get());
  b->SetParent(root.get());
  b->SetGroupIndex(1);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->SetEnabled(false);
  TControlHost host(root.get());
  host.SendClick(TMouseButton::mbLeft, {}, 5, 5);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->GetDown());
}

TEST(ComboBox, UserChoiceFiresOnChangeCodeDoesNot) {
  auto root = Root(300, 200);
  auto* cb = new TComboBox(root.get());
  cb->SetParent(root.get());
  cb->SetBounds(10, 5, 150, 22);
  cb->SetStyle(TComboBoxStyle::csDropDownList);
  std::vector<int32_t> changes;
  cb->OnChange = [&](TObject* s) { changes.push_back(static_cast<TComboBox*>(s)->GetItemIndex()); };
  for (const char* s : {"north", "south", "east", "west"}) cb->AddItem(s);
  EXPECT_EQ(cb->GetItemIndex(), -1);
  cb->SetItemIndex(1);
  EXPECT_EQ(cb->GetText(), "south");
  cb->SetItemIndex(9);
  EXPECT_EQ(cb->GetItemIndex(), -1);
  EXPECT_TRUE(changes.empty());
  cb->UserSelect(2);
  cb->UserSelect(2);
  cb->UserSelect(4);  // out of range
  EXPECT_EQ(changes, (std::vector<int32_t>{2, 2}));
  EXPECT_EQ(cb->GetText(), "east");
  // By mouse: open the list, then press on its fourth row below the box.
  TControlHost host(root.get());
  host.SendClick(TMouseButton::mbLeft, {}, 20, 10);
  EXPECT_TRUE(cb->GetDroppedDown());
  const int32_t rh = FontGetMetrics(cb->GetFont()).Height + 2;
  host.SendClick(TMouseButton::mbLeft, {}, 20, 5 + 22 + 3 * rh + 1);
  EXPECT_FALSE(cb->GetDroppedDown());
  EXPECT_EQ(changes.back(), 3);
  EXPECT_FALSE(cb->GetMouseCapture());
  // A press elsewhere closes an open list without a choice.
  host.SendClick(TMouseButton::mbLeft, {}, 20, 10);
  host.SendClick(TMouseButton::mbLeft, {}, 250, 10);
  EXPECT_FALSE(cb->GetDroppedDown());
  EXPECT_EQ(changes.size(), 3u);
  // Items: deleting keeps the chosen item, clearing resets.
  cb->DeleteItem(0);
  EXPECT_EQ(cb->GetItemIndex(), 2);
  EXPECT_EQ(cb->GetText(), "west");
  cb->DeleteItem(2);
  EXPECT_EQ(cb->GetItemIndex(), -1);
  cb->ClearItems();
  EXPECT_EQ(cb->GetItemCount(), 0);
  EXPECT_EQ(cb->GetItem(0), "");
}

// ---------------------------------------------------------------------------
// Painting, fonts, cursors
// ---------------------------------------------------------------------------

TEST(ControlPaint, SnapshotComposesChildrenClippedToTheirParents) {
  Log log;
  auto root = Root(60, 40);
  auto* inner = Box(root.get(), root.get(), {10, 10, 20, 10}, clBlue);
  auto* grand = Box(root.get(), inner, {15, 5, 30, 30}, clYellow);  // sticks out of inner
  auto* probe = new TProbe(root.get(), &log, "p");
  probe->SetBoundsRect({40, 20, 50, 30});
  probe->SetParent(root.get());
  auto* hidden = Box(root.get(), root.get(), {0, 0, 5, 5}, clBlack);
  hidden->Hide();
  TControlHost host(root.get());
  const TBitmap snap = host.Snapshot();
  ASSERT_EQ(snap.GetWidth(), 60);
  ASSERT_EQ(snap.GetHeight(), 40);
  EXPECT_EQ(snap.GetPixel(2, 2), clRed);       // hidden child not drawn
  EXPECT_EQ(snap.GetPixel(12, 12), clBlue);    // inner
  EXPECT_EQ(snap.GetPixel(27, 17), clYellow);  // grandchild inside inner
  EXPECT_EQ(snap.GetPixel(31, 17), clRed);     // grandchild outside inner: cut
  EXPECT_EQ(snap.GetPixel(27, 21), clRed);
  EXPECT_EQ(snap.GetPixel(40, 20), clLime);  // the probe's pixel
  EXPECT_EQ(snap.GetPixel(45, 25), clRed);   // the rest shows its parent
  EXPECT_EQ(grand->GetParent(), inner);
}

TEST(ControlPaint, PaintToGivesBackTheCallersClipRectangle) {
  auto panel = Root(20, 20);
  Box(panel.get(), panel.get(), {2, 2, 5, 5}, clBlue);
  TBitmap target(50, 50);
  TCanvas& c = target.GetCanvas();
  // A clip wider than the bitmap, under an origin: kept as set, not cut.
  c.SetOrigin({50, 50});
  c.SetClipRect({-1000, -1000, 1000, 1000});
  panel->PaintTo(c, -45, -45);
  EXPECT_EQ(target.GetPixel(5, 5), clRed);
  EXPECT_EQ(target.GetPixel(7, 7), clBlue);
  ASSERT_TRUE(c.HasClipRect());
  const TRect kept = c.GetRequestedClipRect();
  EXPECT_EQ(kept.Left, -1000);
  EXPECT_EQ(kept.Top, -1000);
  EXPECT_EQ(kept.Right, 1000);
  EXPECT_EQ(kept.Bottom, 1000);
  EXPECT_EQ(c.GetOrigin().x, 50);
  // Later drawing still reaches the whole bitmap.
  c.SetOrigin({0, 0});
  c.GetBrush().SetColor(clGreen);
  c.FillRect({0, 0, 50, 50});
  EXPECT_EQ(target.GetPixel(49, 49), clGreen);

  // On a canvas without pixels the clip used to come back empty, so that
  // nothing drawn after the bitmap got its size showed.
  TBitmap empty;
  TCanvas& e = empty.GetCanvas();
  e.SetClipRect({0, 0, 30, 30});
  panel->PaintTo(e, 0, 0);
  empty.SetSize(30, 30);
  e.GetBrush().SetColor(clGreen);
  e.FillRect({0, 0, 30, 30});
  EXPECT_EQ(empty.GetPixel(29, 29), clGreen);
  EXPECT_EQ(e.GetRequestedClipRect().Right, 30);
  // And no clip stays no clip.
  TBitmap plain(10, 10);
  panel->PaintTo(plain.GetCanvas(), 0, 0);
  EXPECT_FALSE(plain.GetCanvas().HasClipRect());
}

TEST(ControlPaint, PanelBevelsAndBorderBeyondItsSizeStayCheapAndInside) {
  auto root = Root(40, 30);
  root->SetBevelOuter(TPanelBevel::bvRaised);
  root->SetBevelWidth(INT32_MAX);
  TControlHost host(root.get());
  // The rings fill the panel: its centre is a bevel colour, not the face.
  const TBitmap snap = host.Snapshot();
  EXPECT_NE(snap.GetPixel(20, 15), clRed);
  EXPECT_EQ(snap.GetPixel(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(snap.GetPixel(39, 29), ColorToRGB(clBtnShadow));
  EXPECT_EQ(root->GetBevelWidth(), INT32_MAX);
  // Border and both bevels together: their sum overflows 32 bits. The
  // align rectangle stays a plain (empty) rectangle and the children go
  // inside its limits.
  root->SetBevelInner(TPanelBevel::bvLowered);
  root->SetBorderWidth(INT32_MAX);
  auto* child = Box(root.get(), root.get(), {0, 0, 10, 10}, clBlue);
  child->SetAlign(TAlign::alClient);
  const TRect a = root->GetAlignRect();
  EXPECT_GE(a.Left, 0);
  EXPECT_LE(a.Left, 40);
  EXPECT_GE(a.Top, 0);
  EXPECT_LE(a.Top, 40);
  EXPECT_LE(a.Right, a.Left);
  EXPECT_EQ(child->GetWidth(), 0);
  EXPECT_EQ(child->GetHeight(), 0);
  const TBitmap snap2 = host.Snapshot();
  EXPECT_EQ(snap2.GetPixel(0, 0), ColorToRGB(clBtnHighlight));
  // A moderate border still insets exactly.
  root->SetBevelWidth(2);
  root->SetBorderWidth(3);
  const TRect m = root->GetAlignRect();
  EXPECT_EQ(m.Left, 7);
  EXPECT_EQ(m.Top, 7);
  EXPECT_EQ(m.Right, 33);
  EXPECT_EQ(m.Bottom, 23);
}

TEST(Controls, BoundsNearTheIntegerLimitSaturateAndStillHitTest) {
  auto root = Root(100, 100);
  auto* far = Box(root.get(), root.get(), {INT32_MAX - 10, INT32_MAX - 5, 100, 100}, clBlue);
  const TRect b = far->GetBoundsRect();
  EXPECT_EQ(b.Left, INT32_MAX - 10);
  EXPECT_EQ(b.Right, INT32_MAX);
  EXPECT_EQ(b.Bottom, INT32_MAX);
  EXPECT_EQ(root->ControlAtPos({INT32_MAX - 3, INT32_MAX - 1}, false, false), far);
  EXPECT_EQ(root->ControlAtPos({INT32_MAX, INT32_MAX}, false, false), far);
  EXPECT_EQ(root->ControlAtPos({INT32_MAX - 11, INT32_MAX - 1}, false, false), nullptr);
  EXPECT_EQ(root->ControlAtPos({5, 5}, false, false), nullptr);
}

TEST(ControlPaint, InvalidatePaintsLazilyAndTellsTheHost) {
  Log log;
  auto root = Root(50, 50);
  auto* p = new TProbe(root.get(), &log, "p");
  p->SetParent(root.get());
  int changes = 0;
  TControlHost host(root.get());
  host.OnChange = [&] { ++changes; };
  host.Snapshot();
  EXPECT_EQ(p->Paints, 1);
  p->Invalidate();
  p->Invalidate();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(p->Paints, 1);
  host.Snapshot();
  host.Snapshot();
  EXPECT_EQ(p->Paints, 2);
  // A repainted parent repaints its windowless children.
  root->Repaint();
  host.Snapshot();
  EXPECT_EQ(p->Paints, 3);
  // Drawing between paints stays on the surface until the next paint.
  p->GetCanvas().SetPixels(5, 5, clBlack);
  p->SurfaceChanged();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(host.Snapshot().GetPixel(5, 5), clBlack);
}

TEST(ControlPaint, SpeedButtonShowsItsGlyphAndDownState) {
  auto root = Root(40, 40);
  root->SetColor(clBtnFace);
  auto* b = new TSpeedButton(root.get());
  b->SetParent(root.get());
  b->SetBounds(0, 0, 24, 24);
  b->SetGlyph(ResourceBitmap("POINTR"));
  b->SetGroupIndex(1);
  TControlHost host(root.get());
  // The glyph sits centred: its pixel (3, 1), black, lands at (7, 5).
  TBitmap up = host.Snapshot();
  EXPECT_EQ(up.GetPixel(7, 5), clBlack);
  EXPECT_EQ(up.GetPixel(4, 4), ColorToRGB(clBtnFace));  // glyph background left out
  b->SetDown(true);
  TBitmap down = host.Snapshot();
  EXPECT_EQ(down.GetPixel(8, 6), clBlack);            // one pixel right and down
  EXPECT_NE(up.GetPixel(0, 0), down.GetPixel(0, 0));  // raised versus lowered frame
}

TEST(ControlFont, ParentFontFlowsDownUntilAChildSetsItsOwn) {
  auto root = Root(100, 100);
  auto* inner = Box(root.get(), root.get(), {0, 0, 50, 50}, clBlue);
  auto* leaf = Box(root.get(), inner, {0, 0, 10, 10}, clBlue);
  TFont f = root->GetFont();
  f.SetName("Courier New");
  f.SetSize(14);
  root->SetFont(f);
  EXPECT_EQ(leaf->GetFont().GetName(), "Courier New");
  TFont own = inner->GetFont();
  own.SetSize(20);
  inner->SetFont(own);
  EXPECT_FALSE(inner->GetParentFont());
  EXPECT_EQ(leaf->GetFont().GetSize(), 20);
  f.SetSize(8);
  root->SetFont(f);
  EXPECT_EQ(inner->GetFont().GetSize(), 20);
  inner->SetParentFont(true);
  EXPECT_EQ(leaf->GetFont().GetSize(), 8);
  // A control joining a parent takes its font.
  auto* late = Box(root.get(), nullptr, {0, 0, 5, 5}, clBlue);
  late->SetParent(root.get());
  EXPECT_EQ(late->GetFont().GetSize(), 8);
}

TEST(Cursors, RegistryHoldsResourceCursorsAndHostReportsTheCursor) {
  static_assert(crDefault == 0 && crHandPoint == -21);
  Screen().SetCursors(1000, ResourceCursor("CURGEOZOOM"));
  Screen().SetCursors(1001, ResourceCursor("curgeohand"));
  ASSERT_NE(Screen().GetCursors(1000), nullptr);
  EXPECT_EQ(Screen().GetCursors(1000)->Image.GetWidth(), 32);
  EXPECT_EQ(Screen().GetCursors(1000)->HotSpot.x, 12);
  EXPECT_EQ(Screen().GetCursors(crHandPoint), nullptr);
  auto root = Root(100, 100);
  root->SetCursor(crHandPoint);
  auto* inner = Box(root.get(), root.get(), {10, 10, 20, 20}, clBlue);
  auto* leaf = Box(root.get(), inner, {0, 0, 5, 5}, clBlue);
  inner->SetCursor(1000);
  TControlHost host(root.get());
  EXPECT_EQ(host.CursorAt(50, 50), crHandPoint);
  EXPECT_EQ(host.CursorAt(12, 12), 1000);  // leaf inherits from inner
  EXPECT_EQ(host.CursorAt(-5, 5), crDefault);
  Screen().SetCursor(crHourGlass);
  EXPECT_EQ(host.CursorAt(12, 12), crHourGlass);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(leaf->GetCursor(), crDefault);
  Screen().RemoveCursor(1000);
  Screen().RemoveCursor(1001);
  EXPECT_TRUE(Screen().GetCursorIds().empty());
}

// ---------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------

TEST(Resources, GlyphsAndCursorsAreSmallDrawingsOnTheBackground) {
  for (const std::string& name : ResourceBitmapNames()) {
    const TBitmap& b = ResourceBitmap(name);
    EXPECT_EQ(b.GetWidth(), 16) << name;
    EXPECT_EQ(b.GetHeight(), 16) << name;
    EXPECT_EQ(b.GetPixel(0, 15), clResourceBackground) << name;
    int black = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) black += b.GetPixel(x, y) == clBlack;
    EXPECT_GT(black, 20) << name;
  }
  EXPECT_EQ(ResourceBitmapNames(), (std::vector<std::string>{"POINTR", "ZOOMIN", "ZOOM11"}));
  EXPECT_TRUE(ResourceBitmap("zoomin").SameImage(ResourceBitmap("ZOOMIN")));
  EXPECT_FALSE(ResourceBitmap("ZOOMIN").SameImage(ResourceBitmap("ZOOM11")));
  for (const std::string& name : ResourceCursorNames()) {
    const TCursorImage c = ResourceCursor(name);
    EXPECT_EQ(c.Image.GetWidth(), 32) << name;
    // The hot spot lies on the drawing, not on the transparent background.
    EXPECT_NE(c.Image.GetPixel(c.HotSpot.x, c.HotSpot.y), c.TransparentColor) << name;
  }
  try {
    ResourceBitmap("NOPE");
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource NOPE not found");
  }
  EXPECT_THROW(ResourceCursor("POINTR"), EResNotFound);
}

}  // namespace
}  // namespace zel
