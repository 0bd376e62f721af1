#include "app/startup_steps.h"

#include <windows.h>

#include "app/local_files.h"

// The version check and the autostart value are not built yet: these steps
// change nothing, and the start-up goes on as if each succeeded.

bool CheckVersion(TStringList&) { return true; }

void RegisterAutostart() {}

void LoadLogin(TStringList& configList, TSharedFields& shared) {
  std::string path = FileBesideExecutable("config.pl");
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  configList.LoadFromFile(path);
  // Exactly as read: spaces and tabs at either end belong to the login.
  shared.SetLogin(configList.Strings(0));
}
