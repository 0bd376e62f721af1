#include "toolkit/show_message.h"

#include <windows.h>

#include "toolkit/application.h"
#include "toolkit/error_box.h"
#include "toolkit/text_conversion.h"

void ShowMessage(const std::string& utf8Text) {
  HWND owner = Application != nullptr ? Application->Handle() : nullptr;
  MessageBoxW(owner, Utf8ToWide(utf8Text).c_str(), Utf8ToWide(ApplicationTitle()).c_str(), MB_OK);
}
