#include "toolkit/executable_path.h"

#include <windows.h>

#include "toolkit/text_conversion.h"

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
