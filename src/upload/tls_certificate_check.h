#pragma once
// The server's certificate judged as a browser on Windows judges it: a chain
// to a root the system trusts, for server authentication, naming the host,
// revocation checked where the system can (a revocation server that cannot
// be reached is no failure). Windows only.

#include <string>

#include "upload/tls_system_library.h"

// Raises ENetTLSError with what is wrong. lookupLimitMs bounds the system's
// revocation look-ups altogether (0: the system's own limit).
void CheckServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& host, DWORD lookupLimitMs);
