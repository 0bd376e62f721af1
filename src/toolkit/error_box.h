#pragma once
// The standard error box and the application title, as every message box shows them.

#include <string>

#include <windows.h>

// "Pondixscreenloader" for PondixScreenLoader.exe, lowered with CharLowerBuffA.
std::string ApplicationTitle();

// A modal box with the failure's text, the application title, the stop icon and OK.
void ShowErrorBox(HWND owner, const std::string& message);

// ANSI (system code page) text to UTF-16, for the wide calls.
std::wstring AnsiToWide(const std::string& text);
// UTF-8 literal (our sources) to UTF-16.
std::wstring Utf8ToWide(const std::string& text);
