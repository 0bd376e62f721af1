#include "toolkit/component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_ != nullptr) owner_->Remove(this);
}

void TComponent::LoadedComponents() {
  for (TComponent* c : components_) c->Loaded();
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) delete components_.back();
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  Notification(component, true);
  for (TComponent* c : components_) c->Notification(component, true);
}
