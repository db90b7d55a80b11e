// TSymbolRepository: named symbol styles, a backup copy and their file.
#include <new>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "map/geomap/landmark_file_impl.hpp"

namespace zel {

TSymbol DefaultSymbolRecord() {
  TSymbol s;
  s.Properties = TSymbolProperties{TLandMarkElement::lmCross, 8, clBlack, clRed, false, 90, 40};
  return s;
}

TSymbolRepository::TSymbolRepository(TComponent* AOwner) : TComponent(AOwner) {
  FSymbols.reserve(1000);
}

void TSymbolRepository::SetNumEntries(int32_t Value) {
  if (Value < 0) return;
  try {
    FSymbols.resize(static_cast<size_t>(Value), DefaultSymbolRecord());
  } catch (const std::bad_alloc&) {
    throw EZELGeoMapError(ComponentMessage("insufficient memory"));
  } catch (const std::length_error&) {
    throw EZELGeoMapError(ComponentMessage("insufficient memory"));
  }
}

TSymbol TSymbolRepository::GetValues(int32_t ix) const {
  if (ix < 1 || ix > GetNumEntries()) return DefaultSymbolRecord();
  return FSymbols[static_cast<size_t>(ix) - 1];
}

void TSymbolRepository::SetValues(int32_t ix, const TSymbol& Value) {
  if (ix < 1 || ix > GetNumEntries()) return;
  TSymbol& s = FSymbols[static_cast<size_t>(ix) - 1];
  s = Value;
  s.Name = Utf8Truncate(s.Name, kSymbolNameCapacity);
}

void TSymbolRepository::Clear() {
  for (TSymbol& s : FSymbols) s = DefaultSymbolRecord();
}

void TSymbolRepository::Backup() { FSymbolsBak = FSymbols; }

void TSymbolRepository::Restore() { FSymbols = FSymbolsBak; }

void TSymbolRepository::Assign(const TPersistent* Source) {
  if (const auto* r = dynamic_cast<const TSymbolRepository*>(Source)) {
    if (r != this) FSymbols = r->FSymbols;
    return;
  }
  TComponent::Assign(Source);
}

bool TSymbolRepository::StoreOnFile(const std::string& FName, const std::string& DataID) {
  using namespace lmfile;
  TTextFile F;
  if (!F.Rewrite(FName)) return false;
  bool ok = F.WriteLn("<?xml version=\"1.0\"?>");
  ok = F.WriteLn("") && ok;
  ok = F.WriteLn("<!-- TGeoMap Landmark Repository / ZEL Component Suite -->") && ok;
  std::string id;
  AppendXmlEscaped(id, Utf8ToAnsi(DataID));
  ok = F.WriteLn("<lmsymbols sig=\"ZELCSuite\" vers=\"1.0\" id=\"" + id + "\">") && ok;
  for (const TSymbol& s : FSymbols) {
    const TSymbolProperties& p = s.Properties;
    const auto k = static_cast<size_t>(p.Kind);
    ok = F.WriteLn("<symbol" +
                   AttrText("element", k < LMTypeNames.size() ? LMTypeNames[k] : "Cross") +
                   AttrText("name", s.Name) + AttrInt("category", s.Category) +
                   AttrHex("colorfg", p.FGColor) + AttrHex("colorbg", p.BGColor) +
                   AttrInt("size", p.Size) + AttrBool("transp", p.Transparent) +
                   AttrInt("dir", p.Direction) + AttrInt("leng", p.Length) + " />") &&
         ok;
  }
  ok = F.WriteLn("</lmsymbols>") && ok;
  return F.Close() && ok;
}

bool TSymbolRepository::LoadFromFile(const std::string& FName, const std::string& DataID) {
  TTextFile F;
  if (!F.Reset(FName)) return false;
  return ReadFromOpenXMLFile(F, DataID);
}

bool TSymbolRepository::ReadFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
  std::vector<TSymbol> list;
  const bool read = lmfile::ReadSection(F, "lmsymbols", DataID, lmfile::tSymbol,
                                        {lmfile::tEndSymbols}, [&](std::string_view attrs) {
                                          TSymbol s = DefaultSymbolRecord();
                                          lmfile::TAttrs a(attrs);
                                          a.Int("category", s.Category);
                                          a.Text("name", s.Name, kSymbolNameCapacity);
                                          a.Hex("colorfg", s.Properties.FGColor);
                                          a.Hex("colorbg", s.Properties.BGColor);
                                          a.Int("size", s.Properties.Size);
                                          a.Bool("transp", s.Properties.Transparent);
                                          a.Int("dir", s.Properties.Direction);
                                          a.Int("leng", s.Properties.Length);
                                          a.Element("element", s.Properties.Kind);
                                          if (!a.Ok) return false;
                                          list.push_back(std::move(s));
                                          return true;
                                        });
  if (!read) return false;
  FSymbols.swap(list);
  return true;
}

}  // namespace zel
