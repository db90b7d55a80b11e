// Clustering and principal components: ten measurements of three variables
// fall into two groups. k-means finds them, the agglomerative clustering
// builds their dendrogram, the nearest neighbours of a new measurement are
// listed, and the principal components show the direction that separates
// the groups.
#include <cstdio>
#include <memory>

#include "num/analysis/zel_math2.hpp"

int main() {
  using namespace zel;

  // One object per row: (length, width, weight).
  const double rows[10][3] = {{5.1, 3.5, 1.4}, {4.9, 3.0, 1.4}, {4.7, 3.2, 1.3}, {5.0, 3.6, 1.4},
                              {5.4, 3.9, 1.7}, {7.0, 3.2, 4.7}, {6.4, 3.2, 4.5}, {6.9, 3.1, 4.9},
                              {5.5, 2.3, 4.0}, {6.5, 2.8, 4.6}};
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(3, 10);
  for (int32_t r = 1; r <= 10; ++r)
    for (int32_t c = 1; c <= 3; ++c) data->SetVal(c, r, rows[r - 1][c - 1]);

  // k-means with the first two rows as start centres.
  auto centers = std::make_unique<TMatrix>(nullptr);
  auto assign = std::make_unique<TIntVector>(nullptr);
  auto sizes = std::make_unique<TIntVector>(nullptr);
  const double wcss =
      kMeansClustering(data.get(), 0, 0, 2, 0, centers.get(), assign.get(), sizes.get());
  std::printf("k-means: within-cluster sum of squares %.4f\n", wcss);
  for (int32_t k = 1; k <= 2; ++k)
    std::printf("  cluster %d: %d objects, centre (%.3f, %.3f, %.3f)\n", k, sizes->GetVal(k),
                centers->GetVal(1, k), centers->GetVal(2, k), centers->GetVal(3, k));
  std::printf("  assignments:");
  for (int32_t r = 1; r <= 10; ++r) std::printf(" %d", assign->GetVal(r));
  std::printf("\n");

  // Ward's method on squared Euclidean distances.
  TIntMatrix dendrogram(nullptr);
  TVector heights(nullptr), positions(nullptr);
  const int32_t status =
      AgglomClustering(nullptr, data.get(), TDistMode::dmSqrEuclid, TClusterMethod::cmWard, 0.5,
                       &dendrogram, &heights, &positions, nullptr, nullptr);
  std::printf("%s: %s\n", ClusterMethodID[static_cast<size_t>(TClusterMethod::cmWard)],
              AgglomStatusText(status));
  for (int32_t i = 1; i <= dendrogram.GetNrOfRows(); ++i)
    std::printf("  merge %d: %d + %d -> %d at height %.4f\n", i, dendrogram.GetVal(1, i),
                dendrogram.GetVal(2, i), dendrogram.GetVal(3, i), heights.GetVal(i));

  // The three nearest neighbours of a new measurement.
  auto pattern = std::make_unique<TVector>(nullptr);
  pattern->Resize(3);
  pattern->SetVal(1, 6.0);
  pattern->SetVal(2, 3.0);
  pattern->SetVal(3, 4.2);
  TMatrix knn(nullptr);
  knn.Resize(2, 3);
  FindNearestNeighbors(3, data.get(), 0, 0, pattern.get(), &knn, nullptr);
  std::printf("nearest to (6.0, 3.0, 4.2):");
  for (int32_t i = 1; i <= 3; ++i)
    std::printf(" row %d (%.4f)", static_cast<int32_t>(knn.GetVal(1, i)), knn.GetVal(2, i));
  std::printf("\n");

  // Principal components of the covariance (mode 1), eigenvalues as shares.
  if (CalcPrincComp(data.get(), 0, 0, 0, 0, 1)) {
    std::printf("principal components (share of variance, direction):\n");
    for (int32_t i = 1; i <= GetEigenSize(); ++i)
      std::printf("  %d: %.4f  (%7.4f, %7.4f, %7.4f)\n", i, GetEigenResult(i, 0),
                  GetEigenResult(i, 1), GetEigenResult(i, 2), GetEigenResult(i, 3));
  }
  return 0;
}
