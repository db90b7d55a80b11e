// The connection table on the NCI sample of RDKit (4,987 molecules in the
// layout of mol/cstruct/testdata/nci_bench.txt): ring perception (FindSSSR)
// and substructure search for a six-ring of carbons (any bonds) and for a
// carboxylic acid C(=O)-O (bond types compared), in molecules per second.
// Where librdkit-dev is installed, RDKit runs on the same molecules:
// symmetrizeSSSR (its ring information reset first, since a molecule keeps
// perceived rings) and SubstructMatch with the equivalent SMARTS.
// mol/cstruct/testdata/time_rdkit.py times the same through Python.
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mol/cstruct/zel_cstruct.hpp"

#ifdef ZEL_HAVE_RDKIT
#include <GraphMol/GraphMol.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/Substruct/SubstructMatch.h>
#endif

namespace {

using TablePtr = std::unique_ptr<zel::TCTab>;

zel::CTElem Atom(int32_t z, int32_t charge) {
  zel::CTElem r;
  zel::ClearCTElem(r);
  r.atNum = static_cast<uint8_t>(z);
  r.charge = static_cast<int8_t>(charge);
  return r;
}

const std::vector<TablePtr>& Molecules() {
  static const std::vector<TablePtr> mols = [] {
    std::vector<TablePtr> out;
    std::ifstream in(std::string(ZEL_SOURCE_DIR) + "/mol/cstruct/testdata/nci_bench.txt");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      const size_t b1 = line.find(" | "), b2 = line.find(" | ", b1 + 3);
      if (b1 == std::string::npos || b2 == std::string::npos) continue;
      auto t = std::make_unique<zel::TCTab>(nullptr);
      std::istringstream atoms(line.substr(b1 + 3, b2 - b1 - 3)), bonds(line.substr(b2 + 3));
      std::string tok;
      char c;
      while (atoms >> tok) {
        int z = 0, q = 0, m = 0;
        std::istringstream(tok) >> z >> c >> q >> c >> m;
        t->AddAtom(Atom(z, q));
      }
      while (bonds >> tok) {
        int a = 0, b = 0, ty = 0;
        std::istringstream(tok) >> a >> c >> b >> c >> ty;
        t->MakeConnection(a, b, ty);
      }
      out.push_back(std::move(t));
    }
    return out;
  }();
  return mols;
}

void BM_FindSSSR(benchmark::State& state) {
  const auto& mols = Molecules();
  zel::RingListType rings;
  int64_t total = 0;
  for (auto _ : state) {
    for (const auto& m : mols) total += m->FindSSSR(rings);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mols.size()));
  state.counters["rings"] = static_cast<double>(total) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FindSSSR)->Unit(benchmark::kMillisecond);

void Search(benchmark::State& state, const zel::TCTab& query, bool compareBonds) {
  const auto& mols = Molecules();
  zel::TMatchArray match;
  int64_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const auto& m : mols) hits += m->SearchSubStruc(&query, match, compareBonds);
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mols.size()));
  state.counters["hits"] = static_cast<double>(hits);
}

void BM_SearchSixRing(benchmark::State& state) {
  zel::TCTab q(nullptr);
  for (int k = 0; k < 6; ++k) q.AddAtom(Atom(6, 0));
  for (int k = 1; k <= 6; ++k) q.MakeConnection(k, k % 6 + 1, 1);
  Search(state, q, false);
}
BENCHMARK(BM_SearchSixRing)->Unit(benchmark::kMillisecond);

void BM_SearchCarboxylicAcid(benchmark::State& state) {
  zel::TCTab q(nullptr);
  q.AddAtom(Atom(6, 0));
  q.AddAtom(Atom(8, 0));
  q.AddAtom(Atom(8, 0));
  q.MakeConnection(1, 2, 2);
  q.MakeConnection(1, 3, 1);
  Search(state, q, true);
}
BENCHMARK(BM_SearchCarboxylicAcid)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_RDKIT

// The same molecules as RDKit molecules, built from the connection tables.
const std::vector<std::unique_ptr<RDKit::RWMol>>& RdkitMolecules() {
  static const std::vector<std::unique_ptr<RDKit::RWMol>> mols = [] {
    std::vector<std::unique_ptr<RDKit::RWMol>> out;
    for (const auto& t : Molecules()) {
      auto m = std::make_unique<RDKit::RWMol>();
      for (int32_t i = 1; i <= t->GetNAtoms(); ++i) {
        RDKit::Atom a(t->GetAtNum(i));
        a.setFormalCharge(t->GetCharge(i));
        m->addAtom(&a, true, false);
      }
      for (int32_t i = 1; i <= t->GetNAtoms(); ++i)
        for (int32_t k = 1; k <= zel::kMaxCTConn; ++k) {
          const int32_t j = t->GetConnTo(i, k);
          if (j <= i) continue;
          const int32_t ty = t->GetTypConn(i, k);
          m->addBond(static_cast<unsigned>(i - 1), static_cast<unsigned>(j - 1),
                     ty == 3   ? RDKit::Bond::TRIPLE
                     : ty == 2 ? RDKit::Bond::DOUBLE
                               : RDKit::Bond::SINGLE);
        }
      m->updatePropertyCache(false);
      RDKit::MolOps::fastFindRings(*m);
      out.push_back(std::move(m));
    }
    return out;
  }();
  return mols;
}

void BM_RDKit_SymmetrizeSSSR(benchmark::State& state) {
  const auto& mols = RdkitMolecules();
  RDKit::VECT_INT_VECT rings;
  int64_t total = 0;
  for (auto _ : state) {
    for (const auto& m : mols) {
      m->getRingInfo()->reset();
      total += RDKit::MolOps::symmetrizeSSSR(*m, rings);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mols.size()));
  state.counters["rings"] = static_cast<double>(total) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RDKit_SymmetrizeSSSR)->Unit(benchmark::kMillisecond);

void RdkitSearch(benchmark::State& state, const char* smarts) {
  const auto& mols = RdkitMolecules();
  std::unique_ptr<RDKit::RWMol> q(RDKit::SmartsToMol(smarts));
  RDKit::MatchVectType match;
  int64_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const auto& m : mols) hits += RDKit::SubstructMatch(*m, *q, match);
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mols.size()));
  state.counters["hits"] = static_cast<double>(hits);
}

void BM_RDKit_SearchSixRing(benchmark::State& state) {
  RdkitSearch(state, "[#6]1~[#6]~[#6]~[#6]~[#6]~[#6]~1");
}
BENCHMARK(BM_RDKit_SearchSixRing)->Unit(benchmark::kMillisecond);

void BM_RDKit_SearchCarboxylicAcid(benchmark::State& state) {
  RdkitSearch(state, "[#6](=[#8])-[#8]");
}
BENCHMARK(BM_RDKit_SearchCarboxylicAcid)->Unit(benchmark::kMillisecond);

#endif

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
