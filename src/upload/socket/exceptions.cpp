#include "upload/socket/exceptions.h"

#include <cstdio>

#ifndef _WIN32
#include <cerrno>
#define POSIX_ERRNO(e) e
#else
#define POSIX_ERRNO(e) 0
#endif

namespace {

struct SocketError {
  int code;        // the Windows Sockets number, which messages show everywhere
  int posixErrno;  // what stands for it on POSIX systems; 0 where there is none
  const char* text;
};

constexpr SocketError kSocketErrors[] = {
    {10004, POSIX_ERRNO(EINTR), "Interrupted system call."},
    {10009, POSIX_ERRNO(EBADF), "Bad file number."},
    {10013, POSIX_ERRNO(EACCES), "Access denied."},
    {10014, POSIX_ERRNO(EFAULT), "Buffer fault."},
    {10022, POSIX_ERRNO(EINVAL), "Invalid argument."},
    {10024, POSIX_ERRNO(EMFILE), "Too many open files."},
    {10035, POSIX_ERRNO(EWOULDBLOCK), "Operation would block."},
    {10036, POSIX_ERRNO(EINPROGRESS), "Operation now in progress."},
    {10037, POSIX_ERRNO(EALREADY), "Operation already in progress."},
    {10038, POSIX_ERRNO(ENOTSOCK), "Socket operation on non-socket."},
    {10039, POSIX_ERRNO(EDESTADDRREQ), "Destination address required."},
    {10040, POSIX_ERRNO(EMSGSIZE), "Message too long."},
    {10041, POSIX_ERRNO(EPROTOTYPE), "Protocol wrong type for socket."},
    {10042, POSIX_ERRNO(ENOPROTOOPT), "Bad protocol option."},
    {10043, POSIX_ERRNO(EPROTONOSUPPORT), "Protocol not supported."},
    {10044, POSIX_ERRNO(ESOCKTNOSUPPORT), "Socket type not supported."},
    {10045, POSIX_ERRNO(EOPNOTSUPP), "Operation not supported on socket."},
    {10046, POSIX_ERRNO(EPFNOSUPPORT), "Protocol family not supported."},
    {10047, POSIX_ERRNO(EAFNOSUPPORT), "Address family not supported by protocol family."},
    {10048, POSIX_ERRNO(EADDRINUSE), "Address already in use."},
    {10049, POSIX_ERRNO(EADDRNOTAVAIL), "Cannot assign requested address."},
    {10050, POSIX_ERRNO(ENETDOWN), "Network is down."},
    {10051, POSIX_ERRNO(ENETUNREACH), "Network is unreachable."},
    {10052, POSIX_ERRNO(ENETRESET), "Net dropped connection or reset."},
    {10053, POSIX_ERRNO(ECONNABORTED), "Software caused connection abort."},
    {10054, POSIX_ERRNO(ECONNRESET), "Connection reset by peer."},
    {10055, POSIX_ERRNO(ENOBUFS), "No buffer space available."},
    {10056, POSIX_ERRNO(EISCONN), "Socket is already connected."},
    {10057, POSIX_ERRNO(ENOTCONN), "Socket is not connected."},
    {10058, POSIX_ERRNO(ESHUTDOWN), "Cannot send or receive after socket is closed."},
    {10059, POSIX_ERRNO(ETOOMANYREFS), "Too many references, cannot splice."},
    {10060, POSIX_ERRNO(ETIMEDOUT), "Connection timed out."},
    {10061, POSIX_ERRNO(ECONNREFUSED), "Connection refused."},
    {10062, POSIX_ERRNO(ELOOP), "Too many levels of symbolic links."},
    {10063, POSIX_ERRNO(ENAMETOOLONG), "File name too long."},
    {10064, POSIX_ERRNO(EHOSTDOWN), "Host is down."},
    {10065, POSIX_ERRNO(EHOSTUNREACH), "No route to host."},
    {10066, POSIX_ERRNO(ENOTEMPTY), "Directory not empty"},
    {11001, 0, "Host not found."},
};

}  // namespace

const char* SocketErrorText(int code) {
  for (const SocketError& e : kSocketErrors)
    if (e.code == code) return e.text;
  return "";
}

#ifndef _WIN32
int SocketErrorFromErrno(int error) {
  // Writing to a connection the peer has reset: Windows reports a reset.
  if (error == EPIPE) error = ECONNRESET;
  if (error == EAGAIN) error = EWOULDBLOCK;
  for (const SocketError& e : kSocketErrors)
    if (e.posixErrno != 0 && e.posixErrno == error) return e.code;
  return error;
}
#endif

void RaiseSocketError(int errorCode) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", errorCode);
  std::string message = std::string("Socket Error # ") + number + "\r\n" + SocketErrorText(errorCode);
  if (errorCode == kSocketNotASocket) throw ENetNotASocket(errorCode, message);
  throw ENetSocketError(errorCode, message);
}
