#include <gtest/gtest.h>

#include <memory>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

TEST(Math1KahanSum, RecoversWhatANaiveSumLoses) {
  TKahanSum k(nullptr);
  double naive = 0;
  for (int i = 0; i < 10; ++i) {
    k.Add(0.1);
    naive += 0.1;
  }
  EXPECT_NE(naive, 1.0);  // 0.9999999999999999
  EXPECT_EQ(k.Sum, 1.0);

  // 1 + 10^6 * 1e-16: each small term alone vanishes against 1.
  k.Reset();
  EXPECT_EQ(k.Sum, 0.0);
  EXPECT_EQ(k.cps, 0.0);
  k.Add(1.0);
  naive = 1.0;
  for (int i = 0; i < 1000000; ++i) {
    k.Add(1e-16);
    naive += 1e-16;
  }
  EXPECT_EQ(naive, 1.0);
  EXPECT_NEAR(k.Sum, 1.0 + 1e-10, 2.3e-16);
}

TEST(Math1KahanSum, CompensationTracksTheLostLowPart) {
  TKahanSum k(nullptr);
  k.Add(1e16);
  k.Add(1.0);  // 1e16 + 1 rounds to 1e16; the 1 is kept in cps
  EXPECT_EQ(k.Sum, 1e16);
  EXPECT_EQ(k.cps, -1.0);
  k.Add(1.0);
  EXPECT_EQ(k.Sum, 1e16 + 2);
  EXPECT_EQ(k.cps, 0.0);
}

TEST(Math1KahanSum, DefaultConstructedSumHasNoOwnerAndStartsAtZero) {
  TKahanSum k;
  EXPECT_EQ(k.GetOwner(), nullptr);
  EXPECT_EQ(k.Sum, 0.0);
  EXPECT_EQ(k.cps, 0.0);
  k.Add(1e16);
  k.Add(1.0);
  k.Add(1.0);
  EXPECT_EQ(k.Sum, 1e16 + 2);
  // A heap sum without an owner is the caller's to free.
  auto owned = std::make_unique<TKahanSum>();
  EXPECT_EQ(owned->GetOwner(), nullptr);
}

TEST(Math1KahanSum, IsOwnedAndFreedByItsOwner) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* k = new TKahanSum(owner.get());
  k->SetName("Acc");
  EXPECT_EQ(owner->GetComponentCount(), 1);
  EXPECT_EQ(owner->GetComponent(0), k);
  EXPECT_EQ(k->Sum, 0.0);
  k->Add(2.5);
  EXPECT_EQ(k->Sum, 2.5);
  owner.reset();  // deletes k; the leak checker would report it otherwise
}

}  // namespace
}  // namespace zel
