// TCTab: substructure search.
#include <fstream>
#include <ostream>
#include <string>

#include "core/zel_stringl.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

using cstruct_impl::Graph;

namespace {

// Query attribute bits that constrain a match; terminal and branching bits
// are left to the bond-count test, so a query the caller ran CalcAttributes
// on still finds its chain inside longer chains.
constexpr uint8_t kConstrainingBits =
    kAtbChain | kAtbRingOther | kAtbRing5 | kAtbRing6 | kAtbRing | kAtbShared;

struct Matcher {
  const TCTab& q;
  const TCTab& t;
  const Graph& gq;
  const Graph& gt;
  bool compareBonds;
  std::ostream* trace;
  std::array<int32_t, kMaxCTAtoms + 1> order{};
  std::array<int32_t, kMaxCTAtoms + 1> parent{};
  std::array<int32_t, kMaxCTAtoms + 1> map{};
  uint64_t used = 0;
  int32_t n = 0;

  // A trace sink that fails (or throws) must not change the search.
  void Trace(const std::string& line) const {
    if (!trace) return;
    try {
      *trace << line << '\n';
    } catch (...) {
    }
  }

  static int32_t BondType(const Graph& g, int32_t a, int32_t b) {
    for (int32_t k = 0; k < g.deg[a]; ++k)
      if (g.nb[a][k] == b) return g.type[a][k] == 0 ? -1 : g.type[a][k];
    return 0;
  }

  bool AtomFits(int32_t s, int32_t c) const {
    const CTElem& a = CTabAccess::Records(q)[s - 1];
    const CTElem& b = CTabAccess::Records(t)[c - 1];
    if (a.atNum != b.atNum) return false;
    const int32_t need = a.attrib & kConstrainingBits;
    if ((b.attrib & need) != need) return false;
    return gt.deg[c] >= gq.deg[s];
  }

  // Every bond from s to an atom already mapped must exist between the
  // images; ring closure tells whether one besides the parent bond exists.
  bool Consistent(int32_t s, int32_t c, bool& ringClosure) const {
    ringClosure = false;
    for (int32_t k = 0; k < gq.deg[s]; ++k) {
      const int32_t s2 = gq.nb[s][k];
      if (map[s2] == 0) continue;
      const int32_t tb = BondType(gt, c, map[s2]);
      if (tb == 0) return false;
      if (compareBonds && tb != (gq.type[s][k] == 0 ? -1 : gq.type[s][k])) return false;
      if (s2 != parent[s]) ringClosure = true;
    }
    return true;
  }

  bool Try(int32_t p, int32_t c) {
    const int32_t s = order[p];
    bool ring = false;
    const bool ok = !((used >> c) & 1u) && AtomFits(s, c) && Consistent(s, c, ring);
    if (trace) {
      const int32_t ps = parent[s];
      Trace("level=" + std::to_string(p + 1) + "  " + std::to_string(s) + " " + std::to_string(c) +
            " " + std::to_string(ps) + " " + std::to_string(ps ? map[ps] : 0));
      Trace(BoolToStr(ok) + " " + BoolToStr(ring));
    }
    if (!ok) return false;
    map[s] = c;
    used |= uint64_t{1} << c;
    if (Extend(p + 1)) return true;
    map[s] = 0;
    used &= ~(uint64_t{1} << c);
    return false;
  }

  bool Extend(int32_t p) {
    if (p == n) return true;
    const int32_t pt = map[parent[order[p]]];
    for (int32_t k = 0; k < gt.deg[pt]; ++k)
      if (Try(p, gt.nb[pt][k])) return true;
    return false;
  }
};

}  // namespace

bool TCTab::SearchSubStruc(const TCTab* Small, TMatchArray& Matched, bool CompareBonds) const {
  Matched.fill(0);
  if (!Small || Small->GetNAtoms() == 0) return false;
  if (!SumForContained(Small) || RingsInMolecule() < Small->RingsInMolecule()) return false;
  const Graph gq = cstruct_impl::BuildGraph(*Small);
  const Graph gt = cstruct_impl::BuildGraph(*this);
  const int32_t n = Small->GetNAtoms();

  std::ofstream file;
  std::ostream* trace = FTraceStream;
  if (!trace && !FTraceFile.empty()) {
    file.open(FTraceFile, std::ios::app);
    if (file) trace = &file;
  }
  Matcher m{*Small, *this, gq, gt, CompareBonds, trace};
  m.n = n;

  int32_t anchor = 0;
  for (int32_t s = 1; s <= n && anchor == 0; ++s)
    if (Small->GetAtNum(s) != 6) anchor = s;
  const bool anyElement = anchor == 0;
  if (anyElement) anchor = 1;

  // Breadth-first order from the anchor; a query atom the order never
  // reaches (a disconnected query) can never be mapped.
  uint64_t seen = uint64_t{1} << anchor;
  int32_t len = 0;
  m.order[len++] = anchor;
  for (int32_t h = 0; h < len; ++h) {
    const int32_t s = m.order[h];
    for (int32_t k = 0; k < gq.deg[s]; ++k) {
      const int32_t s2 = gq.nb[s][k];
      if ((seen >> s2) & 1u) continue;
      seen |= uint64_t{1} << s2;
      m.parent[s2] = s;
      m.order[len++] = s2;
    }
  }
  bool found = false;
  if (len == n) {
    for (int32_t c = 1; c <= FNumValidAtoms && !found; ++c) {
      if (!anyElement && GetAtNum(c) != Small->GetAtNum(anchor)) continue;
      found = m.Try(0, c);
    }
  }
  m.Trace("final: " + BoolToStr(found));
  m.Trace("--------------");
  if (found)
    for (int32_t s = 1; s <= n; ++s) Matched[s] = static_cast<uint8_t>(m.map[s]);
  return found;
}

}  // namespace zel
