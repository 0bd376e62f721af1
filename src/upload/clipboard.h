#pragma once

#include <string>

// Replaces the clipboard's contents with the text as CF_TEXT, up to its first
// NUL. Gives up silently when memory or the clipboard cannot be had.
void CopyTextToClipboard(const std::string& text);
