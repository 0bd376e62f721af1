#pragma once
// The addresses of sites: absolute URLs as the client takes them apart, and
// the site settings of the build and of psl.

#include <cstdint>
#include <optional>
#include <string>

struct TNetURI {
  std::string Protocol;
  std::string Host;
  std::string Port;  // as written in the URL; empty when there is none
  std::string Path;  // up to and including the last slash
  std::string Document;
  std::string Params;  // the query, with its leading "?"
};

// Absolute URLs "scheme://host[:port]/path/document?query"; a fragment is dropped.
TNetURI ParseURI(const std::string& url);
// The URL that a TNetURI stands for, without parsing anything again.
std::string UrlOf(const TNetURI& uri);

// A port as written in a URL: 1 to 65535 in at most five digits, no sign;
// anything else raises the socket error for an invalid argument (10022).
std::uint16_t ParsePort(const std::string& text);

// A site as the build settings and psl's --host name it: "host[:port]",
// "http://host[:port]" or "https://host[:port]", the host a name, a dotted
// address or an IPv6 address in brackets ("[::1]:8080"). Without a scheme it
// is plain HTTP, as before HTTPS came in.

struct TNetSite {
  std::string Scheme;  // "http" or "https", in lower case
  std::string Host;    // an IPv6 address with its brackets
  std::string Port;    // as written; empty for the scheme's own

  // Scheme + "://" + host[:port] + path.
  std::string Url(const std::string& path) const;
  // The same, taken apart as the client takes an address, from the parts at hand.
  TNetURI Address(const std::string& path) const;
};

// Nothing for another scheme, a path, user information or an empty host or port.
std::optional<TNetSite> ParseSite(const std::string& setting);
