#include "core/zel_zelbase.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace zel {
namespace {

template <class E>
constexpr int32_t Ord(E e) {
  return static_cast<int32_t>(e);
}

// Callers dispatch on these ordinals, store them in files and compare them
// with numbers, so a reordering must not go unnoticed.
TEST(Enumerations, KeepTheOrdinalsCallersRelyOn) {
  EXPECT_EQ(Ord(TDegreeFormat::dfDeg), 0);
  EXPECT_EQ(Ord(TDegreeFormat::dfDegMinSec), 2);
  EXPECT_EQ(Ord(TDegreeFormat::dfPlain), 3);

  EXPECT_EQ(Ord(TOrientation::orRowwise), 0);
  EXPECT_EQ(Ord(TOrientation::orColwise), 1);

  EXPECT_EQ(Ord(TEdgeOp::eoMin), 0);
  EXPECT_EQ(Ord(TEdgeOp::eoMax), 1);
  EXPECT_EQ(Ord(TEdgeOp::eoSum), 2);
  EXPECT_EQ(Ord(TEdgeOp::eoMean), 3);
  EXPECT_EQ(Ord(TEdgeOp::eoStdDev), 4);

  EXPECT_EQ(Ord(TDistMode::dmTanimoto), 0);
  EXPECT_EQ(Ord(TDistMode::dmManhattan), 1);
  EXPECT_EQ(Ord(TDistMode::dmEuclid), 2);
  EXPECT_EQ(Ord(TDistMode::dmSqrEuclid), 3);
  EXPECT_EQ(Ord(TDistMode::dmDice), 4);
  EXPECT_EQ(Ord(TDistMode::dmUserDef), 5);

  EXPECT_EQ(Ord(TVarKind::vkDouble), 0);
  EXPECT_EQ(Ord(TVarKind::vkReal), 1);
  EXPECT_EQ(Ord(TVarKind::vkSingle), 2);
  EXPECT_EQ(Ord(TVarKind::vkInteger), 3);
  EXPECT_EQ(Ord(TVarKind::vkLongInt), 4);

  EXPECT_EQ(Ord(TShapeKind::skRectangle), 0);
  EXPECT_EQ(Ord(TShapeKind::skEllipse), 1);
  EXPECT_EQ(Ord(TShapeKind::skDisc), 2);
  EXPECT_EQ(Ord(TShapeKind::skRing), 3);

  EXPECT_EQ(Ord(TDims::dimColumns), 0);
  EXPECT_EQ(Ord(TDims::dimRows), 1);
  EXPECT_EQ(Ord(TApplyColRow::acrColumns), 0);
  EXPECT_EQ(Ord(TApplyColRow::acrRows), 1);

  EXPECT_EQ(Ord(TColorScheme::csGrayWhite), 0);
  EXPECT_EQ(Ord(TFrameStyle::fsSimple), 1);
  EXPECT_EQ(Ord(TFrameStyle::fsRaised), 3);
  EXPECT_EQ(Ord(TVerticalAlignment::vaTop), 0);
  EXPECT_EQ(Ord(TVerticalAlignment::vaBottom), 1);
  EXPECT_EQ(Ord(TVerticalAlignment::vaCenter), 2);

  EXPECT_EQ(Ord(TMouseActMode::maNone), 0);
  EXPECT_EQ(Ord(TMouseActMode::maPan), 1);
  EXPECT_EQ(Ord(TMouseActMode::maPanHoriz), 2);
  EXPECT_EQ(Ord(TMouseActMode::maPanVert), 3);
  EXPECT_EQ(Ord(TMouseActMode::maRubberBand), 5);
  EXPECT_EQ(Ord(TMouseActMode::maZoomWindow), 7);
  EXPECT_EQ(Ord(TMouseActMode::maZoomDrag), 9);
  EXPECT_EQ(Ord(TMouseActMode::maSelectRect), 16);
  EXPECT_EQ(Ord(TMouseActMode::maMouseTrace), 17);
  EXPECT_EQ(Ord(TZoomState::zsRectStarted), 1);
  EXPECT_EQ(Ord(TMouseBoxState::mbsOff), 0);
  EXPECT_EQ(Ord(TMouseBoxState::mbsStarted), 1);
  EXPECT_EQ(Ord(TMouseBoxState::mbsDone), 3);

  EXPECT_EQ(Ord(TNormType::ntColwise), 0);
  EXPECT_EQ(Ord(TNormType::ntFrobenius), 3);
  EXPECT_EQ(Ord(TIntegMethod::imSimple), 0);
  EXPECT_EQ(Ord(TIntegMethod::imTrapezoidal), 1);
  EXPECT_EQ(Ord(TIntegMethod::imSimpson), 2);
}

}  // namespace
}  // namespace zel
