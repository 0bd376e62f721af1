#include "upload/tls/tls_stream.h"

TNetTLSStream::TNetTLSStream(std::unique_ptr<TNetConnection> transport, const std::string& host, int idleMs,
                             TNetDeadline deadline)
    : engine_(StartTLSEngine(std::move(transport), host, idleMs, deadline)) {}

TNetTLSStream::~TNetTLSStream() = default;

void TNetTLSStream::SetDeadline(TNetDeadline deadline) noexcept {
  engine_->Transport().SetDeadline(deadline);
}

void TNetTLSStream::SendAll(const char* data, std::size_t size) { engine_->SendAll(data, size); }

std::size_t TNetTLSStream::ReceiveSome(char* buffer, std::size_t capacity) {
  return engine_->ReceiveSome(buffer, capacity);
}

bool TNetTLSStream::EndWasClean() const noexcept { return engine_->ClosedCleanly(); }

bool TNetTLSStream::IsOpen() const noexcept { return engine_->Transport().IsOpen(); }

void TNetTLSStream::Close() noexcept { engine_->Transport().Close(); }
