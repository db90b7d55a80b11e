// TChemGraph: properties, scaling, painting and labels.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/zel_system.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"

namespace zel {

TChemGraph::TChemGraph(TComponent* AOwner) : TGraphicControl(AOwner) {
  FStructure = new TCTab(nullptr);
  FStructure->OnChange = [this](TObject*) { Invalidate(); };
  TFont font = GetFont();
  font.SetName("Courier New");
  font.SetSize(14);
  font.SetStyle({});
  SetFont(font);
  SetBounds(0, 0, 300, 200);
}

TChemGraph::~TChemGraph() {
  FStructure->OnChange = nullptr;
  delete FStructure;
}

// ---------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------

void TChemGraph::Changed() { Invalidate(); }

void TChemGraph::SetStructure(const TCTab* Value) {
  if (Value == nullptr || Value == FStructure) return;
  FStructure->CopyFrom(Value);
}

void TChemGraph::SetDisplayMode(TCGDispMode Value) {
  if (Value == FDispMode) return;
  FDispMode = Value;
  Changed();
}

void TChemGraph::SetColorStructure(TColor Value) {
  if (Value == FMolColor) return;
  FMolColor = Value;
  Changed();
}

void TChemGraph::SetColorBkg(TColor Value) {
  if (Value == FColorBakG) return;
  FColorBakG = Value;
  Changed();
}

void TChemGraph::SetColorScheme(TColorScheme Value) {
  if (Value == FColorScheme) return;
  FColorScheme = Value;
  const bool gray = Value == TColorScheme::csGrayWhite;
  FColGrayLine = gray ? TColor{0x808080} : clBtnShadow;
  FColWhiteLine = gray ? TColor{0xFFFFFF} : clBtnHighlight;
  Changed();
}

void TChemGraph::SetFrameStyle(TFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  Changed();
}

void TChemGraph::SetMaxBondLeng(int32_t Value) {
  if (Value == FMaxBondLeng) return;
  FMaxBondLeng = Value;
  Changed();
}

void TChemGraph::SetDrawUnscaled(bool Value) {
  if (Value == FDrawAsIs) return;
  FDrawAsIs = Value;
  Changed();
}

void TChemGraph::SetSuppressPaint(bool Value) {
  FSuppressPaint = Value;
  if (!Value) Changed();
}

int32_t TChemGraph::GetClipBoundary(TDirection Side) const {
  const auto k = static_cast<int32_t>(Side);
  return k >= 0 && k < 4 ? FClipBounds[static_cast<size_t>(k)] : 0;
}

void TChemGraph::SetClipBoundary(TDirection Side, int32_t Value) {
  const auto k = static_cast<int32_t>(Side);
  if (k < 0 || k >= 4) return;
  FClipBounds[static_cast<size_t>(k)] = Value;
  FClipping = true;
  Changed();
}

void TChemGraph::ClearClipBoundary() {
  FClipping = false;
  Changed();
}

TColor TChemGraph::GetAtColor(int32_t i) const {
  if (i < 1 || i > FStructure->GetNAtoms()) return 0;
  return static_cast<TColor>(FStructure->GetAtomEntries(i).dispAttr & kDispColorMask);
}

void TChemGraph::SetAtColor(int32_t i, TColor Value) {
  if (i < 1 || i > FStructure->GetNAtoms()) return;
  CTElem rec = FStructure->GetAtomEntries(i);
  rec.dispAttr = (rec.dispAttr & kDispVisualMask) |
                 (static_cast<uint32_t>(ColorToRGB(Value)) & kDispColorMask);
  FStructure->SetAtomEntries(i, rec);
}

int32_t TChemGraph::GetAtVisAttrib(int32_t i) const {
  if (i < 1 || i > FStructure->GetNAtoms()) return 0;
  return static_cast<int32_t>((FStructure->GetAtomEntries(i).dispAttr & kDispVisualMask) >> 28);
}

void TChemGraph::SetAtVisAttrib(int32_t i, int32_t Value) {
  if (i < 1 || i > FStructure->GetNAtoms() || Value < 0 || Value > 7) return;
  CTElem rec = FStructure->GetAtomEntries(i);
  rec.dispAttr = (rec.dispAttr & ~kDispVisualMask) | (static_cast<uint32_t>(Value) << 28);
  FStructure->SetAtomEntries(i, rec);
}

// ---------------------------------------------------------------------------
// Labels
// ---------------------------------------------------------------------------

namespace {

// The suffix table looked up by (charge, bond-type sum); false when the pair
// is not listed. The pair, not 10 * charge + sum, so that a neutral atom with
// three aromatic bonds (sum 12) cannot pass for a charged one.
bool TableSuffix(int32_t z, int32_t q, int32_t s, const char*& suffix) {
  suffix = "";
  if (s < 0 || s > 9) return false;
  if (z == 7 || z == 15) {
    static const char* const neutral[] = {"H3", "H2", "H", ""};
    static const char* const cation[] = {"H4+", "H3+", "H2+", "H+", "+"};
    if (q == 0 && s <= 3)
      suffix = neutral[s];
    else if (q == 1 && s <= 4)
      suffix = cation[s];
    else if (q == -1 && s == 1)
      suffix = "H-";
    else if (q == -1 && (s == 2 || s == 3))
      suffix = "-";
    else
      return false;
    return true;
  }
  if (z == 8 || z == 16) {
    if (q == 0 && s == 1)
      suffix = "H";
    else if (q == 0 && s == 2)
      suffix = "";
    else if (q == 1 && s == 1)
      suffix = "H2+";
    else if (q == 1 && s == 2)
      suffix = "H+";
    else if (q == -1 && (s == 1 || s == 2))
      suffix = "-";
    else
      return false;
    return true;
  }
  if (q < -1 || q > 1) return false;
  suffix = q < 0 ? "-" : q > 0 ? "+" : "";
  return true;
}

std::string ChargeText(int32_t q) {
  if (q == 0) return "";
  const std::string sign = q > 0 ? "+" : "-";
  const int32_t m = q > 0 ? q : -q;
  return m == 1 ? sign : std::to_string(m) + sign;
}

// Degree and bond-type sum over the valid, distinct neighbours.
void BondSums(const TCTab& t, int32_t i, int32_t& degree, int32_t& sum) {
  degree = sum = 0;
  std::array<bool, kMaxCTAtoms + 1> seen{};
  for (int32_t k = 1; k <= kMaxCTConn; ++k) {
    const int32_t nb = t.GetConnTo(i, k);
    if (!cstruct_impl::ValidNeighbour(nb, i, t.GetNAtoms()) || seen[static_cast<size_t>(nb)])
      continue;
    seen[static_cast<size_t>(nb)] = true;
    ++degree;
    sum += t.GetTypConn(i, k);
  }
}

int32_t Pixel(double v) { return RoundToInt32(v); }

}  // namespace

std::string TChemGraph::AtomLabelText(int32_t i) const {
  if (i < 1 || i > FStructure->GetNAtoms()) return "";
  const int32_t z = FStructure->GetAtNum(i), q = FStructure->GetCharge(i);
  int32_t degree = 0, sum = 0;
  BondSums(*FStructure, i, degree, sum);
  std::string label = z == 0 ? std::string("?") : CElemSymb(z);
  const char* suffix = "";
  if (TableSuffix(z, q, sum, suffix))
    label += suffix;
  else
    label += ChargeText(q);
  return label;
}

bool TChemGraph::Labelled(int32_t i, TCGDispMode Mode) const {
  int32_t degree = 0, sum = 0;
  BondSums(*FStructure, i, degree, sum);
  if (degree == 0 || FStructure->GetCharge(i) != 0) return true;
  switch (Mode) {
    case TCGDispMode::dmSkeleton: return false;
    case TCGDispMode::dmHeteroOnly: return FStructure->GetAtNum(i) != 6;
    default: return true;
  }
}

int32_t TChemGraph::FontSizeFor(double Scale, double MeanBond) {
  const double t = Round(Scale * MeanBond / 5.0);
  if (!(t >= 4.0)) return 8;  // NaN included
  return t >= 16.0 ? 20 : static_cast<int32_t>(t) + 4;
}

// ---------------------------------------------------------------------------
// Scaling and drawing
// ---------------------------------------------------------------------------

TChemGraph::TScaling TChemGraph::ScaleInto(double CentreX, double CentreY, double Width,
                                           double Height, int32_t MaxBond) const {
  double minX = 0, minY = 0, maxX = 0, maxY = 0, cx = 0, cy = 0;
  const double b = FStructure->CalcMolExtents(minX, minY, maxX, maxY, cx, cy);
  // A box narrower than a pixel (a tiny control less its margin) still gets a
  // positive scale, so that the inverse transformation stays defined.
  const double w = std::max(Width, 1.0), h = std::max(Height, 1.0);
  const double rx = maxX - minX, ry = maxY - minY;
  double s = std::min(rx > 0 ? w / rx : w, ry > 0 ? h / ry : h);
  if (MaxBond > 0) s = std::min(s, b > 0 ? MaxBond / b : static_cast<double>(MaxBond));
  if (!std::isfinite(s) || !(s > 0)) s = 1;  // non-finite coordinates
  TScaling r;
  r.Scale = s;
  r.OffsetX = CentreX - s * (minX + maxX) / 2;
  r.OffsetY = CentreY - s * (minY + maxY) / 2;
  if (!std::isfinite(r.OffsetX)) r.OffsetX = 0;
  if (!std::isfinite(r.OffsetY)) r.OffsetY = 0;
  r.FontSize = FontSizeFor(s, b);
  return r;
}

void TChemGraph::DrawMolecule(TCanvas& Canvas, const TScaling& S, TCGDispMode Mode,
                              const TFont& Font, TColor Background) {
  TCanvasStateSaver saver(Canvas);
  FLast = TChemGraphDrawing{};
  FLast.Scale = S.Scale;
  FLast.OffsetX = S.OffsetX;
  FLast.OffsetY = S.OffsetY;
  FLast.FontSize = S.FontSize;
  const cstruct_impl::Graph g = cstruct_impl::BuildGraph(*FStructure);
  const int32_t n = g.n;

  std::array<TPoint, kMaxCTAtoms + 1> pix{};
  std::array<std::string, kMaxCTAtoms + 1> label{};
  std::array<double, kMaxCTAtoms + 1> extent{};
  const int32_t perChar = S.FontSize / 2 + 1;
  for (int32_t i = 1; i <= n; ++i) {
    const auto k = static_cast<size_t>(i);
    pix[k] = {Pixel(FStructure->GetCoords(i, 1) * S.Scale + S.OffsetX),
              Pixel(FStructure->GetCoords(i, 2) * S.Scale + S.OffsetY)};
    if (!Labelled(i, Mode)) continue;
    if (FClipping && !(pix[k].x > FClipBounds[0] + 40 && pix[k].y > FClipBounds[1] + 40 &&
                       pix[k].x < FClipBounds[2] - 40 && pix[k].y < FClipBounds[3] - 40))
      continue;
    label[k] = Mode == TCGDispMode::dmNumbers ? std::to_string(i) : AtomLabelText(i);
    extent[k] = static_cast<double>(label[k].size()) * perChar;
  }

  Canvas.GetPen().SetColor(FMolColor);
  Canvas.GetPen().SetWidth(1);
  Canvas.GetPen().SetStyle(TPenStyle::psSolid);
  Canvas.GetPen().SetMode(TPenMode::pmCopy);
  Canvas.GetBrush().SetStyle(TBrushStyle::bsClear);
  const auto line = [&](double x1, double y1, double x2, double y2) {
    Canvas.Line(Pixel(x1), Pixel(y1), Pixel(x2), Pixel(y2));
  };
  const auto listed = [&](int32_t a, int32_t b) {
    for (int32_t k = 0; k < g.deg[static_cast<size_t>(a)]; ++k)
      if (g.nb[static_cast<size_t>(a)][static_cast<size_t>(k)] == b) return true;
    return false;
  };
  for (int32_t a = 1; a <= n; ++a) {
    const auto ka = static_cast<size_t>(a);
    for (int32_t k = 0; k < g.deg[ka]; ++k) {
      const int32_t b = g.nb[ka][static_cast<size_t>(k)];
      // Each bond once, from its lower-numbered atom (or from the only atom
      // that lists it).
      if (b < a && listed(b, a)) continue;
      int32_t type = g.type[ka][static_cast<size_t>(k)];
      if (type < 1 || type > 4) type = 1;
      const auto kb = static_cast<size_t>(b);
      const double x1 = pix[ka].x, y1 = pix[ka].y, x2 = pix[kb].x, y2 = pix[kb].y;
      const double len = std::hypot(x2 - x1, y2 - y1);
      // Atoms on one pixel (a file without coordinates) have no direction.
      if (!(len >= 1)) continue;
      double s1 = extent[ka], s2 = extent[kb];
      // Labels at both ends of a short bond would reverse the line: keep at
      // least a third of it.
      const double most = 2 * len / 3;
      if (s1 + s2 > most) {
        const double f = most / (s1 + s2);
        s1 *= f;
        s2 *= f;
      }
      const double ux = (x2 - x1) / len, uy = (y2 - y1) / len;
      const double fx = x1 + ux * s1, fy = y1 + uy * s1, tx = x2 - ux * s2, ty = y2 - uy * s2;
      FLast.Bonds.push_back(TChemGraphBond{
          std::min(a, b), std::max(a, b), type, {Pixel(fx), Pixel(fy)}, {Pixel(tx), Pixel(ty)}});
      if (b < a) std::swap(FLast.Bonds.back().From, FLast.Bonds.back().To);
      const double nx = -uy, ny = ux;
      switch (type) {
        case 2:
          line(fx + 1.65 * nx, fy + 1.65 * ny, tx + 1.65 * nx, ty + 1.65 * ny);
          line(fx - 1.65 * nx, fy - 1.65 * ny, tx - 1.65 * nx, ty - 1.65 * ny);
          break;
        case 3:
          line(fx, fy, tx, ty);
          line(fx + 3 * nx, fy + 3 * ny, tx + 3 * nx, ty + 3 * ny);
          line(fx - 3 * nx, fy - 3 * ny, tx - 3 * nx, ty - 3 * ny);
          break;
        case 4:
          Canvas.GetPen().SetStyle(TPenStyle::psDash);
          line(fx, fy, tx, ty);
          Canvas.GetPen().SetStyle(TPenStyle::psSolid);
          break;
        default: line(fx, fy, tx, ty); break;
      }
    }
  }

  for (int32_t i = 1; i <= n; ++i) {
    const auto k = static_cast<size_t>(i);
    if (label[k].empty()) continue;
    const uint32_t attr = FStructure->GetAtomEntries(i).dispAttr;
    const TColor color =
        (attr & kDispDefaultColor) != 0 ? FMolColor : static_cast<TColor>(attr & kDispColorMask);
    TFont font = Font;
    font.SetSize(S.FontSize);
    TFontStyles style;
    if ((attr & (uint32_t{kVisBold} << 28)) != 0) style.Include(TFontStyle::fsBold);
    if ((attr & (uint32_t{kVisItalic} << 28)) != 0) style.Include(TFontStyle::fsItalic);
    font.SetStyle(style);
    const bool inverse = (attr & (uint32_t{kVisInverse} << 28)) != 0;
    font.SetColor(inverse ? Background : color);
    Canvas.SetFont(font);
    Canvas.GetBrush().SetColor(color);
    Canvas.GetBrush().SetStyle(inverse ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
    const TSize ext = Canvas.TextExtent(label[k]);
    const int32_t x = WrapSub(pix[k].x, ext.cx / 2), y = WrapSub(pix[k].y, ext.cy / 2);
    Canvas.TextOut(x, y, label[k]);
    FLast.Labels.push_back(TChemGraphLabel{
        i, label[k], pix[k], {x, y, WrapAdd(x, ext.cx), WrapAdd(y, ext.cy)}, color, inverse});
  }
}

void TChemGraph::ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode DispMode, int32_t llx, int32_t lly,
                                    int32_t urx, int32_t ury, int32_t MaxBondLeng) {
  if (FStructure->GetNAtoms() == 0) {
    FLast = TChemGraphDrawing{};
    return;
  }
  const int64_t left = std::min(llx, urx), right = std::max(llx, urx);
  const int64_t top = std::min(lly, ury), bottom = std::max(lly, ury);
  const TScaling s =
      ScaleInto(static_cast<double>((left + right) / 2), static_cast<double>((top + bottom) / 2),
                static_cast<double>(right - left), static_cast<double>(bottom - top), MaxBondLeng);
  TFont font = Canvas.GetFont();
  font.SetName("Courier New");
  font.SetStyle({});
  DrawMolecule(Canvas, s, DispMode, font, FColorBakG);
}

void TChemGraph::Paint() {
  if (FSuppressPaint || (!GetVisible() && !IsDesigning())) return;
  const int32_t w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  // The control's surface is its off-screen bitmap: the picture is composed
  // there and shown by the host in one piece.
  TCanvas& c = GetCanvas();
  TCanvasStateSaver saver(c);
  c.GetBrush().SetColor(FColorBakG);
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.FillRect({0, 0, w, h});
  const bool gray = FColorScheme == TColorScheme::csGrayWhite;
  DrawFrame(c, FFrameStyle, {0, 0, w - 1, h - 1}, FColBlackLine, FColGrayLine,
            gray ? clSilver : cl3DLight, FColWhiteLine);
  if (FStructure->GetNAtoms() == 0) {
    FLast = TChemGraphDrawing{};
    c.SetFont(GetFont());
    c.GetBrush().SetStyle(TBrushStyle::bsClear);
    const char* text = "no structure loaded";
    const TSize ext = c.TextExtent(text);
    c.TextOut((w - ext.cx) / 2 + 2, (h - ext.cy) / 2, text);
    return;
  }
  TScaling s;
  if (FDrawAsIs) {
    double minX = 0, minY = 0, maxX = 0, maxY = 0, cx = 0, cy = 0;
    s.FontSize = FontSizeFor(1, FStructure->CalcMolExtents(minX, minY, maxX, maxY, cx, cy));
  } else {
    s = ScaleInto(w / 2, h / 2, w - 16.0, h - 16.0, FMaxBondLeng);
  }
  FTransForm = s.Scale;
  FXOffset = s.OffsetX;
  FYOffset = s.OffsetY;
  DrawMolecule(c, s, FDispMode, GetFont(), FColorBakG);
}

}  // namespace zel
