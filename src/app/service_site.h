#pragma once
// The addresses of the service host and the company site, handed down from
// the program's entry to the main window and the uploads it starts, so that
// no lower code reads a build setting (and tests hand in a service of theirs).

#include <string>

#include "upload/http/addresses.h"

struct TServiceSite {
  TNetSite ServiceHost;        // parsed once, where the program is put together
  std::string CompanySite;     // the company site's "/" address
  std::string CompanyCaption;  // its domain name, as the menu shows it

  // An address on the service host, for the browser, and for an exchange.
  std::string Service(const std::string& path) const { return ServiceHost.Url(path); }
  TNetURI ServiceAddress(const std::string& path) const { return ServiceHost.Address(path); }
};

// The site the program was built for.
TServiceSite BuiltInServiceSite();
