// psl: the program's upload and encoding paths as a console tool, for tests,
// benchmarks and for trying the service by hand.

#include <cstdio>
#include <exception>

#include "commands.h"
#include "toolkit/exceptions.h"

int UsageError() {
  std::fputs(
      "usage: psl version [--host HOST[:PORT]]\n"
      "       psl upload FILE [--login TEXT] [--host HOST[:PORT]]\n"
      "       psl encode IN.bmp|IN.ppm OUT.jpg\n",
      stderr);
  return kExitUsage;
}

int main(int argc, char** argv) {
  if (argc < 2) return UsageError();
  std::string command = argv[1];
  Args args(argv + 2, argv + argc);
  try {
    if (command == "version") return RunVersionCommand(args);
    if (command == "upload") return RunUploadCommand(args);
    if (command == "encode") return RunEncodeCommand(args);
    return UsageError();
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.Message().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Exception: %s\n", e.what());
  }
  return kExitFailure;
}
