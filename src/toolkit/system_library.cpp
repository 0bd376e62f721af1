#include "toolkit/system_library.h"

#include <string>

void LoadLibrariesFromSystemFolderOnly() {
  // Looked up, as Windows 7 has it only with KB2533623.
  BOOL(WINAPI * setDefault)(DWORD) = nullptr;
  if (BindFunction(GetModuleHandleW(L"kernel32.dll"), setDefault, "SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

UniqueModule LoadSystemLibrary(const char* name) {
  std::wstring wide(name, name + std::char_traits<char>::length(name));
  UniqueModule module(LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // Windows 7 without that update knows no search flags: the full path in the
  // system folder says the same to it.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) module.reset(LoadLibraryW((std::wstring(folder, n) + L"\\" + wide).c_str()));
  }
  return module;
}
