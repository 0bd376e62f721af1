#include "toolkit/executable_path.h"

namespace {

std::string FolderOf(const std::string& path) {
  std::size_t end = path.find_last_of("\\:");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace

std::string FileBesideExecutablePath(const std::string& executablePath, const std::string& name) {
  return FolderOf(executablePath) + "/" + name;
}

#ifdef _WIN32
#include <windows.h>

#include "toolkit/text.h"

std::string ExecutablePath() { return WideToUtf8(ExecutablePathW()); }

// The buffer grows until the whole path fits: a cut path would name another file.
std::wstring ExecutablePathW() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }

std::string FileBesideExecutable(const std::string& name) {
  return FileBesideExecutablePath(ExecutablePath(), name);
}
#endif
