// ExtractDelimited and FindFrom on arbitrary texts, markers, starts and modes.
// Checks what must hold whatever the input: the result is a piece of the text,
// start 0 behaves as start 1, and FindFrom finds a real occurrence no earlier
// than the start and none before it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "upload/extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  int start = input.ConsumeIntegralInRange<int>(-3, 300);
  int mode = input.ConsumeIntegralInRange<int>(-1, 2);
  std::string first = input.ConsumeRandomLengthString(8);
  std::string second = input.ConsumeRandomLengthString(8);
  std::string text = input.ConsumeRemainingBytesAsString();

  std::string result = ExtractDelimited(text, first, second, start, mode);
  if (!result.empty() && text.find(result) == std::string::npos) std::abort();
  if (start <= 1 && result != ExtractDelimited(text, first, second, 1, mode)) std::abort();
  if ((mode < 0 || mode > 1) && !result.empty()) std::abort();

  int found = FindFrom(first, text, start);
  int from = start < 1 ? 1 : start;
  if (found != 0) {
    if (found < from || text.compare(static_cast<std::size_t>(found - 1), first.size(), first) != 0)
      std::abort();
  }
  std::size_t expected = first.empty() || static_cast<std::size_t>(from) > text.size()
                             ? std::string::npos
                             : text.find(first, static_cast<std::size_t>(from - 1));
  if ((expected == std::string::npos) != (found == 0)) std::abort();
  if (found != 0 && static_cast<std::size_t>(found - 1) != expected) std::abort();
  return 0;
}
