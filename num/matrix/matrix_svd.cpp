// Singular value decomposition (Golub-Reinsch) over column storage and its
// TMatrix form. Without write hooks the element loops run in the kernels of
// matrix_svd_kernels.cpp, in blocks that stay in cache; with hooks set, the
// same arithmetic runs step by step in plain loops that fire after every
// element. Both give the same bits.
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

using matrix_detail::TDeferredRotations;
using matrix_detail::TSvdBlocking;
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

// Householder reduction to bidiagonal form without hooks. Step i's row
// reflector changes rows i + 1 .. m of columns i + 1 .. n by t e^T, with t
// the row sums against the reflector. While that trailing matrix fits in
// cache, ReflectRows does it at once, a block of rows at a time. Beyond,
// t is formed column by column and the update applied column by column in
// the pass of step i + 1's column reflector (after that step's progress
// and abort), so each step reads the trailing matrix once for t and once
// more to update it, with one write. Either way every element sees the
// same operations in the same order as step by step. w is 0-based, e is
// E(i) 1-based. False when aborted, with the steps before it complete.
bool Bidiagonalize(int32_t m, int32_t n, double* const* a, double* w, double* e, double& anorm,
                   const TSvdKernels& K, const TSvdBlocking& blocking) {
  auto A = [a](int32_t r, int32_t c) -> double& {
    return a[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
  };
  std::vector<double> t(static_cast<size_t>(m));   // row sums of the pending update
  std::vector<double> ep(static_cast<size_t>(n));  // its e, from column pl on
  std::vector<double> u(static_cast<size_t>(n));   // the row reflector
  int32_t pl = 0;  // first row and column of the pending update; 0 when none
  auto Settle = [&](int32_t j) {
    K.Axpy(ep[static_cast<size_t>(j - pl)], t.data(), &A(pl, j), m - pl + 1);
  };
  double g = 0.0;
  double scale = 0.0;
  double s = 0.0;
  double f = 0.0;
  double h = 0.0;
  anorm = 0.0;
  for (int32_t i = 1; i <= n; ++i) {
    if (StepAndAbort()) {
      if (pl != 0)
        for (int32_t j = pl; j <= n; ++j) Settle(j);
      return false;
    }
    const int32_t l = i + 1;
    e[i] = scale * g;
    g = s = scale = 0.0;
    if (i <= m) {
      // Column i from row i down; a pending update starts at row and column i.
      double* ci = &A(i, i);
      const int64_t len = m - i + 1;
      if (pl != 0) Settle(i);
      for (int64_t k = 0; k < len; ++k) scale += std::fabs(ci[k]);
      if (scale != 0.0) {
        for (int64_t k = 0; k < len; ++k) {
          ci[k] /= scale;
          s += ci[k] * ci[k];
        }
        f = ci[0];
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        ci[0] = f - g;
        for (int32_t j = l; j <= n; ++j) {
          double* cj = &A(i, j);
          if (pl != 0) Settle(j);
          f = K.Dot(ci, cj, len) / h;
          K.Axpy(f, ci, cj, len);
        }
        for (int64_t k = 0; k < len; ++k) ci[k] *= scale;
      } else if (pl != 0) {
        for (int32_t j = l; j <= n; ++j) Settle(j);
      }
    }
    pl = 0;
    w[i - 1] = scale * g;
    g = s = scale = 0.0;
    if (i <= m && i != n) {
      for (int32_t k = l; k <= n; ++k) scale += std::fabs(A(i, k));
      if (scale != 0.0) {
        for (int32_t k = l; k <= n; ++k) {
          A(i, k) /= scale;
          s += A(i, k) * A(i, k);
        }
        f = A(i, l);
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        A(i, l) = f - g;
        for (int32_t k = l; k <= n; ++k) e[k] = A(i, k) / h;
        for (int32_t k = l; k <= n; ++k) u[static_cast<size_t>(k - l)] = A(i, k);
        const int64_t trailing =
            int64_t{m - l + 1} * (n - l + 1) * static_cast<int64_t>(sizeof(double));
        const bool defer = blocking.DeferRows > 0 || (blocking.DeferRows == 0 &&
                                                      trailing > 2 * matrix_detail::kSvdCacheBytes);
        if (l <= m && !defer) {
          K.ReflectRows(a + (l - 1), n - l + 1, l - 1, m, u.data(), e + l);
        } else if (l <= m) {
          // Row sums over rows l .. m, each in increasing k.
          std::fill(t.begin(), t.begin() + (m - l + 1), 0.0);
          for (int32_t k = l; k <= n; ++k)
            K.Axpy(u[static_cast<size_t>(k - l)], &A(l, k), t.data(), m - l + 1);
          std::copy(e + l, e + n + 1, ep.begin());
          pl = l;
        }
        for (int32_t k = l; k <= n; ++k) A(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i - 1]) + std::fabs(e[i]));
  }
  return true;
}

// Reflectors per block of an accumulation: `vectors` vectors of `len`
// doubles each per reflector stay in cache.
int32_t ReflectorBlock(int32_t len, int32_t vectors, const TSvdBlocking& blocking) {
  if (blocking.Reflectors > 0) return blocking.Reflectors;
  const int64_t fit = matrix_detail::kSvdCacheBytes /
                      (static_cast<int64_t>(sizeof(double)) * vectors * std::max(len, 1));
  return static_cast<int32_t>(std::clamp<int64_t>(fit, 1, 64));
}

// Progress and abort before each of the outer steps i0, i0 - 1, .., i1;
// gives the last step that may run (i1, or one above the aborted step).
int32_t StepsOfBlock(int32_t i0, int32_t i1, bool& aborted) {
  for (int32_t i = i0; i >= i1; --i)
    if (StepAndAbort()) {
      aborted = true;
      return i + 1;
    }
  return i1;
}

// Accumulation of the right-hand transformations without hooks. Step i
// (from n down) changes only columns i .. n of v, each on its own, so a
// block of steps runs column by column: each column of v goes through the
// block's reflectors in step order while it is in cache, which gives the
// same operations on every element in the same order as step by step.
// e[i] is E(i), 1-based. False when aborted, after the steps before it.
bool AccumulateRight(int32_t n, double* const* a, double* const* v, const double* e,
                     const TSvdKernels& K, const TSvdBlocking& blocking) {
  const int32_t block = ReflectorBlock(n, 2, blocking);
  const size_t stride = static_cast<size_t>(n);
  // Per step of the block: the Householder vector, as step i would write
  // it into column i of v, and row i of a.
  std::vector<double> hv(static_cast<size_t>(block) * stride);
  std::vector<double> rw(static_cast<size_t>(block) * stride);
  for (int32_t i0 = n; i0 >= 1; i0 -= block) {
    bool aborted = false;
    const int32_t last = StepsOfBlock(i0, std::max(1, i0 - block + 1), aborted);
    for (int32_t i = i0; i >= last; --i) {
      if (i == n || e[i + 1] == 0.0) continue;
      const double g = e[i + 1];
      double* h = hv.data() + static_cast<size_t>(i0 - i) * stride;
      double* r = rw.data() + static_cast<size_t>(i0 - i) * stride;
      const double ail = a[i][i - 1];  // A(i, i + 1)
      for (int32_t j = i + 1; j <= n; ++j) {
        const double aij = a[j - 1][i - 1];
        // Double division avoids a possible underflow.
        h[j - i - 1] = (aij / ail) / g;
        r[j - i - 1] = aij;
      }
    }
    for (int32_t j = last; j <= n; ++j) {
      double* col = v[j - 1];  // V(r, j) is col[r - 1]
      for (int32_t i = std::min(i0, j); i >= last; --i) {
        if (i == j) {
          // Step j leaves e_j below row j - 1 (its vector is cleared after use).
          col[j - 1] = 1.0;
          for (int32_t r = j + 1; r <= n; ++r) col[r - 1] = 0.0;
          continue;
        }
        if (e[i + 1] != 0.0) {
          const size_t off = static_cast<size_t>(i0 - i) * stride;
          const double s = K.Dot(rw.data() + off, col + i, n - i);
          K.Axpy(s, hv.data() + off, col + i, n - i);
        }
        col[i - 1] = 0.0;
      }
    }
    if (aborted) return false;
  }
  return true;
}

// Accumulation of the left-hand transformations without hooks, blocked in
// the same way: step i (from min(m, n) down) changes only columns i .. n of
// a, each on its own, with the Householder vector that column i holds
// before the step. w is 0-based. False when aborted, after the steps
// before it.
bool AccumulateLeft(int32_t m, int32_t n, double* const* a, const double* w, const TSvdKernels& K,
                    const TSvdBlocking& blocking) {
  const int32_t block = ReflectorBlock(m, 1, blocking);
  const size_t stride = static_cast<size_t>(m);
  std::vector<double> hb(static_cast<size_t>(block) * stride);  // column i, rows i .. m
  std::vector<double> ginv(static_cast<size_t>(block));
  for (int32_t i0 = std::min(m, n); i0 >= 1; i0 -= block) {
    bool aborted = false;
    const int32_t last = StepsOfBlock(i0, std::max(1, i0 - block + 1), aborted);
    for (int32_t i = i0; i >= last; --i) {
      if (w[i - 1] == 0.0) continue;
      const double* ci = a[i - 1] + (i - 1);
      std::copy(ci, ci + (m - i + 1), hb.data() + static_cast<size_t>(i0 - i) * stride);
      ginv[static_cast<size_t>(i0 - i)] = 1.0 / w[i - 1];
    }
    for (int32_t j = last; j <= n; ++j) {
      double* col = a[j - 1];  // A(r, j) is col[r - 1]
      for (int32_t i = std::min(i0, j); i >= last; --i) {
        const double g = ginv[static_cast<size_t>(i0 - i)];
        const int64_t len = m - i + 1;
        double* cj = col + (i - 1);
        if (i == j) {
          if (w[i - 1] != 0.0) {
            for (int64_t k = 0; k < len; ++k) cj[k] *= g;
          } else {
            std::fill(cj, cj + len, 0.0);
          }
          cj[0] += 1.0;
          continue;
        }
        cj[0] = 0.0;
        if (w[i - 1] != 0.0) {
          const double* h = hb.data() + static_cast<size_t>(i0 - i) * stride;
          const double s = K.Dot(h + 1, cj + 1, len - 1);
          K.Axpy((s / h[0]) * g, h, cj, len);
        }
      }
    }
    if (aborted) return false;
  }
  return true;
}

// The decomposition; Hooked fires the write hooks after every element and
// then keeps the textbook loop order, otherwise the kernels do the loops.
template <bool Hooked>
bool Decompose(int32_t m, int32_t n, double* const* a, double* w, double* const* v,
               const TSvdHooks* hooks, const TSvdKernels& K, const TSvdBlocking& blocking) {
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
  auto Axpy = [](double f, const double* x, double* y, int64_t len, auto fire) {
    for (int64_t k = 0; k < len; ++k) {
      y[k] += f * x[k];
      fire();
    }
  };
  // Rotation of columns p, q (x, y) of a (rows m, fire = FA) or v (rows n,
  // fire = FV) to (x c + y s, y c - x s).
  auto Rotate = [](double* const* cols, int32_t rows, int32_t p, int32_t q, double c, double s,
                   auto fire) {
    double* x = cols[p - 1];
    double* y = cols[q - 1];
    for (int32_t r = 0; r < rows; ++r) {
      const double xr = x[r];
      const double yr = y[r];
      x[r] = xr * c + yr * s;
      fire();
      y[r] = yr * c - xr * s;
      fire();
    }
  };
  std::vector<double> rv1v(static_cast<size_t>(n) + 1, 0.0);
  auto E = [&rv1v](int32_t i) -> double& { return rv1v[static_cast<size_t>(i)]; };

  double g = 0.0;
  double scale = 0.0;
  double anorm = 0.0;
  double s = 0.0;
  double f = 0.0;
  double h = 0.0;
  int32_t l = 1;
  // Without hooks the blocked forms do the first three phases; with hooks
  // the textbook loops below do them.
  if constexpr (!Hooked) {
    if (!Bidiagonalize(m, n, a, w, rv1v.data(), anorm, K, blocking)) return false;
    if (!AccumulateRight(n, a, v, rv1v.data(), K, blocking)) return false;
    if (!AccumulateLeft(m, n, a, w, K, blocking)) return false;
  } else {
    // Row sums of a Householder update, or a row of a copied into contiguous
    // memory.
    std::vector<double> sums(static_cast<size_t>(std::max(m, n)) + 1, 0.0);
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
  }
  // Diagonalisation of the bidiagonal form, last singular value first.
  // The rotations depend only on w and e, so unhooked they are kept and
  // applied to a and v in batches of several sweeps, a block of rows at a
  // time (the same bits as one by one).
  TDeferredRotations qa(a, m, n, K, blocking);
  TDeferredRotations qv(v, n, n, K, blocking);
  auto Settle = [&]() {
    if constexpr (!Hooked) {
      qa.Flush();
      qv.Flush();
    }
  };
  bool ok = true;
  for (int32_t k = n; k >= 1; --k) {
    if (StepAndAbort()) {
      Settle();
      return false;
    }
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
          if constexpr (Hooked)
            Rotate(a, m, nm, i, c, s, FA);
          else
            qa.AddRotation(nm - 1, i - 1, c, s);
        }
      }
      double z = W(k);
      if (l == k) {
        if (z < 0.0) {
          W(k) = -z;
          if constexpr (Hooked) {
            for (int32_t j = 1; j <= n; ++j) {
              V(j, k) = -V(j, k);
              FV();
            }
          } else {
            qv.AddNegation(k - 1);
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
      // Next QR transformation.
      double* cv = nullptr;
      double* sv = nullptr;
      double* ca = nullptr;
      double* sa = nullptr;
      if constexpr (!Hooked) {
        cv = qv.AddSweep(l - 1, nm - l + 1);
        sv = cv + (nm - l + 1);
        ca = qa.AddSweep(l - 1, nm - l + 1);
        sa = ca + (nm - l + 1);
      }
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
      E(l) = 0.0;
      E(k) = f;
      W(k) = x;
    }
  }
  Settle();
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
                   double* const* v, const TSvdHooks* hooks, const TSvdBlocking& blocking) {
  if (m < 1 || n < 1) return false;
  // Non-finite input would only be iterated to NaN: refused at once.
  const int e = ScaleExponent(m, n, a);
  if (e == INT_MIN) return false;
  if (e != 0)
    for (int32_t c = 0; c < n; ++c)
      for (int32_t r = 0; r < m; ++r) a[c][r] = std::ldexp(a[c][r], -e);
  const TSvdKernels& K = SvdKernels(path);
  const bool ok = hooks != nullptr && (hooks->OnWriteA || hooks->OnWriteV)
                      ? Decompose<true>(m, n, a, w, v, hooks, K, blocking)
                      : Decompose<false>(m, n, a, w, v, hooks, K, blocking);
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
    return FNCol == nc && FNRow == nr && Mat.data() == cols && V->FNCol == nc && V->FNRow == nc &&
           V->Mat.data() == vcols && W.data() == wdata && W.size() == static_cast<size_t>(nc);
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
