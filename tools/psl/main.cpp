// psl: the program's upload and encoding paths as a console tool, for tests,
// benchmarks and for trying the service by hand.

#include <cstdio>
#include <exception>

#include "command_line.h"
#include "commands.h"
#include "toolkit/exceptions.h"

int UsageError() {
  std::fputs(
      "usage: psl version [--host [http[s]://]HOST[:PORT]]\n"
      "       psl upload FILE [--login TEXT | --login-file FILE] [--host [http[s]://]HOST[:PORT]]\n"
      "       psl encode IN.bmp|IN.ppm OUT.jpg\n",
      stderr);
  return kExitUsage;
}

int main(int argc, char** argv) {
  Args args = CommandLineArgs(argc, argv);
  if (args.empty()) return UsageError();
  std::string command = args.front();
  args.erase(args.begin());
  try {
    if (command == "version") return RunVersionCommand(args);
    if (command == "upload") return RunUploadCommand(args);
    if (command == "encode") return RunEncodeCommand(args);
    return UsageError();
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", DescribeException(e).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Exception: %s\n", e.what());
  }
  return kExitFailure;
}
