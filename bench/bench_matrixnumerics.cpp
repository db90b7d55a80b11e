// Matrix numerics against single-threaded OpenBLAS/LAPACK and Eigen: the SVD
// of 200 x 200, 500 x 300, 1000 x 1000 and 2000 x 2000 (dgesvd; Eigen BDCSVD
// and JacobiSVD at the two small sizes only), Cholesky of 500 x 500 (dpotrf),
// Invert and Determinant of 400 x 400 and 1000 x 1000 (dgetrf + dgetri,
// dgetrf) and the cross-product Square of 2000 x 500 with one and two threads
// (dsyrk). Peers that are not installed are left out.
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <cstdlib>
#include <vector>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

#ifdef ZEL_HAVE_LAPACKE
#include <cblas.h>
#include <lapacke.h>
#endif
#ifdef ZEL_HAVE_EIGEN
#include <Eigen/Dense>
#include <Eigen/SVD>
#endif

namespace {

// Columns x rows, elements uniform in (-1, 1).
zel::TDouble2DArray RandomColumns(int32_t cols, int32_t rows, uint64_t seed) {
  zel::SetRandSeed(seed);
  zel::TDouble2DArray a(static_cast<size_t>(cols), zel::TDoubleArray(static_cast<size_t>(rows)));
  for (auto& column : a)
    for (double& x : column) x = 2 * zel::Random() - 1;
  return a;
}

std::vector<double> ColumnMajor(const zel::TDouble2DArray& a) {
  std::vector<double> out;
  for (const auto& column : a) out.insert(out.end(), column.begin(), column.end());
  return out;
}

// Range arguments: rows m, columns n.
void BM_ZelSVD(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  const zel::TDouble2DArray src = RandomColumns(n, m, 7);
  zel::TDoubleArray w(static_cast<size_t>(n));
  zel::TDouble2DArray v(static_cast<size_t>(n), zel::TDoubleArray(static_cast<size_t>(n)));
  for (auto _ : state) {
    zel::TDouble2DArray a = src;  // the decomposition overwrites its input, as dgesvd does
    benchmark::DoNotOptimize(zel::SVDecompose(m, n, a, w, v));
  }
}
// The two large sizes leave the caches: one iteration is seconds, so they run once per repetition.
BENCHMARK(BM_ZelSVD)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZelSVD)
    ->Args({1000, 1000})
    ->Args({2000, 2000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_LAPACKE
void BM_LapackDgesvd(benchmark::State& state) {
  const auto m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<double> src = ColumnMajor(RandomColumns(n, m, 7));
  std::vector<double> s(static_cast<size_t>(n)), vt(static_cast<size_t>(n) * n),
      superb(static_cast<size_t>(n));
  for (auto _ : state) {
    std::vector<double> a = src;
    // U overwrites A and all of V^T is formed, the same work as ours.
    benchmark::DoNotOptimize(LAPACKE_dgesvd(LAPACK_COL_MAJOR, 'O', 'A', m, n, a.data(), m, s.data(),
                                            nullptr, 1, vt.data(), n, superb.data()));
  }
}
BENCHMARK(BM_LapackDgesvd)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LapackDgesvd)
    ->Args({1000, 1000})
    ->Args({2000, 2000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
#endif

#ifdef ZEL_HAVE_EIGEN
template <class Svd>
void EigenSvd(benchmark::State& state) {
  const auto m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<double> src = ColumnMajor(RandomColumns(n, m, 7));
  const Eigen::MatrixXd a = Eigen::Map<const Eigen::MatrixXd>(src.data(), m, n);
  for (auto _ : state) {
    Svd svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.singularValues().data());
  }
}
void BM_EigenBDCSVD(benchmark::State& state) { EigenSvd<Eigen::BDCSVD<Eigen::MatrixXd>>(state); }
void BM_EigenJacobiSVD(benchmark::State& state) {
  EigenSvd<Eigen::JacobiSVD<Eigen::MatrixXd>>(state);
}
BENCHMARK(BM_EigenBDCSVD)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenJacobiSVD)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);
#endif

constexpr int32_t kChol = 500;

// A symmetric positive definite matrix: B B^T + n I.
zel::TDouble2DArray SpdColumns() {
  const zel::TDouble2DArray b = RandomColumns(kChol, kChol, 3);
  zel::TDouble2DArray a(kChol, zel::TDoubleArray(kChol));
  for (int32_t i = 0; i < kChol; ++i)
    for (int32_t j = 0; j <= i; ++j) {
      double s = 0;
      for (int32_t k = 0; k < kChol; ++k) s += b[k][i] * b[k][j];
      a[i][j] = a[j][i] = s + (i == j ? kChol : 0);
    }
  return a;
}

void BM_ZelCholesky(benchmark::State& state) {
  zel::TMatrix a(nullptr), l(nullptr);
  a.Resize(kChol, kChol);
  a.CopyFromArray(SpdColumns(), 0, 0, 0, 0, 1, 1);
  for (auto _ : state) benchmark::DoNotOptimize(a.CholeskyDecomp(&l));
}
BENCHMARK(BM_ZelCholesky)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_LAPACKE
void BM_LapackDpotrf(benchmark::State& state) {
  const std::vector<double> src = ColumnMajor(SpdColumns());
  std::vector<double> a(src.size());
  for (auto _ : state) {
    state.PauseTiming();
    a = src;
    state.ResumeTiming();
    benchmark::DoNotOptimize(LAPACKE_dpotrf(LAPACK_COL_MAJOR, 'L', kChol, a.data(), kChol));
  }
}
BENCHMARK(BM_LapackDpotrf)->Unit(benchmark::kMillisecond);
#endif

// Invert and Determinant on the same random matrix as the LAPACK peers;
// each run starts from a fresh copy, as the peers' do.
void BM_ZelInvert(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  const zel::TDouble2DArray src = RandomColumns(n, n, 11);
  zel::TMatrix a(nullptr);
  a.Resize(n, n);
  for (auto _ : state) {
    state.PauseTiming();
    a.CopyFromArray(src, 0, 0, 0, 0, 1, 1);
    state.ResumeTiming();
    if (!a.Invert()) state.SkipWithError("Invert failed");
  }
}
BENCHMARK(BM_ZelInvert)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ZelDeterminant(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  zel::TMatrix a(nullptr);
  a.Resize(n, n);
  a.CopyFromArray(RandomColumns(n, n, 11), 0, 0, 0, 0, 1, 1);
  for (auto _ : state) benchmark::DoNotOptimize(a.Determinant());
}
BENCHMARK(BM_ZelDeterminant)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_LAPACKE
void BM_LapackDgetrfDgetri(benchmark::State& state) {
  const auto n = static_cast<lapack_int>(state.range(0));
  const std::vector<double> src = ColumnMajor(RandomColumns(n, n, 11));
  std::vector<double> a(src.size());
  std::vector<lapack_int> ipiv(static_cast<size_t>(n));
  // The work size dgetri asks for (its blocked path).
  double query = 0;
  LAPACKE_dgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, ipiv.data(), &query, -1);
  std::vector<double> work(static_cast<size_t>(query) + 1);
  for (auto _ : state) {
    state.PauseTiming();
    a = src;
    state.ResumeTiming();
    if (LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, a.data(), n, ipiv.data()) != 0 ||
        LAPACKE_dgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, ipiv.data(), work.data(),
                            static_cast<lapack_int>(work.size())) != 0)
      state.SkipWithError("dgetrf/dgetri failed");
  }
}
BENCHMARK(BM_LapackDgetrfDgetri)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond);

// dgetrf and the determinant from its diagonal and exchanges: a copy of
// the matrix and the factorisation, as Determinant does.
void BM_LapackDgetrfDeterminant(benchmark::State& state) {
  const auto n = static_cast<lapack_int>(state.range(0));
  const std::vector<double> src = ColumnMajor(RandomColumns(n, n, 11));
  std::vector<lapack_int> ipiv(static_cast<size_t>(n));
  for (auto _ : state) {
    std::vector<double> a = src;
    LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, a.data(), n, ipiv.data());
    long double det = 1;
    for (lapack_int i = 0; i < n; ++i) {
      det *= a[static_cast<size_t>(i) * static_cast<size_t>(n + 1)];
      if (ipiv[static_cast<size_t>(i)] != i + 1) det = -det;
    }
    benchmark::DoNotOptimize(det);
  }
}
BENCHMARK(BM_LapackDgetrfDeterminant)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond);
#endif

constexpr int32_t kSqRows = 2000, kSqCols = 500;

void BM_ZelSquare(benchmark::State& state) {
  zel::TMatrix a(nullptr), res(nullptr);
  a.Resize(kSqCols, kSqRows);
  a.FillRandomUniform(-1, 1);
  const auto threads = static_cast<int32_t>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(a.Square(&res, 1.0, threads));
}
BENCHMARK(BM_ZelSquare)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef ZEL_HAVE_LAPACKE
void BM_BlasDsyrk(benchmark::State& state) {
  const std::vector<double> a = ColumnMajor(RandomColumns(kSqCols, kSqRows, 5));
  std::vector<double> c(static_cast<size_t>(kSqCols) * kSqCols);
  for (auto _ : state) {
    cblas_dsyrk(CblasColMajor, CblasUpper, CblasTrans, kSqCols, kSqRows, 1.0, a.data(), kSqRows,
                0.0, c.data(), kSqCols);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_BlasDsyrk)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

int main(int argc, char** argv) {
  // The peers run on one thread, as our routines do (Square's second run aside).
  setenv("OPENBLAS_NUM_THREADS", "1", 1);
#ifdef ZEL_HAVE_LAPACKE
  openblas_set_num_threads(1);
#endif
  return zel_bench::RunBenchmarks(argc, argv);
}
