// Kohonen map XML (from memory).
#include "fuzz/fuzz_util_impl.hpp"
#include "num/analysis/zel_kohonen.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

std::string Canon(const TKohonen& k) {
  TMemoryStream s;
  Require(k.WriteToXMLStream(s, true, "fz"), "Kohonen XML writer failed");
  return StreamText(s);
}

bool Read(TKohonen& k, std::span<const uint8_t> data) {
  TMemoryStream s;
  FillStream(s, data);
  return k.ReadFromXMLStream(s, "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TKohonen k(nullptr);
  k.SetSizeX(3);
  k.SetSizeY(2);
  k.SetComment("pre");
  const std::string before = Canon(k);
  if (!Read(k, std::span<const uint8_t>(Data, Size))) {
    Require(Canon(k) == before, "Kohonen XML reader: a failed read changed the map");
    return 0;
  }
  CheckFixpoint(
      Canon(k),
      [](const std::string& in, std::string& out) {
        TKohonen w(nullptr);
        if (!Read(w,
                  std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(in.data()), in.size())))
          return false;
        out = Canon(w);
        return true;
      },
      false, "Kohonen XML");
  return 0;
}
