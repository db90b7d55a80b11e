#include "gui/zel_fonts.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <unordered_map>

#include "core/zel_stringl.hpp"

namespace zel {

namespace {

constexpr int32_t kMaxEm = 1000;
constexpr int64_t kMaxUnclippedMask = int64_t{1} << 26;
constexpr size_t kCacheBudget = size_t{32} << 20;
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
constexpr double kItalicShear = 0.2;

// ---------------------------------------------------------------------------
// UTF-8
// ---------------------------------------------------------------------------

// Malformed pieces become U+FFFD (core's rule, one per maximal piece).
std::vector<char32_t> DecodeUtf8(std::string_view s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out.push_back(NextUtf8CodePoint(s, i));
  return out;
}

// ---------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------

// Case and blanks ignored, as fontconfig compares family names.
std::string FamilyKey(std::string_view s) {
  std::string r;
  for (char c : s) {
    if (c == ' ') continue;
    r.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return r;
}

int64_t CeilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

int32_t EmPixels(int32_t Size) {
  const int64_t s = Abs64(Size);
  // Size * 4/3 has the fractions 0, 1/3, 2/3: rounding to nearest is
  // (4 s + 1) div 3.
  const int64_t em = (4 * s + 1) / 3;
  return static_cast<int32_t>(std::clamp<int64_t>(em, 1, kMaxEm));
}

int32_t NormalOrientation(int32_t o) { return ((o % 3600) + 3600) % 3600; }

// Exact values at the quarter turns so that a text turned by 90 degrees is
// the unrotated one transposed.
void SinCos(int32_t Tenths, double& s, double& c) {
  switch (Tenths) {
    case 0: s = 0, c = 1; return;
    case 900: s = 1, c = 0; return;
    case 1800: s = 0, c = -1; return;
    case 2700: s = -1, c = 0; return;
    default: break;
  }
  const double a = Tenths * (std::numbers::pi / 1800);
  s = std::sin(a);
  c = std::cos(a);
}

FT_Fixed ToFixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

// The part of a convex polygon inside [X0, X1] x [Y0, Y1]
// (Sutherland-Hodgman); fewer than 3 points when nothing is inside.
std::vector<TPointDouble> ClipPolygon(std::vector<TPointDouble> Poly, double X0, double Y0,
                                      double X1, double Y1) {
  const double bound[4] = {X0, X1, Y0, Y1};
  for (int k = 0; k < 4 && Poly.size() >= 3; ++k) {
    const bool isX = k < 2, low = k % 2 == 0;
    auto coord = [isX](const TPointDouble& p) { return isX ? p.x : p.y; };
    auto inside = [&](const TPointDouble& p) {
      return low ? coord(p) >= bound[k] : coord(p) <= bound[k];
    };
    std::vector<TPointDouble> out;
    for (size_t i = 0; i < Poly.size(); ++i) {
      const TPointDouble& a = Poly[i];
      const TPointDouble& b = Poly[(i + 1) % Poly.size()];
      if (inside(a)) out.push_back(a);
      if (inside(a) != inside(b)) {
        const double t = (bound[k] - coord(a)) / (coord(b) - coord(a));
        out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
      }
    }
    Poly = std::move(out);
  }
  return Poly;
}

void PolygonBounds(const std::vector<TPointDouble>& Poly, double& X0, double& Y0, double& X1,
                   double& Y1) {
  X0 = X1 = Poly[0].x;
  Y0 = Y1 = Poly[0].y;
  for (const auto& p : Poly) {
    X0 = std::min(X0, p.x), X1 = std::max(X1, p.x);
    Y0 = std::min(Y0, p.y), Y1 = std::max(Y1, p.y);
  }
}

// ---------------------------------------------------------------------------
// Engine state: the FreeType library, fontconfig, open faces, resolved specs
// and the glyph cache, all behind one mutex.
// ---------------------------------------------------------------------------

struct TFace {
  FT_Face Face = nullptr;
  int32_t Id = 0;
  int32_t CurrentEm = 0;
  bool IsBold = false;
  bool IsItalic = false;
  std::string File;
};

struct TResolved {
  TFace* Primary = nullptr;
  TFace* Fallback = nullptr;
  bool Bold = false;
  bool Italic = false;
};

struct TGlyph {
  int32_t Left = 0;  // column of the bitmap's first pixel relative to the origin
  int32_t Top = 0;   // rows above the origin of the bitmap's first row
  int32_t Width = 0;
  int32_t Rows = 0;
  std::vector<uint8_t> Pixels;
};

struct TGlyphKey {
  int32_t FaceId;
  int32_t Em;
  int32_t Orientation;
  uint32_t Index;
  uint8_t Synth;
  uint8_t PhaseX;
  uint8_t PhaseY;
  friend bool operator==(const TGlyphKey&, const TGlyphKey&) = default;
};

struct TGlyphKeyHash {
  size_t operator()(const TGlyphKey& k) const {
    uint64_t h = static_cast<uint64_t>(k.Index);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(k.FaceId);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(k.Em);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(k.Orientation);
    h = h * 0x9E3779B97F4A7C15ull ^
        (uint64_t{k.Synth} | uint64_t{k.PhaseX} << 8 | uint64_t{k.PhaseY} << 16);
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// One glyph of a laid-out text.
struct TPlaced {
  TFace* Face;
  FT_UInt Index;
  int64_t Pen;  // pixels from the text origin along the baseline
  bool SynthBold;
  bool SynthItalic;
};

struct TClip64 {
  int64_t Left, Top, Right, Bottom;
};

struct TLineMetrics {
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t UnderTop = 0;  // rows below the baseline row
  int32_t UnderThick = 1;
  int32_t StrikeTop = 0;  // rows above the baseline
  int32_t StrikeThick = 1;
};

class TEngine {
 public:
  static TEngine& Instance() {
    static TEngine engine;
    return engine;
  }

  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;

  std::mutex Mutex;

  TResolved& Resolve(const TFontSpec& Font);
  TLineMetrics Metrics(TFace& Face, int32_t Em);
  // Lays the text out; returns the width in pixels.
  int64_t Layout(const TResolved& R, int32_t Em, const std::vector<char32_t>& Text,
                 std::vector<TPlaced>& Out);
  std::shared_ptr<const TGlyph> Glyph(const TPlaced& P, int32_t Em, int32_t Orientation,
                                      uint8_t PhaseX, uint8_t PhaseY);
  // Anti-aliased coverage of a convex polygon (screen coordinates) inside
  // the pixels [X0, X1) x [Y0, Y1), which must hold all of it.
  std::vector<uint8_t> RenderPolygon(const std::vector<TPointDouble>& Poly, int64_t X0, int64_t Y0,
                                     int64_t X1, int64_t Y1);
  // Radius about a glyph origin that holds all its ink, in pixels.
  double InkRadius(const TFace& Face, int32_t Em) const;
  static int32_t BoldStrength(int32_t Em) { return std::max(1, RoundToInt32(Em / 24.0)); }

  int64_t CachedCount() const { return static_cast<int64_t>(FGlyphs.size()); }
  void ClearCache() {
    FGlyphs.clear();
    FCacheBytes = 0;
  }

 private:
  TEngine();
  ~TEngine();

  TFace* OpenFace(const std::string& File, int32_t Index);
  TFace* Match(const std::string& Family, bool Bold, bool Italic, bool RequireFamily);
  void SetEm(TFace& Face, int32_t Em);
  int32_t Advance(TFace& Face, int32_t Em, FT_UInt Index, bool SynthBold);

  FT_Library FLib = nullptr;
  FcConfig* FConfig = nullptr;
  std::vector<std::unique_ptr<TFace>> FFaces;
  std::map<std::string, TFace*> FFaceByFile;
  std::map<std::string, TResolved> FResolved;
  std::unordered_map<uint64_t, int32_t> FAdvances;
  std::unordered_map<TGlyphKey, std::shared_ptr<const TGlyph>, TGlyphKeyHash> FGlyphs;
  size_t FCacheBytes = 0;
};

TEngine::TEngine() {
  if (FT_Init_FreeType(&FLib) != 0) throw EFontError("FreeType could not be initialised");
  FConfig = FcInitLoadConfigAndFonts();
}

TEngine::~TEngine() {
  FGlyphs.clear();
  for (auto& f : FFaces) FT_Done_Face(f->Face);
  FT_Done_FreeType(FLib);
  if (FConfig != nullptr) FcConfigDestroy(FConfig);
}

TFace* TEngine::OpenFace(const std::string& File, int32_t Index) {
  const std::string key = File + '\n' + std::to_string(Index);
  if (auto it = FFaceByFile.find(key); it != FFaceByFile.end()) return it->second;
  FT_Face face = nullptr;
  TFace* result = nullptr;
  if (FT_New_Face(FLib, File.c_str(), Index, &face) == 0) {
    if (FT_IS_SCALABLE(face) && face->units_per_EM > 0 && face->charmap != nullptr) {
      auto f = std::make_unique<TFace>();
      f->Face = face;
      f->Id = static_cast<int32_t>(FFaces.size());
      f->File = File;
      f->IsBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
      f->IsItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
      result = f.get();
      FFaces.push_back(std::move(f));
    } else {
      FT_Done_Face(face);
    }
  }
  FFaceByFile[key] = result;  // a file that failed is not tried again
  return result;
}

TFace* TEngine::Match(const std::string& Family, bool Bold, bool Italic, bool RequireFamily) {
  if (FConfig == nullptr) return nullptr;
  FcPattern* pat = FcPatternCreate();
  if (pat == nullptr) return nullptr;
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(FConfig, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* m = FcFontMatch(FConfig, pat, &res);
  FcPatternDestroy(pat);
  if (m == nullptr) return nullptr;
  TFace* face = nullptr;
  bool familyOk = !RequireFamily;
  const std::string want = FamilyKey(Family);
  FcChar8* s = nullptr;
  for (int i = 0; !familyOk && FcPatternGetString(m, FC_FAMILY, i, &s) == FcResultMatch; ++i)
    familyOk = FamilyKey(reinterpret_cast<const char*>(s)) == want;
  FcChar8* file = nullptr;
  int index = 0;
  if (familyOk && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) {
    if (FcPatternGetInteger(m, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    face = OpenFace(reinterpret_cast<const char*>(file), index);
  }
  FcPatternDestroy(m);
  return face;
}

TResolved& TEngine::Resolve(const TFontSpec& Font) {
  const bool bold = Font.Style.Contains(TFontStyle::fsBold);
  const bool italic = Font.Style.Contains(TFontStyle::fsItalic);
  std::string key = LowerCaseAscii(Font.Name);
  key += bold ? "\nb" : "\nr";
  key += italic ? 'i' : 'n';
  if (auto it = FResolved.find(key); it != FResolved.end()) return it->second;

  static const std::map<std::string, std::string> substitutes = {
      {"arial", "Liberation Sans"},          {"helvetica", "Liberation Sans"},
      {"timesnewroman", "Liberation Serif"}, {"times", "Liberation Serif"},
      {"couriernew", "Liberation Mono"},     {"courier", "Liberation Mono"}};
  static const char* const generic[] = {"sans-serif", "serif", "monospace", "sans", "mono"};

  const std::string fkey = FamilyKey(Font.Name);
  std::string family = Font.Name;
  if (auto it = substitutes.find(fkey); it != substitutes.end()) family = it->second;
  const bool isGeneric =
      std::find(std::begin(generic), std::end(generic), fkey) != std::end(generic);

  TFace* found = fkey.empty() ? nullptr : Match(family, bold, italic, !isGeneric);
  TFace* dejavu = Match("DejaVu Sans", bold, italic, true);
  TResolved r;
  r.Bold = bold;
  r.Italic = italic;
  r.Primary = found != nullptr ? found : dejavu;
  // Without DejaVu anything fontconfig offers beats no text at all.
  if (r.Primary == nullptr)
    r.Primary = Match(fkey.empty() ? "sans-serif" : family, bold, italic, false);
  if (r.Primary == nullptr) throw EFontError("No font file found for \"" + Font.Name + "\"");
  r.Fallback = dejavu != r.Primary ? dejavu : nullptr;
  return FResolved.emplace(std::move(key), r).first->second;
}

void TEngine::SetEm(TFace& Face, int32_t Em) {
  if (Face.CurrentEm == Em) return;
  FT_Set_Pixel_Sizes(Face.Face, 0, static_cast<FT_UInt>(Em));
  Face.CurrentEm = Em;
}

TLineMetrics TEngine::Metrics(TFace& Face, int32_t Em) {
  const FT_Face f = Face.Face;
  const int64_t upem = f->units_per_EM;
  const double scale = static_cast<double>(Em) / static_cast<double>(upem);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  const bool hasOs2 = os2 != nullptr && os2->version != 0xFFFF;
  int64_t asc = f->ascender;
  int64_t desc = -static_cast<int64_t>(f->descender);
  if (hasOs2 && os2->usWinAscent + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  TLineMetrics m;
  m.Ascent = static_cast<int32_t>(CeilDiv(std::max<int64_t>(asc, 0) * Em, upem));
  m.Descent = static_cast<int32_t>(CeilDiv(std::max<int64_t>(desc, 0) * Em, upem));

  m.UnderThick = std::max(1, RoundToInt32(f->underline_thickness * scale));
  const double centre = -f->underline_position * scale;
  int32_t top = RoundToInt32(centre - m.UnderThick / 2.0);
  if (top > m.Descent - m.UnderThick) top = m.Descent - m.UnderThick;
  m.UnderTop = std::max(0, top);

  if (hasOs2 && os2->yStrikeoutSize > 0) {
    m.StrikeThick = std::max(1, RoundToInt32(os2->yStrikeoutSize * scale));
    m.StrikeTop = RoundToInt32(os2->yStrikeoutPosition * scale);
  } else {
    m.StrikeThick = m.UnderThick;
    m.StrikeTop = RoundToInt32(0.3 * Em);
  }
  return m;
}

int32_t TEngine::Advance(TFace& Face, int32_t Em, FT_UInt Index, bool SynthBold) {
  const uint64_t key = static_cast<uint64_t>(Face.Id) << 44 | static_cast<uint64_t>(Em) << 33 |
                       static_cast<uint64_t>(SynthBold) << 32 | Index;
  if (auto it = FAdvances.find(key); it != FAdvances.end()) return it->second;
  SetEm(Face, Em);
  FT_Set_Transform(Face.Face, nullptr, nullptr);
  int32_t adv = 0;
  if (FT_Load_Glyph(Face.Face, Index, kLoadFlags) == 0)
    adv = static_cast<int32_t>((Face.Face->glyph->advance.x + 32) >> 6);
  if (SynthBold) adv += BoldStrength(Em);
  FAdvances.emplace(key, adv);
  return adv;
}

int64_t TEngine::Layout(const TResolved& R, int32_t Em, const std::vector<char32_t>& Text,
                        std::vector<TPlaced>& Out) {
  Out.clear();
  Out.reserve(Text.size());
  int64_t pen = 0;
  for (char32_t cp : Text) {
    TFace* face = R.Primary;
    FT_UInt index = FT_Get_Char_Index(face->Face, cp);
    if (index == 0 && R.Fallback != nullptr) {
      const FT_UInt fb = FT_Get_Char_Index(R.Fallback->Face, cp);
      if (fb != 0) face = R.Fallback, index = fb;
    }
    if (!Out.empty() && Out.back().Face == face && FT_HAS_KERNING(face->Face)) {
      SetEm(*face, Em);
      FT_Vector k{0, 0};
      if (FT_Get_Kerning(face->Face, Out.back().Index, index, FT_KERNING_DEFAULT, &k) == 0)
        pen += (k.x + 32) >> 6;
    }
    TPlaced p{face, index, pen, R.Bold && !face->IsBold, R.Italic && !face->IsItalic};
    pen += Advance(*face, Em, index, p.SynthBold);
    Out.push_back(p);
  }
  return pen;
}

std::shared_ptr<const TGlyph> TEngine::Glyph(const TPlaced& P, int32_t Em, int32_t Orientation,
                                             uint8_t PhaseX, uint8_t PhaseY) {
  const uint8_t synth = static_cast<uint8_t>((P.SynthBold ? 1 : 0) | (P.SynthItalic ? 2 : 0));
  const TGlyphKey key{P.Face->Id, Em, Orientation, P.Index, synth, PhaseX, PhaseY};
  if (auto it = FGlyphs.find(key); it != FGlyphs.end()) return it->second;

  auto g = std::make_shared<TGlyph>();
  const FT_Face f = P.Face->Face;
  SetEm(*P.Face, Em);
  double s, c;
  SinCos(Orientation, s, c);
  // FreeType's y axis points up: the screen's counter-clockwise turn is the
  // usual rotation there. The slant of a synthetic italic comes first.
  const double sh = P.SynthItalic ? kItalicShear : 0.0;
  FT_Matrix m{ToFixed(c), ToFixed(sh * c - s), ToFixed(s), ToFixed(sh * s + c)};
  FT_Vector delta{PhaseX * 16, -PhaseY * 16};
  FT_Set_Transform(f, &m, &delta);
  const FT_Error err = FT_Load_Glyph(f, P.Index, kLoadFlags);
  FT_Set_Transform(f, nullptr, nullptr);
  if (err == 0 && f->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_GlyphSlot slot = f->glyph;
    // Emboldening widens evenly in every direction, so it may follow the
    // rotation.
    if (P.SynthBold) FT_Outline_Embolden(&slot->outline, BoldStrength(Em) * 64);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 &&
        slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      const FT_Bitmap& b = slot->bitmap;
      g->Left = slot->bitmap_left;
      g->Top = slot->bitmap_top;
      g->Width = static_cast<int32_t>(b.width);
      g->Rows = static_cast<int32_t>(b.rows);
      g->Pixels.resize(static_cast<size_t>(g->Width) * static_cast<size_t>(g->Rows));
      for (int32_t y = 0; y < g->Rows; ++y) {
        // A negative pitch stores the rows bottom first.
        const ptrdiff_t row = b.pitch >= 0 ? y : g->Rows - 1 - y;
        const uint8_t* src = b.buffer + row * std::abs(b.pitch);
        std::copy(src, src + g->Width, g->Pixels.begin() + static_cast<ptrdiff_t>(y) * g->Width);
      }
    }
  }
  const size_t bytes = g->Pixels.size() + sizeof(TGlyph) + 64;
  if (FCacheBytes + bytes > kCacheBudget) ClearCache();
  FGlyphs.emplace(key, g);
  FCacheBytes += bytes;
  return g;
}

std::vector<uint8_t> TEngine::RenderPolygon(const std::vector<TPointDouble>& Poly, int64_t X0,
                                            int64_t Y0, int64_t X1, int64_t Y1) {
  const int64_t w = X1 - X0, h = Y1 - Y0;
  std::vector<uint8_t> pixels(static_cast<size_t>(w * h), 0);
  std::vector<FT_Vector> pts(Poly.size());
  std::vector<char> tags(Poly.size(), FT_CURVE_TAG_ON);
  for (size_t i = 0; i < Poly.size(); ++i) {
    pts[i].x = std::lround((Poly[i].x - static_cast<double>(X0)) * 64);
    pts[i].y = std::lround((static_cast<double>(Y1) - Poly[i].y) * 64);
  }
  short contours[1] = {static_cast<short>(Poly.size() - 1)};
  FT_Outline outline{};
  outline.n_contours = 1;
  outline.n_points = static_cast<short>(Poly.size());
  outline.points = pts.data();
  outline.tags = tags.data();
  outline.contours = contours;
  outline.flags = FT_OUTLINE_NONE;
  FT_Bitmap bmp{};
  bmp.rows = static_cast<unsigned>(h);
  bmp.width = static_cast<unsigned>(w);
  bmp.pitch = static_cast<int>(w);
  bmp.buffer = pixels.data();
  bmp.num_grays = 256;
  bmp.pixel_mode = FT_PIXEL_MODE_GRAY;
  FT_Outline_Get_Bitmap(FLib, &outline, &bmp);
  return pixels;
}

double TEngine::InkRadius(const TFace& Face, int32_t Em) const {
  const FT_BBox& b = Face.Face->bbox;
  const double ex =
      std::max(std::abs(static_cast<double>(b.xMin)), std::abs(static_cast<double>(b.xMax)));
  const double ey =
      std::max(std::abs(static_cast<double>(b.yMin)), std::abs(static_cast<double>(b.yMax)));
  const double scale = static_cast<double>(Em) / Face.Face->units_per_EM;
  // Hinting, the slant and emboldening may push ink a little beyond the
  // font's bounding box.
  return std::hypot(ex + kItalicShear * ey, ey) * scale + BoldStrength(Em) + 4;
}

// ---------------------------------------------------------------------------
// Rendering
// ---------------------------------------------------------------------------

// A coverage bitmap placed in device coordinates.
struct TPiece {
  int64_t Left;
  int64_t Top;
  int32_t Width;
  int32_t Rows;
  const uint8_t* Pixels;
};

TTextMask Render(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y,
                 const TClip64& Clip, bool Unclipped) {
  TTextMask mask;
  const std::vector<char32_t> text = DecodeUtf8(Utf8);
  const int32_t em = EmPixels(Font.Size);
  const int32_t orient = NormalOrientation(Font.Orientation);
  double s, c;
  SinCos(orient, s, c);

  std::vector<std::shared_ptr<const TGlyph>> keep;
  std::vector<TPiece> pieces;
  std::deque<std::vector<uint8_t>> bars;  // stable addresses for the pieces
  TEngine& e = TEngine::Instance();
  {
    std::lock_guard<std::mutex> lock(e.Mutex);
    TResolved& r = e.Resolve(Font);
    const TLineMetrics lm = e.Metrics(*r.Primary, em);
    std::vector<TPlaced> placed;
    const int64_t width = e.Layout(r, em, text, placed);
    const double w = static_cast<double>(width);
    const double h = lm.Ascent + lm.Descent;
    auto at = [&](double u, double v) {
      return TPointDouble{X + u * c + v * s, Y - u * s + v * c};
    };
    mask.Box[0] = at(0, 0);
    mask.Box[1] = at(w, 0);
    mask.Box[2] = at(w, h);
    mask.Box[3] = at(0, h);

    double radius[2] = {e.InkRadius(*r.Primary, em), r.Fallback ? e.InkRadius(*r.Fallback, em) : 0};
    if (Unclipped) {
      // Ink lies within the turned cell box widened by the ink radius;
      // refuse before rasterising what could not be returned anyway.
      double bx0 = mask.Box[0].x, bx1 = bx0, by0 = mask.Box[0].y, by1 = by0;
      for (const TPointDouble& p : mask.Box) {
        bx0 = std::min(bx0, p.x), bx1 = std::max(bx1, p.x);
        by0 = std::min(by0, p.y), by1 = std::max(by1, p.y);
      }
      const double rad = std::max(radius[0], radius[1]);
      const double area = (bx1 - bx0 + 2 * rad) * (by1 - by0 + 2 * rad);
      if (area > static_cast<double>(kMaxUnclippedMask))
        throw EFontError("Text of " + std::to_string(width) + " x " +
                         std::to_string(lm.Ascent + lm.Descent) +
                         " pixels is too large to render unclipped");
    }
    keep.reserve(placed.size());
    pieces.reserve(placed.size() + 2);
    for (const TPlaced& p : placed) {
      const double pu = static_cast<double>(p.Pen);
      const TPointDouble o = at(pu, lm.Ascent);
      const double rad = radius[p.Face == r.Primary ? 0 : 1];
      if (o.x + rad < static_cast<double>(Clip.Left) ||
          o.x - rad > static_cast<double>(Clip.Right) ||
          o.y + rad < static_cast<double>(Clip.Top) || o.y - rad > static_cast<double>(Clip.Bottom))
        continue;
      double fx = std::floor(o.x), fy = std::floor(o.y);
      long qx = std::lround((o.x - fx) * 4), qy = std::lround((o.y - fy) * 4);
      if (qx == 4) fx += 1, qx = 0;
      if (qy == 4) fy += 1, qy = 0;
      auto g = e.Glyph(p, em, orient, static_cast<uint8_t>(qx), static_cast<uint8_t>(qy));
      if (g->Pixels.empty()) continue;
      pieces.push_back({static_cast<int64_t>(fx) + g->Left, static_cast<int64_t>(fy) - g->Top,
                        g->Width, g->Rows, g->Pixels.data()});
      keep.push_back(std::move(g));
    }

    // A bar is rasterised in tiles on the pixel grid, only where it meets
    // the clip rectangle: a long rotated bar covers few of the pixels of its
    // bounding box. Tile edges lie on pixel edges, so tiles join seamlessly.
    auto bar = [&](double v0, double v1) {
      if (width <= 0) return;
      constexpr int64_t tile = 64;
      const std::vector<TPointDouble> quad =
          ClipPolygon({at(0, v0), at(w, v0), at(w, v1), at(0, v1)}, static_cast<double>(Clip.Left),
                      static_cast<double>(Clip.Top), static_cast<double>(Clip.Right),
                      static_cast<double>(Clip.Bottom));
      if (quad.size() < 3) return;
      double bx0, by0, bx1, by1;
      PolygonBounds(quad, bx0, by0, bx1, by1);
      for (int64_t ty = static_cast<int64_t>(std::floor(by0)); static_cast<double>(ty) < by1;
           ty += tile) {
        const auto band =
            ClipPolygon(quad, bx0, static_cast<double>(ty), bx1, static_cast<double>(ty + tile));
        if (band.size() < 3) continue;
        double rx0, ry0, rx1, ry1;
        PolygonBounds(band, rx0, ry0, rx1, ry1);
        for (int64_t tx = static_cast<int64_t>(std::floor(rx0)); static_cast<double>(tx) < rx1;
             tx += tile) {
          const auto part =
              ClipPolygon(band, static_cast<double>(tx), static_cast<double>(ty),
                          static_cast<double>(tx + tile), static_cast<double>(ty + tile));
          if (part.size() < 3) continue;
          bars.push_back(e.RenderPolygon(part, tx, ty, tx + tile, ty + tile));
          pieces.push_back(
              {tx, ty, static_cast<int32_t>(tile), static_cast<int32_t>(tile), bars.back().data()});
        }
      }
    };
    if (Font.Style.Contains(TFontStyle::fsUnderline))
      bar(lm.Ascent + lm.UnderTop, lm.Ascent + lm.UnderTop + lm.UnderThick);
    if (Font.Style.Contains(TFontStyle::fsStrikeOut))
      bar(lm.Ascent - lm.StrikeTop, lm.Ascent - lm.StrikeTop + lm.StrikeThick);
  }

  // Bounds of the ink, cut to the clip rectangle and to the int32 plane.
  int64_t l = std::numeric_limits<int64_t>::max(), t = l;
  int64_t rgt = std::numeric_limits<int64_t>::min(), btm = rgt;
  for (const TPiece& p : pieces) {
    if (p.Width <= 0 || p.Rows <= 0) continue;
    l = std::min(l, p.Left), t = std::min(t, p.Top);
    rgt = std::max(rgt, p.Left + p.Width), btm = std::max(btm, p.Top + p.Rows);
  }
  l = std::max({l, Clip.Left, int64_t{std::numeric_limits<int32_t>::min()}});
  t = std::max({t, Clip.Top, int64_t{std::numeric_limits<int32_t>::min()}});
  rgt = std::min({rgt, Clip.Right, int64_t{std::numeric_limits<int32_t>::max()}});
  btm = std::min({btm, Clip.Bottom, int64_t{std::numeric_limits<int32_t>::max()}});
  if (l >= rgt || t >= btm) return mask;
  const int64_t mw = rgt - l, mh = btm - t;
  if (Unclipped && mw * mh > kMaxUnclippedMask)
    throw EFontError("Text mask of " + std::to_string(mw) + " x " + std::to_string(mh) +
                     " pixels is too large to render unclipped");
  mask.Left = static_cast<int32_t>(l);
  mask.Top = static_cast<int32_t>(t);
  mask.Width = static_cast<int32_t>(mw);
  mask.Height = static_cast<int32_t>(mh);
  mask.Coverage.assign(static_cast<size_t>(mw * mh), 0);
  for (const TPiece& p : pieces) {
    const int64_t x0 = std::max(p.Left, l), x1 = std::min(p.Left + p.Width, rgt);
    const int64_t y0 = std::max(p.Top, t), y1 = std::min(p.Top + p.Rows, btm);
    for (int64_t y = y0; y < y1; ++y) {
      const uint8_t* src = p.Pixels + (y - p.Top) * p.Width + (x0 - p.Left);
      uint8_t* dst = mask.Coverage.data() + (y - t) * mw + (x0 - l);
      for (int64_t x = x0; x < x1; ++x, ++src, ++dst) *dst = std::max(*dst, *src);
    }
  }
  // Glyph bitmaps and bar tiles may carry empty rows and columns at their
  // edges: cut the mask down to the pixels with ink.
  int64_t ix0 = mw, ix1 = -1, iy0 = mh, iy1 = -1;
  for (int64_t y = 0; y < mh; ++y) {
    const uint8_t* row = mask.Coverage.data() + y * mw;
    for (int64_t x = 0; x < mw; ++x)
      if (row[x] != 0) {
        ix0 = std::min(ix0, x), ix1 = std::max(ix1, x);
        iy0 = std::min(iy0, y), iy1 = std::max(iy1, y);
      }
  }
  if (ix1 < 0) {
    TTextMask empty;
    std::copy(std::begin(mask.Box), std::end(mask.Box), std::begin(empty.Box));
    return empty;
  }
  if (ix0 == 0 && iy0 == 0 && ix1 == mw - 1 && iy1 == mh - 1) return mask;
  const int64_t nw = ix1 - ix0 + 1, nh = iy1 - iy0 + 1;
  std::vector<uint8_t> cut(static_cast<size_t>(nw * nh));
  for (int64_t y = 0; y < nh; ++y) {
    const uint8_t* src = mask.Coverage.data() + (y + iy0) * mw + ix0;
    std::copy(src, src + nw, cut.begin() + y * nw);
  }
  mask.Coverage = std::move(cut);
  mask.Left = static_cast<int32_t>(l + ix0);
  mask.Top = static_cast<int32_t>(t + iy0);
  mask.Width = static_cast<int32_t>(nw);
  mask.Height = static_cast<int32_t>(nh);
  return mask;
}

}  // namespace

// ---------------------------------------------------------------------------
// Public routines
// ---------------------------------------------------------------------------

TFontMetrics FontGetMetrics(const TFontSpec& Font) {
  TEngine& e = TEngine::Instance();
  std::lock_guard<std::mutex> lock(e.Mutex);
  const TLineMetrics m = e.Metrics(*e.Resolve(Font).Primary, EmPixels(Font.Size));
  return {m.Ascent, m.Descent, m.Ascent + m.Descent};
}

TSize FontTextExtent(const TFontSpec& Font, std::string_view Utf8) {
  const std::vector<char32_t> text = DecodeUtf8(Utf8);
  const int32_t em = EmPixels(Font.Size);
  TEngine& e = TEngine::Instance();
  std::lock_guard<std::mutex> lock(e.Mutex);
  TResolved& r = e.Resolve(Font);
  const TLineMetrics m = e.Metrics(*r.Primary, em);
  std::vector<TPlaced> placed;
  const int64_t w = e.Layout(r, em, text, placed);
  return {SaturateToInt32(static_cast<long double>(w)), m.Ascent + m.Descent};
}

TTextMask FontRenderText(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y) {
  constexpr int64_t big = int64_t{1} << 40;
  return Render(Font, Utf8, X, Y, {-big, -big, big, big}, true);
}

TTextMask FontRenderText(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y,
                         const TRect& Clip) {
  return Render(Font, Utf8, X, Y, {Clip.Left, Clip.Top, Clip.Right, Clip.Bottom}, false);
}

std::string FontResolvedFile(const TFontSpec& Font) {
  TEngine& e = TEngine::Instance();
  std::lock_guard<std::mutex> lock(e.Mutex);
  return e.Resolve(Font).Primary->File;
}

int64_t FontCachedGlyphCount() {
  TEngine& e = TEngine::Instance();
  std::lock_guard<std::mutex> lock(e.Mutex);
  return e.CachedCount();
}

void FontClearGlyphCache() {
  TEngine& e = TEngine::Instance();
  std::lock_guard<std::mutex> lock(e.Mutex);
  e.ClearCache();
}

}  // namespace zel
