#include "upload/extraction.h"

#include <climits>
#include <cstdint>

namespace {

bool IsBlank(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

// substring(text, index, count) with 1-based index: an index below 1 counts as
// 1 (count unchanged); past the end or a negative count gives empty text.
std::string Substring(const std::string& text, std::int64_t index, std::int64_t count) {
  if (index < 1) index = 1;
  auto length = static_cast<std::int64_t>(text.size());
  if (index > length || count <= 0) return std::string();
  if (count > length - index + 1) count = length - index + 1;
  return text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

// The character at a 1-based position, or -1 outside the text.
int CharAt(const std::string& text, std::int64_t position) {
  if (position < 1 || position > static_cast<std::int64_t>(text.size())) return -1;
  return static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)]);
}

int ClampToInt(std::int64_t value) {
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

int FindFrom(const std::string& marker, const std::string& text, int start) {
  if (marker.empty() || text.empty()) return 0;
  std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size() || marker.size() > text.size() - from) return 0;
  std::size_t found = text.find(marker, from);
  return found == std::string::npos ? 0 : static_cast<int>(found + 1);
}

std::string ExtractDelimited(const std::string& text, const std::string& first, const std::string& second,
                             int start, int mode) {
  const auto length = static_cast<std::int64_t>(text.size());
  const auto firstLength = static_cast<std::int64_t>(first.size());
  const auto secondLength = static_cast<std::int64_t>(second.size());
  const std::int64_t p1 = FindFrom(first, text, start);
  const std::int64_t p2 = FindFrom(second, text, start);

  if (mode == 0) {
    bool firstBlank = IsBlank(first);
    bool secondBlank = IsBlank(second);
    if (!firstBlank && secondBlank) return Substring(text, p1 + firstLength, length - (p1 + firstLength) + 1);
    if (firstBlank && !secondBlank) return Substring(text, 1, p2 - 1);
    if (!firstBlank && !secondBlank) {
      std::int64_t a = p1 + firstLength;
      if (CharAt(text, a) == static_cast<unsigned char>(second[0])) return std::string();
      std::int64_t q = FindFrom(second, text, ClampToInt(a + 1));
      return Substring(text, a, q - a);
    }
    return std::string();
  }
  if (mode == 1) {
    // Without both markers there is nothing to open and close.
    if (first.empty() || second.empty()) return std::string();
    std::int64_t b = p2 + secondLength;
    if (CharAt(text, b) == static_cast<unsigned char>(first[0])) return std::string();
    return Substring(text, b, p1 - b);
  }
  return std::string();
}
