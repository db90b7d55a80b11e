// Three-dimensional matrices in a minute: a small volume of measurements
// (columns x rows x layers), its statistics, the value closest to a target,
// and one layer taken out as an ordinary matrix.
#include <cstdio>
#include <memory>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

int main() {
  using namespace zel;

  // 4 columns, 3 rows, 5 layers; elements are addressed (x, y, z) from 1.
  // A fixed seed makes the output repeatable.
  SetRandSeed(42);
  auto volume = std::make_unique<TMat3D>(nullptr);
  volume->SetName("volume");
  volume->Resize(4, 3, 5);
  volume->FillRandomGauss(20, 2);
  volume->SetVal(2, 2, 3, 35);  // one outlier set by hand

  // Statistics over the whole volume (0, 0 selects a whole dimension) and
  // over layers 2..4 only.
  double mean = 0, var = 0, lo = 0, hi = 0;
  volume->MeanVar(0, 0, 0, 0, 0, 0, mean, var);
  volume->MinMax(0, 0, 0, 0, 0, 0, lo, hi);
  std::printf("whole volume: mean %.3f  variance %.3f  min %.3f  max %.3f\n", mean, var, lo, hi);
  volume->MeanVar(0, 0, 0, 0, 2, 4, mean, var);
  std::printf("layers 2..4:  mean %.3f  variance %.3f  median %.3f\n", mean, var,
              volume->Percentile(50, 0, 0, 0, 0, 2, 4));
  std::printf("values between 18 and 22: %lld of %lld\n",
              static_cast<long long>(volume->CountValues(0, 0, 0, 0, 0, 0, 18, 22)),
              static_cast<long long>(volume->GetElemCount()));

  // Where is the value closest to 30?
  int32_t x = 0, y = 0, z = 0;
  volume->Find(0, 0, 0, 0, 0, 0, 30, x, y, z);
  std::printf("closest to 30: (%d, %d, %d) = %.3f\n", x, y, z, volume->GetVal(x, y, z));

  // Layer 3 as a TMatrix (columns x rows).
  auto layer = std::make_unique<TMatrix>(nullptr);
  volume->CopyLayerToMatrix(layer.get(), 0, 0, 0, 0, 3);
  std::printf("layer 3:\n");
  for (int32_t r = 1; r <= layer->GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= layer->GetNrOfColumns(); ++c)
      std::printf(" %8.3f", layer->GetVal(c, r));
    std::printf("\n");
  }

  // A bad layer is an error of the component.
  try {
    volume->CopyLayerToMatrix(layer.get(), 0, 0, 0, 0, 9);
  } catch (const EZELMatrixError& e) {
    std::printf("error: %s\n", e.what());
  }
  std::printf("fingerprint %s\n", volume->CRCofData().substr(0, 16).c_str());
  return 0;
}
