// Data tables: the XML form (writer, tag handler and the four readers).
#include <algorithm>
#include <charconv>
#include <functional>
#include <new>
#include <span>
#include <stdexcept>
#include <utility>

#include "core/zel_stringl.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

// ---------------------------------------------------------------------------
// Attributes and numbers
// ---------------------------------------------------------------------------

bool IsSpace(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The decoded value of attribute Name; false when it is absent.
bool Attrib(std::string_view A, std::string_view Name, std::string& Value) {
  if (!XmlAttribute(A, Name, Value)) return false;
  Value = XmlUnescape(Value);
  return true;
}

bool ParseInt(std::string_view Text, int64_t& Value) {
  Text = Trim(Text);
  if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
  const auto res = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  return !Text.empty() && res.ec == std::errc() && res.ptr == Text.data() + Text.size();
}

bool IntAttrib(std::string_view A, std::string_view Name, int64_t& Value) {
  std::string v;
  return Attrib(A, Name, v) && ParseInt(v, Value);
}

bool ParseScale(std::string_view Text, TMScaleType& Type) {
  const std::string key = LowerCaseAscii(Trim(Text));
  for (size_t k = 0; k < MScaleTypeNames.size(); ++k)
    if (key == LowerCaseAscii(MScaleTypeNames[k]) || key == std::to_string(k)) {
      Type = static_cast<TMScaleType>(k);
      return true;
    }
  return false;
}

// ---------------------------------------------------------------------------
// The reader
// ---------------------------------------------------------------------------

struct TCellEntry {
  int32_t c, r;
  uint8_t st;
  double v;
};

std::vector<std::string> VocabularyList() {
  return std::vector<std::string>(DTxmlTagNames.begin(), DTxmlTagNames.end() - 1);
}

// Collects the elements of the table with the wanted id and builds it at
// its end. Everything read is kept as entries (bounded by the input), and
// the table itself is only allocated once the size has passed its check.
class TXmlTableReader {
 public:
  explicit TXmlTableReader(std::string DataID) : FWanted(std::move(DataID)) {}

  // The tag handler: Name is the tag as written (lower case here),
  // Attributes its attribute text, Before the text read before it, and
  // SelfClosing 1 for "<name/>". False when the document is malformed.
  bool ProcessXmlTag(TDTxmlTags Tag, const std::string& Name, const std::string& Attributes,
                     const std::string& Before, int32_t SelfClosing);

  bool Done() const { return FDone; }
  // The byte position after the tag being processed.
  void SetPos(int64_t Pos) { FPos = Pos; }
  const std::string& Id() const { return FId; }
  int64_t Cols() const { return FCols; }
  int64_t Rows() const { return FRows; }
  int64_t SizeEnd() const { return FSizeEnd; }
  int64_t EndPos() const { return FEndPos; }

  std::string FComment;
  std::vector<std::pair<int32_t, std::string>> FColNames, FRowNames,
      FLevels;  // FLevels: col*256+ord
  std::vector<std::pair<int32_t, int32_t>> FColAtt, FRowAtt;
  std::vector<std::pair<int32_t, TMScaleType>> FScales;
  std::vector<TCellEntry> FCells;

 private:
  enum class TBlock { None, ColNames, RowNames, ColAttrib, RowAttrib, DataCells, VarDef };
  bool Content(const std::string& Before);
  bool Open(TDTxmlTags Tag, const std::string& Attributes, bool SelfClosing);

  std::string FWanted, FId;
  bool FInTable = false, FSkipping = false, FDone = false, FHaveSize = false;
  int64_t FCols = 0, FRows = 0, FSizeEnd = 0, FEndPos = 0, FPos = 0;
  TBlock FBlock = TBlock::None;
  int32_t FVarCol = 0;
  // The element whose content the next tag ends.
  TDTxmlTags FPending = TDTxmlTags::xmlInvalid;
  std::string FPendingName;
  std::string FPendingAttr;
  bool FPendingUsed = false;
};

bool TXmlTableReader::ProcessXmlTag(TDTxmlTags Tag, const std::string& Name,
                                    const std::string& Attributes, const std::string& Before,
                                    int32_t SelfClosing) {
  if (!FInTable) {
    if (FSkipping) {
      if (Tag == TDTxmlTags::xmlDataTableEndId) FSkipping = false;
      return true;
    }
    if (Tag != TDTxmlTags::xmlDataTableId) return true;
    std::string found;
    Attrib(Attributes, "id", found);
    if (!FWanted.empty() && found != FWanted) {
      FSkipping = SelfClosing == 0;
      return true;
    }
    if (SelfClosing != 0) return false;  // the table holds no size
    FInTable = true;
    FId = found;
    return true;
  }
  if (FPending != TDTxmlTags::xmlInvalid) {
    if (Name != "/" + FPendingName) return false;
    return Content(Before);
  }
  switch (Tag) {
    case TDTxmlTags::xmlDataTableId: return false;
    case TDTxmlTags::xmlDataTableEndId:
      if (!FHaveSize) return false;
      FDone = true;
      FEndPos = FPos;
      return true;
    case TDTxmlTags::xmlInvalid: {
      static const std::pair<const char*, TBlock> kEnds[] = {
          {"/colnames", TBlock::ColNames},   {"/rownames", TBlock::RowNames},
          {"/colattrib", TBlock::ColAttrib}, {"/rowattrib", TBlock::RowAttrib},
          {"/datacells", TBlock::DataCells}, {"/vardef", TBlock::VarDef}};
      for (const auto& e : kEnds)
        if (Name == e.first && FBlock == e.second) FBlock = TBlock::None;
      return true;
    }
    default: return Open(Tag, Attributes, SelfClosing != 0);
  }
}

bool TXmlTableReader::Open(TDTxmlTags Tag, const std::string& Attributes, bool SelfClosing) {
  if (Tag == TDTxmlTags::xmlSize) {
    if (FHaveSize) return false;
    if (!IntAttrib(Attributes, "cols", FCols) || !IntAttrib(Attributes, "rows", FRows))
      return false;
    if (FCols < 1 || FRows < 1 || FCols > INT32_MAX || FRows > INT32_MAX) return false;
    FHaveSize = true;
    FSizeEnd = FPos;
  } else if (Tag == TDTxmlTags::xmlComment) {
    if (SelfClosing) FComment.clear();
  } else if (!FHaveSize) {
    return false;  // every other element needs the size
  }
  TBlock block = TBlock::None;
  switch (Tag) {
    case TDTxmlTags::xmlColNames: block = TBlock::ColNames; break;
    case TDTxmlTags::xmlRowNames: block = TBlock::RowNames; break;
    case TDTxmlTags::xmlColAttrib: block = TBlock::ColAttrib; break;
    case TDTxmlTags::xmlRowAttrib: block = TBlock::RowAttrib; break;
    case TDTxmlTags::xmlDataCells: block = TBlock::DataCells; break;
    case TDTxmlTags::xmlVarType: {
      int64_t col = 0;
      TMScaleType type{};
      std::string scale;
      const bool hasScale = Attrib(Attributes, "scale", scale);
      if (!IntAttrib(Attributes, "col", col) || (hasScale && !ParseScale(scale, type)))
        return false;
      FVarCol = col >= 1 && col <= FCols ? static_cast<int32_t>(col) : 0;
      if (FVarCol > 0 && hasScale) FScales.emplace_back(FVarCol, type);
      block = TBlock::VarDef;
      break;
    }
    default: break;
  }
  if (block != TBlock::None) {
    FBlock = SelfClosing ? TBlock::None : block;
    return true;
  }
  if (Tag == TDTxmlTags::xmlSize || (Tag == TDTxmlTags::xmlComment && SelfClosing)) {
    if (!SelfClosing) {
      FPending = Tag;
      FPendingName = DTxmlTagNames[static_cast<size_t>(Tag)];
      FPendingUsed = false;
    }
    return true;
  }
  // An entry: col, row, cell, idf, comment.
  bool used = Tag == TDTxmlTags::xmlComment;
  switch (Tag) {
    case TDTxmlTags::xmlColId:
      used = FBlock == TBlock::ColNames || FBlock == TBlock::ColAttrib;
      break;
    case TDTxmlTags::xmlRowId:
      used = FBlock == TBlock::RowNames || FBlock == TBlock::RowAttrib;
      break;
    case TDTxmlTags::xmlCellID: used = FBlock == TBlock::DataCells; break;
    case TDTxmlTags::xmlVarIdentifier: used = FBlock == TBlock::VarDef; break;
    default: break;
  }
  FPending = Tag;
  FPendingName = DTxmlTagNames[static_cast<size_t>(Tag)];
  if (used)
    FPendingAttr = Attributes;
  else
    FPendingAttr.clear();
  FPendingUsed = used;
  if (SelfClosing) return Content(std::string());
  return true;
}

// The content of the pending element has been read.
bool TXmlTableReader::Content(const std::string& Before) {
  const TDTxmlTags tag = FPending;
  FPending = TDTxmlTags::xmlInvalid;
  if (!FPendingUsed) return true;
  const std::string& a = FPendingAttr;
  switch (tag) {
    case TDTxmlTags::xmlComment: FComment = XmlUnescape(Before); return true;
    case TDTxmlTags::xmlColId:
    case TDTxmlTags::xmlRowId: {
      const bool cols = tag == TDTxmlTags::xmlColId;
      int64_t ix = 0;
      if (!IntAttrib(a, "ix", ix)) return false;
      const bool inside = ix >= 1 && ix <= (cols ? FCols : FRows);
      if (FBlock == TBlock::ColNames || FBlock == TBlock::RowNames) {
        if (inside)
          (cols ? FColNames : FRowNames)
              .emplace_back(static_cast<int32_t>(ix),
                            Utf8Truncate(XmlUnescape(Before), kMaxDTNameLength));
        return true;
      }
      int64_t v = 0;
      if (!ParseInt(Before, v) || v < INT32_MIN || v > INT32_MAX) return false;
      if (inside)
        (cols ? FColAtt : FRowAtt).emplace_back(static_cast<int32_t>(ix), static_cast<int32_t>(v));
      return true;
    }
    case TDTxmlTags::xmlVarIdentifier: {
      int64_t ord = 0;
      if (!IntAttrib(a, "ord", ord)) return false;
      if (FVarCol > 0 && ord >= 0 && ord < kMaxNominalIDs)
        FLevels.emplace_back(FVarCol * 256 + static_cast<int32_t>(ord),
                             Utf8Truncate(XmlUnescape(Before), kMaxNominalIDLength));
      return true;
    }
    case TDTxmlTags::xmlCellID: {
      int64_t c = 0, r = 0, st = -1;
      if (!IntAttrib(a, "c", c) || !IntAttrib(a, "r", r)) return false;
      std::string stText;
      if (Attrib(a, "st", stText) && (!ParseInt(stText, st) || st < 0 || st > 255)) return false;
      const std::string_view text = Trim(Before);
      double v = 0;
      uint8_t state = static_cast<uint8_t>(st < 0 ? 0 : st);
      if (text.empty()) {
        if (st < 0) state = kCellEmpty;
      } else if (!TryStrToFloat(text, v)) {
        return false;
      }
      if (c >= 1 && c <= FCols && r >= 1 && r <= FRows)
        FCells.push_back({static_cast<int32_t>(c), static_cast<int32_t>(r), state, v});
      return true;
    }
    default: return true;
  }
}

}  // namespace

// A source of tags: reads the next one (TTagReadInfo tells how) and tells
// its byte position.
struct TDataTable::TFiles::TXmlSource {
  std::function<int32_t(std::span<const std::string> Tags, std::string& Before,
                        std::string& Attribs, TTagReadInfo& Info)>
      Next;
  std::function<int64_t()> Pos;
};

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------

std::string TDataTable::TFiles::XmlText(const TDataTable& T, bool CreateHeader, int32_t Precision,
                                        const std::string& DataID) {
  const int32_t nc = T.FNrOfCols, nr = T.FNrOfRows;
  std::string out;
  out.reserve(static_cast<size_t>(nc) * static_cast<size_t>(nr) * 36 + 4096);
  if (CreateHeader)
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- data table, ZEL Component Suite -->\n";
  out += "<datatable sig=\"ZELCSuite\" vers=\"1.0\" id=\"";
  AppendXmlEscaped(out, DataID);
  out += "\">\n<comment>";
  AppendXmlEscaped(out, T.FComment);
  out += "</comment>\n<size cols=\"" + std::to_string(nc) + "\" rows=\"" + std::to_string(nr) +
         "\"/>\n";
  for (int32_t c = 1; c <= nc; ++c) {
    const TVTypeSpec& type = T.FVType[static_cast<size_t>(c - 1)];
    const bool levels = std::any_of(type.NominalIDs.begin(), type.NominalIDs.end(),
                                    [](const std::string& s) { return !s.empty(); });
    if (type.MScaleType == TMScaleType::stInterval && !levels) continue;
    out += "<vardef col=\"" + std::to_string(c) + "\" scale=\"" +
           MScaleTypeNames[static_cast<size_t>(type.MScaleType)] + "\">\n";
    for (int32_t k = 0; k < kMaxNominalIDs; ++k) {
      const std::string& id = type.NominalIDs[static_cast<size_t>(k)];
      if (id.empty()) continue;
      out += "<idf ord=\"" + std::to_string(k) + "\">";
      AppendXmlEscaped(out, id);
      out += "</idf>\n";
    }
    out += "</vardef>\n";
  }
  const auto names = [&](const char* block, const char* entry, const std::vector<std::string>& v) {
    out += std::string("<") + block + ">\n";
    for (size_t i = 0; i < v.size(); ++i) {
      out += std::string("<") + entry + " ix=\"" + std::to_string(i + 1) + "\">";
      AppendXmlEscaped(out, v[i]);
      out += std::string("</") + entry + ">\n";
    }
    out += std::string("</") + block + ">\n";
  };
  names("colnames", "col", T.FColName);
  names("rownames", "row", T.FRowName);
  const auto attribs = [&](const char* block, const char* entry, const TIntArray& v) {
    out += std::string("<") + block + ">\n";
    for (size_t i = 0; i < v.size(); ++i)
      if (v[i] != 0)
        out += std::string("<") + entry + " ix=\"" + std::to_string(i + 1) + "\">" +
               std::to_string(v[i]) + "</" + entry + ">\n";
    out += std::string("</") + block + ">\n";
  };
  attribs("colattrib", "col", T.FColAtt);
  attribs("rowattrib", "row", T.FRowAtt);
  out += "<datacells>\n";
  for (int32_t c = 1; c <= nc; ++c) {
    const std::string cs = "<cell c=\"" + std::to_string(c) + "\" r=\"";
    for (int32_t r = 1; r <= nr; ++r) {
      out += cs;
      out += std::to_string(r);
      const uint8_t st = T.St(c, r);
      if (st != 0) {
        out += "\" st=\"";
        out += std::to_string(st);
      }
      out += "\">";
      AppendNumber(out, T.Val(c, r), Precision);
      out += "</cell>\n";
    }
  }
  out += "</datacells>\n</datatable>\n";
  return out;
}

// ---------------------------------------------------------------------------
// Readers
// ---------------------------------------------------------------------------

bool TDataTable::TFiles::ReadXml(TDataTable& T, TXmlSource& Src, const std::string& DataID) {
  static const std::vector<std::string> kTags = VocabularyList();
  TXmlTableReader reader(DataID);
  std::string before, attribs;
  TTagReadInfo info;
  try {
    while (!reader.Done()) {
      const int32_t ix = Src.Next(kTags, before, attribs, info);
      if (info.Status == TTagReadStatus::trsEndOfInput ||
          info.Status == TTagReadStatus::trsUnterminated)
        return false;
      reader.SetPos(Src.Pos());
      const auto tag = info.Status == TTagReadStatus::trsListed ? static_cast<TDTxmlTags>(ix)
                                                                : TDTxmlTags::xmlInvalid;
      if (!reader.ProcessXmlTag(tag, LowerCaseAscii(info.Name), attribs, before,
                                info.SelfClosing ? 1 : 0))
        return false;
    }
    // Every cell of the table needs text: a size the text cannot hold is
    // refused before anything of that size is allocated.
    const int64_t bytes = reader.EndPos() - reader.SizeEnd();
    if (reader.Cols() > bytes / 8 / reader.Rows()) return false;
    const auto nc = static_cast<int32_t>(reader.Cols()), nr = static_cast<int32_t>(reader.Rows());
    TLayout L = NewLayout(nc, nr);
    for (const auto& [c, type] : reader.FScales)
      L.Types[static_cast<size_t>(c - 1)].MScaleType = type;
    for (const auto& [key, level] : reader.FLevels)
      L.Types[static_cast<size_t>(key / 256 - 1)].NominalIDs[static_cast<size_t>(key % 256)] =
          level;
    for (const auto& [c, name] : reader.FColNames) L.ColNames[static_cast<size_t>(c - 1)] = name;
    for (const auto& [r, name] : reader.FRowNames) L.RowNames[static_cast<size_t>(r - 1)] = name;
    for (const auto& [c, a] : reader.FColAtt) L.ColAtt[static_cast<size_t>(c - 1)] = a;
    for (const auto& [r, a] : reader.FRowAtt) L.RowAtt[static_cast<size_t>(r - 1)] = a;
    for (const TCellEntry& e : reader.FCells) {
      L.Vals[static_cast<size_t>(e.c - 1)][static_cast<size_t>(e.r - 1)] = e.v;
      L.States[static_cast<size_t>(e.c - 1)][static_cast<size_t>(e.r - 1)] = e.st;
    }
    Take(T, L, reader.FComment);
    T.FData->SetDataID(reader.Id());
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool TDataTable::ReadFromXMLString(const std::string& InString, int64_t& StartAt,
                                   const std::string& DataID) {
  if (StartAt < 1 || StartAt > static_cast<int64_t>(InString.size())) return false;
  int64_t pos = StartAt;
  TFiles::TXmlSource src{[&](std::span<const std::string> Tags, std::string& Before,
                             std::string& Attribs, TTagReadInfo& Info) {
                           return ReadNextTagInString(InString, pos, Tags,
                                                      static_cast<int32_t>(Tags.size()) - 1, Before,
                                                      Attribs, &Info);
                         },
                         [&] { return pos - 1; }};
  if (!TFiles::ReadXml(*this, src, DataID)) return false;
  StartAt = pos;
  return true;
}

bool TDataTable::ReadFromXMLStream(TStream& InStream, const std::string& DataID) {
  TFiles::TXmlSource src{[&](std::span<const std::string> Tags, std::string& Before,
                             std::string& Attribs, TTagReadInfo& Info) {
                           return ReadNextTagInStream(InStream, Tags,
                                                      static_cast<int32_t>(Tags.size()) - 1, Before,
                                                      Attribs, &Info);
                         },
                         [&] { return InStream.GetPosition(); }};
  return TFiles::ReadXml(*this, src, DataID);
}

bool TDataTable::ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID) {
  TFiles::TXmlSource src{[&](std::span<const std::string> Tags, std::string& Before,
                             std::string& Attribs, TTagReadInfo& Info) {
                           return ReadNextTagInTextFile(f, Tags,
                                                        static_cast<int32_t>(Tags.size()) - 1,
                                                        Before, Attribs, &Info);
                         },
                         [&] { return f.Position(); }};
  return TFiles::ReadXml(*this, src, DataID);
}

bool TDataTable::LoadFromXMLFile(const std::string& FName, const std::string& DataID) {
  TMemoryStream ms;
  if (!ms.LoadFromFile(FName)) return false;
  return ReadFromXMLStream(ms, DataID);
}

// ---------------------------------------------------------------------------
// Writers
// ---------------------------------------------------------------------------

bool TDataTable::SaveAsXMLFile(const std::string& FName, int32_t Precision,
                               const std::string& DataID) {
  const std::string text = TFiles::XmlText(*this, true, Precision, DataID);
  if (!WriteTextFile(FName, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, int32_t Precision,
                                    const std::string& DataID) {
  const std::string text = TFiles::XmlText(*this, CreateHeader, Precision, DataID);
  if (!f.Write(text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::WriteToXMLStream(TStream& OutStream, bool CreateHeader, int32_t Precision,
                                  const std::string& DataID) {
  const std::string text = TFiles::XmlText(*this, CreateHeader, Precision, DataID);
  if (!WriteTextStream(OutStream, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

}  // namespace zel
