#pragma once
// The readable stream that a POST sends as its body: it reports its size
// (seek to the end) and can be rewound (seek to the start with offset 0).

#include <cstddef>
#include <cstdint>

#include "upload/socket/exceptions.h"

class TNetBaseStream {
 public:
  enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

  virtual ~TNetBaseStream() = default;
  // Number of bytes placed, 0 at the end.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  // Body sources are read-only: both raise ENetException "Unsupported operation.".
  virtual std::size_t Write(const void*, std::size_t) { throw ENetException("Unsupported operation."); }
  virtual void SetSize(std::int64_t) { throw ENetException("Unsupported operation."); }
};
