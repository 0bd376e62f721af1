#pragma once
// The request and reply records of one HTTP exchange.

#include <cstdint>
#include <string>

#include "upload/http/header_list.h"

enum class TNetHTTPProtocolVersion { pv1_0, pv1_1 };

enum class TNetHTTPMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };

// Fields shared by requests and replies. A text field counts as set when it
// is not empty; ContentLength when it is 0 or more.
class TNetEntityHeaderInfo {
 public:
  bool HasContentLength() const noexcept { return ContentLength >= 0; }

  std::string CacheControl;
  std::string Connection;
  std::string ContentVersion;
  std::string ContentEncoding;
  std::string ContentLanguage;
  std::string ContentType;
  std::string ContentRange;
  std::int64_t ContentLength = -1;
  // Dates are carried as header texts; no exchange of this program sets one.
  std::string Date;
  std::string Expires;
  std::string Pragma;
  TNetHeaderList CustomHeaders;
  TNetHeaderList RawHeaders;
};

class TNetRequestHeaderInfo : public TNetEntityHeaderInfo {
 public:
  std::string Accept = "text/html, */*";
  std::string AcceptCharSet;
  std::string AcceptEncoding;
  std::string AcceptLanguage;
  std::string From;
  std::string Referer;
  std::string UserAgent = "Mozilla/3.0 (compatible; Pondix Screenshot Loader)";
  std::string Host;
  std::string ProxyConnection;
  std::string LastModified;
  // Set only for an exchange through a proxy that asked who we are.
  std::string ProxyAuthorization;
};

class TNetHTTPRequest : public TNetRequestHeaderInfo {
 public:
  TNetHTTPMethod Method = TNetHTTPMethod::hmGet;
  std::string URL;
  // Path, document and query of the URL: what goes on the request line.
  std::string Target;
};

class TNetResponseHeaderInfo : public TNetEntityHeaderInfo {
 public:
  std::string Location;
  std::string Server;
  std::string ProxyConnection;
  std::string TransferEncoding() const { return RawHeaders.Values("Transfer-Encoding"); }
};

class TNetHTTPResponse : public TNetResponseHeaderInfo {
 public:
  std::string ResponseText;  // the status line as received, line end removed
  int ResponseCode = -1;
  bool KeepAlive = false;
};
