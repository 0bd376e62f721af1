#pragma once
// The start-up's version check: the service's version against the one recorded
// in the file "ver", with the user told to update when they differ. A service
// that cannot be reached yet is asked again for about a minute.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "upload/http/addresses.h"
#include "toolkit/string_list.h"
#include "upload/http/http_client.h"
#include "upload/upload_exchange.h"

// The new program, offered when the service's version differs.
inline constexpr char kDownloadPath[] = "/PondixScreenLoader.exe";

extern const char* const kServerUnavailableText;
extern const char* const kUpdateVersionText;

struct TVersionCheckSettings {
  TNetURI VersionAddress;  // the service's "/ver.txt"
  std::string VerPath;     // the file "ver" beside the executable
  int ConnectTimeout = TNetHTTP::kDefaultConnectTimeout;
  int ReadTimeout = TNetHTTP::kDefaultReadTimeout;
  int ExchangeTimeout = kVersionExchangeTimeout;  // for each request
};

// The outcome of one request for the service's version.
struct TVersionReply {
  enum class TKind {
    Version,     // Text is the service's version
    NotReached,  // nothing came from the service: worth asking again
    Failed,      // the service's own answer failed: asking again changes nothing
  };
  TKind Kind = TKind::Failed;
  std::string Text;
};

// One request with a client of its own, which is gone when this returns; it
// touches nothing else, so it may run on any thread.
TVersionReply AskServiceVersion(const TVersionCheckSettings& settings);

// What the check needs of the user interface; each call returns when done.
struct TVersionCheckUi {
  std::function<void(const std::string& utf8Text)> ShowMessage;
  std::function<void()> OpenDownload;
  std::function<void()> Terminate;
  // True once the program was told to end: the exit command can run from the
  // tray menu while a message is shown.
  std::function<bool()> Ending;
  // Runs one request to its end while the program stays responsive; nothing
  // when the program was told to end first, and the request is left to itself.
  std::function<std::optional<TVersionReply>(std::function<TVersionReply()> request)> RunRequest;
  // Waits while the program stays responsive; false when it was told to end.
  std::function<bool(std::chrono::milliseconds pause)> Pause;
  std::function<std::chrono::steady_clock::time_point()> Now;
};

// False when the service could not be reached and the program is ending, or
// when the program was told to end while the check waited for the service or
// showed the update message. Failures of "ver" (cannot be read or written, no
// line) are raised.
bool RunVersionCheck(const TVersionCheckSettings& settings, TStringList& versionList,
                     const TVersionCheckUi& ui);
