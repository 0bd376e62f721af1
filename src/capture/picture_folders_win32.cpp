#include "capture/picture_file.h"

#include <windows.h>

#include "toolkit/executable_path.h"
#include "toolkit/text_conversion.h"

std::vector<std::string> DefaultPictureFolders() {
  std::vector<std::string> folders{""};
  std::string executable = ExecutablePath();
  std::size_t end = executable.find_last_of("\\:");
  if (end != std::string::npos) folders.push_back(executable.substr(0, end + 1));
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n != 0 && n <= MAX_PATH) folders.push_back(WideToUtf8(std::wstring(temp, n)));
  return folders;
}
