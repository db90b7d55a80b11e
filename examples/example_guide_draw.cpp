// Drawing a component into a PNG: the formula display shows caffeine with
// subscripts; its picture is saved, read back and checked for ink.
//
//   example_guide_draw [picture.png]     (default: guide_caffeine.png in the temp directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_graphics.hpp"
#include "mol/cdata/zel_cform.hpp"

using namespace zel;

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "guide_caffeine.png").string();

  // Components draw off screen, each into a bitmap of its own size.
  TMolForm form(nullptr);
  form.SetWidth(240);
  TFont font = form.GetFont();  // read, change, write back
  font.SetName("Arial");
  font.SetSize(20);
  form.SetFont(font);
  form.SetColorBkg(clWhite);
  form.SetColorTxt(clNavy);
  form.SetStrictSymbols(true);
  if (!form.TryParse("C8H10N4O2")) return 1;
  form.Repaint();  // paint now (Invalidate would wait until the picture is needed)

  // The file type follows the extension: .png, .bmp or .jpg.
  form.GetSurface().SaveToFile(path);

  TBitmap picture;
  picture.LoadFromFile(path);  // throws when the file cannot be read
  int32_t ink = 0;
  for (int32_t y = 0; y < picture.GetHeight(); ++y)
    for (int32_t x = 0; x < picture.GetWidth(); ++x) ink += picture.GetPixel(x, y) == clNavy;
  std::printf("%s, M %.2f g/mol: %d x %d pixels, %d of them text, saved as %s\n",
              form.GetFormulaText().c_str(), form.ChemMolWgt(), picture.GetWidth(),
              picture.GetHeight(), ink, path.c_str());
  return ink > 0 && picture.SameImage(form.GetSurface()) ? 0 : 1;
}
