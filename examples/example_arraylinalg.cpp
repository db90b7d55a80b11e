// Arrays as matrices and as rasters: invert a small matrix and check it,
// flood-fill a region of a mask, colour the result and save it as a PNG
// image. 2-D arrays are stored as columns, a[column][row]; every routine
// reports through a status code (0 = success).
#include <cstdio>
#include <filesystem>
#include <string>

#include "num/arrays/zel_openarrays.hpp"

int main() {
  using namespace zel;

  // The matrix with rows (4 7 2), (3 6 1), (2 5 3), stored column by column.
  const TDouble2DArray a = {{4, 3, 2}, {7, 6, 5}, {2, 1, 3}};
  TDouble2DArray inv = a;
  int32_t status = InvertArray(inv);
  std::printf("InvertArray: status %d, determinant %g\n", status, Determinant(a));
  for (size_t r = 0; r < 3; ++r)
    std::printf("  [%9.5f %9.5f %9.5f]\n", inv[0][r], inv[1][r], inv[2][r]);
  TDouble2DArray check;
  MultiplyArrays(a, inv, check);
  std::printf("A * inverse, diagonal: %.15g %.15g %.15g\n", check[0][0], check[1][1], check[2][2]);

  // A 24 x 16 raster with a ring drawn into it; fill the inside of the ring.
  TBool2DArray ring(24, TBoolArray(16, 0));
  CreateMaskShape(ring, TShapeKind::skRing, {12, 8, 5, 6});
  TInt2DArray raster(24, TIntArray(16, 0));
  for (size_t c = 0; c < 24; ++c)
    for (size_t r = 0; r < 16; ++r) raster[c][r] = ring[c][r] ? 1 : 0;
  int32_t highRow = 0, lowRow = 0, lowCol = 0, highCol = 0;
  const int32_t filled = FloodFillArray(12, 8, 2, true, raster, highRow, lowRow, lowCol, highCol);
  std::printf("FloodFillArray: %d cells inside the ring, columns %d..%d, rows %d..%d\n", filled,
              lowCol, highCol, lowRow, highRow);

  // Classes 0 (background), 1 (ring), 2 (filled) to colours; the table is
  // addressed from 1, so shift the classes first.
  for (auto& column : raster)
    for (int32_t& v : column) v += 1;
  TColorArray colors(3);
  colors.SetColorElem(1, 0xFFFFFF);  // white
  colors.SetColorElem(2, 0x000000);  // black
  colors.SetColorElem(3, 0x3060E0);  // red in the low byte: an orange red
  ConvertToColorMap(raster, &colors);
  const std::string file =
      (std::filesystem::temp_directory_path() / "zel_example_arraylinalg.png").string();
  status = SaveArrayAsImg(file, raster, 8);
  std::printf("SaveArrayAsImg: status %d, %s (192 x 128 pixels)\n", status, file.c_str());
  return 0;
}
