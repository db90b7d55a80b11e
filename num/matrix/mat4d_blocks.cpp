// TMat4D: layer fills and arithmetic, Cut, Resample, Transpose, mirrors,
// addressing; the status sentences of the three- and four-dimensional
// matrices and the unit routines on plain arrays.
#include <algorithm>
#include <vector>

#include "core/zel_random.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/mat3d4d_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

using mat3d4d_detail::LayoutFor;
using mat3d4d_detail::TLayout;
using LD = long double;

// ---------------------------------------------------------------------------
// Layer fills and arithmetic
// ---------------------------------------------------------------------------

void TMat4D::FillLayer(int32_t Layer, double Value) {
  if (Layer < 1 || Layer > FNumZ) return;
  const int64_t plane = int64_t{FNumX} * FNumY;
  for (int32_t t = 1; t <= FNumT; ++t) {
    auto first = Mat.begin() + Offset(1, 1, Layer, t);
    std::fill(first, first + plane, Value);
  }
  Changed();
}

int32_t TMat4D::FillLayer(int32_t Layer, int32_t TimeSlot, int32_t Mode, double par1, double par2) {
  if (Layer < 1 || Layer > FNumZ) return kMat4DFillBadLayer;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DFillBadTimeSlot;
  if (Mode < 0 || Mode > 2) return kMat4DFillBadMode;
  double* p = Mat.data() + Offset(1, 1, Layer, TimeSlot);
  const int64_t plane = int64_t{FNumX} * FNumY;
  const double width = par2 - par1;
  for (int64_t i = 0; i < plane; ++i) {
    switch (Mode) {
      case 0: p[i] = par1; break;
      case 1: p[i] = par1 + Random() * width; break;
      default: p[i] = GRandom() * par2 + par1; break;
    }
  }
  Changed();
  return kMat4DFillOk;
}

namespace {

// True when a is a rectangular Nx x Ny array.
bool HasShape(const TDouble2DArray& a, int32_t Nx, int32_t Ny) {
  if (a.size() != static_cast<size_t>(Nx)) return false;
  for (const auto& column : a)
    if (column.size() != static_cast<size_t>(Ny)) return false;
  return true;
}

// The range rule of MultiplyLayersByArray: both 0 is the whole dimension,
// reversed bounds are exchanged, a bound outside 1..Count is an error.
bool StrictRange(int32_t& Lo, int32_t& Hi, int32_t Count) {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = Count;
    return true;
  }
  if (Lo < 1 || Lo > Count || Hi < 1 || Hi > Count) return false;
  if (Hi < Lo) std::swap(Lo, Hi);
  return true;
}

}  // namespace

int32_t TMat4D::AccumulateLayer(int32_t Layer, int32_t TimeSlot, const TDouble2DArray& Src) {
  if (!HasShape(Src, FNumX, FNumY)) return kMat4DAccumBadArray;
  if (Layer < 1 || Layer > FNumZ) return kMat4DAccumBadLayer;
  if (TimeSlot < 1 || TimeSlot > FNumT) return kMat4DAccumBadTimeSlot;
  for (int32_t y = 1; y <= FNumY; ++y) {
    double* row = Mat.data() + Offset(1, y, Layer, TimeSlot);
    for (int32_t x = 1; x <= FNumX; ++x)
      row[x - 1] += Src[static_cast<size_t>(x - 1)][static_cast<size_t>(y - 1)];
  }
  Changed();
  return kMat4DAccumOk;
}

int32_t TMat4D::MultiplyLayersByArray(const TDouble2DArray& FactorArray, int32_t LowCol,
                                      int32_t HighCol, int32_t LowRow, int32_t HighRow,
                                      int32_t LowLayer, int32_t HighLayer, int32_t LowTimeSlot,
                                      int32_t HighTimeSlot) {
  if (!HasShape(FactorArray, FNumX, FNumY)) return kMat4DMultBadArray;
  if (!StrictRange(LowCol, HighCol, FNumX)) return kMat4DMultBadColumns;
  if (!StrictRange(LowRow, HighRow, FNumY)) return kMat4DMultBadRows;
  if (!StrictRange(LowLayer, HighLayer, FNumZ)) return kMat4DMultBadLayers;
  if (!StrictRange(LowTimeSlot, HighTimeSlot, FNumT)) return kMat4DMultBadTimeSlots;
  for (int32_t t = LowTimeSlot; t <= HighTimeSlot; ++t)
    for (int32_t z = LowLayer; z <= HighLayer; ++z)
      for (int32_t y = LowRow; y <= HighRow; ++y) {
        double* row = Mat.data() + Offset(1, y, z, t);
        for (int32_t x = LowCol; x <= HighCol; ++x)
          row[x - 1] *= FactorArray[static_cast<size_t>(x - 1)][static_cast<size_t>(y - 1)];
      }
  Changed();
  return kMat4DMultOk;
}

// ---------------------------------------------------------------------------
// Cut, Resample, Transpose, mirrors
// ---------------------------------------------------------------------------

void TMat4D::Cut(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t LowLayer,
                 int32_t HighLayer, int32_t LowTimeslot, int32_t HighTimeslot) {
  int32_t lo[4], hi[4];
  ValidBox(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeslot, HighTimeslot, lo,
           hi);
  int32_t n[4];
  for (int32_t d = 0; d < 4; ++d) n[d] = hi[d] - lo[d] + 1;
  std::vector<double> data = NewStorage(n[0], n[1], n[2], n[3]);
  const int64_t slices = int64_t{n[2]} * n[3];
  int64_t done = 0;
  const auto shape = ShapeOf(*this);
  auto dst = data.begin();
  for (int32_t t = lo[3]; t <= hi[3]; ++t)
    for (int32_t z = lo[2]; z <= hi[2]; ++z) {
      for (int32_t y = lo[1]; y <= hi[1]; ++y) {
        const auto src = Mat.begin() + Offset(lo[0], y, z, t);
        dst = std::copy(src, src + n[0], dst);
      }
      PercDone(this, static_cast<int32_t>(++done * 100 / slices));
      if (shape != ShapeOf(*this)) return;  // the handler changed the matrix
    }
  const bool resized = n[0] != FNumX || n[1] != FNumY || n[2] != FNumZ || n[3] != FNumT;
  SwapIn(data, n[0], n[1], n[2], n[3]);
  Changed();
  if (resized) Resized();
}

void TMat4D::Resample(int32_t XDiv, int32_t XOffset, int32_t YDiv, int32_t YOffset, int32_t ZDiv,
                      int32_t ZOffset, int32_t TDiv, int32_t TOffset, bool Average) {
  // A divisor below 1 has no meaning (and 0 would divide by zero).
  if (XDiv < 1 || YDiv < 1 || ZDiv < 1 || TDiv < 1) return;
  const int32_t count[4] = {FNumX, FNumY, FNumZ, FNumT};
  const mat3d4d_detail::TResampleAxis axis[4] = {
      mat3d4d_detail::ResampleAxis(FNumX, XDiv, XOffset),
      mat3d4d_detail::ResampleAxis(FNumY, YDiv, YOffset),
      mat3d4d_detail::ResampleAxis(FNumZ, ZDiv, ZOffset),
      mat3d4d_detail::ResampleAxis(FNumT, TDiv, TOffset)};
  int32_t n[4];
  for (int32_t d = 0; d < 4; ++d) n[d] = static_cast<int32_t>(axis[d].NewCount);
  std::vector<double> data = NewStorage(n[0], n[1], n[2], n[3]);
  // First old position (1-based) of new element k, and the last one of its
  // block clipped to the old size. Positions below 1 cannot occur once the
  // offsets are normalised; they would read as 0 and be skipped.
  auto first = [&](int32_t d, int64_t k) { return axis[d].Offset + (k - 1) * axis[d].Div + 1; };
  auto last = [&](int32_t d, int64_t k) {
    return std::min<int64_t>(axis[d].Offset + k * axis[d].Div, count[d]);
  };
  auto valid = [&](int32_t d, int64_t p) { return p >= 1 && p <= count[d]; };
  const LD volume = static_cast<LD>(XDiv) * YDiv * ZDiv * TDiv;
  const int64_t slices = int64_t{n[2]} * n[3];
  int64_t done = 0;
  const auto shape = ShapeOf(*this);
  size_t k = 0;
  for (int64_t t = 1; t <= n[3]; ++t)
    for (int64_t z = 1; z <= n[2]; ++z) {
      for (int64_t y = 1; y <= n[1]; ++y)
        for (int64_t x = 1; x <= n[0]; ++x, ++k) {
          if (!Average) {
            const int64_t p[4] = {first(0, x), first(1, y), first(2, z), first(3, t)};
            bool in = true;
            for (int32_t d = 0; d < 4; ++d) in = in && valid(d, p[d]);
            data[k] = in ? Mat[static_cast<size_t>(
                               Offset(static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1]),
                                      static_cast<int32_t>(p[2]), static_cast<int32_t>(p[3])))]
                         : 0.0;
            continue;
          }
          LD sum = 0;
          for (int64_t pt = std::max<int64_t>(1, first(3, t)); pt <= last(3, t); ++pt)
            for (int64_t pz = std::max<int64_t>(1, first(2, z)); pz <= last(2, z); ++pz)
              for (int64_t py = std::max<int64_t>(1, first(1, y)); py <= last(1, y); ++py) {
                const double* row =
                    Mat.data() + Offset(1, static_cast<int32_t>(py), static_cast<int32_t>(pz),
                                        static_cast<int32_t>(pt));
                for (int64_t px = std::max<int64_t>(1, first(0, x)); px <= last(0, x); ++px)
                  sum += row[px - 1];
              }
          data[k] = static_cast<double>(sum / volume);
        }
      PercDone(this, static_cast<int32_t>(++done * 100 / slices));
      if (shape != ShapeOf(*this)) return;  // the handler changed the matrix
    }
  const bool resized = n[0] != FNumX || n[1] != FNumY || n[2] != FNumZ || n[3] != FNumT;
  SwapIn(data, n[0], n[1], n[2], n[3]);
  Changed();
  if (resized) Resized();
}

void TMat4D::Transpose() {
  std::vector<double> data = NewStorage(FNumY, FNumX, FNumZ, FNumT);
  const int64_t plane = int64_t{FNumX} * FNumY;
  for (int64_t s = 0; s < int64_t{FNumZ} * FNumT; ++s) {
    const double* src = Mat.data() + s * plane;
    double* dst = data.data() + s * plane;
    // Element (x, y) of a plane is src[y nx + x]; it goes to dst[x ny + y].
    for (int64_t y = 0; y < FNumY; ++y)
      for (int64_t x = 0; x < FNumX; ++x) dst[x * FNumY + y] = src[y * FNumX + x];
  }
  SwapIn(data, FNumY, FNumX, FNumZ, FNumT);
  NotifySizeChange();
}

namespace {

// Reverses dimension d of a dense layout in place: blocks of Stride[d]
// elements exchanged with their mirror images.
void MirrorDim(std::vector<double>& a, const TLayout& L, int32_t d) {
  const int64_t block = L.Stride[d];
  const int64_t n = L.N[d];
  const int64_t span = block * n;
  const int64_t outer = static_cast<int64_t>(a.size()) / span;
  for (int64_t o = 0; o < outer; ++o) {
    const auto base = a.begin() + o * span;
    for (int64_t i = 0; i < n / 2; ++i)
      std::swap_ranges(base + i * block, base + (i + 1) * block, base + (n - 1 - i) * block);
  }
}

}  // namespace

void TMat4D::MirrorColumns() {
  MirrorDim(Mat, LayoutFor(FNumX, FNumY, FNumZ, FNumT, true), 0);
  Changed();
}

void TMat4D::MirrorRows() {
  MirrorDim(Mat, LayoutFor(FNumX, FNumY, FNumZ, FNumT, true), 1);
  Changed();
}

void TMat4D::MirrorLayers() {
  MirrorDim(Mat, LayoutFor(FNumX, FNumY, FNumZ, FNumT, true), 2);
  Changed();
}

void TMat4D::MirrorTimeSlots() {
  MirrorDim(Mat, LayoutFor(FNumX, FNumY, FNumZ, FNumT, true), 3);
  Changed();
}

// ---------------------------------------------------------------------------
// Addressing and size
// ---------------------------------------------------------------------------

int32_t TMat4D::Lin3DAddr(int32_t ix, int32_t iy, int32_t il) const {
  return mat3d4d_detail::Lin3DAddr(FNumX, FNumY, FNumZ, ix, iy, il);
}

bool TMat4D::ConvertLinTo3DAddr(int64_t LinAddr, int32_t& ix, int32_t& iy, int32_t& il) const {
  return mat3d4d_detail::ConvertLinTo3DAddr(FNumX, FNumY, FNumZ, LinAddr, ix, iy, il);
}

double TMat4D::MemoryConsumed() const {
  return static_cast<double>(FNumX) / 1048576.0 * FNumY * FNumZ * FNumT * 8;
}

// ---------------------------------------------------------------------------
// Status sentences
// ---------------------------------------------------------------------------

const char* Mat4DCopyStatusText(int32_t status) {
  switch (status) {
    case kMat4DCopyOk: return "success";
    case kMat4DCopyBadColumn: return "the column lies outside the matrix";
    case kMat4DCopyBadRow: return "the row lies outside the matrix";
    case kMat4DCopyBadTimeSlot: return "the time slot lies outside the matrix";
    case kMat4DCopyBadLayer: return "the layer lies outside the matrix";
    case kMat4DCopyNoData: return "the source or destination is missing, empty or ragged";
    default: return "unknown copy status";
  }
}

const char* Mat4DFillLayerStatusText(int32_t status) {
  switch (status) {
    case kMat4DFillOk: return "success";
    case kMat4DFillBadLayer: return "the layer lies outside the matrix";
    case kMat4DFillBadTimeSlot: return "the time slot lies outside the matrix";
    case kMat4DFillBadMode: return "the fill mode is not 0, 1 or 2";
    default: return "unknown fill status";
  }
}

const char* Mat4DAccumulateStatusText(int32_t status) {
  switch (status) {
    case kMat4DAccumOk: return "success";
    case kMat4DAccumBadArray: return "the array does not have the size of a layer";
    case kMat4DAccumBadLayer: return "the layer lies outside the matrix";
    case kMat4DAccumBadTimeSlot: return "the time slot lies outside the matrix";
    default: return "unknown accumulation status";
  }
}

const char* Mat4DMultiplyStatusText(int32_t status) {
  switch (status) {
    case kMat4DMultOk: return "success";
    case kMat4DMultBadArray: return "the factor array does not have the size of a layer";
    case kMat4DMultBadColumns: return "a column bound lies outside the matrix";
    case kMat4DMultBadRows: return "a row bound lies outside the matrix";
    case kMat4DMultBadLayers: return "a layer bound lies outside the matrix";
    case kMat4DMultBadTimeSlots: return "a time-slot bound lies outside the matrix";
    default: return "unknown multiplication status";
  }
}

const char* Lin3DAddrStatusText(int32_t status) {
  if (status >= 0) return "a valid linear address";
  switch (status) {
    case kLin3DAddrOutside: return "an index lies outside the matrix";
    case kLin3DAddrTooLarge: return "the matrix holds more than 2^31 - 1 elements per time slot";
    default: return "unknown address status";
  }
}

const char* MatArrCopyStatusText(int32_t status) {
  switch (status) {
    case kMatArrCopyOk: return "success";
    case kMatArrCopyBadArray: return "the source array is empty or ragged";
    case kMatArrCopyBadLayer: return "the layer lies outside the source array";
    case kMatArrCopyNoMatrix: return "there is no matrix";
    default: return "unknown array copy status";
  }
}

// ---------------------------------------------------------------------------
// Unit routines on plain arrays
// ---------------------------------------------------------------------------

int32_t CopyArr3DLayerToArr2D(const TDouble3DArray& Arr, TDouble2DArray& Dest, int32_t LowCol,
                              int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t Layer) {
  if (Arr.empty() || Arr.front().empty() || Arr.front().front().empty() || !IsRectangular(Arr))
    return kMatArrCopyBadArray;
  const auto nx = static_cast<int32_t>(Arr.size());
  const auto ny = static_cast<int32_t>(Arr.front().size());
  const auto nz = static_cast<int32_t>(Arr.front().front().size());
  if (Layer < 1 || Layer > nz) return kMatArrCopyBadLayer;
  NormalizeRange(LowCol, HighCol, 1, nx);
  NormalizeRange(LowRow, HighRow, 1, ny);
  TDouble2DArray a(static_cast<size_t>(HighCol - LowCol + 1),
                   TDoubleArray(static_cast<size_t>(HighRow - LowRow + 1)));
  for (int32_t x = LowCol; x <= HighCol; ++x)
    for (int32_t y = LowRow; y <= HighRow; ++y)
      a[static_cast<size_t>(x - LowCol)][static_cast<size_t>(y - LowRow)] =
          Arr[static_cast<size_t>(x - 1)][static_cast<size_t>(y - 1)]
             [static_cast<size_t>(Layer - 1)];
  Dest.swap(a);
  return kMatArrCopyOk;
}

int32_t CopyArr3DLayerToMatrix(const TDouble3DArray& Arr, TMatrix* DestMat, int32_t LowCol,
                               int32_t HighCol, int32_t LowRow, int32_t HighRow, int32_t Layer) {
  TDouble2DArray a;
  const int32_t status = CopyArr3DLayerToArr2D(Arr, a, LowCol, HighCol, LowRow, HighRow, Layer);
  if (status != kMatArrCopyOk) return status;
  if (DestMat == nullptr) return kMatArrCopyNoMatrix;
  DestMat->Resize(static_cast<int32_t>(a.size()), static_cast<int32_t>(a.front().size()));
  DestMat->CopyFromArray(a, 0, 0, 0, 0, 1, 1);
  return kMatArrCopyOk;
}

int32_t CopyMatrixToArray(const TMatrix* Mat, TDouble2DArray& Dest, int32_t LowCol, int32_t HighCol,
                          int32_t LowRow, int32_t HighRow) {
  if (Mat == nullptr) return kMatArrCopyNoMatrix;
  Mat->MakeValidColRange(LowCol, HighCol);
  Mat->MakeValidRowRange(LowRow, HighRow);
  const TDouble2DArray& src = Mat->GetMat();
  TDouble2DArray a(static_cast<size_t>(HighCol - LowCol + 1));
  for (int32_t x = LowCol; x <= HighCol; ++x)
    a[static_cast<size_t>(x - LowCol)].assign(
        src[static_cast<size_t>(x - 1)].begin() + (LowRow - 1),
        src[static_cast<size_t>(x - 1)].begin() + HighRow);
  Dest.swap(a);
  return kMatArrCopyOk;
}

}  // namespace zel
