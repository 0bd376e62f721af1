#pragma once
// What an upload's outcome, as the worker left it in the status slot, tells the user.

#include <optional>
#include <string>

#include "toolkit/trim.h"

// The error balloon's text for a taken status, or nothing to show.
std::optional<std::string> ErrorBalloonText(const std::string& takenStatus);

// What an accepted upload leaves in the status slot.
inline constexpr char kStatusGood[] = "good";
// What a failed exchange leaves there: the service's own word for a picture
// it did not take, so the user sees the same balloon.
inline constexpr char kStatusNotUploaded[] = "error";

inline constexpr char kErrorBalloonTitle[] = "Ошибка";
inline constexpr unsigned kErrorBalloonSeconds = 30;
