// The pixel layer in one picture: lines in every pen style and mode,
// shapes, rotated text, stretched copies and frames, saved as PNG.
//
//   example_graphics [output.png]     (default: example_graphics.png in the temp directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_graphics.hpp"
#include "gui/zel_imagefiles.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::string path =
      argc > 1 ? argv[1]
               : (std::filesystem::temp_directory_path() / "example_graphics.png").string();

  TBitmap bmp(720, 520);
  TCanvas& c = bmp.GetCanvas();
  c.GetBrush().SetColor(clBtnFace);
  c.FillRect(TRect{0, 0, 720, 520});
  c.GetFont().SetName("Arial");
  c.GetFont().SetSize(10);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);

  // Pen styles, one line each; the dash pattern continues over the corner.
  const char* styleNames[] = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear"};
  c.TextOut(20, 12, "Pen styles");
  for (int i = 0; i < 6; ++i) {
    const int y = 40 + 22 * i;
    c.GetPen().SetStyle(static_cast<TPenStyle>(i));
    c.MoveTo(20, y);
    c.LineTo(150, y);
    c.LineTo(150, y + 12);
    c.GetPen().SetStyle(TPenStyle::psSolid);
    c.TextOut(160, y - 7, styleNames[i]);
  }

  // Pen modes: a red line in each mode across stripes of colour.
  const char* modeNames[] = {"pmBlack",       "pmWhite",      "pmNop",         "pmNot",
                             "pmCopy",        "pmNotCopy",    "pmMergePenNot", "pmMaskPenNot",
                             "pmMergeNotPen", "pmMaskNotPen", "pmMerge",       "pmNotMerge",
                             "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
  c.TextOut(280, 12, "Pen modes (red pen, 3 pixels wide, over stripes)");
  const TColor stripes[] = {clNavy, clYellow, clTeal, clWhite, clPurple, clLime};
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  for (int k = 0; k < 6; ++k) {
    c.GetBrush().SetColor(stripes[k]);
    c.FillRect(TRect{280 + 30 * k, 36, 310 + 30 * k, 36 + 16 * 22});
  }
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.GetPen().SetWidth(3);
  c.GetPen().SetColor(clRed);
  for (int m = 0; m < 16; ++m) {
    const int y = 46 + 22 * m;
    c.GetPen().SetMode(static_cast<TPenMode>(m));
    c.Line(285, y, 455, y);
    c.GetPen().SetMode(TPenMode::pmCopy);
    c.TextOut(470, y - 8, modeNames[m]);
  }
  c.GetPen().SetWidth(1);
  c.GetPen().SetColor(clBlack);

  // Shapes: outline with the pen, interior with the brush.
  c.TextOut(20, 190, "Shapes");
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
  c.GetBrush().SetColor(clAqua);
  c.Rectangle(20, 215, 90, 265);
  c.GetBrush().SetColor(clYellow);
  c.Ellipse(100, 215, 190, 265);
  c.GetBrush().SetColor(clFuchsia);
  c.GetPen().SetStyle(TPenStyle::psDash);
  c.Polygon({{200, 265}, {225, 212}, {250, 265}, {196, 230}, {254, 230}});
  c.GetPen().SetStyle(TPenStyle::psSolid);
  c.GetPen().SetWidth(5);
  c.GetBrush().SetColor(clLime);
  c.Rectangle(30, 285, 110, 335);
  c.GetPen().SetWidth(1);
  // An XOR rubber-band rectangle, drawn twice at one place (gone again)
  // and once at another.
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clWhite);
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  for (int i = 0; i < 2; ++i) c.Rectangle(130, 285, 250, 335);
  c.Rectangle(60, 300, 200, 350);
  c.GetPen().SetMode(TPenMode::pmCopy);
  c.GetPen().SetColor(clBlack);

  // Rotated text: escapement in tenths of a degree, counter-clockwise.
  c.GetFont().SetName("Liberation Serif");
  c.GetFont().SetSize(12);
  c.GetFont().SetColor(clNavy);
  for (int angle = 0; angle < 3600; angle += 450) {
    c.GetFont().SetOrientation(angle);
    c.TextOut(150, 440, "  rotated " + std::to_string(angle / 10));
  }
  c.GetFont().SetOrientation(0);
  c.GetFont().SetColor(clBlack);
  c.GetFont().SetName("Arial");
  c.GetFont().SetSize(10);

  // A checkerboard stretched 8 times, nearest pixel and area average.
  TBitmap checker(9, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) checker.SetPixel(x, y, (x + y) % 2 != 0 ? clMaroon : clWhite);
  c.TextOut(280, 400, "Stretched 9x6 -> 100x60 and 20x12");
  c.SetStretchMode(TStretchMode::smColorOnColor);
  c.StretchDraw(TRect{280, 425, 380, 485}, checker);
  c.SetStretchMode(TStretchMode::smHalftone);
  c.StretchDraw(TRect{390, 425, 490, 485}, checker);
  c.StretchDraw(TRect{500, 445, 520, 457}, checker);

  // Frames of the foundation.
  DrawFrame(c, TFrameStyle::fsLowered, TRect{560, 400, 700, 490}, clBlack, clGray, clSilver,
            clWhite);
  DrawFrame(c, TFrameStyle::fsRaised, TRect{0, 0, 719, 519}, clBlack, clGray, clSilver, clWhite);

  bmp.SaveToFile(path);
  const TImageInfo info = ReadImageInfo(ReadFileBytes(path));
  std::printf("wrote %s: %d x %d pixels, PNG\n", path.c_str(), info.Width, info.Height);
  return 0;
}
