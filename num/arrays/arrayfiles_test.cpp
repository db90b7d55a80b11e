#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "core/zel_dstruct.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class ArrayFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("zel_arrayfiles_" + std::to_string(::getpid()) + "_" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static Bytes ReadAll(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
  }
  static void WriteAll(const std::string& p, const Bytes& b) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }

  fs::path dir_;
};

// Elements that a careless text or binary codec would not restore exactly.
TDoubleArray Awkward() {
  return {0.1,
          -0.0,
          1e308,
          5e-324,
          std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(),
          1.0 / 3.0,
          -123456789.125};
}

bool SameBits(const TDoubleArray& a, const TDoubleArray& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

const std::string kComment = "line one\nline two\r\n back\\slash \u00B0C \\n";

// ---------------------------------------------------------------------------
// Round trips
// ---------------------------------------------------------------------------

TEST_F(ArrayFiles, TextRoundTripOfEveryRankAndType) {
  std::string c;
  TDoubleArray d1 = Awkward();
  d1.push_back(std::numeric_limits<double>::quiet_NaN());
  ASSERT_EQ(StoreArray(Path("d1"), d1, kComment), kArrayFileOk);
  TDoubleArray r1;
  ASSERT_EQ(LoadArray(Path("d1"), r1, c), kArrayFileOk);
  EXPECT_EQ(c, kComment);
  ASSERT_EQ(r1.size(), d1.size());
  EXPECT_TRUE(SameBits(TDoubleArray(r1.begin(), r1.end() - 1), Awkward()));
  EXPECT_TRUE(std::isnan(r1.back()));

  const TDouble2DArray d2{Awkward(), TDoubleArray(8, 2.5), TDoubleArray(8, -1)};
  ASSERT_EQ(StoreArray(Path("d2"), d2, ""), kArrayFileOk);
  TDouble2DArray r2;
  ASSERT_EQ(LoadArray(Path("d2"), r2, c), kArrayFileOk);
  EXPECT_EQ(c, "");
  ASSERT_EQ(r2.size(), 3u);
  EXPECT_TRUE(SameBits(r2[0], d2[0]));
  EXPECT_EQ(r2[1], d2[1]);

  const TDouble3DArray d3(2, TDouble2DArray(3, TDoubleArray{1.5, -2}));
  const TDouble4DArray d4(1, TDouble3DArray(2, TDouble2DArray(1, TDoubleArray{7, 8, 9})));
  ASSERT_EQ(StoreArray(Path("d3"), d3, "three"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("d4"), d4, false, "four"), kArrayFileOk);
  TDouble3DArray r3;
  TDouble4DArray r4;
  ASSERT_EQ(LoadArray(Path("d3"), r3, c), kArrayFileOk);
  EXPECT_EQ(r3, d3);
  ASSERT_EQ(LoadArray(Path("d4"), r4, c), kArrayFileOk);
  EXPECT_EQ(r4, d4);
  EXPECT_EQ(c, "four");

  const TIntArray i1{std::numeric_limits<int32_t>::min(), -1, 0, 7,
                     std::numeric_limits<int32_t>::max()};
  const TInt2DArray i2{{1, 2}, {3, 4}, {5, 6}};
  const TInt3DArray i3(3, TInt2DArray(1, TIntArray{4, 5, 6, 7}));
  const TInt4DArray i4(2, TInt3DArray(2, TInt2DArray(2, TIntArray{-9, 9})));
  ASSERT_EQ(StoreArray(Path("i1"), i1, "a"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("i2"), i2, "b"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("i3"), i3, "c"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("i4"), i4, "d"), kArrayFileOk);
  TIntArray s1;
  TInt2DArray s2;
  TInt3DArray s3;
  TInt4DArray s4;
  ASSERT_EQ(LoadArray(Path("i1"), s1, c), kArrayFileOk);
  EXPECT_EQ(s1, i1);
  ASSERT_EQ(LoadArray(Path("i2"), s2, c), kArrayFileOk);
  EXPECT_EQ(s2, i2);
  ASSERT_EQ(LoadArray(Path("i3"), s3, c), kArrayFileOk);
  EXPECT_EQ(s3, i3);
  ASSERT_EQ(LoadArray(Path("i4"), s4, c), kArrayFileOk);
  EXPECT_EQ(s4, i4);
  EXPECT_EQ(c, "d");
}

TEST_F(ArrayFiles, BinaryRoundTripOfEveryRankAndType) {
  std::string c;
  const TDouble2DArray d2{Awkward(), Awkward()};
  ASSERT_EQ(SaveBinaryArray(Path("d2"), d2, kComment), kArrayFileOk);
  TDouble2DArray r2;
  ASSERT_EQ(LoadBinaryArray(Path("d2"), r2, c, false), kArrayFileOk);
  EXPECT_TRUE(SameBits(r2[1], d2[1]));
  EXPECT_EQ(c, kComment);
  TDouble2DArray viaLoadArray;  // LoadArray reads the binary format as well
  ASSERT_EQ(LoadArray(Path("d2"), viaLoadArray, c), kArrayFileOk);
  EXPECT_TRUE(SameBits(viaLoadArray[0], d2[0]));

  const TInt2DArray i2{{1, -2, 3}};
  ASSERT_EQ(SaveBinaryArray(Path("i2"), i2, ""), kArrayFileOk);
  TInt2DArray s2;
  ASSERT_EQ(LoadBinaryArray(Path("i2"), s2, c, false), kArrayFileOk);
  EXPECT_EQ(s2, i2);
  EXPECT_EQ(c, "");

  const TDouble3DArray d3(2, TDouble2DArray(2, TDoubleArray{0.25, 1e-300, -7}));
  const TDouble4DArray d4(3, TDouble3DArray(1, TDouble2DArray(2, TDoubleArray{4, 5})));
  ASSERT_EQ(SaveBinaryArray(Path("d3"), d3, "x"), kArrayFileOk);
  ASSERT_EQ(SaveBinaryArray(Path("d4"), d4, "y"), kArrayFileOk);
  TDouble3DArray r3;
  TDouble4DArray r4;
  ASSERT_EQ(LoadBinaryArray(Path("d3"), r3, c, false), kArrayFileOk);
  EXPECT_EQ(r3, d3);
  ASSERT_EQ(LoadBinaryArray(Path("d4"), r4, c, true), kArrayFileOk);
  EXPECT_EQ(r4, d4);

  // StoreArray's binary option for 3-D and 4-D, read by LoadArray.
  const TInt3DArray i3(2, TInt2DArray(2, TIntArray{1, 2, 3}));
  const TInt4DArray i4(1, TInt3DArray(1, TInt2DArray(1, TIntArray{42})));
  ASSERT_EQ(StoreArray(Path("i3"), i3, true, "p"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("i4"), i4, true, "q"), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("d4b"), d4, true, "r"), kArrayFileOk);
  TInt3DArray s3;
  TInt4DArray s4;
  ASSERT_EQ(LoadArray(Path("i3"), s3, c), kArrayFileOk);
  EXPECT_EQ(s3, i3);
  ASSERT_EQ(LoadArray(Path("i4"), s4, c), kArrayFileOk);
  EXPECT_EQ(s4, i4);
  EXPECT_EQ(c, "q");
  ASSERT_EQ(LoadArray(Path("d4b"), r4, c), kArrayFileOk);
  EXPECT_EQ(r4, d4);
  // Both binary writers produce the same file.
  ASSERT_EQ(StoreArray(Path("d4c"), d4, true, "y"), kArrayFileOk);
  EXPECT_EQ(ReadAll(Path("d4c")), ReadAll(Path("d4")));
}

TEST_F(ArrayFiles, BinaryLayoutIsAsDocumented) {
  ASSERT_EQ(SaveBinaryArray(Path("f"), TInt2DArray{{1, 2}, {3, 4}, {5, 6}}, "hi"), kArrayFileOk);
  const Bytes b = ReadAll(Path("f"));
  ASSERT_EQ(b.size(), 48u + 2u + 6u * 4u);
  const Bytes head(b.begin(), b.begin() + 40);
  const Bytes expected = {0x89, 'Z', 'E', 'L', 'A', 'R', 'R', '\n', 1, 0, 0, 0, 2, 0,
                          0,    0,   2,   0,   0,   0,   3,   0,    0, 0, 2, 0, 0, 0,
                          0,    0,   0,   0,   0,   0,   0,   0,    2, 0, 0, 0};
  EXPECT_EQ(head, expected);
  EXPECT_EQ(b[40], 'h');
  const uint32_t headCrc = CalcCRC32(std::span<const uint8_t>(b.data(), 42));
  EXPECT_EQ(b[42] | b[43] << 8 | b[44] << 16 | static_cast<uint32_t>(b[45]) << 24, headCrc);
  EXPECT_EQ(b[46], 1);  // first element, column 0 row 0
  EXPECT_EQ(b[50], 2);  // column 0 row 1
}

TEST_F(ArrayFiles, TextFileWithWindowsLineEndsLoads) {
  ASSERT_EQ(StoreArray(Path("t"), TInt2DArray{{1, 2}, {3, 4}}, "c\nd"), kArrayFileOk);
  Bytes crlf;
  for (uint8_t ch : ReadAll(Path("t"))) {
    if (ch == '\n') crlf.push_back('\r');
    crlf.push_back(ch);
  }
  WriteAll(Path("t"), crlf);
  TInt2DArray a;
  std::string c;
  ASSERT_EQ(LoadArray(Path("t"), a, c), kArrayFileOk);
  EXPECT_EQ(a, (TInt2DArray{{1, 2}, {3, 4}}));
  EXPECT_EQ(c, "c\nd");
}

TEST_F(ArrayFiles, ReadBinaryArrayHeaderSkipsTheElements) {
  ASSERT_EQ(SaveBinaryArray(Path("h"), TDouble3DArray(4, TDouble2DArray(3, TDoubleArray(2))),
                            "header only"),
            kArrayFileOk);
  int32_t d1 = 9, d2 = 9, d3 = 9, d4 = 9, type = 9;
  std::string c = "old";
  ASSERT_EQ(ReadBinaryArrayHeader(Path("h"), d1, d2, d3, d4, c, type), kArrayFileOk);
  EXPECT_EQ(d1, 4);
  EXPECT_EQ(d2, 3);
  EXPECT_EQ(d3, 2);
  EXPECT_EQ(d4, 0);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(c, "header only");
  ASSERT_EQ(SaveBinaryArray(Path("i"), TInt2DArray{{1}}, ""), kArrayFileOk);
  ASSERT_EQ(ReadBinaryArrayHeader(Path("i"), d1, d2, d3, d4, c, type), kArrayFileOk);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(d2, 1);
  // A damaged element is not noticed, a missing one is.
  Bytes b = ReadAll(Path("h"));
  b[70] ^= 0xFF;
  WriteAll(Path("h"), b);
  EXPECT_EQ(ReadBinaryArrayHeader(Path("h"), d1, d2, d3, d4, c, type), kArrayFileOk);
  b.pop_back();
  WriteAll(Path("h"), b);
  EXPECT_EQ(ReadBinaryArrayHeader(Path("h"), d1, d2, d3, d4, c, type), kArrayFileDamaged);
  EXPECT_EQ(d1, 0);
  EXPECT_EQ(c, "");
  ASSERT_EQ(StoreArray(Path("txt"), TIntArray{1}, ""), kArrayFileOk);
  EXPECT_EQ(ReadBinaryArrayHeader(Path("txt"), d1, d2, d3, d4, c, type), kArrayFileNotArrayFile);
}

// ---------------------------------------------------------------------------
// Writers
// ---------------------------------------------------------------------------

TEST_F(ArrayFiles, WritersRejectEmptyAndRaggedArraysAndReportOpenFailure) {
  EXPECT_EQ(StoreArray(Path("e"), TDoubleArray{}, ""), kArrayFileEmpty);
  EXPECT_EQ(StoreArray(Path("e"), TInt2DArray(3), ""), kArrayFileEmpty);
  EXPECT_EQ(SaveBinaryArray(Path("e"), TDouble2DArray{{1, 2}, {3}}, ""), kArrayFileBadShape);
  EXPECT_EQ(StoreArray(Path("e"), TInt3DArray{{{1}}, {{1}, {2}}}, true, ""), kArrayFileBadShape);
  EXPECT_FALSE(fs::exists(Path("e")));
  EXPECT_EQ(StoreArray(Path("missing/dir/f"), TIntArray{1}, ""), kArrayFileCannotOpen);
  EXPECT_EQ(SaveBinaryArray(dir_.string(), TInt2DArray{{1}}, ""),
            kArrayFileCannotOpen);  // a directory
}

// ---------------------------------------------------------------------------
// Hostile files: every failure leaves the destination as it was
// ---------------------------------------------------------------------------

const TDouble2DArray kKeep{{-1, -2}};

TEST_F(ArrayFiles, TruncatedBinaryFileFailsAtEveryLength) {
  ASSERT_EQ(SaveBinaryArray(Path("full"), TDouble2DArray{{1, 2, 3}, {4, 5, 6}}, "abc"),
            kArrayFileOk);
  const Bytes b = ReadAll(Path("full"));
  for (size_t len = 0; len < b.size(); ++len) {
    WriteAll(Path("cut"), Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(len)));
    TDouble2DArray a = kKeep;
    std::string c = "keep";
    EXPECT_EQ(LoadBinaryArray(Path("cut"), a, c, false), kArrayFileDamaged) << len;
    EXPECT_EQ(LoadArray(Path("cut"), a, c), kArrayFileDamaged) << len;
    EXPECT_EQ(a, kKeep);
    EXPECT_EQ(c, "keep");
  }
  Bytes longer = b;
  longer.push_back(0);
  WriteAll(Path("long"), longer);
  TDouble2DArray a = kKeep;
  std::string c;
  EXPECT_EQ(LoadBinaryArray(Path("long"), a, c, true), kArrayFileDamaged);
  EXPECT_EQ(a, kKeep);
}

TEST_F(ArrayFiles, TruncatedTextFileFailsAtEveryLength) {
  ASSERT_EQ(StoreArray(Path("full"), TDouble2DArray{{1.5, 2}, {3, 4}}, "x\ny"), kArrayFileOk);
  const Bytes b = ReadAll(Path("full"));
  for (size_t len = 0; len < b.size(); ++len) {
    WriteAll(Path("cut"), Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(len)));
    TDouble2DArray a = kKeep;
    std::string c = "keep";
    EXPECT_EQ(LoadArray(Path("cut"), a, c), kArrayFileDamaged) << len;
    EXPECT_EQ(a, kKeep);
    EXPECT_EQ(c, "keep");
  }
  Bytes longer = b;
  longer.push_back('\n');
  WriteAll(Path("long"), longer);
  TDouble2DArray a = kKeep;
  std::string c;
  EXPECT_EQ(LoadArray(Path("long"), a, c), kArrayFileDamaged);
}

TEST_F(ArrayFiles, FlippedBytesAreDetected) {
  ASSERT_EQ(SaveBinaryArray(Path("bin"), TDouble2DArray{{1, 2}, {3, 4}}, "cmt"), kArrayFileOk);
  const Bytes b = ReadAll(Path("bin"));
  for (size_t i = 0; i < b.size(); ++i) {
    for (uint8_t mask : {uint8_t{0xFF}, uint8_t{0x01}, uint8_t{0x80}}) {
      Bytes d = b;
      d[i] ^= mask;
      WriteAll(Path("bad"), d);
      TDouble2DArray a = kKeep;
      std::string c = "keep";
      const int32_t expected = i < 8    ? kArrayFileNotArrayFile
                               : i < 12 ? kArrayFileBadVersion
                                        : kArrayFileDamaged;
      EXPECT_EQ(LoadBinaryArray(Path("bad"), a, c, false), expected) << i;
      EXPECT_EQ(a, kKeep);
      EXPECT_EQ(c, "keep");
    }
  }
  ASSERT_EQ(StoreArray(Path("txt"), TDouble2DArray{{1, 2}, {3, 4}}, "cmt"), kArrayFileOk);
  const Bytes t = ReadAll(Path("txt"));
  for (size_t i = 0; i < t.size(); ++i) {
    for (uint8_t mask : {uint8_t{0xFF}, uint8_t{0x01}}) {
      Bytes d = t;
      d[i] ^= mask;
      WriteAll(Path("bad"), d);
      TDouble2DArray a = kKeep;
      std::string c = "keep";
      const int32_t st = LoadArray(Path("bad"), a, c);
      EXPECT_TRUE(st == kArrayFileNotArrayFile || st == kArrayFileBadVersion ||
                  st == kArrayFileDamaged)
          << i << " gave " << st;
      EXPECT_EQ(a, kKeep);
      EXPECT_EQ(c, "keep");
    }
  }
}

TEST_F(ArrayFiles, HeaderCheckOnlySkipsTheElementChecksum) {
  ASSERT_EQ(SaveBinaryArray(Path("f"), TDouble2DArray{{1, 2}}, ""), kArrayFileOk);
  Bytes b = ReadAll(Path("f"));
  b[44 + 7] ^= 0x40;  // sign-and-exponent byte of the first element
  WriteAll(Path("f"), b);
  TDouble2DArray a;
  std::string c;
  EXPECT_EQ(LoadBinaryArray(Path("f"), a, c, false), kArrayFileDamaged);
  ASSERT_EQ(LoadBinaryArray(Path("f"), a, c, true), kArrayFileOk);
  EXPECT_NE(a[0][0], 1.0);
  EXPECT_EQ(a[0][1], 2.0);
}

TEST_F(ArrayFiles, WrongTypeAndWrongRankAreReported) {
  ASSERT_EQ(SaveBinaryArray(Path("d2"), TDouble2DArray{{1}}, ""), kArrayFileOk);
  ASSERT_EQ(StoreArray(Path("i1"), TIntArray{1, 2}, ""), kArrayFileOk);
  TInt2DArray i2{{5}};
  TDouble3DArray d3;
  TDoubleArray d1{5};
  std::string c = "keep";
  EXPECT_EQ(LoadBinaryArray(Path("d2"), i2, c, false), kArrayFileWrongType);
  EXPECT_EQ(LoadBinaryArray(Path("d2"), d3, c, false), kArrayFileWrongRank);
  EXPECT_EQ(LoadArray(Path("d2"), d1, c), kArrayFileWrongRank);
  EXPECT_EQ(LoadArray(Path("i1"), d1, c), kArrayFileWrongType);
  EXPECT_EQ(LoadArray(Path("i1"), i2, c), kArrayFileWrongRank);
  EXPECT_EQ(i2, (TInt2DArray{{5}}));
  EXPECT_EQ(d1, (TDoubleArray{5}));
  EXPECT_EQ(c, "keep");
}

// A binary header with a valid header checksum, followed by `extra` bytes.
Bytes CraftHeader(int32_t version, int32_t type, int32_t rank, std::array<int32_t, 4> dims,
                  size_t extra) {
  Bytes b = {0x89, 'Z', 'E', 'L', 'A', 'R', 'R', '\n'};
  const auto put = [&b](int32_t v) {
    for (int k = 0; k < 4; ++k)
      b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
  };
  put(version);
  put(type);
  put(rank);
  for (int32_t d : dims) put(d);
  put(0);  // no comment
  put(static_cast<int32_t>(CalcCRC32(std::span<const uint8_t>(b.data(), b.size()))));
  b.resize(b.size() + extra, 0);
  return b;
}

TEST_F(ArrayFiles, HostileHeadersFailBeforeAllocating) {
  const int32_t big = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t version, type, rank;
    std::array<int32_t, 4> dims;
    int32_t status;
  };
  const Case cases[] = {
      {1, 1, 2, {big, big, 0, 0}, kArrayFileDamaged},      // 4.6e18 elements in 1 KiB
      {1, 1, 2, {65536, 65536, 0, 0}, kArrayFileDamaged},  // product 2^32, fits int64, not the file
      {1, 1, 2, {-1, 4, 0, 0}, kArrayFileDamaged},
      {1, 1, 2, {0, 4, 0, 0}, kArrayFileDamaged},
      {1, 1, 2, {2, 2, 7, 0}, kArrayFileDamaged},  // a dimension beyond the rank
      {1, 1, 5, {1, 1, 1, 1}, kArrayFileDamaged},
      {1, 1, 0, {0, 0, 0, 0}, kArrayFileDamaged},
      {1, 3, 2, {1, 1, 0, 0}, kArrayFileDamaged},
      {2, 1, 2, {1, 1, 0, 0}, kArrayFileBadVersion},
      {1, 1, 2, {16, 16, 0, 0}, kArrayFileDamaged},  // 256 doubles announced, 128 present
  };
  for (const Case& k : cases) {
    WriteAll(Path("h"), CraftHeader(k.version, k.type, k.rank, k.dims, 1028));
    TDouble2DArray a = kKeep;
    std::string c = "keep";
    EXPECT_EQ(LoadBinaryArray(Path("h"), a, c, false), k.status) << k.dims[0] << " " << k.rank;
    EXPECT_EQ(a, kKeep);
    int32_t d1, d2, d3, d4, t;
    EXPECT_EQ(ReadBinaryArrayHeader(Path("h"), d1, d2, d3, d4, c, t), k.status);
  }
  // A product beyond 64 bits.
  WriteAll(Path("h4"), CraftHeader(1, 1, 4, {big, big, big, big}, 1028));
  TDouble4DArray a4(1, TDouble3DArray(1, TDouble2DArray(1, TDoubleArray{3})));
  const TDouble4DArray keep4 = a4;
  std::string c4;
  EXPECT_EQ(LoadBinaryArray(Path("h4"), a4, c4, false), kArrayFileDamaged);
  EXPECT_EQ(a4, keep4);
  // The same header with exactly the announced 128 elements and checksum loads.
  Bytes ok = CraftHeader(1, 1, 2, {16, 8, 0, 0}, 0);
  const Bytes zeros(1024, 0);
  ok.insert(ok.end(), zeros.begin(), zeros.end());
  const uint32_t crc = CalcCRC32(std::span<const uint8_t>(zeros.data(), zeros.size()));
  for (int k = 0; k < 4; ++k) ok.push_back(static_cast<uint8_t>(crc >> (8 * k)));
  WriteAll(Path("ok"), ok);
  TDouble2DArray a;
  std::string c;
  ASSERT_EQ(LoadBinaryArray(Path("ok"), a, c, false), kArrayFileOk);
  EXPECT_EQ(a.size(), 16u);
  EXPECT_EQ(a[15].size(), 8u);
}

// Values out of the double range are numbers, not damage.
TEST_F(ArrayFiles, TextValuesBeyondTheDoubleRangeReadAsInfinityOrZero) {
  const std::string all = "ZELARRAY-TEXT 1\ndouble 1 4\ncomment \n1e-400 -1e-400 1e400 -2E999\n";
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", CalcCRC32(std::string_view(all)));
  const std::string s = all + "crc32 " + hex + "\n";
  WriteAll(Path("t"), Bytes(s.begin(), s.end()));
  TDoubleArray a;
  std::string c;
  ASSERT_EQ(LoadArray(Path("t"), a, c), kArrayFileOk);
  const double inf = std::numeric_limits<double>::infinity();
  ASSERT_EQ(a, (TDoubleArray{0, 0, inf, -inf}));
  EXPECT_FALSE(std::signbit(a[0]));
  EXPECT_TRUE(std::signbit(a[1]));
}

// A pipe has no size and cannot seek: the readers take it through memory.
TEST_F(ArrayFiles, ReadersTakePipes) {
  const auto viaPipe = [](const Bytes& bytes, auto&& read) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    std::jthread writer([&] {
      for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fds[1], bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      ::close(fds[1]);
    });
    const int32_t status = read("/dev/fd/" + std::to_string(fds[0]));
    writer.join();
    ::close(fds[0]);
    return status;
  };
  TDouble2DArray big(3, TDoubleArray(30000));
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < big[i].size(); ++j)
      big[i][j] = 1.0 / static_cast<double>(i * 40000 + j + 1);
  ASSERT_EQ(StoreArray(Path("t"), big, "text"), kArrayFileOk);
  ASSERT_EQ(SaveBinaryArray(Path("b"), big, "binary"), kArrayFileOk);
  for (const char* name : {"t", "b"}) {
    TDouble2DArray a;
    std::string c;
    EXPECT_EQ(
        viaPipe(ReadAll(Path(name)), [&](const std::string& p) { return LoadArray(p, a, c); }),
        kArrayFileOk)
        << name;
    EXPECT_EQ(a, big) << name;
  }
  int32_t d1 = 0, d2 = 0, d3 = 0, d4 = 0, type = 0;
  std::string c;
  EXPECT_EQ(viaPipe(ReadAll(Path("b")),
                    [&](const std::string& p) {
                      return ReadBinaryArrayHeader(p, d1, d2, d3, d4, c, type);
                    }),
            kArrayFileOk);
  EXPECT_EQ(d1, 3);
  EXPECT_EQ(d2, 30000);
  EXPECT_EQ(c, "binary");
  // A truncated stream is damage, as for a file.
  Bytes cut = ReadAll(Path("b"));
  cut.resize(cut.size() - 1);
  TDouble2DArray keep = {{1}};
  EXPECT_EQ(viaPipe(cut, [&](const std::string& p) { return LoadBinaryArray(p, keep, c, false); }),
            kArrayFileDamaged);
  EXPECT_EQ(keep, (TDouble2DArray{{1}}));
}

TEST_F(ArrayFiles, HostileTextHeaders) {
  const auto text = [](const std::string& body) {
    const std::string all = "ZELARRAY-TEXT 1\n" + body;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", CalcCRC32(std::string_view(all)));
    const std::string s = all + "crc32 " + hex + "\n";
    return Bytes(s.begin(), s.end());
  };
  struct Case {
    std::string body;
    int32_t status;
  };
  const Case cases[] = {
      {"double 2 2147483647 2147483647\ncomment \n1 2\n", kArrayFileDamaged},
      {"double 2 -1 2\ncomment \n", kArrayFileDamaged},
      {"double 2 1 2\ncomment \n1 2 3\n", kArrayFileDamaged},   // too many values
      {"double 2 1 2\ncomment \n1 x\n", kArrayFileDamaged},     // not a number
      {"double 2 1 2\ncomment \\q\n1 2\n", kArrayFileDamaged},  // unknown escape
      {"double 2 2 1\ncomment \n1\n", kArrayFileDamaged},       // a line missing
      {"float 2 1 2\ncomment \n1 2\n", kArrayFileDamaged},
      {"double 2 1 2\ncomment \n1 2\n", kArrayFileOk},
      {"int 2 1 2\ncomment \n1 2\n", kArrayFileWrongType},
      {"double 3 1 1 2\ncomment \n1 2\n", kArrayFileWrongRank},
  };
  for (const Case& k : cases) {
    WriteAll(Path("t"), text(k.body));
    TDouble2DArray a = kKeep;
    std::string c = "keep";
    EXPECT_EQ(LoadArray(Path("t"), a, c), k.status) << k.body;
    if (k.status != 0) {
      EXPECT_EQ(a, kKeep);
    }
  }
  WriteAll(Path("v"),
           Bytes{'Z', 'E', 'L', 'A', 'R', 'R', 'A', 'Y', '-', 'T', 'E', 'X', 'T', ' ', '2', '\n'});
  TDouble2DArray a;
  std::string c;
  EXPECT_EQ(LoadArray(Path("v"), a, c), kArrayFileBadVersion);
  WriteAll(Path("n"), Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_EQ(LoadArray(Path("n"), a, c), kArrayFileNotArrayFile);
  EXPECT_EQ(LoadArray(Path("does-not-exist"), a, c), kArrayFileCannotOpen);
  EXPECT_EQ(LoadBinaryArray(Path("n"), a, c, false), kArrayFileNotArrayFile);
}

}  // namespace
}  // namespace zel
