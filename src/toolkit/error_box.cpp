#include "toolkit/error_box.h"

#include "toolkit/app_title.h"
#include "toolkit/text_conversion.h"

std::string ApplicationTitle() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ApplicationTitleFromPath(std::string(path, n), [](std::string& chars) {
    if (!chars.empty()) CharLowerBuffA(chars.data(), static_cast<DWORD>(chars.size()));
  });
}

void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(owner, AnsiToWide(ErrorBoxText(message)).c_str(), AnsiToWide(ApplicationTitle()).c_str(),
              MB_OK | MB_ICONSTOP);
}
