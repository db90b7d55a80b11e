// Damaged files and interrupted writers: opening and every read must fail
// cleanly or give a consistent database, never crash or read out of bounds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "core/zel_binary.hpp"
#include "map/geodb/geodb_test_impl.hpp"

namespace zel {
namespace {

using geodbtest::AddBlob;
using geodbtest::AddPolygon;
using geodbtest::AddTown;
using geodbtest::kExts;
using geodbtest::ReadBytes;
using geodbtest::TempDir;
using geodbtest::WriteBytes;

// Polygon i has i + 1 points whose coordinates follow from i, so that a
// surviving item can be checked after any damage or crash.
TgdbPolygon PolygonOf(int i) {
  TgdbPolygon p;
  for (int k = 0; k <= i; ++k) p.push_back({static_cast<float>(i), static_cast<float>(k)});
  return p;
}

void BuildBase(const std::string& Name) {
  TGeoDB db(nullptr);
  db.SetGDBName(Name);
  for (int i = 0; i < 6; ++i) {
    AddTown(db, "town" + std::to_string(i), static_cast<float>(i % 3), static_cast<float>(-i));
    AddPolygon(db, "poly" + std::to_string(i), PolygonOf(i));
  }
  TMetaInfo m;
  m.Caption = "caption";
  AddBlob(db, "blob", std::vector<uint8_t>(20000, 0x5A), m);
  db.DeleteData(2);
  std::string n = "replaced";
  db.ReplaceData(4, n, PolygonOf(3), false, TgdbItem::gitCity, 0, 0, 0, 0, 0, 0, 0, 0, 0, {},
                 nullptr, 0, true);
}

// Opens the database and exercises every read; the open may fail, but only
// with EZELGeoDBError, and then leaves the component closed.
void OpenAndReadEverything(const TempDir& Dir, const std::string& What) {
  SCOPED_TRACE(What);
  TGeoDB db(nullptr);
  try {
    db.SetGDBName(Dir / "db");
  } catch (const EZELGeoDBError&) {
    EXPECT_FALSE(db.IsOpen());
    return;
  }
  const int32_t n = db.GetNumEntries();
  geodbtest::ExpectIndexesConsistent(db);
  EXPECT_EQ(std::filesystem::file_size(Dir / "db.zelgds"), static_cast<uintmax_t>(n) * 120);
  for (int k = 1; k <= 4; ++k)
    EXPECT_EQ(std::filesystem::file_size(Dir / ("db.zelgi" + std::to_string(k))),
              static_cast<uintmax_t>(n) * 8);
  const auto dataSize = std::filesystem::file_size(Dir / "db.zelgdd");
  std::vector<uint8_t> buf(1 << 16);
  for (int32_t e = 1; e <= n; ++e) {
    TgdbPolygon p;
    if (db.RetrievePolygon(e, p) == 1) {
      EXPECT_LE(p.size() * 8, dataSize);
    }
    TMetaInfo m;
    TMemoryStream ms;
    if (db.RetrieveBLOB(e, m, ms) == 1) {
      EXPECT_LE(static_cast<uintmax_t>(ms.GetSize()), dataSize);
    }
    try {
      db.RetrieveBLOB(e, m, buf.data(), static_cast<int32_t>(buf.size()));
      db.RetrieveBLOB(e, Dir.Path + "/", m);
    } catch (const EZELGeoDBError&) {
    }
  }
  // Still usable: a new item goes in and everything reopens consistently,
  // unless the identifiers are used up.
  if (db.GetSystemData().HighestID == INT32_MAX) {
    EXPECT_THROW(AddTown(db, "after", 1, 1), EZELGeoDBError);
    return;
  }
  AddTown(db, "after", 1, 1);
  db.SetGDBName(Dir / "db");
  EXPECT_EQ(db.GetNumEntries(), n + 1);
  geodbtest::ExpectIndexesConsistent(db);
}

class GeoDBDamage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new TempDir;
    BuildBase(*base_ / "db");
  }
  static void TearDownTestSuite() {
    delete base_;
    base_ = nullptr;
  }
  static void CopyBase(const TempDir& Dir) {
    for (const char* ext : kExts)
      std::filesystem::copy_file(*base_ / (std::string("db") + ext),
                                 Dir / (std::string("db") + ext));
  }
  // A fresh copy of the base database with one file replaced.
  static void Run(int File, const std::vector<uint8_t>& Bytes, const std::string& What) {
    TempDir dir;
    CopyBase(dir);
    WriteBytes(dir / (std::string("db") + kExts[File]), Bytes);
    OpenAndReadEverything(dir, What);
  }
  static std::vector<uint8_t> Base(int File) {
    return ReadBytes(*base_ / (std::string("db") + kExts[File]));
  }
  static TempDir* base_;
};
TempDir* GeoDBDamage::base_ = nullptr;

TEST_F(GeoDBDamage, TruncationsAndBitFlipsOfEveryFile) {
  std::mt19937 gen(20261208);
  for (int f = 0; f < 7; ++f) {
    const std::vector<uint8_t> b = Base(f);
    ASSERT_FALSE(b.empty());
    for (size_t len : {size_t{0}, size_t{1}, b.size() / 2, b.size() - 1, b.size() - 7}) {
      if (len > b.size()) continue;
      Run(f, std::vector<uint8_t>(b.begin(), b.begin() + static_cast<ptrdiff_t>(len)),
          std::string(kExts[f]) + " cut to " + std::to_string(len));
    }
    for (int k = 0; k < 12; ++k) {
      std::vector<uint8_t> d = b;
      const size_t at = std::uniform_int_distribution<size_t>(0, d.size() - 1)(gen);
      d[at] ^= static_cast<uint8_t>(1u << (gen() % 8));
      Run(f, d, std::string(kExts[f]) + " bit flip at " + std::to_string(at));
    }
  }
}

long PeakRssKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// A count of 2^31 - 1 points must be refused before anything is allocated:
// reading would fail anyway, so the memory peak is what tells.
TEST_F(GeoDBDamage, HostileCountsOffsetsAndLengthsInSummaryRecords) {
  const long peak = PeakRssKiB();
  const std::vector<uint8_t> b = Base(1);
  const size_t n = b.size() / 120;
  struct Patch {
    size_t offset;
    uint32_t value;
    int bytes;
  };
  const Patch patches[] = {{112, 0x7FFFFFFF, 4}, {112, 0xFFFFFFFF, 4}, {112, 0x80000000, 4},
                           {76, 0xFFFFFFFB, 4},  {76, 0x7FFFFFF0, 4},  {108, 7, 1},
                           {108, 200, 1},        {4, 255, 1},          {0, 0x7FFFFFFF, 4}};
  // A town, a polygon, another town and the BLOB (the last record).
  for (size_t r : {size_t{0}, size_t{1}, size_t{2}, n - 1})
    for (const Patch& p : patches) {
      std::vector<uint8_t> d = b;
      if (p.bytes == 4) {
        StoreLE32(&d[r * 120 + p.offset], p.value);
      } else {
        d[r * 120 + p.offset] = static_cast<uint8_t>(p.value);
      }
      Run(1, d, "record " + std::to_string(r) + " offset " + std::to_string(p.offset));
    }
  EXPECT_LT(PeakRssKiB() - peak, 512 * 1024);
}

TEST_F(GeoDBDamage, BrokenIndexesAreRebuiltFromTheSummary) {
  const std::vector<uint8_t> ix = Base(3);
  std::vector<uint8_t> extra = ix;
  extra.insert(extra.end(), ix.begin(), ix.begin() + 8);
  std::vector<uint8_t> outOfRange = ix;
  StoreLE32(&outOfRange[4], 1000);
  std::vector<uint8_t> duplicate = ix;
  std::copy(ix.begin() + 4, ix.begin() + 8, duplicate.begin() + 12);
  std::vector<uint8_t> unsorted = ix;
  std::swap_ranges(unsorted.begin(), unsorted.begin() + 8, unsorted.end() - 8);
  for (const auto& [bytes, what] : {std::pair{extra, "extra record"},
                                    {outOfRange, "index 1000"},
                                    {duplicate, "duplicate index"},
                                    {unsorted, "unsorted"}}) {
    TempDir dir;
    CopyBase(dir);
    WriteBytes(dir / "db.zelgi1", bytes);
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "db");
    geodbtest::ExpectIndexesConsistent(db);
    EXPECT_EQ(ReadBytes(dir / "db.zelgi1").size(), Base(3).size()) << what;
  }
  // A header shorter than 260 bytes is not taken as a database.
  TempDir dir;
  WriteBytes(dir / "db.zelgdd", std::vector<uint8_t>(100, 0));
  TGeoDB db(nullptr);
  EXPECT_THROW(db.SetGDBName(dir / "db"), EZELGeoDBError);
  EXPECT_EQ(ReadBytes(dir / "db.zelgdd").size(), 100u);
}

// Each case: the summary file as damaged, and how many whole records the
// repair keeps; a second open must find the same.
TEST_F(GeoDBDamage, SummaryRepairsKeepWholeRecordsAndAreStable) {
  const std::vector<uint8_t> base = Base(1);
  const size_t n = base.size() / 120;
  ASSERT_GE(n, 4u);
  const auto rec = [](std::vector<uint8_t>& s, size_t from, size_t to) {
    std::copy_n(s.begin() + static_cast<std::ptrdiff_t>(from * 120), 120,
                s.begin() + static_cast<std::ptrdiff_t>(to * 120));
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> sum;
    size_t kept;
  };
  std::vector<Case> cases;
  {
    // The last record copied over record 1, the file not yet cut, and a
    // partial record after it.
    std::vector<uint8_t> s = base;
    rec(s, n - 1, 1);
    s.insert(s.end(), {1, 2, 3});
    cases.push_back({"interrupted deletion", s, n - 1});
  }
  {
    // Record 0 also at the last two places, and the record before them also
    // at place 1: all three trailing repeats go at the first open.
    std::vector<uint8_t> s = base;
    rec(s, n - 3, 1);
    rec(s, 0, n - 2);
    rec(s, 0, n - 1);
    cases.push_back({"repeated trailing records", s, n - 3});
  }
  {
    std::vector<uint8_t> s = base;
    for (size_t i = 1; i < n; ++i) rec(s, 0, i);
    cases.push_back({"every record the same", s, 1});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    CopyBase(dir);
    WriteBytes(dir / "db.zelgds", c.sum);
    TGeoDB db(nullptr);
    for (int open = 0; open < 2; ++open) {
      db.SetGDBName(dir / "db");
      EXPECT_EQ(static_cast<size_t>(db.GetNumEntries()), c.kept);
      EXPECT_EQ(ReadBytes(dir / "db.zelgds"),
                std::vector<uint8_t>(c.sum.begin(),
                                     c.sum.begin() + static_cast<std::ptrdiff_t>(c.kept * 120)));
      geodbtest::ExpectIndexesConsistent(db);
    }
  }
}

// --------------------------------------------------------------------------
// Writers killed between steps
// --------------------------------------------------------------------------

// Checks a database written by AddPolygon(PolygonOf(i % 40)) items named
// "p<i>": identifiers are distinct and every item reads back whole.
int32_t CheckWrittenItems(const std::string& Name) {
  TGeoDB db(nullptr);
  db.SetGDBName(Name);
  geodbtest::ExpectIndexesConsistent(db);
  int32_t lastId = 0;
  std::vector<int32_t> ids;
  for (int32_t e = 1; e <= db.GetNumEntries(); ++e) {
    const TgdbData& d = db.SumData()[static_cast<size_t>(e - 1)];
    ids.push_back(d.ItemId);
    lastId = std::max(lastId, d.ItemId);
    const int i = std::stoi(d.Name.substr(1));
    TgdbPolygon p;
    EXPECT_EQ(db.RetrievePolygon(e, p), 1);
    const TgdbPolygon want = PolygonOf(i % 40);
    EXPECT_EQ(p.size(), want.size());
    if (p.size() != want.size()) continue;
    for (size_t k = 0; k < p.size(); ++k) EXPECT_EQ(p[k].Longit, want[k].Longit);
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end());
  EXPECT_GE(db.GetSystemData().HighestID, lastId);
  return db.GetNumEntries();
}

TEST(GeoDBCrash, WriterExitingAtEveryProgressStepLosesOnlyTheLastItem) {
  for (const bool lazy : {false, true}) {
    for (int stop = 1; stop <= 9; ++stop) {
      TempDir dir;
      {
        TGeoDB db(nullptr);
        db.SetGDBName(dir / "w");
        AddPolygon(db, "p0", PolygonOf(0));
        AddPolygon(db, "p1", PolygonOf(1));
      }
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        TGeoDB db(nullptr);
        db.SetGDBName(dir / "w");
        db.SetLazyWrite(lazy);
        int calls = 0;
        db.OnPercentDone = [&](TObject*, int32_t) {
          if (++calls == stop) _exit(0);
        };
        AddPolygon(db, "p2", PolygonOf(2));  // events: 0, 3 points, 100
        AddPolygon(db, "p3", PolygonOf(3));
        _exit(0);
      }
      int status = 0;
      waitpid(pid, &status, 0);
      const int32_t n = CheckWrittenItems(dir / "w");
      // The first item is complete once its 100 % fired (the fifth event;
      // its summary record is written before), the second never is.
      EXPECT_EQ(n, stop >= 5 ? 3 : 2) << stop << (lazy ? " lazy" : "");
    }
  }
}

TEST(GeoDBCrash, WriterKilledAtRandomTimesLeavesAConsistentDatabase) {
  std::mt19937 gen(7);
  for (int round = 0; round < 6; ++round) {
    TempDir dir;
    {
      TGeoDB db(nullptr);
      db.SetGDBName(dir / "k");
    }
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TGeoDB db(nullptr);
      db.SetGDBName(dir / "k");
      for (int i = 0;; ++i) {
        AddPolygon(db, "p" + std::to_string(i), PolygonOf(i % 40));
        if (i % 7 == 3) db.DeleteData(1 + i % 3);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + gen() % 200));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    CheckWrittenItems(dir / "k");
  }
}

}  // namespace
}  // namespace zel
