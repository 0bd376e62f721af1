#include "upload/socket/deadline.h"

#include "upload/socket/exceptions.h"

TNetDeadline TNetDeadline::In(int milliseconds) {
  TNetDeadline deadline;
  if (milliseconds > 0) {
    deadline.set_ = true;
    deadline.end_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  }
  return deadline;
}

TNetDeadline::Wait TNetDeadline::Limit(int idleMs) const {
  if (!set_) return {idleMs > 0 ? idleMs : -1, false};
  auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now()).count();
  if (left <= 0) RaiseExpired();
  if (idleMs > 0 && idleMs <= left) return {idleMs, false};
  return {static_cast<int>(left), true};
}

void TNetDeadline::RaiseExpired() { throw ENetExchangeTimeout("Exchange timed out."); }
