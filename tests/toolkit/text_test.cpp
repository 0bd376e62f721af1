#include "toolkit/text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Trim, RemovesControlCharactersAndSpacesAtBothEndsOnly) {
  EXPECT_EQ(Trim(" \t\r\n max size \r\n"), "max size");
  EXPECT_EQ(Trim(std::string("\0\x1f x \x20", 5)), "x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("\x7f"
                 "a\x7f"),
            "\x7f"
            "a\x7f");                         // DEL is above 32
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // so is a code-page space
}

}  // namespace
