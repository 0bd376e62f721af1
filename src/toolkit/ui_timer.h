#pragma once
// A UI timer: ticks on the UI thread whenever messages are processed,
// including inside modal message boxes.

#include <functional>
#include <memory>

#include "toolkit/component.h"
#include "toolkit/utility_window.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetInterval(unsigned milliseconds);
  unsigned Interval() const { return interval_; }

  std::function<void(TTimer*)> OnTimer;

 private:
  void Update();

  bool enabled_ = true;
  unsigned interval_ = 1000;
  std::unique_ptr<TUtilityWindow> window_;
};
