#pragma once
// The link's way onto the clipboard.

#include <chrono>
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
