// TMatrix: distances between rows (objects) and distance matrices.
#include <cstdint>
#include <utility>

#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

double TMatrix::DistanceOfObjects(TDistMode Mode, int32_t obj1, int32_t obj2) const {
  if (Mode == TDistMode::dmUserDef) {
    double d = 0.0;
    if (OnCalcDistance) OnCalcDistance(const_cast<TMatrix*>(this), obj1, obj2, d);
    return d;
  }
  if (obj1 < 1 || obj1 > FNRow || obj2 < 1 || obj2 > FNRow) return 0.0;
  double d = 0.0;
  if (zel::DistanceOfObjects(Mat, Mode, obj1 - 1, obj2 - 1, 0, FNCol - 1, d) != 0) return 0.0;
  return d;
}

int32_t TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DMat) const {
  if (DMat == nullptr) return kMatDistMatBadTarget;
  if (DMat->FNCol != FNRow) return kMatDistMatWrongSize;
  if (DMat->FNCol != DMat->FNRow) return kMatDistMatBadTarget;
  // Computed apart, so DMat may be this matrix.
  TDouble2DArray d(static_cast<size_t>(FNRow), TDoubleArray(static_cast<size_t>(FNRow), 0.0));
  for (int32_t i = 1; i <= FNRow; ++i)
    for (int32_t j = i + 1; j <= FNRow; ++j) {
      const double v = DistanceOfObjects(Mode, i, j);
      d[static_cast<size_t>(i - 1)][static_cast<size_t>(j - 1)] = v;
      d[static_cast<size_t>(j - 1)][static_cast<size_t>(i - 1)] = v;
    }
  DMat->Mat = std::move(d);
  DMat->Changed();
  return 0;
}

}  // namespace zel
