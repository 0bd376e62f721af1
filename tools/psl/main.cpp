// psl: the program's upload and encoding paths as a console tool, for tests,
// benchmarks and for trying the service by hand.

#include <cstdio>
#include <exception>

#include "build_config.h"
#include "command_line.h"
#include "commands.h"
#include "toolkit/exceptions.h"
#ifdef _WIN32
#include "toolkit/system_library.h"
#endif

namespace {

constexpr char kUsage[] =
    "usage: psl version [--host [http[s]://]HOST[:PORT]] [--proxy URL | --noproxy]\n"
    "       psl upload FILE [--login TEXT | --login-file FILE] [--host [http[s]://]HOST[:PORT]]\n"
    "                       [--proxy URL | --noproxy]\n"
    "       psl encode IN.bmp|IN.ppm|- OUT.jpg|-\n"
    "       psl --help | --version\n"
    "\n"
    "  version  prints the service's version text\n"
    "  upload   posts a picture as the program does and prints the link\n"
    "  encode   writes a picture as the program's JPEG (\"-\": standard input or output)\n"
    "  The host is the one built in unless --host names another; HOST may be\n"
    "  an IPv6 address in brackets.\n"
    "  --proxy [http://][USER:PASSWORD@]PROXY[:PORT] goes through that HTTP proxy,\n"
    "  --noproxy straight to the host; otherwise the system's proxy is used (on\n"
    "  Windows the user's Internet settings, elsewhere http_proxy, https_proxy\n"
    "  and no_proxy as curl reads them).\n"
    "\n"
    "exit codes: 0 done, 1 failed (one line on standard error names the file or\n"
    "host), 2 bad usage, 3 the service refused the upload (its reply on standard error)\n";

}  // namespace

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "psl: %s\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

int ReportFailure(const std::string& subject, const Exception& e) {
  std::fprintf(stderr, "%s: %s\n", subject.c_str(), DescribeException(e).c_str());
  return kExitFailure;
}

int main(int argc, char** argv) {
#ifdef _WIN32
  LoadLibrariesFromSystemFolderOnly();
#endif
  Args args = CommandLineArgs(argc, argv);
  if (args.empty()) return UsageError("no command given");
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("psl %s\n", PSL_VERSION);
    return kExitOk;
  }
  try {
    if (command == "version") return RunVersionCommand(args);
    if (command == "upload") return RunUploadCommand(args);
    if (command == "encode") return RunEncodeCommand(args);
    return UsageError("unknown command \"" + command + "\"");
  } catch (const Exception& e) {
    return ReportFailure("psl " + command, e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "psl %s: %s\n", command.c_str(), e.what());
  }
  return kExitFailure;
}
