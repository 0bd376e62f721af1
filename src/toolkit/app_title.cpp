#include "toolkit/app_title.h"

std::string ApplicationTitleFromPath(const std::string& exePath,
                                     const std::function<void(std::string&)>& lowerChars) {
  std::string name = exePath.substr(exePath.find_last_of("\\/:") + 1);
  name = name.substr(0, name.find('.'));
  if (name.size() > 1) {
    std::string tail = name.substr(1);
    lowerChars(tail);
    name = name.substr(0, 1) + tail;
  }
  return name;
}
