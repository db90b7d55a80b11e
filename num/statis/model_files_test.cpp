// The comment of a PLS model file, from good and damaged files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "num/statis/zel_statis.hpp"

namespace zel {
namespace {

class PLSComment : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir =
        std::filesystem::temp_directory_path() / ("zel_pls_comment_" + std::to_string(::getpid()));
    std::filesystem::create_directories(FDir);
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }

  // Writes text to a file of the test folder and reads its comment.
  int32_t Load(const std::string& text, std::string& comment) {
    const std::string path = (FDir / "model.xml").string();
    std::ofstream(path, std::ios::binary) << text;
    comment = "stale";
    return LoadPLSModelComment(path, comment);
  }

  std::filesystem::path FDir;
};

const std::string kProlog =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- PLS model, ZEL Component Suite -->\r\n";

TEST_F(PLSComment, ReadsTheCommentWithEntitiesAndLineBreaks) {
  std::string c;
  ASSERT_EQ(
      Load(kProlog + "<plsmodel sig=\"ZELCSuite\" vers=\"1.0\" id=\"wheat\">\r\n"
                     "<comment>NIR &lt;1100 nm&gt; &amp; moisture,\r\nr&#233;f &#xE9;t&#233; "
                     "&unknown; &#0; a&b</comment>\r\n<components n=\"3\"/>\r\n</plsmodel>\r\n",
           c),
      kPLSCommentOk);
  // Character references decode as the library's XML writers encode control
  // characters, "&#0;" included.
  using namespace std::string_literals;
  EXPECT_EQ(c, "NIR <1100 nm> & moisture,\nr\u00E9f \u00E9t\u00E9 &unknown; \0 a&b"s);
  // No prolog, single-quoted signature, empty comment element.
  ASSERT_EQ(Load("<plsmodel id='x' sig='ZELCSuite'><comment/></plsmodel>", c), kPLSCommentOk);
  EXPECT_EQ(c, "");
  ASSERT_EQ(Load("<plsmodel sig=\"ZELCSuite\"><comment></comment>", c), kPLSCommentOk);
  EXPECT_EQ(c, "");
  // A comment of exactly the largest size.
  ASSERT_EQ(Load("<plsmodel sig=\"ZELCSuite\"><comment>" +
                     std::string(static_cast<size_t>(kMaxPLSCommentBytes), 'c') + "</comment>",
                 c),
            kPLSCommentOk);
  EXPECT_EQ(c.size(), static_cast<size_t>(kMaxPLSCommentBytes));
}

TEST_F(PLSComment, RejectsMissingForeignAndDamagedFiles) {
  std::string c = "stale";
  EXPECT_EQ(LoadPLSModelComment((FDir / "absent.xml").string(), c), kPLSCommentNoFile);
  EXPECT_EQ(c, "");
  c = "stale";
  EXPECT_EQ(LoadPLSModelComment(FDir.string(), c), kPLSCommentNoFile);  // a directory
  EXPECT_EQ(c, "");
  struct Case {
    std::string text;
    int32_t result;
  };
  const Case cases[] = {
      {"", kPLSCommentNotPLS},
      {kProlog, kPLSCommentNotPLS},
      {"<datatable sig=\"ZELCSuite\"><comment>x</comment>", kPLSCommentNotPLS},
      {"<plsmodel vers=\"1.0\"><comment>x</comment>", kPLSCommentNotPLS},
      {"<plsmodel sig=\"ZELCSuitX\"><comment>x</comment>", kPLSCommentNotPLS},
      {"<plsmodel id='sig=\"ZELCSuite\"'><comment>x</comment>", kPLSCommentNotPLS},
      {"<plsmodel sig=\"ZELCSuite\"/><comment>x</comment>", kPLSCommentNotPLS},
      {"<plsmodel sig=\"ZELCSuite", kPLSCommentNotPLS},
      {"<plsmodel sig=\"ZELCSuite\">", kPLSCommentDamaged},
      {"<plsmodel sig=\"ZELCSuite\"><components/><comment>x</comment>", kPLSCommentDamaged},
      {"<plsmodel sig=\"ZELCSuite\"><comment>cut off", kPLSCommentDamaged},
      {"<plsmodel sig=\"ZELCSuite\"><comment>a <b>bold</b> word</comment>", kPLSCommentDamaged},
      {"<plsmodel sig=\"ZELCSuite\"><comment>x<!-- open", kPLSCommentDamaged},
      {std::string("\0\xff\xfe<plsmodel", 11), kPLSCommentNotPLS},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(Load(k.text, c), k.result) << k.text;
    EXPECT_EQ(c, "") << k.text;
  }
}

TEST_F(PLSComment, HugeFilesCostOnlyTheirHead) {
  std::string c;
  const auto start = std::chrono::steady_clock::now();
  // One line of 8 MiB inside the comment, and one without any tag.
  EXPECT_EQ(
      Load("<plsmodel sig=\"ZELCSuite\"><comment>" + std::string(8u << 20, 'x') + "</comment>", c),
      kPLSCommentDamaged);
  EXPECT_EQ(Load(std::string(8u << 20, 'y'), c), kPLSCommentNotPLS);
  // One byte above the limit.
  EXPECT_EQ(Load("<plsmodel sig=\"ZELCSuite\"><comment>" +
                     std::string(static_cast<size_t>(kMaxPLSCommentBytes) + 1, 'c') + "</comment>",
                 c),
            kPLSCommentDamaged);
  EXPECT_EQ(c, "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_STREQ(PLSCommentStatusText(kPLSCommentDamaged),
               "the comment element is missing, unterminated or too long");
  EXPECT_STREQ(PLSCommentStatusText(kPLSCommentOk), "the comment was read");
  EXPECT_STREQ(PLSCommentStatusText(7), "unknown PLS model file status");
}

}  // namespace
}  // namespace zel
