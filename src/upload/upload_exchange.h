#pragma once
// The upload exchange itself: one picture and a login posted to the service,
// and the service's verdict read back. Shared by the program's worker and the
// psl tool.

#include <string>

#include "upload/http/proxy.h"

// The verdict of one upload. A failed exchange is no verdict: it raises.
struct TUploadOutcome {
  enum class TKind { Linked, Refused, Failed };
  TKind Kind = TKind::Failed;
  // Linked: the link; Refused: the whole reply; Failed: the failure's message.
  std::string Text;
};

// Posts the file as the form field "pic" (image/pjpeg), named without its
// folders, with the login as the field "login" to the upload address. The
// file and the connection are closed again before it returns or raises.
// proxies chooses the way to the service (the system's unless told).
TUploadOutcome PostPicture(const TNetURI& uploadAddress, const std::string& login, const std::string& path,
                           const TNetProxyChoice& proxies = SystemProxies);

// The service's two exchanges, as the program and the psl tool both make them.
// The version text, asked for at every start.
inline constexpr char kVersionTextPath[] = "/ver.txt";
// The upload of one picture.
inline constexpr char kUploadPath[] = "/pic/upload.php";

// The start-up's version request runs on the UI thread with the icon already
// shown: the whole exchange ends within this, which covers a connect that
// needs its SYN sent again and a reply of a few bytes on the slowest line.
inline constexpr int kVersionExchangeTimeout = 15000;
