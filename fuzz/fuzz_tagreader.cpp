// The tag reader of the XML-like files. The string, stream and text-file
// readers share one grammar: all three must cut the same input into the same
// tags, texts and attributes, always moving forward.
#include <array>

#include "core/zel_stringl.hpp"
#include "fuzz/fuzz_util_impl.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

const std::array<std::string, 6> kTags = {"matrix",   "/matrix",     "cell",
                                          "landmark", "gmlandmarks", "/gmlandmarks"};

struct TStep {
  int32_t Result;
  std::string Before, Attributes, Name;
  TTagReadStatus Status;
  bool SelfClosing;
  bool operator==(const TStep&) const = default;
};

bool AtEnd(const TStep& s) {
  return s.Status == TTagReadStatus::trsEndOfInput || s.Status == TTagReadStatus::trsUnterminated;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text = AsText(Data, Size);
  const int32_t highest = Size > 0 ? static_cast<int32_t>(Data[0] % 7) - 1 : 5;
  TMemoryStream stream;
  FillStream(stream, std::span<const uint8_t>(Data, Size));
  TTextFile file;
  Require(file.Reset(WriteScratch("tags.xml", std::span<const uint8_t>(Data, Size))),
          "cannot open the scratch file");
  int64_t pos = 1;
  // Every tag takes at least two bytes, so more steps than that is a hang.
  for (size_t step = 0; step <= Size / 2 + 1; ++step) {
    TStep a{}, b{}, c{};
    TTagReadInfo ia, ib, ic;
    const int64_t was = pos;
    a.Result = ReadNextTagInString(text, pos, kTags, highest, a.Before, a.Attributes, &ia);
    b.Result = ReadNextTagInStream(stream, kTags, highest, b.Before, b.Attributes, &ib);
    c.Result = ReadNextTagInTextFile(file, kTags, highest, c.Before, c.Attributes, &ic);
    for (auto [s, i] : {std::pair{&a, &ia}, std::pair{&b, &ib}, std::pair{&c, &ic}}) {
      s->Name = i->Name;
      s->Status = i->Status;
      s->SelfClosing = i->SelfClosing;
    }
    Require(a.Result >= 0 && a.Result <= std::max(highest, -1) + 1,
            "tag reader: result outside 0..n");
    Require(a == b, "tag reader: string and stream readers disagree");
    Require(a == c, "tag reader: string and text-file readers disagree");
    if (AtEnd(a)) {
      Require(pos == static_cast<int64_t>(Size) + 1,
              "tag reader: the end of input is not at the end");
      return 0;
    }
    Require(pos > was + 1 && pos <= static_cast<int64_t>(Size) + 1,
            "tag reader: position did not advance");
  }
  Require(false, "tag reader: more tags than the input can hold");
  return 0;
}
