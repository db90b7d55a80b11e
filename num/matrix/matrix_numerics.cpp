// TMatrix: determinant, LU and Cholesky decompositions, inversion, hat
// matrix, balancing and norms.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

double TMatrix::Determinant() const {
  if (FNCol != FNRow) return 0.0;
  return zel::Determinant(Mat);
}

bool TMatrix::LUdecomposition(TMatrix *MatL, TMatrix *MatU) const {
  if (FNCol != FNRow || MatL == nullptr || MatU == nullptr || MatL == this || MatU == this ||
      MatL == MatU)
    return false;
  TDouble2DArray l;
  TDouble2DArray u;
  if (zel::LUdecomposition(Mat, l, u) != 0) return false;
  MatL->StoreAll(std::move(l));
  MatL->Changed();
  MatU->StoreAll(std::move(u));
  MatU->Changed();
  return true;
}

bool TMatrix::Invert() {
  if (FNCol != FNRow) return false;
  TDouble2DArray work = Mat;
  if (InvertArray(work) != 0) return false;
  Mat = std::move(work);
  Changed();
  return true;
}

int32_t TMatrix::CalcHatMatrix(TMatrix *HatMat) const {
  if (HatMat == nullptr) return -1;
  TDouble2DArray h;
  const int32_t res = zel::CalcHatMatrix(Mat, h);
  if (res != 0) return res;
  HatMat->StoreAll(std::move(h));
  HatMat->Changed();
  return 0;
}

bool TMatrix::CholeskyDecomp(TMatrix *MatL) {
  if (FNCol != FNRow || MatL == nullptr || MatL == this) return false;
  const auto n = static_cast<size_t>(FNCol);
  // a[c][r]: the strict upper triangle receives L^T as the columns are
  // finished, so the sums read only values already written.
  TDouble2DArray a = Mat;
  TDouble2DArray l(n, TDoubleArray(n, 0.0));
  for (size_t i = 0; i < n; ++i) {
    const double *li = a[i].data();  // rows 0..i-1 hold L(i, k)
    double s = a[i][i];
    for (size_t k = 0; k < i; ++k) s -= li[k] * li[k];
    if (!(s > 0.0)) return false;  // also NaN
    const double d = std::sqrt(s);
    l[i][i] = d;
    // Four sums at a time, each still in increasing k.
    size_t j = i + 1;
    for (; j + 4 <= n; j += 4) {
      const double *l0 = a[j].data();
      const double *l1 = a[j + 1].data();
      const double *l2 = a[j + 2].data();
      const double *l3 = a[j + 3].data();
      double s0 = a[i][j], s1 = a[i][j + 1], s2 = a[i][j + 2], s3 = a[i][j + 3];
      for (size_t k = 0; k < i; ++k) {
        const double x = li[k];
        s0 -= x * l0[k];
        s1 -= x * l1[k];
        s2 -= x * l2[k];
        s3 -= x * l3[k];
      }
      a[j][i] = l[i][j] = s0 / d;
      a[j + 1][i] = l[i][j + 1] = s1 / d;
      a[j + 2][i] = l[i][j + 2] = s2 / d;
      a[j + 3][i] = l[i][j + 3] = s3 / d;
    }
    for (; j < n; ++j) {
      const double *lj = a[j].data();
      double t = a[i][j];
      for (size_t k = 0; k < i; ++k) t -= li[k] * lj[k];
      a[j][i] = l[i][j] = t / d;
    }
  }
  Mat = std::move(a);
  Changed();
  MatL->StoreAll(std::move(l));
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
      // Both sums must be non-zero: with r = 0 the factor would be 0.
      if (c == 0.0 || r == 0.0) continue;
      const double f = std::sqrt(r / c);
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

double TMatrix::Norm(TNormType nt) const {
  switch (nt) {
    case TNormType::ntColwise: {
      double best = 0.0;
      for (const auto &col : Mat) {
        double s = 0.0;
        for (double x : col) s += std::fabs(x);
        best = std::max(best, s);
      }
      return best;
    }
    case TNormType::ntRowwise: {
      TDoubleArray sums(static_cast<size_t>(FNRow), 0.0);
      for (const auto &col : Mat)
        for (size_t r = 0; r < col.size(); ++r) sums[r] += std::fabs(col[r]);
      return *std::max_element(sums.begin(), sums.end());
    }
    case TNormType::ntFrobenius: {
      double s = 0.0;
      for (const auto &col : Mat)
        for (double x : col) s += x * x;
      return std::sqrt(s);
    }
    case TNormType::ntSpectral: {
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
      if (!SVDecompose(m, n, a, w, v)) throw EZELMatrixError("near singular covariance matrix");
      double best = 0.0;
      for (double x : w) best = std::max(best, x);
      return best;
    }
  }
  return 0.0;
}

}  // namespace zel
