#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "map/geodb/geodb_test_impl.hpp"

namespace zel {
namespace {

using geodbtest::AddBlob;
using geodbtest::AddPolygon;
using geodbtest::AddTown;
using geodbtest::Message;
using geodbtest::ReadBytes;
using geodbtest::TempDir;
using geodbtest::WriteBytes;

// --------------------------------------------------------------------------
// Opening and closing
// --------------------------------------------------------------------------

TEST(GeoDBOpen, ExtensionIsIgnoredButDirectoryDotsAreKept) {
  TempDir dir;
  std::filesystem::create_directory(dir / "d.v2");
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "d.v2/x.abc");
  AddTown(db, "A", 1, 2);
  db.SetGDBName(dir / "d.v2/x");
  EXPECT_EQ(db.GetNumEntries(), 1);
  EXPECT_EQ(db.GetDBName(), dir / "d.v2/x");
  EXPECT_TRUE(std::filesystem::exists(dir / "d.v2/x.zelgdd"));
  db.SetGDBName("");
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.GetDBName(), "");
  std::string n = "B";
  EXPECT_EQ(
      db.AddData(n, {}, false, TgdbItem::gitTown, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, nullptr, 0, false),
      kGdbNotOpen);
  TgdbPolygon p{{1, 1}};
  EXPECT_EQ(db.RetrievePolygon(1, p), 0);
  EXPECT_TRUE(p.empty());
}

TEST(GeoDBOpen, UnreadableFileIsNeverReplacedAndTheComponentStaysClosed) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "x");
    AddTown(db, "A", 1, 2);
  }
  const auto summary = ReadBytes(dir / "x.zelgds");
  std::filesystem::remove(dir / "x.zelgi3");
  std::filesystem::create_directory(dir / "x.zelgi3");  // in the way of an index file
  TGeoDB db(nullptr);
  db.SetName("Places");
  EXPECT_EQ(Message([&] { db.SetGDBName(dir / "x"); }),
            "Component \"Places\": SetGDBName: cannot open database.");
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(ReadBytes(dir / "x.zelgds"), summary);
  // A database with one file blocked creates none of the missing ones.
  std::filesystem::create_directory(dir / "y.zelgds");
  EXPECT_THROW(db.SetGDBName(dir / "y"), EZELGeoDBError);
  EXPECT_FALSE(std::filesystem::exists(dir / "y.zelgdd"));
  EXPECT_FALSE(std::filesystem::exists(dir / "y.zelgi0"));
}

TEST(GeoDBOpen, SwitchingDatabasesSavesLazyIndexesOfTheFirst) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetLazyWrite(true);  // set before opening, kept by the open
  db.SetGDBName(dir / "a");
  EXPECT_TRUE(db.GetLazyWrite());
  AddTown(db, "A", 5, 6);
  AddTown(db, "B", 3, 4);
  EXPECT_TRUE(ReadBytes(dir / "a.zelgi1").empty());
  db.SetGDBName(dir / "b");
  EXPECT_FALSE(db.GetLazyWrite());
  EXPECT_EQ(ReadBytes(dir / "a.zelgi1").size(), 16u);
  EXPECT_EQ(db.GetNumEntries(), 0);
}

TEST(GeoDBOpen, CloseReportsAFailedSaveAndTheDestructorSwallowsIt) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "c");
    db.SetLazyWrite(true);
    AddTown(db, "A", 5, 6);
    std::filesystem::create_directory(dir / "c.zelgi2.tmp");
    const std::string msg = Message([&] { db.Close(); });
    EXPECT_EQ(msg.rfind("Component \"TGeoDB\": SaveIndex: ", 0), 0u) << msg;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THROW(db.SetGDBName(dir / "c"), EZELGeoDBError);  // the rebuilt index cannot be written
    std::filesystem::remove(dir / "c.zelgi2.tmp");
    db.SetGDBName(dir / "c");  // the index is rebuilt from the summary
    EXPECT_EQ(db.GetNumEntries(), 1);
    geodbtest::ExpectIndexesConsistent(db);
    db.SetLazyWrite(true);
    AddTown(db, "B", 1, 1);
    std::filesystem::create_directory(dir / "c.zelgi2.tmp");
  }  // destructor: the save fails again, nothing escapes
  std::filesystem::remove(dir / "c.zelgi2.tmp");
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "c");
  EXPECT_EQ(db.GetNumEntries(), 2);
  geodbtest::ExpectIndexesConsistent(db);
}

TEST(GeoDBOpen, HeaderUpdatesAndSaveIndexOutOfRange) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetDescription("ignored while closed");
  EXPECT_EQ(db.GetDescription(), "");
  db.SetGDBName(dir / "h");
  db.SetDescription(std::string(70, 'd'));
  EXPECT_EQ(db.GetDescription(), std::string(60, 'd'));
  db.SetRevision(-17);
  db.SaveIndex(-1);
  db.SaveIndex(5);
  const auto head = ReadBytes(dir / "h.zelgdd");
  ASSERT_EQ(head.size(), 260u);
  EXPECT_EQ(head[8], 60);
  EXPECT_EQ(head[72], 0xEF);
  EXPECT_EQ(db.GetDBVersion(), 4);
  std::filesystem::remove(dir / "h.zelgdd");
  std::filesystem::create_directory(dir / "h.zelgdd");
  EXPECT_EQ(Message([&] { db.SetRevision(1); }),
            "Component \"TGeoDB\": SetRevision: cannot open database.");
  EXPECT_EQ(Message([&] { db.SetDescription("x"); }),
            "Component \"TGeoDB\": SetDescription: cannot open database.");
  EXPECT_EQ(db.GetRevision(), -17);
}

// --------------------------------------------------------------------------
// Adding, replacing, deleting, indexes
// --------------------------------------------------------------------------

TEST(GeoDBEdit, IdentifiersSurviveDeletionAndTheLastEntryMovesUp) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "e");
  EXPECT_EQ(AddTown(db, "one", 1, 1), 1);
  EXPECT_EQ(AddTown(db, "two", 2, 2), 2);
  EXPECT_EQ(AddTown(db, "three", 3, 3), 3);
  db.DeleteData(1);
  db.DeleteData(0);
  db.DeleteData(3);
  ASSERT_EQ(db.GetNumEntries(), 2);
  EXPECT_EQ(db.SumData()[0].Name, "three");
  EXPECT_EQ(db.SumData()[0].ItemId, 3);
  EXPECT_EQ(AddTown(db, "four", 4, 4), 3);
  EXPECT_EQ(db.SumData()[2].ItemId, 4);
  geodbtest::ExpectIndexesConsistent(db);
  std::string n = "deux";
  EXPECT_EQ(db.ReplaceData(2, n, {{7, 8}, {9, 10}}, false, TgdbItem::gitRoad, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, {}, nullptr, 0, false),
            2);
  EXPECT_EQ(db.ReplaceData(4, n, {}, false, TgdbItem::gitTown, 0, 0, 0, 0, 0, 0, 0, 0, 0, {},
                           nullptr, 0, false),
            kGdbNotOpen);
  EXPECT_EQ(db.SumData()[1].ItemId, 2);
  EXPECT_EQ(db.SumData()[1].LatHigh, 9);
  EXPECT_EQ(db.GetSystemData().HighestID, 4);
  geodbtest::ExpectIndexesConsistent(db);
  TGeoDB again(nullptr);
  again.SetGDBName(dir / "e");
  EXPECT_EQ(again.ItemIDIndex().size(), 3u);
  TgdbPolygon p;
  EXPECT_EQ(again.RetrievePolygon(2, p), 1);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[1].Longit, 10);
}

// The new key lands in front of the equal key that the search meets, which
// is not always the first of a run of equal keys.
TEST(GeoDBIndex, EqualKeysKeepTheBinarySearchPlacement) {
  struct Case {
    std::vector<float> keys;
    float add;
    size_t pos;
  };
  const Case cases[] = {
      {{1, 2, 2, 2, 3}, 2, 2}, {{2, 2}, 2, 0},    {{1, 2}, 2, 1},    {{}, 5, 0},
      {{1, 3, 5}, 4, 2},       {{1, 3, 5}, 6, 3}, {{1, 3, 5}, 0, 0}, {{2, 2, 2, 2}, 2, 1}};
  for (const Case& c : cases) {
    std::vector<TIxLLRec> ix;
    for (size_t i = 0; i < c.keys.size(); ++i) ix.push_back({c.keys[i], static_cast<int32_t>(i)});
    ix.emplace_back();
    TGeoDB::SortIxInto(ix, {c.add, 99});
    EXPECT_EQ(ix[c.pos].index, 99) << c.add;
    std::vector<TIxItemIDRec> iy;
    for (size_t i = 0; i < c.keys.size(); ++i)
      iy.push_back({static_cast<int32_t>(c.keys[i]), static_cast<int32_t>(i)});
    iy.emplace_back();
    TGeoDB::SortIxItemIDInto(iy, {static_cast<int32_t>(c.add), 99});
    EXPECT_EQ(iy[c.pos].index, 99) << c.add;
  }
  // Towns with the same latitude: the second lands in front of the first.
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "q");
  AddTown(db, "first", 10, 1);
  AddTown(db, "second", 10, 2);
  EXPECT_EQ(db.LLIndex(1)[0].index, 1);
  EXPECT_EQ(db.LLIndex(1)[1].index, 0);
}

TEST(GeoDBIndex, NaNKeysSortLastAndKeepTheNumbersInOrder) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_TRUE(TGeoDB::LLKeyBelow(inf, nan));
  EXPECT_FALSE(TGeoDB::LLKeyBelow(nan, inf));
  EXPECT_FALSE(TGeoDB::LLKeyBelow(nan, -nan));
  EXPECT_FALSE(TGeoDB::LLKeyBelow(-0.0F, 0.0F));

  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "n");
  // A NaN key first used to stop every later search at itself, so that the
  // numbers after it went in out of order.
  AddTown(db, "nan", nan, nan);
  for (float lat : {5.0F, 3.0F, 7.0F, 1.0F}) AddTown(db, "t", lat, lat);
  AddPolygon(db, "bad", {{nan, 1}, {2, 3}});
  EXPECT_TRUE(std::isnan(db.SumData()[5].LatLow));  // NaN is not dropped from the bounds
  EXPECT_EQ(db.SumData()[5].LongLow, 1);
  std::vector<float> keys;
  for (const TIxLLRec& r : db.LLIndex(1)) keys.push_back(r.LLValue);
  ASSERT_EQ(keys.size(), 6u);
  EXPECT_EQ(std::vector<float>(keys.begin(), keys.begin() + 4),
            (std::vector<float>{1.0F, 3.0F, 5.0F, 7.0F}));
  EXPECT_TRUE(std::isnan(keys[4]) && std::isnan(keys[5]));
  EXPECT_EQ(db.GetClosestLatLowIx(4), 3);
  EXPECT_EQ(db.GetClosestLatLowIx(8), 5);
  EXPECT_EQ(db.GetClosestLatLowIx(std::numeric_limits<double>::infinity()), 5);
  geodbtest::ExpectIndexesConsistent(db);

  // An index file with a NaN key among the numbers is rebuilt on open.
  std::vector<uint8_t> ix1 = ReadBytes(dir / "n.zelgi1");
  std::rotate(ix1.begin(), ix1.begin() + 32, ix1.end());  // the NaNs to the front
  WriteBytes(dir / "n.zelgi1", ix1);
  db.SetGDBName(dir / "n");
  EXPECT_EQ(db.GetNumEntries(), 6);
  geodbtest::ExpectIndexesConsistent(db);
  EXPECT_TRUE(std::isnan(db.LLIndex(1).back().LLValue));
  EXPECT_NE(ReadBytes(dir / "n.zelgi1"), ix1);
}

TEST(GeoDBEdit, PolygonBoundsAndEmptyPolygon) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "p");
  AddPolygon(db, "empty", {}, TgdbItem::gitLake);
  const TgdbData& d = db.SumData()[0];
  EXPECT_EQ(d.NumPoints, 0);
  EXPECT_EQ(d.LatLow, 90);
  EXPECT_EQ(d.LatHigh, -90);
  EXPECT_EQ(d.LongLow, 180);
  EXPECT_EQ(d.LongHigh, -180);
  TgdbPolygon p{{1, 1}};
  EXPECT_EQ(db.RetrievePolygon(1, p), 1);
  EXPECT_TRUE(p.empty());
  AddTown(db, "t", 47.5f, 13.25f);
  EXPECT_EQ(db.SumData()[1].BlobOffset, -1);
  EXPECT_EQ(db.RetrievePolygon(2, p), 0);
  EXPECT_EQ(db.RetrievePolygon(3, p), 0);
  EXPECT_EQ(db.RetrievePolygon(-4, p), 1);  // clamped to entry 1
  std::string longName(80, 'n');
  db.AddData(longName, {}, false, TgdbItem::gitTown, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, nullptr, 0,
             false);
  EXPECT_EQ(longName.size(), 59u);  // handed back cut
}

// --------------------------------------------------------------------------
// Binary objects
// --------------------------------------------------------------------------

TEST(GeoDBBlob, RoundTripsThroughMemoryStreamAndFile) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "b");
  std::vector<uint8_t> data(40000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
  TMetaInfo m;
  m.Comment = "c";
  AddBlob(db, "Map: Graz/Süd", data, m);
  TMetaInfo back;
  std::vector<uint8_t> out(data.size());
  EXPECT_EQ(db.RetrieveBLOB(1, back, out.data(), static_cast<int32_t>(out.size())), 1);
  EXPECT_EQ(out, data);
  EXPECT_EQ(back.Comment, "c");
  EXPECT_EQ(
      Message([&] { db.RetrieveBLOB(1, back, out.data(), 39999); }),
      "Component \"TGeoDB\": RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
  TMemoryStream ms;
  EXPECT_EQ(db.RetrieveBLOB(1, back, ms), 1);
  EXPECT_EQ(ms.GetSize(), 40000);
  // A directory path (either separator, or none) gets the reduced name.
  EXPECT_EQ(db.RetrieveBLOB(1, dir.Path + "/", back), 1);
  EXPECT_EQ(ReadBytes(dir / "Map_GrazSud"), data);
  std::filesystem::remove(dir / "Map_GrazSud");
  EXPECT_EQ(db.RetrieveBLOB(1, dir.Path + "\\", back), 1);
  EXPECT_EQ(ReadBytes(dir / "Map_GrazSud"), data);
  std::filesystem::remove(dir / "Map_GrazSud");
  EXPECT_EQ(db.RetrieveBLOB(1, dir.Path, back), 1);
  EXPECT_EQ(ReadBytes(dir / "Map_GrazSud"), data);
  EXPECT_EQ(db.RetrieveBLOB(1, dir / "named.bin", back), 1);
  EXPECT_EQ(ReadBytes(dir / "named.bin"), data);
  // Not a BLOB, or no such entry: 0 and nothing written.
  AddTown(db, "t", 0, 0);
  EXPECT_EQ(db.RetrieveBLOB(2, dir / "t.bin", back), 0);
  EXPECT_EQ(db.RetrieveBLOB(9, back, ms), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "t.bin"));
}

TEST(GeoDBBlob, NamesThatReduceToNothingOrClimbAreRefused) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "b");
  for (const char* name : {"..", "/", "\\", "???", ""}) {
    AddBlob(db, name, {1, 2});
    TMetaInfo m;
    EXPECT_EQ(Message([&] { db.RetrieveBLOB(db.GetNumEntries(), dir.Path + "/", m); }),
              "Component \"TGeoDB\": RetrieveBLOB: invalid filename.")
        << name;
  }
}

TEST(GeoDBBlob, FromFileUsesTheGivenPathAndFailsBeforeWriting) {
  TempDir dir;
  const std::string deep = dir.Path + "/" + std::string(100, 'd');
  std::filesystem::create_directory(deep);
  const std::string src = deep + "/" + std::string(60, 's') + ".bin";
  WriteBytes(src, {9, 8, 7, 6, 5});
  ASSERT_GT(src.size(), 127u);
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "f");
  TMetaInfo m;
  m.FilePath = src;
  std::string name = "file";
  EXPECT_EQ(db.AddData(name, {}, true, TgdbItem::gitBLOB, 0, 0, 0, 0, 0, 0, 0, 0, 0, m, nullptr, 0,
                       false, src),
            1);
  EXPECT_EQ(db.SumData()[0].NumPoints, 5);
  EXPECT_GT(db.SumData()[0].Date, 40000);  // the file's modification time
  TMetaInfo back;
  uint8_t out[5];
  ASSERT_EQ(db.RetrieveBLOB(1, back, out, 5), 1);
  EXPECT_EQ(out[4], 5);
  EXPECT_EQ(back.FilePath.size(), 127u);  // meta information only, cut

  const std::vector<std::string> files = {dir / "f.zelgdd", dir / "f.zelgds", dir / "f.zelgi0"};
  std::vector<std::vector<uint8_t>> before;
  for (const auto& f : files) before.push_back(ReadBytes(f));
  for (const std::string& bad : {dir / "missing.bin", dir.Path}) {
    EXPECT_EQ(Message([&] {
                db.AddData(name, {}, true, TgdbItem::gitBLOB, 0, 0, 0, 0, 0, 0, 0, 0, 0, m, nullptr,
                           0, false, bad);
              }),
              "Component \"TGeoDB\": AddData: cannot open BLOB file.");
  }
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(ReadBytes(files[i]), before[i]);
  EXPECT_EQ(db.GetSystemData().HighestID, 1);
  // The database's own data file: exactly its current size is copied.
  const auto size = std::filesystem::file_size(dir / "f.zelgdd");
  EXPECT_EQ(db.AddData(name, {}, true, TgdbItem::gitBLOB, 0, 0, 0, 0, 0, 0, 0, 0, 0, m, nullptr, 0,
                       false, dir / "f.zelgdd"),
            2);
  EXPECT_EQ(static_cast<uintmax_t>(db.SumData()[1].NumPoints), size);
}

TEST(GeoDBBlob, DataFileNeverPassesTwoGiB) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "big");
  std::filesystem::resize_file(dir / "big.zelgdd", INT32_MAX - 100);  // sparse
  EXPECT_EQ(AddPolygon(db, "fits", TgdbPolygon(12)), 1);
  EXPECT_EQ(Message([&] { AddPolygon(db, "too long", TgdbPolygon(1)); }),
            "Component \"TGeoDB\": AddData: data file would exceed 2 GiB.");
  EXPECT_EQ(db.GetNumEntries(), 1);
  EXPECT_EQ(db.GetSystemData().HighestID, 1);
  EXPECT_EQ(AddTown(db, "no block", 1, 1), 2);
}

// --------------------------------------------------------------------------
// Progress
// --------------------------------------------------------------------------

TEST(GeoDBProgress, PercentagesAreClampedAndZeroSizesReportHundred) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "pr");
  std::vector<int32_t> seen;
  db.OnPercentDone = [&](TObject* s, int32_t p) {
    EXPECT_EQ(s, &db);
    seen.push_back(p);
  };
  AddBlob(db, "empty", {});
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 100}));
  seen.clear();
  TMetaInfo m;
  EXPECT_EQ(db.RetrieveBLOB(1, m, nullptr, 0), 1);
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 100}));
  seen.clear();
  AddBlob(db, "three blocks less one", std::vector<uint8_t>(3 * 16384 - 1));
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 33, 67, 100}));
  seen.clear();
  AddPolygon(db, "four", TgdbPolygon(4));
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 0, 25, 50, 75, 100}));
  seen.clear();
  TgdbPolygon p;
  db.RetrievePolygon(3, p);
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 25, 50, 75, 100, 100}));
  seen.clear();
  db.SetOnPercDoneEnabled(false);
  AddTown(db, "quiet", 0, 0);
  EXPECT_TRUE(seen.empty());
}

TEST(GeoDBProgress, HandlersMayReadButNotChangeTheDatabase) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "re");
  AddPolygon(db, "p", {{1, 2}});
  int reads = 0;
  std::string refused;
  db.OnPercentDone = [&](TObject*, int32_t p) {
    if (p != 0) return;
    TgdbPolygon q;
    db.OnPercentDone = nullptr;
    reads += db.RetrievePolygon(1, q);
    refused = Message([&] { db.SetGDBName(""); });
  };
  AddTown(db, "t", 0, 0);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(refused, "Component \"TGeoDB\": SetGDBName: not allowed during a progress event.");
  EXPECT_EQ(db.GetNumEntries(), 2);
  geodbtest::ExpectIndexesConsistent(db);
}

}  // namespace
}  // namespace zel
