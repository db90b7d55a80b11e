// Array files, text and binary: every element type and rank reads the same
// bytes. A file that loads must store again and load back to the same array
// and comment; a file that does not load leaves array and comment alone.
#include "fuzz/fuzz_util_impl.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

// A small non-empty array of each shape, so that "unchanged" means something.
template <class A>
A Sample() {
  if constexpr (std::is_arithmetic_v<typename A::value_type>) {
    return A{typename A::value_type(7)};
  } else {
    return A{Sample<typename A::value_type>()};
  }
}

template <class A>
void Check(const std::string& path, bool binaryOnly) {
  A a = Sample<A>();
  std::string comment = "before";
  int32_t rc = 0;
  if (!binaryOnly) {
    rc = LoadArray(path, a, comment);
  } else if constexpr (requires { LoadBinaryArray(path, a, comment, false); }) {
    rc = LoadBinaryArray(path, a, comment, false);
  } else {
    return;
  }
  if (rc != kArrayFileOk) {
    Require(rc < 0, "array reader: positive status");
    Require(SameNested(a, Sample<A>()) && comment == "before",
            "array reader: failed load changed the array");
    return;
  }
  const std::string out = ScratchPath("array.out");
  Require(StoreArray(out, a, comment) == kArrayFileOk, "array writer refused a loaded array");
  A b;
  std::string c2;
  Require(LoadArray(out, b, c2) == kArrayFileOk, "array reader: own text file rejected");
  Require(SameNested(a, b) && c2 == comment, "array text round trip changed the array");
  if constexpr (requires { SaveBinaryArray(out, a, comment); }) {
    Require(SaveBinaryArray(out, a, comment) == kArrayFileOk,
            "binary array writer refused a loaded array");
    A d;
    std::string c3;
    Require(LoadBinaryArray(out, d, c3, false) == kArrayFileOk,
            "array reader: own binary file rejected");
    Require(SameNested(a, d) && c3 == comment, "array binary round trip changed the array");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = WriteScratch("array.in", std::span<const uint8_t>(Data, Size));
  Check<TDoubleArray>(path, false);
  Check<TDouble2DArray>(path, false);
  Check<TDouble3DArray>(path, false);
  Check<TDouble4DArray>(path, false);
  Check<TIntArray>(path, false);
  Check<TInt2DArray>(path, false);
  Check<TInt3DArray>(path, false);
  Check<TInt4DArray>(path, false);
  Check<TDouble2DArray>(path, true);
  Check<TInt2DArray>(path, true);
  Check<TDouble3DArray>(path, true);
  Check<TDouble4DArray>(path, true);
  int32_t d1 = 0, d2 = 0, d3 = 0, d4 = 0, et = 0;
  std::string comment;
  (void)ReadBinaryArrayHeader(path, d1, d2, d3, d4, comment, et);
  return 0;
}
