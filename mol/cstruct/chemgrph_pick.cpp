// TChemGraph: picking (mouse, nearest ring and chain) and the layout search.
#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_univconst.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

TPointDouble TChemGraph::ToStructure(int32_t x, int32_t y) const {
  // The scale is kept positive and finite by every drawing.
  return {(x - FXOffset) / FTransForm, (y - FYOffset) / FTransForm};
}

void TChemGraph::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!OnMoveOverStruct) return;
  Update();
  const TPointDouble p = ToStructure(X, Y);
  int32_t atom = 0;
  double dist = uc_MaxReal;
  FStructure->FindClosestAtom(p.x, p.y, atom, dist);
  OnMoveOverStruct(this, atom, Shift, p.x, p.y, dist);
}

namespace {

bool SameAtomSet(const RingType& a, const RingType& b) {
  if (a.Size != b.Size) return false;
  const auto n = static_cast<size_t>(a.Size);
  std::array<uint8_t, kMaxCTAtoms> x{}, y{};
  std::copy_n(a.Atoms.begin(), n, x.begin());
  std::copy_n(b.Atoms.begin(), n, y.begin());
  std::sort(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  std::sort(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
  return std::equal(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), y.begin());
}

}  // namespace

void TChemGraph::FindRingNextToCursor(int32_t x, int32_t y, RingType& Ring) {
  Ring = RingType{};
  Update();
  const int32_t n = FStructure->GetNAtoms();
  if (n == 0) return;
  const TPointDouble p = ToStructure(x, y);
  // The five nearest atoms by sorted insertion; unused places keep atom 0.
  std::array<double, 5> dist;
  dist.fill(uc_MaxReal);
  std::array<int32_t, 5> near{};
  for (int32_t i = 1; i <= n; ++i) {
    const double dx = FStructure->GetCoords(i, 1) - p.x, dy = FStructure->GetCoords(i, 2) - p.y;
    const double d = dx * dx + dy * dy;
    const int32_t pos = SortIntoArray(std::span<double>(dist), d, true, true);
    if (pos >= 0) InsertIntoArray(std::span<int32_t>(near), i, pos);
  }
  if (near[0] == 0) {
    // Only NaN distances: the nearest is the first atom.
    near[0] = 1;
  }
  RingListType list;
  if (FStructure->FindShortestRings(near[0], list) < 2) {
    if (list.Count == 1) Ring = list.Rings[0];
    return;
  }
  std::vector<RingType> rings;
  for (int32_t a : near) {
    if (a == 0) continue;
    const int32_t count = FStructure->FindShortestRings(a, list);
    for (int32_t r = 0; r < count && static_cast<int32_t>(rings.size()) < kMaxRings; ++r) {
      const RingType& ring = list.Rings[static_cast<size_t>(r)];
      if (std::none_of(rings.begin(), rings.end(),
                       [&](const RingType& q) { return SameAtomSet(q, ring); }))
        rings.push_back(ring);
    }
  }
  double best = uc_MaxReal;
  for (const RingType& ring : rings) {
    long double sum = 0;
    for (int32_t k = 0; k < ring.Size; ++k) {
      const int32_t a = ring.Atoms[static_cast<size_t>(k)];
      sum += std::fabs(FStructure->GetCoords(a, 1) - p.x) +
             std::fabs(FStructure->GetCoords(a, 2) - p.y);
    }
    const auto mean = static_cast<double>(sum / ring.Size);
    if (mean < best) {
      best = mean;
      Ring = ring;
    }
  }
}

int32_t TChemGraph::FindChainNexttoCursor(int32_t x, int32_t y, TChainList& ChainAtoms) {
  ChainAtoms.fill(0);
  Update();
  const cstruct_impl::Graph g = cstruct_impl::BuildGraph(*FStructure);
  const TPointDouble p = ToStructure(x, y);
  int32_t seed = 0;
  double best = uc_MaxReal;
  for (int32_t i = 1; i <= g.n; ++i) {
    if (g.deg[static_cast<size_t>(i)] > 2) continue;
    const double d =
        std::hypot(FStructure->GetCoords(i, 1) - p.x, FStructure->GetCoords(i, 2) - p.y);
    if (seed == 0 || d < best) {
      seed = i;
      best = d;
    }
  }
  if (seed == 0) return 0;
  std::array<bool, kMaxCTAtoms + 1> listed{};
  listed[static_cast<size_t>(seed)] = true;
  // Each walk stops at an atom it has already listed, so a ring of
  // two-bonded atoms ends where it began and two walks that meet at one
  // branch atom list it once.
  const auto walk = [&](int32_t next) {
    std::vector<int32_t> part;
    int32_t prev = seed, cur = next;
    while (!listed[static_cast<size_t>(cur)]) {
      listed[static_cast<size_t>(cur)] = true;
      part.push_back(cur);
      const auto kc = static_cast<size_t>(cur);
      if (g.deg[kc] != 2) break;
      const int32_t other = g.nb[kc][0] == prev ? g.nb[kc][1] : g.nb[kc][0];
      prev = cur;
      cur = other;
    }
    return part;
  };
  const auto ks = static_cast<size_t>(seed);
  std::vector<int32_t> left = g.deg[ks] >= 1 ? walk(g.nb[ks][0]) : std::vector<int32_t>{};
  const std::vector<int32_t> right = g.deg[ks] == 2 ? walk(g.nb[ks][1]) : std::vector<int32_t>{};
  std::reverse(left.begin(), left.end());
  left.push_back(seed);
  left.insert(left.end(), right.begin(), right.end());
  if (FStructure->GetCoords(left.back(), 1) < FStructure->GetCoords(left.front(), 1))
    std::reverse(left.begin(), left.end());
  const auto count = static_cast<int32_t>(left.size());
  ChainAtoms[0] = count;
  std::copy(left.begin(), left.end(), ChainAtoms.begin() + 1);
  return count;
}

// ---------------------------------------------------------------------------
// Layout optimisation
// ---------------------------------------------------------------------------

namespace {

struct TLayout {
  const cstruct_impl::Graph& g;
  std::array<std::array<double, 3>, kMaxCTAtoms + 1> c{};

  double Dist(int32_t a, int32_t b) const {
    const auto& p = c[static_cast<size_t>(a)];
    const auto& q = c[static_cast<size_t>(b)];
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
  }
  bool Bonded(int32_t a, int32_t b) const {
    const auto ka = static_cast<size_t>(a);
    for (int32_t k = 0; k < g.deg[ka]; ++k)
      if (g.nb[ka][static_cast<size_t>(k)] == b) return true;
    return false;
  }
  double Score(double d) const {
    long double s = 0;
    const double d13 = 1.732 * d;
    for (int32_t i = 1; i <= g.n; ++i)
      for (int32_t j = i + 1; j <= g.n; ++j) {
        const double r = Dist(i, j);
        if (!Bonded(i, j)) {
          s += r;
          continue;
        }
        s -= 0.5 * (r - d) * (r - d);
        // Every other neighbour k of one atom against the partner.
        const auto angle = [&](int32_t atom, int32_t partner) {
          const auto ka = static_cast<size_t>(atom);
          for (int32_t m = 0; m < g.deg[ka]; ++m) {
            const int32_t k = g.nb[ka][static_cast<size_t>(m)];
            if (k == partner) continue;
            const double r13 = Dist(partner, k);
            s -= 0.5 * (r13 - d13) * (r13 - d13);
          }
        };
        angle(i, j);
        angle(j, i);
      }
    return static_cast<double>(s);
  }
};

}  // namespace

double TChemGraph::LayoutScore(double IdealDist) const {
  const cstruct_impl::Graph g = cstruct_impl::BuildGraph(*FStructure);
  TLayout layout{g};
  for (int32_t i = 1; i <= g.n; ++i)
    for (int32_t d = 0; d < 3; ++d)
      layout.c[static_cast<size_t>(i)][static_cast<size_t>(d)] = FStructure->GetCoords(i, d + 1);
  return layout.Score(IdealDist);
}

void TChemGraph::OptimizeMolShape(double IdealDist) {
  const int32_t n = FStructure->GetNAtoms();
  // Coordinates are floats: a distance near their range would leave it.
  if (n < 2 || !(IdealDist > 0) || !(IdealDist <= 1e30)) return;
  const cstruct_impl::Graph g = cstruct_impl::BuildGraph(*FStructure);
  TLayout layout{g};
  for (int32_t i = 1; i <= n; ++i)
    for (int32_t d = 0; d < 3; ++d) {
      const double v = FStructure->GetCoords(i, d + 1);
      if (!std::isfinite(v)) return;
      layout.c[static_cast<size_t>(i)][static_cast<size_t>(d)] = v;
    }
  const double d = IdealDist;
  const int32_t steps = 100 * n;
  double best = layout.Score(d);
  for (int32_t i = 1; i <= steps; ++i) {
    // Annealing from 1.1 down to 0.1 of the ideal distance.
    const double f = (110.0 - 100.0 * i / steps) / 100.0;
    const auto saved = layout.c;
    const int32_t moves = i % 2 == 0 ? 2 : 1;
    for (int32_t m = 0; m < moves; ++m) {
      auto& a = layout.c[static_cast<size_t>(Random(n) + 1)];
      a[0] += (2 * d * Random() - d) * f;
      a[1] += (2 * d * Random() - d) * f;
    }
    const double score = layout.Score(d);
    if (score >= best)
      best = score;
    else
      layout.c = saved;
  }
  FStructure->BeginUpdate();
  for (int32_t i = 1; i <= n; ++i) {
    FStructure->SetCoords(i, 1, layout.c[static_cast<size_t>(i)][0]);
    FStructure->SetCoords(i, 2, layout.c[static_cast<size_t>(i)][1]);
  }
  FStructure->EndUpdate();
}

}  // namespace zel
