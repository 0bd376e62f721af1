#pragma once
// TJPEGImage: turns a bitmap into a baseline JFIF file with libjpeg, the way
// every capture is stored (quality 90, 4:2:0, standard Huffman tables,
// floating-point DCT).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/bitmap.h"
#include "capture/encoded_bytes.h"
#include "toolkit/exceptions.h"

// A codec failure; the message is "JPEG error #" and libjpeg's message code.
PSL_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);

class TJPEGImage {
 public:
  TJPEGImage() = default;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  // Shares the bitmap's pixels (no copy) and discards any encoded data. The
  // codec reads the bitmap's own rows: no working copy of the picture.
  void LoadFromBitmap(const TBitmap& bitmap);
  // Encodes if needed, then creates or replaces the file with the encoded
  // bytes in one write. Raises EFCreateError, EJPEG, EStreamError, or
  // EWriteError when the file takes fewer bytes than the picture has; a
  // failure leaves a file that was there as it was.
  void WriteToFile(const std::string& fileName);
  // Builds the encoded data from the bitmap. An empty bitmap gives 0 bytes.
  void Encode();
  // Creates or replaces the file and encodes straight into it, without holding
  // the encoded bytes: the same file, in many writes (the console tool's way
  // with large pictures). Raises as WriteToFile and likewise replaces a file
  // only with a whole picture; keeps no encoded data.
  void WriteStreamed(const std::string& fileName);

  // The file's bytes once encoded; after a failed encoding, what was produced up to the failure.
  const TEncodedBytes& EncodedData() const noexcept { return data_; }
  bool HasEncodedData() const noexcept { return encoded_; }

  // Captures are always colour, sequential and of this quality.
  static constexpr int kQuality = 90;

  // The most bytes the encoded data may hold; an append beyond it stores only
  // what fits and the codec stops with its output write error (code 37).
  // The default is the 2 GiB a memory stream can address.
  void SetEncodedSizeLimit(std::size_t limit) noexcept { limit_ = limit; }

 private:
  TBitmap bitmap_;
  TEncodedBytes data_;
  bool encoded_ = false;
  std::size_t limit_ = 0x7FFFFFFF;
};
