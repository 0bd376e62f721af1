#include "app/local_files.h"

std::string FileBesideExecutablePath(const std::string& executablePath, const std::string& name) {
  std::size_t end = executablePath.find_last_of("\\:");
  std::string directory = end == std::string::npos ? std::string() : executablePath.substr(0, end + 1);
  return directory + "/" + name;
}
