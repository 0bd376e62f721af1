// The picture reader of `psl encode` on arbitrary bytes: it either raises one
// of the toolkit's exceptions or returns a picture whose every row is there.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "capture/image_file_reader.h"
#include "toolkit/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  TBitmap picture;
  try {
    picture = DecodeImageFile(bytes, "fuzz");
  } catch (const Exception&) {
    return 0;
  }
  if (picture.Width() < 0 || picture.Height() < 0) std::abort();
  // Every pixel came from the input, so a picture never outgrows it.
  if (static_cast<std::uint64_t>(picture.Width()) * 3 * static_cast<std::uint64_t>(picture.Height()) > size)
    std::abort();
  if (picture.Empty()) return 0;
  volatile std::uint8_t sink = 0;
  for (int y = 0; y < picture.Height(); ++y) sink = sink ^ picture.ScanLine(y)[picture.BytesPerRow() - 1];
  return 0;
}
