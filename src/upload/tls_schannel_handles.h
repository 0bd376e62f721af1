#pragma once
// Owners for Schannel's and crypt32's handles; the destructor is the only
// place that frees. Windows only.

#include <utility>

#include "toolkit/handles.h"
#include "upload/tls_system_library.h"

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
