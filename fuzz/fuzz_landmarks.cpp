// Landmark files and the symbol repository.
#include "fuzz/fuzz_util_impl.hpp"
#include "map/geomap/zel_landmarks.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

std::string Canon(TLandMarkList& l) {
  const std::string out = ScratchPath("landmarks.out.xml");
  Require(l.SaveLandmarks(out, "fz"), "landmark writer failed");
  return ReadWholeFile(out);
}

std::string Canon(TSymbolRepository& r) {
  const std::string out = ScratchPath("symbols.out.xml");
  Require(r.StoreOnFile(out, "fz"), "symbol repository writer failed");
  return ReadWholeFile(out);
}

template <class T, class LoadFn>
void Check(T& obj, const std::string& path, LoadFn Load, const char* what) {
  const std::string before = Canon(obj);
  if (!Load(obj, path)) {
    Require(Canon(obj) == before, std::string(what) + ": a failed load changed the data");
    return;
  }
  CheckFixpoint(
      Canon(obj),
      [&](const std::string& in, std::string& out) {
        T w(nullptr);
        if (!Load(w, WriteScratch("landmarks.re.xml", in))) return false;
        out = Canon(w);
        return true;
      },
      false, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = WriteScratch("landmarks.xml", std::span<const uint8_t>(Data, Size));
  TLandMarkList marks(nullptr);
  marks.AddLandMark(47.5, 9.25, 400);
  Check(
      marks, path, [](TLandMarkList& l, const std::string& p) { return l.LoadLandMarks(p, ""); },
      "landmarks");
  TSymbolRepository symbols(nullptr);
  symbols.SetNumEntries(1);
  Check(
      symbols, path,
      [](TSymbolRepository& r, const std::string& p) { return r.LoadFromFile(p, ""); },
      "symbol repository");
  return 0;
}
