// Our JPEG files against the reference tools: Debian's djpeg and ImageMagick
// decode them, cjpeg with the same settings encodes the same bytes, and the
// psl tool reports failures the way its other commands do. Native build only.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>

#include "capture/jpeg_image.h"
#include "jpeg_test_support.h"
#include "support/temp_folder.h"

namespace {

struct CommandResult {
  int exitCode = -1;
  std::string errors;
};

CommandResult RunShell(const TempFolder& dir, const std::string& command) {
  std::string errFile = dir.File("stderr.txt");
  int status = std::system((command + " 2>'" + errFile + "'").c_str());
  CommandResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::vector<std::uint8_t> text = ReadFileBytes(errFile);
  result.errors.assign(text.begin(), text.end());
  return result;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::vector<std::uint8_t> Ppm(const TBitmap& bitmap, int maxValue = 255) {
  std::string header = "P6\n# made by the test\n" + std::to_string(bitmap.Width()) + " " +
                       std::to_string(bitmap.Height()) + "\n" + std::to_string(maxValue) + "\n";
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      TColorRGB c = bitmap.Pixel(x, y);
      for (int v : {c.r, c.g, c.b}) bytes.push_back(static_cast<std::uint8_t>(v * maxValue / 255));
    }
  return bytes;
}

// Reads the binary PPM that djpeg and ImageMagick write.
RgbImage ParsePpm(const std::vector<std::uint8_t>& f) {
  RgbImage image;
  int maxValue = 0;
  int consumed = 0;
  std::string head(f.begin(), f.begin() + std::min<std::size_t>(f.size(), 64));
  if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &image.width, &image.height, &maxValue, &consumed) != 3 ||
      maxValue != 255)
    return {};
  image.rgb.assign(f.begin() + consumed + 1, f.end());
  if (image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) return {};
  return image;
}

// Smooth colours with noise on top: busy enough that any change of DCT or
// quantisation changes the bytes.
TBitmap NoisyBitmap(int width, int height, unsigned seed) {
  TBitmap bitmap = GradientBitmap(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TColorRGB c = bitmap.Pixel(x, y);
      auto jitter = [&](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::clamp(v + int(random() % 41) - 20, 0, 255));
      };
      bitmap.SetPixel(x, y, {jitter(c.r), jitter(c.g), jitter(c.b)});
    }
  return bitmap;
}

// ImageMagick's bottom-up BMP turned into a top-down one: negative height, rows reversed.
std::vector<std::uint8_t> TopDownBmp(std::vector<std::uint8_t> bmp) {
  auto le32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(bmp[at] | (bmp[at + 1] << 8) | (bmp[at + 2] << 16) |
                                     (bmp[at + 3] << 24));
  };
  std::int32_t offset = le32(10), width = le32(18), height = le32(22);
  std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> rows(bmp.begin() + offset, bmp.begin() + offset + stride * height);
  for (std::int32_t r = 0; r < height; ++r)
    std::copy_n(rows.begin() + (height - 1 - r) * stride, stride, bmp.begin() + offset + r * stride);
  std::uint32_t negative = static_cast<std::uint32_t>(-height);
  for (int i = 0; i < 4; ++i) bmp[22 + i] = static_cast<std::uint8_t>(negative >> (8 * i));
  return bmp;
}

TEST(JpegReferenceTools, DjpegAndImageMagickDecodeOurFilesToTheSourcePixels) {
  TempFolder dir{"psl-jpeg"};
  std::vector<std::pair<std::string, TBitmap>> pictures;
  for (auto [width, height] : {std::pair{1, 1}, {300, 1}, {1, 2}, {31, 17}, {640, 480}})
    pictures.emplace_back(std::to_string(width) + "x" + std::to_string(height),
                          GradientBitmap(width, height));
  TBitmap red(32, 32);  // red on the screen must not come out blue
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) red.SetPixel(x, y, {255, 0, 0});
  pictures.emplace_back("pure red", red);
  for (const auto& [what, source] : pictures) {
    SCOPED_TRACE(what);
    TJPEGImage jpeg;
    jpeg.LoadFromBitmap(source);
    std::string file = dir.File("pic.jpg");
    jpeg.WriteToFile(file);
    const std::pair<const char*, std::string> decoders[] = {
        {"djpeg", "djpeg -pnm " + Quoted(file) + " > " + Quoted(dir.File("out.ppm"))},
        {"ImageMagick", "convert " + Quoted(file) + " -depth 8 ppm:" + Quoted(dir.File("out.ppm"))}};
    for (const auto& [name, command] : decoders) {
      SCOPED_TRACE(name);
      ASSERT_EQ(RunShell(dir, command).exitCode, 0);
      PixelDifference d = Compare(source, ParsePpm(ReadFileBytes(dir.File("out.ppm"))));
      EXPECT_LE(d.max, 12);
      EXPECT_LE(d.mean, 1.5);
    }
  }
}

TEST(JpegReferenceTools, PslEncodeWritesTheBytesCjpegWritesWithTheSameSettings) {
  TempFolder dir{"psl-jpeg"};
  struct Case {
    int width, height, maxValue;
  };
  const Case cases[] = {{1, 1, 255},   {1, 2, 255},  {2, 1, 255},    {7, 5, 255},     {17, 9, 255},
                        {16, 16, 255}, {33, 1, 255}, {101, 77, 255}, {640, 480, 255}, {45, 31, 63}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " maxval " +
                 std::to_string(c.maxValue));
    std::string ppm = dir.File("in.ppm"), bmp = dir.File("in.bmp"), topDown = dir.File("top-down.bmp");
    WriteFileBytes(ppm, Ppm(NoisyBitmap(c.width, c.height, static_cast<unsigned>(c.width * 1000 + c.height)),
                            c.maxValue));
    ASSERT_EQ(RunShell(dir, "cjpeg -quality 90 -baseline -dct float " + Quoted(ppm) + " > " +
                                Quoted(dir.File("ref.jpg")))
                  .exitCode,
              0);
    std::vector<std::uint8_t> reference = ReadFileBytes(dir.File("ref.jpg"));
    ASSERT_FALSE(reference.empty());

    std::vector<std::string> inputs = {ppm};
    if (c.maxValue == 255) {
      // BMP3: the Windows 3 header; -type TrueColor keeps 24 bits even for few colours.
      ASSERT_EQ(RunShell(dir, "convert " + Quoted(ppm) + " -type TrueColor BMP3:" + Quoted(bmp)).exitCode, 0);
      std::vector<std::uint8_t> bottomUp = ReadFileBytes(bmp);
      ASSERT_GE(bottomUp.size(), 54u);
      ASSERT_EQ(bottomUp[28], 24) << "ImageMagick wrote no 24-bit BMP";
      WriteFileBytes(topDown, TopDownBmp(bottomUp));
      inputs.push_back(bmp);
      inputs.push_back(topDown);
    }
    for (const std::string& input : inputs) {
      SCOPED_TRACE(input);
      std::string out = dir.File("out.jpg");
      CommandResult r = RunShell(dir, std::string(PSL_TOOL) + " encode " + Quoted(input) + " " + Quoted(out));
      ASSERT_EQ(r.exitCode, 0) << r.errors;
      EXPECT_TRUE(ReadFileBytes(out) == reference) << "differs from cjpeg";
    }
  }
}

TEST(JpegReferenceTools, PslEncodeReportsFailuresAsClassAndMessage) {
  TempFolder dir{"psl-jpeg"};
  WriteFileBytes(dir.File("text.ppm"), {'h', 'e', 'l', 'l', 'o'});
  WriteFileBytes(dir.File("short.ppm"), {'P', '6', ' ', '4', ' ', '4', ' ', '2', '5', '5', '\n', 0, 0, 0});
  WriteFileBytes(dir.File("ok.ppm"), Ppm(GradientBitmap(4, 4)));
  struct Case {
    std::string arguments;
    int exitCode;
    std::string errorStart;
  };
  const Case cases[] = {
      // Each failure is one line that names the file it concerns first.
      {Quoted(dir.File("nothing.bmp")) + " " + Quoted(dir.File("x.jpg")), 1,
       dir.File("nothing.bmp") + ": EFOpenError: Cannot open file \"" + dir.File("nothing.bmp") + "\". "},
      {Quoted(dir.File("text.ppm")) + " " + Quoted(dir.File("x.jpg")), 1,
       dir.File("text.ppm") + ": EInvalidGraphic: "},
      {Quoted(dir.File("short.ppm")) + " " + Quoted(dir.File("x.jpg")), 1,
       dir.File("short.ppm") + ": EInvalidGraphic: PPM file is truncated\n"},
      {Quoted(dir.File("ok.ppm")) + " " + Quoted(dir.File("no/x.jpg")), 1,
       dir.File("no/x.jpg") + ": EFCreateError: Cannot create file \"" + dir.File("no/x.jpg") + "\". "},
      // A usage error says what was wrong, then shows the usage.
      {Quoted(dir.File("ok.ppm")), 2, "psl: encode takes an input and an output, 1 given\nusage: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    CommandResult r = RunShell(dir, std::string(PSL_TOOL) + " encode " + c.arguments);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.errors.substr(0, c.errorStart.size()), c.errorStart) << r.errors;
  }
}

// "-" is standard input as the picture and standard output as the JPEG,
// bytes as they are.
TEST(JpegReferenceTools, PslEncodeReadsAndWritesTheStandardStreams) {
  TempFolder dir{"psl-jpeg"};
  WriteFileBytes(dir.File("in.ppm"), Ppm(GradientBitmap(37, 21)));
  std::string psl = std::string(PSL_TOOL) + " encode ";
  ASSERT_EQ(RunShell(dir, psl + Quoted(dir.File("in.ppm")) + " " + Quoted(dir.File("file.jpg"))).exitCode, 0);
  CommandResult r =
      RunShell(dir, psl + "- - < " + Quoted(dir.File("in.ppm")) + " > " + Quoted(dir.File("out.jpg")));
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  EXPECT_EQ(ReadFileBytes(dir.File("out.jpg")), ReadFileBytes(dir.File("file.jpg")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("-")));
  r = RunShell(dir, psl + "- " + Quoted(dir.File("x.jpg")) + " < /dev/null");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.errors.rfind("standard input: EInvalidGraphic: ", 0), 0u) << r.errors;
}

// A picture JPEG cannot hold (wider than 65535), written over an earlier
// output: the failure, and the earlier file as it was, with no part left.
TEST(JpegReferenceTools, PslEncodeReplacesAnOutputOnlyWithAWholePicture) {
  TempFolder dir{"psl-jpeg"};
  std::string header = "P6 65536 1 255\n";
  std::vector<std::uint8_t> wide(header.begin(), header.end());
  wide.resize(wide.size() + 65536 * 3, 0x80);
  WriteFileBytes(dir.File("wide.ppm"), wide);
  WriteFileBytes(dir.File("ok.ppm"), Ppm(GradientBitmap(8, 8)));
  WriteFileBytes(dir.File("out.jpg"), {'e', 'a', 'r', 'l', 'i', 'e', 'r'});
  CommandResult r = RunShell(dir, std::string(PSL_TOOL) + " encode " + Quoted(dir.File("wide.ppm")) + " " +
                                      Quoted(dir.File("out.jpg")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.errors.rfind(dir.File("out.jpg") + ": EJPEG: JPEG error #", 0), 0u) << r.errors;
  EXPECT_EQ(ReadFileBytes(dir.File("out.jpg")),
            std::vector<std::uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.jpg.part")));
  // A whole picture takes its place.
  r = RunShell(dir, std::string(PSL_TOOL) + " encode " + Quoted(dir.File("ok.ppm")) + " " +
                        Quoted(dir.File("out.jpg")));
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  EXPECT_EQ(DecodeJpeg(ReadFileBytes(dir.File("out.jpg"))).width, 8);
}

TEST(JpegReferenceTools, ShortWritesRaiseAStreamErrorNamingTheFileAndCounts) {
  TempFolder dir{"psl-jpeg"};
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(NoisyBitmap(200, 200, 3));
  jpeg.Encode();
  std::string total = std::to_string(jpeg.EncodedData().size());
  ASSERT_GT(jpeg.EncodedData().size(), 4000u);

  // A full device takes nothing; a file size limit takes the first 1000 bytes.
  struct Case {
    std::string file;
    rlim_t sizeLimit;
    std::string written;
  };
  const Case cases[] = {{"/dev/full", RLIM_INFINITY, "0"}, {dir.File("4.jpg"), 1000, "1000"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = c.sizeLimit;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    std::string message, className;
    bool isStreamError = false;
    try {
      jpeg.WriteToFile(c.file);
    } catch (const Exception& e) {
      message = e.Message();
      className = e.ClassName();
      isStreamError = dynamic_cast<const EStreamError*>(&e) != nullptr;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(className, "EWriteError");
    EXPECT_TRUE(isStreamError);
    EXPECT_EQ(message.substr(0, message.find(". ")),
              "Cannot write file \"" + c.file + "\": " + c.written + " of " + total + " bytes written");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("4.jpg"))) << "a cut picture is left behind";
  EXPECT_FALSE(std::filesystem::exists(dir.File("4.jpg.part")));
}

}  // namespace
