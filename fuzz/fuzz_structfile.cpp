// Structure files: MDL connection tables, Molfiles, SD records and the
// clear-text CONTAB and CTABG sections.
#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

#include "fuzz/fuzz_util_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

const char* const kMethanol =
    "methanol\n  fuzz\n\n  2  1  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    1.4000    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "  1  2  1  0  0  0  0\nM  END\n";

// The table as clear text; "" when the writer refuses it.
std::string Canon(const TCTab& t) {
  std::ostringstream s;
  return t.WriteToClearTextStream(s) ? s.str() : std::string();
}

// Atoms, charges, masses and bonds, each atom's bonds sorted: what the
// Molfile writer promises to keep (slot order and coordinates may change).
std::string Topology(const TCTab& t) {
  std::string out;
  for (int32_t i = 1; i <= t.GetNAtoms(); ++i) {
    std::vector<std::pair<int32_t, int32_t>> bonds;
    for (int32_t slot = 1; slot <= kMaxCTConn; ++slot)
      if (t.GetConnTo(i, slot) != 0)
        bonds.emplace_back(t.GetConnTo(i, slot), t.GetTypConn(i, slot));
    std::sort(bonds.begin(), bonds.end());
    out += std::to_string(t.GetAtNum(i)) + "/" + std::to_string(t.GetCharge(i)) + "/" +
           std::to_string(t.GetAtWeight(i)) + ":";
    for (const auto& [n, ty] : bonds) out += " " + std::to_string(n) + "-" + std::to_string(ty);
    out += "\n";
  }
  return out;
}

bool SameAtoms(const TCTab& a, const TCTab& b) {
  if (a.GetNAtoms() != b.GetNAtoms()) return false;
  for (int32_t i = 1; i <= a.GetNAtoms(); ++i)
    if (a.GetAtNum(i) != b.GetAtNum(i) || a.GetCharge(i) != b.GetCharge(i)) return false;
  return true;
}

// A table that was read must survive the Molfile writer and reader with its
// atoms and charges, and a second round must give the same table.
void MolRoundTrip(const TCTab& t) {
  std::ostringstream out;
  if (!t.WriteToMDLMolStream(out, "fz", "fuzz", 1, ""))
    return;  // masses, charges or bond types it cannot write
  std::istringstream in(out.str());
  TCTab u(nullptr);
  Require(u.ReadFromMDLMolStream(in), "Molfile reader rejects what the writer wrote");
  Require(SameAtoms(t, u), "Molfile round trip changed atoms or charges");
  std::ostringstream out2;
  Require(u.WriteToMDLMolStream(out2, "fz", "fuzz", 1, ""),
          "Molfile writer refuses a table it read");
  std::istringstream in2(out2.str());
  TCTab v(nullptr);
  Require(v.ReadFromMDLMolStream(in2), "Molfile reader rejects what the writer wrote");
  Require(Topology(u) == Topology(v), "a second Molfile round trip changed the table");
}

void ClearTextRoundTrip(const TCTab& t) {
  const std::string t1 = Canon(t);
  if (t1.empty()) return;
  CheckFixpoint(
      t1,
      [](const std::string& text, std::string& out) {
        std::istringstream in(text);
        TCTab u(nullptr);
        if (!u.ReadFromClearTextStream(in)) return false;
        out = Canon(u);
        return true;
      },
      true, "clear-text structure");
}

template <class ReadFn>
void Check(const std::string& text, ReadFn Read, const char* what) {
  TCTab t(nullptr);
  std::istringstream pre(kMethanol);
  Require(t.ReadFromMDLMolStream(pre), "the prefilled Molfile does not read");
  const std::string before = Canon(t);
  std::istringstream in(text);
  if (!Read(t, in)) {
    // A soft fault fills the table by design; every other fault leaves it.
    const int32_t st = t.GetFileStatus();
    if (st != kSFBadBond && st != kSFBadCharge && st != kSFBadValue) {
      Require(Canon(t) == before, std::string(what) + ": a rejected input changed the table");
      return;
    }
  }
  MolRoundTrip(t);
  ClearTextRoundTrip(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text = AsText(Data, Size);
  Check(
      text, [](TCTab& t, std::istream& s) { return t.ReadFromMDLMolStream(s); }, "Molfile");
  Check(
      text, [](TCTab& t, std::istream& s) { return t.ReadFromMDLCTabStream(s); },
      "connection table");
  Check(
      text, [](TCTab& t, std::istream& s) { return t.ReadFromClearTextStream(s); }, "CONTAB");
  Check(
      text, [](TCTab& t, std::istream& s) { return t.ReadFromClearTextStreamCTABG(s); }, "CTABG");
  std::istringstream in(text);
  TCTab t(nullptr);
  TPropArray props;
  for (int record = 0; record < 64; ++record) {
    if (t.ReadFromMDLSDStream(in, props)) {
      MolRoundTrip(t);
    } else if (t.GetFileStatus() == kSFEndOfFile) {
      break;
    }
  }
  return 0;
}
