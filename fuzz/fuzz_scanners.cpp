// The number scanners and validators. Checks: Pos stays inside the text and
// does not move when nothing was read; a validator agrees with its scanner;
// integers read back from their own text; ScanFPNum rounds as strtod does.
#include <clocale>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_util_impl.hpp"
#include "num/math1/zel_math1.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

void CheckPos(int32_t was, int32_t pos, size_t size, bool read, const char* what) {
  if (!read) {
    Require(pos == was, std::string(what) + ": Pos moved although nothing was read");
  } else {
    Require(pos > was && pos <= static_cast<int32_t>(size) + 1,
            std::string(what) + ": Pos outside the text");
  }
}

template <class Scan, class Valid>
void IntScanner(const std::string& text, int32_t start, Scan scan, Valid valid, const char* what) {
  int32_t pos = start;
  const int32_t v = scan(text, pos);
  CheckPos(start, pos, text.size(), pos != start, what);
  if (start != 1) return;
  // The validator says yes exactly when the scanner reads the whole text
  // (blanks at the ends aside).
  const size_t last = text.find_last_not_of(" \t");
  const bool whole =
      pos != start && last != std::string::npos && static_cast<size_t>(pos) == last + 2;
  Require(valid(text) == whole, std::string(what) + ": validator and scanner disagree");
  (void)v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const std::string text = AsText(Data, Size);
  const int32_t start = Size > 0 ? 1 + Data[0] % 4 : 1;

  IntScanner(text, start, ScanDecimal, IsValidDecInt, "ScanDecimal");
  IntScanner(text, start, ScanHex, IsValidHex, "ScanHex");
  IntScanner(text, start, ScanOctal, IsValidOct, "ScanOctal");
  IntScanner(text, start, ScanBin, IsValidBin, "ScanBin");
  {
    int32_t pos = 1;
    const int32_t v = ScanDecimal(text, pos);
    if (pos != 1) {
      const std::string back = std::to_string(v);
      int32_t p2 = 1;
      Require(ScanDecimal(back, p2) == v && p2 == static_cast<int32_t>(back.size()) + 1,
              "ScanDecimal: its own value does not read back");
    }
    pos = 1;
    const int32_t h = ScanHex(text, pos);
    if (pos != 1) {
      const std::string back = Hex(h, 8);
      int32_t p2 = 1;
      Require(ScanHex(back, p2) == h, "ScanHex: Hex of its value does not read back");
    }
  }
  for (int32_t sep = 0; sep <= 2; ++sep) {
    for (const bool exp : {true, false}) {
      int32_t pos = start;
      const double v = ScanFPNum(text, exp, sep, pos);
      CheckPos(start, pos, text.size(), pos != start, "ScanFPNum");
      if (pos == start) {
        Require(v == 0, "ScanFPNum: no number but a value");
        continue;
      }
      // The correctly rounded value of the text read, as the C library
      // (in the "C" locale) gives it.
      std::string read =
          text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(pos - start));
      for (char& ch : read)
        if (ch == ',') ch = '.';
      if (read.find_first_of("xXnNiI") == std::string::npos) {
        const double ref = std::strtod(read.c_str(), nullptr);
        Require(SameValue(v, ref), "ScanFPNum: value differs from the correctly rounded one");
      }
    }
    if (sep == 0) {
      int32_t pos = 1;
      (void)ScanFPNum(text, true, 0, pos);
      const size_t last = text.find_last_not_of(" \t");
      const bool whole =
          pos != 1 && last != std::string::npos && static_cast<size_t>(pos) == last + 2;
      Require(IsValidFPNum(text, TDecPSep::dpsPoint) == whole,
              "IsValidFPNum and ScanFPNum disagree");
    }
  }
  {
    int32_t pos = start, format = 0;
    const double d = ScanDegrees(text, pos, (Size & 1) != 0, format);
    CheckPos(start, pos, text.size(), format != -1, "ScanDegrees");
    Require(format >= -1 && format <= 3, "ScanDegrees: format outside -1..3");
    if (format == -1) Require(d == 0, "ScanDegrees: no angle but a value");
  }
  {
    // The text up to the first '|' is the format, the rest the date.
    const size_t bar = text.find('|');
    if (bar != std::string::npos) {
      const std::string fmt = text.substr(0, bar), date = text.substr(bar + 1);
      for (const auto lang : {TLanguage::lanEnglish, TLanguage::lanGerman}) {
        int32_t pos = 1;
        const double t = ScanDateTime(date, fmt, lang, pos);
        if (pos == 1) Require(t == 0, "ScanDateTime: nothing read but a value");
        Require(pos >= 1 && pos <= static_cast<int32_t>(date.size()) + 1,
                "ScanDateTime: Pos outside the text");
      }
    }
  }
  return 0;
}
