// Windows Sockets 2 behind the seam, loaded at run time so that a system
// without it fails with our own exceptions rather than at program load.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>

#include "toolkit/system_library.h"
#include "upload/socket/exceptions.h"
#include "upload/socket/socket.h"
#include "upload/socket/system_addresses.h"

namespace {

constexpr char kLibraryName[] = "ws2_32.dll";

struct WinsockFunctions {
  int(WSAAPI* WSAStartup)(WORD, LPWSADATA);
  int(WSAAPI* WSAGetLastError)();
  SOCKET(WSAAPI* socket)(int, int, int);
  int(WSAAPI* bind)(SOCKET, const sockaddr*, int);
  int(WSAAPI* connect)(SOCKET, const sockaddr*, int);
  int(WSAAPI* send)(SOCKET, const char*, int, int);
  int(WSAAPI* recv)(SOCKET, char*, int, int);
  int(WSAAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
  int(WSAAPI* closesocket)(SOCKET);
  int(WSAAPI* shutdown)(SOCKET, int);
  int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int);
  int(WSAAPI* getsockopt)(SOCKET, int, int, char*, int*);
  int(WSAAPI* ioctlsocket)(SOCKET, long, u_long*);
  int(WSAAPI* getaddrinfo)(const char*, const char*, const addrinfo*, addrinfo**);
  void(WSAAPI* freeaddrinfo)(addrinfo*);
};

bool started = false;  // once per process: the library stays loaded and started
WinsockFunctions ws{};

template <typename F>
void Bind(HMODULE library, F& slot, const char* name) {
  if (!BindFunction(library, slot, name))
    throw ENetWinsockStubError(std::string("Error on call Winsock2 library function ") + name);
}

void LoadAndStart() {
  UniqueModule library = LoadSystemLibrary(kLibraryName);
  if (!library)
    throw ENetWinsockStubError(std::string("Error on loading Winsock2 library (") + kLibraryName + ")");
  WinsockFunctions loaded{};
  HMODULE module = library.get();
  Bind(module, loaded.WSAStartup, "WSAStartup");
  Bind(module, loaded.WSAGetLastError, "WSAGetLastError");
  Bind(module, loaded.socket, "socket");
  Bind(module, loaded.bind, "bind");
  Bind(module, loaded.connect, "connect");
  Bind(module, loaded.send, "send");
  Bind(module, loaded.recv, "recv");
  Bind(module, loaded.select, "select");
  Bind(module, loaded.closesocket, "closesocket");
  Bind(module, loaded.shutdown, "shutdown");
  Bind(module, loaded.setsockopt, "setsockopt");
  Bind(module, loaded.getsockopt, "getsockopt");
  Bind(module, loaded.ioctlsocket, "ioctlsocket");
  Bind(module, loaded.getaddrinfo, "getaddrinfo");
  Bind(module, loaded.freeaddrinfo, "freeaddrinfo");
  WSADATA data{};
  if (loaded.WSAStartup(MAKEWORD(2, 2), &data) != 0)
    throw ENetStackInitializationFailed("Winsock Initialization Error.");
  ws = loaded;
  started = true;
  library.release();  // loaded and started for the rest of the process
}

[[noreturn]] void RaiseLastSocketError() { RaiseSocketError(ws.WSAGetLastError()); }

SOCKET AsSocket(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

constexpr std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);

// select() on one socket; false when the time ran out. -1 ms waits without limit.
bool WaitFor(SOCKET s, bool forWrite, int timeoutMs) {
  fd_set ready;
  ready.fd_count = 1;
  ready.fd_array[0] = s;
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int n = ws.select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, nullptr,
                    timeoutMs >= 0 ? &limit : nullptr);
  if (n == SOCKET_ERROR) RaiseLastSocketError();
  return n > 0;
}

// Closes a socket that failed before it was handed on.
struct TSocketOwner {
  SOCKET s;
  ~TSocketOwner() {
    if (s != INVALID_SOCKET) ws.closesocket(s);
  }
};

}  // namespace

void TNetSocketLayer::StartPlatformSockets() {
  if (!started) LoadAndStart();
}

TNetSocket::TNetSocket() : handle_(kNoSocket) {}

TNetSocket::~TNetSocket() { Close(); }

std::vector<TNetAddress> TNetSocket::LookUp(const std::string& host, std::uint16_t port, bool numericOnly) {
  const addrinfo hints = LookUpHints(numericOnly);
  addrinfo* found = nullptr;
  int rc = ws.getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) RaiseSocketError(rc == 0 || rc == WSAEINVAL ? kSocketHostNotFound : rc);
  struct TFree {
    addrinfo* list;
    ~TFree() { ws.freeaddrinfo(list); }
  } owner{found};
  return FromAddressList(found, port);
}

std::intptr_t TNetSocket::BeginConnect(const TNetAddress& address, bool useNagle, bool& connected) {
  const int family = address.IPv6 ? AF_INET6 : AF_INET;
  TSocketOwner owner{ws.socket(family, SOCK_STREAM, IPPROTO_TCP)};
  SOCKET s = owner.s;
  if (s == INVALID_SOCKET) RaiseLastSocketError();
  sockaddr_storage local{};
  sockaddr_storage remote{};
  const int length = ToSocketAddresses(address, remote, local);
  if (ws.bind(s, reinterpret_cast<sockaddr*>(&local), length) == SOCKET_ERROR) RaiseLastSocketError();
  BOOL noDelay = useNagle ? FALSE : TRUE;
  if (ws.setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay) ==
      SOCKET_ERROR)
    RaiseLastSocketError();

  // Non-blocking for good: every wait is a select within the idle limit and
  // the deadline. A blocking send would hold a whole piece, however long the
  // peer takes to make room for it, where the limit is time without progress.
  u_long nonBlocking = 1;
  if (ws.ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) RaiseLastSocketError();
  connected = ws.connect(s, reinterpret_cast<sockaddr*>(&remote), length) != SOCKET_ERROR;
  if (!connected) {
    int error = ws.WSAGetLastError();
    if (error != WSAEWOULDBLOCK) RaiseSocketError(error);
  }
  owner.s = INVALID_SOCKET;
  return static_cast<std::intptr_t>(s);
}

int TNetSocket::AwaitConnect(const std::vector<std::intptr_t>& attempts, int ms, int& error) {
  fd_set writable;
  fd_set failed;
  writable.fd_count = failed.fd_count = 0;
  for (std::intptr_t handle : attempts) {
    if (writable.fd_count == FD_SETSIZE) break;
    writable.fd_array[writable.fd_count++] = AsSocket(handle);
    failed.fd_array[failed.fd_count++] = AsSocket(handle);
  }
  timeval limit{ms / 1000, (ms % 1000) * 1000};
  int n = ws.select(0, nullptr, &writable, &failed, ms >= 0 ? &limit : nullptr);
  if (n == SOCKET_ERROR) RaiseLastSocketError();
  if (n == 0) return -1;
  for (std::size_t i = 0; i < attempts.size(); ++i) {
    SOCKET s = AsSocket(attempts[i]);
    auto in = [s](const fd_set& set) {
      for (u_int k = 0; k < set.fd_count; ++k)
        if (set.fd_array[k] == s) return true;
      return false;
    };
    if (in(failed)) {
      int soError = 0;
      int length = sizeof soError;
      ws.getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
      error = soError != 0 ? soError : WSAECONNREFUSED;
      return static_cast<int>(i);
    }
    if (in(writable)) {
      error = 0;
      return static_cast<int>(i);
    }
  }
  return -1;
}

void TNetSocket::CloseHandle(std::intptr_t handle) noexcept { ws.closesocket(AsSocket(handle)); }

void TNetSocket::SendAll(const char* data, std::size_t size) {
  if (handle_ == kNoSocket) RaiseSocketError(WSAENOTCONN);
  while (size > 0) {
    int piece = size > 0x40000000u ? 0x40000000 : static_cast<int>(size);
    int n = ws.send(AsSocket(handle_), data, piece, 0);
    if (n == SOCKET_ERROR) {
      int error = ws.WSAGetLastError();
      if (error != WSAEWOULDBLOCK) RaiseSocketError(error);
      deadline_.Await(
          readTimeoutMs_, [&](int ms) { return WaitFor(AsSocket(handle_), true, ms); },
          [] { RaiseSocketError(kSocketTimedOut); });
      continue;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::size_t TNetSocket::ReceiveSome(char* buffer, std::size_t capacity) {
  if (handle_ == kNoSocket) RaiseSocketError(WSAENOTCONN);
  int piece = capacity > 0x40000000u ? 0x40000000 : static_cast<int>(capacity);
  for (;;) {
    deadline_.Await(
        readTimeoutMs_, [&](int ms) { return WaitFor(AsSocket(handle_), false, ms); },
        [] { throw ENetReadTimeout("Read Timeout"); });
    int n = ws.recv(AsSocket(handle_), buffer, piece, 0);
    if (n != SOCKET_ERROR) return static_cast<std::size_t>(n);
    int error = ws.WSAGetLastError();
    if (error != WSAEWOULDBLOCK) RaiseSocketError(error);
  }
}

bool TNetSocket::IsOpen() const noexcept { return handle_ != kNoSocket; }

void TNetSocket::Close() noexcept {
  if (handle_ == kNoSocket) return;
  ws.shutdown(AsSocket(handle_), SD_SEND);
  ws.closesocket(AsSocket(handle_));
  handle_ = kNoSocket;
}
