// psl version / psl upload: the start-up GET and the upload exchange of the
// program, run from a console against a chosen service host.

#include <cstdio>
#include <string>

#include "app/version_check.h"
#include "build_config.h"
#include "commands.h"
#include "toolkit/exceptions.h"
#include "upload/net_http.h"
#include "upload/net_multipart.h"
#include "upload/text_utils.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Options {
  std::string host = PSL_SERVICE_HOST;
  std::string login;
  std::vector<std::string> positional;
};

// False on an unknown option or one without its value.
bool ParseOptions(const Args& args, bool acceptLogin, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--host" || (acceptLogin && arg == "--login")) {
      if (i + 1 >= args.size()) return false;
      (arg == "--host" ? options.host : options.login) = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return false;
    } else {
      options.positional.push_back(arg);
    }
  }
  return !options.host.empty();
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
    std::string reply;
    {
      TNetHTTP client;
      TNetMultiPartFormDataStream form;
      form.AddValueField("login", options.login);
      form.AddFilePart("pic", options.positional[0], "image/pjpeg");
      reply = PostForm(client, "http://" + options.host + "/pic/upload.php", form);
    }
    if (reply.find("good") == std::string::npos) {
      WriteBytes(stderr, reply);
      return kExitRefused;
    }
    WriteBytes(stdout, ExtractDelimited(reply, ":", "", 0, 0) + "\n");
    return kExitOk;
  } catch (const Exception& e) {
    return ReportFailure(e);
  }
}
