// Encoding speed and memory of a capture: TJPEGImage next to libjpeg driven
// directly with the same settings and next to cjpeg, the reference encoder,
// in one run. Prints megapixels per second, the ratios, and the peak heap the
// encoding takes beyond the picture itself against its bound: the encoded
// bytes plus libjpeg's own buffers.
//
// Then psl encode against cjpeg as whole processes on the same 3840x2160 BMP.
//
//   jpeg_bench [repetitions]

#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "capture/jpeg_image.h"

// Heap accounting: every allocation of the process, libjpeg's included, goes
// through these and is counted with its usable size. Sanitizers bring their
// own allocator, so their builds go without the memory figures.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PSL_COUNT_HEAP 0
#else
#define PSL_COUNT_HEAP 1
#endif

namespace {
std::atomic<long long> heapNow{0};
std::atomic<long long> heapPeak{0};

[[maybe_unused]] void Count(void* p, int sign) {
  if (p == nullptr) return;
  long long now = heapNow += sign * static_cast<long long>(malloc_usable_size(p));
  long long peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
}
}  // namespace

#if PSL_COUNT_HEAP
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

extern "C" {
void* malloc(size_t size) {
  void* p = __libc_malloc(size);
  Count(p, 1);
  return p;
}
void* calloc(size_t n, size_t size) {
  void* p = __libc_calloc(n, size);
  Count(p, 1);
  return p;
}
void* realloc(void* old, size_t size) {
  Count(old, -1);
  void* p = __libc_realloc(old, size);
  Count(p != nullptr ? p : (size != 0 ? old : nullptr), 1);
  return p;
}
void free(void* p) {
  Count(p, -1);
  __libc_free(p);
}
void* memalign(size_t alignment, size_t size) {
  void* p = __libc_memalign(alignment, size);
  Count(p, 1);
  return p;
}
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
  void* p = memalign(alignment, size);
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}
}
#endif

namespace {

using Clock = std::chrono::steady_clock;

// A desktop-like picture: flat panels, lines of "text" strokes, a photo area
// with gradients and noise. Screens compress far better than noise, and the
// encoder's speed depends on that.
TBitmap ScreenLikePicture(int width, int height) {
  TBitmap bitmap(width, height);
  std::mt19937 random(12345);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t r, g, b;
      if (y < height / 20) {  // title bar
        r = 40, g = 90, b = 160;
      } else if (x < width / 5) {  // side panel with text lines
        bool stroke = (y / 4) % 5 != 4 && ((x * 7 + y * 3) % 11 < 3) && (y / 20) % 2 == 0;
        r = g = b = stroke ? 20 : 235;
      } else if (x > width / 2 && y > height / 3) {  // photo
        int n = static_cast<int>(random() % 31) - 15;
        r = static_cast<std::uint8_t>(std::clamp(x * 255 / width + n, 0, 255));
        g = static_cast<std::uint8_t>(std::clamp(y * 255 / height + n, 0, 255));
        b = static_cast<std::uint8_t>(std::clamp(128 + ((x ^ y) & 63) + n, 0, 255));
      } else {  // document with text
        bool stroke = (y / 3) % 6 < 4 && ((x * 13 + (y / 3) * 5) % 17 < 5) && (y / 18) % 2 == 0;
        r = g = b = stroke ? 30 : 255;
      }
      row[x * 3] = b;
      row[x * 3 + 1] = g;
      row[x * 3 + 2] = r;
    }
  }
  return bitmap;
}

// libjpeg with the capture's settings over the bitmap's rows, into dest.
void CompressDirectly(const TBitmap& bitmap, jpeg_compress_struct& cinfo) {
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.dct_method = JDCT_FLOAT;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.ScanLine(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
}

// What the encoding costs without the object around it: the encoded size.
std::size_t EncodeDirectly(const TBitmap& bitmap) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  CompressDirectly(bitmap, cinfo);
  std::free(out);
  return size;
}

// The peak heap of libjpeg's own buffers for this picture: the capture's
// settings with a destination that keeps nothing.
long long CodecBuffersPeak(const TBitmap& bitmap) {
  static JOCTET sink[4096];
  jpeg_destination_mgr discard{};
  discard.init_destination = [](j_compress_ptr c) {
    c->dest->next_output_byte = sink;
    c->dest->free_in_buffer = sizeof sink;
  };
  discard.empty_output_buffer = [](j_compress_ptr c) {
    c->dest->next_output_byte = sink;
    c->dest->free_in_buffer = sizeof sink;
    return TRUE;
  };
  discard.term_destination = [](j_compress_ptr) {};
  long long before = heapNow.load();
  heapPeak = before;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  cinfo.dest = &discard;
  CompressDirectly(bitmap, cinfo);
  return heapPeak.load() - before;
}

void WritePpm(const TBitmap& bitmap, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << bitmap.Width() << " " << bitmap.Height() << "\n255\n";
  std::vector<char> row(static_cast<std::size_t>(bitmap.Width()) * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* in = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      row[x * 3] = static_cast<char>(in[x * 3 + 2]);
      row[x * 3 + 1] = static_cast<char>(in[x * 3 + 1]);
      row[x * 3 + 2] = static_cast<char>(in[x * 3]);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
}

// Runs a program once; returns the wall time in seconds and its peak resident
// size in KiB. GNU time stands between: a child spawned from this large
// process would report this process's peak as its own.
std::pair<double, long> RunTool(const std::vector<const char*>& command) {
  static const std::string report =
      (std::filesystem::temp_directory_path() / ("psl-bench-rss-" + std::to_string(getpid()))).string();
  std::vector<char*> argv{const_cast<char*>("/usr/bin/time"), const_cast<char*>("-f"),
                          const_cast<char*>("%M"), const_cast<char*>("-o"),
                          const_cast<char*>(report.c_str())};
  for (const char* a : command) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    std::perror(argv[0]);
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", command[0]);
    std::exit(1);
  }
  long kib = 0;
  std::ifstream(report) >> kib;
  return {seconds, kib};
}

std::pair<double, long> RunCjpeg(const std::string& in, const std::string& out) {
  return RunTool(
      {"cjpeg", "-quality", "90", "-baseline", "-dct", "float", "-outfile", out.c_str(), in.c_str()});
}

void WriteBmp(const TBitmap& bitmap, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  auto le32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i)));
  };
  auto le16 = [&](std::uint16_t v) {
    out.put(static_cast<char>(v));
    out.put(static_cast<char>(v >> 8));
  };
  auto size = static_cast<std::uint32_t>(bitmap.ImageSize());
  out << "BM";
  le32(54 + size);
  le32(0);
  le32(54);
  le32(40);
  le32(static_cast<std::uint32_t>(bitmap.Width()));
  le32(static_cast<std::uint32_t>(bitmap.Height()));  // bottom-up, as the bitmap keeps its rows
  le16(1);
  le16(24);
  for (std::uint32_t v : {0u, size, 0u, 0u, 0u, 0u}) le32(v);
  out.write(reinterpret_cast<const char*>(bitmap.Bits()), size);
}

double Seconds(const std::function<void()>& run) {
  auto start = Clock::now();
  run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double MiB(long long bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("psl-jpeg-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);

  std::printf("JPEG encoding, quality 90, 4:2:0, float DCT; median of %d runs\n", repetitions);
  std::printf("%-10s %12s %12s %12s %9s %10s %10s\n", "picture", "TJPEGImage", "libjpeg", "cjpeg", "ours/lib",
              "ours/cjpeg", "same bytes");
  std::printf("%-10s %12s %12s %12s %9s %9s\n", "", "MP/s", "MP/s", "MP/s*", "", "");
  struct Memory {
    const char* name;
    long long peak, codec, encoded;
    long cjpegKiB;
    std::size_t picture;
  };
  std::vector<Memory> memory;
  for (auto [width, height, name] :
       {std::tuple{1920, 1080, "1920x1080"}, std::tuple{3840, 2160, "3840x2160"}}) {
    TBitmap picture = ScreenLikePicture(width, height);
    double megapixels = static_cast<double>(width) * height / 1e6;

    std::string ppm = (dir / "in.ppm").string(), out = (dir / "out.jpg").string();
    WritePpm(picture, ppm);
    // The three take turns, so that a busy moment of the machine hits all of them alike.
    TJPEGImage jpeg;
    long cjpegKiB = 0;
    std::vector<double> oursTimes, directTimes, referenceTimes;
    for (int i = 0; i < repetitions; ++i) {
      oursTimes.push_back(Seconds([&] {
        jpeg.LoadFromBitmap(picture);
        jpeg.Encode();
      }));
      directTimes.push_back(Seconds([&] { EncodeDirectly(picture); }));
      referenceTimes.push_back(Seconds([&] { cjpegKiB = RunCjpeg(ppm, out).second; }));
    }
    double ours = Median(oursTimes), direct = Median(directTimes), reference = Median(referenceTimes);
    std::ifstream cjpegOut(out, std::ios::binary);
    std::vector<std::uint8_t> cjpegBytes{std::istreambuf_iterator<char>(cjpegOut),
                                         std::istreambuf_iterator<char>()};

    // Peak heap of one encoding, beyond what was allocated before it.
    TJPEGImage measured;
    measured.LoadFromBitmap(picture);
    long long before = heapNow.load();
    heapPeak = before;
    measured.Encode();
    long long peak = heapPeak.load() - before;
    memory.push_back({name, peak, CodecBuffersPeak(picture),
                      static_cast<long long>(measured.EncodedData().size()), cjpegKiB, picture.ImageSize()});

    std::printf("%-10s %12.1f %12.1f %12.1f %9.2f %10.2f %10s\n", name, megapixels / ours,
                megapixels / direct, megapixels / reference, direct / ours, reference / ours,
                cjpegBytes == measured.EncodedData() ? "yes" : "NO");
  }
  std::printf("* cjpeg: whole process, reading the PPM file from %s included\n\n",
              std::filesystem::temp_directory_path().string().c_str());

  // The bound: the encoded bytes and the codec's own buffers; nothing the size of the picture.
  std::printf("%-10s %12s %12s %12s %12s %12s %12s\n", "picture", "peak extra", "encoded", "codec bufs",
              "extra/bound", "picture", "cjpeg RSS");
  std::printf("%-10s %12s %12s %12s %12s %12s %12s\n", "", "MiB", "MiB", "MiB", "", "MiB", "MiB");
  if (!PSL_COUNT_HEAP) std::printf("(no heap figures in sanitizer builds)\n");
  for (const Memory& m : memory)
    if (PSL_COUNT_HEAP)
      std::printf("%-10s %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f\n", m.name, MiB(m.peak), MiB(m.encoded),
                  MiB(m.codec), static_cast<double>(m.peak) / static_cast<double>(m.encoded + m.codec),
                  MiB(static_cast<long long>(m.picture)), m.cjpegKiB / 1024.0);

  // The console encoder against the reference one, whole processes on the same BMP file.
  {
    TBitmap picture = ScreenLikePicture(3840, 2160);
    std::string bmp = (dir / "in.bmp").string(), ours = (dir / "psl.jpg").string(),
                theirs = (dir / "cjpeg.jpg").string();
    WriteBmp(picture, bmp);
    int runs = std::max(15, repetitions);
    std::vector<double> pslTimes, cjpegTimes;
    long pslKiB = 0, cjpegKiB = 0;
    for (int i = 0; i < runs; ++i) {
      auto [pslSeconds, pslRss] = RunTool({PSL_TOOL, "encode", bmp.c_str(), ours.c_str()});
      auto [cjpegSeconds, cjpegRss] = RunCjpeg(bmp, theirs);
      pslTimes.push_back(pslSeconds);
      cjpegTimes.push_back(cjpegSeconds);
      pslKiB = std::max(pslKiB, pslRss);
      cjpegKiB = std::max(cjpegKiB, cjpegRss);
    }
    std::ifstream a(ours, std::ios::binary), b(theirs, std::ios::binary);
    bool same = std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                           std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
    std::printf("\npsl encode against cjpeg, 3840x2160 BMP, median of %d runs each\n", runs);
    std::printf("%-12s %12s %14s\n", "", "wall s", "peak RSS MiB");
    std::printf("%-12s %12.4f %14.2f\n", "psl encode", Median(pslTimes), pslKiB / 1024.0);
    std::printf("%-12s %12.4f %14.2f\n", "cjpeg", Median(cjpegTimes), cjpegKiB / 1024.0);
    std::printf("psl/cjpeg: wall time %.3f, peak memory %.3f, same bytes %s\n",
                Median(pslTimes) / Median(cjpegTimes),
                static_cast<double>(pslKiB) / static_cast<double>(cjpegKiB), same ? "yes" : "NO");
  }
  std::filesystem::remove_all(dir);
  return 0;
}
