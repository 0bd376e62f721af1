#include "toolkit/error_box.h"

#include "toolkit/app_title.h"
#include "toolkit/executable_path.h"
#include "toolkit/text_conversion.h"

std::string ApplicationTitle() {
  return ApplicationTitleFromPath(ExecutablePath(), [](std::string& chars) {
    if (!chars.empty()) CharLowerBuffA(chars.data(), static_cast<DWORD>(chars.size()));
  });
}

void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(owner, AnsiToWide(ErrorBoxText(message)).c_str(), AnsiToWide(ApplicationTitle()).c_str(),
              MB_OK | MB_ICONSTOP);
}
