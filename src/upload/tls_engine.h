#pragma once
// The system's TLS library behind TNetTLSStream, one engine a connection:
// OpenSSL in tls_openssl.cpp, Schannel in tls_schannel.cpp.

#include <cstddef>
#include <memory>
#include <string>

#include "upload/net_connection.h"
#include "upload/net_deadline.h"

class TTLSEngine {
 public:
  virtual ~TTLSEngine() = default;
  virtual TNetConnection& Transport() = 0;
  virtual void SendAll(const char* data, std::size_t size) = 0;
  virtual std::size_t ReceiveSome(char* buffer, std::size_t capacity) = 0;
  // The server has sent its close_notify.
  virtual bool ClosedCleanly() const noexcept = 0;
};

// Runs the handshake with host over the transport and checks the server's
// certificate; see TNetTLSStream.
std::unique_ptr<TTLSEngine> StartTLSEngine(std::unique_ptr<TNetConnection> transport, const std::string& host,
                                           int idleMs, TNetDeadline deadline);
