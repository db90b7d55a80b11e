// The calibration file: writer and reader. The reader treats its input as
// hostile: it fills a temporary record and commits it only when the whole
// geomap element was read.
#include <charconv>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "map/geomap/zel_mapcalib.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

// A value may never cut its attribute or its line when read back.
std::string AttrText(std::string_view s) {
  std::string r = Utf8ToAnsi(s);
  for (char& c : r) {
    if (c == '"')
      c = '\'';
    else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = ' ';
  }
  return r;
}

std::string GenFloat(double v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  return std::string(buf, res.ptr);
}

using TLineWriter = std::function<bool(const std::string&)>;

bool WriteCal(const TLineWriter& W, bool WriteHeader, bool StreamForm, const std::string& DataID,
              const TCalibData& D, TCalibModel Model) {
  auto mi = static_cast<int32_t>(Model);
  if (mi < 0 || mi > 6) mi = 6;
  bool ok = true;
  auto w = [&](const std::string& s) { ok = W(s) && ok; };
  if (WriteHeader) w("<?xml version=\"1.0\"?>");
  w("");
  w("<!-- TGeoMap Calibration / ZEL Component Suite -->");
  w("<geomap sig=\"ZELCSuite\" vers=\"1.0\" id=\"" + AttrText(DataID) + "\" model=\"" +
    std::string(CalibModelName[mi]) + "\" map=\"" + AttrText(D.MapFName) + "\" caption=\"" +
    AttrText(D.Caption) + "\">");
  w("<corners>");
  std::string g;
  for (const TCoords& c : D.Corners)
    g += "[" + strff(c.Latit, 1, 5) + "," + strff(c.Longit, 1, 5) + "] ";
  w(g);
  w("</corners>");
  if (StreamForm || D.Resolution > 0)
    w("<resolution>" + strff(D.Resolution, 1, 3) + "</resolution>");
  if (D.UTMZone >= 1 && D.UTMZone <= 60) {
    w("<utmzone>" + std::to_string(D.UTMZone) + "</utmzone>");
    w(std::string("<utmsouth>") + (D.UTMSouth ? "TRUE" : "FALSE") + "</utmsouth>");
  }
  auto ei = static_cast<size_t>(D.Ellipsoid);
  w("<ellipsoid>" + std::string(GeoEllipsoidId[ei < GeoEllipsoidId.size() ? ei : 0]) +
    "</ellipsoid>");
  const int32_t nl = std::clamp(D.NumCalLines, 0, kMaxCalLines);
  for (int32_t k = 0; k < nl; ++k) {
    const TCalibLine& L = D.CalLines[k];
    const int32_t np = std::clamp(L.NumPoints, 0, kMaxLinePoints);
    w(std::string("<calline type=\"") +
      (L.LineType == TGratLineKind::gtlParallel ? "parallel" : "meridian") + "\" value=\"" +
      GenFloat(L.LineValue) + "\" npoints=\"" + std::to_string(np) + "\">");
    g.clear();
    for (int32_t i = 0; i < np; ++i)
      g += "[" + std::to_string(L.CalPoints[i].x) + "," + std::to_string(L.CalPoints[i].y) + "] ";
    w(g);
    w("</calline>");
  }
  const int32_t nq = std::clamp(D.NumCalQuads, 0, kMaxCalQuads);
  if (StreamForm || nq > 0) {
    w("<calquads npoints=\"" + std::to_string(nq) + "\">");
    g.clear();
    for (int32_t i = 0; i < nq; ++i) {
      const TCalQuad& q = D.CalQuads[i];
      g += "[" + strff(q.Latitude, 1, 5) + "," + strff(q.Longitude, 1, 5) + "," +
           std::to_string(q.MapX) + "," + std::to_string(q.MapY) + "] ";
    }
    w(g);
    w("</calquads>");
  }
  w("</geomap>");
  return ok;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

struct TCalSource {
  std::function<bool(std::string&)> ReadLine;
  std::function<int32_t(std::span<const std::string>, std::string&, std::string&, TTagReadInfo*)>
      ReadTag;
};

// Value of attribute Name in the attribute text Attrs, blanks trimmed; false
// when absent.
bool Attr(std::string_view Attrs, std::string_view Name, std::string& Value) {
  if (!XmlAttribute(Attrs, Name, Value)) return false;
  Value = StripLTBlanks(Value);
  return true;
}

// Whole text (blanks around allowed) as one number.
bool WholeFloat(std::string_view s, bool AllowExp, int32_t Sep, double& v) {
  const std::string t = StripLTBlanks(s);
  if (t.empty() || t.size() > INT32_MAX / 2) return false;
  int32_t pos = 1;
  v = ScanFPNum(t, AllowExp, Sep, pos);
  return pos == static_cast<int32_t>(t.size()) + 1;
}

bool WholeInt(std::string_view s, int32_t& v) {
  const std::string t = StripLTBlanks(s);
  if (t.empty() || t.size() > INT32_MAX / 2) return false;
  int32_t pos = 1;
  v = ScanDecimal(t, pos);
  return pos == static_cast<int32_t>(t.size()) + 1;
}

// Groups "[a,b,...] " of Width numbers each; Kinds[i] = 'f' (float with '.'
// and exponent), 'p' (float with '.', no exponent) or 'i' (integer). Every
// group is passed to Take; false when the text is not a sequence of groups.
bool ReadGroups(std::string_view Text, std::string_view Kinds,
                const std::function<void(const double*)>& Take, int64_t& Count) {
  Count = 0;
  if (Text.size() > INT32_MAX / 2) return false;
  const std::string t(Text);
  const auto n = static_cast<int32_t>(t.size());
  auto isWs = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  int32_t pos = 1;  // 1-based, as the scanners count
  double vals[4] = {};
  for (;;) {
    while (pos <= n && isWs(t[pos - 1])) ++pos;
    if (pos > n) return true;
    if (t[pos - 1] != '[') return false;
    ++pos;
    for (size_t k = 0; k < Kinds.size(); ++k) {
      const int32_t start = pos;
      if (Kinds[k] == 'i')
        vals[k] = ScanDecimal(t, pos);
      else
        vals[k] = ScanFPNum(t, Kinds[k] == 'f', 0, pos);
      if (pos == start) return false;
      while (pos <= n && isWs(t[pos - 1])) ++pos;
      const char want = k + 1 < Kinds.size() ? ',' : ']';
      if (pos > n || t[pos - 1] != want) return false;
      ++pos;
    }
    ++Count;
    Take(vals);
  }
}

const std::vector<std::string>& TagList() {
  static const std::vector<std::string> tags = {
      "geomap",      "/geomap",      "calline",  "corners",  "resolution",
      "gmlandmarks", "/gmlandmarks", "landmark", "calquads", "lmsymbols",
      "/lmsymbols",  "symbol",       "utmzone",  "utmsouth", "ellipsoid"};
  return tags;
}

enum : int32_t {
  tGeomap,
  tEndGeomap,
  tCalline,
  tCorners,
  tResolution,
  tLandmarks,
  tEndLandmarks,
  tLandmark,
  tCalquads,
  tSymbols,
  tEndSymbols,
  tSymbol,
  tUtmzone,
  tUtmsouth,
  tEllipsoid
};

// Reads one calibration. Prefix starts the error messages; TypeQuote closes
// the quote of the graticule-type message. DefaultModel is the model when the
// attribute is absent.
bool ReadCal(TCalSource& S, const std::string& DataID, const std::string& Prefix, bool TypeQuote,
             TCalibModel DefaultModel, TCalibData& Out, TCalibModel& OutModel) {
  const std::string id = LowerCaseAscii(DataID);
  std::string line, lower, v;
  std::string_view head;  // the attributes of the geomap element, in line
  TCalibData D;
  TCalibModel model = DefaultModel;
  bool found = false;
  while (S.ReadLine(line)) {
    lower = LowerCaseAscii(line);
    const size_t g = lower.find("<geomap");
    if (g == std::string::npos || lower.find("zelcsuite") == std::string::npos) continue;
    head = std::string_view(line).substr(g + 7);
    if (!id.empty() && !(Attr(head, "id", v) && LowerCaseAscii(v) == id)) continue;
    found = true;
    break;
  }
  if (!found) return false;
  if (Attr(head, "model", v)) {
    model = TCalibModel::cmUndefined;
    const std::string m = LowerCaseAscii(v);
    for (size_t i = 0; i < CalibModelName.size(); ++i)
      if (m == CalibModelName[i]) model = static_cast<TCalibModel>(i);
  }
  if (Attr(head, "map", v)) D.MapFName = AnsiToUtf8(v);
  if (Attr(head, "caption", v)) D.Caption = AnsiToUtf8(v);

  const auto& tags = TagList();
  std::string before, attrs, content;
  TTagReadInfo info;
  auto next = [&]() { return S.ReadTag(tags, before, attrs, &info); };
  // Content of the element just opened: the text before its closing tag.
  auto readContent = [&](const char* name) {
    if (info.SelfClosing) {
      content.clear();
      return true;
    }
    next();
    if (info.Status != TTagReadStatus::trsListed && info.Status != TTagReadStatus::trsUnlisted)
      return false;
    if (LowerCaseAscii(info.Name) != std::string("/") + name) return false;
    content = before;
    return true;
  };
  auto countError = [&]() {
    throw EZELGeoMapError(
        Prefix + "specified number of calibration points and actual number does not match");
  };
  for (;;) {
    const int32_t t = next();
    if (info.Status == TTagReadStatus::trsEndOfInput ||
        info.Status == TTagReadStatus::trsUnterminated)
      return false;  // no closing geomap: a truncated file
    if (info.Status != TTagReadStatus::trsListed) continue;
    if (t == tEndGeomap) break;
    switch (t) {
      case tCalline: {
        std::string type, val, np;
        Attr(attrs, "type", type);
        const std::string lt = LowerCaseAscii(type);
        if (lt != "parallel" && lt != "meridian")
          throw EZELGeoMapError(Prefix + "invalid type of graticule line: type=\"" + type +
                                (TypeQuote ? "\"" : ""));
        TCalibLine L;
        L.LineType = lt == "parallel" ? TGratLineKind::gtlParallel : TGratLineKind::gtlMeridian;
        int32_t npoints = 0;
        if (!Attr(attrs, "value", val) || !WholeFloat(val, true, 2, L.LineValue)) return false;
        if (!Attr(attrs, "npoints", np) || !WholeInt(np, npoints)) return false;
        if (!readContent("calline")) return false;
        int64_t count = 0;
        if (!ReadGroups(
                content, "ii",
                [&](const double* a) {
                  if (L.NumPoints < kMaxLinePoints)
                    L.CalPoints[L.NumPoints++] =
                        TPoint{static_cast<int32_t>(a[0]), static_cast<int32_t>(a[1])};
                },
                count))
          return false;
        if (count != npoints) countError();
        if (npoints >= 3 && D.NumCalLines < kMaxCalLines) D.CalLines[D.NumCalLines++] = L;
        break;
      }
      case tCorners: {
        if (!readContent("corners")) return false;
        int32_t c = 0;
        int64_t count = 0;
        if (!ReadGroups(
                content, "ff",
                [&](const double* a) {
                  if (c < 4) D.Corners[c++] = TCoords{a[0], a[1]};
                },
                count) ||
            count != 4)
          return false;
        break;
      }
      case tResolution:
        if (!readContent("resolution") || !WholeFloat(content, true, 0, D.Resolution)) return false;
        break;
      case tCalquads: {
        std::string np;
        int32_t npoints = 0;
        if (!Attr(attrs, "npoints", np) || !WholeInt(np, npoints)) return false;
        if (!readContent("calquads")) return false;
        int64_t count = 0;
        D.NumCalQuads = 0;
        if (!ReadGroups(
                content, "ppii",
                [&](const double* a) {
                  if (D.NumCalQuads < kMaxCalQuads)
                    D.CalQuads[D.NumCalQuads++] = TCalQuad{a[0], a[1], static_cast<int32_t>(a[2]),
                                                           static_cast<int32_t>(a[3])};
                },
                count))
          return false;
        if (count != npoints) countError();
        break;
      }
      case tUtmzone: {
        int32_t z = 0;
        if (!readContent("utmzone") || !WholeInt(content, z)) return false;
        D.UTMZone = z >= 1 && z <= 60 ? z : -1;
        break;
      }
      case tUtmsouth:
        if (!readContent("utmsouth")) return false;
        D.UTMSouth = LowerCaseAscii(StripLTBlanks(content)) == "true";
        break;
      case tEllipsoid: {
        if (!readContent("ellipsoid")) return false;
        const std::string e = StripLTBlanks(content);
        for (size_t i = 0; i < GeoEllipsoidId.size(); ++i)
          if (e == GeoEllipsoidId[i]) D.Ellipsoid = static_cast<TGeoEllipsoid>(i);
        break;
      }
      default: break;  // landmarks, symbols and a nested geomap are not ours
    }
  }
  Out = std::move(D);
  OutModel = model;
  return true;
}

TCalSource FileSource(TTextFile& F) {
  return TCalSource{
      [&F](std::string& l) { return F.ReadLn(l); },
      [&F](std::span<const std::string> tags, std::string& b, std::string& a, TTagReadInfo* i) {
        return ReadNextTagInTextFile(F, tags, static_cast<int32_t>(tags.size()) - 1, b, a, i);
      }};
}

TCalSource StreamSource(TStream& S) {
  return TCalSource{
      [&S](std::string& l) { return ReadLnStream(S, l); },
      [&S](std::span<const std::string> tags, std::string& b, std::string& a, TTagReadInfo* i) {
        return ReadNextTagInStream(S, tags, static_cast<int32_t>(tags.size()) - 1, b, a, i);
      }};
}

}  // namespace

std::string LocateCalibFile(const std::string& Name, const std::string& RefFile) {
  namespace fs = std::filesystem;
  if (Name.empty()) return "";
  std::string n = Name;
  std::replace(n.begin(), n.end(), '\\', '/');
  std::vector<fs::path> tries{fs::path(n)};
  if (!RefFile.empty() && fs::path(n).is_relative()) {
    std::string r = RefFile;
    std::replace(r.begin(), r.end(), '\\', '/');
    tries.push_back(fs::path(r).parent_path() / n);
  }
  std::error_code ec;
  for (const fs::path& p : tries)
    if (fs::is_regular_file(p, ec)) return p.string();
  // Component by component: the exact name, else the first entry (in byte
  // order) that equals it without regard to ASCII case.
  for (const fs::path& p : tries) {
    fs::path cur = p.root_path();
    bool ok = true;
    for (const fs::path& part : p.relative_path()) {
      const std::string want = part.string();
      if (want == "." || want == ".." || fs::exists(cur / part, ec)) {
        cur /= part;
        continue;
      }
      const std::string low = LowerCaseAscii(want);
      std::vector<std::string> hits;
      const fs::path dir = cur.empty() ? fs::path(".") : cur;
      for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (LowerCaseAscii(it->path().filename().string()) == low)
          hits.push_back(it->path().filename().string());
      if (hits.empty()) {
        ok = false;
        break;
      }
      cur /= *std::min_element(hits.begin(), hits.end());
    }
    if (ok && fs::is_regular_file(cur, ec)) return cur.string();
  }
  return "";
}

bool WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID,
                                  const TCalibData& CalibData, TCalibModel Model) {
  return WriteCal([&F](const std::string& s) { return F.WriteLn(s); }, WriteHeader, false, DataID,
                  CalibData, Model);
}

bool ParseCalibData(const std::string& FName, const std::string& DataID, TCalibData& CalibData,
                    TCalibModel& Model) {
  TTextFile F;
  const std::string path = LocateCalibFile(FName);
  if (path.empty() || !F.Reset(path)) return false;
  TCalSource S = FileSource(F);
  return ReadCal(S, DataID, "ParseCalibData: ", false, TCalibModel::cmBiquadraticPn, CalibData,
                 Model);
}

bool ParseCalibData(TStream& InStream, const std::string& DataID, TCalibData& CalibData,
                    TCalibModel& Model) {
  TCalSource S = StreamSource(InStream);
  return ReadCal(S, DataID, "ParseCalibData: ", false, TCalibModel::cmBiquadraticPn, CalibData,
                 Model);
}

bool TMapCalibration::WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader,
                                                const std::string& DataID) {
  CalcExtentsAndResolution();
  return WriteRawCalDataToOpenXMLFile(F, WriteHeader, DataID, FData, FModel);
}

bool TMapCalibration::SaveCalDataAsXML(const std::string& FileName, const std::string& DataID) {
  TTextFile F;
  if (!F.Rewrite(FileName)) return false;
  const bool ok = WriteCalDataToOpenXMLFile(F, true, DataID);
  return F.Close() && ok;
}

bool TMapCalibration::SaveCalDataAsXML(TStream& OutStream, const std::string& DataID) {
  CalcExtentsAndResolution();
  return WriteCal([&OutStream](const std::string& s) { return WriteLnStream(OutStream, s); }, true,
                  true, DataID, FData, FModel);
}

bool TMapCalibration::LoadParsed(bool Found, TCalibData& Data, TCalibModel Model) {
  if (!Found) return false;
  FData = std::move(Data);
  FModel = Model;
  FRestoreBiQuadOK = FRestoreParaIpOK = false;
  RecalcCalibration();
  return true;
}

bool TMapCalibration::LoadCalDataFromXML(const std::string& FName, const std::string& DataID) {
  TTextFile F;
  const std::string path = LocateCalibFile(FName);
  if (path.empty() || !F.Reset(path)) return false;
  return ReadCalDataFromOpenXMLFile(F, DataID);
}

bool TMapCalibration::LoadCalDataFromXML(TStream& InStream, const std::string& DataID) {
  TCalSource S = StreamSource(InStream);
  TCalibData D;
  TCalibModel M = TCalibModel::cmUndefined;
  const bool found = ReadCal(S, DataID, ComponentMessage(""), true, TCalibModel::cmUndefined, D, M);
  return LoadParsed(found, D, M);
}

bool TMapCalibration::ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
  TCalSource S = FileSource(F);
  TCalibData D;
  TCalibModel M = TCalibModel::cmUndefined;
  const bool found = ReadCal(S, DataID, ComponentMessage(""), true, TCalibModel::cmUndefined, D, M);
  return LoadParsed(found, D, M);
}

}  // namespace zel
