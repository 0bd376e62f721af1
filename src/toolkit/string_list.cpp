#include "toolkit/string_list.h"

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"

const std::string& TStringList::Strings(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return lines_[static_cast<size_t>(index)];
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

void TStringList::SetText(const std::string& text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(start));
      break;
    }
    lines_.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

void TStringList::LoadFromFile(const std::string& fileName) {
  TFileStream file = TFileStream::OpenRead(fileName);
  std::string text;
  char buffer[4096];
  while (std::size_t n = file.Read(buffer, sizeof buffer)) text.append(buffer, n);
  // The text is read as a C string: a NUL byte ends it.
  SetText(text.substr(0, text.find('\0')));
}

void TStringList::SaveToFile(const std::string& fileName) const {
  TFileStream file = TFileStream::Create(fileName);
  std::string text = Text();
  if (file.Write(text.data(), text.size()) != text.size())
    throw EWriteError("Stream write error: \"" + ExpandFileName(fileName) +
                      "\" took fewer bytes than written");
}
