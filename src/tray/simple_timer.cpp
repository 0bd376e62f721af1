#include "tray/simple_timer.h"

#include "toolkit/shared_utility_window.h"
#include "tray/live_object_ids.h"

namespace {

TLiveObjectIds<TSimpleTimer, UINT_PTR>& Timers() {
  static TLiveObjectIds<TSimpleTimer, UINT_PTR> timers;
  return timers;
}

LRESULT TimerWindowRoutine(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    // Any program may post WM_TIMER here: only a running timer of ours ticks.
    if (TSimpleTimer* timer = Timers().Find(wParam); timer != nullptr && timer->Running()) timer->Tick();
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
UINT_PTR TSimpleTimerHandler::Register(TSimpleTimer* timer) { return Timers().Add(timer); }
void TSimpleTimerHandler::Forget(UINT_PTR id) { Timers().Remove(id); }

TSimpleTimer::TSimpleTimer(unsigned intervalMs, TickHandler onTick)
    : id_(TSimpleTimerHandler::Register(this)), interval_(intervalMs), onTick_(std::move(onTick)) {
  TSimpleTimerHandler::AddRef();
}

TSimpleTimer::~TSimpleTimer() {
  Stop();
  TSimpleTimerHandler::Forget(id_);
  TSimpleTimerHandler::Release();
}

bool TSimpleTimer::Start() {
  if (interval_ == 0) return false;
  if (running_) Stop();
  running_ = SetTimer(TSimpleTimerHandler::Window(), id_, interval_, nullptr) != 0;
  return running_;
}

void TSimpleTimer::Stop() {
  if (!running_) return;
  KillTimer(TSimpleTimerHandler::Window(), id_);
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
