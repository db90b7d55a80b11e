// The PNG codec. Reading uses libpng's classic interface, whose error
// handler must not return: ours longjmps back into the small function that
// called libpng, which holds no C++ objects with destructors; the caller
// turns the failure into EInvalidGraphic. Writing uses the simplified
// interface, which keeps its setjmp inside libpng.
#include <png.h>

#include <bit>
#include <cstdio>
#include <exception>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "gui/imagefiles_impl.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {

using namespace detail;

namespace {

struct TPngDecoder {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  size_t Pos = 0;
  std::jmp_buf Jump;
  char Message[200] = "unknown error";
  png_uint_32 Width = 0, Height = 0;
  int Depth = 0, ColorType = 0, Interlace = 0, Channels = 0;
  TProgressReporter* Reporter = nullptr;
  std::exception_ptr Pending;  // thrown by the progress handler

  ~TPngDecoder() {
    if (Png != nullptr) png_destroy_read_struct(&Png, Info != nullptr ? &Info : nullptr, nullptr);
  }
  [[noreturn]] void Fail() const {
    if (Pending) std::rethrow_exception(Pending);
    throw EInvalidGraphic(std::string("Invalid PNG file: ") + Message);
  }
};

void PngError(png_structp png, png_const_charp message) {
  auto* d = static_cast<TPngDecoder*>(png_get_error_ptr(png));
  std::snprintf(d->Message, sizeof d->Message, "%s",
                message != nullptr ? message : "unknown error");
  std::longjmp(d->Jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, size_t count) {
  auto* d = static_cast<TPngDecoder*>(png_get_io_ptr(png));
  if (count > d->Size - d->Pos) png_error(png, "unexpected end of file");
  std::memcpy(out, d->Data + d->Pos, count);
  d->Pos += count;
}

void Report(TPngDecoder* d, int64_t done, int64_t total) {
  try {
    d->Reporter->Update(done, total);
  } catch (...) {
    d->Pending = std::current_exception();
  }
}

// Phase 1: signature and header chunks.
bool ReadHeader(TPngDecoder* d) {
  if (setjmp(d->Jump) != 0) return false;
  d->Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, d, PngError, PngWarning);
  if (d->Png == nullptr) {
    std::snprintf(d->Message, sizeof d->Message, "cannot create the reader");
    return false;
  }
  d->Info = png_create_info_struct(d->Png);
  if (d->Info == nullptr) {
    std::snprintf(d->Message, sizeof d->Message, "cannot create the reader");
    return false;
  }
  png_set_read_fn(d->Png, d, PngRead);
  // Our own pixel limit applies; libpng's would stop at a million per side.
  png_set_user_limits(d->Png, 0x7FFFFFFF, 0x7FFFFFFF);
  // Damage in the image data or its checksums is an error, not a warning.
  png_set_benign_errors(d->Png, 0);
  png_set_crc_action(d->Png, PNG_CRC_ERROR_QUIT, PNG_CRC_WARN_DISCARD);
  png_read_info(d->Png, d->Info);
  d->Width = png_get_image_width(d->Png, d->Info);
  d->Height = png_get_image_height(d->Png, d->Info);
  d->Depth = png_get_bit_depth(d->Png, d->Info);
  d->ColorType = png_get_color_type(d->Png, d->Info);
  d->Interlace = png_get_interlace_type(d->Png, d->Info);
  d->Channels = png_get_channels(d->Png, d->Info);
  return true;
}

// Phase 2: every pixel as 8-bit R, G, B, A bytes into Width x Height words.
bool ReadPixels(TPngDecoder* d, uint32_t* bits) {
  if (setjmp(d->Jump) != 0) return false;
  png_structp png = d->Png;
  if (d->ColorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (d->ColorType == PNG_COLOR_TYPE_GRAY && d->Depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, d->Info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
  if (d->Depth == 16) png_set_scale_16(png);
  if (d->ColorType == PNG_COLOR_TYPE_GRAY || d->ColorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  if constexpr (std::endian::native == std::endian::big) {
    png_set_bgr(png);
    png_set_swap_alpha(png);
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, d->Info);
  if (png_get_rowbytes(png, d->Info) != static_cast<size_t>(d->Width) * 4) {
    std::snprintf(d->Message, sizeof d->Message, "unexpected row size");
    return false;
  }
  const int64_t total = int64_t{passes} * d->Height;
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < d->Height; ++y) {
      png_read_row(png, reinterpret_cast<png_bytep>(bits + static_cast<size_t>(y) * d->Width),
                   nullptr);
      if (d->Reporter != nullptr) {
        Report(d, int64_t{pass} * d->Height + y + 1, total);
        if (d->Pending) return false;
      }
    }
  }
  // The chunks after the image data, up to IEND, with their checksums.
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

namespace detail {

TImageInfo ReadPNGInfo(std::span<const uint8_t> Data) {
  TPngDecoder d;
  d.Data = Data.data();
  d.Size = Data.size();
  if (!ReadHeader(&d)) d.Fail();
  return TImageInfo{TImageFileFormat::iffPNG, static_cast<int32_t>(d.Width),
                    static_cast<int32_t>(d.Height), d.Depth * d.Channels};
}

}  // namespace detail

TBitmap DecodePNG(std::span<const uint8_t> Data, const TProgressEvent& OnProgress,
                  TObject* Sender) {
  if (Data.size() < 8 || png_sig_cmp(Data.data(), 0, 8) != 0)
    throw EInvalidGraphic("Invalid PNG file: no PNG signature");
  TPngDecoder d;
  d.Data = Data.data();
  d.Size = Data.size();
  if (!ReadHeader(&d)) d.Fail();
  CheckPixelLimit("PNG", d.Width, d.Height);
  TProgressReporter progress(OnProgress, Sender);
  progress.Start();
  d.Reporter = progress.Active() ? &progress : nullptr;
  TBitmap bmp(static_cast<int32_t>(d.Width), static_cast<int32_t>(d.Height), TPixelFormat::pf24bit);
  if (!ReadPixels(&d, bmp.GetBits())) d.Fail();
  for (int32_t y = 0; y < bmp.GetHeight(); ++y) {
    uint32_t* row = bmp.GetScanLine(y);
    for (int32_t x = 0; x < bmp.GetWidth(); ++x) {
      const uint32_t p = row[x], a = p >> 24;
      if (a == 255) {
        row[x] = p & 0xFFFFFFu;
        continue;
      }
      // Over white, rounded to nearest.
      uint32_t out = 0;
      for (int s = 0; s < 24; s += 8)
        out |= ((((p >> s) & 0xFF) * a + 255 * (255 - a) + 127) / 255) << s;
      row[x] = out;
    }
  }
  progress.End();
  return bmp;
}

namespace {

// Frees the simplified writer's state on every path out.
struct TPngImage {
  png_image Image;
  TPngImage() {
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
  }
  ~TPngImage() { png_image_free(&Image); }
  TPngImage(const TPngImage&) = delete;
  TPngImage& operator=(const TPngImage&) = delete;
};

[[noreturn]] void Fail(const png_image& img) {
  throw EInvalidGraphic(std::string("Cannot write PNG: ") +
                        (img.message[0] != 0 ? img.message : "unknown error"));
}

}  // namespace

std::vector<uint8_t> EncodePNG(const TBitmap& Bitmap) {
  if (Bitmap.GetEmpty()) throw EInvalidGraphic("Cannot save an empty bitmap");
  const int32_t w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* src = Bitmap.GetScanLine(y);
    uint8_t* dst = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
    for (int32_t x = 0; x < w; ++x) {
      dst[3 * x] = static_cast<uint8_t>(src[x]);
      dst[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      dst[3 * x + 2] = static_cast<uint8_t>(src[x] >> 16);
    }
  }
  TPngImage p;
  p.Image.width = static_cast<png_uint_32>(w);
  p.Image.height = static_cast<png_uint_32>(h);
  p.Image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  // First call: the size; second: the bytes.
  if (png_image_write_to_memory(&p.Image, nullptr, &size, 0, rgb.data(), 0, nullptr) == 0)
    Fail(p.Image);
  std::vector<uint8_t> out(size);
  if (png_image_write_to_memory(&p.Image, out.data(), &size, 0, rgb.data(), 0, nullptr) == 0)
    Fail(p.Image);
  out.resize(size);
  return out;
}

}  // namespace zel
