#include "tray/simple_timer.h"

#include <memory>

#include "toolkit/utility_window.h"

namespace {

struct TimerWindowState {
  int refCount = 0;
  std::unique_ptr<TUtilityWindow> window;
};

TimerWindowState& State() {
  static TimerWindowState state;
  return state;
}

}  // namespace

void TSimpleTimerHandler::AddRef() {
  TimerWindowState& state = State();
  if (state.refCount++ > 0) return;
  state.window =
      std::make_unique<TUtilityWindow>([](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        // The event id is the timer itself.
        if (message == WM_TIMER && wParam != 0) {
          reinterpret_cast<TSimpleTimer*>(wParam)->Tick();
          return LRESULT{0};
        }
        return DefWindowProcA(window, message, wParam, lParam);
      });
}

void TSimpleTimerHandler::Release() {
  TimerWindowState& state = State();
  if (state.refCount == 0) return;
  if (--state.refCount == 0) state.window.reset();
}

HWND TSimpleTimerHandler::Window() {
  TimerWindowState& state = State();
  return state.window ? state.window->Handle() : nullptr;
}

int TSimpleTimerHandler::RefCount() { return State().refCount; }

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
