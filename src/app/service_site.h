#pragma once
// The addresses of the service host and the company site, handed down from
// the program's entry to the main window and the uploads it starts, so that
// no lower code reads a build setting (and tests hand in a service of theirs).

#include <string>

struct TServiceSite {
  std::string ServiceBase;     // scheme and host, "http://host[:port]", no path
  std::string CompanySite;     // the company site's "/" address
  std::string CompanyCaption;  // its domain name, as the menu shows it

  // An address on the service host.
  std::string Service(const std::string& path) const { return ServiceBase + path; }
};

// The site the program was built for.
TServiceSite BuiltInServiceSite();
