#pragma once
// The seam between the HTTP client and the platform's sockets: one
// non-blocking TCP connection, IPv4 or IPv6, whose every wait is bounded.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "upload/socket/connection.h"
#include "upload/socket/deadline.h"
#include "upload/socket/socket_layer.h"

// One address to connect to, bytes in network order.
struct TNetAddress {
  bool IPv6 = false;
  std::array<std::uint8_t, 16> Bytes{};  // an IPv4 address in the first four
  std::uint16_t Port = 0;

  static TNetAddress IPv4(std::uint32_t hostOrder, std::uint16_t port);
};

// A dotted IPv4 address in host byte order, or false for anything else.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

class TNetSocket : public TNetConnection {
 public:
  // RFC 8305's "Connection Attempt Delay": the next address is tried this
  // long after the previous one unless that one has connected or failed.
  static constexpr int kNextAttemptDelay = 250;

  TNetSocket();
  ~TNetSocket() override;
  TNetSocket(const TNetSocket&) = delete;
  TNetSocket& operator=(const TNetSocket&) = delete;

  // Every address of host, in the order the system sorts them. "localhost" in
  // any case is 127.0.0.1 and a dotted or an IPv6 address (brackets allowed)
  // is itself, all without a lookup. Any other name is looked up in both
  // families on a thread of its own that limitMs (0: none) and the deadline
  // abandon: running out raises ENetConnectTimeout or ENetExchangeTimeout.
  static std::vector<TNetAddress> Resolve(const std::string& host, std::uint16_t port, int limitMs,
                                          TNetDeadline deadline);

  // Bounds every later wait, the connect's included, besides its own limit.
  void SetDeadline(TNetDeadline deadline) noexcept override { deadline_ = deadline; }
  // Happy Eyeballs (RFC 8305): the addresses in their order, each begun
  // kNextAttemptDelay after the one before unless that one failed first; the
  // first to connect wins and the others are closed. Each attempt is given
  // up connectTimeoutMs after it began (0: the system's own limit). When all
  // fail, the first address's failure is raised.
  // readTimeoutMs bounds every later wait for data or for send room (0: none):
  // it measures time without progress, renewed by every byte that moves.
  void Connect(const std::vector<TNetAddress>& addresses, bool useNagle, int connectTimeoutMs,
               int readTimeoutMs);
  void SendAll(const char* data, std::size_t size) override;
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override;
  bool IsOpen() const noexcept override;
  // Shuts the sending direction down and closes the handle.
  void Close() noexcept override;

 private:
  // The platform's part (socket_posix.cpp, socket_winsock.cpp).
  // getaddrinfo for both families; raises the socket error of a failed lookup.
  static std::vector<TNetAddress> LookUp(const std::string& host, std::uint16_t port, bool numericOnly);
  // A non-blocking socket for the address with its connect begun; connected
  // is set when it completed at once. Raises when the connect failed at once.
  static std::intptr_t BeginConnect(const TNetAddress& address, bool useNagle, bool& connected);
  // Waits up to ms (-1: no limit) for one of the attempts to finish: its
  // index and its socket error (0: connected), or -1 when none did.
  static int AwaitConnect(const std::vector<std::intptr_t>& attempts, int ms, int& error);
  static void CloseHandle(std::intptr_t handle) noexcept;

  TNetSocketLayerUse layer_;
  std::intptr_t handle_;
  int readTimeoutMs_ = 0;
  TNetDeadline deadline_;
};
