#pragma once
// Failures of the HTTP client. Callers catch ENetException for every network
// or protocol failure, so each class here descends from it.

#include <string>

#include "toolkit/exceptions.h"

PSL_DECLARE_EXCEPTION(ENetExceptionBase, Exception);
PSL_DECLARE_EXCEPTION(ENetException, ENetExceptionBase);

PSL_DECLARE_EXCEPTION(ENetReplyError, ENetException);
// A reply that the peer's close cut short, inside its head or before its
// Content-Length: never taken for the service's answer.
PSL_DECLARE_EXCEPTION(ENetReplyIncomplete, ENetReplyError);
PSL_DECLARE_EXCEPTION(ENetReplyRFCError, ENetReplyError);

// A status other than 2xx, or a redirect: the status line is the message.
class ENetHTTPProtocolException : public ENetReplyRFCError {
 public:
  ENetHTTPProtocolException(int errorCode, std::string statusLine, std::string replyBody)
      : ENetReplyRFCError(std::move(statusLine)),
        errorCode_(errorCode),
        errorMessage_(std::move(replyBody)) {}
  const char* ClassName() const noexcept override { return "ENetHTTPProtocolException"; }
  int ErrorCode() const noexcept { return errorCode_; }
  // The reply body that came with the failing status.
  const std::string& ErrorMessage() const noexcept { return errorMessage_; }

 private:
  int errorCode_;
  std::string errorMessage_;
};

class ENetSocketError : public ENetException {
 public:
  ENetSocketError(int lastError, std::string message)
      : ENetException(std::move(message)), lastError_(lastError) {}
  const char* ClassName() const noexcept override { return "ENetSocketError"; }
  int LastError() const noexcept { return lastError_; }

 private:
  int lastError_;
};
PSL_DECLARE_EXCEPTION(ENetNotASocket, ENetSocketError);

PSL_DECLARE_EXCEPTION(ENetSilentException, ENetException);
PSL_DECLARE_EXCEPTION(ENetConnClosedGracefully, ENetSilentException);

PSL_DECLARE_EXCEPTION(ENetStackError, ENetException);
PSL_DECLARE_EXCEPTION(ENetStackInitializationFailed, ENetStackError);
PSL_DECLARE_EXCEPTION(ENetWinsockStubError, ENetException);

PSL_DECLARE_EXCEPTION(ENetReadLnMaxLineLengthExceeded, ENetException);
PSL_DECLARE_EXCEPTION(ENetReadTimeout, ENetException);
PSL_DECLARE_EXCEPTION(ENetConnectTimeout, ENetException);
PSL_DECLARE_EXCEPTION(ENetUnknownProtocol, ENetException);
// A reply body past TNetHTTP::MaxReplySize: the body is untrusted input.
PSL_DECLARE_EXCEPTION(ENetMaxReplySizeExceeded, ENetException);
// The head of a reply is untrusted too: its header block, and the number of
// interim replies before the real one, are bounded.
PSL_DECLARE_EXCEPTION(ENetMaxHeaderSizeExceeded, ENetException);
PSL_DECLARE_EXCEPTION(ENetMaxInterimRepliesExceeded, ENetException);
// A whole exchange past TNetHTTP::ExchangeTimeout, however lively the peer.
PSL_DECLARE_EXCEPTION(ENetExchangeTimeout, ENetException);

// An https exchange that TLS refused: the certificate, the protocol version,
// or a peer whose bytes are no TLS. The message says which.
PSL_DECLARE_EXCEPTION(ENetTLSError, ENetException);

// A proxy on the way to the service failed or refused: its message names the
// proxy. ServiceNotReached: nothing came from the service itself (the proxy
// could not be reached, or could not reach the service).
class ENetProxyError : public ENetException {
 public:
  ENetProxyError(std::string message, bool serviceNotReached)
      : ENetException(std::move(message)), serviceNotReached_(serviceNotReached) {}
  const char* ClassName() const noexcept override { return "ENetProxyError"; }
  bool ServiceNotReached() const noexcept { return serviceNotReached_; }

 private:
  bool serviceNotReached_;
};

PSL_DECLARE_EXCEPTION(ENetTCPConnectionError, ENetException);
PSL_DECLARE_EXCEPTION(ENetNoDataToRead, ENetTCPConnectionError);
PSL_DECLARE_EXCEPTION(ENetIOHandlerPropInvalid, ENetTCPConnectionError);

// "Socket Error # %d\r\n%s" with the text of the table; ENetNotASocket for 10038.
[[noreturn]] void RaiseSocketError(int errorCode);

constexpr int kSocketInvalidArgument = 10022;
constexpr int kSocketHostNotFound = 11001;
constexpr int kSocketTimedOut = 10060;
constexpr int kSocketNotASocket = 10038;

// The socket errors the client names, one table for both systems: messages
// read the same everywhere, with the Windows Sockets numbers. The table's text
// for a Windows Sockets error number; empty for others.
const char* SocketErrorText(int code);

#ifndef _WIN32
// The Windows Sockets number that a POSIX errno stands for; the errno itself
// when the table has none.
int SocketErrorFromErrno(int error);
#endif
