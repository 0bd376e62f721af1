#include "capture/picture_file.h"

#include <windows.h>

#include "toolkit/executable_path.h"

std::vector<std::string> DefaultPictureFolders() {
  std::vector<std::string> folders{""};
  std::string executable = ExecutablePath();
  std::size_t end = executable.find_last_of("\\:");
  if (end != std::string::npos) folders.push_back(executable.substr(0, end + 1));
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n != 0 && n < sizeof temp) folders.emplace_back(temp, n);
  return folders;
}
