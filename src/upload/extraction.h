#pragma once
// Cutting a piece out of a text by one or two markers: how the link is taken
// from the service's reply. Positions are 1-based, as the reply texts are
// handled as 8-bit strings.

#include <string>

// The position of the first marker occurrence that begins at start or later
// (below 1 counts as 1); 0 when none, or when marker or text is empty.
int FindFrom(const std::string& marker, const std::string& text, int start);

// Mode 0: the text after first (second blank), before second (first blank), or
// between them. Mode 1: second opens and first closes. Other modes: empty.
// A marker is blank when it holds only characters at or below the space.
std::string ExtractDelimited(const std::string& text, const std::string& first, const std::string& second,
                             int start, int mode);
