// TLS with Schannel, the system's own on Windows, through SSPI. Schannel works
// on buffers only; this file moves their bytes through the transport, so every
// wait is the transport's, and the buffers are of fixed size.

#define SCHANNEL_USE_BLACKLISTS
#include "upload/tls/schannel_library.h"

#include <subauth.h>
#include <schannel.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "toolkit/text.h"
#include "upload/tls/tls_stream.h"
#include "upload/tls/failures.h"

namespace {

// The server is judged here (certificate_check.cpp), the same way on every
// Windows and under Wine; no client certificate is offered, and no weak
// algorithm is taken on older systems either.
constexpr DWORD kCredentialFlags =
    SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr DWORD kOlderThanTls12 =
    SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
// The content type of a TLS alert record.
constexpr char kAlertRecord = 21;
// Records encrypted into one send.
constexpr std::size_t kRecordsPerSend = 4;
// Handshake calls in a row without a read: each takes in bytes already here,
// so a few suffice; more means Schannel is going round in a circle.
constexpr int kMaxStepsWithoutRead = 8;

[[noreturn]] void RaiseStatus(SECURITY_STATUS status, TTLSFailure otherwise) {
  switch (status) {
    case SEC_E_UNTRUSTED_ROOT:
      RaiseTLSFailure(TTLSFailure::kUntrusted);
    case SEC_E_WRONG_PRINCIPAL:
      RaiseTLSFailure(TTLSFailure::kWrongName);
    case SEC_E_CERT_EXPIRED:
      RaiseTLSFailure(TTLSFailure::kExpired);
    case CRYPT_E_REVOKED:
      RaiseTLSFailure(TTLSFailure::kRevoked);
    case SEC_E_UNSUPPORTED_FUNCTION:
      RaiseTLSFailure(TTLSFailure::kOldProtocol);
    case SEC_E_ALGORITHM_MISMATCH:
      RaiseTLSFailure(TTLSFailure::kRefused, "no algorithm in common");
    case SEC_E_ILLEGAL_MESSAGE:
    case SEC_E_DECRYPT_FAILURE:
    case SEC_E_MESSAGE_ALTERED:
    case SEC_E_INVALID_TOKEN:
    case SEC_E_OUT_OF_SEQUENCE:
      RaiseTLSFailure(TTLSFailure::kBrokenRecord);
    default:
      RaiseTLSFailure(otherwise, HexCode(status));
  }
}

}  // namespace

class TSchannelEngine final : public TTLSEngine {
 public:
  TSchannelEngine(std::unique_ptr<TNetConnection> transport, const std::string& host, int idleMs,
                  TNetDeadline deadline)
      : system_(TLSSystemLibrary()), transport_(std::move(transport)), host_(Utf8ToWide(host)) {
    // Schannel would take the name only up to a NUL.
    if (host.find('\0') != std::string::npos) RaiseTLSFailure(TTLSFailure::kSetUp, "host name");
    AcquireCredentials();
    StartHandshake();
    Handshake(true);
    CheckProtocol();
    CheckCertificate(idleMs, deadline);
    SECURITY_STATUS status =
        system_.Sspi->QueryContextAttributesW(context_.get(), SECPKG_ATTR_STREAM_SIZES, &sizes_);
    if (status != SEC_E_OK) RaiseStatus(status, TTLSFailure::kHandshakeFailed);
    std::size_t record = sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer;
    send_.resize(record * kRecordsPerSend);
  }

  TNetConnection& Transport() override { return *transport_; }

  void SendAll(const char* data, std::size_t size) override {
    const std::size_t record = sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer;
    while (size > 0) {
      std::size_t used = 0;
      while (size > 0 && used + record <= send_.size()) {
        std::size_t piece = std::min<std::size_t>(size, sizes_.cbMaximumMessage);
        char* at = send_.data() + used;
        std::memcpy(at + sizes_.cbHeader, data, piece);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, at},
            {static_cast<unsigned long>(piece), SECBUFFER_DATA, at + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, at + sizes_.cbHeader + piece},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = system_.Sspi->EncryptMessage(context_.get(), 0, &message, 0);
        if (status != SEC_E_OK) RaiseStatus(status, TTLSFailure::kBrokenRecord);
        used += buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        data += piece;
        size -= piece;
      }
      transport_->SendAll(send_.data(), used);
    }
  }

  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override {
    for (;;) {
      if (plainSize_ == 0 && std::exchange(postHandshake_, false)) Handshake(false);
      if (plainSize_ > 0) {
        std::size_t n = std::min(capacity, plainSize_);
        std::memcpy(buffer, input_.data() + plainAt_, n);
        plainAt_ += n;
        plainSize_ -= n;
        if (plainSize_ == 0) KeepTail(extraAfterPlain_);
        return n;
      }
      if (closed_) return 0;
      if (inputSize_ > 0 && Decrypt()) continue;
      if (inputSize_ == input_.size()) RaiseTLSFailure(TTLSFailure::kRecordTooLarge);
      if (!ReadMore()) return 0;
    }
  }

  bool ClosedCleanly() const noexcept override { return closed_; }

 private:
  void AcquireCredentials() {
    // TLS 1.3 comes with SCH_CREDENTIALS (Windows 10 1809 on); a system that
    // takes only the older SCHANNEL_CRED gets TLS 1.2.
    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols = kOlderThanTls12;
    SCH_CREDENTIALS current{};
    current.dwVersion = SCH_CREDENTIALS_VERSION;
    current.dwFlags = kCredentialFlags;
    current.cTlsParameters = 1;
    current.pTlsParameters = &parameters;
    if (Acquire(&current) == SEC_E_OK) return;
    SCHANNEL_CRED older{};
    older.dwVersion = SCHANNEL_CRED_VERSION;
    older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    older.dwFlags = kCredentialFlags;
    SECURITY_STATUS status = Acquire(&older);
    if (status != SEC_E_OK) RaiseTLSFailure(TTLSFailure::kLibraryMissing, "credentials " + HexCode(status));
  }

  SECURITY_STATUS Acquire(void* schannelCredentials) {
    TimeStamp expiry{};
    SECURITY_STATUS status = system_.Sspi->AcquireCredentialsHandleW(
        nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, schannelCredentials,
        nullptr, nullptr, credentials_.receive(), &expiry);
    if (status == SEC_E_OK) credentials_.Hold();
    return status;
  }

  // The client hello.
  void StartHandshake() {
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    ULONG attributes = 0;
    SECURITY_STATUS status = system_.Sspi->InitializeSecurityContextW(
        credentials_.get(), nullptr, host_.data(), kContextFlags, 0, 0, nullptr, 0, context_.receive(),
        &outDesc, &attributes, nullptr);
    UniqueContextBuffer token(out[0].pvBuffer);
    if (status != SEC_I_CONTINUE_NEEDED) RaiseStatus(status, TTLSFailure::kHandshakeFailed);
    context_.Hold();
    if (out[0].cbBuffer > 0) transport_->SendAll(static_cast<const char*>(token.get()), out[0].cbBuffer);
  }

  // The server's answers taken in until the context is complete: at the start
  // (readFirst), and for a message after it (SEC_I_RENEGOTIATE), which
  // Schannel takes at once with the bytes it has, as Microsoft's "Recognizing
  // a Request to Renegotiate a Connection" asks. Every read is under the
  // transport's deadline; calls without one are bounded.
  void Handshake(bool readFirst) {
    bool needMore = readFirst;
    int stepsWithoutRead = 0;
    for (;;) {
      if (needMore) {
        if (inputSize_ == input_.size()) RaiseTLSFailure(TTLSFailure::kRecordTooLarge);
        if (!ReadMore()) {
          RaiseByFirstBytes();
          RaiseTLSFailure(TTLSFailure::kClosed);
        }
        stepsWithoutRead = 0;
      } else if (++stepsWithoutRead > kMaxStepsWithoutRead) {
        RaiseTLSFailure(TTLSFailure::kHandshakeFailed, "no progress");
      }
      SecBuffer in[2] = {{static_cast<unsigned long>(inputSize_), SECBUFFER_TOKEN, input_.data()},
                         {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
      SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
      SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
      ULONG attributes = 0;
      SECURITY_STATUS status = system_.Sspi->InitializeSecurityContextW(
          credentials_.get(), context_.get(), host_.data(), kContextFlags, 0, 0, &inDesc, 0, nullptr,
          &outDesc, &attributes, nullptr);
      UniqueContextBuffer token(out[0].pvBuffer);
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        needMore = true;
        continue;
      }
      if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
        // The server asks for a client certificate: go on once without one.
        // In TLS 1.2 the request travels in the clear, so anyone can repeat it.
        if (std::exchange(certificateAsked_, true)) RaiseTLSFailure(TTLSFailure::kClientCert);
        needMore = false;
        continue;
      }
      if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) {
        if (certificateAsked_) RaiseTLSFailure(TTLSFailure::kClientCert);
        RaiseByFirstBytes();
        RaiseStatus(status, TTLSFailure::kHandshakeFailed);
      }
      if (out[0].cbBuffer > 0 && token)
        transport_->SendAll(static_cast<const char*>(token.get()), out[0].cbBuffer);
      KeepTail(in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0);
      if (status == SEC_E_OK) return;
      needMore = inputSize_ == 0;
    }
  }

  // Wine's Schannel takes SCH_CREDENTIALS but not the versions it disables,
  // so the version agreed on is checked too, before a byte of ours goes out.
  void CheckProtocol() {
    SecPkgContext_ConnectionInfo info{};
    SECURITY_STATUS status =
        system_.Sspi->QueryContextAttributesW(context_.get(), SECPKG_ATTR_CONNECTION_INFO, &info);
    if (status != SEC_E_OK) RaiseStatus(status, TTLSFailure::kHandshakeFailed);
    if (info.dwProtocol & (kOlderThanTls12 | SP_PROT_PCT1_CLIENT)) RaiseTLSFailure(TTLSFailure::kOldProtocol);
    tls13_ = (info.dwProtocol & SP_PROT_TLS1_3_CLIENT) != 0;
  }

  void CheckCertificate(int idleMs, TNetDeadline deadline) {
    PCCERT_CONTEXT received = nullptr;
    SECURITY_STATUS status =
        system_.Sspi->QueryContextAttributesW(context_.get(), SECPKG_ATTR_REMOTE_CERT_CONTEXT, &received);
    if (status != SEC_E_OK || received == nullptr) RaiseTLSFailure(TTLSFailure::kBadCertificate, "none sent");
    UniqueCertContext certificate(received);
    int limit = deadline.WaitLimit(idleMs);
    CheckServerCertificate(certificate.get(), host_, limit < 0 ? 0 : static_cast<DWORD>(limit));
  }

  // Decrypts the record at the start of the input in place; false when it is
  // not complete yet.
  bool Decrypt() {
    SecBuffer buffers[4] = {{static_cast<unsigned long>(inputSize_), SECBUFFER_DATA, input_.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
    bool alertRecord = input_[0] == kAlertRecord;
    SECURITY_STATUS status = system_.Sspi->DecryptMessage(context_.get(), &message, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return false;
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED)
      RaiseStatus(status, TTLSFailure::kBrokenRecord);
    std::size_t extra = 0;
    const SecBuffer* plain = nullptr;
    for (const SecBuffer& b : buffers) {
      if (b.BufferType == SECBUFFER_EXTRA) extra = b.cbBuffer;
      if (b.BufferType == SECBUFFER_DATA) plain = &b;
    }
    // The server's close_notify: Windows says so, Wine decrypts the alert
    // record to nothing (a fatal alert is an error on both).
    bool empty = plain == nullptr || plain->cbBuffer == 0;
    if (status == SEC_I_CONTEXT_EXPIRED || (status == SEC_E_OK && alertRecord && empty && extra == 0)) {
      closed_ = true;
      return true;
    }
    if (status == SEC_I_RENEGOTIATE) {
      // TLS 1.2's renegotiation is refused, as by OpenSSL: it could change the
      // server's identity in the middle of a reply. In TLS 1.3 this is a
      // session ticket or a key update, for Schannel's handshake once the
      // bytes that came with it are out.
      if (!tls13_) RaiseTLSFailure(TTLSFailure::kRenegotiation);
      postHandshake_ = true;
    }
    if (!empty) {
      plainAt_ = static_cast<std::size_t>(static_cast<char*>(plain->pvBuffer) - input_.data());
      plainSize_ = plain->cbBuffer;
      extraAfterPlain_ = extra;
    } else {
      KeepTail(extra);
    }
    return true;
  }

  // The last tail bytes of the input move to its start; the rest is spent.
  void KeepTail(std::size_t tail) {
    std::memmove(input_.data(), input_.data() + inputSize_ - tail, tail);
    inputSize_ = tail;
  }

  bool ReadMore() {
    std::size_t n = transport_->ReceiveSome(input_.data() + inputSize_, input_.size() - inputSize_);
    if (n == 0) return false;
    firstBytes_.Keep(input_.data() + inputSize_, n);
    inputSize_ += n;
    return true;
  }

  void RaiseByFirstBytes() { firstBytes_.RaiseIfTelling(); }

  const TTLSSystemLibrary& system_;
  std::unique_ptr<TNetConnection> transport_;
  std::wstring host_;
  UniqueCredentials credentials_;
  UniqueSecurityContext context_;
  SecPkgContext_StreamSizes sizes_{};
  // Two records' room: Schannel takes a record whole, and a read may bring
  // the start of the next one. A record that does not fit is refused.
  std::vector<char> input_ = std::vector<char>(2 * TNetTLSStream::kMaxRecordSize);
  std::size_t inputSize_ = 0;
  // Decrypted bytes inside input_, not handed out yet, and the undecrypted
  // bytes that follow them at its end.
  std::size_t plainAt_ = 0;
  std::size_t plainSize_ = 0;
  std::size_t extraAfterPlain_ = 0;
  bool closed_ = false;  // by the server's close_notify
  bool tls13_ = false;
  bool postHandshake_ = false;  // a message after the handshake waits for Schannel
  bool certificateAsked_ = false;
  std::vector<char> send_;
  TServerFirstBytes firstBytes_;
};

std::unique_ptr<TTLSEngine> StartTLSEngine(std::unique_ptr<TNetConnection> transport, const std::string& host,
                                           int idleMs, TNetDeadline deadline) {
  return std::make_unique<TSchannelEngine>(std::move(transport), host, idleMs, deadline);
}
