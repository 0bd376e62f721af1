// psl version / psl upload: the start-up GET and the upload exchange of the
// program, run from a console against a chosen service host.

#include <cstdio>
#include <string>

#include "build_config.h"
#include "command_line.h"
#include "commands.h"
#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"
#include "toolkit/string_list.h"
#include "upload/net_http.h"
#include "upload/net_site.h"
#include "upload/service_exchanges.h"
#include "upload/upload_exchange.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Options {
  // A host given without a scheme is plain HTTP, whatever the built-in one says.
  std::string host = PSL_SERVICE_HOST;
  TNetSite site;
  std::string login;
  std::string loginFile;
  std::vector<std::string> positional;
};

// False on an unknown option, one without its value, both logins, or a host
// that is no site.
bool ParseOptions(const Args& args, bool acceptLogin, Options& options) {
  bool loginGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--host" || (acceptLogin && (arg == "--login" || arg == "--login-file"))) {
      if (i + 1 >= args.size()) return false;
      if (arg != "--host") {
        if (loginGiven) return false;
        loginGiven = true;
      }
      (arg == "--host" ? options.host : arg == "--login" ? options.login : options.loginFile) = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return false;
    } else {
      options.positional.push_back(arg);
    }
  }
  std::optional<TNetSite> site = ParseSite(options.host);
  if (!site) return false;
  options.site = *site;
  return true;
}

// The first line of the file, bytes as they are, as the program takes its
// login from "config.pl"; a file that is not there raises here, where the
// program sends no login.
std::string LoginFromFile(const std::string& path) {
  TStringList lines;
  lines.LoadFromFile(path);
  return lines.Strings(0);
}

// Replies are bytes: no newline translation on Windows.
void WriteBytes(std::FILE* to, const std::string& bytes) {
#ifdef _WIN32
  std::fflush(to);
  _setmode(_fileno(to), _O_BINARY);
#endif
  std::fwrite(bytes.data(), 1, bytes.size(), to);
  std::fflush(to);
}

int ReportFailure(const Exception& e) {
  std::fprintf(stderr, "%s\n", DescribeException(e).c_str());
  return kExitFailure;
}

}  // namespace

int RunVersionCommand(const Args& args) {
  Options options;
  if (!ParseOptions(args, false, options) || !options.positional.empty()) return UsageError();
  try {
    TNetHTTP client;
    client.ExchangeTimeout = kVersionExchangeTimeout;  // as the program's start-up
    WriteBytes(stdout, client.HttpGetText(options.site.Url(kVersionTextPath)));
    return kExitOk;
  } catch (const Exception& e) {
    return ReportFailure(e);
  }
}

int RunUploadCommand(const Args& args) {
  Options options;
  if (!ParseOptions(args, true, options) || options.positional.size() != 1) return UsageError();
  try {
    std::string login =
        options.loginFile.empty() ? options.login : LoginFromFile(FileNameArg(options.loginFile));
    TUploadOutcome outcome =
        PostPicture(options.site.Url(kUploadPath), login, FileNameArg(options.positional[0]));
    if (outcome.Kind != TUploadOutcome::TKind::Linked) {
      WriteBytes(stderr, outcome.Text);
      return kExitRefused;
    }
    WriteBytes(stdout, outcome.Text + "\n");
    return kExitOk;
  } catch (const Exception& e) {
    return ReportFailure(e);
  }
}
