// Structure files: real SD files against RDKit's reading of them, the faults
// of the MDL and clear-text readers, hostile input and writer round trips.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/zel_streams.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/cstruct_test_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {
namespace {

using cstruct_test::Mol;

std::string Fixture(const std::string& name) {
  return std::string(ZEL_TESTDATA_DIR) + "/mol/cstruct/testdata/" + name;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  size_t p = 0;
  for (size_t q; (q = s.find(sep, p)) != std::string::npos; p = q + sep.size())
    out.push_back(s.substr(p, q - p));
  out.push_back(s.substr(p));
  return out;
}

// Checks t against one line of sdf_reference.txt (atoms "Z:charge:iso",
// bonds "a-b-type").
void ExpectLikeRdkit(const TCTab& t, const std::string& atoms, const std::string& bonds,
                     const std::string& where) {
  std::istringstream as(atoms);
  std::string a;
  int32_t i = 0;
  while (as >> a) {
    ++i;
    int z = 0, q = 0, iso = 0;
    ASSERT_EQ(std::sscanf(a.c_str(), "%d:%d:%d", &z, &q, &iso), 3);
    EXPECT_EQ(t.GetAtNum(i), z) << where << " atom " << i;
    EXPECT_EQ(t.GetCharge(i), q) << where << " atom " << i;
    // RDKit keeps an R-group number as the isotope of a dummy atom.
    if (z != 0) {
      EXPECT_EQ(t.GetAtWeight(i), iso != 0 ? iso : IntAtWeight(z)) << where << " atom " << i;
    }
  }
  EXPECT_EQ(t.GetNAtoms(), i) << where;
  std::istringstream bs(bonds);
  int32_t nb = 0, slots = 0;
  for (std::string b; bs >> b; ++nb) {
    int x = 0, y = 0, ty = 0;
    ASSERT_EQ(std::sscanf(b.c_str(), "%d-%d-%d", &x, &y, &ty), 3);
    EXPECT_EQ(t.CheckConnect(x, y), ty) << where << " bond " << b;
    EXPECT_EQ(t.CheckConnect(y, x), ty) << where << " bond " << b;
  }
  for (int32_t k = 1; k <= t.GetNAtoms(); ++k) slots += t.GetNBonds(k);
  EXPECT_EQ(slots, 2 * nb) << where;
}

TEST(StructFiles, RealFilesReadAsRDKitReadsThem) {
  std::map<std::string, std::vector<std::vector<std::string>>> ref;
  std::istringstream lines(Slurp(Fixture("sdf_reference.txt")));
  for (std::string l; std::getline(lines, l);) {
    const auto f = Split(l, " | ");
    ASSERT_EQ(f.size(), 5u) << l;
    ref[f[0]].push_back(f);
  }
  int32_t charged = 0, hydrogens = 0, skipped = 0, read = 0;
  for (const auto& [file, recs] : ref) {
    TCTab t(nullptr), viaStream(nullptr), viaTStream(nullptr);
    TTextFile f;
    ASSERT_TRUE(f.Reset(Fixture(file)));
    std::ifstream in(Fixture(file), std::ios::binary);
    TFileStream ts(Fixture(file), TFileMode::fmOpenRead);
    const bool mol = file.ends_with(".mol");
    for (const auto& r : recs) {
      TPropArray p;
      const std::string where = file + " #" + r[1];
      const bool big = Split(r[3], " ").size() > 63;
      const bool ok = mol ? t.ReadFromMDLMolFile(f) : t.ReadFromMDLSDFile(f, p);
      const bool ok2 =
          mol ? viaStream.ReadFromMDLMolStream(in) : viaStream.ReadFromMDLSDStream(in, p);
      const bool ok3 =
          mol ? viaTStream.ReadFromMDLMolStream(ts) : viaTStream.ReadFromMDLSDStream(ts, p);
      EXPECT_EQ(ok2, ok) << where;
      EXPECT_EQ(ok3, ok) << where;
      if (big) {
        // Over the atom limit: skipped up to "$$$$", the table left as it was.
        EXPECT_FALSE(ok) << where;
        EXPECT_EQ(t.GetFileStatus(), kSFBadCounts) << where;
        ++skipped;
        continue;
      }
      ASSERT_TRUE(ok) << where << ": " << StructFileStatusText(t.GetFileStatus());
      ++read;
      EXPECT_EQ(t.GetStrucName(), r[2]) << where;
      ExpectLikeRdkit(t, r[3], r[4], where);
      EXPECT_EQ(t.CompareWith(&viaStream), 0) << where;
      EXPECT_EQ(t.CompareWith(&viaTStream), 0) << where;
      for (int32_t i = 1; i <= t.GetNAtoms(); ++i) {
        charged += t.GetCharge(i) != 0;
        hydrogens += t.GetAtNum(i) == 1;
      }
    }
    TPropArray p;
    if (!mol) {
      EXPECT_FALSE(t.ReadFromMDLSDFile(f, p));
      EXPECT_EQ(t.GetFileStatus(), kSFEndOfFile) << file;
    }
  }
  EXPECT_EQ(read + skipped, 223);
  EXPECT_EQ(skipped, 13);  // egfr's records with explicit H beyond 63 atoms
  EXPECT_GT(charged, 40);  // nci: charges only in "M  CHG"; bzr: in the atom block
  EXPECT_GT(hydrogens, 500);
}

const char* const kEthanolRecord =
    "ethanol\n  test\n\n"
    "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "   10.0000    2.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    5.0000    1.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "  1  2  1  0\n  2  3  1  0\nM  END\n";

TEST(StructFiles, SDHeaderFormsCASAndUnparseableValues) {
  const std::string rec =
      std::string(kEthanolRecord) +
      ">  <MELTP>  (1) \n-93.5\n\n> <boilp>\n78.3\n\n> 25 <DENSI>\n0.789\n\n"
      "> <REFRX>\nca. 1.36\n\n> <OTHER>\n5\n\n>  <CAS_RN>  (1)\n64-17-5\n\n$$$$\n" +
      kEthanolRecord + "> <CASREGNR>\n64-17-6\n\n$$$$\n";
  std::istringstream in(rec);
  TCTab t(nullptr);
  TPropArray p;
  ASSERT_TRUE(t.ReadFromMDLSDStream(in, p));
  EXPECT_EQ(t.GetCASNr(), "64-17-5");
  EXPECT_EQ(p[0].ID, "MELTP");
  EXPECT_EQ(p[0].Par, -93.5);
  EXPECT_EQ(p[1].ID, "BOILP");
  EXPECT_EQ(p[1].Par, 78.3);
  EXPECT_EQ(p[2].ID, "DENSI");
  EXPECT_EQ(p[3].ID, "");  // "ca. 1.36" is not a number; OTHER is no listed id
  // A wrong check digit keeps the number unchanged (here: none); the
  // properties of the previous record are cleared.
  ASSERT_TRUE(t.ReadFromMDLSDStream(in, p));
  EXPECT_EQ(t.GetBinCASNr(), 0);
  EXPECT_EQ(p[0].ID, "");
}

TEST(StructFiles, MDLReaderFaultsAndQuirks) {
  const auto read = [](TCTab& t, const std::string& text) {
    std::istringstream in(text);
    return t.ReadFromMDLMolStream(in);
  };
  TCTab t(nullptr);
  ASSERT_TRUE(read(t, kEthanolRecord));
  // f = max(800 / 10, 600 / 2) = 300: x from 0 to 3000, y from 0 to 600.
  EXPECT_EQ(t.GetCoords(2, 1), 3000);
  EXPECT_EQ(t.GetCoords(2, 2), 600);
  EXPECT_EQ(t.GetCoords(3, 1), 1500);
  EXPECT_EQ(t.GetCoordUnits(), CoordUnitType::cuPixel);
  const std::string base(kEthanolRecord);
  const auto with = [&base](const std::string& from, const std::string& to) {
    std::string s = base;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  // Rejected: the table (and its name) stay as they were.
  for (const std::string& bad : std::vector<std::string>{
           with("  3  2", "  0  2"), with("  3  2", " 64  2"), with("M  END\n", ""),
           with("  2  3  1  0\n", ""), with("5.0000    1.0000", "5.0000    x.0000")}) {
    EXPECT_FALSE(read(t, bad));
    EXPECT_EQ(t.GetNAtoms(), 3);
    EXPECT_EQ(t.GetStrucName(), "ethanol");
  }
  // Soft faults: the structure is read, the result false.
  EXPECT_FALSE(read(t, with("  2  3  1", "  2  3  8")));
  EXPECT_EQ(t.GetFileStatus(), kSFBadBond);
  EXPECT_EQ(t.CheckConnect(3, 2), 1);
  for (const char* b : {"  2  9  1", "  2  2  1", " -1  3  1", "  2  3  0"}) {
    EXPECT_FALSE(read(t, with("  2  3  1", b))) << b;
    EXPECT_EQ(t.GetFileStatus(), kSFBadBond);
    EXPECT_EQ(t.MakeSymmetricConnections(), 0) << b;  // nothing one-sided or out of range
  }
  EXPECT_EQ(t.CheckConnect(2, 3), 1);  // type 0 entered as single
  EXPECT_FALSE(read(t, with("O   0  0", "O   0  9")));
  EXPECT_EQ(t.GetFileStatus(), kSFBadCharge);
  EXPECT_EQ(t.GetCharge(3), 0);
  // Atom-block codes; M  CHG and M  ISO supersede the block for all atoms.
  ASSERT_TRUE(read(t, with("O   0  0", "O   0  5")));
  EXPECT_EQ(t.GetCharge(3), -1);
  ASSERT_TRUE(read(t, with("O   0  0", "O   0  3")));
  EXPECT_EQ(t.GetCharge(3), 1);
  ASSERT_TRUE(read(t, with("O   0  0", "O   0  3")
                          .insert(base.find("M  END"), "M  CHG  1   1   1\nM  ISO  1   2  13\n")));
  EXPECT_EQ(t.GetCharge(3), 0);
  EXPECT_EQ(t.GetCharge(1), 1);
  EXPECT_EQ(t.GetAtWeight(2), 13);
  // Mass difference on the most abundant isotope (Br +1 is 80); D and T.
  ASSERT_TRUE(read(t, with("O   0", "Br  1").replace(base.find(" C   0"), 6, " D   0")));
  EXPECT_EQ(t.GetAtNum(3), 35);
  EXPECT_EQ(t.GetAtWeight(3), 80);
  EXPECT_EQ(t.GetAtNum(1), 1);
  EXPECT_EQ(t.GetAtWeight(1), 2);
  ASSERT_TRUE(read(t, with("O   0", "R#  0")));
  EXPECT_EQ(t.GetAtNum(3), 0);
}

// Every prefix of a good input, bit flips and huge counts: each read ends,
// and a rejected one leaves the table as it was.
TEST(StructFiles, HostileInputNeverCrashesOrHalfFills) {
  const std::string rec = Slurp(Fixture("nci_sample.sdf")).substr(0, 20000);
  const std::string one = rec.substr(0, rec.find("$$$$\n") + 5);
  TCTab t(nullptr);
  TCTab before(nullptr);
  {
    std::istringstream in(one);
    TPropArray p;
    ASSERT_TRUE(before.ReadFromMDLSDStream(in, p));
  }
  const auto sound = [](const TCTab& x) {
    TCTab c(nullptr);
    c.CopyFrom(&x);
    return c.MakeSymmetricConnections() == 0;
  };
  std::ostringstream ct;
  ASSERT_TRUE(before.WriteToClearTextStream(ct));
  const std::string contab = ct.str();
  const size_t molEnd = one.find("M  END");
  for (int kind = 0; kind < 3; ++kind) {
    const std::string& text = kind == 2 ? contab : one;
    const size_t end = kind == 1 ? molEnd : text.size() - 1;
    for (size_t cut = 0; cut < end; cut = text.find('\n', cut + 1)) {
      t.CopyFrom(&before);
      t.SetStrucName("kept");
      std::istringstream in(text.substr(0, cut + 1));
      TPropArray p;
      const bool ok = kind == 0   ? t.ReadFromMDLSDStream(in, p)
                      : kind == 1 ? t.ReadFromMDLMolStream(in)
                                  : t.ReadFromClearTextStream(in);
      EXPECT_FALSE(ok) << "cut at " << cut << " kind " << kind;
      EXPECT_EQ(t.CompareWith(&before), kCmpName) << "cut at " << cut << " kind " << kind;
    }
  }
  std::mt19937 gen(12345);
  for (int round = 0; round < 300; ++round) {
    std::string s = rec;
    for (int k = 0; k < 8; ++k) s[gen() % s.size()] ^= static_cast<char>(1 << (gen() % 8));
    const size_t v = s.find("V2000");
    if (round % 3 == 0 && v != std::string::npos)
      s.replace(s.rfind('\n', v) + 1, 3, std::to_string(100 + gen() % 900));
    std::istringstream in(s);
    TPropArray p;
    for (int guard = 0; guard < 100; ++guard) {
      const bool ok = t.ReadFromMDLSDStream(in, p);
      if (ok) {
        EXPECT_TRUE(sound(t));
      }
      if (t.GetFileStatus() == kSFEndOfFile) break;
      ASSERT_LT(guard, 99);
    }
  }
}

TEST(StructFiles, EndlessAndUnreadableSources) {
  TCTab t(nullptr);
  TPropArray p;
  TTextFile z;
  ASSERT_TRUE(z.Reset("/dev/zero"));
  EXPECT_FALSE(t.ReadFromMDLSDFile(z, p));
  EXPECT_EQ(t.GetFileStatus(), kSFLineTooLong);
  std::ifstream dir("/tmp");
  EXPECT_FALSE(t.ReadFromMDLMolStream(dir));
  EXPECT_EQ(t.GetFileStatus(), kSFReadError);
  EXPECT_TRUE(dir.bad());
  const std::string fifo = testing::TempDir() + "ctab_files_fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::signal(SIGPIPE, SIG_IGN);
  std::jthread writer([fifo] {
    std::ofstream out(fifo, std::ios::binary);
    const std::string lines(4096, '\n');
    while (out.write(lines.data(), static_cast<std::streamsize>(lines.size()))) {
    }
  });
  TTextFile f;
  ASSERT_TRUE(f.Reset(fifo));
  EXPECT_FALSE(t.ReadFromMDLSDFile(f, p));
  EXPECT_EQ(t.GetFileStatus(), kSFRecordTooLong);
  EXPECT_FALSE(t.ReadFromClearTextFile(f));
  f.Close();
  writer.join();
  std::remove(fifo.c_str());
  EXPECT_EQ(t.GetNAtoms(), 0);
}

void ExpectSameBonds(const TCTab& a, const TCTab& b) {
  ASSERT_EQ(a.GetNAtoms(), b.GetNAtoms());
  for (int32_t i = 1; i <= a.GetNAtoms(); ++i) {
    EXPECT_EQ(a.GetNBonds(i), b.GetNBonds(i)) << i;
    for (int32_t j = 1; j <= a.GetNAtoms(); ++j)
      EXPECT_EQ(a.CheckConnect(i, j), b.CheckConnect(i, j)) << i << "-" << j;
  }
}

TEST(StructFiles, WritersReadBackIntoAnEqualTable) {
  const std::string sdf = Slurp(Fixture("nci_sample.sdf"));
  std::istringstream in(sdf);
  TCTab t(nullptr), back(nullptr);
  TPropArray p;
  int32_t n = 0;
  constexpr uint16_t kCoords = kCmpX | kCmpY | kCmpZ;
  constexpr uint16_t kSlots = kCmpConnTo | kCmpTypConn;  // the order of the slots may change
  while (t.ReadFromMDLSDStream(in, p)) {
    std::ostringstream mol, ct;
    ASSERT_TRUE(t.WriteToMDLMolStream(mol, "ZL", "zeltest", 7, "comment"));
    std::istringstream mi(mol.str());
    ASSERT_TRUE(back.ReadFromMDLMolStream(mi)) << mol.str();
    // Mapped pixels fit F10.4 exactly and map onto themselves again.
    EXPECT_EQ(back.CompareWith(&t) & ~kSlots, 0) << mol.str();
    ExpectSameBonds(back, t);
    ASSERT_TRUE(t.WriteToClearTextStream(ct));
    std::istringstream ci(ct.str());
    ASSERT_TRUE(back.ReadFromClearTextStream(ci)) << ct.str();
    EXPECT_EQ(back.CompareWith(&t), kCmpCoordUnit);
    ++n;
  }
  EXPECT_EQ(n, 56);
  // What V2000 cannot hold directly: charge +5, a mass, aromatic bonds,
  // coordinates beyond F10.4, a name with line breaks and 100 characters.
  auto m = Mol("N C C C C C", {{1, 2, 1}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 2, 4}});
  m->SetCharge(1, 5);
  m->SetAtWeight(3, 13);
  for (int32_t i = 1; i <= 6; ++i) m->SetCoords(i, 1, 1e7 * i), m->SetCoords(i, 2, -1e8 * (i % 2));
  m->SetStrucName("line\r\nbreak" + std::string(100, 'x'));
  std::stringstream mol;
  ASSERT_TRUE(m->WriteToMDLMolStream(mol, "", "", 0, ""));
  ASSERT_TRUE(back.ReadFromMDLMolStream(mol));
  EXPECT_EQ(
      back.CompareWith(m.get()) & ~(kCoords | kSlots | kCmpName | kCmpCoordUnit | kCmpAtWeight), 0);
  ExpectSameBonds(back, *m);
  EXPECT_EQ(back.GetStrucName(), ("line  break" + std::string(100, 'x')).substr(0, 80));
  EXPECT_EQ(back.GetCharge(1), 5);
  EXPECT_EQ(back.GetAtWeight(3), 13);
  EXPECT_EQ(back.GetAtWeight(2), 12);  // a mass of 0 reads as the element's mass number
  // The shape survives the shift and scaling: x 0..5e7, y 0..1e8 map to
  // f = 800 / 5e7 (scaled), so x ends at 800 and y at 1600.
  EXPECT_EQ(back.GetCoords(6, 1), 800);
  EXPECT_EQ(back.GetCoords(2, 2), 1600);
  EXPECT_EQ(back.GetCoords(1, 2), 0);
  // The float extremes still fit after the shift and scaling; the bare
  // connection table reads back through its own reader.
  auto wide = Mol("C O", {{1, 2, 2}});
  wide->SetCoords(1, 1, -3e38);
  wide->SetCoords(2, 1, 3e38);
  std::stringstream ctab;
  ASSERT_TRUE(wide->WriteToMDLCTabStream(ctab));
  ASSERT_TRUE(back.ReadFromMDLCTabStream(ctab));
  EXPECT_EQ(back.GetCoords(2, 1), 800);
  EXPECT_EQ(back.CheckConnect(2, 1), 2);
  EXPECT_EQ(back.GetStrucName(), "");
  // Refused: nothing written.
  for (int c = 0; c < 3; ++c) {
    auto r = Mol("C C", {{1, 2, c == 0 ? 7 : 1}});
    if (c == 1) r->SetCoords(1, 1, std::nan(""));
    if (c == 2) r->SetCharge(1, 16);
    std::ostringstream out;
    EXPECT_FALSE(r->WriteToMDLCTabStream(out));
    EXPECT_EQ(r->GetFileStatus(), kSFNotWritable);
    EXPECT_TRUE(out.str().empty());
  }
  // An empty table still writes a body the reader takes (L is never 0).
  TCTab empty(nullptr);
  std::stringstream ct;
  ASSERT_TRUE(empty.WriteToClearTextStream(ct));
  EXPECT_TRUE(back.ReadFromClearTextStream(ct));
  EXPECT_EQ(back.GetNAtoms(), 0);
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_FALSE(m->WriteToMDLCTabStream(broken));
  EXPECT_EQ(m->GetFileStatus(), kSFWriteError);
}

TEST(StructFiles, ClearTextSections) {
  TCTab t(nullptr);
  const auto read = [&t](const std::string& text, bool ctabg = false) {
    std::istringstream in(text);
    return ctabg ? t.ReadFromClearTextStreamCTABG(in) : t.ReadFromClearTextStream(in);
  };
  // The keyword at the end of its line, L and n on the next: the word ends
  // at the line break and the first body number is not swallowed.
  ASSERT_TRUE(read("x /CONTAB\n5 2\n name\n1 6 12 0 0 0 0 0 1 2 1\n2 8 16 0 -1 1.5 0 0\n1 1 1\n"));
  EXPECT_EQ(t.GetStrucName(), "name");
  EXPECT_EQ(t.GetNAtoms(), 2);
  EXPECT_EQ(t.GetCharge(2), -1);
  EXPECT_EQ(t.GetCoords(2, 1), 1.5);
  EXPECT_EQ(t.CheckConnect(1, 2), 1);
  EXPECT_FALSE(read("no keyword here\n/CONTABX is not it either? 4 2\n"));
  EXPECT_EQ(t.GetFileStatus(), kSFBadLine);  // "CONTABX" contains CONTAB: the body is bad
  EXPECT_FALSE(read("/OTHER\n4 2\n"));
  EXPECT_EQ(t.GetFileStatus(), kSFNoSection);
  // Out of range (Z 300, charge 200, L - 2n < 0): rejected, table kept.
  for (const char* bad :
       {"/CONTAB 2 1\n1 300 0 0 0 0 0 0 0\n", "/CONTAB 2 1\n1 6 0 0 200 0 0 0 0\n",
        "/CONTAB 1 1\n1 6 0 0 0 0 0 0 0\n", "/CONTAB 0 0\n"}) {
    EXPECT_FALSE(read(bad)) << bad;
    EXPECT_EQ(t.GetNAtoms(), 2) << bad;
  }
  // Twelve slots: the entries past ten are read and dropped, and the rest of
  // the body stays in step.
  std::string body = "/CONTAB 26 13\n1 6 0 0 0 0 0 0 12";
  for (int k = 2; k <= 13; ++k) body += " " + std::to_string(k);
  body += " 1 1 1 1 1 1 1 1 1 1 1 1\n";
  for (int k = 2; k <= 13; ++k) body += std::to_string(k) + " 8 0 0 0 0 0 0 1 1 1\n";
  EXPECT_FALSE(read(body));
  EXPECT_EQ(t.GetFileStatus(), kSFBadValue);
  EXPECT_EQ(t.GetNAtoms(), 13);
  EXPECT_EQ(t.GetNBonds(1), 10);
  EXPECT_EQ(t.GetAtNum(13), 8);
  ASSERT_TRUE(
      read("/CTABG\n3 2\n pair\n6 0 0 0 0 0 2 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0\n"
           "8 0 0 0 1 0 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0\n",
           true));
  EXPECT_EQ(t.GetStrucName(), "pair");
  EXPECT_EQ(t.CheckConnect(2, 1), 2);
}

}  // namespace
}  // namespace zel
