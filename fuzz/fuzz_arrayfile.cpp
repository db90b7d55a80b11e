// Array files, text and binary: every element type and rank reads the same
// bytes. A file that loads must store again and load back to the same array
// and comment; a file that does not load leaves array and comment alone.
// Both formats carry checksums that almost every mutation breaks, so each
// input is also read a second time with its checksums made right.
#include <cstdio>

#include "core/zel_binary.hpp"
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

// The binary layout: 40 header bytes (the comment length at 36), the
// comment, the header checksum, the elements, their checksum.
std::string WithBinaryChecksums(std::string f) {
  if (f.size() < 44) return f;
  const auto* b = reinterpret_cast<const uint8_t*>(f.data());
  const uint64_t commentEnd = 40 + uint64_t{LoadLE32(b + 36)};
  if (commentEnd + 8 > f.size()) return f;
  TCrc32 head;
  head.Add(b, commentEnd);
  uint8_t word[4];
  StoreLE32(word, head.Value());
  f.replace(commentEnd, 4, reinterpret_cast<const char*>(word), 4);
  TCrc32 data;
  data.Add(b + commentEnd + 4, f.size() - commentEnd - 8);
  StoreLE32(word, data.Value());
  f.replace(f.size() - 4, 4, reinterpret_cast<const char*>(word), 4);
  return f;
}

// The text layout: every line but the last goes into the checksum that the
// last line ("crc32 xxxxxxxx") holds; lines split as the reader splits them.
std::string WithTextChecksum(const std::string& f) {
  if (f.empty() || f.back() != '\n') return f;
  TMemoryStream s;
  FillStream(s, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(f.data()), f.size()));
  TCrc32 crc;
  std::string line, previous;
  int64_t lines = 0, lastStart = 0, pos = 0;
  while (ReadLnStream(s, line, -1)) {
    if (lines++ > 0) {
      crc.Add(previous);
      crc.Add("\n");
    }
    previous = std::move(line);
    lastStart = pos;
    pos = s.GetPosition();
  }
  if (lines < 2) return f;
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(crc.Value()));
  return f.substr(0, static_cast<size_t>(lastStart)) + "crc32 " + hex + "\n";
}

void CheckFile(const std::string& bytes) {
  const std::string path = WriteScratch("array.in", bytes);
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string raw = AsText(Data, Size);
  CheckFile(raw);
  const std::string fixed =
      !raw.empty() && static_cast<uint8_t>(raw[0]) == 0x89 ? WithBinaryChecksums(raw)
                                                           : WithTextChecksum(raw);
  if (fixed != raw) CheckFile(fixed);
  return 0;
}
