// The BMP codec: 1/4/8-bit palette, 16/32-bit with or without bit fields,
// 24-bit; both row orders; 24-bit writer.
#include <algorithm>
#include <bit>
#include <vector>

#include "core/zel_binary.hpp"
#include "gui/imagefiles_impl.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {

using namespace detail;

namespace {

constexpr uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;
constexpr size_t kFileHeader = 14;

[[noreturn]] void Fail(const std::string& what) {
  throw EInvalidGraphic("Invalid BMP file: " + what);
}

// One channel of a bit-field pixel: mask position and width, expanded to 8
// bits by bit replication (wider channels keep their top 8 bits).
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  uint32_t Get(uint32_t px) const {
    if (Bits == 0) return 0;
    uint32_t v = (px & Mask) >> Shift;
    if (Bits >= 8) return v >> (Bits - 8);
    uint32_t r = v << (8 - Bits);
    for (int filled = Bits; filled < 8; filled *= 2) r |= r >> filled;
    return r & 0xFFu;
  }
};

TChannel MakeChannel(uint32_t mask) {
  TChannel c;
  c.Mask = mask;
  if (mask == 0) return c;
  c.Shift = std::countr_zero(mask);
  const uint32_t m = mask >> c.Shift;
  c.Bits = std::popcount(m);
  if ((m & (m + 1)) != 0) Fail("bit-field mask is not contiguous");
  return c;
}

struct THeader {
  int64_t DataOffset = 0;
  int32_t Width = 0;
  int32_t Height = 0;  // absolute
  bool TopDown = false;
  int32_t Bpp = 0;
  uint32_t Compression = kBiRgb;
  uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  size_t PaletteAt = 0;
  size_t PaletteEntry = 4;
  int64_t PaletteCount = 0;
};

THeader ParseHeader(std::span<const uint8_t> d) {
  THeader h;
  if (d.size() < kFileHeader + 4) Fail("file too short");
  if (d[0] != 'B' || d[1] != 'M') Fail("no BMP signature");
  h.DataOffset = ReadU32(d, 10);
  const uint32_t hsz = ReadU32(d, 14);
  if (hsz != 12 && (hsz < 40 || hsz > 124)) Fail("unsupported header size " + std::to_string(hsz));
  if (d.size() < kFileHeader + hsz) Fail("header truncated");
  int32_t planes;
  uint32_t colorsUsed = 0;
  if (hsz == 12) {
    h.Width = ReadU16(d, 18);
    h.Height = ReadU16(d, 20);
    planes = ReadU16(d, 22);
    h.Bpp = ReadU16(d, 24);
    h.PaletteEntry = 3;
  } else {
    h.Width = ReadI32(d, 18);
    const int32_t height = ReadI32(d, 22);
    if (height == INT32_MIN) Fail("invalid height");
    h.TopDown = height < 0;
    h.Height = height < 0 ? -height : height;
    planes = ReadU16(d, 26);
    h.Bpp = ReadU16(d, 28);
    h.Compression = ReadU32(d, 30);
    colorsUsed = ReadU32(d, 46);
  }
  h.PaletteAt = kFileHeader + hsz;
  if (h.Width <= 0 || h.Height <= 0)
    Fail("invalid size " + std::to_string(h.Width) + " x " + std::to_string(h.Height));
  if (planes != 1) Fail("plane count is not 1");
  switch (h.Bpp) {
    case 1:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32: break;
    default: Fail("unsupported bit count " + std::to_string(h.Bpp));
  }
  if (h.Compression == kBiBitfields || h.Compression == kBiAlphaBitfields) {
    if (h.Bpp != 16 && h.Bpp != 32) Fail("bit fields need 16 or 32 bits per pixel");
    // The masks sit right after the 40-byte part of the header: inside a
    // larger header, or following a short one (and then before the palette).
    constexpr size_t at = kFileHeader + 40;
    const size_t masksEnd = at + (h.Compression == kBiAlphaBitfields ? 16 : 12);
    if (d.size() < at + 12) Fail("bit-field masks truncated");
    h.PaletteAt = std::max(h.PaletteAt, masksEnd);
    for (int i = 0; i < 3; ++i) h.Masks[i] = ReadU32(d, at + 4 * static_cast<size_t>(i));
  } else if (h.Compression != kBiRgb) {
    Fail("unsupported compression " + std::to_string(h.Compression));
  } else if (h.Bpp == 16 || h.Bpp == 15) {
    h.Masks[0] = 0x7C00;
    h.Masks[1] = 0x03E0;
    h.Masks[2] = 0x001F;
  } else if (h.Bpp == 32) {
    h.Masks[0] = 0xFF0000;
    h.Masks[1] = 0x00FF00;
    h.Masks[2] = 0x0000FF;
  }
  if (h.Bpp <= 8) {
    const int64_t full = int64_t{1} << h.Bpp;
    h.PaletteCount = colorsUsed == 0 ? full : std::min<int64_t>(colorsUsed, full);
    if (static_cast<int64_t>(h.PaletteAt) + h.PaletteCount * static_cast<int64_t>(h.PaletteEntry) >
        static_cast<int64_t>(d.size()))
      Fail("palette truncated");
  }
  return h;
}

}  // namespace

namespace detail {

TImageInfo ReadBMPInfo(std::span<const uint8_t> Data) {
  const THeader h = ParseHeader(Data);
  return TImageInfo{TImageFileFormat::iffBMP, h.Width, h.Height, h.Bpp == 15 ? 16 : h.Bpp};
}

}  // namespace detail

TBitmap DecodeBMP(std::span<const uint8_t> Data, const TProgressEvent& OnProgress,
                  TObject* Sender) {
  const THeader h = ParseHeader(Data);
  CheckPixelLimit("BMP", h.Width, h.Height);
  const int bpp = h.Bpp == 15 ? 16 : h.Bpp;
  const int64_t stride = ((int64_t{h.Width} * bpp + 31) / 32) * 4;
  const int64_t lastRow = (int64_t{h.Width} * bpp + 7) / 8;
  if (h.DataOffset + stride * (h.Height - 1) + lastRow > static_cast<int64_t>(Data.size()))
    Fail("pixel data truncated");

  std::vector<uint32_t> palette(static_cast<size_t>(h.PaletteCount));
  for (size_t i = 0; i < palette.size(); ++i) {
    const size_t at = h.PaletteAt + i * h.PaletteEntry;
    palette[i] = static_cast<uint32_t>(Data[at + 2]) | (static_cast<uint32_t>(Data[at + 1]) << 8) |
                 (static_cast<uint32_t>(Data[at]) << 16);
  }
  const TChannel red = MakeChannel(h.Masks[0]), green = MakeChannel(h.Masks[1]),
                 blue = MakeChannel(h.Masks[2]);
  const bool is555 =
      bpp == 16 && h.Masks[0] == 0x7C00 && h.Masks[1] == 0x03E0 && h.Masks[2] == 0x001F;
  const TPixelFormat format = is555       ? TPixelFormat::pf15bit
                              : bpp == 32 ? TPixelFormat::pf32bit
                                          : TPixelFormat::pf24bit;

  TProgressReporter progress(OnProgress, Sender);
  progress.Start();
  TBitmap bmp(h.Width, h.Height, format);
  for (int32_t row = 0; row < h.Height; ++row) {
    const uint8_t* src = Data.data() + h.DataOffset + stride * row;
    const int32_t y = h.TopDown ? row : h.Height - 1 - row;
    uint32_t* out = bmp.GetScanLine(y);
    switch (bpp) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / bpp;
        const uint32_t mask = (1u << bpp) - 1;
        for (int32_t x = 0; x < h.Width; ++x) {
          const int shift = 8 - bpp * (x % perByte + 1);
          const uint32_t index = (src[x / perByte] >> shift) & mask;
          out[x] = index < palette.size() ? palette[index] : 0;
        }
        break;
      }
      case 16:
        for (int32_t x = 0; x < h.Width; ++x) {
          const uint32_t px = LoadLE16(src + 2 * x);
          out[x] = red.Get(px) | (green.Get(px) << 8) | (blue.Get(px) << 16);
        }
        break;
      case 24:
        for (int32_t x = 0; x < h.Width; ++x)
          out[x] = static_cast<uint32_t>(src[3 * x + 2]) |
                   (static_cast<uint32_t>(src[3 * x + 1]) << 8) |
                   (static_cast<uint32_t>(src[3 * x]) << 16);
        break;
      case 32:
        for (int32_t x = 0; x < h.Width; ++x) {
          const uint32_t px = LoadLE32(src + 4 * x);
          out[x] = red.Get(px) | (green.Get(px) << 8) | (blue.Get(px) << 16);
        }
        break;
    }
    progress.Update(row + 1, h.Height);
  }
  progress.End();
  return bmp;
}

std::vector<uint8_t> EncodeBMP(const TBitmap& Bitmap) {
  if (Bitmap.GetEmpty()) throw EInvalidGraphic("Cannot save an empty bitmap");
  const int64_t w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
  const int64_t stride = (w * 3 + 3) & ~int64_t{3};
  const int64_t imageSize = stride * h;
  const int64_t fileSize = 54 + imageSize;
  if (fileSize > UINT32_MAX) throw EInvalidGraphic("Bitmap too large for a BMP file");
  std::vector<uint8_t> out(static_cast<size_t>(fileSize), 0);
  // Every field lies inside the 54 header bytes allocated above.
  auto put16 = [&](size_t at, uint16_t v) { StoreLE16(out.data() + at, v); };
  auto put32 = [&](size_t at, uint32_t v) { StoreLE32(out.data() + at, v); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(fileSize));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  put16(26, 1);
  put16(28, 24);
  put32(30, kBiRgb);
  put32(34, static_cast<uint32_t>(imageSize));
  put32(38, 3780);  // 96 dpi
  put32(42, 3780);
  for (int64_t row = 0; row < h; ++row) {
    const uint32_t* src = Bitmap.GetScanLine(static_cast<int32_t>(h - 1 - row));
    uint8_t* dst = out.data() + 54 + row * stride;
    for (int64_t x = 0; x < w; ++x) {
      dst[3 * x] = static_cast<uint8_t>(src[x] >> 16);
      dst[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      dst[3 * x + 2] = static_cast<uint8_t>(src[x]);
    }
  }
  return out;
}

}  // namespace zel
