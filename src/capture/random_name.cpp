#include "capture/random_name.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace {
std::uint32_t randomSeed = 0;
constexpr std::uint32_t kMultiplier = 0x08088405;  // 134775813
constexpr std::int32_t kPictureNameRange = 100000;
}  // namespace

std::uint32_t RandomSeed() noexcept { return randomSeed; }

void SetRandomSeed(std::uint32_t seed) noexcept { randomSeed = seed; }

void ReseedRandom() noexcept {
#ifdef _WIN32
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter))
    randomSeed = static_cast<std::uint32_t>(counter.LowPart);
  else
    randomSeed = GetTickCount();
#else
  randomSeed = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

std::uint32_t DrawRandom(std::int32_t n) noexcept {
  randomSeed = randomSeed * kMultiplier + 1;  // unsigned arithmetic wraps modulo 2^32
  return static_cast<std::uint32_t>(
      (static_cast<std::uint64_t>(randomSeed) * static_cast<std::uint32_t>(n)) >> 32);
}

std::string DrawPictureFileName() { return std::to_string(DrawRandom(kPictureNameRange)) + ".jpg"; }
