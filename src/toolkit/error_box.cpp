#include "toolkit/error_box.h"

#include "toolkit/app_title.h"

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
  return result;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }

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
