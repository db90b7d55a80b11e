// Internal helpers of the image codecs: checked little-endian field readers,
// the pixel-limit check, progress reporting and the per-format header
// readers. Not part of the public interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/zel_binary.hpp"
#include "gui/zel_imagefiles.hpp"

namespace zel::detail {

// Every field read is checked against the data's length, so that a header
// that promises more than the file holds is refused, never read past.
inline void CheckField(std::span<const uint8_t> d, size_t at, size_t width) {
  if (at > d.size() || d.size() - at < width)
    throw EInvalidGraphic("Invalid image file: a header field at byte " + std::to_string(at) +
                          " lies beyond the end of the data (" + std::to_string(d.size()) +
                          " bytes)");
}
inline uint16_t ReadU16(std::span<const uint8_t> d, size_t at) {
  CheckField(d, at, 2);
  return LoadLE16(d.data() + at);
}
inline uint32_t ReadU32(std::span<const uint8_t> d, size_t at) {
  CheckField(d, at, 4);
  return LoadLE32(d.data() + at);
}
inline int32_t ReadI32(std::span<const uint8_t> d, size_t at) {
  return static_cast<int32_t>(ReadU32(d, at));
}

// Throws EInvalidGraphic when Width x Height is above the pixel limit.
void CheckPixelLimit(const char* Format, int64_t Width, int64_t Height);

// Reports psStarting, psRunning on each new percentage, psEnding.
class TProgressReporter {
 public:
  TProgressReporter(const TProgressEvent& Event, TObject* Sender)
      : FEvent(Event), FSender(Sender) {}
  void Start() { Fire(TProgressStage::psStarting, 0); }
  void Update(int64_t Done, int64_t Total) {
    if (!FEvent || Total <= 0) return;
    const int percent = static_cast<int>(Done * 100 / Total);
    if (percent > FLast && percent <= 100) {
      FLast = percent;
      Fire(TProgressStage::psRunning, percent);
    }
  }
  void End() { Fire(TProgressStage::psEnding, 100); }
  bool Active() const { return static_cast<bool>(FEvent); }

 private:
  void Fire(TProgressStage Stage, int Percent) {
    if (FEvent)
      FEvent(FSender, Stage, static_cast<uint8_t>(Percent), false, TRect{}, std::string());
  }
  const TProgressEvent& FEvent;
  TObject* FSender;
  int FLast = 0;
};

TImageInfo ReadBMPInfo(std::span<const uint8_t> Data);
TImageInfo ReadPNGInfo(std::span<const uint8_t> Data);
TImageInfo ReadJPEGInfo(std::span<const uint8_t> Data);

}  // namespace zel::detail
