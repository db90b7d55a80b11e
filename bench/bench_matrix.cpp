// TMatrix against established libraries and plain loops:
// - Multiply of two 500 x 500 matrices (no OnChange handler on the result)
//   against OpenBLAS dgemm on one thread and Eigen's product (built with the
//   same compiler flags as the library), both when installed
//   (ZEL_HAVE_OPENBLAS, ZEL_HAVE_EIGEN);
// - column statistics over a 2000 x 2000 matrix: MeanVec (one mean per
//   column) and MeanVar of every column, against plain double loops over the
//   same column storage.
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

#ifdef ZEL_HAVE_OPENBLAS
#include <cblas.h>
#endif
#ifdef ZEL_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace {

constexpr int32_t kProduct = 500;
constexpr int32_t kStats = 2000;

// A random n x n matrix with elements uniform in (-1, 1), one per seed.
const zel::TMatrix& Matrix(int32_t n, uint64_t seed) {
  static std::map<std::pair<int32_t, uint64_t>, std::unique_ptr<zel::TMatrix>> cache;
  auto [it, inserted] = cache.try_emplace({n, seed});
  if (inserted) {
    zel::SetRandSeed(seed);
    it->second = std::make_unique<zel::TMatrix>(nullptr);
    it->second->Resize(n, n);
    it->second->FillRandomUniform(-1, 1);
  }
  return *it->second;
}

// The same matrix as one contiguous column-major block.
std::vector<double> Block(const zel::TMatrix& m) {
  std::vector<double> out;
  for (const auto& column : m.GetMat()) out.insert(out.end(), column.begin(), column.end());
  return out;
}

constexpr double kFlops = 2.0 * kProduct * kProduct * kProduct;

void BM_TMatrixMultiply(benchmark::State& state) {
  const auto& a = Matrix(kProduct, 1);
  const auto& b = Matrix(kProduct, 2);
  zel::TMatrix c(nullptr);
  for (auto _ : state) {
    a.Multiply(&b, &c);
    benchmark::DoNotOptimize(c.GetMat().front().data());
  }
  state.counters["GFLOPS"] =
      benchmark::Counter(kFlops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TMatrixMultiply)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_OPENBLAS
void BM_OpenBlasDgemm(benchmark::State& state) {
  const auto a = Block(Matrix(kProduct, 1));
  const auto b = Block(Matrix(kProduct, 2));
  std::vector<double> c(a.size());
  for (auto _ : state) {
    cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, kProduct, kProduct, kProduct, 1.0,
                a.data(), kProduct, b.data(), kProduct, 0.0, c.data(), kProduct);
    benchmark::DoNotOptimize(c.data());
  }
  state.counters["GFLOPS"] =
      benchmark::Counter(kFlops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OpenBlasDgemm)->Unit(benchmark::kMillisecond);
#endif

#ifdef ZEL_HAVE_EIGEN
void BM_EigenProduct(benchmark::State& state) {
  const auto a = Block(Matrix(kProduct, 1));
  const auto b = Block(Matrix(kProduct, 2));
  const Eigen::Map<const Eigen::MatrixXd> ea(a.data(), kProduct, kProduct);
  const Eigen::Map<const Eigen::MatrixXd> eb(b.data(), kProduct, kProduct);
  Eigen::MatrixXd ec(kProduct, kProduct);
  for (auto _ : state) {
    ec.noalias() = ea * eb;
    benchmark::DoNotOptimize(ec.data());
  }
  state.counters["GFLOPS"] =
      benchmark::Counter(kFlops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EigenProduct)->Unit(benchmark::kMillisecond);
#endif

// --- column statistics ----------------------------------------------------------

void BM_TMatrixMeanVecColumns(benchmark::State& state) {
  const auto& m = Matrix(kStats, 3);
  zel::TVector means(nullptr);
  for (auto _ : state) {
    m.MeanVec(zel::TDims::dimColumns, &means);
    benchmark::DoNotOptimize(means.GetVal(1));
  }
  state.SetItemsProcessed(state.iterations() * kStats * kStats);
}
BENCHMARK(BM_TMatrixMeanVecColumns)->Unit(benchmark::kMillisecond);

void BM_PlainColumnMeans(benchmark::State& state) {
  const auto& cols = Matrix(kStats, 3).GetMat();
  std::vector<double> means(cols.size());
  for (auto _ : state) {
    for (size_t c = 0; c < cols.size(); ++c) {
      double s = 0;
      for (const double x : cols[c]) s += x;
      means[c] = s / static_cast<double>(cols[c].size());
    }
    benchmark::DoNotOptimize(means.data());
  }
  state.SetItemsProcessed(state.iterations() * kStats * kStats);
}
BENCHMARK(BM_PlainColumnMeans)->Unit(benchmark::kMillisecond);

void BM_TMatrixColumnMeanVar(benchmark::State& state) {
  const auto& m = Matrix(kStats, 3);
  std::vector<double> var(kStats);
  for (auto _ : state) {
    for (int32_t c = 1; c <= kStats; ++c) {
      double mean = 0;
      m.MeanVar(c, 1, c, kStats, mean, var[static_cast<size_t>(c - 1)]);
    }
    benchmark::DoNotOptimize(var.data());
  }
  state.SetItemsProcessed(state.iterations() * kStats * kStats);
}
BENCHMARK(BM_TMatrixColumnMeanVar)->Unit(benchmark::kMillisecond);

void BM_PlainColumnMeanVar(benchmark::State& state) {
  const auto& cols = Matrix(kStats, 3).GetMat();
  std::vector<double> var(cols.size());
  for (auto _ : state) {
    for (size_t c = 0; c < cols.size(); ++c) {
      double s = 0;
      double q = 0;
      for (const double x : cols[c]) {
        s += x;
        q += x * x;
      }
      const auto n = static_cast<double>(cols[c].size());
      var[c] = (q - s * s / n) / (n - 1);
    }
    benchmark::DoNotOptimize(var.data());
  }
  state.SetItemsProcessed(state.iterations() * kStats * kStats);
}
BENCHMARK(BM_PlainColumnMeanVar)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
#ifdef ZEL_HAVE_OPENBLAS
  // One thread, set before the first call, for a single-core comparison.
  openblas_set_num_threads(1);
#endif
  return zel_bench::RunBenchmarks(argc, argv);
}
