#include "core/zel_classes.hpp"

#include <algorithm>

#include "core/zel_system.hpp"

namespace zel {

void TPersistent::Assign(const TPersistent* Source) {
  if (Source != nullptr && Source->AssignTo(this)) return;
  throw Exception("Cannot assign " + (Source ? Source->ClassName() : std::string("nil")) + " to " +
                  ClassName());
}

bool TPersistent::AssignTo(TPersistent* /*Dest*/) const { return false; }

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) FOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Children unregister themselves as they go; take them from the back so
  // that each removal is cheap and the newest goes first.
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    delete child;
  }
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

TComponent* TComponent::GetComponent(int32_t Index) const {
  if (Index < 0 || Index >= GetComponentCount()) return nullptr;
  return FComponents[static_cast<size_t>(Index)];
}

void TComponent::InsertComponent(TComponent* Child) { FComponents.push_back(Child); }

void TComponent::RemoveComponent(TComponent* Child) {
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), Child);
  if (it != FComponents.rend()) FComponents.erase(std::next(it).base());
}

std::string TComponent::MessageName() const { return FName.empty() ? ClassName() : FName; }

std::string TComponent::ComponentMessage(const std::string& Text) const {
  return zel::ComponentMessage(MessageName(), Text);
}

std::string ComponentMessage(const std::string& Name, const std::string& Text) {
  return "Component \"" + Name + "\": " + Text;
}

}  // namespace zel
