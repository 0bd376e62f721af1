#pragma once
// Schannel's interface (secur32) and the certificate functions (crypt32),
// loaded at run time on the first https exchange, as ws2_32 is: a system
// without them fails that exchange with ENetTLSError, not the program's start.
// Windows only.

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
// The chain's parameters with their time limit for look-ups.
#ifndef CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#endif
#include <windows.h>
#include <wincrypt.h>
#include <security.h>

#include <string>
#include <utility>

#include "toolkit/handles.h"

struct TTLSSystemLibrary {
  const SecurityFunctionTableW* Sspi;
  decltype(&CertGetCertificateChain) GetCertificateChain;
  decltype(&CertVerifyCertificateChainPolicy) VerifyCertificateChainPolicy;
  decltype(&CertFreeCertificateChain) FreeCertificateChain;
  decltype(&CertFreeCertificateContext) FreeCertificateContext;
};

// Loads both libraries once per process; they stay loaded. Raises ENetTLSError
// when one or a function of it is missing, and tries again on the next call.
const TTLSSystemLibrary& TLSSystemLibrary();

// Owners for Schannel's and crypt32's handles; the destructor is the only
// place that frees.
struct ContextBufferCloser {
  void operator()(void* buffer) const { TLSSystemLibrary().Sspi->FreeContextBuffer(buffer); }
};
struct CertContextCloser {
  void operator()(PCCERT_CONTEXT cert) const { TLSSystemLibrary().FreeCertificateContext(cert); }
};
struct CertChainCloser {
  void operator()(PCCERT_CHAIN_CONTEXT chain) const { TLSSystemLibrary().FreeCertificateChain(chain); }
};

// A token that Schannel allocated (ISC_REQ_ALLOCATE_MEMORY).
using UniqueContextBuffer = UniqueHandle<void*, ContextBufferCloser>;
using UniqueCertContext = UniqueHandle<PCCERT_CONTEXT, CertContextCloser>;
using UniqueCertChain = UniqueHandle<PCCERT_CHAIN_CONTEXT, CertChainCloser>;

// An SSPI handle pair (credentials or security context), freed by Free.
// Both free functions take a PSecHandle, so they share one pointer type.
template <FREE_CREDENTIALS_HANDLE_FN SecurityFunctionTableW::*Free>
class UniqueSecHandle {
 public:
  UniqueSecHandle() = default;
  UniqueSecHandle(const UniqueSecHandle&) = delete;
  UniqueSecHandle& operator=(const UniqueSecHandle&) = delete;
  ~UniqueSecHandle() { reset(); }

  explicit operator bool() const { return held_; }
  PSecHandle get() { return held_ ? &handle_ : nullptr; }
  // For a call that fills the handle; held once it succeeded (see Hold).
  PSecHandle receive() {
    reset();
    return &handle_;
  }
  void Hold() { held_ = true; }
  void reset() {
    if (held_) (TLSSystemLibrary().Sspi->*Free)(&handle_);
    held_ = false;
  }

 private:
  SecHandle handle_{};
  bool held_ = false;
};

using UniqueCredentials = UniqueSecHandle<&SecurityFunctionTableW::FreeCredentialsHandle>;
using UniqueSecurityContext = UniqueSecHandle<&SecurityFunctionTableW::DeleteSecurityContext>;

// The server's certificate judged as a browser on Windows judges it: a chain
// to a root the system trusts, for server authentication, naming the host,
// revocation checked where the system can (a revocation server that cannot
// be reached is no failure).
// Raises ENetTLSError with what is wrong. lookupLimitMs bounds the system's
// revocation look-ups altogether (0: the system's own limit).
void CheckServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& host, DWORD lookupLimitMs);
