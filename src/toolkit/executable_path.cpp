#include "toolkit/executable_path.h"

#include <windows.h>

namespace {

// The buffer grows until the whole path fits: a cut path would name another file.
template <typename Char, typename Call>
std::basic_string<Char> ModulePath(Call getModuleFileName) {
  std::basic_string<Char> path(MAX_PATH, Char());
  for (;;) {
    DWORD n = getModuleFileName(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string ExecutablePath() { return ModulePath<char>(GetModuleFileNameA); }

std::wstring ExecutablePathW() { return ModulePath<wchar_t>(GetModuleFileNameW); }
