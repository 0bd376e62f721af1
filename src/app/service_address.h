#pragma once
// Addresses of the service host and the company site, fixed at build time.

#include <string>

// The service host's scheme ("http" unless the setting says "https") +
// "://" + host[:port] + path: every address on the service host, the
// browser's pages included, goes by the one setting.
std::string ServiceAddress(const std::string& path);
std::string CompanySiteAddress();
// The company site's domain name, as the menu shows it (no scheme, no port).
std::string CompanySiteCaption();
