// POSIX sockets behind the seam. Error numbers are translated to the Windows
// Sockets numbers (socket_errors.h) so that messages read the same on both
// systems.

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include "upload/net_exceptions.h"
#include "upload/net_socket.h"
#include "upload/socket_errors.h"

namespace {

constexpr std::intptr_t kNoSocket = -1;

[[noreturn]] void RaiseLastSocketError() { RaiseSocketError(SocketErrorFromErrno(errno)); }

// poll() for one event; false when the time ran out. -1 ms waits without limit.
bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  for (;;) {
    int n = ::poll(&entry, 1, timeoutMs);
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) RaiseLastSocketError();
  }
}

bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK; }

}  // namespace

void TNetSocketLayer::StartPlatformSockets() {}

TNetSocket::TNetSocket() : handle_(kNoSocket) {}

TNetSocket::~TNetSocket() { Close(); }

std::uint32_t TNetSocket::LookUpIPv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    // A temporary lookup failure keeps its own number (WSATRY_AGAIN).
    RaiseSocketError(rc == EAI_AGAIN ? 11002 : kSocketHostNotFound);
  }
  std::uint32_t address = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(found);
  return address;
}

void TNetSocket::Connect(std::uint32_t address, std::uint16_t port, bool useNagle, int connectTimeoutMs,
                         int readTimeoutMs) {
  Close();
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) RaiseLastSocketError();
  handle_ = fd;
  readTimeoutMs_ = readTimeoutMs;

  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) RaiseLastSocketError();
  int noDelay = useNagle ? 0 : 1;
  if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay) != 0) RaiseLastSocketError();

  // Non-blocking for good: every wait is a poll within the idle limit and
  // the deadline, and a send never blocks past them.
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) RaiseLastSocketError();
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(port);
  remote.sin_addr.s_addr = htonl(address);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    if (errno != EINPROGRESS) RaiseLastSocketError();
    deadline_.Await(
        connectTimeoutMs, [&](int ms) { return WaitFor(fd, POLLOUT, ms); },
        [] { throw ENetConnectTimeout("Connect timed out."); });
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) RaiseLastSocketError();
    if (error != 0) RaiseSocketError(SocketErrorFromErrno(error));
  }
}

void TNetSocket::SendAll(const char* data, std::size_t size) {
  if (handle_ == kNoSocket) RaiseSocketError(SocketErrorFromErrno(ENOTCONN));
  while (size > 0) {
    int fd = static_cast<int>(handle_);
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (!WouldBlock()) RaiseLastSocketError();
      deadline_.Await(
          readTimeoutMs_, [&](int ms) { return WaitFor(fd, POLLOUT, ms); },
          [] { RaiseSocketError(kSocketTimedOut); });
      continue;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::size_t TNetSocket::ReceiveSome(char* buffer, std::size_t capacity) {
  if (handle_ == kNoSocket) RaiseSocketError(SocketErrorFromErrno(ENOTCONN));
  int fd = static_cast<int>(handle_);
  for (;;) {
    deadline_.Await(
        readTimeoutMs_, [&](int ms) { return WaitFor(fd, POLLIN, ms); },
        [] { throw ENetReadTimeout("Read Timeout"); });
    ssize_t n = ::recv(fd, buffer, capacity, 0);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR && !WouldBlock()) RaiseLastSocketError();
  }
}

bool TNetSocket::IsOpen() const noexcept { return handle_ != kNoSocket; }

void TNetSocket::Close() noexcept {
  if (handle_ == kNoSocket) return;
  ::shutdown(static_cast<int>(handle_), SHUT_WR);
  ::close(static_cast<int>(handle_));
  handle_ = kNoSocket;
}
