// Helpers shared by the three- and four-dimensional matrices and their
// tests. Not part of the interface: include num/matrix/zel_matrix.hpp.
#pragma once

#include <cstdint>
#include <limits>

namespace zel::mat3d4d_detail {

// Dimensions are numbered 0 = column (x), 1 = row (y), 2 = layer (z),
// 3 = time slot (t). A three-dimensional matrix has one time slot.
constexpr int32_t kDims = 4;

// Where the elements of a dense box of N[0] x N[1] x N[2] x N[3] lie in the
// flat storage: element (x, y, z, t), 0-based, is at Sum d of i_d Stride[d].
// Order lists the dimensions from the contiguous one outwards.
struct TLayout {
  int64_t N[kDims];
  int64_t Stride[kDims];
  int32_t Order[kDims];
};

// A sub-box, 0-based inclusive bounds per dimension.
struct TBox {
  int64_t Lo[kDims];
  int64_t Hi[kDims];
};

inline int64_t Extent(const TBox& B, int32_t d) { return B.Hi[d] - B.Lo[d] + 1; }

inline int64_t Volume(const TBox& B) {
  int64_t v = 1;
  for (int32_t d = 0; d < kDims; ++d) v *= Extent(B, d);
  return v;
}

// The layout of sizes N with the dimensions of Order from the innermost.
inline TLayout MakeLayout(const int64_t (&N)[kDims], const int32_t (&Order)[kDims]) {
  TLayout L{};
  int64_t stride = 1;
  for (int32_t j = 0; j < kDims; ++j) {
    const int32_t d = Order[j];
    L.Order[j] = d;
    L.N[d] = N[d];
    L.Stride[d] = stride;
    stride *= N[d];
  }
  return L;
}

// The storage orders: TMat4D keeps the column innermost, TMat3D the layer.
inline TLayout LayoutFor(int64_t Nx, int64_t Ny, int64_t Nz, int64_t Nt, bool ColumnInnermost) {
  const int64_t n[kDims] = {Nx, Ny, Nz, Nt};
  static constexpr int32_t kOrder4D[kDims] = {0, 1, 2, 3};
  static constexpr int32_t kOrder3D[kDims] = {2, 1, 0, 3};
  return MakeLayout(n, ColumnInnermost ? kOrder4D : kOrder3D);
}

// A box from valid 1-based inclusive bounds.
inline TBox BoxOf(const int32_t (&Lo)[kDims], const int32_t (&Hi)[kDims]) {
  TBox b{};
  for (int32_t d = 0; d < kDims; ++d) {
    b.Lo[d] = Lo[d] - 1;
    b.Hi[d] = Hi[d] - 1;
  }
  return b;
}

// Calls f(offset, length) for every contiguous run of the box, in storage
// order. Inner dimensions that the box covers whole are merged into one
// run, so a whole matrix is a single run.
template <class F>
void ForEachRun(const TLayout& L, const TBox& B, F&& f) {
  int32_t k = 1;
  int64_t len = Extent(B, L.Order[0]);
  while (k < kDims) {
    const int32_t inner = L.Order[k - 1];
    if (B.Lo[inner] != 0 || B.Hi[inner] != L.N[inner] - 1) break;
    len *= Extent(B, L.Order[k]);
    ++k;
  }
  int64_t idx[kDims];
  int64_t base = 0;
  for (int32_t d = 0; d < kDims; ++d) idx[d] = B.Lo[d];
  for (int32_t j = 0; j < k; ++j) base += B.Lo[L.Order[j]] * L.Stride[L.Order[j]];
  for (;;) {
    int64_t off = base;
    for (int32_t j = k; j < kDims; ++j) off += idx[L.Order[j]] * L.Stride[L.Order[j]];
    f(off, len);
    int32_t j = k;
    for (; j < kDims; ++j) {
      const int32_t d = L.Order[j];
      if (++idx[d] <= B.Hi[d]) break;
      idx[d] = B.Lo[d];
    }
    if (j == kDims) break;
  }
}

// The 0-based coordinates of a storage offset.
inline void Decode(const TLayout& L, int64_t Offset, int64_t (&Idx)[kDims]) {
  for (int32_t d = 0; d < kDims; ++d) Idx[d] = (Offset / L.Stride[d]) % L.N[d];
}

// The product of the sizes, or -1 when it exceeds Limit (checked factor by
// factor, so that no product overflows). Every size must be >= 1.
inline int64_t CountWithin(const int64_t (&N)[kDims], int64_t Limit) {
  int64_t n = 1;
  for (int32_t d = 0; d < kDims; ++d) {
    if (N[d] < 1 || n > Limit / N[d]) return -1;
    n *= N[d];
  }
  return n;
}

// The address arithmetic of TMat4D::Lin3DAddr and ConvertLinTo3DAddr on
// plain sizes, so that it can be checked for sizes no test can allocate.
// Lin3DAddr: -1 for an index outside 1..size (or a size below 1), -2 when
// the element count exceeds 2^31 - 1 (the product taken in 64 bits).
inline int32_t Lin3DAddr(int64_t NumX, int64_t NumY, int64_t NumZ, int32_t ix, int32_t iy,
                         int32_t il) {
  if (NumX < 1 || NumY < 1 || NumZ < 1) return -1;
  if (ix < 1 || ix > NumX || iy < 1 || iy > NumY || il < 1 || il > NumZ) return -1;
  const int64_t count = CountWithin({NumX, NumY, NumZ, 1}, std::numeric_limits<int32_t>::max());
  if (count < 0) return -2;
  return static_cast<int32_t>(il - 1 + ((int64_t{iy} - 1) * NumX + ix - 1) * NumZ);
}

// ConvertLinTo3DAddr: false (all three 0) for an address outside
// 0..count - 1 or an empty size.
inline bool ConvertLinTo3DAddr(int64_t NumX, int64_t NumY, int64_t NumZ, int64_t LinAddr,
                               int32_t& ix, int32_t& iy, int32_t& il) {
  ix = iy = il = 0;
  const int64_t count = CountWithin({NumX, NumY, NumZ, 1}, std::numeric_limits<int64_t>::max());
  if (count < 0 || LinAddr < 0 || LinAddr >= count) return false;
  il = static_cast<int32_t>(LinAddr % NumZ + 1);
  ix = static_cast<int32_t>((LinAddr / NumZ) % NumX + 1);
  iy = static_cast<int32_t>(LinAddr / NumZ / NumX + 1);
  return true;
}

// Resampling of one dimension: the offset taken into 0..Div - 1 with a
// mathematical modulo and the new count (Count - Offset - 1) div Div + 1
// (division toward zero, so at least 1). Div must be >= 1.
struct TResampleAxis {
  int64_t Div;
  int64_t Offset;
  int64_t NewCount;
};

inline TResampleAxis ResampleAxis(int64_t Count, int32_t Div, int32_t Offset) {
  TResampleAxis a{Div, 0, 1};
  a.Offset = ((int64_t{Offset} % Div) + Div) % Div;
  a.NewCount = (Count - a.Offset - 1) / Div + 1;
  return a;
}

}  // namespace zel::mat3d4d_detail
