// Tests of TKohonen: training, application and the XML file.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <utility>
#include <limits>
#include <memory>
#include <vector>

#include "core/zel_random.hpp"
#include "core/zel_streams.hpp"
#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_kohonen.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using analysis_test::RowsMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Four well separated 2-D clusters of 50 points each, interleaved (row r
// belongs to cluster (r - 1) % 4), scaled by Scale.
std::unique_ptr<TMatrix> Clusters(double Scale = 1.0) {
  const double centres[4][2] = {{0, 0}, {10, 0}, {0, 10}, {10, 10}};
  SetRandSeed(7);
  std::vector<double> v;
  for (int i = 0; i < 50; ++i)
    for (const auto& c : centres) {
      v.push_back((c[0] + RandG(0, 1)) * Scale);
      v.push_back((c[1] + RandG(0, 1)) * Scale);
    }
  return RowsMatrix(2, v);
}

std::unique_ptr<TKohonen> TrainedMap(const TMatrix& Data, int32_t Size, uint64_t Seed,
                                     int32_t Steps = 60) {
  auto map = std::make_unique<TKohonen>(nullptr);
  map->SetDataMat(&Data);
  map->StandardizeData();
  map->SetSizeX(Size);
  map->SetSizeY(Size);
  map->SetNrOfTrnSteps(Steps);
  map->SetInitialNeighbors(Size / 2);
  map->SetInitialAlpha(0.5);
  SetRandSeed(Seed);
  EXPECT_EQ(map->Trainit(), kKohOk);
  return map;
}

struct TMapQuality {
  double Quantisation = 0;  // mean distance to the best neuron, data units
  double Topographic = 0;   // share of rows whose two best neurons are not adjacent
};

TMapQuality Quality(const TKohonen& Map, const TMatrix& Data) {
  TMapQuality q;
  const int32_t rows = Data.GetNrOfRows();
  for (int32_t r = 1; r <= rows; ++r) {
    // (distance, ix, iy) of the best and the second best neuron
    std::array<double, 3> best{INFINITY, 0, 0}, second{INFINITY, 0, 0};
    for (int32_t ix = 1; ix <= Map.GetSizeX(); ++ix)
      for (int32_t iy = 1; iy <= Map.GetSizeY(); ++iy) {
        const std::array<double, 3> e{std::hypot(Data.GetVal(1, r) - Map.GetWeight(ix, iy, 1),
                                                 Data.GetVal(2, r) - Map.GetWeight(ix, iy, 2)),
                                      double(ix), double(iy)};
        if (e[0] < best[0])
          second = std::exchange(best, e);
        else if (e[0] < second[0])
          second = e;
      }
    q.Quantisation += best[0] / rows;
    if (std::abs(best[1] - second[1]) > 1 || std::abs(best[2] - second[2]) > 1)
      q.Topographic += 1.0 / rows;
  }
  return q;
}

std::string XmlOf(const TKohonen& Map, const std::string& Id = "m") {
  TMemoryStream ms;
  EXPECT_TRUE(Map.WriteToXMLStream(ms, true, Id));
  std::string s(static_cast<size_t>(ms.GetSize()), '\0');
  ms.SetPosition(0);
  ms.Read(s.data(), static_cast<int64_t>(s.size()));
  return s;
}

bool ReadXmlText(TKohonen& Map, const std::string& Text, const std::string& Id = "m") {
  TMemoryStream ms;
  ms.Write(Text.data(), static_cast<int64_t>(Text.size()));
  ms.SetPosition(0);
  return Map.ReadFromXMLStream(ms, Id);
}

// ---------------------------------------------------------------------------
// Training
// ---------------------------------------------------------------------------

TEST(KohonenTraining, SeparatesClustersWithLowQuantisationAndTopographicError) {
  const auto data = Clusters();
  const auto map = TrainedMap(*data, 8, 11);
  const TMapQuality q = Quality(*map, *data);
  // The clusters have unit spread: a map that places neurons inside them
  // quantises at about one standard deviation or less.
  EXPECT_LT(q.Quantisation, 1.0);
  EXPECT_LT(q.Topographic, 0.1);
  // Each cluster is won mostly in its own region: the mean winner positions
  // of the four clusters lie at least a quarter of the map apart.
  double mean[4][2] = {};
  for (int32_t r = 1; r <= 200; ++r) {
    int32_t bx = 0, by = 0;
    double dist = 0;
    const auto in = MakeVector({data->GetVal(1, r), data->GetVal(2, r)});
    map->ApplyIt(in.get(), bx, by, dist);
    mean[(r - 1) % 4][0] += bx / 50.0;
    mean[(r - 1) % 4][1] += by / 50.0;
  }
  for (int a = 0; a < 4; ++a)
    for (int b = a + 1; b < 4; ++b)
      EXPECT_GT(std::hypot(mean[a][0] - mean[b][0], mean[a][1] - mean[b][1]), 2.0) << a << b;
}

TEST(KohonenTraining, QuantisationErrorFallsAsTrainingGoesOn) {
  const auto data = Clusters();
  auto map = std::make_unique<TKohonen>(nullptr);
  map->SetDataMat(data.get());
  map->StandardizeData();
  map->SetSizeX(6);
  map->SetSizeY(6);
  map->SetNrOfTrnSteps(40);
  map->SetInitialNeighbors(3);
  map->SetInitialAlpha(0.5);
  std::vector<double> qe;
  map->OnFeedback = [&](TObject*, int32_t) { qe.push_back(Quality(*map, *data).Quantisation); };
  SetRandSeed(3);
  map->SetWeigtsToRandom();
  const double initial = Quality(*map, *data).Quantisation;
  SetRandSeed(3);
  ASSERT_EQ(map->Trainit(), kKohOk);
  ASSERT_EQ(qe.size(), 39u);
  // The first steps pull the whole map together; from then on the error falls.
  EXPECT_LT(qe[38], initial / 4);
  EXPECT_LT(qe[38], qe[9]);
  EXPECT_LT(qe[9], qe[0]);
}

TEST(KohonenTraining, IsDeterministicForASeed) {
  const auto data = Clusters();
  const auto a = TrainedMap(*data, 5, 42, 20), b = TrainedMap(*data, 5, 42, 20);
  const auto c = TrainedMap(*data, 5, 43, 20);
  EXPECT_EQ(XmlOf(*a), XmlOf(*b));
  EXPECT_NE(XmlOf(*a), XmlOf(*c));
}

TEST(KohonenTraining, SingleNeuronApproachesTheDataMean) {
  const auto data = Clusters();
  const auto map = TrainedMap(*data, 1, 5, 200);
  // The cluster means are 5 in both coordinates (spread 5.1).
  EXPECT_NEAR(map->GetWeight(1, 1, 1), map->GetMeanVec().GetVal(1), 0.1);
  EXPECT_NEAR(map->GetWeight(1, 1, 2), map->GetMeanVec().GetVal(2), 0.1);
  EXPECT_NEAR(map->GetMeanVec().GetVal(1), 5.0, 0.3);
}

TEST(KohonenTraining, FeedbackPerStepRoundsHalvesToEven) {
  auto map = std::make_unique<TKohonen>(nullptr);
  std::vector<int32_t> pct;
  map->OnFeedback = [&](TObject* s, int32_t p) {
    EXPECT_EQ(s, map.get());
    pct.push_back(p);
  };
  SetRandSeed(1);
  ASSERT_EQ(map->Trainit(), kKohOk);
  ASSERT_EQ(pct.size(), 199u);
  // round(100 s / 200): 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 99.5 -> 100.
  EXPECT_EQ(pct[0], 0);
  EXPECT_EQ(pct[2], 2);
  EXPECT_EQ(pct[4], 2);
  EXPECT_EQ(pct[198], 100);
  EXPECT_EQ(map->GetCurStep(), 200);
}

TEST(KohonenTraining, StepScheduleNeverDividesByZeroNorGrows) {
  const auto data = Clusters();
  auto map = std::make_unique<TKohonen>(nullptr);
  map->SetDataMat(data.get());
  map->StandardizeData();
  map->SetSizeX(3);
  map->SetNrOfTrnSteps(0);
  EXPECT_EQ(map->GetNrOfTrnSteps(), 1);
  int calls = 0;
  map->OnFeedback = [&](TObject*, int32_t p) {
    ++calls;
    EXPECT_EQ(p, 100);
  };
  SetRandSeed(2);
  ASSERT_EQ(map->Trainit(), kKohOk);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(map->GetCurAlpha(), 0.0);
  map->OnFeedback = nullptr;
  // A current step beyond the step count (lowered count or a loaded state)
  // moves nothing: the rate is clamped at 0 instead of growing again.
  map->SetNrOfTrnSteps(50);
  SetRandSeed(2);
  map->Trainit();
  map->SetNrOfTrnSteps(10);
  const std::string before = XmlOf(*map);
  EXPECT_EQ(map->GetCurStep(), 50);
  ASSERT_EQ(map->ContinueTraining(), kKohOk);
  EXPECT_EQ(map->GetCurAlpha(), 0.0);
  EXPECT_EQ(map->GetCurStep(), 51);
  TKohonen back(nullptr);
  ASSERT_TRUE(ReadXmlText(back, before));
  for (int32_t ix = 1; ix <= 3; ++ix) EXPECT_EQ(map->GetWeight(ix, 1, 1), back.GetWeight(ix, 1, 1));
}

TEST(KohonenTraining, ConstantColumnIsCentredForTrainingAndApplication) {
  // The second variable is constant: training and application must both see 0.
  std::vector<double> v;
  for (int i = 0; i < 30; ++i) v.insert(v.end(), {static_cast<double>(i % 5), 5.0});
  const auto data = RowsMatrix(2, v);
  const auto map = TrainedMap(*data, 3, 9, 30);
  EXPECT_EQ(map->GetStdDevVec().GetVal(2), 0.0);
  EXPECT_EQ(map->GetMeanVec().GetVal(2), 5.0);
  for (int32_t r = 1; r <= 30; ++r) EXPECT_EQ(map->GetDataMat().GetVal(2, r), 0.0);
  EXPECT_EQ(map->GetWeight(2, 2, 2), 5.0 + map->GetKohMat().GetVal(2, 2, 2) * 0.0);
  for (int32_t r = 1; r <= 5; ++r) {
    int32_t bx = 0, by = 0;
    double dist = 0;
    const auto in = MakeVector({data->GetVal(1, r), 5.0});
    map->ApplyIt(in.get(), bx, by, dist);
    EXPECT_LT(dist, 0.5) << r;  // raw 5 in training would leave about 25
  }
}

TEST(KohonenTraining, NeighbourhoodClipsOrWrapsTheGrid) {
  // All weights 0 and one row: the winner is neuron (1, 1); after one step
  // at radius 7 exactly the neighbourhood has moved.
  struct Case {
    bool Cyclic;
    std::vector<int32_t> Moved;  // along each axis
  };
  for (const Case& c :
       {Case{false, {1, 2, 3, 4, 5, 6, 7, 8}}, Case{true, {1, 2, 3, 4, 5, 7, 8, 9, 10}}}) {
    TKohonen map(nullptr);
    const auto data = RowsMatrix(1, {1.0});
    map.SetDataMat(data.get());
    map.SetSizeX(10);
    map.SetSizeY(10);
    map.SetCyclic(c.Cyclic);
    map.SetInitialNeighbors(7);
    map.SetNrOfTrnSteps(1000);
    map.OnFeedback = [&](TObject*, int32_t) { map.AbortTraining(); };
    ASSERT_EQ(map.ContinueTraining(), kKohAborted);
    EXPECT_EQ(map.GetCurNeighb(), 7);
    for (int32_t ix = 1; ix <= 10; ++ix)
      for (int32_t iy = 1; iy <= 10; ++iy) {
        const bool in = std::count(c.Moved.begin(), c.Moved.end(), ix) &&
                        std::count(c.Moved.begin(), c.Moved.end(), iy);
        EXPECT_EQ(map.GetWeight(ix, iy, 1) > 0, in) << c.Cyclic << " " << ix << "," << iy;
      }
  }
}

TEST(KohonenTraining, HandlersThatChangeTheMapStopTheTraining) {
  const auto data = Clusters();
  auto map = std::make_unique<TKohonen>(nullptr);
  map->SetDataMat(data.get());
  map->SetSizeX(4);
  map->SetSizeY(4);
  int32_t nested = 1;
  map->OnFeedback = [&](TObject*, int32_t) {
    nested = map->Trainit();
    map->SetSizeX(2);
  };
  EXPECT_EQ(map->Trainit(), kKohChanged);
  EXPECT_EQ(nested, kKohBusy);
  EXPECT_EQ(map->GetKohMat().GetNrOfColumns(), 2);
  map->OnFeedback = [&](TObject*, int32_t) { map->SetDataMat(data.get()); };
  EXPECT_EQ(map->Trainit(), kKohChanged);
  EXPECT_EQ(map->GetCurStep(), 2);
}

TEST(KohonenTraining, RejectsNonFiniteDataAndIgnoresScale) {
  auto data = Clusters();
  data->SetVal(2, 17, kNaN);
  TKohonen map(nullptr);
  map.SetDataMat(data.get());
  map.SetSizeX(3);
  EXPECT_EQ(map.Trainit(), kKohNonFinite);
  map.SetInitialAlpha(INFINITY);
  EXPECT_EQ(map.GetInitialAlpha(), 1.0);
  // Standardised training does not see the units: data near 1e154 and near
  // 1e-160 give the map of the unit data, mapped back to their scale.
  const auto unit = TrainedMap(*Clusters(), 4, 8, 20);
  for (const double scale : {1e154, 1e-160}) {
    const auto scaled = TrainedMap(*Clusters(scale), 4, 8, 20);
    for (int32_t ix = 1; ix <= 4; ++ix)
      for (int32_t iy = 1; iy <= 4; ++iy)
        EXPECT_NEAR(scaled->GetWeight(ix, iy, 2) / scale, unit->GetWeight(ix, iy, 2), 1e-9)
            << scale;
    int32_t bx = 0, by = 0;
    double dist = 0;
    const auto in = MakeVector({10 * scale, 10 * scale});
    scaled->ApplyIt(in.get(), bx, by, dist);
    EXPECT_TRUE(std::isfinite(dist));
  }
  // Raw data far beyond 1e154 train without overflow in the distances.
  TKohonen raw(nullptr);
  raw.SetDataMat(Clusters(1e300).get());
  raw.SetSizeX(2);
  raw.SetNrOfTrnSteps(5);
  EXPECT_EQ(raw.Trainit(), kKohOk);
  EXPECT_GT(raw.GetWeight(2, 1, 1), 1e299);
}

// ---------------------------------------------------------------------------
// Application
// ---------------------------------------------------------------------------

TEST(KohonenApply, ReportsBadInputAndTakesTheFirstOfTies) {
  TKohonen map(nullptr);
  map.SetNumInsens(2);
  map.SetSizeX(3);
  map.SetSizeY(2);  // all weights 0: every neuron ties
  int32_t bx = -5, by = -5;
  double dist = 0;
  map.ApplyIt(nullptr, bx, by, dist);
  EXPECT_EQ(dist, -1);
  map.ApplyIt(MakeVector({1, 2, 3}).get(), bx, by, dist);
  EXPECT_EQ(dist, -1);
  map.ApplyIt(MakeVector({1, kNaN}).get(), bx, by, dist);
  EXPECT_TRUE(std::isnan(dist));
  EXPECT_EQ(bx, -5);
  map.ApplyIt(MakeVector({3, 4}).get(), bx, by, dist);
  EXPECT_EQ(dist, 25.0);
  EXPECT_EQ(bx, 1);
  EXPECT_EQ(by, 1);
}

// ---------------------------------------------------------------------------
// The XML file
// ---------------------------------------------------------------------------

TEST(KohonenFile, RoundTripKeepsEverything) {
  const auto map = TrainedMap(*Clusters(), 3, 4, 10);
  map->SetComment("a <b> & \"c\"\nline two");
  map->SetCyclic(true);
  map->SetInitialNeighbors(-3);
  const std::string text = XmlOf(*map, "first") + XmlOf(*map, "second");
  TKohonen back(nullptr);
  ASSERT_TRUE(ReadXmlText(back, text, "second"));
  EXPECT_EQ(XmlOf(back), XmlOf(*map));
  EXPECT_EQ(back.GetComment(), map->GetComment());
  EXPECT_EQ(back.GetCurStep(), 10);
  EXPECT_TRUE(back.GetCyclic());
  EXPECT_EQ(back.GetInitialNeighbors(), -3);
  EXPECT_EQ(back.GetDataMat().GetNrOfColumns(), 2);
  for (int32_t ix = 1; ix <= 3; ++ix) EXPECT_EQ(back.GetWeight(ix, 3, 2), map->GetWeight(ix, 3, 2));
  // Through a file, and an unknown id fails.
  const std::string name = testing::TempDir() + "kohonen_roundtrip.xml";
  ASSERT_TRUE(map->SaveAsXMLFile(name, "f"));
  TKohonen loaded(nullptr);
  EXPECT_FALSE(loaded.LoadFromXMLFile(name, "other"));
  ASSERT_TRUE(loaded.LoadFromXMLFile(name, "f"));
  EXPECT_EQ(XmlOf(loaded), XmlOf(*map));
  // Two maps in one open text file, read in turn.
  TTextFile f;
  ASSERT_TRUE(f.Rewrite(name));
  ASSERT_TRUE(map->WriteToOpenXMLFile(f, true, "a") && back.WriteToOpenXMLFile(f, false, "b"));
  ASSERT_TRUE(f.Close());
  ASSERT_TRUE(f.Reset(name));
  TKohonen first(nullptr), second(nullptr);
  EXPECT_TRUE(first.ReadFromOpenXMLFile(f, "") && second.ReadFromOpenXMLFile(f, "b"));
  EXPECT_EQ(XmlOf(first), XmlOf(*map));
  EXPECT_EQ(XmlOf(second), XmlOf(back));
  EXPECT_FALSE(second.ReadFromOpenXMLFile(f, ""));
  f.Close();
  std::remove(name.c_str());
}

TEST(KohonenFile, DamagedFilesFailAndLeaveTheMapUnchanged) {
  const auto source = TrainedMap(*Clusters(), 2, 4, 5);
  const std::string good = XmlOf(*source);
  TKohonen map(nullptr);
  const std::string before = XmlOf(map);
  // Every truncation before the closing element.
  const size_t end = good.find("</kohonen>");
  for (size_t n = 0; n < end + 9; ++n) ASSERT_FALSE(ReadXmlText(map, good.substr(0, n))) << n;
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::string cell = "<cell ix=\"1\" iy=\"1\">";
  for (const std::string& bad :
       {replaced("<sizex>2</sizex>", "<sizex>2x</sizex>"),
        replaced("<sizex>2</sizex>", "<sizex>100000</sizex><sizey>100000</sizey>"),
        replaced("<sizey>2</sizey>", "<sizey>0</sizey>"), replaced("<maxsteps>5</maxsteps>", ""),
        replaced("<cyclic>FALSE</cyclic>", "<cyclic>maybe</cyclic>"),
        replaced("<maxalpha>0.5</maxalpha>", "<maxalpha>nan</maxalpha>"),
        replaced(cell, "<cell ix=\"1\" iy=\"3\">"), replaced(cell, "<cell ix=\"2\" iy=\"2\">"),
        replaced(cell, cell + "1 "), replaced(cell, "<cell ix=\"1\" iy=\"1\">1.2.3 "),
        replaced(cell, "<sizex>3</sizex>" + cell), replaced(cell, "<other>1</other>" + cell),
        replaced("<meanstddev iw=\"2\">", "<meanstddev iw=\"1\">"),
        replaced("sig=\"ZELCSuite\"", "sig=\"other\"")})
    EXPECT_FALSE(ReadXmlText(map, bad)) << bad.substr(0, 400);
  EXPECT_EQ(XmlOf(map), before);
  // Numbers out of range are numbers; non-finite weights read back.
  std::string odd = good;
  const size_t from = odd.find(cell) + cell.size();
  odd.replace(from, odd.find("</cell>", from) - from, "-1e400 NAN");
  ASSERT_TRUE(ReadXmlText(map, odd));
  EXPECT_EQ(map.GetKohMat().GetVal(1, 1, 1), -INFINITY);
  EXPECT_TRUE(std::isnan(map.GetKohMat().GetVal(1, 1, 2)));
  EXPECT_EQ(map.GetSizeX(), 2);
}

TEST(KohonenFile, WritersReportFailedWrites) {
  TKohonen map(nullptr);
  EXPECT_FALSE(map.SaveAsXMLFile("/nonexistent-dir/map.xml", ""));
  TTextFile f;
  if (f.Rewrite("/dev/full")) {
    const bool written = map.WriteToOpenXMLFile(f, true, "") && f.Close();
    EXPECT_FALSE(written);
  }
  EXPECT_FALSE(map.SaveAsXMLFile("/dev/full", ""));
}

}  // namespace
}  // namespace zel
