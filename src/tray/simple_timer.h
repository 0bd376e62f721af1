#pragma once
// Window-message timers that share one hidden window per process. The window
// lives from the first timer's construction to the last one's destruction.

#include <functional>

#include <windows.h>

class TSimpleTimer {
 public:
  using TickHandler = std::function<void(TSimpleTimer*)>;

  TSimpleTimer(unsigned intervalMs, TickHandler onTick);
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  // False, and nothing happens, for interval 0.
  bool Start();
  void Stop();
  bool Running() const { return running_; }
  unsigned Interval() const { return interval_; }
  // The event id of its WM_TIMER messages.
  UINT_PTR Id() const { return id_; }
  // A running timer restarts with the new interval; 0 stops its ticks.
  void SetInterval(unsigned intervalMs);

  // Called by the shared window on WM_TIMER.
  void Tick();

 private:
  UINT_PTR id_;
  unsigned interval_;
  bool running_ = false;
  TickHandler onTick_;
};

class TSimpleTimerHandler {
 public:
  static void AddRef();
  static void Release();
  static HWND Window();
  static int RefCount();

  // The event id of a live timer, not derived from its address; Forget it
  // when the timer goes.
  static UINT_PTR Register(TSimpleTimer* timer);
  static void Forget(UINT_PTR id);
};
