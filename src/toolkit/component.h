#pragma once
// Component ownership as the toolkit's forms use it: an owner destroys what it
// owns (newest first), tells its components when loading has finished, and tells
// them when one of them is being destroyed so that references can be cleared.

#include <string>
#include <vector>

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }

  // The owner's definition has been applied completely.
  virtual void Loaded() {}
  // Another component of the same owner is going away.
  virtual void Notification(TComponent* /*component*/, bool /*removing*/) {}

 protected:
  // Runs Loaded on every owned component, in creation order.
  void LoadedComponents();
  // Destroys the owned components now, newest first.
  void DestroyComponents();

 private:
  void Remove(TComponent* component);

  TComponent* owner_;
  std::vector<TComponent*> components_;
};
