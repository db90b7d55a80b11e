#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/zel_random.hpp"
#include "map/geomap/zel_landmarks.hpp"

namespace zel {
namespace {

// Landmarks i = 1..n at (i, 10 i), class i % 3, tag i.
void Fill(TLandMarkList& L, int n) {
  for (int i = 1; i <= n; ++i)
    L.AddLandMark(i, 10.0 * i, 0, TLandMarkElement::lmCross, static_cast<uint8_t>(i % 3), "", 0, i,
                  clBlack, clWhite, 5, false, 0, 10);
}

TEST(LandMarkList, CapacityGrowsInStepsAndShrinksWhenEmpty) {
  TLandMarkList L;
  Fill(L, 1000);
  EXPECT_EQ(L.GetCapacity(), 1000);
  L.AddLandMark(0, 0, 0);
  EXPECT_EQ(L.GetCapacity(), 2000);
  Fill(L, 1000);
  EXPECT_EQ(L.GetCapacity(), 3000);  // 2001 landmarks
  L.RemoveAllLandMarks();
  EXPECT_EQ(L.GetNumLandMarks(), 0);
  EXPECT_EQ(L.GetCapacity(), 1000);
}

TEST(LandMarkList, RemovalFillsFreedSlotsFromTheEnd) {
  TLandMarkList L;
  Fill(L, 5);
  L.SetHighLightLandMark(3);
  L.RemoveLandMark(2);
  ASSERT_EQ(L.GetNumLandMarks(), 4);
  EXPECT_EQ(L.GetLandMarkData(2).Tag, 5);
  EXPECT_EQ(L.GetHighLightLandMark(), 0);
  // Classes 1 (tags 1, 4) and a hole in the middle: 1 and 4 leave.
  L.RemoveAllLandMarks(1);
  ASSERT_EQ(L.GetNumLandMarks(), 2);
  EXPECT_EQ(L.GetLandMarkData(1).Tag, 3);
  EXPECT_EQ(L.GetLandMarkData(2).Tag, 5);
  L.RemoveLandMark(0);  // ignored
  L.RemoveLandMark(3);
  EXPECT_EQ(L.GetNumLandMarks(), 2);
  L.RemoveLastLandMark();
  EXPECT_EQ(L.GetLandMarkData(1).Tag, 3);
  EXPECT_EQ(L.GetNumLandMarks(), 1);
}

TEST(LandMarkList, AreaRemovalRulesAndClassSelectors) {
  TLandMarkList L;
  Fill(L, 6);
  L.RemoveLandMark(3, 30, -1, 0.0);  // strict: radius 0 removes nothing
  L.RemoveLandMark(3, 30, -1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(L.GetNumLandMarks(), 6);
  L.RemoveLandMark(3, 30, 0, 1.0);  // class 0 only: tag 3 at distance 0
  EXPECT_EQ(L.GetNumLandMarks(), 5);
  EXPECT_EQ(L.FindLandMark(6, 60, 300), 3);  // 300 = every class; tag 6 moved to slot 3
  EXPECT_EQ(L.GetLandMarkData(3).Tag, 6);
  // Rectangle bounds (longitude 20..40, latitude 2..5) are inclusive and may
  // be given in either order: tags 2 and 4 leave, tag 5 fills slot 2.
  L.RemoveLandMark(TRectDouble{40, 5, 20, 2}, 999);
  ASSERT_EQ(L.GetNumLandMarks(), 3);
  EXPECT_EQ(L.GetLandMarkData(1).Tag, 1);
  EXPECT_EQ(L.GetLandMarkData(2).Tag, 5);
  EXPECT_EQ(L.GetLandMarkData(3).Tag, 6);
  L.RemoveLandMark(5.2, 50, -7);  // the nearest of any class
  ASSERT_EQ(L.GetNumLandMarks(), 2);
  EXPECT_EQ(L.GetLandMarkData(2).Tag, 6);
}

TEST(LandMarkList, FindTakesTheFirstOfEquallyNearOnes) {
  TLandMarkList L;
  L.AddLandMark(1, 1, 0);
  L.AddLandMark(-1, -1, 0);
  EXPECT_EQ(L.FindLandMark(0, 0, -1), 1);
  EXPECT_EQ(L.FindLandMark(0, 0, 5), 0);
  EXPECT_EQ(L.FindLandMark(std::nan(""), 0, -1), 0);
  EXPECT_EQ(L.FindLandMark(-0.9, -1, 256), 2);
}

TEST(LandMarkList, VetoesKeepTheListAndSuppressRepaints) {
  TLandMarkList L;
  int changes = 0, asked = 0;
  L.OnChanged = [&] { ++changes; };
  L.OnLandMarkAction = [&](TObject*, bool& allow, const TLandMark& lm, TLandMarkAction a) {
    ++asked;
    allow = !(a == TLandMarkAction::lmaAdd && lm.Latitude < 0) &&
            !(a == TLandMarkAction::lmaRemove && lm.Latitude > 1);
  };
  L.AddLandMark(-1, 0, 0);
  EXPECT_EQ(L.GetNumLandMarks(), 0);
  EXPECT_EQ(changes, 0);
  L.AddLandMark(1, 0, 0);
  L.AddLandMark(2, 0, 0);
  EXPECT_EQ(changes, 2);
  L.RemoveAllLandMarks();  // the one at latitude 2 is kept
  ASSERT_EQ(L.GetNumLandMarks(), 1);
  EXPECT_EQ(L.GetLandMarkData(1).Latitude, 2);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(asked, 5);
}

TEST(LandMarkList, HandlerThatEmptiesTheListEndsTheRemovalSafely) {
  TLandMarkList L;
  Fill(L, 4);
  L.OnLandMarkAction = [&](TObject*, bool&, const TLandMark&, TLandMarkAction a) {
    if (a == TLandMarkAction::lmaRemove) {
      L.OnLandMarkAction = nullptr;
      L.RemoveAllLandMarks();
    }
  };
  L.RemoveLandMark(TRectDouble{-100, -100, 100, 100}, -1);
  EXPECT_EQ(L.GetNumLandMarks(), 0);
  L.AddLandMark(1, 1, 1);
  EXPECT_EQ(L.GetNumLandMarks(), 1);
}

TEST(LandMarkList, DataAccessHighlightAndTextCapacities) {
  TLandMarkList L;
  Fill(L, 2);
  EXPECT_EQ(L.GetLandMarkData(7), L.GetLandMarkDefault());
  L.SetHighLightLandMark(3);  // count + 1
  EXPECT_EQ(L.GetHighLightLandMark(), 0);
  L.SetHighLightLandMark(2);
  EXPECT_EQ(L.GetHighLightLandMark(), 2);
  std::string e;
  for (int i = 0; i < 90; ++i) e += "\u00E9";  // two bytes each
  L.AddLandMark(0, 0, 0, e + "x", 0.0, e, 8, clRed);
  const TLandMark& lm = L.GetLandMarkData(3);
  EXPECT_EQ(lm.Identifier.size(), 30u);
  EXPECT_EQ(lm.Caption.Text.size(), 160u);
  EXPECT_EQ(lm.Caption.FGColor, clRed);
  TLandMark m = lm;
  m.Identifier = "abc";
  L.SetLandMarkData(1, m);
  L.SetLandMarkData(9, m);
  EXPECT_EQ(L.GetLandMarkData(1).Identifier, "abc");
  EXPECT_EQ(L.GetNumLandMarks(), 3);
}

TEST(LandMarkList, DrawingSkipsHiddenClassesAndThinsRandomly) {
  TLandMarkList L;
  Fill(L, 120);  // 40 per class
  TBitmap bmp(50, 50);
  int drawn = 0;
  L.OnDrawLandmark = [&](TObject*, bool& handled, const TLandMark&, TPoint, TCanvas& c) {
    EXPECT_EQ(c.GetPen().GetColor(), clLime);
    ++drawn;
    handled = true;
  };
  TLandMarkView v;
  v.Width = v.Height = 50;
  v.ToControl = [](double lat, double, TPoint& p) {
    p = TPoint{static_cast<int32_t>(lat), 5};
    return lat < 100;  // the last 20 cannot be converted
  };
  L.SetClassVisibility(2, false);
  L.DrawLandMarks(bmp.GetCanvas(), v);
  EXPECT_EQ(drawn, 66);  // 80 visible, of which 14 beyond latitude 100
  // Above the threshold: only the landmarks in view count for the probability.
  L.SetLMRandomDisplayThreshold(10);
  v.InView = [](double lat, double) { return lat < 10; };  // 6 of the visible ones
  drawn = 0;
  L.DrawLandMarks(bmp.GetCanvas(), v);
  EXPECT_EQ(drawn, 66);
  v.InView = nullptr;  // 80 in view: probability 1/8
  SetRandSeed(12345);
  drawn = 0;
  L.DrawLandMarks(bmp.GetCanvas(), v);
  EXPECT_GT(drawn, 0);
  EXPECT_LT(drawn, 30);  // mean 8.25, sd 2.7
}

}  // namespace
}  // namespace zel
