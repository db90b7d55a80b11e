// The operator vocabulary of the unit's expressions and the variable names
// of an expression.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "num/analysis/zel_regression.hpp"

namespace zel {

namespace {

constexpr std::array<std::pair<std::string_view, TOperator>, 22> kWords{{
    {"abs", TOperator::opAbs},       {"sqrt", TOperator::opSqrt}, {"sqr", TOperator::opSqr},
    {"exp", TOperator::opExp},       {"ln", TOperator::opLn},     {"log", TOperator::opLog},
    {"sin", TOperator::opSin},       {"cos", TOperator::opCos},   {"tan", TOperator::opTan},
    {"arctan", TOperator::opArcTan}, {"min", TOperator::opMin},   {"max", TOperator::opMax},
    {"not", TOperator::opNot},       {"and", TOperator::opAnd},   {"or", TOperator::opOr},
    {"xor", TOperator::opXor},       {"+", TOperator::opAdd},     {"-", TOperator::opSub},
    {"*", TOperator::opMult},        {"/", TOperator::opDiv},     {"^", TOperator::opPower},
    {",", TOperator::opComma},
}};

constexpr std::array<std::pair<std::string_view, TOperator>, 8> kSymbols{{
    {"(", TOperator::opOpenPar},
    {")", TOperator::opClosePar},
    {"=", TOperator::opEqual},
    {"<>", TOperator::opNotEqual},
    {"<", TOperator::opLess},
    {"<=", TOperator::opLessEq},
    {">", TOperator::opGreater},
    {">=", TOperator::opGreaterEq},
}};

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// Length of the number literal starting at s[i] (digits with an optional
// point, or a point followed by digits; then an optional exponent that
// needs at least one digit), 0 when none starts there.
size_t NumberLength(std::string_view s, size_t i) {
  size_t j = i, digits = 0;
  while (j < s.size() && IsDigit(s[j])) ++j, ++digits;
  if (j < s.size() && s[j] == '.') {
    ++j;
    while (j < s.size() && IsDigit(s[j])) ++j, ++digits;
  }
  if (digits == 0) return 0;
  if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
    size_t k = j + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    if (k < s.size() && IsDigit(s[k])) {
      while (k < s.size() && IsDigit(s[k])) ++k;
      j = k;
    }
  }
  return j - i;
}

size_t NameLength(std::string_view s, size_t i) {
  if (i >= s.size() || !IsAlpha(s[i])) return 0;
  size_t j = i + 1;
  while (j < s.size() && (IsAlpha(s[j]) || IsDigit(s[j]))) ++j;
  return j - i;
}

}  // namespace

TOperator OperatorOfToken(const std::string& Token) {
  if (Token.empty()) return TOperator::opNone;
  const std::string low = Lower(Token);
  for (const auto& [text, op] : kWords)
    if (low == text) return op;
  for (const auto& [text, op] : kSymbols)
    if (Token == text) return op;
  if (NumberLength(Token, 0) == Token.size()) return TOperator::opNumber;
  if (NameLength(Token, 0) == Token.size()) return TOperator::opListElem;
  return TOperator::opNone;
}

int32_t ExtractVarNames(const std::string& Expr, TStrArray& VarNames) {
  VarNames.clear();
  const std::string_view s(Expr);
  size_t i = 0;
  while (i < s.size()) {
    if (const size_t len = NumberLength(s, i); len > 0) {
      i += len;
      continue;
    }
    if (const size_t len = NameLength(s, i); len > 0) {
      const std::string name(s.substr(i, len));
      i += len;
      if (OperatorOfToken(name) != TOperator::opListElem) continue;
      if (std::find(VarNames.begin(), VarNames.end(), name) == VarNames.end())
        VarNames.push_back(name);
      continue;
    }
    ++i;
  }
  return static_cast<int32_t>(VarNames.size());
}

}  // namespace zel
