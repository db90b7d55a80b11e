#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gui/zel_clipbrd.hpp"
#include "gui/zel_graphics.hpp"
#include "gui/zel_imagefiles.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

namespace fs = std::filesystem;

class SaveArrayAsImgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("zel_arrayimage_" + std::to_string(::getpid()) + "_" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

// 3 columns x 2 rows of distinct colours.
const TInt2DArray kColors{{0x0000FF, 0x00FF00}, {0xFF0000, 0x123456}, {0xFFFFFF, 0x000000}};

void ExpectPixels(const TBitmap& bmp, const TInt2DArray& a, int32_t m) {
  ASSERT_EQ(bmp.GetWidth(), static_cast<int32_t>(a.size()) * m);
  ASSERT_EQ(bmp.GetHeight(), static_cast<int32_t>(a[0].size()) * m);
  for (int32_t y = 0; y < bmp.GetHeight(); ++y)
    for (int32_t x = 0; x < bmp.GetWidth(); ++x)
      ASSERT_EQ(bmp.GetPixel(x, y), a[static_cast<size_t>(x / m)][static_cast<size_t>(y / m)])
          << x << "," << y;
}

TEST_F(SaveArrayAsImgTest, ArgumentChecks) {
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), kColors, 0), kArrayImageBadMagnification);
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), kColors, 11), kArrayImageBadMagnification);
  EXPECT_EQ(SaveArrayAsImg(Path("a.gif"), kColors, 1), kArrayImageBadExtension);
  EXPECT_EQ(SaveArrayAsImg(Path("a.jpeg"), kColors, 1), kArrayImageBadExtension);
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), TInt2DArray{}, 1), kArrayImageBadArray);
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), TInt2DArray(2), 1), kArrayImageBadArray);
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), TInt2DArray{{1}, {1, 2}}, 1), kArrayImageBadArray);
  // 33000 x 33000 pixels exceed the bitmap's 2^30.
  EXPECT_EQ(SaveArrayAsImg(Path("a.bmp"), TInt2DArray(3300, TIntArray(3300, 0)), 10),
            kArrayImageBadArray);
  EXPECT_FALSE(fs::exists(Path("a.bmp")));
}

TEST_F(SaveArrayAsImgTest, TakesTheExtensionByTheImageWritersRule) {
  // Names whose last component starts with a dot, or ends in one: refused
  // exactly when the extension is not one of the three, never written in a
  // format the check did not allow, never failing after the check.
  struct TCase {
    const char* Name;
    int32_t Result;
    const char* Magic;  // first bytes written, "" for none
  };
  const TCase cases[] = {
      {".jpeg", kArrayImageBadExtension, ""},   {".gif", kArrayImageBadExtension, ""},
      {".JPG", kArrayImageOk, "\xFF\xD8"},      {".png", kArrayImageOk, "\x89P"},
      {"x.", kArrayImageBadExtension, ""},      {"a.b.BMP", kArrayImageOk, "BM"},
      {"d.png.dir/plain", kArrayImageOk, "BM"}, {"x.jpeg", kArrayImageBadExtension, ""},
      {"x.dib", kArrayImageBadExtension, ""},
  };
  fs::create_directories(Path("d.png.dir"));
  for (const TCase& c : cases) {
    EXPECT_EQ(SaveArrayAsImg(Path(c.Name), kColors, 1), c.Result) << c.Name;
    const std::string magic = c.Magic;
    EXPECT_EQ(fs::exists(Path(c.Name)), !magic.empty()) << c.Name;
    if (magic.empty()) continue;
    std::ifstream f(Path(c.Name), std::ios::binary);
    std::string head(magic.size(), '\0');
    f.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, magic) << c.Name;
  }
  // The rule itself, shared with TBitmap::SaveToFile.
  EXPECT_EQ(ImageFileExtension("dir/.GIF"), ".gif");
  EXPECT_EQ(ImageFileExtension("a.b/c"), "");
  EXPECT_EQ(ImageFileExtension("x."), ".");
  EXPECT_EQ(FormatFromFileName("dir/.jpeg"), TImageFileFormat::iffJPEG);
  EXPECT_EQ(FormatFromFileName("x."), TImageFileFormat::iffUnknown);
}

TEST_F(SaveArrayAsImgTest, LosslessFormatsRoundTripEveryPixel) {
  for (const char* name : {"m.bmp", "m.png", "m.PNG", "noext"}) {
    ASSERT_EQ(SaveArrayAsImg(Path(name), kColors, 3), kArrayImageOk) << name;
    TBitmap bmp;
    bmp.LoadFromFile(Path(name));
    ExpectPixels(bmp, kColors, 3);
  }
  std::ifstream f(Path("noext"), std::ios::binary);
  char magic[2] = {};
  f.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "BM");
}

TEST_F(SaveArrayAsImgTest, JpegKeepsSizeAndApproximateColours) {
  TInt2DArray a(4, TIntArray(4, 0x2040C0));
  ASSERT_EQ(SaveArrayAsImg(Path("j.jpg"), a, 8), kArrayImageOk);
  TBitmap bmp;
  bmp.LoadFromFile(Path("j.jpg"));
  ASSERT_EQ(bmp.GetWidth(), 32);
  ASSERT_EQ(bmp.GetHeight(), 32);
  const TColor p = bmp.GetPixel(16, 16);
  EXPECT_NEAR(p & 0xFF, 0xC0, 6);
  EXPECT_NEAR((p >> 8) & 0xFF, 0x40, 6);
  EXPECT_NEAR((p >> 16) & 0xFF, 0x20, 6);
}

TEST_F(SaveArrayAsImgTest, SystemColoursAreResolved) {
  const TColor system = static_cast<TColor>(0xFF000005u);  // window background
  const TInt2DArray a{{system, 0x11223344}};
  ASSERT_EQ(SaveArrayAsImg(Path("s.png"), a, 1), kArrayImageOk);
  TBitmap bmp;
  bmp.LoadFromFile(Path("s.png"));
  EXPECT_EQ(bmp.GetPixel(0, 0), ColorToRGB(system));
  EXPECT_EQ(bmp.GetPixel(0, 1), 0x223344);  // other high bytes ignored
}

TEST_F(SaveArrayAsImgTest, EmptyNameGoesToTheClipboard) {
  Clipboard().Clear();
  ASSERT_EQ(SaveArrayAsImg("", kColors, 2), kArrayImageOk);
  TBitmap bmp;
  ASSERT_TRUE(Clipboard().GetBitmap(bmp));
  ExpectPixels(bmp, kColors, 2);
  Clipboard().Clear();
}

TEST_F(SaveArrayAsImgTest, WriteFailureIsReported) {
  EXPECT_EQ(SaveArrayAsImg(Path("missing/dir/x.png"), kColors, 1), kArrayImageWriteFailed);
  // A folder, no file name.
  EXPECT_EQ(SaveArrayAsImg(dir_.string() + "/", kColors, 1), kArrayImageWriteFailed);
}

}  // namespace
}  // namespace zel
