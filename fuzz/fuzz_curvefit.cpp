// Curve-fit ASC files.
#include "fuzz/fuzz_util_impl.hpp"
#include "num/analysis/zel_curvefit.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

std::string Canon(const TCurveFit& f) {
  const std::string out = ScratchPath("curvefit.out.asc");
  Require(f.ExportAsASC(out, "c", -1).empty(), "curve-fit ASC writer failed");
  return ReadWholeFile(out);
}

bool Import(TCurveFit& f, const std::string& path) {
  try {
    const int32_t rc = f.ImportASC(path);
    Require(rc <= 0, "curve-fit ASC reader: positive status");
    return rc == 0;
  } catch (const EZELError&) {
    return false;  // a column count other than 2 is reported by exception
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = WriteScratch("curvefit.asc", std::span<const uint8_t>(Data, Size));
  TCurveFit f(nullptr);
  f.EnterStatValue(1, 2);
  f.EnterStatValue(3, 5);
  const std::string before = Canon(f);
  if (!Import(f, path)) {
    Require(Canon(f) == before, "curve-fit ASC reader: a failed import changed the points");
    return 0;
  }
  CheckFixpoint(
      Canon(f),
      [](const std::string& in, std::string& out) {
        TCurveFit g(nullptr);
        if (!Import(g, WriteScratch("curvefit.re.asc", in))) return false;
        out = Canon(g);
        return true;
      },
      false, "curve-fit ASC");
  return 0;
}
