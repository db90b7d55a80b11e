// Structure drawing: nitrobenzene built with coordinates, drawn into a box
// of a bitmap, saved as PNG, and the atom under a pixel of the picture.
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "gui/zel_graphics.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::string file =
      argc > 1 ? argv[1]
               : (std::filesystem::temp_directory_path() / "example_chemgraph.png").string();

  // The ring (atoms 1-6, Kekule form) with bonds of 1.5 units, the nitro
  // group on atom 5 as N+(=O)O-.
  TChemGraph graph(nullptr);
  TCTab* mol = graph.GetStructure();
  const double r = 1.5, h = r * std::sqrt(3.0) / 2;
  const double xy[9][2] = {{-r / 2, -h}, {-r, 0},    {-r / 2, h},   {r / 2, h},  {r, 0},
                           {r / 2, -h},  {2 * r, 0}, {2.5 * r, -h}, {2.5 * r, h}};
  mol->BeginUpdate();
  for (int32_t i = 0; i < 9; ++i) {
    CTElem atom;
    ClearCTElem(atom);
    atom.atNum = static_cast<uint8_t>(i < 6 ? 6 : i == 6 ? 7 : 8);
    atom.coords = {static_cast<float>(xy[i][0]), static_cast<float>(xy[i][1]), 0.0f};
    mol->AddAtom(atom);
  }
  for (int32_t k = 1; k <= 6; ++k) mol->MakeConnection(k, k % 6 + 1, k % 2 ? 2 : 1);
  mol->MakeConnection(5, 7, 1);
  mol->MakeConnection(7, 8, 2);
  mol->MakeConnection(7, 9, 1);
  mol->SetCharge(7, 1);
  mol->SetCharge(9, -1);
  mol->SetStrucName("nitrobenzene");
  mol->EndUpdate();

  // A white picture; the box corners may be given in either order.
  TBitmap picture(320, 200);
  picture.GetCanvas().GetBrush().SetColor(clWhite);
  picture.GetCanvas().FillRect({0, 0, 320, 200});
  graph.ShowMoleculeInABox(picture.GetCanvas(), TCGDispMode::dmHeteroOnly, 10, 190, 310, 10, 40);
  try {
    picture.SaveToFile(file);
  } catch (const std::exception& e) {
    std::printf("could not write %s: %s\n", file.c_str(), e.what());
    return 1;
  }
  const TChemGraphDrawing& d = graph.GetLastDrawing();
  std::printf("%s drawn into %s at %.1f pixels per unit, labels in %d pt:\n",
              mol->GetStrucName().c_str(), file.c_str(), d.Scale, d.FontSize);
  for (const TChemGraphLabel& l : d.Labels)
    std::printf("  atom %d \"%s\" at (%d, %d)\n", l.Atom, l.Text.c_str(), l.Centre.x, l.Centre.y);

  // Which atom lies under pixel (250, 70) of the picture? Back to structure
  // units with the drawing's transformation, then the nearest atom.
  const double x = (250 - d.OffsetX) / d.Scale, y = (70 - d.OffsetY) / d.Scale;
  int32_t atom = 0;
  double dist = 0;
  mol->FindClosestAtom(x, y, atom, dist);
  std::printf("pixel (250, 70) is nearest to atom %d (%s), %.2f units away\n", atom,
              graph.AtomLabelText(atom).c_str(), dist);
  return 0;
}
