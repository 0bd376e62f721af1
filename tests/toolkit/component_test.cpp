#include "toolkit/component.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> events;

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name) : TComponent(owner), name(std::move(name)) {}
  ~Probe() override { events.push_back("destroy " + name); }
  void Loaded() override { events.push_back("loaded " + name); }
  void Notification(TComponent* c, bool removing) override {
    // c is half destroyed by now: compare it, never read it.
    if (removing && c == watched) {
      events.push_back(name + " forgets " + watchedName);
      watched = nullptr;
    }
  }
  std::string name;
  TComponent* watched = nullptr;
  std::string watchedName;
};

class Owner : public TComponent {
 public:
  Owner() : TComponent(nullptr) {}
  using TComponent::LoadedComponents;
};

TEST(Component, OwnerLoadsInOrderDestroysNewestFirstAndClearsReferences) {
  events.clear();
  {
    Owner owner;
    auto* tray = new Probe(&owner, "tray");
    auto* menu = new Probe(&owner, "menu");
    new Probe(&owner, "timer");
    tray->watched = menu;
    tray->watchedName = menu->name;
    owner.LoadedComponents();
    delete menu;  // a referenced component goes away early
    EXPECT_EQ(tray->watched, nullptr);
  }
  std::vector<std::string> expected{"loaded tray",       "loaded menu",   "loaded timer", "destroy menu",
                                    "tray forgets menu", "destroy timer", "destroy tray"};
  EXPECT_EQ(events, expected);
}

}  // namespace
