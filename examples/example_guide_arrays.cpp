// Array files: a grid of measurements stored as a text array file, read back
// unchanged, written again in the binary format, and what the status codes
// say when a read goes wrong.
//
//   example_guide_arrays [directory]     (default: the temp directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/zel_streams.hpp"
#include "num/arrays/zel_openarrays.hpp"

using namespace zel;

int main(int argc, char** argv) {
  const std::filesystem::path dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
  const std::string textFile = (dir / "guide_grid.txt").string();
  const std::string binaryFile = (dir / "guide_grid.bin").string();

  // Depths on a 4 x 3 grid: a[column][row], every index counted from 0.
  TDouble2DArray depth(4, TDoubleArray(3));
  for (size_t c = 0; c < depth.size(); ++c)
    for (size_t r = 0; r < depth[c].size(); ++r) depth[c][r] = 10.0 * c + 0.25 * r;
  depth[3][2] = 1.0 / 3;  // written with every digit it needs to read back equal

  // Readers and writers report through a status code; 0 is success.
  int32_t status = StoreArray(textFile, depth, "depth in m");
  if (status != 0) {
    std::fprintf(stderr, "writing %s: status %d\n", textFile.c_str(), status);
    return 1;
  }
  TTextFile file;  // show the text format
  std::string line;
  if (file.Reset(textFile))
    while (file.ReadLn(line)) std::printf("  | %s\n", line.c_str());
  file.Close();

  TDouble2DArray back;
  std::string comment;
  status = LoadArray(textFile, back, comment);
  std::printf("read back: status %d, comment \"%s\", %s\n", status, comment.c_str(),
              back == depth ? "equal" : "DIFFERENT");

  double mean = 0;  // inclusive range: column 1..3, row 0..2
  MeanArray(back, 1, 0, 3, 2, mean);
  std::printf("mean of columns 1..3: %.6f\n", mean);

  status = SaveBinaryArray(binaryFile, depth, "depth in m");
  int32_t dim1 = 0, dim2 = 0, dim3 = 0, dim4 = 0, type = 0;
  if (status == 0)
    status = ReadBinaryArrayHeader(binaryFile, dim1, dim2, dim3, dim4, comment, type);
  std::printf("binary file: status %d, %d x %d %s values, %ju bytes\n", status, dim1, dim2,
              type == 1 ? "double" : "int32",
              static_cast<uintmax_t>(std::filesystem::file_size(binaryFile)));

  // A failed read leaves the destination as it was.
  TDoubleArray wrongRank{42};
  const int32_t wrong = LoadArray(binaryFile, wrongRank, comment);
  const int32_t missing = LoadArray((dir / "no_such_file.txt").string(), back, comment);
  std::printf("into a 1-D array: status %d (another rank), array still {%g}\n", wrong,
              wrongRank[0]);
  std::printf("a missing file: status %d\n", missing);

  return back == depth && status == 0 && wrong == -8 && missing == -3 ? 0 : 1;
}
