#pragma once
// What an upload's outcome, as the worker left it in the status slot, tells the user.

#include <optional>
#include <string>

#include "toolkit/trim.h"

// The error balloon's text for a taken status, or nothing to show.
std::optional<std::string> ErrorBalloonText(const std::string& takenStatus);

// What an accepted upload leaves in the status slot.
inline constexpr char kStatusGood[] = "good";

inline constexpr char kErrorBalloonTitle[] = "Ошибка";
inline constexpr unsigned kErrorBalloonSeconds = 30;
