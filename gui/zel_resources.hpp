/// @file
/// The library's own resource images: the tool-button glyphs POINTR, ZOOMIN
/// and ZOOM11 and the cursors CURGEOHAND and CURGEOZOOM of the map display
/// and the atlas. They are small drawings of our own, held in the library as
/// character pictures (gui/resources.cpp) and turned into bitmaps on first use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

/// A resource name that the library does not have.
class EResNotFound : public EZELError {
 public:
  using EZELError::EZELError;
};

/// A cursor picture: Image drawn with its HotSpot pixel on the mouse
/// position, every pixel except those of TransparentColor (as
/// TCanvas::DrawTransparent draws). A host toolkit turns it into its own
/// cursor.
struct TCursorImage {
  TBitmap Image;                        ///< the picture
  TColor TransparentColor = clFuchsia;  ///< pixels of this colour are not drawn
  TPoint HotSpot;                       ///< the pixel on the mouse position
};

/// Colour of the background of the resource glyphs (transparent where a
/// button draws them: the glyph's bottom-left pixel has this colour).
constexpr TColor clResourceBackground = clFuchsia;

/// The resource bitmap Name (case ignored): "POINTR" (an arrow pointer,
/// 16 x 16), "ZOOMIN" (a magnifier with a plus, 16 x 16), "ZOOM11" (a
/// magnifier showing 1:1, 16 x 16); 24-bit, the background in
/// clResourceBackground. The reference stays valid for the life of the
/// process. Throws EResNotFound "Resource \<Name> not found" for any other
/// name.
const TBitmap& ResourceBitmap(std::string_view Name);

/// The resource cursor Name (case ignored): "CURGEOHAND" (an open hand for
/// panning, hot spot in the palm) and "CURGEOZOOM" (a magnifier with a plus,
/// hot spot at the centre of the lens), 32 x 32. Throws EResNotFound for any
/// other name.
TCursorImage ResourceCursor(std::string_view Name);

///@{
/// Names of all bitmap and cursor resources, in upper case.
std::vector<std::string> ResourceBitmapNames();
std::vector<std::string> ResourceCursorNames();
///@}

}  // namespace zel
