// LU decomposition (Crout's with implicit row scaling, partial pivoting or
// none), inversion and determinant of square matrices held as columns, in
// blocks that leave most of the work to the packed product kernel. Every
// element still receives its products one by one in the order of the
// textbook loops, so the results equal those loops bit for bit.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_impl.hpp"

namespace zel::matrix_detail {

namespace {

// Columns of the decomposition handled per block: the block first loses
// the products of every column left of it in one product call. Multiples
// of the kernel's 6 columns avoid its edge tiles.
constexpr int64_t kBlock = 192;
// Panels this narrow are factored column by column.
constexpr int64_t kNarrow = 8;
// Triangular solves split their rows in halves down to this many.
constexpr int64_t kSolveRows = 32;
// Columns of the inverse computed together: wide groups for the back
// substitution, whose U is packed once per group, and narrower ones for
// the forward substitution, which skips the zero rows above each group.
constexpr int64_t kRhs = 240;
constexpr int64_t kRhsForward = 120;
// Crout: smaller pivots are raised to this and mark the matrix singular.
constexpr double kTinyPivot = 1e-100;

// The solve of a few rows by plain loops. With many columns the rows are
// copied out side by side, so that each step updates a whole row of
// right-hand sides at once; each element still takes its products in
// increasing k and its division last.
void SolveLowerRows(const double* const* L, bool Unit, int64_t a, int64_t c, double* const* X,
                    int64_t nx, std::vector<double>& rows) {
  if (nx < 8) {
    for (int64_t j = 0; j < nx; ++j) {
      double* x = X[j];
      for (int64_t k = a; k < c; ++k) {
        if (!Unit) x[k] /= L[k][k];
        if (k + 1 < c) Axpy(-x[k], L[k] + k + 1, x + k + 1, c - k - 1);
      }
    }
    return;
  }
  const int64_t h = c - a;
  rows.resize(static_cast<size_t>(h * nx));
  double* t = rows.data();
  for (int64_t j = 0; j < nx; ++j) {
    const double* x = X[j] + a;
    for (int64_t i = 0; i < h; ++i) t[i * nx + j] = x[i];
  }
  for (int64_t i = 0; i < h; ++i) {
    double* ti = t + i * nx;
    for (int64_t k = 0; k < i; ++k) Axpy(-L[a + k][a + i], t + k * nx, ti, nx);
    if (!Unit) DivideBy(ti, L[a + i][a + i], nx);
  }
  for (int64_t j = 0; j < nx; ++j) {
    double* x = X[j] + a;
    for (int64_t i = 0; i < h; ++i) x[i] = t[i * nx + j];
  }
}

// Scratch of the triangular solves, reused from call to call.
struct TSolveWork {
  TGemmBuffers Gemm;
  std::vector<const double*> Left;
  std::vector<const double*> Solved;
  std::vector<double*> Rest;
  std::vector<double> Rows;
};

// Lower triangular solve on rows a .. c - 1 of the nx columns X (each a
// pointer to row 0): X(i) -= L(i, k) X(k) for k = a .. i - 1 in increasing
// k, then X(i) /= L(i, i) unless Unit. The rows must already have lost the
// products of every k < a. L is given by columns (L[k][i] is L(i, k)).
// Halves the rows so that the products between the halves go through the
// product kernel.
void SolveLower(const double* const* L, bool Unit, int64_t a, int64_t c, double* const* X,
                int64_t nx, TSolveWork& w) {
  if (c - a <= kSolveRows) {
    SolveLowerRows(L, Unit, a, c, X, nx, w.Rows);
    return;
  }
  const int64_t mid = a + (c - a) / 2;
  SolveLower(L, Unit, a, mid, X, nx, w);
  w.Left.resize(static_cast<size_t>(mid - a));
  for (int64_t k = a; k < mid; ++k) w.Left[static_cast<size_t>(k - a)] = L[k] + mid;
  w.Solved.resize(static_cast<size_t>(nx));
  w.Rest.resize(static_cast<size_t>(nx));
  for (int64_t j = 0; j < nx; ++j) {
    w.Solved[static_cast<size_t>(j)] = X[j] + a;
    w.Rest[static_cast<size_t>(j)] = X[j] + mid;
  }
  GemmSubtract(c - mid, nx, mid - a, w.Left.data(), false, w.Solved.data(), false, w.Rest.data(),
               TGemmPath::gpAuto, &w.Gemm);
  SolveLower(L, Unit, mid, c, X, nx, w);
}

// Left-looking LU in place: a block of columns first takes the part above
// its diagonal block from a triangular solve with the finished L, then the
// rows below lose the products of all finished columns at once, then the
// block is factored by halving it (the right half losing the products of
// the left one) down to narrow panels factored column by column. The row
// exchanges of a block reach the finished columns when the block is done,
// and the columns right of it when their own block starts; nothing reads
// them meanwhile, so this equals exchanging whole rows at once.
class TLuFactor {
 public:
  TLuFactor(int64_t n, double* const* cols, TLuPivot mode, double* scale, int64_t* perm,
            bool progress)
      : n_(n), cols_(cols), mode_(mode), scale_(scale), perm_(perm), progress_(progress) {}

  TLuResult Run() {
    for (int64_t j0 = 0; j0 < n_; j0 += kBlock) {
      const int64_t b = std::min(kBlock, n_ - j0);
      blockLo_ = j0;
      blockHi_ = j0 + b;
      ExchangeBefore(j0, b);
      SolveLower(cols_, true, 0, j0, cols_ + j0, b, work_);
      SubtractProducts(j0, b, 0, j0);
      if (!FactorPanel(j0, b)) return res_;
      ExchangeLeft(j0, b);
    }
    return res_;
  }

 private:
  double* Col(int64_t c) const { return cols_[c]; }

  // Rows r0 .. n - 1 of columns c0 .. c0 + cw - 1 lose L(r, k) U(k, c) for
  // k = k0 .. r0 - 1 in turn.
  void SubtractProducts(int64_t c0, int64_t cw, int64_t k0, int64_t r0) {
    const int64_t k = r0 - k0;
    if (k <= 0 || r0 >= n_) return;
    left_.resize(static_cast<size_t>(k));
    for (int64_t p = 0; p < k; ++p) left_[static_cast<size_t>(p)] = Col(k0 + p) + r0;
    top_.resize(static_cast<size_t>(cw));
    dst_.resize(static_cast<size_t>(cw));
    for (int64_t j = 0; j < cw; ++j) {
      top_[static_cast<size_t>(j)] = Col(c0 + j) + k0;
      dst_[static_cast<size_t>(j)] = Col(c0 + j) + r0;
    }
    GemmSubtract(n_ - r0, cw, k, left_.data(), false, top_.data(), false, dst_.data(),
                 TGemmPath::gpAuto, &work_.Gemm);
  }

  // Factors columns c0 .. c0 + cw - 1, which have lost the products of
  // every column left of c0. False when the work stops (abort, or a zero
  // pivot without pivoting).
  bool FactorPanel(int64_t c0, int64_t cw) {
    if (cw > kNarrow) {
      const int64_t h = cw / 2;
      if (!FactorPanel(c0, h)) return false;
      SolveLower(cols_, true, c0, c0 + h, cols_ + c0 + h, cw - h, work_);
      SubtractProducts(c0 + h, cw - h, c0, c0 + h);
      return FactorPanel(c0 + h, cw - h);
    }
    for (int64_t j = c0; j < c0 + cw; ++j)
      if (!FactorColumn(j, c0)) return false;
    return true;
  }

  bool FactorColumn(int64_t j, int64_t c0) {
    if (progress_) {
      ReportProgress();
      if (AbortMathProc) {
        res_.Aborted = true;
        return false;
      }
    }
    double* x = Col(j);
    for (int64_t k = c0; k < j; ++k) Axpy(-x[k], Col(k) + k + 1, x + k + 1, n_ - k - 1);
    int64_t p = j;
    if (mode_ == TLuPivot::lpCrout) {
      double big = 0;
      for (int64_t i = j; i < n_; ++i) {
        const double t = scale_[i] * std::fabs(x[i]);
        if (t >= big) {
          big = t;
          p = i;
        }
      }
    } else if (mode_ == TLuPivot::lpPartial) {
      double big = std::fabs(x[j]);
      for (int64_t i = j + 1; i < n_; ++i) {
        const double t = std::fabs(x[i]);
        if (t > big) {
          big = t;
          p = i;
        }
      }
    }
    perm_[j] = p;
    if (p != j) {
      for (int64_t c = blockLo_; c < blockHi_; ++c) std::swap(Col(c)[j], Col(c)[p]);
      if (scale_ != nullptr) std::swap(scale_[j], scale_[p]);
      res_.Sign = -res_.Sign;
    }
    if (mode_ == TLuPivot::lpCrout) {
      if (!std::isfinite(x[j])) {
        res_.Singular = true;
      } else if (std::fabs(x[j]) < kTinyPivot) {
        x[j] = kTinyPivot;
        res_.Singular = true;
      }
    } else if (mode_ == TLuPivot::lpNone) {
      if (!std::isfinite(x[j]) || (x[j] == 0 && j + 1 < n_)) {
        res_.Singular = true;
        return false;
      }
    }
    // A partially pivoted column without a non-zero candidate is already
    // eliminated.
    if (x[j] != 0 && j + 1 < n_) DivideBy(x + j + 1, x[j], n_ - j - 1);
    return true;
  }

  // The exchanges of the columns left of j0, in their order, applied to
  // columns j0 .. j0 + b - 1 as their block starts (while they are in
  // cache).
  void ExchangeBefore(int64_t j0, int64_t b) {
    for (int64_t c = j0; c < j0 + b; ++c) {
      double* x = Col(c);
      for (int64_t j = 0; j < j0; ++j)
        if (perm_[j] != j) std::swap(x[j], x[perm_[j]]);
    }
  }

  // The exchanges of columns j0 .. j0 + b - 1, in their order, applied to
  // the finished columns left of them.
  void ExchangeLeft(int64_t j0, int64_t b) {
    for (int64_t c = 0; c < j0; ++c) {
      double* x = Col(c);
      for (int64_t j = j0; j < j0 + b; ++j)
        if (perm_[j] != j) std::swap(x[j], x[perm_[j]]);
    }
  }

  int64_t n_;
  double* const* cols_;
  TLuPivot mode_;
  double* scale_;
  int64_t* perm_;
  bool progress_;
  int64_t blockLo_ = 0;
  int64_t blockHi_ = 0;
  TLuResult res_;
  std::vector<const double*> left_;
  std::vector<const double*> top_;
  std::vector<double*> dst_;
  TSolveWork work_;
};

bool IsSquare(const std::vector<std::vector<double>>& a) {
  if (a.empty()) return false;
  for (const auto& col : a)
    if (col.size() != a.size()) return false;
  return true;
}

}  // namespace

TLuResult LuFactor(int64_t n, double* const* Cols, TLuPivot Mode, double* Scale, int64_t* Perm,
                   bool Progress) {
  return TLuFactor(n, Cols, Mode, Scale, Perm, Progress).Run();
}

bool LuInverse(int64_t n, const double* const* LU, const int64_t* Perm, double* const* Inv,
               bool Progress) {
  if (n <= 0) return true;
  TSolveWork work;
  // at[t]: the column of the inverse whose unit vector has its 1 in row t
  // once the exchanges are applied.
  std::vector<int64_t> at(static_cast<size_t>(n));
  for (int64_t j = 0; j < n; ++j) at[static_cast<size_t>(j)] = j;
  for (int64_t k = 0; k < n; ++k)
    std::swap(at[static_cast<size_t>(k)], at[static_cast<size_t>(Perm[k])]);
  // U with rows and columns in reverse order is lower triangular, and back
  // substitution becomes forward substitution taking the products in
  // decreasing original index, as the textbook back substitution does.
  std::vector<std::vector<double>> rev(static_cast<size_t>(n),
                                       std::vector<double>(static_cast<size_t>(n), 0.0));
  for (int64_t k = 0; k < n; ++k) {
    const double* u = LU[n - 1 - k];
    double* r = rev[static_cast<size_t>(k)].data();
    for (int64_t i = k; i < n; ++i) r[i] = u[n - 1 - i];
  }
  const std::vector<double*> revCols = ColumnPointers(rev);
  std::vector<double*> x(static_cast<size_t>(kRhs));
  for (int64_t t0 = 0; t0 < n; t0 += kRhs) {
    const int64_t nb = std::min(kRhs, n - t0);
    for (int64_t t = t0; t < t0 + nb; ++t) {
      if (Progress) {
        ReportProgress();
        if (AbortMathProc) return false;
      }
      double* col = Inv[at[static_cast<size_t>(t)]];
      std::fill(col, col + n, 0.0);
      col[t] = 1.0;
      x[static_cast<size_t>(t - t0)] = col;
    }
    // Rows above s0 are zero in the columns from s0 on and stay so; the
    // products with them are exact zeros and are left out.
    for (int64_t s0 = t0; s0 < t0 + nb; s0 += kRhsForward)
      SolveLower(LU, true, s0, n, x.data() + (s0 - t0), std::min(kRhsForward, t0 + nb - s0), work);
    for (int64_t j = 0; j < nb; ++j)
      std::reverse(x[static_cast<size_t>(j)], x[static_cast<size_t>(j)] + n);
    SolveLower(revCols.data(), false, 0, n, x.data(), nb, work);
    for (int64_t j = 0; j < nb; ++j)
      std::reverse(x[static_cast<size_t>(j)], x[static_cast<size_t>(j)] + n);
  }
  return true;
}

int32_t LuInvert(const std::vector<std::vector<double>>& A, std::vector<std::vector<double>>& Inv) {
  if (!IsSquare(A)) return -1;
  const auto n = static_cast<int64_t>(A.size());
  try {
    std::vector<std::vector<double>> lu = A;
    std::vector<double> scale(A.size(), 0.0);
    for (const auto& c : lu)
      for (size_t i = 0; i < c.size(); ++i) scale[i] = std::max(scale[i], std::fabs(c[i]));
    for (double& s : scale) {
      if (s == 0) return -3;
      s = 1.0 / s;
    }
    std::vector<int64_t> perm(A.size());
    const std::vector<double*> cols = ColumnPointers(lu);
    const TLuResult f =
        LuFactor(n, cols.data(), TLuPivot::lpCrout, scale.data(), perm.data(), true);
    if (f.Aborted) return -4;
    if (f.Singular) return -3;
    std::vector<std::vector<double>> inv(A.size(), std::vector<double>(A.size()));
    const std::vector<double*> out = ColumnPointers(inv);
    if (!LuInverse(n, cols.data(), perm.data(), out.data(), true)) return -4;
    Inv = std::move(inv);
    return 0;
  } catch (const std::bad_alloc&) {
    return -2;
  }
}

double LuDeterminant(const std::vector<std::vector<double>>& A) {
  if (!IsSquare(A)) return 0;
  const auto n = static_cast<int64_t>(A.size());
  std::vector<std::vector<double>> lu = A;
  std::vector<int64_t> perm(A.size());
  const std::vector<double*> cols = ColumnPointers(lu);
  const TLuResult f = LuFactor(n, cols.data(), TLuPivot::lpPartial, nullptr, perm.data(), false);
  long double det = f.Sign;
  for (size_t j = 0; j < lu.size(); ++j) det *= lu[j][j];
  return static_cast<double>(det);
}

bool LuDoolittle(const std::vector<std::vector<double>>& A, std::vector<std::vector<double>>& L,
                 std::vector<std::vector<double>>& U) {
  if (!IsSquare(A)) return false;
  const size_t n = A.size();
  std::vector<std::vector<double>> lu = A;
  std::vector<int64_t> perm(n);
  const std::vector<double*> cols = ColumnPointers(lu);
  if (LuFactor(static_cast<int64_t>(n), cols.data(), TLuPivot::lpNone, nullptr, perm.data(), false)
          .Singular)
    return false;
  std::vector<std::vector<double>> lo(n, std::vector<double>(n, 0.0));
  std::vector<std::vector<double>> up(n, std::vector<double>(n, 0.0));
  for (size_t j = 0; j < n; ++j) {
    const auto d = static_cast<std::ptrdiff_t>(j);
    std::copy(lu[j].begin(), lu[j].begin() + d + 1, up[j].begin());
    lo[j][j] = 1.0;
    std::copy(lu[j].begin() + d + 1, lu[j].end(), lo[j].begin() + d + 1);
  }
  L = std::move(lo);
  U = std::move(up);
  return true;
}

}  // namespace zel::matrix_detail
