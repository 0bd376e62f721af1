#include "app/autostart_and_login.h"

#include "toolkit/file_stream.h"

void LoadLoginFrom(const std::string& path, TStringList& configList, TSharedFields& shared) {
  if (!FileExists(path)) return;
  configList.LoadFromFile(path);
  // Exactly as read: spaces, tabs and a byte-order mark belong to the login.
  shared.SetLogin(configList.Strings(0));
}

#ifdef _WIN32
#include <windows.h>

#include "toolkit/exceptions.h"
#include "toolkit/executable_path.h"
#include "toolkit/handles.h"

void RegisterAutostart() {
  HKEY opened = nullptr;
  // A key that cannot be opened shows as the value that cannot be set.
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\microsoft\\windows\\currentversion\\run", 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    opened = nullptr;
  UniqueRegKey key(opened);
  // A command line, read as one: unquoted, a path with a space names another
  // program first. The wide path, so that a folder outside the ANSI code page
  // is stored as it is.
  std::wstring command = L"\"" + ExecutablePathW() + L"\"";
  auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key.get(), L"PondixScreenLoader", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(command.c_str()), bytes) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for 'PondixScreenLoader'");
}
#endif
