#include "upload/net_site.h"

#include "upload/text_utils.h"

std::string TNetSite::Url(const std::string& path) const {
  return Scheme + "://" + Host + (Port.empty() ? "" : ":" + Port) + path;
}

std::optional<TNetSite> ParseSite(const std::string& setting) {
  TNetSite site{"http", setting, ""};
  std::size_t schemeEnd = setting.find("://");
  if (schemeEnd != std::string::npos) {
    std::string scheme = setting.substr(0, schemeEnd);
    if (SameTextIgnoringCase(scheme, "https")) {
      site.Scheme = "https";
    } else if (!SameTextIgnoringCase(scheme, "http")) {
      return std::nullopt;
    }
    site.Host = setting.substr(schemeEnd + 3);
  }
  std::size_t colon = site.Host.find(':');
  if (!site.Host.empty() && site.Host[0] == '[') {
    // An IPv6 address, "[::1]" or "[::1]:8080".
    std::size_t close = site.Host.find(']');
    if (close == std::string::npos || close < 3 ||
        site.Host.find_first_not_of("0123456789abcdefABCDEF:.", 1) != close || site.Host.find(':') > close)
      return std::nullopt;
    colon = site.Host.find(':', close);
    if (colon != close + 1 && close + 1 != site.Host.size()) return std::nullopt;
  }
  if (colon != std::string::npos) {
    site.Port = site.Host.substr(colon + 1);
    site.Host.resize(colon);
    if (site.Port.empty() || site.Port.size() > 5 ||
        site.Port.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
  }
  if (site.Host.empty() || site.Host.find_first_of("/?#@ \t\\") != std::string::npos) return std::nullopt;
  return site;
}
