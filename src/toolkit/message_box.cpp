#include "toolkit/message_box.h"

std::string ApplicationTitleFromPath(const std::string& exePath,
                                     const std::function<void(std::string&)>& lowerChars) {
  std::string name = exePath.substr(exePath.find_last_of("\\/:") + 1);
  name = name.substr(0, name.find('.'));
  if (name.size() > 1) {
    std::string tail = name.substr(1);
    lowerChars(tail);
    name = name.substr(0, 1) + tail;
  }
  return name;
}

#ifdef _WIN32
#include "toolkit/application.h"
#include "toolkit/exceptions.h"
#include "toolkit/executable_path.h"
#include "toolkit/text.h"

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

void ShowMessage(const std::string& utf8Text) {
  HWND owner = Application != nullptr ? Application->Handle() : nullptr;
  MessageBoxW(owner, Utf8ToWide(utf8Text).c_str(), Utf8ToWide(ApplicationTitle()).c_str(), MB_OK);
}
#endif
