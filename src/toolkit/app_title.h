#pragma once
// Texts that every message box of the program shares.

#include <functional>
#include <string>

// The executable's file name without directory, cut before its first ".",
// every character after the first lowered with lowerChars.
std::string ApplicationTitleFromPath(const std::string& exePath,
                                     const std::function<void(std::string&)>& lowerChars);

// The standard error box appends "." when the last character's code is above
// that of "." itself; an empty text stays empty.
std::string ErrorBoxText(const std::string& message);
