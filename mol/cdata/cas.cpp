// CAS registry numbers: check digit, hyphenated text and its parser.
#include <charconv>
#include <string>

#include "core/zel_stringl.hpp"
#include "mol/cdata/zel_cdata.hpp"

namespace zel {

bool CheckCASNr(int64_t CASNr) {
  if (CASNr < 0) return false;
  const int64_t check = CASNr % 10;
  int64_t rest = CASNr / 10;
  int64_t sum = 0;
  for (int64_t weight = 1; rest > 0; ++weight, rest /= 10) sum += weight * (rest % 10);
  return sum % 10 == check;
}

std::string FormatCASNr(int64_t CASNr) {
  if (CASNr < 0) return "";
  std::string digits = std::to_string(CASNr);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  const size_t n = digits.size();
  return digits.substr(0, n - 3) + "-" + digits.substr(n - 3, 2) + "-" + digits.substr(n - 1);
}

bool ConvertStrToCASNr(std::string_view Text, int64_t& CASNr) {
  CASNr = 0;
  const std::string s = StripLTBlanks(Text);
  const size_t n = s.size();
  // Shape: digits "-" digit digit "-" digit, the first group non-empty.
  if (n < 6 || s[n - 2] != '-' || s[n - 5] != '-') return false;
  std::string digits;
  digits.reserve(n - 2);
  for (size_t i = 0; i < n; ++i) {
    if (i == n - 2 || i == n - 5) continue;
    if (s[i] < '0' || s[i] > '9') return false;
    digits.push_back(s[i]);
  }
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return false;
  CASNr = value;
  return CheckCASNr(value);
}

}  // namespace zel
