/// @file
/// Zel_cform: molecular formulas.
///
/// Families, in the order of this header:
///   1. TFormulaRec, the plain formula value
///   2. TMolFormula, the formula model: entries, parsing, writing back,
///      weights, comparison and the formula finder
///   3. TMolForm, the formula display control (a graphic control of the
///      graphics layer that wraps a TMolFormula and paints it)
///
/// A formula is a list of at most 20 entries (atomic number, isotope mass
/// number, count), in the order they were read; an element may occur in
/// several entries (isotopes, or the same element inside and outside
/// parentheses). Nothing here raises (std::bad_alloc aside): out-of-range
/// indices read 0 and are ignored on write, unreadable text leaves what could
/// be read and says so through LastParseComplete, GetParseError and
/// GetParseErrorPos.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "gui/zel_controls.hpp"
#include "gui/zel_graphics.hpp"
#include "mol/cdata/zel_cdata.hpp"

namespace zel {

// ===========================================================================
// 1. TFormulaRec
// ===========================================================================

/// Largest number of entries of a formula.
constexpr int32_t kMaxFormulaEntries = 20;
///@{
/// Largest count and isotope mass a parsed part may carry; a part beyond
/// them is refused (the parse stops there, incomplete).
constexpr int32_t kMaxFormulaCount = 65535;
constexpr int32_t kMaxFormulaMass = 999;
///@}

/// A formula as a plain value: entries 1..FLeng live at the array indices
/// 0..FLeng-1 (entry i is AtNum[i - 1]). Counts and masses are 16-bit, so
/// that C300 H602 and the mass numbers of Fm and Md (257) are held exactly.
/// The structure readers fill it; the formula finder takes its bounds in it.
/// It is a value in memory only (no file stores it).
struct TFormulaRec {
  int32_t FLeng = 0;                                 ///< entries used, 0..20
  std::array<uint8_t, kMaxFormulaEntries> AtNum{};   ///< atomic number
  std::array<uint16_t, kMaxFormulaEntries> AtWgt{};  ///< isotope (nominal) mass
  std::array<uint16_t, kMaxFormulaEntries> AtCnt{};  ///< count
};

/// When the display shows isotope masses: never, only where the mass differs
/// from the element's mass number (IntAtWeight), or always.
enum class TIsotVisib : int32_t { ivNone = 0, ivSpecial = 1, ivAlways = 2 };

/// Why the last reading of a formula text stopped early (peNone: it read the
/// whole text). TMolFormula::GetParseErrorPos says at which character.
enum class TFormulaParseError : int32_t {
  peNone = 0,
  peUnknownSymbol = 1,   ///< a symbol that names no element ("CH" in "CH4")
  peSymbolTooLong = 2,   ///< a run of more than three letters
  peMissingSymbol = 3,   ///< a mass with no symbol behind it ("O2 12 3C")
  peMassTooLarge = 4,    ///< an isotope mass above 999
  peCountTooLarge = 5,   ///< a count, or count x multiplier, above 65535
  peTooManyEntries = 6,  ///< a 21st part
  peParenthesis = 7      ///< a parenthesis where none may stand (ReadFromString)
};

/// A short English description of the failure ("unknown element symbol"),
/// for messages; "" for peNone and for values outside the enumeration.
std::string FormulaParseErrorText(TFormulaParseError Error);

// ===========================================================================
// 2. TMolFormula
// ===========================================================================

///@{
/// Results of TMolFormula::CompareTo and TMolForm::CompareTo (values fixed;
/// only -2 is an error). FormulaCompareText turns one into a sentence.
constexpr int32_t kFormulaSame = 0;        ///< every amount agrees
constexpr int32_t kFormulaContains = 1;    ///< this formula contains Other
constexpr int32_t kFormulaContained = 2;   ///< Other contains this formula
constexpr int32_t kFormulaUnrelated = -1;  ///< neither contains the other
constexpr int32_t kFormulaNoEntries = -2;  ///< a formula has no entries, or Other is null
///@}

/// A short English sentence (no final period) for a result of CompareTo;
/// "unknown formula comparison result" for any other value. The text is
/// static.
const char* FormulaCompareText(int32_t result);

/// The formula model behind TMolForm, usable on its own. Copyable. Created as
/// water: entries (1, 1, 2) and (8, 16, 1), text "H2O".
class TMolFormula {
 public:
  TMolFormula();

  // -------------------------------------------------------------------------
  // Entries (1-based indices)
  // -------------------------------------------------------------------------

  /// Number of entries, 0..20.
  int32_t GetNumAtoms() const { return FEntries.FLeng; }
  /// Accepted for 1..20 only; entries beyond the old count are not cleared,
  /// so they show whatever they last held.
  void SetNumAtoms(int32_t Value);

  ///@{
  /// Entry i's atomic number, isotope mass and count; 0 when i is not in
  /// 1..GetNumAtoms().
  int32_t GetAtNum(int32_t i) const;
  int32_t GetAtWgt(int32_t i) const;
  int32_t GetAtCnt(int32_t i) const;
  ///@}
  ///@{
  /// Writes for i in 1..GetNumAtoms(): SetAtNum accepts 1..103, SetAtWgt and
  /// SetAtCnt 0..65535; anything else is ignored.
  void SetAtNum(int32_t i, int32_t Value);
  void SetAtWgt(int32_t i, int32_t Value);
  void SetAtCnt(int32_t i, int32_t Value);
  ///@}

  ///@{
  /// The entries as a plain value, and back: SetFormulaRec takes the first
  /// min(FLeng, 20) entries (none when FLeng < 1) unchecked, as the entry
  /// writes would not.
  const TFormulaRec& GetFormulaRec() const { return FEntries; }
  void SetFormulaRec(const TFormulaRec& Rec);
  ///@}

  /// Empties the text and every entry (all 20 zeroed).
  void Clear();

  // -------------------------------------------------------------------------
  // Reading text
  // -------------------------------------------------------------------------
  //
  // The element part scanner (ScanNextFormPart) reads one part: an optional
  // isotope mass (leading digits), a symbol (a run of letters) and an
  // optional count (trailing digits). Letters are upper-cased first and a
  // run of letters is one symbol, so symbols must be separated by a count,
  // a blank (space or TAB), a comma or a full stop: "C6 H12 O6" and
  // "C6H12O6" are C, H, O, while "CO2" is one symbol, cobalt, and "CH4" is
  // the unknown symbol "CH" (nothing is read). Symbols are matched without
  // regard to case ("HF" is hafnium). Digits after a symbol and a blank are
  // its count ("O 18" is O18), so an isotope mass must follow a count or
  // stand first ("H2 18O"). "D" is hydrogen of mass 2 unless a mass is
  // given. The mass defaults to the element's mass number and the count to
  // 1; an explicit mass or count of 0 counts as not given. Other characters
  // (neither letter, digit, blank, comma nor full stop, bytes of non-ASCII
  // UTF-8 included) are skipped. This is the classic reading, the default;
  // the strict reading (below) takes the conventional notation instead.
  //
  // States 0..6 (6 = part complete):
  //   state       digit                 letter           blank , .   other
  //   (d: the digit's value, L: the letter)
  //   0 start     mass := d, 1          symbol += L, 3   stay        stay
  //   1 in mass   mass := 10 mass + d   symbol += L, 3   2           stay
  //   2 after m.  6                     symbol += L, 3   stay        stay
  //   3 in symbol count := d, 5         symbol += L      4           stay
  //   4 after s.  count := d, 5         6                stay        stay
  //   5 in count  count := 10 count + d 6                6           stay
  // The end of the text, "(" and ")" complete the part as well. The
  // character that completes a part (in a transition to 6) is not consumed:
  // the next call reads it again.
  //
  // Strict reading (StrictSymbols true): letters keep their case and an
  // upper-case letter in state 3 completes the part (state 6), so a symbol
  // is one upper-case letter followed by lower-case ones, and it must equal
  // an element's symbol exactly (AtomicNumber), "D" included. Everything
  // else is as above. Examples, classic against strict:
  //   text        classic                    strict
  //   "CO2"       Co2 (cobalt)               C O2
  //   "Co2"       Co2                        Co2
  //   "HF"        Hf (hafnium)               H F
  //   "CH4"       unreadable ("CH")          C H4
  //   "NaCl"      unreadable ("NACL")        Na Cl
  //   "C6H12O6"   C6 H12 O6                  C6 H12 O6
  //   "(CH3)2CO"  unreadable ("CH")          C2 H6 C O
  //   "13CO"      13Co                       13C O
  //   "co", "cl"  Co, Cl                     unreadable (no such symbol)

  /// Reads one part from the 1-based byte position Pos of Text. True with
  /// Count, Mass and AtNum set when a known element was read; Pos is then on
  /// the character that ended the part (Text.size() + 1 at the end). False
  /// with all three 0 when the symbol is empty, unknown or longer than three
  /// letters, or when the mass exceeds 999 or the count 65535 (the digit
  /// accumulators saturate, so long digit runs are safe); Pos is then where
  /// reading stopped. Pos < 1 or Pos > Text.size() + 1 gives false with Pos
  /// unchanged.
  static bool ScanNextFormPart(std::string_view Text, int32_t& Pos, int32_t& Count, int32_t& Mass,
                               int32_t& AtNum);
  /// The same with the reading chosen: StrictSymbols true reads symbols
  /// case-sensitively (see above).
  static bool ScanNextFormPart(std::string_view Text, int32_t& Pos, int32_t& Count, int32_t& Mass,
                               int32_t& AtNum, bool StrictSymbols);

  ///@{
  /// The reading SetMolFormula, TryParse and ReadFromString use: false (the
  /// default) for the classic one, true for the strict, case-sensitive one.
  /// Copied with the model; changing it leaves the entries alone.
  bool GetStrictSymbols() const { return FStrictSymbols; }
  void SetStrictSymbols(bool Value) { FStrictSymbols = Value; }
  ///@}

  /// Writing MolFormula: stores Text as GetFormulaText(), empties the entries
  /// and reads Text with parentheses. A "(" takes as multiplier the number
  /// written directly after the first ")" behind it (1 when no digit follows
  /// that ")" or there is no ")", and 1 for a written 0); a ")" sets the
  /// multiplier back to 1 and skips the digits after it. Every other
  /// character starts a part, appended with count x multiplier. Parentheses
  /// do not nest, and an element inside parentheses that also occurs
  /// outside gives two entries: "(C H2)3 O" is C3 H6 O1, "(C H3)2 C O" is C2
  /// H6 C1 O1. Blanks before a parenthesis are fine ("C6 (H2)3").
  /// Reading stops at the first part that cannot be read, at a count x
  /// multiplier above 65535, and at a 21st part (which is not stored); what
  /// was read before stays, LastParseComplete() says false and
  /// GetParseError()/GetParseErrorPos() say why and where. The time taken is
  /// linear in the length of the text, however many parentheses it holds.
  void SetMolFormula(std::string_view Text);
  /// Reading MolFormula: AsString(1), e.g. "12C6 1H12 16O6 " (reads back to
  /// the same entries).
  std::string GetMolFormula() const { return AsString(1); }
  /// The text last written to MolFormula (or accepted by TryParse).
  const std::string& GetFormulaText() const { return FFormulStr; }

  /// As SetMolFormula when the whole text reads; otherwise the entries and
  /// the text stay as they were (water in a new model) and the result is
  /// false. Check the result: after a failure the weights are still those
  /// of the previous formula. LastParseComplete(), GetParseError() and
  /// GetParseErrorPos() describe this call either way:
  ///   TMolFormula f;                    // water
  ///   if (!f.TryParse("CH4"))           // classic reading: "CH" is unknown
  ///     // f.GetParseError() == peUnknownSymbol, f.GetParseErrorPos() == 1,
  ///     // f.ChemMolWgt() is still water's 18.0153
  /// The result must be used (a compiler warning otherwise).
  [[nodiscard]] bool TryParse(std::string_view Text);

  /// True when the last SetMolFormula, TryParse or ReadFromString read its
  /// whole text: every character formed a stored part or was a blank,
  /// separator, skipped character or parenthesis with its number. An empty
  /// text reads completely (to an empty formula). A new model reports true.
  bool LastParseComplete() const { return FParseError == TFormulaParseError::peNone; }

  ///@{
  /// Why the last SetMolFormula, TryParse or ReadFromString stopped early
  /// (peNone when it read the whole text), and the 1-based byte position in
  /// that text of what stopped it (0 for peNone):
  ///   peUnknownSymbol, peSymbolTooLong  the symbol's first letter;
  ///   peMissingSymbol, peMassTooLarge   the mass's first digit;
  ///   peCountTooLarge                   the count's first digit when the
  ///                                     written count is too large, the
  ///                                     symbol's first letter when only the
  ///                                     multiplier makes it so;
  ///   peTooManyEntries                  the first character of the 21st part;
  ///   peParenthesis                     the parenthesis.
  /// "C6 H12 Xx O6" gives peUnknownSymbol at 8, "O (C H2)40000" gives
  /// peCountTooLarge at 6 (H2 x 40000).
  TFormulaParseError GetParseError() const { return FParseError; }
  int32_t GetParseErrorPos() const { return FParseErrorPos; }
  ///@}

  /// Empties the entries and appends every part ScanNextFormPart yields from
  /// position 1 until it yields none; a parenthesis ends the reading (and
  /// makes it incomplete, peParenthesis). Stops at a 21st part.
  /// GetFormulaText() is left as it was.
  void ReadFromString(std::string_view Text);

  // -------------------------------------------------------------------------
  // Writing text
  // -------------------------------------------------------------------------

  /// One entry as text; "" when AtNum is outside 1..103 or Count < 1. The
  /// symbol is "D" for atomic number 1 with mass 2; the count is written only
  /// when above 1. Mode 1 puts the mass in front ("13C6", "1H2", "2D2"),
  /// every other mode leaves it out ("C6", "H2", "D2").
  static std::string ChemElem(int32_t AtNum, int32_t Mass, int32_t Mode, int32_t Count);

  /// ChemElem of every entry, each followed by one blank ("C6 H12 O6 ");
  /// entries that ChemElem writes as "" add nothing, not even the blank.
  /// In mode 1 an entry of count 1 that another entry follows is written
  /// with its count ("23Na1 35Cl "), so that the text reads back to the same
  /// entries: the next mass would otherwise be read as its count.
  std::string AsString(int32_t Mode) const;

  // -------------------------------------------------------------------------
  // Weights
  // -------------------------------------------------------------------------

  /// Average molecular weight in g/mol: sum of ChemAtWeight(Z) x count, with
  /// IntAtWeight(Z) for the elements the table gives no weight (Tc, Pm, Po,
  /// ...; IUPAC's bracket convention). Uses the table's 1960s weights and
  /// ignores isotope labels (an average weight of the natural element). 0
  /// for an empty formula.
  double ChemMolWgt() const;

  /// Monoisotopic mass in u: sum of IsotopeExactMass(Z, mass) x count, so
  /// labels count (D2O 20.0231, H2O 18.0106). 0 for an empty formula.
  double ExactMolWgt() const;

  /// Nominal mass: sum of isotope mass x count (64-bit: 20 entries of 65535
  /// x 65535 fit). 0 for an empty formula.
  int64_t NominalMolWgt() const;

  // -------------------------------------------------------------------------
  // Comparison
  // -------------------------------------------------------------------------

  /// Compares the amounts of every (element, mass) pair, summed over the
  /// entries of each formula: -2 when either formula has no entries; 0 when
  /// all amounts agree; 1 when this formula holds at least as much of every
  /// pair as Other (it contains Other); 2 when Other contains this one; -1
  /// otherwise. C2 H6 O against C2 H6 is 1, the reverse 2, C2 H6 against C3
  /// is -1. Up to 40 distinct pairs are merged (20 from each side). The
  /// kFormula constants name the results.
  int32_t CompareTo(const TMolFormula& Other) const;

  // -------------------------------------------------------------------------
  // Formula finder
  // -------------------------------------------------------------------------
  //
  // Enumerates candidate formulas between two bounds whose mass matches a
  // target. The candidates take the atomic numbers and isotope masses of
  // HighF's entries; entry i's count runs from HighF.AtCnt down to the
  // lower bound LowF.AtCnt (0 for entries beyond LowF.FLeng). Candidates are
  // visited in descending order like an odometer whose last entry turns
  // fastest, starting with the upper bound itself. Each Find call resumes
  // after the last candidate tested, and once the lowest candidate has been
  // tested every further call returns false.
  //
  // A match is copied into the entries (atomic numbers and masses from
  // HighF, counts from the candidate, HighF.FLeng entries, zero counts
  // included). With CheckPlausibility a candidate must also satisfy
  // N + 2 C + 2 >= H + F + Cl + Br + I, each element's count summed over its
  // entries (deuterium counts as H): C1 H6 is rejected.
  //
  // Since masses are never negative, a candidate lighter than the target
  // ends the turn of the last entry early; this only saves time, the
  // candidates found and their order are those of the full enumeration.

  /// Stores the target mass, tolerance and bounds and starts at the upper
  /// bound. Refuses (false; every Find call then returns false) when
  /// HighF.FLeng is outside 1..20, LowF.FLeng above 20, an atomic number of
  /// either bound's entries (1..FLeng) outside 1..103 (an element the table
  /// does not hold would yield matches that write as ""), a lower bound
  /// exceeds its upper bound, or Mass or Tol is not finite.
  bool InitFindFormula(double Mass, double Tol, const TFormulaRec& LowF, const TFormulaRec& HighF);

  /// Next candidate whose nominal mass (sum of HighF.AtWgt x count) equals
  /// Mass rounded to an integer (halves to even). True when one was found.
  bool FindFormulaNominalMass(bool CheckPlausibility);

  /// Next candidate whose exact mass (sum of IsotopeExactMass(HighF.AtNum,
  /// HighF.AtWgt) x count) lies strictly within Tol of Mass. True when one
  /// was found.
  bool FindFormulaExactMass(bool CheckPlausibility);

  ///@{
  /// Finder state: the current candidate's count of entry i (0 outside
  /// 1..20), target, tolerance (0.05 by default), bounds, and whether the
  /// candidates are used up (true before the first InitFindFormula).
  int32_t GetPermutCnt(int32_t i) const;
  double GetMassBForm() const { return FMassBForm; }
  double GetTolBForm() const { return FTolBForm; }
  const TFormulaRec& GetLowBForm() const { return FLowBForm; }
  const TFormulaRec& GetHighBForm() const { return FHighBForm; }
  bool FinderExhausted() const { return FExhausted; }
  ///@}

 private:
  bool AppendEntry(int32_t AtNum, int32_t Mass, int64_t Count);
  bool FindNext(bool Exact, bool CheckPlausibility);
  void AdvanceCandidate();

  void Fail(TFormulaParseError Error, int32_t Pos);

  TFormulaRec FEntries;
  std::string FFormulStr;
  TFormulaParseError FParseError = TFormulaParseError::peNone;
  int32_t FParseErrorPos = 0;
  bool FStrictSymbols = false;
  std::array<int32_t, kMaxFormulaEntries> FPermutCnt{};
  double FMassBForm = 0.0;
  double FTolBForm = 0.05;
  TFormulaRec FLowBForm;
  TFormulaRec FHighBForm;
  bool FExhausted = true;
};

// ===========================================================================
// 3. TMolForm
// ===========================================================================

/// One piece of text of the drawn formula: its text, the top-left corner of
/// its cell (before alignment) and its font size in points.
struct TMolFormPiece {
  std::string Text;  ///< the text
  int32_t X = 0;     ///< left of the cell
  int32_t Y = 0;     ///< top of the cell
  int32_t Size = 0;  ///< font size in points
};

/// Where the pieces of the formula go (see TMolForm's painting).
struct TMolFormLayout {
  std::vector<TMolFormPiece> Pieces;  ///< in drawing order
  int32_t Width = 0;                  ///< drawn width: x after the last piece
  int32_t Height = 0;                 ///< the control height the font asks for
  int32_t Offset = 0;                 ///< alignment shift: a piece at X lands at X + Offset
};

/// A graphic control that shows a TMolFormula with subscript counts and
/// superscript isotope masses. 120 x 28 when created; water; centred; text
/// black on the button-face colour; isotope masses ivSpecial; deuterium
/// shown as "D". The operations of TMolFormula are forwarded under the same
/// names and repaint where the formula changes; GetFormula gives the model
/// itself (finder state included). Nothing raises except font errors of the graphics layer
/// (EFontError) while painting.
///
/// Painting. With s the font size and s' = round(0.8 s) + 1 (halves to even),
/// the control's height is twice the line height of "M" at size s' (set when
/// a paint starts, only when it differs, so a paint never repaints itself).
/// Starting at x = 1, for each entry with a count above 0:
///   1. the isotope mass at size s' at (x, 0), when IsotopeVis is ivAlways,
///      or ivSpecial and the mass differs from IntAtWeight; never for
///      hydrogen of mass 2 while UseDeuterium is set;
///   2. the symbol ("D" for hydrogen of mass 2 while UseDeuterium is set) at
///      size s at (x, Height/5);
///   3. a count above 1 at size s' at (x, Height/4 + s'),
/// each advancing x by its width. (s' is added as a pixel count, as in the
/// classic layout: it puts the subscript's baseline just inside the bottom
/// edge; converting s' to pixels at 96 dpi would push it below.) With
/// ShowAsText the formula text (GetFormulaText) is drawn at (1, Height/5)
/// at size s instead. The drawn width x is then aligned: left, shift 0 (the
/// first glyph cell starts at pixel 1); right, so that it ends at the
/// control's width (cutting its left part when wider); centred at
/// (Width - x)/2 (integer division; cutting both sides when wider). Text is
/// drawn in ColorTxt, anti-aliased, within a picture twice the control's
/// width. Only the columns of that picture that land inside the control and
/// can hold ink (the drawn width plus the control's height for glyph
/// overhangs) are drawn: the result is the same, and a very wide control
/// (millions of pixels) needs no picture beyond its own surface. A control
/// whose surface would exceed the graphics layer's bitmap limit (2^30
/// pixels) has none and paints nothing, rather than raise.
/// Opaque: the whole control is filled with ColorBkg and the text drawn on
/// it. Transparent: a mask (white, text in black) is combined with the
/// control's background (the parent's picture) by a bitwise AND and then the
/// text picture (text on black) by a bitwise OR, so only the text pixels
/// change; the copy mode is left at cmSrcCopy. Nothing is drawn unless the
/// control is visible or being designed.
///
/// Repainting: writes of Alignment, IsotopeVis, UseDeuterium, ShowAsText,
/// Transparent, MolFormula, the entries and the finder repaint at once
/// (Repaint) when opaque and mark the control for painting (Invalidate) when
/// transparent; ColorTxt and ColorBkg repaint at once.
class TMolForm : public TGraphicControl {
 public:
  /// A formula component owned by AOwner, holding an empty formula.
  explicit TMolForm(TComponent* AOwner);
  std::string ClassName() const override { return "TMolForm"; }

  /// From another TMolForm: alignment, colours, the whole formula model
  /// (entries, text, finder state and bounds), UseDeuterium, ShowAsText,
  /// Transparent and IsotopeVis; then repaints. Any other source goes to the
  /// inherited Assign (which throws for a source it cannot take).
  void Assign(const TPersistent* Source) override;

  // --- Look -----------------------------------------------------------------
  /// The alignment.
  TAlignment GetAlignment() const { return FAlignment; }
  /// Sets the alignment.
  void SetAlignment(TAlignment Value);
  /// The color bkg.
  TColor GetColorBkg() const { return FColorBkg; }
  /// Sets the color bkg.
  void SetColorBkg(TColor Value);
  /// The color txt.
  TColor GetColorTxt() const { return FColorTxt; }
  /// Sets the color txt.
  void SetColorTxt(TColor Value);
  /// The isotope vis.
  TIsotVisib GetIsotopeVis() const { return FIsotVis; }
  /// Sets the isotope vis.
  void SetIsotopeVis(TIsotVisib Value);
  /// The use deuterium.
  bool GetUseDeuterium() const { return FUseDeuterium; }
  /// Sets the use deuterium.
  void SetUseDeuterium(bool Value);
  /// The show as text.
  bool GetShowAsText() const { return FShowAsText; }
  /// Sets the show as text.
  void SetShowAsText(bool Value);
  /// The transparent.
  bool GetTransparent() const { return FTransparent; }
  /// Sets the transparent.
  void SetTransparent(bool Value);

  /// The geometry the next paint uses (pieces before alignment, drawn width,
  /// height and alignment shift), from the current font and control width.
  TMolFormLayout GetLayout() const;

  // --- The formula ------------------------------------------------------------
  /// The formula.
  const TMolFormula& GetFormula() const { return FFormula; }
  /// Replaces the whole model; repaints.
  void SetFormula(const TMolFormula& Value);

  /// The num atoms.
  int32_t GetNumAtoms() const { return FFormula.GetNumAtoms(); }
  /// Sets the num atoms.
  void SetNumAtoms(int32_t Value);
  /// The at num.
  int32_t GetAtNum(int32_t i) const { return FFormula.GetAtNum(i); }
  /// The at wgt.
  int32_t GetAtWgt(int32_t i) const { return FFormula.GetAtWgt(i); }
  /// The at cnt.
  int32_t GetAtCnt(int32_t i) const { return FFormula.GetAtCnt(i); }
  /// Sets the at num.
  void SetAtNum(int32_t i, int32_t Value);
  /// Sets the at wgt.
  void SetAtWgt(int32_t i, int32_t Value);
  /// Sets the at cnt.
  void SetAtCnt(int32_t i, int32_t Value);

  /// The mol formula.
  std::string GetMolFormula() const { return FFormula.GetMolFormula(); }
  /// Sets the mol formula.
  void SetMolFormula(std::string_view Value);
  /// The formula text.
  const std::string& GetFormulaText() const { return FFormula.GetFormulaText(); }
  ///@{
  /// Repaints only when the text was read.
  [[nodiscard]] bool TryParse(std::string_view Text);
  bool LastParseComplete() const { return FFormula.LastParseComplete(); }
  TFormulaParseError GetParseError() const { return FFormula.GetParseError(); }
  int32_t GetParseErrorPos() const { return FFormula.GetParseErrorPos(); }
  ///@}
  ///@{
  /// The reading of later formula texts (no repaint: the entries stay).
  bool GetStrictSymbols() const { return FFormula.GetStrictSymbols(); }
  void SetStrictSymbols(bool Value) { FFormula.SetStrictSymbols(Value); }
  void ReadFromString(std::string_view Text);
  static bool ScanNextFormPart(std::string_view Text, int32_t& Pos, int32_t& Count, int32_t& Mass,
                               int32_t& AtNum) {
    return TMolFormula::ScanNextFormPart(Text, Pos, Count, Mass, AtNum);
  }
  std::string AsString(int32_t Mode) const { return FFormula.AsString(Mode); }
  static std::string ChemElem(int32_t AtNum, int32_t Mass, int32_t Mode, int32_t Count) {
    return TMolFormula::ChemElem(AtNum, Mass, Mode, Count);
  }
  ///@}
  ///@{
  /// -2 for a null Other (as for an empty formula).
  int32_t CompareTo(const TMolForm* Other) const;
  void Clear();
  ///@}
  /// Repaints.
  void ShowIt();

  ///@{
  /// The chemical (average), exact (monoisotopic) and nominal molecular weight of the formula, as
  /// TFormula computes them.
  double ChemMolWgt() const { return FFormula.ChemMolWgt(); }
  double ExactMolWgt() const { return FFormula.ExactMolWgt(); }
  int64_t NominalMolWgt() const { return FFormula.NominalMolWgt(); }
  ///@}

  /// Starts a search for formulas of mass Mass +- Tol between LowF and HighF, as
  /// TFormula::InitFindFormula does.
  bool InitFindFormula(double Mass, double Tol, const TFormulaRec& LowF, const TFormulaRec& HighF) {
    return FFormula.InitFindFormula(Mass, Tol, LowF, HighF);
  }
  ///@{
  /// The finder steps; both repaint afterwards.
  bool FindFormulaNominalMass(bool CheckPlausibility);
  bool FindFormulaExactMass(bool CheckPlausibility);
  ///@}

 protected:
  void Paint() override;
  void PaintNow() override;

 private:
  void Changed();
  int32_t SmallSize() const;
  int32_t WantedHeight() const;

  TMolFormula FFormula;
  TAlignment FAlignment = TAlignment::taCenter;
  TColor FColorBkg = clBtnFace;
  TColor FColorTxt = clBlack;
  bool FUseDeuterium = true;
  bool FShowAsText = false;
  bool FTransparent = false;
  TIsotVisib FIsotVis = TIsotVisib::ivSpecial;
};

}  // namespace zel
