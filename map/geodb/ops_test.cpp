#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "map/geodb/geodb_test_impl.hpp"

namespace zel {
namespace {

using geodbtest::AddTown;
using geodbtest::Message;
using geodbtest::ReadBytes;
using geodbtest::TempDir;
using geodbtest::WriteBytes;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TgdbPolygon Line(int n, float lat0) {
  TgdbPolygon p;
  for (int k = 0; k < n; ++k) p.push_back({lat0 + 0.25f * k, -3.5f + k});
  return p;
}

// Everything a reader gets back from each entry, as bytes; only the block
// offsets may differ (a compaction moves them).
std::vector<std::string> Snapshot(TGeoDB& Db) {
  std::vector<std::string> items;
  for (int32_t e = 1; e <= Db.GetNumEntries(); ++e) {
    TgdbData d = Db.GetSumdata(e);
    d.BlobOffset = std::min(d.BlobOffset, 0);
    std::string s(120 + 1024, '\0');
    EncodeGdbData(d, reinterpret_cast<uint8_t*>(s.data()));
    TgdbPolygon p;
    Db.RetrievePolygon(e, p);
    s.append(reinterpret_cast<const char*>(p.data()), p.size() * 8);
    TMetaInfo m;
    TMemoryStream ms;
    Db.RetrieveBLOB(e, m, ms);
    EncodeMetaInfo(m, reinterpret_cast<uint8_t*>(s.data() + 120));
    s.append(reinterpret_cast<const char*>(ms.GetMemory()), static_cast<size_t>(ms.GetSize()));
    items.push_back(s);
  }
  return items;
}

// Towns, polygons and BLOBs with replaced and deleted entries, so that the
// data file holds unreferenced blocks.
void BuildMixed(TGeoDB& Db, const std::string& Dir, const std::string& Source = {}) {
  Db.AddTown("Wien", 45000, 0, {48.2f, 16.37f}, 171, 1, 0);
  Db.AddRiver("Mur", Line(40, 47), 45000, 0, 0, 0, 0, 0, 0, 2, 0);
  TMetaInfo m;
  m.Caption = "first";
  const std::vector<uint8_t> bytes(40000, 0xA5);
  Db.AddBLOB("scan", 45000, 0, 1, 2, 3, 4, 0, 3, 0, m, bytes.data(), 40000);
  Db.AddBorder("AT", Line(300, 46), true, 45000, 0, 0, 0, 0, 0, 0, 4, 0);
  Db.ReplaceRiver(2, "Mur", Line(60, 46.5f), 45000, 0, 0, 0, 0, 0, 0, 2, 0);
  Db.DeleteData(1);
  const std::string file = Source.empty() ? Dir + "/file.bin" : Source;
  if (!std::filesystem::exists(file)) WriteBytes(file, std::vector<uint8_t>(20000, 0x3C));
  Db.AddBLOB(file, 45000, 0, 0, 0, 0, 0, 0, 5, 0, m);
  Db.ReplaceBLOB(3, "scan2", 45000, 0, 1, 2, 3, 4, 0, 3, 0, m, bytes.data(), 100);
}

// --------------------------------------------------------------------------
// Look-ups and accessors
// --------------------------------------------------------------------------

TEST(GeoDBLookup, ClosestIndexAtTheBoundaries) {
  TempDir dir;
  TGeoDB db(nullptr);
  EXPECT_EQ(db.GetClosestLatLowIx(4), 1);  // closed
  db.SetGDBName(dir / "x");
  EXPECT_EQ(db.GetClosestLatLowIx(4), 1);
  EXPECT_EQ(db.GetClosestItemIDIx(1), 1);
  EXPECT_EQ(db.SearchForItemID(1), 0);
  for (float lat : {5.0f, 1.0f, 3.0f}) AddTown(db, "t", lat, -lat);
  const std::vector<std::pair<double, int32_t>> cases = {
      {4, 3}, {0, 1},    {6, 4},     {3, 2},      {1, 1},
      {5, 3}, {kNaN, 4}, {1e300, 4}, {-1e300, 1}, {kInf, 4}};
  for (const auto& [v, want] : cases) {
    EXPECT_EQ(db.GetClosestLatLowIx(v), want) << v;
    EXPECT_EQ(db.GetClosestLatHighIx(v), want) << v;
  }
  for (const auto& [v, want] : std::vector<std::pair<double, int32_t>>{{-4, 2}, {-6, 1}, {0, 4}}) {
    EXPECT_EQ(db.GetClosestLongLowIx(v), want) << v;
    EXPECT_EQ(db.GetClosestLongHighIx(v), want) << v;
  }
  EXPECT_EQ(db.GetClosestItemIDIx(2), 2);
  EXPECT_EQ(db.GetClosestItemIDIx(0), 1);
  EXPECT_EQ(db.GetClosestItemIDIx(9), 4);
  // A stored 47.1f lies below the double 47.1: the value is taken as a float.
  AddTown(db, "f", 47.1f, 0);
  EXPECT_EQ(db.GetClosestLatLowIx(47.1), 4);
  db.DeleteData(1);  // ItemId 4 takes entry 1
  EXPECT_EQ(db.SearchForItemID(1), 0);
  EXPECT_EQ(db.SearchForItemID(4), 1);
  EXPECT_EQ(db.SearchForItemID(3), 3);
  EXPECT_EQ(db.SearchForItemID(INT32_MIN), 0);
}

TEST(GeoDBLookup, AccessorsClampAndEmptyDatabasesGiveClearedRecords) {
  TempDir dir;
  TGeoDB db(nullptr);
  for (int open = 0; open < 2; ++open) {
    SCOPED_TRACE(open);
    if (open) db.SetGDBName(dir / "x");
    for (int32_t ix : {INT32_MIN, 0, 1, INT32_MAX}) {
      const TgdbData d = db.GetSumdata(ix);
      EXPECT_EQ(d.ItemId, 0);
      EXPECT_EQ(d.BlobOffset, -1);
      EXPECT_EQ(d.ItemKind, 8);
      EXPECT_GT(d.Date, 45000.0);  // now, not 0
      EXPECT_EQ(db.GetIxItemID(ix).index, 0);
      EXPECT_EQ(db.GetIxLatLow(ix).index, 0);
      EXPECT_EQ(db.GetIxLongHigh(ix).LLValue, 0.0f);
    }
    EXPECT_EQ(db.SearchData("x"), 0);
    TMetaInfo m;
    m.Caption = "stale";
    db.GetMetaInfo(1, m);
    EXPECT_EQ(m.Caption, "");
    db.UpdateMetaInfo(1, m);
    db.UpdateBasicData(1, TgdbData{});
    db.RecalcIndexes();
    db.GarbageCollection();
    EXPECT_EQ(db.ReplaceTown(1, "t", 0, 0, {1, 1}, 0, 0, 0), kGdbNotOpen);
    EXPECT_EQ(db.GetNumEntries(), 0);
  }
  db.Close();
  // With no database the OrgFilePath form neither adds nor touches a file.
  EXPECT_EQ(db.AddBLOB(dir / "none", "n", "org", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}),
            kGdbNotOpen);
  db.ExportDataDebug(dir / "dump.txt");
  EXPECT_FALSE(std::filesystem::exists(dir / "dump.txt"));

  db.SetGDBName(dir / "x");
  for (float lat : {3.0f, 1.0f, 2.0f}) AddTown(db, "t" + std::to_string(int(lat)), lat, lat);
  EXPECT_EQ(db.GetSumdata(0).Name, "t3");
  EXPECT_EQ(db.GetSumdata(8).Name, "t2");
  EXPECT_EQ(db.GetIxLatLow(0).LLValue, 1.0f);
  EXPECT_EQ(db.GetIxLatLow(0).index, 2);  // 1-based entry number
  EXPECT_EQ(db.GetIxLatHigh(99).index, 1);
  EXPECT_EQ(db.GetIxItemID(2).ItemID, 2);
}

// --------------------------------------------------------------------------
// Add and replace families
// --------------------------------------------------------------------------

TEST(GeoDBFamilies, KindsBoundsAndNames) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  const std::string longName(70, 'n');
  EXPECT_EQ(db.AddTown(longName, 45001, 7, {47.5f, 13.25f}, 500, 9, 11), 1);
  EXPECT_EQ(longName.size(), 70u);  // the caller's string is not cut
  const TgdbData t = db.GetSumdata(1);
  EXPECT_EQ(t.Name, std::string(59, 'n'));
  EXPECT_EQ(t.BlobOffset, -1);
  EXPECT_EQ(std::vector<float>({t.LatLow, t.LatHigh, t.LongLow, t.LongHigh}),
            std::vector<float>({47.5f, 47.5f, 13.25f, 13.25f}));

  // The given bounds of polygon kinds are ignored.
  EXPECT_EQ(db.AddBorder("b", Line(3, 10), true, 0, 0, -80, 80, -170, 170, 0, 0, 0), 2);
  db.AddCity("c", Line(2, 1), false, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.AddLake("l", Line(2, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.AddRiver("r", Line(2, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.AddRoad("o", Line(2, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db.AddRoute("u", Line(2, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const TgdbData b = db.GetSumdata(2);
  EXPECT_TRUE(b.Closed);
  EXPECT_EQ(std::vector<float>({b.LatLow, b.LatHigh, b.LongLow, b.LongHigh}),
            std::vector<float>({10, 10.5f, -3.5f, -1.5f}));
  const int kinds[] = {0, 2, 3, 4, 5, 6};
  for (int e = 2; e <= 7; ++e) EXPECT_EQ(db.GetSumdata(e).ItemKind, kinds[e - 2]) << e;
  EXPECT_FALSE(db.GetSumdata(4).Closed);
  geodbtest::ExpectIndexesConsistent(db);
}

TEST(GeoDBFamilies, BlobVariantsStoreDataMetaAndNames) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  std::filesystem::create_directory(dir / "in");
  const std::vector<uint8_t> bytes = {1, 2, 3, 0, 255, 7};
  WriteBytes(dir / "in/photo.jpg", bytes);
  TMetaInfo m;
  m.Keywords = "k";
  TMemoryStream ms;
  ms.Write(bytes.data(), 6);
  EXPECT_EQ(db.AddBLOB("mem", 0, 0, 1, 2, 3, 4, 0, 0, 0, m, bytes.data(), 6), 1);
  EXPECT_EQ(db.AddBLOB("stream", 0, 0, 1, 2, 3, 4, 0, 0, 0, m, ms), 2);
  EXPECT_EQ(ms.GetPosition(), 6);
  EXPECT_EQ(db.AddBLOB(dir / "in/photo.jpg", 0, 0, 1, 2, 3, 4, 0, 0, 0, m), 3);
  EXPECT_EQ(db.AddBLOB(dir / "in/photo.jpg", "c:\\pics\\stored.jpg", 0, 0, 1, 2, 3, 4, 0, 0, 0, m),
            4);
  EXPECT_EQ(db.AddBLOB(dir / "in/photo.jpg", "kept.jpg", "D:/orig/photo.jpg", 0, 0, 1, 2, 3, 4, 0,
                       0, 0, m),
            5);
  const char* names[] = {"mem", "stream", "photo.jpg", "stored.jpg", "kept.jpg"};
  const std::string paths[] = {"", "", dir / "in/photo.jpg", dir / "in/photo.jpg",
                               "D:/orig/photo.jpg"};
  for (int e = 1; e <= 5; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(db.GetSumdata(e).Name, names[e - 1]);
    std::vector<uint8_t> back(6);
    TMetaInfo got;
    ASSERT_EQ(db.RetrieveBLOB(e, got, back.data(), 6), 1);
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(got.Keywords, "k");
    EXPECT_EQ(got.FilePath, paths[e - 1]);
  }

  // Meta information is rewritten in place; the data behind it stays.
  const auto size = std::filesystem::file_size(dir / "x.zelgdd");
  TMetaInfo upd;
  db.GetMetaInfo(5, upd);
  upd.Comment = std::string(300, 'c');
  db.UpdateMetaInfo(5, upd);
  TMetaInfo got;
  std::vector<uint8_t> back(6);
  db.RetrieveBLOB(5, got, back.data(), 6);
  EXPECT_EQ(got.Comment, std::string(255, 'c'));
  EXPECT_EQ(got.FilePath, "D:/orig/photo.jpg");
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(std::filesystem::file_size(dir / "x.zelgdd"), size);
  db.AddTown("t", 0, 0, {0, 0}, 0, 0, 0);
  db.GetMetaInfo(6, got);  // not a BLOB
  EXPECT_EQ(got.Keywords, "");
}

TEST(GeoDBFamilies, ReplacingTheLastItemKeepsItsIdentifier) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "x");
    db.AddTown("a", 0, 0, {5, 5}, 0, 0, 0);
    db.AddTown("b", 0, 0, {6, 6}, 0, 0, 0);
    db.AddRiver("c", Line(4, 20), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(db.ReplaceTown(3, "c2", 0, 0, {-1, -2}, 0, 0, 0), 3);
    EXPECT_EQ(db.ReplaceRoute(0, "z", Line(1, 0), 0, 0, 0, 0, 0, 0, 0, 0, 0), kGdbNotOpen);
    EXPECT_EQ(db.ReplaceRoute(4, "z", Line(1, 0), 0, 0, 0, 0, 0, 0, 0, 0, 0), kGdbNotOpen);
    EXPECT_EQ(db.GetNumEntries(), 3);
    EXPECT_EQ(db.GetSystemData().HighestID, 3);
    EXPECT_EQ(db.GetIxLatLow(1).index, 3);  // the replaced item is now the southernmost
  }
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  const TgdbData last = db.GetSumdata(3);
  EXPECT_EQ(last.ItemId, 3);
  EXPECT_EQ(last.Name, "c2");
  EXPECT_EQ(last.ItemKind, 1);
  EXPECT_EQ(db.SearchForItemID(3), 3);
  geodbtest::ExpectIndexesConsistent(db);
}

// --------------------------------------------------------------------------
// Searches and record updates
// --------------------------------------------------------------------------

TEST(GeoDBSearch, NameKindClassAndStart) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  db.AddTown("\u00C4pfelstadt", 0, 0, {0, 0}, 0, 1, 0);
  db.AddRiver("\u00E4PFELSTADT", Line(2, 0), 0, 0, 0, 0, 0, 0, 0, 2, 0);
  db.AddTown("\u00E4pfelstadt", 0, 0, {0, 0}, 0, 2, 0);
  db.AddTown(std::string(59, 'q'), 0, 0, {0, 0}, 0, 0, 0);
  EXPECT_EQ(db.SearchData("\u00E4pfelSTADT"), 1);
  EXPECT_EQ(db.SearchData("pfelstadt"), 0);
  EXPECT_EQ(db.SearchData(std::string(80, 'Q')), 4);  // compared as stored
  EXPECT_EQ(db.SearchData("\u00C4PFELSTADT", TgdbItem::gitUndefined, 1, 2), 2);
  EXPECT_EQ(db.SearchData("\u00C4PFELSTADT", TgdbItem::gitTown, 1, 2), 3);
  EXPECT_EQ(db.SearchData("\u00C4PFELSTADT", TgdbItem::gitTown, 2, 1), 0);
  EXPECT_EQ(db.SearchData("\u00C4PFELSTADT", TgdbItem::gitUndefined, -5, 1), 1);
  EXPECT_EQ(db.SearchData("\u00C4PFELSTADT", TgdbItem::gitUndefined, 99, 2), 0);
}

TEST(GeoDBUpdate, BasicDataKeepsTheBlockAndReindexes) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "x");
    db.AddRiver("r", Line(5, 10), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    db.AddTown("t", 0, 0, {20, 20}, 0, 0, 0);
    TgdbData d = db.GetSumdata(1);
    d.ItemId = d.BlobOffset = d.NumPoints = d.ItemKind = 99;  // all kept
    d.LatLow = 30;
    d.Name = "renamed";
    db.UpdateBasicData(1, d);
    EXPECT_EQ(db.GetIxLatLow(1).index, 2);  // the river moved north of the town
  }
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  const TgdbData d = db.GetSumdata(1);
  EXPECT_EQ(d.ItemId, 1);
  EXPECT_EQ(d.BlobOffset, 260);
  EXPECT_EQ(d.ItemKind, 4);
  EXPECT_EQ(d.Name, "renamed");
  EXPECT_EQ(d.LatLow, 30.0f);
  TgdbPolygon p;
  EXPECT_EQ(db.RetrievePolygon(1, p), 1);
  EXPECT_EQ(p.size(), 5u);
  geodbtest::ExpectIndexesConsistent(db);
}

// --------------------------------------------------------------------------
// Compaction
// --------------------------------------------------------------------------

TEST(GeoDBCompaction, KeepsEveryLiveItemAndShrinksTheFile) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  BuildMixed(db, dir.Path);
  db.SetDescription("kept");
  const auto before = Snapshot(db);
  const auto oldSize = std::filesystem::file_size(dir / "x.zelgdd");
  int64_t live = 260;
  for (const TgdbData& d : db.SumData())
    live += d.ItemKind == 7 ? 1024 + d.NumPoints : (d.BlobOffset >= 0 ? 8 * d.NumPoints : 0);
  std::vector<int32_t> events;
  db.OnPercentDone = [&](TObject*, int32_t p) { events.push_back(p); };
  db.GarbageCollection();
  db.OnPercentDone = nullptr;
  EXPECT_EQ(std::filesystem::file_size(dir / "x.zelgdd"), static_cast<uintmax_t>(live));
  EXPECT_LT(live, static_cast<int64_t>(oldSize));
  EXPECT_TRUE(Snapshot(db) == before);
  EXPECT_EQ(events.front(), 0);
  EXPECT_EQ(events.back(), 100);
  EXPECT_TRUE(std::is_sorted(events.begin(), events.end()));
  db.RecalcIndexes();
  geodbtest::ExpectIndexesConsistent(db);
  db.Close();
  EXPECT_EQ(ReadSystemInformation(dir / "x").Description, "kept");
  db.SetGDBName(dir / "x");
  EXPECT_TRUE(Snapshot(db) == before);

  // A block beyond the end of the file stays unreadable, without a block.
  TgdbData d = db.GetSumdata(1);
  db.Close();
  auto sum = ReadBytes(dir / "x.zelgds");
  d.BlobOffset = 1 << 30;
  EncodeGdbData(d, sum.data());
  WriteBytes(dir / "x.zelgds", sum);
  db.SetGDBName(dir / "x");
  db.GarbageCollection();
  EXPECT_EQ(db.GetSumdata(1).BlobOffset, -1);
}

// The writer exits at every progress event of a compaction, each a point
// between two of its steps: the next open must see every item unchanged.
TEST(GeoDBCompaction, ExitAtEveryStepLeavesTheDatabaseIntact) {
  TempDir dir;
  std::vector<std::string> before;
  int events = 0;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "ref");
    BuildMixed(db, dir.Path);
    before = Snapshot(db);
    db.OnPercentDone = [&](TObject*, int32_t) { ++events; };
    db.GarbageCollection();
  }
  ASSERT_GE(events, 8);
  for (int stop = 1; stop <= events; ++stop) {
    SCOPED_TRACE(stop);
    TempDir run;
    {
      TGeoDB db(nullptr);
      db.SetGDBName(run / "x");
      BuildMixed(db, run.Path, dir / "file.bin");
    }
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TGeoDB db(nullptr);
      db.SetGDBName(run / "x");
      int calls = 0;
      db.OnPercentDone = [&](TObject*, int32_t) {
        if (++calls == stop) _exit(0);
      };
      db.GarbageCollection();
      _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    TGeoDB db(nullptr);
    db.SetGDBName(run / "x");
    EXPECT_TRUE(Snapshot(db) == before);
    geodbtest::ExpectIndexesConsistent(db);
    for (const char* ext : {".zelgdd.tmp", ".zelgds.tmp", ".zelgds.gc"})
      EXPECT_FALSE(std::filesystem::exists(run / (std::string("x") + ext)));
  }
}

// --------------------------------------------------------------------------
// Header of a data file, text dump
// --------------------------------------------------------------------------

TEST(GeoDBSystemInformation, DecodesTheHeaderAndRejectsDamagedFiles) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "x");
    db.SetDescription("Alpen \u00D6sterreich");
    db.SetRevision(-7);
    AddTown(db, "a", 0, 0);
  }
  const TgdbSystemData h = ReadSystemInformation(dir / "x.anything");
  EXPECT_EQ(h.Description, "Alpen \u00D6sterreich");
  EXPECT_EQ(h.Revision, -7);
  EXPECT_EQ(h.HighestID, 1);
  EXPECT_EQ(h.DBVersion, 4);

  const std::string open = "ReadSystemInformation: cannot open database.";
  const std::string damaged = "ReadSystemInformation: damaged data file.";
  WriteBytes(dir / "short.zelgdd", std::vector<uint8_t>(259, 0xFF));
  std::filesystem::create_directory(dir / "dir.zelgdd");
  std::filesystem::create_symlink("/dev/zero", dir / "zero.zelgdd");
  ASSERT_EQ(::mkfifo((dir / "fifo.zelgdd").c_str(), 0600), 0);
  const std::pair<const char*, std::string> cases[] = {
      {"short", damaged}, {"missing", open}, {"dir", open}, {"zero", open}, {"fifo", open}};
  for (const auto& [name, msg] : cases)
    EXPECT_EQ(Message([&] { ReadSystemInformation(dir / name); }), msg) << name;
  // A huge (sparse) file: only the header is read; a length byte of 255 is
  // clamped to the field's capacity.
  std::vector<uint8_t> b(260, 0);
  b[8] = 255;
  WriteBytes(dir / "huge.zelgdd", b);
  std::filesystem::resize_file(dir / "huge.zelgdd", uintmax_t{3} << 30);
  EXPECT_EQ(ReadSystemInformation(dir / "huge").Description.size(), 63u);
}

TEST(GeoDBExport, DumpListsHeaderRecordsAndIndexes) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "x");
  db.AddTown("Graz", 0, 0, {47.0707f, 15.4395f}, 353, 0, 0);
  db.ExportDataDebug(dir / "dump.txt");
  const auto b = ReadBytes(dir / "dump.txt");
  const std::string t(b.begin(), b.end());
  EXPECT_NE(t.find("\n1;1;Graz;Town;0;0;-1;0;0;0;47.0707;47.0707;15.4395;15.4395;353;0\n"
                   "index 0 (ItemID;entry)\n1;1\n"),
            std::string::npos)
      << t;
  EXPECT_EQ(Message([&] {
              db.ExportDataDebug(dir.Path);
            }).rfind("Component \"TGeoDB\": ExportDataDebug: ", 0),
            0u);
}

// --------------------------------------------------------------------------
// Latitude and longitude texts
// --------------------------------------------------------------------------

TEST(GeoDBText, HemisphereClampingAndNonFinite) {
  EXPECT_EQ(GeoLatitude(-100, TDegreeFormat::dfDeg, 1), "90.0\u00B0 S");
  EXPECT_EQ(GeoLatitude(0, TDegreeFormat::dfDeg, 1), "0.0\u00B0 N");
  EXPECT_EQ(GeoLatitude(-0.0, TDegreeFormat::dfDeg, 0), "0\u00B0 N");
  EXPECT_EQ(GeoLatitude(47.5, TDegreeFormat::dfDegMinSec, 0), "47\u00B0 30'   0\" N");
  EXPECT_EQ(GeoLatitude(kInf, TDegreeFormat::dfDeg, 0), "90\u00B0 N");
  EXPECT_EQ(GeoLatitude(kNaN, TDegreeFormat::dfDeg, 2), "NAN\u00B0 N");
  EXPECT_EQ(GeoLongitude(-200, TDegreeFormat::dfDegMin, 0), "180\u00B0   0' W");
  EXPECT_EQ(GeoLongitude(-kInf, TDegreeFormat::dfPlain, 1), "180.0 W");
  EXPECT_EQ(GeoLongitude(16.3738, TDegreeFormat::dfDeg, 2), "16.37\u00B0 E");
}

// The numbers of a "d m s" text, whatever separates them.
std::vector<double> Numbers(const std::string& T) {
  std::vector<double> v;
  for (size_t i = 0; i < T.size();) {
    if (T[i] >= '0' && T[i] <= '9') {
      double x = 0;
      const auto r = std::from_chars(T.data() + i, T.data() + T.size(), x);
      v.push_back(x);
      i = static_cast<size_t>(r.ptr - T.data());
    } else {
      ++i;
    }
  }
  return v;
}

TEST(GeoDBText, DegreeMinuteSecondSplitMatchesGeographicLib) {
  std::ifstream f(std::string(ZEL_TESTDATA_DIR) + "/map/geodb/testdata/dms_reference.csv");
  ASSERT_TRUE(f.good());
  std::string line;
  std::getline(f, line);
  int rows = 0;
  while (std::getline(f, line)) {
    std::vector<std::string> c;
    std::stringstream ls(line);
    for (std::string part; c.size() < 4 && std::getline(ls, part, ',');) c.push_back(part);
    std::string ref;
    std::getline(ls, ref);
    const double angle = std::stod(c[1]);
    const auto format = static_cast<TDegreeFormat>(std::stoi(c[2]));
    const int dec = std::stoi(c[3]);
    const std::string ours =
        c[0] == "lat" ? GeoLatitude(angle, format, dec) : GeoLongitude(angle, format, dec);
    SCOPED_TRACE(line + " -> " + ours);
    EXPECT_EQ(Numbers(ours), Numbers(ref));
    EXPECT_EQ(ours.back(), ref.back());  // hemisphere letter
    ++rows;
  }
  EXPECT_EQ(rows, 300);
}

}  // namespace
}  // namespace zel
