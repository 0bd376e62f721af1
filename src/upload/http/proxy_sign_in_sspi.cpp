// A proxy's sign-in on Windows: the user's own logon through SSPI, and the
// Basic credentials the user keeps in Credential Manager. Windows only.

#include "upload/tls/schannel_library.h"

#include <wincred.h>

#include "toolkit/text.h"
#include "upload/socket/exceptions.h"
#include "upload/http/proxy_sign_in.h"

namespace {

// The packages tried, best first: Negotiate picks Kerberos where the domain
// has it, NTLM is what older proxies take.
const wchar_t* const kPackages[] = {L"Negotiate", L"NTLM"};

struct CredentialCloser {
  void operator()(PCREDENTIALW credential) const { CredFree(credential); }
};

std::string SchemeOf(const wchar_t* package) { return WideToUtf8(package); }

}  // namespace

// One conversation with one proxy: the package chosen, and where it stands.
class TNetProxySignIn::TSystem {
 public:
  const wchar_t* package = nullptr;
  bool failed = false;
  UniqueCredentials credentials;
  UniqueSecurityContext context;

  // The next token, from the proxy's own (none at the start); nothing when
  // the package cannot go on.
  std::optional<std::string> Step(const std::wstring& target, const std::string* input) {
    const SecurityFunctionTableW& sspi = *TLSSystemLibrary().Sspi;
    SecBuffer inBuffer{input != nullptr ? static_cast<unsigned long>(input->size()) : 0, SECBUFFER_TOKEN,
                       input != nullptr ? const_cast<char*>(input->data()) : nullptr};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 1, &inBuffer};
    SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
    unsigned long attributes = 0;
    TimeStamp expiry{};
    PCtxtHandle current = context.get();
    SECURITY_STATUS status = sspi.InitializeSecurityContextW(
        credentials.get(), current, const_cast<wchar_t*>(target.c_str()),
        ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_CONNECTION, 0, SECURITY_NATIVE_DREP,
        input != nullptr ? &inDesc : nullptr, 0, current != nullptr ? current : context.receive(), &outDesc,
        &attributes, &expiry);
    UniqueContextBuffer token(outBuffer.pvBuffer);
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return std::nullopt;
    if (current == nullptr) context.Hold();
    if (outBuffer.cbBuffer == 0) return std::nullopt;
    return std::string(static_cast<const char*>(outBuffer.pvBuffer), outBuffer.cbBuffer);
  }
};

TNetProxySignIn::TNetProxySignIn(TNetProxy proxy) : proxy_(std::move(proxy)) {}
TNetProxySignIn::~TNetProxySignIn() = default;

std::optional<std::string> TNetProxySignIn::SystemAnswer(const std::vector<std::string>& challenges) {
  if (!system_) system_ = std::make_unique<TSystem>();
  TSystem& s = *system_;
  if (s.failed) return std::nullopt;
  try {
    const SecurityFunctionTableW& sspi = *TLSSystemLibrary().Sspi;
    const std::wstring target = L"HTTP/" + Utf8ToWide(proxy_.Host);
    if (s.package != nullptr) {
      // Going on: the proxy's token follows our package's name.
      const std::string scheme = SchemeOf(s.package) + " ";
      for (const std::string& challenge : challenges) {
        if (challenge.size() <= scheme.size() ||
            !SameTextIgnoringCase(challenge.substr(0, scheme.size()), scheme))
          continue;
        std::optional<std::string> input = FromBase64(challenge.substr(scheme.size()));
        std::optional<std::string> token = input ? s.Step(target, &*input) : std::nullopt;
        if (token) return SchemeOf(s.package) + " " + Base64(*token);
      }
      s.failed = true;  // the proxy did not take the user's logon
      return std::nullopt;
    }
    for (const wchar_t* package : kPackages) {
      const std::string scheme = SchemeOf(package);
      bool offered = false;
      for (const std::string& challenge : challenges)
        offered = offered || SameTextIgnoringCase(challenge.substr(0, challenge.find(' ')), scheme);
      if (!offered) continue;
      TimeStamp expiry{};
      // No identity given: the user's own logon.
      if (sspi.AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(package), SECPKG_CRED_OUTBOUND,
                                         nullptr, nullptr, nullptr, nullptr, s.credentials.receive(),
                                         &expiry) != SEC_E_OK)
        continue;
      s.credentials.Hold();
      if (std::optional<std::string> token = s.Step(target, nullptr)) {
        s.package = package;
        return scheme + " " + Base64(*token);
      }
      s.context.reset();
      s.credentials.reset();
    }
  } catch (const ENetTLSError&) {
    // No SSPI on this system: Basic may still answer.
  }
  s.failed = true;
  return std::nullopt;
}

bool TNetProxySignIn::StoredCredentials(const std::string& host, std::string& user, std::string& password) {
  PCREDENTIALW found = nullptr;
  if (!CredReadW(Utf8ToWide(host).c_str(), CRED_TYPE_GENERIC, 0, &found)) return false;
  UniqueHandle<PCREDENTIALW, CredentialCloser> owner(found);
  if (found->UserName == nullptr) return false;
  user = WideToUtf8(found->UserName);
  // Credential Manager keeps a typed password as UTF-16.
  std::wstring secret(reinterpret_cast<const wchar_t*>(found->CredentialBlob),
                      found->CredentialBlobSize / sizeof(wchar_t));
  password = WideToUtf8(secret);
  return true;
}
