#pragma once
// The seam between the HTTP client and the platform's sockets: the
// process-wide sockets library and one blocking IPv4 TCP connection.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// The sockets library is shared by the whole process. Each live network
// component holds one use; the first use loads and starts the library (once
// per process), the count is guarded by a lock of its own.
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

// Where the reply reader gets its bytes from; a socket, or memory in tests.
class TNetByteSource {
 public:
  virtual ~TNetByteSource() = default;
  // Up to capacity bytes; 0 when the peer has closed the connection.
  virtual std::size_t ReceiveSome(char* buffer, std::size_t capacity) = 0;
};

// When a whole exchange must be over, so that a peer that trickles bytes
// cannot hold a thread however often it renews the idle limit.
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

// A dotted IPv4 address in host byte order, or false for anything else.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

class TNetSocket : public TNetByteSource {
 public:
  TNetSocket();
  ~TNetSocket() override;
  TNetSocket(const TNetSocket&) = delete;
  TNetSocket& operator=(const TNetSocket&) = delete;

  // "localhost" in any case is 127.0.0.1 without a lookup; a dotted address is
  // taken as it is; any other name is looked up, first IPv4 address wins.
  // The result is in host byte order.
  static std::uint32_t ResolveIPv4(const std::string& host);

  // Bounds every later wait, the connect's included, besides its own limit.
  void SetDeadline(TNetDeadline deadline) noexcept { deadline_ = deadline; }
  // Connect bounded by connectTimeoutMs (0: the system's own limit).
  // readTimeoutMs bounds every later wait for data or for send room (0: none):
  // it measures time without progress, renewed by every byte that moves.
  void Connect(std::uint32_t address, std::uint16_t port, bool useNagle, int connectTimeoutMs,
               int readTimeoutMs);
  void SendAll(const char* data, std::size_t size);
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override;
  bool IsOpen() const noexcept;
  // Shuts the sending direction down and closes the handle.
  void Close() noexcept;

 private:
  // The system's name lookup, for names that are neither "localhost" nor dotted.
  static std::uint32_t LookUpIPv4(const std::string& host);

  TNetSocketLayerUse layer_;
  std::intptr_t handle_;
  int readTimeoutMs_ = 0;
  TNetDeadline deadline_;
};
