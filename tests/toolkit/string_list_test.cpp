#include "toolkit/string_list.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "toolkit/exceptions.h"

namespace {

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

TEST(StringList, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\r\n", {"one"}},
      {"one\r\ntwo", {"one", "two"}},
      {"one\ntwo\rthree\r\n", {"one", "two", "three"}},
      {"\r\n", {""}},
      {"\r\n\r\nx", {"", "", "x"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
      {"  spaced  \r\n", {"  spaced  "}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << testing::PrintToString(c.text);
  }
}

TEST(StringList, IndexOutsideTheListRaisesListError) {
  TStringList list;
  try {
    list.Strings(0);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.Message().c_str(), "List index out of bounds (0)");
  }
  list.Add("x");
  EXPECT_EQ(list.Strings(0), "x");
  EXPECT_THROW(list.Strings(1), EListError);
  EXPECT_THROW(list.Strings(-1), EListError);
}

class StringListFiles : public testing::Test {
 protected:
  TempFolder dir{"psl-strings"};
  std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST_F(StringListFiles, SaveWritesCrLfAfterEveryLineAndLoadReadsItBack) {
  TStringList list;
  list.Add("1.0.3");
  list.Add("");
  list.Add("\xE2\xEE\xF0");  // bytes stay bytes
  auto file = dir / "ver";
  list.SaveToFile(file);
  EXPECT_EQ(Read(file), "1.0.3\r\n\r\n\xE2\xEE\xF0\r\n");

  TStringList loaded;
  loaded.LoadFromFile(file);
  EXPECT_EQ(Lines(loaded), Lines(list));

  // Saving again replaces, never appends.
  TStringList shorter;
  shorter.Add("2");
  shorter.SaveToFile(file);
  EXPECT_EQ(Read(file), "2\r\n");
}

TEST_F(StringListFiles, LoadingStopsAtANulAndKeepsEveryOtherByte) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"  vasya\t\r\nsecond\r\n", {"  vasya\t", "second"}},
      {"\xEF\xBB\xBFlogin\n", {"\xEF\xBB\xBFlogin"}},  // a byte-order mark is part of the text
      {std::string("name\0after\r\n", 13), {"name"}},
      {std::string("\0name", 5), {}},
      {"", {}},
  };
  auto file = dir / "config.pl";
  for (const Case& c : cases) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
    TStringList list;
    list.LoadFromFile(file);
    EXPECT_EQ(Lines(list), c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST_F(StringListFiles, MissingFileAndUnwritablePlaceRaiseStreamErrors) {
  TStringList list;
  auto missing = dir / "config.pl";
  try {
    list.LoadFromFile(missing);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"", 0), 0u) << e.Message();
    EXPECT_NE(e.Message().find("config.pl\". "), std::string::npos) << e.Message();
  }
  list.Add("x");
  EXPECT_THROW(list.SaveToFile(dir / "no-such-dir/ver"), EFCreateError);
}

}  // namespace
