#pragma once
// A site as the build settings and psl's --host name it: "host[:port]",
// "http://host[:port]" or "https://host[:port]". Without a scheme it is plain
// HTTP, as before HTTPS came in.

#include <optional>
#include <string>

struct TNetSite {
  std::string Scheme;  // "http" or "https", in lower case
  std::string Host;
  std::string Port;  // as written; empty for the scheme's own

  // Scheme + "://" + host[:port] + path.
  std::string Url(const std::string& path) const;
};

// Nothing for another scheme, a path, user information or an empty host or port.
std::optional<TNetSite> ParseSite(const std::string& setting);
