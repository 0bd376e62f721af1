#include "upload/tls/schannel_library.h"

#include <mutex>
#include <string>

#include "toolkit/system_library.h"
#include "upload/tls/failures.h"

namespace {

std::mutex loadLock;
bool loaded = false;
TTLSSystemLibrary library{};

UniqueModule Load(const char* name) {
  UniqueModule module = LoadSystemLibrary(name);
  if (!module) RaiseTLSFailure(TTLSFailure::kLibraryMissing, name);
  return module;
}

template <typename F>
void Bind(HMODULE module, F& slot, const char* name) {
  if (!BindFunction(module, slot, name)) RaiseTLSFailure(TTLSFailure::kLibraryMissing, name);
}

}  // namespace

const TTLSSystemLibrary& TLSSystemLibrary() {
  std::lock_guard<std::mutex> guard(loadLock);
  if (loaded) return library;
  UniqueModule secur32 = Load("secur32.dll");
  UniqueModule crypt32 = Load("crypt32.dll");
  TTLSSystemLibrary found{};
  INIT_SECURITY_INTERFACE_W init = nullptr;
  Bind(secur32.get(), init, "InitSecurityInterfaceW");
  found.Sspi = init();
  if (found.Sspi == nullptr) RaiseTLSFailure(TTLSFailure::kLibraryMissing, "InitSecurityInterfaceW");
  Bind(crypt32.get(), found.GetCertificateChain, "CertGetCertificateChain");
  Bind(crypt32.get(), found.VerifyCertificateChainPolicy, "CertVerifyCertificateChainPolicy");
  Bind(crypt32.get(), found.FreeCertificateChain, "CertFreeCertificateChain");
  Bind(crypt32.get(), found.FreeCertificateContext, "CertFreeCertificateContext");
  library = found;
  loaded = true;
  secur32.release();  // loaded for the rest of the process
  crypt32.release();
  return library;
}
