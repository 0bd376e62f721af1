#include "capture/picture_file.h"

#include <windows.h>

#include "toolkit/executable_path.h"
#include "toolkit/text.h"

std::vector<std::string> DefaultPictureFolders() {
  std::vector<std::string> folders{""};
  std::string beside = ExecutableFolder();
  if (!beside.empty()) folders.push_back(beside);
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n != 0 && n <= MAX_PATH) folders.push_back(WideToUtf8(std::wstring(temp, n)));
  return folders;
}
