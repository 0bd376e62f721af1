#pragma once
// TLS over a connection, with the system's own library: Schannel on Windows,
// OpenSSL elsewhere. The server is checked as a browser checks it: a chain to
// a root the system trusts, the host name among the certificate's names, TLS
// 1.2 at least (1.3 where the system has it), the name sent as SNI. Nothing
// turns the checks off.
//
// Every byte moves through the transport, so the handshake and every record
// read fall under its idle limit and deadline; the buffers hold at most a
// record or a handshake step, whatever the peer sends.

#include <cstddef>
#include <memory>
#include <string>

#include "upload/socket/connection.h"
#include "upload/socket/deadline.h"

class TNetTLSStream : public TNetConnection {
 public:
  // The largest TLS record on the wire: a 5-byte head and 2^14 bytes of
  // content with 2048 bytes of expansion at most.
  static constexpr std::size_t kMaxRecordSize = 5 + 16384 + 2048;

  // Runs the handshake with host over the transport and checks the server's
  // certificate. idleMs and deadline are the transport's (they bound the
  // system's revocation look-ups as well). Raises ENetTLSError, or what the
  // transport raises.
  TNetTLSStream(std::unique_ptr<TNetConnection> transport, const std::string& host, int idleMs,
                TNetDeadline deadline);
  ~TNetTLSStream() override;
  TNetTLSStream(const TNetTLSStream&) = delete;
  TNetTLSStream& operator=(const TNetTLSStream&) = delete;

  void SetDeadline(TNetDeadline deadline) noexcept override;
  void SendAll(const char* data, std::size_t size) override;
  // 0 at the server's close_notify, and at a close without one.
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override;
  // True after the server's close_notify only: a bare TCP close can come from
  // anyone on the path, at any record boundary.
  bool EndWasClean() const noexcept override;
  bool IsOpen() const noexcept override;
  // Closes the transport. No close_notify: the request carries its length,
  // and a send here could wait on the peer.
  void Close() noexcept override;

 private:
  std::unique_ptr<class TTLSEngine> engine_;
};

// The system's TLS library behind TNetTLSStream, one engine a connection:
// OpenSSL in openssl_engine.cpp, Schannel in schannel_engine.cpp.
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
