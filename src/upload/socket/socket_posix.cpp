// POSIX sockets behind the seam, both families. Error numbers are translated to the Windows
// Sockets numbers (exceptions.h) so that messages read the same on both
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

#include "upload/socket/exceptions.h"
#include "upload/socket/socket.h"
#include "upload/socket/system_addresses.h"

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

// Closes a socket that failed before it was handed on.
struct TFileDescriptor {
  int fd;
  ~TFileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

void TNetSocketLayer::StartPlatformSockets() {}

TNetSocket::TNetSocket() : handle_(kNoSocket) {}

TNetSocket::~TNetSocket() { Close(); }

std::vector<TNetAddress> TNetSocket::LookUp(const std::string& host, std::uint16_t port, bool numericOnly) {
  const addrinfo hints = LookUpHints(numericOnly);
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    // A temporary lookup failure keeps its own number (WSATRY_AGAIN).
    RaiseSocketError(rc == EAI_AGAIN ? 11002 : kSocketHostNotFound);
  }
  struct TFree {
    addrinfo* list;
    ~TFree() { ::freeaddrinfo(list); }
  } owner{found};
  return FromAddressList(found, port);
}

std::intptr_t TNetSocket::BeginConnect(const TNetAddress& address, bool useNagle, bool& connected) {
  const int family = address.IPv6 ? AF_INET6 : AF_INET;
  int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) RaiseLastSocketError();
  TFileDescriptor owner{fd};
  sockaddr_storage local{};
  sockaddr_storage remote{};
  const socklen_t length = ToSocketAddresses(address, remote, local);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), length) != 0) RaiseLastSocketError();
  int noDelay = useNagle ? 0 : 1;
  if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay) != 0) RaiseLastSocketError();

  // Non-blocking for good: every wait is a poll within the idle limit and
  // the deadline, and a send never blocks past them.
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) RaiseLastSocketError();
  connected = ::connect(fd, reinterpret_cast<sockaddr*>(&remote), length) == 0;
  if (!connected && errno != EINPROGRESS) RaiseLastSocketError();
  owner.fd = -1;
  return fd;
}

int TNetSocket::AwaitConnect(const std::vector<std::intptr_t>& attempts, int ms, int& error) {
  std::vector<pollfd> entries;
  for (std::intptr_t handle : attempts) entries.push_back({static_cast<int>(handle), POLLOUT, 0});
  for (;;) {
    int n = ::poll(entries.data(), entries.size(), ms);
    if (n == 0) return -1;
    if (n > 0) break;
    if (errno != EINTR) RaiseLastSocketError();
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].revents == 0) continue;
    int soError = 0;
    socklen_t length = sizeof soError;
    if (::getsockopt(entries[i].fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) soError = errno;
    error = soError == 0 ? 0 : SocketErrorFromErrno(soError);
    return static_cast<int>(i);
  }
  return -1;
}

void TNetSocket::CloseHandle(std::intptr_t handle) noexcept { ::close(static_cast<int>(handle)); }

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
