// The proxy as curl reads it from the environment, for psl and the tests:
// http_proxy in lower case only (a web server hands a request's "Proxy:"
// header to its scripts as HTTP_PROXY), https_proxy or HTTPS_PROXY, and
// no_proxy or NO_PROXY.

#include <cstdlib>

#include "upload/http/proxy.h"
#include "upload/http/addresses.h"
#include "toolkit/text.h"

namespace {

std::string Variable(const char* name, const char* otherName = nullptr) {
  const char* value = std::getenv(name);
  if ((value == nullptr || *value == '\0') && otherName != nullptr) value = std::getenv(otherName);
  return value != nullptr ? value : "";
}

}  // namespace

TNetRoutes SystemProxies(const TNetURI& uri) {
  bool tls = SameTextIgnoringCase(uri.Protocol, "https");
  std::string setting = tls ? Variable("https_proxy", "HTTPS_PROXY") : Variable("http_proxy");
  if (setting.empty() || BypassedByNoProxy(uri.Host, Variable("no_proxy", "NO_PROXY"))) return {std::nullopt};
  return {ParseProxyUrl(setting, 1080)};
}
