#pragma once
// Opening the service's pages, the company site and the download in the
// default browser.

#include <string>

// Nothing is reported when no browser takes the address.
void OpenInBrowser(const std::string& address);
