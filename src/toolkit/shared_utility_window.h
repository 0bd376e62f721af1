#pragma once
// A hidden utility window shared by several users in the process: the first
// user's AddRef creates it, the last user's Release destroys it. UI thread only.

#include <memory>

#include "toolkit/utility_window.h"

class TSharedUtilityWindow {
 public:
  explicit TSharedUtilityWindow(TUtilityWindow::Routine routine) : routine_(std::move(routine)) {}

  void AddRef() {
    if (refCount_++ == 0) window_ = std::make_unique<TUtilityWindow>(routine_);
  }
  // Never below zero.
  void Release() {
    if (refCount_ > 0 && --refCount_ == 0) window_.reset();
  }
  // 0 while nobody uses it.
  HWND Window() const { return window_ ? window_->Handle() : nullptr; }
  int RefCount() const { return refCount_; }

 private:
  TUtilityWindow::Routine routine_;
  int refCount_ = 0;
  std::unique_ptr<TUtilityWindow> window_;
};
