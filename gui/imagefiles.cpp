// Image files: format detection, the pixel limit, dispatch to the codecs
// and whole-file reading and writing.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/imagefiles_impl.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel {

namespace {

std::atomic<int64_t> gMaxImagePixels{kDefaultMaxImagePixels};

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct TFileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

struct TFdCloser {
  int Fd;
  ~TFdCloser() { ::close(Fd); }
};

}  // namespace

int64_t GetMaxImagePixels() { return gMaxImagePixels.load(std::memory_order_relaxed); }

void SetMaxImagePixels(int64_t Pixels) {
  gMaxImagePixels.store(std::max<int64_t>(Pixels, 1), std::memory_order_relaxed);
}

namespace detail {

void CheckPixelLimit(const char* Format, int64_t Width, int64_t Height) {
  // A bitmap cannot hold more than 2^30 pixels whatever the limit says.
  const int64_t limit = std::min(GetMaxImagePixels(), int64_t{1} << 30);
  if (Width * Height > limit)
    throw EInvalidGraphic(std::string(Format) + " image too large: " + std::to_string(Width) +
                          " x " + std::to_string(Height) + " pixels exceeds the limit of " +
                          std::to_string(limit) + " pixels");
}

}  // namespace detail

TImageFileFormat DetectImageFormat(std::span<const uint8_t> Data) {
  if (Data.size() >= 8 &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), Data.begin()))
    return TImageFileFormat::iffPNG;
  if (Data.size() >= 3 && Data[0] == 0xFF && Data[1] == 0xD8 && Data[2] == 0xFF)
    return TImageFileFormat::iffJPEG;
  if (Data.size() >= 2 && Data[0] == 'B' && Data[1] == 'M') return TImageFileFormat::iffBMP;
  return TImageFileFormat::iffUnknown;
}

std::string ImageFileExtension(const std::string& FileName) {
  const size_t slash = FileName.find_last_of('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = FileName.find_last_of('.');
  if (dot == std::string::npos || dot < start) return std::string();
  std::string ext = FileName.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
  });
  return ext;
}

TImageFileFormat FormatFromFileName(const std::string& FileName) {
  const std::string ext = ImageFileExtension(FileName);
  if (ext.empty() || ext == ".bmp" || ext == ".dib") return TImageFileFormat::iffBMP;
  if (ext == ".png") return TImageFileFormat::iffPNG;
  if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif")
    return TImageFileFormat::iffJPEG;
  return TImageFileFormat::iffUnknown;
}

TImageInfo ReadImageInfo(std::span<const uint8_t> Data) {
  switch (DetectImageFormat(Data)) {
    case TImageFileFormat::iffBMP: return detail::ReadBMPInfo(Data);
    case TImageFileFormat::iffPNG: return detail::ReadPNGInfo(Data);
    case TImageFileFormat::iffJPEG: return detail::ReadJPEGInfo(Data);
    case TImageFileFormat::iffUnknown: break;
  }
  throw EInvalidGraphic("Unknown image file format");
}

TBitmap DecodeImage(std::span<const uint8_t> Data, const TProgressEvent& OnProgress,
                    TObject* Sender) {
  switch (DetectImageFormat(Data)) {
    case TImageFileFormat::iffBMP: return DecodeBMP(Data, OnProgress, Sender);
    case TImageFileFormat::iffPNG: return DecodePNG(Data, OnProgress, Sender);
    case TImageFileFormat::iffJPEG: return DecodeJPEG(Data, OnProgress, Sender);
    case TImageFileFormat::iffUnknown: break;
  }
  throw EInvalidGraphic("Unknown image file format");
}

std::vector<uint8_t> EncodeImage(const TBitmap& Bitmap, TImageFileFormat Format,
                                 int32_t JPEGQuality) {
  switch (Format) {
    case TImageFileFormat::iffBMP: return EncodeBMP(Bitmap);
    case TImageFileFormat::iffPNG: return EncodePNG(Bitmap);
    case TImageFileFormat::iffJPEG: return EncodeJPEG(Bitmap, JPEGQuality);
    case TImageFileFormat::iffUnknown: break;
  }
  throw EInvalidGraphic("Unknown image file format");
}

int64_t MaxImageFileBytes() {
  const int64_t limit = std::min(GetMaxImagePixels(), int64_t{1} << 30);
  return limit * kImageFileBytesPerPixel + kImageFileExtraBytes;
}

std::vector<uint8_t> ReadFileBytes(const std::string& FileName, int64_t MaxBytes) {
  if (MaxBytes < 0) MaxBytes = MaxImageFileBytes();
  auto ioError = [&FileName](const char* what, int err) {
    return EInOutError(std::string(what) + " file \"" + FileName + "\": " + std::strerror(err),
                       err);
  };
  // Non-blocking, so that opening a FIFO without a writer cannot hang before
  // the file type is known.
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw ioError("Cannot open", errno);
  TFdCloser closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw ioError("Cannot read", errno);
  // Devices, pipes and directories hold no image, and /dev/zero would never end.
  if (!S_ISREG(st.st_mode))
    throw EInOutError("Cannot read file \"" + FileName + "\": not a regular file",
                      S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  auto tooLarge = [&]() {
    return EInvalidGraphic("File \"" + FileName + "\" is larger than " + std::to_string(MaxBytes) +
                           " bytes");
  };
  if (st.st_size > MaxBytes) throw tooLarge();
  // One byte past the cap tells a file that grew while being read; the
  // largest cap has no byte past it.
  const int64_t readCap = MaxBytes < INT64_MAX ? MaxBytes + 1 : MaxBytes;
  std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
  size_t have = 0;
  for (;;) {
    // The file may change while it is read: never read more than the cap.
    if (have == data.size()) {
      if (static_cast<int64_t>(have) >= readCap) throw tooLarge();
      data.resize(
          static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(have) + 65536, readCap)));
    }
    const ssize_t got = ::read(fd, data.data() + have, data.size() - have);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ioError("Cannot read", errno);
    }
    if (got == 0) break;
    have += static_cast<size_t>(got);
  }
  if (static_cast<int64_t>(have) > MaxBytes) throw tooLarge();
  data.resize(have);
  return data;
}

void WriteFileBytes(const std::string& FileName, std::span<const uint8_t> Data) {
  TFilePtr f(std::fopen(FileName.c_str(), "wb"));
  if (!f) {
    const int err = errno;
    throw EInOutError("Cannot create file \"" + FileName + "\": " + std::strerror(err), err);
  }
  const size_t put = Data.empty() ? 0 : std::fwrite(Data.data(), 1, Data.size(), f.get());
  const int errWrite = errno;
  std::FILE* raw = f.release();
  const bool closed = std::fclose(raw) == 0;
  if (put != Data.size() || !closed) {
    const int err = put != Data.size() ? errWrite : errno;
    throw EInOutError("Cannot write file \"" + FileName + "\": " + std::strerror(err), err);
  }
}

}  // namespace zel
