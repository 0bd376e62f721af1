#pragma once
// A site as the build settings and psl's --host name it: "host[:port]",
// "http://host[:port]" or "https://host[:port]", the host a name, a dotted
// address or an IPv6 address in brackets ("[::1]:8080"). Without a scheme it
// is plain HTTP, as before HTTPS came in.

#include <optional>
#include <string>

struct TNetSite {
  std::string Scheme;  // "http" or "https", in lower case
  std::string Host;    // an IPv6 address with its brackets
  std::string Port;    // as written; empty for the scheme's own

  // Scheme + "://" + host[:port] + path.
  std::string Url(const std::string& path) const;
};

// Nothing for another scheme, a path, user information or an empty host or port.
std::optional<TNetSite> ParseSite(const std::string& setting);
