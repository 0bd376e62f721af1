#include "upload/tls/schannel_library.h"

#include "upload/tls/failures.h"

namespace {

// The chain's own verdict. Wine's policy passes a chain that stops short of
// any root, or whose issuer is no authority, so every bit is read here rather
// than left to it; only revocation that could not be learnt passes.
void CheckChainStatus(DWORD status) {
  if (status & CERT_TRUST_IS_REVOKED) RaiseTLSFailure(TTLSFailure::kRevoked);
  if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC |
                CERT_TRUST_IS_EXPLICIT_DISTRUST))
    RaiseTLSFailure(TTLSFailure::kUntrusted);
  if (status & CERT_TRUST_IS_NOT_TIME_VALID) RaiseTLSFailure(TTLSFailure::kExpired);
  if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID) RaiseTLSFailure(TTLSFailure::kBadCertificate, "signature");
  if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
    RaiseTLSFailure(TTLSFailure::kBadCertificate, "not for server authentication");
  if (status & CERT_TRUST_INVALID_BASIC_CONSTRAINTS)
    RaiseTLSFailure(TTLSFailure::kBadCertificate, kNoAuthority);
  DWORD rest = status & ~(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
  if (rest != 0) RaiseTLSFailure(TTLSFailure::kBadCertificate, HexCode(rest));
}

TTLSFailure PolicyFailure(DWORD error) {
  switch (error) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
      return TTLSFailure::kUntrusted;
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return TTLSFailure::kWrongName;
    case static_cast<DWORD>(CERT_E_EXPIRED):
    case static_cast<DWORD>(CERT_E_VALIDITYPERIODNESTING):
      return TTLSFailure::kExpired;
    case static_cast<DWORD>(CRYPT_E_REVOKED):
      return TTLSFailure::kRevoked;
    default:
      return TTLSFailure::kBadCertificate;
  }
}

bool RevocationUnknown(DWORD error) {
  return error == static_cast<DWORD>(CERT_E_REVOCATION_FAILURE) ||
         error == static_cast<DWORD>(CRYPT_E_REVOCATION_OFFLINE) ||
         error == static_cast<DWORD>(CRYPT_E_NO_REVOCATION_CHECK);
}

UniqueCertChain ChainOf(PCCERT_CONTEXT certificate, DWORD flags, DWORD lookupLimitMs) {
  LPSTR serverUsages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = serverUsages;
  chainPara.dwUrlRetrievalTimeout = lookupLimitMs;
  PCCERT_CHAIN_CONTEXT found = nullptr;
  // The certificates the server sent come along in its context's store.
  if (!TLSSystemLibrary().GetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore,
                                              &chainPara, flags, nullptr, &found))
    RaiseTLSFailure(TTLSFailure::kBadCertificate, "no chain, " + HexCode(GetLastError()));
  return UniqueCertChain(found);
}

// The SSL policy's error for the chain and host name, 0 when it passes.
DWORD PolicyVerdict(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host) {
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
  sslPara.cbSize = sizeof sslPara;
  sslPara.dwAuthType = AUTHTYPE_SERVER;
  sslPara.pwszServerName = const_cast<wchar_t*>(host.c_str());
  CERT_CHAIN_POLICY_PARA policyPara{};
  policyPara.cbSize = sizeof policyPara;
  // Revocation that could not be learnt (no server named, none reachable) is
  // no failure; a certificate known to be revoked is.
  policyPara.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
  policyPara.pvExtraPolicyPara = &sslPara;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!TLSSystemLibrary().VerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status))
    RaiseTLSFailure(TTLSFailure::kBadCertificate, "no policy verdict, " + HexCode(GetLastError()));
  return status.dwError;
}

}  // namespace

void CheckServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& host, DWORD lookupLimitMs) {
  UniqueCertChain chain =
      ChainOf(certificate,
              CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT | CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT,
              lookupLimitMs);
  CheckChainStatus(chain.get()->TrustStatus.dwErrorStatus);
  DWORD error = PolicyVerdict(chain.get(), host);
  if (RevocationUnknown(error)) {
    // Wine's policy fails an unknown revocation status despite the flags;
    // the chain said above that nothing is revoked, so the rest of the
    // policy (the name) is asked of the chain without revocation.
    UniqueCertChain plain = ChainOf(certificate, 0, lookupLimitMs);
    error = PolicyVerdict(plain.get(), host);
  }
  if (error == 0) return;
  TTLSFailure failure = PolicyFailure(error);
  RaiseTLSFailure(failure, failure == TTLSFailure::kBadCertificate ? HexCode(error) : "");
}
