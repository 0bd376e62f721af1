#include "app/page_commands.h"

#include <windows.h>
#include <shellapi.h>

#include "toolkit/application.h"
#include "toolkit/text_conversion.h"

void OpenInBrowser(const std::string& address) {
  ShellExecuteW(Application != nullptr ? Application->Handle() : nullptr, L"open",
                Utf8ToWide(address).c_str(), nullptr, nullptr, SW_SHOW);
}
