// Matrices on disk: store a matrix in the binary record file and as XML,
// read both back, then write a stack of images over time as a 4-D file and
// read a single layer of it without loading the rest.
//
//   example_matfiles [directory]     (default: the system's temporary directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/zel_system.hpp"
#include "num/matrix/zel_mat3d4d.hpp"
#include "num/matrix/zel_matrix.hpp"

using namespace zel;

int main(int argc, char** argv) {
  const std::filesystem::path dir =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  const std::string binName = (dir / "example_matrix.bin").string();
  const std::string xmlName = (dir / "example_matrix.xml").string();
  const std::string stackName = (dir / "example_stack.bin").string();

  // A 3 x 2 matrix (columns x rows, counted from 1).
  TMatrix m(nullptr);
  m.Resize(3, 2);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 2; ++r) m.SetVal(c, r, c + r / 10.0);
  m.SetDataID("calibration 2026");
  if (!m.SaveBinary(binName) || !m.SaveAsXMLFile(xmlName, "calibration")) {
    std::fprintf(stderr, "cannot write into %s\n", dir.string().c_str());
    return 1;
  }

  // The header tells what a file holds before anything is loaded.
  int32_t cols = 0, rows = 0, format = 0;
  std::string id;
  if (TMatrix::ReadBinaryHeader(binName, cols, rows, id, format))
    std::printf("%s: %d x %d, format %d, id \"%s\"\n", binName.c_str(), cols, rows, format,
                id.c_str());

  TMatrix fromBin(nullptr), fromXml(nullptr);
  if (!fromBin.LoadBinary(binName) || !fromXml.LoadFromXMLFile(xmlName, "calibration")) {
    std::fprintf(stderr, "cannot read the files back\n");
    return 1;
  }
  std::printf("element (3, 2): binary %g, XML %g\n", fromBin.GetVal(3, 2), fromXml.GetVal(3, 2));

  // A 64 x 48 image, 5 bands (layers), 10 time slots: 1.2 MB on disk.
  TMat4D stack(nullptr);
  stack.Resize(64, 48, 5, 10);
  stack.FillSerial(0, 1);
  if (!stack.SaveBinary(stackName, 0, 0)) {
    std::fprintf(stderr, "cannot write %s\n", stackName.c_str());
    return 1;
  }
  // One band of one time slot, straight from the file into an array
  // ([column][row], from 0).
  TDouble2DArray band;
  const int32_t status = Read4DLayer(stackName, 3, 7, band);
  if (status != kRead4DOk) {
    std::fprintf(stderr, "Read4DLayer: %s\n", Read4DLayerStatusText(status));
    return 1;
  }
  std::printf("band 3 of slot 7: %zu x %zu values, first %g, last %g\n", band.size(),
              band[0].size(), band[0][0], band.back().back());
  // A request beyond the file is answered with a code, not an exception.
  std::printf("band 9: %s\n", Read4DLayerStatusText(Read4DLayer(stackName, 9, 1, band)));

  std::filesystem::remove(binName);
  std::filesystem::remove(xmlName);
  std::filesystem::remove(stackName);
  return 0;
}
