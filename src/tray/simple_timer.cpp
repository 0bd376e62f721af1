#include "tray/simple_timer.h"

#include "toolkit/shared_utility_window.h"

namespace {

LRESULT TimerWindowRoutine(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The event id is the timer itself.
  if (message == WM_TIMER && wParam != 0) {
    reinterpret_cast<TSimpleTimer*>(wParam)->Tick();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TSharedUtilityWindow& TimerWindow() {
  static TSharedUtilityWindow window(TimerWindowRoutine);
  return window;
}

}  // namespace

void TSimpleTimerHandler::AddRef() { TimerWindow().AddRef(); }
void TSimpleTimerHandler::Release() { TimerWindow().Release(); }
HWND TSimpleTimerHandler::Window() { return TimerWindow().Window(); }
int TSimpleTimerHandler::RefCount() { return TimerWindow().RefCount(); }

TSimpleTimer::TSimpleTimer(unsigned intervalMs, TickHandler onTick)
    : interval_(intervalMs), onTick_(std::move(onTick)) {
  TSimpleTimerHandler::AddRef();
}

TSimpleTimer::~TSimpleTimer() {
  Stop();
  TSimpleTimerHandler::Release();
}

bool TSimpleTimer::Start() {
  if (interval_ == 0) return false;
  if (running_) Stop();
  running_ =
      SetTimer(TSimpleTimerHandler::Window(), reinterpret_cast<UINT_PTR>(this), interval_, nullptr) != 0;
  return running_;
}

void TSimpleTimer::Stop() {
  if (!running_) return;
  KillTimer(TSimpleTimerHandler::Window(), reinterpret_cast<UINT_PTR>(this));
  running_ = false;
}

void TSimpleTimer::SetInterval(unsigned intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  if (!running_) return;
  if (interval_ == 0)
    Stop();
  else
    Start();
}

void TSimpleTimer::Tick() {
  if (onTick_) onTick_(this);
}
