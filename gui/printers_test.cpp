#include "gui/zel_printers.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace zel {
namespace {

namespace fs = std::filesystem;

class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() /
           ("zel_printer_" + std::to_string(::getpid()) + "_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(FDir);
    fs::create_directories(FDir);
    P.SetFileNamePrefix((FDir / "doc").string());
    P.SetResolution(36);
  }
  void TearDown() override { fs::remove_all(FDir); }
  fs::path FDir;
  TPrinter P;
};

TEST_F(PrinterTest, PageSizeFollowsPaperResolutionAndOrientation) {
  TPrinter p;
  EXPECT_EQ(p.GetPageWidth(), 1240);  // A4 at 150 ppi
  EXPECT_EQ(p.GetPageHeight(), 1754);
  p.SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_EQ(p.GetPageWidth(), 1754);
  p.SetResolution(100000);
  EXPECT_EQ(p.GetResolution(), 600);
  p.SetPaperSize(25.4, -3);
  EXPECT_EQ(p.GetPaperHeightMM(), 1.0);
  EXPECT_EQ(p.GetPageHeight(), 600);
  EXPECT_EQ(p.PageFileName(7), "printout-007.png");
  EXPECT_EQ(p.PageFileName(1234), "printout-1234.png");
}

TEST_F(PrinterTest, WritesEachPageAsPng) {
  const int32_t w = P.GetPageWidth(), h = P.GetPageHeight();  // 298 x 421
  EXPECT_EQ(w, 298);
  P.BeginDoc();
  EXPECT_TRUE(P.GetPrinting());
  EXPECT_THROW(P.BeginDoc(), EPrinter);
  EXPECT_THROW(P.SetResolution(72), EPrinter);
  P.GetCanvas().GetBrush().SetColor(clRed);
  P.GetCanvas().FillRect({0, 0, 10, 10});
  P.NewPage();
  EXPECT_EQ(P.GetPageNumber(), 2);
  EXPECT_EQ(P.GetPage().GetPixel(0, 0), clWhite);  // a fresh page
  P.GetCanvas().FillRect({w - 10, h - 10, w, h});  // brush carries over
  P.EndDoc();
  EXPECT_FALSE(P.GetPrinting());
  ASSERT_EQ(P.GetPageFiles().size(), 2u);
  EXPECT_EQ(P.GetPageFiles()[1], (FDir / "doc-002.png").string());
  TBitmap one, two;
  one.LoadFromFile(P.GetPageFiles()[0]);
  two.LoadFromFile(P.GetPageFiles()[1]);
  EXPECT_EQ(one.GetWidth(), w);
  EXPECT_EQ(one.GetHeight(), h);
  EXPECT_EQ(one.GetPixel(5, 5), clRed);
  EXPECT_EQ(one.GetPixel(w - 5, h - 5), clWhite);
  EXPECT_EQ(two.GetPixel(w - 5, h - 5), clRed);
  EXPECT_EQ(two.GetPixel(5, 5), clWhite);
  EXPECT_THROW(P.NewPage(), EPrinter);
  EXPECT_THROW(P.EndDoc(), EPrinter);
}

TEST_F(PrinterTest, AbortAndPageHookSkipFiles) {
  int seen = 0;
  P.OnPage = [&](TObject*, int32_t page, const TBitmap& bmp, bool& write) {
    ++seen;
    EXPECT_EQ(bmp.GetWidth(), P.GetPageWidth());
    write = page != 1;
  };
  P.BeginDoc();
  P.NewPage();
  P.NewPage();
  P.Abort();
  EXPECT_TRUE(P.GetAborted());
  EXPECT_FALSE(P.GetPrinting());
  EXPECT_EQ(seen, 2);
  ASSERT_EQ(P.GetPageFiles().size(), 1u);
  EXPECT_TRUE(fs::exists(FDir / "doc-002.png"));
  EXPECT_FALSE(fs::exists(FDir / "doc-001.png"));
  EXPECT_FALSE(fs::exists(FDir / "doc-003.png"));
}

TEST_F(PrinterTest, UnwritablePageEndsTheDocument) {
  P.SetFileNamePrefix((FDir / "missing" / "doc").string());
  P.BeginDoc();
  EXPECT_THROW(P.EndDoc(), EInOutError);
  EXPECT_FALSE(P.GetPrinting());
  EXPECT_TRUE(P.GetAborted());
  EXPECT_TRUE(P.GetPageFiles().empty());
}

}  // namespace
}  // namespace zel
