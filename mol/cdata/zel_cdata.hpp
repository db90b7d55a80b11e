/// @file
/// Zel_cdata: the chemistry library's table of the chemical elements and its
/// small services on element symbols, masses, electron configurations, X-ray
/// emission lines, CAS registry numbers and compressed chemical names.
///
/// Families, in the order of this header:
///   1. The element table (symbol, name, masses, weights, electrons)
///   2. Isotope masses
///   3. Van der Waals radii and the periodic-system grid
///   4. X-ray emission lines (EDX)
///   5. CAS registry numbers
///   6. Compressed chemical names
///
/// The unit holds no state besides constant tables; every routine is a pure
/// function, safe to call from any thread, and none raises (std::bad_alloc
/// aside). Elements are identified by their atomic number Z, valid from 1 to
/// 103; every routine returns its neutral value ("", 0, 0.0) for a Z outside
/// its range.
///
/// About the data (kept deliberately, so that results stay comparable with
/// the table the library has always used):
///   - Chemical weights are the average atomic weights of the 1960s tables
///     (C 12.01115, S 32.064, K 39.102, Ni 58.71, ...). For the organic
///     elements they differ from the IUPAC 2021 values by at most 0.003 per
///     atom; for Mg, Ti, Ni, Zn, Ge, Pd, Sn, Os and Pt by 0.01 to 0.04.
///   - Mass numbers of the synthetic elements are the isotopes the table has
///     always named (At 211, Es 254, Md 257, No 255, Lr 256), not today's
///     bracketed IUPAC values; the MDL isotope arithmetic of the structure
///     readers depends on them.
///   - Element names keep the table's spellings: "litium", "flourine",
///     "vanadin", "prometium", "actinum", "aluminum", "cesium".
/// Rows mended against the isotope tables of Open Babel and RDKit and the
/// NIST configurations: protactinium is Pa-231 (mass number 231, exact mass
/// 231.035884, chemical weight 231.03588; the table had 230/230/0); the exact
/// masses of Tc (96.9064), Pm (144.9127), No (255.0932) and Lr (256.0986)
/// now belong to the mass numbers of their own rows; Tc is [Kr] 4d5 5s2 and
/// Ce [Xe] 4f1 5d1 6s2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/zel_zelbase.hpp"

namespace zel {

// ===========================================================================
// 1. The element table
// ===========================================================================

/// Highest atomic number of the table.
constexpr int32_t kMaxAtomicNumber = 103;

/// Element symbol of Z, one to three characters ("Cl"); "" outside 1..103.
std::string CElemSymb(int32_t Z);

/// Lower-case English name of Z, spelled as in the table (see above); ""
/// outside 1..103.
std::string CElemName(int32_t Z);

/// The first Z (1..103) whose symbol equals Symbol exactly, case-sensitive
/// ("Cl" gives 17, "CL" and "cl" give 0); 0 when no symbol matches. "D" is
/// not a symbol of the table (the formula parser handles it).
int32_t AtomicNumber(std::string_view Symbol);

/// Mass number (nominal mass) of the isotope the table names for Z, the most
/// abundant one for stable elements (H 1, C 12, Cl 35, Mo 98); the default
/// isotope mass everywhere in the chemistry library. 0 outside 1..103.
int32_t IntAtWeight(int32_t Z);

/// Monoisotopic (exact) mass of that isotope in u (C 12 exactly, O
/// 15.994915). Agrees with RDKit's isotope table to 5e-5 u for the stable
/// elements and to 5e-3 u for the radioactive ones. 0 outside 1..103.
double ExactAtWeight(int32_t Z);

/// Average (chemical) atomic weight of Z in g/mol, the table's 1960s value
/// (see above); 0 for the elements the table gives none: Tc, Pm and Z of 84
/// and above except Th, Pa and U. 0 outside 1..103.
double ChemAtWeight(int32_t Z);

/// Number of electrons in the outermost shell, i.e. in the shell whose
/// principal quantum number is the element's period. So Cr ([Ar] 3d5 4s1)
/// has 1, and palladium ([Kr] 4d10, period 5) has 0 because its 5s shell is
/// empty. This is not the "group electrons" count some toolkits give for
/// transition metals. 0 outside 1..103.
int32_t NumOuterElectrons(int32_t Z);

/// Ground-state electron configuration as stored, at most 22 characters,
/// with a noble-gas core in brackets: "[He] 2s1" for Li, "1s1" for H.
/// "" outside 1..103.
std::string ShortElectronConfig(int32_t Z);

/// The configuration with the core written out: a leading "[He]", "[Ne]",
/// "[Ar]", "[Kr]", "[Xe]" or "[Rn]" is replaced by its subshells ("[He]"
/// becomes "1s2", "[Ne]" "1s2 2s2 2p6", ... "[Rn]" "1s2 2s2 2p6 3s2 3p6
/// 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"), so Li gives "1s2 2s1".
/// H and He have no core and come back unchanged. "" outside 1..103.
std::string FullElectronConfig(int32_t Z);

// ===========================================================================
// 2. Isotope masses
// ===========================================================================

/// Exact mass in u of the isotope of Z with mass number A:
///   - A equal to IntAtWeight(Z): ExactAtWeight(Z);
///   - an isotope of the library's small table of labels (2H, 3H, 6Li, 10B,
///     11C, 13C, 14C, 15N, 17O, 18O, 18F, 29Si, 30Si, 32P, 33S, 34S, 35S, 36S,
///     37Cl, 81Br, 99Tc, 123I, 125I, 131I and a few more; values from RDKit's
///     isotope table): that value;
///   - any other A >= 1: the estimate ExactAtWeight(Z) + (A - IntAtWeight(Z))
///     * 1.003355 (the 13C - 12C difference per extra neutron), good to
///     about 0.01 u near the stable isotopes.
/// 0 for Z outside 1..103 or A < 1.
double IsotopeExactMass(int32_t Z, int32_t A);

// ===========================================================================
// 3. Van der Waals radii and the periodic-system grid
// ===========================================================================

/// Van der Waals radius of Z in angstrom (Pauling's values: H 1.20, C 1.80,
/// N 1.50, O 1.40, F 1.35, P 1.90, S 1.85, Cl 1.80, As 2.00, Se 2.00,
/// Br 1.95, Sb 2.20, Te 2.20, I 2.15; B 1.92 after Mantina and Si 2.10 after
/// Bondi, replacing covalent-size values the table once held). 0 for the
/// other Z of 1..53, where the table has none, and outside 1..53.
double VDWRadius(int32_t Z);

/// Position of Z in the periodic system drawn as a grid of 18 columns (0..17)
/// and 9 rows (0..8): rows 0 to 6 are the periods 1 to 7 in the long form
/// (H column 0, He column 17, La and Ac in column 2, Hf..Rn columns 3..17 of
/// row 5); row 7 holds the lanthanides Ce..Lu in columns 4..17, row 8 the
/// actinides Th..Lr. Col and Row are both 0 for Z outside 1..103, which is
/// also hydrogen's position: use TryPerSysCoord to tell them apart.
void PerSysCoord(int32_t Z, int32_t& Col, int32_t& Row);

/// As PerSysCoord, and true when Z lies in 1..103.
bool TryPerSysCoord(int32_t Z, int32_t& Col, int32_t& Row);

// ===========================================================================
// 4. X-ray emission lines (EDX)
// ===========================================================================
//
// Three line energies in keV per element of Z 4..92: the K line (Z 4..44),
// the L line (Z 21..92) and the strongest usable M line (Z 49..52, 56..60,
// 62..83, 90..92). The M column is Mgamma for Sn, Sb, Te and Ba and Malpha
// from Ce on, which is why it is not monotonic in Z (Ba 0.972, La 0.833).
// 147 lines in all; no two have the same energy.

/// Status of GetEDXLines for an atomic number outside 4..92 (value fixed);
/// any other result is the number of lines found.
constexpr int32_t kEDXLinesBadZ = -1;

/// A short English sentence (no final period) for a result of GetEDXLines:
/// "lines found" for any count of 0 or more, "unknown EDX lines status" for
/// other negative values. The text is static.
const char* EDXLinesStatusText(int32_t status);

/// The K, L and M energies of Z (0 where the element has no such line) and
/// the number of them above 0. Z outside 4..92 gives -1 with all three 0
/// (Fe gives 2, K 6.398, L 0.705, M 0).
int32_t GetEDXLines(int32_t Z, double& KLine, double& LLine, double& MLine);

/// Every line with Low <= energy <= High (both ends inclusive; Low and High
/// are exchanged when reversed), sorted by ascending energy, with the atomic
/// number of each line in AtNums. Returns the number of lines; Energies and
/// AtNums get exactly that many elements (at most 147). A NaN bound gives 0
/// lines. The sort is local and stable: unlike the array unit's sorts it
/// neither reads nor clears AbortMathProc and reports no progress.
int32_t GetEDXLines(double Low, double High, TDoubleArray& Energies, TIntArray& AtNums);

// ===========================================================================
// 5. CAS registry numbers
// ===========================================================================
//
// CAS numbers are 64-bit: the registry has passed 2^31, and numbers with
// ten digits (seven in the first group) do not fit 32 bits. Every 32-bit
// number is accepted as before.

/// Check-digit test: the last decimal digit of CASNr is the check digit; the
/// other digits, taken from the right, are weighted 1, 2, 3, ...; CASNr is
/// valid when the weighted sum modulo 10 equals the check digit (7732-18-5,
/// water: 8*1 + 1*2 + 2*3 + 3*4 + 7*5 + 7*6 = 105, 105 mod 10 = 5). 0 is
/// valid (the "no number" value of the connection table); negative numbers
/// are not.
bool CheckCASNr(int64_t CASNr);

/// The hyphenated form: the decimal digits padded on the left with "0" to at
/// least four, a "-" before the last three digits and another before the
/// last one (50000 gives "50-00-0", 5 "0-00-5", 0 "0-00-0"). The check digit
/// is not verified. "" for a negative number.
std::string FormatCASNr(int64_t CASNr);

/// Reads a hyphenated CAS number. Blanks and TABs at both ends are removed;
/// the rest must be one or more decimal digits, "-", two digits, "-", one
/// digit, nothing else (no sign, no inner blank): "  50-00-0 " gives 50000
/// and true; "5000-0", "50-000-0", "-00-0" and "+50-00-0" give false. When
/// the shape is right and the number fits 64 bits, CASNr receives it and the
/// result is CheckCASNr(CASNr), so a wrong check digit gives false with
/// CASNr set. Otherwise CASNr is 0 and the result false. FormatCASNr's output
/// always reads back (a one-digit first group is accepted for that reason,
/// although real CAS numbers have at least two).
bool ConvertStrToCASNr(std::string_view Text, int64_t& CASNr);

// ===========================================================================
// 6. Compressed chemical names
// ===========================================================================
//
// A dictionary of 128 lower-case name fragments of 2 to 7 letters, in
// descending length ("benzoyl", "deutero", ..., "methyl" is number 12, ...,
// "di", "in"), codes names into short byte strings: fragment k (1..128) is
// the single byte 127 + k (0x80..0xFF).
//
// The compressed form is a byte string, not UTF-8 text: store and compare it
// as bytes and expand it before showing it. Because UTF-8 text uses the
// bytes 0x80..0xFF itself, bytes of the name in that range, and the escape
// byte 0x1B (ESC) itself, are written as ESC followed by the byte. Names of
// plain ASCII without ESC are therefore coded exactly as the classic
// dictionary coding does ("Methylbenzoyl" gives the two bytes 0x8B 0x80),
// and any UTF-8 name, "Äthanol" or "α-pinene", survives a round trip.

/// Lower-cases the ASCII letters of Name (other characters keep their case),
/// escapes bytes 0x80..0xFF and 0x1B as ESC + byte, then replaces, for k = 1
/// to 128 in dictionary order, every occurrence of fragment k by its code.
/// Longer fragments come first, so "methyl" is one code, not "meth" + "yl".
std::string CompressChemName(std::string_view Name);

/// Expands a compressed name: each byte 0x80..0xFF becomes its fragment and
/// ESC + byte becomes that byte; other bytes are copied. A final ESC with
/// nothing after it is copied as it is. Case is not restored, so the round
/// trip of "Methylbenzoyl" gives "methylbenzoyl" ("Äthanol" gives "Äthanol":
/// only ASCII letters were lower-cased). Any byte string can be expanded;
/// none reads outside the dictionary.
std::string DeCompressChemName(std::string_view Compressed);

}  // namespace zel
