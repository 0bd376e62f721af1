#include "toolkit/error_box.h"

#include "toolkit/app_title.h"
#include "toolkit/exceptions.h"
#include "toolkit/executable_path.h"
#include "toolkit/text_conversion.h"

std::string ApplicationTitle() {
  return ApplicationTitleFromPath(ExecutablePath(), [](std::string& chars) {
    std::wstring wide = Utf8ToWide(chars);
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    chars = WideToUtf8(wide);
  });
}

namespace {
TUiExceptionHandler uiExceptionHandler = nullptr;
}  // namespace

void SetUiExceptionHandler(TUiExceptionHandler handler) noexcept { uiExceptionHandler = handler; }

void HandleUiException(const std::exception& e) {
  if (uiExceptionHandler != nullptr) return uiExceptionHandler(e);
  const auto* ours = dynamic_cast<const Exception*>(&e);
  ShowErrorBox(nullptr, ours != nullptr ? ours->Message() : e.what());
}

void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(owner, Utf8ToWide(ErrorBoxText(message)).c_str(), Utf8ToWide(ApplicationTitle()).c_str(),
              MB_OK | MB_ICONSTOP);
}
