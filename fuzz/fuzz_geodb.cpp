// Geographic databases. The input holds the seven files of a database, each
// as a little-endian 32-bit length and that many bytes (summary, data, then
// the five indexes); a file the input does not reach is absent. The database
// is opened, its indexes are checked against the summary, every entry is
// read back, and it is closed and opened again; then it takes a new item and
// loses its first one, and a third open finds exactly that.
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <filesystem>
#include <type_traits>

#include "core/zel_binary.hpp"
#include "fuzz/fuzz_util_impl.hpp"
#include "map/geodb/zel_geodb.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

constexpr std::array<const char*, 7> kExt = {".zelgds", ".zelgdd", ".zelgi0", ".zelgi1",
                                             ".zelgi2", ".zelgi3", ".zelgi4"};

// Opens Base; false when the open is refused with a library error.
bool Open(TGeoDB& db, const std::string& Base) {
  try {
    db.SetGDBName(Base + ".zelgds");
    return db.IsOpen();
  } catch (const Exception&) {
    Require(!db.IsOpen(), "geodb: a failed open left the database open");
    return false;
  }
}

// Every index holds each entry once, under the entry's own key, sorted.
void CheckIndexes(const TGeoDB& db) {
  const auto& sum = db.SumData();
  const size_t n = sum.size();
  const auto check = [&](const auto& Ix, auto Key) {
    Require(Ix.size() == n, "geodb: an index and the summary differ in length");
    std::vector<bool> seen(n, false);
    for (size_t i = 0; i < n; ++i) {
      const int32_t at = Ix[i].index;
      Require(at >= 0 && static_cast<size_t>(at) < n && !seen[static_cast<size_t>(at)],
              "geodb: an index does not hold every entry once");
      seen[static_cast<size_t>(at)] = true;
      Require(Key(Ix[i]) == Key(sum[static_cast<size_t>(at)]),
              "geodb: an index key is not the entry's");
    }
  };
  check(db.ItemIDIndex(), [](const auto& r) {
    if constexpr (std::is_same_v<std::decay_t<decltype(r)>, TIxItemIDRec>)
      return r.ItemID;
    else
      return r.ItemId;
  });
  for (size_t i = 1; i < n; ++i)
    Require(db.ItemIDIndex()[i - 1].ItemID <= db.ItemIDIndex()[i].ItemID,
            "geodb: the identifier index is not sorted");
  for (int32_t k = 1; k <= 4; ++k) {
    check(db.LLIndex(k), [k](const auto& r) {
      if constexpr (std::is_same_v<std::decay_t<decltype(r)>, TIxLLRec>)
        return std::bit_cast<uint32_t>(r.LLValue);
      else
        return std::bit_cast<uint32_t>(k == 1   ? r.LatLow
                                       : k == 2 ? r.LatHigh
                                       : k == 3 ? r.LongLow
                                                : r.LongHigh);
    });
    const auto& ix = db.LLIndex(k);
    for (size_t i = 1; i < n; ++i)
      Require(!TGeoDB::LLKeyBelow(ix[i].LLValue, ix[i - 1].LLValue),
              "geodb: a bounds index is not sorted (numbers ascending, then NaN)");
  }
}

void ReadEverything(TGeoDB& db) {
  for (int32_t e = 1; e <= db.GetNumEntries(); ++e) {
    try {
      TgdbPolygon poly;
      if (db.RetrievePolygon(e, poly) == 0)
        Require(poly.empty(), "geodb: a failed retrieval left points");
      TMetaInfo info;
      db.GetMetaInfo(e, info);
      TMemoryStream blob;
      (void)db.RetrieveBLOB(e, info, blob);
    } catch (const Exception&) {
      // a damaged data block is reported by exception
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string dir = ScratchPath("geodb");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directory(dir);
  const std::string base = dir + "/db";
  size_t pos = 0;
  for (const char* ext : kExt) {
    if (pos + 4 > Size) break;
    const size_t len = std::min<size_t>(LoadLE32(Data + pos), Size - pos - 4);
    WriteScratch("geodb/db" + std::string(ext), std::span<const uint8_t>(Data + pos + 4, len));
    pos += 4 + len;
  }
  TGeoDB db(nullptr);
  db.SetOnPercDoneEnabled(false);
  if (!Open(db, base)) return 0;
  CheckIndexes(db);
  ReadEverything(db);
  const int32_t entries = db.GetNumEntries();
  const auto sum = db.SumData();
  db.Close();
  // The first open repaired what it could; a second one finds the same data.
  Require(Open(db, base), "geodb: a database that opened once does not open again");
  Require(db.GetNumEntries() == entries, "geodb: the entry count changed between two opens");
  for (int32_t e = 0; e < entries; ++e)
    Require(db.SumData()[static_cast<size_t>(e)].ItemId == sum[static_cast<size_t>(e)].ItemId,
            "geodb: an entry changed between two opens");
  if (db.GetSystemData().HighestID == INT32_MAX) return 0;  // identifiers used up

  // The repaired database takes a new item and loses its first one (the new
  // item moves into its place).
  const TgdbPolygon river = {{1.5F, 2.5F}, {3.5F, -4.5F}};
  Require(db.AddRiver("fuzz", river, 0.0, 0, 0, 0, 0, 0, 0, 0, 0) == entries + 1,
          "geodb: an added item is not the last entry");
  const int32_t id = db.SumData().back().ItemId;
  if (entries > 0) db.DeleteData(1);
  CheckIndexes(db);
  db.Close();
  Require(Open(db, base), "geodb: a database that took an item does not open again");
  CheckIndexes(db);
  Require(db.GetNumEntries() == std::max(entries, 1), "geodb: a change was lost");
  Require(db.SumData()[0].ItemId == id, "geodb: the new item is not entry 1");
  TgdbPolygon back;
  Require(db.RetrievePolygon(1, back) == 1 && back.size() == river.size() &&
              std::memcmp(back.data(), river.data(), sizeof(TSCoords) * river.size()) == 0,
          "geodb: the new item's points did not read back");
  db.Close();
  return 0;
}
