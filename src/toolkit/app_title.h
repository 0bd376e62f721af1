#pragma once
// The application title, from the executable's name.

#include <functional>
#include <string>

// The executable's file name without directory, cut before its first ".",
// every character after the first lowered with lowerChars.
std::string ApplicationTitleFromPath(const std::string& exePath,
                                     const std::function<void(std::string&)>& lowerChars);
