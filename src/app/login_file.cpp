#include "app/login_file.h"

#include "toolkit/file_stream.h"

void LoadLoginFrom(const std::string& path, TStringList& configList, TSharedFields& shared) {
  if (!FileExists(path)) return;
  configList.LoadFromFile(path);
  // Exactly as read: spaces, tabs and a byte-order mark belong to the login.
  shared.SetLogin(configList.Strings(0));
}
