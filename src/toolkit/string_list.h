#pragma once
// A list of 8-bit text lines, loaded from and saved to files as the toolkit does:
// lines end at CR LF, LF or CR, a NUL ends a loaded text; saving writes CR LF
// after every line.

#include <string>
#include <vector>

class TStringList {
 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
  const std::string& Strings(int index) const;
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }

  std::string Text() const;
  void SetText(const std::string& text);

  // Raise EFOpenError / EFCreateError when the file cannot be opened or created.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

 private:
  std::vector<std::string> lines_;
};
