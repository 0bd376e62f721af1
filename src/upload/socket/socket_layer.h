#pragma once
// The process-wide sockets library. Each live network component holds one
// use; the first use loads and starts the library (once per process), the
// count is guarded by a lock of its own.

class TNetSocketLayer {
 public:
  // Raises ENetWinsockStubError or ENetStackInitializationFailed on Windows.
  static void Acquire();
  static void Release() noexcept;
  static int UseCount() noexcept;

 private:
  // Called under the layer's lock on every acquire: starts the platform's
  // sockets once per process where that is needed.
  static void StartPlatformSockets();
};

class TNetSocketLayerUse {
 public:
  TNetSocketLayerUse() { TNetSocketLayer::Acquire(); }
  ~TNetSocketLayerUse() { TNetSocketLayer::Release(); }
  TNetSocketLayerUse(const TNetSocketLayerUse&) = delete;
  TNetSocketLayerUse& operator=(const TNetSocketLayerUse&) = delete;
};
