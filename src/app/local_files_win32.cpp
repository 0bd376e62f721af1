#include "app/local_files.h"

#include "toolkit/executable_path.h"

std::string FileBesideExecutable(const std::string& name) {
  return FileBesideExecutablePath(ExecutablePath(), name);
}
