// Geographic database: create a small database in the temporary directory,
// add three towns and a river, find the first place at or north of a
// latitude through the sorted LatLow index, replace the river by a longer
// course, read its points back, compact the data file, and remove the files
// again.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "map/geodb/zel_geodb.hpp"

int main() {
  using namespace zel;
  std::string dir = (std::filesystem::temp_directory_path() / "zelgeodb_example_XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) return 1;

  {
    TGeoDB db(nullptr);
    db.SetName("Austria");
    db.SetGDBName(dir + "/austria");  // creates the seven files
    db.SetDescription("A few Austrian places");

    struct Town {
      const char* name;
      float lat, lon, alt;
    };
    for (const Town& t :
         {Town{"Wien", 48.2082f, 16.3738f, 171}, Town{"Graz", 47.0707f, 15.4395f, 353},
          Town{"Salzburg", 47.8095f, 13.0550f, 424}})
      db.AddTown(t.name, 45658.0, 0, {t.lat, t.lon}, t.alt, 0, 0);
    const int32_t entry = db.AddRiver("Mur (part)", {{47.0707f, 15.4395f}, {47.1600f, 15.3600f}},
                                      45658.0, 0, 0, 0, 0, 0, 0, 0, 0);

    // The position at which 47.5 N would enter the LatLow index is the first
    // place at or north of it; the index record names its entry.
    const int32_t pos = db.GetClosestLatLowIx(47.5);
    if (pos <= db.GetNumEntries()) {
      const TgdbData d = db.GetSumdata(db.GetIxLatLow(pos).index);
      std::printf("first place at or north of 47.5 N: %s (%s, id %d, %s %s, %.0f m)\n",
                  d.Name.c_str(), GdbItemName(d.ItemKind), d.ItemId,
                  GeoLatitude(d.LatLow, TDegreeFormat::dfDegMinSec, 0).c_str(),
                  GeoLongitude(d.LongLow, TDegreeFormat::dfDegMinSec, 0).c_str(), d.Altitude);
    }

    // Replacing keeps the entry number and identifier; the old points stay
    // in the data file, unreferenced, until the file is compacted.
    db.ReplaceRiver(
        entry, "Mur (Graz - Bruck)",
        {{47.0707f, 15.4395f}, {47.1600f, 15.3600f}, {47.2200f, 15.3400f}, {47.4100f, 15.2700f}},
        45658.0, 0, 0, 0, 0, 0, 0, 0, 0);
    TgdbPolygon points;
    if (db.RetrievePolygon(entry, points) == 1) {
      const TgdbData r = db.GetSumdata(entry);
      std::printf("%s (id %d): %zu points, latitude %.4f..%.4f\n", r.Name.c_str(), r.ItemId,
                  points.size(), r.LatLow, r.LatHigh);
    }
    const auto before = std::filesystem::file_size(dir + "/austria.zelgdd");
    db.GarbageCollection();
    std::printf("data file compacted from %ju to %ju bytes\n", static_cast<uintmax_t>(before),
                static_cast<uintmax_t>(std::filesystem::file_size(dir + "/austria.zelgdd")));
    std::printf("%d entries in \"%s\" (%s)\n", db.GetNumEntries(), db.GetDescription().c_str(),
                std::filesystem::path(db.GetDBName()).filename().c_str());
    db.Close();
  }
  std::filesystem::remove_all(dir);
  return 0;
}
