// The TLS client against a server whose every byte comes from the fuzzer,
// through the same stream the HTTP client uses: whatever arrives, the stream
// ends with an ENetException or the server's close, having asked for no more
// than the bytes given, and without a fault. The first byte chooses how the
// bytes are split into socket reads; the rest also goes through the judge of
// a failed handshake's first bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "upload/socket/exceptions.h"
#include "upload/tls/tls_stream.h"
#include "upload/tls/failures.h"

namespace {

class FuzzedServer : public TNetConnection {
 public:
  FuzzedServer(const std::uint8_t* data, std::size_t size, std::size_t piece)
      : data_(data), size_(size), piece_(piece) {}
  void SetDeadline(TNetDeadline) noexcept override {}
  void SendAll(const char*, std::size_t) override {}
  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override {
    if (closed_) std::abort();  // nobody reads on after the close
    std::size_t n = std::min({capacity, piece_, size_ - at_});
    std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    closed_ = n == 0;
    return n;
  }
  bool IsOpen() const noexcept override { return true; }
  void Close() noexcept override {}

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t piece_;
  std::size_t at_ = 0;
  bool closed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t pieces[] = {1, 5, 7, 1024, 1u << 20};
  std::size_t piece = pieces[data[0] % 5];
  TTLSFailure failure;
  std::string detail;
  JudgeServerFirstBytes(data + 1, size - 1, failure, detail);
  try {
    TNetTLSStream stream(std::make_unique<FuzzedServer>(data + 1, size - 1, piece), "localhost", 0,
                         TNetDeadline());
    char reply[4096];
    while (stream.ReceiveSome(reply, sizeof reply) > 0) {
    }
  } catch (const ENetException&) {
    // Every failure of a hostile server is one of ours.
  }
  return 0;
}
