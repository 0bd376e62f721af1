#pragma once
// The program's own files lie beside the executable.

#include <string>

// The executable's directory (ending in "\"), then "/" and the name.
std::string FileBesideExecutable(const std::string& name);
