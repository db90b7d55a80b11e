#include "core/zel_filesys.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace zel {
namespace {

std::string TempPath(const std::string& stem) {
  return (std::filesystem::temp_directory_path() /
          ("zel_filesys_" + std::to_string(::getpid()) + "_" + stem))
      .string();
}

// Writes Bytes to a fresh temporary file and reads its ASC header.
int32_t HeaderOf(const std::string& bytes, TAscHeader& h) {
  const std::string path = TempPath("h.asc");
  std::ofstream(path, std::ios::binary) << bytes;
  const int32_t rc = ReadHeaderOfASC(path, h);
  std::filesystem::remove(path);
  return rc;
}

const std::string kFlags =
    "FALSE TRUE false True\t;row attributes, column names, row names, nominal variables\n";

TEST(AscHeader, ReadsTheHeaderTheVectorExportWrites) {
  TAscHeader h;
  ASSERT_EQ(
      HeaderOf(
          "Exported by ZEL TVector component: v.asc\r\n1\t;nr. of columns\r\n3\t;nr. of rows\r\n" +
              kFlags + "1.5\n2.5\n3.5\n",
          h),
      kAscOk);
  EXPECT_EQ(h.Comment, "Exported by ZEL TVector component: v.asc");
  EXPECT_EQ(h.NrOfColumns, 1);
  EXPECT_EQ(h.NrOfRows, 3);
  EXPECT_FALSE(h.RowAttributes);
  EXPECT_TRUE(h.ColumnNames);
  EXPECT_FALSE(h.RowNames);
  EXPECT_TRUE(h.NominalVars);
  // The flat-argument form gives the same.
  const std::string path = TempPath("flat.asc");
  std::ofstream(path, std::ios::binary) << "c\n  2\n0 ;none\nTRUE TRUE TRUE FALSE";
  std::string comment;
  int32_t cols = -1;
  int32_t rows = -1;
  bool f[4] = {false, false, false, true};
  EXPECT_EQ(ReadHeaderOfASC(path, comment, cols, rows, f[0], f[1], f[2], f[3]), kAscOk);
  EXPECT_EQ(comment, "c");
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(rows, 0);
  EXPECT_TRUE(f[0] && f[1] && f[2] && !f[3]);
  std::filesystem::remove(path);
}

TEST(AscHeader, ReadsAMissingFourthFlagAsFalse) {
  TAscHeader h;
  ASSERT_EQ(HeaderOf("c\n2\n1\nFALSE TRUE TRUE\t;row attributes, column names, row names\n"
                     "x   y\n1\t2\n",
                     h),
            kAscOk);
  EXPECT_FALSE(h.RowAttributes);
  EXPECT_TRUE(h.ColumnNames);
  EXPECT_TRUE(h.RowNames);
  EXPECT_FALSE(h.NominalVars);
  EXPECT_EQ(HeaderOf("c\n2\n1\nTRUE TRUE TRUE\n1 2\n", h), kAscOk);
  EXPECT_FALSE(h.NominalVars);
}

TEST(AscHeader, ReturnsOneCodePerFailingLineAndClearsOutputs) {
  TAscHeader h;
  EXPECT_EQ(ReadHeaderOfASC(TempPath("does-not-exist.asc"), h), kAscCannotRead);
  EXPECT_EQ(HeaderOf("", h), kAscCannotRead);
  EXPECT_EQ(HeaderOf("comment only", h), kAscBadColumnCount);
  EXPECT_EQ(HeaderOf("c\nx\t;nr. of columns\n", h), kAscBadColumnCount);
  EXPECT_EQ(HeaderOf("c\n-1\n1\n" + kFlags, h), kAscBadColumnCount);
  EXPECT_EQ(HeaderOf("c\n1 columns\n1\n" + kFlags, h),
            kAscBadColumnCount);  // no ';' before the remark
  EXPECT_EQ(HeaderOf("c\n99999999999\n1\n" + kFlags, h), kAscBadColumnCount);
  EXPECT_EQ(HeaderOf("c\n1\n", h), kAscBadRowCount);
  EXPECT_EQ(HeaderOf("c\n1\n2.5\n" + kFlags, h), kAscBadRowCount);
  EXPECT_EQ(HeaderOf("c\n1\n1\n", h), kAscBadFlags);
  EXPECT_EQ(HeaderOf("c\n1\n1\nTRUE FALSE\n", h), kAscBadFlags);
  EXPECT_EQ(HeaderOf("c\n1\n1\nTRUE FALSE FALSE YES\n", h), kAscBadFlags);
  EXPECT_EQ(HeaderOf("c\n1\n1\nTRUE FALSE FALSE FALSE FALSE\n", h), kAscBadFlags);
  // Outputs of a failed read are the neutral values, not what was parsed.
  EXPECT_EQ(h.Comment, "");
  EXPECT_EQ(h.NrOfColumns, 0);
  EXPECT_EQ(h.NrOfRows, 0);
  EXPECT_FALSE(h.RowAttributes);
}

TEST(AscHeader, RejectsRowCountsTheFileCannotHold) {
  TAscHeader h;
  const std::string head = "c\n2\n";
  // 3 rows x 2 cells need at least 6 bytes after the header.
  EXPECT_EQ(HeaderOf(head + "3\n" + kFlags + "1 2\n3 4\n5", h), kAscOk);
  EXPECT_EQ(HeaderOf(head + "3\n" + kFlags + "1 2\n", h), kAscBadRowCount);
  EXPECT_EQ(HeaderOf(head + "2000000000\n" + kFlags, h), kAscBadRowCount);
  EXPECT_EQ(h.NrOfRows, 0);
}

TEST(AscHeader, StreamFormLeavesStreamAtTheBody) {
  const std::string text = "c\n1\n2\n" + kFlags + "7\n8\n";
  TMemoryStream ms;
  ms.Write(text.data(), static_cast<int64_t>(text.size()));
  ms.SetPosition(0);
  TAscHeader h;
  ASSERT_EQ(ReadHeaderOfASC(ms, h), kAscOk);
  EXPECT_EQ(h.NrOfRows, 2);
  std::string line;
  ASSERT_TRUE(ReadLnStream(ms, line));
  EXPECT_EQ(line, "7");
  ms.SetPosition(static_cast<int64_t>(text.size()));
  EXPECT_EQ(ReadHeaderOfASC(ms, h), kAscCannotRead);
}

TEST(AscHeader, RefusesOverlongLinesWithTheCodeOfTheLine) {
  TAscHeader h;
  // A device without line breaks is refused after one line's limit, not
  // read until memory runs out.
  EXPECT_EQ(ReadHeaderOfASC("/dev/zero", h), kAscCannotRead);
  const std::string longLine(static_cast<size_t>(kMaxAscHeaderLineLength) + 1, ' ');
  EXPECT_EQ(HeaderOf(longLine + "\n1\n1\n" + kFlags + "5\n", h), kAscCannotRead);
  EXPECT_EQ(HeaderOf("c\n1" + longLine + "\n1\n" + kFlags + "5\n", h), kAscBadColumnCount);
  EXPECT_EQ(HeaderOf("c\n1\n1" + longLine + "\n" + kFlags + "5\n", h), kAscBadRowCount);
  EXPECT_EQ(HeaderOf("c\n1\n1\nTRUE TRUE TRUE TRUE" + longLine + "\n5\n", h), kAscBadFlags);
  // Up to the limit is fine (blanks after a count are allowed).
  const std::string fits(static_cast<size_t>(kMaxAscHeaderLineLength) - 1, ' ');
  EXPECT_EQ(HeaderOf("c\n1" + fits + "\n1\n" + kFlags + "5\n", h), kAscOk);
}

TEST(AscHeader, ReadsFromAFifoWithoutTheSizeCheck) {
  const std::string path = TempPath("fifo.asc");
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  std::jthread writer([&] {
    std::ofstream(path, std::ios::binary) << "c\n1\n3\n" << kFlags << "1\n2\n3\n";
  });
  TTextFile f;
  ASSERT_TRUE(f.Reset(path));
  TAscHeader h;
  EXPECT_EQ(ReadHeaderOfASC(f, h), kAscOk);  // the file form would have to open the FIFO twice
  EXPECT_EQ(h.NrOfRows, 3);
  std::string word;
  ASSERT_TRUE(f.ReadWord(word));
  EXPECT_EQ(word, "1");
  f.Close();
  writer.join();
  std::filesystem::remove(path);
}

TEST(TextFileHelpers, ReadsWordsAndAppendsLines) {
  const std::string path = TempPath("words.txt");
  std::filesystem::remove(path);
  ASSERT_TRUE(AppendToTextFile(path, "NAN\t###  1.5"));
  ASSERT_TRUE(AppendToTextFile(path, "last"));
  TTextFile f;
  ASSERT_TRUE(f.Reset(path));
  std::vector<std::string> words;
  std::string w;
  while (ReadNextWordInTextFile(f, w)) words.push_back(w);
  EXPECT_EQ(words, (std::vector<std::string>{"NAN", "###", "1.5", "last"}));
  EXPECT_EQ(w, "");
  f.Close();
  std::filesystem::remove(path);
  EXPECT_FALSE(AppendToTextFile("/nonexistent-dir/x.txt", "x"));
  EXPECT_FALSE(AppendToTextFile(std::filesystem::temp_directory_path().string(), "x"));
}

TEST(FileNames, StripPathAndExtensionTakeTheLastComponent) {
  EXPECT_EQ(StripPath("/maps/vienna.png"), "vienna.png");
  EXPECT_EQ(StripPath("C:\\maps\\a.png"), "a.png");
  EXPECT_EQ(StripPath("plain"), "plain");
  EXPECT_EQ(StripPath("/maps/"), "");
  EXPECT_EQ(StripExtension("/maps/vienna.v2.png"), "/maps/vienna.v2");
  EXPECT_EQ(StripExtension("/a.b/c"), "/a.b/c");
  EXPECT_EQ(StripExtension("dir\\x.y\\name"), "dir\\x.y\\name");
  EXPECT_EQ(StripExtension(".profile"), ".profile");
  EXPECT_EQ(StripExtension("/home/.profile"), "/home/.profile");
  EXPECT_EQ(StripExtension("name."), "name");
  EXPECT_EQ(StripExtension(""), "");
}

}  // namespace
}  // namespace zel
