// The login taken from "config.pl" exactly as its first line reads.

#include <chrono>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "app/autostart_and_login.h"
#include "support/temp_folder.h"
#include "toolkit/exceptions.h"

namespace {

class LoginFile : public testing::Test {
 protected:
  TempFolder dir{"psl-login"};
  std::string path = dir / "config.pl";
  TStringList configList;
  TSharedFields shared;

  void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
};

TEST_F(LoginFile, FirstLineExactlyAsRead) {
  struct Case {
    std::string file, login;
  };
  const Case cases[] = {
      {"  vasya\t\r\n", "  vasya\t"},
      {"vasya\r\nsecond line\r\n", "vasya"},
      {"vasya", "vasya"},
      {"vasya\rpetya", "vasya"},
      {"\xEF\xBB\xBFvasya\r\n", "\xEF\xBB\xBFvasya"},
      {"\r\nvasya", ""},
      {std::string("va\0sya\r\n", 8), "va"},
      {"\xE2\xE0\xF1\xFF\r\n", "\xE2\xE0\xF1\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login);
    Write(c.file);
    shared.SetLogin("before");
    LoadLoginFrom(path, configList, shared);
    EXPECT_EQ(shared.Login(), c.login);
  }
}

TEST_F(LoginFile, MissingFileOrDirectoryLeavesTheLoginEmpty) {
  LoadLoginFrom(path, configList, shared);
  EXPECT_EQ(shared.Login(), "");
  std::filesystem::create_directory(path);
  LoadLoginFrom(path, configList, shared);
  EXPECT_EQ(shared.Login(), "");
}

TEST_F(LoginFile, FileWithoutAnyLineRaisesListIndex) {
  for (std::string bytes : {std::string(), std::string("\0vasya", 6)}) {
    Write(bytes);
    try {
      LoadLoginFrom(path, configList, shared);
      ADD_FAILURE() << "no failure for " << bytes.size() << " bytes";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (0)");
    }
    EXPECT_EQ(shared.Login(), "");
  }
}

}  // namespace
