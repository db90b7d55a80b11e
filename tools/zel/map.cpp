// zel map render, zel map create: calibrated maps through the map display
// control TGeoMap, drawn off screen.
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli_impl.hpp"
#include "gui/zel_controls.hpp"
#include "gui/zel_graphics.hpp"
#include "map/geomap/zel_geomap.hpp"

namespace zelcli {

namespace {

struct RenderArgs {
  std::string calfile, out, id, graticule = "lines", landmarks, landmarksId;
  int32_t width = 800, height = 600;
  double grid = 0;
};

void RenderCommand(const Context& ctx, const RenderArgs& a) {
  InputFile in(a.calfile, ".xml");
  zel::TGeoMap map(nullptr);
  map.SetName("zel");
  map.SetBounds(0, 0, a.width, a.height);
  bool ok = false;
  try {
    ok = map.LoadCalDataFromXML(in.Path(), a.id);
  } catch (const std::exception& e) {
    Fail(in.Name(), e.what());
  }
  if (!ok)
    Fail(in.Name(), a.id.empty() ? "not a map calibration file, or damaged"
                                 : "no calibration \"" + a.id + "\", or the file is damaged");
  if (map.GetMapImgWidth() <= 0)
    Fail(in.Name(),
         "the map image \"" + map.GetCalibData().MapFName + "\" was not found beside it");
  const std::pair<const char*, zel::TShowGrat> kinds[] = {
      {"none", zel::TShowGrat::sgNone},   {"points", zel::TShowGrat::sgPoints},
      {"lines", zel::TShowGrat::sgLines}, {"both", zel::TShowGrat::sgPointsAndLines},
      {"utm", zel::TShowGrat::sgUTMGrid}, {"utm-points", zel::TShowGrat::sgPointsAndUTMGrid}};
  for (const auto& k : kinds)
    if (a.graticule == k.first) map.SetShowGraticule(k.second);
  map.SetGratLineDist(a.grid);
  if (!a.landmarks.empty()) {
    InputFile lm(a.landmarks, ".xml");
    if (!map.LoadLandMarks(lm.Path(), a.landmarksId))
      Fail(lm.Name(), a.landmarksId.empty()
                          ? "not a landmark file, or damaged"
                          : "no landmarks \"" + a.landmarksId + "\", or the file is damaged");
  }
  map.ZoomFitPage();

  OutputFile out(a.out, ".png");
  zel::TControlHost host(&map);
  try {
    host.Snapshot().SaveToFile(out.Path());
  } catch (const std::exception& e) {
    Fail(out.Name(), e.what());
  }
  out.Commit();

  const int32_t w = map.GetMapImgWidth(), h = map.GetMapImgHeight();
  bool v1 = false, v2 = false, v3 = false, v4 = false;
  const double latTop = map.CalcLatitude(w / 2, 0, v1);
  const double latBottom = map.CalcLatitude(w / 2, h - 1, v2);
  const double lonLeft = map.CalcLongitude(0, h / 2, v3);
  const double lonRight = map.CalcLongitude(w - 1, h / 2, v4);
  const std::string model(zel::CalibModelName[static_cast<size_t>(map.GetCalibModel())]);
  json j{{"calibration", in.Name()},
         {"image", map.GetMapImgFile()},
         {"image_width", w},
         {"image_height", h},
         {"model", model},
         {"caption", map.GetCaption()},
         {"output", out.Name()},
         {"width", a.width},
         {"height", a.height},
         {"magnification", JNum(map.GetMagnification())},
         {"landmarks", map.GetNumLandMarks()}};
  if (v1 && v2 && v3 && v4)
    j["extent"] = {{"north", JNum(latTop)},
                   {"south", JNum(latBottom)},
                   {"west", JNum(lonLeft)},
                   {"east", JNum(lonRight)}};
  std::ostringstream text;
  text << in.Name() << ": " << w << " x " << h << " map image, model " << model << ", \""
       << map.GetCaption() << "\"\n";
  if (v1 && v2 && v3 && v4)
    text << "  latitude " << Num(latBottom, 7) << " .. " << Num(latTop, 7) << ", longitude "
         << Num(lonLeft, 7) << " .. " << Num(lonRight, 7) << '\n';
  if (map.GetNumLandMarks() > 0) text << "  " << map.GetNumLandMarks() << " landmarks\n";
  text << "  drawn at " << a.width << " x " << a.height << " (magnification "
       << Num(map.GetMagnification(), 5) << ") into " << out.Name() << '\n';
  // The picture itself may be on standard output: the report goes to stderr then.
  if (out.ToStdout()) {
    if (!ctx.quiet) std::fputs(ctx.json ? (j.dump(2) + "\n").c_str() : text.str().c_str(), stderr);
  } else {
    Emit(ctx, j, text.str());
  }
}

struct CreateArgs {
  std::vector<double> bounds;
  std::string out;
  double step = 1;
  int32_t width = 800, height = 600;
};

void CreateCommand(const Context& ctx, const CreateArgs& a) {
  for (double b : a.bounds)
    if (!std::isfinite(b)) UsageError("the bounds must be finite numbers");
  if (!(a.bounds[0] >= -90 && a.bounds[2] <= 90 && a.bounds[0] < a.bounds[2]))
    UsageError("latitudes: LATLOW < LATHIGH within -90..90");
  if (!(a.bounds[1] >= -180 && a.bounds[3] <= 180 && a.bounds[1] < a.bounds[3]))
    UsageError("longitudes: LONLOW < LONHIGH within -180..180");
  zel::TGeoMap map(nullptr);
  map.SetName("zel");
  try {
    map.CreateEmptyMapInMemory(a.bounds[0], a.bounds[1], a.bounds[2], a.bounds[3], a.step, a.step,
                               a.width, a.height, true);
  } catch (const std::exception& e) {
    Fail(a.out, e.what());
  }
  const std::string base = std::filesystem::path(a.out).replace_extension().string();
  if (!map.SaveMap(base, "zel_map")) Fail(a.out, "cannot write the map");
  const std::string xml = base + ".xml", jpg = base + ".jpg";
  Emit(ctx,
       json{{"calibration", xml},
            {"image", jpg},
            {"width", map.GetMapImgWidth()},
            {"height", map.GetMapImgHeight()}},
       "wrote " + xml + " and " + jpg + " (" + std::to_string(map.GetMapImgWidth()) + " x " +
           std::to_string(map.GetMapImgHeight()) + ")\n");
}

}  // namespace

void AddMapCommands(CLI::App& app, Context& ctx) {
  auto* mapcmd = app.add_subcommand("map", "Calibrated maps");
  mapcmd->require_subcommand(1);
  {
    auto* cmd =
        mapcmd->add_subcommand("render", "Draw a calibrated map with its graticule and landmarks");
    auto a = std::make_shared<RenderArgs>();
    cmd->add_option("CALFILE", a->calfile,
                    "Map calibration file; the map image it names lies beside it")
        ->required();
    cmd->add_option("OUT", a->out,
                    "Picture to write (.png, .bmp or .jpg; '-' for PNG on "
                    "standard output)")
        ->required();
    cmd->add_option("--id", a->id, "Calibration id within the file (default: the first)");
    cmd->add_option("--landmarks", a->landmarks, "Landmark file to draw on the map");
    cmd->add_option("--landmarks-id", a->landmarksId,
                    "Section of the landmark file (default: the first)");
    cmd->add_option("--width", a->width, "Picture width")
        ->capture_default_str()
        ->check(CLI::Range(100, 8000));
    cmd->add_option("--height", a->height, "Picture height")
        ->capture_default_str()
        ->check(CLI::Range(100, 8000));
    cmd->add_option("-g,--graticule", a->graticule,
                    "What to draw: none, points, lines, both, utm, utm-points")
        ->capture_default_str()
        ->check(CLI::IsMember({"none", "points", "lines", "both", "utm", "utm-points"}));
    cmd->add_option("--grid", a->grid, "Graticule spacing in degrees (0: automatic)")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 60.0));
    cmd->callback([&ctx, a] { RenderCommand(ctx, *a); });
  }
  {
    auto* cmd = mapcmd->add_subcommand(
        "create", "Generate an empty calibrated map (BASE.jpg and its calibration BASE.xml)");
    auto a = std::make_shared<CreateArgs>();
    a->bounds.assign(4, 0.0);
    const char* names[4][2] = {{"LATLOW", "Southern latitude, degrees"},
                               {"LONLOW", "Western longitude, degrees"},
                               {"LATHIGH", "Northern latitude, degrees"},
                               {"LONHIGH", "Eastern longitude, degrees"}};
    for (size_t i = 0; i < 4; ++i)
      cmd->add_option(names[i][0], a->bounds[i], names[i][1])->required();
    cmd->add_option("BASE", a->out, "Output name without extension")->required();
    cmd->add_option("--step", a->step, "Grid spacing in degrees")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    cmd->add_option("--width", a->width, "Image width")
        ->capture_default_str()
        ->check(CLI::Range(100, 2000));
    cmd->add_option("--height", a->height, "Image height")
        ->capture_default_str()
        ->check(CLI::Range(100, 1500));
    cmd->callback([&ctx, a] { CreateCommand(ctx, *a); });
  }
}

}  // namespace zelcli
