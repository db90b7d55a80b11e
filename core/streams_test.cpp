#include "core/zel_streams.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>

namespace zel {
namespace {

// A file name in the temporary directory, unique per process, removed when
// the test ends.
class TempFile {
 public:
  explicit TempFile(const std::string& stem)
      : Path((std::filesystem::temp_directory_path() /
              ("zel_streams_" + std::to_string(::getpid()) + "_" + stem))
                 .string()) {
    std::filesystem::remove(Path);
  }
  ~TempFile() { std::filesystem::remove(Path); }
  void WriteRaw(const std::string& bytes) const { std::ofstream(Path, std::ios::binary) << bytes; }
  std::string ReadRaw() const {
    std::ifstream in(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Path;
};

// A pipe whose write end a thread fills with Bytes and closes; Path() names
// the read end as a file, as /dev/stdin names a shell's pipe.
class TFedPipe {
 public:
  explicit TFedPipe(std::string bytes) {
    if (::pipe(FFds) != 0) throw std::runtime_error("pipe");
    FWriter = std::jthread([this, b = std::move(bytes)] {
      size_t done = 0;
      while (done < b.size()) {
        const ssize_t n = ::write(FFds[1], b.data() + done, b.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      ::close(FFds[1]);
    });
  }
  ~TFedPipe() {
    // Drain what no test read, so that the writer can finish.
    char sink[4096];
    while (::read(FFds[0], sink, sizeof sink) > 0) {
    }
    FWriter.join();
    ::close(FFds[0]);
  }
  std::string Path() const { return "/dev/fd/" + std::to_string(FFds[0]); }

 private:
  int FFds[2] = {-1, -1};
  std::jthread FWriter;
};

// Lines "line 0", "line 1", ... of growing length, long enough together to
// pass several 64 KiB buffers.
std::string ManyLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 700), 'x') + "\n";
  return text;
}

// --- TStream, TMemoryStream, TFileStream --------------------------------------

TEST(MemoryStream, ReadsWritesSeeksAndGrowsWithZeros) {
  TMemoryStream ms;
  EXPECT_EQ(ms.Write("abcdef", 6), 6);
  EXPECT_EQ(ms.Seek(-2, TSeekOrigin::soCurrent), 4);
  char buf[8] = {};
  EXPECT_EQ(ms.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(ms.Read(buf, 8), 0);
  EXPECT_EQ(ms.Seek(-1, TSeekOrigin::soBeginning), -1);  // refused, position kept
  EXPECT_EQ(ms.GetPosition(), 6);
  EXPECT_EQ(ms.Seek(2, TSeekOrigin::soEnd), 8);  // beyond the end
  EXPECT_EQ(ms.Read(buf, 1), 0);
  EXPECT_EQ(ms.Write("z", 1), 1);
  EXPECT_EQ(ms.GetSize(), 9);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ms.GetMemory()), 9),
            std::string("abcdef\0\0z", 9));
  EXPECT_TRUE(ms.SetSize(3));
  EXPECT_EQ(ms.GetPosition(), 3);
  EXPECT_FALSE(ms.SetSize(-1));
  EXPECT_THROW(ms.ReadBuffer(buf, 1), EInOutError);
}

TEST(FileStream, RoundTripsThroughTheBufferAcrossSeeksAndLargeWrites) {
  TempFile tmp("fs.bin");
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + 3);
  {
    TFileStream f(tmp.Path, TFileMode::fmCreate);
    EXPECT_EQ(f.Write("head", 4), 4);
    EXPECT_EQ(f.Write(big.data(), static_cast<int64_t>(big.size())),
              static_cast<int64_t>(big.size()));
    EXPECT_EQ(f.GetSize(), 200004);
    f.SetPosition(2);
    EXPECT_EQ(f.Write("AD", 2), 2);  // overwrite inside the written part
    char b[6] = {};
    f.SetPosition(0);
    EXPECT_EQ(f.Read(b, 6), 6);  // must see the buffered overwrite
    EXPECT_EQ(std::string(b, 6), std::string("heAD") + big.substr(0, 2));
    EXPECT_TRUE(f.Flush());
  }
  TFileStream f(tmp.Path, TFileMode::fmOpenRead);
  EXPECT_EQ(f.GetSize(), 200004);
  std::string back(200004, '\0');
  EXPECT_EQ(f.Read(back.data(), 200004), 200004);
  EXPECT_EQ(back, "heAD" + big);
  EXPECT_EQ(f.Read(back.data(), 1), 0);
  EXPECT_EQ(f.Write("x", 1), 0);  // read-only
  EXPECT_FALSE(f.Flush());
}

TEST(FileStream, OpeningFailuresThrowInOutErrorWithErrno) {
  TempFile tmp("missing.bin");
  try {
    TFileStream f(tmp.Path, TFileMode::fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_NE(std::string(e.what()).find("Cannot open file \"" + tmp.Path + "\""),
              std::string::npos);
  }
  EXPECT_THROW(TFileStream(std::filesystem::temp_directory_path().string(), TFileMode::fmOpenRead),
               EInOutError);
  EXPECT_THROW(TFileStream("/nonexistent-dir/x.bin", TFileMode::fmCreate), EInOutError);
}

TEST(FileStream, ReportsWriteFailureOnFullDevice) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TFileStream f("/dev/full", TFileMode::fmOpenWrite);
  EXPECT_EQ(f.Write("abc", 3), 3);  // only buffered so far
  EXPECT_FALSE(f.Flush());
  EXPECT_TRUE(f.HasWriteError());
  std::string big(100000, 'x');
  EXPECT_LT(f.Write(big.data(), 100000), 100000);
  EXPECT_THROW(f.WriteBuffer(big.data(), 100000), EInOutError);
}

TEST(CountFitsInStream, ComparesCountWithRemainingBytesWithoutOverflow) {
  TMemoryStream ms;
  ms.SetSize(100);
  ms.SetPosition(20);
  EXPECT_TRUE(CountFitsInStream(ms, 10, 8));   // 80 of 80
  EXPECT_FALSE(CountFitsInStream(ms, 11, 8));  // 88 of 80
  EXPECT_TRUE(CountFitsInStream(ms, 0, 8));
  EXPECT_FALSE(CountFitsInStream(ms, -1, 8));
  EXPECT_FALSE(CountFitsInStream(ms, 1, 0));
  EXPECT_FALSE(CountFitsInStream(ms, std::numeric_limits<int64_t>::max(), 2));
  EXPECT_FALSE(CountFitsInStream(ms, 2, std::numeric_limits<int64_t>::max()));
  ms.SetPosition(500);  // beyond the end nothing fits
  EXPECT_FALSE(CountFitsInStream(ms, 1, 1));
}

// --- Binary values ------------------------------------------------------------

TEST(StreamValues, WritesLittleEndianLayout) {
  TMemoryStream ms;
  WriteLongIntToStream(ms, -2);
  WriteDoubleToStream(ms, 1.0);
  WriteExtendedToStream(ms, -1.0L);
  ASSERT_EQ(ms.GetSize(), 22);
  const uint8_t expected[22] = {0xFE, 0xFF, 0xFF, 0xFF,                                 // -2
                                0,    0,    0,    0,    0, 0, 0xF0, 0x3F,               // 1.0
                                0,    0,    0,    0,    0, 0, 0,    0x80, 0xFF, 0xBF};  // -1.0L
  for (int i = 0; i < 22; ++i) EXPECT_EQ(ms.GetMemory()[i], expected[i]) << i;
}

TEST(StreamValues, RoundTripsExtremeValuesExactly) {
  const long double exts[] = {0.0L,
                              -0.0L,
                              1.0L / 3.0L,
                              std::numeric_limits<long double>::max(),
                              std::numeric_limits<long double>::denorm_min(),
                              -std::numeric_limits<long double>::infinity(),
                              123456789.123456789012L};
  const int32_t ints[] = {0, 1, -1, INT32_MIN, INT32_MAX};
  TMemoryStream ms;
  for (long double x : exts) ASSERT_TRUE(WriteExtendedToStream(ms, x));
  for (int32_t k : ints) ASSERT_TRUE(WriteLongIntToStream(ms, k));
  ASSERT_TRUE(WriteDoubleToStream(ms, std::numeric_limits<double>::denorm_min()));
  ms.SetPosition(0);
  for (long double x : exts) {
    long double y = 7;
    ASSERT_TRUE(ReadExtendedFromStream(ms, y));
    EXPECT_EQ(y, x);
    EXPECT_EQ(std::signbit(y), std::signbit(x));
  }
  for (int32_t k : ints) {
    int32_t m = 7;
    ASSERT_TRUE(ReadLongIntFromStream(ms, m));
    EXPECT_EQ(m, k);
  }
  double d = 0;
  ASSERT_TRUE(ReadDoubleFromStream(ms, d));
  EXPECT_EQ(d, std::numeric_limits<double>::denorm_min());
  // NaN keeps its bit pattern class.
  ms.Clear();
  WriteExtendedToStream(ms, std::numeric_limits<long double>::quiet_NaN());
  ms.SetPosition(0);
  long double nan = 0;
  ASSERT_TRUE(ReadExtendedFromStream(ms, nan));
  EXPECT_TRUE(std::isnan(nan));
}

TEST(StreamValues, ShortReadsFailAndZeroTheValue) {
  TMemoryStream ms;
  ms.Write("\x01\x02\x03", 3);
  ms.SetPosition(0);
  int32_t k = 5;
  EXPECT_FALSE(ReadLongIntFromStream(ms, k));
  EXPECT_EQ(k, 0);
  ms.SetPosition(0);
  long double x = 5;
  EXPECT_FALSE(ReadExtendedFromStream(ms, x));
  EXPECT_EQ(x, 0.0L);
  double d = 5;
  EXPECT_FALSE(ReadDoubleFromStream(ms, d));
  EXPECT_EQ(d, 0.0);
}

// --- Lines --------------------------------------------------------------------

TEST(StreamLines, AcceptsLfAndCrLfAndALastLineWithoutBreak) {
  const std::string text = "one\r\ntwo\n\nthree\r\nlast";
  TMemoryStream ms;
  ms.Write(text.data(), static_cast<int64_t>(text.size()));
  ms.SetPosition(0);
  std::vector<std::string> lines;
  std::string line;
  while (ReadLnStream(ms, line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three", "last"}));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(ReadLnStream(ms, line));
}

TEST(StreamLines, LeavesStreamJustAfterEachLineForBinaryReads) {
  TMemoryStream ms;
  std::string longLine(1500, 'q');  // longer than the reader's chunk
  WriteLnStream(ms, longLine);
  WriteLongIntToStream(ms, 42);
  WriteLnStream(ms, "tail\r");
  ms.SetPosition(0);
  std::string line;
  ASSERT_TRUE(ReadLnStream(ms, line));
  EXPECT_EQ(line, longLine);
  int32_t k = 0;
  ASSERT_TRUE(ReadLongIntFromStream(ms, k));
  EXPECT_EQ(k, 42);
  ASSERT_TRUE(ReadLnStream(ms, line));
  EXPECT_EQ(line, "tail");
  // A line that is only "\n" at the end is one empty line, then the end.
  ms.Clear();
  WriteLnStream(ms, "");
  ms.SetPosition(0);
  EXPECT_TRUE(ReadLnStream(ms, line));
  EXPECT_FALSE(ReadLnStream(ms, line));
}

// --- TMixedFStream ------------------------------------------------------------

TEST(MixedFStream, RoundTripsEveryRecordKind) {
  TempFile tmp("mixed.bin");
  {
    TMixedFStream f(tmp.Path, TFileMode::fmCreate);
    EXPECT_TRUE(f.WriteInteger(24));
    EXPECT_TRUE(f.WriteLn("TMemBasedLearner/Kovimex"));
    EXPECT_TRUE(f.WriteByte(0xFF));
    EXPECT_TRUE(f.WriteDouble(-2.5e-300));
    EXPECT_TRUE(f.WriteExtended(1.0L / 7.0L));
    EXPECT_TRUE(f.WriteInteger(9));
    EXPECT_TRUE(f.WriteLn("two\nlines"));
    EXPECT_TRUE(f.Flush());
  }
  TMixedFStream f(tmp.Path, TFileMode::fmOpenRead);
  int32_t n = 0;
  std::string s;
  ASSERT_TRUE(f.ReadInteger(n));
  ASSERT_TRUE(f.ReadChars(n, s));
  EXPECT_EQ(s, "TMemBasedLearner/Kovimex");
  ASSERT_TRUE(f.ReadLn(s));  // the rest of the line: empty
  EXPECT_EQ(s, "");
  uint8_t b = 0;
  ASSERT_TRUE(f.ReadByte(b));
  EXPECT_EQ(b, 0xFF);
  double d = 0;
  ASSERT_TRUE(f.ReadDouble(d));
  EXPECT_EQ(d, -2.5e-300);
  long double x = 0;
  ASSERT_TRUE(f.ReadExtended(x));
  EXPECT_EQ(x, 1.0L / 7.0L);
  ASSERT_TRUE(f.ReadInteger(n));
  ASSERT_TRUE(f.ReadChars(n, s));  // a length record keeps embedded line breaks
  EXPECT_EQ(s, "two\nlines");
  ASSERT_TRUE(f.ReadLn(s));
  EXPECT_TRUE(f.Eof());
  EXPECT_FALSE(f.ReadByte(b));
  EXPECT_EQ(b, 0);
}

TEST(MixedFStream, RejectsTruncatedFileAndHugeLengths) {
  TempFile tmp("trunc.bin");
  {
    TMixedFStream f(tmp.Path, TFileMode::fmCreate);
    f.WriteInteger(2000000000);  // a damaged length
    f.WriteDouble(1.0);
    EXPECT_TRUE(f.Flush());
  }
  // Cut the last double in half.
  std::filesystem::resize_file(tmp.Path, 8);
  TMixedFStream f(tmp.Path, TFileMode::fmOpenRead);
  int32_t n = 0;
  ASSERT_TRUE(f.ReadInteger(n));
  std::string s = "old";
  EXPECT_FALSE(f.ReadChars(n, s));  // refused before allocating
  EXPECT_EQ(s, "");
  EXPECT_EQ(f.GetPosition(), 4);  // nothing consumed
  EXPECT_FALSE(f.ReadChars(-1, s));
  double d = 3;
  EXPECT_FALSE(f.ReadDouble(d));
  EXPECT_EQ(d, 0.0);
}

// --- TTextFile ----------------------------------------------------------------

TEST(TextFile, ReadsLinesWordsAndNumbersAcrossLineBreaks) {
  TempFile tmp("text.txt");
  tmp.WriteRaw("1 2\r\n  -3.5e2\t+4\n\"Col A\" word\n12abc 1e999\n  ");
  TTextFile f;
  ASSERT_TRUE(f.Reset(tmp.Path));
  int32_t k = 0;
  double x = 0;
  ASSERT_TRUE(f.ReadInteger(k));
  EXPECT_EQ(k, 1);
  ASSERT_TRUE(f.ReadNumber(x));
  EXPECT_EQ(x, 2.0);
  ASSERT_TRUE(f.ReadNumber(x));
  EXPECT_EQ(x, -350.0);
  ASSERT_TRUE(f.ReadInteger(k));
  EXPECT_EQ(k, 4);
  std::string s;
  ASSERT_TRUE(f.ReadQuotedName(s));
  EXPECT_EQ(s, "Col A");
  ASSERT_TRUE(f.ReadWord(s));
  EXPECT_EQ(s, "word");
  EXPECT_FALSE(f.ReadNumber(x));  // "12abc" is consumed as a failure
  EXPECT_EQ(x, 0.0);
  ASSERT_TRUE(f.ReadNumber(x));  // beyond the double range: a value, not a failure
  EXPECT_EQ(x, std::numeric_limits<double>::infinity());
  EXPECT_FALSE(f.Eof());
  EXPECT_TRUE(f.SeekEof());
  EXPECT_FALSE(f.ReadWord(s));
  EXPECT_FALSE(f.ReadLn(s));
}

TEST(TextFile, LinesEndWithLfOrCrLfAndLastLineNeedsNoBreak) {
  TempFile tmp("lines.txt");
  tmp.WriteRaw("a\r\n\nb\nlast");
  TTextFile f;
  ASSERT_TRUE(f.Reset(tmp.Path));
  std::vector<std::string> lines;
  std::string line;
  while (f.ReadLn(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "last"}));
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.Position(), f.FileSize());
}

TEST(TextFile, RewriteAppendAndCloseReportState) {
  TempFile tmp("out.txt");
  TTextFile f;
  EXPECT_FALSE(f.Reset(tmp.Path));  // missing
  ASSERT_TRUE(f.Append(tmp.Path));  // created
  EXPECT_TRUE(f.WriteLn("first"));
  EXPECT_TRUE(f.Close());
  ASSERT_TRUE(f.Append(tmp.Path));  // kept and extended
  EXPECT_TRUE(f.Write("second"));
  EXPECT_TRUE(f.WriteLn());
  std::string s;
  EXPECT_FALSE(f.ReadLn(s));  // not open for reading
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(tmp.ReadRaw(), "first\nsecond\n");
  ASSERT_TRUE(f.Reset(tmp.Path));
  EXPECT_FALSE(f.WriteLn("x"));      // not open for writing
  ASSERT_TRUE(f.Rewrite(tmp.Path));  // closes and empties
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(tmp.ReadRaw(), "");
  EXPECT_FALSE(f.Rewrite("/nonexistent-dir/x.txt"));
  EXPECT_FALSE(f.IsOpen());
}

TEST(TextFile, CloseReportsAFailedWrite) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TTextFile f;
  ASSERT_TRUE(f.Append("/dev/full"));
  f.WriteLn("lost");
  EXPECT_FALSE(f.Close());
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// --- files read front to back: pipes, FIFOs, /proc, devices ------------------

TEST(SequentialFiles, MemoryStreamLoadsAPipeToItsEnd) {
  const std::string text = ManyLines(600);  // about 215 KB, beyond the pipe's own buffer
  TFedPipe pipe(text);
  TMemoryStream ms;
  ASSERT_TRUE(ms.LoadFromFile(pipe.Path()));
  ASSERT_EQ(ms.GetSize(), static_cast<int64_t>(text.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ms.GetMemory()), text.size()), text);
}

TEST(SequentialFiles, MemoryStreamLoadsProcFilesWhoseSizeIsZero) {
  TMemoryStream ms;
  ASSERT_TRUE(ms.LoadFromFile("/proc/self/status"));
  ASSERT_GT(ms.GetSize(), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ms.GetMemory()), 5), "Name:");
}

TEST(SequentialFiles, MemoryStreamRefusesMoreThanItsBound) {
  TMemoryStream ms;
  ms.Write("keep", 4);
  EXPECT_FALSE(ms.LoadFromFile("/dev/zero", 100000));  // endless: refused at the bound
  EXPECT_EQ(ms.GetSize(), 4);
  TFedPipe pipe(std::string(1000, 'a'));
  EXPECT_FALSE(ms.LoadFromFile(pipe.Path(), 999));
  EXPECT_EQ(ms.GetSize(), 4);
  TempFile tmp("bound.bin");
  tmp.WriteRaw(std::string(1000, 'b'));
  EXPECT_FALSE(ms.LoadFromFile(tmp.Path, 999));
  ASSERT_TRUE(ms.LoadFromFile(tmp.Path, 1000));
  EXPECT_EQ(ms.GetSize(), 1000);
}

TEST(SequentialFiles, MemoryStreamTakesTheLargestBound) {
  TFedPipe pipe(std::string(1000, 'a'));
  TMemoryStream ms;
  ASSERT_TRUE(ms.LoadFromFile(pipe.Path(), std::numeric_limits<int64_t>::max()));
  EXPECT_EQ(ms.GetSize(), 1000);
}

TEST(SequentialFiles, TextFileReadsTheLinesOfAFifo) {
  TempFile fifo("fifo");
  ASSERT_EQ(::mkfifo(fifo.Path.c_str(), 0600), 0);
  std::jthread writer(
      [&] { std::ofstream(fifo.Path, std::ios::binary) << "first line\r\nsecond 2.5\n"; });
  TTextFile f;
  ASSERT_TRUE(f.Reset(fifo.Path));
  EXPECT_TRUE(f.IsSequential());
  std::string line;
  ASSERT_TRUE(f.ReadLn(line));
  EXPECT_EQ(line, "first line");
  ASSERT_TRUE(f.ReadWord(line));
  EXPECT_EQ(line, "second");
  double x = 0;
  ASSERT_TRUE(f.ReadNumber(x));
  EXPECT_EQ(x, 2.5);
  EXPECT_TRUE(f.SeekEof());
  EXPECT_FALSE(f.ReadLn(line));
  EXPECT_FALSE(f.HasReadError());
  writer.join();
}

TEST(SequentialFiles, LinesAcrossBufferRefillsAndSteppingBack) {
  const std::string text = ManyLines(600);
  TFedPipe pipe(text);
  TMixedFStream s(pipe.Path(), TFileMode::fmOpenRead);
  EXPECT_TRUE(s.IsSequential());
  EXPECT_EQ(s.GetSize(), 0);  // not known before the end
  EXPECT_FALSE(s.Eof());      // nor is the end
  std::string line;
  for (int i = 0; i < 600; ++i) {
    ASSERT_TRUE(s.ReadLn(line)) << i;
    ASSERT_EQ(line, "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 700), 'x'))
        << i;
  }
  EXPECT_FALSE(s.ReadLn(line));
  EXPECT_TRUE(s.Eof());
  EXPECT_FALSE(s.HasReadError());
  // Stepping back over what was just read works; bytes long gone cannot be read again.
  EXPECT_EQ(s.Seek(-10, TSeekOrigin::soEnd), -1);  // the size is 0: a target below 0 is refused
  s.SetPosition(static_cast<int64_t>(text.size()) - 4);
  char tail[4];
  EXPECT_EQ(s.Read(tail, 4), 4);
  EXPECT_EQ(std::string(tail, 4), "xxx\n");
  s.SetPosition(10);
  EXPECT_EQ(s.Read(tail, 4), 0);
  EXPECT_TRUE(s.HasReadError());
}

TEST(SequentialFiles, LinesArriveAsTheProducerWritesThem) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::atomic<bool> firstRead{false};
  std::atomic<bool> gaveUp{false};
  std::jthread producer([&] {
    (void)!::write(fds[1], "one\n", 4);
    // The second line only after the first was read (or after 10 s, so that
    // a reader waiting for a full buffer cannot hang the test).
    for (int i = 0; i < 1000 && !firstRead; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    gaveUp = !firstRead;
    (void)!::write(fds[1], "two\n", 4);
    ::close(fds[1]);
  });
  TTextFile f;
  ASSERT_TRUE(f.Reset("/dev/fd/" + std::to_string(fds[0])));
  std::string line;
  ASSERT_TRUE(f.ReadLn(line));
  firstRead = true;
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(f.ReadLn(line));
  EXPECT_EQ(line, "two");
  EXPECT_FALSE(gaveUp);
  producer.join();
  f.Close();
  ::close(fds[0]);
}

TEST(SequentialFiles, CopyFromTakesAPipeWhole) {
  const std::string text = ManyLines(300);
  TFedPipe pipe(text);
  TFileStream source(pipe.Path(), TFileMode::fmOpenRead);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(source, 0), static_cast<int64_t>(text.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.GetMemory()),
                        static_cast<size_t>(copy.GetSize())),
            text);
}

TEST(SequentialFiles, AReadTheSystemRefusesIsAnErrorNotTheEnd) {
  // Opened for reading and writing, a FIFO is not taken sequentially, and
  // pread on it fails (ESPIPE): that must not read as an empty file.
  TempFile fifo("rwfifo");
  ASSERT_EQ(::mkfifo(fifo.Path.c_str(), 0600), 0);
  TFileStream s(fifo.Path, TFileMode::fmOpenReadWrite);  // O_RDWR does not wait for a writer
  EXPECT_FALSE(s.IsSequential());
  char c = 0;
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_TRUE(s.HasReadError());
  TMemoryStream ms;
  ms.Write("x", 1);
  EXPECT_FALSE(ms.LoadFromStream(s));
  EXPECT_EQ(ms.GetSize(), 1);
}

TEST(SequentialFiles, ForwardSeeksSkipBytes) {
  TFedPipe pipe("0123456789abcdef");
  TFileStream s(pipe.Path(), TFileMode::fmOpenRead);
  s.SetPosition(10);
  char buf[6];
  ASSERT_EQ(s.Read(buf, 6), 6);
  EXPECT_EQ(std::string(buf, 6), "abcdef");
  EXPECT_EQ(s.Read(buf, 1), 0);
  EXPECT_FALSE(s.HasReadError());
}

TEST(SequentialFiles, RegularFilesStayRandomAccess) {
  TempFile tmp("regular.txt");
  tmp.WriteRaw("abc");
  TFileStream s(tmp.Path, TFileMode::fmOpenRead);
  EXPECT_FALSE(s.IsSequential());
  EXPECT_EQ(s.GetSize(), 3);
  TempFile empty("empty.txt");
  empty.WriteRaw("");
  TMemoryStream ms;
  ASSERT_TRUE(ms.LoadFromFile(empty.Path));  // an empty file is empty, not an error
  EXPECT_EQ(ms.GetSize(), 0);
}

// --- line lengths ----------------------------------------------------------------

TEST(LineLimits, ReadLnStreamRefusesLinesBeyondTheLimit) {
  TMemoryStream ms;
  const std::string text = "0123456789\r\n0123456789A\nok\n";
  ms.Write(text.data(), static_cast<int64_t>(text.size()));
  ms.SetPosition(0);
  std::string line;
  bool tooLong = true;
  ASSERT_TRUE(ReadLnStream(ms, line, 10, &tooLong));  // the "\r" does not count
  EXPECT_EQ(line, "0123456789");
  EXPECT_FALSE(tooLong);
  EXPECT_FALSE(ReadLnStream(ms, line, 10, &tooLong));
  EXPECT_TRUE(tooLong);
  EXPECT_TRUE(line.empty());
  ms.SetPosition(0);
  ASSERT_TRUE(ReadLnStream(ms, line, -1));  // no limit
  ASSERT_TRUE(ReadLnStream(ms, line, -1));
  EXPECT_EQ(line, "0123456789A");
}

TEST(LineLimits, TextFileStopsAtTheLimitOnAnEndlessDevice) {
  TTextFile f;
  ASSERT_TRUE(f.Reset("/dev/zero"));
  std::string line = "stale";
  EXPECT_FALSE(f.ReadLn(line, 100000));
  EXPECT_TRUE(line.empty());
  EXPECT_TRUE(f.HasReadError());
  TempFile tmp("long.txt");
  tmp.WriteRaw("12345\r\n123456\nnext\n");
  ASSERT_TRUE(f.Reset(tmp.Path));
  EXPECT_FALSE(f.HasReadError());  // cleared by opening
  ASSERT_TRUE(f.ReadLn(line, 5));
  EXPECT_EQ(line, "12345");
  EXPECT_FALSE(f.ReadLn(line, 5));
  EXPECT_TRUE(f.HasReadError());
  EXPECT_EQ(kMaxLineLength, int64_t{1} << 26);
}

}  // namespace
}  // namespace zel
