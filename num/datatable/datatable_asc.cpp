// Data tables: the ASC text form (writer and readers, file, stream and
// clipboard).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

#include "core/zel_filesys.hpp"
#include "core/zel_stringl.hpp"
#include "gui/zel_clipbrd.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

void AppendQuoted(std::string& Out, std::string_view Text) {
  Out += '"';
  for (const char c : Text) {
    if (c == '"') Out += '"';
    Out += c;
  }
  Out += '"';
}

// A cell the rows write as "###": empty and holding +0.
bool WrittenAsEmpty(double v, uint8_t st) { return st == kCellEmpty && v == 0 && !std::signbit(v); }

// Items of the body: words separated by the bytes 0x00-0x20, and quoted
// texts with '"' doubled inside.
class TAscScanner {
 public:
  explicit TAscScanner(std::string_view Text, size_t Pos) : FText(Text), FPos(Pos) {}

  bool Word(std::string_view& W) {
    SkipSpace();
    const size_t start = FPos;
    while (FPos < FText.size() && !Space(FText[FPos])) ++FPos;
    W = FText.substr(start, FPos - start);
    return FPos > start;
  }
  bool Quoted(std::string& Q) {
    SkipSpace();
    Q.clear();
    if (FPos >= FText.size() || FText[FPos] != '"') return false;
    for (size_t i = FPos + 1; i < FText.size(); ++i) {
      if (FText[i] != '"') {
        Q += FText[i];
      } else if (i + 1 < FText.size() && FText[i + 1] == '"') {
        Q += '"';
        ++i;
      } else {
        FPos = i + 1;
        return true;
      }
    }
    return false;
  }
  bool Int(int64_t& V, int64_t Lo, int64_t Hi) {
    std::string_view w;
    if (!Word(w)) return false;
    const auto res = std::from_chars(w.data(), w.data() + w.size(), V);
    return res.ec == std::errc() && res.ptr == w.data() + w.size() && V >= Lo && V <= Hi;
  }
  bool AtEnd() {
    SkipSpace();
    return FPos >= FText.size();
  }
  size_t Pos() const { return FPos; }
  int64_t Left() const { return static_cast<int64_t>(FText.size() - FPos); }

 private:
  static bool Space(char c) { return static_cast<unsigned char>(c) <= 0x20; }
  void SkipSpace() {
    while (FPos < FText.size() && Space(FText[FPos])) ++FPos;
  }
  std::string_view FText;
  size_t FPos;
};

bool FlagWord(std::string_view W, bool& Flag) {
  const std::string u = UpperCaseAscii(W);
  if (u == "TRUE")
    Flag = true;
  else if (u == "FALSE")
    Flag = false;
  else
    return false;
  return true;
}

// The header with three flags (row attributes, column names, row names),
// which ReadHeaderOfASC refuses: the same rules otherwise.
int32_t ReadThreeFlagHeader(TMemoryStream& S, TAscHeader& H) {
  S.SetPosition(0);
  std::string lines[4];
  for (auto& l : lines)
    if (!ReadLnStream(S, l, kMaxAscHeaderLineLength)) return kAscBadFlags;
  TAscHeader h;
  h.Comment = lines[0];
  const auto count = [](const std::string& l, int32_t& v) {
    const std::string t = StripLTBlanks(l);
    const auto res = std::from_chars(t.data(), t.data() + t.size(), v);
    return res.ec == std::errc() && v >= 0;
  };
  if (!count(lines[1], h.NrOfColumns) || !count(lines[2], h.NrOfRows)) return kAscBadFlags;
  const std::string& f = lines[3];
  const std::string body = f.substr(0, std::min(f.find(';'), f.size()));
  const std::vector<std::string> words = Tokenize(body, " \t");
  if (words.size() != 3 || !FlagWord(words[0], h.RowAttributes) ||
      !FlagWord(words[1], h.ColumnNames) || !FlagWord(words[2], h.RowNames))
    return kAscBadFlags;
  const int64_t cells = int64_t{h.NrOfRows} * std::max<int64_t>(h.NrOfColumns, 1);
  if (cells > S.Remaining() + 1) return kAscBadRowCount;
  H = std::move(h);
  return kAscOk;
}

// The body of an ASC text as read, before it is placed.
struct TAscBody {
  std::vector<std::string> ColNames, RowNames;
  std::vector<int32_t> RowAtt;
  std::vector<TVTypeSpec> Types;
  TDouble2DArray Vals;
  std::vector<std::vector<uint8_t>> States;
  TStr2DArray Cust;
};

int32_t ReadBody(std::string_view Text, size_t Pos, const TAscHeader& H, TAscBody& B, size_t& End) {
  const auto nc = static_cast<size_t>(H.NrOfColumns), nr = static_cast<size_t>(H.NrOfRows);
  TAscScanner s(Text, Pos);
  std::string q;
  std::string_view w;
  if (H.ColumnNames) {
    B.ColNames.resize(nc);
    for (auto& n : B.ColNames) {
      if (!s.Quoted(q)) return kDTAscBadValue;
      n = Utf8Truncate(q, kMaxDTNameLength);
    }
  }
  if (H.NominalVars) {
    B.Types.resize(nc);
    for (auto& t : B.Types) {
      int64_t scale = 0, count = 0, ord = 0;
      if (!s.Int(scale, 0, 4) || !s.Int(count, 0, kMaxNominalIDs)) return kDTAscBadTypes;
      t.MScaleType = static_cast<TMScaleType>(scale);
      for (int64_t k = 0; k < count; ++k) {
        if (!s.Int(ord, 0, kMaxNominalIDs - 1) || !s.Quoted(q)) return kDTAscBadTypes;
        t.NominalIDs[static_cast<size_t>(ord)] = Utf8Truncate(q, kMaxNominalIDLength);
      }
    }
  }
  // ReadHeaderOfASC has checked the cell count against the bytes left.
  B.Vals.assign(nc, TDoubleArray(nr, 0.0));
  B.States.assign(nc, std::vector<uint8_t>(nr, 0));
  if (H.RowAttributes) B.RowAtt.resize(nr);
  if (H.RowNames) B.RowNames.resize(nr);
  for (size_t r = 0; r < nr; ++r) {
    int64_t a = 0;
    if (H.RowAttributes) {
      if (!s.Int(a, INT32_MIN, INT32_MAX)) return kDTAscBadRowAttribute;
      B.RowAtt[r] = static_cast<int32_t>(a);
    }
    if (H.RowNames) {
      if (!s.Quoted(q)) return kDTAscBadValue;
      B.RowNames[r] = Utf8Truncate(q, kMaxDTNameLength);
    }
    for (size_t c = 0; c < nc; ++c) {
      if (!s.Word(w)) return kDTAscBadValue;
      if (w == "###") {
        B.States[c][r] = kCellEmpty;
      } else if (!TryStrToFloat(w, B.Vals[c][r])) {
        return kDTAscBadValue;
      }
    }
  }
  bool more = s.Word(w);
  if (more && w == "#cellstates") {
    int64_t st = 0;
    for (size_t r = 0; r < nr; ++r)
      for (size_t c = 0; c < nc; ++c) {
        if (!s.Int(st, 0, 255)) return kDTAscBadTrailer;
        B.States[c][r] = static_cast<uint8_t>(st);
      }
    more = s.Word(w);
  }
  if (more && w == "#custdata") {
    // Every column takes at least two bytes and every string three, so
    // counts beyond that cannot be real.
    int64_t ncols = 0, n = 0;
    if (!s.Int(ncols, 0, s.Left() / 2)) return kDTAscBadTrailer;
    B.Cust.resize(static_cast<size_t>(ncols));
    for (auto& col : B.Cust) {
      if (!s.Int(n, 0, s.Left() / 3)) return kDTAscBadTrailer;
      col.resize(static_cast<size_t>(n));
      for (auto& str : col)
        if (!s.Quoted(str)) return kDTAscBadTrailer;
    }
    more = s.Word(w);
  }
  if (more) return kDTAscBadTrailer;
  End = s.Pos();
  return kDTAscOk;
}

}  // namespace

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------

std::string TDataTable::TFiles::AscText(const TDataTable& T, int32_t Precision,
                                        const TStr2DArray* CustData) {
  const int32_t nc = T.FNrOfCols, nr = T.FNrOfRows;
  const bool ra = std::any_of(T.FRowAtt.begin(), T.FRowAtt.end(), [](int32_t a) { return a != 0; });
  bool nv = false, states = false;
  for (const TVTypeSpec& t : T.FVType)
    nv = nv || t.MScaleType != TMScaleType::stInterval ||
         std::any_of(t.NominalIDs.begin(), t.NominalIDs.end(),
                     [](const std::string& s) { return !s.empty(); });
  std::string out;
  out.reserve(static_cast<size_t>(nc) * static_cast<size_t>(nr) * 20 + 4096);
  // One header line: control characters would split it.
  for (const char c : T.FComment)
    out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  out += '\n';
  out += std::to_string(nc) + "\t;nr. of columns\n" + std::to_string(nr) + "\t;nr. of rows\n";
  out += BoolToStr(ra) + " TRUE TRUE " + BoolToStr(nv) +
         "\t;row attributes, column names, row names, nominal variables\n";
  for (int32_t c = 1; c <= nc; ++c) {
    if (c > 1) out += ' ';
    AppendQuoted(out, T.FColName[static_cast<size_t>(c - 1)]);
  }
  out += '\n';
  if (nv)
    for (const TVTypeSpec& t : T.FVType) {
      const auto n = std::count_if(t.NominalIDs.begin(), t.NominalIDs.end(),
                                   [](const std::string& s) { return !s.empty(); });
      out += std::to_string(static_cast<int32_t>(t.MScaleType)) + ' ' + std::to_string(n);
      for (int32_t k = 0; k < kMaxNominalIDs; ++k) {
        const std::string& id = t.NominalIDs[static_cast<size_t>(k)];
        if (id.empty()) continue;
        out += ' ' + std::to_string(k) + ' ';
        AppendQuoted(out, id);
      }
      out += '\n';
    }
  for (int32_t r = 1; r <= nr; ++r) {
    if (ra) out += std::to_string(T.FRowAtt[static_cast<size_t>(r - 1)]) + '\t';
    AppendQuoted(out, T.FRowName[static_cast<size_t>(r - 1)]);
    for (int32_t c = 1; c <= nc; ++c) {
      out += '\t';
      const double v = T.Val(c, r);
      const uint8_t st = T.St(c, r);
      if (WrittenAsEmpty(v, st)) {
        out += "###";
      } else {
        AppendNumber(out, v, Precision);
        states = states || st != 0;
      }
    }
    out += '\n';
  }
  if (states) {
    out += "#cellstates\n";
    for (int32_t r = 1; r <= nr; ++r) {
      for (int32_t c = 1; c <= nc; ++c) {
        if (c > 1) out += ' ';
        out += std::to_string(T.St(c, r));
      }
      out += '\n';
    }
  }
  if (CustData != nullptr) {
    out += "#custdata\n" + std::to_string(CustData->size()) + '\n';
    for (const auto& col : *CustData) {
      out += std::to_string(col.size());
      for (const auto& s : col) {
        out += ' ';
        AppendQuoted(out, s);
      }
      out += '\n';
    }
  }
  return out;
}

bool TDataTable::ExportAsASC(const std::string& FName, int32_t Precision) {
  const std::string text = TFiles::AscText(*this, Precision, nullptr);
  if (!WriteTextFile(FName, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::ExportAsASC(const std::string& FName, int32_t Precision,
                             const TStr2DArray& CustData) {
  const std::string text = TFiles::AscText(*this, Precision, &CustData);
  if (!WriteTextFile(FName, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::ExportAsASC(TStream& OutStream, int32_t Precision) {
  const std::string text = TFiles::AscText(*this, Precision, nullptr);
  if (!WriteTextStream(OutStream, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::ExportAsASC(TTextFile& f, int32_t Precision) {
  const std::string text = TFiles::AscText(*this, Precision, nullptr);
  if (!f.Write(text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

// ---------------------------------------------------------------------------
// Readers
// ---------------------------------------------------------------------------

int32_t TDataTable::TFiles::ReadAsc(TDataTable& T, std::string_view Text, size_t& Consumed,
                                    TStr2DArray* CustData, bool Whole, int32_t PosX, int32_t PosY,
                                    bool ReplaceIDs) {
  if (CustData != nullptr) CustData->clear();
  if (!Whole && (PosX < 1 || PosY < 1)) return kDTAscBadPosition;
  try {
    TMemoryStream ms;
    if (ms.Write(Text.data(), static_cast<int64_t>(Text.size())) !=
        static_cast<int64_t>(Text.size()))
      return kAscCannotRead;
    ms.SetPosition(0);
    TAscHeader h;
    int32_t status = ReadHeaderOfASC(ms, h);
    if (status == kAscBadFlags) status = ReadThreeFlagHeader(ms, h);
    if (status != kAscOk) return status;
    if (h.NrOfColumns < 1 || h.NrOfRows < 1) return kDTAscNoCells;
    if (!Whole && (int64_t{PosX} - 1 + h.NrOfColumns > INT32_MAX ||
                   int64_t{PosY} - 1 + h.NrOfRows > INT32_MAX))
      return kDTAscBadPosition;
    TAscBody b;
    size_t end = 0;
    status = ReadBody(Text, static_cast<size_t>(ms.GetPosition()), h, b, end);
    if (status != kDTAscOk) return status;
    const auto nc = static_cast<size_t>(h.NrOfColumns), nr = static_cast<size_t>(h.NrOfRows);
    TLayout L;
    size_t x0 = 0, y0 = 0;
    if (Whole) {
      L = NewLayout(h.NrOfColumns, h.NrOfRows);
    } else {
      x0 = static_cast<size_t>(PosX - 1);
      y0 = static_cast<size_t>(PosY - 1);
      TIndexMap cols(std::max(static_cast<size_t>(T.FNrOfCols), x0 + nc));
      TIndexMap rows(std::max(static_cast<size_t>(T.FNrOfRows), y0 + nr));
      for (size_t i = 0; i < cols.size(); ++i)
        cols[i] = i < static_cast<size_t>(T.FNrOfCols) ? static_cast<int32_t>(i) + 1 : 0;
      for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = i < static_cast<size_t>(T.FNrOfRows) ? static_cast<int32_t>(i) + 1 : 0;
      L = T.Remap(cols, rows, true, true);
    }
    for (size_t c = 0; c < nc; ++c) {
      std::copy(b.Vals[c].begin(), b.Vals[c].end(),
                L.Vals[x0 + c].begin() + static_cast<ptrdiff_t>(y0));
      std::copy(b.States[c].begin(), b.States[c].end(),
                L.States[x0 + c].begin() + static_cast<ptrdiff_t>(y0));
    }
    if (Whole || ReplaceIDs) {
      for (size_t c = 0; c < b.ColNames.size(); ++c) L.ColNames[x0 + c] = b.ColNames[c];
      for (size_t c = 0; c < b.Types.size(); ++c) L.Types[x0 + c] = b.Types[c];
      for (size_t r = 0; r < b.RowNames.size(); ++r) L.RowNames[y0 + r] = b.RowNames[r];
      for (size_t r = 0; r < b.RowAtt.size(); ++r) L.RowAtt[y0 + r] = b.RowAtt[r];
    }
    Take(T, L, Whole ? h.Comment : T.FComment);
    if (CustData != nullptr) CustData->swap(b.Cust);
    Consumed = end;
  } catch (const std::bad_alloc&) {
    return Whole ? kAscCannotRead : kDTAscBadPosition;
  } catch (const std::length_error&) {
    return Whole ? kAscCannotRead : kDTAscBadPosition;
  } catch (const EZELDataTableError&) {
    return Whole ? kAscCannotRead : kDTAscBadPosition;
  }
  return kDTAscOk;
}

int32_t TDataTable::TFiles::ReadAscStream(TDataTable& T, TStream& S, bool Whole, int32_t PosX,
                                          int32_t PosY, bool ReplaceIDs) {
  if (!Whole && (PosX < 1 || PosY < 1)) return kDTAscBadPosition;
  const int64_t start = S.GetPosition();
  TMemoryStream ms;
  if (!ms.LoadFromStream(S)) return kAscCannotRead;
  size_t used = 0;
  const std::string_view text(reinterpret_cast<const char*>(ms.GetMemory()),
                              static_cast<size_t>(ms.GetSize()));
  const int32_t status = ReadAsc(T, text, used, nullptr, Whole, PosX, PosY, ReplaceIDs);
  // Leave the stream just after the text read, where it can go back.
  if (status == kDTAscOk) S.Seek(start + static_cast<int64_t>(used), TSeekOrigin::soBeginning);
  return status;
}

int32_t TDataTable::TFiles::ReadAscClipboard(TDataTable& T, TClipboard& C, bool Whole, int32_t PosX,
                                             int32_t PosY, bool ReplaceIDs) {
  if (!Whole && (PosX < 1 || PosY < 1)) return kDTAscBadPosition;
  if (!C.HasFormat(TClipboardFormat::cfText)) return kDTAscNoText;
  const std::string text = C.GetAsText();
  if (text.empty()) return kDTAscNoText;
  size_t used = 0;
  return ReadAsc(T, text, used, nullptr, Whole, PosX, PosY, ReplaceIDs);
}

namespace {

// The file's bytes, or the status of a file that cannot be had.
int32_t LoadAscFile(const std::string& FName, TMemoryStream& ms) {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return kDTAscNoFile;
  return ms.LoadFromFile(FName) ? kDTAscOk : kAscCannotRead;
}

std::string_view View(const TMemoryStream& ms) {
  return {reinterpret_cast<const char*>(ms.GetMemory()), static_cast<size_t>(ms.GetSize())};
}

}  // namespace

int32_t TDataTable::ImportASC(const std::string& FName, TStr2DArray& CustData) {
  CustData.clear();
  TMemoryStream ms;
  const int32_t status = LoadAscFile(FName, ms);
  if (status != kDTAscOk) return status;
  size_t used = 0;
  return TFiles::ReadAsc(*this, View(ms), used, &CustData, true, 1, 1, false);
}

int32_t TDataTable::ImportASC(const std::string& FName) {
  TStr2DArray cust;
  return ImportASC(FName, cust);
}

int32_t TDataTable::ImportASC(TStream& InStream) {
  return TFiles::ReadAscStream(*this, InStream, true, 1, 1, false);
}

int32_t TDataTable::ImportASC(TClipboard& ClipBd) {
  return TFiles::ReadAscClipboard(*this, ClipBd, true, 1, 1, false);
}

int32_t TDataTable::ReadFromASC(const std::string& FName, int32_t PosX, int32_t PosY,
                                bool ReplaceIDs) {
  if (PosX < 1 || PosY < 1) return kDTAscBadPosition;
  TMemoryStream ms;
  const int32_t status = LoadAscFile(FName, ms);
  if (status != kDTAscOk) return status;
  size_t used = 0;
  return TFiles::ReadAsc(*this, View(ms), used, nullptr, false, PosX, PosY, ReplaceIDs);
}

int32_t TDataTable::ReadFromASC(TStream& InStream, int32_t PosX, int32_t PosY, bool ReplaceIDs) {
  return TFiles::ReadAscStream(*this, InStream, false, PosX, PosY, ReplaceIDs);
}

int32_t TDataTable::ReadFromASC(TClipboard& ClipBd, int32_t PosX, int32_t PosY, bool ReplaceIDs) {
  return TFiles::ReadAscClipboard(*this, ClipBd, false, PosX, PosY, ReplaceIDs);
}

}  // namespace zel
