#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "mol/cstruct/cstruct_test_impl.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"

namespace zel {
namespace {

using cstruct_test::Bond;
using cstruct_test::Mol;

struct XY {
  double x, y;
};

void Load(TChemGraph& g, const std::string& symbols, std::initializer_list<Bond> bonds,
          const std::vector<XY>& xy) {
  auto t = Mol(symbols, bonds);
  for (int32_t i = 1; i <= static_cast<int32_t>(xy.size()); ++i) {
    t->SetCoords(i, 1, xy[static_cast<size_t>(i - 1)].x);
    t->SetCoords(i, 2, xy[static_cast<size_t>(i - 1)].y);
  }
  g.SetStructure(t.get());
}

const TChemGraphLabel* LabelOf(const TChemGraph& g, int32_t atom) {
  for (const auto& l : g.GetLastDrawing().Labels)
    if (l.Atom == atom) return &l;
  return nullptr;
}

int32_t InkInRow(const TBitmap& b, int32_t y, int32_t x0, int32_t x1, TColor bg) {
  int32_t n = 0;
  for (int32_t x = x0; x < x1; ++x) n += b.GetPixel(x, y) != bg ? 1 : 0;
  return n;
}

void White(TBitmap& b) {
  b.GetCanvas().GetBrush().SetColor(clWhite);
  b.GetCanvas().FillRect({0, 0, b.GetWidth(), b.GetHeight()});
}

TPoint Px(const TChemGraph& g, double x, double y) {
  return {RoundToInt32(x * g.GetScale() + g.GetOffsetX()),
          RoundToInt32(y * g.GetScale() + g.GetOffsetY())};
}

const double kR = 1.5, kH = kR * std::sqrt(3.0) / 2;  // hexagon: bond, half height
const std::vector<XY> kHexagon = {{-kR / 2, -kH}, {-kR, 0}, {-kR / 2, kH},
                                  {kR / 2, kH},   {kR, 0},  {kR / 2, -kH}};

TEST(ChemGraphLabels, SuffixFromChargeAndBondSumPairs) {
  TChemGraph g(nullptr);
  struct Case {
    const char *symbols, *label;
    std::vector<Bond> bonds;
    int32_t atom, charge;
  };
  const std::vector<Case> cases = {
      {"C N", "NH2", {{1, 2, 1}}, 2, 0},
      {"C N", "NH3+", {{1, 2, 1}}, 2, 1},
      {"C N", "N", {{1, 2, 3}}, 2, 0},
      {"C N", "NH-", {{1, 2, 1}}, 2, -1},
      {"C O", "OH2+", {{1, 2, 1}}, 2, 1},
      {"C O", "O", {{1, 2, 2}}, 2, 0},
      {"C S", "SH", {{1, 2, 1}}, 2, 0},
      {"O", "O-", {}, 1, -1},
      {"N", "N-", {}, 1, -1},
      {"Cl", "Cl-", {}, 1, -1},
      {"S", "S2-", {}, 1, -2},
      {"Fe", "Fe3+", {}, 1, 3},
      {"N C C", "N+", {{1, 2, 4}, {1, 3, 4}}, 1, 1},              // pyridinium: (1, 8)
      {"O C C", "O+", {{1, 2, 4}, {1, 3, 4}}, 1, 1},              // pyrylium
      {"N C C C", "N", {{1, 2, 4}, {1, 3, 4}, {1, 4, 4}}, 1, 0},  // indolizine: sum 12
      {"N C C C C", "N+", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}}, 1, 1},
  };
  for (const Case& c : cases) {
    auto t = Mol(c.symbols, {});
    for (const Bond& b : c.bonds) t->MakeConnection(b.a, b.b, b.type);
    t->SetCharge(c.atom, c.charge);
    g.SetStructure(t.get());
    EXPECT_EQ(g.AtomLabelText(c.atom), c.label) << c.symbols << " " << c.charge;
  }
  EXPECT_EQ(g.AtomLabelText(99), "");
}

TEST(ChemGraphDrawing, BondKindsAtExactPixels) {
  // Unscaled, no labels: every line runs from x 50 to 149 on row 100.
  TChemGraph g(nullptr);
  g.SetColorBkg(clWhite);
  g.SetDrawUnscaled(true);
  const std::vector<std::vector<int32_t>> rows = {{100}, {98, 102}, {97, 100, 103}};
  for (int32_t type : {1, 2, 3, 4}) {
    Load(g, "C C", {{1, 2, type}}, {{50, 100}, {150, 100}});
    g.Repaint();
    const TBitmap& b = g.GetSurface();
    int32_t inked = 0;
    for (int32_t y = 90; y < 110; ++y) inked += InkInRow(b, y, 2, 298, clWhite);
    if (type < 4) {
      for (int32_t y : rows[static_cast<size_t>(type - 1)])
        EXPECT_EQ(InkInRow(b, y, 50, 150, clWhite), 100) << type << " " << y;
      EXPECT_EQ(inked, 100 * type) << type;
    } else {  // dash 18 on, 6 off: 4 periods and 4 pixels
      EXPECT_EQ(b.GetPixel(67, 100), clMaroon);
      EXPECT_EQ(b.GetPixel(68, 100), clWhite);
      EXPECT_EQ(inked, 18 * 4 + 4);
    }
  }
}

TEST(ChemGraphDrawing, DegenerateLayoutsAndTinyControls) {
  TChemGraph g(nullptr);
  g.SetColorBkg(clWhite);
  g.Repaint();  // empty: the message near the centre
  EXPECT_GT(InkInRow(g.GetSurface(), 100, 60, 240, clWhite), 0);

  // No coordinates (all 0): no bond has a direction, labels on the centre.
  g.SetDisplayMode(TCGDispMode::dmAllAtoms);
  Load(g, "C N O", {{1, 2, 2}, {2, 3, 1}}, {{0, 0}, {0, 0}, {0, 0}});
  g.Repaint();
  EXPECT_TRUE(g.GetLastDrawing().Bonds.empty());
  ASSERT_EQ(g.GetLastDrawing().Labels.size(), 3u);
  EXPECT_EQ(g.GetLastDrawing().Labels[0].Centre.x, 150);

  // A lone chloride far from the origin lands on the centre.
  Load(g, "Cl", {}, {{1234, -567}});
  g.GetStructure()->SetCharge(1, -1);
  g.Repaint();
  ASSERT_NE(LabelOf(g, 1), nullptr);
  EXPECT_EQ(LabelOf(g, 1)->Centre.x, 150);
  EXPECT_EQ(LabelOf(g, 1)->Centre.y, 100);

  // Extreme and non-finite coordinates keep the transform usable.
  const double big = 3e38, inf = INFINITY, nan = NAN;
  for (const auto& xy : std::vector<std::vector<XY>>{{{0, 0}, {1e-38, 1e-38}, {2e-38, 0}},
                                                     {{-big, 0}, {big, big}, {0, -big}},
                                                     {{0, 0}, {inf, 0}, {1, 1}},
                                                     {{nan, 0}, {1, nan}, {2, 2}}}) {
    Load(g, "C C N", {{1, 2, 2}, {2, 3, 1}}, xy);
    g.Repaint();
    EXPECT_TRUE(std::isfinite(g.GetScale()) && g.GetScale() > 0) << xy[1].x;
    EXPECT_TRUE(std::isfinite(g.GetOffsetX() + g.GetOffsetY())) << xy[1].x;
    g.OptimizeMolShape(1.5);
  }

  // A 10 x 10 control: (width - 16) < 0 must not give scale 0 for picking.
  g.SetBounds(0, 0, 10, 10);
  Load(g, "C C O", {{1, 2, 1}, {2, 3, 2}}, {{0, 0}, {1.5, 0}, {2.2, 1.3}});
  g.Repaint();
  EXPECT_GT(g.GetScale(), 0);
  EXPECT_EQ(g.GetLastDrawing().FontSize, 8);
  double px = NAN;
  g.OnMoveOverStruct = [&](TObject*, int32_t, TShiftState, double x, double, double) { px = x; };
  g.MouseMove({}, 5, 5);
  EXPECT_TRUE(std::isfinite(px));
}

TEST(ChemGraphDrawing, ScaleFontAndShortening) {
  TChemGraph g(nullptr);
  // Mean bond 1.5 and MaxBondLeng 30: the scale stops at 20.
  Load(g, "C C N", {{1, 2, 1}, {2, 3, 1}}, {{0, 0}, {1.5, 0}, {3, 0}});
  g.Repaint();
  EXPECT_DOUBLE_EQ(g.GetScale(), 20.0);
  EXPECT_EQ(g.GetLastDrawing().FontSize, 10);  // round(20 * 1.5 / 5) + 4
  g.SetMaxBondLeng(0);
  g.Repaint();
  EXPECT_DOUBLE_EQ(g.GetScale(), (300.0 - 16) / 3);
  EXPECT_EQ(g.GetLastDrawing().FontSize, 20);
  EXPECT_EQ(TChemGraph::FontSizeFor(1, 17.6), 8);  // t = 4
  EXPECT_EQ(TChemGraph::FontSizeFor(1, NAN), 8);

  // Two NH3+ ends (4 x 6 pixels each at size 10) on a 30 pixel bond: taken
  // literally the line would reverse; it keeps its middle third.
  g.SetDrawUnscaled(true);
  Load(g, "N N", {{1, 2, 1}}, {{100, 100}, {130, 100}});
  g.GetStructure()->SetCharge(1, 1);
  g.GetStructure()->SetCharge(2, 1);
  g.Repaint();
  ASSERT_EQ(g.GetLastDrawing().Bonds.size(), 1u);
  const TChemGraphBond& b = g.GetLastDrawing().Bonds[0];
  EXPECT_EQ(LabelOf(g, 2)->Text, "NH3+");
  EXPECT_EQ(b.From.x, 110);
  EXPECT_EQ(b.To.x, 120);
}

TEST(ChemGraphDrawing, BoxIsNormalisedAndCentred) {
  TChemGraph g(nullptr);
  Load(g, "C C O", {{1, 2, 1}, {2, 3, 1}}, {{0, 0}, {2, 0}, {4, 0}});
  TBitmap a(300, 200), b(300, 200);
  White(a);
  White(b);
  // y grows downwards: the "lower left" corner has the larger y.
  g.ShowMoleculeInABox(a.GetCanvas(), TCGDispMode::dmAllAtoms, 200, 180, 280, 20, 0);
  const TChemGraphDrawing first = g.GetLastDrawing();
  g.ShowMoleculeInABox(b.GetCanvas(), TCGDispMode::dmAllAtoms, 280, 20, 200, 180, 0);
  EXPECT_TRUE(a.SameImage(b));
  EXPECT_DOUBLE_EQ(first.Scale, 20.0);  // 80 pixels over 4 units
  ASSERT_EQ(first.Labels.size(), 3u);
  EXPECT_EQ(first.Labels[0].Centre.x, 200);
  EXPECT_EQ(first.Labels[1].Centre.x, 240);  // the box centre, not the control's
  EXPECT_EQ(first.Labels[1].Centre.y, 100);
  EXPECT_EQ(InkInRow(a, 100, 0, 180, clWhite), 0);
  EXPECT_DOUBLE_EQ(g.GetScale(), 1.0);  // the control's own transform is untouched
}

TEST(ChemGraphDrawing, AtomStylesAndClipBoundary) {
  TChemGraph g(nullptr);
  Load(g, "O C", {{1, 2, 1}}, {{0, 0}, {1.5, 0}});
  g.SetDisplayMode(TCGDispMode::dmHeteroOnly);
  g.SetAtVisAttrib(1, TChemGraph::kVisBold | TChemGraph::kVisInverse);
  g.SetAtColor(1, clBlue);
  EXPECT_EQ(g.GetAtVisAttrib(1), 3);  // the colour write keeps the styles
  g.SetAtVisAttrib(1, 9);             // out of range: ignored
  EXPECT_EQ(g.GetAtVisAttrib(1), 3);
  g.SetColorBkg(clWhite);
  g.Repaint();
  const TChemGraphLabel* o = LabelOf(g, 1);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->Color, clBlue);
  EXPECT_EQ(g.GetSurface().GetPixel(o->Box.Left, o->Box.Top), clBlue);  // inverse box

  // The clip rectangle applies only once set: Na lies 8 pixels from the left.
  Load(g, "Na Cl", {}, {{0, 0}, {10, 0}});
  g.Repaint();
  EXPECT_EQ(g.GetLastDrawing().Labels.size(), 2u);
  g.SetClipBoundary(TDirection::diLeft, 0);
  g.Repaint();
  ASSERT_EQ(g.GetLastDrawing().Labels.size(), 1u);
  EXPECT_EQ(g.GetLastDrawing().Labels[0].Atom, 2);
}

TEST(ChemGraphStructure, OwnedTableRepaintsAndModesChooseLabels) {
  TChemGraph g(nullptr);
  TCTab* owned = g.GetStructure();
  Load(g, "C C O Na", {{1, 2, 1}, {2, 3, 1}}, {{0, 0}, {1.5, 0}, {3, 0}, {5, 0}});
  EXPECT_EQ(g.GetStructure(), owned);  // copied in, never re-seated
  const auto labels = [&](TCGDispMode m) {
    g.SetDisplayMode(m);
    g.Repaint();
    std::string s;
    for (const auto& l : g.GetLastDrawing().Labels) s += l.Text + " ";
    return s;
  };
  EXPECT_EQ(labels(TCGDispMode::dmSkeleton), "Na ");
  owned->SetCharge(2, 1);
  EXPECT_TRUE(g.NeedsPaint());
  g.SetSuppressPaint(true);
  EXPECT_EQ(labels(TCGDispMode::dmSkeleton), "Na ");
  g.SetSuppressPaint(false);
  EXPECT_EQ(labels(TCGDispMode::dmSkeleton), "C+ Na ");
  EXPECT_EQ(labels(TCGDispMode::dmHeteroOnly), "C+ OH Na ");
  EXPECT_EQ(labels(TCGDispMode::dmAllAtoms), "C C+ OH Na ");
  EXPECT_EQ(labels(TCGDispMode::dmNumbers), "1 2 3 4 ");
}

TEST(ChemGraphPicking, PostedMouseMovesReportTheAtomUnderThePointer) {
  TChemGraph g(nullptr);
  Load(g, "C C O", {{1, 2, 1}, {2, 3, 1}}, {{0, 0}, {1.5, 0}, {3, 0}});
  TControlHost host(&g);
  std::vector<int32_t> atoms;
  std::vector<double> dists;
  int32_t plainMoves = 0;
  g.OnMouseMove = [&](TObject*, TShiftState, int32_t, int32_t) { ++plainMoves; };
  g.OnMoveOverStruct = [&](TObject*, int32_t a, TShiftState, double, double, double d) {
    atoms.push_back(a);
    dists.push_back(d);
  };
  // Scale 20 about (150, 100): atoms at x 120, 150, 180.
  for (int32_t x : {118, 152, 190}) host.PostMouseMove({}, x, 100);
  Application().ProcessMessages();
  EXPECT_EQ(atoms, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(plainMoves, 3);
  ASSERT_EQ(dists.size(), 3u);
  EXPECT_NEAR(dists[0], 0.1, 1e-12);
  EXPECT_NEAR(dists[2], 0.5, 1e-12);
}

TEST(ChemGraphPicking, HandlersThatEmptyTheStructureEndTheMoveSafely) {
  // A handler that clears the table, or replaces it by a larger one, must
  // not leave the picking on stale atoms (ASan watches the rest).
  TChemGraph g(nullptr);
  Load(g, "C C O", {{1, 2, 1}, {2, 3, 1}}, {{0, 0}, {1.5, 0}, {3, 0}});
  TControlHost host(&g);
  std::vector<int32_t> atoms;
  g.OnMouseMove = [&](TObject*, TShiftState, int32_t, int32_t) { g.GetStructure()->Clear(); };
  g.OnMoveOverStruct = [&](TObject*, int32_t a, TShiftState, double, double, double) {
    atoms.push_back(a);
    Load(g, "C C C C", {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  };
  for (int32_t x : {118, 152, 190}) host.PostMouseMove({}, x, 100);
  Application().ProcessMessages();
  ASSERT_EQ(atoms.size(), 3u);
  for (int32_t a : atoms) EXPECT_EQ(a, 0);  // the table was empty when picked
  EXPECT_EQ(g.GetStructure()->GetNAtoms(), 4);
}

TEST(ChemGraphPicking, NearestRingUsesTheMeanAndNoPlaceholders) {
  TChemGraph g(nullptr);
  g.SetMaxBondLeng(0);
  // Naphthalene (fused bond 1-6) with a three-ring 2-3-11 on the left ring.
  // At (-0.4, 0.4), inside the left ring, a summed distance would pick the
  // three-ring (8.6 against 13.0); the mean picks the left ring.
  Load(g, "C C C C C C C C C C C",
       {{1, 2, 1},
        {2, 3, 1},
        {3, 4, 1},
        {4, 5, 1},
        {5, 6, 1},
        {6, 1, 1},
        {1, 7, 1},
        {7, 8, 1},
        {8, 9, 1},
        {9, 10, 1},
        {10, 6, 1},
        {2, 11, 1},
        {3, 11, 1}},
       {{0, kR / 2},
        {-kH, kR},
        {-2 * kH, kR / 2},
        {-2 * kH, -kR / 2},
        {-kH, -kR},
        {0, -kR / 2},
        {kH, kR},
        {2 * kH, kR / 2},
        {2 * kH, -kR / 2},
        {kH, -kR},
        {-2 * kH, 1.5 * kR}});
  const auto ringAt = [&](double x, double y) {
    RingType ring;
    g.Repaint();
    const TPoint p = Px(g, x, y);
    g.FindRingNextToCursor(p.x, p.y, ring);
    std::vector<int32_t> atoms(ring.Atoms.begin(), ring.Atoms.begin() + ring.Size);
    std::sort(atoms.begin(), atoms.end());
    return atoms;
  };
  EXPECT_EQ(ringAt(-0.4, 0.4), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ringAt(-2 * kH, 1.4 * kR), (std::vector<int32_t>{2, 3, 11}));
  // Bicyclobutane: four atoms, atom 1 in two rings; the empty places of the
  // five-atom list are not atoms.
  Load(g, "C C C C", {{1, 2, 1}, {2, 3, 1}, {3, 1, 1}, {3, 4, 1}, {4, 1, 1}},
       {{0, 0}, {0.75, 1.0}, {1.5, 0}, {0.75, -1.0}});
  EXPECT_EQ(ringAt(0.2, 0.2), (std::vector<int32_t>{1, 2, 3}));
  Load(g, "C C", {{1, 2, 1}}, {{0, 0}, {1.5, 0}});
  EXPECT_TRUE(ringAt(0, 0).empty());
}

TEST(ChemGraphPicking, ChainWalkStopsOnRevisitingAndListsOnce) {
  TChemGraph g(nullptr);
  TChainList chain;
  const auto chainAt = [&](double x, double y) {
    g.Repaint();
    const TPoint p = Px(g, x, y);
    const int32_t n = g.FindChainNexttoCursor(p.x, p.y, chain);
    EXPECT_EQ(chain[0], n);
    return std::vector<int32_t>(chain.begin() + 1, chain.begin() + 1 + n);
  };
  // Benzene alone: every atom has two bonds; the walk must end.
  Load(g, "C C C C C C", {{1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 5, 1}, {5, 6, 2}, {6, 1, 1}},
       kHexagon);
  std::vector<int32_t> ring = chainAt(0, 0);
  std::sort(ring.begin(), ring.end());
  EXPECT_EQ(ring, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  // Toluene from atom 2: both walks meet at the branch atom 5, listed once.
  std::vector<XY> tol = kHexagon;
  tol.push_back({2 * kR, 0});
  Load(g, "C C C C C C C",
       {{1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 5, 1}, {5, 6, 2}, {6, 1, 1}, {5, 7, 1}}, tol);
  EXPECT_EQ(chainAt(-kR, 0), (std::vector<int32_t>{4, 3, 2, 1, 6, 5}));
  // A propyl arm, listed from the end with the smaller x.
  Load(g, "C C C C C C", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {4, 5, 1}, {5, 6, 1}},
       {{0, 0}, {-1, 1}, {-1, -1}, {1.5, 0}, {3, 0}, {4.5, 0}});
  EXPECT_EQ(chainAt(4.5, 0), (std::vector<int32_t>{1, 4, 5, 6}));
}

// Bond lengths: relative spread (sd / mean) and RMS deviation from d.
std::pair<double, double> BondStats(const TCTab& t, double d) {
  std::vector<double> len;
  for (int32_t i = 1; i <= t.GetNAtoms(); ++i)
    for (int32_t k = 1; k <= kMaxCTConn; ++k)
      if (const int32_t j = t.GetConnTo(i, k); j > i)
        len.push_back(std::hypot(t.GetCoords(i, 1) - t.GetCoords(j, 1),
                                 t.GetCoords(i, 2) - t.GetCoords(j, 2)));
  const auto n = static_cast<double>(len.size());
  double mean = 0, ss = 0, dev = 0;
  for (double v : len) mean += v / n;
  for (double v : len) ss += (v - mean) * (v - mean), dev += (v - d) * (v - d);
  return {std::sqrt(ss / n) / mean, std::sqrt(dev / n)};
}

TEST(ChemGraphLayout, OptimiserImprovesAScrambledLayoutDeterministically) {
  // Nitrobenzene scrambled over a 10 x 10 square.
  const auto build = [](TChemGraph& g) {
    Load(g, "C C C C C C N O O",
         {{1, 2, 2},
          {2, 3, 1},
          {3, 4, 2},
          {4, 5, 1},
          {5, 6, 2},
          {6, 1, 1},
          {1, 7, 1},
          {7, 8, 2},
          {7, 9, 1}},
         {{0.3, 4.1},
          {5.2, 0.7},
          {2.9, 9.3},
          {8.8, 2.2},
          {1.1, 6.6},
          {7.4, 8.1},
          {4.4, 4.9},
          {9.6, 5.3},
          {0.2, 0.4}});
  };
  TChemGraph a(nullptr), b(nullptr);
  build(a);
  build(b);
  const auto before = BondStats(*a.GetStructure(), 1.5);
  const double scoreBefore = a.LayoutScore(1.5);
  int32_t changes = 0;
  a.GetStructure()->OnChange = [&](TObject*) { ++changes; };
  SetRandSeed(20261208);
  a.OptimizeMolShape(1.5);
  SetRandSeed(20261208);
  b.OptimizeMolShape(1.5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.GetStructure()->CompareWith(b.GetStructure()), 0);
  EXPECT_GT(a.LayoutScore(1.5), scoreBefore);
  // Seeds 1..5 end at 131.77..131.85; a step factor that is not annealed
  // (1.1 down to -7.9) ends at 123.7..127.0.
  EXPECT_GT(a.LayoutScore(1.5), 131.0);
  // The score's +r for non-bonded pairs keeps bonds longer than d (RDKit's
  // Compute2DCoords gives nitrobenzene spread 0, see
  // testdata/chemgraph_rdkit_spread.py; this search 0.17 here).
  const auto after = BondStats(*a.GetStructure(), 1.5);
  EXPECT_LT(after.first, 0.75 * before.first);
  EXPECT_LT(after.second, before.second / 4) << before.second << " -> " << after.second;
  double minX, minY, maxX, maxY, cx, cy;
  a.GetStructure()->CalcMolExtents(minX, minY, maxX, maxY, cx, cy);
  EXPECT_TRUE(minX > -20 && maxX < 30 && minY > -20 && maxY < 30);
  // Unusable distances leave the layout alone.
  for (double d : {0.0, -1.0, double(NAN), double(INFINITY), 1e31}) b.OptimizeMolShape(d);
  EXPECT_EQ(a.GetStructure()->CompareWith(b.GetStructure()), 0);
}

// Golden pictures: regenerate with ZEL_UPDATE_GOLDEN=1 and review them.
void CheckGolden(const TBitmap& picture, const std::string& name) {
  const auto file = std::filesystem::path(ZEL_TESTDATA_DIR) / "mol/cstruct/testdata" / name;
  if (std::getenv("ZEL_UPDATE_GOLDEN") != nullptr) picture.SaveToFile(file.string());
  TBitmap ref;
  ref.LoadFromFile(file.string());
  EXPECT_TRUE(picture.SameImage(ref)) << name;
}

TEST(ChemGraphGolden, NitrobenzeneInABox) {
  TChemGraph g(nullptr);
  std::vector<XY> xy = kHexagon;
  xy.insert(xy.end(), {{2 * kR, 0}, {2.5 * kR, -kH}, {2.5 * kR, kH}});
  Load(g, "C C C C C C N O O",
       {{1, 2, 2},
        {2, 3, 1},
        {3, 4, 2},
        {4, 5, 1},
        {5, 6, 2},
        {6, 1, 1},
        {5, 7, 1},
        {7, 8, 2},
        {7, 9, 1}},
       xy);
  g.GetStructure()->SetCharge(7, 1);
  g.GetStructure()->SetCharge(9, -1);
  TBitmap box(240, 160);
  White(box);
  g.ShowMoleculeInABox(box.GetCanvas(), TCGDispMode::dmHeteroOnly, 0, 160, 240, 0, 40);
  CheckGolden(box, "chemgraph_nitrobenzene.png");
}

}  // namespace
}  // namespace zel
