#pragma once
// One connection as the HTTP client uses it: a plain socket, or a TLS stream
// over one. The bytes the client sends and reads are the same either way.

#include <cstddef>

#include "upload/net_byte_source.h"
#include "upload/net_deadline.h"

class TNetConnection : public TNetByteSource {
 public:
  // Bounds every later wait besides the idle limit.
  virtual void SetDeadline(TNetDeadline deadline) noexcept = 0;
  virtual void SendAll(const char* data, std::size_t size) = 0;
  virtual bool IsOpen() const noexcept = 0;
  // Lets go of the connection; never raises.
  virtual void Close() noexcept = 0;
};
