#include "upload/http/addresses.h"

#include <algorithm>

#include "upload/socket/exceptions.h"
#include "toolkit/text.h"

TNetURI ParseURI(const std::string& url) {
  TNetURI uri;
  std::string rest = url.substr(0, url.find('#'));
  std::size_t schemeEnd = rest.find("://");
  if (schemeEnd != std::string::npos) {
    uri.Protocol = rest.substr(0, schemeEnd);
    rest.erase(0, schemeEnd + 3);
    std::size_t authorityEnd = std::min(rest.find('/'), rest.find('?'));
    std::string authority = rest.substr(0, authorityEnd);
    rest.erase(0, authority.size());
    std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    std::size_t colon = authority.rfind(':');
    std::size_t bracket = authority.rfind(']');  // "[::1]:8080"
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
      uri.Port = authority.substr(colon + 1);
      authority.resize(colon);
    }
    uri.Host = authority;
  }
  std::size_t query = rest.find('?');
  if (query != std::string::npos) {
    uri.Params = rest.substr(query);
    rest.resize(query);
  }
  if (rest.empty() || rest[0] != '/') rest = "/" + rest;
  std::size_t lastSlash = rest.rfind('/');
  uri.Path = rest.substr(0, lastSlash + 1);
  uri.Document = rest.substr(lastSlash + 1);
  return uri;
}

std::uint16_t ParsePort(const std::string& text) {
  std::uint32_t port = 0;
  bool digits = !text.empty() && text.size() <= 5;
  for (char c : text) {
    if (c < '0' || c > '9') digits = false;
    if (digits) port = port * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (!digits || port < 1 || port > 65535) RaiseSocketError(kSocketInvalidArgument);
  return static_cast<std::uint16_t>(port);
}

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

std::string UrlOf(const TNetURI& uri) {
  return uri.Protocol + "://" + uri.Host + (uri.Port.empty() ? "" : ":" + uri.Port) + uri.Path +
         uri.Document + uri.Params;
}

TNetURI TNetSite::Address(const std::string& path) const {
  TNetURI uri{Scheme, Host, Port, path, "", ""};
  std::size_t query = uri.Path.find('?');
  if (query != std::string::npos) {
    uri.Params = uri.Path.substr(query);
    uri.Path.resize(query);
  }
  std::size_t slash = uri.Path.rfind('/');
  uri.Document = uri.Path.substr(slash + 1);
  uri.Path.resize(slash + 1);
  return uri;
}
