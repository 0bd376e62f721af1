#pragma once
// The link's way onto the clipboard.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Clipboard managers, remote-desktop clients and password managers hold the
// clipboard open for moments at a time: the open is tried again this long.
inline constexpr std::chrono::milliseconds kClipboardPatience{5000};
inline constexpr std::chrono::milliseconds kClipboardRetryPause{100};

// Replaces the clipboard's contents with the text as CF_TEXT, up to its first
// NUL, waiting up to `patience` for a clipboard that another program holds.
// Blocks the calling thread meanwhile. False when memory or the clipboard
// could not be had.
bool CopyTextToClipboard(const std::string& text, std::chrono::milliseconds patience = kClipboardPatience);

// The same, but only while the clipboard's sequence number is still
// `expected`, as it was when the user last left the clipboard alone: the
// number after the copy, or none when the text did not go there.
std::optional<std::uint32_t> CopyTextToClipboardIfUnchanged(
    const std::string& text, std::uint32_t expected, std::chrono::milliseconds patience = kClipboardPatience);
