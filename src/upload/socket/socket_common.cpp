#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "upload/socket/exceptions.h"
#include "upload/socket/socket.h"
#include "toolkit/text.h"

namespace {

// One lookup on a thread of its own, shared with it: a caller that gives up
// leaves the thread to finish and free this by itself.
struct TLookup {
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;
  std::vector<TNetAddress> addresses;
  std::exception_ptr failure;
};

}  // namespace

TNetAddress TNetAddress::IPv4(std::uint32_t hostOrder, std::uint16_t port) {
  TNetAddress address;
  for (int i = 0; i < 4; ++i) address.Bytes[i] = static_cast<std::uint8_t>(hostOrder >> (24 - 8 * i));
  address.Port = port;
  return address;
}

bool ParseDottedIPv4(const std::string& text, std::uint32_t& address) {
  std::uint32_t result = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    std::uint32_t part = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      part = part * 10 + static_cast<std::uint32_t>(text[i] - '0');
      if (++digits > 3 || part > 255) return false;
      ++i;
    }
    result = (result << 8) | part;
    ++parts;
    if (parts < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  if (i != text.size()) return false;
  address = result;
  return true;
}

std::vector<TNetAddress> TNetSocket::Resolve(const std::string& host, std::uint16_t port, int limitMs,
                                             TNetDeadline deadline) {
  if (SameTextIgnoringCase(host, "localhost")) return {TNetAddress::IPv4(0x7F000001u, port)};
  std::uint32_t dotted = 0;
  if (ParseDottedIPv4(host, dotted)) return {TNetAddress::IPv4(dotted, port)};
  if (host.find(':') != std::string::npos) {
    bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
    return LookUp(bracketed ? host.substr(1, host.size() - 2) : host, port, true);
  }

  // The system's resolver keeps its own time; the exchange's bounds abandon it.
  auto lookup = std::make_shared<TLookup>();
  std::thread([lookup, host, port] {
    std::vector<TNetAddress> found;
    std::exception_ptr failure;
    try {
      found = LookUp(host, port, false);
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard<std::mutex> guard(lookup->lock);
    lookup->addresses = std::move(found);
    // Handed over whole: the exception is then freed by the thread that
    // reads it, or by this one when no one waits any more.
    lookup->failure = std::move(failure);
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> guard(lookup->lock);
  deadline.Await(
      limitMs,
      [&](int ms) {
        if (ms < 0) lookup->done.wait(guard, [&] { return lookup->finished; });
        return lookup->done.wait_for(guard, std::chrono::milliseconds(ms), [&] { return lookup->finished; });
      },
      [] { throw ENetConnectTimeout("Host lookup timed out."); });
  if (lookup->failure) std::rethrow_exception(std::exchange(lookup->failure, nullptr));
  return std::move(lookup->addresses);
}
