#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <unistd.h>

#include "core/zel_univconst.hpp"
#include "mol/cstruct/cstruct_test_impl.hpp"

namespace zel {
namespace {

using cstruct_test::AddRing;
using cstruct_test::Benzene;
using cstruct_test::Mol;

TEST(CstructGroups, ExplicitHydrogensDoNotChangeGroups) {
  auto acid = Mol("C C O O", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}});
  auto acidH = Mol("C C O O H H H H",
                   {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {4, 5, 1}, {1, 6, 1}, {1, 7, 1}, {1, 8, 1}});
  for (const TCTab* t : {acid.get(), acidH.get()}) {
    EXPECT_EQ(t->FragmentCount(FrgType::COOH), 1);
    EXPECT_EQ(t->FragmentCount(FrgType::COO), 0);
    EXPECT_EQ(t->FragmentCount(FrgType::AnyCO), 1);
    EXPECT_EQ(t->FragmentCount(FrgType::AnyOH), 1);
    EXPECT_EQ(t->FragmentCount(FrgType::NBranch), 1);
  }
  EXPECT_EQ(acidH->FragmentCount(FrgType::NSglBnd), 6);
  auto ester = Mol("C C O O C", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {4, 5, 1}});
  EXPECT_EQ(ester->FragmentCount(FrgType::COO), 1);
  EXPECT_EQ(ester->FragmentCount(FrgType::COOH), 0);
  EXPECT_EQ(ester->FragmentCount(FrgType::OCH3), 1);
  auto aldehydeH = Mol("C O H H", {{1, 2, 2}, {1, 3, 1}, {1, 4, 1}});
  EXPECT_EQ(aldehydeH->FragmentCount(FrgType::CHO), 1);
}

TEST(CstructGroups, NitrogenAndSulfurGroups) {
  EXPECT_EQ(Mol("C N", {{1, 2, 1}})->FragmentCount(FrgType::NH2), 1);
  EXPECT_EQ(Mol("C C O N", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::NH2), 0);
  EXPECT_EQ(Mol("C C O N", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::CONR2), 1);
  EXPECT_EQ(Mol("C N C", {{1, 2, 1}, {2, 3, 1}})->FragmentCount(FrgType::NHR), 1);
  EXPECT_EQ(Mol("C N C C", {{1, 2, 1}, {2, 3, 1}, {2, 4, 1}})->FragmentCount(FrgType::NR2), 1);
  EXPECT_EQ(Mol("N C O N", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::NCON), 1);
  EXPECT_EQ(Mol("C C N", {{1, 2, 1}, {2, 3, 3}})->FragmentCount(FrgType::CN), 1);
  EXPECT_EQ(Mol("C C O Cl", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::COX), 1);
  EXPECT_EQ(Mol("C N O", {{1, 2, 1}, {2, 3, 2}})->FragmentCount(FrgType::NO), 1);
  EXPECT_EQ(Mol("C N N", {{1, 2, 1}, {2, 3, 1}})->FragmentCount(FrgType::NNH2), 1);
  EXPECT_EQ(Mol("C N O O", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::NO2), 1);
  // Kept literally: sulfoxides count, sulfones (four neighbours) do not.
  EXPECT_EQ(Mol("C S O C", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}})->FragmentCount(FrgType::AnySO), 1);
  EXPECT_EQ(
      Mol("C S O O C", {{1, 2, 1}, {2, 3, 2}, {2, 4, 2}, {2, 5, 1}})->FragmentCount(FrgType::AnySO),
      0);
  // XCnt counts Cl and Br only.
  EXPECT_EQ(Mol("F Cl Br I", {})->FragmentCount(FrgType::XCnt), 2);
}

TEST(CstructGroups, AromaticHalogenNeedsANeighbour) {
  auto t = std::make_unique<TCTab>(nullptr);
  AddRing(*t, 6, 6, false);
  for (int32_t k = 1; k <= 6; ++k) t->MakeConnection(k, k % 6 + 1, 4);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 17;
  t->AddAtom(r);
  t->MakeConnection(1, 7, 1);
  t->AddAtom(r);  // a free chloride ion
  EXPECT_EQ(t->FragmentCount(FrgType::AroCl), 1);
  EXPECT_EQ(t->FragmentCount(FrgType::XCnt), 2);
  EXPECT_EQ(t->FragmentCount(FrgType::NAroBnd), 6);
  auto phenol = Benzene();
  r.atNum = 8;
  phenol->AddAtom(r);
  phenol->MakeConnection(1, 7, 1);
  EXPECT_EQ(phenol->FragmentCount(FrgType::PhOH), 0);  // Kekule ring: no aromatic bond
  EXPECT_EQ(phenol->FragmentCount(FrgType::AnyOH), 1);
  EXPECT_EQ(phenol->FragmentCount(FrgType::NCCDbl), 3);
}

TEST(CstructGroups, FragmentCodesAndTheirText) {
  auto ester = Mol("C C O O C", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {4, 5, 1}});
  int32_t outer = -5;
  const int32_t code = ester->FragmentCode(2, outer);
  EXPECT_EQ(code, 3 | (22 << 4) | (21 << 10) | (13 << 16));
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(TCTab::FragmentStr(code), "C2O1O1C");
  auto arom = std::make_unique<TCTab>(nullptr);
  AddRing(*arom, 6, 6, false);
  for (int32_t k = 1; k <= 6; ++k) arom->MakeConnection(k, k % 6 + 1, 4);
  EXPECT_EQ(TCTab::FragmentStr(arom->FragmentCode(1, outer)), "C4C4C");
  EXPECT_EQ(outer, 2);
  EXPECT_EQ(ester->FragmentCode(0, outer), kFragCodeBadAtom);
  EXPECT_EQ(Mol("Na Cl", {{1, 2, 1}})->FragmentCode(1, outer), kFragCodeBadAtom);
  EXPECT_EQ(Mol("Cl Na", {{1, 2, 1}})->FragmentCode(1, outer), kFragCodeBadAtom);
  auto pcl5 = Mol("P Cl Cl Cl Cl Cl", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {1, 6, 1}});
  EXPECT_EQ(pcl5->FragmentCode(1, outer), kFragCodeTooManyBonds);
  EXPECT_EQ(outer, 0);
  EXPECT_EQ(TCTab::FragmentStr(kFragCodeTooManyBonds), "ERROR");
  EXPECT_STREQ(FragmentCodeStatusText(kFragCodeTooManyBonds), "the atom has more than four bonds");
}

TEST(CstructGroups, AtomTemplates) {
  auto acid = Mol("C C O O", {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}});
  AtListType l;
  acid->MatchAtomTemplate(8, 1, BondListType{2}, l);
  ASSERT_EQ(l.Count, 1);
  EXPECT_EQ(l.Atoms[0], 3);
  acid->MatchAtomTemplate(-6, -1, BondListType{}, l);  // not carbon, not one bond
  EXPECT_EQ(l.Count, 0);
}

std::unique_ptr<TCTab> BenzoicAcid() {
  auto t = Benzene();
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  t->AddAtom(r);
  r.atNum = 8;
  t->AddAtom(r);
  t->AddAtom(r);
  t->MakeConnection(1, 7, 1);
  t->MakeConnection(7, 8, 2);
  t->MakeConnection(7, 9, 1);
  return t;
}

TEST(CstructSearch, FindsRingsAndGroupsWithAnInjectiveMap) {
  auto acid = BenzoicAcid();
  auto cooh = Mol("C O O", {{1, 2, 2}, {1, 3, 1}});
  TMatchArray m;
  ASSERT_TRUE(acid->SearchSubStruc(cooh.get(), m, true));
  EXPECT_EQ(m[1], 7);
  EXPECT_EQ(acid->CheckConnect(m[1], m[2]), 2);
  EXPECT_EQ(acid->CheckConnect(m[1], m[3]), 1);
  auto benz = Benzene();
  ASSERT_TRUE(acid->SearchSubStruc(benz.get(), m, true));
  for (int32_t s = 1; s <= 6; ++s) {
    EXPECT_EQ(acid->CheckConnect(m[s], m[s % 6 + 1]), benz->CheckConnect(s, s % 6 + 1));
    for (int32_t u = 1; u < s; ++u) EXPECT_NE(m[s], m[u]);
  }
  // C-N-C needs two distinct carbons on the nitrogen.
  auto target = Mol("C N O C", {{1, 2, 1}, {2, 3, 1}});
  EXPECT_FALSE(target->SearchSubStruc(Mol("C N C", {{1, 2, 1}, {2, 3, 1}}).get(), m, false));
  EXPECT_EQ(m[1], 0);
}

TEST(CstructSearch, DisconnectedEmptyAndNullQueriesFail) {
  auto t = Mol("C C O", {{1, 2, 1}, {2, 3, 1}});
  TMatchArray m;
  EXPECT_FALSE(t->SearchSubStruc(Mol("C O", {}).get(), m, false));
  EXPECT_FALSE(t->SearchSubStruc(Mol("", {}).get(), m, false));
  EXPECT_FALSE(t->SearchSubStruc(nullptr, m, false));
  EXPECT_TRUE(t->SearchSubStruc(Mol("C O", {{1, 2, 1}}).get(), m, false));
}

TEST(CstructSearch, BondTypesAndAttributes) {
  auto arom = std::make_unique<TCTab>(nullptr);
  AddRing(*arom, 6, 6, false);
  for (int32_t k = 1; k <= 6; ++k) arom->MakeConnection(k, k % 6 + 1, 4);
  TMatchArray m;
  EXPECT_FALSE(arom->SearchSubStruc(Benzene().get(), m, true));
  EXPECT_TRUE(arom->SearchSubStruc(Benzene().get(), m, false));
  // Attributes on both sides: terminal bits do not demand a terminal atom.
  auto ethanol = Mol("C C O", {{1, 2, 1}, {2, 3, 1}});
  auto co = Mol("C O", {{1, 2, 1}});
  ethanol->CalcAttributes();
  co->CalcAttributes();
  EXPECT_TRUE(ethanol->SearchSubStruc(co.get(), m, true));
  EXPECT_EQ(m[1], 2);
  // The chain bit does demand a chain atom: C-O is no ring C-O.
  auto phenol = Benzene();
  CTElem r;
  ClearCTElem(r);
  r.atNum = 8;
  phenol->AddAtom(r);
  phenol->MakeConnection(1, 7, 1);
  phenol->CalcAttributes();
  EXPECT_FALSE(phenol->SearchSubStruc(co.get(), m, true));
  co->ClearAttributes();
  EXPECT_TRUE(phenol->SearchSubStruc(co.get(), m, true));
}

struct FailingBuf : std::streambuf {
  int overflow(int) override { return traits_type::eof(); }
};

TEST(CstructSearch, TraceIsOptInAndNeverChangesTheResult) {
  auto ethanol = Mol("C C O", {{1, 2, 1}, {2, 3, 1}});
  auto co = Mol("C O", {{1, 2, 1}});
  TMatchArray m;
  std::ostringstream out;
  ethanol->SetTraceStream(&out);
  ASSERT_TRUE(ethanol->SearchSubStruc(co.get(), m, true));
  EXPECT_EQ(
      out.str(),
      "level=1  2 3 0 0\nTRUE FALSE\nlevel=2  1 2 2 3\nTRUE FALSE\nfinal: TRUE\n--------------\n");
  FailingBuf buf;
  std::ostream bad(&buf);
  bad.exceptions(std::ios::badbit);
  ethanol->SetTraceStream(&bad);
  EXPECT_TRUE(ethanol->SearchSubStruc(co.get(), m, true));
  ethanol->SetTraceStream(nullptr);
  const auto path = std::filesystem::temp_directory_path() /
                    ("zel_cstruct_trace_" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(path);
  ethanol->SetTraceFile(path);
  EXPECT_TRUE(ethanol->SearchSubStruc(co.get(), m, true));
  EXPECT_FALSE(ethanol->SearchSubStruc(Mol("O O", {{1, 2, 1}}).get(), m, true));
  std::ifstream in(path);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(all.find("final: TRUE\n--------------\n"), std::string::npos);
  std::filesystem::remove(path);
  ethanol->SetTraceFile(std::filesystem::path("/nonexistent-dir/zel/trace.txt"));
  EXPECT_TRUE(ethanol->SearchSubStruc(co.get(), m, true));
}

TEST(CstructGeometry, CentreExtentsAndNearestAtom) {
  auto t = Mol("C C", {});
  t->SetCoords(2, 1, 2.0);
  t->SetCoords(2, 2, 4.0);
  t->SetCoords(2, 3, 6.0);
  double x, y, z;
  t->CalcMolCenter(x, y, z);
  EXPECT_DOUBLE_EQ(x, 1.0);
  EXPECT_DOUBLE_EQ(y, 2.0);
  EXPECT_DOUBLE_EQ(z, 3.0);
  double minX, minY, maxX, maxY, cx, cy;
  EXPECT_EQ(t->CalcMolExtents(minX, minY, maxX, maxY, cx, cy), 0.0);  // no bonds: 0, not NaN
  EXPECT_DOUBLE_EQ(maxY, 4.0);
  t->MakeConnection(1, 2, 1);
  EXPECT_NEAR(t->CalcMolExtents(minX, minY, maxX, maxY, cx, cy), std::sqrt(56.0), 1e-6);
  int32_t atom;
  double dist;
  t->FindClosestAtom(2.0, 4.0, 5.0, atom, dist);
  EXPECT_EQ(atom, 2);
  EXPECT_NEAR(dist, 1.0, 1e-12);
  // Picking in the drawing plane ignores z; in space atom 2 lies 6 away.
  t->FindClosestAtom(2.0, 4.0, 0.0, atom, dist);
  EXPECT_EQ(atom, 1);
  t->FindClosestAtom(2.0, 4.0, atom, dist);
  EXPECT_EQ(atom, 2);
  EXPECT_EQ(dist, 0.0);
  EXPECT_EQ(t->FindAtomInBox(1.0, 1.0, 1.0, 1.0, 1.0, 1.0), 1);
  auto one = Mol("O", {});
  one->SetCoords(1, 1, 7.0);
  one->SetCoords(1, 2, -3.0);
  one->CalcMolExtents(minX, minY, maxX, maxY, cx, cy);
  EXPECT_DOUBLE_EQ(cx, 7.0);
  EXPECT_DOUBLE_EQ(minY, -3.0);
  TCTab empty(nullptr);
  empty.FindClosestAtom(0, 0, 0, atom, dist);
  EXPECT_EQ(atom, 0);
  EXPECT_EQ(dist, uc_MaxReal);
}

TEST(CstructGeometry, PcaTurnsTheLongAxisOntoXAndKeepsZ) {
  auto t = Mol("C C C C", {});
  const double pts[4][3] = {{0, 0, 1.5}, {1, 1, -2}, {2, 2, 0.25}, {3, 3.2, 4}};
  for (int32_t i = 0; i < 4; ++i)
    for (int32_t d = 0; d < 3; ++d) t->SetCoords(i + 1, d + 1, pts[i][d]);
  auto dist = [](const TCTab& m, int32_t a, int32_t b) {
    return std::hypot(m.GetCoords(a, 1) - m.GetCoords(b, 1), m.GetCoords(a, 2) - m.GetCoords(b, 2));
  };
  const double d14 = dist(*t, 1, 4), d23 = dist(*t, 2, 3);
  t->RotateWithPCA();
  EXPECT_NEAR(dist(*t, 1, 4), d14, 1e-5);
  EXPECT_NEAR(dist(*t, 2, 3), d23, 1e-5);
  double spreadY = 0;
  for (int32_t i = 1; i <= 4; ++i)
    spreadY = std::max(spreadY, std::fabs(t->GetCoords(i, 2) - t->GetCoords(1, 2)));
  EXPECT_LT(spreadY, 0.2);
  EXPECT_GT(std::fabs(t->GetCoords(4, 1) - t->GetCoords(1, 1)), 4.0);
  for (int32_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(t->GetCoords(i + 1, 3), pts[i][2]);
  // Pixels are rounded, and a single atom stays where it is.
  t->SetCoordUnits(CoordUnitType::cuPixel);
  t->RotateWithPCA();
  for (int32_t i = 1; i <= 4; ++i)
    EXPECT_EQ(t->GetCoords(i, 1), std::nearbyint(t->GetCoords(i, 1)));
  auto one = Mol("C", {});
  one->SetCoords(1, 1, 3.5);
  one->RotateWithPCA();
  EXPECT_EQ(one->GetCoords(1, 1), 3.5);
}

}  // namespace
}  // namespace zel
