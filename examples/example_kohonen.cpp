// A self-organising map on two-dimensional data: 600 points on a ring are
// learnt by a 12 x 12 map. The program prints the quality of the map and
// where a few new points land, saves the map as XML, and draws the data
// with the neuron grid laid over it into a PNG image.
//
//   example_kohonen [output.png]      (default: example_kohonen.png in the temp directory)
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>

#include "core/zel_random.hpp"
#include "core/zel_system.hpp"
#include "gui/zel_graphics.hpp"
#include "num/analysis/zel_kohonen.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const auto temp = std::filesystem::temp_directory_path();
  const std::string png = argc > 1 ? argv[1] : (temp / "example_kohonen.png").string();

  // Points on a ring of radius 3 around (5, 5), with some noise.
  SetRandSeed(2024);
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(2, 600);
  for (int32_t r = 1; r <= 600; ++r) {
    const double angle = 2 * std::numbers::pi * Random(), radius = 3 + RandG(0, 0.3);
    data->SetVal(1, r, 5 + radius * std::cos(angle));
    data->SetVal(2, r, 5 + radius * std::sin(angle));
  }

  TKohonen map(nullptr);
  map.SetName("Ring");
  map.SetDataMat(data.get());
  map.StandardizeData();
  map.SetSizeX(12);
  map.SetSizeY(12);
  map.SetInitialNeighbors(6);
  map.SetInitialAlpha(0.5);
  map.SetNrOfTrnSteps(100);
  map.OnFeedback = [](TObject*, int32_t percent) {
    if (percent % 25 == 0) std::printf("training: %d%%\n", percent);
  };
  const int32_t status = map.Trainit();
  std::printf("Trainit: %s\n", KohonenStatusText(status));

  // Quantisation error: the mean distance of a point to its nearest neuron.
  auto point = std::make_unique<TVector>(nullptr);
  point->Resize(2);
  double qe = 0;
  for (int32_t r = 1; r <= 600; ++r) {
    point->SetVal(1, data->GetVal(1, r));
    point->SetVal(2, data->GetVal(2, r));
    int32_t bx = 0, by = 0;
    double dist = 0;
    map.ApplyIt(point.get(), bx, by, dist);
    const double dx = data->GetVal(1, r) - map.GetWeight(bx, by, 1);
    const double dy = data->GetVal(2, r) - map.GetWeight(bx, by, 2);
    qe += std::hypot(dx, dy) / 600;
  }
  std::printf("quantisation error %.4f (data units; the ring's noise is 0.3)\n", qe);

  for (const double angle : {0.0, 90.0, 180.0, 270.0}) {
    point->SetVal(1, 5 + 3 * std::cos(angle * std::numbers::pi / 180));
    point->SetVal(2, 5 + 3 * std::sin(angle * std::numbers::pi / 180));
    int32_t bx = 0, by = 0;
    double dist = 0;
    map.ApplyIt(point.get(), bx, by, dist);
    std::printf("ring point at %3.0f degrees -> neuron (%d, %d)\n", angle, bx, by);
  }

  const std::string xml = (temp / "example_kohonen.xml").string();
  std::printf("saved %s: %s\n", xml.c_str(), map.SaveAsXMLFile(xml, "ring") ? "yes" : "no");

  // Data in grey, the neurons in blue with their grid neighbours joined.
  TBitmap bmp(400, 400);
  TCanvas& c = bmp.GetCanvas();
  const auto px = [](double v) { return RoundToInt32(40 + v * 32); };
  const auto py = [](double v) { return RoundToInt32(360 - v * 32); };
  for (int32_t r = 1; r <= 600; ++r)
    bmp.SetPixel(px(data->GetVal(1, r)), py(data->GetVal(2, r)), RGB(150, 150, 150));
  c.GetPen().SetColor(RGB(0, 60, 200));
  for (int32_t ix = 1; ix <= 12; ++ix)
    for (int32_t iy = 1; iy <= 12; ++iy) {
      const int32_t x = px(map.GetWeight(ix, iy, 1)), y = py(map.GetWeight(ix, iy, 2));
      if (ix < 12) {
        c.MoveTo(x, y);
        c.LineTo(px(map.GetWeight(ix + 1, iy, 1)), py(map.GetWeight(ix + 1, iy, 2)));
      }
      if (iy < 12) {
        c.MoveTo(x, y);
        c.LineTo(px(map.GetWeight(ix, iy + 1, 1)), py(map.GetWeight(ix, iy + 1, 2)));
      }
      c.Ellipse(x - 2, y - 2, x + 3, y + 3);
    }
  bmp.SaveToFile(png);
  std::printf("wrote %s\n", png.c_str());
  return 0;
}
