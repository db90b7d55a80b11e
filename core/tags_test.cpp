// The tag grammar, checked through all three readers: each test input is
// read tag by tag from a string, a memory stream and a text file, and the
// three must agree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"

namespace zel {
namespace {

const std::vector<std::string> kGeoTags = {"geomap", "/geomap", "calline", "corners", "resolution"};

struct TagRead {
  int32_t Result;
  std::string Before;
  std::string Attr;
  TTagReadStatus Status;
  std::string Name;
  bool SelfClosing;
  bool operator==(const TagRead&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TagRead& r) {
  return os << "{" << r.Result << ", before=\"" << r.Before << "\", attr=\"" << r.Attr
            << "\", status=" << static_cast<int>(r.Status) << ", name=\"" << r.Name
            << "\", self=" << r.SelfClosing << "}";
}

// Reads until the end of input (at most 50 reads, which also guards against
// a reader that never advances).
template <class ReadOne>
std::vector<TagRead> ReadAll(ReadOne readOne) {
  std::vector<TagRead> reads;
  for (int i = 0; i < 50; ++i) {
    TagRead r{};
    TTagReadInfo info;
    r.Result = readOne(r.Before, r.Attr, info);
    r.Status = info.Status;
    r.Name = info.Name;
    r.SelfClosing = info.SelfClosing;
    reads.push_back(r);
    if (info.Status == TTagReadStatus::trsEndOfInput ||
        info.Status == TTagReadStatus::trsUnterminated)
      break;
  }
  return reads;
}

std::string TempPath(const std::string& stem) {
  return (std::filesystem::temp_directory_path() /
          ("zel_tags_" + std::to_string(::getpid()) + "_" + stem))
      .string();
}

// All reads of Input, after checking that the three readers agree.
std::vector<TagRead> ReadAllThreeWays(const std::string& input,
                                      const std::vector<std::string>& tags = kGeoTags,
                                      int32_t highest = -2) {
  if (highest == -2) highest = static_cast<int32_t>(tags.size()) - 1;
  int64_t pos = 1;
  const auto fromString = ReadAll([&](std::string& b, std::string& a, TTagReadInfo& info) {
    return ReadNextTagInString(input, pos, tags, highest, b, a, &info);
  });
  EXPECT_EQ(pos, static_cast<int64_t>(input.size()) + 1) << "string reader stopped early";

  TMemoryStream ms;
  ms.Write(input.data(), static_cast<int64_t>(input.size()));
  ms.SetPosition(0);
  const auto fromStream = ReadAll([&](std::string& b, std::string& a, TTagReadInfo& info) {
    return ReadNextTagInStream(ms, tags, highest, b, a, &info);
  });

  const std::string path = TempPath("input.xml");
  {
    TTextFile out;
    EXPECT_TRUE(out.Rewrite(path));
    out.Write(input);
    EXPECT_TRUE(out.Close());
  }
  TTextFile in;
  EXPECT_TRUE(in.Reset(path));
  const auto fromFile = ReadAll([&](std::string& b, std::string& a, TTagReadInfo& info) {
    return ReadNextTagInTextFile(in, tags, highest, b, a, &info);
  });
  in.Close();
  std::filesystem::remove(path);

  EXPECT_EQ(fromString, fromStream);
  EXPECT_EQ(fromString, fromFile);
  return fromString;
}

constexpr auto kListed = TTagReadStatus::trsListed;
constexpr auto kUnlisted = TTagReadStatus::trsUnlisted;
constexpr auto kEnd = TTagReadStatus::trsEndOfInput;
constexpr auto kUnterminated = TTagReadStatus::trsUnterminated;

TEST(TagReader, ReturnsIndexAttributesAndElementContent) {
  const std::string xml =
      "<?xml version=\"1.0\"?>\n\n<!-- TGeoMap Calibration / ZEL Component Suite -->\n"
      "<geomap sig=\"ZELCSuite\" vers=\"1.0\" id=\"x\">\n"
      "<corners>\n[1.5,2.5] [3,4] \n</corners>\n"
      "<resolution>12.500</resolution>\n</geomap>\n";
  const auto r = ReadAllThreeWays(xml);
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(r[0], (TagRead{0, "\n\n\n", "sig=\"ZELCSuite\" vers=\"1.0\" id=\"x\"", kListed,
                           "geomap", false}));
  EXPECT_EQ(r[1], (TagRead{3, "\n", "", kListed, "corners", false}));
  // The closing tag is not in the list: the list length, and the content.
  EXPECT_EQ(r[2], (TagRead{5, "\n[1.5,2.5] [3,4] \n", "", kUnlisted, "/corners", false}));
  EXPECT_EQ(r[3], (TagRead{4, "\n", "", kListed, "resolution", false}));
  EXPECT_EQ(r[4], (TagRead{5, "12.500", "", kUnlisted, "/resolution", false}));
  EXPECT_EQ(r[5], (TagRead{1, "\n", "", kListed, "/geomap", false}));
  EXPECT_EQ(r[6], (TagRead{5, "\n", "", kEnd, "", false}));
}

TEST(TagReader, MatchesNamesIgnoringCaseAndHonoursHighestIndex) {
  auto r = ReadAllThreeWays("<GeoMap><CORNERS></Geomap>");
  EXPECT_EQ(r[0].Result, 0);
  EXPECT_EQ(r[0].Name, "GeoMap");
  EXPECT_EQ(r[1].Result, 3);
  EXPECT_EQ(r[2].Result, 1);
  // Only the first two entries count: "corners" is then unknown and the
  // result is 2.
  r = ReadAllThreeWays("<corners><geomap>", kGeoTags, 1);
  EXPECT_EQ(r[0], (TagRead{2, "", "", kUnlisted, "corners", false}));
  EXPECT_EQ(r[1].Result, 0);
  EXPECT_EQ(r[2], (TagRead{2, "", "", kEnd, "", false}));
  // HighestIx beyond the list is clamped; a negative one leaves no tags.
  r = ReadAllThreeWays("<resolution>", kGeoTags, 40);
  EXPECT_EQ(r[0].Result, 4);
  EXPECT_EQ(r[1].Result, 5);
  r = ReadAllThreeWays("<geomap>", kGeoTags, -1);
  EXPECT_EQ(r[0], (TagRead{0, "", "", kUnlisted, "geomap", false}));
}

TEST(TagReader, QuotedValuesMayHoldAngleBracketsAndTagsMaySpanLines) {
  const auto r = ReadAllThreeWays(
      "<calline type=\"a>b\"\r\n  value='1<2' npoints=\"3\">x</calline>"
      "<symbol name=\"n\" />");
  EXPECT_EQ(r[0], (TagRead{2, "", "type=\"a>b\"   value='1<2' npoints=\"3\"", kListed, "calline",
                           false}));
  EXPECT_EQ(r[1], (TagRead{5, "x", "", kUnlisted, "/calline", false}));
  EXPECT_EQ(r[2], (TagRead{5, "", "name=\"n\"", kUnlisted, "symbol", true}));
  EXPECT_EQ(r[3].Status, kEnd);
}

TEST(TagReader, SkipsCommentsInstructionsAndDeclarationsAndKeepsCData) {
  const auto r = ReadAllThreeWays(
      "a<!-- <geomap> -- still comment --->b<?pi <geomap> ?>c"
      "<!DOCTYPE g [ <!ENTITY e \"<x>\"> ]>d<![CDATA[<geomap> ]] ]>]]>e<geomap/>");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (TagRead{0, "abcd<geomap> ]] ]>e", "", kListed, "geomap", true}));
}

TEST(TagReader, TreatsStrayAngleBracketsAsText) {
  const auto r = ReadAllThreeWays("1 < 2 <= 3 <5 </ x>a</4<geomap>");
  EXPECT_EQ(r[0], (TagRead{0, "1 < 2 <= 3 <5 </ x>a</4", "", kListed, "geomap", false}));
}

TEST(TagReader, NormalisesCrLfInTextAndLineBreaksInAttributes) {
  const auto r = ReadAllThreeWays("x\r\ny\rz\n<calline\na=\"1\"\rb=\"2\">");
  EXPECT_EQ(r[0], (TagRead{2, "x\ny\rz\n", "a=\"1\" b=\"2\"", kListed, "calline", false}));
}

TEST(TagReader, ReportsEndOfInputApartFromUnknownTags) {
  auto r = ReadAllThreeWays("");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0], (TagRead{5, "", "", kEnd, "", false}));
  r = ReadAllThreeWays("tail text");
  EXPECT_EQ(r[0], (TagRead{5, "tail text", "", kEnd, "", false}));
  r = ReadAllThreeWays("<unknown x=\"1\">");
  EXPECT_EQ(r[0], (TagRead{5, "", "x=\"1\"", kUnlisted, "unknown", false}));
  EXPECT_EQ(r[1].Status, kEnd);
  r = ReadAllThreeWays("<");  // a lone '<' at the end is text
  EXPECT_EQ(r[0], (TagRead{5, "<", "", kEnd, "", false}));
}

TEST(TagReader, StopsAtTheEndOfUnterminatedMarkup) {
  const std::array<std::string, 6> inputs = {
      "text<geomap sig=\"x",      // unclosed quote
      "text<geomap",              // unclosed tag
      "text<!-- never closed -",  // unclosed comment
      "text<?xml version",        // unclosed instruction
      "text<![CDATA[abc]]",       // unclosed CDATA
      "text<!DOCTYPE [ > ",       // unclosed declaration subset
  };
  for (const std::string& input : inputs) {
    const auto r = ReadAllThreeWays(input);
    ASSERT_EQ(r.size(), 1u) << input;
    EXPECT_EQ(r[0], (TagRead{5, "text", "", kUnterminated, "", false})) << input;
  }
}

TEST(TagReader, StringReaderStartsAtPositionAndAdvancesPastTag) {
  const std::string s = "<comment>hello</comment><numnnb>5</numnnb>";
  const std::vector<std::string> tags = {"comment", "numnnb"};
  std::string before;
  std::string attr;
  int64_t pos = 25;  // at "<numnnb>"
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, 1, before, attr), 1);
  EXPECT_EQ(pos, 33);
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, 1, before, attr), 2);
  EXPECT_EQ(before, "5");
  pos = -7;  // counts as 1
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, 1, before, attr), 0);
  EXPECT_EQ(pos, 10);
  pos = 1000;  // beyond the end: end of input
  TTagReadInfo info;
  EXPECT_EQ(ReadNextTagInString(s, pos, tags, 1, before, attr, &info), 2);
  EXPECT_EQ(info.Status, kEnd);
  EXPECT_EQ(pos, static_cast<int64_t>(s.size()) + 1);
}

TEST(TagReader, StreamReaderLeavesStreamJustAfterTheTag) {
  // The stream reader reads ahead in chunks; what follows the tag must
  // still be there for line reading, also beyond the first chunk.
  std::string input = std::string(5000, 'x') + "<geomap>first line\nsecond\n";
  TMemoryStream ms;
  ms.Write(input.data(), static_cast<int64_t>(input.size()));
  ms.SetPosition(0);
  std::string before;
  std::string attr;
  EXPECT_EQ(ReadNextTagInStream(ms, kGeoTags, 4, before, attr), 0);
  EXPECT_EQ(before.size(), 5000u);
  EXPECT_EQ(ms.GetPosition(), 5008);
  std::string line;
  ASSERT_TRUE(ReadLnStream(ms, line));
  EXPECT_EQ(line, "first line");
}

TEST(TagReader, StreamReaderStepsBackOnAPipe) {
  // On a pipe the stream can only step back over what it has just read:
  // the tags lie across the 64 KiB read-ahead, so the reader's give-back
  // crosses a refill of it.
  const std::string input =
      "<geomap>" + std::string(65497, 'x') + "<corners a=\"1\">tail\n<resolution>\n";
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::jthread writer([&] {
    for (size_t done = 0; done < input.size();) {
      const ssize_t n = ::write(fds[1], input.data() + done, input.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(fds[1]);
  });
  {
    TFileStream s("/dev/fd/" + std::to_string(fds[0]), TFileMode::fmOpenRead);
    std::string before, attr, line;
    EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr), 0);
    EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr), 3);
    EXPECT_EQ(before, std::string(65497, 'x'));
    EXPECT_EQ(attr, "a=\"1\"");
    ASSERT_TRUE(ReadLnStream(s, line));
    EXPECT_EQ(line, "tail");
    EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr), 4);
    EXPECT_FALSE(s.HasReadError());
  }
  writer.join();
  ::close(fds[0]);
}

}  // namespace

namespace {
// An endless stream of one byte, as a pipe that never closes would be.
class TEndlessStream : public TStream {
 public:
  explicit TEndlessStream(std::string head, char fill) : FHead(std::move(head)), FFill(fill) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    auto* out = static_cast<char*>(Buffer);
    for (int64_t i = 0; i < Count; ++i, ++FPos)
      out[i] = FPos < static_cast<int64_t>(FHead.size()) ? FHead[static_cast<size_t>(FPos)] : FFill;
    return Count < 0 ? 0 : Count;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Origin == TSeekOrigin::soCurrent && FPos + Offset >= 0) FPos += Offset;
    return FPos;
  }
  int64_t GetPosition() const override { return FPos; }
  int64_t GetSize() const override { return INT64_MAX; }
  bool SetSize(int64_t) override { return false; }

 private:
  std::string FHead;
  char FFill;
  int64_t FPos = 0;
};
}  // namespace

TEST(TagReader, StopsAnEndlessInputAtTheReadLimitAsDamaged) {
  // Text without markup never ends: the call stops after kMaxTagReadBytes
  // instead of filling memory forever.
  {
    const std::string head = "<geomap>";
    TEndlessStream s(head, 'x');
    std::string before, attr;
    TTagReadInfo info;
    EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr, &info), 0);
    EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr, &info), 5);
    EXPECT_EQ(info.Status, TTagReadStatus::trsUnterminated);
    EXPECT_TRUE(info.Name.empty());
    EXPECT_TRUE(attr.empty());
    EXPECT_LE(s.GetPosition(), static_cast<int64_t>(head.size()) + kMaxTagReadBytes);
  }
  // Exactly at the limit a tag still ends normally.
  const std::string tail = "<corners>";
  TEndlessStream s(std::string(static_cast<size_t>(kMaxTagReadBytes) - tail.size(), 'x') + tail,
                   'x');
  std::string before, attr;
  TTagReadInfo info;
  EXPECT_EQ(ReadNextTagInStream(s, kGeoTags, 4, before, attr, &info), 3);
  EXPECT_EQ(info.Status, TTagReadStatus::trsListed);
}

}  // namespace zel
