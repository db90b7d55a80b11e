// The JPEG codec through libjpeg-turbo. libjpeg reports errors through
// error_exit, which must not return: ours longjmps back into the small
// function that called the library. Those functions hold no C++ objects
// with destructors, so the jump skips nothing; the C++ state lives in the
// caller, which turns a failed phase into EInvalidGraphic.
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <bit>
#include <exception>

#include <jerror.h>
#include <jpeglib.h>

#include "gui/imagefiles_impl.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {

using namespace detail;

namespace {

// More scans than any sensible progressive file has; decoding a crafted
// file with thousands of scans takes practically forever.
constexpr int kMaxScans = 1000;

// Pixel words are R, G, B, 0 in memory on a little-endian machine.
constexpr J_COLOR_SPACE kWordSpace =
    std::endian::native == std::endian::little ? JCS_EXT_RGBX : JCS_EXT_XBGR;

struct TJpegError {
  jpeg_error_mgr Mgr;  // first: libjpeg hands us a pointer to it
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ZelJpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->Message);
  std::longjmp(e->Jump, 1);
}

// Warnings that mean lost or wrong pixels are fatal; trace messages and
// harmless warnings are dropped.
void ZelJpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  switch (cinfo->err->msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC: return;
    default: ZelJpegErrorExit(cinfo);
  }
}

void ZelJpegOutputMessage(j_common_ptr) {}

void InitError(TJpegError& e) {
  std::memset(&e, 0, sizeof e);
  jpeg_std_error(&e.Mgr);
  e.Mgr.error_exit = ZelJpegErrorExit;
  e.Mgr.emit_message = ZelJpegEmitMessage;
  e.Mgr.output_message = ZelJpegOutputMessage;
}

struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Err;
  jpeg_progress_mgr Progress;
  bool Created = false;
  TProgressReporter* Reporter = nullptr;
  std::exception_ptr Pending;  // thrown by the progress handler

  TJpegDecoder() {
    std::memset(&Info, 0, sizeof Info);
    std::memset(&Progress, 0, sizeof Progress);
    InitError(Err);
    Info.err = &Err.Mgr;
  }
  ~TJpegDecoder() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
  TJpegDecoder(const TJpegDecoder&) = delete;
  TJpegDecoder& operator=(const TJpegDecoder&) = delete;

  [[noreturn]] void Fail() const {
    if (Pending) std::rethrow_exception(Pending);
    throw EInvalidGraphic(std::string("Invalid JPEG file: ") + Err.Message);
  }
};

void ReportProgress(TJpegDecoder* d, int64_t done, int64_t total) {
  try {
    d->Reporter->Update(done, total);
  } catch (...) {
    d->Pending = std::current_exception();
  }
}

void ZelJpegProgress(j_common_ptr cinfo) {
  auto* d = static_cast<TJpegDecoder*>(cinfo->client_data);
  auto* info = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (info->input_scan_number > kMaxScans) {
    std::snprintf(d->Err.Message, sizeof d->Err.Message, "more than %d scans", kMaxScans);
    std::longjmp(d->Err.Jump, 1);
  }
  const jpeg_progress_mgr* p = cinfo->progress;
  if (d->Reporter != nullptr && p->total_passes > 0 && p->pass_limit > 0) {
    const int64_t scale = 1000000;
    const int64_t done = p->completed_passes * scale + p->pass_counter * scale / p->pass_limit;
    ReportProgress(d, done, int64_t{p->total_passes} * scale);
    if (d->Pending) std::longjmp(d->Err.Jump, 1);
  }
}

// Phase 1: the header.
bool ReadHeader(TJpegDecoder* d, const uint8_t* data, size_t size) {
  if (setjmp(d->Err.Jump) != 0) return false;
  jpeg_create_decompress(&d->Info);
  d->Created = true;
  jpeg_mem_src(&d->Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d->Info, TRUE);
  return true;
}

// Phase 2: the pixels, into Width x Height words.
bool ReadPixels(TJpegDecoder* d, uint32_t* bits, JDIMENSION width, JDIMENSION height) {
  if (setjmp(d->Err.Jump) != 0) return false;
  const bool cmyk = d->Info.jpeg_color_space == JCS_CMYK || d->Info.jpeg_color_space == JCS_YCCK;
  d->Info.out_color_space = cmyk ? JCS_CMYK : kWordSpace;
  d->Info.progress = &d->Progress;
  d->Info.client_data = d;
  d->Progress.progress_monitor = ZelJpegProgress;
  jpeg_start_decompress(&d->Info);
  if (d->Info.output_width != width || d->Info.output_height != height ||
      d->Info.output_components != 4) {
    std::snprintf(d->Err.Message, sizeof d->Err.Message, "unexpected output geometry");
    return false;
  }
  while (d->Info.output_scanline < height) {
    const JDIMENSION y = d->Info.output_scanline;
    uint32_t* row = bits + static_cast<size_t>(y) * width;
    JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row)};
    if (jpeg_read_scanlines(&d->Info, rows, 1) != 1) {
      std::snprintf(d->Err.Message, sizeof d->Err.Message, "no scan line returned");
      return false;
    }
    if (cmyk) {
      // Adobe writes inverted CMYK: each byte is 255 - ink, so a channel is
      // (255 - ink) * (255 - black) / 255 = stored * stored_k / 255.
      uint8_t* b = reinterpret_cast<uint8_t*>(row);
      for (JDIMENSION x = 0; x < width; ++x, b += 4) {
        const uint32_t k = b[3];
        const uint32_t r = (b[0] * k + 127) / 255, g = (b[1] * k + 127) / 255,
                       bl = (b[2] * k + 127) / 255;
        row[x] = r | (g << 8) | (bl << 16);
      }
    } else {
      for (JDIMENSION x = 0; x < width; ++x) row[x] &= 0xFFFFFFu;
    }
  }
  jpeg_finish_decompress(&d->Info);
  return true;
}

struct TJpegEncoder {
  jpeg_compress_struct Info;
  TJpegError Err;
  bool Created = false;
  unsigned char* Mem = nullptr;
  unsigned long MemSize = 0;

  TJpegEncoder() {
    std::memset(&Info, 0, sizeof Info);
    InitError(Err);
    Info.err = &Err.Mgr;
  }
  ~TJpegEncoder() {
    if (Created) jpeg_destroy_compress(&Info);
    std::free(Mem);
  }
  TJpegEncoder(const TJpegEncoder&) = delete;
  TJpegEncoder& operator=(const TJpegEncoder&) = delete;
};

bool WritePixels(TJpegEncoder* e, const uint32_t* bits, JDIMENSION width, JDIMENSION height,
                 int quality) {
  if (setjmp(e->Err.Jump) != 0) return false;
  jpeg_create_compress(&e->Info);
  e->Created = true;
  jpeg_mem_dest(&e->Info, &e->Mem, &e->MemSize);
  e->Info.image_width = width;
  e->Info.image_height = height;
  e->Info.input_components = 4;
  e->Info.in_color_space = kWordSpace;
  jpeg_set_defaults(&e->Info);
  jpeg_set_quality(&e->Info, quality, TRUE);
  jpeg_start_compress(&e->Info, TRUE);
  while (e->Info.next_scanline < height) {
    // libjpeg does not write through its input rows.
    JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(
        const_cast<uint32_t*>(bits + static_cast<size_t>(e->Info.next_scanline) * width))};
    jpeg_write_scanlines(&e->Info, rows, 1);
  }
  jpeg_finish_compress(&e->Info);
  return true;
}

}  // namespace

namespace detail {

TImageInfo ReadJPEGInfo(std::span<const uint8_t> Data) {
  TJpegDecoder d;
  if (!ReadHeader(&d, Data.data(), Data.size())) d.Fail();
  return TImageInfo{TImageFileFormat::iffJPEG, static_cast<int32_t>(d.Info.image_width),
                    static_cast<int32_t>(d.Info.image_height), 8 * d.Info.num_components};
}

}  // namespace detail

TBitmap DecodeJPEG(std::span<const uint8_t> Data, const TProgressEvent& OnProgress,
                   TObject* Sender) {
  TJpegDecoder d;
  if (Data.empty()) throw EInvalidGraphic("Invalid JPEG file: no data");
  if (!ReadHeader(&d, Data.data(), Data.size())) d.Fail();
  const JDIMENSION w = d.Info.image_width, h = d.Info.image_height;
  if (w == 0 || h == 0) throw EInvalidGraphic("Invalid JPEG file: empty image");
  CheckPixelLimit("JPEG", w, h);
  TProgressReporter progress(OnProgress, Sender);
  progress.Start();
  d.Reporter = progress.Active() ? &progress : nullptr;
  TBitmap bmp(static_cast<int32_t>(w), static_cast<int32_t>(h), TPixelFormat::pf24bit);
  if (!ReadPixels(&d, bmp.GetBits(), w, h)) d.Fail();
  progress.End();
  return bmp;
}

std::vector<uint8_t> EncodeJPEG(const TBitmap& Bitmap, int32_t Quality) {
  if (Bitmap.GetEmpty()) throw EInvalidGraphic("Cannot save an empty bitmap");
  if (Bitmap.GetWidth() > JPEG_MAX_DIMENSION || Bitmap.GetHeight() > JPEG_MAX_DIMENSION)
    throw EInvalidGraphic("Bitmap too large for a JPEG file");
  TJpegEncoder e;
  if (!WritePixels(&e, Bitmap.GetBits(), static_cast<JDIMENSION>(Bitmap.GetWidth()),
                   static_cast<JDIMENSION>(Bitmap.GetHeight()), std::clamp(Quality, 1, 100)))
    throw EInvalidGraphic(std::string("Cannot write JPEG: ") + e.Err.Message);
  return std::vector<uint8_t>(e.Mem, e.Mem + e.MemSize);
}

}  // namespace zel
