#pragma once
// Where the reply reader gets its bytes from: a connection, or memory in
// tests and fuzzers.

#include <cstddef>

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
