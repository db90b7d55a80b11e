// Data tables: creation, notification, the numeric matrix, size and
// structure, assignment and copies between tables.
#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/zel_stringl.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

const std::array<const char*, 5> MScaleTypeNames{"Unknown", "Nominal", "Ordinal", "Interval",
                                                 "Ratio"};
const std::array<const char*, 8> CompareModeNames{"cmLT", "cmGT", "cmLE",      "cmGE",
                                                  "cmEQ", "cmNE", "cmInRange", "cmOutOfRange"};

void TDataTable::SwapMatrixStorage(TMatrix& M, TDouble2DArray& Data) { M.SwapIn(Data); }
TDouble2DArray& TDataTable::MatrixStorage(TMatrix& M) { return M.Mat; }

namespace {

std::string NumberedName(const char* Prefix, int64_t n) { return Prefix + std::to_string(n); }

// Column c (1-based) of the new layout comes from old column Src[c - 1], or
// is new when that is 0.
using TIndexMap = std::vector<int32_t>;

TIndexMap IdentityMap(int32_t n, int32_t oldN) {
  TIndexMap m(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) m[static_cast<size_t>(i)] = i < oldN ? i + 1 : 0;
  return m;
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation, notification, the numeric matrix
// ---------------------------------------------------------------------------

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FOwnMat = std::make_unique<TMatrix>(nullptr);
    FData = FOwnMat.get();
    FCState.assign(1, std::vector<uint8_t>(1, 0));
    FColName.assign(1, "C-1");
    FRowName.assign(1, "R-1");
    FRowAtt.assign(1, 0);
    FColAtt.assign(1, 0);
    FVType.assign(1, TVTypeSpec{});
  } catch (const std::bad_alloc&) {
    FOwnMat.reset();
    FData = nullptr;
    Fail("failed to initialize (out of memory)");
  } catch (const EZELMatrixError&) {
    FOwnMat.reset();
    FData = nullptr;
    Fail("failed to initialize (out of memory)");
  }
  ConnectMatrix();
}

TDataTable::~TDataTable() {
  if (FExtMatAssigned) DisconnectMatrix();
}

void TDataTable::Fail(const std::string& Text) const {
  throw EZELDataTableError(ComponentMessage(Text));
}

void TDataTable::ConnectMatrix() {
  FData->OnChange = [this](TObject*) { MatrixChanged(); };
  FData->OnResize = [this](TObject*) { MatrixResized(); };
  FData->OnSortExchange = [this](TObject* Sender, int32_t Kind, int32_t I1, int32_t I2,
                                 int32_t First, int32_t Last) {
    ExchangeDuringSort(Sender, Kind, I1, I2, First, Last);
  };
}

void TDataTable::DisconnectMatrix() {
  FData->OnChange = nullptr;
  FData->OnResize = nullptr;
  FData->OnSortExchange = nullptr;
}

void TDataTable::MatrixChanged() {
  if (!FInResize) ChangedData();
}

// The matrix was resized through itself: the table follows, keeping its
// information at the same places, so that every index stays in range.
void TDataTable::MatrixResized() {
  if (FInResize) return;
  const int32_t nc = FData->GetNrOfColumns();
  const int32_t nr = FData->GetNrOfRows();
  if (nc == FNrOfCols && nr == FNrOfRows) return;
  const int32_t oc = FNrOfCols, orr = FNrOfRows;
  TLayout L = Remap(IdentityMap(nc, oc), IdentityMap(nr, orr), true, false);
  ApplyLayout(L);
  if (OnResize) OnResize(this, oc, orr, nc, nr);
}

void TDataTable::ChangedData() {
  if (FSuppress > 0) {
    FPendingChange = true;
    return;
  }
  if (OnChange) OnChange(this);
}
void TDataTable::ChangedSetup() {
  if (OnChangeSetup) OnChangeSetup(this);
}
void TDataTable::ChangedNames() {
  if (OnChangeNames) OnChangeNames(this);
}
void TDataTable::ChangedAttrib() {
  if (OnChangeAttrib) OnChangeAttrib(this);
}
void TDataTable::ChangedCellStates() {
  if (OnChangeCellState) OnChangeCellState(this);
}

void TDataTable::FireAllChanges() {
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::SetComment(const std::string& Value) {
  FComment = RemoveControlChars(Value);
  ChangedSetup();
}

bool TDataTable::IsCategorical(int32_t Col) const {
  if (!ValidCol(Col)) return false;
  const TMScaleType t = FVType[static_cast<size_t>(Col - 1)].MScaleType;
  return t == TMScaleType::stNominal || t == TMScaleType::stOrdinal;
}

bool TDataTable::NumericCell(int32_t c, int32_t r) const {
  const TMScaleType t = FVType[static_cast<size_t>(c - 1)].MScaleType;
  return (St(c, r) & (kCellNoNumber | kCellEmpty)) == 0 &&
         (t == TMScaleType::stInterval || t == TMScaleType::stRatio);
}

bool TDataTable::MarkedCell(int32_t c, int32_t r, uint8_t Mask) const {
  return NumericCell(c, r) && (St(c, r) & Mask & 0xFCu) != 0;
}

void TDataTable::ClampColRange(int32_t& Lo, int32_t& Hi) const {
  NormalizeRange(Lo, Hi, 1, FNrOfCols);
}
void TDataTable::ClampRowRange(int32_t& Lo, int32_t& Hi) const {
  NormalizeRange(Lo, Hi, 1, FNrOfRows);
}

// A copy of the values of T with T's own sizes, also when its matrix was
// resized behind its back (then through the checked element access).
TDouble2DArray TDataTable::ValuesCopy() const {
  if (FData->GetNrOfColumns() == FNrOfCols && FData->GetNrOfRows() == FNrOfRows)
    return FData->GetMat();
  TDouble2DArray v(static_cast<size_t>(FNrOfCols), TDoubleArray(static_cast<size_t>(FNrOfRows)));
  for (int32_t c = 1; c <= FNrOfCols; ++c)
    for (int32_t r = 1; r <= FNrOfRows; ++r)
      v[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)] = FData->GetVal(c, r);
  return v;
}

// ---------------------------------------------------------------------------
// Layouts
// ---------------------------------------------------------------------------

TDataTable::TLayout TDataTable::Remap(const TIndexMap& Cols, const TIndexMap& Rows,
                                      bool DefaultNames, bool WithVals) const {
  TLayout L;
  try {
    const size_t nc = Cols.size(), nr = Rows.size();
    const auto& mat = FData->GetMat();
    const bool matOk = FData->GetNrOfColumns() == FNrOfCols && FData->GetNrOfRows() == FNrOfRows;
    L.States.assign(nc, std::vector<uint8_t>(nr, 0));
    if (WithVals) {
      L.Vals.assign(nc, std::vector<double>(nr, 0.0));
      L.HasVals = true;
    }
    L.ColNames.resize(nc);
    L.ColAtt.assign(nc, 0);
    L.Types.resize(nc);
    for (size_t c = 0; c < nc; ++c) {
      const int32_t oc = Cols[c];
      if (oc == 0) {
        if (DefaultNames) L.ColNames[c] = NumberedName("C-", static_cast<int64_t>(c) + 1);
        continue;
      }
      const auto ocx = static_cast<size_t>(oc - 1);
      L.ColNames[c] = FColName[ocx];
      L.ColAtt[c] = FColAtt[ocx];
      L.Types[c] = FVType[ocx];
      for (size_t r = 0; r < nr; ++r) {
        const int32_t orow = Rows[r];
        if (orow == 0) continue;
        const auto orx = static_cast<size_t>(orow - 1);
        L.States[c][r] = FCState[ocx][orx];
        if (WithVals) L.Vals[c][r] = matOk ? mat[ocx][orx] : FData->GetVal(oc, orow);
      }
    }
    L.RowNames.resize(nr);
    L.RowAtt.assign(nr, 0);
    for (size_t r = 0; r < nr; ++r) {
      const int32_t orow = Rows[r];
      if (orow == 0) {
        if (DefaultNames) L.RowNames[r] = NumberedName("R-", static_cast<int64_t>(r) + 1);
        continue;
      }
      L.RowNames[r] = FRowName[static_cast<size_t>(orow - 1)];
      L.RowAtt[r] = FRowAtt[static_cast<size_t>(orow - 1)];
    }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  } catch (const std::length_error&) {
    Fail("not enough memory on heap");
  }
  return L;
}

void TDataTable::ApplyLayout(TLayout& L) {
  const int32_t nc = static_cast<int32_t>(L.States.size());
  const int32_t nr = static_cast<int32_t>(L.RowNames.size());
  if (L.HasVals) {
    FInResize = true;
    SwapMatrixStorage(*FData, L.Vals);
    FInResize = false;
  }
  FCState.swap(L.States);
  FColName.swap(L.ColNames);
  FRowName.swap(L.RowNames);
  FColAtt.swap(L.ColAtt);
  FRowAtt.swap(L.RowAtt);
  FVType.swap(L.Types);
  FNrOfCols = nc;
  FNrOfRows = nr;
}

// ---------------------------------------------------------------------------
// Size and structure
// ---------------------------------------------------------------------------

bool TDataTable::Resize(int32_t NrCols, int32_t NrRows) {
  if (NrCols < 1 || NrRows < 1 || (NrCols == FNrOfCols && NrRows == FNrOfRows)) return false;
  const int32_t oc = FNrOfCols, orr = FNrOfRows;
  TLayout L = Remap(IdentityMap(NrCols, oc), IdentityMap(NrRows, orr), true, true);
  ApplyLayout(L);
  if (OnResize) OnResize(this, oc, orr, NrCols, NrRows);
  return true;
}

// Applies a layout that moved rows or columns and fires the events of a
// structural change.
void TDataTable::Restructure(const TIndexMap& Cols, const TIndexMap& Rows, bool Names) {
  const int32_t oc = FNrOfCols, orr = FNrOfRows;
  TLayout L = Remap(Cols, Rows, false, true);
  ApplyLayout(L);
  TChangeSuppressor s(*this);
  s.Finish(true);
  ChangedSetup();
  if (Names) {
    ChangedNames();
    ChangedAttrib();
    ChangedCellStates();
  }
  if ((oc != FNrOfCols || orr != FNrOfRows) && OnResize)
    OnResize(this, oc, orr, FNrOfCols, FNrOfRows);
}

bool TDataTable::InsertRow(int32_t ix) {
  if (ix < 1 || ix > FNrOfRows + 1 || FNrOfRows == INT32_MAX) return false;
  TIndexMap rows(static_cast<size_t>(FNrOfRows) + 1);
  for (int32_t r = 1; r <= FNrOfRows + 1; ++r)
    rows[static_cast<size_t>(r - 1)] = r < ix ? r : r == ix ? 0 : r - 1;
  Restructure(IdentityMap(FNrOfCols, FNrOfCols), rows, false);
  return true;
}

bool TDataTable::InsertColumn(int32_t ix) {
  if (ix < 1 || ix > FNrOfCols + 1 || FNrOfCols == INT32_MAX) return false;
  TIndexMap cols(static_cast<size_t>(FNrOfCols) + 1);
  for (int32_t c = 1; c <= FNrOfCols + 1; ++c)
    cols[static_cast<size_t>(c - 1)] = c < ix ? c : c == ix ? 0 : c - 1;
  Restructure(cols, IdentityMap(FNrOfRows, FNrOfRows), false);
  return true;
}

bool TDataTable::RemoveRow(int32_t ix) {
  if (!ValidRow(ix) || FNrOfRows < 2) return false;
  TBitFld sel(FNrOfRows);
  sel.SetBit(ix, true);
  return RemoveSelected(true, sel, 1) == 1;
}

bool TDataTable::RemoveColumn(int32_t ix) {
  if (!ValidCol(ix) || FNrOfCols < 2) return false;
  TBitFld sel(FNrOfCols);
  sel.SetBit(ix, true);
  return RemoveSelected(false, sel, 1) == 1;
}

int32_t TDataTable::RemoveSelected(bool Rows, const TBitFld& Selected, int32_t Count) {
  const int32_t n = Rows ? FNrOfRows : FNrOfCols;
  if (Count <= 0) return 0;
  if (Count >= n) return kDTRemoveAll;
  TIndexMap keep;
  keep.reserve(static_cast<size_t>(n - Count));
  for (int32_t i = 1; i <= n; ++i)
    if (!Selected.GetBit(i)) keep.push_back(i);
  if (Rows)
    Restructure(IdentityMap(FNrOfCols, FNrOfCols), keep, false);
  else
    Restructure(keep, IdentityMap(FNrOfRows, FNrOfRows), false);
  return Count;
}

int32_t TDataTable::RemoveRows(int32_t FirstRow, int32_t LastRow) {
  if (FirstRow == 0 && LastRow == 0) {
    FirstRow = 1;
    LastRow = FNrOfRows;
  }
  if (!ValidRow(FirstRow) || !ValidRow(LastRow)) return kDTRemoveBadBound;
  if (FirstRow > LastRow) std::swap(FirstRow, LastRow);
  TBitFld sel(FNrOfRows);
  for (int32_t r = FirstRow; r <= LastRow; ++r) sel.SetBit(r, true);
  return RemoveSelected(true, sel, LastRow - FirstRow + 1);
}

int32_t TDataTable::RemoveByMarks(bool Rows, int32_t First, int32_t Last, uint8_t CSMask,
                                  bool Marked) {
  const int32_t n = Rows ? FNrOfRows : FNrOfCols;
  const int32_t m = Rows ? FNrOfCols : FNrOfRows;
  if (First == 0 && Last == 0) {
    First = 1;
    Last = n;
  }
  if (First < 1 || First > n || Last < 1 || Last > n) return kDTRemoveBadBound;
  if (First > Last) std::swap(First, Last);
  TBitFld sel(n);
  int32_t count = 0;
  for (int32_t i = First; i <= Last; ++i) {
    bool hit = false;
    for (int32_t k = 1; k <= m && !hit; ++k) hit = ((Rows ? St(k, i) : St(i, k)) & CSMask) != 0;
    if (hit == Marked) {
      sel.SetBit(i, true);
      ++count;
    }
  }
  return RemoveSelected(Rows, sel, count);
}

int32_t TDataTable::RemoveMarkedRows(int32_t FirstRow, int32_t LastRow, uint8_t CSMask) {
  return RemoveByMarks(true, FirstRow, LastRow, CSMask, true);
}
int32_t TDataTable::RemoveUnmarkedRows(int32_t FirstRow, int32_t LastRow, uint8_t CSMask) {
  return RemoveByMarks(true, FirstRow, LastRow, CSMask, false);
}
int32_t TDataTable::RemoveMarkedColumns(int32_t FirstCol, int32_t LastCol, uint8_t CSMask) {
  return RemoveByMarks(false, FirstCol, LastCol, CSMask, true);
}
int32_t TDataTable::RemoveUnmarkedColumns(int32_t FirstCol, int32_t LastCol, uint8_t CSMask) {
  return RemoveByMarks(false, FirstCol, LastCol, CSMask, false);
}

void TDataTable::MirrorColumns() {
  TIndexMap cols(static_cast<size_t>(FNrOfCols));
  for (int32_t c = 0; c < FNrOfCols; ++c) cols[static_cast<size_t>(c)] = FNrOfCols - c;
  Restructure(cols, IdentityMap(FNrOfRows, FNrOfRows), true);
}

void TDataTable::MirrorRows() {
  TIndexMap rows(static_cast<size_t>(FNrOfRows));
  for (int32_t r = 0; r < FNrOfRows; ++r) rows[static_cast<size_t>(r)] = FNrOfRows - r;
  Restructure(IdentityMap(FNrOfCols, FNrOfCols), rows, true);
}

void TDataTable::SwapColumns(int32_t c1, int32_t c2) {
  const auto a = static_cast<size_t>(c1 - 1), b = static_cast<size_t>(c2 - 1);
  std::swap(FCState[a], FCState[b]);
  std::swap(FColName[a], FColName[b]);
  std::swap(FColAtt[a], FColAtt[b]);
  std::swap(FVType[a], FVType[b]);
}

void TDataTable::SwapRows(int32_t r1, int32_t r2) {
  const auto a = static_cast<size_t>(r1 - 1), b = static_cast<size_t>(r2 - 1);
  for (auto& col : FCState) std::swap(col[a], col[b]);
  std::swap(FRowName[a], FRowName[b]);
  std::swap(FRowAtt[a], FRowAtt[b]);
}

void TDataTable::ExchangeColumns(int32_t c1, int32_t c2) {
  if (!ValidCol(c1) || !ValidCol(c2)) return;
  TChangeSuppressor s(*this);
  FData->ExchangeColumns(c1, c2);
  SwapColumns(c1, c2);
  s.Finish(true);
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::ExchangeRows(int32_t r1, int32_t r2) {
  if (!ValidRow(r1) || !ValidRow(r2)) return;
  TChangeSuppressor s(*this);
  FData->ExchangeRows(r1, r2);
  SwapRows(r1, r2);
  s.Finish(true);
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::Clear() {
  TChangeSuppressor s(*this);
  for (int32_t c = 1; c <= FNrOfCols; ++c) {
    const auto cx = static_cast<size_t>(c - 1);
    FColName[cx] = NumberedName("C-", c);
    FColAtt[cx] = 0;
    FVType[cx] = TVTypeSpec{};
    std::fill(FCState[cx].begin(), FCState[cx].end(), uint8_t{0});
  }
  for (int32_t r = 1; r <= FNrOfRows; ++r) {
    FRowName[static_cast<size_t>(r - 1)] = NumberedName("R-", r);
    FRowAtt[static_cast<size_t>(r - 1)] = 0;
  }
  FData->Fill(0.0);
  s.Finish(true);
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* NewDMat) {
  if (NewDMat == nullptr || NewDMat == FData) return;
  const int32_t oc = FNrOfCols, orr = FNrOfRows;
  const int32_t nc = NewDMat->GetNrOfColumns(), nr = NewDMat->GetNrOfRows();
  // The new information is built before anything is given up.
  TLayout L = Remap(IdentityMap(nc, oc), IdentityMap(nr, orr), true, false);
  for (auto& t : L.Types) t = TVTypeSpec{};
  DisconnectMatrix();
  FData = NewDMat;
  FOwnMat.reset();
  FExtMatAssigned = true;
  ApplyLayout(L);
  ConnectMatrix();
  FireAllChanges();
  if (OnResize) OnResize(this, oc, orr, nc, nr);
}

void TDataTable::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TDataTable*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  TLayout L;
  try {
    L.States = src->FCState;
    L.ColNames = src->FColName;
    L.RowNames = src->FRowName;
    L.ColAtt = src->FColAtt;
    L.RowAtt = src->FRowAtt;
    L.Types = src->FVType;
    L.Vals = src->ValuesCopy();
    L.HasVals = true;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  // What the matrix's Assign copies, except its handlers: for the moment
  // they would be the source table's, and its Assign fires them.
  ApplyLayout(L);
  FData->SetDataID(src->FData->GetDataID());
  FData->SetPrecision(1, src->FData->GetPrecision(1));
  FData->SetPrecision(2, src->FData->GetPrecision(2));
  FComment = src->FComment;
  FSortIncludeHd = src->FSortIncludeHd;
  OnChange = src->OnChange;
  OnChangeSetup = src->OnChangeSetup;
  OnChangeNames = src->OnChangeNames;
  OnChangeCellState = src->OnChangeCellState;
  OnChangeAttrib = src->OnChangeAttrib;
  OnPercentDone = src->OnPercentDone;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
  OnExportText = src->OnExportText;
}

bool TDataTable::AssignTo(TPersistent* Dest) const {
  auto* dst = dynamic_cast<TDataTable*>(Dest);
  if (dst == nullptr) return false;
  dst->Assign(this);
  return true;
}

void TDataTable::Clone(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab == this) return;
  const int32_t oc = FNrOfCols, orr = FNrOfRows;
  TLayout L;
  try {
    L.States = ExtTab->FCState;
    L.ColNames = ExtTab->FColName;
    L.RowNames = ExtTab->FRowName;
    L.ColAtt = ExtTab->FColAtt;
    L.RowAtt = ExtTab->FRowAtt;
    L.Types = ExtTab->FVType;
    L.Vals = ExtTab->ValuesCopy();
    L.HasVals = true;
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  ApplyLayout(L);
  FComment = ExtTab->FComment;
  FireAllChanges();
  if (OnResize) OnResize(this, oc, orr, FNrOfCols, FNrOfRows);
}

void TDataTable::CopyCellStatesFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr) return;
  const int32_t nc = std::min(FNrOfCols, ExtTab->FNrOfCols);
  const int32_t nr = std::min(FNrOfRows, ExtTab->FNrOfRows);
  for (int32_t c = 1; c <= nc; ++c)
    for (int32_t r = 1; r <= nr; ++r) St(c, r) = ExtTab->St(c, r);
  ChangedCellStates();
}

bool TDataTable::CopyColumnFrom(const TDataTable* ExtTab, int32_t SrcCol, int32_t DestCol) {
  if (ExtTab == nullptr || !ExtTab->ValidCol(SrcCol) || !ValidCol(DestCol)) return false;
  if (ExtTab == this && SrcCol == DestCol) return true;
  const auto s = static_cast<size_t>(SrcCol - 1), d = static_cast<size_t>(DestCol - 1);
  FColName[d] = ExtTab->FColName[s];
  FColAtt[d] = ExtTab->FColAtt[s];
  FVType[d] = ExtTab->FVType[s];
  const int32_t nr = std::min(FNrOfRows, ExtTab->FNrOfRows);
  TChangeSuppressor sup(*this);
  FData->CopyFrom(ExtTab->FData, SrcCol, 1, SrcCol, nr, DestCol, 1);
  for (int32_t r = 1; r <= nr; ++r) St(DestCol, r) = ExtTab->St(SrcCol, r);
  sup.Finish(true);
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  return true;
}

void TDataTable::CopyFrom(const TDataTable* ExtTab, int32_t SourceColLo, int32_t SourceRowLo,
                          int32_t SourceColHi, int32_t SourceRowHi, int32_t DestCol,
                          int32_t DestRow) {
  if (ExtTab == nullptr) return;
  ExtTab->ClampColRange(SourceColLo, SourceColHi);
  ExtTab->ClampRowRange(SourceRowLo, SourceRowHi);
  // The states of the rectangle are read first, so that a copy within the
  // table sees the source as it was.
  std::vector<std::vector<uint8_t>> states;
  try {
    for (int32_t c = SourceColLo; c <= SourceColHi; ++c)
      states.emplace_back(ExtTab->FCState[static_cast<size_t>(c - 1)].begin() + (SourceRowLo - 1),
                          ExtTab->FCState[static_cast<size_t>(c - 1)].begin() + SourceRowHi);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  TChangeSuppressor sup(*this);
  FData->CopyFrom(ExtTab->FData, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, DestCol,
                  DestRow);
  for (int32_t c = SourceColLo; c <= SourceColHi; ++c) {
    const int64_t dc = int64_t{c} + DestCol - SourceColLo;
    if (dc < 1 || dc > FNrOfCols) continue;
    for (int32_t r = SourceRowLo; r <= SourceRowHi; ++r) {
      const int64_t dr = int64_t{r} + DestRow - SourceRowLo;
      if (dr < 1 || dr > FNrOfRows) continue;
      St(static_cast<int32_t>(dc), static_cast<int32_t>(dr)) =
          states[static_cast<size_t>(c - SourceColLo)][static_cast<size_t>(r - SourceRowLo)];
    }
  }
  sup.Finish(true);
  ChangedCellStates();
}

}  // namespace zel
