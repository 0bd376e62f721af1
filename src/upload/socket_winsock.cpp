// Windows Sockets 2 behind the seam, loaded at run time so that a system
// without it fails with our own exceptions rather than at program load.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>

#include "toolkit/system_library.h"
#include "upload/net_exceptions.h"
#include "upload/net_socket.h"

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
  hostent*(WSAAPI* gethostbyname)(const char*);
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
  Bind(module, loaded.gethostbyname, "gethostbyname");
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

std::uint16_t HostToNet16(std::uint16_t v) { return static_cast<std::uint16_t>((v >> 8) | (v << 8)); }
std::uint32_t HostToNet32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// select() on one socket; false when the time ran out. -1 ms waits without limit.
// Returns which set fired through the flags.
bool WaitFor(SOCKET s, bool forWrite, int timeoutMs, bool* failed) {
  fd_set ready;
  ready.fd_count = 1;
  ready.fd_array[0] = s;
  fd_set broken;
  broken.fd_count = 1;
  broken.fd_array[0] = s;
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int n = ws.select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, forWrite ? &broken : nullptr,
                    timeoutMs >= 0 ? &limit : nullptr);
  if (n == SOCKET_ERROR) RaiseLastSocketError();
  if (failed != nullptr) *failed = forWrite && broken.fd_count > 0;
  return n > 0;
}

}  // namespace

void TNetSocketLayer::StartPlatformSockets() {
  if (!started) LoadAndStart();
}

TNetSocket::TNetSocket() : handle_(kNoSocket) {}

TNetSocket::~TNetSocket() { Close(); }

std::uint32_t TNetSocket::LookUpIPv4(const std::string& host) {
  hostent* found = ws.gethostbyname(host.c_str());
  if (found == nullptr) {
    int error = ws.WSAGetLastError();
    RaiseSocketError(error == 0 ? kSocketHostNotFound : error);
  }
  if (found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) RaiseSocketError(kSocketHostNotFound);
  const auto* bytes = reinterpret_cast<const unsigned char*>(found->h_addr_list[0]);
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

void TNetSocket::Connect(std::uint32_t address, std::uint16_t port, bool useNagle, int connectTimeoutMs,
                         int readTimeoutMs) {
  Close();
  SOCKET s = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) RaiseLastSocketError();
  handle_ = static_cast<std::intptr_t>(s);
  readTimeoutMs_ = readTimeoutMs;

  sockaddr_in local{};
  local.sin_family = AF_INET;
  if (ws.bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR) RaiseLastSocketError();
  BOOL noDelay = useNagle ? FALSE : TRUE;
  if (ws.setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay) ==
      SOCKET_ERROR)
    RaiseLastSocketError();

  // Non-blocking for good: every wait is a select within the idle limit and
  // the deadline. A blocking send would hold a whole piece, however long the
  // peer takes to make room for it, where the limit is time without progress.
  u_long nonBlocking = 1;
  if (ws.ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) RaiseLastSocketError();
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = HostToNet16(port);
  remote.sin_addr.s_addr = HostToNet32(address);
  if (ws.connect(s, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == SOCKET_ERROR) {
    int error = ws.WSAGetLastError();
    if (error != WSAEWOULDBLOCK) RaiseSocketError(error);
    bool failed = false;
    deadline_.Await(
        connectTimeoutMs, [&](int ms) { return WaitFor(s, true, ms, &failed); },
        [] { throw ENetConnectTimeout("Connect timed out."); });
    if (failed) {
      int soError = 0;
      int length = sizeof soError;
      ws.getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
      RaiseSocketError(soError != 0 ? soError : WSAECONNREFUSED);
    }
  }
}

void TNetSocket::SendAll(const char* data, std::size_t size) {
  if (handle_ == kNoSocket) RaiseSocketError(WSAENOTCONN);
  while (size > 0) {
    int piece = size > 0x40000000u ? 0x40000000 : static_cast<int>(size);
    int n = ws.send(AsSocket(handle_), data, piece, 0);
    if (n == SOCKET_ERROR) {
      int error = ws.WSAGetLastError();
      if (error != WSAEWOULDBLOCK) RaiseSocketError(error);
      deadline_.Await(
          readTimeoutMs_, [&](int ms) { return WaitFor(AsSocket(handle_), true, ms, nullptr); },
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
        readTimeoutMs_, [&](int ms) { return WaitFor(AsSocket(handle_), false, ms, nullptr); },
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
