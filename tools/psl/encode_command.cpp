// psl encode IN OUT.jpg: the capture's JPEG encoding applied to a picture file.

#include <cstdio>
#include <vector>

#include "capture/image_file_reader.h"
#include "capture/jpeg_image.h"
#include "command_line.h"
#include "commands.h"

namespace {

constexpr char kStandardStream[] = "-";

TBitmap ReadPicture(const std::string& arg) {
  if (arg != kStandardStream) return ReadImageFile(arg);
  SetBinary(stdin);
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin))
    bytes.insert(bytes.end(), buffer, buffer + n);
  if (std::ferror(stdin)) throw EReadError("Cannot read standard input");
  return DecodeImageFile(bytes, "standard input");
}

void WritePicture(TJPEGImage& jpeg, const std::string& arg) {
  if (arg != kStandardStream) {
    // As the capture encodes, but straight into the file: a large picture's
    // encoded bytes are never all in memory.
    jpeg.WriteStreamed(arg);
    return;
  }
  jpeg.Encode();
  SetBinary(stdout);
  const TEncodedBytes& bytes = jpeg.EncodedData();
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
    throw EWriteError("Cannot write standard output");
}

}  // namespace

int RunEncodeCommand(const Args& args) {
  if (args.size() != 2)
    return UsageError("encode takes an input and an output, " + std::to_string(args.size()) + " given");
  TBitmap bitmap;
  try {
    bitmap = ReadPicture(args[0]);
  } catch (const Exception& e) {
    return ReportFailure(args[0] == kStandardStream ? "standard input" : args[0], e);
  }
  try {
    TJPEGImage jpeg;
    jpeg.LoadFromBitmap(bitmap);
    WritePicture(jpeg, args[1]);
  } catch (const Exception& e) {
    return ReportFailure(args[1] == kStandardStream ? "standard output" : args[1], e);
  }
  return kExitOk;
}
