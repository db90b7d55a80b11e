#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/zel_dstruct.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {
namespace {

using Bytes = std::vector<uint8_t>;

TBitmap Noise(int w, int h, uint32_t seed) {
  TBitmap b(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>(rng() & 0xFFFFFF));
  return b;
}

// Smooth colours, which JPEG keeps well.
TBitmap Gradient(int w, int h) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, RGB(x * 255 / w, y * 255 / h, (x + y) * 255 / (w + h)));
  return b;
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(::testing::TempDir()) /
          ("zel_g1_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

// Restores the pixel limit at the end of a test.
struct TLimitGuard {
  int64_t Saved = GetMaxImagePixels();
  ~TLimitGuard() { SetMaxImagePixels(Saved); }
};

// ---- A BMP builder: BITMAPINFOHEADER (40 bytes) or a larger header ------

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

struct TBmpSpec {
  int32_t Width = 1;
  int32_t Height = 1;  // negative: top-down
  uint16_t Bpp = 24;
  uint32_t Compression = 0;
  uint32_t HeaderSize = 40;
  uint16_t Planes = 1;
  uint32_t ColorsUsed = 0;
  std::vector<uint32_t> Masks;    // written after a 40-byte header, or into a larger one
  std::vector<uint32_t> Palette;  // 0x00RRGGBB entries
  std::vector<Bytes> Rows;        // file order, unpadded
  bool PadLastRow = true;
};

Bytes MakeBmp(const TBmpSpec& s) {
  size_t stride = ((static_cast<size_t>(std::max(s.Width, 0)) * s.Bpp + 31) / 32) * 4;
  for (const Bytes& r : s.Rows)
    stride = std::max(stride, (r.size() + 3) / 4 * 4);  // malformed specs too
  const size_t masksAfter = s.HeaderSize == 40 ? s.Masks.size() * 4 : 0;
  const size_t off = 14 + s.HeaderSize + masksAfter + s.Palette.size() * 4;
  Bytes b(std::max(off + stride * s.Rows.size(), 54 + 4 * s.Masks.size()), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, static_cast<uint32_t>(off));
  Put32(b, 14, s.HeaderSize);
  Put32(b, 18, static_cast<uint32_t>(s.Width));
  Put32(b, 22, static_cast<uint32_t>(s.Height));
  Put16(b, 26, s.Planes);
  Put16(b, 28, s.Bpp);
  Put32(b, 30, s.Compression);
  Put32(b, 46, s.ColorsUsed);
  for (size_t i = 0; i < s.Masks.size(); ++i) Put32(b, 54 + 4 * i, s.Masks[i]);
  size_t at = 14 + s.HeaderSize + masksAfter;
  for (uint32_t c : s.Palette) {
    b[at] = static_cast<uint8_t>(c);            // blue
    b[at + 1] = static_cast<uint8_t>(c >> 8);   // green
    b[at + 2] = static_cast<uint8_t>(c >> 16);  // red
    at += 4;
  }
  for (size_t r = 0; r < s.Rows.size(); ++r)
    std::copy(s.Rows[r].begin(), s.Rows[r].end(), b.begin() + off + r * stride);
  if (!s.PadLastRow && !s.Rows.empty())
    b.resize(off + stride * (s.Rows.size() - 1) + s.Rows.back().size());
  return b;
}

// ---- A PNG builder with stored (uncompressed) deflate blocks -------------

void PutBE32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  PutBE32(png, static_cast<uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  png.insert(png.end(), typed.begin(), typed.end());
  PutBE32(png, CalcCRC32(typed));
}

Bytes Zlib(const Bytes& raw) {
  Bytes z = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);
  return z;
}

using TSampleFn = std::function<std::vector<uint32_t>(int x, int y)>;

// Rows of filter type 0 for the pixels (x0 + i*dx, y0 + j*dy).
void AppendRows(Bytes& raw, int w, int h, int depth, int x0, int y0, int dx, int dy,
                const TSampleFn& f) {
  const int pw = (w - x0 + dx - 1) / dx, ph = (h - y0 + dy - 1) / dy;
  if (pw <= 0 || ph <= 0) return;
  for (int j = 0; j < ph; ++j) {
    raw.push_back(0);
    uint32_t acc = 0;
    int bits = 0;
    for (int i = 0; i < pw; ++i) {
      for (uint32_t v : f(x0 + i * dx, y0 + j * dy)) {
        if (depth == 16) {
          raw.push_back(static_cast<uint8_t>(v >> 8));
          raw.push_back(static_cast<uint8_t>(v));
        } else {
          acc = (acc << depth) | v;
          bits += depth;
          if (bits == 8) {
            raw.push_back(static_cast<uint8_t>(acc));
            acc = 0;
            bits = 0;
          }
        }
      }
    }
    if (bits > 0) raw.push_back(static_cast<uint8_t>(acc << (8 - bits)));
  }
}

Bytes MakePng(int w, int h, int depth, int colorType, bool interlace, const TSampleFn& f,
              const Bytes& plte = {}, const Bytes& trns = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  PutBE32(ihdr, static_cast<uint32_t>(w));
  PutBE32(ihdr, static_cast<uint32_t>(h));
  ihdr.push_back(static_cast<uint8_t>(depth));
  ihdr.push_back(static_cast<uint8_t>(colorType));
  ihdr.push_back(0);
  ihdr.push_back(0);
  ihdr.push_back(interlace ? 1 : 0);
  Chunk(png, "IHDR", ihdr);
  if (!plte.empty()) Chunk(png, "PLTE", plte);
  if (!trns.empty()) Chunk(png, "tRNS", trns);
  Bytes raw;
  if (interlace) {
    const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : pass) AppendRows(raw, w, h, depth, p[0], p[1], p[2], p[3], f);
  } else {
    AppendRows(raw, w, h, depth, 0, 0, 1, 1, f);
  }
  Chunk(png, "IDAT", Zlib(raw));
  Chunk(png, "IEND", {});
  return png;
}

uint32_t OverWhite(uint32_t v, uint32_t a) { return (v * a + 255 * (255 - a) + 127) / 255; }

// ---- Tests ----------------------------------------------------------------

TEST(ImageFormat, DetectsByContentAndChoosesByExtension) {
  EXPECT_EQ(DetectImageFormat(Bytes{'B', 'M', 0}), TImageFileFormat::iffBMP);
  EXPECT_EQ(DetectImageFormat(Bytes{0xFF, 0xD8, 0xFF, 0xE0}), TImageFileFormat::iffJPEG);
  EXPECT_EQ(DetectImageFormat(Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}),
            TImageFileFormat::iffPNG);
  EXPECT_EQ(DetectImageFormat(Bytes{0x89, 'P', 'N', 'G'}), TImageFileFormat::iffUnknown);
  EXPECT_EQ(DetectImageFormat(Bytes{}), TImageFileFormat::iffUnknown);
  EXPECT_EQ(FormatFromFileName("a/b.c/map.JPG"), TImageFileFormat::iffJPEG);
  EXPECT_EQ(FormatFromFileName("x.jpeg"), TImageFileFormat::iffJPEG);
  EXPECT_EQ(FormatFromFileName("x.Png"), TImageFileFormat::iffPNG);
  EXPECT_EQ(FormatFromFileName("x.bmp"), TImageFileFormat::iffBMP);
  EXPECT_EQ(FormatFromFileName("dir.png/noext"), TImageFileFormat::iffBMP);
  EXPECT_EQ(FormatFromFileName("x.gif"), TImageFileFormat::iffUnknown);
  EXPECT_THROW(DecodeImage(Bytes{'G', 'I', 'F', '8'}), EInvalidGraphic);
  EXPECT_THROW(ReadImageInfo(Bytes{}), EInvalidGraphic);
}

TEST(ImageRoundTrip, BmpAndPngAreExact) {
  const TBitmap src = Noise(37, 23, 1);
  for (TImageFileFormat f : {TImageFileFormat::iffBMP, TImageFileFormat::iffPNG}) {
    const Bytes data = EncodeImage(src, f);
    EXPECT_EQ(DetectImageFormat(data), f);
    const TImageInfo info = ReadImageInfo(data);
    EXPECT_EQ(info.Width, 37);
    EXPECT_EQ(info.Height, 23);
    EXPECT_EQ(info.BitsPerPixel, 24);
    const TBitmap back = DecodeImage(data);
    EXPECT_TRUE(back.SameImage(src)) << static_cast<int>(f);
    EXPECT_EQ(back.GetPixelFormat(), TPixelFormat::pf24bit);
  }
}

TEST(ImageRoundTrip, JpegStaysCloseAndQualityMatters) {
  const TBitmap src = Gradient(64, 48);
  const Bytes good = EncodeJPEG(src, 95), poor = EncodeJPEG(src, 10);
  EXPECT_LT(poor.size(), good.size());
  const TImageInfo info = ReadImageInfo(good);
  EXPECT_EQ(info.Width, 64);
  EXPECT_EQ(info.Height, 48);
  EXPECT_EQ(info.BitsPerPixel, 24);
  const TBitmap back = DecodeJPEG(good);
  ASSERT_EQ(back.GetWidth(), 64);
  double sum = 0;
  int worst = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const TColor a = src.GetPixel(x, y), b = back.GetPixel(x, y);
      for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(((a >> s) & 0xFF) - ((b >> s) & 0xFF));
        sum += d;
        worst = std::max(worst, d);
      }
    }
  // Quality 95 on a smooth gradient with 4:2:0 chroma: a mean error of about
  // one level; a few pixels near the corners where chroma changes fastest
  // are further off.
  EXPECT_LT(sum / (64 * 48 * 3), 2.0);
  EXPECT_LT(worst, 24);
}

TEST(ImageRoundTrip, ThroughFilesChosenByExtension) {
  const TBitmap src = Noise(9, 5, 2);
  for (const char* name : {"rt.bmp", "rt.PNG", "rt.jpg", "rt_noext"}) {
    const std::string path = TempPath(name);
    src.SaveToFile(path, 100);
    TBitmap back;
    back.LoadFromFile(path);
    std::remove(path.c_str());
    ASSERT_EQ(back.GetWidth(), 9) << name;
    if (FormatFromFileName(path) != TImageFileFormat::iffJPEG) {
      EXPECT_TRUE(back.SameImage(src)) << name;
    }
  }
  const Bytes bytes = EncodeBMP(src);
  const std::string path = TempPath("content.png");  // a BMP with the wrong extension
  WriteFileBytes(path, bytes);
  TBitmap back;
  back.LoadFromFile(path);
  std::remove(path.c_str());
  EXPECT_TRUE(back.SameImage(src));
}

TEST(ImageFiles, FileErrorsAreReported) {
  TBitmap b = Noise(3, 3, 3);
  const TBitmap before = b;
  EXPECT_THROW(b.LoadFromFile(TempPath("does_not_exist.png")), EInOutError);
  EXPECT_THROW(b.SaveToFile(TempPath("x.gif")), EInvalidGraphic);
  EXPECT_THROW(b.SaveToFile(TempPath("no_such_dir/x.png")), EInOutError);
  EXPECT_THROW(TBitmap().SaveToFile(TempPath("empty.bmp")), EInvalidGraphic);
  const std::string junk = TempPath("junk.bmp");
  WriteFileBytes(junk, Bytes{'B', 'M', 1, 2, 3});
  EXPECT_THROW(b.LoadFromFile(junk), EInvalidGraphic);
  std::remove(junk.c_str());
  EXPECT_TRUE(b.SameImage(before));
}

TEST(ImageFiles, RefusesDevicesPipesAndDirectoriesBeforeReading) {
  TBitmap b = Noise(3, 3, 3);
  const TBitmap before = b;
  // /dev/zero would otherwise be read until the size cap.
  EXPECT_THROW(b.LoadFromFile("/dev/zero"), EInOutError);
  EXPECT_THROW(ReadFileBytes("/dev/zero"), EInOutError);
  EXPECT_THROW(b.LoadFromFile(::testing::TempDir()), EInOutError);
  // A FIFO without a writer: refused at once instead of waiting for one.
  const std::string fifo = TempPath("images.fifo");
  std::remove(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  try {
    b.LoadFromFile(fifo);
    ADD_FAILURE() << "a FIFO was read";
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
  }
  std::remove(fifo.c_str());
  EXPECT_TRUE(b.SameImage(before));
}

TEST(ImageFiles, RefusesFilesLargerThanThePixelLimitCouldNeed) {
  TLimitGuard guard;
  SetMaxImagePixels(100);
  const int64_t cap = MaxImageFileBytes();
  EXPECT_GE(cap, 100 * 8);  // a 16-bit RGBA image of the limit fits
  // A valid small BMP followed by a sparse gigabyte: its size alone refuses it.
  const std::string path = TempPath("padded.bmp");
  const Bytes small = EncodeBMP(Noise(2, 2, 1));
  WriteFileBytes(path, small);
  TBitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.GetWidth(), 2);
  ASSERT_EQ(::truncate(path.c_str(), int64_t{1} << 30), 0);
  try {
    b.LoadFromFile(path);
    ADD_FAILURE() << "a file far beyond the cap was read";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find("is larger than " + std::to_string(cap) + " bytes"),
              std::string::npos)
        << e.what();
  }
  // Exactly at an explicit cap is fine, one byte more is not.
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(small.size())), 0);
  EXPECT_EQ(ReadFileBytes(path, static_cast<int64_t>(small.size())), small);
  EXPECT_THROW(ReadFileBytes(path, static_cast<int64_t>(small.size()) - 1), EInvalidGraphic);
  EXPECT_EQ(ReadFileBytes(path, INT64_MAX), small);
  std::remove(path.c_str());
}

TEST(BmpReader, ReadsPaletteImagesOfOneFourAndEightBits) {
  TBmpSpec one;
  one.Width = 10;
  one.Height = 2;
  one.Bpp = 1;
  one.Palette = {0x000000, 0xFF8000};
  one.Rows = {{0b10110000, 0b01000000}, {0b00000000, 0b11000000}};  // bottom row first
  const TBitmap b1 = DecodeBMP(MakeBmp(one));
  const TColor orange = RGB(0xFF, 0x80, 0x00);
  EXPECT_EQ(b1.GetPixel(0, 1), orange);
  EXPECT_EQ(b1.GetPixel(1, 1), clBlack);
  EXPECT_EQ(b1.GetPixel(3, 1), orange);
  EXPECT_EQ(b1.GetPixel(9, 1), orange);
  EXPECT_EQ(b1.GetPixel(8, 0), orange);
  EXPECT_EQ(b1.GetPixel(0, 0), clBlack);

  TBmpSpec four;
  four.Width = 3;
  four.Height = 1;
  four.Bpp = 4;
  four.ColorsUsed = 3;
  four.Palette = {0x112233, 0x445566, 0x778899};
  four.Rows = {{0x21, 0x50}};  // indices 2, 1, 5 (beyond the palette: black)
  const TBitmap b4 = DecodeBMP(MakeBmp(four));
  EXPECT_EQ(b4.GetPixel(0, 0), RGB(0x77, 0x88, 0x99));
  EXPECT_EQ(b4.GetPixel(1, 0), RGB(0x44, 0x55, 0x66));
  EXPECT_EQ(b4.GetPixel(2, 0), clBlack);

  TBmpSpec eight;
  eight.Width = 2;
  eight.Height = -2;  // top-down
  eight.Bpp = 8;
  eight.Palette.resize(256);
  for (uint32_t i = 0; i < 256; ++i) eight.Palette[i] = i * 0x010101u;
  eight.Rows = {{10, 20}, {30, 40}};
  const TBitmap b8 = DecodeBMP(MakeBmp(eight));
  EXPECT_EQ(b8.GetPixel(0, 0), 0x0A0A0A);
  EXPECT_EQ(b8.GetPixel(1, 1), 0x282828);
  EXPECT_EQ(b8.GetPixelFormat(), TPixelFormat::pf24bit);
}

TEST(BmpReader, ReadsSixteenBitFiveFiveFiveAndBitFields) {
  TBmpSpec s;
  s.Width = 2;
  s.Height = 1;
  s.Bpp = 16;
  // 0x7C00 = red 31; 0x0001 | (0x10 << 5) = blue 1, green 16.
  s.Rows = {{0x00, 0x7C, 0x01, 0x02}};
  const TBitmap b = DecodeBMP(MakeBmp(s));
  EXPECT_EQ(b.GetPixelFormat(), TPixelFormat::pf15bit);
  EXPECT_EQ(b.GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(b.GetPixel(1, 0), RGB(0, 0x84, 0x08));

  TBmpSpec f = s;
  f.Compression = 3;
  f.Masks = {0xF800, 0x07E0, 0x001F};   // 5-6-5
  f.Rows = {{0xE0, 0x07, 0x21, 0x08}};  // green 63; red 1, green 1, blue 1
  const TBitmap b565 = DecodeBMP(MakeBmp(f));
  EXPECT_EQ(b565.GetPixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(b565.GetPixel(0, 0), RGB(0, 255, 0));
  // 1 in 5 bits is 00001 -> 00001000 | 000 = 8; 1 in 6 bits -> 00000100 = 4.
  EXPECT_EQ(b565.GetPixel(1, 0), RGB(8, 4, 8));

  // A 15 in the bit count is read as 5-5-5.
  TBmpSpec fifteen = s;
  fifteen.Bpp = 15;
  EXPECT_TRUE(DecodeBMP(MakeBmp(fifteen)).SameImage(b));
}

TEST(BmpReader, ReadsThirtyTwoBitWithWideAndNarrowMasksAndV5Headers) {
  TBmpSpec s;
  s.Width = 1;
  s.Height = 1;
  s.Bpp = 32;
  s.Compression = 3;
  s.HeaderSize = 124;  // masks inside the header
  // Red 10 bits at 20..29 keeps its top 8; green 2 bits replicates; blue 0.
  s.Masks = {0x3FF00000, 0x00000003, 0};
  const uint32_t px = (0x2A5u << 20) | 0x2u;  // red 1010100101b, green 10b
  s.Rows = {{static_cast<uint8_t>(px), static_cast<uint8_t>(px >> 8),
             static_cast<uint8_t>(px >> 16), static_cast<uint8_t>(px >> 24)}};
  const TBitmap b = DecodeBMP(MakeBmp(s));
  EXPECT_EQ(b.GetPixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(b.GetPixel(0, 0), RGB(0xA9, 0xAA, 0));

  TBmpSpec plain;
  plain.Width = 1;
  plain.Height = 1;
  plain.Bpp = 32;
  plain.Rows = {{0x11, 0x22, 0x33, 0xFF}};  // blue, green, red, unused
  EXPECT_EQ(DecodeBMP(MakeBmp(plain)).GetPixel(0, 0), RGB(0x33, 0x22, 0x11));
}

TEST(BmpReader, BothRowOrdersAndTheCoreHeaderGiveTheSameImage) {
  TBmpSpec up;
  up.Width = 2;
  up.Height = 2;
  up.Bpp = 24;
  up.Rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  TBmpSpec down = up;
  down.Height = -2;
  down.Rows = {up.Rows[1], up.Rows[0]};
  const TBitmap a = DecodeBMP(MakeBmp(up)), b = DecodeBMP(MakeBmp(down));
  EXPECT_TRUE(a.SameImage(b));
  EXPECT_EQ(a.GetPixel(0, 0), RGB(9, 8, 7));
  EXPECT_EQ(a.GetPixel(1, 1), RGB(6, 5, 4));

  // OS/2 core header: 12 bytes with 16-bit sizes, no palette here.
  Bytes core(14 + 12 + 2 * 8, 0);
  core[0] = 'B';
  core[1] = 'M';
  Put32(core, 10, 26);
  Put32(core, 14, 12);
  Put16(core, 18, 2);
  Put16(core, 20, 2);
  Put16(core, 22, 1);
  Put16(core, 24, 24);
  std::copy(up.Rows[0].begin(), up.Rows[0].end(), core.begin() + 26);
  std::copy(up.Rows[1].begin(), up.Rows[1].end(), core.begin() + 34);
  EXPECT_TRUE(DecodeBMP(core).SameImage(a));

  // The last row's padding may be missing.
  TBmpSpec shortPad = up;
  shortPad.PadLastRow = false;
  EXPECT_TRUE(DecodeBMP(MakeBmp(shortPad)).SameImage(a));
}

TEST(BmpReader, RefusesWhatItCannotRead) {
  TBmpSpec ok;
  ok.Width = 2;
  ok.Height = 1;
  ok.Bpp = 24;
  ok.Rows = {{1, 2, 3, 4, 5, 6}};
  ASSERT_NO_THROW(DecodeBMP(MakeBmp(ok)));
  auto refuses = [](TBmpSpec s, const char* why) {
    EXPECT_THROW(DecodeBMP(MakeBmp(s)), EInvalidGraphic) << why;
  };
  TBmpSpec s = ok;
  s.Compression = 1;
  refuses(s, "RLE8");
  s = ok;
  s.Bpp = 2;
  refuses(s, "2 bits");
  s = ok;
  s.Planes = 2;
  refuses(s, "planes");
  s = ok;
  s.Width = 0;
  refuses(s, "width 0");
  s = ok;
  s.Height = INT32_MIN;
  refuses(s, "height INT32_MIN");
  s = ok;
  s.HeaderSize = 20;
  refuses(s, "header size");
  s = ok;
  s.Bpp = 32;
  s.Compression = 3;
  s.Masks = {0x00FF00FF, 0x0000FF00, 0};
  s.Rows = {{0, 0, 0, 0, 0, 0, 0, 0}};
  refuses(s, "mask with a gap");
  s = ok;
  s.Bpp = 24;
  s.Compression = 3;
  s.Masks = {0xFF, 0xFF00, 0xFF0000};
  refuses(s, "bit fields with 24 bits");
  s = ok;
  s.Width = 100000;
  s.PadLastRow = false;
  refuses(s, "pixel data beyond the file");
  // A palette that claims more entries than the file holds.
  TBmpSpec p;
  p.Width = 1;
  p.Height = 1;
  p.Bpp = 8;
  p.Palette = {0};
  p.Rows = {{0}};
  Bytes data = MakeBmp(p);
  data.resize(14 + 40 + 2);
  EXPECT_THROW(DecodeBMP(data), EInvalidGraphic);
}

// Bytes placed at the very end of a readable page that is followed by an
// inaccessible one: a read past the end faults instead of passing silently.
class TGuardedBytes {
 public:
  explicit TGuardedBytes(const Bytes& b) {
    FPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    void* m =
        ::mmap(nullptr, 2 * FPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED || b.size() > FPage) return;
    FBase = static_cast<uint8_t*>(m);
    if (::mprotect(FBase + FPage, FPage, PROT_NONE) != 0) return;
    uint8_t* at = FBase + FPage - b.size();
    std::copy(b.begin(), b.end(), at);
    FData = std::span<const uint8_t>(at, b.size());
  }
  ~TGuardedBytes() {
    if (FBase != nullptr) ::munmap(FBase, 2 * FPage);
  }
  TGuardedBytes(const TGuardedBytes&) = delete;
  TGuardedBytes& operator=(const TGuardedBytes&) = delete;
  std::span<const uint8_t> Data() const { return FData; }

 private:
  size_t FPage = 0;
  uint8_t* FBase = nullptr;
  std::span<const uint8_t> FData;
};

TEST(BmpReader, NeverReadsPastTheEndOfAShortHeaderWithBitFields) {
  // "BM", pixels claimed at 66, a 44-byte info header, 1 x 1, 32 bits,
  // bit fields: the masks would lie at bytes 54..65 of a 58-byte file.
  for (uint32_t compression : {3u, 6u}) {
    Bytes b(58, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, 58);
    Put32(b, 10, 66);
    Put32(b, 14, 44);
    Put32(b, 18, 1);
    Put32(b, 22, 1);
    Put16(b, 26, 1);
    Put16(b, 28, 32);
    Put32(b, 30, compression);
    const TGuardedBytes guarded(b);
    ASSERT_EQ(guarded.Data().size(), b.size());
    EXPECT_THROW(ReadImageInfo(guarded.Data()), EInvalidGraphic);
    EXPECT_THROW(DecodeImage(guarded.Data()), EInvalidGraphic);
    TBitmap bmp(2, 2);
    EXPECT_THROW(bmp.LoadFromMemory(guarded.Data()), EInvalidGraphic);
    EXPECT_EQ(bmp.GetWidth(), 2);
  }
  // Every header size from 41 to 51 with the masks cut anywhere: refused,
  // and never read past the end.
  for (uint32_t hsz = 41; hsz <= 51; ++hsz) {
    for (size_t len = 14 + hsz; len < 66; ++len) {
      Bytes b(len, 0);
      b[0] = 'B';
      b[1] = 'M';
      Put32(b, 10, 70);
      Put32(b, 14, hsz);
      Put32(b, 18, 1);
      Put32(b, 22, 1);
      Put16(b, 26, 1);
      Put16(b, 28, 16);
      Put32(b, 30, 3);
      const TGuardedBytes guarded(b);
      ASSERT_EQ(guarded.Data().size(), b.size());
      EXPECT_THROW(ReadImageInfo(guarded.Data()), EInvalidGraphic) << hsz << " " << len;
    }
  }
}

TEST(PngReader, ReadsPaletteGreyAlphaAndSixteenBitImages) {
  // Palette with transparency: entry 1 half transparent, entry 2 invisible.
  const Bytes plte = {255, 0, 0, 0, 0, 255, 0, 255, 0};
  const Bytes trns = {255, 128, 0};
  const TBitmap pal = DecodePNG(MakePng(
      3, 1, 8, 3, false, [](int x, int) { return std::vector<uint32_t>{uint32_t(x)}; }, plte,
      trns));
  EXPECT_EQ(pal.GetPixel(0, 0), clRed);
  EXPECT_EQ(pal.GetPixel(1, 0), RGB(OverWhite(0, 128), OverWhite(0, 128), 255));
  EXPECT_EQ(pal.GetPixel(2, 0), clWhite);

  const TBitmap grey1 = DecodePNG(MakePng(9, 2, 1, 0, false, [](int x, int y) {
    return std::vector<uint32_t>{uint32_t((x + y) & 1)};
  }));
  EXPECT_EQ(grey1.GetPixel(0, 0), clBlack);
  EXPECT_EQ(grey1.GetPixel(8, 1), clWhite);

  const TBitmap grey16 = DecodePNG(MakePng(2, 1, 16, 0, false, [](int x, int) {
    return std::vector<uint32_t>{x == 0 ? 0x8080u : 0xFFFFu};
  }));
  EXPECT_EQ(GetRValue(grey16.GetPixel(0, 0)), 128);  // 0x8080 * 255 / 65535
  EXPECT_EQ(grey16.GetPixel(1, 0), clWhite);

  // Grey with alpha and RGBA: composited over white.
  const TBitmap ga = DecodePNG(MakePng(2, 1, 8, 4, false, [](int x, int) {
    return std::vector<uint32_t>{100, x == 0 ? 255u : 64u};
  }));
  EXPECT_EQ(GetRValue(ga.GetPixel(0, 0)), 100);
  EXPECT_EQ(GetRValue(ga.GetPixel(1, 0)), OverWhite(100, 64));
  const TBitmap rgba = DecodePNG(MakePng(1, 1, 8, 6, false, [](int, int) {
    return std::vector<uint32_t>{200, 10, 0, 0};
  }));
  EXPECT_EQ(rgba.GetPixel(0, 0), clWhite);
}

TEST(PngReader, ReadsInterlacedImages) {
  auto colour = [](int x, int y) {
    return std::vector<uint32_t>{uint32_t(x * 20), uint32_t(y * 30),
                                 uint32_t((x * 7 + y * 13) & 0xFF)};
  };
  const Bytes plain = MakePng(11, 7, 8, 2, false, colour),
              laced = MakePng(11, 7, 8, 2, true, colour);
  ASSERT_NE(plain, laced);
  const TBitmap a = DecodePNG(plain), b = DecodePNG(laced);
  EXPECT_TRUE(a.SameImage(b));
  EXPECT_EQ(b.GetPixel(10, 6), RGB(200, 180, (70 + 78) & 0xFF));
}

// Every prefix shorter than the complete data must be refused.
void ExpectTruncationsFail(const Bytes& data, size_t minComplete, const char* what) {
  for (size_t n = 0; n < minComplete; ++n) {
    const Bytes cut(data.begin(), data.begin() + static_cast<long>(n));
    EXPECT_THROW(DecodeImage(cut), EInvalidGraphic)
        << what << " cut at " << n << " of " << data.size();
  }
}

// A damaged file either fails cleanly or gives a whole image of the right
// size. Returns, per byte, whether some flip of it was accepted.
std::vector<bool> FlipEveryByte(const Bytes& data, int w, int h) {
  std::vector<bool> accepted(data.size(), false);
  for (size_t i = 0; i < data.size(); ++i) {
    for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
      Bytes bad = data;
      bad[i] ^= mask;
      try {
        const TBitmap b = DecodeImage(bad);
        accepted[i] = true;
        EXPECT_GT(b.GetWidth(), 0);
        EXPECT_GT(b.GetHeight(), 0);
        if (i >= 32) {  // past every header's size fields
          EXPECT_EQ(b.GetWidth(), w);
          EXPECT_EQ(b.GetHeight(), h);
        }
      } catch (const EInvalidGraphic&) {
      }
    }
  }
  return accepted;
}

TEST(DamagedFiles, TruncatedBmpFails) {
  const Bytes bmp = EncodeBMP(Noise(5, 3, 4));
  // The last row needs 15 of its 16 bytes.
  ExpectTruncationsFail(bmp, bmp.size() - 1, "BMP");
  EXPECT_NO_THROW(DecodeImage(Bytes(bmp.begin(), bmp.end() - 1)));
}

TEST(DamagedFiles, TruncatedPngFails) {
  const Bytes png = EncodePNG(Noise(8, 6, 5));
  ExpectTruncationsFail(png, png.size() - 12, "PNG");  // up to the IEND chunk
}

TEST(DamagedFiles, TruncatedJpegFails) {
  const Bytes jpg = EncodeJPEG(Gradient(24, 16), 80);
  ExpectTruncationsFail(jpg, jpg.size() - 2, "JPEG");  // up to the EOI marker
}

TEST(DamagedFiles, FlippedBytesNeverCrash) {
  const Bytes bmp = EncodeBMP(Noise(4, 3, 6));
  FlipEveryByte(bmp, 4, 3);
  const Bytes jpg = EncodeJPEG(Gradient(16, 16), 75);
  const std::vector<bool> jpgAccepted = FlipEveryByte(jpg, 16, 16);
  EXPECT_LT(std::count(jpgAccepted.begin(), jpgAccepted.end(), true),
            static_cast<long>(jpg.size()));
}

TEST(DamagedFiles, PngChecksumsCatchEveryFlipOutsideAncillaryChunks) {
  const Bytes png = EncodePNG(Noise(4, 3, 7));
  const std::vector<bool> accepted = FlipEveryByte(png, 4, 3);
  // Bytes of ancillary chunks (lower-case first letter of the type) other
  // than their length: a damaged one is skipped.
  std::vector<bool> ancillary(png.size(), false);
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t len = (size_t{png[at]} << 24) | (size_t{png[at + 1]} << 16) |
                       (size_t{png[at + 2]} << 8) | png[at + 3];
    if ((png[at + 4] & 0x20) != 0)
      for (size_t i = at + 4; i < at + 12 + len; ++i) ancillary[i] = true;
    at += 12 + len;
  }
  for (size_t i = 0; i < png.size(); ++i)
    if (!ancillary[i]) {
      EXPECT_FALSE(accepted[i]) << "flip at " << i << " of " << png.size() << " accepted";
    }
}

TEST(DamagedFiles, RandomGarbageAfterValidHeadersFails) {
  std::mt19937 rng(12);
  for (const Bytes& good :
       {EncodeBMP(Noise(6, 6, 8)), EncodePNG(Noise(6, 6, 8)), EncodeJPEG(Gradient(16, 16))}) {
    for (int k = 0; k < 50; ++k) {
      Bytes bad = good;
      for (size_t i = 20 + rng() % 20; i < bad.size(); i += 1 + rng() % 7)
        bad[i] = static_cast<uint8_t>(rng());
      try {
        DecodeImage(bad);
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

TEST(PixelLimit, RefusesLargeImagesBeforeDecoding) {
  TLimitGuard guard;
  const TBitmap src = Noise(20, 20, 9);
  const Bytes bmp = EncodeBMP(src), png = EncodePNG(src), jpg = EncodeJPEG(src);
  SetMaxImagePixels(400);
  EXPECT_NO_THROW(DecodeImage(bmp));
  EXPECT_NO_THROW(DecodeImage(png));
  EXPECT_NO_THROW(DecodeImage(jpg));
  SetMaxImagePixels(399);
  for (const Bytes* d : {&bmp, &png, &jpg}) {
    try {
      DecodeImage(*d);
      ADD_FAILURE() << "accepted an image above the limit";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.what()).find("20 x 20 pixels exceeds the limit of 399"),
                std::string::npos)
          << e.what();
    }
    EXPECT_EQ(ReadImageInfo(*d).Width, 20);  // the header alone is fine
  }
  // A header claiming a gigantic image is refused without allocating it.
  TBmpSpec huge;
  huge.Width = 1000000;
  huge.Height = 1000000;
  huge.Rows = {{0, 0, 0}};
  SetMaxImagePixels(kDefaultMaxImagePixels);
  EXPECT_THROW(DecodeBMP(MakeBmp(huge)), EInvalidGraphic);
  SetMaxImagePixels(0);
  EXPECT_EQ(GetMaxImagePixels(), 1);
}

TEST(Progress, JpegLoadReportsStagesInOrder) {
  const Bytes jpg = EncodeJPEG(Gradient(200, 160), 90);
  std::vector<std::pair<TProgressStage, int>> seen;
  TBitmap b;
  b.LoadFromMemory(jpg, [&](TObject* sender, TProgressStage stage, uint8_t percent, bool,
                            const TRect&, const std::string&) {
    EXPECT_EQ(sender, &b);
    seen.emplace_back(stage, percent);
  });
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), std::make_pair(TProgressStage::psStarting, 0));
  EXPECT_EQ(seen.back(), std::make_pair(TProgressStage::psEnding, 100));
  for (size_t i = 1; i + 1 < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, TProgressStage::psRunning);
    EXPECT_GT(seen[i].second, seen[i - 1].second);
  }
  EXPECT_EQ(b.GetWidth(), 200);
}

TEST(Progress, AnExceptionFromTheHandlerAbortsTheLoad) {
  struct TStop {};
  for (const Bytes& data : {EncodeJPEG(Gradient(64, 64), 90), EncodeBMP(Noise(64, 64, 1)),
                            EncodePNG(Noise(64, 64, 1))}) {
    TBitmap b = Noise(3, 3, 2);
    const TBitmap before = b;
    EXPECT_THROW(b.LoadFromMemory(data,
                                  [](TObject*, TProgressStage stage, uint8_t, bool, const TRect&,
                                     const std::string&) {
                                    if (stage == TProgressStage::psRunning) throw TStop{};
                                  }),
                 TStop);
    EXPECT_TRUE(b.SameImage(before));
  }
}

}  // namespace
}  // namespace zel
