// Happy Eyeballs over the platform's non-blocking connects: no address
// that never answers holds the connection up for longer than one attempt
// delay while a later one serves.

#include <algorithm>
#include <chrono>

#include "upload/socket/exceptions.h"
#include "upload/socket/socket.h"

namespace {

using TClock = std::chrono::steady_clock;

// Far more addresses than any service has: each attempt holds a socket.
constexpr std::size_t kMostAttempts = 16;

// Why an address failed: a socket error number, or kGaveUp.
constexpr int kGaveUp = -1;

int MillisecondsUntil(TClock::time_point when) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(when - TClock::now()).count();
  return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

}  // namespace

void TNetSocket::Connect(const std::vector<TNetAddress>& addresses, bool useNagle, int connectTimeoutMs,
                         int readTimeoutMs) {
  Close();
  readTimeoutMs_ = readTimeoutMs;
  const std::size_t count = std::min(addresses.size(), kMostAttempts);
  if (count == 0) RaiseSocketError(kSocketHostNotFound);
  std::vector<int> failures(count, 0);
  std::vector<std::intptr_t> handles;    // the attempts under way
  std::vector<std::size_t> indexes;      // which address each one is for
  std::vector<TClock::time_point> ends;  // when each one is given up
  auto drop = [&](std::size_t at, int failure) {
    failures[indexes[at]] = failure;
    CloseHandle(handles[at]);
    handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(at));
    indexes.erase(indexes.begin() + static_cast<std::ptrdiff_t>(at));
    ends.erase(ends.begin() + static_cast<std::ptrdiff_t>(at));
  };
  auto win = [&](std::size_t at) {
    handle_ = handles[at];
    handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::intptr_t other : handles) CloseHandle(other);
  };
  try {
    std::size_t next = 0;
    TClock::time_point nextStart = TClock::now();
    for (;;) {
      if (next < count && TClock::now() >= nextStart) {
        std::size_t index = next++;
        bool connected = false;
        std::intptr_t handle = -1;
        try {
          handle = BeginConnect(addresses[index], useNagle, connected);
        } catch (const ENetSocketError& e) {
          failures[index] = e.LastError();
          nextStart = TClock::now();
          continue;
        }
        handles.push_back(handle);
        indexes.push_back(index);
        const auto now = TClock::now();
        ends.push_back(connectTimeoutMs > 0 ? now + std::chrono::milliseconds(connectTimeoutMs)
                                            : TClock::time_point::max());
        if (connected) return win(handles.size() - 1);
        nextStart = now + std::chrono::milliseconds(kNextAttemptDelay);
      }
      if (handles.empty() && next >= count) break;
      if (handles.empty()) continue;

      TClock::time_point wake = *std::min_element(ends.begin(), ends.end());
      if (next < count) wake = std::min(wake, nextStart);
      int ms = wake == TClock::time_point::max() ? -1 : MillisecondsUntil(wake);
      int left = deadline_.WaitLimit(-1);  // raises once the deadline has passed
      int error = 0;
      int finished = AwaitConnect(handles, ms < 0 ? left : left < 0 ? ms : std::min(ms, left), error);
      if (finished >= 0) {
        if (error == 0) return win(static_cast<std::size_t>(finished));
        drop(static_cast<std::size_t>(finished), error);
        nextStart = TClock::now();  // a failure starts the next attempt at once
        continue;
      }
      for (std::size_t at = handles.size(); at-- > 0;)
        if (TClock::now() >= ends[at]) {
          drop(at, kGaveUp);
          nextStart = TClock::now();
        }
    }
  } catch (...) {
    for (std::intptr_t handle : handles) CloseHandle(handle);
    throw;
  }
  if (failures[0] == kGaveUp) throw ENetConnectTimeout("Connect timed out.");
  RaiseSocketError(failures[0]);
}
