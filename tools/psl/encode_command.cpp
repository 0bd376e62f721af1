// psl encode IN OUT.jpg: the capture's JPEG encoding applied to a picture file.

#include "capture/jpeg_image.h"
#include "command_line.h"
#include "commands.h"
#include "capture/image_file_reader.h"

int RunEncodeCommand(const Args& args) {
  if (args.size() != 2) return UsageError();
  TBitmap bitmap = ReadImageFile(FileNameArg(args[0]));
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(bitmap);
  // As the capture encodes, but straight into the file: a large picture's
  // encoded bytes are never all in memory.
  jpeg.WriteStreamed(FileNameArg(args[1]));
  return kExitOk;
}
