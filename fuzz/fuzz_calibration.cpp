// Map calibration files (from memory).
#include "fuzz/fuzz_util_impl.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

std::string Canon(TMapCalibration& c) {
  TMemoryStream s;
  Require(c.SaveCalDataAsXML(s, "fz"), "calibration writer failed");
  return StreamText(s);
}

bool Read(TMapCalibration& c, const std::string& text) {
  TMemoryStream s;
  FillStream(s,
             std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  try {
    return c.LoadCalDataFromXML(s, "");
  } catch (const EZELError&) {
    return false;  // a bad graticule type or point count is reported by exception
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMapCalibration c(nullptr);
  c.SetImageSize(640, 480);
  c.SetCaption("pre");
  const std::string before = Canon(c);
  if (!Read(c, AsText(Data, Size))) {
    Require(Canon(c) == before, "calibration reader: a failed load changed the calibration");
    return 0;
  }
  CheckFixpoint(
      Canon(c),
      [](const std::string& in, std::string& out) {
        TMapCalibration w(nullptr);
        w.SetImageSize(640, 480);  // the corners written depend on it
        if (!Read(w, in)) return false;
        out = Canon(w);
        return true;
      },
      true, "calibration");  // positions are written with five decimals: one round may round them
  return 0;
}
