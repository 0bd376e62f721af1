#include "toolkit/message_box.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

namespace {

void AsciiLower(std::string& s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
}

TEST(ApplicationTitle, FileNameCutBeforeFirstDotWithTailLowered) {
  struct Case {
    const char* path;
    const char* title;
  } cases[] = {
      {"C:\\Program Files\\Pondix\\PondixScreenLoader.exe", "Pondixscreenloader"},
      {"PondixScreenLoader.exe", "Pondixscreenloader"},
      {"C:\\a.b\\My.Tool.exe", "My"},
      {"D:/mixed/SEPARATORS/ABC.EXE", "Abc"},
      {"C:\\x\\pondix", "pondix"},
      {"C:\\x\\Q.exe", "Q"},
      {"C:\\x\\.hidden.exe", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplicationTitleFromPath(c.path, AsciiLower), c.title) << c.path;
}

TEST(ErrorBoxText, FullStopAddedOnlyAfterCharactersAboveIt) {
  struct Case {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Cannot create file", "Cannot create file."},
      {"Already ends.", "Already ends."},
      {"Ends in a comma,", "Ends in a comma,"},   // ',' is below '.'
      {"Ends in a slash/", "Ends in a slash/."},  // '/' is just above '.'
      {"Ends in a dash-", "Ends in a dash-"},
      {"Number 7", "Number 7."},
      {"", ""},
      {"Ends in a space ", "Ends in a space "},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
  // Bytes above 0x7F (Cyrillic in code page 1251) count as above '.'.
  EXPECT_EQ(ErrorBoxText("\xCE\xF8\xE8\xE1\xEA\xE0"), "\xCE\xF8\xE8\xE1\xEA\xE0.");
}

}  // namespace
