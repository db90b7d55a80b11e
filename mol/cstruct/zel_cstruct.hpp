/// @file
/// Zel_cstruct: the connection table TCTab, the chemistry library's molecule.
///
/// Families, in the order of this header:
///   1. Limits, records and status codes
///   2. TCTab: accessors
///   3. TCTab: editing (connect, add, delete, join and link fragments, copy,
///      compare, hydrogens and chains, CAS number, coordinates)
///   4. TCTab: hydrogens, formula and weight
///   5. TCTab: rings and attributes
///   6. TCTab: functional groups, fragment codes and atom templates
///   7. TCTab: substructure search
///   8. TCTab: geometry
///   9. Structure files (MDL CTAB, Molfile, SD, clear text, MolConnX)
///
/// Conventions of the unit:
/// - Atoms are numbered 1..NAtoms (at most 63), connection slots 1..10,
///   coordinate axes 1..3. Every index a caller passes goes through one
///   checked accessor: a read with an invalid atom, slot or axis gives 0 (a
///   cleared record for GetAtomEntries), a write with one is ignored.
/// - Bonds are stored in both atoms (ConnTo/TypConn of each end). One-sided
///   entries may exist while a table is built (AddAtom, EnterConn); every
///   analysis ignores a neighbour index outside 1..NAtoms and a slot that
///   points at its own atom.
/// - Every change fires OnChange once after the change (write accessors,
///   editing, Clear, CopyFrom, SetCASNr, CalcAttributes). Between
///   BeginUpdate and the matching EndUpdate the events are held back and
///   EndUpdate fires one OnChange if anything changed. A handler may call
///   back into the table; the operation that fired is complete by then.
/// - Nothing here raises besides std::bad_alloc. Not thread-safe: one table
///   belongs to one thread at a time. RotateWithPCA uses the process-wide
///   eigen results of Zel_math2 and overwrites them.
/// - Bond types: 1 single, 2 double, 3 triple, 4 aromatic. Aromatic bonds
///   cannot express a pyrrole-type NH (pyrrole counts 4 hydrogens, not 5);
///   give such rings in Kekule form or with explicit hydrogens.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"
#include "mol/cdata/zel_cform.hpp"

namespace zel {

class TStream;
class TTextFile;

// ===========================================================================
// 1. Limits, records and status codes
// ===========================================================================

/// Largest number of atoms of a table (atom indices 1..63).
constexpr int32_t kMaxCTAtoms = 63;
/// Connection slots per atom (1..10).
constexpr int32_t kMaxCTConn = 10;
/// Largest number of rings a ring list holds.
constexpr int32_t kMaxRings = 100;

/// AtDispAtb: bits 0..23 hold the RGB colour.
constexpr uint32_t kDispColorMask = 0x00FFFFFFu;
/// AtDispAtb: bits 28..30 hold visual attributes of the drawing component.
constexpr uint32_t kDispVisualMask = 0x70000000u;
/// AtDispAtb: bit 31 is set while the default colour applies.
constexpr uint32_t kDispDefaultColor = 0x80000000u;

/// The record of one atom. Connection slot k (1..10) lives at connTo[k - 1]
/// and typConn[k - 1], axis d (1..3) at coords[d - 1].
struct CTElem {
  uint8_t atNum = 0;      ///< atomic number; 0 = empty
  uint16_t atWeight = 0;  ///< isotope (nominal) mass; 0 = not given
  uint8_t atFlag = 0;     ///< free flag byte; fragment labels of Join/LinkFragment
  uint8_t attrib = 0;     ///< topological attribute bits (CalcAttributes)
  int8_t charge = 0;      ///< formal charge
  std::array<uint8_t, kMaxCTConn> connTo{};   ///< neighbour per slot; 0 = free slot
  std::array<uint8_t, kMaxCTConn> typConn{};  ///< bond type per slot
  std::array<float, 3> coords{};              ///< x, y, z
  uint32_t dispAttr = kDispDefaultColor;      ///< display attributes (see kDisp...)
};

/// Sets every field of Rec to 0, except dispAttr, which becomes
/// kDispDefaultColor.
void ClearCTElem(CTElem& Rec);

/// Units of the coordinates.
enum class CoordUnitType : int32_t {
  cuUnknown = 0,
  cuPixel = 1,
  cuNanoM = 2,
  cuPicoM = 3,
  cuAngstrom = 4
};

/// One ring: Size atoms, their indices in path order in Atoms[0..Size-1].
struct RingType {
  int32_t Size = 0;                          ///< ring size n
  std::array<uint8_t, kMaxCTAtoms> Atoms{};  ///< atom indices in path order
};

/// A list of at most kMaxRings rings; Rings[0..Count-1] are used.
struct RingListType {
  int32_t Count = 0;                        ///< rings used
  std::array<RingType, kMaxRings> Rings{};  ///< the rings
};

/// A list of atom indices; Atoms[0..Count-1] are used (MatchAtomTemplate).
struct AtListType {
  int32_t Count = 0;                         ///< atoms used
  std::array<uint8_t, kMaxCTAtoms> Atoms{};  ///< atom indices
};

/// SearchSubStruc's map: entry s (1..63) receives the atom of the searched
/// table paired with atom s of the small structure; entry 0 is unused (0).
using TMatchArray = std::array<uint8_t, kMaxCTAtoms + 1>;

/// Bond types MatchAtomTemplate demands; 0 entries are ignored.
using BondListType = std::array<uint8_t, kMaxCTConn>;

///@{
/// CompareWith bits: what differs between two tables.
constexpr uint16_t kCmpAtomCount = 0x1;
constexpr uint16_t kCmpName = 0x2;
constexpr uint16_t kCmpCoordUnit = 0x4;
constexpr uint16_t kCmpCASNr = 0x8;
constexpr uint16_t kCmpAtNum = 0x10;
constexpr uint16_t kCmpAtWeight = 0x20;
constexpr uint16_t kCmpAtFlag = 0x40;
constexpr uint16_t kCmpAttrib = 0x80;
constexpr uint16_t kCmpCharge = 0x100;
constexpr uint16_t kCmpX = 0x200;
constexpr uint16_t kCmpY = 0x400;
constexpr uint16_t kCmpZ = 0x800;
constexpr uint16_t kCmpConnTo = 0x1000;
constexpr uint16_t kCmpTypConn = 0x2000;
///@}

///@{
/// Attribute bits of CalcAttributes.
constexpr uint8_t kAtbChain = 0x01;      ///< chain atom
constexpr uint8_t kAtbRingOther = 0x02;  ///< in a ring of size other than 5 or 6
constexpr uint8_t kAtbRing5 = 0x04;      ///< in a five-ring
constexpr uint8_t kAtbRing6 = 0x08;      ///< in a six-ring
constexpr uint8_t kAtbBranch = 0x10;     ///< more than two bonds
constexpr uint8_t kAtbRing = 0x20;       ///< ring atom
constexpr uint8_t kAtbTerminal = 0x40;   ///< one bond
constexpr uint8_t kAtbShared = 0x80;     ///< shared by several rings
///@}

///@{
/// FragmentCode errors (any other result is a code of 28 bits).
constexpr int32_t kFragCodeBadAtom = -1;       ///< invalid index, or an atom of no listed type
constexpr int32_t kFragCodeTooManyBonds = -2;  ///< the central atom has more than four bonds
///@}

/// A short English sentence (no final period) for a FragmentCode result:
/// "fragment code" for any result of 0 or more; "unknown fragment code
/// status" for other negative values. The text is static.
const char* FragmentCodeStatusText(int32_t status);

/// The functional groups FragmentCount counts. Every group test uses the
/// heavy-atom degree (neighbours other than hydrogen), so a table with
/// explicit hydrogens counts as the same table without them.
enum class FrgType : int32_t {
  NSglBnd = 0,  ///< single bonds (each once, hydrogens included)
  NDblBnd,      ///< double bonds
  NTrplBnd,     ///< triple bonds
  NAroBnd,      ///< aromatic bonds
  NCCSgl,       ///< carbon-carbon single bonds
  NCCDbl,       ///< carbon-carbon double bonds
  NCCTrpl,      ///< carbon-carbon triple bonds
  NBranch,      ///< atoms with more than two heavy neighbours
  XCnt,         ///< chlorine and bromine atoms (F and I are not counted)
  COOH,         ///< C with three neighbours, =O and -O that has one neighbour
  COO,          ///< C with three neighbours, =O and -O that has more than one
  NO2,          ///< N with three neighbours and two =O, or one =O and one -O
  AnyCO,        ///< C with at most three neighbours and at least one =O
  AroCl,        ///< Cl whose neighbour has an aromatic bond
  AroBr,        ///< Br whose neighbour has an aromatic bond
  AnyOH,        ///< O with one neighbour through a single bond
  PhOH,         ///< such O on a carbon that has an aromatic bond
  NH2,          ///< N with one single bond to a non-N atom that is not a C=O carbon
  NHR,          ///< N with two such single bonds
  NR2,          ///< N with three single bonds to atoms that are not C=O carbons
  NCON,         ///< C with three neighbours, exactly one =O and exactly two -N
  CN,           ///< C with two neighbours, one a triple bond to N
  CONR2,        ///< C with three neighbours, exactly one =O and exactly one -N
  CHO,          ///< C with at most two neighbours, not two double bonds, and =O
  COX,          ///< C with at most three neighbours, =O and a Cl, Br or I neighbour
  AnySO,        ///< S with at most three neighbours and =O (sulfones are not counted)
  OCH3,         ///< O with two neighbours, one a carbon with one neighbour
  NO,           ///< N with two neighbours and =O
  NNH2  ///< N with two neighbours, one an N with one neighbour bonded by type 1 or 2, the other bond single
};

// ===========================================================================
// 9a. Structure files: records and status codes (members of TCTab below)
// ===========================================================================

/// One numeric data field of an SD record: the identifier (one of
/// SDPropertyIDs(), at most 15 characters) and its value. An entry with an
/// empty ID is free.
struct TPropRec {
  std::string ID;    ///< data-field identifier, upper case; "" = free entry
  double Par = 0.0;  ///< the value
};

/// Number of property entries an SD record fills.
constexpr int32_t kNumSDProps = 20;
/// The property entries of ReadFromMDLSDFile (entry k is element k - 1).
using TPropArray = std::array<TPropRec, kNumSDProps>;

/// The 20 data-field identifiers the SD reader collects, in this order:
/// MELTP, BOILP, DENSI, REFRX, LGKOC, ACCOF, WAALA, WAALB, WSOLU, DHF0,
/// DFF0, LOGKF, ENTR0, LOGHY, DIPOL, HEATV, MOLVL, RETIX, CRITT, POLAR.
const std::array<std::string_view, kNumSDProps>& SDPropertyIDs();

/// Longest line the structure readers accept (1 MiB); a longer line (a
/// binary file, /dev/zero) fails the read with kSFLineTooLong.
constexpr int64_t kMaxStructLineLength = int64_t{1} << 20;
/// Most lines one SD record, or the skip to its "$$$$" after a rejection,
/// may take (1,000,000): an endless source fails with kSFRecordTooLong
/// instead of hanging.
constexpr int64_t kMaxSDRecordLines = 1000000;
/// Most name lines a clear-text body may declare (L - 2n, or L - n).
constexpr int32_t kMaxClearTextNameLines = 1000;

///@{
/// Status of the last structure-file operation (GetFileStatus). Readers:
/// kSFOk and the soft faults (kSFBadBond, kSFBadCharge, kSFBadValue) leave
/// the new structure in the table (the result is false for a soft fault);
/// every other status leaves the table, its name and CAS number untouched.
/// When a table records several soft faults the first one is kept.
constexpr int32_t kSFOk = 0;          ///< read or written without fault
constexpr int32_t kSFEndOfFile = -1;  ///< nothing left to read (SD: before a record)
constexpr int32_t kSFBadCounts = -2;  ///< atom count outside 1..63, or unreadable counts
constexpr int32_t kSFTruncated = -3;  ///< the input ended inside the structure
constexpr int32_t kSFBadLine = -4;    ///< a line or value that does not parse
constexpr int32_t kSFBadBond = -5;    ///< soft: a bond skipped or a type outside 1..4 entered as 1
constexpr int32_t kSFBadCharge = -6;  ///< soft: a charge code outside 0..7 read as 0
/// A line longer than kMaxStructLineLength (from a TTextFile: or a read error).
constexpr int32_t kSFLineTooLong = -7;
constexpr int32_t kSFRecordTooLong = -8;  ///< more than kMaxSDRecordLines lines
constexpr int32_t kSFNoSection = -9;      ///< no "/CONTAB" or "/CTABG" word found
constexpr int32_t kSFBadValue = -10;      ///< soft: an M  CHG/M  ISO entry or a CONTAB slot ignored
constexpr int32_t kSFWriteError = -11;    ///< a write failed (disk full, closed file)
constexpr int32_t kSFNotWritable = -12;   ///< the table holds what the format cannot express
constexpr int32_t kSFReadError = -13;     ///< the std::istream failed (its badbit is now set)
///@}

/// A short English sentence (no final period) for a kSF... status; "unknown
/// structure file status" for other values. The text is static.
const char* StructFileStatusText(int32_t status);

// ===========================================================================
// 2. TCTab
// ===========================================================================

/// A connection table of at most 63 atoms with a name, a CAS registry number
/// and a coordinate unit. Created empty. See the unit's conventions above.
class TCTab : public TComponent {
 public:
  /// An empty table owned by AOwner (may be null).
  explicit TCTab(TComponent* AOwner);
  ~TCTab() override;

  std::string ClassName() const override { return "TCTab"; }

  /// Fired after every change (see the unit's conventions).
  TNotifyEvent OnChange;

  ///@{
  /// Holds OnChange back until the matching EndUpdate, which fires it once
  /// when anything changed in between. Calls nest.
  void BeginUpdate();
  void EndUpdate();
  ///@}

  // -------------------------------------------------------------------------
  // Accessors
  // -------------------------------------------------------------------------

  /// Number of valid atoms, 0..63.
  int32_t GetNAtoms() const { return FNumValidAtoms; }

  ///@{
  /// Fields of atom i; 0 when i is not in 1..NAtoms.
  int32_t GetAtNum(int32_t i) const;
  int32_t GetAtWeight(int32_t i) const;
  int32_t GetAtFlag(int32_t i) const;
  int32_t GetAttrib(int32_t i) const;
  int32_t GetCharge(int32_t i) const;
  ///@}
  /// Neighbour in slot (1..10) of atom i; 0 for a free slot or an invalid index.
  int32_t GetConnTo(int32_t i, int32_t slot) const;
  /// Bond type in slot (1..10) of atom i; 0 for an invalid index.
  int32_t GetTypConn(int32_t i, int32_t slot) const;
  /// Coordinate dim (1 x, 2 y, 3 z) of atom i; 0 for an invalid index.
  double GetCoords(int32_t i, int32_t dim) const;
  /// The whole record of atom i; a cleared record for an invalid index.
  CTElem GetAtomEntries(int32_t i) const;

  /// Atomic number of atom i; z must be 1..103, else ignored.
  void SetAtNum(int32_t i, int32_t z);
  /// Isotope mass of atom i, 0..65535 (0 = the element's default), else ignored.
  void SetAtWeight(int32_t i, int32_t w);
  /// Flag byte of atom i, 0..255, else ignored.
  void SetAtFlag(int32_t i, int32_t f);
  /// Attribute byte of atom i, 0..255, else ignored.
  void SetAttrib(int32_t i, int32_t a);
  /// Formal charge of atom i, -128..127, else ignored.
  void SetCharge(int32_t i, int32_t c);
  /// Neighbour of slot (1..10) of atom i, one-sided. nb 0 frees the slot;
  /// nb above 63, below 0 or equal to i is ignored.
  void SetConnTo(int32_t i, int32_t slot, int32_t nb);
  /// Bond type of slot (1..10) of atom i, 0..255, else ignored. One-sided.
  void SetTypConn(int32_t i, int32_t slot, int32_t t);
  /// Coordinate dim (1..3) of atom i.
  void SetCoords(int32_t i, int32_t dim, double value);
  /// Replaces the whole record of atom i (bonds are not mirrored). Ignored
  /// when the record names an atomic number above 103, a neighbour above 63
  /// or atom i itself. The colour bits are masked as in SetAtColor.
  void SetAtomEntries(int32_t i, const CTElem& rec);

  /// The RGB colour (bits 0..23) of atom i's display attributes; 0 for an
  /// invalid index.
  TColor GetAtColor(int32_t i) const;
  /// Sets atom i's colour and clears its default-colour bit. A system colour
  /// (high byte 0xFF) is resolved to RGB first (ColorToRGB); only 24 bits
  /// are stored.
  void SetAtColor(int32_t i, TColor c);

  /// Number of occupied slots of atom i (0 for an invalid index).
  int32_t GetNBonds(int32_t i) const;
  /// The largest bond count of the atoms; i receives the first atom that has
  /// it (0 and result 0 for an empty table).
  int32_t MaxNBonds(int32_t& i) const;
  /// Bond type between a and b as a records it; 0 when not connected or an
  /// index is invalid.
  int32_t CheckConnect(int32_t a, int32_t b) const;

  ///@{
  /// Name of the structure.
  const std::string& GetStrucName() const { return FStrucName; }
  void SetStrucName(const std::string& Value);
  ///@}
  ///@{
  /// Unit of the coordinates.
  CoordUnitType GetCoordUnits() const { return FCoordUnit; }
  void SetCoordUnits(CoordUnitType Value);
  ///@}

  // -------------------------------------------------------------------------
  // Editing
  // -------------------------------------------------------------------------

  /// Connects (type 1..255) or disconnects (type 0) a and b in both atoms.
  /// False for an invalid index, a == b or a type outside 0..255, and, for a
  /// new bond, when either atom has no free slot (nothing entered then). For
  /// type 0 the result tells whether a bond was found.
  bool MakeConnection(int32_t a, int32_t b, int32_t type);
  /// One-sided: in atom i the slot holding nb gets the type, else the first
  /// free slot gets nb and the type. Needs 1 <= i, nb <= 63 and i != nb
  /// (forward references beyond NAtoms are allowed while a table is built);
  /// nothing happens otherwise or when all slots are taken.
  void EnterConn(int32_t i, int32_t nb, int32_t type);
  /// For every bond a -> b with b in 1..NAtoms enters b -> a with the same
  /// type. Entries with b outside 1..NAtoms (or b == a) are skipped; returns
  /// how many were skipped (0 for a sound table). Entries that find no free
  /// slot are counted as skipped too.
  int32_t MakeSymmetricConnections();
  /// Appends a copy of rec (all fields, display attributes included, into a
  /// cleared record) as atom NAtoms + 1; its slots are entered one-sidedly.
  /// False and no change when 63 atoms exist or rec is invalid as for
  /// SetAtomEntries.
  bool AddAtom(const CTElem& rec);
  /// Deletes atom n, contracting: every atom bonded to n inherits n's other
  /// bonds (with the types of n's slots), so deleting B of A-B-C leaves A-C.
  /// The last atom moves into position n (references renumbered), duplicate
  /// entries are removed and slot lists compacted. Ignored for an invalid n.
  void DeleteAtom(int32_t n);
  /// Count 0, empty name, CAS number 0, cuUnknown, all records cleared.
  void Clear();
  /// Sets Attrib of every valid atom to 0.
  void ClearAttributes();
  /// Copies count, name, unit, CAS number and all records of Source (not
  /// its events). A null Source is ignored.
  void CopyFrom(const TCTab* Source);
  /// What differs between this table and Source (kCmp... bits, records
  /// 1..63 compared field by field, names case-insensitively); 0 means
  /// identical. A null Source gives 0xFFFF.
  uint16_t CompareWith(const TCTab* Source) const;
  /// Merges Source (a working copy; Source stays unchanged) by AtFlag
  /// labels: a labelled source atom is identified with the last atom of
  /// this table carrying the same label and takes the source atom's number,
  /// mass and charge; an unlabelled one, or one whose label no atom here
  /// carries, is appended. Source bonds are renumbered and entered. False
  /// and no change for a null Source or when the appended atoms would not
  /// fit into 63.
  bool JoinFragment(const TCTab* Source);
  /// Appends every atom of Source (a working copy; Source stays unchanged),
  /// then bonds (single, both directions) every old atom with a non-zero
  /// AtFlag to every appended atom with the same AtFlag. False and no
  /// change for a null Source or when the counts add up to more than 63.
  bool LinkFragment(const TCTab* Source);
  /// True when no element (by atomic number 0..103) occurs more often in
  /// Small than here; false for a null Small or one with more atoms.
  bool SumForContained(const TCTab* Small) const;
  /// True when some valid atom has no valid neighbour.
  bool ContainsUnconnectedAtom() const;
  /// Deletes every atom with atomic number 1 (DeleteAtom).
  void RemoveHydrogen();
  /// Repeatedly deletes every atom with exactly one bond; a single atom left
  /// over is deleted too. Returns the atoms left (the ring skeleton).
  int32_t StripfromChains();
  /// The first atom at index i or later with exactly one bond; 0 if none or
  /// i is invalid.
  int32_t FindNextEndAtom(int32_t i) const;
  /// Number of atoms with atomic number z.
  int32_t AtomCount(int32_t z) const;

  ///@{
  /// The CAS number, hyphenated as FormatCASNr does ("0-00-0" for none).
  std::string GetCASNr() const;
  /// Accepts a hyphenated number with a valid check digit (blanks trimmed,
  /// as ConvertStrToCASNr); anything else keeps the old number. Fires
  /// OnChange in both cases.
  void SetCASNr(const std::string& Value);
  ///@}
  ///@{
  /// The CAS number as an integer (64-bit: the registry has passed 2^31).
  /// SetBinCASNr accepts only numbers that pass CheckCASNr.
  int64_t GetBinCASNr() const { return FCASNr; }
  void SetBinCASNr(int64_t Value);
  ///@}
  /// The check-digit test of the element data (zel::CheckCASNr).
  static bool CheckCASNr(int64_t Value);

  ///@{
  /// True when any coordinate of a valid atom is not 0. Writing false sets
  /// every coordinate to 0 (and fires OnChange); writing true does nothing.
  bool GetCoordsPresent() const;
  void SetCoordsPresent(bool Value);
  ///@}

  // -------------------------------------------------------------------------
  // Hydrogens, formula and weight
  // -------------------------------------------------------------------------

  /// Hydrogens of atom i (0 for a hydrogen atom or an invalid index):
  /// implicit ones plus explicit H neighbours of mass 1 (or no mass given).
  /// Valences H 1, B 3, C 4, N 3, O 2, F 1, Si 4, P 3, S 2, Cl 1, Ge 4, Br 1,
  /// I 1, 0 for others; b sums the bond orders (aromatic 1) and a is 1 with
  /// any aromatic bond. The charge changes the valence first: v + charge for
  /// N, O, P, S; v - |charge| for C, Si, Ge; v - charge for B (CH3+ 3,
  /// BH4- 4, R3NH+ 1). When b + a < v the result is v - b - a plus the
  /// explicit H (other elements: v - b - a + charge plus them), else the
  /// explicit H, except that an uncharged N with b = 4 and a triple bond to
  /// a carbon with one bond gives -1 (isocyanide) and an uncharged P with
  /// b = 4 gives one more.
  int32_t NrHAtoms(int32_t i) const;
  /// Sum of NrHAtoms over all atoms.
  int32_t CalcMissingH() const;
  /// The formula: first a hydrogen entry (1, 1, CalcMissingH) when that is
  /// above 0; then one entry per (atomic number, mass) pair of the atoms, a
  /// mass of 0 counting as the element's IntAtWeight. Hydrogen atoms of
  /// mass 1 that have a heavy neighbour are counted by NrHAtoms, not as
  /// atoms; deuterium, tritium and hydrogen atoms without a heavy neighbour
  /// are atoms. Entries are ordered C, H, N, O, S, P, F, Cl, Br, I (each in
  /// order of appearance), then the rest in order of appearance. False (and
  /// Formula emptied) when more than 20 pairs occur.
  bool CalcMolecularFormula(TFormulaRec& Formula) const;
  /// CalcMissingH x the chemical weight of H plus the chemical weight of
  /// every other atom (hydrogen atoms counted as atoms in the formula add
  /// their isotope mass).
  double CalcChemMolWeight() const;
  /// Independent rings: bonds - atoms + connected components (0 for an
  /// empty table); bonds are the valid slots / 2.
  int32_t RingsInMolecule() const;

  // -------------------------------------------------------------------------
  // Rings and attributes
  // -------------------------------------------------------------------------

  /// All shortest rings through atom (depth-first search; rings with the
  /// same atom set once), at most kMaxRings; returns their count (0 for an
  /// invalid atom or none). Leaves AtFlag untouched.
  int32_t FindShortestRings(int32_t atom, RingListType& List) const;
  /// The smallest set of smallest rings: the union of the shortest rings
  /// through each atom (atoms visited in index order, skipping those already
  /// found in a ring where they have at most two bonds), completed, while
  /// its rank over GF(2) is below RingsInMolecule, by the shortest cycles
  /// independent of it (so C60 gives 32, not 12). The union may exceed the
  /// cyclomatic number (cubane 6) as RDKit's symmetrized SSSR does. At most
  /// kMaxRings; returns the count. Leaves AtFlag untouched.
  int32_t FindSSSR(RingListType& List) const;
  /// Sets Attrib of every atom and returns the SSSR ring count. For each SSSR
  /// ring, v = 0x28 (six-ring), 0x24 (five-ring) or 0x22; an atom already in
  /// a ring gets attrib |= v | 0x80, else attrib |= v. Atoms left at 0
  /// become 0x41 (one bond) or 0x01; atoms with more than two bonds get
  /// 0x10. Naphthalene's fusion atoms end at 0xB8.
  int32_t CalcAttributes();

  // -------------------------------------------------------------------------
  // Functional groups, fragment codes and atom templates
  // -------------------------------------------------------------------------

  /// How many times the group occurs (see FrgType).
  int32_t FragmentCount(FrgType Group) const;
  /// A 28-bit code of atom and its neighbours: the atom's type (1 H, 2 B,
  /// 3 C, 4 N, 5 O, 6 F, 7 Si, 8 P, 9 S, 10 Cl, 11 As, 12 Br, 13 Sn, 14 I,
  /// 15 atomic number 0) in bits 0..3, then per neighbour (at most 4) the
  /// group type * 4 + (bond type mod 4), sorted descending, at bits 4, 10,
  /// 16, 22. OuterBonds = sum over neighbours of (their bonds - 1).
  /// kFragCodeBadAtom for an invalid atom or an atom of no listed type,
  /// kFragCodeTooManyBonds for more than four bonds (OuterBonds 0 then).
  int32_t FragmentCode(int32_t atom, int32_t& OuterBonds) const;
  /// A code as text: "ERROR" for a negative code, else the central symbol
  /// and per non-zero group the bond character ("1", "2", "3", "4" for
  /// aromatic) and the neighbour symbol ("C1C1O2O" ...; "RR" for type 15).
  static std::string FragmentStr(int32_t Code);
  /// The atoms that fit the template, in index order: An > 0 atomic number
  /// An, An < 0 any other number, 0 any; Nb > 0 exactly Nb bonds, Nb < 0 any
  /// other count, 0 any; every non-zero entry of TypB must be the type of
  /// one of the atom's bonds.
  void MatchAtomTemplate(int32_t An, int32_t Nb, const BondListType& TypB,
                         AtListType& AtomsMatched) const;

  // -------------------------------------------------------------------------
  // Substructure search
  // -------------------------------------------------------------------------

  /// True when Small occurs in this table: an injective map of every atom of
  /// Small onto atoms here with the same element, at least as many bonds,
  /// the attribute bits 0x01, 0x02, 0x04, 0x08, 0x20, 0x80 of the Small
  /// atom present (0x10 and 0x40 are ignored: the bond count covers them),
  /// and every bond of Small present between the images (with CompareBonds
  /// of the same type; a Kekule query then matches only Kekule targets with
  /// the double bonds in the same places, never aromatic type 4 bonds).
  /// Matched[s] receives the image of Small atom s; Matched is all 0 on
  /// false. False at once for a null or empty Small, a disconnected Small
  /// with no complete map, SumForContained false, or fewer rings here
  /// (RingsInMolecule). The search starts at the first non-carbon atom of
  /// Small, tried against every atom of its element (Small atom 1 against
  /// every atom when all are carbon) and extends over neighbours with
  /// backtracking. When a trace sink is set, each step writes
  /// "level=<depth>  <s> <t> <s'> <t'>" (Small atom, its candidate, the
  /// Small atom and the image it was reached from, 0 0 for a start), then
  /// "<result> <ring closure>" as BoolToStr texts, and the search ends with
  /// "final: <result>" and "--------------". A failing sink never changes
  /// the result.
  bool SearchSubStruc(const TCTab* Small, TMatchArray& Matched, bool CompareBonds) const;

  ///@{
  /// The trace sink of SearchSubStruc: a stream (not owned; null turns it
  /// off) or a file path that each search appends to (empty turns it off).
  /// Both are off by default; a stream wins over a path.
  void SetTraceStream(std::ostream* Stream) { FTraceStream = Stream; }
  std::ostream* GetTraceStream() const { return FTraceStream; }
  void SetTraceFile(const std::filesystem::path& Path) { FTraceFile = Path; }
  const std::filesystem::path& GetTraceFile() const { return FTraceFile; }
  ///@}

  // -------------------------------------------------------------------------
  // Geometry
  // -------------------------------------------------------------------------

  /// Means of x, y, z (all 0 for an empty table).
  void CalcMolCenter(double& x, double& y, double& z) const;
  /// The last atom within +-rx, +-ry, +-rz of (x, y, z) on all three axes
  /// (bounds inclusive); -1 if none or the table is empty.
  int32_t FindAtomInBox(double x, double y, double z, double rx, double ry, double rz) const;
  /// The atom nearest to (x, y, z) (Euclidean, the first of equals) and its
  /// distance; atom 0 and uc_MaxReal for an empty table.
  void FindClosestAtom(double x, double y, double z, int32_t& atom, double& dist) const;
  /// The same in the drawing plane (z ignored), for picking with a mouse:
  /// molecules read from 3-D files have z far from 0.
  void FindClosestAtom(double x, double y, int32_t& atom, double& dist) const;
  /// x/y extents and means, and the mean bond length (every bond from both
  /// ends; 0 without bonds) as the result. One atom: its own x and y as
  /// extents and centre, result 0. Empty: all 0.
  double CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& CentX,
                        double& CentY) const;
  /// Turns the x/y coordinates onto their principal axes (CalcPrincComp,
  /// covariance mode, over an n x 2 matrix): x' = e1 . (x, y), y' = e2 . (x, y)
  /// with e1 the axis of the largest variance; a reflection is avoided by
  /// flipping e2. z stays. Rounds only when CoordUnits is cuPixel. Nothing
  /// for fewer than two atoms or when the decomposition fails (NaN). Leaves
  /// the last decomposition in Zel_math2's process-wide eigen results.
  void RotateWithPCA();

  // -------------------------------------------------------------------------
  // 9b. Structure files
  //
  // Every reader and writer exists for a std::istream/std::ostream, a
  // TStream and an open TTextFile; the three share one implementation and
  // read the same. Lines end in "\n" or "\r\n". Numbers are read without the
  // locale (FloatFromChars; 1e400 is inf, which fails as a coordinate).
  // Readers never raise for malformed content; they fill a scratch table and
  // commit it in one change (one OnChange) when it is accepted, so a
  // rejected read leaves this table as it was (see the kSF... codes).
  // GetFileStatus tells why a read or write returned false.
  //
  // The MDL forms follow the V2000 CTfile layout. Counts line: atoms in
  // columns 1-3, bonds 4-6. Atom line: x 1-10, y 11-20, z 21-30, symbol
  // 32-34, mass difference 35-36, charge code 37-39 (1..7 give 3, 2, 1, 0,
  // -1, -2, -3; 0 neutral; others 0 and kSFBadCharge). Bond line: atoms 1-3
  // and 4-6, type 7-9. A blank field reads as 0; a field that holds
  // something else than a number fails the read (kSFBadLine). Symbols are
  // case-sensitive (AtomicNumber); "D" and "T" are hydrogen of mass 2 and 3;
  // query and pseudo atoms ("R#", "A", "Q", "*", "L", "LP") and unknown
  // symbols give atomic number 0. The mass is IntAtWeight(Z) plus the mass
  // difference (Br +1 gives 80, as RDKit reads it), so an atom without mass
  // data reads with the element's mass number, never 0. The property block
  // follows the bonds up to "M  END": "M  CHG" (-15..15) and "M  ISO"
  // (absolute mass 1..999) supersede the atom block's charges and masses
  // for the whole table, as the CTfile format says; other lines are skipped
  // ("A  " alias lines with their text line). A bond with an atom outside
  // 1..NAtoms or a == b is skipped, a type outside 1..4 is entered as 1;
  // both give kSFBadBond. A mass difference that would give a mass outside
  // 1..65535 is ignored (kSFBadValue). The bonds are mirrored (MakeSymmetricConnections).
  //
  // Coordinates are mapped into drawing units: with the extremes of x, y, z
  // over all atoms, fx = 800 / (xmax - xmin) and fy = 600 / (ymax - ymin)
  // (0 for a range not above 1e-6), f the larger; f shrinks so that no
  // (c - cmin) f exceeds 32767; each coordinate becomes Round((c - cmin) f).
  // CoordUnits becomes cuPixel. y is not flipped: a structure is drawn
  // mirrored top to bottom against the file's y-up convention.
  // -------------------------------------------------------------------------

  /// Status of the last read or write of a structure file (kSF...); kSFOk
  /// before any. Any other operation leaves it.
  int32_t GetFileStatus() const { return FFileStatus; }

  ///@{
  /// Reads an MDL connection table from the counts line through "M  END".
  /// True when the atom count was 1..63, every bond was sound and the input
  /// did not end before "M  END"; see the status codes for what false
  /// leaves. A table with kSFBadCounts, a truncated one (kSFTruncated: the
  /// input ended before the last atom, bond or "M  END") or a line that
  /// does not parse leaves this table untouched. The name and CAS number
  /// become empty and 0 on success.
  bool ReadFromMDLCTabStream(std::istream& s);
  bool ReadFromMDLCTabStream(TStream& s);
  bool ReadFromMDLCTabFile(TTextFile& f);
  ///@}

  ///@{
  /// Reads a Molfile: three header lines (line 1, without control
  /// characters and trailing blanks, becomes the name; lines 2 and 3 are
  /// skipped), then the connection table as ReadFromMDLCTabStream. A
  /// rejected file leaves the table and its name untouched.
  bool ReadFromMDLMolStream(std::istream& s);
  bool ReadFromMDLMolStream(TStream& s);
  bool ReadFromMDLMolFile(TTextFile& f);
  ///@}

  ///@{
  /// Reads one SD record up to and including its "$$$$" line, which must
  /// come (a record cut short is kSFTruncated). Call it in a loop: at the
  /// end of the input it returns false with kSFEndOfFile and touches
  /// nothing. Header lines as for a Molfile; atom lines are read in free
  /// format within the line (x, y, z, the symbol, then the mass difference
  /// and charge code, 0 when absent), bond lines as three integers (any
  /// further fields are skipped). A record whose counts are rejected (more
  /// than 63 atoms, "V3000") or that does not parse is skipped up to and
  /// including its "$$$$", so the next call reads the next record. Without
  /// "M  END" the structure ends at the first data header or "$$$$" (older
  /// files). Data items: a line starting with ">" whose first "<...>" field
  /// names the item (">  <MELTP>  (1)", "> <MELTP>", "> 25 <MELTP>"),
  /// compared in upper case; the line after it is the value. CAS_RN and
  /// CASREGNR set the CAS number through SetCASNr's check; the 20 ids of
  /// SDPropertyIDs() store their value, when the whole trimmed line is a
  /// number, into the first free entry of Props (dropped when all 20 are
  /// used; a value such as "ca. 100" is not stored). Props is cleared
  /// first, on every call; it is filled only for an accepted record.
  bool ReadFromMDLSDFile(TTextFile& f, TPropArray& Props);
  bool ReadFromMDLSDStream(std::istream& s, TPropArray& Props);
  bool ReadFromMDLSDStream(TStream& s, TPropArray& Props);
  ///@}

  ///@{
  /// Finds the first "/CONTAB" section of a clear-text file and reads its
  /// body (ReadConnTabBody). A word is the text after a "/" up to any
  /// whitespace or the line end, its first 8 characters retained; the
  /// section starts at the first word containing "CONTAB" (case-sensitive).
  /// kSFNoSection when the input ends first; the scan gives up after
  /// kMaxSDRecordLines lines (kSFRecordTooLong).
  bool ReadFromClearTextFile(TTextFile& f);
  bool ReadFromClearTextStream(std::istream& s);
  ///@}
  ///@{
  /// The same for the first word containing "CTABG": body "L n", L - n name
  /// lines, then per atom the atomic number, mass, attribute, charge, x, y
  /// and exactly 8 neighbours and 8 bond types (0 = none).
  bool ReadFromClearTextFileCTABG(TTextFile& f);
  bool ReadFromClearTextStreamCTABG(std::istream& s);
  ///@}
  ///@{
  /// Reads a CONTAB body, positioned behind the keyword: the integers L
  /// (body lines) and n (atoms) on the rest of the keyword's line, then,
  /// from the next line, L - 2n name lines (each without its first
  /// character, appended to the name), then per atom in free format across
  /// lines: its index (not checked: atoms must come in order), atomic number
  /// 0..103, mass 0..65535, attribute 0..255, charge -128..127, x, y, z
  /// (finite), the bond count k (0..62), k neighbours and k types. L <= 0,
  /// n outside 0..63, L - 2n outside 0..kMaxClearTextNameLines, a value out
  /// of range or not a number fail with kSFBadLine and leave the table.
  /// Soft (kSFBadValue, table filled): slots past 10 are read and dropped,
  /// a neighbour outside 1..n or equal to the atom and a type outside
  /// 1..255 are dropped. Bonds are entered as written (one-sided); the
  /// coordinate unit stays cuUnknown and coordinates are not mapped.
  bool ReadConnTabBody(TTextFile& f);
  bool ReadConnTabBody(std::istream& s);
  ///@}

  ///@{
  /// Writes the connection table: a counts line with the full V2000 fields
  /// ("aaabbb  0  0  0  0  0  0  0  0999 V2000"), atom and bond lines, then
  /// "M  CHG" for every charged atom and "M  ISO" for every atom whose mass
  /// is neither 0 nor IntAtWeight, eight entries a line, and "M  END".
  /// The atom block carries the charge code for charges -3..3 and a mass
  /// difference of 0. Each bond is written once (from its lower atom; a
  /// one-sided entry too). Coordinates that do not fit the F10.4 field
  /// (-9999.9999..99999.9999) are moved to start at 0 on each axis and, if
  /// still too wide, divided by the smallest power of ten that fits, which
  /// the reader's mapping cancels. Refused with kSFNotWritable (nothing
  /// written): an empty table, a non-finite coordinate, a bond type outside
  /// 1..4, a charge outside -15..15 or a mass above 999. kSFWriteError when
  /// the output fails (the stream's state, Write or Flush of the TStream).
  /// What this writes, the reader reads back into a table with the same
  /// atoms, charges, masses and bonds; CompareWith may still see the
  /// coordinates (mapped again; a table read from a file maps onto itself),
  /// the order of each atom's connection slots, a mass of 0 (read as
  /// IntAtWeight), the name (see the Molfile writer), one-sided bonds (read
  /// mirrored) and the flag and attribute bytes (not written).
  bool WriteToMDLCTabStream(std::ostream& s) const;
  bool WriteToMDLCTabStream(TStream& s) const;
  bool WriteToMDLCTabFile(TTextFile& f) const;
  ///@}

  ///@{
  /// Writes a Molfile: line 1 the name, line 2 User (2 characters, blank
  /// padded), ProgName (8), the current UTC date and time as MMDDYYHHmm,
  /// "2D" and Regnum in columns 47-52 (when 0..999999), line 3 comment,
  /// then the connection table as WriteToMDLCTabStream. Control characters
  /// in the header texts become blanks and each line is cut to 80
  /// characters, so the name reads back when it is at most 80 characters
  /// without control characters or trailing blanks.
  bool WriteToMDLMolStream(std::ostream& s, std::string_view User, std::string_view ProgName,
                           int32_t Regnum, std::string_view comment) const;
  bool WriteToMDLMolStream(TStream& s, std::string_view User, std::string_view ProgName,
                           int32_t Regnum, std::string_view comment) const;
  bool WriteToMDLMolFile(TTextFile& f, std::string_view User, std::string_view ProgName,
                         int32_t Regnum, std::string_view comment) const;
  ///@}

  ///@{
  /// Writes a "/CONTAB" section: the keyword line, "L n", one name line
  /// (" " and the name, control characters as blanks), and per atom two
  /// lines: "index Z mass attribute charge x y z" (coordinates with 9
  /// significant digits, which read back to the same float) and "k
  /// neighbours types". ReadFromClearTextFile reads it back into a table
  /// that compares equal, the coordinate unit (cuUnknown), the flag byte
  /// and one-sided entries outside 1..NAtoms apart. kSFNotWritable for a
  /// non-finite coordinate.
  bool WriteToClearTextFile(TTextFile& f) const;
  bool WriteToClearTextStream(std::ostream& s) const;
  ///@}

  ///@{
  /// Writes the structure for the MolConnX program in this library's
  /// free form: "ID <Id> <name>", "<atoms> <bonds>", per atom "<index>
  /// <symbol> <hydrogens> <charge>" (symbol "*" for atomic number 0,
  /// hydrogens NrHAtoms), per bond "<a> <b> <type>" (each bond once).
  bool WriteToMolConnXFile(int32_t Id, TTextFile& f) const;
  bool WriteToMolConnXStream(int32_t Id, std::ostream& s) const;
  ///@}

 private:
  /// The library's own analyses read the records directly.
  friend struct CTabAccess;
  CTElem* Atom(int32_t i);
  const CTElem* Atom(int32_t i) const;
  void Changed();
  int32_t ValidDegree(int32_t i) const;
  int32_t HeavyDegree(int32_t i) const;
  int32_t Components() const;
  void RemoveDuplicatesAndCompact(CTElem& rec);
  bool AppendRecord(const CTElem& rec);

  int32_t FNumValidAtoms = 0;
  std::string FStrucName;
  int64_t FCASNr = 0;
  CoordUnitType FCoordUnit = CoordUnitType::cuUnknown;
  std::array<CTElem, kMaxCTAtoms> FAtomEntries{};
  int32_t FUpdateLevel = 0;
  bool FPendingChange = false;
  std::ostream* FTraceStream = nullptr;
  std::filesystem::path FTraceFile;
  mutable int32_t FFileStatus = kSFOk;
};

}  // namespace zel
