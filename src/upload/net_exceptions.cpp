#include "upload/net_exceptions.h"

#include <cstdio>

#include "upload/socket_errors.h"

void RaiseSocketError(int errorCode) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", errorCode);
  std::string message = std::string("Socket Error # ") + number + "\r\n" + SocketErrorText(errorCode);
  if (errorCode == kSocketNotASocket) throw ENetNotASocket(errorCode, message);
  throw ENetSocketError(errorCode, message);
}
