// The resource pictures, drawn as characters:
//   '.' background (clResourceBackground, transparent where drawn),
//   'X' black, 'o' white, 'b' pale blue (a lens), 'g' grey (a handle).
#include "gui/zel_resources.hpp"

#include <array>
#include <map>

namespace zel {

namespace {

struct TPicture {
  const char* Name;
  TPoint HotSpot;  // cursors only
  std::vector<const char*> Rows;
};

// One row of characters per pixel row: kept as drawn.
// clang-format off
const TPicture kPointer{"POINTR",
                        {},
                        {
                            "................",
                            "...X............",
                            "...XX...........",
                            "...XoX..........",
                            "...XooX.........",
                            "...XoooX........",
                            "...XooooX.......",
                            "...XoooooX......",
                            "...XooooooX.....",
                            "...XoooooooX....",
                            "...XooooXXXXX...",
                            "...XooXooX......",
                            "...XoX.XooX.....",
                            "...XX..XooX.....",
                            "...X....XooX....",
                            ".........XX.....",
                        }};

const TPicture kZoomIn{"ZOOMIN",
                       {},
                       {
                           "................",
                           "....XXXXX.......",
                           "...XbbbbbX......",
                           "..XbbbXbbbX.....",
                           ".XbbbbXbbbbX....",
                           ".XbbbbXbbbbX....",
                           ".XbXXXXXXXbX....",
                           ".XbbbbXbbbbX....",
                           ".XbbbbXbbbbX....",
                           "..XbbbXbbbX.....",
                           "...XbbbbbXgX....",
                           "....XXXXXgggX...",
                           ".........XgggX..",
                           "..........XgggX.",
                           "...........XgggX",
                           "............XXX.",
                       }};

const TPicture kZoom11{"ZOOM11",
                       {},
                       {
                           "................",
                           "....XXXXX.......",
                           "...XbbbbbX......",
                           "..XbbbbbbbX.....",
                           ".XbbXbbbXbbX....",
                           ".XbbXbXbXbbX....",
                           ".XbbXbbbXbbX....",
                           ".XbbXbXbXbbX....",
                           ".XbbXbbbXbbX....",
                           "..XbbbbbbbX.....",
                           "...XbbbbbXgX....",
                           "....XXXXXgggX...",
                           ".........XgggX..",
                           "..........XgggX.",
                           "...........XgggX",
                           "............XXX.",
                       }};

const TPicture kCurGeoZoom{"CURGEOZOOM",
                           {12, 12},
                           {
                               "................................",
                               "................................",
                               "..........XXXXX.................",
                               ".......XXXXXXXXXXX..............",
                               "......XXXXbbbbbXXXX.............",
                               ".....XXXbbbbbbbbbXXX............",
                               "....XXbbbbbbbbbbbbbXX...........",
                               "...XXXbbbbbbXXbbbbbXXX..........",
                               "...XXbbbbbbbXXbbbbbbXX..........",
                               "...XXbbbbbbbXXbbbbbbXX..........",
                               "..XXbbbbbbbbXXbbbbbbbXX.........",
                               "..XXbbbbbbbbXXbbbbbbbXX.........",
                               "..XXbbbXXXXXXXXXXXbbbXX.........",
                               "..XXbbbXXXXXXXXXXXbbbXX.........",
                               "..XXbbbbbbbbXXbbbbbbbXX.........",
                               "...XXbbbbbbbXXbbbbbbXX..........",
                               "...XXbbbbbbbXXbbbbbbXX..........",
                               "...XXXbbbbbbXXbbbbbXXX..........",
                               "....XXbbbbbbbbbbbbbXXX..........",
                               ".....XXXbbbbbbbbbXXXggX.........",
                               "......XXXXbbbbbXXXXggggX........",
                               ".......XXXXXXXXXXXXgggggX.......",
                               "..........XXXXX....XgggggX......",
                               "....................XgggggX.....",
                               ".....................XgggggX....",
                               "......................XgggggX...",
                               ".......................XgggggX..",
                               "........................XggggX..",
                               ".........................XgggX..",
                               "..........................XXX...",
                               "................................",
                               "................................",
                           }};

const TPicture kCurGeoHand{"CURGEOHAND",
                           {15, 18},
                           {
                               "................................",
                               "................XXX.............",
                               "............XXX.XoX.............",
                               "............XoX.XoX.XXX.........",
                               "............XoX.XoX.XoX.........",
                               "............XoX.XoX.XoX.........",
                               "........XXX.XoX.XoX.XoX.........",
                               "........XoX.XoX.XoX.XoX.........",
                               "........XoX.XoX.XoX.XoX.........",
                               "........XoX.XoX.XoX.XoX.........",
                               "........XoX.XoX.XoX.XoX.........",
                               "........XoX.XoX.XoX.XoX.........",
                               "...XXX..XoX.XoX.XoX.XoX.........",
                               "...XoX..XoX.XoX.XoX.XoX.........",
                               "...XooX.XoX.XoX.XoX.XoX.........",
                               "...XoooXoooXoooXoooXoooX........",
                               "....XooooooooooooooooooX........",
                               ".....XoooooooooooooooooX........",
                               ".....XoooooooooooooooooX........",
                               "......XooooooooooooooooX........",
                               ".......XoooooooooooooooX........",
                               "........XooooooooooooooX........",
                               "........XooooooooooooooX........",
                               "........XooooooooooooooX........",
                               ".........XXooooooooooooX........",
                               "...........XXXXXXXXXXXXX........",
                               "................................",
                               "................................",
                               "................................",
                               "................................",
                               "................................",
                               "................................",
                           }};
// clang-format on

const std::array<const TPicture*, 3> kBitmaps = {&kPointer, &kZoomIn, &kZoom11};
const std::array<const TPicture*, 2> kCursors = {&kCurGeoHand, &kCurGeoZoom};

TBitmap ToBitmap(const TPicture& P) {
  const auto h = static_cast<int32_t>(P.Rows.size());
  const auto w = static_cast<int32_t>(std::string_view(P.Rows.front()).size());
  TBitmap b(w, h, TPixelFormat::pf24bit);
  for (int32_t y = 0; y < h; ++y) {
    const std::string_view row(P.Rows[static_cast<size_t>(y)]);
    for (int32_t x = 0; x < w && x < static_cast<int32_t>(row.size()); ++x) {
      TColor c = clResourceBackground;
      switch (row[static_cast<size_t>(x)]) {
        case 'X': c = clBlack; break;
        case 'o': c = clWhite; break;
        case 'b': c = RGB(0xC8, 0xE6, 0xFF); break;
        case 'g': c = clGray; break;
        default: break;
      }
      b.SetPixel(x, y, c);
    }
  }
  return b;
}

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

[[noreturn]] void NotFound(std::string_view Name) {
  throw EResNotFound("Resource " + std::string(Name) + " not found");
}

}  // namespace

const TBitmap& ResourceBitmap(std::string_view Name) {
  // Built once, thread-safely, on first use; never changed afterwards.
  static const std::map<std::string, TBitmap> bitmaps = [] {
    std::map<std::string, TBitmap> m;
    for (const TPicture* p : kBitmaps) m.emplace(p->Name, ToBitmap(*p));
    return m;
  }();
  auto it = bitmaps.find(Upper(Name));
  if (it == bitmaps.end()) NotFound(Name);
  return it->second;
}

TCursorImage ResourceCursor(std::string_view Name) {
  const std::string key = Upper(Name);
  for (const TPicture* p : kCursors)
    if (key == p->Name) {
      TCursorImage c;
      c.Image = ToBitmap(*p);
      c.TransparentColor = clResourceBackground;
      c.HotSpot = p->HotSpot;
      return c;
    }
  NotFound(Name);
}

std::vector<std::string> ResourceBitmapNames() {
  std::vector<std::string> r;
  for (const TPicture* p : kBitmaps) r.emplace_back(p->Name);
  return r;
}

std::vector<std::string> ResourceCursorNames() {
  std::vector<std::string> r;
  for (const TPicture* p : kCursors) r.emplace_back(p->Name);
  return r;
}

}  // namespace zel
