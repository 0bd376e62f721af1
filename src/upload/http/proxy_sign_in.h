#pragma once
// Answering a proxy that asks who we are (407): on Windows the user's own
// logon through SSPI ("Negotiate", else "NTLM"), never a password of ours,
// and "Basic" only with credentials the user keeps in Credential Manager
// for the proxy's host; everywhere "Basic" with the user and password of
// the proxy's own address, as curl does.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "upload/http/header_list.h"
#include "upload/http/proxy.h"

class TNetProxySignIn {
 public:
  // 407s answered at most per exchange: a proxy that asks again after that
  // will not take what we have.
  static constexpr int kMostRounds = 3;

  explicit TNetProxySignIn(TNetProxy proxy);
  ~TNetProxySignIn();
  TNetProxySignIn(const TNetProxySignIn&) = delete;
  TNetProxySignIn& operator=(const TNetProxySignIn&) = delete;

  // The Proxy-Authorization value that answers a 407 with these headers, or
  // nothing when none of the schemes it offers can be answered (Basic is
  // given once: asked again, its credentials were refused).
  std::optional<std::string> Answer(const TNetHeaderList& replyHeaders);

 private:
  // The platform's part: SSPI on Windows, nothing elsewhere.
  class TSystem;
  std::optional<std::string> SystemAnswer(const std::vector<std::string>& challenges);
  static bool StoredCredentials(const std::string& host, std::string& user, std::string& password);

  TNetProxy proxy_;
  bool basicGiven_ = false;
  std::unique_ptr<TSystem> system_;
};

std::string Base64(const std::string& bytes);
// Nothing for text that is no Base64.
std::optional<std::string> FromBase64(const std::string& text);
