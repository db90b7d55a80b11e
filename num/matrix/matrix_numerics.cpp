// TMatrix: determinant, LU and Cholesky decompositions, inversion, hat
// matrix, balancing and norms.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

using matrix_detail::AllFinite;
using matrix_detail::DivideBy;

double TMatrix::Determinant() const {
  if (FNCol != FNRow) return 0.0;
  if (!AllFinite(Mat)) return std::numeric_limits<double>::quiet_NaN();
  return matrix_detail::LuDeterminant(Mat);
}

bool TMatrix::LUdecomposition(TMatrix* MatL, TMatrix* MatU) const {
  if (FNCol != FNRow || MatL == nullptr || MatU == nullptr || MatL == this || MatU == this ||
      MatL == MatU)
    return false;
  TDouble2DArray l;
  TDouble2DArray u;
  if (!AllFinite(Mat) || !matrix_detail::LuDoolittle(Mat, l, u)) return false;
  if (!MatL->StoreAll(std::move(l))) return false;
  MatL->Changed();
  if (!MatU->StoreAll(std::move(u))) return false;
  MatU->Changed();
  return true;
}

bool TMatrix::Invert() {
  if (FNCol != FNRow || !AllFinite(Mat)) return false;
  TDouble2DArray inv;
  if (matrix_detail::LuInvert(Mat, inv) != 0) return false;
  Mat = std::move(inv);
  Changed();
  return true;
}

int32_t TMatrix::CalcHatMatrix(TMatrix* HatMat) const {
  if (HatMat == nullptr) return -1;
  TDouble2DArray h;
  const int32_t res = zel::CalcHatMatrix(Mat, h);
  if (res != 0) return res;
  if (!HatMat->StoreAll(std::move(h))) return -5;
  HatMat->Changed();
  return 0;
}

namespace {

// The lower Cholesky factor, in place, of the n x n matrix given as column
// pointers (cols[c][r] is row r, column c; the lower triangle and diagonal
// are read, the strict upper triangle must be zero and stays so).
// Left-looking by blocks of kBlock columns: a block first loses
// the products of all columns left of it, then is factored by halving it
// until kNarrow columns remain, the right half losing the products of the
// left one, so that little work runs outside the packed product kernel.
// Every element still loses its products one by one in increasing k, so
// the factor equals that of the textbook column loop bit for bit.
class TCholesky {
 public:
  TCholesky(int64_t n, double* const* cols) : n_(n), cols_(cols) {}

  // False at the first pivot that is not positive (or NaN), before
  // dividing by it.
  bool Factor() {
    for (int64_t j0 = 0; j0 < n_; j0 += kBlock) {
      const int64_t b = std::min(kBlock, n_ - j0);
      SubtractProducts(j0, b, 0, j0);
      if (!FactorPanel(j0, b)) return false;
      // The products also reached the cells above the block's diagonal.
      for (int64_t j = j0 + 1; j < j0 + b; ++j) std::fill(Col(j) + j0, Col(j) + j, 0.0);
    }
    return true;
  }

 private:
  static constexpr int64_t kBlock = 48;
  static constexpr int64_t kNarrow = 12;

  double* Col(int64_t c) const { return cols_[c]; }

  // Columns c0 .. c0 + cw - 1, rows c0 .. n - 1, lose L(r, k) L(c, k) for
  // k = k0 .. k1 - 1 in turn (the cells above the diagonal of the block
  // are computed too, as scratch).
  void SubtractProducts(int64_t c0, int64_t cw, int64_t k0, int64_t k1) {
    left_.resize(static_cast<size_t>(std::max<int64_t>(k1 - k0, 0)));
    for (int64_t k = k0; k < k1; ++k) left_[static_cast<size_t>(k - k0)] = Col(k) + c0;
    dst_.resize(static_cast<size_t>(cw));
    for (int64_t j = 0; j < cw; ++j) dst_[static_cast<size_t>(j)] = Col(c0 + j) + c0;
    matrix_detail::GemmSubtract(n_ - c0, cw, k1 - k0, left_.data(), false, left_.data(), true,
                                dst_.data(), matrix_detail::TGemmPath::gpAuto, &buffers_);
  }

  // Factors columns c0 .. c0 + cw - 1, already cleared of every column
  // left of c0.
  bool FactorPanel(int64_t c0, int64_t cw) {
    if (cw > kNarrow) {
      const int64_t h = cw / 2;
      if (!FactorPanel(c0, h)) return false;
      SubtractProducts(c0 + h, cw - h, c0, c0 + h);
      return FactorPanel(c0 + h, cw - h);
    }
    for (int64_t j = c0; j < c0 + cw; ++j) {
      double* cj = Col(j);
      for (int64_t k = c0; k < j; ++k) matrix_detail::Axpy(-Col(k)[j], Col(k) + j, cj + j, n_ - j);
      const double s = cj[j];
      if (!(s > 0.0)) return false;
      const double d = std::sqrt(s);
      cj[j] = d;
      DivideBy(cj + j + 1, d, n_ - j - 1);
    }
    return true;
  }

  int64_t n_;
  double* const* cols_;
  std::vector<const double*> left_;
  std::vector<double*> dst_;
  matrix_detail::TGemmBuffers buffers_;
};

}  // namespace

bool TMatrix::CholeskyDecomp(TMatrix* MatL) {
  if (FNCol != FNRow || MatL == nullptr || MatL == this) return false;
  const auto n = static_cast<size_t>(FNCol);
  // Only the lower triangle and the diagonal are read.
  for (size_t c = 0; c < n; ++c)
    for (size_t r = c; r < n; ++r)
      if (!std::isfinite(Mat[c][r])) return false;
  TDouble2DArray l = NewStorage(FNCol, FNCol);
  std::vector<double*> cols(n);
  for (size_t c = 0; c < n; ++c) {
    std::copy(Mat[c].begin() + static_cast<std::ptrdiff_t>(c), Mat[c].end(),
              l[c].begin() + static_cast<std::ptrdiff_t>(c));
    cols[c] = l[c].data();
  }
  if (!TCholesky(FNCol, cols.data()).Factor()) return false;
  // L^T into the strict upper triangle (row c of column r > c), in tiles so
  // that both sides stay in cache.
  constexpr size_t kTile = 32;
  for (size_t c0 = 0; c0 < n; c0 += kTile)
    for (size_t r0 = c0; r0 < n; r0 += kTile)
      for (size_t r = r0; r < std::min(n, r0 + kTile); ++r) {
        double* dst = Mat[r].data();
        for (size_t c = c0; c < std::min(r, c0 + kTile); ++c) dst[c] = l[c][r];
      }
  Changed();
  if (!MatL->StoreAll(std::move(l))) return false;
  MatL->Changed();
  return true;
}

bool TMatrix::Balance(double Tolerance) {
  if (FNCol != FNRow) return false;
  const double tol = std::clamp(Tolerance, 1.000001, 1.05);
  const auto n = static_cast<size_t>(FNCol);
  int32_t passes = 0;
  double maxf = 0.0;
  do {
    maxf = 0.0;
    ++passes;
    for (size_t j = 0; j < n; ++j) {
      double c = 0.0;
      double r = 0.0;
      for (size_t k = 0; k < n; ++k) {
        if (k == j) continue;
        c += std::fabs(Mat[j][k]);
        r += std::fabs(Mat[k][j]);
      }
      // A ratio of roots: r / c itself can overflow or underflow although
      // the factor is representable. A zero sum gives 0 or inf, an overflowed
      // sum inf and a NaN element NaN: such a pair is left alone.
      const double f = std::sqrt(r) / std::sqrt(c);
      if (!(f > 0.0) || !std::isfinite(f)) continue;
      maxf = std::max(maxf, f);
      for (size_t k = 0; k < n; ++k) {
        if (k == j) continue;
        Mat[k][j] /= f;
        Mat[j][k] *= f;
      }
    }
  } while (maxf > tol && passes < 100);
  Changed();
  return passes < 100;
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The largest of the sums; NaN as soon as one is NaN (std::max would keep
// whichever came first).
double LargestSum(const TDoubleArray& sums) {
  double best = 0.0;
  for (const double s : sums) {
    if (std::isnan(s)) return kNaN;
    best = std::max(best, s);
  }
  return best;
}

// NaN when an element is NaN, else inf when one is infinite, else 0.
double NonFiniteNorm(const TDouble2DArray& a) {
  double res = 0.0;
  for (const auto& col : a)
    for (const double x : col) {
      if (std::isnan(x)) return kNaN;
      if (std::isinf(x)) res = std::numeric_limits<double>::infinity();
    }
  return res;
}

// sqrt(Sum a^2) over elements scaled by the power of two of the largest
// one, so that no square overflows or underflows to 0 while the norm is
// representable; summed and rooted in long double.
double FrobeniusNorm(const TDouble2DArray& a) {
  double big = 0.0;
  for (const auto& col : a)
    for (const double x : col) {
      if (!std::isfinite(x)) return NonFiniteNorm(a);
      big = std::max(big, std::fabs(x));
    }
  if (big == 0.0) return 0.0;
  const int e = std::ilogb(big);
  const long double scale = std::ldexp(1.0L, -e);
  long double s = 0.0L;
  for (const auto& col : a)
    for (const double x : col) {
      const long double y = x * scale;
      s += y * y;
    }
  return static_cast<double>(std::ldexp(std::sqrt(s), e));
}

}  // namespace

double TMatrix::Norm(TNormType nt) const {
  switch (nt) {
    case TNormType::ntColwise: {
      double best = 0.0;
      for (const auto& col : Mat) {
        double s = 0.0;
        for (double x : col) s += std::fabs(x);
        if (std::isnan(s)) return kNaN;
        best = std::max(best, s);
      }
      return best;
    }
    case TNormType::ntRowwise: {
      TDoubleArray sums(static_cast<size_t>(FNRow), 0.0);
      for (const auto& col : Mat)
        for (size_t r = 0; r < col.size(); ++r) sums[r] += std::fabs(col[r]);
      return LargestSum(sums);
    }
    case TNormType::ntFrobenius: return FrobeniusNorm(Mat);
    case TNormType::ntSpectral: {
      if (!AllFinite(Mat)) return NonFiniteNorm(Mat);
      // Decompose the orientation with at least as many rows as columns.
      const bool tr = FNCol > FNRow;
      const int32_t m = tr ? FNCol : FNRow;
      const int32_t n = tr ? FNRow : FNCol;
      TDouble2DArray a(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(m)));
      for (int32_t c = 0; c < FNCol; ++c)
        for (int32_t r = 0; r < FNRow; ++r) {
          const double x = Mat[static_cast<size_t>(c)][static_cast<size_t>(r)];
          if (tr)
            a[static_cast<size_t>(r)][static_cast<size_t>(c)] = x;
          else
            a[static_cast<size_t>(c)][static_cast<size_t>(r)] = x;
        }
      TDouble2DArray v(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(n)));
      TDoubleArray w(static_cast<size_t>(n));
      if (!SVDecompose(m, n, a, w, v))
        throw EZELMatrixError(ComponentMessage(
            AbortMathProc.load()
                ? "spectral norm: the singular value decomposition was aborted (AbortMathProc)"
                : "spectral norm: the singular value decomposition did not converge"));
      double best = 0.0;
      for (double x : w) best = std::max(best, x);
      return best;
    }
  }
  return 0.0;
}

}  // namespace zel
