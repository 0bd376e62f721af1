#include "toolkit/ui_timer.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = std::make_unique<TUtilityWindow>([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
    // Anyone may post WM_TIMER to the window: only our own timer's tick counts.
    if (wParam == kTimerId && OnTimer) OnTimer(this);
    return LRESULT{0};
  });
  Update();
}

TTimer::~TTimer() {
  if (window_) KillTimer(window_->Handle(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;  // a running timer keeps its rhythm
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(unsigned milliseconds) {
  interval_ = milliseconds;
  Update();
}

void TTimer::Update() {
  KillTimer(window_->Handle(), kTimerId);
  if (enabled_ && interval_ != 0) SetTimer(window_->Handle(), kTimerId, interval_, nullptr);
}
