#include "core/zel_classes.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/zel_system.hpp"

namespace zel {
namespace {

// Records the order in which components die.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* AOwner, std::vector<std::string>* Log, std::string Tag)
      : TComponent(AOwner), FLog(Log) {
    SetName(std::move(Tag));
  }
  ~TProbe() override { FLog->push_back(GetName()); }

 private:
  std::vector<std::string>* FLog;
};

TEST(Components, OwnerFreesOwnedComponentsNewestFirst) {
  std::vector<std::string> log;
  {
    auto owner = std::make_unique<TProbe>(nullptr, &log, "owner");
    new TProbe(owner.get(), &log, "a");
    auto* b = new TProbe(owner.get(), &log, "b");
    new TProbe(b, &log, "b.child");
    EXPECT_EQ(owner->GetComponentCount(), 2);
    EXPECT_EQ(owner->GetComponent(1), b);
    EXPECT_EQ(owner->GetComponent(2), nullptr);
    EXPECT_EQ(owner->GetComponent(-1), nullptr);
    EXPECT_EQ(b->GetOwner(), owner.get());
  }
  const std::vector<std::string> expected = {"owner", "b", "b.child", "a"};
  // The owner's own destructor body runs first, then it frees b (which frees
  // its child after logging), then a.
  EXPECT_EQ(log, expected);
}

TEST(Components, ComponentDeletedFirstUnregistersFromOwner) {
  std::vector<std::string> log;
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* a = new TProbe(owner.get(), &log, "a");
  new TProbe(owner.get(), &log, "b");
  delete a;
  EXPECT_EQ(owner->GetComponentCount(), 1);
  EXPECT_EQ(owner->GetComponent(0)->GetName(), "b");
  owner.reset();  // must not free a a second time (the sanitizer would report it)
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
}

TEST(Components, MessagesCarryTheComponentName) {
  TComponent c(nullptr);
  c.SetName("Vector1");
  EXPECT_EQ(c.ComponentMessage("not enough memory on heap"),
            "Component \"Vector1\": not enough memory on heap");
  EXPECT_EQ(ComponentMessage("", "x"), "Component \"\": x");
}

TEST(Components, UnnamedComponentsAreNamedByTheirClassInMessages) {
  struct TGauge : TComponent {
    using TComponent::TComponent;
    std::string ClassName() const override { return "TGauge"; }
  };
  TGauge g(nullptr);
  EXPECT_EQ(g.MessageName(), "TGauge");
  EXPECT_EQ(g.ComponentMessage("not enough memory on heap"),
            "Component \"TGauge\": not enough memory on heap");
  EXPECT_EQ(ComponentMessage(g.MessageName() + ".Histogram", "x"),
            "Component \"TGauge.Histogram\": x");
  g.SetName("Gauge1");
  EXPECT_EQ(g.ComponentMessage("x"), "Component \"Gauge1\": x");
  TComponent plain(nullptr);
  EXPECT_EQ(plain.ComponentMessage("x"), "Component \"TComponent\": x");
}

TEST(Components, AssignWithoutSupportRaises) {
  TComponent a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL() << "Assign of two plain components must raise";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot assign TComponent to TComponent");
  }
  EXPECT_THROW(a.Assign(nullptr), Exception);
}

}  // namespace
}  // namespace zel
