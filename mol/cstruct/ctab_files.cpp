// MDL connection tables, Molfiles and SD records: line sources, the readers
// and the public entry points of every structure-file routine.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/ctab_files_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

const std::array<std::string_view, kNumSDProps>& SDPropertyIDs() {
  static const std::array<std::string_view, kNumSDProps> ids = {
      "MELTP", "BOILP", "DENSI", "REFRX", "LGKOC", "ACCOF", "WAALA", "WAALB", "WSOLU", "DHF0",
      "DFF0",  "LOGKF", "ENTR0", "LOGHY", "DIPOL", "HEATV", "MOLVL", "RETIX", "CRITT", "POLAR"};
  return ids;
}

const char* StructFileStatusText(int32_t status) {
  switch (status) {
    case kSFOk: return "structure file read or written";
    case kSFEndOfFile: return "the end of the input was reached before a record";
    case kSFBadCounts: return "the counts line is unreadable or the atom count is outside 1..63";
    case kSFTruncated: return "the input ended inside the structure";
    case kSFBadLine: return "a line or value does not parse";
    case kSFBadBond: return "a bond with an invalid atom or type was skipped or entered as single";
    case kSFBadCharge: return "a charge code outside 0..7 was read as neutral";
    case kSFLineTooLong:
      return "a line is longer than the readers accept, or the input could not be read";
    case kSFRecordTooLong: return "a record has more lines than the readers accept";
    case kSFNoSection: return "the section keyword was not found";
    case kSFBadValue: return "a property entry or connection slot out of range was ignored";
    case kSFWriteError: return "the output could not be written";
    case kSFNotWritable: return "the table holds what the format cannot express";
    case kSFReadError: return "the input stream could not be read";
    default: return "unknown structure file status";
  }
}

namespace ctabfiles_impl {

int IStreamSource::Fetch(std::string& Line) {
  Line.clear();
  std::streambuf* sb = FStream.rdbuf();
  if (!sb || !FStream.good()) return 0;
  using Traits = std::char_traits<char>;
  bool any = false;
  for (;;) {
    int c = 0;
    try {
      c = sb->sbumpc();
    } catch (...) {
      // As the stream's own extractors do: badbit, rethrown only when the
      // caller asked for exceptions.
      FError = kSFReadError;
      FStream.setstate(std::ios_base::badbit);
      return -1;
    }
    if (Traits::eq_int_type(c, Traits::eof())) {
      FStream.setstate(std::ios_base::eofbit);
      if (!any) return 0;
      break;
    }
    any = true;
    if (c == '\n') break;
    if (static_cast<int64_t>(Line.size()) >= kMaxStructLineLength) {
      FError = kSFLineTooLong;
      return -1;
    }
    Line.push_back(static_cast<char>(c));
  }
  if (!Line.empty() && Line.back() == '\r') Line.pop_back();
  return 1;
}

int TStreamSource::Fetch(std::string& Line) {
  bool tooLong = false;
  if (ReadLnStream(FStream, Line, kMaxStructLineLength, &tooLong)) return 1;
  if (tooLong) {
    FError = kSFLineTooLong;
    return -1;
  }
  return 0;
}

int TextFileSource::Fetch(std::string& Line) {
  if (FFile.ReadLn(Line, kMaxStructLineLength)) return 1;
  if (FFile.HasReadError()) {
    FError = kSFLineTooLong;
    return -1;
  }
  return 0;
}

bool OStreamSink::Put(std::string_view Text) {
  FStream.write(Text.data(), static_cast<std::streamsize>(Text.size()));
  return static_cast<bool>(FStream);
}

bool TStreamSink::Put(std::string_view Text) {
  const auto n = static_cast<int64_t>(Text.size());
  return FStream.Write(Text.data(), n) == n;
}

bool TextFileSink::Put(std::string_view Text) { return FFile.Write(Text); }

std::string_view Trim(std::string_view Text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!Text.empty() && blank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && blank(Text.back())) Text.remove_suffix(1);
  return Text;
}

bool ParseInt(std::string_view Text, int64_t& Value) {
  if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
  if (Text.empty() || Text.front() == '+') return false;
  const auto [p, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  return ec == std::errc() && p == Text.data() + Text.size();
}

bool ParseReal(std::string_view Text, double& Value) { return TryStrToFloat(Text, Value); }

std::string BlankControls(std::string_view Text) {
  std::string out(Text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

namespace {

/// Splits a line into whitespace-separated tokens, within the line only.
class LineTokens {
 public:
  explicit LineTokens(std::string_view Line) : FLine(Line) {}
  bool Next(std::string_view& Tok) {
    while (FPos < FLine.size() && static_cast<unsigned char>(FLine[FPos]) <= ' ') ++FPos;
    if (FPos >= FLine.size()) return false;
    const size_t start = FPos;
    while (FPos < FLine.size() && static_cast<unsigned char>(FLine[FPos]) > ' ') ++FPos;
    Tok = FLine.substr(start, FPos - start);
    return true;
  }

 private:
  std::string_view FLine;
  size_t FPos = 0;
};

/// Columns First..Last (1-based) of Line, clipped to the line and trimmed.
std::string_view Field(std::string_view Line, size_t First, size_t Last) {
  if (First > Line.size()) return {};
  return Trim(Line.substr(First - 1, std::min(Last, Line.size()) - (First - 1)));
}

/// A fixed-column integer: blank reads as 0; anything else must parse.
bool FieldInt(std::string_view Line, size_t First, size_t Last, int64_t& Value) {
  const std::string_view f = Field(Line, First, Last);
  Value = 0;
  return f.empty() || ParseInt(f, Value);
}

bool FieldReal(std::string_view Line, size_t First, size_t Last, double& Value) {
  const std::string_view f = Field(Line, First, Last);
  Value = 0;
  return f.empty() || ParseReal(f, Value);
}

bool IsTerminator(std::string_view Line) { return Trim(Line) == "$$$$"; }

/// Where the structure part of a record stands while it is read.
struct Reader {
  explicit Reader(LineSource& Src) : src(Src) {}
  LineSource& src;
  bool sd = false;       // SD record: free-format lines, "$$$$" ends it
  bool sawEnd = false;   // the "$$$$" line has been consumed
  int64_t lines = 0;     // lines of this record so far
  int32_t soft = kSFOk;  // first soft fault
  std::string line;

  void Soft(int32_t s) {
    if (soft == kSFOk) soft = s;
  }
  /// The next line of the structure part, or a status: kSFTruncated at the
  /// end (or at "$$$$" inside an SD structure), the source's error, or
  /// kSFRecordTooLong.
  int32_t Get() {
    if (++lines > kMaxSDRecordLines) return kSFRecordTooLong;
    const int r = src.Next(line);
    if (r < 0) return src.Error();
    if (r == 0) return kSFTruncated;
    if (sd && IsTerminator(line)) {
      sawEnd = true;
      return kSFTruncated;
    }
    return kSFOk;
  }
};

struct AtomData {
  int32_t z = 0;
  int32_t baseMass = 0;  // the mass the symbol implies (D 2, T 3)
  int32_t charge = 0;
};

void SymbolToAtom(std::string_view Sym, AtomData& a) {
  if (Sym == "D" || Sym == "T") {
    a.z = 1;
    a.baseMass = Sym == "D" ? 2 : 3;
    return;
  }
  a.z = AtomicNumber(Sym);
  a.baseMass = IntAtWeight(a.z);
}

int32_t ChargeFromCode(int64_t Code, Reader& r) {
  if (Code >= 1 && Code <= 7) return static_cast<int32_t>(4 - Code);
  if (Code != 0) r.Soft(kSFBadCharge);
  return 0;
}

/// Parses one "M  CHG"/"M  ISO" line into the scratch atoms.
int32_t PropertyLine(std::string_view Line, bool Iso, int32_t n,
                     std::array<AtomData, kMaxCTAtoms>& atoms,
                     std::array<int32_t, kMaxCTAtoms>& mass, bool& seen, Reader& r) {
  LineTokens tk(Line.substr(6));
  std::string_view tok;
  int64_t count = 0;
  if (!tk.Next(tok) || !ParseInt(tok, count) || count < 1 || count > 8) return kSFBadLine;
  if (!seen) {
    // The first such line supersedes the atom block for every atom.
    for (int32_t i = 0; i < n; ++i) {
      if (Iso)
        mass[i] = atoms[i].baseMass;
      else
        atoms[i].charge = 0;
    }
    seen = true;
  }
  for (int64_t k = 0; k < count; ++k) {
    int64_t a = 0, v = 0;
    std::string_view ta, tv;
    if (!tk.Next(ta) || !tk.Next(tv) || !ParseInt(ta, a) || !ParseInt(tv, v)) return kSFBadLine;
    const bool ok = a >= 1 && a <= n && (Iso ? (v >= 1 && v <= 999) : (v >= -15 && v <= 15));
    if (!ok) {
      r.Soft(kSFBadValue);
      continue;
    }
    if (Iso)
      mass[a - 1] = static_cast<int32_t>(v);
    else
      atoms[a - 1].charge = static_cast<int32_t>(v);
  }
  return kSFOk;
}

/// Maps the coordinates into drawing units (see the header).
void MapCoordinates(std::array<CTElem, kMaxCTAtoms>& recs, int32_t n) {
  std::array<long double, 3> lo{}, hi{};
  for (int d = 0; d < 3; ++d) {
    lo[d] = hi[d] = recs[0].coords[d];
    for (int32_t i = 1; i < n; ++i) {
      lo[d] = std::min<long double>(lo[d], recs[i].coords[d]);
      hi[d] = std::max<long double>(hi[d], recs[i].coords[d]);
    }
  }
  const auto factor = [&](int d, long double span) {
    const long double range = hi[d] - lo[d];
    return range > 1e-6L ? span / range : 0.0L;
  };
  long double f = std::max(factor(0, 800), factor(1, 600));
  for (int32_t i = 0; i < n; ++i)
    for (int d = 0; d < 3; ++d) {
      const long double c = recs[i].coords[d] - lo[d];
      if (c * f > 32767) f = 32767 / c;
    }
  for (int32_t i = 0; i < n; ++i)
    for (int d = 0; d < 3; ++d)
      recs[i].coords[d] = static_cast<float>(Round((recs[i].coords[d] - lo[d]) * f));
}

/// Reads the counts line through "M  END" into the scratch table t.
int32_t ReadStructure(TCTab& t, Reader& r) {
  if (const int32_t s = r.Get(); s != kSFOk) return s;
  int64_t nAtoms = 0, nBonds = 0;
  if (!FieldInt(r.line, 1, 3, nAtoms) || !FieldInt(r.line, 4, 6, nBonds) || nAtoms < 1 ||
      nAtoms > kMaxCTAtoms || nBonds < 0 || r.line.find("V3000") != std::string::npos)
    return kSFBadCounts;
  const auto n = static_cast<int32_t>(nAtoms);

  std::array<CTElem, kMaxCTAtoms> recs{};
  std::array<AtomData, kMaxCTAtoms> atoms{};
  std::array<int32_t, kMaxCTAtoms> mass{};
  for (int32_t i = 0; i < n; ++i) {
    if (const int32_t s = r.Get(); s != kSFOk) return s;
    double x = 0, y = 0, z = 0;
    int64_t dd = 0, code = 0;
    std::string_view sym;
    if (r.sd) {
      LineTokens tk(r.line);
      std::string_view tx, ty, tz, tdd, tcc;
      if (!tk.Next(tx) || !tk.Next(ty) || !tk.Next(tz) || !tk.Next(sym) || !ParseReal(tx, x) ||
          !ParseReal(ty, y) || !ParseReal(tz, z))
        return kSFBadLine;
      if (tk.Next(tdd) && !ParseInt(tdd, dd)) return kSFBadLine;
      if (tk.Next(tcc) && !ParseInt(tcc, code)) return kSFBadLine;
    } else {
      if (!FieldReal(r.line, 1, 10, x) || !FieldReal(r.line, 11, 20, y) ||
          !FieldReal(r.line, 21, 30, z) || !FieldInt(r.line, 35, 36, dd) ||
          !FieldInt(r.line, 37, 39, code))
        return kSFBadLine;
      sym = Field(r.line, 32, 34);
    }
    const float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) return kSFBadLine;
    SymbolToAtom(sym, atoms[i]);
    atoms[i].charge = ChargeFromCode(code, r);
    int64_t m = atoms[i].baseMass + dd;
    if (dd != 0 && (m < 1 || m > 65535)) {
      r.Soft(kSFBadValue);
      m = atoms[i].baseMass;
    }
    mass[i] = static_cast<int32_t>(m);
    recs[i].coords = {fx, fy, fz};
  }

  for (int64_t b = 0; b < nBonds; ++b) {
    if (const int32_t s = r.Get(); s != kSFOk) return s;
    int64_t a1 = 0, a2 = 0, type = 0;
    if (r.sd) {
      LineTokens tk(r.line);
      std::string_view t1, t2, t3;
      if (!tk.Next(t1) || !tk.Next(t2) || !tk.Next(t3) || !ParseInt(t1, a1) || !ParseInt(t2, a2) ||
          !ParseInt(t3, type))
        return kSFBadLine;
    } else if (!FieldInt(r.line, 1, 3, a1) || !FieldInt(r.line, 4, 6, a2) ||
               !FieldInt(r.line, 7, 9, type)) {
      return kSFBadLine;
    }
    if (a1 < 1 || a1 > n || a2 < 1 || a2 > n || a1 == a2) {
      r.Soft(kSFBadBond);
      continue;
    }
    if (type < 1 || type > 4) {
      r.Soft(kSFBadBond);
      type = 1;
    }
    CTElem& e = recs[a1 - 1];
    int slot = -1;
    for (int k = 0; k < kMaxCTConn && slot < 0; ++k)
      if (e.connTo[k] == a2 || e.connTo[k] == 0) slot = k;
    if (slot < 0) {
      r.Soft(kSFBadBond);  // an eleventh neighbour has no slot
      continue;
    }
    e.connTo[slot] = static_cast<uint8_t>(a2);
    e.typConn[slot] = static_cast<uint8_t>(type);
  }

  // The property block, up to "M  END".
  bool chgSeen = false, isoSeen = false, ended = false;
  while (!ended) {
    const int32_t s = r.Get();
    if (s != kSFOk) {
      // Older SD files have no "M  END": the data items or "$$$$" follow.
      if (r.sd && r.sawEnd) break;
      return s;
    }
    const std::string_view l = r.line;
    if (l.starts_with("M  END")) {
      ended = true;
    } else if (l.starts_with("M  CHG") || l.starts_with("M  ISO")) {
      const bool iso = l[5] == 'O';
      if (const int32_t ps = PropertyLine(l, iso, n, atoms, mass, iso ? isoSeen : chgSeen, r);
          ps != kSFOk)
        return ps;
    } else if (l.starts_with("A  ")) {
      if (const int32_t s2 = r.Get(); s2 != kSFOk) return s2;  // the alias text line
    } else if (r.sd && Trim(l).starts_with(">")) {
      r.src.Unget(r.line);
      break;
    }
  }

  for (int32_t i = 0; i < n; ++i) {
    recs[i].atNum = static_cast<uint8_t>(atoms[i].z);
    recs[i].atWeight = static_cast<uint16_t>(mass[i]);
    recs[i].charge = static_cast<int8_t>(atoms[i].charge);
  }
  MapCoordinates(recs, n);
  t.BeginUpdate();
  t.Clear();
  for (int32_t i = 0; i < n; ++i) t.AddAtom(recs[i]);
  if (t.MakeSymmetricConnections() != 0) r.Soft(kSFBadBond);
  t.SetCoordUnits(CoordUnitType::cuPixel);
  t.EndUpdate();
  return kSFOk;
}

std::string HeaderName(std::string_view Line) {
  std::string name = RemoveControlChars(Line);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

/// Reads the three header lines; the first is the name.
int32_t ReadHeader(Reader& r, std::string& Name, bool EofIsEnd) {
  for (int k = 0; k < 3; ++k) {
    const int32_t s = r.Get();
    if (s != kSFOk)
      return (k == 0 && EofIsEnd && s == kSFTruncated && !r.sawEnd) ? kSFEndOfFile : s;
    if (k == 0) Name = HeaderName(r.line);
  }
  return kSFOk;
}

}  // namespace

int32_t ReadMDL(TCTab& t, LineSource& src, bool WithHeader) {
  Reader r(src);
  std::string name;
  if (WithHeader)
    if (const int32_t s = ReadHeader(r, name, false); s != kSFOk) return s;
  TCTab scratch(nullptr);
  if (const int32_t s = ReadStructure(scratch, r); s != kSFOk) return s;
  scratch.SetStrucName(name);
  t.CopyFrom(&scratch);
  return r.soft;
}

int32_t ReadSD(TCTab& t, LineSource& src, TPropArray& Props) {
  for (TPropRec& p : Props) p = TPropRec{};
  Reader r(src);
  r.sd = true;
  std::string name;
  int32_t status = ReadHeader(r, name, true);
  if (status == kSFEndOfFile) return status;
  TCTab scratch(nullptr);
  if (status == kSFOk) status = ReadStructure(scratch, r);
  if (status != kSFOk) {
    // Skip the rest of the rejected record so that the next call starts at
    // the next one.
    if (status == kSFLineTooLong || status == kSFReadError || r.sawEnd) return status;
    for (;;) {
      if (++r.lines > kMaxSDRecordLines) return kSFRecordTooLong;
      const int k = src.Next(r.line);
      if (k <= 0) return k < 0 ? src.Error() : status;
      if (IsTerminator(r.line)) return status;
    }
  }
  scratch.SetStrucName(name);
  TPropArray props{};
  int32_t used = 0;
  while (!r.sawEnd) {
    if (++r.lines > kMaxSDRecordLines) return kSFRecordTooLong;
    const int k = src.Next(r.line);
    if (k < 0) return src.Error();
    if (k == 0) return kSFTruncated;
    if (IsTerminator(r.line)) break;
    const std::string_view l = Trim(r.line);
    if (!l.starts_with(">")) continue;
    const size_t open = l.find('<');
    const size_t close = open == std::string_view::npos ? open : l.find('>', open + 1);
    if (close == std::string_view::npos) continue;
    const std::string id = UpperCaseAscii(l.substr(open + 1, close - open - 1));
    const int kv = src.Next(r.line);
    if (kv < 0) return src.Error();
    if (kv == 0) return kSFTruncated;
    if (IsTerminator(r.line)) break;  // an item without a value line
    const std::string_view value = Trim(r.line);
    if (id == "CAS_RN" || id == "CASREGNR") {
      scratch.SetCASNr(std::string(value));
      continue;
    }
    const auto& ids = SDPropertyIDs();
    if (std::find(ids.begin(), ids.end(), id) == ids.end() || used >= kNumSDProps) continue;
    double v = 0;
    if (!ParseReal(value, v)) continue;
    props[used].ID = id;
    props[used].Par = v;
    ++used;
  }
  t.CopyFrom(&scratch);
  Props = props;
  return r.soft;
}

}  // namespace ctabfiles_impl

using namespace ctabfiles_impl;

namespace {

bool Done(int32_t& Field, int32_t Status) {
  Field = Status;
  return Status == kSFOk;
}

}  // namespace

bool TCTab::ReadFromMDLCTabStream(std::istream& s) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadMDL(*this, src, false));
}
bool TCTab::ReadFromMDLCTabStream(TStream& s) {
  TStreamSource src(s);
  return Done(FFileStatus, ReadMDL(*this, src, false));
}
bool TCTab::ReadFromMDLCTabFile(TTextFile& f) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadMDL(*this, src, false));
}
bool TCTab::ReadFromMDLMolStream(std::istream& s) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadMDL(*this, src, true));
}
bool TCTab::ReadFromMDLMolStream(TStream& s) {
  TStreamSource src(s);
  return Done(FFileStatus, ReadMDL(*this, src, true));
}
bool TCTab::ReadFromMDLMolFile(TTextFile& f) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadMDL(*this, src, true));
}
bool TCTab::ReadFromMDLSDFile(TTextFile& f, TPropArray& Props) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadSD(*this, src, Props));
}
bool TCTab::ReadFromMDLSDStream(std::istream& s, TPropArray& Props) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadSD(*this, src, Props));
}
bool TCTab::ReadFromMDLSDStream(TStream& s, TPropArray& Props) {
  TStreamSource src(s);
  return Done(FFileStatus, ReadSD(*this, src, Props));
}
bool TCTab::ReadFromClearTextFile(TTextFile& f) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadClearText(*this, src, "CONTAB", true));
}
bool TCTab::ReadFromClearTextStream(std::istream& s) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadClearText(*this, src, "CONTAB", true));
}
bool TCTab::ReadFromClearTextFileCTABG(TTextFile& f) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadClearText(*this, src, "CTABG", true));
}
bool TCTab::ReadFromClearTextStreamCTABG(std::istream& s) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadClearText(*this, src, "CTABG", true));
}
bool TCTab::ReadConnTabBody(TTextFile& f) {
  TextFileSource src(f);
  return Done(FFileStatus, ReadClearText(*this, src, "CONTAB", false));
}
bool TCTab::ReadConnTabBody(std::istream& s) {
  IStreamSource src(s);
  return Done(FFileStatus, ReadClearText(*this, src, "CONTAB", false));
}

bool TCTab::WriteToMDLCTabStream(std::ostream& s) const {
  OStreamSink out(s);
  return Done(FFileStatus, WriteMDL(*this, out, false, {}, {}, 0, {}));
}
bool TCTab::WriteToMDLCTabStream(TStream& s) const {
  TStreamSink out(s);
  return Done(FFileStatus, WriteMDL(*this, out, false, {}, {}, 0, {}));
}
bool TCTab::WriteToMDLCTabFile(TTextFile& f) const {
  TextFileSink out(f);
  return Done(FFileStatus, WriteMDL(*this, out, false, {}, {}, 0, {}));
}
bool TCTab::WriteToMDLMolStream(std::ostream& s, std::string_view User, std::string_view ProgName,
                                int32_t Regnum, std::string_view comment) const {
  OStreamSink out(s);
  return Done(FFileStatus, WriteMDL(*this, out, true, User, ProgName, Regnum, comment));
}
bool TCTab::WriteToMDLMolStream(TStream& s, std::string_view User, std::string_view ProgName,
                                int32_t Regnum, std::string_view comment) const {
  TStreamSink out(s);
  return Done(FFileStatus, WriteMDL(*this, out, true, User, ProgName, Regnum, comment));
}
bool TCTab::WriteToMDLMolFile(TTextFile& f, std::string_view User, std::string_view ProgName,
                              int32_t Regnum, std::string_view comment) const {
  TextFileSink out(f);
  return Done(FFileStatus, WriteMDL(*this, out, true, User, ProgName, Regnum, comment));
}
bool TCTab::WriteToClearTextFile(TTextFile& f) const {
  TextFileSink out(f);
  return Done(FFileStatus, WriteClearText(*this, out));
}
bool TCTab::WriteToClearTextStream(std::ostream& s) const {
  OStreamSink out(s);
  return Done(FFileStatus, WriteClearText(*this, out));
}
bool TCTab::WriteToMolConnXFile(int32_t Id, TTextFile& f) const {
  TextFileSink out(f);
  return Done(FFileStatus, WriteMolConnX(*this, Id, out));
}
bool TCTab::WriteToMolConnXStream(int32_t Id, std::ostream& s) const {
  OStreamSink out(s);
  return Done(FFileStatus, WriteMolConnX(*this, Id, out));
}

}  // namespace zel
