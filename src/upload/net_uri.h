#pragma once
// Absolute URLs as the client takes them apart.

#include <cstdint>
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

// A port as written in a URL: 1 to 65535 in at most five digits, no sign;
// anything else raises the socket error for an invalid argument (10022).
std::uint16_t ParsePort(const std::string& text);
