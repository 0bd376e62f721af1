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
