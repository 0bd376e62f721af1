// Where a grab's picture goes, against the real file system: taken names,
// folders that refuse, and a disk that cannot hold the picture.

#include "capture/picture_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "toolkit/exceptions.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

TEncodedBytes Bytes(std::size_t count) {
  TEncodedBytes bytes;
  std::vector<std::uint8_t> data(count, 0xAB);
  bytes.Append(data.data(), data.size());
  return bytes;
}

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Names handed out in turn, the last one for ever after.
struct Names {
  std::vector<std::string> names;
  std::size_t next = 0;
  std::string operator()() { return names[std::min(next++, names.size() - 1)]; }
};

std::string Folder(const TempFolder& dir, const std::string& name) {
  std::filesystem::create_directories(dir / name);
  return (dir / name) + static_cast<char>(std::filesystem::path::preferred_separator);
}

TEST(PictureFile, TakenNamesAreDrawnAgainAndNoFileIsReplaced) {
  TempFolder dir("psl-picture");
  const std::string own = Folder(dir, "own"), next = Folder(dir, "next");
  std::ofstream(own + "1.jpg") << "one";
  std::ofstream(own + "2.jpg") << "two";

  Names names{{"1.jpg", "2.jpg", "3.jpg"}};
  EXPECT_EQ(WriteNewPictureFile(Bytes(10), {own, next}, std::ref(names)), own + "3.jpg");
  EXPECT_EQ(Content(own + "1.jpg"), "one");
  EXPECT_EQ(Content(own + "2.jpg"), "two");
  EXPECT_EQ(Content(own + "3.jpg"), std::string(10, '\xAB'));

  // A folder whose every name is taken passes the picture on, after a bounded number of draws.
  Names always1{{"1.jpg"}};
  EXPECT_EQ(WriteNewPictureFile(Bytes(3), {own, next}, std::ref(always1)), next + "1.jpg");
  EXPECT_EQ(always1.next, static_cast<std::size_t>(kPictureNameTries + 1));
  EXPECT_EQ(Content(own + "1.jpg"), "one");

  // None free anywhere: the first folder's failure, naming the file.
  try {
    WriteNewPictureFile(Bytes(3), {own, next}, [] { return std::string("1.jpg"); });
    ADD_FAILURE() << "a taken name was written";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create file \"" + own + "1.jpg\". ", 0), 0u) << e.Message();
  }
  EXPECT_EQ(Content(next + "1.jpg"), std::string(3, '\xAB'));
}

TEST(PictureFile, AFolderThatRefusesPassesThePictureOnAndAnEmptyPictureIsAnEmptyFile) {
  TempFolder dir("psl-picture");
  // The next one lies deeper than MAX_PATH.
  const std::string deep = (std::filesystem::path(std::string(200, 'n')) / std::string(99, 'x')).string();
  const std::string missing = (dir / "missing") + "/", next = Folder(dir, deep);
  EXPECT_EQ(WriteNewPictureFile(Bytes(0), {missing, next}, [] { return std::string("5.jpg"); }),
            next + "5.jpg");
  EXPECT_TRUE(std::filesystem::exists(next + "5.jpg"));
  EXPECT_EQ(std::filesystem::file_size(next + "5.jpg"), 0u);
  EXPECT_THROW(WriteNewPictureFile(Bytes(1), {missing}, [] { return std::string("6.jpg"); }), EFCreateError);
}

#ifndef _WIN32
// A full disk, as the largest file the process may write: every folder keeps
// nothing of a picture it could not hold whole.
TEST(PictureFile, APictureThatDoesNotFitLeavesNothingBehind) {
  TempFolder dir("psl-picture");
  const std::string a = Folder(dir, "a"), b = Folder(dir, "b");
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    WriteNewPictureFile(Bytes(5000), {a, b}, [] { return std::string("7.jpg"); });
  } catch (const EWriteError& e) {
    message = e.Message();
  }
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(message.rfind("Cannot write file \"" + a + "7.jpg\": 1000 of 5000 bytes written.", 0), 0u)
      << message;
  EXPECT_TRUE(std::filesystem::is_empty(a));
  EXPECT_TRUE(std::filesystem::is_empty(b));
  // And the next picture that fits goes where it should.
  EXPECT_EQ(WriteNewPictureFile(Bytes(5000), {a, b}, [] { return std::string("7.jpg"); }), a + "7.jpg");
}
#endif

}  // namespace
