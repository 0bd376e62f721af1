#pragma once
// When a whole exchange must be over, so that a peer that trickles bytes
// cannot hold a thread however often it renews the idle limit.

#include <chrono>

class TNetDeadline {
 public:
  // No deadline.
  TNetDeadline() = default;
  // milliseconds <= 0: no deadline.
  static TNetDeadline In(int milliseconds);

  // One wait, for as long as the idle limit (0: none) and the time left both
  // allow: waitFor(milliseconds, -1 for no limit) says whether the socket got
  // ready. Raises ENetExchangeTimeout once the deadline has passed, and calls
  // raiseIdle when the idle limit ran out first.
  // The longest one wait may take by the idle limit and the time left: -1 for
  // no limit. Raises ENetExchangeTimeout once the deadline has passed.
  int WaitLimit(int idleMs) const { return Limit(idleMs).milliseconds; }

  template <typename WaitFor, typename RaiseIdle>
  void Await(int idleMs, WaitFor waitFor, RaiseIdle raiseIdle) const {
    Wait wait = Limit(idleMs);
    if (waitFor(wait.milliseconds)) return;
    if (wait.byDeadline) RaiseExpired();
    raiseIdle();
  }

 private:
  struct Wait {
    int milliseconds;  // -1: no limit
    bool byDeadline;   // running out means the deadline has passed
  };
  Wait Limit(int idleMs) const;
  [[noreturn]] static void RaiseExpired();

  bool set_ = false;
  std::chrono::steady_clock::time_point end_{};
};
