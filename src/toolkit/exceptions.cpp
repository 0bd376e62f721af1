#include "toolkit/exceptions.h"

std::string DescribeException(const Exception& e) {
  std::string text = std::string(e.ClassName()) + ": ";
  const std::string& raw = e.Message();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    bool lineBreak = raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n';
    text += lineBreak ? ' ' : raw[i];
    if (lineBreak) ++i;
  }
  return text;
}
