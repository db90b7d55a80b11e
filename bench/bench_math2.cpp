// The analysis unit against established libraries: the k nearest
// neighbours among 1e5 points in 8 dimensions (FindNearestNeighbors, a
// brute-force loop with a bounded max-heap, and a nanoflann k-d tree whose
// build is timed apart), and principal components of 1e4 x 50 (CalcPrincComp,
// with its covariance and Jacobi parts apart, and the matrix unit's Square
// of the centred data for comparison, against Eigen's
// SelfAdjointEigenSolver on the covariance, with and without forming it).
// Peers that are not installed are left out.
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <queue>
#include <utility>
#include <vector>

#include "core/zel_random.hpp"
#include "num/analysis/zel_math2.hpp"

#ifdef ZEL_HAVE_NANOFLANN
#include <nanoflann.hpp>
#endif
#ifdef ZEL_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace {

constexpr int32_t kPoints = 100000;
constexpr int32_t kDims = 8;
constexpr int32_t kQueries = 64;

// kPoints x kDims uniform in [0, 1), as a data matrix and row-major.
struct KnnData {
  std::unique_ptr<zel::TMatrix> mat = std::make_unique<zel::TMatrix>(nullptr);
  std::vector<double> rows;     // point i at rows[i * kDims]
  std::vector<double> queries;  // query q at queries[q * kDims]
  KnnData() {
    zel::SetRandSeed(18);
    zel::TDouble2DArray cols(kDims, zel::TDoubleArray(kPoints));
    rows.resize(static_cast<size_t>(kPoints) * kDims);
    for (int32_t i = 0; i < kPoints; ++i)
      for (int32_t j = 0; j < kDims; ++j) {
        const double x = zel::Random();
        cols[size_t(j)][size_t(i)] = x;
        rows[size_t(i) * kDims + size_t(j)] = x;
      }
    mat->ReplaceData(std::move(cols));
    queries.resize(static_cast<size_t>(kQueries) * kDims);
    for (double& q : queries) q = zel::Random();
  }
};

const KnnData& Knn() {
  static const KnnData data;
  return data;
}

void BM_ZelFindNearestNeighbors(benchmark::State& state) {
  const auto k = static_cast<int32_t>(state.range(0));
  const KnnData& d = Knn();
  std::vector<std::unique_ptr<zel::TVector>> patterns;
  for (int32_t q = 0; q < kQueries; ++q) {
    patterns.push_back(std::make_unique<zel::TVector>(nullptr));
    patterns.back()->Resize(kDims);
    for (int32_t j = 0; j < kDims; ++j)
      patterns.back()->SetVal(j + 1, d.queries[size_t(q) * kDims + size_t(j)]);
  }
  zel::TMatrix list(nullptr);
  list.Resize(2, k);
  int32_t q = 0;
  for (auto _ : state) {
    zel::FindNearestNeighbors(k, d.mat.get(), 0, 0, patterns[size_t(q)].get(), &list, nullptr);
    benchmark::DoNotOptimize(list.GetVal(2, k));
    q = (q + 1) % kQueries;
  }
}
BENCHMARK(BM_ZelFindNearestNeighbors)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// The plain loop a user would write: squared distances over row-major
// points, a max-heap of the k best.
void BM_BruteForceKnn(benchmark::State& state) {
  const auto k = static_cast<size_t>(state.range(0));
  const KnnData& d = Knn();
  int32_t q = 0;
  for (auto _ : state) {
    const double* p = &d.queries[size_t(q) * kDims];
    std::priority_queue<std::pair<double, int32_t>> heap;
    for (int32_t i = 0; i < kPoints; ++i) {
      const double* x = &d.rows[size_t(i) * kDims];
      double s = 0.0;
      for (int32_t j = 0; j < kDims; ++j) {
        const double t = x[j] - p[j];
        s += t * t;
      }
      if (heap.size() < k) {
        heap.emplace(s, i);
      } else if (s < heap.top().first) {
        heap.pop();
        heap.emplace(s, i);
      }
    }
    benchmark::DoNotOptimize(heap.top().first);
    q = (q + 1) % kQueries;
  }
}
BENCHMARK(BM_BruteForceKnn)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_NANOFLANN
struct Cloud {
  const std::vector<double>* rows;
  size_t kdtree_get_point_count() const { return rows->size() / kDims; }
  double kdtree_get_pt(size_t i, size_t dim) const { return (*rows)[i * kDims + dim]; }
  template <class B>
  bool kdtree_get_bbox(B&) const {
    return false;
  }
};
using Tree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>, Cloud,
                                                 kDims, uint32_t>;

void BM_NanoflannBuild(benchmark::State& state) {
  const Cloud cloud{&Knn().rows};
  for (auto _ : state) {
    Tree tree(kDims, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    benchmark::DoNotOptimize(&tree);
  }
}
BENCHMARK(BM_NanoflannBuild)->Unit(benchmark::kMillisecond);

void BM_NanoflannKnn(benchmark::State& state) {
  const auto k = static_cast<size_t>(state.range(0));
  const KnnData& d = Knn();
  const Cloud cloud{&d.rows};
  Tree tree(kDims, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
  std::vector<uint32_t> idx(k);
  std::vector<double> dist(k);
  int32_t q = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tree.knnSearch(&d.queries[size_t(q) * kDims], k, idx.data(), dist.data()));
    q = (q + 1) % kQueries;
  }
}
BENCHMARK(BM_NanoflannKnn)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
#endif

constexpr int32_t kPcaRows = 10000;
constexpr int32_t kPcaCols = 50;

// 1e4 x 50 with correlated columns: column j mixes three shared factors.
const zel::TMatrix& PcaData() {
  static const std::unique_ptr<zel::TMatrix> m = [] {
    zel::SetRandSeed(7);
    auto mat = std::make_unique<zel::TMatrix>(nullptr);
    zel::TDouble2DArray cols(kPcaCols, zel::TDoubleArray(kPcaRows));
    for (int32_t r = 0; r < kPcaRows; ++r) {
      const double f1 = zel::RandG(0, 3), f2 = zel::RandG(0, 2), f3 = zel::RandG(0, 1);
      for (int32_t c = 0; c < kPcaCols; ++c)
        cols[size_t(c)][size_t(r)] =
            10.0 + f1 * (c % 7) + f2 * (c % 3) - f3 * (c % 5) + zel::RandG(0, 0.5);
    }
    mat->ReplaceData(std::move(cols));
    return mat;
  }();
  return *m;
}

void BM_ZelCalcPrincComp(benchmark::State& state) {
  const zel::TMatrix& m = PcaData();
  for (auto _ : state) benchmark::DoNotOptimize(zel::CalcPrincComp(&m, 0, 0, 0, 0, 1));
}
BENCHMARK(BM_ZelCalcPrincComp)->Unit(benchmark::kMillisecond);

void BM_ZelCalcCovar(benchmark::State& state) {
  const zel::TMatrix& m = PcaData();
  zel::TMatrix cov(nullptr);
  cov.Resize(kPcaCols, kPcaCols);
  for (auto _ : state) benchmark::DoNotOptimize(zel::CalcCovar(&m, &cov, 0, 0, 0, 0, 1));
}
BENCHMARK(BM_ZelCalcCovar)->Unit(benchmark::kMillisecond);

void BM_ZelCalcEigVec(benchmark::State& state) {
  zel::TMatrix cov(nullptr);
  cov.Resize(kPcaCols, kPcaCols);
  zel::CalcCovar(&PcaData(), &cov, 0, 0, 0, 0, 1);
  for (auto _ : state) benchmark::DoNotOptimize(zel::CalcEigVec(&cov));
}
BENCHMARK(BM_ZelCalcEigVec)->Unit(benchmark::kMillisecond);

// For comparison: the covariance as the matrix unit's Square (a blocked
// double-precision product, one thread) of the centred data, the route
// CalcCovar does not take because its sums are kept in long double.
void BM_ZelSquareOfCentredData(benchmark::State& state) {
  zel::TMatrix centred(nullptr);
  centred.Clone(&PcaData());
  centred.MeanCenterColumns(nullptr);
  zel::TMatrix cov(nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(centred.Square(&cov, kPcaRows - 1, 1));
}
BENCHMARK(BM_ZelSquareOfCentredData)->Unit(benchmark::kMillisecond);

#ifdef ZEL_HAVE_EIGEN
Eigen::MatrixXd EigenPcaData() {
  const zel::TDouble2DArray& cols = PcaData().GetMat();
  Eigen::MatrixXd x(kPcaRows, kPcaCols);
  for (int32_t c = 0; c < kPcaCols; ++c)
    for (int32_t r = 0; r < kPcaRows; ++r) x(r, c) = cols[size_t(c)][size_t(r)];
  return x;
}

// The covariance formed by Eigen (centre, then X^T X / (n - 1)) and
// decomposed: the same work as CalcPrincComp.
void BM_EigenCovarianceAndSolver(benchmark::State& state) {
  const Eigen::MatrixXd x = EigenPcaData();
  for (auto _ : state) {
    const Eigen::MatrixXd centred = x.rowwise() - x.colwise().mean();
    const Eigen::MatrixXd cov = (centred.adjoint() * centred) / double(kPcaRows - 1);
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(cov);
    benchmark::DoNotOptimize(es.eigenvalues().data());
  }
}
BENCHMARK(BM_EigenCovarianceAndSolver)->Unit(benchmark::kMillisecond);

void BM_EigenSolverOnly(benchmark::State& state) {
  const Eigen::MatrixXd x = EigenPcaData();
  const Eigen::MatrixXd centred = x.rowwise() - x.colwise().mean();
  const Eigen::MatrixXd cov = (centred.adjoint() * centred) / double(kPcaRows - 1);
  for (auto _ : state) {
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(cov);
    benchmark::DoNotOptimize(es.eigenvalues().data());
  }
}
BENCHMARK(BM_EigenSolverOnly)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
