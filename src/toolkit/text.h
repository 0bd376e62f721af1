#pragma once
// Our 8-bit texts: trimmed and compared as the system's rules want them, and,
// on Windows, turned to UTF-16 for the wide calls, which show them right on
// every system locale, and back.

#include <string>
#include <string_view>

// Removes every character with a code from 0 to 32 at both ends.
std::string Trim(const std::string& text);

// Equal when only the case of ASCII letters differs (header names, schemes, hosts).
bool SameTextIgnoringCase(std::string_view a, std::string_view b) noexcept;

#ifdef _WIN32
// UTF-8 (our sources' literals, and every path on Windows) to UTF-16.
std::wstring Utf8ToWide(const std::string& text);
// UTF-16 to the system code page; what it cannot hold becomes its default character.
std::string WideToAnsi(const std::wstring& text);
// UTF-16 to UTF-8.
std::string WideToUtf8(const std::wstring& text);
#endif
