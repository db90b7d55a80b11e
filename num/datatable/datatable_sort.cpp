// Data tables: sorting by values (through the matrix), by names and by
// attributes, with the table's own information kept in step.
#include <algorithm>
#include <utility>

#include "core/zel_system.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

// The key of a running value sort, cleared on every way out.
struct TSortKeyScope {
  TSortKeyScope(int32_t& Key, int32_t& Kind, int32_t k, int32_t kind) : FKey(Key), FKind(Kind) {
    FKey = k;
    FKind = kind;
  }
  ~TSortKeyScope() {
    FKey = 0;
    FKind = 0;
  }
  TSortKeyScope(const TSortKeyScope&) = delete;
  TSortKeyScope& operator=(const TSortKeyScope&) = delete;
  int32_t& FKey;
  int32_t& FKind;
};

int32_t NextGap(int32_t gap) { return std::max(1, static_cast<int32_t>(Trunc(gap / 1.3))); }

}  // namespace

void TDataTable::ExchangeDuringSort(TObject* Sender, int32_t ExchgKind, int32_t Index1,
                                    int32_t Index2, int32_t First, int32_t Last) {
  if (ExchgKind == 2 && ValidRow(Index1) && ValidRow(Index2)) {
    int32_t lo = First, hi = Last;
    ClampColRange(lo, hi);
    const auto a = static_cast<size_t>(Index1 - 1), b = static_cast<size_t>(Index2 - 1);
    for (int32_t c = lo; c <= hi; ++c)
      std::swap(FCState[static_cast<size_t>(c - 1)][a], FCState[static_cast<size_t>(c - 1)][b]);
    // The matrix moves the key column too when it lies outside the range;
    // its states must follow or they would describe other values.
    if (FSortKind == 2 && ValidCol(FSortKey) && (FSortKey < lo || FSortKey > hi))
      std::swap(FCState[static_cast<size_t>(FSortKey - 1)][a],
                FCState[static_cast<size_t>(FSortKey - 1)][b]);
    if (FSortIncludeHd) {
      std::swap(FRowName[a], FRowName[b]);
      std::swap(FRowAtt[a], FRowAtt[b]);
    }
  } else if (ExchgKind == 1 && ValidCol(Index1) && ValidCol(Index2)) {
    int32_t lo = First, hi = Last;
    ClampRowRange(lo, hi);
    auto& ca = FCState[static_cast<size_t>(Index1 - 1)];
    auto& cb = FCState[static_cast<size_t>(Index2 - 1)];
    for (int32_t r = lo; r <= hi; ++r)
      std::swap(ca[static_cast<size_t>(r - 1)], cb[static_cast<size_t>(r - 1)]);
    if (FSortKind == 1 && ValidRow(FSortKey) && (FSortKey < lo || FSortKey > hi))
      std::swap(ca[static_cast<size_t>(FSortKey - 1)], cb[static_cast<size_t>(FSortKey - 1)]);
    if (FSortIncludeHd) {
      const auto a = static_cast<size_t>(Index1 - 1), b = static_cast<size_t>(Index2 - 1);
      std::swap(FColName[a], FColName[b]);
      std::swap(FColAtt[a], FColAtt[b]);
      std::swap(FVType[a], FVType[b]);
    }
  }
  if (OnSortExchange) OnSortExchange(Sender, ExchgKind, Index1, Index2, First, Last);
}

void TDataTable::SortRows(int32_t SortColIx, bool Ascending, int32_t LowCol, int32_t LowRow,
                          int32_t HighCol, int32_t HighRow, bool IncludeHeaders) {
  if (!ValidCol(SortColIx)) return;
  FSortIncludeHd = IncludeHeaders;
  {
    TSortKeyScope key(FSortKey, FSortKind, SortColIx, 2);
    FData->SortRows(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
  ChangedCellStates();
}

void TDataTable::SortCols(int32_t SortRowIx, bool Ascending, int32_t LowCol, int32_t LowRow,
                          int32_t HighCol, int32_t HighRow, bool IncludeHeaders) {
  if (!ValidRow(SortRowIx)) return;
  FSortIncludeHd = IncludeHeaders;
  {
    TSortKeyScope key(FSortKey, FSortKind, SortRowIx, 1);
    FData->SortCols(SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
  ChangedCellStates();
}

// Comb sort of the rows (columns) by Keys (one per row or column of the
// whole table), moving names, attributes (types) and the values and states
// of the other dimension's range.
template <class Key>
void TDataTable::SortHeaders(bool Rows, bool Ascending, std::vector<Key> Keys, int32_t LowCol,
                             int32_t LowRow, int32_t HighCol, int32_t HighRow) {
  MatrixResized();  // in step with a matrix resized behind the table's back
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  const int32_t lo = Rows ? LowRow : LowCol, hi = Rows ? HighRow : HighCol;
  const int32_t olo = Rows ? LowCol : LowRow, ohi = Rows ? HighCol : HighRow;
  if (hi - lo < 1) return;
  const int32_t nc = FNrOfCols, nr = FNrOfRows;
  int32_t gap = hi - lo;
  bool exchanged = false;
  bool moved = false;
  do {
    gap = NextGap(gap);
    exchanged = false;
    for (int32_t i = lo; i + gap <= hi; ++i) {
      const auto a = static_cast<size_t>(i - 1), b = static_cast<size_t>(i + gap - 1);
      if (!(Ascending ? Keys[b] < Keys[a] : Keys[a] < Keys[b])) continue;
      std::swap(Keys[a], Keys[b]);
      auto& mat = MatrixStorage(*FData);
      if (Rows) {
        std::swap(FRowName[a], FRowName[b]);
        std::swap(FRowAtt[a], FRowAtt[b]);
        for (int32_t c = olo; c <= ohi; ++c) {
          const auto cx = static_cast<size_t>(c - 1);
          std::swap(mat[cx][a], mat[cx][b]);
          std::swap(FCState[cx][a], FCState[cx][b]);
        }
      } else {
        std::swap(FColName[a], FColName[b]);
        std::swap(FColAtt[a], FColAtt[b]);
        std::swap(FVType[a], FVType[b]);
        for (int32_t r = olo; r <= ohi; ++r) {
          const auto rx = static_cast<size_t>(r - 1);
          std::swap(mat[a][rx], mat[b][rx]);
          std::swap(FCState[a][rx], FCState[b][rx]);
        }
      }
      exchanged = moved = true;
      if (OnSortExchange) {
        OnSortExchange(this, Rows ? 2 : 1, i, i + gap, olo, ohi);
        if (FNrOfCols != nc || FNrOfRows != nr) return;  // the handler resized the table
      }
    }
    ReportProgress();
    if (FNrOfCols != nc || FNrOfRows != nr) return;  // MathFeedBackProc resized the table
  } while (gap > 1 || exchanged);
  if (moved) ChangedData();
  ChangedNames();
  ChangedAttrib();
}

namespace {
std::vector<std::string> NameKeys(const std::vector<std::string>& Names, bool IgnoreCase) {
  if (!IgnoreCase) return Names;
  std::vector<std::string> keys;
  keys.reserve(Names.size());
  for (const auto& n : Names) keys.push_back(LowerCaseAscii(n));
  return keys;
}
}  // namespace

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                              int32_t HighCol, int32_t HighRow) {
  SortHeaders(true, Ascending, NameKeys(FRowName, IgnoreCase), LowCol, LowRow, HighCol, HighRow);
}
void TDataTable::SortRowNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow) {
  SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}
void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                              int32_t HighCol, int32_t HighRow) {
  SortHeaders(false, Ascending, NameKeys(FColName, IgnoreCase), LowCol, LowRow, HighCol, HighRow);
}
void TDataTable::SortColNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow) {
  SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}
void TDataTable::SortRowAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                   int32_t HighRow) {
  SortHeaders(true, Ascending, FRowAtt, LowCol, LowRow, HighCol, HighRow);
}
void TDataTable::SortColAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                   int32_t HighRow) {
  SortHeaders(false, Ascending, FColAtt, LowCol, LowRow, HighCol, HighRow);
}

}  // namespace zel
