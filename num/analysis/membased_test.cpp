#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cmath>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_univconst.hpp"
#include "num/analysis/zel_membased.hpp"

namespace zel {
namespace {

using VT = TMBLVarType;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A learner whose table holds `cols` columns filled row by row.
std::unique_ptr<TMemBasedLearner> Learner(int32_t cols, const std::vector<double>& rowMajor,
                                          const std::vector<VT>& types) {
  auto l = std::make_unique<TMemBasedLearner>(nullptr);
  TDataTable* t = l->GetModelData();
  const auto rows = static_cast<int32_t>(rowMajor.size()) / cols;
  t->Resize(cols, rows);
  for (int32_t r = 1; r <= rows; ++r)
    for (int32_t c = 1; c <= cols; ++c)
      t->SetElem(c, r, rowMajor[static_cast<size_t>((r - 1) * cols + c - 1)]);
  for (int32_t c = 1; c <= cols; ++c) l->SetVarType(c, types[static_cast<size_t>(c - 1)]);
  return l;
}

// membased_reference.py: 24 examples (x1, x2, y, class) and 5 queries.
const std::vector<double> kExamples{
    2.890674556251579,    15.696843745689772,  8.949056722512125,    1.0,
    1.5465041154643921,   4.199342858004821,   2.4928378998706693,   1.0,
    -2.063298477551922,   -8.89692209199714,   3.942412070899646,    0.0,
    -2.650363967160459,   -17.24444681337316,  6.344795867899394,    0.0,
    0.6453599642634467,   -16.729133745815925, -0.44643755383623385, 0.0,
    2.9956300361238153,   -7.405216426814004,  8.405932167167897,    1.0,
    0.9572950870480565,   6.530247388451498,   1.157289719209691,    1.0,
    -2.483479407256961,   18.711317570204994,  7.252258476875506,    0.0,
    -2.2859507517570967,  23.59717272766831,   6.575610180749075,    0.0,
    1.2605011104799226,   19.078045086866094,  2.4902903331236375,   1.0,
    2.9603158928238402,   7.467477240757305,   8.936893012671552,    1.0,
    0.3232609568983269,   -5.585773082333679,  -0.23575313208230536, 0.0,
    -2.7873720382031086,  -13.754432042622241, 7.24708701312346,     0.0,
    -1.8144984672188524,  -13.008525442095078, 2.796756551746389,    0.0,
    1.8166196091588027,   -3.510738559919851,  3.0470135493024024,   1.0,
    2.786385702231721,    10.46009727637501,   8.088172414635435,    1.0,
    -0.32590978627223927, 22.52140592282077,   1.1970723609393379,   1.0,
    -2.960746674361948,   27.188691710020098,  10.30425478796645,    0.0,
    -1.2580827482196941,  22.454983454073417,  2.8421737170189134,   1.0,
    2.2876753514388084,   10.734744364156672,  5.668922603566557,    1.0,
    2.481983701786136,    -2.271687731782352,  5.852551652635396,    1.0,
    -0.9598198856525945,  -10.259058337743596, 0.3994527603899655,   0.0,
    -2.9954850919914433,  -9.282656001462614,  8.697885203074808,    0.0,
    -0.6427576208876528,  0.38642825177268847, 0.5485810086402528,   0.0};
const std::vector<double> kQueries{0.3, 1.0, -2.1, 8.5, 2.6, -15.0, 1.1, 20.0, -0.4, -3.3};

// Predicts column `col` for every query.
std::vector<double> PredictAll(TMemBasedLearner& l, int32_t col) {
  std::vector<double> out;
  for (size_t q = 0; q < kQueries.size(); q += 2) {
    std::vector<double> s{kQueries[q], kQueries[q + 1], 0.0, 0.0};
    EXPECT_EQ(l.ApplyModel(s, 0, 0), kMBLOk);
    out.push_back(s[static_cast<size_t>(col - 1)]);
  }
  return out;
}

TEST(MemBasedLearner, MatchesScikitLearnNeighbours) {
  struct Case {
    int32_t k;
    TMBLDistMode dist;
    TMBLScalingMode scl;
    std::vector<double> expected;  // KNeighborsRegressor(weights='uniform')
  };
  const std::vector<Case> cases{{3,
                                 TMBLDistMode::mblDistEuclid,
                                 TMBLScalingMode::mblUnscaled,
                                 {2.9646568537154394, 5.254368445149267, 3.1991353370112052,
                                  2.1765121370272964, 2.8879373566184974}},
                                {5,
                                 TMBLDistMode::mblDistManhattan,
                                 TMBLScalingMode::mblUnscaled,
                                 {2.6196547659316822, 5.26882312999078, 4.869626809220181,
                                  4.5461703220939045, 2.6309610298790784}},
                                {4,
                                 TMBLDistMode::mblDistEuclid,
                                 TMBLScalingMode::mblStandardized,
                                 {0.9907388739095769, 4.304655845820937, 4.214764953817365,
                                  4.576335505035415, 1.1636731769618898}}};
  auto l =
      Learner(4, kExamples, {VT::mblVarIndep, VT::mblVarIndep, VT::mblVarTarget, VT::mblVarIgnore});
  for (const Case& c : cases) {
    l->SetNumNearestNb(c.k);
    l->SetDistMode(c.dist);
    l->SetScalingMode(c.scl);
    const std::vector<double> got = PredictAll(*l, 3);
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-14);
  }
  // KNeighborsClassifier(5): the majority within one column SD is the vote
  // on a 0/1 class.
  l->SetVarType(3, VT::mblVarIgnore);
  l->SetVarType(4, VT::mblVarTarget);
  l->SetNumNearestNb(5);
  l->SetDistMode(TMBLDistMode::mblDistEuclid);
  l->SetScalingMode(TMBLScalingMode::mblUnscaled);
  l->SetLocalModel(TMBLLocalModel::mblLMMajority);
  EXPECT_EQ(PredictAll(*l, 4), (std::vector<double>{1.0, 1.0, 0.0, 1.0, 1.0}));
}

TEST(MemBasedLearner, AverageOfTheNearestRowsWithTheirOrder) {
  // Rows (0), (1), (3) with targets 10, 20, 40; k = 2; sensor 0.9.
  auto l = Learner(2, {0, 10, 1, 20, 3, 40}, {VT::mblVarIndep, VT::mblVarTarget});
  l->SetNumNearestNb(2);
  std::vector<int32_t> seen;
  int32_t err = 99, tag = 0;
  l->OnModelApplied = [&](TObject*, int32_t t, const TIntArray& nix, const TDoubleArray& nd,
                          int32_t e) {
    if (e == kMBLOk) {
      EXPECT_EQ(nd.size(), 100u);
      seen.assign(nix.begin(), nix.begin() + 4);
      EXPECT_EQ(nd[3], uc_MaxDouble);
    } else if (e == kMBLBadSensor) {
      EXPECT_TRUE(nix.empty() && nd.empty());
    }
    tag = t;
    err = e;
  };
  std::vector<double> s{0.9, -1.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 7), kMBLOk);
  EXPECT_DOUBLE_EQ(s[1], 15.0);
  EXPECT_DOUBLE_EQ(s[0], 0.9);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 1, 3, 0}));
  EXPECT_EQ(tag, 7);
  EXPECT_EQ(err, kMBLOk);
  // Leaving out row 2 takes rows 1 and 3.
  s = {0.9, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 2, 0), kMBLOk);
  EXPECT_DOUBLE_EQ(s[1], 25.0);
  // A NaN query has no nearest rows.
  s = {kNaN, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_TRUE(std::isnan(s[1]));
  // The failures zero the sensor and still report.
  s = {0.9};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLBadSensor);
  EXPECT_EQ(s, std::vector<double>{0.0});
  EXPECT_EQ(err, kMBLBadSensor);
  l->SetNumNearestNb(3);
  s = {0.9, 5.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLTooFewExamples);
  EXPECT_EQ(s, (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(err, kMBLTooFewExamples);
}

TEST(MemBasedLearner, LeavingOutARowKeepsTiesInRowOrder) {
  auto l = Learner(2, {5, 1, 6, 2, 5, 3, 5, 4, 9, 5}, {VT::mblVarIndep, VT::mblVarTarget});
  TIntArray seen;
  l->OnModelApplied = [&](TObject*, int32_t, const TIntArray& nix, const TDoubleArray&, int32_t) {
    seen.assign(nix.begin(), nix.begin() + 5);
  };
  for (const auto mode : {TMBLDistMode::mblDistEuclid, TMBLDistMode::mblDistManhattan}) {
    l->SetDistMode(mode);
    for (const auto& [excl, expected] :
         std::vector<std::pair<int32_t, TIntArray>>{{0, {1, 3, 4, 2, 5}},
                                                    {1, {3, 4, 2, 5, 0}},
                                                    {3, {1, 4, 2, 5, 0}},
                                                    {5, {1, 3, 4, 2, 0}},
                                                    {-7, {1, 3, 4, 2, 5}}}) {
      std::vector<double> s{5.0, 0.0};
      EXPECT_EQ(l->ApplyModel(s, excl, 0), kMBLOk);
      EXPECT_EQ(seen, expected) << excl;
    }
  }
}

TEST(MemBasedLearner, NumNearestNbAndVarTypeLimits) {
  std::vector<double> v(40, 1.0);
  auto l = Learner(2, v, {VT::mblVarIndep, VT::mblVarTarget});
  l->SetNumNearestNb(500);
  EXPECT_EQ(l->GetNumNearestNb(), 20);
  l->SetNumNearestNb(0);
  EXPECT_EQ(l->GetNumNearestNb(), 1);
  l->GetModelData()->Resize(2, 300);
  l->SetNumNearestNb(500);
  EXPECT_EQ(l->GetNumNearestNb(), 100);
  EXPECT_EQ(l->GetVarType(0), VT::mblVarIgnore);
  EXPECT_EQ(l->GetVarType(3), VT::mblVarIgnore);
  l->SetVarType(3, VT::mblVarTarget);
  l->SetVarType(1, static_cast<VT>(7));
  EXPECT_EQ(l->GetVarType(1), VT::mblVarIndep);
  l->GetModelData()->SetColAttrib(2, 9);
  EXPECT_EQ(l->GetVarType(2), VT::mblVarIgnore);
  l->SetAllVars(VT::mblVarTarget);
  EXPECT_EQ(l->CountTargetVars(), 2);
  EXPECT_EQ(l->CountIndependentVars(), 0);
}

TEST(MemBasedLearner, DistancesScaledAndStandardized) {
  auto l = Learner(3, {1e200, 0, 5, 0, 0, 5, 2e200, 0, 5},
                   {VT::mblVarIndep, VT::mblVarIndep, VT::mblVarIndep});
  EXPECT_DOUBLE_EQ(l->CalcDist({1e200, 1e200, 5}, 2), std::sqrt(2.0) * 1e200);
  EXPECT_DOUBLE_EQ(l->CalcDist({3e-200, 4e-200, 5}, 2), 5e-200);
  EXPECT_TRUE(std::isnan(l->CalcDist({kNaN, 0, 5}, 2)));
  EXPECT_TRUE(std::isnan(l->CalcDist({0, 0}, 2)));
  EXPECT_TRUE(std::isnan(l->CalcDist({0, 0, 0}, 4)));
  // The "Mahalanobis" mode is the Euclidean distance, as stored models expect.
  l->SetDistMode(TMBLDistMode::mblDistMahalanobis);
  EXPECT_EQ(l->CalcDist({-1, -2, 9}, 2), std::sqrt(21.0));
  l->SetDistMode(TMBLDistMode::mblDistManhattan);
  EXPECT_DOUBLE_EQ(l->CalcDist({-1, -2, 9}, 2), 7.0);
  // Standardized: column 1 has SD 1e200, column 2 SD 0 (only the mean is
  // taken off, 0 here), column 3 is constant 5.
  l->SetDistMode(TMBLDistMode::mblDistEuclid);
  l->SetScalingMode(TMBLScalingMode::mblStandardized);
  EXPECT_NEAR(l->CalcDist({2e200, 3, 5}, 2), std::hypot(2.0, 3.0), 1e-15);
  // The statistics follow the table.
  l->GetModelData()->SetElem(2, 1, 2.0);
  l->GetModelData()->SetElem(2, 3, -2.0);
  EXPECT_NEAR(l->CalcDist({1e200, 2, 5}, 2), std::hypot(1.0, 1.0), 1e-15);
}

TEST(MemBasedLearner, GaussianWeights) {
  // Two rows, k = 1: one distance, s = 0, the plain mean.
  auto l = Learner(2, {0, 10, 4, 30}, {VT::mblVarIndep, VT::mblVarTarget});
  l->SetLocalModel(TMBLLocalModel::mblLMWgtGauss);
  l->SetNumNearestNb(1);
  std::vector<double> s{0.0, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_EQ(s[1], 10.0);
  // Rows 0, 1, 2, 10 with k = 3 from sensor 0: distances 0, 1, 2, 10,
  // s = SD of {0, 1, 2, 10}.
  auto g = Learner(2, {0, 1, 1, 2, 2, 4, 10, 8}, {VT::mblVarIndep, VT::mblVarTarget});
  g->SetLocalModel(TMBLLocalModel::mblLMWgtGauss);
  g->SetNumNearestNb(3);
  const double m = 13.0 / 4,
               sd = std::sqrt(
                   ((m * m) + (1 - m) * (1 - m) + (2 - m) * (2 - m) + (10 - m) * (10 - m)) / 3);
  const double w1 = std::exp(-(1 / sd) * (1 / sd)), w2 = std::exp(-(2 / sd) * (2 / sd));
  s = {0.0, 0.0};
  EXPECT_EQ(g->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_NEAR(s[1], (1 + 2 * w1 + 4 * w2) / (1 + w1 + w2), 1e-14);
  // Far from everything: the weights of exp(-(d/s)^2) all underflow, the
  // relative form still gives the nearest row the most weight.
  s = {-1000.0, 0.0};
  EXPECT_EQ(g->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_TRUE(std::isfinite(s[1]));
  EXPECT_NEAR(s[1], 1.0, 1e-9);
}

TEST(MemBasedLearner, MajorityAndRegression) {
  // Targets 1, 1, 5, 5, 5 at 0..4; sigma ~2.19; from sensor 0.2 the 3
  // nearest are 1, 1, 5: the first neighbour with the highest count wins.
  auto l = Learner(2, {0, 1, 1, 1, 2, 5, 3, 5, 4, 5}, {VT::mblVarIndep, VT::mblVarTarget});
  l->SetLocalModel(TMBLLocalModel::mblLMMajority);
  l->SetNumNearestNb(3);
  std::vector<double> s{0.2, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_EQ(s[1], 1.0);
  s = {3.9, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_EQ(s[1], 5.0);
  // A constant column: sigma 0, the value of the nearest row.
  for (int32_t r = 1; r <= 5; ++r) l->GetModelData()->SetElem(2, r, 3.5);
  s = {2.2, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_EQ(s[1], 3.5);
  // A NaN anywhere in the column leaves no spread to vote with.
  l->GetModelData()->SetElem(2, 5, kNaN);
  s = {0.2, 0.0};
  EXPECT_EQ(l->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_TRUE(std::isnan(s[1]));

  // y = 1 + 2 x1 - 3 x2 holds on every row: the local plane is exact.
  std::vector<double> rows;
  for (int32_t i = 0; i < 8; ++i) {
    const double x1 = i, x2 = (i * i) % 5;
    rows.insert(rows.end(), {x1, x2, 1 + 2 * x1 - 3 * x2});
  }
  auto r = Learner(3, rows, {VT::mblVarIndep, VT::mblVarIndep, VT::mblVarTarget});
  r->SetLocalModel(TMBLLocalModel::mblLMRegress);
  r->SetNumNearestNb(5);
  s = {3.3, 1.7, 0.0};
  EXPECT_EQ(r->ApplyModel(s, 0, 0), kMBLOk);
  EXPECT_NEAR(s[2], 1 + 2 * 3.3 - 3 * 1.7, 1e-12);
  r->SetNumNearestNb(2);
  s = {3.3, 1.7, 9.0};
  EXPECT_EQ(r->ApplyModel(s, 0, 0), kMBLUnderdetermined);
  EXPECT_EQ(s, (std::vector<double>{3.3, 1.7, 0.0}));
}

TEST(MemBasedLearner, NeighbourListsKeepTheEarlierRowOnTies) {
  // Rows 1 and 3 are the same point; row 2 lies 1 away from both.
  auto l = Learner(1, {5, 6, 5, 9}, {VT::mblVarIndep});
  EXPECT_EQ(l->GetkNNOfModelData(1, 1), -1);
  l->CalcNNOfModelData();
  EXPECT_EQ(l->GetkNNOfModelData(1, 1), 1);
  EXPECT_EQ(l->GetkNNOfModelData(2, 1), 3);
  EXPECT_EQ(l->GetkNNOfModelData(1, 3), 1);  // the earlier duplicate precedes the row
  EXPECT_EQ(l->GetkNNOfModelData(2, 3), 3);
  EXPECT_EQ(l->GetkNNOfModelData(1, 2), 2);
  EXPECT_EQ(l->GetkNNOfModelData(2, 2), 1);
  EXPECT_EQ(l->GetkNNOfModelData(3, 2), 3);
  EXPECT_EQ(l->GetkNNDistOfModelData(4, 2), 3.0);
  EXPECT_EQ(l->GetkNNOfModelData(5, 2), 0);
  EXPECT_EQ(l->GetkNNDistOfModelData(5, 2), uc_MaxDouble);
  EXPECT_EQ(l->GetkNNOfModelData(101, 2), -1);
  EXPECT_EQ(l->GetkNNDistOfModelData(1, 5), -1.0);
  l->GetModelData()->SetElem(1, 4, 1.0);  // the lists go with the change
  EXPECT_EQ(l->GetkNNOfModelData(1, 1), -1);
}

TEST(MemBasedLearner, ContingencyTableOfLevelsAboveOne) {
  // Levels 5..7 at x = 0, 0, 1, 10, 11, 20; row 7 (x = 20) is empty and
  // must not be counted.
  auto l = Learner(2, {0, 5, 0, 6, 1, 6, 10, 6, 11, 7, 20, 7, 20, 1},
                   {VT::mblVarIndep, VT::mblVarIgnore});
  TDataTable* t = l->GetModelData();
  t->SetMScaleType(2, TMScaleType::stOrdinal);
  t->SetIsEmpty(2, 7, true);
  TInt2DArray tab;
  ASSERT_EQ(l->CalcContingencyTable(2, 1, tab), kMBLOk);
  // Nearest other row: 1->2, 2->1 (the duplicate counts), 3->1, 4->5,
  // 5->4, 6->7 (empty, skipped); row 7 itself is skipped.
  const TInt2DArray expected{{0, 1, 0, 1}, {2, 0, 1, 3}, {0, 1, 0, 1}, {2, 2, 1, 5}};
  EXPECT_EQ(tab, expected);
  // NumNb beyond the rows is clamped to rows - 1: every valid pair once.
  ASSERT_EQ(l->CalcContingencyTable(2, 500, tab), kMBLOk);
  EXPECT_EQ(tab[3][3], 6 * 5);
  // Failures.
  EXPECT_EQ(l->CalcContingencyTable(3, 1, tab), kMBLBadColumn);
  EXPECT_TRUE(tab.empty());
  EXPECT_EQ(l->CalcContingencyTable(0, 1, tab), kMBLNotCategorical);
  EXPECT_EQ(l->CalcContingencyTable(1, 1, tab), kMBLNotCategorical);
  t->SetElem(2, 1, 0.0);
  EXPECT_EQ(l->CalcContingencyTable(2, 1, tab), kMBLNonPositiveLevel);
  t->SetElem(2, 1, 150.0);
  EXPECT_EQ(l->CalcContingencyTable(2, 1, tab), kMBLBadLevelRange);
  for (int32_t r = 1; r <= 6; ++r) t->SetElem(2, r, 3.0);
  EXPECT_EQ(l->CalcContingencyTable(2, 1, tab), kMBLBadLevelRange);
}

class MemBasedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("membased_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    l_ = Learner(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 1.5, 2.5, 3.5},
                 {VT::mblVarIndep, VT::mblVarTarget, VT::mblVarIgnore});
    TDataTable* t = l_->GetModelData();
    t->SetMScaleType(3, TMScaleType::stNominal);
    t->SetNominalID(3, 0, "zero");
    t->SetNominalID(3, 150, "last");
    t->SetNominalID(3, 7, "seven");
    t->SetColName(1, "height");
    t->SetRowAttrib(2, -4);
    t->SetCellState(2, 3, kCellEmpty | kCellMark1);
    t->SetComment("table");
    l_->SetComment("a < b & c > d\nnext line");
    l_->SetModelName("m \"1\"");
    l_->SetNumNearestNb(2);
    l_->SetDistMode(TMBLDistMode::mblDistManhattan);
    l_->SetScalingMode(TMBLScalingMode::mblStandardized);
    l_->SetLocalModel(TMBLLocalModel::mblLMRegress);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* n) const { return (dir_ / n).string(); }

  // The loaded learner carries everything the fixture set.
  static void ExpectFixtureModel(const TMemBasedLearner& m) {
    const TDataTable* t = m.GetModelData();
    EXPECT_EQ(m.GetComment(), "a < b & c > d next line");
    EXPECT_EQ(m.GetModelName(), "m \"1\"");
    EXPECT_EQ(m.GetNumNearestNb(), 2);
    EXPECT_EQ(m.GetDistMode(), TMBLDistMode::mblDistManhattan);
    EXPECT_EQ(m.GetScalingMode(), TMBLScalingMode::mblStandardized);
    EXPECT_EQ(m.GetLocalModel(), TMBLLocalModel::mblLMRegress);
    ASSERT_EQ(t->GetNrOfColumns(), 3);
    ASSERT_EQ(t->GetNrOfRows(), 4);
    EXPECT_EQ(t->GetNumericData()->GetVal(3, 4), 3.5);
    EXPECT_EQ(t->GetNominalID(3, 0), "zero");
    EXPECT_EQ(t->GetNominalID(3, 7), "seven");
    EXPECT_EQ(t->GetNominalID(3, 150), "last");
    EXPECT_EQ(t->GetColName(1), "height");
    EXPECT_EQ(t->GetRowAttrib(2), -4);
    EXPECT_EQ(t->GetCellState(2, 3), kCellEmpty | kCellMark1);
    EXPECT_EQ(t->GetComment(), "table");
    EXPECT_EQ(m.GetVarType(2), VT::mblVarTarget);
  }

  std::filesystem::path dir_;
  std::unique_ptr<TMemBasedLearner> l_;
};

std::string ReadAll(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

void WriteAll(const std::string& p, const std::string& s) {
  std::ofstream f(p, std::ios::binary);
  f << s;
}

TEST_F(MemBasedFiles, XmlRoundTripEscapesText) {
  ASSERT_EQ(l_->StoreModelXML(Path("m.xml"), "id with \"blanks\""), kMBLOk);
  const std::string text = ReadAll(Path("m.xml"));
  EXPECT_NE(text.find("<comment>a &lt; b &amp; c &gt; d next line</comment>"), std::string::npos);
  EXPECT_NE(text.find("<distmode>manhattan</distmode>"), std::string::npos);
  EXPECT_NE(text.find("<locmodel>regression</locmodel>"), std::string::npos);
  TMemBasedLearner m(nullptr);
  std::string id;
  ASSERT_EQ(m.LoadModelXML(Path("m.xml"), id), kMBLOk);
  EXPECT_EQ(id, "id with \"blanks\"");
  ExpectFixtureModel(m);
  // k from the file is clamped like the setter; unknown names are ignored.
  std::string big = text;
  big.replace(big.find("<numnnb>2<"), 10, "<numnnb>500<");
  big.replace(big.find("manhattan"), 9, "chebyshev");
  WriteAll(Path("big.xml"), big);
  ASSERT_EQ(m.LoadModelXML(Path("big.xml"), id), kMBLOk);
  EXPECT_EQ(m.GetNumNearestNb(), 4);
  EXPECT_EQ(m.GetDistMode(), TMBLDistMode::mblDistManhattan);
}

// Element text spread over lines used to keep its last line break, which the
// writer turns into a blank that the next read strips: no fixed point.
TEST_F(MemBasedFiles, XmlTextOverLinesReadsAsOneLine) {
  ASSERT_EQ(l_->StoreModelXML(Path("m.xml"), "x"), kMBLOk);
  std::string xml = ReadAll(Path("m.xml"));
  const size_t from = xml.find("<modelname>") + 11;
  xml.replace(from, xml.find("</modelname>") - from, "\n  two\nlines\n");
  xml.replace(xml.find("<numnnb>2<"), 10, "<numnnb>\n3\n<");
  WriteAll(Path("lines.xml"), xml);
  TMemBasedLearner m(nullptr), r(nullptr);
  std::string id;
  ASSERT_EQ(m.LoadModelXML(Path("lines.xml"), id), kMBLOk);
  EXPECT_EQ(m.GetModelName(), "two lines");
  EXPECT_EQ(m.GetNumNearestNb(), 3);
  ASSERT_EQ(m.StoreModelXML(Path("again.xml"), "x"), kMBLOk);
  ASSERT_EQ(r.LoadModelXML(Path("again.xml"), id), kMBLOk);
  EXPECT_EQ(r.GetModelName(), "two lines");
}

TEST_F(MemBasedFiles, FailedLoadsKeepTheModel) {
  ASSERT_EQ(l_->StoreModelXML(Path("m.xml"), "x"), kMBLOk);
  ASSERT_EQ(l_->StoreModelBin(Path("m.bin"), "x"), kMBLOk);
  const std::string xml = ReadAll(Path("m.xml"));
  const std::string bin = ReadAll(Path("m.bin"));
  std::string id = "kept";
  // Every cut of the binary file fails with -2 and leaves the learner.
  auto victim = Learner(2, {1, 2, 3, 4}, {VT::mblVarIndep, VT::mblVarTarget});
  for (size_t n = 0; n < bin.size(); n += 7) {
    WriteAll(Path("cut.bin"), bin.substr(0, n));
    const int32_t res = victim->LoadModelBin(Path("cut.bin"), id);
    EXPECT_TRUE(res == kMBLFileDamaged || (n < 30 && res == kMBLFileBadHeader)) << n;
  }
  for (size_t n = 0; n < xml.find("</datatable>"); n += 41) {
    WriteAll(Path("cut.xml"), xml.substr(0, n));
    EXPECT_EQ(victim->LoadModelXML(Path("cut.xml"), id), kMBLFileBadHeader) << n;
  }
  EXPECT_EQ(victim->LoadModelBin(Path("none.bin"), id), kMBLFileDamaged);
  EXPECT_EQ(victim->LoadModelXML(Path("none.xml"), id), kMBLFileBadHeader);
  // Without its XML declaration the text is no model file; with a byte-order
  // mark and anything after the model's closing line it still is.
  WriteAll(Path("nodecl.xml"), xml.substr(xml.find('\n') + 1));
  EXPECT_EQ(victim->LoadModelXML(Path("nodecl.xml"), id), kMBLFileBadHeader);
  EXPECT_EQ(id, "kept");
  WriteAll(Path("bom.xml"), "\xEF\xBB\xBF" + xml + "trailing text\n");
  auto other = Learner(2, {1, 2, 3, 4}, {VT::mblVarIndep, VT::mblVarTarget});
  EXPECT_EQ(other->LoadModelXML(Path("bom.xml"), id), kMBLOk);
  id = "kept";
  EXPECT_EQ(victim->GetModelData()->GetNrOfRows(), 2);
  EXPECT_EQ(victim->GetModelData()->GetElem(2, 2), 4.0);
  EXPECT_EQ(victim->GetModelName(), "undefined");
}

TEST_F(MemBasedFiles, BinaryRoundTripAndHostileCounts) {
  ASSERT_EQ(l_->StoreModelBin(Path("m.bin"), "abc"), kMBLOk);
  TMemBasedLearner m(nullptr);
  std::string id;
  ASSERT_EQ(m.LoadModelBin(Path("m.bin"), id), kMBLOk);
  EXPECT_EQ(id, "abc");
  ExpectFixtureModel(m);
  const std::string bin = ReadAll(Path("m.bin"));
  // Offsets of the integers after the five leading string records.
  size_t p = 0;
  for (int i = 0; i < 5; ++i) {
    int32_t len = 0;
    std::memcpy(&len, bin.data() + p, 4);
    p += 4 + static_cast<size_t>(len) + 1;
  }
  const size_t kAt = p, distAt = p + 4;
  auto patched = [&](size_t at, int32_t v) {
    std::string s = bin;
    std::memcpy(s.data() + at, &v, 4);
    WriteAll(Path("p.bin"), s);
    return m.LoadModelBin(Path("p.bin"), id);
  };
  EXPECT_EQ(patched(distAt, 3), kMBLFileDamaged);
  EXPECT_EQ(patched(distAt, -1), kMBLFileDamaged);
  ASSERT_EQ(patched(kAt, 1000), kMBLOk);  // clamped to the 4 rows
  EXPECT_EQ(m.GetNumNearestNb(), 4);
  ASSERT_EQ(patched(kAt, -5), kMBLOk);
  EXPECT_EQ(m.GetNumNearestNb(), 1);
  // Column and row counts, level count and scale type follow k's block.
  int32_t tlen = 0;
  const size_t tAt = p + 16;
  std::memcpy(&tlen, bin.data() + tAt, 4);
  const size_t colsAt = tAt + 4 + static_cast<size_t>(tlen) + 1;
  for (const auto& [at, v] : std::vector<std::pair<size_t, int32_t>>{{colsAt, 0x7fffffff},
                                                                     {colsAt, -3},
                                                                     {colsAt + 4, 1 << 30},
                                                                     {colsAt + 8, 152},
                                                                     {colsAt + 12, 9},
                                                                     {colsAt + 12, -1}})
    EXPECT_EQ(patched(at, v), kMBLFileDamaged) << at << " " << v;
  EXPECT_EQ(m.GetNumNearestNb(), 1);
  EXPECT_EQ(m.GetModelData()->GetNrOfRows(), 4);
  std::string bad = bin;
  bad[5] = 'X';
  WriteAll(Path("sig.bin"), bad);
  EXPECT_EQ(m.LoadModelBin(Path("sig.bin"), id), kMBLFileBadHeader);
}

// A carriage return inside a string record used to be kept, and the writer
// then wrote a blank for it: the model did not write back as it was read.
TEST_F(MemBasedFiles, BinaryRecordWithALineBreakReadsAsOneLine) {
  ASSERT_EQ(l_->StoreModelBin(Path("m.bin"), "abc"), kMBLOk);
  std::string bin = ReadAll(Path("m.bin"));
  const size_t name = bin.find("m \"1\"");
  ASSERT_NE(name, std::string::npos);
  bin[name + 1] = '\r';
  WriteAll(Path("cr.bin"), bin);
  TMemBasedLearner m(nullptr);
  std::string id;
  ASSERT_EQ(m.LoadModelBin(Path("cr.bin"), id), kMBLOk);
  EXPECT_EQ(m.GetModelName(), "m \"1\"");
  ASSERT_EQ(m.StoreModelBin(Path("again.bin"), "abc"), kMBLOk);
  EXPECT_EQ(ReadAll(Path("again.bin")), ReadAll(Path("m.bin")));
}

TEST_F(MemBasedFiles, WritersReportFailedWrites) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(l_->StoreModelXML("/dev/full", "x"), kMBLFileWriteFailed);
  EXPECT_EQ(l_->StoreModelBin("/dev/full", "x"), kMBLFileWriteFailed);
  EXPECT_EQ(l_->StoreModelXML(Path("no/dir/m.xml"), "x"), kMBLFileWriteFailed);
  EXPECT_EQ(l_->StoreModelBin(Path("no/dir/m.bin"), "x"), kMBLFileWriteFailed);
}

// A pipe that never ends (a writer repeating a line) fails the load at its
// first line instead of being read until memory runs out.
TEST(MemBasedPipe, EndlessPipeFailsInsteadOfHanging) {
  const std::filesystem::path fifo =
      std::filesystem::temp_directory_path() / ("zel_mbl_fifo_" + std::to_string(::getpid()));
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    const char line[] = "abc 1 2 3\n";
    while (fd >= 0 && ::write(fd, line, sizeof line - 1) > 0) {
    }
    ::_exit(0);
  }
  TMemBasedLearner m(nullptr);
  std::string id;
  EXPECT_EQ(m.LoadModelXML(fifo.string(), id), kMBLFileBadHeader);
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  std::filesystem::remove(fifo);
}

}  // namespace
}  // namespace zel
