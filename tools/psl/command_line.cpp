#include "command_line.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "toolkit/handles.h"
#include "toolkit/text.h"

Args CommandLineArgs(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  UniqueLocal owner(wide);
  Args args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(WideToUtf8(wide[i]));
  return args;
}

void SetBinary(std::FILE* stream) {
  std::fflush(stream);
  _setmode(_fileno(stream), _O_BINARY);
}

#else

Args CommandLineArgs(int argc, char** argv) { return Args(argv + (argc > 0 ? 1 : 0), argv + argc); }

void SetBinary(std::FILE*) {}

#endif
