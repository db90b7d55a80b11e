// TMat3D: columns x rows x layers, stored [x][y][z] with the layer
// innermost.
#include <algorithm>
#include <new>
#include <vector>

#include "core/zel_binary.hpp"
#include "num/matrix/mat3d4d_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

void TMat3D::SetNrOfColumns(int32_t n) {
  if (n > 0) Resize(n, FNumY, FNumZ);
}

void TMat3D::SetNrOfRows(int32_t n) {
  if (n > 0) Resize(FNumX, n, FNumZ);
}

void TMat3D::SetNrOfLayers(int32_t n) {
  if (n > 0) Resize(FNumX, FNumY, n);
}

void TMat3D::SetVal(int32_t ix, int32_t iy, int32_t il, double Value) {
  if (!Inside(ix, iy, il, 1)) return;
  Mat[static_cast<size_t>(Offset(ix, iy, il, 1))] = Value;
  Changed();
}

bool TMat3D::Resize(int32_t Nx, int32_t Ny, int32_t Nz) { return ResizeTo(Nx, Ny, Nz, 1); }

void TMat3D::ResizeAndClear(int32_t Nx, int32_t Ny, int32_t Nz) {
  Resize(Nx, Ny, Nz);
  Fill(0);
}

void TMat3D::Clone(const TMat3D* MatSource) {
  if (MatSource == nullptr || MatSource == this) return;
  std::vector<double> data = MatSource->Mat;
  SwapIn(data, MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ, 1);
  NotifySizeChange();
}

// ---------------------------------------------------------------------------
// Search and statistics
// ---------------------------------------------------------------------------

namespace {

// Bounds of a box with the one time slot of a TMat3D.
struct TBox3 {
  int32_t Lo[4];
  int32_t Hi[4];
};

}  // namespace

#define ZEL_MAT3D_BOX()                                               \
  MakeValidColRange(LowCol, HighCol);                                 \
  MakeValidRowRange(LowRow, HighRow);                                 \
  MakeValidLayerRange(LowLayer, HighLayer);                           \
  const TBox3 b {                                                     \
    {LowCol, LowRow, LowLayer, 1}, { HighCol, HighRow, HighLayer, 1 } \
  }

void TMat3D::Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                  int32_t LowLayer, int32_t HighLayer, double Value, int32_t& ColIx, int32_t& RowIx,
                  int32_t& LayerIx) const {
  ZEL_MAT3D_BOX();
  int32_t ix[4];
  BoxFind(b.Lo, b.Hi, Value, ix);
  ColIx = ix[0];
  RowIx = ix[1];
  LayerIx = ix[2];
}

void TMat3D::MinMax(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, double& Minimum, double& Maximum) const {
  ZEL_MAT3D_BOX();
  BoxMinMax(b.Lo, b.Hi, Minimum, Maximum);
}

void TMat3D::MeanVar(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                     int32_t LowLayer, int32_t HighLayer, double& Mean, double& Variance) const {
  ZEL_MAT3D_BOX();
  BoxMeanVar(b.Lo, b.Hi, Mean, Variance);
}

double TMat3D::Sum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                   int32_t LowLayer, int32_t HighLayer) const {
  ZEL_MAT3D_BOX();
  return BoxSum(b.Lo, b.Hi);
}

double TMat3D::SquaredSum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                          int32_t LowLayer, int32_t HighLayer) const {
  ZEL_MAT3D_BOX();
  return BoxSquaredSum(b.Lo, b.Hi);
}

int64_t TMat3D::CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                            int32_t LowLayer, int32_t HighLayer, double RangeLow,
                            double RangeHigh) const {
  ZEL_MAT3D_BOX();
  return BoxCountValues(b.Lo, b.Hi, RangeLow, RangeHigh);
}

double TMat3D::Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                          int32_t HighRow, int32_t LowLayer, int32_t HighLayer) const {
  return Percentile(Prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, 0);
}

double TMat3D::Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                          int32_t HighRow, int32_t LowLayer, int32_t HighLayer,
                          int32_t SampleSize) const {
  ZEL_MAT3D_BOX();
  return BoxPercentile(Prob, b.Lo, b.Hi, SampleSize, nullptr);
}

#undef ZEL_MAT3D_BOX

std::string TMat3D::CRCofData() const {
  // The storage order is the fingerprint's order: column, row, layer.
  TDoubleFingerprint fingerprint;
  for (const double x : Mat) fingerprint.Add(x);
  return fingerprint.Text();
}

// ---------------------------------------------------------------------------
// Layers to and from matrices
// ---------------------------------------------------------------------------

void TMat3D::CopyLayerToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t Layer) const {
  if (DestMat == nullptr) return;
  if (Layer < 1 || Layer > FNumZ) Fail("specified layer beyond data range");
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  TDouble2DArray a(static_cast<size_t>(HighCol - LowCol + 1),
                   TDoubleArray(static_cast<size_t>(HighRow - LowRow + 1)));
  for (int32_t x = LowCol; x <= HighCol; ++x)
    for (int32_t y = LowRow; y <= HighRow; ++y)
      a[static_cast<size_t>(x - LowCol)][static_cast<size_t>(y - LowRow)] =
          Mat[static_cast<size_t>(Offset(x, y, Layer, 1))];
  DestMat->Resize(static_cast<int32_t>(a.size()), static_cast<int32_t>(a.front().size()));
  DestMat->CopyFromArray(a, 0, 0, 0, 0, 1, 1);
}

void TMat3D::CopyMatrixToLayer(const TMatrix* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                               int32_t SrcLowRow, int32_t SrcHighRow, int32_t Layer,
                               int32_t LayLowCol, int32_t LayLowRow) {
  if (SrcMat == nullptr) return;
  if (Layer < 1 || Layer > FNumZ) Fail("specified layer beyond data range");
  SrcMat->MakeValidColRange(SrcLowCol, SrcHighCol);
  SrcMat->MakeValidRowRange(SrcLowRow, SrcHighRow);
  const TDouble2DArray& src = SrcMat->GetMat();
  for (int32_t c = SrcLowCol; c <= SrcHighCol; ++c) {
    const int64_t x = int64_t{c} - SrcLowCol + LayLowCol;
    if (x < 1 || x > FNumX) continue;
    for (int32_t r = SrcLowRow; r <= SrcHighRow; ++r) {
      const int64_t y = int64_t{r} - SrcLowRow + LayLowRow;
      if (y < 1 || y > FNumY) continue;
      Mat[static_cast<size_t>(Offset(static_cast<int32_t>(x), static_cast<int32_t>(y), Layer, 1))] =
          src[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
    }
  }
  Changed();
}

void TMatrix::CopyFrom(const TMat3D* MatSource, int32_t SourceColLo, int32_t SourceRowLo,
                       int32_t SourceColHi, int32_t SourceRowHi, int32_t SourceLayer,
                       int32_t DestCol, int32_t DestRow) {
  if (MatSource == nullptr || SourceLayer < 1 || SourceLayer > MatSource->GetNrOfLayers()) return;
  NormalizeRange(SourceColLo, SourceColHi, 1, MatSource->GetNrOfColumns());
  NormalizeRange(SourceRowLo, SourceRowHi, 1, MatSource->GetNrOfRows());
  // The layer's rectangle as a 0-based block whose first cell lands on
  // (DestCol, DestRow); the array copy then drops and fires as the matrix
  // copy does.
  TDouble2DArray block;
  try {
    block.assign(static_cast<size_t>(SourceColHi - SourceColLo + 1),
                 TDoubleArray(static_cast<size_t>(SourceRowHi - SourceRowLo + 1)));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  for (int32_t c = SourceColLo; c <= SourceColHi; ++c)
    for (int32_t r = SourceRowLo; r <= SourceRowHi; ++r)
      block[static_cast<size_t>(c - SourceColLo)][static_cast<size_t>(r - SourceRowLo)] =
          MatSource->GetVal(c, r, SourceLayer);
  const auto w = static_cast<int32_t>(block.size());
  const auto h = static_cast<int32_t>(block.front().size());
  CopyFromArray(block, 0, 0, w - 1, h - 1, DestCol, DestRow);
}

}  // namespace zel
