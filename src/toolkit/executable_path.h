#pragma once
// The running executable's full path as the system reports it, however long.

#include <string>

#ifdef _WIN32
std::string ExecutablePath();
std::wstring ExecutablePathW();
#endif
