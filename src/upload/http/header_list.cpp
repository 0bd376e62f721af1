#include "upload/http/header_list.h"

#include <string_view>

#include "toolkit/text.h"

namespace {

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

}  // namespace

std::size_t TNetHeaderList::Find(const std::string& name) const noexcept {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    std::size_t colon = line.find(':');
    if (colon != std::string::npos && SameTextIgnoringCase(std::string_view(line).substr(0, colon), name))
      return i;
  }
  return lines_.size();
}

std::string TNetHeaderList::Values(const std::string& name) const {
  std::size_t i = Find(name);
  if (i == lines_.size()) return std::string();
  std::string value = Trim(lines_[i].substr(lines_[i].find(':') + 1));
  for (++i; i < lines_.size() && IsContinuation(lines_[i]); ++i) value += " " + Trim(lines_[i]);
  return value;
}

void TNetHeaderList::SetValue(const std::string& name, const std::string& value) {
  std::string line = name + ": " + value;
  std::size_t i = Find(name);
  if (i == lines_.size())
    lines_.push_back(std::move(line));
  else
    lines_[i] = std::move(line);
}
