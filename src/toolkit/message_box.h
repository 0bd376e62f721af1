#pragma once
// The program's message boxes: the standard error box with the failure's text
// as it shows it, and the simple message window, both under the application
// title, which comes from the executable's name.

#include <exception>
#include <functional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

// The standard error box appends "." when the last character's code is above
// that of "." itself; an empty text stays empty.
inline std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

// The executable's file name without directory, cut before its first ".",
// every character after the first lowered with lowerChars.
std::string ApplicationTitleFromPath(const std::string& exePath,
                                     const std::function<void(std::string&)>& lowerChars);

#ifdef _WIN32
// "Pondixscreenloader" for PondixScreenLoader.exe, lowered with CharLowerBuffW; UTF-8.
std::string ApplicationTitle();

// A modal box with the failure's text (UTF-8), the application title, the stop icon and OK.
void ShowErrorBox(HWND owner, const std::string& message);

// Where a failure that escaped a handler on the UI thread goes: the handler
// installed (the application object installs its own while it lives), else
// a standard error box of no window.
using TUiExceptionHandler = void (*)(const std::exception& e);
void SetUiExceptionHandler(TUiExceptionHandler handler) noexcept;
void HandleUiException(const std::exception& e);

// The simple modal message window: the application title as caption, no icon,
// one OK button that Enter and Esc press too, centred on the screen. The
// calling thread keeps handling its messages until the user closes it.
void ShowMessage(const std::string& utf8Text);
#endif
