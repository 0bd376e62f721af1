#include "upload/http/proxy_sign_in.h"

#include "toolkit/text.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool OffersScheme(const std::vector<std::string>& challenges, const char* scheme) {
  std::size_t n = std::char_traits<char>::length(scheme);
  for (const std::string& c : challenges)
    if (c.size() >= n && SameTextIgnoringCase(c.substr(0, n), scheme) && (c.size() == n || c[n] == ' '))
      return true;
  return false;
}

}  // namespace

#ifndef _WIN32
class TNetProxySignIn::TSystem {};
std::optional<std::string> TNetProxySignIn::SystemAnswer(const std::vector<std::string>&) { return {}; }
bool TNetProxySignIn::StoredCredentials(const std::string&, std::string&, std::string&) { return false; }
TNetProxySignIn::TNetProxySignIn(TNetProxy proxy) : proxy_(std::move(proxy)) {}
TNetProxySignIn::~TNetProxySignIn() = default;
#endif

std::optional<std::string> TNetProxySignIn::Answer(const TNetHeaderList& replyHeaders) {
  // A proxy may offer several schemes, each on a line of its own.
  std::vector<std::string> challenges;
  for (const std::string& line : replyHeaders.Lines()) {
    std::size_t colon = line.find(':');
    if (colon != std::string::npos && SameTextIgnoringCase(Trim(line.substr(0, colon)), "Proxy-Authenticate"))
      challenges.push_back(Trim(line.substr(colon + 1)));
  }
  if (std::optional<std::string> token = SystemAnswer(challenges)) return token;
  if (basicGiven_ || !OffersScheme(challenges, "Basic")) return std::nullopt;
  std::string user = proxy_.User, password = proxy_.Password;
  if (user.empty() && !StoredCredentials(proxy_.Host, user, password)) return std::nullopt;
  basicGiven_ = true;
  return "Basic " + Base64(user + ":" + password);
}

std::string Base64(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<std::uint8_t>(bytes[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

std::optional<std::string> FromBase64(const std::string& text) {
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    const char* at = std::char_traits<char>::find(kAlphabet, 64, c);
    if (at == nullptr) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(at - kAlphabet);
    if (++count == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>(bits >> 8);
      out += static_cast<char>(bits);
      bits = 0;
      count = 0;
    }
  }
  if (count == 1) return std::nullopt;
  if (count >= 2) out += static_cast<char>(bits >> (count == 2 ? 4 : 10));
  if (count == 3) out += static_cast<char>(bits >> 2);
  return out;
}
