#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/mat3d4d_test_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using mat3d4d_test::Make4D;
using mat3d4d_test::ProgressGuard;
using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

using Reduction = bool (TMat4D::*)(TMatrix*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                   int32_t, int32_t, int32_t) const;
using DefaultReduction = bool (TMat4D::*)(TMatrix*, int32_t, int32_t, int32_t, int32_t, int32_t,
                                          int32_t, int32_t, int32_t) const;

struct Kind {
  const char* name;
  Reduction run;
  DefaultReduction runDefault;
};

const std::vector<Kind> kKinds{
    {"mean", &TMat4D::MeanOfLayersToMatrix, &TMat4D::MeanOfLayersToMatrix},
    {"stddev", &TMat4D::StdDevOfLayersToMatrix, &TMat4D::StdDevOfLayersToMatrix},
    {"minimum", &TMat4D::MinimumOfLayersToMatrix, &TMat4D::MinimumOfLayersToMatrix},
    {"maximum", &TMat4D::MaximumOfLayersToMatrix, &TMat4D::MaximumOfLayersToMatrix}};

std::unique_ptr<TMat4D> RandomStack(int32_t nx, int32_t ny, int32_t nz, int32_t nt, uint64_t seed) {
  SetRandSeed(seed);
  return Make4D(nx, ny, nz, nt, [](int32_t, int32_t, int32_t, int32_t) {
    return (Random() - 0.3) * std::pow(10.0, Random(4));
  });
}

// The value of one pixel over the box, computed plainly: the mean first,
// then the centred sum, in long double.
double Reference(const TMat4D& m, const std::string& kind, int32_t x, int32_t y, int32_t z0,
                 int32_t z1, int32_t t0, int32_t t1) {
  std::vector<double> v;
  for (int32_t z = z0; z <= z1; ++z)
    for (int32_t t = t0; t <= t1; ++t) v.push_back(m.GetVal(x, y, z, t));
  long double sum = 0;
  for (double e : v) sum += e;
  const long double mean = sum / v.size();
  if (kind == "mean") return static_cast<double>(mean);
  if (kind == "minimum") return *std::min_element(v.begin(), v.end());
  if (kind == "maximum") return *std::max_element(v.begin(), v.end());
  long double ss = 0;
  for (double e : v) ss += (e - mean) * (e - mean);
  return static_cast<double>(std::sqrt(ss / v.size()));
}

TEST(Mat4DReduce, EachReductionMatchesThePlainComputationOverTheRanges) {
  auto a = RandomStack(9, 7, 5, 4, 21);
  for (const Kind& k : kKinds) {
    auto dest = MakeMatrix({{0}});
    // Reversed and clamped bounds: columns 3..8, rows 2..7, layers 2..5,
    // time slots 1..3.
    ASSERT_TRUE((a.get()->*k.run)(dest.get(), 8, 3, 2, 99, 5, 2, -1, 3, 1)) << k.name;
    ASSERT_EQ(dest->GetNrOfColumns(), 6);
    ASSERT_EQ(dest->GetNrOfRows(), 6);
    for (int32_t c = 3; c <= 8; ++c)
      for (int32_t r = 2; r <= 7; ++r) {
        const double want = Reference(*a, k.name, c, r, 2, 5, 1, 3);
        EXPECT_NEAR(dest->GetVal(c - 2, r - 1), want, 1e-12 * std::max(1.0, std::fabs(want)))
            << k.name << " at " << c << ", " << r;
      }
  }
}

TEST(Mat4DReduce, GiveIdenticalBitsForAnyThreadCount) {
  auto a = RandomStack(37, 11, 6, 3, 8);
  for (const Kind& k : kKinds) {
    auto one = MakeMatrix({{0}});
    ASSERT_TRUE((a.get()->*k.run)(one.get(), 0, 0, 0, 0, 0, 0, 0, 0, 1));
    for (int32_t nt : {2, 3, 5, 64, 0, -3}) {
      auto many = MakeMatrix({{0}});
      ASSERT_TRUE((a.get()->*k.run)(many.get(), 0, 0, 0, 0, 0, 0, 0, 0, nt));
      EXPECT_EQ(Cols(*many), Cols(*one)) << k.name << " with " << nt << " threads";
    }
    auto dflt = MakeMatrix({{0}});
    ASSERT_TRUE((a.get()->*k.runDefault)(dflt.get(), 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Cols(*dflt), Cols(*one)) << k.name;
    // More threads than columns: two columns, eight threads.
    auto narrow1 = MakeMatrix({{0}});
    auto narrow8 = MakeMatrix({{0}});
    ASSERT_TRUE((a.get()->*k.run)(narrow1.get(), 5, 6, 0, 0, 0, 0, 0, 0, 1));
    ASSERT_TRUE((a.get()->*k.run)(narrow8.get(), 5, 6, 0, 0, 0, 0, 0, 0, 8));
    EXPECT_EQ(Cols(*narrow8), Cols(*narrow1)) << k.name;
  }
}

TEST(Mat4DReduce, StdDevTakesTheMeanFirstAndIsZeroWithoutSpread) {
  // Three time slots 1e10 + 1, 2, 3: the population deviation is sqrt(2/3);
  // Sum x^2 / N - mean^2 in double would give 0 or garbage.
  auto a = Make4D(2, 2, 1, 3,
                  [](int32_t x, int32_t, int32_t, int32_t t) { return x == 1 ? 1e10 + t : 0.25; });
  auto dest = MakeMatrix({{0}});
  ASSERT_TRUE(a->StdDevOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 2));
  EXPECT_DOUBLE_EQ(dest->GetVal(1, 1), std::sqrt(2.0 / 3.0));
  EXPECT_EQ(dest->GetVal(2, 2), 0.0);  // constant pixel: exactly 0
  // A single layer and time slot: exactly 0 everywhere.
  auto b = RandomStack(5, 4, 3, 2, 4);
  ASSERT_TRUE(b->StdDevOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 2, 2, 2, 2, 3));
  for (const auto& col : Cols(*dest))
    for (double v : col) EXPECT_EQ(v, 0.0);
  // The mean of a single layer and slot is the value itself.
  ASSERT_TRUE(b->MeanOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 3, 3, 1, 1, 1));
  EXPECT_EQ(dest->GetVal(4, 3), b->GetVal(4, 3, 3, 1));
}

TEST(Mat4DReduce, NaNMakesItsPixelNaNOnly) {
  auto a = Make4D(3, 2, 3, 2, [](int32_t x, int32_t y, int32_t z, int32_t t) {
    return (x == 2 && y == 1 && z == 3 && t == 1) ? std::numeric_limits<double>::quiet_NaN()
                                                  : double(x + y * z - t);
  });
  for (const Kind& k : kKinds) {
    auto dest = MakeMatrix({{0}});
    ASSERT_TRUE((a.get()->*k.run)(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 2));
    EXPECT_TRUE(std::isnan(dest->GetVal(2, 1))) << k.name;
    EXPECT_FALSE(std::isnan(dest->GetVal(1, 1))) << k.name;
    EXPECT_FALSE(std::isnan(dest->GetVal(2, 2))) << k.name;
  }
}

TEST(Mat4DReduce, EventsFireOnceOnTheCallingThread) {
  ProgressGuard guard;
  auto a = RandomStack(64, 20, 4, 3, 2);
  const auto caller = std::this_thread::get_id();
  std::set<std::thread::id> ids;
  auto dest = MakeMatrix({{1, 2}, {3, 4}});
  EventLog log;
  log.Attach(*dest);
  dest->OnChange = [&](TObject*) {
    log.Seq += 'C';
    ids.insert(std::this_thread::get_id());
  };
  dest->OnResize = [&](TObject*) {
    log.Seq += 'R';
    ids.insert(std::this_thread::get_id());
  };
  int32_t hooks = 0;
  MathFeedBackProc = [&](double) {
    ++hooks;
    ids.insert(std::this_thread::get_id());
  };
  double before = ProcStat;
  ASSERT_TRUE(a->MeanOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 1));
  const double steps = ProcStat - before;
  EXPECT_GE(steps, 1.0);
  EXPECT_EQ(hooks, steps + 1) << "every step and once at the end";
  before = ProcStat;
  ASSERT_TRUE(a->MeanOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 4));
  EXPECT_EQ(ProcStat - before, steps) << "the same steps on workers";
  EXPECT_EQ(log.Seq, "CRC");
  ASSERT_TRUE(a->MaximumOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 4));
  EXPECT_EQ(log.Seq, "CRCC");  // same size: OnChange alone
  EXPECT_EQ(ids, std::set<std::thread::id>({caller}));
  EXPECT_FALSE(a->MeanOfLayersToMatrix(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 2));
}

TEST(Mat4DReduce, AbortStopsJoinsAndLeavesTheResultMatrixAlone) {
  ProgressGuard guard;
  auto a = RandomStack(96, 30, 6, 4, 6);
  for (int32_t nt : {1, 2, 4}) {
    for (const Kind& k : kKinds) {
      auto dest = MakeMatrix({{1, 2}, {3, 4}}, "Dest");
      matrix_test::EventLog log;
      log.Attach(*dest);
      // Set by the hook on its first call, i.e. after the first block.
      int32_t calls = 0;
      MathFeedBackProc = [&](double) {
        ++calls;
        AbortMathProc = true;
      };
      EXPECT_FALSE((a.get()->*k.run)(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, nt))
          << k.name << " " << nt;
      EXPECT_TRUE(AbortMathProc.load()) << "never cleared";
      EXPECT_EQ(Cols(*dest), (TDouble2DArray{{1, 2}, {3, 4}}));
      EXPECT_EQ(log.Seq, "");
      EXPECT_GE(calls, 1);
      // Already set on entry: nothing is done at all.
      calls = 0;
      EXPECT_FALSE((a.get()->*k.run)(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, nt));
      EXPECT_EQ(calls, 0);
      AbortMathProc = false;
      MathFeedBackProc = nullptr;
    }
  }
  // An exception from the hook leaves through the joined workers.
  MathFeedBackProc = [](double) { throw std::runtime_error("stop"); };
  auto dest = MakeMatrix({{0}});
  EXPECT_THROW(a->StdDevOfLayersToMatrix(dest.get(), 0, 0, 0, 0, 0, 0, 0, 0, 3),
               std::runtime_error);
  EXPECT_EQ(dest->GetNrOfColumns(), 1);
}

}  // namespace
}  // namespace zel
