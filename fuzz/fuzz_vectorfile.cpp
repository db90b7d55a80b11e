// Vector files: the stream form (from memory), the text form (plain and
// header-free) and the ASC form, for TVector and TIntVector.
#include <memory>

#include "fuzz/fuzz_util_impl.hpp"
#include "num/vector/zel_vector.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

template <class V>
auto Values(const V& v) {
  std::vector<decltype(v.GetVal(1))> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// The text writers write -0 as 0 (a blank sign), so a text round trip keeps
// every value but the sign of a zero.
template <class T>
std::vector<T> ZerosUnsigned(std::vector<T> values) {
  for (auto& x : values)
    if (x == 0) x = 0;
  return values;
}

template <class V>
std::unique_ptr<V> Prefilled() {
  auto v = std::make_unique<V>(nullptr);
  v->SetNrOfElem(3);
  for (int32_t i = 1; i <= 3; ++i) v->SetVal(i, static_cast<decltype(v->GetVal(1))>(i));
  return v;
}

// Loads with Load; a failure must leave the prefilled vector, a success must
// survive the matching writer and reader (Same compares the two).
template <class V, class LoadFn, class RoundTripFn>
void Check(LoadFn Load, RoundTripFn RoundTrip, const char* what) {
  auto v = Prefilled<V>();
  const auto before = Values(*v);
  if (!Load(*v)) {
    Require(SameNested(Values(*v), before), what);
    return;
  }
  if (v->GetNrOfElem() > 0) RoundTrip(*v);
}

template <class V>
void StreamRoundTrip(const V& v) {
  TMemoryStream s;
  Require(v.SaveToStream(s, 1, v.GetNrOfElem()), "vector stream writer failed");
  s.SetPosition(0);
  V w(nullptr);
  Require(w.LoadFromStream(s, true), "vector stream reader: own stream rejected");
  Require(SameNested(Values(v), Values(w)), "vector stream round trip changed the values");
}

template <class V>
void TextRoundTrip(const V& v) {
  const std::string out = ScratchPath("vector.txt");
  bool ok = false;
  if constexpr (std::is_same_v<V, TVector>)
    ok = v.StoreOnFile(1, v.GetNrOfElem(), -2, out);
  else
    ok = v.StoreOnFile(1, v.GetNrOfElem(), out);
  Require(ok, "vector text writer failed");
  V w(nullptr);
  Require(w.LoadFromFile(out, true), "vector text reader: own file rejected");
  Require(SameNested(ZerosUnsigned(Values(v)), ZerosUnsigned(Values(w))),
          "vector text round trip changed the values");
}

template <class V>
void AscRoundTrip(const V& v) {
  const std::string out = ScratchPath("vector.asc");
  int32_t rc = 0;
  if constexpr (std::is_same_v<V, TVector>)
    rc = v.ExportAsASC(out, -2, "c");
  else
    rc = v.ExportAsASC(out, "c");
  Require(rc == 0, "vector ASC writer failed");
  V w(nullptr);
  std::string comment;
  Require(w.ImportASC(out, comment) == 0, "vector ASC reader: own file rejected");
  auto expect = ZerosUnsigned(Values(v));
  for (auto& x : expect)
    if (x != x) x = 0;  // the ASC reader stores NAN as 0
  Require(SameNested(expect, ZerosUnsigned(Values(w))), "vector ASC round trip changed the values");
}

template <class V>
void All(std::span<const uint8_t> data, const std::string& path) {
  for (const bool adjust : {true, false}) {
    Check<V>(
        [&](V& v) {
          TMemoryStream s;
          FillStream(s, data);
          return v.LoadFromStream(s, adjust);
        },
        StreamRoundTrip<V>, "vector stream reader: failed load changed the vector");
    Check<V>([&](V& v) { return v.LoadFromFile(path, adjust); }, TextRoundTrip<V>,
             "vector text reader: failed load changed the vector");
  }
  if constexpr (std::is_same_v<V, TVector>) {
    Check<V>([&](V& v) { return v.LoadFromFile(path, true, true); }, TextRoundTrip<V>,
             "vector header-free reader: failed load changed the vector");
  }
  Check<V>(
      [&](V& v) {
        std::string comment = "x";
        const int32_t rc = v.ImportASC(path, comment);
        Require(rc <= 0, "vector ASC reader: positive status");
        return rc == 0;
      },
      AscRoundTrip<V>, "vector ASC reader: failed load changed the vector");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::span<const uint8_t> data(Data, Size);
  const std::string path = WriteScratch("vector.in", data);
  All<TVector>(data, path);
  All<TIntVector>(data, path);
  return 0;
}
