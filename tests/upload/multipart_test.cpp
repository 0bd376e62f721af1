// The form body byte for byte, its reported size, and reads of any size.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "toolkit/exceptions.h"
#include "upload/socket/exceptions.h"
#include "upload/multipart.h"

namespace fs = std::filesystem;

namespace {

class FormBody : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() / ("psl-form-" + std::to_string(std::random_device{}()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return name;
  }

  static std::string ReadAll(TNetMultiPartFormDataStream& form, std::size_t piece) {
    std::string all;
    std::string buffer(piece, '\0');
    for (std::size_t n; (n = form.Read(buffer.data(), piece)) > 0;) all.append(buffer.data(), n);
    return all;
  }

  static std::string PseudoRandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
  }

  fs::path previous_;
  fs::path folder_;
};

TEST_F(FormBody, LoginAndPictureLayoutByteForByte) {
  std::string picture = PseudoRandomBytes(1000, 1);
  WriteFile("12345.jpg", picture);
  TNetMultiPartFormDataStream form;
  form.AddValueField("login", "abc");
  form.AddFilePart("pic", "12345.jpg", "image/pjpeg");
  const std::string b = form.PartBoundary();

  std::string expected = "--" + b +
                         "\r\n"
                         "Content-Disposition: form-data; name=\"login\"\r\n"
                         "\r\n"
                         "abc\r\n"
                         "--" +
                         b +
                         "\r\n"
                         "Content-Disposition: form-data; name=\"pic\"; filename=\"12345.jpg\"\r\n"
                         "Content-Type: image/pjpeg\r\n"
                         "Content-Transfer-Encoding: binary\r\n"
                         "\r\n" +
                         picture + "\r\n--" + b + "--\r\n";
  EXPECT_EQ(form.Seek(0, TNetBaseStream::TSeekOrigin::soEnd), 1268);
  EXPECT_EQ(expected.size(), 1268u);
  EXPECT_EQ(ReadAll(form, 32768), expected);
  EXPECT_EQ(form.Seek(0, TNetBaseStream::TSeekOrigin::soCurrent), 1268);
}

TEST_F(FormBody, BoundaryAndContentTypeFollowTheClock) {
  TNetMultiPartFormDataStream form;
  EXPECT_EQ(form.PartBoundary().size(), 23u);
  EXPECT_EQ(form.PartBoundary().substr(0, 8), "--------");
  EXPECT_EQ(form.PartBoundary().find_first_not_of("0123456789", 8), std::string::npos);
  EXPECT_EQ(form.FormContentType(), "multipart/form-data; boundary=" + form.PartBoundary());
  EXPECT_EQ(form.FormContentType().size(), 53u);
  EXPECT_EQ(MakePartBoundary(2026, 12, 9, 5, 7, 3, 45), "--------120926050703045");
  EXPECT_EQ(MakePartBoundary(2001, 1, 31, 23, 59, 59, 999), "--------013101235959999");
}

TEST_F(FormBody, SizeMatchesTheBytesForEveryMixOfParts) {
  WriteFile("empty.jpg", "");
  WriteFile("small.jpg", "xyz");
  WriteFile("large.jpg", PseudoRandomBytes(100000, 2));
  const std::vector<std::function<void(TNetMultiPartFormDataStream&)>> parts = {
      [](auto& f) { f.AddValueField("login", ""); },
      [](auto& f) { f.AddValueField("v", "line\r\n--" + f.PartBoundary() + "--\r\n\"quoted\""); },
      [](auto& f) { f.AddFilePart("pic", "empty.jpg", "image/pjpeg"); },
      [](auto& f) { f.AddFilePart("pic", "small.jpg", "image/pjpeg"); },
      [](auto& f) { f.AddFilePart("pic", "large.jpg", "image/pjpeg"); },
  };
  for (unsigned mask = 1; mask < (1u << parts.size()); ++mask) {
    TNetMultiPartFormDataStream form;
    for (std::size_t i = 0; i < parts.size(); ++i)
      if (mask & (1u << i)) parts[i](form);
    std::string whole = ReadAll(form, 32768);
    EXPECT_EQ(static_cast<std::int64_t>(whole.size()), form.Seek(0, TNetBaseStream::TSeekOrigin::soEnd))
        << mask;
    EXPECT_EQ(whole.substr(whole.size() - 29), "--" + form.PartBoundary() + "--\r\n") << mask;
  }
}

TEST_F(FormBody, OneByteReadsAndOddReadsEqualLargeReadsAndRewindRepeats) {
  WriteFile("pic.jpg", PseudoRandomBytes(70000, 3));
  TNetMultiPartFormDataStream form;
  form.AddValueField("login", "user");
  form.AddFilePart("pic", "pic.jpg", "image/pjpeg");
  form.AddValueField("after", "tail");
  std::string large = ReadAll(form, 32768);
  for (std::size_t piece : {1, 2, 29, 4095, 70000, 1 << 20}) {
    EXPECT_EQ(form.Seek(0, TNetBaseStream::TSeekOrigin::soBeginning), 0);
    EXPECT_EQ(ReadAll(form, piece), large) << piece;
  }
  // A rewind in the middle of the file starts over as well.
  form.Seek(0, TNetBaseStream::TSeekOrigin::soBeginning);
  std::string head(500, '\0');
  form.Read(head.data(), head.size());
  form.Seek(0, TNetBaseStream::TSeekOrigin::soBeginning);
  EXPECT_EQ(ReadAll(form, 32768), large);
}

TEST_F(FormBody, EmptyValueAndEmptyFileLayouts) {
  WriteFile("0.jpg", "");
  TNetMultiPartFormDataStream form;
  form.AddValueField("login", "");
  form.AddFilePart("pic", "0.jpg", "image/pjpeg");
  const std::string b = form.PartBoundary();
  EXPECT_EQ(ReadAll(form, 7),
            "--" + b + "\r\nContent-Disposition: form-data; name=\"login\"\r\n\r\n\r\n--" + b +
                "\r\nContent-Disposition: form-data; name=\"pic\"; filename=\"0.jpg\"\r\n"
                "Content-Type: image/pjpeg\r\nContent-Transfer-Encoding: binary\r\n\r\n\r\n--" +
                b + "--\r\n");
}

TEST_F(FormBody, FormWithoutPartsYieldsItsClosingLine) {
  TNetMultiPartFormDataStream form;
  EXPECT_EQ(form.Seek(0, TNetBaseStream::TSeekOrigin::soEnd), 29);
  EXPECT_EQ(ReadAll(form, 5), "--" + form.PartBoundary() + "--\r\n");
}

TEST_F(FormBody, SeekReportsAndOnlyRewindsToTheStart) {
  TNetMultiPartFormDataStream form;
  form.AddValueField("a", "bcd");
  std::string part(10, '\0');
  ASSERT_EQ(form.Read(part.data(), part.size()), 10u);
  using O = TNetBaseStream::TSeekOrigin;
  const std::int64_t size = 2 + 23 + 2 + 40 + 4 + 3 + 2 + 29;
  EXPECT_EQ(form.Seek(5, O::soBeginning), 10);
  EXPECT_EQ(form.Seek(3, O::soCurrent), 10);
  EXPECT_EQ(form.Seek(-4, O::soEnd), size);
  EXPECT_EQ(form.Seek(0, O::soBeginning), 0);
  EXPECT_EQ(static_cast<std::int64_t>(ReadAll(form, 64).size()), size);
}

TEST_F(FormBody, WritingOrResizingIsUnsupported) {
  TNetMultiPartFormDataStream form;
  char byte = 'x';
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      if (attempt == 0)
        form.Write(&byte, 1);
      else
        form.SetSize(10);
      ADD_FAILURE() << "nothing raised";
    } catch (const ENetException& e) {
      EXPECT_STREQ(e.ClassName(), "ENetException");
      EXPECT_EQ(e.Message(), "Unsupported operation.");
    }
  }
}

TEST_F(FormBody, MissingFileRaisesOpenErrorAndAddsNoPart) {
  TNetMultiPartFormDataStream form;
  try {
    form.AddFilePart("pic", "missing.jpg", "image/pjpeg");
    ADD_FAILURE() << "nothing raised";
  } catch (const EFOpenError& e) {
    std::string prefix = "Cannot open file \"" + ExpandFileName("missing.jpg") + "\". ";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size()) << "the system's text follows";
  }
  EXPECT_TRUE(form.Fields().empty());
  EXPECT_EQ(form.Seek(0, TNetBaseStream::TSeekOrigin::soEnd), 29);
}

#ifdef _WIN32
// Only Windows enforces sharing modes: others may read the picture while it is
// posted, but neither write nor delete it, until the form is gone.
TEST_F(FormBody, FileIsSharedForReadingOnlyWhileThePartLives) {
  WriteFile("held.jpg", "abc");
  {
    TNetMultiPartFormDataStream form;
    form.AddFilePart("pic", "held.jpg", "image/pjpeg");
    EXPECT_TRUE(std::ifstream("held.jpg", std::ios::binary).good());
    EXPECT_FALSE(std::ofstream("held.jpg", std::ios::binary | std::ios::app).good());
    std::error_code refused;
    EXPECT_FALSE(fs::remove("held.jpg", refused));
  }
  EXPECT_TRUE(fs::remove("held.jpg"));
}
#endif

}  // namespace
