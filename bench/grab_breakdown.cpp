// Where the time of a grab goes, under Wine with a compositor: the veil
// leaving the screen, the copy of the area, the encoding and the file, each
// timed around the program's own routines on a 1280x800 area, in one run.
// The upload after it is timed by capture_upload_timing.sh.
//
//   psl_grab_bench.exe [RUNS]   (inside scripts/wine-run.sh --mode compositor)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/jpeg_image.h"
#include "capture/picture_file.h"
#include "capture/overlay_form.h"
#include "capture/pattern_window.h"
#include "capture/veil_free_copy_win32.h"
#include "support/message_pump.h"
#include "toolkit/application.h"
#include "toolkit/handles.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class MainForm : public TForm {
 public:
  explicit MainForm(TComponent* owner) : TForm(owner) {}
};

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  TApplication application;
  application.Initialize();
  MainForm* mainForm = nullptr;
  application.CreateForm(mainForm);
  // The picture first: with no window manager, a window mapped later stays above.
  HWND pattern = ShowPatternWindow(RECT{0, 0, 1600, 1000});
  TForm3* overlay = nullptr;
  application.CreateForm(overlay);
  const TGrabArea area{100, 100, 1280, 800};
  std::vector<double> veilTimes, copyTimes, encodeTimes, fileTimes;
  std::vector<int> copies;
  for (int i = 0; i < runs; ++i) {
    overlay->Show();
    overlay->SetAlphaBlendValue(TForm3::kVeilAlpha);
    PumpFor(300);  // the veil composed on the screen, as when the user drags
    TVeil veil{VeilColor(), TForm3::kVeilAlpha, [overlay] { overlay->SetAlphaBlendValue(1); }};
    ScopedGetDC screen(nullptr);
    UniqueBitmap target(CreateCompatibleBitmap(screen.get(), area.width, area.height));
    double start = Now();
    TScreenCopy copy = CopyScreenFromUnderVeil(screen.get(), target.get(), area, veil);
    double lifted = Now();
    TBitmap again = CopyScreenArea(area);
    double copied = Now();
    TJPEGImage jpeg;
    jpeg.LoadFromBitmap(copy.picture);
    jpeg.Encode();
    double encoded = Now();
    std::string path =
        WriteNewPictureFile(jpeg.EncodedData(), {""}, [] { return std::string("grab-bench.jpg"); });
    double written = Now();
    DeleteFileA(path.c_str());
    double oneCopy = copied - lifted;
    // Each copy made under the veil costs one copy; the rest is the wait for the compositor.
    veilTimes.push_back(std::max(0.0, (lifted - start) - oneCopy * copy.copies));
    copyTimes.push_back(oneCopy);
    encodeTimes.push_back(encoded - copied);
    fileTimes.push_back(written - encoded);
    copies.push_back(copy.copies);
    overlay->Close();
    PumpFor(100);
  }
  DestroyWindow(pattern);
  std::printf("grab of a 1280x800 area, %d runs, median ms (min..max):\n", runs);
  auto row = [](const char* what, const std::vector<double>& times) {
    std::printf("  %-44s %7.1f (%.1f..%.1f)\n", what, Median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
  };
  row("the veil leaving the screen (compositor wait)", veilTimes);
  row("one copy of the area (BitBlt, 24-bit rows)", copyTimes);
  row("the encoding (quality 90, float DCT)", encodeTimes);
  row("the file written", fileTimes);
  std::printf("  copies per grab: %d..%d\n", *std::min_element(copies.begin(), copies.end()),
              *std::max_element(copies.begin(), copies.end()));
  return 0;
}
