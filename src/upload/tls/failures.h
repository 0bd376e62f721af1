#pragma once
// What can go wrong in TLS, with one text for each on every system: Schannel
// and OpenSSL report the same failure under different codes, the user reads
// one message.

#include <cstddef>
#include <string>

enum class TTLSFailure {
  kUntrusted,        // no chain to a root the system trusts
  kWrongName,        // the certificate names other hosts
  kExpired,          // outside its validity period
  kRevoked,          // its authority has revoked it
  kBadCertificate,   // any other fault of the certificate or its chain
  kOldProtocol,      // no version of TLS 1.2 or newer that both sides speak
  kRefused,          // the server ended the handshake with an alert
  kNotTLS,           // the server answered with bytes that are no TLS
  kClosed,           // the server closed the connection during the handshake
  kBrokenRecord,     // a record that does not decode or authenticate
  kRecordTooLarge,   // more bytes for one record or handshake step than TLS allows
  kHandshakeFailed,  // anything else in the handshake
  kLibraryMissing,   // the system's TLS library could not be loaded
  kSetUp,            // the library refused a setting of the connection
  kRenegotiation,    // the server asked to renegotiate (TLS 1.2), which is refused
  kClientCert,       // the server asked for a certificate of ours and failed without it
};

// The detail of a chain with an issuer whose basic constraints deny it is an authority.
inline constexpr char kNoAuthority[] = "issuer is no authority";

// The message of an ENetTLSError; detail, when given, goes in brackets before the full stop.
std::string TLSFailureText(TTLSFailure failure, const std::string& detail = "");
[[noreturn]] void RaiseTLSFailure(TTLSFailure failure, const std::string& detail = "");
// A system's status or error code as a detail names it: "0x80090304".
std::string HexCode(unsigned long code);

// The server's first bytes of a handshake that failed, as far as they tell
// why: no TLS at all, an alert in answer to our hello, or a hello for a version
// older than TLS 1.2. False when they say nothing of these.
bool JudgeServerFirstBytes(const unsigned char* bytes, std::size_t size, TTLSFailure& failure,
                           std::string& detail);

// The first bytes a server sent, kept for JudgeServerFirstBytes.
class TServerFirstBytes {
 public:
  void Keep(const char* data, std::size_t size) {
    std::size_t take = size < sizeof bytes_ - kept_ ? size : sizeof bytes_ - kept_;
    for (std::size_t i = 0; i < take; ++i) bytes_[kept_ + i] = static_cast<unsigned char>(data[i]);
    kept_ += take;
  }
  // Raises ENetTLSError when they tell why the handshake failed; else nothing.
  void RaiseIfTelling() const {
    TTLSFailure failure;
    std::string detail;
    if (JudgeServerFirstBytes(bytes_, kept_, failure, detail)) RaiseTLSFailure(failure, detail);
  }

 private:
  unsigned char bytes_[16] = {};
  std::size_t kept_ = 0;
};
