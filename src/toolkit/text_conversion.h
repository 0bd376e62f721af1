#pragma once
// Our 8-bit texts to UTF-16 for the wide Windows calls, which show them right
// on every system locale, and UTF-16 from the system back to 8 bits.

#include <string>

// UTF-8 (our sources' literals, and every path on Windows) to UTF-16.
std::wstring Utf8ToWide(const std::string& text);
// UTF-16 to the system code page; what it cannot hold becomes its default character.
std::string WideToAnsi(const std::wstring& text);
// UTF-16 to UTF-8.
std::string WideToUtf8(const std::wstring& text);
