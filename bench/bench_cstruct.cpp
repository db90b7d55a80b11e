// The connection table on the NCI sample of RDKit (4,987 molecules in the
// layout of mol/cstruct/testdata/nci_bench.txt): ring perception (FindSSSR)
// and substructure search for a six-ring of carbons (any bonds) and for a
// carboxylic acid C(=O)-O (bond types compared), in molecules per second.
// RDKit is timed on the same molecules by mol/cstruct/testdata/time_rdkit.py
// (GetSymmSSSR, HasSubstructMatch with the equivalent SMARTS).
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mol/cstruct/zel_cstruct.hpp"

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

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
