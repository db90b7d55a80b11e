// zel utm, zel geo convert, zel geo datums: UTM/UPS coordinates and datum
// shifts through the geodesy unit.
#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli_impl.hpp"
#include "core/zel_stringl.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zelcli {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A datum given as its index in the table (1..271), its name as the table
// writes it (case ignored), or NAME/REGION when several datums share the
// name (the region text is matched as a part, case ignored).
int32_t ResolveDatum(const std::string& arg, const char* option) {
  if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos && arg.size() < 5) {
    const int32_t k = std::stoi(arg);
    if (k < 1 || k > zel::kDatumCount)
      UsageError(std::string(option) + ": datum index " + arg + " is outside 1.." +
                 std::to_string(zel::kDatumCount));
    return k;
  }
  std::string name = Upper(arg), region;
  // The table spells the world datums out; their short names are accepted too.
  if (name == "WGS84" || name == "WGS 84") name = "WORLD GEODETIC SYSTEM 1984";
  if (name == "WGS72" || name == "WGS 72") name = "WORLD GEODETIC SYSTEM 1972";
  if (const size_t slash = name.find('/'); slash != std::string::npos) {
    region = name.substr(slash + 1);
    name = name.substr(0, slash);
  }
  std::vector<int32_t> found;
  for (int32_t k = 1; k <= zel::kDatumCount; ++k) {
    if (Upper(std::string(zel::DatumName(k))) != name) continue;
    if (!region.empty() &&
        Upper(std::string(zel::DatumRegion(k))).find(region) == std::string::npos)
      continue;
    found.push_back(k);
  }
  // A region given in full wins over the regions that merely contain it
  // ("Europe" against "Western Europe").
  if (found.size() > 1 && !region.empty()) {
    std::vector<int32_t> exact;
    for (int32_t k : found)
      if (Upper(std::string(zel::DatumRegion(k))) == region) exact.push_back(k);
    if (exact.size() == 1) found = exact;
  }
  if (found.empty())
    UsageError(std::string(option) + ": no datum \"" + arg + "\" (zel geo datums lists them)");
  if (found.size() > 1) {
    std::string list;
    for (size_t i = 0; i < found.size() && i < 6; ++i)
      list += (i ? ", " : "") + std::to_string(found[i]) + " " +
              std::string(zel::DatumRegion(found[i]));
    UsageError(std::string(option) + ": \"" + arg + "\" names " + std::to_string(found.size()) +
               " datums (" + list + (found.size() > 6 ? ", ..." : "") +
               "); give the index or NAME/REGION");
  }
  return found[0];
}

double ParseNumber(const std::string& s, const std::string& what) {
  double v = 0;
  if (!zel::TryStrToFloat(s, v)) UsageError(what + ": \"" + s + "\" is not a number");
  return v;
}

void UtmCommand(const Context& ctx, double lat, double lon) {
  if (!(lat >= -90 && lat <= 90)) UsageError("LAT must be within -90..90");
  if (!(lon >= -180 && lon <= 180)) UsageError("LON must be within -180..180");
  const auto wgs84 = zel::TGeoEllipsoid::gelWGS84;
  json j{{"latitude", lat}, {"longitude", lon}};
  std::ostringstream text;
  const std::string zoneText = zel::GeoToUTMZone(lat, lon);
  double e = 0, n = 0;
  if (!zoneText.empty()) {
    int32_t zone = 0;
    zel::LatLongToUTM(lat, lon, wgs84, zone, e, n);
    j["system"] = "UTM";
    j["zone"] = zoneText;
    j["hemisphere"] = lat < 0 ? "S" : "N";
    char buf[96];
    std::snprintf(buf, sizeof buf, "E %.3f m  N %.3f m", e, n);
    text << "UTM " << zoneText << "  " << buf << " (" << (lat < 0 ? "southern" : "northern")
         << " hemisphere, WGS 84)\n";
  } else {
    // Beyond the UTM latitudes the polar stereographic grid takes over.
    zel::LatLongToUPS(lat, lon, wgs84, e, n);
    j["system"] = "UPS";
    j["hemisphere"] = lat < 0 ? "S" : "N";
    char buf[96];
    std::snprintf(buf, sizeof buf, "E %.3f m  N %.3f m", e, n);
    text << "UPS " << (lat < 0 ? "south" : "north") << "  " << buf << " (WGS 84)\n";
  }
  j["easting"] = JNum(e);
  j["northing"] = JNum(n);
  Emit(ctx, j, text.str());
}

struct ConvertArgs {
  std::string from, to;
  std::vector<std::string> coords;
};

void ConvertCommand(const Context& ctx, const ConvertArgs& a) {
  const int32_t src = ResolveDatum(a.from, "--from"), dst = ResolveDatum(a.to, "--to");
  for (int32_t d : {src, dst})
    if (!zel::DatumHasShift(d))
      throw Failure("datum " + std::to_string(d) + " (" + std::string(zel::DatumName(d)) + ", " +
                    std::string(zel::DatumRegion(d)) +
                    "): " + zel::HelmertTransformStatusText(zel::kHelmertNoParameters));
  std::vector<std::array<double, 3>> points;
  if (!a.coords.empty()) {
    if (a.coords.size() < 2 || a.coords.size() > 3) UsageError("give LAT LON [HEIGHT]");
    points.push_back({ParseNumber(a.coords[0], "LAT"), ParseNumber(a.coords[1], "LON"),
                      a.coords.size() > 2 ? ParseNumber(a.coords[2], "HEIGHT") : 0.0});
  } else {
    std::string line;
    int64_t lineNo = 0;
    while (std::getline(std::cin, line)) {
      ++lineNo;
      std::istringstream words(line);
      std::vector<std::string> w;
      for (std::string s; words >> s;) w.push_back(s);
      if (w.empty() || w[0][0] == '#') continue;
      std::array<double, 3> p{0, 0, 0};
      bool ok = w.size() == 2 || w.size() == 3;
      for (size_t i = 0; ok && i < w.size(); ++i) ok = zel::TryStrToFloat(w[i], p[i]);
      if (!ok)
        Fail("<stdin>", "line " + std::to_string(lineNo) + ": expected \"lat lon [height]\"");
      points.push_back(p);
    }
  }
  json out = json::array();
  std::ostringstream text;
  for (const auto& p : points) {
    double la = 0, lo = 0, h = 0;
    const int32_t status = zel::HelmertTransform(src, p[0], p[1], p[2], dst, la, lo, h);
    if (status != zel::kHelmertOk)
      throw Failure("position " + Num(p[0]) + " " + Num(p[1]) + ": " +
                    zel::HelmertTransformStatusText(status));
    out.push_back({{"latitude", JNum(la)}, {"longitude", JNum(lo)}, {"height", JNum(h)}});
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.8f %.8f %.3f\n", la, lo, h);
    text << buf;
  }
  json j{
      {"from", {{"index", src}, {"name", zel::DatumName(src)}, {"region", zel::DatumRegion(src)}}},
      {"to", {{"index", dst}, {"name", zel::DatumName(dst)}, {"region", zel::DatumRegion(dst)}}},
      {"points", out}};
  Emit(ctx, j, text.str());
}

void DatumsCommand(const Context& ctx, const std::string& pattern) {
  const std::string p = Upper(pattern);
  json all = json::array();
  std::ostringstream text;
  for (int32_t k = 1; k <= zel::kDatumCount; ++k) {
    const std::string name(zel::DatumName(k)), region(zel::DatumRegion(k));
    if (!p.empty() && Upper(name).find(p) == std::string::npos &&
        Upper(region).find(p) == std::string::npos)
      continue;
    all.push_back(
        {{"index", k}, {"name", name}, {"region", region}, {"shift", zel::DatumHasShift(k)}});
    char buf[200];
    std::snprintf(buf, sizeof buf, "%3d  %-32s %s%s\n", k, name.c_str(), region.c_str(),
                  zel::DatumHasShift(k) ? "" : "  (no shift parameters)");
    text << buf;
  }
  Emit(ctx, all, text.str());
}

}  // namespace

void AddGeoCommands(CLI::App& app, Context& ctx) {
  {
    auto* cmd = app.add_subcommand("utm", "UTM (or, near the poles, UPS) coordinates on WGS 84");
    auto lat = std::make_shared<double>(0), lon = std::make_shared<double>(0);
    cmd->add_option("LAT", *lat, "Latitude in degrees, north positive")->required();
    cmd->add_option("LON", *lon, "Longitude in degrees, east positive")->required();
    cmd->callback([&ctx, lat, lon] { UtmCommand(ctx, *lat, *lon); });
  }
  auto* geo = app.add_subcommand("geo", "Datum shifts");
  geo->require_subcommand(1);
  {
    auto* cmd = geo->add_subcommand("convert",
                                    "Shift positions from one datum to another (through WGS 84)");
    auto a = std::make_shared<ConvertArgs>();
    cmd->add_option(
           "--from", a->from,
           "Source datum: index, name (WGS84 for WORLD GEODETIC SYSTEM 1984) or NAME/REGION")
        ->required();
    cmd->add_option("--to", a->to, "Target datum: index, name or NAME/REGION")->required();
    cmd->add_option("COORDS", a->coords,
                    "LAT LON [HEIGHT] in degrees and metres; without them \"lat lon [h]\" lines "
                    "are read from standard input");
    cmd->callback([&ctx, a] { ConvertCommand(ctx, *a); });
  }
  {
    auto* cmd =
        geo->add_subcommand("datums", "List the datums (name or region containing PATTERN)");
    auto pattern = std::make_shared<std::string>();
    cmd->add_option("PATTERN", *pattern, "Part of a name or region");
    cmd->callback([&ctx, pattern] { DatumsCommand(ctx, *pattern); });
  }
}

}  // namespace zelcli
