// Data tables: values and levels, names and attributes, cell states.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/zel_stringl.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

// The ordinal a categorical value stands for, or -1 outside 0..150 (NaN
// included); the comparison stays in double so no value can overflow.
int32_t OrdinalOf(double v) {
  const double r = Round(v);
  return (r >= 0 && r < kMaxNominalIDs) ? static_cast<int32_t>(r) : -1;
}

bool ValidScale(TMScaleType t) {
  return static_cast<int32_t>(t) >= 0 && static_cast<int32_t>(t) <= 4;
}

}  // namespace

// ---------------------------------------------------------------------------
// Values and levels
// ---------------------------------------------------------------------------

double TDataTable::GetElem(int32_t ACol, int32_t ARow) const {
  if (!ValidCol(ACol) || !ValidRow(ARow)) return 0;
  const double v = Val(ACol, ARow);
  return IsCategorical(ACol) ? Round(v) : v;
}

void TDataTable::SetElem(int32_t ACol, int32_t ARow, double Value) {
  if (!ValidCol(ACol) || !ValidRow(ARow)) return;
  FData->SetVal(ACol, ARow, Value);  // the matrix's OnChange reaches ChangedData
}

std::string TDataTable::GetElemNominal(int32_t ACol, int32_t ARow) const {
  if (!ValidRow(ARow) || !IsCategorical(ACol)) return {};
  const double v = Val(ACol, ARow);
  const int32_t ord = OrdinalOf(v);
  if (ord >= 0) return FVType[static_cast<size_t>(ACol - 1)].NominalIDs[static_cast<size_t>(ord)];
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::isfinite(v) ? Round(v) : v);
  return Utf8Truncate(std::string_view(buf, static_cast<size_t>(res.ptr - buf)),
                      kMaxNominalIDLength);
}

// The slot of Level in column Col: the known one (case folded) or the first
// empty one, which then receives it (Added). -1 when the level is new and no
// slot is free.
int32_t TDataTable::LevelSlot(int32_t Col, const std::string& Level, bool& Added) {
  Added = false;
  auto& ids = FVType[static_cast<size_t>(Col - 1)].NominalIDs;
  const std::string key = LowerCaseAscii(Level);
  int32_t empty = -1;
  for (int32_t k = 0; k < kMaxNominalIDs; ++k) {
    const std::string& id = ids[static_cast<size_t>(k)];
    if (id.empty()) {
      if (empty < 0) empty = k;
    } else if (LowerCaseAscii(id) == key) {
      return k;
    }
  }
  if (empty >= 0) {
    ids[static_cast<size_t>(empty)] = Level;
    Added = true;
  }
  return empty;
}

void TDataTable::SetElemNominal(int32_t ACol, int32_t ARow, const std::string& Value) {
  if (!ValidCol(ACol) || !ValidRow(ARow) || Value.empty()) return;
  const std::string level = Utf8Truncate(Value, kMaxNominalIDLength);
  bool added = false;
  const int32_t ord = LevelSlot(ACol, level, added);
  if (ord < 0) Fail("number of available nominal values exceeded");
  auto& type = FVType[static_cast<size_t>(ACol - 1)].MScaleType;
  const bool retype = !IsCategorical(ACol);
  if (retype) type = TMScaleType::stNominal;
  if (added || retype) ChangedSetup();
  SetElem(ACol, ARow, ord);
}

int32_t TDataTable::OrdinalOfNominalID(int32_t Col, const std::string& ID, bool IgnoreCase) const {
  if (ID.empty() || !IsCategorical(Col)) return -1;
  const auto& ids = FVType[static_cast<size_t>(Col - 1)].NominalIDs;
  const std::string key = IgnoreCase ? LowerCaseAscii(ID) : ID;
  for (int32_t k = 0; k < kMaxNominalIDs; ++k) {
    const std::string& id = ids[static_cast<size_t>(k)];
    if (!id.empty() && (IgnoreCase ? LowerCaseAscii(id) : id) == key) return k;
  }
  return -1;
}

int32_t TDataTable::AddNominalID(int32_t Col, const std::string& MScaleID) {
  if (!ValidCol(Col) || MScaleID.empty()) return -1;
  bool added = false;
  const int32_t ord = LevelSlot(Col, Utf8Truncate(MScaleID, kMaxNominalIDLength), added);
  if (ord < 0) return -1;
  const bool retype = !IsCategorical(Col);
  if (retype) FVType[static_cast<size_t>(Col - 1)].MScaleType = TMScaleType::stNominal;
  if (added || retype) ChangedSetup();
  return ord;
}

std::string TDataTable::GetNominalID(int32_t ColIx, int32_t OrdVal) const {
  if (!ValidCol(ColIx) || OrdVal < 0 || OrdVal >= kMaxNominalIDs) return {};
  return FVType[static_cast<size_t>(ColIx - 1)].NominalIDs[static_cast<size_t>(OrdVal)];
}

void TDataTable::SetNominalID(int32_t ColIx, int32_t OrdVal, const std::string& MScaleID) {
  if (!ValidCol(ColIx) || OrdVal < 0 || OrdVal >= kMaxNominalIDs) return;
  if (!MScaleID.empty() && !IsCategorical(ColIx)) return;
  std::string& slot =
      FVType[static_cast<size_t>(ColIx - 1)].NominalIDs[static_cast<size_t>(OrdVal)];
  const std::string level = Utf8Truncate(MScaleID, kMaxNominalIDLength);
  if (slot == level) return;
  slot = level;
  ChangedSetup();
}

void TDataTable::ClearNominalIDs(int32_t Col) {
  if (!ValidCol(Col)) return;
  for (auto& id : FVType[static_cast<size_t>(Col - 1)].NominalIDs) id.clear();
  ChangedSetup();
}

int32_t TDataTable::CountNominalIDs(int32_t Col) const {
  if (!ValidCol(Col)) return 0;
  const auto& ids = FVType[static_cast<size_t>(Col - 1)].NominalIDs;
  return static_cast<int32_t>(
      std::count_if(ids.begin(), ids.end(), [](const std::string& s) { return !s.empty(); }));
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray out;
  for (int32_t c = 1; c <= FNrOfCols; ++c)
    if (IsCategorical(c)) out.push_back(c);
  return out;
}

TMScaleType TDataTable::GetMScaleType(int32_t ColNr) const {
  return ValidCol(ColNr) ? FVType[static_cast<size_t>(ColNr - 1)].MScaleType
                         : TMScaleType::stUnknown;
}

void TDataTable::SetMScaleType(int32_t ColNr, TMScaleType MScaleType) {
  if (!ValidCol(ColNr) || !ValidScale(MScaleType)) return;
  auto& t = FVType[static_cast<size_t>(ColNr - 1)].MScaleType;
  if (t == MScaleType) return;
  t = MScaleType;
  ChangedSetup();
}

TMScaleType TDataTable::FindHighestMLevel(int32_t FirstCol, int32_t LastCol) const {
  ClampColRange(FirstCol, LastCol);
  auto best = TMScaleType::stNominal;
  for (int32_t c = FirstCol; c <= LastCol; ++c)
    best = std::max(best, FVType[static_cast<size_t>(c - 1)].MScaleType);
  return best;
}

TMScaleType TDataTable::FindLowestMLevel(int32_t FirstCol, int32_t LastCol) const {
  ClampColRange(FirstCol, LastCol);
  auto best = TMScaleType::stRatio;
  for (int32_t c = FirstCol; c <= LastCol; ++c)
    best = std::min(best, FVType[static_cast<size_t>(c - 1)].MScaleType);
  return best;
}

// ---------------------------------------------------------------------------
// Names and attributes
// ---------------------------------------------------------------------------

std::string TDataTable::GetColName(int32_t ColNr) const {
  return ValidCol(ColNr) ? FColName[static_cast<size_t>(ColNr - 1)] : std::string();
}

void TDataTable::SetColName(int32_t ColNr, const std::string& Value) {
  if (!ValidCol(ColNr)) return;
  std::string name = Utf8Truncate(Value, kMaxDTNameLength);
  if (FColName[static_cast<size_t>(ColNr - 1)] == name) return;
  FColName[static_cast<size_t>(ColNr - 1)] = std::move(name);
  ChangedNames();
}

std::string TDataTable::GetRowName(int32_t RowNr) const {
  return ValidRow(RowNr) ? FRowName[static_cast<size_t>(RowNr - 1)] : std::string();
}

void TDataTable::SetRowName(int32_t RowNr, const std::string& Value) {
  if (!ValidRow(RowNr)) return;
  std::string name = Utf8Truncate(Value, kMaxDTNameLength);
  if (FRowName[static_cast<size_t>(RowNr - 1)] == name) return;
  FRowName[static_cast<size_t>(RowNr - 1)] = std::move(name);
  ChangedNames();
}

namespace {

int32_t LongestName(const std::vector<std::string>& names) {
  int32_t m = 0;
  for (const auto& s : names)
    m = std::max(m, static_cast<int32_t>(std::min<int64_t>(Utf8CharCount(s), INT32_MAX)));
  return m;
}

int32_t FindName(const std::vector<std::string>& names, const std::string& id) {
  const std::string key = UpperCaseAscii(StripLTBlanks(id));
  for (size_t i = 0; i < names.size(); ++i)
    if (UpperCaseAscii(StripLTBlanks(names[i])) == key) return static_cast<int32_t>(i) + 1;
  return 0;
}

// The extreme of a[lo - 1 .. hi - 1] and the first 1-based index holding it.
int32_t ExtremeAttrib(const TIntArray& a, int32_t lo, int32_t hi, bool Max, int32_t& ix) {
  ix = lo;
  int32_t best = a[static_cast<size_t>(lo - 1)];
  for (int32_t i = lo + 1; i <= hi; ++i) {
    const int32_t v = a[static_cast<size_t>(i - 1)];
    if (Max ? v > best : v < best) {
      best = v;
      ix = i;
    }
  }
  return best;
}

int32_t AttribLevels(const TIntArray& a, int32_t lo, int32_t hi) {
  std::array<bool, 256> seen{};
  int32_t n = 0;
  for (int32_t i = lo; i <= hi; ++i) {
    const int32_t v = a[static_cast<size_t>(i - 1)];
    if (v < 0 || v > 255) continue;  // only 0..255 have a counter
    if (!seen[static_cast<size_t>(v)]) {
      seen[static_cast<size_t>(v)] = true;
      ++n;
    }
  }
  return n;
}

}  // namespace

int32_t TDataTable::MaxColNameLength() const { return LongestName(FColName); }
int32_t TDataTable::MaxRowNameLength() const { return LongestName(FRowName); }
int32_t TDataTable::FindColIndex(const std::string& ColID) const {
  return FindName(FColName, ColID);
}
int32_t TDataTable::FindRowIndex(const std::string& RowID) const {
  return FindName(FRowName, RowID);
}

int32_t TDataTable::GetRowAttrib(int32_t RowNr) const {
  return ValidRow(RowNr) ? FRowAtt[static_cast<size_t>(RowNr - 1)] : 0;
}

void TDataTable::SetRowAttrib(int32_t RowNr, int32_t Value) {
  if (!ValidRow(RowNr) || FRowAtt[static_cast<size_t>(RowNr - 1)] == Value) return;
  FRowAtt[static_cast<size_t>(RowNr - 1)] = Value;
  ChangedAttrib();
}

int32_t TDataTable::GetColAttrib(int32_t ColNr) const {
  return ValidCol(ColNr) ? FColAtt[static_cast<size_t>(ColNr - 1)] : 0;
}

void TDataTable::SetColAttrib(int32_t ColNr, int32_t Value) {
  if (!ValidCol(ColNr) || FColAtt[static_cast<size_t>(ColNr - 1)] == Value) return;
  FColAtt[static_cast<size_t>(ColNr - 1)] = Value;
  ChangedAttrib();
}

void TDataTable::SetRowAttributes(int32_t Attrib) {
  std::fill(FRowAtt.begin(), FRowAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetRowAttributes(int32_t Attrib, int32_t Mask) {
  for (auto& a : FRowAtt) a = (a & ~Mask) | (Attrib & Mask);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(int32_t Attrib) {
  std::fill(FColAtt.begin(), FColAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(int32_t Attrib, int32_t Mask) {
  for (auto& a : FColAtt) a = (a & ~Mask) | (Attrib & Mask);
  ChangedAttrib();
}

int32_t TDataTable::MaxRowAttrib(int32_t FirstRow, int32_t LastRow, int32_t& RowIx) const {
  ClampRowRange(FirstRow, LastRow);
  return ExtremeAttrib(FRowAtt, FirstRow, LastRow, true, RowIx);
}
int32_t TDataTable::MinRowAttrib(int32_t FirstRow, int32_t LastRow, int32_t& RowIx) const {
  ClampRowRange(FirstRow, LastRow);
  return ExtremeAttrib(FRowAtt, FirstRow, LastRow, false, RowIx);
}
int32_t TDataTable::MaxColAttrib(int32_t FirstCol, int32_t LastCol, int32_t& ColIx) const {
  ClampColRange(FirstCol, LastCol);
  return ExtremeAttrib(FColAtt, FirstCol, LastCol, true, ColIx);
}
int32_t TDataTable::MinColAttrib(int32_t FirstCol, int32_t LastCol, int32_t& ColIx) const {
  ClampColRange(FirstCol, LastCol);
  return ExtremeAttrib(FColAtt, FirstCol, LastCol, false, ColIx);
}
int32_t TDataTable::RowAttribLevels(int32_t FirstRow, int32_t LastRow) const {
  ClampRowRange(FirstRow, LastRow);
  return AttribLevels(FRowAtt, FirstRow, LastRow);
}
int32_t TDataTable::ColAttribLevels(int32_t FirstCol, int32_t LastCol) const {
  ClampColRange(FirstCol, LastCol);
  return AttribLevels(FColAtt, FirstCol, LastCol);
}

// ---------------------------------------------------------------------------
// Cell states
// ---------------------------------------------------------------------------

uint8_t TDataTable::GetCellState(int32_t ACol, int32_t ARow) const {
  return ValidCol(ACol) && ValidRow(ARow) ? St(ACol, ARow) : uint8_t{0};
}

void TDataTable::SetCellState(int32_t ACol, int32_t ARow, uint8_t Value) {
  if (!ValidCol(ACol) || !ValidRow(ARow) || St(ACol, ARow) == Value) return;
  St(ACol, ARow) = Value;
  ChangedCellStates();
}

bool TDataTable::GetIsEmpty(int32_t ACol, int32_t ARow) const {
  return (GetCellState(ACol, ARow) & kCellEmpty) != 0;
}

void TDataTable::SetIsEmpty(int32_t ACol, int32_t ARow, bool Value) {
  if (!ValidCol(ACol) || !ValidRow(ARow)) return;
  St(ACol, ARow) =
      static_cast<uint8_t>(Value ? St(ACol, ARow) | kCellEmpty : St(ACol, ARow) & ~kCellEmpty);
  ChangedData();
}

bool TDataTable::GetIsImputed(int32_t ACol, int32_t ARow) const {
  return (GetCellState(ACol, ARow) & kCellImputed) != 0;
}

void TDataTable::SetIsImputed(int32_t ACol, int32_t ARow, bool Value) {
  if (!ValidCol(ACol) || !ValidRow(ARow)) return;
  St(ACol, ARow) =
      static_cast<uint8_t>(Value ? St(ACol, ARow) | kCellImputed : St(ACol, ARow) & ~kCellImputed);
  ChangedData();
}

bool TDataTable::GetIsNumber(int32_t ACol, int32_t ARow) const {
  return ValidCol(ACol) && ValidRow(ARow) && (St(ACol, ARow) & (kCellNoNumber | kCellEmpty)) == 0;
}

void TDataTable::SetAllCellStates(uint8_t CellState) {
  for (auto& col : FCState) std::fill(col.begin(), col.end(), CellState);
  ChangedCellStates();
}

void TDataTable::UnmarkAllCells() {
  for (auto& col : FCState)
    for (auto& s : col) s = static_cast<uint8_t>(s & ~(kCellMark1 | kCellMark2));
  ChangedCellStates();
}

void TDataTable::InvertCellStates(uint8_t StateMask) {
  for (auto& col : FCState)
    for (auto& s : col) s = static_cast<uint8_t>(s ^ StateMask);
  ChangedCellStates();
}

void TDataTable::ExchangeMarkings() {
  for (auto& col : FCState)
    for (auto& s : col) {
      const auto m1 = static_cast<uint8_t>(s & kCellMark1);
      const auto m2 = static_cast<uint8_t>(s & kCellMark2);
      s = static_cast<uint8_t>((s & ~(kCellMark1 | kCellMark2)) | (m1 << 1) | (m2 >> 1));
    }
  ChangedCellStates();
}

void TDataTable::SetCellStates(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                               uint8_t CellState, TLogicOp LogicOp) {
  const auto op = static_cast<int32_t>(LogicOp);
  if (op < 0 || op > 5) return;
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  const uint8_t b = CellState;
  const auto nb = static_cast<uint8_t>(~CellState);
  for (int32_t c = LowCol; c <= HighCol; ++c)
    for (int32_t r = LowRow; r <= HighRow; ++r) {
      uint8_t& s = St(c, r);
      switch (LogicOp) {
        case TLogicOp::loAnd: s = static_cast<uint8_t>(s & b); break;
        case TLogicOp::loOr: s = static_cast<uint8_t>(s | b); break;
        case TLogicOp::loXor: s = static_cast<uint8_t>(s ^ b); break;
        case TLogicOp::loAndNot: s = static_cast<uint8_t>(s & nb); break;
        case TLogicOp::loOrNot: s = static_cast<uint8_t>(s | nb); break;
        case TLogicOp::loXorNot: s = static_cast<uint8_t>(s ^ nb); break;
      }
    }
  ChangedCellStates();
}

bool TDataTable::IfRowHasCellState(int32_t Row, uint8_t CellState) const {
  if (!ValidRow(Row)) return false;
  uint8_t acc = 0;
  for (int32_t c = 1; c <= FNrOfCols; ++c) acc = static_cast<uint8_t>(acc | St(c, Row));
  return (acc & CellState) != 0;
}

bool TDataTable::IfColHasCellState(int32_t Col, uint8_t CellState) const {
  if (!ValidCol(Col)) return false;
  uint8_t acc = 0;
  for (const uint8_t s : FCState[static_cast<size_t>(Col - 1)]) acc = static_cast<uint8_t>(acc | s);
  return (acc & CellState) != 0;
}

bool TDataTable::IfAnyCellHasCellState(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                       int32_t HighRow, uint8_t CellState) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  for (int32_t c = LowCol; c <= HighCol; ++c)
    for (int32_t r = LowRow; r <= HighRow; ++r)
      if ((St(c, r) & CellState) != 0) return true;
  return false;
}

int32_t TDataTable::CountMarkedCellsInRow(int32_t Row, uint8_t StateMask) const {
  if (!ValidRow(Row)) return 0;
  int32_t n = 0;
  for (int32_t c = 1; c <= FNrOfCols; ++c) n += MarkedCell(c, Row, StateMask) ? 1 : 0;
  return n;
}

int32_t TDataTable::CountMarkedCellsInColumn(int32_t Col, uint8_t StateMask) const {
  if (!ValidCol(Col)) return 0;
  int32_t n = 0;
  for (int32_t r = 1; r <= FNrOfRows; ++r) n += MarkedCell(Col, r, StateMask) ? 1 : 0;
  return n;
}

int64_t TDataTable::FillMarkedCells(double Value, uint8_t StateMask) {
  int64_t n = 0;
  TChangeSuppressor sup(*this);
  for (int32_t c = 1; c <= FNrOfCols; ++c)
    for (int32_t r = 1; r <= FNrOfRows; ++r)
      if ((St(c, r) & StateMask) != 0) {
        FData->SetVal(c, r, Value);
        ++n;
      }
  sup.Finish();
  return n;
}

namespace {
template <class Pred>
int64_t CountCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow, Pred pred) {
  int64_t n = 0;
  for (int32_t c = LowCol; c <= HighCol; ++c)
    for (int32_t r = LowRow; r <= HighRow; ++r) n += pred(c, r) ? 1 : 0;
  return n;
}
}  // namespace

int64_t TDataTable::CountEmptyCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [this](int32_t c, int32_t r) { return (St(c, r) & kCellEmpty) != 0; });
}

int64_t TDataTable::CountImputedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                      int32_t HighRow) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [this](int32_t c, int32_t r) { return (St(c, r) & kCellImputed) != 0; });
}

int64_t TDataTable::CountNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                  int32_t HighRow) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [this](int32_t c, int32_t r) { return NumericCell(c, r); });
}

int64_t TDataTable::CountValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow) const {
  ClampColRange(LowCol, HighCol);
  ClampRowRange(LowRow, HighRow);
  return CountCells(LowCol, LowRow, HighCol, HighRow, [this](int32_t c, int32_t r) {
    return (St(c, r) & (kCellNoNumber | kCellEmpty)) == 0;
  });
}

}  // namespace zel
