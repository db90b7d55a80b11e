// BMP, PNG and JPEG images (from memory). A decoded image must survive the
// lossless writers (BMP, PNG) pixel for pixel.
#include "fuzz/fuzz_util_impl.hpp"
#include "gui/zel_graphics.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

void RoundTrip(const TBitmap& b, const char* name) {
  const std::string out = ScratchPath(name);
  b.SaveToFile(out);
  TBitmap c;
  c.LoadFromFile(out);
  Require(b.SameImage(c), std::string(name) + ": the image changed on its way through the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TBitmap b;
  b.SetSize(3, 2);
  b.SetPixel(1, 1, 0x00336699);
  TBitmap pre;
  pre.Assign(&b);
  try {
    b.LoadFromMemory(std::span<const uint8_t>(Data, Size));
  } catch (const EInvalidGraphic&) {
    Require(b.SameImage(pre), "image reader: a rejected file changed the bitmap");
    return 0;
  }
  if (b.GetWidth() < 1 || b.GetHeight() < 1) return 0;
  RoundTrip(b, "image.bmp");
  RoundTrip(b, "image.png");
  return 0;
}
