// TKohonen: the XML file of the map.
#include <charconv>
#include <cmath>
#include <memory>
#include <new>

#include "core/zel_stringl.hpp"
#include "num/analysis/zel_kohonen.hpp"
#include "num/matrix/matfiles_impl.hpp"

namespace zel {

namespace {

// The listed names; the index of each is its TKohonenXMLTag ordinal, the
// opening element follows at kOpen.
const std::vector<std::string>& KohTags() {
  static const std::vector<std::string> tags = {
      "sizex",   "sizey",  "comment", "nrinsens",   "maxneighb", "maxsteps", "maxalpha",
      "curstep", "cyclic", "cell",    "meanstddev", "/kohonen",  "kohonen"};
  return tags;
}
constexpr int32_t kOpen = 12;
constexpr int32_t kScalarTags = 9;  // sizex .. cyclic

// Below these sizes no cell or number can be written, so a map announcing
// more than the input can hold is damaged.
constexpr int64_t kMinCellBytes = 26;   // <cell ix="1" iy="1"></cell>\n
constexpr int64_t kMinNumberBytes = 2;  // a digit and a blank
constexpr int64_t kSequentialCap = int64_t{1} << 26;

std::string_view TrimBlanks(std::string_view t) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  return t;
}

bool ParseInt(std::string_view t, int32_t& v) {
  t = TrimBlanks(t);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  const auto res = std::from_chars(t.data(), t.data() + t.size(), v);
  return !t.empty() && res.ec == std::errc() && res.ptr == t.data() + t.size();
}

// Exactly Count blank-separated numbers.
bool ParseNumbers(std::string_view t, size_t Count, double* Out) {
  size_t n = 0;
  for (size_t i = 0; i < t.size();) {
    while (i < t.size() && static_cast<unsigned char>(t[i]) <= 0x20) ++i;
    if (i == t.size()) break;
    size_t j = i;
    while (j < t.size() && static_cast<unsigned char>(t[j]) > 0x20) ++j;
    if (n == Count || !TryStrToFloat(t.substr(i, j - i), Out[n])) return false;
    ++n;
    i = j;
  }
  return n == Count;
}

// The integer of the attribute Name.
bool AttrInt(std::string_view Attribs, std::string_view Name, int32_t& v) {
  std::string raw;
  return XmlAttribute(Attribs, Name, raw) && ParseInt(raw, v);
}

// What a file holds, before it is taken over.
struct TKohRead {
  int32_t Nx = 0, Ny = 0, M = 0, MaxNeighb = 0, MaxSteps = 0, CurStep = 0;
  double MaxAlpha = 0;
  bool Cyclic = false;
  std::string Comment;
  bool Seen[kScalarTags] = {};
  std::vector<double> W, Mean, Sd;
  std::vector<uint8_t> CellSeen, ScaleSeen;
};

bool Allocate(TKohRead& K, int64_t Bytes) {
  if (!K.Seen[0] || !K.Seen[1] || !K.Seen[3]) return false;
  const int64_t cells = int64_t{K.Nx} * K.Ny;
  const int64_t limit = Bytes > 0 ? Bytes : kSequentialCap;
  if (cells > limit / kMinCellBytes || K.M > limit / kMinNumberBytes / cells) return false;
  K.W.assign(static_cast<size_t>(cells * K.M), 0.0);
  K.CellSeen.assign(static_cast<size_t>(cells), 0);
  K.Mean.assign(static_cast<size_t>(K.M), 0.0);
  K.Sd.assign(static_cast<size_t>(K.M), 0.0);
  K.ScaleSeen.assign(static_cast<size_t>(K.M), 0);
  return true;
}

bool TakeScalar(TKohRead& K, int32_t Tag, std::string_view Content) {
  if (Tag != static_cast<int32_t>(TKohonenXMLTag::xmlComment)) {
    if (K.Seen[Tag]) return false;
    // Sizes after the first cell would change what was allocated.
    if (!K.W.empty() && (Tag <= 1 || Tag == 3)) return false;
  }
  K.Seen[Tag] = true;
  switch (static_cast<TKohonenXMLTag>(Tag)) {
    case TKohonenXMLTag::xmlSizeX: return ParseInt(Content, K.Nx) && K.Nx > 0;
    case TKohonenXMLTag::xmlSizeY: return ParseInt(Content, K.Ny) && K.Ny > 0;
    case TKohonenXMLTag::xmlNrInsens: return ParseInt(Content, K.M) && K.M > 0;
    case TKohonenXMLTag::xmlComment: K.Comment = XmlUnescape(Content); return true;
    case TKohonenXMLTag::xmlMaxNeighb: return ParseInt(Content, K.MaxNeighb);
    case TKohonenXMLTag::xmlMaxSteps: return ParseInt(Content, K.MaxSteps) && K.MaxSteps > 0;
    case TKohonenXMLTag::xmlCurStep: return ParseInt(Content, K.CurStep) && K.CurStep > 0;
    case TKohonenXMLTag::xmlMaxAlpha:
      return TryStrToFloat(TrimBlanks(Content), K.MaxAlpha) && std::isfinite(K.MaxAlpha);
    case TKohonenXMLTag::xmlCyclic: {
      const std::string v = LowerCaseAscii(TrimBlanks(Content));
      K.Cyclic = v == "true";
      return K.Cyclic || v == "false";
    }
    default: return false;
  }
}

bool TakeCell(TKohRead& K, std::string_view Attribs, std::string_view Content, int64_t Bytes) {
  if (K.W.empty() && !Allocate(K, Bytes)) return false;
  int32_t ix = 0, iy = 0;
  if (!AttrInt(Attribs, "ix", ix) || !AttrInt(Attribs, "iy", iy) || ix < 1 || ix > K.Nx || iy < 1 ||
      iy > K.Ny)
    return false;
  const size_t n = static_cast<size_t>(ix - 1) * static_cast<size_t>(K.Ny) + (iy - 1);
  if (K.CellSeen[n]) return false;
  K.CellSeen[n] = 1;
  return ParseNumbers(Content, static_cast<size_t>(K.M), &K.W[n * static_cast<size_t>(K.M)]);
}

bool TakeScale(TKohRead& K, std::string_view Attribs, std::string_view Content, int64_t Bytes) {
  if (K.W.empty() && !Allocate(K, Bytes)) return false;
  int32_t iw = 0;
  if (!AttrInt(Attribs, "iw", iw) || iw < 1 || iw > K.M) return false;
  const size_t k = static_cast<size_t>(iw - 1);
  if (K.ScaleSeen[k]) return false;
  K.ScaleSeen[k] = 1;
  double v[2];
  if (!ParseNumbers(Content, 2, v)) return false;
  K.Mean[k] = v[0];
  K.Sd[k] = v[1];
  return true;
}

bool Complete(const TKohRead& K) {
  for (int32_t t = 0; t < kScalarTags; ++t)
    if (t != static_cast<int32_t>(TKohonenXMLTag::xmlComment) && !K.Seen[t]) return false;
  if (K.W.empty()) return false;
  for (const uint8_t c : K.CellSeen)
    if (!c) return false;
  for (const uint8_t c : K.ScaleSeen)
    if (!c) return false;
  return true;
}

bool ParseMap(TMatXmlSource& Src, const std::string& DataID, TKohRead& K) {
  const auto& tags = KohTags();
  const auto unlisted = static_cast<int32_t>(tags.size());
  std::string before, attribs;
  TTagReadInfo info;
  const auto next = [&] {
    const int32_t ix = Src.Next(tags, before, attribs, info);
    return info.Status == TTagReadStatus::trsListed     ? ix
           : info.Status == TTagReadStatus::trsUnlisted ? unlisted
                                                        : -1;
  };
  for (;;) {
    const int32_t ix = next();
    if (ix < 0) return false;
    if (ix == kOpen && attribs.find("sig=\"ZELCSuite\"") != std::string::npos &&
        (DataID.empty() || MatXmlId(attribs) == DataID))
      break;
  }
  for (;;) {
    const int32_t ix = next();
    if (ix < 0 || ix == kOpen || ix == unlisted) return false;
    if (ix == static_cast<int32_t>(TKohonenXMLTag::xmlEndKohonen)) return Complete(K);
    const std::string tagAttribs = attribs;
    if (info.SelfClosing) {
      before.clear();
    } else {
      const std::string close = "/" + LowerCaseAscii(info.Name);
      if (next() != unlisted || LowerCaseAscii(info.Name) != close) return false;
    }
    bool ok = false;
    if (ix < kScalarTags)
      ok = TakeScalar(K, ix, before);
    else if (ix == static_cast<int32_t>(TKohonenXMLTag::xmlCell))
      ok = TakeCell(K, tagAttribs, before, Src.Bytes);
    else
      ok = TakeScale(K, tagAttribs, before, Src.Bytes);
    if (!ok) return false;
  }
}

bool ReadMap(TMatXmlSource& Src, const std::string& DataID, TKohRead& K) {
  try {
    return ParseMap(Src, DataID, K);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

std::string TKohonen::XmlText(bool CreateHeader, const std::string& DataID) const {
  std::string out;
  if (CreateHeader)
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Kohonen map, ZEL Component Suite -->\n";
  out += "<kohonen sig=\"ZELCSuite\" vers=\"1.0\" id=\"";
  AppendXmlEscaped(out, DataID);
  out += "\">\n";
  const auto line = [&out](const char* Tag, const std::string& Text) {
    out += std::string("<") + Tag + ">" + Text + "</" + Tag + ">\n";
  };
  std::string num;
  line("sizex", std::to_string(FSizeX));
  line("sizey", std::to_string(FSizeY));
  std::string comment;
  AppendXmlEscaped(comment, FComment);
  line("comment", comment);
  line("nrinsens", std::to_string(FNrInSens));
  line("maxneighb", std::to_string(FMaxNeighb));
  line("maxsteps", std::to_string(FMaxSteps));
  AppendMatXmlNumber(num, FMaxAlpha);
  line("maxalpha", num);
  line("curstep", std::to_string(FCurStep));
  line("cyclic", BoolToStr(FCyclic));
  for (int32_t k = 1; k <= FNrInSens; ++k) {
    out += "<meanstddev iw=\"" + std::to_string(k) + "\">";
    AppendMatXmlNumber(out, FMeanVec->GetVal(k));
    out += ' ';
    AppendMatXmlNumber(out, FStdDevVec->GetVal(k));
    out += "</meanstddev>\n";
  }
  for (int32_t ix = 1; ix <= FSizeX; ++ix)
    for (int32_t iy = 1; iy <= FSizeY; ++iy) {
      out += "<cell ix=\"" + std::to_string(ix) + "\" iy=\"" + std::to_string(iy) + "\">";
      for (int32_t k = 1; k <= FNrInSens; ++k) {
        if (k > 1) out += ' ';
        AppendMatXmlNumber(out, FKohMat->GetVal(ix, iy, k));
      }
      out += "</cell>\n";
    }
  out += "</kohonen>\n";
  return out;
}

bool TKohonen::WriteToXMLStream(TStream& OutStream, bool CreateHeader,
                                const std::string& DataID) const {
  return WriteMatXmlText(OutStream, XmlText(CreateHeader, DataID));
}

bool TKohonen::WriteToOpenXMLFile(TTextFile& f, bool CreateHeader,
                                  const std::string& DataID) const {
  return f.Write(XmlText(CreateHeader, DataID));
}

bool TKohonen::SaveAsXMLFile(const std::string& FName, const std::string& DataID) const {
  try {
    TFileStream f(FName, TFileMode::fmCreate);
    return WriteMatXmlText(f, XmlText(true, DataID));
  } catch (const EInOutError&) {
    return false;
  }
}

bool TKohonen::ReadFromXMLStream(TStream& InStream, const std::string& DataID) {
  TMatXmlSource src = MatXmlStreamSource(InStream);
  return ReadXml(src, DataID);
}

bool TKohonen::ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID) {
  TMatXmlSource src = MatXmlTextFileSource(f);
  return ReadXml(src, DataID);
}

bool TKohonen::LoadFromXMLFile(const std::string& FName, const std::string& DataID) {
  TMemoryStream ms;
  if (!ms.LoadFromFile(FName)) return false;
  return ReadFromXMLStream(ms, DataID);
}

bool TKohonen::ReadXml(TMatXmlSource& Src, const std::string& DataID) {
  TKohRead k;
  if (!ReadMap(Src, DataID, k)) return false;
  // Everything that can fail for lack of memory comes first.
  auto weights = std::make_unique<TMat3D>(nullptr);
  weights->Resize(k.Nx, k.Ny, k.M);
  for (int32_t ix = 1; ix <= k.Nx; ++ix)
    for (int32_t iy = 1; iy <= k.Ny; ++iy)
      for (int32_t wi = 1; wi <= k.M; ++wi)
        weights->SetVal(ix, iy, wi,
                        k.W[((static_cast<size_t>(ix) - 1) * static_cast<size_t>(k.Ny) + iy - 1) *
                                static_cast<size_t>(k.M) +
                            wi - 1]);
  FKohMat->Clone(weights.get());
  if (k.M != FNrInSens) FDataMat->ResizeAndClear(k.M, FNrTrnObj);
  FSizeX = k.Nx;
  FSizeY = k.Ny;
  FNrInSens = k.M;
  FComment = k.Comment;
  FMaxNeighb = k.MaxNeighb;
  FMaxSteps = k.MaxSteps;
  FMaxAlpha = k.MaxAlpha;
  FCurStep = k.CurStep;
  FCyclic = k.Cyclic;
  ResetScaling();
  for (int32_t wi = 1; wi <= k.M; ++wi) {
    FMeanVec->SetVal(wi, k.Mean[static_cast<size_t>(wi - 1)]);
    FStdDevVec->SetVal(wi, k.Sd[static_cast<size_t>(wi - 1)]);
  }
  ++FGeneration;
  return true;
}

}  // namespace zel
