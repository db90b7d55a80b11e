#include "gui/zel_clipbrd.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

// Each test starts from an empty clipboard without a host.
class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clipboard().ClearHost();
    Clipboard().Clear();
  }
  void TearDown() override {
    Clipboard().ClearHost();
    Clipboard().Clear();
  }
};

TBitmap Picture() {
  TBitmap b(3, 2);
  b.SetPixel(0, 0, clRed);
  b.SetPixel(2, 1, clBlue);
  return b;
}

TEST_F(ClipboardTest, TextAndBitmapRoundTripAndReplaceEachOther) {
  TClipboard& c = Clipboard();
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfText));
  EXPECT_EQ(c.GetAsText(), "");
  c.SetAsText("Gr\u00FC\u00DFe");
  EXPECT_EQ(c.GetAsText(), "Gr\u00FC\u00DFe");
  EXPECT_TRUE(c.HasFormat(TClipboardFormat::cfText));
  c.Assign(Picture());
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfText));
  TBitmap got;
  ASSERT_TRUE(c.GetBitmap(got));
  EXPECT_TRUE(got.SameImage(Picture()));
  c.SetAsText("x");
  EXPECT_FALSE(c.GetBitmap(got));
  // Open ... Close puts several kinds together.
  c.Open();
  c.Assign(Picture());
  c.SetAsText("caption");
  c.Close();
  EXPECT_EQ(c.GetAsText(), "caption");
  EXPECT_TRUE(c.HasFormat(TClipboardFormat::cfBitmap));
  c.Clear();
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfBitmap));
  // An empty bitmap holds nothing.
  c.Assign(TBitmap());
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfBitmap));
}

TEST_F(ClipboardTest, HostReceivesEveryChangeAndAnswersReads) {
  struct TPublished {
    std::optional<std::string> Text;
    bool HasBitmap;
    int32_t Width;
  };
  std::vector<TPublished> published;
  std::string desktopText = "from the desktop";
  bool desktopHasText = true;
  TClipboardHost host;
  host.Publish = [&](const std::optional<std::string>& t, const TBitmap* b) {
    published.push_back({t, b != nullptr, b != nullptr ? b->GetWidth() : 0});
  };
  host.FetchText = [&](std::string& t) {
    if (desktopHasText) t = desktopText;
    return desktopHasText;
  };
  TClipboard& c = Clipboard();
  c.SetHost(host);
  c.SetAsText("mine");
  c.Assign(Picture());
  c.Open();
  c.SetAsText("a");
  c.SetAsText("b");
  EXPECT_EQ(published.size(), 2u);  // nothing while open
  c.Close();
  ASSERT_EQ(published.size(), 3u);
  EXPECT_EQ(published[0].Text, std::optional<std::string>("mine"));
  EXPECT_FALSE(published[0].HasBitmap);
  EXPECT_FALSE(published[1].Text.has_value());
  EXPECT_EQ(published[1].Width, 3);
  EXPECT_EQ(published[2].Text, std::optional<std::string>("b"));
  EXPECT_TRUE(published[2].HasBitmap);
  // Reads ask the desktop; no FetchBitmap: the process keeps the bitmap.
  EXPECT_EQ(c.GetAsText(), "from the desktop");
  desktopHasText = false;
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfText));
  EXPECT_EQ(c.GetAsText(), "");
  TBitmap got;
  EXPECT_TRUE(c.GetBitmap(got));
  // Disconnected: the process content is what the last read left.
  c.ClearHost();
  EXPECT_FALSE(c.HasFormat(TClipboardFormat::cfText));
  EXPECT_TRUE(c.HasFormat(TClipboardFormat::cfBitmap));
}

TEST_F(ClipboardTest, HostBitmapReplacesTheProcessBitmap) {
  TClipboardHost host;
  host.FetchBitmap = [](TBitmap& b) {
    b.SetSize(7, 5);
    return true;
  };
  Clipboard().Assign(Picture());
  Clipboard().SetHost(host);
  TBitmap got;
  ASSERT_TRUE(Clipboard().GetBitmap(got));
  EXPECT_EQ(got.GetWidth(), 7);
  host.FetchBitmap = [](TBitmap&) { return false; };
  Clipboard().SetHost(host);
  EXPECT_FALSE(Clipboard().GetBitmap(got));
  EXPECT_EQ(got.GetWidth(), 7);  // left unchanged
}

}  // namespace
}  // namespace zel
