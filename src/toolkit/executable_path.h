#pragma once
// The running executable's full path as the system reports it, however long;
// its folder, where the program keeps its own files; and those files.

#include <string>

// The executable's directory, up to and including its last "\" or ":", then
// "/" and the name: "C:\Tools\Shot\/ver", which the system opens as a file of
// that directory.
std::string FileBesideExecutablePath(const std::string& executablePath, const std::string& name);

#ifdef _WIN32
// UTF-8, as every path of ours.
std::string ExecutablePath();
std::wstring ExecutablePathW();
// Up to and including the last "\" or ":"; empty for a path without one.
std::string ExecutableFolder();
std::string FileBesideExecutable(const std::string& name);
#endif
