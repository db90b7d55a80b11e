#include "core/zel_stringl.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace zel {
namespace {

TEST(StringCleaning, TrimsBlanksAndTabsOnlyAtBothEnds) {
  EXPECT_EQ(StripLTBlanks(" \t a b \t "), "a b");
  EXPECT_EQ(StripLTBlanks("   "), "");
  EXPECT_EQ(StripLTBlanks("x\r"), "x\r");  // a carriage return is not a blank
  EXPECT_EQ(StripTrailingChars("1.2500", "0"), "1.25");
  EXPECT_EQ(StripTrailingChars("line\r\n\n", "\r\n"), "line");
  EXPECT_EQ(StripTrailingChars("000", "0"), "");
  EXPECT_EQ(StripTrailingChars("abc", ""), "abc");
  EXPECT_EQ(ReplaceCharInString("a\nb\n", '\n', ' '), "a b ");
}

TEST(StringCleaning, RemovesAsciiControlsButKeepsUtf8) {
  EXPECT_EQ(RemoveControlChars("a\tb\r\n\x7F"
                               "c\x01"),
            "abc");
  EXPECT_EQ(RemoveControlChars("\u00B0C \u20AC"), "\u00B0C \u20AC");
  EXPECT_EQ(RemoveControlChars(std::string("a\0b", 3)), "ab");
}

TEST(StringContains, PatternClassesTestForOneCharacterOfTheClass) {
  EXPECT_TRUE(StringContains("value 3", "//dig"));
  EXPECT_FALSE(StringContains("no digits here", "//dig"));
  EXPECT_FALSE(StringContains("", "//dig"));
  EXPECT_TRUE(StringContains("123", "//alpha") == false);
  EXPECT_TRUE(StringContains("12a", "//alpha"));
  EXPECT_TRUE(StringContains("-_-", "//alnum") == false);
  EXPECT_TRUE(StringContains("aB", "//upper"));
  EXPECT_FALSE(StringContains("ab", "//upper"));
  EXPECT_TRUE(StringContains("AB1c", "//lower"));
  EXPECT_TRUE(StringContains("a\tb", "//blank"));
  EXPECT_FALSE(StringContains("ab", "//blank"));
  EXPECT_TRUE(StringContains("a\rb", "//ctrl"));
  // Multi-byte characters belong to no class.
  EXPECT_FALSE(StringContains("\u00E9\u00B2", "//alpha"));
  EXPECT_FALSE(StringContains("\u00B2", "//dig"));
}

TEST(StringContains, OtherPatternsAreCaseSensitiveSubstrings) {
  EXPECT_TRUE(StringContains("a // comment", "//"));
  EXPECT_TRUE(StringContains("see //comment", "//comment"));
  EXPECT_FALSE(StringContains("3 apples", "//DIG"));  // class names are lower case
  EXPECT_TRUE(StringContains("x //DIG y", "//DIG"));
  EXPECT_TRUE(StringContains("Geomap", "map"));
  EXPECT_FALSE(StringContains("Geomap", "Map"));
  EXPECT_TRUE(StringContains("anything", ""));
}

TEST(StringIx, ReturnsOneBasedPositionOfExactMatch) {
  const std::array<std::string, 4> list = {"gelWGS84", "gelBessel", "gelClarke", "gelWGS84"};
  EXPECT_EQ(StringIx("gelWGS84", list, 3), 1);  // the first of two equal entries
  EXPECT_EQ(StringIx("gelClarke", list, 3), 3);
  EXPECT_EQ(StringIx("gelclarke", list, 3), 0);   // case counts
  EXPECT_EQ(StringIx("gelClarke", list, 1), 0);   // beyond HighestIx
  EXPECT_EQ(StringIx("gelClarke", list, 99), 3);  // clamped to the list
  EXPECT_EQ(StringIx("gelWGS84", list, -1), 0);
  EXPECT_EQ(StringIx("", std::span<const std::string>(), 5), 0);
}

TEST(Tokenize, SplitsAtDelimitersWithOrWithoutEmptyTokens) {
  EXPECT_EQ(Tokenize("  a b\t\tc  "), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Tokenize("a;;b;", ";", true), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Tokenize("a;;b;", ";", false), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Tokenize("", ";", true), (std::vector<std::string>{""}));
  EXPECT_TRUE(Tokenize("", ";", false).empty());
  EXPECT_TRUE(Tokenize("   ").empty());
  EXPECT_EQ(Tokenize("a b", ""), (std::vector<std::string>{"a b"}));
}

TEST(ParseQuotedName, ReadsNameAndAdvancesPastClosingQuote) {
  const std::string line = "  \"Col A\" \"\" x";
  int32_t pos = 1;
  std::string name;
  ASSERT_TRUE(ParseQuotedName(line, pos, name));
  EXPECT_EQ(name, "Col A");
  EXPECT_EQ(pos, 10);  // just past the closing quote (1-based)
  ASSERT_TRUE(ParseQuotedName(line, pos, name));
  EXPECT_EQ(name, "");
  EXPECT_EQ(pos, 13);
  EXPECT_FALSE(ParseQuotedName(line, pos, name));  // 'x' is not quoted
  EXPECT_EQ(pos, 13);
  EXPECT_FALSE(ParseQuotedName(line, pos = 100, name));
}

TEST(ParseQuotedName, RejectsUnterminatedNamesWithoutMovingPosition) {
  int32_t pos = 0;  // below 1 counts as 1
  std::string name = "old";
  EXPECT_FALSE(ParseQuotedName("\"open", pos, name));
  EXPECT_EQ(name, "");
  EXPECT_EQ(pos, 0);
  pos = 1;
  EXPECT_FALSE(ParseQuotedName("\"two\nlines\"", pos, name));
  EXPECT_EQ(pos, 1);
}

// --- strff ------------------------------------------------------------------

TEST(Strff, RoundsExactBinaryValueHalvesToEven) {
  EXPECT_EQ(strff(2.5, 1, 0), "2");
  EXPECT_EQ(strff(3.5, 1, 0), "4");
  EXPECT_EQ(strff(-2.5, 1, 0), "-2");
  EXPECT_EQ(strff(0.125, 1, 2), "0.12");  // exact tie
  EXPECT_EQ(strff(0.375, 1, 2), "0.38");  // exact tie
  // Not ties: the stored values lie below and above the printed halves.
  EXPECT_EQ(strff(1.005, 1, 2), "1.00");      // 1.00499999999999989...
  EXPECT_EQ(strff(2.675, 1, 2), "2.67");      // 2.67499999999999982...
  EXPECT_EQ(strff(-0.0005, 1, 3), "-0.001");  // -0.000500000000000000010...
  EXPECT_EQ(strff(0.1, 1, 20), "0.10000000000000000555");
  EXPECT_EQ(strff(1e22, 1, 0), "10000000000000000000000");
  EXPECT_EQ(strff(123456789012345678.0, 1, 1), "123456789012345680.0");
}

TEST(Strff, PadsFixedNotationOnTheLeftAndNeverCuts) {
  EXPECT_EQ(strff(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(strff(-12345.678, 3, 1), "-12345.7");
  EXPECT_EQ(strff(7, 0, 0), "7");
  EXPECT_EQ(strff(7, -5, 3), "7.000");
  EXPECT_EQ(strff(0.5, 12, 5), "     0.50000");
}

TEST(Strff, ZeroResultsCarryNoMinusSign) {
  EXPECT_EQ(strff(-0.0004, 6, 3), " 0.000");
  EXPECT_EQ(strff(-0.0, 1, 1), "0.0");
  EXPECT_EQ(strff(-0.4, 1, 0), "0");
  EXPECT_EQ(strff(-0.6, 1, 0), "-1");
}

TEST(Strff, ScientificNotationTakesDigitsFromWidth) {
  EXPECT_EQ(strff(123, 13, -1), " 1.2300E+0002");
  EXPECT_EQ(strff(-123, 13, -1), "-1.2300E+0002");
  EXPECT_EQ(strff(-0.00123, 11, -1), "-1.23E-0003");
  EXPECT_EQ(strff(0, 13, -1), " 0.0000E+0000");
  EXPECT_EQ(strff(-0.0, 13, -1), " 0.0000E+0000");
  // Rounding carries into the exponent.
  EXPECT_EQ(strff(9.99996, 13, -1), " 1.0000E+0001");
  // Width 26 shows 17 digits after the point, rounded from the exact value
  // 1.000000000000000055511...e-1.
  EXPECT_EQ(strff(0.1, 26, -1), " 1.00000000000000006E-0001");
  EXPECT_EQ(strff(0.1, 26, -7).size(), 26u);  // any negative count means scientific
}

TEST(Strff, ScientificNotationAtTheEdgesOfTheRange) {
  EXPECT_EQ(strff(123, 5, -1), " 1.2E+0002");  // at least one digit after the point
  EXPECT_EQ(strff(123, 10, -1), " 1.2E+0002");
  EXPECT_EQ(strff(5e-324, 13, -1), " 4.9407E-0324");
  EXPECT_EQ(strff(std::numeric_limits<double>::max(), 13, -1), " 1.7977E+0308");
  EXPECT_EQ(strff(2.5e-5, 11, -1), " 2.50E-0005");
}

TEST(Strff, NonFiniteValuesAndCaps) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(strff(std::nan(""), 6, 2), "   NAN");
  EXPECT_EQ(strff(inf, 1, 2), "INF");
  EXPECT_EQ(strff(-inf, 13, -1), "         -INF");
  EXPECT_EQ(strff(1.0 / 3.0, 1, 100).size(), 2u + 64u);  // decimals capped at 64
  EXPECT_EQ(strff(1.0, 1000, 0).size(), 255u);           // width capped at 255
  // Width 100 asks for 91 mantissa digits: 64 are shown and the text padded.
  const std::string wide = strff(1.0, 100, -1);
  EXPECT_EQ(wide.size(), 100u);
  EXPECT_EQ(wide.substr(100 - 73), " 1." + std::string(64, '0') + "E+0000");
  EXPECT_EQ(strff(-std::numeric_limits<double>::max(), 1, 0).size(), 310u);
}

// Number text out of the double range is a value, not a failure.
TEST(FloatFromChars, ReadsMagnitudesBeyondTheRangeAsInfinityOrZero) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::string_view text;
    double expected;
    size_t used;
  };
  const Case cases[] = {
      {"1e-400", 0.0, 6},
      {"-1e-400", -0.0, 7},
      {"1e400", inf, 5},
      {"-1e400x", -inf, 6},
      {"0.000001e-320", 0.0, 13},
      {"123456e-330", 0.0, 11},  // leading digit decides, not the exponent
      {"0.0001e313", inf, 10},
      {"1e99999999999999999999", inf, 22},
      {"2e-324", 0.0, 6},
      {"1.7976931348623159e308", inf, 22},     // rounds to 0 / to inf
      {"3e-324", 4.9406564584124654e-324, 6},  // nearest subnormal is kept
      {"1.7976931348623157e308", 1.7976931348623157e308, 22},
  };
  for (const Case& c : cases) {
    double v = 42;
    const auto res = FloatFromChars(c.text.data(), c.text.data() + c.text.size(), v);
    EXPECT_EQ(res.ec, std::errc()) << c.text;
    EXPECT_EQ(static_cast<size_t>(res.ptr - c.text.data()), c.used) << c.text;
    EXPECT_EQ(v, c.expected) << c.text;
    EXPECT_EQ(std::signbit(v), std::signbit(c.expected)) << c.text;
  }
  // Hexadecimal digits count four binary places each.
  const std::string_view hex[] = {"1p-1100", "0.01p-1070", "1p1024", "-0.1p1030"};
  const double hexExpected[] = {0.0, 0.0, inf, -inf};
  for (size_t k = 0; k < 4; ++k) {
    double v = 42;
    const auto res =
        FloatFromChars(hex[k].data(), hex[k].data() + hex[k].size(), v, std::chars_format::hex);
    EXPECT_EQ(res.ec, std::errc()) << hex[k];
    EXPECT_EQ(v, hexExpected[k]) << hex[k];
  }
  double v = 42;
  const std::string_view none = "e5";
  EXPECT_EQ(FloatFromChars(none.data(), none.data() + none.size(), v).ec,
            std::errc::invalid_argument);
  EXPECT_EQ(v, 42);
}

TEST(TryStrToFloat, AcceptsOneWholeNumberOnly) {
  double v = 7;
  EXPECT_TRUE(TryStrToFloat("+2.5e1", v));
  EXPECT_EQ(v, 25);
  EXPECT_TRUE(TryStrToFloat("-1e-400", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(std::signbit(v));
  EXPECT_TRUE(TryStrToFloat("1E+400", v));
  EXPECT_EQ(v, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(TryStrToFloat("NaN", v));
  EXPECT_TRUE(std::isnan(v));
  for (std::string_view bad : {"2,5", "", "+", "+-1", " 1", "1 ", "1e", "0x10", "1.5.2", "--1"}) {
    v = 7;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 0) << bad;
  }
}

TEST(BoolToStr, UsesUpperCaseWords) {
  EXPECT_EQ(BoolToStr(true), "TRUE");
  EXPECT_EQ(BoolToStr(false), "FALSE");
}

TEST(ReduceStringToFN83CompliantChars, KeepsSafeCharactersOfOrdinaryNames) {
  EXPECT_EQ(ReduceStringToFN83CompliantChars("Vienna City Map"), "Vienna_City_Map");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("map-2.v1_x"), "map-2.v1_x");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("a/b\\c:d*e?f\"g<h>|i"), "abcdefghi");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("M\u00FCnchen Stra\u00DFe \u00C6\u00E7"),
            "Munchen_Strase_Ac");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("3\u00D74"), "34");  // the multiplication sign goes
}

TEST(ReduceStringToFN83CompliantChars, NeverYieldsDotNamesAndCapsLength) {
  EXPECT_EQ(ReduceStringToFN83CompliantChars(".."), "");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("../../etc/passwd"), "etcpasswd");
  EXPECT_EQ(ReduceStringToFN83CompliantChars(".hidden"), "hidden");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("\u6771\u4EAC"), "");  // no usable character
  EXPECT_EQ(ReduceStringToFN83CompliantChars("\t\n"), "");
  EXPECT_EQ(ReduceStringToFN83CompliantChars(std::string(300, 'x')).size(), 255u);
}

// ---------------------------------------------------------------------------
// UTF-8 characters
// ---------------------------------------------------------------------------

std::u32string Decode(std::string_view s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) out.push_back(NextUtf8CodePoint(s, i));
  return out;
}

TEST(Utf8, DecodesWellFormedTextAndOneReplacementPerMaximalIllFormedPiece) {
  // The expected pieces follow the WHATWG decoder (also Python's
  // bytes.decode('utf-8', 'replace')).
  const struct {
    std::string_view in;
    std::u32string out;
  } cases[] = {
      {"a\u00E9\u20AC\U0001F600", U"a\u00E9\u20AC\U0001F600"},
      {"\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
      {"\xC0\xAF", U"\uFFFD\uFFFD"},                      // C0 never starts a sequence
      {"\xE0\x80\x80", U"\uFFFD\uFFFD\uFFFD"},            // overlong: E0 needs A0..BF next
      {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // surrogate: ED needs 80..9F next
      {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xE2\x82", U"\uFFFD"},                            // truncated at the end
      {"\xE2\x82"
       "a",
       U"\uFFFDa"},  // the byte that does not fit starts anew
      {"\x80\xFF", U"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.in), c.out) << c.in;
}

TEST(Utf8, CountsCutsAndConvertsByCharacters) {
  const std::string text = "a\u00E9\u20AC\U0001F600b";
  EXPECT_EQ(Utf8CharCount(text), 5);
  EXPECT_EQ(Utf8CharCount("\xC0\xAF"), 2);
  EXPECT_EQ(Utf8Truncate(text, 3), "a\u00E9\u20AC");
  EXPECT_EQ(Utf8Truncate(text, 4), "a\u00E9\u20AC\U0001F600");
  EXPECT_EQ(Utf8Truncate(text, 0), "");
  EXPECT_EQ(Utf8Truncate(text, 99), text);
  EXPECT_EQ(Utf8Truncate("\xE2\x82"
                         "ab",
                         2),
            "\xE2\x82"
            "a");  // kept as it is
  EXPECT_EQ(Utf8ToUtf16(text), (std::vector<uint16_t>{'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 'b'}));
  EXPECT_EQ(Utf8ToUtf16("\xFF"), (std::vector<uint16_t>{0xFFFD}));
  EXPECT_EQ(LowerCaseAscii("AbZ\u00C9"), "abz\u00C9");  // only ASCII letters fold
  EXPECT_EQ(UpperCaseAscii("azB\u00E9"), "AZB\u00E9");
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(XmlAttributes, FindsValuesByNameOutsideQuotedText) {
  std::string v;
  // A name that appears inside another value must not match it.
  const std::string_view a = "captext=\"x id='7'\" ID = 'abc' size=\"\" long=\"1\"";
  EXPECT_TRUE(XmlAttribute(a, "id", v));
  EXPECT_EQ(v, "abc");
  EXPECT_TRUE(XmlAttribute(a, "size", v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(XmlAttribute(a, "lon", v));
  EXPECT_TRUE(XmlAttribute(a, "LONG", v));
  EXPECT_EQ(v, "1");
  // Broken pair structure ends the search before the attribute.
  EXPECT_FALSE(XmlAttribute("a=1 b=\"2\"", "b", v));
  EXPECT_FALSE(XmlAttribute("a=\"unterminated b=\"2\"", "b", v));
  EXPECT_TRUE(v.empty());
}

}  // namespace
}  // namespace zel
