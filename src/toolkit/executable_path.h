#pragma once
// The running executable's full path as the system reports it, however long.

#include <string>

#ifdef _WIN32
// UTF-8, as every path of ours.
std::string ExecutablePath();
std::wstring ExecutablePathW();
#endif
