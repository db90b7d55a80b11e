/// @file
/// String helpers of the foundation layer: trimming and cleaning, a small
/// pattern test, list look-up, tokenising, quoted names, the tag reader on
/// strings, the width/decimals float formatter, boolean texts, file-name
/// reduction, and UTF-8 characters (decoding, counting, cutting, UTF-16 code
/// units, ASCII case folding).
///
/// Strings are UTF-8 in std::string. Every position and length counts bytes;
/// positions passed in and out are 1-based, as in the number scanners of the
/// numeric library. Multi-byte characters pass through every routine here
/// unchanged unless a routine says otherwise; none of them depends on the
/// locale.
#pragma once

#include <charconv>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// ---------------------------------------------------------------------------
// Trimming and cleaning
// ---------------------------------------------------------------------------

/// Text with the blanks (' ' and TAB) at both ends removed. Other control
/// characters, such as a carriage return, are kept; RemoveControlChars takes
/// them out.
std::string StripLTBlanks(std::string_view Text);

/// Text with every trailing byte that occurs in Chars removed:
/// StripTrailingChars("1.2500", "0") is "1.25", StripTrailingChars(s, "\\r\\n")
/// drops any mix of line-break bytes at the end. Empty Chars changes nothing.
std::string StripTrailingChars(std::string_view Text, std::string_view Chars);

/// Text with every byte OldChar replaced by NewChar (for example line feeds by
/// blanks). Works on bytes, so only ASCII characters should be replaced.
std::string ReplaceCharInString(std::string_view Text, char OldChar, char NewChar);

/// Text without the ASCII control characters 0x00-0x1F and 0x7F (TAB and line
/// breaks included). Bytes from 0x80 up, the parts of multi-byte UTF-8
/// characters, are kept, so valid UTF-8 stays valid.
std::string RemoveControlChars(std::string_view Text);

// ---------------------------------------------------------------------------
// UTF-8 characters
//
// Malformed input follows the WHATWG/Unicode "maximal subpart" practice:
// each maximal ill-formed piece becomes one U+FFFD. A byte that cannot start
// a sequence (80..C1, F5..FF) is one piece by itself; a valid start followed
// by too few valid continuation bytes (within the ranges that exclude
// overlong forms, surrogates and code points beyond U+10FFFF) is one piece
// up to the first byte that does not fit, which then starts the next. So
// "\xC0\xAF" (an overlong '/') gives two U+FFFD, "\xED\xA0\x80" (a
// surrogate) three, and a truncated "\xE2\x82" one.
// ---------------------------------------------------------------------------

/// The code point that starts at byte Pos of Text (0-based), or U+FFFD for a
/// malformed piece; Pos advances past what was read (at least one byte).
/// Pos must be below Text.size().
char32_t NextUtf8CodePoint(std::string_view Text, size_t& Pos);
/// The number of characters (code points, a malformed piece counting as one)
/// of Text.
int64_t Utf8CharCount(std::string_view Text);
/// Text cut after its first MaxChars characters, never inside a sequence
/// (MaxChars <= 0 gives ""). Malformed pieces count as one character each and
/// are kept as they are.
std::string Utf8Truncate(std::string_view Text, int64_t MaxChars);
/// The UTF-16 code units of Text: code points above U+FFFF become surrogate
/// pairs, malformed pieces U+FFFD.
std::vector<uint16_t> Utf8ToUtf16(std::string_view Text);
///@{
/// Text with the ASCII letters A..Z (a..z) mapped to the other case; every
/// other byte, multi-byte characters included, is kept, so valid UTF-8 stays
/// valid and the result does not depend on the locale.
std::string LowerCaseAscii(std::string_view Text);
std::string UpperCaseAscii(std::string_view Text);
///@}

// ---------------------------------------------------------------------------
// Pattern test and list look-up
// ---------------------------------------------------------------------------

/// True when Text contains Pattern. The pattern language:
///   - A pattern that begins with "//" and continues with one of the class
///     names below is true when Text contains at least one character of that
///     class (ASCII classes, bytes from 0x80 up belong to none of them):
///       "//dig"    decimal digit 0-9
///       "//alpha"  letter A-Z, a-z
///       "//alnum"  letter or digit
///       "//upper"  letter A-Z
///       "//lower"  letter a-z
///       "//blank"  blank or TAB
///       "//ctrl"   control character 0x00-0x1F or 0x7F
///     Class names are matched exactly and in lower case ("//DIG" is text).
///   - Any other pattern (including one beginning with "//" whose remainder is
///     not a class name, such as "//comment") is a plain substring test,
///     case-sensitive, byte for byte.
///   - The empty pattern is contained in every text (true).
bool StringContains(std::string_view Text, std::string_view Pattern);

/// 1-based position of the first entry of List[0..HighestIx] that equals
/// Text exactly (case-sensitive, byte for byte); 0 when none does.
/// HighestIx beyond the list is clamped to its last entry; a negative
/// HighestIx or an empty list gives 0.
int32_t StringIx(std::string_view Text, std::span<const std::string> List, int32_t HighestIx);

// ---------------------------------------------------------------------------
// Tokens and quoted names
// ---------------------------------------------------------------------------

/// Splits Text at every byte that occurs in Delimiters. With KeepEmpty false,
/// runs of delimiters count as one and no empty token is produced (so blanks
/// at the ends give nothing); with KeepEmpty true every delimiter ends a
/// token, so "a;;b" gives "a", "", "b" and an empty Text gives one empty
/// token. Empty Delimiters give the whole text as one token (none when Text is
/// empty and KeepEmpty is false).
std::vector<std::string> Tokenize(std::string_view Text, std::string_view Delimiters = " \t",
                                  bool KeepEmpty = false);

/// Reads a double-quoted name from Text starting at the 1-based position Pos:
/// blanks and TABs are skipped, then a '"' must follow; the name is every byte
/// up to the next '"' (there is no escape; a name cannot hold '"'). On success
/// Name receives the bytes between the quotes, Pos points just past the
/// closing quote, and the result is true. When no opening quote follows, or a
/// line break or the end of the text comes before the closing quote, the
/// result is false, Name is empty and Pos is unchanged. Pos below 1 counts
/// as 1.
bool ParseQuotedName(std::string_view Text, int32_t& Pos, std::string& Name);

/// Appends Text to Out escaped for the library's XML-like files: '&' as
/// "&amp;", '<' "&lt;", '>' "&gt;", '"' "&quot;" and every control character
/// (0x00-0x1F, 0x7F) as "&#N;" (decimal), so that line breaks and TABs survive
/// the tag reader. Other bytes are copied as they are.
void AppendXmlEscaped(std::string& Out, std::string_view Text);
/// Decodes what AppendXmlEscaped writes, and also "&apos;" and any "&#N;" or
/// "&#xH;" of a valid code point (as UTF-8); any other '&' stays literal.
std::string XmlUnescape(std::string_view Text);
/// The raw value of attribute Name in the attribute text of a tag (as the tag
/// reader returns it: name="value" or name='value' pairs separated by
/// blanks). Names are compared without regard to ASCII case; the first pair
/// with that name wins; a name inside another attribute's quoted value never
/// matches. Value receives the bytes between the quotes, not decoded (pass
/// them to XmlUnescape). False, with Value empty, when the attribute is
/// absent or the text stops being name="value" pairs before it.
bool XmlAttribute(std::string_view Attributes, std::string_view Name, std::string& Value);

// ---------------------------------------------------------------------------
// Tag reader
// ---------------------------------------------------------------------------

/// How the tag readers ended (their optional last argument).
enum class TTagReadStatus : int32_t {
  trsListed = 0,        ///< a tag whose name is in the list; the result is its index
  trsUnlisted = 1,      ///< a well-formed tag not in the list; the result is the list length
  trsEndOfInput = 2,    ///< no further tag; the result is the list length
  trsUnterminated = 3,  ///< the input ended inside a tag, comment or other markup, or a file
                        ///< or stream read passed kMaxTagReadBytes (core/zel_streams.hpp)
};

/// Details of the last tag read; pass a pointer to receive them.
struct TTagReadInfo {
  TTagReadStatus Status = TTagReadStatus::trsEndOfInput;  ///< how the read ended
  /// The tag name as written (its case kept), "/" in front for a closing tag;
  /// empty when no tag was read.
  std::string Name;
  /// The tag was written "\<name ... />".
  bool SelfClosing = false;
};

/// The tag reader of the library's XML-like files. The same grammar serves
/// ReadNextTagInString here and ReadNextTagInTextFile / ReadNextTagInStream in
/// core/zel_streams.hpp:
///
/// Result. Reading starts at the current input position and stops just after
/// the next tag. The result is the 0-based index of the first entry of
/// Tags[0..HighestIx] that names that tag; when the tag is not in the list, or
/// when the input holds no further tag, the result is the list length
/// n = HighestIx + 1 (HighestIx is clamped to the last entry of Tags first, so
/// n never exceeds Tags.size(); a negative HighestIx gives n = 0). Tell the
/// cases apart with Info->Status: trsUnlisted for a tag not in the list
/// (Info->Name says which), trsEndOfInput and trsUnterminated at the end.
///
/// Tags. A tag is "<" followed by a name-start character (ASCII letter, '_',
/// ':' or a byte from 0x80 up), or "\</" followed by one, and runs to the next
/// '>' that is not inside a quoted attribute value ("..." or '...'), so a
/// value may hold '>'. The name runs to the first blank, control character,
/// '/' or '>'; a closing tag's name carries its "/" ("\</corners>" is named
/// "/corners"). Names are compared with the list without regard to ASCII
/// case ("\<Corners>" matches "corners"); keep list entries distinct under
/// that rule. A '<' that is followed by anything else (a blank, a digit,
/// "<=") is ordinary text.
///
/// Attribute text. Everything after the name up to the closing '>', with line
/// breaks ("\\r\\n", "\\n" or "\\r") replaced by one blank each, blanks at both
/// ends removed and, for "\<name .../>", the final "/" removed (SelfClosing is
/// then set). Attribute values are not decoded: the caller splits the text.
///
/// Text before. Everything between the starting position and the tag, taken
/// literally (no entity decoding: "&lt;" stays as it is), except that "\\r\\n"
/// becomes "\\n", comments "<!-- ... -->", processing instructions
/// "<? ... ?>" (such as "<?xml version=\\"1.0\\"?>") and declarations
/// "<!DOCTYPE ...>" are left out, and the content of "<![CDATA[ ... ]]>" is
/// taken without its brackets. The content of an element is therefore the
/// text before its closing tag. Tags, comments and values may span lines.
///
/// End of input. Without a further tag the result is n, TextBefore holds the
/// rest of the text and Attributes is empty (trsEndOfInput). When the input
/// ends inside markup (an unclosed tag, quote, comment or CDATA section) the
/// result is n as well, the text before the markup is returned and the
/// markup itself is dropped (trsUnterminated). The input is consumed to its
/// end in both cases; no reader ever reads beyond it.
///
/// ReadNextTagInString reads Text from the 1-based position Pos (below 1
/// counts as 1, beyond the end means end of input) and leaves Pos just after
/// the tag, or at Text.size() + 1 at the end.
int32_t ReadNextTagInString(std::string_view Text, int64_t& Pos, std::span<const std::string> Tags,
                            int32_t HighestIx, std::string& TextBefore, std::string& Attributes,
                            TTagReadInfo* Info = nullptr);

// ---------------------------------------------------------------------------
// Numbers and booleans as text
// ---------------------------------------------------------------------------

/// Width/decimals formatting of a float, independent of the locale ('.' is
/// the decimal point), correctly rounded from the exact binary value (halves
/// of that exact value to even, so strff(2.5, 1, 0) is "2", strff(0.125, 1,
/// 2) is "0.12", and strff(1.005, 1, 2) is "1.00" because 1.005 is stored as
/// 1.00499999999999989...).
///
/// Decimals >= 0: fixed notation with exactly that many decimals (no point
/// when 0), padded on the left with blanks to at least Width characters and
/// never cut. A result whose digits are all zero carries no minus sign:
/// strff(-0.0004, 6, 3) is " 0.000" and strff(-0.0, 1, 1) is "0.0".
///
/// Decimals < 0: scientific notation: a sign character (a blank for values
/// >= 0, including -0.0, and "-" for negative ones), one digit, ".",
/// Width - 9 further digits, "E", the exponent's sign and four exponent
/// digits: strff(123, 13, -1) is " 1.2300E+0002", strff(-0.00123, 11, -1)
/// is "-1.23E-0003". At least one digit follows the point (Width <= 10 gives
/// one), and the count of digits is capped as below; the text is padded on
/// the left to Width when the cap makes it shorter.
///
/// Limits: Width is clamped to 0..255 and the count of decimals (or of
/// mantissa digits) to 64. Non-finite values give "NAN", "INF" or "-INF",
/// padded on the left to Width like numbers.
std::string strff(double Value, int32_t Width, int32_t Decimals);

/// Number text to double, the one conversion behind every reader of the
/// library. It is std::from_chars (same syntax for the given format, no
/// leading '+', no blanks, "inf", "infinity" and "nan" in any case, no
/// locale), except for magnitudes outside the double range: a number too
/// large for a double reads as +inf or -inf and one too small for the
/// smallest subnormal as +0 or -0, with ec == std::errc() and ptr after the
/// number, so that such values are data rather than "not a number".
/// Value is untouched when ec is set (the text holds no number at First).
std::from_chars_result FloatFromChars(const char* First, const char* Last, double& Value,
                                      std::chars_format Format = std::chars_format::general);

/// True when the whole of Text is one number as FloatFromChars reads it in
/// the general format, optionally preceded by '+' or '-'; Value then holds
/// it (out-of-range magnitudes as +-inf or +-0). Otherwise false with Value 0;
/// a decimal comma ("2,5"), blanks or trailing characters make it false.
bool TryStrToFloat(std::string_view Text, double& Value);

/// "TRUE" or "FALSE", the spelling of the library's text files.
std::string BoolToStr(bool Value);

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------

/// Reduces Name to characters that are safe in a file name on every common
/// file system, in the spirit of 8.3 names (the length is not cut to 8.3):
///   - ASCII letters, digits, '-', '_' and '.' are kept; a blank becomes '_';
///   - the Latin-1 letters (U+00C0-U+00FF, such as "ü" or "é") become their
///     unaccented ASCII base letter ("ß" becomes "s", "Æ" "A");
///   - everything else (path separators, ':', '*', '?', quotes, control
///     characters, other scripts) is dropped;
///   - leading dots are dropped, so the result is never "." or ".." nor a
///     hidden file name, and the result is cut to 255 bytes.
/// Ordinary names give a non-empty result ("Vienna City Map" ->
/// "Vienna_City_Map", "a/b:c" -> "abc"); a name with none of these characters
/// gives "", which callers must treat as invalid.
std::string ReduceStringToFN83CompliantChars(std::string_view Name);

}  // namespace zel
