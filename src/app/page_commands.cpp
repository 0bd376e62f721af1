#include "app/page_commands.h"

#include <windows.h>
#include <shellapi.h>

#include "app/service_address.h"
#include "toolkit/application.h"
#include "toolkit/text_conversion.h"

namespace {

void OpenAddress(const std::string& address) {
  // Nothing is reported when no browser takes the address.
  ShellExecuteW(Application != nullptr ? Application->Handle() : nullptr, L"open",
                Utf8ToWide(address).c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace

void OpenServicePage(const std::string& path) { OpenAddress(ServiceAddress(path)); }

void OpenCompanySite() { OpenAddress(CompanySiteAddress()); }
