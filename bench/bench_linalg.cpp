// Linear algebra and flood fill of the array unit. InvertArray (Crout LU
// with implicit scaling, unblocked) against LAPACK's dgetrf + dgetri, and
// Determinant (LU with partial pivoting) against dgetrf, both through
// OpenBLAS on one thread, for 100 x 100 and 400 x 400 matrices; and
// FloodFillArray on a 4000 x 4000 grid (an open square and a one-cell-wide
// serpentine corridor), reported in cells per second. The LAPACK peers are
// built only when lapacke and OpenBLAS were found (ZEL_HAVE_LAPACKE).
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

#ifdef ZEL_HAVE_LAPACKE
#include <lapacke.h>
extern "C" void openblas_set_num_threads(int num_threads);
#endif

namespace {

// A random n x n matrix with elements uniform in (-1, 1), made once.
const zel::TDouble2DArray& Matrix(int32_t n) {
  static std::map<int32_t, zel::TDouble2DArray> cache;
  auto [it, inserted] = cache.try_emplace(n);
  if (inserted) {
    zel::SetRandSeed(static_cast<uint64_t>(n));
    it->second.assign(static_cast<size_t>(n), zel::TDoubleArray(static_cast<size_t>(n)));
    for (auto& column : it->second)
      for (double& v : column) v = zel::Random() * 2 - 1;
  }
  return it->second;
}

void BM_InvertArray(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  const auto& a = Matrix(n);
  for (auto _ : state) {
    zel::TDouble2DArray b = a;
    if (zel::InvertArray(b) != 0) state.SkipWithError("InvertArray failed");
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_InvertArray)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_Determinant(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  const auto& a = Matrix(n);
  for (auto _ : state) benchmark::DoNotOptimize(zel::Determinant(a));
}
BENCHMARK(BM_Determinant)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_LAPACKE

// The matrix in LAPACK's column-major layout (our columns are its columns).
std::vector<double> Packed(const zel::TDouble2DArray& a) {
  std::vector<double> p;
  p.reserve(a.size() * a.size());
  for (const auto& column : a) p.insert(p.end(), column.begin(), column.end());
  return p;
}

void BM_LapackDgetrfDgetri(benchmark::State& state) {
  const auto n = static_cast<lapack_int>(state.range(0));
  const std::vector<double> a = Packed(Matrix(static_cast<int32_t>(n)));
  std::vector<lapack_int> ipiv(static_cast<size_t>(n));
  std::vector<double> work(static_cast<size_t>(n) * 64);
  for (auto _ : state) {
    std::vector<double> b = a;
    if (LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, b.data(), n, ipiv.data()) != 0 ||
        LAPACKE_dgetri_work(LAPACK_COL_MAJOR, n, b.data(), n, ipiv.data(), work.data(),
                            static_cast<lapack_int>(work.size())) != 0)
      state.SkipWithError("dgetrf/dgetri failed");
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_LapackDgetrfDgetri)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_LapackDgetrfDeterminant(benchmark::State& state) {
  const auto n = static_cast<lapack_int>(state.range(0));
  const std::vector<double> a = Packed(Matrix(static_cast<int32_t>(n)));
  std::vector<lapack_int> ipiv(static_cast<size_t>(n));
  for (auto _ : state) {
    std::vector<double> b = a;
    LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, b.data(), n, ipiv.data());
    double det = 1;
    for (lapack_int i = 0; i < n; ++i) {
      det *= b[static_cast<size_t>(i) * static_cast<size_t>(n + 1)];
      if (ipiv[static_cast<size_t>(i)] != i + 1) det = -det;
    }
    benchmark::DoNotOptimize(det);
  }
}
BENCHMARK(BM_LapackDgetrfDeterminant)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

#endif

// Flood fill: each iteration fills the region with the other of two values,
// so the grid never needs resetting.
void FloodBench(benchmark::State& state, zel::TInt2DArray grid) {
  int32_t hr = 0, lr = 0, lc = 0, hc = 0;
  int32_t value = 1;
  int64_t cells = 0;
  for (auto _ : state) {
    const int32_t filled = zel::FloodFillArray(0, 0, value, true, grid, hr, lr, lc, hc);
    if (filled <= 0) state.SkipWithError("FloodFillArray failed");
    cells += filled;
    value = value == 1 ? 0 : 1;
  }
  state.SetItemsProcessed(cells);
}

void BM_FloodFillSquare(benchmark::State& state) {
  FloodBench(state, zel::TInt2DArray(4000, zel::TIntArray(4000, 0)));
}
BENCHMARK(BM_FloodFillSquare)->Unit(benchmark::kMillisecond);

void BM_FloodFillSerpentine(benchmark::State& state) {
  // Even columns open, odd columns walls with one gap at alternate ends.
  const size_t n = 4000;
  zel::TInt2DArray g(n, zel::TIntArray(n, 2));
  for (size_t c = 0; c < n; c += 2) {
    std::fill(g[c].begin(), g[c].end(), 0);
    if (c + 2 < n) g[c + 1][(c / 2) % 2 == 0 ? n - 1 : 0] = 0;
  }
  FloodBench(state, std::move(g));
}
BENCHMARK(BM_FloodFillSerpentine)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The peer runs on one thread, as our routines do.
  setenv("OPENBLAS_NUM_THREADS", "1", 1);
#ifdef ZEL_HAVE_LAPACKE
  openblas_set_num_threads(1);
#endif
  return zel_bench::RunBenchmarks(argc, argv);
}
