// Memory-based learner: the XML and the binary model files.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/analysis/zel_membased.hpp"

namespace zel {

namespace {

constexpr const char* kBinSignature = "TMemBasedLearner/Kovimex";
constexpr int32_t kLevelSlots = kMaxNominalIDs;

// One line of text: line breaks would split a record or an element.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

std::string XmlText(const std::string& s) {
  std::string out;
  AppendXmlEscaped(out, OneLine(s));
  return out;
}

template <size_t N>
int32_t MatchName(const std::string& text, const std::array<const char*, N>& names) {
  const std::string t = LowerCaseAscii(StripLTBlanks(text));
  for (size_t i = 0; i < N; ++i)
    if (t == LowerCaseAscii(names[i])) return static_cast<int32_t>(i);
  return -1;
}

bool ParseInt(const std::string& text, int32_t& v) {
  const std::string t = StripLTBlanks(text);
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size() && !t.empty();
}

bool WriteRecord(TMixedFStream& f, const std::string& text) {
  const std::string t = OneLine(text);
  return f.WriteInteger(static_cast<int32_t>(t.size())) && f.WriteLn(t);
}

// A string record: its length, checked against the file, then exactly that
// many bytes and the line break. A line break inside reads as the blank the
// writer writes for one.
bool ReadRecord(TMixedFStream& f, std::string& text) {
  int32_t len = 0;
  std::string rest;
  if (!(f.ReadInteger(len) && len >= 0 && CountFitsInStream(f, int64_t{len} + 1, 1) &&
        f.ReadChars(len, text) && f.ReadLn(rest) && rest.empty()))
    return false;
  text = OneLine(std::move(text));
  return true;
}

}  // namespace

void TMemBasedLearner::TakeOver(const TDataTable& Data, int32_t K) {
  FModelData->Clone(&Data);
  FStatsStale = true;
  SetNumNearestNb(K);
}

int32_t TMemBasedLearner::StoreModelXML(const std::string& FName, const std::string& DataID) {
  TTextFile f;
  if (!f.Rewrite(FName)) return kMBLFileWriteFailed;
  auto elem = [&](TMBLxmlTags t, const std::string& content) {
    const char* n = MBLxmlTagNames[static_cast<size_t>(t)];
    return f.WriteLn(std::string("<") + n + ">" + content + "</" + n + ">");
  };
  bool ok = f.WriteLn("<?xml version=\"1.0\"?>") &&
            f.WriteLn(std::string("<") + MBLxmlTagNames[0] +
                      " sig=\"ZELCSuite\" vers=\"1.001\" id=\"" + XmlText(DataID) + "\">") &&
            f.WriteLn("<!-- TMemBasedLearner / Kovimex -->") &&
            elem(TMBLxmlTags::xmlComment, XmlText(FComment)) &&
            elem(TMBLxmlTags::xmlModelName, XmlText(FModelName)) &&
            elem(TMBLxmlTags::xmlNumNNb, std::to_string(FNumNearestNb)) &&
            elem(TMBLxmlTags::xmlDistMode,
                 LowerCaseAscii(MBLDistModeID[static_cast<size_t>(FDistMode)])) &&
            elem(TMBLxmlTags::xmlSclMode,
                 LowerCaseAscii(MBLScalingModeID[static_cast<size_t>(FScalingMode)])) &&
            elem(TMBLxmlTags::xmlLocalModel,
                 LowerCaseAscii(MBLLocalModelID[static_cast<size_t>(FLocModel)])) &&
            f.WriteLn("<modeldata>") && FModelData->WriteToOpenXMLFile(f, false, 0, "MBLModel") &&
            f.WriteLn("</modeldata>") && f.WriteLn(std::string("</") + MBLxmlTagNames[0] + ">");
  ok = f.Close() && ok;
  return ok ? kMBLOk : kMBLFileWriteFailed;
}

int32_t TMemBasedLearner::LoadModelXML(const std::string& FName, std::string& DataId) {
  TTextFile f;
  if (!f.Reset(FName)) return kMBLFileBadHeader;
  std::string text, line;
  // The XML declaration first; then up to the line that closes the model, so
  // that an endless stream (a pipe) neither hangs the load nor fills memory
  // unless it really looks like a model without end.
  if (!f.ReadLn(line)) return kMBLFileBadHeader;
  if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a UTF-8 byte-order mark
  if (StripLTBlanks(line).rfind("<?xml", 0) != 0) return kMBLFileBadHeader;
  const std::string closing = std::string("</") + MBLxmlTagNames[0] + ">";
  while (f.ReadLn(line)) {
    text += line;
    text += '\n';
    if (line.find(closing) != std::string::npos) break;
  }
  if (f.HasReadError()) return kMBLFileBadHeader;
  const std::vector<std::string> tags(MBLxmlTagNames.begin(), MBLxmlTagNames.end());
  const auto highest = static_cast<int32_t>(TMBLxmlTags::xmlNumNNb);
  int64_t pos = 1;
  std::string before, attrs;
  TTagReadInfo info;
  int32_t t = -1;
  while (t != 0) {
    t = ReadNextTagInString(text, pos, tags, highest, before, attrs, &info);
    if (info.Status == TTagReadStatus::trsEndOfInput ||
        info.Status == TTagReadStatus::trsUnterminated)
      return kMBLFileBadHeader;
  }
  std::string id;
  XmlAttribute(attrs, "id", id);
  id = XmlUnescape(id);
  std::string comment = FComment, name = FModelName;
  TMBLDistMode dist = FDistMode;
  TMBLScalingMode scl = FScalingMode;
  TMBLLocalModel lm = FLocModel;
  int32_t k = FNumNearestNb;
  TDataTable data(nullptr);
  for (;;) {
    t = ReadNextTagInString(text, pos, tags, highest, before, attrs, &info);
    if (info.Status != TTagReadStatus::trsListed || t == 0) return kMBLFileBadHeader;
    const auto tag = static_cast<TMBLxmlTags>(t);
    if (tag == TMBLxmlTags::xmlModelData) {
      if (!data.ReadFromXMLString(text, pos, "MBLModel")) return kMBLFileBadHeader;
      break;
    }
    // Every other element holds its text up to its closing tag.
    std::string content;
    ReadNextTagInString(text, pos, tags, highest, content, attrs, &info);
    if (info.Name.empty() || info.Name[0] != '/') return kMBLFileBadHeader;
    // The writer keeps texts on one line; a line break in the file reads as
    // the blank it writes for one.
    content = OneLine(XmlUnescape(content));
    int32_t v = -1;
    switch (tag) {
      case TMBLxmlTags::xmlComment: comment = StripLTBlanks(content); break;
      case TMBLxmlTags::xmlModelName: name = StripLTBlanks(content); break;
      case TMBLxmlTags::xmlNumNNb:
        if (ParseInt(content, v)) k = v;
        break;
      case TMBLxmlTags::xmlDistMode:
        if ((v = MatchName(content, MBLDistModeID)) >= 0) dist = static_cast<TMBLDistMode>(v);
        break;
      case TMBLxmlTags::xmlSclMode:
        if ((v = MatchName(content, MBLScalingModeID)) >= 0) scl = static_cast<TMBLScalingMode>(v);
        break;
      case TMBLxmlTags::xmlLocalModel:
        if ((v = MatchName(content, MBLLocalModelID)) >= 0) lm = static_cast<TMBLLocalModel>(v);
        break;
      default: break;
    }
  }
  FComment = comment;
  FModelName = name;
  FDistMode = dist;
  FScalingMode = scl;
  FLocModel = lm;
  TakeOver(data, k);
  DataId = id;
  return kMBLOk;
}

int32_t TMemBasedLearner::StoreModelBin(const std::string& FName, const std::string& DataID) {
  std::unique_ptr<TMixedFStream> f;
  try {
    f = std::make_unique<TMixedFStream>(FName, TFileMode::fmCreate);
  } catch (const EInOutError&) {
    return kMBLFileWriteFailed;
  }
  TDataTable& t = *FModelData;
  const int32_t nc = t.GetNrOfColumns();
  const int32_t nr = t.GetNrOfRows();
  bool ok = WriteRecord(*f, kBinSignature) && WriteRecord(*f, "vers=1.001") &&
            WriteRecord(*f, "DataID=" + DataID) && WriteRecord(*f, FComment) &&
            WriteRecord(*f, FModelName) && f->WriteInteger(FNumNearestNb) &&
            f->WriteInteger(static_cast<int32_t>(FDistMode)) &&
            f->WriteInteger(static_cast<int32_t>(FScalingMode)) &&
            f->WriteInteger(static_cast<int32_t>(FLocModel)) && WriteRecord(*f, t.GetComment()) &&
            f->WriteInteger(nc) && f->WriteInteger(nr) && f->WriteInteger(kLevelSlots);
  for (int32_t c = 1; c <= nc && ok; ++c) {
    const TMScaleType st = t.GetMScaleType(c);
    ok = f->WriteInteger(static_cast<int32_t>(st));
    if (st == TMScaleType::stNominal || st == TMScaleType::stOrdinal)
      for (int32_t s = 0; s < kLevelSlots && ok; ++s)
        ok = f->WriteLn(OneLine(t.GetNominalID(c, s)));
  }
  for (int32_t c = 1; c <= nc && ok; ++c) ok = WriteRecord(*f, StripLTBlanks(t.GetColName(c)));
  for (int32_t r = 1; r <= nr && ok; ++r) ok = WriteRecord(*f, StripLTBlanks(t.GetRowName(r)));
  for (int32_t c = 1; c <= nc && ok; ++c) ok = f->WriteInteger(t.GetColAttrib(c));
  for (int32_t r = 1; r <= nr && ok; ++r) ok = f->WriteInteger(t.GetRowAttrib(r));
  for (int32_t r = 1; r <= nr && ok; ++r)
    for (int32_t c = 1; c <= nc && ok; ++c) ok = f->WriteDouble(t.GetNumericData()->GetVal(c, r));
  for (int32_t r = 1; r <= nr && ok; ++r)
    for (int32_t c = 1; c <= nc && ok; ++c) ok = f->WriteByte(t.GetCellState(c, r));
  ok = f->Flush() && ok;
  return ok ? kMBLOk : kMBLFileWriteFailed;
}

int32_t TMemBasedLearner::LoadModelBin(const std::string& FName, std::string& DataId) {
  std::unique_ptr<TMixedFStream> f;
  try {
    f = std::make_unique<TMixedFStream>(FName, TFileMode::fmOpenRead);
  } catch (const EInOutError&) {
    return kMBLFileDamaged;
  }
  std::string sig, vers, id, comment, name, tabComment;
  if (!ReadRecord(*f, sig)) return kMBLFileDamaged;
  if (sig != kBinSignature) return kMBLFileBadHeader;
  if (!ReadRecord(*f, vers) || (vers != "vers=1.000" && vers != "vers=1.001"))
    return kMBLFileDamaged;
  if (!ReadRecord(*f, id) || !ReadRecord(*f, comment) || !ReadRecord(*f, name))
    return kMBLFileDamaged;
  const size_t at = LowerCaseAscii(id).find("dataid=");
  if (at != std::string::npos) id.erase(at, 7);
  int32_t k = 0, dist = 0, scl = 0, lm = 0, nc = 0, nr = 0, slots = 0;
  if (!f->ReadInteger(k) || !f->ReadInteger(dist) || !f->ReadInteger(scl) || !f->ReadInteger(lm) ||
      dist < 0 || dist > 2 || scl < 0 || scl > 1 || lm < 0 || lm > 3 ||
      !ReadRecord(*f, tabComment) || !f->ReadInteger(nc) || !f->ReadInteger(nr) ||
      !f->ReadInteger(slots) || nc < 1 || nr < 1 || slots != kLevelSlots)
    return kMBLFileDamaged;
  // Every cell needs a double and a state byte: a size the file cannot hold
  // is refused before anything is allocated.
  if (!CountFitsInStream(*f, int64_t{nc} * nr, 9)) return kMBLFileDamaged;
  TDataTable data(nullptr);
  data.Resize(nc, nr);
  data.SetComment(tabComment);
  std::string s;
  for (int32_t c = 1; c <= nc; ++c) {
    int32_t st = 0;
    if (!f->ReadInteger(st) || st < 0 || st > 4) return kMBLFileDamaged;
    data.SetMScaleType(c, static_cast<TMScaleType>(st));
    if (st != static_cast<int32_t>(TMScaleType::stNominal) &&
        st != static_cast<int32_t>(TMScaleType::stOrdinal))
      continue;
    for (int32_t slot = 0; slot < kLevelSlots; ++slot) {
      if (!f->ReadLn(s)) return kMBLFileDamaged;
      data.SetNominalID(c, slot, s);
    }
  }
  for (int32_t c = 1; c <= nc; ++c) {
    if (!ReadRecord(*f, s)) return kMBLFileDamaged;
    data.SetColName(c, s);
  }
  for (int32_t r = 1; r <= nr; ++r) {
    if (!ReadRecord(*f, s)) return kMBLFileDamaged;
    data.SetRowName(r, s);
  }
  int32_t a = 0;
  for (int32_t c = 1; c <= nc; ++c) {
    if (!f->ReadInteger(a) || a < 0 || a > 2) return kMBLFileDamaged;
    data.SetColAttrib(c, a);
  }
  for (int32_t r = 1; r <= nr; ++r) {
    if (!f->ReadInteger(a)) return kMBLFileDamaged;
    data.SetRowAttrib(r, a);
  }
  if (!CountFitsInStream(*f, int64_t{nc} * nr, 9)) return kMBLFileDamaged;
  TDouble2DArray vals(static_cast<size_t>(nc), TDoubleArray(static_cast<size_t>(nr)));
  for (int32_t r = 0; r < nr; ++r)
    for (int32_t c = 0; c < nc; ++c)
      if (!f->ReadDouble(vals[static_cast<size_t>(c)][static_cast<size_t>(r)]))
        return kMBLFileDamaged;
  for (int32_t r = 1; r <= nr; ++r)
    for (int32_t c = 1; c <= nc; ++c) {
      uint8_t b = 0;
      if (!f->ReadByte(b)) return kMBLFileDamaged;
      data.SetCellState(c, r, b);
    }
  for (int32_t c = 1; c <= nc; ++c)
    for (int32_t r = 1; r <= nr; ++r)
      data.SetElem(c, r, vals[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)]);
  FComment = comment;
  FModelName = name;
  FDistMode = static_cast<TMBLDistMode>(dist);
  FScalingMode = static_cast<TMBLScalingMode>(scl);
  FLocModel = static_cast<TMBLLocalModel>(lm);
  TakeOver(data, k);
  DataId = id;
  return kMBLOk;
}

}  // namespace zel
