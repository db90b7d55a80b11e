// TBitmap: pixel storage, formats, copies and file entry points.
#include <utility>

#include "gui/zel_graphics.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {

namespace {

constexpr int64_t kMaxBitmapPixels = int64_t{1} << 30;

}  // namespace

TBitmap::TBitmap(int32_t Width, int32_t Height, TPixelFormat Format) : FFormat(Format) {
  SetSize(Width, Height);
}

TBitmap::TBitmap(const TBitmap& Other)
    : TPersistent(Other),
      FWidth(Other.FWidth),
      FHeight(Other.FHeight),
      FFormat(Other.FFormat),
      FPixels(Other.FPixels) {}

TBitmap::TBitmap(TBitmap&& Other) noexcept
    : FWidth(std::exchange(Other.FWidth, 0)),
      FHeight(std::exchange(Other.FHeight, 0)),
      FFormat(Other.FFormat),
      FPixels(std::move(Other.FPixels)) {
  Other.FPixels.clear();
}

TBitmap& TBitmap::operator=(const TBitmap& Other) {
  if (this != &Other) {
    FPixels = Other.FPixels;
    FWidth = Other.FWidth;
    FHeight = Other.FHeight;
    FFormat = Other.FFormat;
  }
  return *this;
}

TBitmap& TBitmap::operator=(TBitmap&& Other) noexcept {
  if (this != &Other) {
    FPixels = std::move(Other.FPixels);
    Other.FPixels.clear();
    FWidth = std::exchange(Other.FWidth, 0);
    FHeight = std::exchange(Other.FHeight, 0);
    FFormat = Other.FFormat;
  }
  return *this;
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == nullptr) {
    FPixels.clear();
    FWidth = FHeight = 0;
    return;
  }
  if (const auto* b = dynamic_cast<const TBitmap*>(Source)) {
    *this = *b;
    return;
  }
  TPersistent::Assign(Source);
}

void TBitmap::SetSize(int32_t Width, int32_t Height) {
  if (Width < 0 || Height < 0)
    throw EInvalidGraphic("Invalid bitmap size " + std::to_string(Width) + " x " +
                          std::to_string(Height));
  if (int64_t{Width} * Height > kMaxBitmapPixels)
    throw EInvalidGraphic("Bitmap too large: " + std::to_string(Width) + " x " +
                          std::to_string(Height) + " pixels");
  if (Width == FWidth && Height == FHeight) return;
  if (Width == 0 || Height == 0) {
    // Keep the other side, as the system does, but no pixels.
    FPixels.clear();
    FWidth = Width;
    FHeight = Height;
    return;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(int64_t{Width} * Height), 0xFFFFFFu);
  const int32_t w = std::min(Width, FWidth), h = std::min(Height, FHeight);
  if (!FPixels.empty()) {
    for (int32_t y = 0; y < h; ++y)
      std::copy_n(FPixels.begin() + int64_t{y} * FWidth, w, pixels.begin() + int64_t{y} * Width);
  }
  FPixels = std::move(pixels);
  FWidth = Width;
  FHeight = Height;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == TPixelFormat::pf15bit && FFormat != TPixelFormat::pf15bit)
    for (auto& p : FPixels) p = QuantizeColor(TPixelFormat::pf15bit, p);
  FFormat = Value;
}

TColor TBitmap::GetPixel(int32_t X, int32_t Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  return static_cast<TColor>(FPixels[static_cast<size_t>(int64_t{Y} * FWidth + X)]);
}

void TBitmap::SetPixel(int32_t X, int32_t Y, TColor Color) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  FPixels[static_cast<size_t>(int64_t{Y} * FWidth + X)] =
      QuantizeColor(FFormat, static_cast<uint32_t>(ColorToRGB(Color)));
}

uint32_t* TBitmap::GetScanLine(int32_t Row) {
  if (Row < 0 || Row >= FHeight || FWidth == 0)
    throw EInvalidGraphic("Scan line index out of range: " + std::to_string(Row));
  return FPixels.data() + int64_t{Row} * FWidth;
}

const uint32_t* TBitmap::GetScanLine(int32_t Row) const {
  if (Row < 0 || Row >= FHeight || FWidth == 0)
    throw EInvalidGraphic("Scan line index out of range: " + std::to_string(Row));
  return FPixels.data() + int64_t{Row} * FWidth;
}

bool TBitmap::SameImage(const TBitmap& Other) const {
  return FWidth == Other.FWidth && FHeight == Other.FHeight && FPixels == Other.FPixels;
}

void TBitmap::LoadFromMemory(std::span<const uint8_t> Data, const TProgressEvent& OnProgress) {
  TBitmap decoded = DecodeImage(Data, OnProgress, this);
  *this = std::move(decoded);
}

void TBitmap::LoadFromFile(const std::string& FileName, const TProgressEvent& OnProgress) {
  const std::vector<uint8_t> data = ReadFileBytes(FileName, MaxImageFileBytes());
  LoadFromMemory(data, OnProgress);
}

void TBitmap::SaveToFile(const std::string& FileName, int32_t JPEGQuality) const {
  const TImageFileFormat format = FormatFromFileName(FileName);
  if (format == TImageFileFormat::iffUnknown)
    throw EInvalidGraphic("Unknown image file extension: \"" + FileName + "\"");
  const std::vector<uint8_t> data = EncodeImage(*this, format, JPEGQuality);
  WriteFileBytes(FileName, data);
}

}  // namespace zel
