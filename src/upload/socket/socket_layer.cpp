#include "upload/socket/socket_layer.h"

#include <mutex>

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
