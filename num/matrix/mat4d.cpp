// TMat4D: size, element access, assignment, statistics over a box, the
// fingerprint, and the copies between matrices, arrays and vectors.
// Storage [t][z][y][x], the column innermost.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/zel_binary.hpp"
#include "num/matrix/mat3d4d_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

using mat3d4d_detail::LayoutFor;
using mat3d4d_detail::TLayout;

// ---------------------------------------------------------------------------
// Size, access, assignment
// ---------------------------------------------------------------------------

void TMat4D::SetNrOfColumns(int32_t n) {
  if (n > 0) Resize(n, FNumY, FNumZ, FNumT);
}

void TMat4D::SetNrOfRows(int32_t n) {
  if (n > 0) Resize(FNumX, n, FNumZ, FNumT);
}

void TMat4D::SetNrOfLayers(int32_t n) {
  if (n > 0) Resize(FNumX, FNumY, n, FNumT);
}

void TMat4D::SetNrOfTimeSlots(int32_t n) {
  if (n > 0) Resize(FNumX, FNumY, FNumZ, n);
}

bool TMat4D::MakeValidTSlotRange(int32_t& LowTSlot, int32_t& HighTSlot) const {
  return MakeValidRange(LowTSlot, HighTSlot, FNumT);
}

void TMat4D::SetVal(int32_t ix, int32_t iy, int32_t il, int32_t it, double Value) {
  if (!Inside(ix, iy, il, it)) return;
  Mat[static_cast<size_t>(Offset(ix, iy, il, it))] = Value;
  Changed();
}

bool TMat4D::Resize(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt) {
  return ResizeTo(Nx, Ny, Nz, Nt);
}

void TMat4D::ResizeAndClear(int32_t Nx, int32_t Ny, int32_t Nz, int32_t Nt) {
  Resize(Nx, Ny, Nz, Nt);
  Fill(0);
}

void TMat4D::Clone(const TMat4D* MatSource) {
  if (MatSource == nullptr || MatSource == this) return;
  std::vector<double> data;
  try {
    data = MatSource->Mat;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  SwapIn(data, MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ, MatSource->FNumT);
  NotifySizeChange();
}

void TMat4D::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMat4D*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);  // throws unless Source knows how to assign itself
    return;
  }
  if (src == this) return;
  std::vector<double> data;
  try {
    data = src->Mat;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  const bool resized =
      src->FNumX != FNumX || src->FNumY != FNumY || src->FNumZ != FNumZ || src->FNumT != FNumT;
  SwapIn(data, src->FNumX, src->FNumY, src->FNumZ, src->FNumT);
  FDataID = src->FDataID;
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnPercentDone = src->OnPercentDone;
  OnReadElement = src->OnReadElement;
  Changed();
  if (resized) Resized();
}

void TMat4D::ReadElement(TObject* Sender, int32_t ix, int32_t iy, int32_t il, int32_t it,
                         double Value) {
  if (OnReadElement) OnReadElement(Sender, ix, iy, il, it, Value);
}

void TMat4D::ValidBox(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                      int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                      int32_t HighTimeSlot, int32_t (&Lo)[4], int32_t (&Hi)[4]) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  MakeValidTSlotRange(LowTimeSlot, HighTimeSlot);
  Lo[0] = LowCol;
  Lo[1] = LowRow;
  Lo[2] = LowLayer;
  Lo[3] = LowTimeSlot;
  Hi[0] = HighCol;
  Hi[1] = HighRow;
  Hi[2] = HighLayer;
  Hi[3] = HighTimeSlot;
}

void TMat4D::CheckLayerAndSlot(int32_t Layer, int32_t TimeSlot) const {
  if (Layer < 1 || Layer > FNumZ) Fail("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Fail("specified time slot beyond data range");
}

// ---------------------------------------------------------------------------
// Search and statistics
// ---------------------------------------------------------------------------

#define ZEL_MAT4D_BOX() \
  int32_t lo[4], hi[4]; \
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, lo, hi)

void TMat4D::Find(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                  int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot,
                  double Value, int32_t& ColIx, int32_t& RowIx, int32_t& LayerIx,
                  int32_t& TimeSlotIx) const {
  ZEL_MAT4D_BOX();
  int32_t ix[4];
  BoxFind(lo, hi, Value, ix);
  ColIx = ix[0];
  RowIx = ix[1];
  LayerIx = ix[2];
  TimeSlotIx = ix[3];
}

void TMat4D::MinMax(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                    int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot,
                    double& Minimum, double& Maximum) const {
  ZEL_MAT4D_BOX();
  BoxMinMax(lo, hi, Minimum, Maximum);
}

void TMat4D::MeanVar(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                     int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot, int32_t HighTimeSlot,
                     double& Mean, double& Variance) const {
  ZEL_MAT4D_BOX();
  BoxMeanVar(lo, hi, Mean, Variance);
}

double TMat4D::Sum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                   int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                   int32_t HighTimeSlot) const {
  ZEL_MAT4D_BOX();
  return BoxSum(lo, hi);
}

double TMat4D::SquaredSum(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                          int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                          int32_t HighTimeSlot) const {
  ZEL_MAT4D_BOX();
  return BoxSquaredSum(lo, hi);
}

int64_t TMat4D::CountValues(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                            int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                            int32_t HighTimeSlot, double RangeLow, double RangeHigh) const {
  ZEL_MAT4D_BOX();
  return BoxCountValues(lo, hi, RangeLow, RangeHigh);
}

double TMat4D::Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                          int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                          int32_t HighTimeSlot) const {
  return Percentile(Prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,
                    HighTimeSlot, 0);
}

double TMat4D::Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                          int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                          int32_t HighTimeSlot, int32_t SampleSize) const {
  ZEL_MAT4D_BOX();
  return BoxPercentile(Prob, lo, hi, SampleSize, nullptr);
}

double TMat4D::Percentile(double Prob, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                          int32_t HighRow, int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                          int32_t HighTimeSlot, int32_t SampleSize, double AbundantVal) const {
  ZEL_MAT4D_BOX();
  return BoxPercentile(Prob, lo, hi, SampleSize, &AbundantVal);
}

#undef ZEL_MAT4D_BOX

std::string TMat4D::CRCofData() const { return CRCofData(1); }

std::string TMat4D::CRCofData(int32_t Sample) const {
  Sample = std::max(1, std::min(Sample, FNumZ / 2));
  TDoubleFingerprint fingerprint;
  const int64_t positions = int64_t{FNumX} * FNumY;
  int64_t done = 0;
  int64_t reported = 0;
  // The handler receives the matrix as its sender; it must not change it.
  auto* self = const_cast<TMat4D*>(this);
  const auto shape = ShapeOf(*this);
  for (int32_t x = 1; x <= FNumX; ++x) {
    for (int32_t y = 1; y <= FNumY; ++y) {
      for (int32_t z = Sample; z <= FNumZ; z += Sample)
        for (int32_t t = 1; t <= FNumT; ++t)
          fingerprint.Add(Mat[static_cast<size_t>(Offset(x, y, z, t))]);
      const int64_t percent = ++done * 100 / positions;
      if (percent > reported) {
        reported = percent;
        PercDone(self, static_cast<int32_t>(percent));
        if (shape != ShapeOf(*this)) return {};  // the handler changed the matrix
      }
    }
  }
  return fingerprint.Text();
}

// ---------------------------------------------------------------------------
// Copies between matrices
// ---------------------------------------------------------------------------

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                               int32_t HighRow, int32_t Layer, int32_t TimeSlot) const {
  if (DestMat == nullptr) return;
  CheckLayerAndSlot(Layer, TimeSlot);
  TDouble2DArray a;
  CopyLayerToArray(a, LowCol, HighCol, LowRow, HighRow, Layer, TimeSlot);
  DestMat->Resize(static_cast<int32_t>(a.size()), static_cast<int32_t>(a.front().size()));
  DestMat->CopyFromArray(a, 0, 0, 0, 0, 1, 1);
}

void TMat4D::CopyMatrixToLayer(const TMatrix* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                               int32_t SrcLowRow, int32_t SrcHighRow, int32_t Layer,
                               int32_t TimeSlot, int32_t LayLowCol, int32_t LayLowRow) {
  if (SrcMat == nullptr) return;
  CheckLayerAndSlot(Layer, TimeSlot);
  SrcMat->MakeValidColRange(SrcLowCol, SrcHighCol);
  SrcMat->MakeValidRowRange(SrcLowRow, SrcHighRow);
  const TDouble2DArray& src = SrcMat->GetMat();
  for (int32_t c = SrcLowCol; c <= SrcHighCol; ++c) {
    const int64_t x = int64_t{c} - SrcLowCol + LayLowCol;
    if (x < 1 || x > FNumX) continue;
    for (int32_t r = SrcLowRow; r <= SrcHighRow; ++r) {
      const int64_t y = int64_t{r} - SrcLowRow + LayLowRow;
      if (y < 1 || y > FNumY) continue;
      Mat[static_cast<size_t>(
          Offset(static_cast<int32_t>(x), static_cast<int32_t>(y), Layer, TimeSlot))] =
          src[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
    }
  }
  Changed();
}

void TMat4D::CopyTimeSlotToMat3D(TMat3D* DestMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                                 int32_t HighRow, int32_t LowLay, int32_t HighLay,
                                 int32_t TimeSlot) const {
  if (DestMat == nullptr) return;
  if (TimeSlot < 1 || TimeSlot > FNumT) Fail("specified time slot beyond data range");
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  const int32_t nx = HighCol - LowCol + 1;
  const int32_t ny = HighRow - LowRow + 1;
  const int32_t nz = HighLay - LowLay + 1;
  std::vector<double> data = DestMat->NewStorage(nx, ny, nz, 1);
  size_t k = 0;  // TMat3D's order: the layer innermost
  for (int32_t x = LowCol; x <= HighCol; ++x)
    for (int32_t y = LowRow; y <= HighRow; ++y)
      for (int32_t z = LowLay; z <= HighLay; ++z)
        data[k++] = Mat[static_cast<size_t>(Offset(x, y, z, TimeSlot))];
  const bool resized = DestMat->FNumX != nx || DestMat->FNumY != ny || DestMat->FNumZ != nz;
  DestMat->SwapIn(data, nx, ny, nz, 1);
  DestMat->Changed();
  if (resized) DestMat->Resized();
}

void TMat4D::CopyMat3DToTimeSlot(const TMat3D* SrcMat, int32_t SrcLowCol, int32_t SrcHighCol,
                                 int32_t SrcLowRow, int32_t SrcHighRow, int32_t SrcLowLay,
                                 int32_t SrcHighLay, int32_t TimeSlot, int32_t DestCol,
                                 int32_t DestRow, int32_t DestLayer) {
  if (SrcMat == nullptr) return;
  if (TimeSlot < 1 || TimeSlot > FNumT) Fail("specified time slot beyond data range");
  SrcMat->MakeValidColRange(SrcLowCol, SrcHighCol);
  SrcMat->MakeValidRowRange(SrcLowRow, SrcHighRow);
  SrcMat->MakeValidLayerRange(SrcLowLay, SrcHighLay);
  for (int32_t c = SrcLowCol; c <= SrcHighCol; ++c) {
    const int64_t x = int64_t{c} - SrcLowCol + DestCol;
    if (x < 1 || x > FNumX) continue;
    for (int32_t r = SrcLowRow; r <= SrcHighRow; ++r) {
      const int64_t y = int64_t{r} - SrcLowRow + DestRow;
      if (y < 1 || y > FNumY) continue;
      for (int32_t l = SrcLowLay; l <= SrcHighLay; ++l) {
        const int64_t z = int64_t{l} - SrcLowLay + DestLayer;
        if (z < 1 || z > FNumZ) continue;
        Mat[static_cast<size_t>(Offset(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                       static_cast<int32_t>(z), TimeSlot))] =
            SrcMat->Mat[static_cast<size_t>(SrcMat->Offset(c, r, l, 1))];
      }
    }
  }
  Changed();
}

void TMat4D::CopyFrom(const TMat4D* MatSource, int32_t SrcLowCol, int32_t SrcHighCol,
                      int32_t SrcLowRow, int32_t SrcHighRow, int32_t SrcLowLayer,
                      int32_t SrcHighLayer, int32_t SrcLowTSlot, int32_t SrcHighTSlot,
                      int32_t DestCol, int32_t DestRow, int32_t DestLayer, int32_t DestTSlot) {
  if (MatSource == nullptr) return;
  int32_t lo[4], hi[4];
  MatSource->ValidBox(SrcLowCol, SrcHighCol, SrcLowRow, SrcHighRow, SrcLowLayer, SrcHighLayer,
                      SrcLowTSlot, SrcHighTSlot, lo, hi);
  // Read first: the source may be this matrix, with overlapping blocks.
  const std::vector<double> block = MatSource->BoxCopy(lo, hi);
  const int32_t dest[4] = {DestCol, DestRow, DestLayer, DestTSlot};
  const int32_t n[4] = {FNumX, FNumY, FNumZ, FNumT};
  auto target = [&](int32_t d, int32_t i) { return int64_t{i} - lo[d] + dest[d]; };
  auto inside = [&](int32_t d, int64_t v) { return v >= 1 && v <= n[d]; };
  size_t k = 0;  // the block in storage order: time slot outermost
  for (int32_t t = lo[3]; t <= hi[3]; ++t)
    for (int32_t z = lo[2]; z <= hi[2]; ++z)
      for (int32_t y = lo[1]; y <= hi[1]; ++y)
        for (int32_t x = lo[0]; x <= hi[0]; ++x, ++k) {
          const int64_t tx = target(0, x), ty = target(1, y), tz = target(2, z), tt = target(3, t);
          if (inside(0, tx) && inside(1, ty) && inside(2, tz) && inside(3, tt))
            Mat[static_cast<size_t>(Offset(static_cast<int32_t>(tx), static_cast<int32_t>(ty),
                                           static_cast<int32_t>(tz), static_cast<int32_t>(tt)))] =
                block[k];
        }
  Changed();
}

// ---------------------------------------------------------------------------
// Copies to and from arrays and vectors
// ---------------------------------------------------------------------------

namespace {

// True when a 2-D (3-D) array has elements in every dimension and no ragged
// part.
bool UsableArray(const TDouble2DArray& a) {
  return !a.empty() && !a.front().empty() && IsRectangular(a);
}

bool UsableArray(const TDouble3DArray& a) {
  return !a.empty() && !a.front().empty() && !a.front().front().empty() && IsRectangular(a);
}

}  // namespace

int32_t TMat4D::CopyTimeSlotToArray(TDouble3DArray& DestArray, int32_t LowCol, int32_t HighCol,
                                    int32_t LowRow, int32_t HighRow, int32_t LowLay,
                                    int32_t HighLay, int32_t TimeSlot) const {
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  TDouble3DArray a(static_cast<size_t>(HighCol - LowCol + 1),
                   TDouble2DArray(static_cast<size_t>(HighRow - LowRow + 1),
                                  TDoubleArray(static_cast<size_t>(HighLay - LowLay + 1))));
  for (int32_t x = LowCol; x <= HighCol; ++x)
    for (int32_t y = LowRow; y <= HighRow; ++y)
      for (int32_t z = LowLay; z <= HighLay; ++z)
        a[static_cast<size_t>(x - LowCol)][static_cast<size_t>(y - LowRow)]
         [static_cast<size_t>(z - LowLay)] = Mat[static_cast<size_t>(Offset(x, y, z, TimeSlot))];
  DestArray.swap(a);
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyArrayToTimeSlot(const TDouble3DArray& SrcArray, int32_t TimeSlot) {
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  if (!UsableArray(SrcArray)) return kMat4DCopyNoData;
  const auto nx = static_cast<int32_t>(std::min<size_t>(SrcArray.size(), FNumX));
  const auto ny = static_cast<int32_t>(std::min<size_t>(SrcArray.front().size(), FNumY));
  const auto nz = static_cast<int32_t>(std::min<size_t>(SrcArray.front().front().size(), FNumZ));
  for (int32_t x = 1; x <= nx; ++x)
    for (int32_t y = 1; y <= ny; ++y)
      for (int32_t z = 1; z <= nz; ++z)
        Mat[static_cast<size_t>(Offset(x, y, z, TimeSlot))] =
            SrcArray[static_cast<size_t>(x - 1)][static_cast<size_t>(y - 1)]
                    [static_cast<size_t>(z - 1)];
  Changed();
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyLayerToArray(TDouble2DArray& DestArray, int32_t LowCol, int32_t HighCol,
                                 int32_t LowRow, int32_t HighRow, int32_t Layer,
                                 int32_t TimeSlot) const {
  if (Layer < 1 || Layer > FNumZ) return kMat4DCopyBadLayer;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  TDouble2DArray a(static_cast<size_t>(HighCol - LowCol + 1),
                   TDoubleArray(static_cast<size_t>(HighRow - LowRow + 1)));
  for (int32_t y = LowRow; y <= HighRow; ++y) {
    const double* row = Mat.data() + Offset(1, y, Layer, TimeSlot);
    for (int32_t x = LowCol; x <= HighCol; ++x)
      a[static_cast<size_t>(x - LowCol)][static_cast<size_t>(y - LowRow)] = row[x - 1];
  }
  DestArray.swap(a);
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyArrayToLayer(const TDouble2DArray& SrcArray, int32_t Layer, int32_t TimeSlot) {
  if (Layer < 1 || Layer > FNumZ) return kMat4DCopyBadLayer;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  if (!UsableArray(SrcArray)) return kMat4DCopyNoData;
  const auto nx = static_cast<int32_t>(std::min<size_t>(SrcArray.size(), FNumX));
  const auto ny = static_cast<int32_t>(std::min<size_t>(SrcArray.front().size(), FNumY));
  for (int32_t x = 1; x <= nx; ++x)
    for (int32_t y = 1; y <= ny; ++y)
      Mat[static_cast<size_t>(Offset(x, y, Layer, TimeSlot))] =
          SrcArray[static_cast<size_t>(x - 1)][static_cast<size_t>(y - 1)];
  Changed();
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyPixelTo1DArray(TDoubleArray& Dest, int32_t ix, int32_t iy,
                                   int32_t TimeSlot) const {
  if (ix < 1 || ix > FNumX) return kMat4DCopyBadColumn;
  if (iy < 1 || iy > FNumY) return kMat4DCopyBadRow;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  TDoubleArray a(static_cast<size_t>(FNumZ));
  for (int32_t z = 1; z <= FNumZ; ++z)
    a[static_cast<size_t>(z - 1)] = Mat[static_cast<size_t>(Offset(ix, iy, z, TimeSlot))];
  Dest.swap(a);
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyPixelToVector(TVector* Dest, int32_t ix, int32_t iy, int32_t TimeSlot) const {
  if (Dest == nullptr) return kMat4DCopyNoData;
  TDoubleArray a;
  const int32_t status = CopyPixelTo1DArray(a, ix, iy, TimeSlot);
  if (status != kMat4DCopyOk) return status;
  Dest->Resize(FNumZ);
  Dest->CopyFrom(a, 0, FNumZ - 1, 1);
  return kMat4DCopyOk;
}

int32_t TMat4D::Copy1DArrayToPixel(const TDoubleArray& Src, int32_t ix, int32_t iy,
                                   int32_t FirstLayer, int32_t TimeSlot) {
  if (Src.empty()) return kMat4DCopyNoData;
  if (ix < 1 || ix > FNumX) return kMat4DCopyBadColumn;
  if (iy < 1 || iy > FNumY) return kMat4DCopyBadRow;
  if (FirstLayer < 1 || FirstLayer > FNumZ) return kMat4DCopyBadLayer;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DCopyBadTimeSlot;
  const int64_t n =
      std::min<int64_t>(static_cast<int64_t>(Src.size()), int64_t{FNumZ} - FirstLayer + 1);
  for (int64_t i = 0; i < n; ++i)
    Mat[static_cast<size_t>(Offset(ix, iy, static_cast<int32_t>(FirstLayer + i), TimeSlot))] =
        Src[static_cast<size_t>(i)];
  Changed();
  return kMat4DCopyOk;
}

int32_t TMat4D::CopyVectorToPixel(const TVector* Src, int32_t ix, int32_t iy, int32_t FirstLayer,
                                  int32_t TimeSlot) {
  if (Src == nullptr) return kMat4DCopyNoData;
  TDoubleArray a(static_cast<size_t>(Src->GetNrOfElem()));
  for (int32_t i = 1; i <= Src->GetNrOfElem(); ++i) a[static_cast<size_t>(i - 1)] = Src->GetVal(i);
  return Copy1DArrayToPixel(a, ix, iy, FirstLayer, TimeSlot);
}

}  // namespace zel
