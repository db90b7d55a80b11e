// Covariance-type matrices, the Jacobi eigen-decomposition with its
// process-wide results, and principal components.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "num/analysis/math2_impl.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {

namespace {

constexpr int32_t kMaxEigenSize = 10000;
constexpr int32_t kMaxSweeps = 100;

// Computes the k x k matrix of CalcCovar into res (row-major); false on
// abort. The sums are the library's shared long double kernels, so the
// numbers equal those of the other units' variances and correlations.
bool CovarianceInto(const TDouble2DArray& x, int32_t loCol, int32_t k, int32_t loRow, int32_t n,
                    int32_t mode, std::vector<double>& res) {
  using vector_detail::LD;
  const auto kk = static_cast<size_t>(k);
  const auto nn = static_cast<size_t>(n);
  res.assign(kk * kk, 0.0);
  if (mode < 0 || mode > 4) return true;
  auto col = [&](size_t i) { return x[static_cast<size_t>(loCol - 1) + i].data() + (loRow - 1); };
  const LD div = static_cast<LD>(n - 1);
  // Means first (a constant column gets its value and a sum of squares of
  // exactly 0), then the centred sums.
  std::vector<LD> mean(kk, 0.0L), ss(kk, 0.0L);
  if (mode >= 1 && mode <= 3)
    for (size_t i = 0; i < kk; ++i) vector_detail::MeanAndSumSq(col(i), nn, mean[i], ss[i]);
  for (size_t i = 0; i < kk; ++i) {
    ReportProgress();
    if (AbortMathProc.load()) return false;
    for (size_t j = i; j < kk; ++j) {
      const double* a = col(i);
      const double* b = col(j);
      double v = 0.0;
      if (mode == 0) {
        v = static_cast<double>(vector_detail::LaneDot(a, b, nn) / div);
      } else if (mode == 4) {
        LD s = 0.0L;
        for (size_t r = 0; r < nn; ++r) {
          const LD t = static_cast<LD>(a[r]) - b[r];
          s += t * t;
        }
        v = static_cast<double>(s / div);
      } else {
        const LD sxy = i == j ? ss[i] : vector_detail::CentredCross(a, b, nn, mean[i], mean[j]);
        if (mode == 1) {
          v = static_cast<double>(sxy / div);
        } else {
          // A zero spread gives 0, as the 1e-38 that replaces a zero root
          // gives for its zero covariance.
          v = vector_detail::PearsonFromCentred(ss[i], ss[j], sxy);
          if (mode == 3) v *= v;
        }
      }
      res[i * kk + j] = v;
      res[j * kk + i] = v;
    }
  }
  return true;
}

bool CovarianceRange(const TMatrix* InMat, int32_t& LoCol, int32_t& HiCol, int32_t& LoRow,
                     int32_t& HiRow) {
  if (InMat == nullptr || InMat->GetMat().empty()) return false;
  InMat->MakeValidColRange(LoCol, HiCol);
  InMat->MakeValidRowRange(LoRow, HiRow);
  // One row gives no spread: its divisor n - 1 would be 0.
  return HiRow - LoRow + 1 >= 2;
}

// The process-wide decomposition results.
struct TEigenStore {
  int32_t n = 0;
  std::vector<double> values;   // eigenvalue i at [i]
  std::vector<double> vectors;  // component j of eigenvector i at [i * n + j]
};

std::mutex& StoreLock() {
  static std::mutex lock;
  return lock;
}

TEigenStore& Store() {
  static TEigenStore store;
  return store;
}

void Publish(TEigenStore&& result) {
  std::lock_guard<std::mutex> guard(StoreLock());
  Store() = std::move(result);
}

// Cyclic Jacobi on the symmetric n x n matrix a (row-major, the part above
// the diagonal and the diagonal are used). False for non-finite input, no
// convergence or abort.
bool Jacobi(std::vector<double>& a, int32_t n, TEigenStore& out) {
  for (double e : a)
    if (!std::isfinite(e)) return false;
  const auto nn = static_cast<size_t>(n);
  // Scaling by a power of two (exact) keeps the squares in the rotation
  // formulas in range for entries near the ends of the double range.
  double big = 0.0;
  for (double e : a) big = std::max(big, std::fabs(e));
  int exponent = 0;
  if (big > 0.0) {
    std::frexp(big, &exponent);
    if (exponent > 500 || exponent < -500) {
      for (double& e : a) e = std::ldexp(e, -exponent);
    } else {
      exponent = 0;
    }
  }
  std::vector<double> v(nn * nn, 0.0);  // eigenvector p at v[p * n ...]
  for (size_t p = 0; p < nn; ++p) v[p * nn + p] = 1.0;
  std::vector<double> d(nn), b(nn), z(nn, 0.0);
  for (size_t p = 0; p < nn; ++p) d[p] = b[p] = a[p * nn + p];
  auto at = [&](size_t r, size_t c) -> double& { return a[r * nn + c]; };

  bool converged = false;
  for (int32_t sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    ReportProgress();
    long double sm = 0.0L;
    for (size_t p = 0; p + 1 < nn; ++p)
      for (size_t q = p + 1; q < nn; ++q) sm += std::fabs(at(p, q));
    if (sm == 0.0L) {
      converged = true;
      break;
    }
    const double tresh =
        sweep < 4 ? static_cast<double>(0.2L * sm / (static_cast<long double>(n) * n)) : 0.0;
    for (size_t p = 0; p + 1 < nn; ++p) {
      if (AbortMathProc.load()) return false;
      for (size_t q = p + 1; q < nn; ++q) {
        const double apq = at(p, q);
        const double g = 200.0 * std::fabs(apq);
        if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
            std::fabs(d[q]) + g == std::fabs(d[q])) {
          at(p, q) = 0.0;
          continue;
        }
        if (!(std::fabs(apq) > tresh)) continue;
        double h = d[q] - d[p];
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = apq / h;
        } else {
          const double theta = 0.5 * h / apq;
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0.0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        const double s = t * c;
        const double tau = s / (1.0 + c);
        h = t * apq;
        z[p] -= h;
        z[q] += h;
        d[p] -= h;
        d[q] += h;
        at(p, q) = 0.0;
        auto rot = [s, tau](double& x, double& y) {
          const double gx = x, hy = y;
          x = gx - s * (hy + gx * tau);
          y = hy + s * (gx - hy * tau);
        };
        for (size_t j = 0; j < p; ++j) rot(at(j, p), at(j, q));
        for (size_t j = p + 1; j < q; ++j) rot(at(p, j), at(j, q));
        for (size_t j = q + 1; j < nn; ++j) rot(at(p, j), at(q, j));
        double* vp = &v[p * nn];
        double* vq = &v[q * nn];
        for (size_t j = 0; j < nn; ++j) rot(vp[j], vq[j]);
      }
    }
    for (size_t p = 0; p < nn; ++p) {
      b[p] += z[p];
      d[p] = b[p];
      z[p] = 0.0;
    }
  }
  if (!converged) return false;
  for (double& e : d) e = std::ldexp(e, exponent);
  out.n = n;
  out.values = std::move(d);
  out.vectors = std::move(v);
  return true;
}

// Decomposes the square matrix; the results go to out. Memory exhaustion
// raises the unit's error.
bool Decompose(const TMatrix* Mat, TEigenStore& out) {
  if (Mat == nullptr || Mat->GetMat().empty()) return false;
  const int32_t n = Mat->GetNrOfColumns();
  if (n > kMaxEigenSize || Mat->GetNrOfRows() != n) return false;
  try {
    const auto nn = static_cast<size_t>(n);
    std::vector<double> a(nn * nn);
    const TDouble2DArray& m = Mat->GetMat();
    for (size_t r = 0; r < nn; ++r)
      for (size_t c = 0; c < nn; ++c) a[r * nn + c] = m[c][r];
    return Jacobi(a, n, out);
  } catch (const std::bad_alloc&) {
    throw EZELMath2Error("CalcEigVec: not enough memory");
  }
}

}  // namespace

bool CalcCovar(const TMatrix* InMat, TMatrix* CovMat, int32_t LoCol, int32_t HiCol, int32_t LoRow,
               int32_t HiRow, int32_t Mode) {
  if (CovMat == nullptr || !CovarianceRange(InMat, LoCol, HiCol, LoRow, HiRow)) return false;
  const int32_t k = HiCol - LoCol + 1;
  if (CovMat->GetNrOfColumns() < k || CovMat->GetNrOfRows() < k) return false;
  std::vector<double> res;
  if (!CovarianceInto(InMat->GetMat(), LoCol, k, LoRow, HiRow - LoRow + 1, Mode, res)) return false;
  TDouble2DArray cols = CovMat->GetMat();
  const auto kk = static_cast<size_t>(k);
  for (size_t c = 0; c < kk; ++c)
    for (size_t r = 0; r < kk; ++r) cols[c][r] = res[r * kk + c];
  CovMat->ReplaceData(std::move(cols));
  return true;
}

bool ClassScatterMatrices(const TMatrix* Data, int32_t LoCol, int32_t HiCol, int32_t LoRow,
                          int32_t HiRow, const TIntArray& Classes, TMatrix* Within,
                          TMatrix* Between) {
  if (Data == nullptr || Within == nullptr || Between == nullptr || Within == Between) return false;
  Data->MakeValidColRange(LoCol, HiCol);
  Data->MakeValidRowRange(LoRow, HiRow);
  const auto k = static_cast<size_t>(HiCol - LoCol + 1);
  const auto n = static_cast<size_t>(HiRow - LoRow + 1);
  if (Classes.size() != n) return false;
  const TDouble2DArray& x = Data->GetMat();
  auto at = [&](size_t r, size_t c) {
    return x[static_cast<size_t>(LoCol - 1) + c][static_cast<size_t>(LoRow - 1) + r];
  };
  // Class of each row as 0..g-1, in order of the sorted class numbers.
  TIntArray numbers(Classes);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  const size_t g = numbers.size();
  std::vector<size_t> cls(n);
  for (size_t r = 0; r < n; ++r)
    cls[r] = static_cast<size_t>(std::lower_bound(numbers.begin(), numbers.end(), Classes[r]) -
                                 numbers.begin());
  std::vector<long double> classMean(g * k, 0.0L), mean(k, 0.0L);
  std::vector<int64_t> count(g, 0);
  for (size_t r = 0; r < n; ++r) {
    ++count[cls[r]];
    for (size_t c = 0; c < k; ++c) {
      classMean[cls[r] * k + c] += at(r, c);
      mean[c] += at(r, c);
    }
  }
  for (size_t q = 0; q < g; ++q)
    for (size_t c = 0; c < k; ++c) classMean[q * k + c] /= static_cast<long double>(count[q]);
  for (size_t c = 0; c < k; ++c) mean[c] /= static_cast<long double>(n);
  std::vector<long double> w(k * k, 0.0L), b(k * k, 0.0L), d(k);
  for (size_t r = 0; r < n; ++r) {
    for (size_t c = 0; c < k; ++c) d[c] = at(r, c) - classMean[cls[r] * k + c];
    for (size_t i = 0; i < k; ++i)
      for (size_t j = 0; j <= i; ++j) w[i * k + j] += d[i] * d[j];
  }
  for (size_t q = 0; q < g; ++q) {
    for (size_t c = 0; c < k; ++c) d[c] = classMean[q * k + c] - mean[c];
    for (size_t i = 0; i < k; ++i)
      for (size_t j = 0; j <= i; ++j)
        b[i * k + j] += static_cast<long double>(count[q]) * d[i] * d[j];
  }
  TDouble2DArray wm(k, TDoubleArray(k)), bm(k, TDoubleArray(k));
  for (size_t i = 0; i < k; ++i)
    for (size_t j = 0; j <= i; ++j) {
      wm[i][j] = wm[j][i] = static_cast<double>(w[i * k + j]);
      bm[i][j] = bm[j][i] = static_cast<double>(b[i * k + j]);
    }
  Within->ReplaceData(std::move(wm));
  Between->ReplaceData(std::move(bm));
  return true;
}

bool CalcEigVec(const TMatrix* Mat) {
  TEigenStore result;
  const bool ok = Decompose(Mat, result);
  Publish(ok ? std::move(result) : TEigenStore{});
  return ok;
}

double GetEigenResult(int32_t ix, int32_t iy) {
  std::lock_guard<std::mutex> guard(StoreLock());
  const TEigenStore& s = Store();
  if (ix < 1 || ix > s.n || iy < 0 || iy > s.n) return 0.0;
  const auto i = static_cast<size_t>(ix - 1);
  if (iy == 0) return s.values[i];
  return s.vectors[i * static_cast<size_t>(s.n) + static_cast<size_t>(iy - 1)];
}

int32_t GetEigenSize() {
  std::lock_guard<std::mutex> guard(StoreLock());
  return Store().n;
}

void RemoveEigenMatrix() { Publish(TEigenStore{}); }

bool CalcPrincComp(const TMatrix* InMat, int32_t LoCol, int32_t HiCol, int32_t LoRow, int32_t HiRow,
                   int32_t Mode, bool Normalize) {
  if (!CovarianceRange(InMat, LoCol, HiCol, LoRow, HiRow)) return false;
  const int32_t k = HiCol - LoCol + 1;
  auto cov = std::make_unique<TMatrix>(nullptr);
  cov->Resize(k, k);
  if (!CalcCovar(InMat, cov.get(), LoCol, HiCol, LoRow, HiRow, Mode)) return false;
  TEigenStore r;
  if (!Decompose(cov.get(), r)) {
    Publish(TEigenStore{});
    return false;
  }
  const auto nn = static_cast<size_t>(r.n);
  if (Normalize) {
    long double sum = 0.0L;
    for (double e : r.values) sum += std::fabs(e);
    // Constant data have only zero eigenvalues: nothing to divide by.
    if (sum != 0.0L)
      for (double& e : r.values) e = static_cast<double>(e / sum);
  }
  for (size_t i = 0; i + 1 < nn; ++i) {
    size_t best = i;
    for (size_t j = i + 1; j < nn; ++j)
      if (r.values[j] > r.values[best]) best = j;
    if (best != i) {
      std::swap(r.values[i], r.values[best]);
      std::swap_ranges(r.vectors.begin() + static_cast<std::ptrdiff_t>(i * nn),
                       r.vectors.begin() + static_cast<std::ptrdiff_t>((i + 1) * nn),
                       r.vectors.begin() + static_cast<std::ptrdiff_t>(best * nn));
    }
  }
  Publish(std::move(r));
  return true;
}

bool CalcPrincComp(const TMatrix* InMat, int32_t LoCol, int32_t HiCol, int32_t LoRow, int32_t HiRow,
                   int32_t Mode) {
  return CalcPrincComp(InMat, LoCol, HiCol, LoRow, HiRow, Mode, true);
}

}  // namespace zel
