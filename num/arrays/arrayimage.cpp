// SaveArrayAsImg: an integer array of colours as a BMP, PNG or JPEG image,
// or on the clipboard.
#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

#include "gui/zel_clipbrd.hpp"
#include "gui/zel_graphics.hpp"
#include "gui/zel_imagefiles.hpp"
#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

int32_t SaveArrayAsImg(const std::string& fileName, const TInt2DArray& a, int32_t m) {
  constexpr int32_t kJpegQuality = 90;
  // TBitmap's own limit.
  constexpr int64_t kMaxPixels = int64_t{1} << 30;
  if (m < 1 || m > 10) return -2;
  if (!fileName.empty()) {
    // The image writer's own extension rule, so that what passes here is
    // exactly what it writes as BMP, PNG or JPEG.
    const std::string ext = ImageFileExtension(fileName);
    if (!ext.empty() && ext != ".bmp" && ext != ".png" && ext != ".jpg") return -1;
  }
  if (CheckShape(a) != 0) return -3;
  const int64_t width = static_cast<int64_t>(a.size()) * m;
  const int64_t height = static_cast<int64_t>(a[0].size()) * m;
  if (width > INT32_MAX || height > INT32_MAX || width * height > kMaxPixels) return -3;

  try {
    TBitmap bmp(static_cast<int32_t>(width), static_cast<int32_t>(height), TPixelFormat::pf24bit);
    const auto mm = static_cast<size_t>(m);
    for (int32_t y = 0; y < bmp.GetHeight(); ++y) {
      uint32_t* line = bmp.GetScanLine(y);
      const size_t row = static_cast<size_t>(y) / mm;
      for (size_t c = 0; c < a.size(); ++c) {
        // ColorToRGB resolves system colours and clears the high byte.
        const auto word = static_cast<uint32_t>(ColorToRGB(a[c][row]));
        std::fill(line + c * mm, line + (c + 1) * mm, word);
      }
    }
    if (fileName.empty()) {
      Clipboard().Assign(bmp);
    } else {
      bmp.SaveToFile(fileName, kJpegQuality);
    }
    return 0;
  } catch (const EInOutError&) {
    return -4;
  } catch (const EInvalidGraphic&) {
    return -4;
  } catch (const std::bad_alloc&) {
    return -4;
  }
}

}  // namespace zel
