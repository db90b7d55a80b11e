#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

// x = 1..5; y = 2, 4, 5, 4 and an empty cell holding 99; c (nominal) = 1,
// 1, 2, 2 and an empty cell. Pairs with y and c use rows 1..4 only.
std::unique_ptr<TDataTable> CovarFixture() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(3, 5);
  const double y[5] = {2, 4, 5, 4, 99};
  const double c[5] = {1, 1, 2, 2, 7};
  for (int32_t r = 1; r <= 5; ++r) {
    t->SetElem(1, r, r);
    t->SetElem(2, r, y[r - 1]);
    t->SetElem(3, r, c[r - 1]);
  }
  t->SetIsEmpty(2, 5, true);
  t->SetIsEmpty(3, 5, true);
  t->SetMScaleType(3, TMScaleType::stNominal);
  return t;
}

double Covar(TDataTable& t, int32_t mode, int32_t i, int32_t j) {
  TMatrix m(nullptr);
  m.Resize(3, 3);
  EXPECT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, mode));
  if (!std::isnan(m.GetVal(i, j))) {
    EXPECT_EQ(m.GetVal(i, j), m.GetVal(j, i));
  }
  return m.GetVal(i, j);
}

// References from Python's statistics module on the four complete pairs
// x = 1..4, y = 2, 4, 5, 4: covariance 1.1666666666666667, correlation
// 0.7181848464596079; the others by hand.
TEST(DataTableCovar, ModesOverPairwiseCompleteRows) {
  auto t = CovarFixture();
  EXPECT_NEAR(Covar(*t, 0, 1, 2), 41.0 / 3, 1e-14);  // (2 + 8 + 15 + 16) / 3
  EXPECT_NEAR(Covar(*t, 0, 1, 1), 55.0 / 4, 1e-14);
  EXPECT_NEAR(Covar(*t, 1, 1, 2), 1.1666666666666667, 1e-14);
  EXPECT_NEAR(Covar(*t, 1, 1, 1), 2.5, 1e-15);
  EXPECT_NEAR(Covar(*t, 2, 1, 2), 0.7181848464596079, 1e-15);
  EXPECT_NEAR(Covar(*t, 3, 1, 2), 0.7181848464596079 * 0.7181848464596079, 1e-15);
  EXPECT_EQ(Covar(*t, 2, 2, 2), 1.0);
  EXPECT_NEAR(Covar(*t, 4, 1, 2), 3.0, 1e-15);
  EXPECT_EQ(Covar(*t, 7, 1, 2), 0.0);
}

TEST(DataTableCovar, CategoricalColumnsHaveMeanZeroInModeOne) {
  auto t = CovarFixture();
  // x about its mean 3 (five numeric cells), c about 0 (no numeric cells):
  // ((-2)(1) + (-1)(1) + 0 (2) + 1 (2)) / 3. Its own mean 1.5 would give 2/3.
  EXPECT_NEAR(Covar(*t, 1, 1, 3), -1.0 / 3, 1e-15);
}

TEST(DataTableCovar, FewUsableRowsGiveZeroAndConstantColumnsZeroCorrelation) {
  auto t = CovarFixture();
  for (int32_t r = 2; r <= 5; ++r) t->SetIsEmpty(2, r, true);  // one pair left
  for (int32_t mode : {0, 1, 4}) EXPECT_EQ(Covar(*t, mode, 1, 2), 0.0) << mode;
  EXPECT_EQ(Covar(*t, 1, 2, 2), 0.0);
  auto u = CovarFixture();
  for (int32_t r = 1; r <= 5; ++r) u->SetElem(2, r, 3);
  u->SetIsEmpty(2, 5, false);
  EXPECT_EQ(Covar(*u, 2, 1, 2), 0.0);
  EXPECT_EQ(Covar(*u, 2, 2, 2), 1.0);
  u->SetElem(1, 2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(Covar(*u, 0, 1, 1)));
}

TEST(DataTableCovar, RefusesSmallTargetsAndStopsWhenAborted) {
  auto t = CovarFixture();
  TMatrix small(nullptr);
  small.Resize(2, 3);
  EXPECT_FALSE(t->CalcCovar(&small, 0, 0, 0, 0, 1));
  EXPECT_TRUE(t->CalcCovar(&small, 2, 1, 0, 0, 1));  // two columns fit
  EXPECT_FALSE(t->CalcCovar(nullptr, 0, 0, 0, 0, 1));
  TMatrix m(nullptr);
  m.Resize(3, 3);
  m.Fill(-7);
  const TMathFeedBackProc saved = MathFeedBackProc;
  int steps = 0;
  MathFeedBackProc = [&](double) {
    if (++steps == 2) AbortMathProc = true;
  };
  AbortMathProc = true;  // cleared when the calculation starts
  EXPECT_FALSE(t->CalcCovar(&m, 0, 0, 0, 0, 1));
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(m.GetVal(1, 1), -7.0);
  // A progress handler that shrinks the table ends the calculation too.
  MathFeedBackProc = [&](double) { t->Resize(1, 1); };
  EXPECT_FALSE(t->CalcCovar(&m, 0, 0, 0, 0, 2));
  EXPECT_EQ(m.GetVal(1, 1), -7.0);
  auto u = CovarFixture();
  u->SetRowName(1, "b");
  u->SetRowName(2, "a");
  MathFeedBackProc = [&](double) { u->Resize(1, 1); };
  u->SortRowNames(true, 0, 0, 0, 0);
  EXPECT_EQ(u->GetNrOfRows(), 1);
  AbortMathProc = false;
  MathFeedBackProc = saved;
}

// Two nominal columns: pairs (1,1) (1,2) (2,2) (2,2) (3,1), one pair with
// ordinal 0, one with 200, one empty cell.
std::unique_ptr<TDataTable> ContTabFixture() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(2, 8);
  const double a[8] = {1, 1, 2, 2, 3, 0, 200, 1};
  const double b[8] = {1, 2, 2, 2, 1, 1, 1, 1};
  for (int32_t r = 1; r <= 8; ++r) {
    t->SetElem(1, r, a[r - 1]);
    t->SetElem(2, r, b[r - 1]);
  }
  t->SetIsEmpty(2, 8, true);
  t->SetMScaleType(1, TMScaleType::stNominal);
  t->SetMScaleType(2, TMScaleType::stOrdinal);
  return t;
}

TEST(DataTableContTab, CountsWithMarginsAndNeverWritesBelowTheTable) {
  auto t = ContTabFixture();
  TInt2DArray tab;
  EXPECT_EQ(t->CreateContingencyTable(1, 2, 0, 0, tab), kDTContTabOutOfRange);
  // By hand: [first ordinal - 1][second ordinal - 1], sums in the last
  // entries of each dimension.
  EXPECT_EQ(tab, (TInt2DArray{{1, 1, 2}, {0, 2, 2}, {1, 0, 1}, {2, 3, 5}}));
  EXPECT_EQ(t->CreateContingencyTable(1, 2, 1, 6, tab), kDTContTabOrdinalZero);
  EXPECT_EQ(tab[3][2], 5);
  EXPECT_EQ(t->CreateContingencyTable(1, 2, 1, 5, tab), kDTContTabOk);
  t->SetElem(1, 1, 0);
  t->SetElem(1, 2, 0);
  EXPECT_EQ(t->CreateContingencyTable(1, 2, 1, 2, tab), kDTContTabOrdinalZero);
  EXPECT_EQ(tab, (TInt2DArray{{0}}));
}

TEST(DataTableContTab, RefusesMissingAndNumericColumns) {
  auto t = ContTabFixture();
  TInt2DArray tab{{42}};
  EXPECT_EQ(t->CreateContingencyTable(1, 3, 0, 0, tab), kDTContTabBadColumn);
  t->SetMScaleType(2, TMScaleType::stInterval);
  EXPECT_EQ(t->CreateContingencyTable(1, 2, 0, 0, tab), kDTContTabNotCategorical);
  EXPECT_EQ(tab, (TInt2DArray{{42}}));
}

TEST(DataTableContTab, LevelCountsSkipInvalidCells) {
  auto t = ContTabFixture();
  TIntArray counts{9};
  EXPECT_EQ(t->ScanForCatValues(1, 0, 0, counts), 1);  // 200
  ASSERT_EQ(counts.size(), 151u);
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[1], 3);
  EXPECT_EQ(counts[3], 1);
  EXPECT_EQ(counts[4], 0);
  EXPECT_EQ(t->ScanForCatValues(2, 0, 0, counts), 0);
  EXPECT_EQ(counts[1], 4);  // the empty cell in row 8 is not counted
  EXPECT_EQ(t->ScanForCatValues(3, 0, 0, counts), -1);
  t->SetMScaleType(2, TMScaleType::stRatio);
  TIntArray untouched{9};
  EXPECT_EQ(t->ScanForCatValues(2, 0, 0, untouched), 0);
  EXPECT_EQ(untouched, (TIntArray{9}));
}

TEST(DataTableFindCells, ComparisonsAndTheHitLimit) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  const double v[6] = {0.5, 1, 2, 2.5, std::numeric_limits<double>::quiet_NaN(), 1.5};
  for (int32_t k = 0; k < 6; ++k) t.SetElem(k / 3 + 1, k % 3 + 1, v[k]);
  TInt2DArray cells;
  EXPECT_EQ(t.FindCells(1, 2, TCompareMode::cmInRange, 0, 0, 0, 0, cells), 3);
  EXPECT_EQ(cells, (TInt2DArray{{1, 1, 2}, {2, 3, 3}}));
  EXPECT_EQ(t.FindCells(1, 2, TCompareMode::cmOutOfRange, 0, 0, 0, 0, cells), 2);
  EXPECT_EQ(t.FindCells(1, 0, TCompareMode::cmNE, 0, 0, 0, 0, cells), 5);  // NaN included
  EXPECT_EQ(t.FindCells(2, 0, TCompareMode::cmGE, 2, 0, 2, 0, cells), 1);
  EXPECT_EQ(t.FindCells(2, 0, TCompareMode::cmLT, 1, 1, 1, 2, cells), 2);
  EXPECT_EQ(t.FindCells(0, 0, static_cast<TCompareMode>(8), 0, 0, 0, 0, cells), kDTFindBadOp);
  EXPECT_EQ(cells, (TInt2DArray{{}, {}}));
  TDataTable big(nullptr);
  big.Resize(2, 6000);
  EXPECT_EQ(big.FindCells(0, 0, TCompareMode::cmEQ, 0, 0, 0, 0, cells), kDTFindTooManyHits);
  ASSERT_EQ(cells[0].size(), 10000u);
  EXPECT_EQ(cells[0].back(), 2);
  EXPECT_EQ(cells[1].back(), 4000);
  EXPECT_EQ(big.FindCells(0, 0, TCompareMode::cmEQ, 0, 0, 0, 5000, cells), 10000);
}

// Register contents from Python's zlib.crc32 over the bytes each register
// receives: register 0 "C", 0, "R", 0, 3 (name, attribute, name, attribute,
// scale type), register 1 "--", register 2 "11", the others nothing.
TEST(DataTableFingerprints, NamesAttributesAndStatesFeedTheirRegisters) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.CRCofNamesAndAttributes(), "2F407EE0242C1465D65A1577" + std::string(40, '0'));
  // The comment comes first, one UTF-16 code unit per character: U+00E4 and
  // U+20AC give the low bytes E4 and AC.
  t.SetComment("\u00E4\u20ACx");
  EXPECT_EQ(t.CRCofNamesAndAttributes().substr(0, 24), "D57571CA4AD67B8C3220E772");
  const std::string before = t.CRCofNamesAndAttributes();
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 5, "lvl");
  EXPECT_NE(t.CRCofNamesAndAttributes(), before);
  t.Resize(1, 10);
  for (int32_t r = 1; r <= 10; ++r) t.SetCellState(1, r, static_cast<uint8_t>(r));
  EXPECT_EQ(t.CRCofCellStates(),
            "211E9B1A933A99634B0BBE37D56F2B94A2681B023B614AB84C667A2EDCD967BF");
}

TEST(DataTableSerialize, LongFormatKeepsLabelsRowsAndStates) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetColName(1, "height");
  t.SetColName(2, "w");
  t.SetMScaleType(2, TMScaleType::stRatio);
  for (int32_t c = 1; c <= 2; ++c)
    for (int32_t r = 1; r <= 3; ++r) t.SetElem(c, r, 10 * c + r);
  t.SetRowName(2, "second");
  t.SetRowAttrib(3, 7);
  t.SetCellState(2, 1, kCellMark1);
  std::vector<std::string> events;
  t.OnChange = [&](TObject*) { events.push_back("change"); };
  t.OnChangeSetup = [&](TObject*) { events.push_back("setup"); };
  t.OnResize = [&](TObject*, int32_t, int32_t, int32_t nc, int32_t nr) {
    events.push_back("resize " + std::to_string(nc) + "x" + std::to_string(nr));
  };
  ASSERT_TRUE(t.Serialize(true, true));
  EXPECT_EQ(events, (std::vector<std::string>{"change", "setup", "resize 4x6"}));
  EXPECT_EQ(t.GetColName(1), "(column)");
  EXPECT_EQ(t.GetColName(4), "(data)");
  EXPECT_EQ(t.GetMScaleType(4), TMScaleType::stRatio);
  // The stored value is the former column number and reads as its label.
  EXPECT_EQ(t.GetElem(1, 4), 2.0);
  EXPECT_EQ(t.GetElemNominal(1, 4), "w:2");
  EXPECT_EQ(t.GetElemNominal(1, 1), "height:1");
  EXPECT_EQ(t.GetNominalID(1, 0), "");
  EXPECT_EQ(t.GetElem(2, 5), 2.0);
  EXPECT_EQ(t.GetElem(3, 5), 2.0);
  EXPECT_EQ(t.GetElem(4, 5), 22.0);
  EXPECT_EQ(t.GetRowName(5), "second");
  EXPECT_EQ(t.GetRowAttrib(6), 7);
  EXPECT_EQ(t.GetCellState(4, 4), kCellMark1);
  EXPECT_EQ(t.GetCellState(1, 4), 0);
}

TEST(DataTableSerialize, RefusesBeforeTouchingATableTooWideForLabels) {
  TDataTable t(nullptr);
  t.Resize(151, 2);
  t.SetElem(151, 2, 5);
  const std::string names = t.CRCofNamesAndAttributes();
  EXPECT_FALSE(t.Serialize(true, false));
  EXPECT_EQ(t.GetNrOfColumns(), 151);
  EXPECT_EQ(t.CRCofNamesAndAttributes(), names);
  ASSERT_TRUE(t.Serialize(false, false));  // no labels needed
  EXPECT_EQ(t.GetNrOfColumns(), 1);
  EXPECT_EQ(t.GetNrOfRows(), 302);
  EXPECT_EQ(t.GetElem(1, 302), 5.0);
  TDataTable w(nullptr);
  w.Resize(150, 1);
  w.SetColName(150, "last");
  ASSERT_TRUE(w.Serialize(true, false));
  EXPECT_EQ(w.GetElemNominal(1, 150), "last:150");
}

}  // namespace
}  // namespace zel
