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
#include "upload/http/http_client.h"
#include "upload/http/proxy.h"
#include "upload/http/addresses.h"
#include "upload/upload_exchange.h"

namespace {

struct Options {
  // A host given without a scheme is plain HTTP, whatever the built-in one says.
  std::string host = PSL_SERVICE_HOST;
  TNetSite site;
  std::string login;
  std::string loginFile;
  // --proxy URL, or --noproxy; the system's choice otherwise.
  std::string proxy;
  bool noProxy = false;
  TNetProxyChoice proxies = SystemProxies;
  std::vector<std::string> positional;
};

// What is wrong with the options, or nothing: an unknown option, one without
// its value, both logins or both proxy options, a host that is no site, a
// proxy that is none.
std::string ParseOptions(const Args& args, bool acceptLogin, Options& options) {
  bool loginGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--noproxy") {
      options.noProxy = true;
    } else if (arg == "--proxy") {
      if (i + 1 >= args.size()) return arg + " needs a value";
      options.proxy = args[++i];
    } else if (arg == "--host" || (acceptLogin && (arg == "--login" || arg == "--login-file"))) {
      if (i + 1 >= args.size()) return arg + " needs a value";
      if (arg != "--host") {
        if (loginGiven) return "--login and --login-file exclude each other";
        loginGiven = true;
      }
      (arg == "--host" ? options.host : arg == "--login" ? options.login : options.loginFile) = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return "unknown option " + arg;
    } else {
      options.positional.push_back(arg);
    }
  }
  std::optional<TNetSite> site = ParseSite(options.host);
  if (!site) return "\"" + options.host + "\" is no [http[s]://]HOST[:PORT]";
  options.site = *site;
  if (options.noProxy && !options.proxy.empty()) return "--proxy and --noproxy exclude each other";
  if (options.noProxy) options.proxies = [](const TNetURI&) { return TNetRoutes{std::nullopt}; };
  if (!options.proxy.empty()) {
    try {
      TNetProxy proxy = ParseProxyUrl(options.proxy, 1080);
      options.proxies = [proxy](const TNetURI&) { return TNetRoutes{proxy}; };
    } catch (const ENetProxyError& e) {
      return e.Message();
    }
  }
  return "";
}

// The first line of the file, bytes as they are, as the program takes its
// login from "config.pl"; a file that is not there raises here, where the
// program sends no login.
std::string LoginFromFile(const std::string& path) {
  TStringList lines;
  lines.LoadFromFile(path);
  return lines.Strings(0);
}

void WriteBytes(std::FILE* to, const std::string& bytes) {
  SetBinary(to);
  std::fwrite(bytes.data(), 1, bytes.size(), to);
  std::fflush(to);
}

}  // namespace

int RunVersionCommand(const Args& args) {
  Options options;
  std::string problem = ParseOptions(args, false, options);
  if (problem.empty() && !options.positional.empty()) problem = "version takes no file";
  if (!problem.empty()) return UsageError(problem);
  try {
    TNetHTTP client;
    client.ExchangeTimeout = kVersionExchangeTimeout;  // as the program's start-up
    client.Proxies = options.proxies;
    WriteBytes(stdout, client.HttpGetText(options.site.Address(kVersionTextPath)));
    return kExitOk;
  } catch (const Exception& e) {
    return ReportFailure(options.host, e);
  }
}

int RunUploadCommand(const Args& args) {
  Options options;
  std::string problem = ParseOptions(args, true, options);
  if (problem.empty() && options.positional.size() != 1)
    problem = "upload takes one file, " + std::to_string(options.positional.size()) + " given";
  if (!problem.empty()) return UsageError(problem);
  std::string login = options.login;
  if (!options.loginFile.empty()) {
    try {
      login = LoginFromFile(options.loginFile);
    } catch (const Exception& e) {
      return ReportFailure(options.loginFile, e);
    }
  }
  const std::string& file = options.positional[0];
  try {
    // The file first, so that a missing one is told as such, not as the host's.
    TFileStream::OpenRead(file);
  } catch (const Exception& e) {
    return ReportFailure(file, e);
  }
  try {
    TUploadOutcome outcome = PostPicture(options.site.Address(kUploadPath), login, file, options.proxies);
    if (outcome.Kind != TUploadOutcome::TKind::Linked) {
      WriteBytes(stderr, outcome.Text);
      return kExitRefused;
    }
    WriteBytes(stdout, outcome.Text + "\n");
    return kExitOk;
  } catch (const Exception& e) {
    return ReportFailure(options.host, e);
  }
}
