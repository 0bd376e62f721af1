#pragma once
// When the start-up asks the service for its version again: only while the
// service cannot be reached at all, as at logon before the network is up. A
// failure in the service's own answer would only come again.

#include <chrono>
#include <optional>

#include "upload/socket/exceptions.h"
#include "upload/http/http_client.h"

// True for a failure before the service said anything: no address for its
// name, no route, a connect refused or timed out, a connection reset or
// closed before the first byte of a reply, a proxy that cannot be reached or
// cannot reach the service. stage is how far the exchange got.
bool ServiceNotReached(const ENetException& failure, TNetExchangeStage stage);

// Pauses of 1, 2, 4 and 8 s, then 15 s, with no attempt begun later than a
// minute after the first: a network that joins within seconds costs a second
// or two, a late one at most 15 s, and a real outage is told after a minute.
class TRetrySchedule {
 public:
  static constexpr std::chrono::milliseconds kWindow{60000};
  static constexpr std::chrono::milliseconds kFirstPause{1000};
  static constexpr std::chrono::milliseconds kLongestPause{15000};

  // The pause before the next attempt, given the time since the first one
  // began; none when that attempt would begin after the window.
  std::optional<std::chrono::milliseconds> NextPause(std::chrono::milliseconds sinceFirst);

 private:
  std::chrono::milliseconds pause_ = kFirstPause;
};
