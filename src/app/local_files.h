#pragma once
// The program's own files lie beside the executable.

#include <string>

// The executable's directory, up to and including its last "\" or ":", then
// "/" and the name: "C:\Tools\Shot\/ver", which the system opens as a file of
// that directory.
std::string FileBesideExecutablePath(const std::string& executablePath, const std::string& name);

#ifdef _WIN32
std::string FileBesideExecutable(const std::string& name);
#endif
