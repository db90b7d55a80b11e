// TCTab: hydrogens, formula and weight, rings and attributes.
#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <vector>

#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

namespace cstruct_impl {

Graph BuildGraph(const TCTab& t) {
  Graph g;
  g.n = t.GetNAtoms();
  const auto& rec = CTabAccess::Records(t);
  for (int32_t i = 1; i <= g.n; ++i) {
    const CTElem& a = rec[i - 1];
    for (int32_t k = 0; k < kMaxCTConn; ++k) {
      const int32_t nb = a.connTo[k];
      if (!ValidNeighbour(nb, i, g.n)) continue;
      bool dup = false;
      for (int32_t j = 0; j < g.deg[i]; ++j) dup = dup || g.nb[i][j] == nb;
      if (dup) continue;
      g.nb[i][g.deg[i]] = static_cast<uint8_t>(nb);
      g.type[i][g.deg[i]] = a.typConn[k];
      ++g.deg[i];
    }
  }
  return g;
}

}  // namespace cstruct_impl

using cstruct_impl::Graph;

// ---------------------------------------------------------------------------
// Hydrogens, formula and weight
// ---------------------------------------------------------------------------

namespace {

int32_t Valence(int32_t z) {
  switch (z) {
    case 1:
    case 9:
    case 17:
    case 35:
    case 53: return 1;
    case 8:
    case 16: return 2;
    case 5:
    case 7:
    case 15: return 3;
    case 6:
    case 14:
    case 32: return 4;
    default: return 0;
  }
}

// An H atom that NrHAtoms of its neighbour counts: mass 1 (or none given).
bool OrdinaryH(const TCTab& t, int32_t i) {
  return t.GetAtNum(i) == 1 && (t.GetAtWeight(i) == 0 || t.GetAtWeight(i) == 1);
}

}  // namespace

int32_t TCTab::NrHAtoms(int32_t i) const {
  const CTElem* a = Atom(i);
  if (!a || a->atNum == 1) return 0;
  const int32_t z = a->atNum;
  const int32_t charge = a->charge;
  int32_t b = 0, arom = 0, explicitH = 0;
  bool tripleToTerminalC = false;
  for (int k = 0; k < kMaxCTConn; ++k) {
    const int32_t nb = a->connTo[k];
    if (!cstruct_impl::ValidNeighbour(nb, i, FNumValidAtoms)) continue;
    const int32_t t = a->typConn[k];
    b += (t == 4) ? 1 : t;
    if (t == 4) arom = 1;
    if (OrdinaryH(*this, nb)) ++explicitH;
    if (t == 3 && FAtomEntries[nb - 1].atNum == 6 && ValidDegree(nb) == 1) tripleToTerminalC = true;
  }
  int32_t v = Valence(z);
  bool chargeInValence = true;
  switch (z) {
    case 7:
    case 8:
    case 15:
    case 16: v += charge; break;
    case 6:
    case 14:
    case 32: v -= std::abs(charge); break;
    case 5: v -= charge; break;
    default: chargeInValence = false;
  }
  if (b + arom < v) return v - b - arom + (chargeInValence ? 0 : charge) + explicitH;
  // Isocyanide R-N#C: the terminal carbon counted one H it does not have.
  if (z == 7 && charge == 0 && b == 4 && tripleToTerminalC) return -1;
  if (z == 15 && charge == 0 && b == 4) return explicitH + 1;
  return explicitH;
}

int32_t TCTab::CalcMissingH() const {
  int32_t s = 0;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) s += NrHAtoms(i);
  return s;
}

namespace {

// Hydrogen atoms that are atoms of the formula rather than counted by a
// neighbour: isotopes, and H without a heavy neighbour (H2, H+).
bool HAsOwnEntry(const TCTab& t, int32_t i, const Graph& g) {
  if (t.GetAtNum(i) != 1) return false;
  if (!OrdinaryH(t, i)) return true;
  for (int32_t k = 0; k < g.deg[i]; ++k)
    if (t.GetAtNum(g.nb[i][k]) != 1) return false;
  return true;
}

}  // namespace

bool TCTab::CalcMolecularFormula(TFormulaRec& Formula) const {
  Formula = TFormulaRec{};
  const Graph g = cstruct_impl::BuildGraph(*this);
  TFormulaRec f;
  auto add = [&f](int32_t z, int32_t m, int32_t cnt) {
    for (int32_t e = 0; e < f.FLeng; ++e)
      if (f.AtNum[e] == z && f.AtWgt[e] == m) {
        f.AtCnt[e] = static_cast<uint16_t>(std::min(65535, f.AtCnt[e] + cnt));
        return true;
      }
    if (f.FLeng >= kMaxFormulaEntries) return false;
    f.AtNum[f.FLeng] = static_cast<uint8_t>(z);
    f.AtWgt[f.FLeng] = static_cast<uint16_t>(m);
    f.AtCnt[f.FLeng] = static_cast<uint16_t>(std::clamp(cnt, 0, 65535));
    ++f.FLeng;
    return true;
  };
  const int32_t h = CalcMissingH();
  if (h > 0) add(1, 1, h);
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = FAtomEntries[i - 1];
    if (a.atNum == 1 && !HAsOwnEntry(*this, i, g)) continue;
    const int32_t m = a.atWeight != 0 ? a.atWeight : IntAtWeight(a.atNum);
    if (!add(a.atNum, m, 1)) return false;
  }
  static constexpr int32_t kOrder[] = {6, 1, 7, 8, 16, 15, 9, 17, 35, 53};
  std::array<bool, kMaxFormulaEntries> taken{};
  int32_t n = 0;
  for (int32_t z : kOrder)
    for (int32_t e = 0; e < f.FLeng; ++e)
      if (!taken[e] && f.AtNum[e] == z) {
        taken[e] = true;
        Formula.AtNum[n] = f.AtNum[e];
        Formula.AtWgt[n] = f.AtWgt[e];
        Formula.AtCnt[n] = f.AtCnt[e];
        ++n;
      }
  for (int32_t e = 0; e < f.FLeng; ++e)
    if (!taken[e]) {
      Formula.AtNum[n] = f.AtNum[e];
      Formula.AtWgt[n] = f.AtWgt[e];
      Formula.AtCnt[n] = f.AtCnt[e];
      ++n;
    }
  Formula.FLeng = n;
  return true;
}

double TCTab::CalcChemMolWeight() const {
  const Graph g = cstruct_impl::BuildGraph(*this);
  double w = CalcMissingH() * ChemAtWeight(1);
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = FAtomEntries[i - 1];
    if (a.atNum != 1) {
      w += ChemAtWeight(a.atNum);
    } else if (HAsOwnEntry(*this, i, g)) {
      w += OrdinaryH(*this, i) ? ChemAtWeight(1) : IsotopeExactMass(1, a.atWeight);
    }
  }
  return w;
}

int32_t TCTab::Components() const {
  std::array<int32_t, kMaxCTAtoms + 1> parent{};
  for (int32_t i = 0; i <= kMaxCTAtoms; ++i) parent[i] = i;
  auto find = [&parent](int32_t x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  int32_t comps = FNumValidAtoms;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i)
    for (uint8_t nb : FAtomEntries[i - 1].connTo) {
      if (!cstruct_impl::ValidNeighbour(nb, i, FNumValidAtoms)) continue;
      const int32_t a = find(i), b = find(nb);
      if (a != b) {
        parent[a] = b;
        --comps;
      }
    }
  return comps;
}

int32_t TCTab::RingsInMolecule() const {
  if (FNumValidAtoms == 0) return 0;
  int32_t slots = 0;
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) slots += ValidDegree(i);
  // Components, not 1: a salt or hydrate is several molecules.
  return slots / 2 - FNumValidAtoms + Components();
}

// ---------------------------------------------------------------------------
// Rings
// ---------------------------------------------------------------------------

namespace {

uint64_t RingMask(const RingType& r) {
  uint64_t m = 0;
  for (int32_t k = 0; k < r.Size; ++k) m |= uint64_t{1} << r.Atoms[k];
  return m;
}

bool HoldsAtomSet(const RingListType& l, uint64_t mask) {
  for (int32_t k = 0; k < l.Count; ++k)
    if (RingMask(l.Rings[k]) == mask) return true;
  return false;
}

// Depth-first search for all shortest rings through one atom, on a private
// visited set (AtFlag belongs to the caller). Besides the best-length bound,
// a step is cut when even the shortest way back to the start would make the
// ring longer than the best: this keeps the set of rings found unchanged.
struct ShortestRingSearch {
  const Graph& g;
  int32_t start;
  RingListType& list;
  std::array<int32_t, kMaxCTAtoms + 1> dist{};
  std::array<uint8_t, kMaxCTAtoms> path{};
  uint64_t onPath = 0;
  int32_t len = 0;
  int32_t best = kMaxCTAtoms + 1;

  ShortestRingSearch(const Graph& graph, int32_t s, RingListType& l) : g(graph), start(s), list(l) {
    dist.fill(1 << 20);
    std::array<int32_t, kMaxCTAtoms> queue{};
    int32_t head = 0, tail = 0;
    dist[s] = 0;
    queue[tail++] = s;
    while (head < tail) {
      const int32_t x = queue[head++];
      for (int32_t k = 0; k < g.deg[x]; ++k) {
        const int32_t y = g.nb[x][k];
        if (dist[y] > dist[x] + 1) {
          dist[y] = dist[x] + 1;
          queue[tail++] = y;
        }
      }
    }
  }

  void Close() {
    RingType r;
    r.Size = len;
    std::copy(path.begin(), path.begin() + len, r.Atoms.begin());
    if (len < best) {
      best = len;
      list.Count = 0;
    } else if (HoldsAtomSet(list, RingMask(r))) {
      return;
    }
    if (list.Count < kMaxRings) list.Rings[list.Count++] = r;
  }

  void Step(int32_t cur, int32_t from) {
    for (int32_t k = 0; k < g.deg[cur]; ++k) {
      const int32_t nb = g.nb[cur][k];
      if (nb == from) continue;
      if (nb == start) {
        if (len <= best) Close();
        continue;
      }
      if ((onPath >> nb) & 1u) continue;
      if (len + dist[nb] > best) continue;
      onPath |= uint64_t{1} << nb;
      path[len++] = static_cast<uint8_t>(nb);
      Step(nb, cur);
      --len;
      onPath &= ~(uint64_t{1} << nb);
    }
  }

  void Run() {
    path[0] = static_cast<uint8_t>(start);
    len = 1;
    onPath = uint64_t{1} << start;
    Step(start, 0);
  }
};

constexpr int32_t kMaxEdges = kMaxCTAtoms * kMaxCTConn / 2 + 1;
using EdgeSet = std::bitset<kMaxEdges>;

// Edge numbering of the undirected graph; a pair recorded on either side is
// an edge.
struct EdgeIndex {
  std::array<std::array<int16_t, kMaxCTAtoms + 1>, kMaxCTAtoms + 1> id{};
  int32_t count = 0;
  // One-sided entries can give an atom up to 62 neighbours.
  std::array<std::array<uint8_t, kMaxCTAtoms>, kMaxCTAtoms + 1> adj{};
  std::array<int32_t, kMaxCTAtoms + 1> deg{};

  explicit EdgeIndex(const Graph& g) {
    for (auto& row : id) row.fill(-1);
    for (int32_t a = 1; a <= g.n; ++a)
      for (int32_t k = 0; k < g.deg[a]; ++k) {
        const int32_t b = g.nb[a][k];
        if (id[a][b] >= 0) continue;
        id[a][b] = id[b][a] = static_cast<int16_t>(count++);
        adj[a][deg[a]++] = static_cast<uint8_t>(b);
        adj[b][deg[b]++] = static_cast<uint8_t>(a);
      }
  }

  EdgeSet Edges(const RingType& r) const {
    EdgeSet e;
    for (int32_t k = 0; k < r.Size; ++k) {
      const int32_t x = r.Atoms[k], y = r.Atoms[(k + 1) % r.Size];
      if (id[x][y] >= 0) e.set(static_cast<size_t>(id[x][y]));
    }
    return e;
  }
};

// Gaussian elimination over GF(2): a row per pivot edge.
struct CycleSpace {
  std::vector<std::pair<int32_t, EdgeSet>> rows;

  static int32_t Lowest(const EdgeSet& e) {
    for (int32_t k = 0; k < kMaxEdges; ++k)
      if (e.test(static_cast<size_t>(k))) return k;
    return -1;
  }

  bool Insert(EdgeSet e) {
    for (const auto& [pivot, row] : rows)
      if (e.test(static_cast<size_t>(pivot))) e ^= row;
    const int32_t p = Lowest(e);
    if (p < 0) return false;
    for (auto& [pivot, row] : rows)
      if (row.test(static_cast<size_t>(p))) row ^= e;
    rows.emplace_back(p, e);
    return true;
  }
};

// Horton's candidates: for each atom v and edge (x, y), the shortest paths
// v..x and v..y closed by the edge, when the two paths meet only in v.
std::vector<RingType> HortonCandidates(const EdgeIndex& ei, int32_t n) {
  std::vector<RingType> out;
  for (int32_t v = 1; v <= n; ++v) {
    std::array<int32_t, kMaxCTAtoms + 1> dist, parent{};
    dist.fill(-1);
    std::array<int32_t, kMaxCTAtoms> queue{};
    int32_t head = 0, tail = 0;
    dist[v] = 0;
    queue[tail++] = v;
    while (head < tail) {
      const int32_t x = queue[head++];
      for (int32_t k = 0; k < ei.deg[x]; ++k) {
        const int32_t y = ei.adj[x][k];
        if (dist[y] < 0) {
          dist[y] = dist[x] + 1;
          parent[y] = x;
          queue[tail++] = y;
        }
      }
    }
    for (int32_t x = 1; x <= n; ++x) {
      if (dist[x] < 0) continue;
      for (int32_t k = 0; k < ei.deg[x]; ++k) {
        const int32_t y = ei.adj[x][k];
        if (y < x || dist[y] < 0 || parent[x] == y || parent[y] == x) continue;
        uint64_t px = 0;
        for (int32_t a = x; a != v; a = parent[a]) px |= uint64_t{1} << a;
        bool disjoint = true;
        for (int32_t a = y; a != v && disjoint; a = parent[a]) disjoint = !((px >> a) & 1u);
        if (!disjoint) continue;
        RingType r;
        std::array<uint8_t, kMaxCTAtoms> up{};
        int32_t nu = 0;
        for (int32_t a = x; a != v; a = parent[a]) up[nu++] = static_cast<uint8_t>(a);
        r.Atoms[r.Size++] = static_cast<uint8_t>(v);
        for (int32_t j = nu - 1; j >= 0; --j) r.Atoms[r.Size++] = up[j];
        for (int32_t a = y; a != v; a = parent[a]) r.Atoms[r.Size++] = static_cast<uint8_t>(a);
        out.push_back(r);
      }
    }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const RingType& a, const RingType& b) { return a.Size < b.Size; });
  return out;
}

}  // namespace

int32_t TCTab::FindShortestRings(int32_t atom, RingListType& List) const {
  List.Count = 0;
  if (!Atom(atom)) return 0;
  const Graph g = cstruct_impl::BuildGraph(*this);
  ShortestRingSearch s(g, atom, List);
  s.Run();
  return List.Count;
}

int32_t TCTab::FindSSSR(RingListType& List) const {
  List.Count = 0;
  const Graph g = cstruct_impl::BuildGraph(*this);
  std::array<bool, kMaxCTAtoms + 1> done{};
  RingListType local;
  for (int32_t a = 1; a <= FNumValidAtoms; ++a) {
    if (done[a] || g.deg[a] < 2) continue;
    local.Count = 0;
    ShortestRingSearch s(g, a, local);
    s.Run();
    for (int32_t k = 0; k < local.Count; ++k) {
      const RingType& r = local.Rings[k];
      if (!HoldsAtomSet(List, RingMask(r)) && List.Count < kMaxRings) List.Rings[List.Count++] = r;
      for (int32_t j = 0; j < r.Size; ++j)
        if (g.deg[r.Atoms[j]] <= 2) done[r.Atoms[j]] = true;
    }
  }
  // The union of shortest rings can miss rings that are nobody's shortest
  // (the six-rings of C60): complete it to the cycle space's rank.
  const EdgeIndex ei(g);
  const int32_t cyclomatic = ei.count - FNumValidAtoms + Components();
  CycleSpace space;
  int32_t rank = 0;
  for (int32_t k = 0; k < List.Count; ++k)
    if (space.Insert(ei.Edges(List.Rings[k]))) ++rank;
  if (rank < cyclomatic) {
    for (const RingType& r : HortonCandidates(ei, FNumValidAtoms)) {
      if (rank >= cyclomatic || List.Count >= kMaxRings) break;
      if (space.Insert(ei.Edges(r))) {
        List.Rings[List.Count++] = r;
        ++rank;
      }
    }
  }
  return List.Count;
}

int32_t TCTab::CalcAttributes() {
  RingListType rings;
  const int32_t n = FindSSSR(rings);
  for (int32_t i = 0; i < FNumValidAtoms; ++i) FAtomEntries[i].attrib = 0;
  constexpr uint8_t kRingBits = kAtbRingOther | kAtbRing5 | kAtbRing6 | kAtbRing;
  for (int32_t k = 0; k < n; ++k) {
    const RingType& r = rings.Rings[k];
    const uint8_t v = r.Size == 6 ? 0x28 : (r.Size == 5 ? 0x24 : 0x22);
    for (int32_t j = 0; j < r.Size; ++j) {
      uint8_t& a = FAtomEntries[r.Atoms[j] - 1].attrib;
      // Earlier ring-size bits are kept: an indene fusion atom is both a
      // five- and a six-ring atom.
      a = static_cast<uint8_t>(a | v | ((a & kRingBits) ? kAtbShared : 0));
    }
  }
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    uint8_t& a = FAtomEntries[i - 1].attrib;
    const int32_t d = ValidDegree(i);
    if (a == 0) a = d == 1 ? (kAtbTerminal | kAtbChain) : kAtbChain;
    if (d > 2) a |= kAtbBranch;
  }
  Changed();
  return n;
}

}  // namespace zel
