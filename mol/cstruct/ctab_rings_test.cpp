#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "mol/cstruct/cstruct_test_impl.hpp"

namespace zel {
namespace {

using cstruct_test::AddRing;
using cstruct_test::Benzene;
using cstruct_test::Formula;
using cstruct_test::Mol;

TEST(CstructHydrogens, NeutralMoleculesFollowTheValenceTable) {
  auto ethanol = Mol("C C O", {{1, 2, 1}, {2, 3, 1}});
  EXPECT_EQ(ethanol->NrHAtoms(1), 3);
  EXPECT_EQ(ethanol->NrHAtoms(2), 2);
  EXPECT_EQ(ethanol->NrHAtoms(3), 1);
  EXPECT_EQ(Formula(*ethanol), "C2 H6 O");
  // Aromatic bonds count 1 plus one for the aromatic system.
  auto pyridine =
      Mol("N C C C C C", {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 1, 4}});
  EXPECT_EQ(pyridine->NrHAtoms(1), 0);
  EXPECT_EQ(pyridine->NrHAtoms(2), 1);
  // Phosphorus with four bond orders: the H of a phosphonate.
  auto phos = Mol("P O O O", {{1, 2, 2}, {1, 3, 1}, {1, 4, 1}});
  EXPECT_EQ(phos->NrHAtoms(1), 1);
  EXPECT_EQ(Formula(*phos), "H3 O3 P");
}

TEST(CstructHydrogens, NitrilesAndIsocyanides) {
  EXPECT_EQ(Formula(*Mol("C N", {{1, 2, 3}})), "C H N");  // HCN keeps its H
  auto cyanide = Mol("C N", {{1, 2, 3}});
  cyanide->SetCharge(1, -1);
  EXPECT_EQ(cyanide->CalcMissingH(), 0);
  // Methyl isocyanide, neutral and charge-separated: 3 H either way.
  EXPECT_EQ(Mol("C N C", {{1, 2, 1}, {2, 3, 3}})->CalcMissingH(), 3);
  auto sep = Mol("C N C", {{1, 2, 1}, {2, 3, 3}});
  sep->SetCharge(2, 1);
  sep->SetCharge(3, -1);
  EXPECT_EQ(sep->CalcMissingH(), 3);
}

TEST(CstructHydrogens, ChargesChangeTheValenceFirst) {
  auto ch3 = Mol("C", {});
  ch3->SetCharge(1, 1);
  EXPECT_EQ(ch3->NrHAtoms(1), 3);
  auto bh4 = Mol("B", {});
  bh4->SetCharge(1, -1);
  EXPECT_EQ(bh4->NrHAtoms(1), 4);
  auto ammonium = Mol("N C C C", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}});
  ammonium->SetCharge(1, 1);
  EXPECT_EQ(ammonium->NrHAtoms(1), 1);
  auto pyridinium =
      Mol("N C C C C C", {{1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 5, 1}, {5, 6, 2}, {6, 1, 1}});
  pyridinium->SetCharge(1, 1);
  EXPECT_EQ(pyridinium->NrHAtoms(1), 1);
  auto phosphonium = Mol("P C C C C", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}});
  phosphonium->SetCharge(1, 1);
  EXPECT_EQ(phosphonium->CalcMissingH(), 12);
  auto hydroxide = Mol("O", {});
  hydroxide->SetCharge(1, -1);
  EXPECT_EQ(hydroxide->NrHAtoms(1), 1);
  auto fluoride = Mol("F", {});
  fluoride->SetCharge(1, -1);
  EXPECT_EQ(fluoride->NrHAtoms(1), 0);
}

TEST(CstructFormula, ExplicitHydrogensIsotopesAndIsolatedH) {
  auto methane = Mol("C H H H H", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}});
  EXPECT_EQ(Formula(*methane), "C H4");
  auto cd = Mol("C H", {{1, 2, 1}});
  cd->SetAtWeight(2, 2);
  EXPECT_EQ(Formula(*cd), "C H3 2H");
  EXPECT_NEAR(cd->CalcChemMolWeight(), 3 * ChemAtWeight(1) + ChemAtWeight(6) + 2.014102, 1e-5);
  EXPECT_EQ(Formula(*Mol("H H", {{1, 2, 1}})), "H2");
  auto proton = Mol("H", {});
  proton->SetCharge(1, 1);
  EXPECT_EQ(Formula(*proton), "H");
  // Order: C, H, N, O, S, P, F, Cl, Br, I, then the rest as they appear.
  // (HCl and HOCN with a sodium atom.)
  EXPECT_EQ(Formula(*Mol("Na Cl O C N", {{3, 4, 1}, {4, 5, 3}})), "C H2 N O Cl Na");
  auto c13 = Mol("C C", {{1, 2, 1}});
  c13->SetAtWeight(2, 13);
  EXPECT_EQ(Formula(*c13), "C 13C H6");
}

TEST(CstructFormula, MoreThanTwentyPairsFail) {
  TCTab t(nullptr);
  CTElem r;
  ClearCTElem(r);
  // Barium to osmium: no valence in the table, so no hydrogen entry.
  for (int32_t z = 56; z < 77; ++z) {
    r.atNum = static_cast<uint8_t>(z);
    t.AddAtom(r);
  }
  TFormulaRec f;
  f.FLeng = 3;
  EXPECT_FALSE(t.CalcMolecularFormula(f));
  EXPECT_EQ(f.FLeng, 0);
  t.DeleteAtom(21);
  EXPECT_TRUE(t.CalcMolecularFormula(f));
  EXPECT_EQ(f.FLeng, 20);
}

TEST(CstructRings, RingCountUsesComponents) {
  // Aniline hydrochloride: benzene ring, NH2, and a free HCl.
  auto t = Benzene();
  CTElem r;
  ClearCTElem(r);
  r.atNum = 7;
  t->AddAtom(r);
  t->MakeConnection(1, 7, 1);
  r.atNum = 17;
  t->AddAtom(r);
  EXPECT_EQ(t->RingsInMolecule(), 1);
  TMatchArray m;
  EXPECT_TRUE(t->SearchSubStruc(Benzene().get(), m, true));
  TCTab empty(nullptr);
  EXPECT_EQ(empty.RingsInMolecule(), 0);
}

std::vector<int32_t> Sizes(const RingListType& l) {
  std::vector<int32_t> s;
  for (int32_t k = 0; k < l.Count; ++k) s.push_back(l.Rings[k].Size);
  std::sort(s.begin(), s.end());
  return s;
}

// Every consecutive pair of a ring's atoms must be bonded.
void ExpectClosedPath(const TCTab& t, const RingType& r) {
  for (int32_t k = 0; k < r.Size; ++k)
    EXPECT_NE(t.CheckConnect(r.Atoms[k], r.Atoms[(k + 1) % r.Size]), 0) << "ring position " << k;
}

TEST(CstructRings, ShortestRingsAndSssrOfFusedSystems) {
  // Naphthalene: atoms 1..6 and 5,6,7..10.
  auto n = Mol("C C C C C C C C C C", {{1, 2, 2},
                                       {2, 3, 1},
                                       {3, 4, 2},
                                       {4, 5, 1},
                                       {5, 6, 2},
                                       {6, 1, 1},
                                       {5, 7, 1},
                                       {7, 8, 2},
                                       {8, 9, 1},
                                       {9, 10, 2},
                                       {10, 6, 1}});
  n->SetAtFlag(3, 42);
  RingListType l;
  EXPECT_EQ(n->FindShortestRings(5, l), 2);
  EXPECT_EQ(n->FindShortestRings(1, l), 1);
  EXPECT_EQ(n->FindShortestRings(11, l), 0);
  ASSERT_EQ(n->FindSSSR(l), 2);
  EXPECT_EQ(Sizes(l), (std::vector<int32_t>{6, 6}));
  for (int32_t k = 0; k < l.Count; ++k) ExpectClosedPath(*n, l.Rings[k]);
  EXPECT_EQ(n->CalcAttributes(), 2);
  EXPECT_EQ(n->GetAttrib(5), 0xB8);
  EXPECT_EQ(n->GetAttrib(6), 0xB8);
  EXPECT_EQ(n->GetAttrib(1), 0x28);
  EXPECT_EQ(n->GetAtFlag(3), 42);  // ring perception keeps the user's labels
  // Indene: a five-ring fused to the six-ring keeps both size bits.
  auto ind = Mol("C C C C C C C C C", {{1, 2, 2},
                                       {2, 3, 1},
                                       {3, 4, 2},
                                       {4, 5, 1},
                                       {5, 6, 2},
                                       {6, 1, 1},
                                       {5, 7, 1},
                                       {7, 8, 2},
                                       {8, 9, 1},
                                       {9, 6, 1}});
  ind->CalcAttributes();
  EXPECT_EQ(ind->GetAttrib(5), 0xBC);
  EXPECT_EQ(ind->GetAttrib(8), 0x24);
  // Chains: terminal and inner chain atoms, branching.
  auto iso = Mol("C C C C", {{1, 2, 1}, {2, 3, 1}, {2, 4, 1}});
  EXPECT_EQ(iso->CalcAttributes(), 0);
  EXPECT_EQ(iso->GetAttrib(1), 0x41);
  EXPECT_EQ(iso->GetAttrib(2), 0x11);
}

TEST(CstructRings, SssrMayExceedTheCyclomaticNumberAsRdkitDoes) {
  // Cubane: 8 atoms, 12 bonds, rank 5, but all six faces are shortest rings.
  auto c = Mol("C C C C C C C C", {{1, 2, 1},
                                   {2, 3, 1},
                                   {3, 4, 1},
                                   {4, 1, 1},
                                   {5, 6, 1},
                                   {6, 7, 1},
                                   {7, 8, 1},
                                   {8, 5, 1},
                                   {1, 5, 1},
                                   {2, 6, 1},
                                   {3, 7, 1},
                                   {4, 8, 1}});
  RingListType l;
  EXPECT_EQ(c->RingsInMolecule(), 5);
  EXPECT_EQ(c->FindSSSR(l), 6);
  EXPECT_EQ(Sizes(l), std::vector<int32_t>(6, 4));
}

TEST(CstructRings, SssrIsCompletedWhereShortestRingsMissARing) {
  // An 8-prism: every atom's shortest rings are the eight four-rings, yet
  // the rank is 9 and an eight-ring is needed.
  TCTab p(nullptr);
  AddRing(p, 6, 8, false);
  AddRing(p, 6, 8, false);
  for (int32_t k = 1; k <= 8; ++k) p.MakeConnection(k, k + 8, 1);
  RingListType l;
  ASSERT_EQ(p.FindSSSR(l), 9);
  std::vector<int32_t> want(8, 4);
  want.push_back(8);
  EXPECT_EQ(Sizes(l), want);
  for (int32_t k = 0; k < l.Count; ++k) ExpectClosedPath(p, l.Rings[k]);
  // Two separate rings in one table.
  TCTab two(nullptr);
  AddRing(two, 6, 5, false);
  AddRing(two, 6, 7, false);
  EXPECT_EQ(two.FindSSSR(l), 2);
  EXPECT_EQ(Sizes(l), (std::vector<int32_t>{5, 7}));
  two.CalcAttributes();
  EXPECT_EQ(two.GetAttrib(1), 0x24);
  EXPECT_EQ(two.GetAttrib(6), 0x22);
}

TEST(CstructRings, ForwardReferencesAreNotFollowed) {
  auto t = Mol("C C C", {{1, 2, 1}, {2, 3, 1}});
  t->EnterConn(3, 40, 1);  // a forward reference beyond NAtoms
  t->EnterConn(1, 3, 1);   // one-sided ring closure
  RingListType l;
  // The one-sided closure is reached from either end; atom 40 never is.
  EXPECT_EQ(t->FindShortestRings(1, l), 1);
  EXPECT_EQ(t->FindShortestRings(3, l), 1);
  EXPECT_EQ(l.Rings[0].Size, 3);
  EXPECT_EQ(t->FindSSSR(l), 1);
  EXPECT_EQ(t->CalcAttributes(), 1);
  EXPECT_EQ(t->GetAttrib(3), 0x22);
  // Thirty atoms that each list atom 1 one-sidedly: more neighbours than
  // slots once the bonds are seen from both ends.
  TCTab star(nullptr);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  for (int32_t i = 1; i <= 31; ++i) star.AddAtom(r);
  for (int32_t i = 2; i <= 31; ++i) star.EnterConn(i, 1, 1);
  for (int32_t i = 2; i <= 30; ++i) star.EnterConn(i, i + 1, 1);
  EXPECT_EQ(star.FindSSSR(l), 29);
}

}  // namespace
}  // namespace zel
