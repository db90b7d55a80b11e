// Points, running sums, statistics, rank statistics, ASC files and events of
// TCurveFit. Reference values: testdata/curvefit_reference.py.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "num/analysis/testdata/curvefit_reference.inc"
#include "num/analysis/zel_curvefit.hpp"

namespace zel {
namespace {

namespace ref = curvefit_ref;
using S = TCurveFitSum;
using E = TCurveFitError;
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void Fill(TCurveFit& f, const std::vector<double>& x, const std::vector<double>& y) {
  for (size_t i = 0; i < x.size(); ++i) f.EnterStatValue(x[i], y[i]);
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zel_curvefit_" + name)).string();
}

std::string WriteFile(const std::string& name, const std::string& text) {
  const std::string path = TempFile(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(CurveFitData, EmptyObjectGivesNeutralResults) {
  TCurveFit f(nullptr);
  EXPECT_EQ(f.GetNumData(), 0);
  EXPECT_EQ(f.GetMinX(), kMax);
  EXPECT_EQ(f.GetMeanX(), 0.0);
  EXPECT_EQ(f.GetMeanAngleX(), 0.0);
  EXPECT_EQ(f.PercentileX(50), 0.0);
  EXPECT_EQ(f.GetSpearmanRankCorr(), 0.0);
  double p = 1;
  EXPECT_EQ(f.KendallsTau(p), 0.0);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(f.GetModelPar(1, 0), 0.0);
  EXPECT_EQ(f.GetModelPar(2, 0), -1.0);
  EXPECT_EQ(f.GetModelPar(3, 0), -1.0);
  EXPECT_EQ(f.GetErrIndic(), TCurveFitErrors::None);
}

TEST(CurveFitData, StatisticsTakeTheMeanFirstAndSurviveExtremeScales) {
  TCurveFit f(nullptr);
  Fill(f, {1e10 + 1, 1e10 + 2, 1e10 + 3}, {1, 2, 4});
  int32_t n = 0;
  double mx, my, sx, sy, md, sd, r;
  f.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(sx, 1.0);  // the running-sum formula gives 0 here
  EXPECT_DOUBLE_EQ(sy, std::sqrt(7.0 / 3.0));
  EXPECT_DOUBLE_EQ(r, 3.0 / std::sqrt(28.0 / 3.0));
  EXPECT_DOUBLE_EQ(md, 1e10 + 2 - 7.0 / 3.0);
  for (double scale : {1e154, 1e-160, 1e300}) {
    TCurveFit g(nullptr);
    Fill(g, {1 * scale, 2 * scale, 3 * scale, 5 * scale},
         {2 * scale, 4 * scale, 6 * scale, 10 * scale});
    EXPECT_NEAR(g.GetStdDevX() / scale, std::sqrt(35.0 / 12.0), 1e-15) << scale;
    EXPECT_NEAR(g.GetCorrCoeff(), 1.0, 1e-15) << scale;
    EXPECT_NEAR(g.GetRMSDiff() / scale, std::sqrt(39.0 / 4.0), 1e-15) << scale;
    EXPECT_NEAR(g.GetStdDevDiff() / scale, std::sqrt(35.0 / 12.0), 1e-15) << scale;
  }
}

TEST(CurveFitData, NaNPropagatesAndLeavesTheSumsRemovable) {
  TCurveFit f(nullptr);
  Fill(f, {1, 2, 3, 4}, {1, 3, 2, 5});
  const long double sumxy = f.GetRunningSum(S::sumxy);
  f.EnterStatValue(kNaN, 1.0);
  f.EnterStatValue(2.5, kInf);
  EXPECT_EQ(f.GetNonFiniteCount(), 2);
  EXPECT_TRUE(std::isnan(f.GetMeanX()));
  EXPECT_TRUE(std::isnan(f.GetStdDevX()));
  EXPECT_TRUE(std::isnan(f.GetCorrCoeff()));
  EXPECT_TRUE(std::isnan(f.GetMinX()));
  EXPECT_TRUE(std::isnan(f.GetSpearmanRankCorr()));
  double p = 0;
  EXPECT_TRUE(std::isnan(f.KendallsTau(p)));
  EXPECT_TRUE(std::isnan(p));
  EXPECT_EQ(f.GetRunningSum(S::sumxy), sumxy);
  f.RemoveStatValue(6);
  f.RemoveStatValue(5);
  EXPECT_EQ(f.GetNonFiniteCount(), 0);
  EXPECT_EQ(f.GetMeanX(), 2.5);
  EXPECT_EQ(f.GetMinX(), 1.0);
  EXPECT_NEAR(f.KendallsTau(p), 4.0 / 6.0, 1e-15);
}

TEST(CurveFitData, InvalidTermsAreCountedNeverAddedAsSentinels) {
  TCurveFit f(nullptr);
  Fill(f, {2, 4, 8}, {0.5, 0.25, 0.125});
  f.EnterStatValue(0.5, 0.0);  // 1/y and ln y undefined
  EXPECT_TRUE(Contains(f.GetErrIndic(), E::cfeYEQ0));
  EXPECT_TRUE(Contains(f.GetErrIndic(), E::cfeYLE0));
  EXPECT_FALSE(Contains(f.GetErrIndic(), E::cfeXEQ0));
  EXPECT_EQ(f.GetErrCount(E::cfeYEQ0), 1);
  // The other points keep their contributions exactly: no large value was
  // added and taken away.
  EXPECT_EQ(f.GetRunningSum(S::sum1byy), 14.0L);
  EXPECT_EQ(f.GetRunningSum(S::sum1byyq), 84.0L);
  EXPECT_EQ(f.GetRunningSum(S::sumxbyy), 84.0L);
  EXPECT_EQ(f.GetRunningSum(S::sum1byxy), 3.0L);
  double k0, k1, q;
  EXPECT_THROW(f.CalcReciLinFit(k0, k1, q), EZELMath2Error);
  f.RemoveStatValue(4);
  EXPECT_EQ(f.GetErrIndic(), TCurveFitErrors::None);
  f.CalcReciLinFit(k0, k1, q);  // 1/y = 0 + 1 x
  EXPECT_NEAR(k0, 0.0, 1e-15);
  EXPECT_NEAR(k1, 1.0, 1e-15);
  // Tiny but non-zero values stay in.
  f.EnterStatValue(-1e-20, 1e-25);
  EXPECT_EQ(f.GetErrCount(E::cfeXLE0), 1);
  EXPECT_EQ(f.GetErrCount(E::cfeXEQ0), 0);
  EXPECT_EQ(f.GetErrCount(E::cfeYEQ0), 0);
  EXPECT_EQ(f.GetRunningSum(S::sum1byx), 0.875L + 1.0L / static_cast<long double>(-1e-20));
}

TEST(CurveFitData, RemovalShiftsPointsRescansExtremesAndKeepsSumsExact) {
  TCurveFit f(nullptr);
  for (int i = 1; i <= 300; ++i) f.EnterStatValue(i, 2.0 * i);
  f.RemoveStatValue(1);
  ASSERT_EQ(f.GetNumData(), 299);
  EXPECT_EQ(f.GetDataX(1), 2.0);
  EXPECT_EQ(f.GetDataY(299), 600.0);
  EXPECT_EQ(f.GetMinX(), 2.0);
  f.RemoveStatValue(299);
  EXPECT_EQ(f.GetMaxX(), 299.0);
  EXPECT_EQ(f.GetMaxY(), 598.0);
  f.RemoveStatValue(0);  // outside: nothing removed
  f.RemoveStatValue(1000);
  EXPECT_EQ(f.GetNumData(), 298);
  // A huge value must not leave rounding residue in the sums once removed.
  TCurveFit g(nullptr);
  Fill(g, {1e20, 1, 2}, {1, 1, 1});
  g.RemoveStatValue(1);
  EXPECT_EQ(g.GetRunningSum(S::sumx), 3.0L);
  EXPECT_EQ(g.GetRunningSum(S::sumxq), 5.0L);
  EXPECT_EQ(g.GetRunningSum(S::sumDiff), 1.0L);
}

TEST(CurveFitData, FlipXYExchangesCounterpartsAndTwiceRestores) {
  TCurveFit f(nullptr);
  Fill(f, {0.0, 2, 3, 4.5}, {-1, 5, 0.5, 7});
  std::vector<long double> before;
  for (int32_t s = 0; s < kNumCurveFitSums; ++s)
    before.push_back(f.GetRunningSum(static_cast<S>(s)));
  const auto errs = f.GetErrIndic();
  f.FlipXY();
  EXPECT_EQ(f.GetErrCount(E::cfeYEQ0), 1);  // x = 0 became y = 0
  EXPECT_EQ(f.GetErrCount(E::cfeXLE0), 1);  // y = -1 became x = -1
  EXPECT_EQ(f.GetDataX(2), 5.0);
  EXPECT_EQ(f.GetMinY(), 0.0);
  // The flipped sums equal those of the flipped points entered afresh.
  TCurveFit g(nullptr);
  Fill(g, {-1, 5, 0.5, 7}, {0.0, 2, 3, 4.5});
  for (int32_t s = 0; s < kNumCurveFitSums; ++s)
    EXPECT_EQ(f.GetRunningSum(static_cast<S>(s)), g.GetRunningSum(static_cast<S>(s))) << s;
  f.FlipXY();
  for (int32_t s = 0; s < kNumCurveFitSums; ++s)
    EXPECT_EQ(f.GetRunningSum(static_cast<S>(s)), before[static_cast<size_t>(s)]) << s;
  EXPECT_EQ(f.GetErrIndic(), errs);
  EXPECT_EQ(f.GetDataX(1), 0.0);
}

TEST(CurveFitData, MeanAngleUsesBothSignsAndNeverDividesByZero) {
  struct Case {
    std::vector<double> a;
    double want;
  };
  for (const Case& c : {Case{{350, 20}, 5}, Case{{170, 200}, 185}, Case{{10, 30}, 20},
                        Case{{200, 300}, 250}, Case{{300, 340}, 320}, Case{{90}, 90}}) {
    TCurveFit f(nullptr);
    Fill(f, c.a, c.a);
    EXPECT_NEAR(f.GetMeanAngleX(), c.want, 1e-12) << c.a[0];
    EXPECT_NEAR(f.GetMeanAngleY(), c.want, 1e-12);
  }
  TCurveFit f(nullptr);
  Fill(f, {0, 180}, {0, 0});
  const double a = f.GetMeanAngleX();  // cosines cancel: straight up or down
  EXPECT_TRUE(std::fabs(a - 90) < 1e-9 || std::fabs(a - 270) < 1e-9) << a;
}

TEST(CurveFitRanks, KendallSpearmanAndOrderStatisticsMatchScipy) {
  TCurveFit f(nullptr);
  Fill(f, ref::kRankX, ref::kRankY);
  double p = 0;
  EXPECT_NEAR(f.KendallsTau(p), ref::kRankTau, 1e-15);
  EXPECT_NEAR(f.GetSpearmanRankCorr(), ref::kRankSpearman, 1e-15);
  EXPECT_NEAR(f.GetKruskalGamma(), ref::kRankGamma, 1e-15);
  EXPECT_NEAR(f.GetSkewnessY(), ref::kSkewY, 1e-14);
  EXPECT_NEAR(f.GetKurtosisY(), ref::kKurtY, 1e-14);
  TCurveFit flipped(nullptr);
  Fill(flipped, ref::kRankY, ref::kRankX);  // the x getters read x
  EXPECT_NEAR(flipped.GetSkewnessX(), ref::kSkewY, 1e-14);
  EXPECT_NEAR(flipped.GetKurtosisX(), ref::kKurtY, 1e-14);
  double q1, q2, q3;
  f.QuartilesX(q1, q2, q3);
  EXPECT_DOUBLE_EQ(q1, ref::kQuartX[0]);
  EXPECT_DOUBLE_EQ(q2, ref::kQuartX[1]);
  EXPECT_DOUBLE_EQ(q3, ref::kQuartX[2]);
  EXPECT_EQ(f.PercentileX(100), 10.0);  // rank capped at n - 1
  EXPECT_EQ(f.PercentileY(0), 1.0);
  // Without ties p is the normal approximation without tie correction.
  TCurveFit g(nullptr);
  Fill(g, ref::kLineX, ref::kLineY);
  EXPECT_NEAR(g.KendallsTau(p), ref::kLineKendallTau, 1e-15);
  EXPECT_NEAR(p, ref::kLineKendallP, 2e-7);
  // The cache follows the data.
  g.EnterStatValue(12, 0);
  EXPECT_LT(g.KendallsTau(p), 0.9);
  // More than 2^31 pairs: the counts must not wrap.
  TCurveFit big(nullptr);
  for (int i = 0; i < 70000; ++i) big.EnterStatValue(i, i % 2 == 0 ? i : i - 1);
  const double c = 70000.0 * 69999 / 2 - 35000, t = 35000;  // pairs (2k, 2k+1) tie in y
  EXPECT_NEAR(big.KendallsTau(p), c / std::sqrt((c + t) * c), 1e-15);
  EXPECT_EQ(big.GetKruskalGamma(), 1.0);
}

TEST(CurveFitAsc, ExportThenImportRestoresThePointsExactly) {
  TCurveFit f(nullptr);
  const std::vector<double> xs{1.5, -2.25e-160, 1e154, kNaN, 0.1};
  const std::vector<double> ys{3.0, 7e300, -kInf, 2.0, 1.0 / 3.0};
  Fill(f, xs, ys);
  const std::string path = TempFile("roundtrip.asc");
  ASSERT_EQ(f.ExportAsASC(path, "two\nlines", -1), "");
  std::string line;
  std::getline(std::ifstream(path), line);
  EXPECT_EQ(line, "two lines");
  TCurveFit g(nullptr);
  g.EnterStatValue(99, 99);  // replaced, not appended to
  int events = 0;
  g.OnChange = [&](TObject*) { ++events; };
  ASSERT_EQ(g.ImportASC(path), 0);
  EXPECT_EQ(events, 1);
  ASSERT_EQ(g.GetNumData(), 5);
  for (int32_t i = 1; i <= 5; ++i) {
    const auto k = static_cast<size_t>(i - 1);
    EXPECT_TRUE(g.GetDataX(i) == xs[k] || (std::isnan(xs[k]) && std::isnan(g.GetDataX(i)))) << i;
    EXPECT_EQ(g.GetDataY(i), ys[k]) << i;
  }
  EXPECT_EQ(g.GetNonFiniteCount(), 2);
  EXPECT_EQ(g.GetRunningSum(S::sumx), 1.5L + static_cast<long double>(0.1));
  // The layout, with fixed decimals as asked and the default comment.
  TCurveFit h(nullptr);
  Fill(h, {1.25, 2}, {-0.5, 4});
  ASSERT_EQ(h.ExportAsASC(path, "", 1), "");
  std::ifstream in2(path);
  std::string all((std::istreambuf_iterator<char>(in2)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, "Exported by ZEL TCurveFit component: " + path +
                     "\n2\t;nr. of columns\n2\t;nr. of rows\nFALSE TRUE FALSE\t;row "
                     "attributes, column names, row names\nx   y\n1.2\t-0.5\n2.0\t4.0\n");
  std::filesystem::remove(path);
}

TEST(CurveFitAsc, ReadsAttributesAndQuotedNames) {
  TCurveFit f(nullptr);
  const std::string path =
      WriteFile("names.asc",
                "c\n2\n2\nTRUE TRUE TRUE FALSE\n\"dose\" \"effect\"\n1 \"a b\" 0.5 1e400\n\n"
                "2\t\"c\"\t1e-400\t-3\n");
  ASSERT_EQ(f.ImportASC(path), 0);
  EXPECT_EQ(f.GetDataX(1), 0.5);
  EXPECT_EQ(f.GetDataY(1), kInf);
  EXPECT_EQ(f.GetDataX(2), 0.0);
  EXPECT_EQ(f.GetDataY(2), -3.0);
  std::filesystem::remove(path);
}

TEST(CurveFitAsc, DamagedFilesFailWithTheirCodeAndLeaveThePoints) {
  const std::string head = "c\n2\n";
  struct Case {
    std::string text;
    int32_t code;
  };
  const Case cases[] = {
      {"c\n2\n-1\nFALSE FALSE FALSE\n", kAscBadRowCount},
      {"c\n2\n2000000000\nFALSE FALSE FALSE\n1 2\n", kAscBadRowCount},
      {"c\n2\n2\nFALSE TRUE\n1 2\n3 4\n", kAscBadFlags},
      {head + "3\nFALSE FALSE FALSE\n1 2\n3 4\n", kCurveFitAscBadValue},     // a row short
      {head + "2\nFALSE FALSE FALSE\n1 2\n3\n4 5\n", kCurveFitAscBadValue},  // never shifted
      {head + "2\nFALSE FALSE FALSE\n1 2\n3 4 5\n", kCurveFitAscBadValue},
      {head + "2\nFALSE FALSE FALSE\n1 2\n3,5 4\n", kCurveFitAscBadValue},
      {head + "1\nTRUE FALSE FALSE\nx 1 2\n", kCurveFitAscBadAttribute},
      {head + "1\nFALSE FALSE TRUE\n1 2\n", kCurveFitAscBadValue},  // name missing
      {head + "1\nFALSE TRUE FALSE\n\"x\n1 2\n", kCurveFitAscBadValue},
      {head + "1\nFALSE FALSE FALSE TRUE\n1 2\n", kCurveFitAscNominal},
  };
  for (const Case& c : cases) {
    TCurveFit f(nullptr);
    Fill(f, {7}, {8});
    int events = 0;
    f.OnChange = [&](TObject*) { ++events; };
    const std::string path = WriteFile("bad.asc", c.text);
    EXPECT_EQ(f.ImportASC(path), c.code) << c.text;
    EXPECT_EQ(f.GetNumData(), 1) << c.text;
    EXPECT_EQ(f.GetDataX(1), 7.0);
    EXPECT_EQ(events, 0);
    std::filesystem::remove(path);
  }
  TCurveFit f(nullptr);
  EXPECT_EQ(f.ImportASC(TempFile("missing.asc")), kAscCannotRead);
  const std::string path = WriteFile("cols.asc", "c\n3\n1\nFALSE FALSE FALSE FALSE\n1 2 3\n");
  try {
    f.ImportASC(path);
    ADD_FAILURE() << "no exception";
  } catch (const EZELMath2Error& e) {
    EXPECT_STREQ(e.what(), "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
  }
  std::filesystem::remove(path);
}

TEST(CurveFitAsc, ExportReportsCreateAndWriteFailures) {
  TCurveFit f(nullptr);
  Fill(f, {1}, {2});
  const std::string bad = TempFile("no/such/dir/f.asc");
  EXPECT_EQ(f.ExportAsASC(bad, "", 2), "TCurveFit.ExportAsASC: cannot create file \"" + bad + "\"");
  if (std::filesystem::exists("/dev/full")) {
    for (int i = 0; i < 20000; ++i) f.EnterStatValue(i, i);  // more than a buffer
    EXPECT_EQ(f.ExportAsASC("/dev/full", "", 6),
              "TCurveFit.ExportAsASC: writing file \"/dev/full\" failed");
  }
}

TEST(CurveFitEvents, FireAfterEachChangeAndAllowReentry) {
  TCurveFit f(nullptr);
  int events = 0;
  f.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &f);
    ++events;
  };
  f.EnterStatValue(1, 2);
  f.EnterStatValue(2, 3);
  f.RemoveStatValue(1);
  f.RemoveStatValue(5);  // nothing changed
  f.FlipXY();
  f.Init();
  EXPECT_EQ(events, 5);
  // A handler that empties the object while a point is entered.
  f.OnChange = [&](TObject*) {
    if (f.GetNumData() > 2) f.Init();
  };
  f.EnterStatValue(1, 1);
  f.EnterStatValue(2, 2);
  EXPECT_EQ(f.EnterStatValue(3, 3), 3);
  EXPECT_EQ(f.GetNumData(), 0);
  EXPECT_EQ(f.GetRunningSum(S::sumx), 0.0L);
}

TEST(CurveFitStatusText, EveryCodeHasItsOwnSentence) {
  struct Family {
    const char* (*text)(int32_t);
    std::vector<int32_t> codes;
  };
  const Family families[] = {
      {RegModelStatusText, {kRegModelOk, kRegModelTooFewPoints, kRegModelNone, kRegModelFitFailed}},
      {PredictStatusText,
       {kPredictOk, kPredictBadProbability, kPredictTooFewPoints, kPredictNoModel,
        kPredictNoDegreesOfFreedom, kPredictFitFailed}},
      {AnovaRegStatusText, {kAnovaOk, kAnovaNoDegreesOfFreedom}},
      {CurveFitAscStatusText,
       {kAscOk, kAscCannotRead, kAscBadColumnCount, kAscBadRowCount, kAscBadFlags,
        kCurveFitAscBadAttribute, kCurveFitAscBadValue, kCurveFitAscNominal}},
  };
  for (const auto& f : families) {
    std::set<std::string> seen{f.text(-99)};
    for (int32_t c : f.codes) EXPECT_TRUE(seen.insert(f.text(c)).second) << c << ": " << f.text(c);
  }
  EXPECT_STREQ(CurveFitAscStatusText(kCurveFitAscBadAttribute),
               "a row attribute is missing or not a number");
  EXPECT_STREQ(PredictStatusText(kPredictNoModel), "no regression model was requested");
}

}  // namespace
}  // namespace zel
