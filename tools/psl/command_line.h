#pragma once
// The tool's arguments. On Windows they are read as UTF-16 and kept as UTF-8:
// the ANSI code page may not hold what was typed (a Cyrillic login under a
// Western one), and the service takes UTF-8; so do the program's file calls.

#include <cstdio>

#include "commands.h"

// Every argument after the program's name.
Args CommandLineArgs(int argc, char** argv);

// Bytes in and out as they are: no newline translation on Windows.
void SetBinary(std::FILE* stream);
