// Geographic database: create a small database in the temporary directory,
// add three towns and a river, find the town closest to a latitude through
// the sorted LatLow index, read the river's points back, and remove the
// files again.
#include <stdlib.h>

#include <algorithm>
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
          Town{"Salzburg", 47.8095f, 13.0550f, 424}}) {
      std::string name = t.name;
      db.AddData(name, {}, false, TgdbItem::gitTown, 0, 45658.0, 0, t.lat, t.lat, t.lon, t.lon,
                 t.alt, 0, TMetaInfo{}, nullptr, 0, false);
    }
    std::string river = "Mur (part)";
    const TgdbPolygon mur = {{47.0707f, 15.4395f}, {47.1600f, 15.3600f}, {47.2200f, 15.3400f}};
    const int32_t entry = db.AddData(river, mur, false, TgdbItem::gitRiver, 0, 45658.0, 0, 0, 0, 0,
                                     0, 0, 0, TMetaInfo{}, nullptr, 0, false);

    // The first entry at or north of 47.5 degrees in the LatLow index.
    const auto& ix = db.LLIndex(1);
    const auto it = std::lower_bound(ix.begin(), ix.end(), 47.5f,
                                     [](const TIxLLRec& r, float v) { return r.LLValue < v; });
    if (it != ix.end()) {
      const TgdbData& d = db.SumData()[static_cast<size_t>(it->index)];
      std::printf("first place at or north of 47.5 N: %s (%s, id %d, %.4f N %.4f E, %.0f m)\n",
                  d.Name.c_str(), GdbItemName(d.ItemKind), d.ItemId, d.LatLow, d.LongLow,
                  d.Altitude);
    }

    TgdbPolygon points;
    if (db.RetrievePolygon(entry, points) == 1) {
      const TgdbData& r = db.SumData()[static_cast<size_t>(entry - 1)];
      std::printf("%s: %zu points, latitude %.4f..%.4f\n", r.Name.c_str(), points.size(), r.LatLow,
                  r.LatHigh);
    }
    std::printf("%d entries in \"%s\" (%s)\n", db.GetNumEntries(), db.GetDescription().c_str(),
                std::filesystem::path(db.GetDBName()).filename().c_str());
    db.Close();
  }
  std::filesystem::remove_all(dir);
  return 0;
}
