#pragma once
// Components: objects with an owner that frees them and free notification,
// which tells linked components when one of them goes away so that no
// pointer to it is left behind.
// Threads: a component, its owner and its linked components belong to one
// thread (the main thread for the application's); nothing here is locked.
#include <string>
#include <vector>

#include "framework/Persistent.h"

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
 public:
  // The owner, when given, frees this component with itself.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& name) { FName = name; }
  // Set while the destructors run.
  bool Destroying() const { return FDestroying; }

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component, last inserted first.
  void DestroyComponents();
  // component's destruction will call this one's Notification(component, opRemove), and
  // the other way round.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

 protected:
  // Told of owned components inserted and removed and of linked components
  // being destroyed.
  virtual void Notification(TComponent* component, TOperation operation);
  void SetDestroying() { FDestroying = true; }

 private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  bool FDestroying = false;
};
