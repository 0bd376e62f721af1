#include "app/version_retry.h"

#include <algorithm>
#include <iterator>

namespace {

// Windows Sockets numbers; the POSIX layer reports the same ones.
constexpr int kNoServiceWhileConnecting[] = {
    10049,                       // no local address yet: the interface is still coming up
    10050, 10051, 10064, 10065,  // network down or unreachable, host down, no route
    10052, 10053, 10054,         // the handshake dropped, aborted or reset
    10060, 10061,                // no answer to the connect, or nothing listening yet
    11001, 11002, 11003, 11004,  // the name lookup found nothing or had no server to ask
};
constexpr int kNoServiceBeforeReply[] = {10052, 10053, 10054};

template <typename Codes>
bool SocketErrorIn(const ENetException& failure, const Codes& codes) {
  const auto* socketError = dynamic_cast<const ENetSocketError*>(&failure);
  return socketError != nullptr &&
         std::find(std::begin(codes), std::end(codes), socketError->LastError()) != std::end(codes);
}

template <typename Kind>
bool Is(const ENetException& failure) {
  return dynamic_cast<const Kind*>(&failure) != nullptr;
}

}  // namespace

bool ServiceNotReached(const ENetException& failure, TNetExchangeStage stage) {
  // A proxy on the way says for itself whether the service was reached.
  if (const auto* proxy = dynamic_cast<const ENetProxyError*>(&failure)) return proxy->ServiceNotReached();
  switch (stage) {
    case TNetExchangeStage::NotConnected:
      // The whole exchange's limit may run out in the connect as well.
      return Is<ENetConnectTimeout>(failure) || Is<ENetExchangeTimeout>(failure) ||
             SocketErrorIn(failure, kNoServiceWhileConnecting);
    case TNetExchangeStage::Connected:
      return Is<ENetConnClosedGracefully>(failure) || SocketErrorIn(failure, kNoServiceBeforeReply);
    case TNetExchangeStage::Answered:
      break;
  }
  return false;
}

std::optional<std::chrono::milliseconds> TRetrySchedule::NextPause(std::chrono::milliseconds sinceFirst) {
  std::chrono::milliseconds pause = pause_;
  if (sinceFirst + pause > kWindow) return std::nullopt;
  pause_ = std::min(pause_ * 2, kLongestPause);
  return pause;
}
