#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Column 1 (interval): 2, 4, 100 (empty cell), 5, 7, 9; column 2
// (nominal): ordinals; column 3 (ratio): 1e10 + 1, + 2, + 3 and three cells
// without a valid number (holding -1, which must never be used).
std::unique_ptr<TDataTable> Fixture() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->SetName("Survey");
  t->Resize(3, 6);
  const double c1[6] = {2, 4, 100, 5, 7, 9};
  for (int32_t r = 1; r <= 6; ++r) {
    t->SetElem(1, r, c1[r - 1]);
    t->SetElem(2, r, r % 2);
    t->SetElem(3, r, r <= 3 ? 1e10 + r : -1);
    if (r > 3) t->SetCellState(3, r, kCellNoNumber);
  }
  t->SetIsEmpty(1, 3, true);
  t->SetMScaleType(2, TMScaleType::stNominal);
  t->SetMScaleType(3, TMScaleType::stRatio);
  return t;
}

// Reference values for 2, 4, 5, 7, 9 from Python's statistics module: mean
// 5.4, variance 7.3, geometric mean 4.789388953186989, harmonic mean
// 4.152933421226104, quantiles(method='exclusive') 3, 5, 8 (the (n + 1) p
// rule of the matrix's Quartiles); the sum of squares 175 by hand.
TEST(DataTableStats, NumericCellsExcludeEmptyCellsAndCategoricalColumns) {
  auto t = Fixture();
  int64_t n = 0;
  EXPECT_EQ(t->SumOfNumCells(1, 0, 1, 0, n), 27.0);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(t->SumOfSquaredNumCells(1, 0, 1, 0, n), 175.0);
  double mean = 0, var = 0;
  EXPECT_EQ(t->MeanVarOfNumCells(1, 0, 1, 0, mean, var), 5);
  EXPECT_DOUBLE_EQ(mean, 5.4);
  EXPECT_DOUBLE_EQ(var, 7.3);
  // Over the whole table the nominal column and the invalid cells drop out.
  EXPECT_EQ(t->MeanVarOfNumCells(0, 0, 0, 0, mean, var), 8);
  double lo = 0, hi = 0;
  EXPECT_EQ(t->MinMaxOfNumCells(0, 0, 0, 0, lo, hi), 8);
  EXPECT_EQ(lo, 2.0);
  EXPECT_EQ(hi, 1e10 + 3);
  // Valid cells include the nominal column's and exclude the empty one.
  EXPECT_EQ(t->MinMaxOfValidCells(1, 0, 2, 0, lo, hi), 11);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 9.0);
}

TEST(DataTableStats, MeansDivideByTheCellsUsedNotTheRange) {
  auto t = Fixture();
  int64_t n = 0;
  // Dividing by the 6 cells of the range would give 3.6889...
  EXPECT_NEAR(t->GeometricMeanOfNumCells(1, 0, 1, 0, n), 4.789388953186989, 1e-14);
  EXPECT_EQ(n, 5);
  EXPECT_NEAR(t->HarmonicMeanOfNumCells(1, 0, 1, 0, n), 4.152933421226104, 1e-14);
  double q1 = 0, q2 = 0, q3 = 0;
  EXPECT_EQ(t->QuartilesOfNumCells(1, 0, 1, 0, q1, q2, q3), 5);
  EXPECT_EQ(q1, 3.0);
  EXPECT_EQ(q2, 5.0);
  EXPECT_EQ(q3, 8.0);
  EXPECT_EQ(t->PercentileOfNumCells(50, 1, 0, 1, 0, n), 5.0);  // rank Round(2.5) = 2
  EXPECT_EQ(t->PercentileOfNumCells(100, 1, 0, 1, 0, n), 9.0);
}

TEST(DataTableStats, LargeOffsetKeepsItsVariance) {
  auto t = Fixture();
  double mean = 0, var = 0;
  EXPECT_EQ(t->MeanVarOfNumCells(3, 0, 3, 0, mean, var), 3);
  EXPECT_EQ(var, 1.0);
  EXPECT_EQ(mean, 1e10 + 2);
}

TEST(DataTableStats, NoCellsGiveTheNeutralResults) {
  auto t = Fixture();
  double mean = -1, var = -1, lo = 0, hi = 0, q1 = -1, q2 = -1, q3 = -1;
  int64_t n = -1;
  EXPECT_EQ(t->MeanVarOfNumCells(2, 0, 2, 0, mean, var), 0);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(var, 1.0);
  EXPECT_EQ(t->MinMaxOfNumCells(2, 0, 2, 0, lo, hi), 0);
  EXPECT_EQ(lo, uc_MaxReal);
  EXPECT_EQ(hi, -uc_MaxReal);
  EXPECT_EQ(t->QuartilesOfMarkedCells(0, 0, 0, 0, kCellMark1, q1, q2, q3), 0);
  EXPECT_EQ(q3, 0.0);
  EXPECT_EQ(t->GeometricMeanOfNumCells(2, 0, 2, 0, n), 0.0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(t->PercentileOfMarkedCells(50, 0, 0, 0, 0, kCellMark2, n), 0.0);
  // Two cells: the matrix's rule of variance 1.
  EXPECT_EQ(t->MeanVarOfNumCells(1, 1, 1, 2, mean, var), 2);
  EXPECT_EQ(var, 1.0);
}

TEST(DataTableStats, MarkedCellsAreNumericCellsSharingAMarkBit) {
  auto t = Fixture();
  t->SetCellState(1, 1, kCellMark1);
  t->SetCellState(1, 5, kCellMark1 | kCellMark2);
  t->SetCellState(1, 3, kCellMark1 | kCellEmpty);  // empty: not numeric
  t->SetCellState(2, 2, kCellMark1);               // nominal: not numeric
  t->SetCellState(3, 5, kCellMark1 | kCellNoNumber);
  int64_t n = 0;
  EXPECT_EQ(t->SumOfMarkedCells(0, 0, 0, 0, kCellMark1, n), 9.0);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(t->SumOfSquaredMarkedCells(0, 0, 0, 0, kCellMark2, n), 49.0);
  double mean = 0, var = 0, lo = 0, hi = 0;
  EXPECT_EQ(t->MeanVarOfMarkedCells(0, 0, 0, 0, kCellMark1 | kCellMark2, mean, var), 2);
  EXPECT_EQ(mean, 4.5);
  EXPECT_EQ(t->MinMaxOfMarkedCells(0, 0, 0, 0, kCellMark1, lo, hi), 2);
  EXPECT_EQ(hi, 7.0);
  EXPECT_EQ(t->PercentileOfMarkedCells(0, 0, 0, 0, 0, kCellMark1, n), 2.0);
}

TEST(DataTableStats, NaNInAUsedCellPropagatesButNotFromAnExcludedOne) {
  auto t = Fixture();
  t->SetElem(3, 6, kNaN);  // no valid number: not used
  double mean = 0, var = 0, lo = 0, hi = 0;
  t->MeanVarOfNumCells(3, 0, 3, 0, mean, var);
  EXPECT_FALSE(std::isnan(mean));
  t->SetElem(1, 4, kNaN);
  t->MeanVarOfNumCells(1, 0, 1, 0, mean, var);
  EXPECT_TRUE(std::isnan(mean));
  EXPECT_TRUE(std::isnan(var));
  t->MinMaxOfNumCells(1, 0, 1, 0, lo, hi);
  EXPECT_TRUE(std::isnan(lo));
  int64_t n = 0;
  EXPECT_TRUE(std::isnan(t->SumOfNumCells(1, 0, 1, 0, n)));
}

TEST(DataTableStats, MeanErrorsNameTheTableAndIgnoreExcludedCells) {
  auto t = Fixture();
  int64_t n = 0;
  t->SetElem(3, 5, -4);  // invalid cell: not used
  EXPECT_NO_THROW(t->GeometricMeanOfNumCells(3, 0, 3, 0, n));
  t->SetElem(1, 2, -4);
  try {
    t->GeometricMeanOfNumCells(1, 0, 1, 0, n);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"Survey\": negative argument passed to GeometricMean");
  }
  t->SetElem(1, 2, 0);
  EXPECT_EQ(t->GeometricMeanOfNumCells(1, 0, 1, 0, n), 0.0);
  try {
    t->HarmonicMeanOfNumCells(1, 0, 1, 0, n);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Survey\": negative or zero argument passed to HarmonicMean");
  }
}

TEST(DataTableTransform, ColumnStandardizationTouchesNumericCellsOnly) {
  auto t = Fixture();
  TVector means(nullptr), sds(nullptr);
  means.Resize(3);
  means.Fill(-1);
  sds.Resize(2);  // too short for column 3: its value is dropped
  int changes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(changes, 1);
  EXPECT_NEAR(t->GetElem(1, 1), (2 - 5.4) / std::sqrt(7.3), 1e-15);
  EXPECT_NEAR(t->GetElem(1, 6), (9 - 5.4) / std::sqrt(7.3), 1e-15);
  EXPECT_EQ(t->GetElem(1, 3), 100.0);  // empty cell untouched
  EXPECT_EQ(t->GetElem(2, 2), 0.0);    // nominal column untouched
  EXPECT_EQ(t->GetElem(3, 1), -1.0);   // (1e10 + 1 - mean) / 1
  EXPECT_EQ(t->GetElem(3, 4), -1.0);   // invalid cell untouched
  EXPECT_DOUBLE_EQ(means.GetVal(1), 5.4);
  EXPECT_EQ(means.GetVal(2), -1.0);
  EXPECT_EQ(means.GetVal(3), 1e10 + 2);
  EXPECT_DOUBLE_EQ(sds.GetVal(1), std::sqrt(7.3));
  EXPECT_EQ(sds.GetNrOfElem(), 2);
  double mean = 0, var = 0;
  t->MeanVarOfNumCells(1, 0, 1, 0, mean, var);
  EXPECT_NEAR(mean, 0, 1e-15);
  EXPECT_NEAR(var, 1, 1e-15);
}

TEST(DataTableTransform, AVectorHandlerMayShrinkTheTable) {
  auto t = Fixture();
  TVector means(nullptr);
  means.Resize(3);
  means.OnChange = [&](TObject*) { t->Resize(1, 1); };
  t->StandardizeNumCellColumns(&means, nullptr);
  EXPECT_EQ(t->GetNrOfRows(), 1);
  EXPECT_NEAR(t->GetElem(1, 1), (2 - 5.4) / std::sqrt(7.3), 1e-15);
}

TEST(DataTableTransform, RowOperationsRefuseCategoricalColumns) {
  auto t = Fixture();
  t->OnChange = [](TObject*) { FAIL(); };
  try {
    t->StandardizeNumCellRows(nullptr, nullptr);
    FAIL() << "no exception";
  } catch (const EZELDataTableError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Survey\": standardization of rows is not possible with nominal "
                 "or ordinal variables");
  }
  EXPECT_THROW(t->MeanCenterNumCellRows(nullptr), EZELDataTableError);
  EXPECT_EQ(t->GetElem(1, 1), 2.0);
  t->OnChange = nullptr;
  t->SetMScaleType(2, TMScaleType::stInterval);
  TVector means(nullptr);
  means.Resize(6);
  t->MeanCenterNumCellRows(&means);
  // Row 4: 5, 0 and an invalid cell: mean 2.5.
  EXPECT_EQ(means.GetVal(4), 2.5);
  EXPECT_EQ(t->GetElem(1, 4), 2.5);
  EXPECT_EQ(t->GetElem(2, 4), -2.5);
  EXPECT_EQ(t->GetElem(3, 4), -1.0);
}

TEST(DataTableTransform, ConstantAndDichotomousColumns) {
  auto t = Fixture();
  double v = -1, lo = -1, hi = -1;
  EXPECT_TRUE(t->CheckDichotomousColumn(2, lo, hi));
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 1.0);
  EXPECT_FALSE(t->IsDichotomousColumn(1));
  EXPECT_FALSE(t->IsConstantColumn(1, v));
  t->SetElem(2, 1, 0);
  t->SetElem(2, 3, 0);
  t->SetElem(2, 5, 0);
  EXPECT_TRUE(t->IsConstantColumn(2, v));
  EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(t->IsDichotomousColumn(2));  // constant
  t->SetElem(2, 2, kNaN);
  EXPECT_FALSE(t->IsConstantColumn(2));
  EXPECT_FALSE(t->IsDichotomousColumn(2));
  EXPECT_FALSE(t->IsConstantRow(7));
  t->Resize(3, 1);
  EXPECT_FALSE(t->CheckDichotomousColumn(1, lo, hi));
  t->SetElem(2, 1, 2);
  t->SetElem(3, 1, 2);
  EXPECT_TRUE(t->IsConstantRow(1, v));
  EXPECT_EQ(v, 2.0);
}

// Long columns are counted eight states at a time: every state byte and
// every start and end of the row range must give the count (and the sum)
// of a cell-by-cell check.
TEST(DataTableStatsCounting, LongRangesCountEveryStateByteAlike) {
  TDataTable t(nullptr);
  t.Resize(2, 37);
  t.SetMScaleType(2, TMScaleType::stNominal);
  uint32_t x = 12345;
  for (int32_t r = 1; r <= 37; ++r)
    for (int32_t c = 1; c <= 2; ++c) {
      x = x * 1103515245u + 12345u;
      t.SetCellState(c, r, static_cast<uint8_t>(x >> 13));
      t.SetElem(c, r, r);
    }
  for (int32_t lo = 1; lo <= 12; ++lo)
    for (int32_t hi = lo; hi <= 37; hi += 5) {
      int64_t n = 0;
      double sum = 0;
      for (int32_t r = lo; r <= hi; ++r)
        if ((t.GetCellState(1, r) & 3) == 0) {
          ++n;
          sum += r;
        }
      double mean = 0, var = 0;
      EXPECT_EQ(t.MeanVarOfNumCells(1, lo, 2, hi, mean, var), n) << lo << ".." << hi;
      EXPECT_DOUBLE_EQ(mean, n > 0 ? sum / static_cast<double>(n) : 0.0) << lo << ".." << hi;
    }
}

}  // namespace
}  // namespace zel
