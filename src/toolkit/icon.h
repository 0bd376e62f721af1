#pragma once
// An icon image owned by the object, with a change notification, and a list
// of icons for animation.

#include <functional>
#include <vector>

#include <windows.h>

#include "toolkit/handles.h"

class TIcon {
 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  // 0 when the icon holds no image.
  HICON Handle() const { return icon_.get(); }
  bool Empty() const { return !icon_; }
  // Takes ownership of the handle.
  void SetHandle(HICON icon);
  // Copies another icon's image.
  void Assign(const TIcon& other);
  // Loads an icon resource of the executable at the given size.
  void LoadFromResource(int id, int size);

  std::function<void()> OnChange;

 private:
  void Changed();

  UniqueHicon icon_;
};

class TImageList {
 public:
  int Count() const { return static_cast<int>(icons_.size()); }
  // Takes ownership of the handle.
  void Add(HICON icon) { icons_.emplace_back(icon); }
  void GetIcon(int index, TIcon& target) const;

 private:
  std::vector<UniqueHicon> icons_;
};
