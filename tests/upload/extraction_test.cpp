// ExtractDelimited and FindFrom: the worker's call and the general rules.

#include <gtest/gtest.h>

#include "upload/extraction.h"

namespace {

TEST(ExtractDelimited, CutsByMarkersAsTheRulesSay) {
  const struct {
    const char* text;
    const char* first;
    const char* second;
    int start;
    int mode;
    const char* result;
  } cases[] = {
      // The worker's call: everything after the first colon.
      {"good:abc", ":", "", 0, 0, "abc"},
      {"abc", ":", "", 0, 0, "abc"},
      {"good:", ":", "", 0, 0, ""},
      {"a:b:c", ":", "", 0, 0, "b:c"},
      {"a:b:c", ":", "", 3, 0, "c"},
      {"good:http://h/pic/1.jpg \r\n", ":", "", 0, 0, "http://h/pic/1.jpg \r\n"},
      // A marker not found: the rest from position L1.
      {"abcdef", "xyz", "", 0, 0, "cdef"},
      // Only the second marker.
      {"ab]cd", " ", "]", 1, 0, "ab"},
      {"]cd", "", "]", 1, 0, ""},
      {"abcd", "", "]", 1, 0, ""},
      // Both markers.
      {"k=[v]", "[", "]", 1, 0, "v"},
      {"k=[]", "[", "]", 1, 0, ""},
      {"k=[v", "[", "]", 1, 0, ""},
      {"<<ab>>cd>>", "<<", ">>", 1, 0, "ab"},
      // Both blank.
      {"abc", " ", "\t", 1, 0, ""},
      // Swapped roles.
      {"[v]", "]", "[", 1, 1, "v"},
      {"v]x[", "]", "[", 1, 1, ""},
      {"[]", "]", "[", 1, 1, ""},
      {"[v]", "", "[", 1, 1, ""},
      // Other modes.
      {"k=[v]", "[", "]", 1, 2, ""},
      {"k=[v]", "[", "]", 1, -1, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractDelimited(c.text, c.first, c.second, c.start, c.mode), c.result)
        << c.text << " | " << c.first << " | " << c.second << " | " << c.start << " | " << c.mode;
  }
}

TEST(ExtractDelimited, StartZeroAndStartOneAgree) {
  const char* texts[] = {"", ":", "a:b", "[x]", "]y[", "good:link", "  ab ]c[d"};
  const char* markers[] = {"", " ", ":", "[", "]", "good"};
  for (const char* text : texts)
    for (const char* first : markers)
      for (const char* second : markers)
        for (int mode : {0, 1})
          EXPECT_EQ(ExtractDelimited(text, first, second, 0, mode),
                    ExtractDelimited(text, first, second, 1, mode))
              << text << " | " << first << " | " << second << " | " << mode;
}

TEST(FindFrom, FindsTheFirstOccurrenceAtOrAfterTheStart) {
  const struct {
    const char* marker;
    const char* text;
    int start;
    int position;
  } cases[] = {
      {":", "a:b:c", 1, 2}, {":", "a:b:c", 2, 2},  {":", "a:b:c", 3, 4},  {":", "a:b:c", 5, 0},
      {":", "a:b:c", 0, 2}, {":", "a:b:c", -7, 2}, {":", "a:b:c", 99, 0}, {"", "abc", 1, 0},
      {"a", "", 1, 0},      {"abcd", "abc", 1, 0}, {"bc", "abc", 2, 2},   {"bc", "abc", 3, 0},
      {"B", "abc", 1, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindFrom(c.marker, c.text, c.start), c.position)
        << c.marker << " in " << c.text << " from " << c.start;
}

}  // namespace
