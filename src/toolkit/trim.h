#pragma once

#include <string>

// Removes every character with a code from 0 to 32 at both ends.
std::string Trim(const std::string& text);
