// The formula model: entries, the element part scanner, the reader with
// parentheses, writing back, weights and comparison.
#include <algorithm>
#include <string>

#include "mol/cdata/zel_cform.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '.'; }

// Accumulators stop growing here: far above every accepted value, far below
// any overflow.
constexpr int32_t kDigitCap = 10'000'000;

int32_t AddDigit(int32_t Acc, char Digit) { return std::min(kDigitCap, Acc * 10 + (Digit - '0')); }

// How a scan ended: a part, nothing at all (only blanks and skipped
// characters before the end or a parenthesis), or something unreadable.
enum class TScanEnd { Part, Nothing, Unreadable };

struct TScanResult {
  TScanEnd End = TScanEnd::Nothing;
  TFormulaParseError Error = TFormulaParseError::peNone;
  int32_t ErrorPos = 0;
  int32_t PartPos = 0;  // first character of the part (mass or symbol)
  int32_t SymbolPos = 0;
};

int32_t ClassicAtomicNumber(const std::string& Symbol) {
  for (int32_t k = 1; k <= kMaxAtomicNumber; ++k) {
    std::string s = CElemSymb(k);
    std::transform(s.begin(), s.end(), s.begin(), Upper);
    if (s == Symbol) return k;
  }
  return 0;
}

TScanResult ScanPart(std::string_view Text, int32_t& Pos, int32_t& Count, int32_t& Mass,
                     int32_t& AtNum, bool Strict) {
  Count = 0;
  Mass = 0;
  AtNum = 0;
  TScanResult r;
  const auto len = static_cast<int32_t>(Text.size());
  int32_t state = 0;
  int32_t mass = 0;
  int32_t count = 0;
  int32_t massPos = 0, countPos = 0;
  std::string symbol;
  bool symbolTooLong = false;
  int32_t i = Pos;
  while (state != 6 && i <= len) {
    const char raw = Text[static_cast<size_t>(i - 1)];
    const char c = Strict ? raw : Upper(raw);
    if (c == '(' || c == ')') break;
    const bool digit = IsDigit(c);
    const bool letter = IsLetter(c);
    const bool sep = IsSeparator(c);
    const auto addLetter = [&] {
      if (symbol.empty()) r.SymbolPos = i;
      if (symbol.size() < 3)
        symbol.push_back(c);
      else
        symbolTooLong = true;
      state = 3;
    };
    switch (state) {
      case 0:
        if (digit) {
          mass = c - '0';
          massPos = i;
          state = 1;
        } else if (letter) {
          addLetter();
        }
        break;
      case 1:
        if (digit)
          mass = AddDigit(mass, c);
        else if (letter)
          addLetter();
        else if (sep)
          state = 2;
        break;
      case 2:
        if (digit)
          state = 6;
        else if (letter)
          addLetter();
        break;
      case 3:
        if (digit) {
          count = AddDigit(count, c);
          countPos = i;
          state = 5;
        } else if (letter) {
          // Strict: an upper-case letter starts the next symbol.
          if (Strict && c >= 'A' && c <= 'Z')
            state = 6;
          else
            addLetter();
        } else if (sep) {
          state = 4;
        }
        break;
      case 4:
        if (digit) {
          count = AddDigit(count, c);
          countPos = i;
          state = 5;
        } else if (letter) {
          state = 6;
        }
        break;
      case 5:
        if (digit)
          count = AddDigit(count, c);
        else if (letter || sep)
          state = 6;
        break;
      default: break;
    }
    if (state != 6) ++i;
  }
  Pos = i;
  r.PartPos = massPos > 0 ? massPos : r.SymbolPos;
  const auto unreadable = [&](TFormulaParseError e, int32_t at) {
    r.End = TScanEnd::Unreadable;
    r.Error = e;
    r.ErrorPos = at;
    return r;
  };
  // An empty symbol after a mass is a dangling number, not the clean end.
  if (symbol.empty())
    return state == 0 ? r : unreadable(TFormulaParseError::peMissingSymbol, massPos);
  if (mass > kMaxFormulaMass) return unreadable(TFormulaParseError::peMassTooLarge, massPos);
  if (symbolTooLong) return unreadable(TFormulaParseError::peSymbolTooLong, r.SymbolPos);
  int32_t z = 0;
  if (symbol == "D") {
    z = 1;
    if (mass == 0) mass = 2;
  } else {
    z = Strict ? AtomicNumber(symbol) : ClassicAtomicNumber(symbol);
    if (z == 0) return unreadable(TFormulaParseError::peUnknownSymbol, r.SymbolPos);
    if (mass == 0) mass = IntAtWeight(z);
  }
  if (count > kMaxFormulaCount) return unreadable(TFormulaParseError::peCountTooLarge, countPos);
  Count = count == 0 ? 1 : count;
  Mass = mass;
  AtNum = z;
  r.End = TScanEnd::Part;
  return r;
}

// Digits directly at the 1-based position Pos.
bool DigitAt(std::string_view Text, int32_t Pos) {
  return Pos >= 1 && Pos <= static_cast<int32_t>(Text.size()) &&
         IsDigit(Text[static_cast<size_t>(Pos - 1)]);
}

}  // namespace

// ---------------------------------------------------------------------------
// Entries
// ---------------------------------------------------------------------------

TMolFormula::TMolFormula() : FFormulStr("H2O") {
  FEntries.FLeng = 2;
  FEntries.AtNum[0] = 1;
  FEntries.AtWgt[0] = 1;
  FEntries.AtCnt[0] = 2;
  FEntries.AtNum[1] = 8;
  FEntries.AtWgt[1] = 16;
  FEntries.AtCnt[1] = 1;
}

void TMolFormula::SetNumAtoms(int32_t Value) {
  if (Value >= 1 && Value <= kMaxFormulaEntries) FEntries.FLeng = Value;
}

int32_t TMolFormula::GetAtNum(int32_t i) const {
  return (i >= 1 && i <= FEntries.FLeng) ? FEntries.AtNum[static_cast<size_t>(i - 1)] : 0;
}

int32_t TMolFormula::GetAtWgt(int32_t i) const {
  return (i >= 1 && i <= FEntries.FLeng) ? FEntries.AtWgt[static_cast<size_t>(i - 1)] : 0;
}

int32_t TMolFormula::GetAtCnt(int32_t i) const {
  return (i >= 1 && i <= FEntries.FLeng) ? FEntries.AtCnt[static_cast<size_t>(i - 1)] : 0;
}

void TMolFormula::SetAtNum(int32_t i, int32_t Value) {
  if (i >= 1 && i <= FEntries.FLeng && Value >= 1 && Value <= kMaxAtomicNumber)
    FEntries.AtNum[static_cast<size_t>(i - 1)] = static_cast<uint8_t>(Value);
}

void TMolFormula::SetAtWgt(int32_t i, int32_t Value) {
  if (i >= 1 && i <= FEntries.FLeng && Value >= 0 && Value <= 65535)
    FEntries.AtWgt[static_cast<size_t>(i - 1)] = static_cast<uint16_t>(Value);
}

void TMolFormula::SetAtCnt(int32_t i, int32_t Value) {
  if (i >= 1 && i <= FEntries.FLeng && Value >= 0 && Value <= 65535)
    FEntries.AtCnt[static_cast<size_t>(i - 1)] = static_cast<uint16_t>(Value);
}

void TMolFormula::SetFormulaRec(const TFormulaRec& Rec) {
  FEntries = TFormulaRec{};
  const int32_t n = std::clamp(Rec.FLeng, 0, kMaxFormulaEntries);
  for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
    FEntries.AtNum[k] = Rec.AtNum[k];
    FEntries.AtWgt[k] = Rec.AtWgt[k];
    FEntries.AtCnt[k] = Rec.AtCnt[k];
  }
  FEntries.FLeng = n;
}

void TMolFormula::Clear() {
  FFormulStr.clear();
  FEntries = TFormulaRec{};
}

bool TMolFormula::AppendEntry(int32_t AtNum, int32_t Mass, int64_t Count) {
  if (FEntries.FLeng >= kMaxFormulaEntries || Count < 1 || Count > kMaxFormulaCount) return false;
  const auto k = static_cast<size_t>(FEntries.FLeng);
  FEntries.AtNum[k] = static_cast<uint8_t>(AtNum);
  FEntries.AtWgt[k] = static_cast<uint16_t>(Mass);
  FEntries.AtCnt[k] = static_cast<uint16_t>(Count);
  ++FEntries.FLeng;
  return true;
}

// ---------------------------------------------------------------------------
// Reading text
// ---------------------------------------------------------------------------

bool TMolFormula::ScanNextFormPart(std::string_view Text, int32_t& Pos, int32_t& Count,
                                   int32_t& Mass, int32_t& AtNum) {
  return ScanNextFormPart(Text, Pos, Count, Mass, AtNum, false);
}

bool TMolFormula::ScanNextFormPart(std::string_view Text, int32_t& Pos, int32_t& Count,
                                   int32_t& Mass, int32_t& AtNum, bool StrictSymbols) {
  Count = 0;
  Mass = 0;
  AtNum = 0;
  if (Text.size() >= static_cast<size_t>(INT32_MAX)) return false;
  if (Pos < 1 || Pos > static_cast<int32_t>(Text.size()) + 1) return false;
  return ScanPart(Text, Pos, Count, Mass, AtNum, StrictSymbols).End == TScanEnd::Part;
}

void TMolFormula::Fail(TFormulaParseError Error, int32_t Pos) {
  FParseError = Error;
  FParseErrorPos = Pos;
}

void TMolFormula::SetMolFormula(std::string_view Text) {
  FFormulStr = std::string(Text);
  FEntries.FLeng = 0;
  Fail(TFormulaParseError::peNone, 0);
  // Positions are 32-bit; a longer text holds more than 20 parts anyway.
  if (Text.size() >= static_cast<size_t>(INT32_MAX))
    return Fail(TFormulaParseError::peTooManyEntries, 1);
  const auto len = static_cast<int32_t>(Text.size());
  int32_t pos = 1;
  // Beyond the count limit: every part of the group is refused.
  constexpr int64_t kBadMultiplier = int64_t{kMaxFormulaCount} + 1;
  int64_t multiplier = 1;
  // The ")" that closes the group of the last "(" and the multiplier behind
  // it. Every "(" before that ")" finds the same one, so each stretch of
  // the text is searched (and each number read) once.
  size_t close = std::string_view::npos;
  int64_t closeMultiplier = 1;
  bool closeSearched = false;
  while (pos <= len) {
    const char c = Text[static_cast<size_t>(pos - 1)];
    if (c == '(') {
      const auto open = static_cast<size_t>(pos - 1);
      if (!closeSearched || (close != std::string_view::npos && close < open)) {
        closeSearched = true;
        close = Text.find(')', open + 1);
        closeMultiplier = 1;
        if (close != std::string_view::npos) {
          int32_t numPos = static_cast<int32_t>(close) + 2;
          if (DigitAt(Text, numPos)) {
            const int32_t n = ScanDecimal(Text, numPos);
            // ScanDecimal reads no number beyond the int32 range.
            if (numPos == static_cast<int32_t>(close) + 2)
              closeMultiplier = kBadMultiplier;
            else if (n > 0)
              closeMultiplier = n;
          }
        }
      }
      if (close != std::string_view::npos) multiplier = closeMultiplier;
      ++pos;
    } else if (c == ')') {
      multiplier = 1;
      ++pos;
      while (DigitAt(Text, pos)) ++pos;
    } else {
      int32_t count = 0, mass = 0, z = 0;
      const TScanResult r = ScanPart(Text, pos, count, mass, z, FStrictSymbols);
      if (r.End == TScanEnd::Unreadable) return Fail(r.Error, r.ErrorPos);
      // Only blanks or skipped characters up to a parenthesis: go on there.
      if (r.End == TScanEnd::Nothing) continue;
      if (FEntries.FLeng >= kMaxFormulaEntries)
        return Fail(TFormulaParseError::peTooManyEntries, r.PartPos);
      if (!AppendEntry(z, mass, count * multiplier))
        return Fail(TFormulaParseError::peCountTooLarge, r.SymbolPos);
    }
  }
}

bool TMolFormula::TryParse(std::string_view Text) {
  TMolFormula trial(*this);
  trial.SetMolFormula(Text);
  if (trial.LastParseComplete()) {
    FFormulStr = std::move(trial.FFormulStr);
    FEntries = trial.FEntries;
  }
  Fail(trial.FParseError, trial.FParseErrorPos);
  return LastParseComplete();
}

void TMolFormula::ReadFromString(std::string_view Text) {
  FEntries.FLeng = 0;
  Fail(TFormulaParseError::peNone, 0);
  if (Text.size() >= static_cast<size_t>(INT32_MAX))
    return Fail(TFormulaParseError::peTooManyEntries, 1);
  int32_t pos = 1;
  for (;;) {
    int32_t count = 0, mass = 0, z = 0;
    const TScanResult r = ScanPart(Text, pos, count, mass, z, FStrictSymbols);
    if (r.End == TScanEnd::Unreadable) return Fail(r.Error, r.ErrorPos);
    if (r.End == TScanEnd::Nothing) {
      if (pos <= static_cast<int32_t>(Text.size())) Fail(TFormulaParseError::peParenthesis, pos);
      return;
    }
    if (FEntries.FLeng >= kMaxFormulaEntries)
      return Fail(TFormulaParseError::peTooManyEntries, r.PartPos);
    AppendEntry(z, mass, count);
  }
}

std::string FormulaParseErrorText(TFormulaParseError Error) {
  switch (Error) {
    case TFormulaParseError::peUnknownSymbol: return "unknown element symbol";
    case TFormulaParseError::peSymbolTooLong: return "symbol longer than three letters";
    case TFormulaParseError::peMissingSymbol: return "mass without an element symbol";
    case TFormulaParseError::peMassTooLarge: return "isotope mass above 999";
    case TFormulaParseError::peCountTooLarge: return "count above 65535";
    case TFormulaParseError::peTooManyEntries: return "more than 20 parts";
    case TFormulaParseError::peParenthesis: return "parenthesis";
    default: return "";
  }
}

// ---------------------------------------------------------------------------
// Writing text
// ---------------------------------------------------------------------------

std::string TMolFormula::ChemElem(int32_t AtNum, int32_t Mass, int32_t Mode, int32_t Count) {
  if (AtNum < 1 || AtNum > kMaxAtomicNumber || Count < 1) return "";
  std::string s;
  if (Mode == 1) s = std::to_string(Mass);
  s += (AtNum == 1 && Mass == 2) ? std::string("D") : CElemSymb(AtNum);
  if (Count > 1) s += std::to_string(Count);
  return s;
}

std::string TMolFormula::AsString(int32_t Mode) const {
  std::string s;
  bool pendingOne = false;  // the last entry written has an implicit count of 1
  for (int32_t i = 1; i <= FEntries.FLeng; ++i) {
    const std::string e = ChemElem(GetAtNum(i), GetAtWgt(i), Mode, GetAtCnt(i));
    if (e.empty()) continue;
    // With masses in front, "23Na 35Cl" would read back as Na35 Cl: the
    // scanner takes digits after a symbol and a blank as its count. An entry
    // followed by another one therefore writes its count of 1.
    if (pendingOne) s.insert(s.size() - 1, "1");
    s += e + ' ';
    pendingOne = Mode == 1 && GetAtCnt(i) == 1;
  }
  return s;
}

// ---------------------------------------------------------------------------
// Weights
// ---------------------------------------------------------------------------

double TMolFormula::ChemMolWgt() const {
  double sum = 0.0;
  for (int32_t i = 1; i <= FEntries.FLeng; ++i) {
    const int32_t z = GetAtNum(i);
    const double w = ChemAtWeight(z);
    sum += (w > 0.0 ? w : static_cast<double>(IntAtWeight(z))) * GetAtCnt(i);
  }
  return sum;
}

double TMolFormula::ExactMolWgt() const {
  double sum = 0.0;
  for (int32_t i = 1; i <= FEntries.FLeng; ++i)
    sum += IsotopeExactMass(GetAtNum(i), GetAtWgt(i)) * GetAtCnt(i);
  return sum;
}

int64_t TMolFormula::NominalMolWgt() const {
  int64_t sum = 0;
  for (int32_t i = 1; i <= FEntries.FLeng; ++i) sum += int64_t{GetAtWgt(i)} * GetAtCnt(i);
  return sum;
}

// ---------------------------------------------------------------------------
// Comparison
// ---------------------------------------------------------------------------

int32_t TMolFormula::CompareTo(const TMolFormula& Other) const {
  if (FEntries.FLeng < 1 || Other.FEntries.FLeng < 1) return -2;
  struct TPair {
    int32_t AtNum, Mass;
    int64_t Amount;
  };
  std::array<TPair, 2 * kMaxFormulaEntries> pairs{};
  size_t used = 0;
  const auto add = [&](const TFormulaRec& f, int64_t sign) {
    for (size_t k = 0; k < static_cast<size_t>(f.FLeng); ++k) {
      size_t j = 0;
      while (j < used && !(pairs[j].AtNum == f.AtNum[k] && pairs[j].Mass == f.AtWgt[k])) ++j;
      if (j == used) pairs[used++] = TPair{f.AtNum[k], f.AtWgt[k], 0};
      pairs[j].Amount += sign * f.AtCnt[k];
    }
  };
  add(FEntries, 1);
  add(Other.FEntries, -1);
  bool positive = false, negative = false;
  for (size_t j = 0; j < used; ++j) {
    positive = positive || pairs[j].Amount > 0;
    negative = negative || pairs[j].Amount < 0;
  }
  if (!positive && !negative) return 0;
  if (!positive) return 2;
  if (!negative) return 1;
  return -1;
}

}  // namespace zel
