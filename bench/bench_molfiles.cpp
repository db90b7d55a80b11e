// Reading SD files: a 5,000-record file built once into the temporary
// directory by repeating the records of mol/cstruct/testdata/*_sample.sdf
// that fit a connection table (at most 63 atoms), read record by record
// with TCTab::ReadFromMDLSDFile (a TTextFile) and ReadFromMDLSDStream (an
// std::ifstream); items per second are records per second. Where
// librdkit-dev is installed, RDKit's SDMolSupplier reads the same file
// without sanitizing and keeping hydrogens (what the connection table
// holds), and once more with its default sanitization.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

#ifdef ZEL_HAVE_RDKIT_FILEPARSERS
#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/ROMol.h>
#endif

namespace {

constexpr int kRecords = 5000;

const std::string& BenchFile() {
  static const std::string path = [] {
    std::vector<std::string> recs;
    for (const char* name : {"nci", "pubchem", "bzr", "cdk2", "egfr"}) {
      std::ifstream in(
          std::string(ZEL_SOURCE_DIR) + "/mol/cstruct/testdata/" + name + "_sample.sdf",
          std::ios::binary);
      std::string rec, line;
      int lineNo = 0;
      bool fits = true;
      while (std::getline(in, line)) {
        rec += line + "\n";
        if (++lineNo == 4) fits = std::stoi(line.substr(0, 3)) <= zel::kMaxCTAtoms;
        if (line.rfind("$$$$", 0) == 0) {
          if (fits) recs.push_back(rec);
          rec.clear();
          lineNo = 0;
        }
      }
    }
    const std::string p =
        (std::filesystem::temp_directory_path() / "zel_bench_molfiles.sdf").string();
    std::ofstream out(p, std::ios::binary);
    for (int k = 0; k < kRecords; ++k) out << recs[static_cast<size_t>(k) % recs.size()];
    return p;
  }();
  return path;
}

void BM_Zel_ReadSDFile(benchmark::State& state) {
  const std::string& path = BenchFile();
  zel::TCTab t(nullptr);
  zel::TPropArray props;
  int64_t records = 0;
  for (auto _ : state) {
    zel::TTextFile f;
    f.Reset(path);
    int64_t n = 0;
    while (t.ReadFromMDLSDFile(f, props)) ++n;
    if (n != kRecords) state.SkipWithError("not every record was read");
    records += n;
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Zel_ReadSDFile)->Unit(benchmark::kMillisecond);

void BM_Zel_ReadSDStream(benchmark::State& state) {
  const std::string& path = BenchFile();
  zel::TCTab t(nullptr);
  zel::TPropArray props;
  int64_t records = 0;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    int64_t n = 0;
    while (t.ReadFromMDLSDStream(in, props)) ++n;
    if (n != kRecords) state.SkipWithError("not every record was read");
    records += n;
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Zel_ReadSDStream)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_RDKIT_FILEPARSERS
void RdkitRead(benchmark::State& state, bool sanitize) {
  const std::string& path = BenchFile();
  int64_t records = 0;
  for (auto _ : state) {
    RDKit::SDMolSupplier supp(path, sanitize, /*removeHs=*/false);
    int64_t n = 0;
    while (!supp.atEnd()) {
      std::unique_ptr<RDKit::ROMol> m(supp.next());
      n += m != nullptr;
    }
    if (n != kRecords) state.SkipWithError("not every record was read");
    records += n;
  }
  state.SetItemsProcessed(records);
}
void BM_RDKit_SDMolSupplier(benchmark::State& state) { RdkitRead(state, false); }
BENCHMARK(BM_RDKit_SDMolSupplier)->Unit(benchmark::kMillisecond);
void BM_RDKit_SDMolSupplierSanitized(benchmark::State& state) { RdkitRead(state, true); }
BENCHMARK(BM_RDKit_SDMolSupplierSanitized)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
