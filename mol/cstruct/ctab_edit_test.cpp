#include <gtest/gtest.h>

#include "gui/zel_graphics.hpp"
#include "mol/cstruct/cstruct_test_impl.hpp"

namespace zel {
namespace {

using cstruct_test::Benzene;
using cstruct_test::Mol;

TEST(CstructAccessors, InvalidIndicesReadZeroAndWritesAreIgnored) {
  auto t = Mol("C C O", {{1, 2, 1}, {2, 3, 1}});
  int changes = 0;
  t->OnChange = [&changes](TObject*) { ++changes; };
  for (int32_t i : {0, 4, 64, -1}) {
    EXPECT_EQ(t->GetAtNum(i), 0);
    EXPECT_EQ(t->GetConnTo(i, 1), 0);
    EXPECT_EQ(t->GetAtomEntries(i).dispAttr, kDispDefaultColor);
    t->SetAtNum(i, 7);
  }
  EXPECT_EQ(t->GetConnTo(2, 11), 0);
  EXPECT_EQ(t->GetCoords(1, 4), 0.0);
  t->SetConnTo(1, 11, 3);
  t->SetCoords(1, 0, 5.0);
  t->SetAtNum(1, 104);
  t->SetAtNum(1, 0);
  t->SetConnTo(1, 2, 64);  // beyond the table
  t->SetConnTo(1, 2, 1);   // self-bond
  t->SetCharge(1, 200);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(t->GetAtNum(1), 6);
  EXPECT_EQ(t->GetConnTo(1, 2), 0);
  t->SetAtNum(3, 7);
  t->SetConnTo(1, 2, 3);
  t->SetAtWeight(2, 257);  // Md: beyond a byte
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(t->GetAtWeight(2), 257);
  EXPECT_EQ(t->GetAtNum(3), 7);
  EXPECT_EQ(t->GetConnTo(1, 2), 3);
  // A whole record with a neighbour beyond 63 is refused as a whole.
  CTElem bad = t->GetAtomEntries(1);
  bad.connTo[5] = 70;
  bad.atNum = 8;
  t->SetAtomEntries(1, bad);
  EXPECT_EQ(t->GetAtNum(1), 6);
}

TEST(CstructAccessors, ColoursAreStoredAs24BitRgb) {
  auto t = Mol("C", {});
  t->SetAtColor(1, static_cast<TColor>(0x7F123456));
  EXPECT_EQ(t->GetAtColor(1), 0x123456);
  EXPECT_EQ(t->GetAtomEntries(1).dispAttr & kDispDefaultColor, 0u);
  t->SetAtColor(1, clBtnFace);
  EXPECT_EQ(t->GetAtColor(1), ColorToRGB(clBtnFace) & 0xFFFFFF);
}

TEST(CstructEditing, ConnectionsRejectSelfBondsAndForeignIndices) {
  auto t = Mol("C C C", {});
  EXPECT_FALSE(t->MakeConnection(1, 1, 1));
  EXPECT_FALSE(t->MakeConnection(1, 4, 1));
  EXPECT_FALSE(t->MakeConnection(1, 2, 256));
  EXPECT_TRUE(t->MakeConnection(1, 2, 2));
  EXPECT_EQ(t->CheckConnect(2, 1), 2);
  EXPECT_TRUE(t->MakeConnection(1, 2, 0));
  EXPECT_FALSE(t->MakeConnection(1, 2, 0));
  EXPECT_EQ(t->GetNBonds(1), 0);
  // EnterConn takes forward references within the capacity only.
  t->EnterConn(1, 63, 1);
  t->EnterConn(1, 64, 1);
  t->EnterConn(64, 1, 1);
  t->EnterConn(2, 2, 1);
  t->EnterConn(0, 1, 1);
  EXPECT_EQ(t->GetConnTo(1, 1), 63);
  EXPECT_EQ(t->GetNBonds(1), 1);
  EXPECT_EQ(t->GetNBonds(2), 0);
  // The forward reference is skipped and reported, never followed.
  t->EnterConn(2, 3, 2);
  EXPECT_EQ(t->MakeSymmetricConnections(), 1);
  EXPECT_EQ(t->CheckConnect(3, 2), 2);
  EXPECT_EQ(t->RingsInMolecule(), 0);
}

TEST(CstructEditing, FullSlotsRefuseANewBondOnBothSides) {
  auto t = Mol("C C C C C C C C C C C C C", {});
  for (int32_t k = 2; k <= 11; ++k) ASSERT_TRUE(t->MakeConnection(1, k, 1));
  EXPECT_FALSE(t->MakeConnection(1, 12, 1));
  EXPECT_EQ(t->GetNBonds(12), 0);
  EXPECT_TRUE(t->MakeConnection(1, 2, 2));  // an existing bond may change type
  EXPECT_EQ(t->CheckConnect(2, 1), 2);
}

TEST(CstructEditing, AddAtomRefusesAFullTableAndClearsStaleEntries) {
  TCTab t(nullptr);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  // A stale one-sided entry into record 2 from before it was valid.
  ASSERT_TRUE(t.AddAtom(r));
  t.EnterConn(2, 5, 1);
  r.dispAttr = 0x00FF00;
  ASSERT_TRUE(t.AddAtom(r));
  EXPECT_EQ(t.GetNBonds(2), 0);
  EXPECT_EQ(t.GetAtColor(2), 0x00FF00);
  while (t.GetNAtoms() < kMaxCTAtoms) ASSERT_TRUE(t.AddAtom(r));
  auto before = std::make_unique<TCTab>(nullptr);
  before->CopyFrom(&t);
  EXPECT_FALSE(t.AddAtom(r));
  EXPECT_EQ(t.CompareWith(before.get()), 0);
}

TEST(CstructEditing, DeleteAtomContractsAndRenumbers) {
  auto t = Mol("C N O", {{1, 2, 1}, {2, 3, 2}});
  t->DeleteAtom(2);
  ASSERT_EQ(t->GetNAtoms(), 2);
  EXPECT_EQ(t->GetAtNum(2), 8);  // the last atom moved into the gap
  EXPECT_EQ(t->CheckConnect(1, 2), 2);
  EXPECT_EQ(t->CheckConnect(2, 1), 1);
  // Deleting a three-connected centre leaves a triangle.
  auto s = Mol("C C C C", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}});
  s->DeleteAtom(1);
  ASSERT_EQ(s->GetNAtoms(), 3);
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(s->GetNBonds(i), 2) << i;
  EXPECT_EQ(s->RingsInMolecule(), 1);
}

TEST(CstructEditing, RemoveHydrogenAndStripLookAgainAtTheMovedAtom) {
  // The hydrogens sit last, so each deletion moves another H into the gap.
  auto t = Mol("C H H H H", {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}});
  t->RemoveHydrogen();
  EXPECT_EQ(t->GetNAtoms(), 1);
  EXPECT_EQ(t->GetNBonds(1), 0);
  auto ring = std::make_unique<TCTab>(nullptr);
  cstruct_test::AddRing(*ring, 6, 6, false);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  ring->AddAtom(r);
  ring->AddAtom(r);
  ring->MakeConnection(1, 7, 1);
  ring->MakeConnection(7, 8, 1);
  EXPECT_EQ(ring->StripfromChains(), 6);
  auto chain = Mol("C C C", {{1, 2, 1}, {2, 3, 1}});
  EXPECT_EQ(chain->FindNextEndAtom(2), 3);
  EXPECT_EQ(chain->StripfromChains(), 0);
}

TEST(CstructEditing, JoinFragmentIdentifiesLabelsAndRefusesOverflow) {
  auto t = Mol("C C", {{1, 2, 1}});
  t->SetAtFlag(2, 7);
  auto src = Mol("N O", {{1, 2, 2}});
  src->SetAtFlag(1, 7);  // N replaces atom 2
  auto srcCopy = std::make_unique<TCTab>(nullptr);
  srcCopy->CopyFrom(src.get());
  ASSERT_TRUE(t->JoinFragment(src.get()));
  EXPECT_EQ(t->GetNAtoms(), 3);
  EXPECT_EQ(t->GetAtNum(2), 7);
  EXPECT_EQ(t->CheckConnect(2, 3), 2);
  EXPECT_EQ(t->CheckConnect(3, 2), 2);
  EXPECT_EQ(src->CompareWith(srcCopy.get()), 0);
  // A label nobody here carries: the atom is appended.
  auto lone = Mol("S", {});
  lone->SetAtFlag(1, 99);
  ASSERT_TRUE(t->JoinFragment(lone.get()));
  EXPECT_EQ(t->GetAtNum(4), 16);
  // 62 atoms + 2 new ones do not fit: nothing changes.
  auto big = std::make_unique<TCTab>(nullptr);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  while (big->GetNAtoms() < 62) big->AddAtom(r);
  auto keep = std::make_unique<TCTab>(nullptr);
  keep->CopyFrom(big.get());
  EXPECT_FALSE(big->JoinFragment(srcCopy.get()));
  EXPECT_EQ(big->CompareWith(keep.get()), 0);
  EXPECT_FALSE(big->JoinFragment(nullptr));
}

TEST(CstructEditing, LinkFragmentLeavesTheSourceIntact) {
  auto t = Mol("C C", {{1, 2, 1}});
  t->SetAtFlag(1, 3);
  auto src = Mol("O C", {{1, 2, 1}});
  src->SetAtFlag(2, 3);
  auto srcCopy = std::make_unique<TCTab>(nullptr);
  srcCopy->CopyFrom(src.get());
  ASSERT_TRUE(t->LinkFragment(src.get()));
  EXPECT_EQ(src->CompareWith(srcCopy.get()), 0);
  EXPECT_EQ(t->GetNAtoms(), 4);
  EXPECT_EQ(t->CheckConnect(3, 4), 1);
  EXPECT_EQ(t->CheckConnect(1, 4), 1);
  EXPECT_EQ(t->CheckConnect(4, 1), 1);
  EXPECT_EQ(t->CheckConnect(1, 3), 0);
  CTElem r;
  ClearCTElem(r);
  r.atNum = 6;
  while (t->GetNAtoms() < 62) t->AddAtom(r);
  EXPECT_FALSE(t->LinkFragment(src.get()));
  EXPECT_EQ(t->GetNAtoms(), 62);
}

TEST(CstructEditing, SumForContainedCountsEveryElement) {
  // 40 distinct elements: more than a fixed short list could hold.
  TCTab big(nullptr), small(nullptr);
  CTElem r;
  ClearCTElem(r);
  for (int32_t z = 1; z <= 40; ++z) {
    r.atNum = static_cast<uint8_t>(z);
    big.AddAtom(r);
    if (z > 30) small.AddAtom(r);
  }
  EXPECT_TRUE(big.SumForContained(&small));
  small.AddAtom(r);  // a second Zr
  EXPECT_FALSE(big.SumForContained(&small));
  EXPECT_FALSE(small.SumForContained(&big));
  EXPECT_FALSE(big.SumForContained(nullptr));
}

TEST(CstructEditing, CompareCopyAndCas) {
  auto a = Benzene();
  auto b = std::make_unique<TCTab>(nullptr);
  b->CopyFrom(a.get());
  EXPECT_EQ(a->CompareWith(b.get()), 0);
  a->SetStrucName("Benzene");
  b->SetStrucName("BENZENE");
  b->SetCoords(3, 2, 1.5);
  b->SetCharge(6, -1);
  EXPECT_EQ(a->CompareWith(b.get()), kCmpY | kCmpCharge);
  a->SetCASNr(" 71-43-2 ");
  EXPECT_EQ(a->GetBinCASNr(), 71432);
  int changes = 0;
  a->OnChange = [&changes](TObject*) { ++changes; };
  a->SetCASNr("71-43-3");
  EXPECT_EQ(a->GetCASNr(), "71-43-2");
  EXPECT_EQ(changes, 1);
  b->SetCoordsPresent(false);
  EXPECT_FALSE(b->GetCoordsPresent());
}

TEST(CstructEditing, UpdateBracketFiresOnce) {
  auto t = Benzene();
  int changes = 0;
  t->OnChange = [&changes](TObject*) { ++changes; };
  t->BeginUpdate();
  t->SetAtNum(1, 7);
  t->SetCharge(1, 1);
  t->BeginUpdate();
  t->DeleteAtom(6);
  t->EndUpdate();
  EXPECT_EQ(changes, 0);
  t->EndUpdate();
  EXPECT_EQ(changes, 1);
  t->RemoveHydrogen();
  EXPECT_EQ(changes, 1);  // nothing to remove, nothing changed
}

}  // namespace
}  // namespace zel
