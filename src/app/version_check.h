#pragma once
// The start-up's version check: the service's version against the one recorded
// in the file "ver", with the user told to update when they differ.

#include <functional>
#include <string>

#include "toolkit/string_list.h"
#include "upload/net_http.h"
#include "upload/service_exchanges.h"

extern const char* const kServerUnavailableText;
extern const char* const kUpdateVersionText;

struct TVersionCheckSettings {
  static constexpr int kDefaultExchangeTimeout = kVersionExchangeTimeout;

  std::string VersionUrl;  // the service's "/ver.txt"
  std::string VerPath;     // the file "ver" beside the executable
  int ReadTimeout = TNetHTTP::kDefaultReadTimeout;
  int ExchangeTimeout = kDefaultExchangeTimeout;
};

// What the check needs of the user interface; each call returns when done.
struct TVersionCheckUi {
  std::function<void(const std::string& utf8Text)> ShowMessage;
  std::function<void()> OpenDownload;
  std::function<void()> Terminate;
  // True once the program was told to end: the exit command can run from the
  // tray menu while a message is shown.
  std::function<bool()> Ending;
};

// False when the service could not be reached and the program is ending, or
// when the program was told to end while the update message was shown.
// Failures of "ver" (cannot be read or written, no line) are raised.
bool RunVersionCheck(const TVersionCheckSettings& settings, TStringList& versionList,
                     const TVersionCheckUi& ui);
