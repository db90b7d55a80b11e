// TMatrix: histogram, standardisation, Q-normalisation, correlation and
// random sub-matrices.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/vector_kernels_impl.hpp"

namespace zel {

using matrix_detail::LD;

namespace {

int32_t Saturate(int64_t n) {
  return static_cast<int32_t>(std::min<int64_t>(n, std::numeric_limits<int32_t>::max()));
}

// Stores values into an optional vector (resized to their count).
void StoreInto(TVector* Vec, const TDoubleArray& values) {
  if (Vec == nullptr || values.empty()) return;
  const auto n = static_cast<int32_t>(values.size());
  Vec->Resize(n);
  Vec->CopyFrom(values, 0, n - 1, 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Histogram
// ---------------------------------------------------------------------------

bool TMatrix::Histogram(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                        double FirstBin, double LastBin, double BinWidth, TIntArray& Histo,
                        int32_t& Underflow, int32_t& Overflow, int32_t& MaxCnt) const {
  if (!std::isfinite(FirstBin) || !std::isfinite(LastBin) || !std::isfinite(BinWidth) ||
      !(BinWidth > 0))
    return false;
  // Decided in double, so that a tiny width cannot overflow an integer.
  const double binsD = Round(std::fabs(LastBin - FirstBin) / BinWidth) + 1;
  if (!(binsD <= 500)) return false;
  const auto bins = static_cast<size_t>(binsD);
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  std::vector<int64_t> counts(bins, 0);
  int64_t under = 0;
  int64_t over = 0;
  const double top = LastBin + BinWidth;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    const double* p = Mat[static_cast<size_t>(c - 1)].data();
    for (int32_t r = LowRow - 1; r < HighRow; ++r) {
      const double x = p[r];
      if (x < FirstBin) {
        ++under;
        continue;
      }
      const double bin = std::floor((x - FirstBin) / BinWidth);
      // NaN, values from LastBin + BinWidth on, and values whose bin the
      // rounded bin count left out are all overflow.
      if (!(x < top) || !(bin < binsD))
        ++over;
      else
        ++counts[static_cast<size_t>(bin)];
    }
  }
  Histo.assign(bins, 0);
  int64_t maxCnt = 0;
  for (size_t i = 0; i < bins; ++i) {
    Histo[i] = Saturate(counts[i]);
    maxCnt = std::max(maxCnt, counts[i]);
  }
  Underflow = Saturate(under);
  Overflow = Saturate(over);
  MaxCnt = Saturate(maxCnt);
  return true;
}

bool TMatrix::Histogram(int32_t LowCol, int32_t HighCol, int32_t LowRow, int32_t HighRow,
                        double FirstBin, double LastBin, double BinWidth, TIntVector* Histo,
                        int32_t& Underflow, int32_t& Overflow, int32_t& MaxCnt) const {
  if (Histo == nullptr) return false;
  TIntArray counts;
  if (!Histogram(LowCol, HighCol, LowRow, HighRow, FirstBin, LastBin, BinWidth, counts, Underflow,
                 Overflow, MaxCnt))
    return false;
  const auto n = static_cast<int32_t>(counts.size());
  Histo->Resize(n);
  Histo->CopyFrom(counts, 0, n - 1, 1);
  return true;
}

// ---------------------------------------------------------------------------
// Standardisation
// ---------------------------------------------------------------------------

namespace {

// Per-row means in one column-major sweep (the storage order).
std::vector<LD> RowMeans(const TDouble2DArray& Mat) {
  const size_t rows = Mat.front().size();
  std::vector<LD> mean(rows, 0);
  for (const auto& column : Mat)
    for (size_t r = 0; r < rows; ++r) mean[r] += static_cast<LD>(column[r]);
  for (LD& m : mean) m /= static_cast<LD>(Mat.size());
  return mean;
}

// Per-row means and centred sums of squares: the means first, then a
// second sweep over the deviations from them. A constant row gets its
// value and exactly 0, as a column does.
void RowMeansAndSumSq(const TDouble2DArray& Mat, std::vector<LD>& Mean, std::vector<LD>& SumSq) {
  const size_t rows = Mat.front().size();
  const TDoubleArray& first = Mat.front();
  Mean = RowMeans(Mat);
  std::vector<uint8_t> varies(rows, 0);
  for (size_t r = 0; r < rows; ++r) varies[r] = std::isfinite(first[r]) ? 0 : 1;
  for (const auto& column : Mat)
    for (size_t r = 0; r < rows; ++r) varies[r] |= column[r] == first[r] ? 0 : 1;
  for (size_t r = 0; r < rows; ++r)
    if (varies[r] == 0) Mean[r] = static_cast<LD>(first[r]);
  SumSq.assign(rows, 0);
  for (const auto& column : Mat) {
    for (size_t r = 0; r < rows; ++r) {
      const LD d = static_cast<LD>(column[r]) - Mean[r];
      SumSq[r] += varies[r] != 0 ? d * d : 0;
    }
  }
}

}  // namespace

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) {
  TDoubleArray means(static_cast<size_t>(FNCol));
  TDoubleArray sds(static_cast<size_t>(FNCol));
  for (size_t c = 0; c < Mat.size(); ++c) {
    auto& column = Mat[c];
    LD mean = 0;
    LD ss = 0;
    if (!column.empty()) vector_detail::MeanAndSumSq(column.data(), column.size(), mean, ss);
    const double m = static_cast<double>(mean);
    const double sd = column.empty() ? 0.0 : vector_detail::SampleStdDev(ss, FNRow);
    if (sd > 0)
      for (double& x : column) x = (x - m) / sd;
    means[c] = m;
    sds[c] = sd;
  }
  StoreInto(Means, means);
  StoreInto(StdDevs, sds);
  Changed();
}

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) {
  std::vector<LD> mean;
  std::vector<LD> sumSq;
  RowMeansAndSumSq(Mat, mean, sumSq);
  TDoubleArray means(mean.size());
  TDoubleArray sds(mean.size());
  std::vector<uint8_t> scale(mean.size(), 0);
  for (size_t r = 0; r < mean.size(); ++r) {
    means[r] = static_cast<double>(mean[r]);
    sds[r] = vector_detail::SampleStdDev(sumSq[r], FNCol);
    scale[r] = sds[r] > 0 ? 1 : 0;
  }
  for (auto& column : Mat)
    for (size_t r = 0; r < column.size(); ++r)
      if (scale[r] != 0) column[r] = (column[r] - means[r]) / sds[r];
  StoreInto(Means, means);
  StoreInto(StdDevs, sds);
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* Means) {
  TDoubleArray means(static_cast<size_t>(FNCol));
  for (size_t c = 0; c < Mat.size(); ++c) {
    auto& column = Mat[c];
    const LD s = vector_detail::LaneSum(column.data(), column.size(),
                                        [](double x) { return static_cast<LD>(x); });
    const double mean = static_cast<double>(s / static_cast<LD>(column.size()));
    for (double& x : column) x -= mean;
    means[c] = mean;
  }
  StoreInto(Means, means);
  Changed();
}

void TMatrix::MeanCenterRows(TVector* Means) {
  const std::vector<LD> mean = RowMeans(Mat);
  TDoubleArray means(mean.size());
  for (size_t r = 0; r < mean.size(); ++r) means[r] = static_cast<double>(mean[r]);
  for (auto& column : Mat)
    for (size_t r = 0; r < column.size(); ++r) column[r] -= means[r];
  StoreInto(Means, means);
  Changed();
}

void TMatrix::QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  TDoubleArray medians(static_cast<size_t>(FNCol));
  TDoubleArray diffs(static_cast<size_t>(FNCol));
  for (int32_t c = 1; c <= FNCol; ++c) {
    const double m = Percentile(50, c, 1, c, FNRow);
    const double d = std::fabs(m - Percentile(RefQuant, c, 1, c, FNRow));
    if (d > 0)
      for (double& x : Mat[static_cast<size_t>(c - 1)]) x = (x - m) / d;
    medians[static_cast<size_t>(c - 1)] = m;
    diffs[static_cast<size_t>(c - 1)] = d;
  }
  StoreInto(Medians, medians);
  StoreInto(QuantDiffs, diffs);
  Changed();
}

void TMatrix::QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  TDoubleArray medians(static_cast<size_t>(FNRow));
  TDoubleArray diffs(static_cast<size_t>(FNRow));
  for (int32_t r = 1; r <= FNRow; ++r) {
    const double m = Percentile(50, 1, r, FNCol, r);
    const double d = std::fabs(m - Percentile(RefQuant, 1, r, FNCol, r));
    if (d > 0)
      for (auto& column : Mat)
        column[static_cast<size_t>(r - 1)] = (column[static_cast<size_t>(r - 1)] - m) / d;
    medians[static_cast<size_t>(r - 1)] = m;
    diffs[static_cast<size_t>(r - 1)] = d;
  }
  StoreInto(Medians, medians);
  StoreInto(QuantDiffs, diffs);
  Changed();
}

// ---------------------------------------------------------------------------
// Correlation
// ---------------------------------------------------------------------------

double TMatrix::Correlate(const TMatrix* OtherMat) const {
  if (OtherMat == nullptr) return 0;
  if (OtherMat->FNCol != FNCol || OtherMat->FNRow != FNRow) Fail("matrices do not match");
  const int64_t n = int64_t{FNCol} * FNRow;
  if (n <= 2) return 0;
  // Centred sums over the cells in storage order: the means first.
  const auto ln = static_cast<LD>(n);
  auto toLD = [](double x) { return static_cast<LD>(x); };
  LD sx = 0, sy = 0;
  bool constX = true, constY = true;
  const double x0 = Mat[0][0];
  const double y0 = OtherMat->Mat[0][0];
  for (size_t c = 0; c < Mat.size(); ++c) {
    const size_t rows = Mat[c].size();
    sx += vector_detail::LaneSum(Mat[c].data(), rows, toLD);
    sy += vector_detail::LaneSum(OtherMat->Mat[c].data(), rows, toLD);
    constX = constX && vector_detail::AllEqualTo(Mat[c].data(), rows, x0);
    constY = constY && vector_detail::AllEqualTo(OtherMat->Mat[c].data(), rows, y0);
  }
  const LD mx = sx / ln;
  const LD my = sy / ln;
  LD sxx = 0, syy = 0, sxy = 0;
  for (size_t c = 0; c < Mat.size(); ++c) {
    const double* a = Mat[c].data();
    const double* b = OtherMat->Mat[c].data();
    const size_t rows = Mat[c].size();
    sxx += vector_detail::CentredSumSq(a, rows, mx);
    syy += vector_detail::CentredSumSq(b, rows, my);
    sxy += vector_detail::CentredCross(a, b, rows, mx, my);
  }
  return vector_detail::PearsonFromCentred(constX ? 0 : sxx, constY ? 0 : syy, sxy);
}

// ---------------------------------------------------------------------------
// Random sub-matrix
// ---------------------------------------------------------------------------

int32_t TMatrix::ResampleExtMat(const TMatrix* SrcMat, double colpct, double rowpct, bool BootStrap,
                                TIntArray& RndColIx, TIntArray& RndRowIx) {
  if (SrcMat == nullptr) return -3;
  if (RndColIx.empty() || RndRowIx.empty()) return -5;
  const double nrD = Round(SrcMat->FNRow * rowpct / 100);
  if (!(nrD >= 1) || !(rowpct <= 100)) return -2;
  const double ncD = Round(SrcMat->FNCol * colpct / 100);
  if (!(ncD >= 1) || !(colpct <= 100)) return -1;
  const auto nc = static_cast<int32_t>(ncD);
  const auto nr = static_cast<int32_t>(nrD);
  TIntArray cols;
  TIntArray rows;
  try {
    cols.resize(static_cast<size_t>(nc));
    rows.resize(static_cast<size_t>(nr));
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (nc == SrcMat->FNCol) {
    for (int32_t i = 0; i < nc; ++i) cols[static_cast<size_t>(i)] = i + 1;
  } else if (zel::FillRandomUniform(cols, 1, SrcMat->FNCol, false) != 0) {
    return -4;
  }
  if (zel::FillRandomUniform(rows, 1, SrcMat->FNRow, BootStrap) != 0) return -4;
  // Read everything before this matrix (which may be SrcMat) changes.
  T2DArray data = NewStorage(nc, nr);
  for (size_t i = 0; i < cols.size(); ++i) {
    const auto& src = SrcMat->Mat[static_cast<size_t>(cols[i] - 1)];
    for (size_t j = 0; j < rows.size(); ++j) data[i][j] = src[static_cast<size_t>(rows[j] - 1)];
  }
  RndColIx.swap(cols);
  RndRowIx.swap(rows);
  if (!StoreAll(std::move(data))) return -6;
  Changed();
  Resized();
  return 0;
}

}  // namespace zel
