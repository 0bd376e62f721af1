#pragma once
// Opening the service's pages in the default browser.

#include <string>

void OpenServicePage(const std::string& path);
void OpenCompanySite();
