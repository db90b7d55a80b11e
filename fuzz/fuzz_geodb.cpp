// Geographic databases. The input holds the seven files of a database, each
// as a little-endian 32-bit length and that many bytes (summary, data, then
// the five indexes); a file the input does not reach is absent. The database
// is opened, every entry is read back, and it is closed and opened again.
#include <algorithm>
#include <array>
#include <filesystem>

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
  db.Close();
  return 0;
}
