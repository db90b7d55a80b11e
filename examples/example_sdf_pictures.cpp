// Structure pictures: read an SD file record by record and draw each
// structure into its own PNG, named after the record's position and name.
//   example_sdf_pictures [file.sdf] [output folder] [most records]
//   (defaults: mol/cstruct/testdata/nci_sample.sdf, zel_sdf_pictures in the
//   temporary directory, 8 records)
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "core/zel_streams.hpp"
#include "gui/zel_graphics.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  namespace fs = std::filesystem;
  const std::string path = argc > 1 ? argv[1] : "mol/cstruct/testdata/nci_sample.sdf";
  const fs::path dir =
      argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "zel_sdf_pictures";
  const long most = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 8;

  TTextFile f;
  if (!f.Reset(path)) {
    std::printf("cannot open %s\n", path.c_str());
    return 1;
  }
  std::error_code ec;
  fs::create_directories(dir, ec);

  TChemGraph graph(nullptr);
  TPropArray props;
  TBitmap picture(400, 300);
  long record = 0, drawn = 0;
  while (drawn < most) {
    const bool ok = graph.GetStructure()->ReadFromMDLSDFile(f, props);
    const int32_t status = graph.GetStructure()->GetFileStatus();
    if (status == kSFEndOfFile) break;
    ++record;
    if (!ok) {
      // The reader has skipped the rejected record up to its "$$$$".
      std::printf("record %ld not drawn: %s\n", record, StructFileStatusText(status));
      if (status == kSFTruncated || status == kSFLineTooLong || status == kSFRecordTooLong) break;
      continue;
    }
    TCanvas& c = picture.GetCanvas();
    c.GetBrush().SetColor(clWhite);
    c.FillRect({0, 0, 400, 300});
    graph.ShowMoleculeInABox(c, TCGDispMode::dmHeteroOnly, 10, 290, 390, 10, 30);

    std::string name = graph.GetStructure()->GetStrucName();
    for (char& ch : name)
      if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    const fs::path file =
        dir / (std::to_string(record) + (name.empty() ? "" : "_" + name) + ".png");
    try {
      picture.SaveToFile(file.string());
    } catch (const std::exception& e) {
      std::printf("could not write %s: %s\n", file.string().c_str(), e.what());
      return 1;
    }
    ++drawn;
    std::printf("record %ld: %d atoms -> %s\n", record, graph.GetStructure()->GetNAtoms(),
                file.string().c_str());
  }
  std::printf("%ld structures drawn\n", drawn);
  return 0;
}
