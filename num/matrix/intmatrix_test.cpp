#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// A dense integer matrix holding the given columns.
std::unique_ptr<TIntMatrix> MakeInt(const TInt2DArray& cols, const std::string& name = "IM") {
  auto m = std::make_unique<TIntMatrix>(nullptr);
  m->SetName(name);
  m->Resize(static_cast<int32_t>(cols.size()), static_cast<int32_t>(cols.front().size()));
  m->CopyFromArray(cols, 0, 0, 0, 0, 1, 1);
  return m;
}

std::unique_ptr<TIntMatrix> MakeSparse(int32_t allocBy, const std::string& name = "SP") {
  auto m = std::make_unique<TIntMatrix>(nullptr, allocBy);
  m->SetName(name);
  return m;
}

// The entries as (col, row, value) triples.
std::vector<std::vector<int32_t>> Entries(const TIntMatrix& m) {
  std::vector<std::vector<int32_t>> out;
  for (const TSpMatElemInt& e : m.GetSparseEntries()) out.push_back({e.colidx, e.rowidx, e.value});
  return out;
}

// Records OnChange ('C') and OnResize ('R').
struct Log {
  std::string Seq;
  void Attach(TIntMatrix& m) {
    m.OnChange = [this](TObject*) { Seq += 'C'; };
    m.OnResize = [this](TObject*) { Seq += 'R'; };
  }
};

// ---------------------------------------------------------------------------
// Sparse list: creation, growth, reads and sorted insertion
// ---------------------------------------------------------------------------

TEST(IntMatrixSparse, CreationAndGrowthByAllocBy) {
  auto one = MakeSparse(0);  // below 1 counts as 1
  EXPECT_TRUE(one->IsSparse());
  EXPECT_EQ(one->GetAllocBy(), 1);
  EXPECT_EQ(one->GetNumAllocated(), 1);
  EXPECT_EQ(one->GetSparseNumElem(), 0);
  EXPECT_EQ(one->GetNrOfColumns(), 0);
  EXPECT_EQ(one->GetNrOfRows(), 0);
  EXPECT_EQ(one->GetSparseLowCol(), kMax);
  EXPECT_EQ(one->GetSparseHighCol(), 1);
  EXPECT_TRUE(one->GetMat().empty());
  for (int32_t i = 1; i <= 4; ++i) {
    one->SetVal(i, 1, i);
    EXPECT_EQ(one->GetNumAllocated(), i) << "one slot at a time";
  }
  one->SetVal(2, 1, 9);  // an existing entry does not grow the list
  EXPECT_EQ(one->GetNumAllocated(), 4);

  auto five = MakeSparse(5);
  for (int32_t i = 1; i <= 6; ++i) five->SetVal(1, i, 1);
  EXPECT_EQ(five->GetNumAllocated(), 10);
  EXPECT_EQ(five->GetSparseNumElem(), 6);
}

TEST(IntMatrixSparse, WritingWidensSizesAndBoundingBox) {
  auto m = MakeSparse(4);
  m->SetVal(5, 7, 42);
  EXPECT_EQ(m->GetNrOfColumns(), 5);
  EXPECT_EQ(m->GetNrOfRows(), 7);
  EXPECT_EQ(m->GetVal(4, 7), 0);
  EXPECT_EQ(m->GetVal(5, 7), 42);
  EXPECT_EQ(m->GetVal(5, 8), 0);
  m->SetVal(2, 9, -1);
  EXPECT_EQ(m->GetSparseLowCol(), 2);
  EXPECT_EQ(m->GetSparseHighCol(), 5);
  EXPECT_EQ(m->GetSparseLowRow(), 7);
  EXPECT_EQ(m->GetSparseHighRow(), 9);
  EXPECT_EQ(m->GetNrOfRows(), 9);
  m->SetVal(0, 3, 1);  // ignored: indices start at 1
  m->SetVal(3, -1, 1);
  EXPECT_EQ(m->GetSparseNumElem(), 2);
}

TEST(IntMatrixSparse, InsertionKeepsTheListSorted) {
  auto m = MakeSparse(1);
  m->SetVal(2, 1, 21);
  m->SetVal(1, 3, 13);
  m->SetVal(1, 1, 11);
  EXPECT_EQ(Entries(*m), (std::vector<std::vector<int32_t>>{{1, 1, 11}, {1, 3, 13}, {2, 1, 21}}));

  // Random writes against a std::map of the same keys.
  std::mt19937 gen(7);
  std::uniform_int_distribution<int32_t> idx(1, 40), val(-1000, 1000);
  std::map<std::pair<int32_t, int32_t>, int32_t> ref;
  auto big = MakeSparse(3);
  for (int i = 0; i < 600; ++i) {
    const int32_t c = idx(gen), r = idx(gen), v = val(gen);
    big->SetVal(c, r, v);
    ref[{c, r}] = v;
  }
  ASSERT_EQ(big->GetSparseNumElem(), static_cast<int64_t>(ref.size()));
  std::vector<std::vector<int32_t>> expected;
  for (const auto& [k, v] : ref) expected.push_back({k.first, k.second, v});
  EXPECT_EQ(Entries(*big), expected);
  for (int32_t c = 0; c <= 41; ++c)
    for (int32_t r = 0; r <= 41; ++r) {
      const auto it = ref.find({c, r});
      EXPECT_EQ(big->GetVal(c, r), it == ref.end() ? 0 : it->second) << c << "," << r;
    }
}

TEST(IntMatrixSparse, EntriesAreNeverRemovedAndEverySetFiresOnChange) {
  auto m = MakeSparse(2);
  Log log;
  log.Attach(*m);
  m->SetVal(3, 3, 5);
  m->SetVal(3, 3, 0);  // set to 0: the entry stays
  m->SetVal(4, 4, 0);  // a new entry holding 0
  EXPECT_EQ(log.Seq, "CCC");
  EXPECT_EQ(Entries(*m), (std::vector<std::vector<int32_t>>{{3, 3, 0}, {4, 4, 0}}));
  m->SetVal(0, 0, 1);
  EXPECT_EQ(log.Seq, "CCC");
}

// ---------------------------------------------------------------------------
// Resize, Clone and Transpose in both modes
// ---------------------------------------------------------------------------

TEST(IntMatrixSparse, ResizeCutsEntriesAndBoxWithoutEvents) {
  auto m = MakeSparse(1);
  m->SetVal(3, 1, 31);
  m->SetVal(1, 2, 12);
  m->SetVal(2, 2, 22);
  Log log;
  log.Attach(*m);
  EXPECT_TRUE(m->Resize(2, 2));
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Entries(*m), (std::vector<std::vector<int32_t>>{{1, 2, 12}, {2, 2, 22}}));
  EXPECT_EQ(m->GetNrOfColumns(), 2);
  EXPECT_EQ(m->GetSparseHighCol(), 2);
  EXPECT_EQ(m->GetVal(3, 1), 0);
  EXPECT_FALSE(m->Resize(0, 4));
  // Growing sets the sizes only; the box stays where the entries are.
  m->SetNrOfRows(50);
  EXPECT_EQ(m->GetNrOfRows(), 50);
  EXPECT_EQ(m->GetSparseHighRow(), 2);
  // The sizes never shrink below what Resize set when a new entry lands.
  m->SetVal(1, 1, 1);
  EXPECT_EQ(m->GetNrOfRows(), 50);
  EXPECT_EQ(log.Seq, "C");
}

TEST(IntMatrixDense, ResizeFiresOnResizeBeforeOnChange) {
  auto m = MakeInt({{1, 2}, {3, 4}});
  Log log;
  log.Attach(*m);
  m->Resize(3, 2);
  EXPECT_EQ(log.Seq, "RC");
  m->Resize(3, 2);  // same size: nothing
  m->SetNrOfColumns(1);
  EXPECT_EQ(log.Seq, "RCRC");
  EXPECT_EQ(m->GetMat(), (TInt2DArray{{1, 2}}));
}

TEST(IntMatrixModes, CloneBetweenDifferentModesDoesNothing) {
  auto dense = MakeInt({{1, 2}, {3, 4}});
  auto sparse = MakeSparse(3);
  sparse->SetVal(9, 9, 99);
  Log dLog, sLog;
  dLog.Attach(*dense);
  sLog.Attach(*sparse);
  dense->Clone(sparse.get());
  sparse->Clone(dense.get());
  EXPECT_EQ(dense->GetMat(), (TInt2DArray{{1, 2}, {3, 4}}));
  EXPECT_EQ(Entries(*sparse), (std::vector<std::vector<int32_t>>{{9, 9, 99}}));
  EXPECT_EQ(dLog.Seq + sLog.Seq, "");

  // Sparse to sparse copies the bookkeeping and fires OnChange, OnResize.
  auto copy = MakeSparse(1);
  Log cLog;
  cLog.Attach(*copy);
  sparse->Resize(12, 10);
  copy->Clone(sparse.get());
  EXPECT_EQ(cLog.Seq, "CR");
  EXPECT_EQ(Entries(*copy), Entries(*sparse));
  EXPECT_EQ(copy->GetAllocBy(), 3);
  EXPECT_EQ(copy->GetNumAllocated(), 3);
  EXPECT_EQ(copy->GetNrOfColumns(), 12);
  EXPECT_EQ(copy->GetSparseLowRow(), 9);
}

TEST(IntMatrixSparse, TransposeSortsAndExchangesSizes) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<int32_t> col(1, 30), row(1, 70), val(-50, 50);
  auto m = MakeSparse(8);
  std::map<std::pair<int32_t, int32_t>, int32_t> ref;
  for (int i = 0; i < 400; ++i) {
    const int32_t c = col(gen), r = row(gen), v = val(gen);
    m->SetVal(c, r, v);
    ref[{r, c}] = v;  // the transposed key
  }
  m->Resize(35, 80);
  const int32_t lowCol = m->GetSparseLowCol(), highRow = m->GetSparseHighRow();
  Log log;
  log.Attach(*m);
  m->Transpose();
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_EQ(m->GetNrOfColumns(), 80);
  EXPECT_EQ(m->GetNrOfRows(), 35);
  EXPECT_EQ(m->GetSparseLowRow(), lowCol);
  EXPECT_EQ(m->GetSparseHighCol(), highRow);
  std::vector<std::vector<int32_t>> expected;
  for (const auto& [k, v] : ref) expected.push_back({k.first, k.second, v});
  EXPECT_EQ(Entries(*m), expected);
  for (const auto& [k, v] : ref) EXPECT_EQ(m->GetVal(k.first, k.second), v);
}

// ---------------------------------------------------------------------------
// Dense <-> sparse
// ---------------------------------------------------------------------------

TEST(IntMatrixModes, RoundTripKeepsEveryValueAndNeverShrinks) {
  // A 6 x 5 label image with a zero border.
  TInt2DArray img(6, std::vector<int32_t>(5, 0));
  img[1][1] = 3;
  img[2][3] = -7;
  img[4][2] = kMin;
  auto m = MakeInt(img);
  Log log;
  log.Attach(*m);
  m->ArrayToSparse(2);
  EXPECT_EQ(log.Seq, "R");
  EXPECT_TRUE(m->IsSparse());
  EXPECT_TRUE(m->GetMat().empty());
  EXPECT_EQ(m->GetNrOfColumns(), 6);
  EXPECT_EQ(m->GetNrOfRows(), 5);
  EXPECT_EQ(Entries(*m), (std::vector<std::vector<int32_t>>{{2, 2, 3}, {3, 4, -7}, {5, 3, kMin}}));
  EXPECT_EQ(m->GetNumAllocated(), 4);
  EXPECT_EQ(m->GetSparseLowCol(), 2);
  EXPECT_EQ(m->GetSparseHighRow(), 4);
  m->ArrayToSparse(2);  // already sparse: nothing
  m->SparseToArray();
  EXPECT_EQ(log.Seq, "RR");
  EXPECT_FALSE(m->IsSparse());
  EXPECT_EQ(m->GetMat(), img);
  EXPECT_EQ(m->GetSparseNumElem(), 0);
  m->SparseToArray();  // already dense: nothing
  EXPECT_EQ(log.Seq, "RR");

  // A sparse Resize to a larger size survives the way back.
  m->ArrayToSparse(1);
  m->Resize(10, 10);
  m->SparseToArray();
  EXPECT_EQ(m->GetNrOfColumns(), 10);
  EXPECT_EQ(m->GetVal(5, 3), kMin);

  // An empty sparse matrix becomes 1 x 1; entries beyond the sizes widen them.
  auto empty = MakeSparse(1);
  empty->SparseToArray();
  EXPECT_EQ(empty->GetMat(), (TInt2DArray{{0}}));
  auto s = MakeSparse(1);
  s->Resize(2, 2);
  s->SetVal(4, 1, 8);
  s->SparseToArray();
  EXPECT_EQ(s->GetMat(), (TInt2DArray{{0, 0}, {0, 0}, {0, 0}, {8, 0}}));
}

TEST(IntMatrixModes, HugeIndicesStaySparseAndRefuseTheDenseArray) {
  auto m = MakeSparse(1, "Huge");
  m->SetVal(kMax, kMax, 7);
  m->SetVal(1, kMax, 2);
  EXPECT_EQ(m->GetVal(kMax, kMax), 7);
  EXPECT_EQ(m->GetNrOfColumns(), kMax);
  EXPECT_EQ(m->Sum(0, 0, 0, 0), 0);
  double mean = 1, var = 1;
  m->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(var, 0);
  EXPECT_EQ(m->Percentile(50, 0, 0, 0, 0), 0);
  EXPECT_EQ(m->CRCofData(), "");
  const auto before = Entries(*m);
  Log log;
  log.Attach(*m);
  try {
    m->SparseToArray();
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"Huge\": not enough memory on heap");
  }
  // 2^31 - 1 x 1000 elements fit the address space but not the machine.
  auto wide = std::make_unique<TIntMatrix>(nullptr, 1);  // unnamed: the class names it
  wide->SetVal(kMax, 1000, 1);
  try {
    wide->SparseToArray();
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"TIntMatrix\": not enough memory on heap");
  }
  EXPECT_TRUE(wide->IsSparse());
  EXPECT_TRUE(m->IsSparse());
  EXPECT_EQ(Entries(*m), before);
  EXPECT_EQ(m->GetNrOfRows(), kMax);
  EXPECT_EQ(log.Seq, "");
}

// Every dense routine on a sparse matrix takes the unallocated path: it
// must neither index the (empty) dense storage -- the sanitizers would
// report it -- nor change the entries or fire events.
TEST(IntMatrixModes, DenseRoutinesInSparseModeLeaveEverythingAlone) {
  auto m = MakeSparse(1);
  m->SetVal(3, 2, 5);
  m->SetVal(1, 4, -2);
  const auto before = Entries(*m);
  auto dense = MakeInt({{1, 2}, {3, 4}});
  Log log;
  log.Attach(*m);
  TIntVector vec(nullptr);
  vec.Resize(4);
  vec.Fill(9);
  TIntArray arr{9, 9};
  TInt2DArray arr2{{9}};
  TDouble2DArray darr2{{9}};
  TVector means(nullptr);
  means.Resize(3);
  TBool2DArray flags{{1}};
  int32_t ci = -1, ri = -1, lo = -1, hi = -1;
  double a = 1, b = 1, c = 1;

  m->Fill(1);
  m->Fill(1, 2, 1, 2, 1);
  m->FillDiag(1);
  m->FillSerial(1, 1);
  m->CopyFrom(dense.get(), 0, 0, 0, 0, 1, 1);
  dense->CopyFrom(m.get(), 0, 0, 0, 0, 1, 1);  // a sparse source reads nothing
  m->CopyFromVec(&vec, 1, 4, 1, 1);
  m->CopyColToVec(&vec, 1, 1, 4);
  m->CopyRowTo1DArray(arr, 1, 1, 2, 0);
  EXPECT_EQ(m->CopyFromArray(TIntArray{1, 2}, 0, 0, 1, 1, true), kMatCopyFromNoStorage);
  EXPECT_EQ(m->CopyFromArray(TDouble2DArray{{1}}, 0, 0, 0, 0, 1, 1), kMatCopyFromNoStorage);
  EXPECT_EQ(m->CopyToArray(arr2, 1, 1, 1, 1, 0, 0), kMatCopyToNoStorage);
  EXPECT_EQ(m->CopyToArray(darr2, 1, 1, 1, 1, 0, 0), kMatCopyToNoStorage);
  EXPECT_EQ(m->DuplicateDataAsArray(arr2), kMatDuplicateNoStorage);
  m->ExchangeColumns(1, 2);
  m->ExchangeRows(1, 2);
  m->MirrorColumns();
  m->MirrorRows();
  EXPECT_FALSE(m->RemoveColumn(1));
  EXPECT_FALSE(m->RemoveRow(1));
  EXPECT_EQ(m->Diff(1, TApplyColRow::acrColumns), kMatDiffNoStorage);
  m->SortRows(1, true, 0, 0, 0, 0);
  m->SortCols(1, true, 0, 0, 0, 0);
  m->SMult(3);
  m->SAdd(3);
  EXPECT_FALSE(m->Add(m.get()));
  EXPECT_FALSE(dense->Subtract(m.get()));
  EXPECT_FALSE(dense->EMult(dense.get(), m.get()));
  EXPECT_FALSE(dense->Multiply(dense.get(), m.get()));
  EXPECT_FALSE(m->MultiplyTransposed(dense.get(), dense.get()));
  EXPECT_FALSE(m->TransposeAndMultiply(&vec, &vec));
  EXPECT_EQ(log.Seq, "");

  EXPECT_EQ(m->Dichotomize(0, flags), 0);
  EXPECT_TRUE(flags.empty());
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, kMin, kMax), 0);
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 1), 0);
  m->Find(0, 0, 0, 0, 5, ci, ri);
  EXPECT_EQ(ci + ri, 0);
  EXPECT_EQ(m->FindInSortedColumn(1, true, 5), 0);
  EXPECT_EQ(m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoSum, &means), kMatEdgeUnallocated);
  EXPECT_EQ(m->Trace(), 0);
  m->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  EXPECT_EQ(m->GeometricMean(0, 0, 0, 0), 0);
  EXPECT_EQ(m->HarmonicMean(0, 0, 0, 0), 0);
  m->SkewKurt(0, 0, 0, 0, a, b);
  EXPECT_EQ(a + b, 0);
  a = b = 1;
  m->SkewKurtSample(0, 0, 0, 0, a, b);
  EXPECT_EQ(a + b, 0);
  EXPECT_FALSE(m->Quartiles(0, 0, 0, 0, a, b, c));
  EXPECT_EQ(a + b + c, 0);
  EXPECT_EQ(m->Percentile(50, 0, 0, 0, 0, 2), 0);
  m->MeanVec(TDims::dimColumns, &means);
  EXPECT_EQ(means.GetNrOfElem(), 3);  // untouched

  // The template's own element access and size change, as a base pointer
  // reaches them, see no dense storage either.
  TMatrixT<int32_t>* base = m.get();
  EXPECT_EQ(base->GetVal(3, 2), 0);
  base->SetVal(1, 1, 4);
  EXPECT_FALSE(base->Resize(4, 4));
  base->Transpose();
  base->Clone(dense.get());
  base->ResizeAndClear(2, 2);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Entries(*m), before);
  EXPECT_EQ(m->GetVal(3, 2), 5);
  EXPECT_EQ(vec.GetVal(1), 9);
  EXPECT_EQ(arr, (TIntArray{9, 9}));
  EXPECT_EQ(dense->GetMat(), (TInt2DArray{{1, 2}, {3, 4}}));
}

// ---------------------------------------------------------------------------
// Integer arithmetic at the limits
// ---------------------------------------------------------------------------

TEST(IntMatrixArith, ElementWiseOperationsWrapAsInt32) {
  auto m = MakeInt({{kMax, kMin}, {1, -1}});
  EXPECT_EQ(m->Sum(0, 0, 0, 0), -1.0);
  auto big = MakeInt({{kMax, kMax}, {kMax, kMax}});
  EXPECT_EQ(big->Sum(0, 0, 0, 0), 4.0 * kMax);  // no wrap in the sum
  EXPECT_EQ(big->Trace(), 2.0 * kMax);
  double mean = 0, var = 0;
  big->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, kMax);
  EXPECT_EQ(var, 0);

  m->SAdd(1);
  EXPECT_EQ(m->GetMat(), (TInt2DArray{{kMin, kMin + 1}, {2, 0}}));
  m->SMult(2);
  EXPECT_EQ(m->GetMat(), (TInt2DArray{{0, 2}, {4, 0}}));
  big->SMult(2);
  EXPECT_EQ(big->GetVal(1, 1), -2);
  auto one = MakeInt({{1, 1}, {1, 1}});
  auto top = MakeInt({{kMax, kMin}, {0, 0}});
  EXPECT_TRUE(top->Add(one.get()));
  EXPECT_EQ(top->GetMat(), (TInt2DArray{{kMin, kMin + 1}, {1, 1}}));
  EXPECT_TRUE(top->Subtract(one.get()));
  EXPECT_TRUE(top->Subtract(one.get()));
  EXPECT_EQ(top->GetMat(), (TInt2DArray{{kMax - 1, kMax}, {-1, -1}}));
  auto res = MakeInt({{0}});
  auto three = MakeInt({{3, 3}, {3, 3}});
  EXPECT_TRUE(MakeInt({{kMax, kMin}, {5, 6}})->EMult(three.get(), res.get()));
  EXPECT_EQ(res->GetMat(), (TInt2DArray{{2147483645, kMin}, {15, 18}}));
  EXPECT_FALSE(three->Add(MakeInt({{1}}).get()));
}

// Reference product in int64, truncated to 32 bits at the end.
TInt2DArray RefProduct(const TInt2DArray& A, const TInt2DArray& B) {
  const size_t m = A.front().size(), k = A.size(), n = B.size();
  TInt2DArray C(n, std::vector<int32_t>(m));
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < m; ++i) {
      uint64_t s = 0;
      for (size_t p = 0; p < k; ++p)
        s += static_cast<uint64_t>(static_cast<int64_t>(A[p][i]) * B[j][p]);
      C[j][i] = static_cast<int32_t>(static_cast<uint32_t>(s));
    }
  return C;
}

TInt2DArray Transposed(const TInt2DArray& A) {
  TInt2DArray T(A.front().size(), std::vector<int32_t>(A.size()));
  for (size_t c = 0; c < A.size(); ++c)
    for (size_t r = 0; r < A[c].size(); ++r) T[r][c] = A[c][r];
  return T;
}

TEST(IntMatrixArith, ProductsWrapModulo2To32) {
  auto row = MakeInt({{kMax}, {kMax}});  // 2 x 1
  auto ones = MakeInt({{1, 1}});         // 1 x 2
  auto res = MakeInt({{0}});
  ASSERT_TRUE(row->Multiply(ones.get(), res.get()));
  EXPECT_EQ(res->GetMat(), (TInt2DArray{{-2}}));

  std::mt19937 gen(3);
  std::uniform_int_distribution<int32_t> any(kMin, kMax);
  auto random = [&](size_t cols, size_t rows) {
    TInt2DArray a(cols, std::vector<int32_t>(rows));
    for (auto& col : a)
      for (int32_t& x : col) x = any(gen);
    return a;
  };
  const TInt2DArray A = random(7, 5), B = random(4, 7), C = random(7, 3), D = random(6, 5);
  auto a = MakeInt(A);
  ASSERT_TRUE(a->Multiply(MakeInt(B).get(), res.get()));
  EXPECT_EQ(res->GetMat(), RefProduct(A, B));
  ASSERT_TRUE(a->MultiplyTransposed(MakeInt(C).get(), res.get()));
  EXPECT_EQ(res->GetMat(), RefProduct(A, Transposed(C)));
  ASSERT_TRUE(a->TransposeAndMultiply(MakeInt(D).get(), res.get()));
  EXPECT_EQ(res->GetMat(), RefProduct(Transposed(A), D));
  EXPECT_FALSE(a->Multiply(MakeInt(D).get(), res.get()));  // 7 columns, 5 rows

  // Vectors, with the result vector as an operand.
  TIntVector v(nullptr);
  v.Resize(7);
  for (int32_t i = 1; i <= 7; ++i) v.SetVal(i, B[0][static_cast<size_t>(i - 1)]);
  ASSERT_TRUE(a->Multiply(&v, &v));
  ASSERT_EQ(v.GetNrOfElem(), 5);
  const TInt2DArray Av = RefProduct(A, {B[0]});
  for (int32_t i = 1; i <= 5; ++i) EXPECT_EQ(v.GetVal(i), Av[0][static_cast<size_t>(i - 1)]);
  ASSERT_TRUE(a->TransposeAndMultiply(&v, &v));
  ASSERT_EQ(v.GetNrOfElem(), 7);
  const TInt2DArray Atv = RefProduct(Transposed(A), Av);
  for (int32_t i = 1; i <= 7; ++i) EXPECT_EQ(v.GetVal(i), Atv[0][static_cast<size_t>(i - 1)]);
}

// ---------------------------------------------------------------------------
// Type-dependent pieces of the shared routines
// ---------------------------------------------------------------------------

TEST(IntMatrixShared, ChecksumHasOneRegisterPerByte) {
  // zlib.crc32 over byte k of struct.pack('<i', x) of every element (Python).
  EXPECT_EQ(MakeInt({{0}})->CRCofData(), "D202EF8DD202EF8DD202EF8DD202EF8D");
  EXPECT_EQ(MakeInt({{7, -3, 0x12345678, kMin}})->CRCofData(), "E669F4D8733D112324F618060A901802");
  EXPECT_NE(MakeInt({{1, 2}})->CRCofData(), MakeInt({{2, 1}})->CRCofData());
}

TEST(IntMatrixShared, ExtremesSearchesAndRoundedCopies) {
  auto m = MakeInt({{kMin, kMin}, {kMin, kMin}});
  int32_t lo = 0, hi = 0;
  m->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, kMin);
  EXPECT_EQ(hi, kMin);
  // A difference in 32 bits would wrap and pick the wrong cell.
  auto f = MakeInt({{kMin, kMax, 0}});
  int32_t ci = 0, ri = 0;
  f->Find(0, 0, 0, 0, kMax, ci, ri);
  EXPECT_EQ(ri, 2);
  f->Find(0, 0, 0, 0, -5, ci, ri);
  EXPECT_EQ(ri, 3);
  EXPECT_EQ(MakeInt({{kMin, 0, kMax}})->FindInSortedColumn(1, true, kMax - 1), 3);
  EXPECT_EQ(MakeInt({{kMin, kMax}})->FindInSortedColumn(1, true, -1), 1);

  auto c = MakeInt({{0, 0, 0, 0, 0}});
  EXPECT_EQ(c->CopyFromArray(TDoubleArray{2.5, -2.5, 3.5, 1e20, -1e20}, 0, 0, 1, 1, true), 0);
  EXPECT_EQ(c->GetMat(), (TInt2DArray{{2, -2, 4, kMax, kMin}}));
  EXPECT_EQ(c->CopyFromArray(TDouble2DArray{{0.5, 1.5}}, 0, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(c->GetVal(1, 1), 0);
  EXPECT_EQ(c->GetVal(1, 2), 2);
}

TEST(IntMatrixShared, CountMaskedZeros) {
  auto m = MakeInt({{1, 2, 3}, {4, 6, kMin}, {-1, 8, 5}});
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 1), 5);  // the even elements
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 0), 9);
  EXPECT_EQ(m->CountMaskedZeros(2, 3, 2, 3, 1), 3);  // 6, kMin, 8
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 6), 3);  // 1, kMin, 8
}

TEST(IntMatrixShared, NewStatusCodesHaveOwnSentences) {
  EXPECT_EQ(kMatCopyFromNoStorage, -7);
  EXPECT_EQ(kMatCopyToNoStorage, -5);
  EXPECT_EQ(kMatDuplicateNoStorage, -2);
  EXPECT_EQ(kMatEdgeUnallocated, -1);
  EXPECT_STRNE(MatrixCopyFromStatusText(-7), MatrixCopyFromStatusText(1));
  EXPECT_STRNE(MatrixCopyToStatusText(-5), MatrixCopyToStatusText(1));
  EXPECT_STRNE(MatrixDuplicateStatusText(-2), MatrixDuplicateStatusText(1));
  const std::vector<int32_t> diff{kMatDiffOk, kMatDiffBadOrder, kMatDiffTooShort,
                                  kMatDiffNoStorage};
  EXPECT_EQ(diff, (std::vector<int32_t>{0, -1, -2, -3}));
  std::vector<std::string> texts;
  for (int32_t code : diff) texts.emplace_back(MatrixDiffStatusText(code));
  texts.emplace_back(MatrixDiffStatusText(1));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end());
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(IntMatrixShared, DoubleMatrixCopiesFromAnIntegerOne) {
  auto src = MakeInt({{kMax, 2, 3}, {kMin, 5, 6}});
  auto dst = std::make_unique<TMatrix>(nullptr);
  dst->Resize(3, 3);
  int32_t changes = 0;
  dst->OnChange = [&](TObject*) { ++changes; };
  // Rows 2..3 of both columns (bounds reversed and beyond the source) go
  // to (2, 1); the cells beyond the destination are dropped.
  dst->CopyFrom(src.get(), 5, 3, 0, 2, 2, 1);
  EXPECT_EQ(dst->GetMat(), (TDouble2DArray{{0, 0, 0}, {2, 3, 0}, {5, 6, 0}}));
  EXPECT_EQ(changes, 5);                       // four cells and the end
  dst->CopyFrom(src.get(), 1, 1, 1, 1, 1, 3);  // one cell
  EXPECT_EQ(dst->GetVal(1, 3), static_cast<double>(kMax));
  auto sparse = MakeSparse(1);
  sparse->SetVal(1, 1, 9);
  changes = 0;
  dst->CopyFrom(sparse.get(), 0, 0, 0, 0, 1, 1);
  dst->CopyFrom(static_cast<const TIntMatrix*>(nullptr), 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(dst->GetVal(1, 1), 0);
}

}  // namespace
}  // namespace zel
