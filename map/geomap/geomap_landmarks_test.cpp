#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geomap.hpp"

namespace zel {
namespace {

const std::string kGoldenDir = std::string(ZEL_TESTDATA_DIR) + "/map/geomap/testdata/";

constexpr TColor Q(TColor c) {
  return static_cast<TColor>(QuantizeColor(TPixelFormat::pf15bit, c));
}

// A 300 x 200 generated map shown 1:1: 50 N at the top, 46 N at the bottom,
// 10 E at the left, 16 E at the right, so (lat, long) lands on the control
// pixel ((long - 10) 50, (50 - lat) 50).
struct LandMarkMap : ::testing::Test {
  std::unique_ptr<TGeoMap> map = std::make_unique<TGeoMap>(nullptr);
  void SetUp() override {
    map->SetBounds(0, 0, 300, 200);
    map->CreateEmptyMapInMemory(46, 10, 50, 16, 1, 1, 300, 200, false);
  }
  static double Lat(int32_t y) { return 50 - y / 50.0; }
  static double Long(int32_t x) { return 10 + x / 50.0; }
  TBitmap Shot() {
    TControlHost host(map.get());
    return host.Snapshot();
  }
};

// Reviewed by eye once; rewrite with ZEL_UPDATE_GOLDEN=1 after a deliberate change.
TEST_F(LandMarkMap, EveryKindOnAGeneratedMapMatchesTheGoldenImage) {
  map->SetShowGraticule(TShowGrat::sgLines);
  map->SetGratLineDist(1);
  for (int32_t k = 0; k < 10; ++k) {
    const int32_t x = 40 + 55 * (k % 5), y = k < 5 ? 60 : 140;
    map->AddLandMark(Lat(y), Long(x), 0, static_cast<TLandMarkElement>(k), 1, "", 0, k,
                     k % 2 ? clNavy : clRed, clYellow, 9, k % 3 == 0, 30 * k, 22);
  }
  map->SetHighLM(2);
  const TBitmap shot = Shot();
  if (std::getenv("ZEL_UPDATE_GOLDEN")) shot.SaveToFile(kGoldenDir + "geomap_landmarks.png");
  TBitmap golden;
  golden.LoadFromFile(kGoldenDir + "geomap_landmarks.png");
  EXPECT_TRUE(shot.SameImage(golden));
}

TEST_F(LandMarkMap, EventsComeFromTheMapAndVetoesChangeNothing) {
  std::vector<TObject*> senders;
  map->OnLandMarkAction = [&](TObject* s, bool& allow, const TLandMark& lm, TLandMarkAction a) {
    senders.push_back(s);
    allow = !(a == TLandMarkAction::lmaAdd && lm.Latitude < 0) &&
            !(a == TLandMarkAction::lmaRemove && lm.Tag == 7);
  };
  map->Update();
  map->AddLandMark(-1, 12, 0);
  EXPECT_EQ(map->GetNumLandMarks(), 0);
  EXPECT_FALSE(map->NeedsPaint());  // a veto does not repaint
  map->AddLandMark(48, 12, 0, TLandMarkElement::lmPlus, 0, "keep", 0, 7, clRed, clWhite, 5, false,
                   0, 0);
  map->AddLandMark(48, 13, 0, "gone", 0);
  EXPECT_TRUE(map->NeedsPaint());
  map->Update();
  map->RemoveAllLandMarks();
  ASSERT_EQ(map->GetNumLandMarks(), 1);
  EXPECT_EQ(map->GetLandMarkData(1).Identifier, "keep");
  map->Update();
  map->RemoveLastLandMark();  // vetoed
  EXPECT_EQ(map->GetNumLandMarks(), 1);
  EXPECT_FALSE(map->NeedsPaint());
  ASSERT_EQ(senders.size(), 6u);
  for (TObject* s : senders) EXPECT_EQ(s, map.get());
  TObject* drawSender = nullptr;
  map->OnDrawLandmark = [&](TObject* s, bool&, const TLandMark&, TPoint, TCanvas&) {
    drawSender = s;
  };
  map->Invalidate();
  Shot();
  EXPECT_EQ(drawSender, map.get());
  // A draw handler that empties the list ends the drawing safely.
  map->AddLandMark(48, 14, 0);
  map->SetHighLM(2);
  map->OnLandMarkAction = nullptr;
  map->OnDrawLandmark = [&](TObject*, bool&, const TLandMark&, TPoint, TCanvas&) {
    map->RemoveAllLandMarks();
  };
  Shot();
  EXPECT_EQ(map->GetNumLandMarks(), 0);
  EXPECT_EQ(map->GetHighLightLandMark(), 0);
}

TEST_F(LandMarkMap, RemovingALandmarkRepaintsOnce) {
  map->AddLandMark(48, 13, 0, TLandMarkElement::lmSquare, 0, "", 0, 0, clRed, clBlue, 5, false, 0,
                   0);
  map->AddLandMark(47, 11, 0);
  int paints = 0;
  map->OnDataRendered = [&](TObject*, TCanvas&) { ++paints; };
  EXPECT_EQ(Shot().GetPixel(150, 100), Q(clBlue));
  paints = 0;
  map->RemoveLandMark(48, 13, -1, 0.01);
  EXPECT_EQ(map->GetNumLandMarks(), 1);
  EXPECT_TRUE(map->NeedsPaint());
  map->Update();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(Shot().GetPixel(150, 100), clWhite);
}

// The landmark at the control's edge or outside it is not drawn, even where
// its symbol would reach into the view; one that does not convert is skipped.
TEST_F(LandMarkMap, LandmarksOutsideTheViewAreNotDrawn) {
  const TBitmap plain = Shot();
  for (const auto& [x, y] : {std::pair{-3, 100}, {0, 100}, {303, 50}, {150, 200}, {150, -4}})
    map->AddLandMark(Lat(y), Long(x), 0, TLandMarkElement::lmSquare, 0, "", 0, 0, clRed, clBlue, 9,
                     false, 0, 0);
  map->AddLandMark(std::nan(""), 12, 0);
  std::vector<TPoint> asked;
  map->OnDrawLandmark = [&](TObject*, bool&, const TLandMark&, TPoint p, TCanvas&) {
    asked.push_back(p);
  };
  EXPECT_TRUE(Shot().SameImage(plain));
  ASSERT_EQ(asked.size(), 5u);  // the NaN landmark never reaches the event
  EXPECT_EQ(asked[2].x, 303);
  EXPECT_EQ(asked[3].y, 200);
  // Panned so that the first one comes into view, it is drawn.
  map->SetTopLeft({-20, 0});
  EXPECT_EQ(Shot().GetPixel(17, 100), Q(clBlue));
}

// With threshold T and L > T landmarks of visible classes inside the view,
// about T of those are drawn; landmarks outside the view and of hidden
// classes do not count for L.
TEST_F(LandMarkMap, ThinningCountsOnlyTheVisibleLandmarksInView) {
  for (int32_t i = 0; i < 1000; ++i) map->AddLandMark(Lat(20 + i % 160), Long(20 + i / 4), 0);
  for (int32_t i = 0; i < 3000; ++i) map->AddLandMark(47, 20 + i * 0.001, 0);  // east of the view
  for (int32_t i = 0; i < 500; ++i)
    map->AddLandMark(48, 12, 0, TLandMarkElement::lmPlus, 9, "", 0, 0, clRed, clRed, 3, true, 0, 0);
  map->SetClassVisibility(9, false);
  int32_t inView = 0, outside = 0;
  map->OnDrawLandmark = [&](TObject*, bool& handled, const TLandMark& lm, TPoint p, TCanvas&) {
    EXPECT_NE(lm.ClassFlag, 9);
    (p.x > 0 && p.x < 300 && p.y > 0 && p.y < 200 ? inView : outside)++;
    handled = true;
  };
  struct Case {
    int32_t threshold;
    int32_t lo, hi;                   // expected range of inView
  } cases[] = {{50, 30, 70},          // p = 50/1000: binomial mean 50, sd 6.9
               {1000, 1000, 1000},    // L = T: no thinning
               {20000, 1000, 1000}};  // count below the threshold
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threshold);
    SetRandSeed(20261208);
    map->SetLMRandomDisplayThreshold(c.threshold);
    inView = outside = 0;
    map->Invalidate();
    map->Update();
    EXPECT_GE(inView, c.lo);
    EXPECT_LE(inView, c.hi);
    if (c.threshold == 50) {
      EXPECT_GE(outside, 90);  // same probability: mean 150
      EXPECT_LE(outside, 210);
    } else {
      EXPECT_EQ(outside, 3000);
    }
  }
}

TEST_F(LandMarkMap, HighlightIsDrawnLastOverEverything) {
  map->AddLandMark(48, 13, 0, TLandMarkElement::lmSquare, 0, "", 0, 0, clNavy, clWhite, 6, false, 0,
                   0);
  map->AddLandMark(48, 13, 0, TLandMarkElement::lmSquare, 0, "", 0, 0, clRed, clYellow, 6, false, 0,
                   0);
  map->SetHighLightProperties(clFuchsia, clAqua, false);
  map->OnDataRendered = [](TObject*, TCanvas& c) {
    c.GetBrush().SetColor(clBlack);
    c.FillRect({150, 100, 160, 110});
  };
  TBitmap shot = Shot();
  EXPECT_EQ(shot.GetPixel(148, 98), Q(clYellow));  // the second covers the first
  EXPECT_EQ(shot.GetPixel(152, 102), clBlack);     // OnDataRendered covers both
  map->SetHighLM(1);
  shot = Shot();
  EXPECT_EQ(shot.GetPixel(148, 98), Q(clAqua));
  EXPECT_EQ(shot.GetPixel(152, 102), Q(clAqua));
  EXPECT_EQ(shot.GetPixel(145, 100), Q(clFuchsia));
  // The highlight shows even when its class is hidden.
  map->SetClassVisibility(0, false);
  EXPECT_EQ(Shot().GetPixel(148, 98), Q(clAqua));
}

}  // namespace
}  // namespace zel
