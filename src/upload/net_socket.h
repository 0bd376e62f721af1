#pragma once
// The seam between the HTTP client and the platform's sockets: one
// non-blocking IPv4 TCP connection whose every wait is bounded.

#include <cstddef>
#include <cstdint>
#include <string>

#include "upload/net_connection.h"
#include "upload/net_deadline.h"
#include "upload/socket_layer.h"

// A dotted IPv4 address in host byte order, or false for anything else.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

class TNetSocket : public TNetConnection {
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
  void SetDeadline(TNetDeadline deadline) noexcept override { deadline_ = deadline; }
  // Connect bounded by connectTimeoutMs (0: the system's own limit).
  // readTimeoutMs bounds every later wait for data or for send room (0: none):
  // it measures time without progress, renewed by every byte that moves.
  void Connect(std::uint32_t address, std::uint16_t port, bool useNagle, int connectTimeoutMs,
               int readTimeoutMs);
  void SendAll(const char* data, std::size_t size) override;
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override;
  bool IsOpen() const noexcept override;
  // Shuts the sending direction down and closes the handle.
  void Close() noexcept override;

 private:
  // The system's name lookup, for names that are neither "localhost" nor dotted.
  static std::uint32_t LookUpIPv4(const std::string& host);

  TNetSocketLayerUse layer_;
  std::intptr_t handle_;
  int readTimeoutMs_ = 0;
  TNetDeadline deadline_;
};
