// Data tables: covariance-type matrices, contingency tables, level counts,
// cell search, fingerprints and the long format.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <new>

#include "core/zel_dstruct.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

using LD = long double;

// The ordinal a categorical value stands for, or -1 outside 0..150 (NaN
// included); compared in double so that no value overflows.
int32_t OrdinalOf(double v) {
  const double r = Round(v);
  return (r >= 0 && r < kMaxNominalIDs) ? static_cast<int32_t>(r) : -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Covariance-type matrices
// ---------------------------------------------------------------------------

bool TDataTable::CalcCovar(TMatrix* CovarMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                           int32_t HighRow, int32_t Mode) {
  AbortMathProc = false;
  if (CovarMat == nullptr) return false;
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  const int32_t n = HighCol - LowCol + 1;
  if (CovarMat->GetNrOfColumns() < n || CovarMat->GetNrOfRows() < n) return false;
  TDouble2DArray res;
  std::vector<double> means;
  try {
    res.assign(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(n), 0.0));
    means.assign(static_cast<size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  }
  if (Mode == 1)
    for (int32_t i = 0; i < n; ++i) {
      double var = 0;
      MeanVarOfNumCells(LowCol + i, LowRow, LowCol + i, HighRow, means[static_cast<size_t>(i)],
                        var);
    }
  const int32_t nCols = FNrOfCols, nRows = FNrOfRows;
  const auto usable = [this](int32_t c, int32_t r) {
    return (St(c, r) & (kCellNoNumber | kCellEmpty)) == 0;
  };
  for (int32_t i = 0; i < n; ++i) {
    const int32_t ci = LowCol + i;
    for (int32_t j = 0; j <= i; ++j) {
      const int32_t cj = LowCol + j;
      // Pass 1: the rows used and, for the correlation, the pair means.
      int64_t m = 0;
      LD sx = 0, sy = 0;
      for (int32_t r = LowRow; r <= HighRow; ++r) {
        if (!usable(ci, r) || !usable(cj, r)) continue;
        ++m;
        sx += Val(ci, r);
        sy += Val(cj, r);
      }
      double value = 0;
      if (Mode == 0 || Mode == 1 || Mode == 4) {
        if (m > 1) {
          const LD mx = Mode == 1 ? means[static_cast<size_t>(i)] : 0;
          const LD my = Mode == 1 ? means[static_cast<size_t>(j)] : 0;
          LD acc = 0;
          for (int32_t r = LowRow; r <= HighRow; ++r) {
            if (!usable(ci, r) || !usable(cj, r)) continue;
            const LD x = Val(ci, r), y = Val(cj, r);
            acc += Mode == 4 ? (x - y) * (x - y) : (x - mx) * (y - my);
          }
          value = static_cast<double>(acc / static_cast<LD>(m - 1));
        }
      } else if (Mode == 2 || Mode == 3) {
        if (i == j) {
          value = 1;
        } else if (m > 2) {
          const LD mx = sx / static_cast<LD>(m), my = sy / static_cast<LD>(m);
          LD sxx = 0, syy = 0, sxy = 0;
          for (int32_t r = LowRow; r <= HighRow; ++r) {
            if (!usable(ci, r) || !usable(cj, r)) continue;
            const LD dx = Val(ci, r) - mx, dy = Val(cj, r) - my;
            sxx += dx * dx;
            syy += dy * dy;
            sxy += dx * dy;
          }
          if (sxx != 0 && syy != 0) {
            const LD rr = sxy / (std::sqrt(std::fabs(sxx)) * std::sqrt(std::fabs(syy)));
            value = static_cast<double>(Mode == 3 ? rr * rr : rr);
          }
        }
      }
      res[static_cast<size_t>(i)][static_cast<size_t>(j)] = value;
      res[static_cast<size_t>(j)][static_cast<size_t>(i)] = value;
    }
    ReportProgress();
    if (AbortMathProc) return false;
    // MathFeedBackProc may have changed the table: the cells read are gone.
    if (FNrOfCols != nCols || FNrOfRows != nRows) return false;
  }
  CovarMat->CopyFromArray(res, 0, 0, n - 1, n - 1, 1, 1);
  return true;
}

// ---------------------------------------------------------------------------
// Contingency tables and level counts
// ---------------------------------------------------------------------------

int32_t TDataTable::CreateContingencyTable(int32_t Col1, int32_t Col2, int32_t LowRow,
                                           int32_t HighRow, TInt2DArray& ContTab) const {
  if (!ValidCol(Col1) || !ValidCol(Col2)) return kDTContTabBadColumn;
  if (!IsCategorical(Col1) || !IsCategorical(Col2)) return kDTContTabNotCategorical;
  ClampRowRange(LowRow, HighRow);
  constexpr size_t kSlots = kMaxNominalIDs;
  std::vector<std::array<int32_t, kSlots>> counts(kSlots, std::array<int32_t, kSlots>{});
  bool outOfRange = false, zero = false;
  int32_t A = 0, B = 0;
  for (int32_t r = LowRow; r <= HighRow; ++r) {
    // An empty or invalid cell holds no level, whatever its number says.
    if (((St(Col1, r) | St(Col2, r)) & (kCellNoNumber | kCellEmpty)) != 0) continue;
    const int32_t a = OrdinalOf(Val(Col1, r)), b = OrdinalOf(Val(Col2, r));
    if (a < 0 || b < 0) {
      outOfRange = true;
      continue;
    }
    // Ordinal 0 has no cell in the [a - 1][b - 1] layout the tests of the
    // statistics unit expect; it is reported rather than written below
    // the table.
    if (a == 0 || b == 0) {
      zero = true;
      continue;
    }
    ++counts[static_cast<size_t>(a - 1)][static_cast<size_t>(b - 1)];
    A = std::max(A, a);
    B = std::max(B, b);
  }
  TInt2DArray tab(static_cast<size_t>(A) + 1, TIntArray(static_cast<size_t>(B) + 1, 0));
  for (int32_t i = 0; i < A; ++i)
    for (int32_t j = 0; j < B; ++j) {
      const int32_t v = counts[static_cast<size_t>(i)][static_cast<size_t>(j)];
      tab[static_cast<size_t>(i)][static_cast<size_t>(j)] = v;
      tab[static_cast<size_t>(i)][static_cast<size_t>(B)] += v;
      tab[static_cast<size_t>(A)][static_cast<size_t>(j)] += v;
      tab[static_cast<size_t>(A)][static_cast<size_t>(B)] += v;
    }
  ContTab.swap(tab);
  return outOfRange ? kDTContTabOutOfRange : zero ? kDTContTabOrdinalZero : kDTContTabOk;
}

int32_t TDataTable::ScanForCatValues(int32_t ACol, int32_t LowRow, int32_t HighRow,
                                     TIntArray& OrdList) const {
  if (!ValidCol(ACol)) return -1;
  if (!IsCategorical(ACol)) return 0;
  ClampRowRange(LowRow, HighRow);
  TIntArray counts(kMaxNominalIDs, 0);
  int32_t outside = 0;
  for (int32_t r = LowRow; r <= HighRow; ++r) {
    if ((St(ACol, r) & (kCellNoNumber | kCellEmpty)) != 0) continue;
    const int32_t k = OrdinalOf(Val(ACol, r));
    if (k < 0)
      ++outside;
    else
      ++counts[static_cast<size_t>(k)];
  }
  OrdList.swap(counts);
  return outside;
}

// ---------------------------------------------------------------------------
// Cell search
// ---------------------------------------------------------------------------

int32_t TDataTable::FindCells(double Limit, double Limit2, TCompareMode CompareOp, int32_t LowCol,
                              int32_t LowRow, int32_t HighCol, int32_t HighRow,
                              TInt2DArray& CellList) const {
  constexpr int32_t kMaxHits = 10000;
  TInt2DArray list(2);
  const auto op = static_cast<int32_t>(CompareOp);
  if (op < 0 || op > 7) {
    CellList.swap(list);
    return kDTFindBadOp;
  }
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  int32_t result = 0;
  for (int32_t c = LowCol; c <= HighCol && result >= 0; ++c)
    for (int32_t r = LowRow; r <= HighRow; ++r) {
      const double v = Val(c, r);
      bool hit = false;
      switch (CompareOp) {
        case TCompareMode::cmLT: hit = v < Limit; break;
        case TCompareMode::cmGT: hit = v > Limit; break;
        case TCompareMode::cmLE: hit = v <= Limit; break;
        case TCompareMode::cmGE: hit = v >= Limit; break;
        case TCompareMode::cmEQ: hit = v == Limit; break;
        case TCompareMode::cmNE: hit = v != Limit; break;
        case TCompareMode::cmInRange: hit = Limit <= v && v <= Limit2; break;
        case TCompareMode::cmOutOfRange: hit = v < Limit || v > Limit2; break;
      }
      if (!hit) continue;
      if (list[0].size() == static_cast<size_t>(kMaxHits)) {
        result = kDTFindTooManyHits;
        break;
      }
      list[0].push_back(c);
      list[1].push_back(r);
    }
  CellList.swap(list);
  return result < 0 ? result : static_cast<int32_t>(CellList[0].size());
}

// ---------------------------------------------------------------------------
// Fingerprints
// ---------------------------------------------------------------------------

namespace {

struct TCrcLanes {
  std::array<uint32_t, 8> Reg{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                              0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  void Feed(size_t Lane, uint8_t Byte) { Reg[Lane % 8] = CalcNextCRC32(Byte, Reg[Lane % 8]); }
  // The low bytes of the UTF-16 code units, unit k into register k mod 8.
  void FeedText(const std::string& Text) {
    const std::vector<uint16_t> units = Utf8ToUtf16(Text);
    for (size_t k = 0; k < units.size(); ++k) Feed(k, static_cast<uint8_t>(units[k] & 0xFFu));
  }
  std::string Text() const {
    std::string out;
    char buf[9];
    for (const uint32_t r : Reg) {
      std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(~r));
      out += buf;
    }
    return out;
  }
};

}  // namespace

std::string TDataTable::CRCofNamesAndAttributes() const {
  TCrcLanes crc;
  crc.FeedText(FComment);
  for (const auto& name : FColName) crc.FeedText(name);
  for (size_t s = 0; s < FColAtt.size(); ++s)
    crc.Feed(s, static_cast<uint8_t>(static_cast<uint32_t>(FColAtt[s]) & 0xFFu));
  for (const auto& name : FRowName) crc.FeedText(name);
  for (size_t s = 0; s < FRowAtt.size(); ++s)
    crc.Feed(s, static_cast<uint8_t>(static_cast<uint32_t>(FRowAtt[s]) & 0xFFu));
  for (size_t s = 0; s < FVType.size(); ++s)
    crc.Feed(s, static_cast<uint8_t>(FVType[s].MScaleType));
  for (const auto& type : FVType)
    for (const auto& id : type.NominalIDs)
      if (!id.empty()) crc.FeedText(id);
  return crc.Text();
}

std::string TDataTable::CRCofCellStates() const {
  TCrcLanes crc;
  for (const auto& col : FCState)
    for (size_t r = 0; r < col.size(); ++r) crc.Feed(r, col[r]);
  return crc.Text();
}

// ---------------------------------------------------------------------------
// Long format
// ---------------------------------------------------------------------------

bool TDataTable::Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers) {
  MatrixResized();  // in step with a matrix resized behind the table's back
  const int32_t C = FNrOfCols, R = FNrOfRows;
  // Both limits are checked before anything changes: a table cut off in
  // the middle of the rebuild would be worse than none.
  if (ColHeadsAsVar && C > kMaxNominalIDs - 1) return false;
  const int64_t rows = int64_t{C} * R;
  if (rows > INT32_MAX) return false;
  const int32_t nc = (ColHeadsAsVar ? 1 : 0) + (IncludeColRowNumbers ? 2 : 0) + 1;
  const auto nr = static_cast<size_t>(rows);
  const TMScaleType dataType = FindHighestMLevel(1, C);
  TLayout L;
  try {
    L.Vals.assign(static_cast<size_t>(nc), TDoubleArray(nr, 0.0));
    L.States.assign(static_cast<size_t>(nc), std::vector<uint8_t>(nr, 0));
    L.ColAtt.assign(static_cast<size_t>(nc), 0);
    L.Types.assign(static_cast<size_t>(nc), TVTypeSpec{});
    L.RowNames.resize(nr);
    L.RowAtt.assign(nr, 0);
    L.HasVals = true;
    size_t col = 0;
    if (ColHeadsAsVar) {
      L.ColNames.push_back("(column)");
      L.Types[col].MScaleType = TMScaleType::stNominal;
      for (int32_t c = 1; c <= C; ++c)
        L.Types[col].NominalIDs[static_cast<size_t>(c)] = Utf8Truncate(
            FColName[static_cast<size_t>(c - 1)] + ":" + std::to_string(c), kMaxNominalIDLength);
      ++col;
    }
    if (IncludeColRowNumbers) {
      L.ColNames.push_back("(col. index)");
      L.ColNames.push_back("(row index)");
      col += 2;
    }
    L.ColNames.push_back("(data)");
    L.Types[col].MScaleType = dataType;
    const auto& mat = FData->GetMat();
    size_t k = 0;
    for (int32_t c = 1; c <= C; ++c)
      for (int32_t r = 1; r <= R; ++r, ++k) {
        size_t j = 0;
        if (ColHeadsAsVar) L.Vals[j++][k] = c;
        if (IncludeColRowNumbers) {
          L.Vals[j++][k] = c;
          L.Vals[j++][k] = r;
        }
        L.Vals[j][k] = mat[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
        L.States[j][k] = St(c, r);
        L.RowNames[k] = FRowName[static_cast<size_t>(r - 1)];
        L.RowAtt[k] = FRowAtt[static_cast<size_t>(r - 1)];
      }
  } catch (const std::bad_alloc&) {
    Fail("not enough memory on heap");
  } catch (const std::length_error&) {
    Fail("not enough memory on heap");
  }
  ApplyLayout(L);
  FireAllChanges();
  if (OnResize) OnResize(this, C, R, FNrOfCols, FNrOfRows);
  return true;
}

}  // namespace zel
