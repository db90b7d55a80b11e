#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/zel_zelbase.hpp"

namespace zel {
namespace {

TEST(Rectangularity, DetectsRaggedArraysAtEveryDepth) {
  EXPECT_TRUE(IsRectangular(TDoubleArray{1, 2, 3}));
  EXPECT_TRUE(IsRectangular(TDouble2DArray{}));
  EXPECT_TRUE(IsRectangular(TDouble2DArray{{1, 2}, {3, 4}}));
  EXPECT_FALSE(IsRectangular(TDouble2DArray{{1, 2}, {3}}));
  EXPECT_TRUE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}, {4}}}));
  EXPECT_FALSE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}, {4, 5}}}));
  EXPECT_FALSE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}}}));
  TDouble4DArray a4(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(2))));
  EXPECT_TRUE(IsRectangular(a4));
  a4[1][1][1].push_back(0);
  EXPECT_FALSE(IsRectangular(a4));
  EXPECT_TRUE(IsRectangular(TStr2DArray{{"ab", "c"}, {"", "def"}}));
}

TEST(Ranges, NormalizeTakesWholeRangeExchangesAndClamps) {
  int32_t lo = 0, hi = 0;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 10);
  lo = 8, hi = 3;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 3);
  EXPECT_EQ(hi, 8);
  lo = -5, hi = 40;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 10);
}

TEST(Progress, ReportProgressCountsAndCallsTheHook) {
  ProcStat = 0;
  std::vector<double> seen;
  MathFeedBackProc = [&](double c) { seen.push_back(c); };
  ReportProgress();
  ReportProgress();
  MathFeedBackProc = nullptr;
  ReportProgress();
  EXPECT_EQ(ProcStat, 3.0);
  EXPECT_EQ(seen, (std::vector<double>{1.0, 2.0}));
  ProcStat = 0;
}

// Restores the progress globals whatever a test leaves behind.
struct ProgressGlobalsGuard {
  ~ProgressGlobalsGuard() {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
    ProcStat = 0;
  }
};

TEST(TicketRunner, RunsEveryTicketOnceAndReportsItsStepsOnTheCallingThread) {
  ProgressGlobalsGuard guard;
  const auto caller = std::this_thread::get_id();
  for (const int32_t threads : {0, 1, 2, 7}) {
    ProcStat = 0;
    std::vector<std::atomic<int32_t>> runs(50);
    bool hookOnOtherThread = false;
    double lastSeen = -1;
    MathFeedBackProc = [&](double c) {
      hookOnOtherThread |= std::this_thread::get_id() != caller;
      lastSeen = c;
    };
    EXPECT_TRUE(RunTicketsOnWorkers(50, threads, [&]() -> TTicketWork {
      return [&](int32_t t) -> int64_t {
        ++runs[static_cast<size_t>(t)];
        return t % 3;  // 0, 1 or 2 steps
      };
    }));
    int64_t steps = 0;
    for (int32_t t = 0; t < 50; ++t) {
      EXPECT_EQ(runs[static_cast<size_t>(t)].load(), 1) << t;
      steps += t % 3;
    }
    EXPECT_EQ(ProcStat, static_cast<double>(steps)) << threads;
    EXPECT_EQ(lastSeen, ProcStat);
    EXPECT_FALSE(hookOnOtherThread);
  }
}

TEST(TicketRunner, StopsOnAbortAndPassesFailuresOnAfterJoining) {
  ProgressGlobalsGuard guard;
  std::atomic<int32_t> ran{0};
  auto slow = [&]() -> TTicketWork {
    return [&](int32_t) -> int64_t {
      ++ran;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return 1;
    };
  };
  // The hook asks for the abort: the run stops and every worker has
  // stopped when it returns.
  MathFeedBackProc = [](double c) {
    if (c >= 3) AbortMathProc = true;
  };
  EXPECT_FALSE(RunTicketsOnWorkers(10000, 2, slow));
  const int32_t after = ran.load();
  EXPECT_LT(after, 10000);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ran.load(), after);
  AbortMathProc = false;

  MathFeedBackProc = [](double) { throw std::runtime_error("hook"); };
  EXPECT_THROW(RunTicketsOnWorkers(100, 2, slow), std::runtime_error);
  MathFeedBackProc = nullptr;

  EXPECT_THROW(RunTicketsOnWorkers(100, 2,
                                   []() -> TTicketWork {
                                     return [](int32_t t) -> int64_t {
                                       if (t == 5) throw std::bad_alloc();
                                       return 1;
                                     };
                                   }),
               std::bad_alloc);
}

}  // namespace
}  // namespace zel
