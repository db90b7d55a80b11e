// Memory-based learner models, XML and binary.
#include "fuzz/fuzz_util_impl.hpp"
#include "num/analysis/zel_membased.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

// The model as its XML file (lossless: the table is written at full precision).
std::string Canon(TMemBasedLearner& l) {
  const std::string out = ScratchPath("learner.out.xml");
  Require(l.StoreModelXML(out, "fz") == kMBLOk, "learner XML writer failed");
  return ReadWholeFile(out);
}

std::string BinText(TMemBasedLearner& l) {
  const std::string out = ScratchPath("learner.out.bin");
  Require(l.StoreModelBin(out, "fz") == kMBLOk, "learner binary writer failed");
  return ReadWholeFile(out);
}

template <class LoadFn, class WriteFn>
void Check(const std::string& path, LoadFn Load, WriteFn Write, const char* what) {
  TMemBasedLearner l(nullptr);
  l.GetModelData()->Resize(2, 3);
  l.GetModelData()->SetElem(1, 1, 4);
  l.SetModelName("pre");
  const std::string before = Canon(l);
  std::string id = "pre";
  const int32_t rc = Load(l, path, id);
  if (rc != kMBLOk) {
    Require(rc < 0, std::string(what) + ": positive status");
    Require(Canon(l) == before && id == "pre",
            std::string(what) + ": a failed load changed the model");
    return;
  }
  if (l.GetModelData()->GetNrOfColumns() < 1 || l.GetModelData()->GetNrOfRows() < 1) return;
  CheckFixpoint(
      Write(l),
      [&](const std::string& in, std::string& out) {
        TMemBasedLearner w(nullptr);
        std::string id2;
        if (Load(w, WriteScratch("learner.re", in), id2) != kMBLOk) return false;
        out = Write(w);
        return true;
      },
      false, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = WriteScratch("learner.in", std::span<const uint8_t>(Data, Size));
  Check(
      path,
      [](TMemBasedLearner& l, const std::string& p, std::string& id) {
        return l.LoadModelXML(p, id);
      },
      Canon, "learner XML");
  Check(
      path,
      [](TMemBasedLearner& l, const std::string& p, std::string& id) {
        return l.LoadModelBin(p, id);
      },
      BinText, "learner binary");
  return 0;
}
