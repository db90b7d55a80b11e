/// @file
/// Image files: BMP (our own codec), PNG (libpng) and JPEG (libjpeg-turbo),
/// decoded from and encoded to bytes in memory. TBitmap::LoadFromFile and
/// SaveToFile (gui/zel_graphics.hpp) are built on these.
///
/// Every decoder treats its input as hostile. It reads the header, checks
/// the dimensions against the pixel limit (GetMaxImagePixels) and the data
/// length against the file before it allocates the image, decodes into a
/// bitmap of its own, and returns it only when every pixel was decoded:
/// damaged, truncated or unsupported data throws EInvalidGraphic with a
/// message that says what was wrong, never a half-filled image. Warnings of
/// the codec libraries that mean lost or wrong pixels (a JPEG whose data ends
/// early, a corrupt Huffman code, damaged PNG image data or checksums) count
/// as errors; harmless ones (extraneous bytes between JPEG markers, an
/// unknown JFIF revision or Adobe transform code, a bad ICC marker, a damaged
/// ancillary PNG chunk, which is skipped) do not. JPEG has no checksum: a
/// flipped bit inside its compressed data may decode to wrong pixels without
/// any error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gui/zel_graphics.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// The pixel limit
// ---------------------------------------------------------------------------

///@{
/// Largest Width x Height a decoder accepts, checked from the header before
/// any pixel memory is allocated. Process-wide (an atomic value); default
/// kDefaultMaxImagePixels (100 megapixels, 400 MB of pixel words). Values
/// below 1 are stored as 1.
constexpr int64_t kDefaultMaxImagePixels = 100'000'000;
int64_t GetMaxImagePixels();
void SetMaxImagePixels(int64_t Pixels);
///@}

// ---------------------------------------------------------------------------
// Formats and headers
// ---------------------------------------------------------------------------

/// The image file formats the library reads and writes.
enum class TImageFileFormat : int32_t { iffUnknown = 0, iffBMP = 1, iffPNG = 2, iffJPEG = 3 };

/// The format of data by its first bytes: "BM" is BMP, the 8-byte PNG
/// signature PNG, FF D8 FF JPEG; anything else (or too few bytes) unknown.
TImageFileFormat DetectImageFormat(std::span<const uint8_t> Data);

/// The extension of an image file name, the one rule every writer of the
/// library uses: the last '.' of the last path component ('/' separates
/// components) and what follows it, in lower case (ASCII); "" when that
/// component has no '.'. A leading dot counts ("dir/.png" has ".png"), and a
/// trailing one gives "." ("x." is not a name without extension).
std::string ImageFileExtension(const std::string& FileName);

/// The format a file name's extension (ImageFileExtension) asks for: ".bmp",
/// ".dib" and no extension BMP; ".png" PNG; ".jpg", ".jpeg", ".jpe", ".jfif"
/// JPEG; anything else iffUnknown.
TImageFileFormat FormatFromFileName(const std::string& FileName);

/// What a header says, without decoding pixels.
struct TImageInfo {
  TImageFileFormat Format = TImageFileFormat::iffUnknown;  ///< the format
  int32_t Width = 0;                                       ///< width in pixels
  int32_t Height = 0;                                      ///< height in pixels
  /// Bits per pixel as stored (BMP: 1..32; PNG: bit depth times channels;
  /// JPEG: 8 times components).
  int32_t BitsPerPixel = 0;
};

/// Reads the header of a BMP, PNG or JPEG image. Throws EInvalidGraphic for
/// an unknown format or a damaged header. The pixel limit is not applied.
TImageInfo ReadImageInfo(std::span<const uint8_t> Data);

// ---------------------------------------------------------------------------
// Decoding. OnProgress and Sender: see TProgressEvent.
// ---------------------------------------------------------------------------

/// Any of the three formats, recognised by DetectImageFormat.
TBitmap DecodeImage(std::span<const uint8_t> Data, const TProgressEvent& OnProgress = {},
                    TObject* Sender = nullptr);

/// BMP: a 14-byte file header ("BM", offset of the pixels) and an info header
/// of 12 bytes (OS/2 core: 16-bit sizes, palette of 3-byte entries) or 40 to
/// 124 bytes (palette of 4-byte entries). Planes must be 1. Bit counts 1, 4,
/// 8 (palette; an index beyond the palette gives black), 16 (5-5-5 unless bit
/// fields are given) and 24, 32 (blue, green, red, unused) are read with no
/// compression (BI_RGB); 16 and 32 also with bit fields (BI_BITFIELDS, and
/// BI_ALPHABITFIELDS), each mask a run of contiguous bits, channels of fewer
/// than 8 bits expanded by bit replication, wider ones cut to their top 8
/// bits; a bit count of 15 is read as 5-5-5. A positive height stores the
/// rows bottom-up, a negative one top-down. Run-length compression, embedded
/// JPEG/PNG and bit counts other than these are refused. The pixel data must
/// be complete (the last row's padding may be missing). Result format:
/// pf15bit for 5-5-5 data, pf32bit for 32-bit data, pf24bit otherwise.
TBitmap DecodeBMP(std::span<const uint8_t> Data, const TProgressEvent& OnProgress = {},
                  TObject* Sender = nullptr);

/// PNG through libpng: every colour type and bit depth, interlaced or not.
/// Samples are taken as stored (gAMA, cHRM, sRGB and iCCP chunks are not
/// applied); 16-bit samples are scaled to 8 bits as round(v * 255 / 65535);
/// an alpha channel (or tRNS transparency) is composited over white,
/// (c·a + 255·(255 - a) + 127) / 255. Every chunk up to IEND is read and its
/// checksum verified (damaged ancillary chunks are skipped). Progress is
/// reported per row (and pass, for interlaced files). Result format pf24bit.
TBitmap DecodePNG(std::span<const uint8_t> Data, const TProgressEvent& OnProgress = {},
                  TObject* Sender = nullptr);

/// JPEG through libjpeg-turbo: baseline and progressive, greyscale, YCbCr,
/// RGB, CMYK and YCCK (Adobe's inverted CMYK). Progress comes from the
/// library's progress monitor. Progressive files with more than 1000 scans
/// are refused (a known way to make decoding take forever). Result format
/// pf24bit.
TBitmap DecodeJPEG(std::span<const uint8_t> Data, const TProgressEvent& OnProgress = {},
                   TObject* Sender = nullptr);

// ---------------------------------------------------------------------------
// Encoding. An empty bitmap throws EInvalidGraphic.
// ---------------------------------------------------------------------------

/// 24-bit BMP, BITMAPINFOHEADER, rows bottom-up, 96 dpi.
std::vector<uint8_t> EncodeBMP(const TBitmap& Bitmap);
/// 8-bit RGB PNG, not interlaced.
std::vector<uint8_t> EncodePNG(const TBitmap& Bitmap);
/// Baseline JPEG, 4:2:0 YCbCr, Quality 1..100 (clamped).
std::vector<uint8_t> EncodeJPEG(const TBitmap& Bitmap, int32_t Quality = 90);
/// In the given format (iffUnknown throws EInvalidGraphic).
std::vector<uint8_t> EncodeImage(const TBitmap& Bitmap, TImageFileFormat Format,
                                 int32_t JPEGQuality = 90);

// ---------------------------------------------------------------------------
// Whole files
// ---------------------------------------------------------------------------

///@{
/// The largest image file a reader accepts: what an image at the pixel limit
/// (GetMaxImagePixels, at most 2^30) could need, kImageFileBytesPerPixel
/// bytes per pixel (a 16-bit RGBA PNG stored without compression takes 8 and
/// a filter byte per row; a JPEG of noise at full quality stays below that),
/// plus kImageFileExtraBytes for headers, palettes and metadata. The default
/// limit gives 1.6 GB.
constexpr int64_t kImageFileBytesPerPixel = 16;
constexpr int64_t kImageFileExtraBytes = int64_t{16} << 20;
int64_t MaxImageFileBytes();
///@}

/// All bytes of a regular file. Throws EInOutError when it cannot be opened
/// or read, and for anything but a regular file (a directory, a device such
/// as /dev/zero, a pipe or FIFO: refused from its type, before any byte is
/// read, and without waiting for a FIFO's writer); EInvalidGraphic when it
/// is larger than MaxBytes (negative: MaxImageFileBytes()), found from its
/// size before reading, and never more than MaxBytes + 1 bytes are read
/// should the file grow meanwhile.
std::vector<uint8_t> ReadFileBytes(const std::string& FileName, int64_t MaxBytes = -1);
/// Writes Data to a file (created or emptied); throws EInOutError on failure.
void WriteFileBytes(const std::string& FileName, std::span<const uint8_t> Data);

}  // namespace zel
