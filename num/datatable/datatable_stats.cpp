// Data tables: statistics over numeric, marked and valid cells, the
// standardisations and the column tests.
#include <algorithm>
#include <cstring>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

// A family of cells: Column(c) tells whether column c can hold any, and
// Cell(state) whether a cell of such a column belongs. Checking the column
// once and then only state bytes keeps the counting pass a plain loop.
template <class ColFn>
struct TCellFamily {
  ColFn Column;
  uint8_t Any;  // with NeedAny: the state must share a bit with it
  bool NeedAny;
  bool Cell(uint8_t st) const {
    return (st & (kCellNoNumber | kCellEmpty)) == 0 && (!NeedAny || (st & Any) != 0);
  }
};

// The number of states among n with bits 0 and 1 clear, eight at a time:
// the bit 0 of each byte of m is set where the state has either bit.
int64_t CountValidStates(const uint8_t* st, int64_t n) {
  constexpr uint64_t kLow = 0x0101010101010101ull;
  int64_t count = 0, i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x = 0;
    std::memcpy(&x, st + i, 8);
    const uint64_t m = (x | (x >> 1)) & kLow;
    count += 8 - static_cast<int64_t>((m * kLow) >> 56);  // the bytes of m summed
  }
  for (; i < n; ++i) count += (st[i] & (kCellNoNumber | kCellEmpty)) == 0 ? 1 : 0;
  return count;
}

template <class ColFn>
TCellFamily<ColFn> Family(ColFn Column, uint8_t Any, bool NeedAny) {
  return {Column, Any, NeedAny};
}

}  // namespace

// The cells a statistic uses, as a range of a matrix: the table's own
// range when every cell of it is used, otherwise a one-column work matrix
// holding the used values, so that the matrix's formulas see exactly them.
struct TDataTable::TStatSample {
  const TMatrix* M = nullptr;
  std::unique_ptr<TMatrix> Scratch;
  int32_t LowCol = 1, LowRow = 1, HighCol = 1, HighRow = 1;
  int64_t N = 0;
};

template <class Pred>
TDataTable::TStatSample TDataTable::Sample(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, Pred In, bool MatrixError) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  TStatSample s;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    if (!In.Column(c)) continue;
    const uint8_t* st = FCState[static_cast<size_t>(c - 1)].data();
    if (!In.NeedAny) {
      s.N += CountValidStates(st + (LowRow - 1), HighRow - LowRow + 1);
      continue;
    }
    for (int32_t r = LowRow - 1; r < HighRow; ++r) s.N += In.Cell(st[r]) ? 1 : 0;
  }
  if (s.N == 0) return s;
  if (s.N == int64_t{HighCol - LowCol + 1} * (HighRow - LowRow + 1)) {
    s.M = FData;
    s.LowCol = LowCol;
    s.LowRow = LowRow;
    s.HighCol = HighCol;
    s.HighRow = HighRow;
    return s;
  }
  try {
    if (s.N > INT32_MAX) throw std::bad_alloc();
    TDouble2DArray data(1);
    data[0].reserve(static_cast<size_t>(s.N));
    for (int32_t c = LowCol; c <= HighCol; ++c) {
      if (!In.Column(c)) continue;
      for (int32_t r = LowRow; r <= HighRow; ++r)
        if (In.Cell(St(c, r))) data[0].push_back(Val(c, r));
    }
    s.Scratch = std::make_unique<TMatrix>(nullptr);
    SwapMatrixStorage(*s.Scratch, data);
  } catch (const std::bad_alloc&) {
    if (MatrixError) throw EZELMatrixError(ComponentMessage("not enough memory on heap"));
    Fail("not enough memory on heap");
  }
  s.M = s.Scratch.get();
  s.HighRow = static_cast<int32_t>(s.N);
  return s;
}

template <class Pred>
double TDataTable::SumOf(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, Pred In,
                         bool Squared, int64_t& NumData) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  long double sum = 0;
  NumData = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c) {
    if (!In.Column(c)) continue;
    for (int32_t r = LowRow; r <= HighRow; ++r)
      if (In.Cell(St(c, r))) {
        const long double v = Val(c, r);
        sum += Squared ? v * v : v;
        ++NumData;
      }
  }
  return static_cast<double>(sum);
}

// ---------------------------------------------------------------------------
// Sums, extremes, means and variances
// ---------------------------------------------------------------------------

// The predicates of the two cell families (the captured table is this).
#define ZEL_NUMERIC_COLUMN                                               \
  [this](int32_t c) {                                                    \
    const TMScaleType t = FVType[static_cast<size_t>(c - 1)].MScaleType; \
    return t == TMScaleType::stInterval || t == TMScaleType::stRatio;    \
  }
#define ZEL_NUM_CELLS Family(ZEL_NUMERIC_COLUMN, 0, false)
#define ZEL_MARKED_CELLS Family(ZEL_NUMERIC_COLUMN, static_cast<uint8_t>(CellState & 0xFCu), true)

double TDataTable::SumOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 int64_t& NumData) const {
  return SumOf(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false, NumData);
}
double TDataTable::SumOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow, uint8_t CellState, int64_t& NumData) const {
  return SumOf(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, false, NumData);
}
double TDataTable::SumOfSquaredNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                        int32_t HighRow, int64_t& NumData) const {
  return SumOf(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, true, NumData);
}
double TDataTable::SumOfSquaredMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, uint8_t CellState,
                                           int64_t& NumData) const {
  return SumOf(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, true, NumData);
}

namespace {
template <class S>
int64_t MinMaxOf(const S& s, double& Minimum, double& Maximum) {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  if (s.N > 0) s.M->MinMax(s.LowCol, s.LowRow, s.HighCol, s.HighRow, Minimum, Maximum);
  return s.N;
}
template <class S>
int64_t MeanVarOf(const S& s, double& Mean, double& Variance) {
  Mean = 0;
  Variance = 1;
  if (s.N > 0) s.M->MeanVar(s.LowCol, s.LowRow, s.HighCol, s.HighRow, Mean, Variance);
  return s.N;
}
}  // namespace

int64_t TDataTable::MinMaxOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                     int32_t HighRow, double& Minimum, double& Maximum) const {
  return MinMaxOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false), Minimum, Maximum);
}
int64_t TDataTable::MinMaxOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                        int32_t HighRow, uint8_t CellState, double& Minimum,
                                        double& Maximum) const {
  return MinMaxOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, false), Minimum,
                  Maximum);
}
int64_t TDataTable::MinMaxOfValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                       int32_t HighRow, double& Minimum, double& Maximum) const {
  const auto valid = Family([](int32_t) { return true; }, 0, false);
  return MinMaxOf(Sample(LowCol, LowRow, HighCol, HighRow, valid, false), Minimum, Maximum);
}
int64_t TDataTable::MeanVarOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                      int32_t HighRow, double& Mean, double& Variance) const {
  return MeanVarOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false), Mean, Variance);
}
int64_t TDataTable::MeanVarOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                         int32_t HighRow, uint8_t CellState, double& Mean,
                                         double& Variance) const {
  return MeanVarOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, false), Mean,
                   Variance);
}

// ---------------------------------------------------------------------------
// Geometric and harmonic means, quartiles, percentiles
// ---------------------------------------------------------------------------

double TDataTable::GeometricMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, int64_t& NumData) const {
  const TStatSample s = Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false);
  NumData = s.N;
  if (s.N == 0) return 0;
  // Checked here so that the message names the table, not the matrix.
  for (int32_t c = s.LowCol; c <= s.HighCol; ++c)
    for (int32_t r = s.LowRow; r <= s.HighRow; ++r)
      if (s.M->GetVal(c, r) < 0)
        throw EZELMatrixError(ComponentMessage("negative argument passed to GeometricMean"));
  return s.M->GeometricMean(s.LowCol, s.LowRow, s.HighCol, s.HighRow);
}

double TDataTable::HarmonicMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                          int32_t HighRow, int64_t& NumData) const {
  const TStatSample s = Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false);
  NumData = s.N;
  if (s.N == 0) return 0;
  for (int32_t c = s.LowCol; c <= s.HighCol; ++c)
    for (int32_t r = s.LowRow; r <= s.HighRow; ++r)
      if (s.M->GetVal(c, r) <= 0)
        throw EZELMatrixError(ComponentMessage("negative or zero argument passed to HarmonicMean"));
  return s.M->HarmonicMean(s.LowCol, s.LowRow, s.HighCol, s.HighRow);
}

namespace {
template <class S, class F>
int64_t QuartilesOf(const S& s, double& Q1, double& Q2, double& Q3, F fail) {
  Q1 = Q2 = Q3 = 0;
  if (s.N == 0) return 0;
  try {
    s.M->Quartiles(s.LowCol, s.LowRow, s.HighCol, s.HighRow, Q1, Q2, Q3);
  } catch (const EZELMatrixError&) {
    fail();
  }
  return s.N;
}
}  // namespace

int64_t TDataTable::QuartilesOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                        int32_t HighRow, double& Q1, double& Q2, double& Q3) const {
  return QuartilesOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, false), Q1, Q2, Q3,
                     [this] { Fail("not enough memory on heap"); });
}
int64_t TDataTable::QuartilesOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, uint8_t CellState, double& Q1,
                                           double& Q2, double& Q3) const {
  return QuartilesOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, false), Q1, Q2, Q3,
                     [this] { Fail("not enough memory on heap"); });
}

namespace {
template <class S>
double PercentileOf(const S& s, double Prob, int64_t& NumData, const TComponent& Owner) {
  NumData = s.N;
  if (s.N == 0) return 0;
  try {
    return s.M->Percentile(Prob, s.LowCol, s.LowRow, s.HighCol, s.HighRow);
  } catch (const EZELMatrixError&) {
    throw EZELMatrixError(Owner.ComponentMessage("not enough memory on heap"));
  }
}
}  // namespace

double TDataTable::PercentileOfNumCells(double Prob, int32_t LowCol, int32_t LowRow,
                                        int32_t HighCol, int32_t HighRow, int64_t& NumData) const {
  return PercentileOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_NUM_CELLS, true), Prob, NumData,
                      *this);
}
double TDataTable::PercentileOfMarkedCells(double Prob, int32_t LowCol, int32_t LowRow,
                                           int32_t HighCol, int32_t HighRow, uint8_t CellState,
                                           int64_t& NumData) const {
  return PercentileOf(Sample(LowCol, LowRow, HighCol, HighRow, ZEL_MARKED_CELLS, true), Prob,
                      NumData, *this);
}

// ---------------------------------------------------------------------------
// Standardisations
// ---------------------------------------------------------------------------

void TDataTable::StandardizeLines(bool Rows, bool Scale, TVector* Means, TVector* StdDevs) {
  MatrixResized();  // in step with a matrix resized behind the table's back
  const int32_t n = Rows ? FNrOfRows : FNrOfCols;
  std::vector<int32_t> done;
  std::vector<double> means, sds;
  TChangeSuppressor sup(*this);
  auto& mat = MatrixStorage(*FData);
  bool changed = false;
  for (int32_t i = 1; i <= n; ++i) {
    if (!Rows && FVType[static_cast<size_t>(i - 1)].MScaleType < TMScaleType::stInterval) continue;
    double mean = 0, var = 1;
    const int64_t used = Rows ? MeanVarOfNumCells(1, i, FNrOfCols, i, mean, var)
                              : MeanVarOfNumCells(i, 1, i, FNrOfRows, mean, var);
    done.push_back(i);
    means.push_back(mean);
    sds.push_back(std::sqrt(var));
    if (used == 0 || (Scale && !(var > 0))) continue;
    const double sd = Scale ? std::sqrt(var) : 1.0;
    const int32_t m = Rows ? FNrOfCols : FNrOfRows;
    for (int32_t k = 1; k <= m; ++k) {
      const int32_t c = Rows ? k : i, r = Rows ? i : k;
      if (!NumericCell(c, r)) continue;
      double& x = mat[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
      x = Scale ? (x - mean) / sd : x - mean;
    }
    changed = true;
  }
  // The vectors are written last: their handlers may change this table.
  for (size_t k = 0; k < done.size(); ++k) {
    if (Means != nullptr) Means->SetVal(done[k], means[k]);
    if (StdDevs != nullptr) StdDevs->SetVal(done[k], sds[k]);
  }
  sup.Finish(changed);
}

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  StandardizeLines(false, true, Means, StdDevs);
}
void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  StandardizeLines(false, false, Means, nullptr);
}
void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  if (!ListOfCategorialVars().empty())
    Fail("standardization of rows is not possible with nominal or ordinal variables");
  StandardizeLines(true, true, Means, StdDevs);
}
void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  if (!ListOfCategorialVars().empty())
    Fail("mean centering of rows is not possible with nominal or ordinal variables");
  StandardizeLines(true, false, Means, nullptr);
}

// ---------------------------------------------------------------------------
// Column tests
// ---------------------------------------------------------------------------

bool TDataTable::IsConstantColumn(int32_t ColIx) const {
  double v = 0;
  return IsConstantColumn(ColIx, v);
}

bool TDataTable::IsConstantColumn(int32_t ColIx, double& ConstVal) const {
  ConstVal = 0;
  if (!ValidCol(ColIx)) return false;
  const double first = Val(ColIx, 1);
  for (int32_t r = 1; r <= FNrOfRows; ++r)
    if (!(Val(ColIx, r) == first)) return false;
  ConstVal = first;
  return true;
}

bool TDataTable::IsConstantRow(int32_t RowIx) const {
  double v = 0;
  return IsConstantRow(RowIx, v);
}

bool TDataTable::IsConstantRow(int32_t RowIx, double& ConstVal) const {
  ConstVal = 0;
  if (!ValidRow(RowIx)) return false;
  const double first = Val(1, RowIx);
  for (int32_t c = 1; c <= FNrOfCols; ++c)
    if (!(Val(c, RowIx) == first)) return false;
  ConstVal = first;
  return true;
}

bool TDataTable::IsDichotomousColumn(int32_t ColIx) const {
  double lo = 0, hi = 0;
  return CheckDichotomousColumn(ColIx, lo, hi);
}

bool TDataTable::CheckDichotomousColumn(int32_t ColIx, double& Low, double& High) const {
  Low = High = 0;
  if (!ValidCol(ColIx) || FNrOfRows < 2) return false;
  const double a = Val(ColIx, 1);
  if (std::isnan(a)) return false;
  bool haveB = false;
  double b = 0;
  for (int32_t r = 2; r <= FNrOfRows; ++r) {
    const double v = Val(ColIx, r);
    if (std::isnan(v)) return false;
    if (v == a || (haveB && v == b)) continue;
    if (haveB) return false;
    b = v;
    haveB = true;
  }
  if (!haveB) return false;
  Low = std::min(a, b);
  High = std::max(a, b);
  return true;
}

#undef ZEL_NUM_CELLS
#undef ZEL_NUMERIC_COLUMN
#undef ZEL_MARKED_CELLS

}  // namespace zel
