// psl version / psl upload: the start-up GET and the upload exchange of the
// program, run from a console against a chosen service host.

#include <cstdio>
#include <string>

#include "app/login_file.h"
#include "app/version_check.h"
#include "build_config.h"
#include "command_line.h"
#include "commands.h"
#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"
#include "toolkit/string_list.h"
#include "upload/net_http.h"
#include "upload/upload_exchange.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Options {
  std::string host = PSL_SERVICE_HOST;
  std::string login;
  std::string loginFile;
  std::vector<std::string> positional;
};

// False on an unknown option, one without its value, or both logins.
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
  return !options.host.empty();
}

// The first line of the file, as the program takes its login from "config.pl";
// only a file that is not there raises here, where the program sends no login.
std::string LoginFromFile(const std::string& path) {
  TFileStream::OpenRead(path);
  TStringList configList;
  TSharedFields fields;
  LoadLoginFrom(path, configList, fields);
  return fields.Login();
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

// "ClassName: message" on one line; socket messages carry a CR LF inside.
int ReportFailure(const Exception& e) {
  std::string message;
  const std::string& raw = e.Message();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    bool lineBreak = raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n';
    message += lineBreak ? ' ' : raw[i];
    if (lineBreak) ++i;
  }
  std::fprintf(stderr, "%s: %s\n", e.ClassName(), message.c_str());
  return kExitFailure;
}

}  // namespace

int RunVersionCommand(const Args& args) {
  Options options;
  if (!ParseOptions(args, false, options) || !options.positional.empty()) return UsageError();
  try {
    TNetHTTP client;
    client.ExchangeTimeout = TVersionCheckSettings::kDefaultExchangeTimeout;  // as the program's start-up
    WriteBytes(stdout, client.HttpGetText("http://" + options.host + "/ver.txt"));
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
        PostPicture("http://" + options.host + "/pic/upload.php", login, FileNameArg(options.positional[0]));
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
