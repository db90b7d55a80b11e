// The memory-based learner against established practice: ApplyModel (k = 5,
// average of the neighbours) for 1e4 queries over 1e5 stored examples in 3
// dimensions, against the plain loop a user would write (squared distances
// and a bounded max-heap) and a nanoflann k-d tree (build included, since the
// learner keeps no index). Each benchmark iteration answers all queries.
#include <benchmark/benchmark.h>

#include "bench/bench_data.hpp"

#include <cstdint>
#include <queue>
#include <utility>
#include <vector>

#include "core/zel_random.hpp"
#include "num/analysis/zel_membased.hpp"

#ifdef ZEL_HAVE_NANOFLANN
#include <nanoflann.hpp>
#endif

namespace {

constexpr int32_t kExamples = 100000;
constexpr int32_t kDims = 3;
constexpr int32_t kQueries = 10000;
constexpr int32_t kK = 5;

// Examples uniform in the unit cube with target sum of coordinates, row-major
// with the target last, and the queries.
struct Data {
  std::vector<double> rows;     // example i at rows[i * (kDims + 1)]
  std::vector<double> queries;  // query q at queries[q * kDims]
  Data() {
    zel::SetRandSeed(74);
    rows.resize(size_t(kExamples) * (kDims + 1));
    for (int32_t i = 0; i < kExamples; ++i) {
      double s = 0.0;
      for (int32_t j = 0; j < kDims; ++j)
        s += rows[size_t(i) * (kDims + 1) + size_t(j)] = zel::Random();
      rows[size_t(i) * (kDims + 1) + kDims] = s;
    }
    queries.resize(size_t(kQueries) * kDims);
    for (double& q : queries) q = zel::Random();
  }
};

const Data& Examples() {
  static const Data d;
  return d;
}

void BM_ZelApplyModel(benchmark::State& state) {
  const Data& d = Examples();
  zel::TMemBasedLearner learner(nullptr);
  zel::TDataTable* t = learner.GetModelData();
  t->Resize(kDims + 1, kExamples);
  zel::TDouble2DArray cols(kDims + 1, zel::TDoubleArray(kExamples));
  for (int32_t i = 0; i < kExamples; ++i)
    for (int32_t j = 0; j <= kDims; ++j)
      cols[size_t(j)][size_t(i)] = d.rows[size_t(i) * (kDims + 1) + size_t(j)];
  t->GetNumericData()->ReplaceData(std::move(cols));
  learner.SetAllVars(zel::TMBLVarType::mblVarIndep);
  learner.SetVarType(kDims + 1, zel::TMBLVarType::mblVarTarget);
  learner.SetNumNearestNb(kK);
  std::vector<double> sensor(kDims + 1);
  for (auto _ : state) {
    double sum = 0.0;
    for (int32_t q = 0; q < kQueries; ++q) {
      for (int32_t j = 0; j < kDims; ++j)
        sensor[size_t(j)] = d.queries[size_t(q) * kDims + size_t(j)];
      learner.ApplyModel(sensor, 0, 0);
      sum += sensor[kDims];
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ZelApplyModel)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);

void BM_BruteForceKnnAverage(benchmark::State& state) {
  const Data& d = Examples();
  for (auto _ : state) {
    double sum = 0.0;
    for (int32_t q = 0; q < kQueries; ++q) {
      const double* p = &d.queries[size_t(q) * kDims];
      std::priority_queue<std::pair<double, int32_t>> heap;
      for (int32_t i = 0; i < kExamples; ++i) {
        const double* x = &d.rows[size_t(i) * (kDims + 1)];
        double s = 0.0;
        for (int32_t j = 0; j < kDims; ++j) s += (x[j] - p[j]) * (x[j] - p[j]);
        if (heap.size() < size_t(kK)) {
          heap.emplace(s, i);
        } else if (s < heap.top().first) {
          heap.pop();
          heap.emplace(s, i);
        }
      }
      double m = 0.0;
      for (; !heap.empty(); heap.pop())
        m += d.rows[size_t(heap.top().second) * (kDims + 1) + kDims];
      sum += m / kK;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_BruteForceKnnAverage)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);

#ifdef ZEL_HAVE_NANOFLANN
struct Cloud {
  const std::vector<double>* rows;
  size_t kdtree_get_point_count() const { return rows->size() / (kDims + 1); }
  double kdtree_get_pt(size_t i, size_t dim) const { return (*rows)[i * (kDims + 1) + dim]; }
  template <class B>
  bool kdtree_get_bbox(B&) const {
    return false;
  }
};
using Tree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>, Cloud,
                                                 kDims, uint32_t>;

void BM_NanoflannKnnAverage(benchmark::State& state) {
  const Data& d = Examples();
  const Cloud cloud{&d.rows};
  std::vector<uint32_t> idx(kK);
  std::vector<double> dist(kK);
  for (auto _ : state) {
    Tree tree(kDims, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    double sum = 0.0;
    for (int32_t q = 0; q < kQueries; ++q) {
      const size_t n = tree.knnSearch(&d.queries[size_t(q) * kDims], kK, idx.data(), dist.data());
      double m = 0.0;
      for (size_t i = 0; i < n; ++i) m += d.rows[size_t(idx[i]) * (kDims + 1) + kDims];
      sum += m / double(n);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_NanoflannKnnAverage)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
#endif

}  // namespace

int main(int argc, char** argv) { return zel_bench::RunBenchmarks(argc, argv); }
