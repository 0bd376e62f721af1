#pragma once
// Numbers that stand for live objects in window messages. Any program may post
// to our windows, so a number from a message is looked up, never cast to a
// pointer: an unknown or stale number finds nothing. UI thread only.

#include <limits>
#include <map>

template <typename T, typename Id>
class TLiveObjectIds {
 public:
  // A number no live object holds, never 0; numbers are not reused until the
  // counter wraps, so a late message for a destroyed object finds nothing.
  Id Add(T* item) {
    do {
      if (++last_ == 0) ++last_;
    } while (items_.contains(last_));
    items_.emplace(last_, item);
    return last_;
  }
  void Remove(Id id) { items_.erase(id); }

  // nullptr for a number no live object holds, including one too wide for Id.
  template <typename Wide>
  T* Find(Wide number) const {
    if (number > std::numeric_limits<Id>::max()) return nullptr;
    auto it = items_.find(static_cast<Id>(number));
    return it == items_.end() ? nullptr : it->second;
  }

 private:
  Id last_ = 0;
  std::map<Id, T*> items_;
};
