#include "capture/jpeg_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "toolkit/file_stream.h"

namespace {

// The jpeg62 interface: the version handed to jpeg_CreateCompress.
constexpr int kCodecVersion = 62;
static_assert(JPEG_LIB_VERSION == kCodecVersion, "built against a libjpeg without the jpeg62 interface");

constexpr std::size_t kOutputBufferSize = 4096;

}  // namespace

// One encoding's codec state. The codec calls back into it through
// client_data; its error exit long-jumps to the point in RunCodec.
struct JpegCodecSession {
  explicit JpegCodecSession(std::size_t sizeLimit) : limit(sizeLimit) {
    errors.error_exit = ErrorExit;
    errors.emit_message = [](j_common_ptr, int) {};
    errors.output_message = [](j_common_ptr) {};
    errors.format_message = [](j_common_ptr, char*) {};
    errors.reset_error_mgr = [](j_common_ptr cinfo) {
      cinfo->err->num_warnings = 0;
      cinfo->err->msg_code = 0;
    };
    destination.init_destination = InitDestination;
    destination.empty_output_buffer = EmptyOutputBuffer;
    destination.term_destination = TermDestination;
    cinfo.err = &errors;
    cinfo.client_data = this;
  }

  static JpegCodecSession& Of(j_common_ptr cinfo) {
    return *static_cast<JpegCodecSession*>(cinfo->client_data);
  }

  [[noreturn]] static void ErrorExit(j_common_ptr cinfo) { std::longjmp(Of(cinfo).jump, 1); }

  [[noreturn]] static void Fail(j_compress_ptr cinfo, int code) {
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    std::abort();  // error_exit does not come back
  }

  static void InitDestination(j_compress_ptr cinfo) {
    JpegCodecSession& s = Of(reinterpret_cast<j_common_ptr>(cinfo));
    s.destination.next_output_byte = s.buffer;
    s.destination.free_in_buffer = kOutputBufferSize;
  }

  static boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    // The codec calls this only with the whole buffer full, whatever free_in_buffer says.
    Append(cinfo, kOutputBufferSize);
    InitDestination(cinfo);
    return TRUE;
  }

  static void TermDestination(j_compress_ptr cinfo) {
    JpegCodecSession& s = Of(reinterpret_cast<j_common_ptr>(cinfo));
    Append(cinfo, kOutputBufferSize - s.destination.free_in_buffer);
  }

  static void Append(j_compress_ptr cinfo, std::size_t count) {
    JpegCodecSession& s = Of(reinterpret_cast<j_common_ptr>(cinfo));
    std::size_t stored = 0;
    // No C++ exception may cross the codec's C frames: keep it and leave by the error exit.
    try {
      stored = s.Store(s.buffer, count);
    } catch (...) {
      s.failure = std::current_exception();
    }
    if (s.failure) Fail(cinfo, 0);
    if (stored < count) Fail(cinfo, JERR_FILE_WRITE);
  }

  // Appends up to the size limit and returns the bytes stored.
  std::size_t Store(const std::uint8_t* bytes, std::size_t count) {
    if (sink) return sink(bytes, count);
    std::size_t n = std::min(count, limit - std::min(limit, encoded.size()));
    if (!encoded.Append(bytes, n)) throw EStreamError("Out of memory while expanding memory stream");
    return n;
  }

  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  jpeg_destination_mgr destination{};
  std::jmp_buf jump{};
  std::size_t limit;
  TEncodedBytes encoded;
  // Where the bytes go instead, when set: straight to a file.
  std::function<std::size_t(const std::uint8_t*, std::size_t)> sink;
  std::exception_ptr failure;
  JOCTET buffer[kOutputBufferSize];
};

namespace {

struct EncodeJob {
  int width = 0;
  int height = 0;
  JSAMPLE* topRow = nullptr;  // null: nothing to encode
  std::ptrdiff_t rowDistance = 0;
};

// True when the codec finished. Holds no objects with destructors, since the
// error exit long-jumps back into it from anywhere below.
bool RunCodec(JpegCodecSession& s, const EncodeJob& job) {
  if (setjmp(s.jump) != 0) return false;
  jpeg_CreateCompress(&s.cinfo, kCodecVersion, sizeof s.cinfo);
  s.cinfo.dest = &s.destination;
  if (job.topRow == nullptr) return true;

  s.cinfo.image_width = static_cast<JDIMENSION>(job.width);
  s.cinfo.image_height = static_cast<JDIMENSION>(job.height);
  s.cinfo.input_components = 3;
  // The rows hold blue, green, red; the codec is told so instead of swapping bytes.
  s.cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&s.cinfo);
  jpeg_set_quality(&s.cinfo, TJPEGImage::kQuality, TRUE);
  // libjpeg-turbo defaults to the slow integer DCT; the files are made with the float one.
  s.cinfo.dct_method = JDCT_FLOAT;

  jpeg_start_compress(&s.cinfo, TRUE);
  // Bottom-up rows are not one ascending block: one row per call.
  while (s.cinfo.next_scanline < s.cinfo.image_height) {
    JSAMPROW row = job.topRow + static_cast<std::ptrdiff_t>(s.cinfo.next_scanline) * job.rowDistance;
    jpeg_write_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_compress(&s.cinfo);
  return true;
}

}  // namespace

void TJPEGImage::LoadFromBitmap(const TBitmap& bitmap) {
  bitmap_ = bitmap;
  data_ = {};
  encoded_ = false;
}

namespace {

// Runs the codec over the bitmap's rows into the session's store; raises what
// the store raised, or EJPEG for a codec failure.
void EncodeBitmap(JpegCodecSession& session, const TBitmap& source) {
  EncodeJob job;
  if (!source.Empty()) {
    job.width = source.Width();
    job.height = source.Height();
    // The codec reads the bitmap's own rows and never writes them. The top
    // row is the last one in memory, the row below it one row lower.
    auto stride = static_cast<std::ptrdiff_t>(source.BytesPerRow());
    job.topRow = const_cast<JSAMPLE*>(source.Bits()) + (job.height - 1) * stride;
    job.rowDistance = -stride;
  }
  bool finished = RunCodec(session, job);
  jpeg_destroy(reinterpret_cast<j_common_ptr>(&session.cinfo));
  if (session.failure) std::rethrow_exception(session.failure);
  if (!finished) {
    char message[32];
    std::snprintf(message, sizeof message, "JPEG error #%d", session.errors.msg_code);
    throw EJPEG(message);
  }
}

}  // namespace

void TJPEGImage::Encode() {
  data_ = {};
  encoded_ = false;
  JpegCodecSession session(limit_);
  try {
    EncodeBitmap(session, bitmap_);
  } catch (...) {
    data_ = std::move(session.encoded);  // what was produced up to the failure stays readable
    throw;
  }
  data_ = std::move(session.encoded);
  encoded_ = true;
}

void TJPEGImage::WriteStreamed(const std::string& fileName) {
  data_ = {};
  encoded_ = false;
  WriteWholeFile(fileName, [&](TFileStream& file) {
    JpegCodecSession session(limit_);
    session.sink = [&](const std::uint8_t* bytes, std::size_t count) {
      std::size_t written = file.Write(bytes, count);
      if (written != count) {
        int code = LastOSErrorCode();
        throw EWriteError("Cannot write file \"" + ExpandFileName(fileName) + "\": " + SysErrorMessage(code));
      }
      return written;
    };
    EncodeBitmap(session, bitmap_);
  });
}

void TJPEGImage::WriteToFile(const std::string& fileName) {
  if (!encoded_) Encode();
  WriteWholeFile(fileName, [&](TFileStream& file) {
    if (data_.empty()) return;
    std::size_t written = file.Write(data_.data(), data_.size());
    if (written != data_.size()) {
      int code = LastOSErrorCode();
      throw EWriteError(ShortWriteMessage(fileName, written, data_.size(), code));
    }
  });
}
