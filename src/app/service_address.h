#pragma once
// Addresses of the service host and the company site, fixed at build time.

#include <string>

// "http://" + host[:port] + path
std::string ServiceAddress(const std::string& path);
std::string CompanySiteAddress();
// The company site's domain name, as the menu shows it (no port).
std::string CompanySiteCaption();
