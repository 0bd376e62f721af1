#pragma once
// Texts of the notification record: UTF-8 in, UTF-16 out, cut and NUL-filled.

#include <algorithm>
#include <string>

#include <windows.h>

#include "toolkit/text.h"

template <size_t N>
void CopyCut(WCHAR (&field)[N], const std::string& text, size_t maxChars) {
  std::wstring wide = Utf8ToWide(text);
  size_t n = std::min({wide.size(), maxChars, N - 1});
  std::fill(std::begin(field), std::end(field), L'\0');
  std::copy_n(wide.begin(), n, field);
}
