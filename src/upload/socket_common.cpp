#include "upload/socket_layer.h"

#include <mutex>

#include "upload/net_exceptions.h"
#include "upload/net_header_list.h"

namespace {
std::mutex layerLock;
int layerUses = 0;
}  // namespace

void TNetSocketLayer::Acquire() {
  std::lock_guard<std::mutex> guard(layerLock);
  StartPlatformSockets();
  ++layerUses;
}

void TNetSocketLayer::Release() noexcept {
  std::lock_guard<std::mutex> guard(layerLock);
  --layerUses;
}

int TNetSocketLayer::UseCount() noexcept {
  std::lock_guard<std::mutex> guard(layerLock);
  return layerUses;
}

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

std::uint32_t TNetSocket::ResolveIPv4(const std::string& host) {
  if (SameTextIgnoringCase(host, "localhost")) return 0x7F000001u;
  std::uint32_t address = 0;
  if (ParseDottedIPv4(host, address)) return address;
  return LookUpIPv4(host);
}
