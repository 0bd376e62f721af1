#pragma once

#include <cstdint>

// The stock icon of a balloon.
enum class TBalloonIconKind : std::uint8_t { bkNone, bkInfo, bkWarning, bkError };
