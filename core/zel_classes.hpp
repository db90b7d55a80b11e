/// @file
/// The class roots of the library's components: TObject, TPersistent and
/// TComponent with owners and names, and the component message builder.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zel {

/// Polymorphic root of every class the library exports.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  ///@{
  /// Copying an object copies nothing: the root holds no state.
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  ///@}
};

/// Event without arguments beyond the sender. A handler must not delete its
/// sender while the event runs.
using TNotifyEvent = std::function<void(TObject* Sender)>;

/// An object that can copy state from another through Assign. The default
/// Assign asks the source's AssignTo; if neither knows the pair, it throws
/// Exception("Cannot assign \<source> to \<target>").
class TPersistent : public TObject {
 public:
  /// Copies the state of Source into this object (see the class).
  virtual void Assign(const TPersistent* Source);
  /// Short class name used in messages; components override it.
  virtual std::string ClassName() const { return "TPersistent"; }

 protected:
  /// Copies this object's state into Dest; returns false when it cannot.
  virtual bool AssignTo(TPersistent* Dest) const;
};

/// A component with an owner. The owner deletes the components it owns when it
/// is destroyed (last registered first); a component deleted first unregisters
/// itself from its owner. A component created with a null owner belongs to the
/// caller (hold it in a std::unique_ptr). Components are neither copyable nor
/// movable; Assign copies state where a class defines it.
class TComponent : public TPersistent {
 public:
  /// A component owned by AOwner, which may be null (see the class).
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  TComponent(TComponent&&) = delete;
  TComponent& operator=(TComponent&&) = delete;

  std::string ClassName() const override { return "TComponent"; }

  /// The owner.
  TComponent* GetOwner() const { return FOwner; }
  /// The name.
  const std::string& GetName() const { return FName; }
  /// Sets the name.
  void SetName(const std::string& Value) { FName = Value; }

  /// The components this one owns, in the order they were registered.
  int32_t GetComponentCount() const { return static_cast<int32_t>(FComponents.size()); }
  /// 0-based; nullptr outside the range.
  TComponent* GetComponent(int32_t Index) const;

  /// The name a message shows: Name, or the class name (ClassName()) for an
  /// unnamed component, so that a message never reads 'Component ""'.
  std::string MessageName() const;
  /// 'Component "\<MessageName()>": \<Text>', the form of every message a
  /// component raises: 'Component "Vector1": ...' when named,
  /// 'Component "TMatrix": ...' when not.
  std::string ComponentMessage(const std::string& Text) const;

 private:
  void InsertComponent(TComponent* Child);
  void RemoveComponent(TComponent* Child);

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

/// 'Component "\<Name>": \<Text>' with Name as given. A component builds its
/// messages with TComponent::ComponentMessage, or passes MessageName() (with a
/// suffix such as ".Histogram") here, never a bare GetName().
std::string ComponentMessage(const std::string& Name, const std::string& Text);

}  // namespace zel
