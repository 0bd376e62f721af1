#pragma once
// Our 8-bit texts to UTF-16 for the wide Windows calls, which show them right
// on every system locale.

#include <string>

// ANSI (system code page) text to UTF-16.
std::wstring AnsiToWide(const std::string& text);
// UTF-8 literal (our sources) to UTF-16.
std::wstring Utf8ToWide(const std::string& text);
