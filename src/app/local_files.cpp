#include "app/local_files.h"

#include <windows.h>

std::string FileBesideExecutable(const std::string& name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path, n);
  return exe.substr(0, exe.find_last_of("\\:") + 1) + "/" + name;
}
