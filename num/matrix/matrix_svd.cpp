// Singular value decomposition (Golub-Reinsch) over column storage and its
// TMatrix form. The element loops run in the kernels of
// matrix_svd_kernels.cpp; with write hooks set, the same arithmetic runs in
// plain loops that fire after every element, so both give the same bits.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/matrix_svd_kernels_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

using matrix_detail::TSvdKernels;
using matrix_detail::TSvdPath;

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double Pythag(double a, double b) {
  const double aa = std::fabs(a);
  const double ab = std::fabs(b);
  if (aa > ab) {
    const double q = ab / aa;
    return aa * std::sqrt(1.0 + q * q);
  }
  if (ab == 0.0) return 0.0;
  const double q = aa / ab;
  return ab * std::sqrt(1.0 + q * q);
}

double SignOf(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// The negligibility test must round the sum to double: an extended
// intermediate could keep a tiny term alive for ever.
bool Negligible(double x, double anorm) {
  const volatile double sum = std::fabs(x) + anorm;
  return sum == anorm;
}

// One step of progress; true when the caller asked to stop.
bool StepAndAbort() {
  ReportProgress();
  return AbortMathProc.load();
}

// The decomposition; Hooked fires the write hooks after every element and
// then keeps the textbook loop order, otherwise the kernels do the loops.
template <bool Hooked>
bool Decompose(int32_t m, int32_t n, double* const* a, double* w, double* const* v,
               const TSvdHooks* hooks, const TSvdKernels& K) {
  bool fa = false;
  bool fv = false;
  if constexpr (Hooked) {
    fa = static_cast<bool>(hooks->OnWriteA);
    fv = static_cast<bool>(hooks->OnWriteV);
  }
  // 1-based accessors: A(r, c) is row r, column c.
  auto A = [a](int32_t r, int32_t c) -> double& {
    return a[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
  };
  auto V = [v](int32_t r, int32_t c) -> double& {
    return v[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
  };
  auto W = [w](int32_t i) -> double& { return w[static_cast<size_t>(i - 1)]; };
  auto FA = [&]() {
    if constexpr (Hooked)
      if (fa) hooks->OnWriteA();
  };
  auto FV = [&]() {
    if constexpr (Hooked)
      if (fv) hooks->OnWriteV();
  };
  // y += f x over len elements of a (fire = FA) or v (fire = FV).
  auto Axpy = [&K](double f, const double* x, double* y, int64_t len, auto fire) {
    if constexpr (Hooked) {
      for (int64_t k = 0; k < len; ++k) {
        y[k] += f * x[k];
        fire();
      }
    } else {
      K.Axpy(f, x, y, len);
    }
  };
  // Rotation of columns p, q (x, y) of a (rows m, fire = FA) or v (rows n,
  // fire = FV) to (x c + y s, y c - x s).
  auto Rotate = [&K](double* const* cols, int32_t rows, int32_t p, int32_t q, double c, double s,
                     auto fire) {
    double* x = cols[p - 1];
    double* y = cols[q - 1];
    if constexpr (Hooked) {
      for (int32_t r = 0; r < rows; ++r) {
        const double xr = x[r];
        const double yr = y[r];
        x[r] = xr * c + yr * s;
        fire();
        y[r] = yr * c - xr * s;
        fire();
      }
    } else {
      double* const pair[2] = {x, y};
      K.RotateSeq(pair, rows, 1, &c, &s);
    }
  };
  std::vector<double> rv1v(static_cast<size_t>(n) + 1, 0.0);
  auto E = [&rv1v](int32_t i) -> double& { return rv1v[static_cast<size_t>(i)]; };
  // Row sums of a Householder update (hooked form), or a row of a copied
  // into contiguous memory.
  std::vector<double> sums(static_cast<size_t>(std::max(m, n)) + 1, 0.0);
  // Rotations of one QR sweep, gathered so that the kernels apply the whole
  // sweep in one pass over v and one over a.
  std::vector<double> rots(4 * static_cast<size_t>(n));
  double* const cv = rots.data();
  double* const sv = cv + n;
  double* const ca = sv + n;
  double* const sa = ca + n;

  double g = 0.0;
  double scale = 0.0;
  double anorm = 0.0;
  double s = 0.0;
  double f = 0.0;
  double h = 0.0;
  int32_t l = 1;
  // Householder reduction to bidiagonal form.
  for (int32_t i = 1; i <= n; ++i) {
    if (StepAndAbort()) return false;
    l = i + 1;
    E(i) = scale * g;
    g = s = scale = 0.0;
    if (i <= m) {
      // Column i from row i down.
      double* ci = &A(i, i);
      const int64_t len = m - i + 1;
      for (int64_t k = 0; k < len; ++k) scale += std::fabs(ci[k]);
      if (scale != 0.0) {
        for (int64_t k = 0; k < len; ++k) {
          ci[k] /= scale;
          FA();
          s += ci[k] * ci[k];
        }
        f = ci[0];
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        ci[0] = f - g;
        FA();
        for (int32_t j = l; j <= n; ++j) {
          double* cj = &A(i, j);
          f = K.Dot(ci, cj, len) / h;
          Axpy(f, ci, cj, len, FA);
        }
        for (int64_t k = 0; k < len; ++k) {
          ci[k] *= scale;
          FA();
        }
      }
    }
    W(i) = scale * g;
    g = s = scale = 0.0;
    if (i <= m && i != n) {
      for (int32_t k = l; k <= n; ++k) scale += std::fabs(A(i, k));
      if (scale != 0.0) {
        for (int32_t k = l; k <= n; ++k) {
          A(i, k) /= scale;
          FA();
          s += A(i, k) * A(i, k);
        }
        f = A(i, l);
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        A(i, l) = f - g;
        FA();
        for (int32_t k = l; k <= n; ++k) E(k) = A(i, k) / h;
        // Rows l..m: each row's sum adds its terms in increasing k.
        if constexpr (Hooked) {
          std::fill(sums.begin(), sums.end(), 0.0);
          for (int32_t k = l; k <= n; ++k) {
            const double aik = A(i, k);
            const double* col = a[static_cast<size_t>(k - 1)];
            for (int32_t j = l; j <= m; ++j) sums[static_cast<size_t>(j)] += col[j - 1] * aik;
          }
          for (int32_t k = l; k <= n; ++k) {
            const double ek = E(k);
            double* col = a[static_cast<size_t>(k - 1)];
            for (int32_t j = l; j <= m; ++j) {
              col[j - 1] += sums[static_cast<size_t>(j)] * ek;
              FA();
            }
          }
        } else {
          for (int32_t k = l; k <= n; ++k) sums[static_cast<size_t>(k - l)] = A(i, k);
          K.ReflectRows(a + (l - 1), n - l + 1, l - 1, m, sums.data(), &E(l));
        }
        for (int32_t k = l; k <= n; ++k) {
          A(i, k) *= scale;
          FA();
        }
      }
    }
    anorm = std::max(anorm, std::fabs(W(i)) + std::fabs(E(i)));
  }
  // Accumulation of the right-hand transformations.
  for (int32_t i = n; i >= 1; --i) {
    if (StepAndAbort()) return false;
    if (i < n) {
      if (g != 0.0) {
        const int64_t len = n - l + 1;
        // Double division avoids a possible underflow.
        for (int32_t j = l; j <= n; ++j) {
          V(j, i) = (A(i, j) / A(i, l)) / g;
          FV();
        }
        // Row i of A once into contiguous memory.
        for (int32_t k = l; k <= n; ++k) sums[static_cast<size_t>(k - l)] = A(i, k);
        const double* vi = &V(l, i);
        for (int32_t j = l; j <= n; ++j) {
          double* vj = &V(l, j);
          s = K.Dot(sums.data(), vj, len);
          Axpy(s, vi, vj, len, FV);
        }
      }
      for (int32_t j = l; j <= n; ++j) {
        V(i, j) = V(j, i) = 0.0;
        FV();
        FV();
      }
    }
    V(i, i) = 1.0;
    FV();
    g = E(i);
    l = i;
  }
  // Accumulation of the left-hand transformations.
  for (int32_t i = std::min(m, n); i >= 1; --i) {
    if (StepAndAbort()) return false;
    l = i + 1;
    g = W(i);
    for (int32_t j = l; j <= n; ++j) {
      A(i, j) = 0.0;
      FA();
    }
    double* ci = &A(i, i);
    const int64_t len = m - i + 1;
    if (g != 0.0) {
      g = 1.0 / g;
      for (int32_t j = l; j <= n; ++j) {
        double* cj = &A(i, j);
        s = K.Dot(ci + 1, cj + 1, len - 1);
        f = (s / ci[0]) * g;
        Axpy(f, ci, cj, len, FA);
      }
      for (int64_t k = 0; k < len; ++k) {
        ci[k] *= g;
        FA();
      }
    } else {
      for (int64_t k = 0; k < len; ++k) {
        ci[k] = 0.0;
        FA();
      }
    }
    A(i, i) += 1.0;
    FA();
  }
  // Diagonalisation of the bidiagonal form, last singular value first.
  bool ok = true;
  for (int32_t k = n; k >= 1; --k) {
    if (StepAndAbort()) return false;
    for (int32_t its = 1;; ++its) {
      bool flag = true;
      int32_t nm = 0;
      for (l = k; l >= 1; --l) {
        nm = l - 1;
        // E(1) is always 0, so W(0) is never read.
        if (Negligible(E(l), anorm)) {
          flag = false;
          break;
        }
        if (nm >= 1 && Negligible(W(nm), anorm)) break;
      }
      if (flag) {
        // Cancellation of E(l) after a zero diagonal element.
        double c = 0.0;
        s = 1.0;
        for (int32_t i = l; i <= k; ++i) {
          f = s * E(i);
          E(i) = c * E(i);
          if (Negligible(f, anorm)) break;
          g = W(i);
          h = Pythag(f, g);
          W(i) = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          Rotate(a, m, nm, i, c, s, FA);
        }
      }
      double z = W(k);
      if (l == k) {
        if (z < 0.0) {
          W(k) = -z;
          for (int32_t j = 1; j <= n; ++j) {
            V(j, k) = -V(j, k);
            FV();
          }
        }
        break;
      }
      if (its >= 30) {
        ok = false;
        break;
      }
      // Shift from the trailing 2 x 2 block.
      double x = W(l);
      nm = k - 1;
      double y = W(nm);
      g = E(nm);
      h = E(k);
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = Pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
      // Next QR transformation. The rotations depend only on w and e, so
      // unhooked they are gathered and applied after the sweep.
      double c = 1.0;
      s = 1.0;
      for (int32_t j = l; j <= nm; ++j) {
        const int32_t i = j + 1;
        g = E(i);
        y = W(i);
        h = s * g;
        g = c * g;
        z = Pythag(f, h);
        E(j) = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        if constexpr (Hooked) {
          Rotate(v, n, j, i, c, s, FV);
        } else {
          cv[j - l] = c;
          sv[j - l] = s;
        }
        z = Pythag(f, h);
        W(j) = z;
        if (z != 0.0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        if constexpr (Hooked) {
          Rotate(a, m, j, i, c, s, FA);
        } else {
          ca[j - l] = c;
          sa[j - l] = s;
        }
      }
      if constexpr (!Hooked) {
        K.RotateSeq(v + (l - 1), n, nm - l + 1, cv, sv);
        K.RotateSeq(a + (l - 1), m, nm - l + 1, ca, sa);
      }
      E(l) = 0.0;
      E(k) = f;
      W(k) = x;
    }
  }
  return ok;
}

// The power of two by which a must be divided before the decomposition:
// the shift of the QR sweeps squares the singular values, so a matrix whose
// largest element lies far from 1 is brought near 1 (exactly, the bits
// scaling with it). 0 when the largest element is within 2^-256 .. 2^256
// (also for a zero matrix); INT_MIN when an element is NaN or infinite.
int ScaleExponent(int32_t m, int32_t n, const double* const* a) {
  double big = 0.0;
  for (int32_t c = 0; c < n; ++c)
    for (int32_t r = 0; r < m; ++r) {
      const double x = std::fabs(a[c][r]);
      if (!(x <= DBL_MAX)) return INT_MIN;
      big = std::max(big, x);
    }
  if (big == 0.0) return 0;
  const int e = std::ilogb(big);
  return e > 256 || e < -256 ? e : 0;
}

// Thrown by a write hook of SVDecomposeMatrix when a handler changed the
// size or the storage of A, V or W; it ends the decomposition, whose work
// storage is all held by vectors.
struct TStorageChanged {};

}  // namespace

namespace matrix_detail {

bool SVDecomposeOn(TSvdPath path, int32_t m, int32_t n, double* const* a, double* w,
                   double* const* v, const TSvdHooks* hooks) {
  if (m < 1 || n < 1) return false;
  // Non-finite input would only be iterated to NaN: refused at once.
  const int e = ScaleExponent(m, n, a);
  if (e == INT_MIN) return false;
  if (e != 0)
    for (int32_t c = 0; c < n; ++c)
      for (int32_t r = 0; r < m; ++r) a[c][r] = std::ldexp(a[c][r], -e);
  const TSvdKernels& K = SvdKernels(path);
  const bool ok = hooks != nullptr && (hooks->OnWriteA || hooks->OnWriteV)
                      ? Decompose<true>(m, n, a, w, v, hooks, K)
                      : Decompose<false>(m, n, a, w, v, hooks, K);
  // U and V do not depend on the scale; W scales back exactly.
  if (e != 0)
    for (int32_t i = 0; i < n; ++i) w[i] = std::ldexp(w[i], e);
  return ok;
}

}  // namespace matrix_detail

bool SVDecompose(int32_t m, int32_t n, double* const* a, double* w, double* const* v,
                 const TSvdHooks* hooks) {
  return matrix_detail::SVDecomposeOn(TSvdPath::spAuto, m, n, a, w, v, hooks);
}

bool SVDecompose(int32_t m, int32_t n, TDouble2DArray& a, TDoubleArray& w, TDouble2DArray& v) {
  if (m < 1 || n < 1 || a.size() != static_cast<size_t>(n) || v.size() != static_cast<size_t>(n) ||
      w.size() != static_cast<size_t>(n))
    return false;
  for (const auto& col : a)
    if (col.size() != static_cast<size_t>(m)) return false;
  for (const auto& col : v)
    if (col.size() != static_cast<size_t>(n)) return false;
  std::vector<double*> pa(static_cast<size_t>(n));
  std::vector<double*> pv(static_cast<size_t>(n));
  for (size_t c = 0; c < static_cast<size_t>(n); ++c) {
    pa[c] = a[c].data();
    pv[c] = v[c].data();
  }
  return SVDecompose(m, n, pa.data(), w.data(), pv.data(), nullptr);
}

bool TMatrix::SVDecomposeMatrix(TMatrix* V, TDoubleArray& W) {
  if (V == nullptr || V == this || V->FNCol != FNCol || V->FNRow != FNCol ||
      W.size() != static_cast<size_t>(FNCol))
    return false;
  // Refused before any event: nothing changes.
  if (!matrix_detail::AllFinite(Mat)) return false;
  std::vector<double*> pa(static_cast<size_t>(FNCol));
  std::vector<double*> pv(static_cast<size_t>(FNCol));
  for (size_t c = 0; c < pa.size(); ++c) {
    pa[c] = Mat[c].data();
    pv[c] = V->Mat[c].data();
  }
  // A handler that resizes A, V or W would leave the loops on freed
  // storage: after every event the sizes (and the column arrays) must be
  // those the decomposition started with, else it stops with false.
  const int32_t nc = FNCol;
  const int32_t nr = FNRow;
  const auto* cols = Mat.data();
  const auto* vcols = V->Mat.data();
  const double* wdata = W.data();
  auto intact = [=, this, &W]() {
    return FNCol == nc && FNRow == nr && Mat.data() == cols && V->FNCol == nc &&
           V->FNRow == nc && V->Mat.data() == vcols && W.data() == wdata &&
           W.size() == static_cast<size_t>(nc);
  };
  TSvdHooks hooks;
  if (OnChange)
    hooks.OnWriteA = [this, &intact]() {
      Changed();
      if (!intact()) throw TStorageChanged{};
    };
  if (V->OnChange)
    hooks.OnWriteV = [V, &intact]() {
      V->Changed();
      if (!intact()) throw TStorageChanged{};
    };
  bool ok = false;
  try {
    ok = SVDecompose(FNRow, FNCol, pa.data(), W.data(), pv.data(), &hooks);
  } catch (const TStorageChanged&) {
    return false;
  }
  Changed();
  V->Changed();
  return ok;
}

}  // namespace zel
