// The landmark file: shared attribute helpers, the reader and the writer.
// The reader treats its input as hostile: it fills a temporary list and
// commits it only when the whole section was read.
#include <algorithm>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "map/geomap/landmark_file_impl.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace lmfile {

std::span<const std::string> Tags() {
  static const std::vector<std::string> tags = {
      "geomap",      "/geomap",      "calline",  "corners",  "resolution",
      "gmlandmarks", "/gmlandmarks", "landmark", "calquads", "lmsymbols",
      "/lmsymbols",  "symbol",       "utmzone",  "utmsouth", "ellipsoid"};
  return tags;
}

constexpr int64_t kMaxHeaderLine = int64_t{1} << 20;

bool FindSection(TTextFile& F, std::string_view Element, const std::string& DataID) {
  const std::string id = LowerCaseAscii(DataID);
  const std::string open = "<" + std::string(Element);
  std::string line, v;
  // A header line is short: an endless line (a device) ends the search early.
  while (F.ReadLn(line, kMaxHeaderLine)) {
    const std::string lower = LowerCaseAscii(line);
    const size_t p = lower.find(open);
    if (p == std::string::npos || lower.find("zelcsuite") == std::string::npos) continue;
    if (id.empty()) return true;
    if (XmlAttribute(std::string_view(line).substr(p + open.size()), "id", v) &&
        LowerCaseAscii(XmlUnescape(AnsiToUtf8(v))) == id)
      return true;
  }
  return false;
}

bool ReadSection(TTextFile& F, std::string_view Element, const std::string& DataID, int32_t Item,
                 std::initializer_list<int32_t> Ends,
                 const std::function<bool(std::string_view)>& OnItem) {
  if (!F.IsOpen() || !FindSection(F, Element, DataID)) return false;
  const auto tags = Tags();
  std::string before, attrs;
  TTagReadInfo info;
  int64_t count = 0;
  for (;;) {
    const int32_t t =
        ReadNextTagInTextFile(F, tags, static_cast<int32_t>(tags.size()) - 1, before, attrs, &info);
    if (info.Status == TTagReadStatus::trsEndOfInput ||
        info.Status == TTagReadStatus::trsUnterminated)
      return false;  // the section never closed: a truncated file
    if (info.Status != TTagReadStatus::trsListed) continue;
    // A file may hold several sections; only the selected one is read.
    if (std::find(Ends.begin(), Ends.end(), t) != Ends.end()) return true;
    if (t != Item) continue;
    if (count++ >= INT32_MAX || !OnItem(attrs)) return false;
  }
}

bool TAttrs::Get(std::string_view Name, std::string& raw) const {
  return XmlAttribute(FText, Name, raw);
}

namespace {

// The attribute value, blanks trimmed, read whole by Scan(text, pos);
// false, leaving v, when it is empty or has anything after the number.
template <class T, class ScanF>
bool ScanWhole(const std::string& Raw, T& v, ScanF Scan) {
  const std::string t = StripLTBlanks(Raw);
  int32_t pos = 1;
  const auto x = Scan(t, pos);
  if (t.empty() || pos != static_cast<int32_t>(t.size()) + 1) return false;
  v = x;
  return true;
}

}  // namespace

void TAttrs::Real(std::string_view Name, double& v) {
  std::string raw;
  if (!Get(Name, raw) ||
      ScanWhole(raw, v, [](std::string_view t, int32_t& p) { return ScanFPNum(t, true, 2, p); }))
    return;
  // The writer's text for values without digits: "inf", "-inf", "nan".
  double x = 0;
  if (TryStrToFloat(StripLTBlanks(raw), x) && !std::isfinite(x))
    v = x;
  else
    Ok = false;
}

void TAttrs::Int(std::string_view Name, int32_t& v) {
  std::string raw;
  if (Get(Name, raw) &&
      !ScanWhole(raw, v, [](std::string_view t, int32_t& p) { return ScanDecimal(t, p); }))
    Ok = false;
}

void TAttrs::Hex(std::string_view Name, TColor& v) {
  std::string raw;
  if (Get(Name, raw) &&
      !ScanWhole(raw, v, [](std::string_view t, int32_t& p) { return ScanHex(t, p); }))
    Ok = false;
}

void TAttrs::Bool(std::string_view Name, bool& v) {
  std::string raw;
  if (Get(Name, raw)) v = LowerCaseAscii(raw).find("true") != std::string::npos;
}

void TAttrs::Text(std::string_view Name, std::string& v, int64_t MaxChars) {
  std::string raw;
  if (!Get(Name, raw)) return;
  v = XmlUnescape(AnsiToUtf8(raw));
  if (MaxChars >= 0) v = Utf8Truncate(v, MaxChars);
}

void TAttrs::Element(std::string_view Name, TLandMarkElement& v) {
  std::string raw;
  if (Get(Name, raw)) v = LMTypeFromName(XmlUnescape(raw));
}

void TAttrs::Date(std::string_view Name, TDateTime& v) {
  std::string raw;
  const auto scan = [](std::string_view t, int32_t& p) {
    return ScanDateTime(t, "yyyymmddHHMMSS", TLanguage::lanEnglish, p);
  };
  if (Get(Name, raw) && !ScanWhole(raw, v, scan)) Ok = false;
}

std::string AttrText(std::string_view Name, std::string_view Utf8) {
  std::string r = " " + std::string(Name) + "=\"";
  AppendXmlEscaped(r, Utf8ToAnsi(Utf8));
  return r + "\"";
}

std::string AttrReal(std::string_view Name, double v) {
  if (std::isnan(v)) return " " + std::string(Name) + "=\"nan\"";
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return " " + std::string(Name) + "=\"" + std::string(buf, res.ptr) + "\"";
}

std::string AttrInt(std::string_view Name, int64_t v) {
  return " " + std::string(Name) + "=\"" + std::to_string(v) + "\"";
}

std::string AttrHex(std::string_view Name, TColor v) {
  return " " + std::string(Name) + "=\"" + zel::Hex(v, 8) + "\"";
}

std::string AttrBool(std::string_view Name, bool v) {
  return " " + std::string(Name) + "=\"" + BoolToStr(v) + "\"";
}

std::string AttrDate(std::string_view Name, TDateTime v) {
  if (!std::isfinite(v) || std::fabs(v) > 3e6) return {};
  // Before 1899-12-30 the time of day is subtracted from the day number.
  int64_t day = static_cast<int64_t>(std::trunc(v));
  int64_t sec = RoundToInt64(std::fabs(v - static_cast<double>(day)) * 86400.0L);
  if (sec >= 86400) {
    day += v < 0 ? -1 : 1;
    sec = 0;
  }
  using namespace std::chrono;
  const year_month_day ymd{sys_days{1899y / December / 30} + days{day}};
  const int y = static_cast<int>(ymd.year());
  if (y < 1 || y > 9999) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02u%02u%02d%02d%02d", y, static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(sec / 3600),
                static_cast<int>(sec / 60 % 60), static_cast<int>(sec % 60));
  return " " + std::string(Name) + "=\"" + buf + "\"";
}

}  // namespace lmfile

namespace {

// One landmark from the attributes of its tag, on top of the default.
bool ParseLandMark(std::string_view Attributes, TLandMark& lm) {
  lmfile::TAttrs a(Attributes);
  a.Real("lat", lm.Latitude);
  a.Real("long", lm.Longitude);
  a.Real("alti", lm.Altitude);
  int32_t cls = lm.ClassFlag;
  a.Int("class", cls);
  lm.ClassFlag = static_cast<uint8_t>(std::clamp(cls, 0, 255));
  a.Int("usertag", lm.Tag);
  TSymbolProperties& s = lm.SymbolProps;
  a.Hex("colorfg", s.FGColor);
  a.Hex("colorbg", s.BGColor);
  a.Int("size", s.Size);
  a.Bool("transp", s.Transparent);
  a.Int("dir", s.Direction);
  a.Int("leng", s.Length);
  a.Element("element", s.Kind);
  a.Text("id", lm.Identifier, kLMIdentifierCapacity);
  a.Date("date", lm.Time);
  TLMTextProperties& c = lm.Caption;
  a.Text("captext", c.Text, kLMTextCapacity);
  a.Int("capsize", c.Size);
  a.Text("capfnm", c.FontName, -1);
  a.Hex("capfgcol", c.FGColor);
  a.Hex("capbgcol", c.BGColor);
  a.Bool("captransp", c.Transparent);
  a.Int("capdir", c.Direction);
  a.Int("capdx", c.dx);
  a.Int("capdy", c.dy);
  // Ordinals index alignment tables: anything unknown is the first entry.
  int32_t hal = static_cast<int32_t>(c.HAlignment), val = static_cast<int32_t>(c.VAlignment);
  a.Int("caphal", hal);
  a.Int("capval", val);
  c.HAlignment = static_cast<TAlignment>(hal >= 0 && hal <= 2 ? hal : 0);
  c.VAlignment = static_cast<TLMVertAlignment>(val >= 0 && val <= 2 ? val : 0);
  std::string fst;
  if (XmlAttribute(Attributes, "capfst", fst)) {
    auto on = [&](size_t i) { return i < fst.size() && fst[i] == '1'; };
    TFontStyles st;
    if (on(0)) st.Include(TFontStyle::fsBold);
    if (on(1)) st.Include(TFontStyle::fsItalic);
    if (on(2)) st.Include(TFontStyle::fsUnderline);
    if (on(3)) st.Include(TFontStyle::fsStrikeOut);
    c.FontStyles = st;
  }
  return a.Ok;
}

}  // namespace

bool TLandMarkList::LoadLandMarks(const std::string& FName, const std::string& DataID) {
  TTextFile F;
  if (!F.Reset(FName)) return false;
  return ReadLandMarksFromOpenXMLFile(F, DataID);
}

bool TLandMarkList::ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
  std::vector<TLandMark> list;
  const bool read =
      lmfile::ReadSection(F, "gmlandmarks", DataID, lmfile::tLandmark,
                          {lmfile::tEndLandmarks, lmfile::tEndGeomap}, [&](std::string_view attrs) {
                            TLandMark lm = FDefaultLM;
                            if (!ParseLandMark(attrs, lm)) return false;
                            list.push_back(std::move(lm));
                            return true;
                          });
  if (!read) return false;
  FLandMarks.swap(list);
  SetCapacityFor(FLandMarks.size());
  FHighLM = 0;
  Changed();
  return true;
}

bool TLandMarkList::SaveLandmarks(const std::string& FName, const std::string& DataID) {
  TTextFile F;
  if (!F.Rewrite(FName)) return false;
  bool ok = F.WriteLn("<?xml version=\"1.0\"?>");
  ok = F.WriteLn("") && ok;
  ok = F.WriteLn("<!-- TGeoMap Landmarks / ZEL Component Suite -->") && ok;
  ok = WriteLandMarksToOpenXMLFile(F, DataID) && ok;
  return F.Close() && ok;
}

bool TLandMarkList::WriteLandMarksToOpenXMLFile(TTextFile& F, const std::string& DataID) {
  using namespace lmfile;
  std::string id;
  AppendXmlEscaped(id, Utf8ToAnsi(DataID));
  bool ok = F.WriteLn("<gmlandmarks sig=\"ZELCSuite\" vers=\"1.0\" id=\"" + id + "\">");
  for (const TLandMark& lm : FLandMarks) {
    const TSymbolProperties& s = lm.SymbolProps;
    const TLMTextProperties& c = lm.Caption;
    const auto k = static_cast<size_t>(s.Kind);
    std::string fst = "0000";
    if (c.FontStyles.Contains(TFontStyle::fsBold)) fst[0] = '1';
    if (c.FontStyles.Contains(TFontStyle::fsItalic)) fst[1] = '1';
    if (c.FontStyles.Contains(TFontStyle::fsUnderline)) fst[2] = '1';
    if (c.FontStyles.Contains(TFontStyle::fsStrikeOut)) fst[3] = '1';
    const std::string line =
        "<landmark" + AttrReal("lat", lm.Latitude) + AttrReal("long", lm.Longitude) +
        AttrReal("alti", lm.Altitude) + AttrInt("class", lm.ClassFlag) +
        AttrInt("usertag", lm.Tag) +
        AttrText("element", k < LMTypeNames.size() ? LMTypeNames[k] : "Cross") +
        AttrInt("size", s.Size) + AttrHex("colorfg", s.FGColor) + AttrHex("colorbg", s.BGColor) +
        AttrBool("transp", s.Transparent) + AttrInt("dir", s.Direction) +
        AttrInt("leng", s.Length) + AttrText("id", lm.Identifier) + AttrDate("date", lm.Time) +
        AttrText("captext", c.Text) + AttrInt("capsize", c.Size) + AttrText("capfnm", c.FontName) +
        AttrHex("capfgcol", c.FGColor) + AttrHex("capbgcol", c.BGColor) +
        AttrBool("captransp", c.Transparent) + AttrInt("capdir", c.Direction) +
        AttrInt("capdx", c.dx) + AttrInt("capdy", c.dy) +
        AttrInt("caphal", static_cast<int32_t>(c.HAlignment)) +
        AttrInt("capval", static_cast<int32_t>(c.VAlignment)) + " capfst=\"" + fst + "\" />";
    ok = F.WriteLn(line) && ok;
  }
  return F.WriteLn("</gmlandmarks>") && ok;
}

}  // namespace zel
