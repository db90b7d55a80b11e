// Structure files: read an SD file record by record, print each record's
// name, atom count, charges and data fields, skip the records the table
// cannot hold, and write one record back as a Molfile.
//   example_molfiles [file.sdf] [out.mol]
//   (defaults: mol/cstruct/testdata/nci_sample.sdf, molfiles_example.mol in the
//   temporary directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/zel_streams.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::string path = argc > 1 ? argv[1] : "mol/cstruct/testdata/nci_sample.sdf";
  const std::string out =
      argc > 2 ? argv[2]
               : (std::filesystem::temp_directory_path() / "molfiles_example.mol").string();

  TTextFile f;
  if (!f.Reset(path)) {
    std::printf("cannot open %s\n", path.c_str());
    return 1;
  }
  TCTab mol(nullptr), kept(nullptr);
  TPropArray props;
  int32_t read = 0, skipped = 0;
  for (;;) {
    const bool ok = mol.ReadFromMDLSDFile(f, props);
    const int32_t status = mol.GetFileStatus();
    if (status == kSFEndOfFile) break;
    // Soft faults (a bad bond or charge code) still give the structure.
    const bool soft = status == kSFBadBond || status == kSFBadCharge || status == kSFBadValue;
    if (!ok && !soft) {
      // A rejected record has been skipped up to its "$$$$"; a broken file ends the loop.
      std::printf("  record skipped: %s\n", StructFileStatusText(status));
      ++skipped;
      if (status == kSFTruncated || status == kSFLineTooLong || status == kSFRecordTooLong) break;
      continue;
    }
    ++read;
    int32_t charge = 0, charged = 0;
    for (int32_t i = 1; i <= mol.GetNAtoms(); ++i) {
      charge += mol.GetCharge(i);
      charged += mol.GetCharge(i) != 0;
    }
    if (read <= 10 || charged > 0) {
      const std::string name = mol.GetStrucName().empty() ? "(no name)" : mol.GetStrucName();
      std::printf("%3d %-12s %2d atoms, %d charged (net %+d), CAS %s", read, name.c_str(),
                  mol.GetNAtoms(), charged, charge, mol.GetCASNr().c_str());
      for (const TPropRec& p : props)
        if (!p.ID.empty()) std::printf(", %s = %g", p.ID.c_str(), p.Par);
      std::printf("\n");
    }
    if (read == 3) kept.CopyFrom(&mol);
  }
  std::printf("%d records read, %d skipped\n", read, skipped);

  TTextFile w;
  if (kept.GetNAtoms() > 0 && w.Rewrite(out)) {
    const bool ok = kept.WriteToMDLMolFile(w, "ZL", "example", 3, "written by example_molfiles");
    // The file is buffered: only Close tells whether everything reached the disk.
    if (w.Close() && ok)
      std::printf("record 3 (%s) written to %s\n", kept.GetStrucName().c_str(), out.c_str());
    else
      std::printf("writing %s failed: %s\n", out.c_str(),
                  StructFileStatusText(kept.GetFileStatus()));
  }
  return 0;
}
