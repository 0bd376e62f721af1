#pragma once
// One connection as the HTTP client uses it: a plain socket, or a TLS stream
// over one. The bytes the client sends and reads are the same either way.

#include <cstddef>

#include "upload/socket/deadline.h"

// Where the reply reader gets its bytes from: a connection, or memory in
// tests and fuzzers.
class TNetByteSource {
 public:
  virtual ~TNetByteSource() = default;
  // Up to capacity bytes; 0 when the peer has closed the connection.
  virtual std::size_t ReceiveSome(char* buffer, std::size_t capacity) = 0;
  // Whether the end that ReceiveSome reported was the peer's own. A plain TCP
  // close is all there is to tell; a secured stream knows the server's signed
  // close from one that anyone on the path could have made.
  virtual bool EndWasClean() const noexcept { return true; }
};

class TNetConnection : public TNetByteSource {
 public:
  // Bounds every later wait besides the idle limit.
  virtual void SetDeadline(TNetDeadline deadline) noexcept = 0;
  virtual void SendAll(const char* data, std::size_t size) = 0;
  virtual bool IsOpen() const noexcept = 0;
  // Lets go of the connection; never raises.
  virtual void Close() noexcept = 0;
};
