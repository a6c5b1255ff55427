#include "framework/win32/Component.h"

#include <algorithm>

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  // Each linked component drops its pointer to this one.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(other->FFreeNotifies, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->FOwner != nullptr) component->FOwner->RemoveComponent(component);
  FComponents.push_back(component);
  component->FOwner = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, opRemove);
  Erase(FComponents, component);
  component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* component = FComponents.back();
    // Unlinked first, so its destructor does not come back to this list.
    RemoveComponent(component);
    delete component;
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this) ==
      component->FFreeNotifies.end())
    component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  Erase(FFreeNotifies, component);
  Erase(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* /*component*/, TOperation /*operation*/) {}
