#pragma once
// Header lines as received or to be sent: "Name: value", names compared
// without regard to case, the first matching line wins.

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/text.h"

class TNetHeaderList {
 public:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() noexcept { lines_.clear(); }
  std::size_t Count() const noexcept { return lines_.size(); }
  const std::string& operator[](std::size_t index) const { return lines_[index]; }
  const std::vector<std::string>& Lines() const noexcept { return lines_; }

  // The trimmed value of the first line with that name, folded continuation
  // lines appended after one space each; empty when there is none.
  std::string Values(const std::string& name) const;
  // Replaces the first line with that name, else appends one.
  void SetValue(const std::string& name, const std::string& value);

 private:
  std::size_t Find(const std::string& name) const noexcept;

  std::vector<std::string> lines_;
};
