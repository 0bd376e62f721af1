#pragma once
// A peer's bytes from memory, handed to the reply reader in pieces of a
// chosen size, for the parser's tests and its fuzzer.

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "upload/socket/connection.h"

class TMemoryByteSource : public TNetByteSource {
 public:
  // The bytes must outlive the source.
  TMemoryByteSource(std::string_view bytes, std::size_t piece, bool cleanEnd = true)
      : bytes_(bytes), piece_(piece), cleanEnd_(cleanEnd) {}
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override {
    if (closeReported_) std::abort();  // the reader must not ask again after the close
    std::size_t n = std::min({capacity, piece_, bytes_.size() - at_});
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    closeReported_ = n == 0;
    return n;
  }
  bool EndWasClean() const noexcept override { return cleanEnd_; }

 private:
  std::string_view bytes_;
  std::size_t piece_;
  bool cleanEnd_;
  std::size_t at_ = 0;
  bool closeReported_ = false;
};
