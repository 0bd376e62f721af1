// TLS with OpenSSL, the system's library off Windows. OpenSSL reads from a
// memory buffer that this file fills from the transport, and writes its
// records straight to the transport through a small BIO (a copy less than a
// memory buffer, which matters at 100 MiB); every wait is the transport's.

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <exception>
#include <mutex>
#include <utility>

#include "upload/socket/socket.h"
#include "upload/tls/tls_stream.h"
#include "upload/tls/failures.h"

namespace {

struct ContextFree {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SessionFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};
using UniqueContext = std::unique_ptr<SSL_CTX, ContextFree>;
using UniqueSsl = std::unique_ptr<SSL, SessionFree>;

// What OpenSSL's verdict on the chain means to the user.
TTLSFailure CertificateFailure(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return TTLSFailure::kUntrusted;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return TTLSFailure::kWrongName;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return TTLSFailure::kExpired;
    case X509_V_ERR_CERT_REVOKED:
      return TTLSFailure::kRevoked;
    default:
      return TTLSFailure::kBadCertificate;
  }
}

// The failure of a record or handshake step by OpenSSL's reason.
TTLSFailure RecordFailure(int reason, TTLSFailure otherwise) {
  switch (reason) {
    case SSL_R_UNSUPPORTED_PROTOCOL:
    case SSL_R_VERSION_TOO_LOW:
    case SSL_R_TLSV1_ALERT_PROTOCOL_VERSION:
      return TTLSFailure::kOldProtocol;
    case SSL_R_WRONG_VERSION_NUMBER:
    case SSL_R_HTTP_REQUEST:
      return TTLSFailure::kNotTLS;
    case SSL_R_DECRYPTION_FAILED_OR_BAD_RECORD_MAC:
    case SSL_R_BAD_RECORD_TYPE:
    case SSL_R_LENGTH_MISMATCH:
    case SSL_R_LENGTH_TOO_SHORT:
    case SSL_R_BAD_PACKET_LENGTH:
    case SSL_R_UNEXPECTED_MESSAGE:
    case SSL_R_UNEXPECTED_RECORD:
      return TTLSFailure::kBrokenRecord;
    case SSL_R_PACKET_LENGTH_TOO_LONG:
    case SSL_R_ENCRYPTED_LENGTH_TOO_LONG:
    case SSL_R_DATA_LENGTH_TOO_LONG:
    case SSL_R_EXCESSIVE_MESSAGE_SIZE:
      return TTLSFailure::kRecordTooLarge;
    default:
      return otherwise;
  }
}

// A set-up call that failed fails the connection: without its host name, for
// one, any certificate that the system trusts would pass.
void Require(long result, const char* what) {
  if (result != 1) RaiseTLSFailure(TTLSFailure::kSetUp, what);
}

// One client context for the process: the system's roots are read once,
// not at every connection. Each connection holds a reference of its own; the
// context itself stays to the end, as freeing it after OpenSSL's own clean-up
// at exit would be a fault.
SSL_CTX* SharedContext() {
  static std::mutex lock;
  static SSL_CTX* context = nullptr;
  std::lock_guard<std::mutex> guard(lock);
  if (context != nullptr) return context;
  UniqueContext made(SSL_CTX_new(TLS_client_method()));
  if (!made) RaiseTLSFailure(TTLSFailure::kLibraryMissing, "SSL_CTX_new");
  Require(SSL_CTX_set_min_proto_version(made.get(), TLS1_2_VERSION), "SSL_CTX_set_min_proto_version");
  // Refused on both systems: a renegotiation could change the server's
  // identity in the middle of a reply, and would have a write wait for a read.
  Require((SSL_CTX_set_options(made.get(), SSL_OP_NO_RENEGOTIATION) & SSL_OP_NO_RENEGOTIATION) != 0,
          "SSL_OP_NO_RENEGOTIATION");
  SSL_CTX_set_verify(made.get(), SSL_VERIFY_PEER, nullptr);
  if (SSL_CTX_set_default_verify_paths(made.get()) != 1)
    RaiseTLSFailure(TTLSFailure::kLibraryMissing, "no trusted roots");
  context = made.release();
  return context;
}

}  // namespace

class TOpenSSLEngine final : public TTLSEngine {
 public:
  TOpenSSLEngine(std::unique_ptr<TNetConnection> transport, const std::string& host)
      : transport_(std::move(transport)) {
    ssl_.reset(SSL_new(SharedContext()));
    if (!ssl_) RaiseTLSFailure(TTLSFailure::kLibraryMissing, "SSL_new");
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = TransportBioMethod() != nullptr ? BIO_new(TransportBioMethod()) : nullptr;
    if (in == nullptr || out == nullptr) {
      BIO_free(in);
      BIO_free(out);
      RaiseTLSFailure(TTLSFailure::kLibraryMissing, "BIO_new");
    }
    BIO_set_data(out, this);
    BIO_set_init(out, 1);
    SSL_set_bio(ssl_.get(), in, out);  // the session owns both from here
    in_ = in;
    Require(SSL_set_app_data(ssl_.get(), this), "SSL_set_app_data");
    SSL_set_msg_callback(ssl_.get(), WatchHandshake);
    SSL_set_cert_cb(ssl_.get(), DeclineCertificate, this);

    // An address (IPv4, or IPv6 from its brackets) is checked against the
    // certificate's addresses and goes without SNI, which carries names only.
    // The name's length goes along, so that one with a NUL in it fails rather
    // than ends there.
    std::uint32_t address = 0;
    X509_VERIFY_PARAM* check = SSL_get0_param(ssl_.get());
    if (ParseDottedIPv4(host, address) || host.find(':') != std::string::npos) {
      Require(X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str()), "host name");
    } else {
      X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      Require(X509_VERIFY_PARAM_set1_host(check, host.data(), host.size()), "host name");
      Require(SSL_set_tlsext_host_name(ssl_.get(), host.c_str()), "host name");
    }
    Handshake();
  }

  TNetConnection& Transport() override { return *transport_; }

  void SendAll(const char* data, std::size_t size) override {
    while (size > 0) {
      // A piece at a time, so the encrypted bytes waiting in memory stay bounded.
      int piece = static_cast<int>(std::min<std::size_t>(size, kSendPiece));
      ERR_clear_error();
      int n = SSL_write(ssl_.get(), data, piece);
      RethrowTransportFailure();
      if (n <= 0) RaiseRecordFailure(n, TTLSFailure::kBrokenRecord);
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }

  std::size_t ReceiveSome(char* buffer, std::size_t capacity) override {
    int want = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
    for (;;) {
      ERR_clear_error();
      int n = SSL_read(ssl_.get(), buffer, want);
      RethrowTransportFailure();  // an answer to a key update that could not go
      if (n > 0) return static_cast<std::size_t>(n);
      if (renegotiationAsked_) RaiseTLSFailure(TTLSFailure::kRenegotiation);
      int error = SSL_get_error(ssl_.get(), n);
      if (error == SSL_ERROR_ZERO_RETURN) {
        closedCleanly_ = true;
        return 0;
      }
      if (error != SSL_ERROR_WANT_READ) RaiseRecordFailure(n, TTLSFailure::kBrokenRecord);
      if (!Feed()) return 0;
    }
  }

  bool ClosedCleanly() const noexcept override { return closedCleanly_; }

 private:
  // Enough for several records per send; the memory buffer holds no more.
  static constexpr std::size_t kSendPiece = 65536;

  void Handshake() {
    for (;;) {
      ERR_clear_error();
      int rc = SSL_connect(ssl_.get());
      RethrowTransportFailure();
      if (rc == 1) {
        renegotiationAsked_ = false;  // one during the handshake means nothing
        return;
      }
      if (SSL_get_error(ssl_.get(), rc) != SSL_ERROR_WANT_READ) RaiseHandshakeFailure(rc);
      if (!Feed()) {
        RaiseByFirstBytes();
        RaiseTLSFailure(TTLSFailure::kClosed);
      }
    }
  }

  static TOpenSSLEngine& Of(SSL* ssl) { return *static_cast<TOpenSSLEngine*>(SSL_get_app_data(ssl)); }

  // OpenSSL declines a HelloRequest by itself; one after the handshake is
  // noted here so that the exchange ends at once, as on Windows.
  static void WatchHandshake(int sent, int, int type, const void* message, std::size_t size, SSL* ssl,
                             void*) {
    if (!sent && type == SSL3_RT_HANDSHAKE && size > 0 &&
        *static_cast<const unsigned char*>(message) == SSL3_MT_HELLO_REQUEST)
      Of(ssl).renegotiationAsked_ = true;
  }

  // No certificate of ours goes out; the server's refusal then says why.
  static int DeclineCertificate(SSL*, void* engine) {
    static_cast<TOpenSSLEngine*>(engine)->certificateAsked_ = true;
    return 1;
  }

  // The write BIO: OpenSSL's records go to the transport from inside
  // OpenSSL, so what the transport raises is kept here and raised again once
  // OpenSSL has returned.
  static int TransportWrite(BIO* bio, const char* data, int size) {
    return static_cast<TOpenSSLEngine*>(BIO_get_data(bio))->Write(data, size);
  }
  static long TransportControl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }
  static const BIO_METHOD* TransportBioMethod() {
    static BIO_METHOD* method = [] {
      BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "psl transport");
      if (m != nullptr &&
          (BIO_meth_set_write(m, TransportWrite) != 1 || BIO_meth_set_ctrl(m, TransportControl) != 1)) {
        BIO_meth_free(m);
        m = nullptr;
      }
      return m;
    }();
    return method;
  }

  int Write(const char* data, int size) noexcept {
    if (transportFailure_) return -1;
    try {
      transport_->SendAll(data, static_cast<std::size_t>(size));
      return size;
    } catch (...) {
      transportFailure_ = std::current_exception();
      return -1;
    }
  }

  void RethrowTransportFailure() {
    if (transportFailure_) std::rethrow_exception(std::exchange(transportFailure_, nullptr));
  }

  // One read from the transport handed to OpenSSL; false when the peer closed.
  // OpenSSL asks only when what it holds is not a whole record, so the memory
  // buffer never holds more than a record and one read.
  bool Feed() {
    char piece[TNetTLSStream::kMaxRecordSize];
    std::size_t n = transport_->ReceiveSome(piece, sizeof piece);
    if (n == 0) return false;
    firstBytes_.Keep(piece, n);
    if (BIO_write(in_, piece, static_cast<int>(n)) != static_cast<int>(n))
      RaiseTLSFailure(TTLSFailure::kLibraryMissing, "BIO_write");
    return true;
  }

  void RaiseByFirstBytes() { firstBytes_.RaiseIfTelling(); }

  [[noreturn]] void RaiseHandshakeFailure(int rc) {
    long verified = SSL_get_verify_result(ssl_.get());
    if (verified == X509_V_ERR_INVALID_CA) RaiseTLSFailure(TTLSFailure::kBadCertificate, kNoAuthority);
    if (verified != X509_V_OK) RaiseTLSFailure(CertificateFailure(verified));
    RaiseByFirstBytes();
    RaiseRecordFailure(rc, TTLSFailure::kHandshakeFailed);
  }

  [[noreturn]] void RaiseRecordFailure(int rc, TTLSFailure otherwise) {
    unsigned long error = ERR_peek_last_error();
    if (error == 0 || ERR_GET_LIB(error) != ERR_LIB_SSL) {
      RaiseTLSFailure(otherwise, "SSL error " + std::to_string(SSL_get_error(ssl_.get(), rc)));
    }
    int reason = ERR_GET_REASON(error);
    if (certificateAsked_ && reason > SSL_AD_REASON_OFFSET) RaiseTLSFailure(TTLSFailure::kClientCert);
    const char* text = ERR_reason_error_string(error);
    TTLSFailure failure = RecordFailure(reason, otherwise);
    if (failure == otherwise && text != nullptr) RaiseTLSFailure(failure, text);
    RaiseTLSFailure(failure);
  }

  std::unique_ptr<TNetConnection> transport_;
  UniqueSsl ssl_;
  BIO* in_ = nullptr;  // owned by ssl_
  std::exception_ptr transportFailure_;
  TServerFirstBytes firstBytes_;
  bool closedCleanly_ = false;
  bool renegotiationAsked_ = false;
  bool certificateAsked_ = false;
};

std::unique_ptr<TTLSEngine> StartTLSEngine(std::unique_ptr<TNetConnection> transport, const std::string& host,
                                           int, TNetDeadline) {
  return std::make_unique<TOpenSSLEngine>(std::move(transport), host);
}
