#include "upload/net_header_list.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::size_t TNetHeaderList::Find(const std::string& name) const noexcept {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < colon && same; ++k) same = LowerAscii(line[k]) == LowerAscii(name[k]);
    if (same) return i;
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
