#include "upload/tls/failures.h"

#include <cstdio>

#include "upload/socket/exceptions.h"

namespace {

const char* Text(TTLSFailure failure) {
  switch (failure) {
    case TTLSFailure::kUntrusted:
      return "the certificate is not trusted (unknown authority)";
    case TTLSFailure::kWrongName:
      return "the certificate is for another host name";
    case TTLSFailure::kExpired:
      return "the certificate has expired or is not yet valid";
    case TTLSFailure::kRevoked:
      return "the certificate has been revoked";
    case TTLSFailure::kBadCertificate:
      return "the certificate is not valid";
    case TTLSFailure::kOldProtocol:
      return "the server has no protocol version in common with this system (TLS 1.2 or newer)";
    case TTLSFailure::kRefused:
      return "the server refused the handshake";
    case TTLSFailure::kNotTLS:
      return "the server does not speak TLS";
    case TTLSFailure::kClosed:
      return "the server closed the connection during the handshake";
    case TTLSFailure::kBrokenRecord:
      return "the server sent a broken record";
    case TTLSFailure::kRecordTooLarge:
      return "the server sent a record larger than TLS allows";
    case TTLSFailure::kHandshakeFailed:
      return "the handshake failed";
    case TTLSFailure::kLibraryMissing:
      return "the system's TLS library is not available";
    case TTLSFailure::kSetUp:
      return "the connection could not be set up";
    case TTLSFailure::kRenegotiation:
      return "the server asked for a renegotiation, which this program refuses";
    case TTLSFailure::kClientCert:
      return "the server asks for a client certificate, and this program has none";
  }
  return "the handshake failed";
}

// TLS record content types and the alert for a version refused.
constexpr unsigned char kChangeCipherSpec = 20;
constexpr unsigned char kAlert = 21;
constexpr unsigned char kHandshake = 22;
constexpr unsigned char kApplicationData = 23;
constexpr unsigned char kProtocolVersionAlert = 70;
constexpr unsigned char kServerHello = 2;

}  // namespace

std::string TLSFailureText(TTLSFailure failure, const std::string& detail) {
  std::string text = std::string("TLS: ") + Text(failure);
  if (!detail.empty()) text += " (" + detail + ")";
  return text + ".";
}

void RaiseTLSFailure(TTLSFailure failure, const std::string& detail) {
  throw ENetTLSError(TLSFailureText(failure, detail));
}

bool JudgeServerFirstBytes(const unsigned char* bytes, std::size_t size, TTLSFailure& failure,
                           std::string& detail) {
  if (size == 0) return false;
  // Every TLS record starts with its type and a major version of 3.
  bool recordType = bytes[0] >= kChangeCipherSpec && bytes[0] <= kApplicationData;
  if (!recordType || (size >= 2 && bytes[1] != 3)) {
    failure = TTLSFailure::kNotTLS;
    return true;
  }
  // An alert record: type, version (2), length (2), level, description.
  if (bytes[0] == kAlert && size >= 7) {
    failure = bytes[6] == kProtocolVersionAlert ? TTLSFailure::kOldProtocol : TTLSFailure::kRefused;
    if (failure == TTLSFailure::kRefused) detail = "alert " + std::to_string(bytes[6]);
    return true;
  }
  // A server hello: record head (5), message type, length (3), then the
  // version it chose. TLS 1.3 names 1.2 there and its own in an extension.
  if (bytes[0] == kHandshake && size >= 11 && bytes[5] == kServerHello) {
    unsigned version = (unsigned{bytes[9]} << 8) | bytes[10];
    if (version < 0x0303) {
      failure = TTLSFailure::kOldProtocol;
      return true;
    }
  }
  return false;
}

std::string HexCode(unsigned long code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", code);
  return text;
}
