// Repeated hold-out cross-validation: test sets, counts, error paths and
// the no-result marker.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "num/statis/zel_classeval.hpp"

namespace zel {
namespace {

// Rows r = 1..n: x = r, y = 1 for even r, else 0; a second response column
// holds r itself.
struct TCVData {
  TMatrix x{nullptr}, y{nullptr};
  explicit TCVData(int32_t n) {
    x.Resize(1, n);
    y.Resize(2, n);
    for (int32_t r = 1; r <= n; ++r) {
      x.SetVal(1, r, r);
      y.SetVal(1, r, r % 2 == 0 ? 1.0 : 0.0);
      y.SetVal(2, r, r);
    }
  }
};

std::string ThrownBy(TCrossValidator& cv) {
  try {
    cv.Execute();
  } catch (const EZELStatisError& e) {
    return e.what();
  }
  return "";
}

TEST(CrossValidator, ChecksInOrderWithTheirMessages) {
  TCVData d(4), d5(5);
  TCrossValidator cv(nullptr);
  cv.SetXMat(nullptr);
  EXPECT_EQ(ThrownBy(cv), "TCrossValidator.Execute: data matrix not assigned");
  cv.SetXMat(&d5.x);
  cv.SetYMat(&d.y);
  EXPECT_EQ(ThrownBy(cv), "TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  cv.SetXMat(&d.x);
  EXPECT_EQ(ThrownBy(cv), "TCrossValidator: OnModelApplyRequest event is not assigned");
  cv.OnModelApplyRequest = [](TObject*, int32_t, const TDoubleArray&, TDoubleArray&,
                              TDoubleArray&) {};
  EXPECT_EQ(ThrownBy(cv), "TCrossValidator: OnModelCreateRequest event is not assigned");
  EXPECT_FALSE(cv.IsExecuting());
}

TEST(CrossValidator, EveryObjectIsTestedOnceAndCountsFollowTheThreshold) {
  TCVData d(10);
  TCrossValidator cv(nullptr);
  cv.SetXMat(&d.x);
  cv.SetYMat(&d.y);
  cv.SetSizeTestSet(20);  // capped at 10/2 + 1 = 6
  std::vector<size_t> trainSizes;
  std::vector<int32_t> timesTested(11, 0), percents;
  cv.OnModelCreateRequest = [&](TObject* s, int32_t pct, const TIntArray& list, bool& ok) {
    EXPECT_EQ(s, &cv);
    EXPECT_TRUE(cv.IsExecuting());
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    trainSizes.push_back(list.size());
    percents.push_back(pct);
    ok = true;
  };
  cv.OnModelApplyRequest = [&](TObject*, int32_t pct, const TDoubleArray& p, TDoubleArray& resp,
                               TDoubleArray& th) {
    ASSERT_EQ(p.size(), 1u);
    ASSERT_EQ(resp.size(), 2u);
    const auto r = static_cast<int32_t>(p[0]);
    ++timesTested[static_cast<size_t>(r)];
    percents.push_back(pct);
    // Column 1: a response equal to the threshold, so negative rows count
    // false positives and positive rows false negatives. Column 2: an error
    // of 1e200 on every row, whose square only a wider sum holds.
    resp[0] = 0.5;
    th[0] = 0.5;
    resp[1] = r + 1e200;
    th[1] = 1e9;
  };
  SetRandSeed(2024);
  ASSERT_TRUE(cv.Execute());
  EXPECT_FALSE(cv.IsExecuting());
  EXPECT_EQ(cv.GetSizeTestSet(), 20);
  EXPECT_EQ(trainSizes, (std::vector<size_t>{4, 6}));
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
  for (int32_t r = 1; r <= 10; ++r) EXPECT_EQ(timesTested[static_cast<size_t>(r)], 1) << r;
  EXPECT_EQ(cv.GetFPCnt(1), 5);
  EXPECT_EQ(cv.GetFNCnt(1), 5);
  EXPECT_EQ(cv.GetTPCnt(1) + cv.GetTNCnt(1), 0);
  EXPECT_EQ(cv.GetTPRate(1), 0.0);
  EXPECT_EQ(cv.GetFPRate(1), 1.0);
  EXPECT_EQ(cv.GetAccuracy(1), 0.0);
  EXPECT_EQ(cv.GetMatthewsCorr(1), -1.0);
  // Column 2: true values 1..10, none equal to 1 except row 1.
  EXPECT_EQ(cv.GetTPCnt(2) + cv.GetFNCnt(2), 1);
  EXPECT_NEAR(cv.GetRMSEP(2), 1e200, 1e186);
  EXPECT_NEAR(cv.GetRMSEP(1), std::sqrt((5 * 0.25 + 5 * 0.25) / 10), 1e-15);
  EXPECT_EQ(cv.GetRMSEP(3), 0.0);  // outside the columns
  EXPECT_EQ(cv.GetTPCnt(0), 0);

  // The same seed draws the same test sets; another seed differs somewhere.
  std::vector<int32_t> order, order2;
  cv.SetSizeTestSet(3);
  cv.OnModelApplyRequest = [&](TObject*, int32_t, const TDoubleArray& p, TDoubleArray&,
                               TDoubleArray&) { order.push_back(static_cast<int32_t>(p[0])); };
  SetRandSeed(7);
  ASSERT_TRUE(cv.Execute());
  order2.swap(order);
  SetRandSeed(7);
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(order, order2);
  EXPECT_EQ(order.size(), 10u);
}

TEST(CrossValidator, NoResultMarkerAfterResizeAbortAndFailures) {
  TCVData d(8);
  TCrossValidator cv(nullptr);
  cv.SetXMat(&d.x);
  cv.SetYMat(&d.y);
  int32_t creates = 0;
  bool createOk = true;
  cv.OnModelCreateRequest = [&](TObject*, int32_t, const TIntArray&, bool& ok) {
    ++creates;
    ok = createOk;
  };
  cv.OnModelApplyRequest = [](TObject*, int32_t, const TDoubleArray& p, TDoubleArray& resp,
                              TDoubleArray& th) {
    resp[0] = std::fmod(p[0], 2.0) == 0 ? 1.0 : 0.0;
    th[0] = 0.5;
  };
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetTPCnt(1), 4);
  EXPECT_EQ(cv.GetTNCnt(1), 4);
  EXPECT_EQ(cv.GetMatthewsCorr(1), 1.0);
  EXPECT_EQ(cv.GetRMSEP(1), 0.0);

  // A new test size clears the results: every value is the marker -1, not
  // the root of a negative sum or a ratio of two markers.
  cv.SetSizeTestSet(0);
  EXPECT_EQ(cv.GetSizeTestSet(), 1);
  for (int32_t c : {1, 2}) {
    EXPECT_EQ(cv.GetTPCnt(c), -1);
    EXPECT_EQ(cv.GetRMSEP(c), -1.0);
    EXPECT_EQ(cv.GetTPRate(c), -1.0);
    EXPECT_EQ(cv.GetFNRate(c), -1.0);
    EXPECT_EQ(cv.GetF1Score(c), -1.0);
  }

  int32_t checks = 0;
  cv.OnCheckAbort = [&](TObject*, bool& abort) { abort = ++checks == 3; };
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(checks, 3);
  EXPECT_EQ(cv.GetFNCnt(2), -1);
  EXPECT_EQ(cv.GetRMSEP(1), -1.0);

  // A model that can never be built ends the run instead of looping.
  cv.OnCheckAbort = nullptr;
  createOk = false;
  creates = 0;
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(creates, 100);
  EXPECT_EQ(cv.GetAccuracy(1), -1.0);
  // Failures that are not consecutive only cost rounds.
  creates = 0;
  cv.OnModelCreateRequest = [&](TObject*, int32_t, const TIntArray&, bool& ok) {
    ok = ++creates % 2 == 0;
  };
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetTPCnt(1) + cv.GetTNCnt(1), 8);
  EXPECT_EQ(creates, 16);
}

TEST(CrossValidator, HandlersThatChangeTheDataGiveAnError) {
  TCVData d(6);
  auto cv = std::make_unique<TCrossValidator>(nullptr);
  cv->SetXMat(&d.x);
  cv->SetYMat(&d.y);
  cv->OnModelCreateRequest = [](TObject*, int32_t, const TIntArray&, bool& ok) { ok = true; };
  cv->OnModelApplyRequest = [](TObject*, int32_t, const TDoubleArray&, TDoubleArray& resp,
                               TDoubleArray&) { resp.resize(1); };
  EXPECT_EQ(ThrownBy(*cv),
            "TCrossValidator.Execute: response arrays shorter than the number of response "
            "columns");
  EXPECT_FALSE(cv->IsExecuting());
  EXPECT_EQ(cv->GetTPCnt(1), -1);

  cv->OnModelApplyRequest = [&](TObject*, int32_t, const TDoubleArray&, TDoubleArray&,
                                TDoubleArray&) { d.y.Resize(2, 3); };
  EXPECT_EQ(ThrownBy(*cv), "TCrossValidator.Execute: data matrices changed during the run");
  d.y.Resize(2, 6);
  bool inner = true;
  cv->OnModelApplyRequest = [&](TObject*, int32_t, const TDoubleArray&, TDoubleArray&,
                                TDoubleArray&) { inner = cv->Execute(); };
  EXPECT_TRUE(cv->Execute());
  EXPECT_FALSE(inner);  // a nested run is refused

  // The caller's matrices outlive the validator and stay usable.
  cv.reset();
  d.x.SetVal(1, 1, 42.0);
  EXPECT_EQ(d.x.GetVal(1, 1), 42.0);
  TCrossValidator own(nullptr);
  ASSERT_NE(own.GetXMat(), nullptr);
  EXPECT_EQ(own.GetXMat()->GetNrOfRows(), 1);
}

}  // namespace
}  // namespace zel
