// TDataTable's CSV files and column statistics against plain loops over
// the same data in the same run:
//  - loading a 100 000 x 20 CSV file (ImportFromCSV) against reading the
//    file and converting every field with std::from_chars into columns;
//  - saving it (ExportAsCSV, shortest exact numbers) against
//    std::to_chars of every value into a buffer written with fwrite;
//  - the mean and variance of every column over its numeric cells
//    (MeanVarOfNumCells) against TMatrix::MeanVar over the same columns.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace {

constexpr int32_t kCols = 20;
constexpr int32_t kRows = 100'000;

std::string ScratchFile(const char* Name) {
  return (std::filesystem::temp_directory_path() /
          ("zel_bench_dt_" + std::to_string(::getpid()) + "_" + Name))
      .string();
}

// The table (uniform values in -500..500) and its CSV file, made once.
zel::TDataTable& Table() {
  static std::unique_ptr<zel::TDataTable> t = [] {
    auto p = std::make_unique<zel::TDataTable>(nullptr);
    p->Resize(kCols, kRows);
    const auto& d = zel_bench::UniformData(kCols * kRows, 7);
    for (int32_t c = 1; c <= kCols; ++c)
      for (int32_t r = 1; r <= kRows; ++r)
        p->GetNumericData()->SetVal(c, r, d[static_cast<size_t>((c - 1) * kRows + r - 1)]);
    return p;
  }();
  return *t;
}

const std::string& CsvFile() {
  static const std::string path = [] {
    const std::string p = ScratchFile("in.csv");
    if (!Table().ExportAsCSV(p, 0, zel::TCSVDelimiters::csvComma, true, false)) std::abort();
    return p;
  }();
  return path;
}

struct TCleanup {
  ~TCleanup() {
    std::error_code ec;
    std::filesystem::remove(ScratchFile("in.csv"), ec);
    std::filesystem::remove(ScratchFile("out.csv"), ec);
    std::filesystem::remove(ScratchFile("plain.csv"), ec);
  }
} cleanup;

void BM_TableLoadCsv(benchmark::State& state) {
  const std::string& path = CsvFile();
  zel::TDataTable t(nullptr);
  for (auto _ : state) {
    if (t.ImportFromCSV(path, zel::TCSVDelimiters::csvComma, true, false) != zel::kDTCsvOk)
      state.SkipWithError("import failed");
    benchmark::DoNotOptimize(t.GetNumericData());
  }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_TableLoadCsv)->Unit(benchmark::kMillisecond);

// The floor: the file read whole, then every field converted in place.
void BM_PlainFromCharsLoad(benchmark::State& state) {
  const std::string& path = CsvFile();
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string text(static_cast<size_t>(std::filesystem::file_size(path)), '\0');
    const size_t got = std::fread(text.data(), 1, text.size(), f);
    std::fclose(f);
    std::vector<std::vector<double>> cols(kCols);
    const char* p = text.data();
    const char* const end = text.data() + got;
    while (p < end && *p != '\n') ++p;  // the header
    ++p;
    size_t c = 0;
    while (p < end) {
      double v = 0;
      const auto res = std::from_chars(p, end, v);
      cols[c].push_back(v);
      p = res.ptr;
      c = *p == '\n' ? 0 : c + 1;
      ++p;
    }
    benchmark::DoNotOptimize(cols.data());
  }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_PlainFromCharsLoad)->Unit(benchmark::kMillisecond);

void BM_TableSaveCsv(benchmark::State& state) {
  auto& t = Table();
  const std::string path = ScratchFile("out.csv");
  for (auto _ : state)
    if (!t.ExportAsCSV(path, 0, zel::TCSVDelimiters::csvComma, true, false))
      state.SkipWithError("export failed");
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_TableSaveCsv)->Unit(benchmark::kMillisecond);

void BM_PlainToCharsSave(benchmark::State& state) {
  const auto& m = *Table().GetNumericData();
  const std::string path = ScratchFile("plain.csv");
  for (auto _ : state) {
    std::string out;
    out.reserve(static_cast<size_t>(kCols) * kRows * 20);
    char buf[32];
    for (int32_t r = 1; r <= kRows; ++r)
      for (int32_t c = 1; c <= kCols; ++c) {
        const auto res = std::to_chars(buf, buf + sizeof buf, m.GetVal(c, r));
        out.append(buf, res.ptr);
        out += c == kCols ? '\n' : ',';
      }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
  }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_PlainToCharsSave)->Unit(benchmark::kMillisecond);

void BM_TableColumnMeanVar(benchmark::State& state) {
  const auto& t = Table();
  for (auto _ : state)
    for (int32_t c = 1; c <= kCols; ++c) {
      double mean = 0, var = 0;
      t.MeanVarOfNumCells(c, 1, c, kRows, mean, var);
      benchmark::DoNotOptimize(var);
    }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_TableColumnMeanVar)->Unit(benchmark::kMillisecond);

void BM_MatrixColumnMeanVar(benchmark::State& state) {
  const auto& m = *Table().GetNumericData();
  for (auto _ : state)
    for (int32_t c = 1; c <= kCols; ++c) {
      double mean = 0, var = 0;
      m.MeanVar(c, 1, c, kRows, mean, var);
      benchmark::DoNotOptimize(var);
    }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_MatrixColumnMeanVar)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
