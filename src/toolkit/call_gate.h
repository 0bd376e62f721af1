#pragma once
// Calls from other threads into an object that the UI thread may destroy
// first. The owner closes the gate before the object goes: Close waits for a
// call in progress, and a call after it does nothing. Shared by the owner and
// the callers, so the gate itself outlives both.

#include <mutex>

class TCallGate {
 public:
  // False, with nothing called, once the gate is closed.
  template <typename F>
  bool Call(F&& f) {
    std::lock_guard lock(lock_);
    if (!open_) return false;
    f();
    return true;
  }
  void Close() {
    std::lock_guard lock(lock_);
    open_ = false;
  }

 private:
  std::mutex lock_;
  bool open_ = true;
};
