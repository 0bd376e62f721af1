#include "support/scripted_peer.h"

#include <chrono>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
void CloseSocket(std::intptr_t s) { closesocket(static_cast<SOCKET>(s)); }
#else
void CloseSocket(std::intptr_t s) { ::close(static_cast<int>(s)); }
#endif

// A close with a zero linger time sends a reset instead of the orderly end.
void ResetSocket(std::intptr_t s) {
  linger now{};
  now.l_onoff = 1;
  now.l_linger = 0;
#ifdef _WIN32
  ::setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&now),
               sizeof now);
#else
  ::setsockopt(static_cast<int>(s), SOL_SOCKET, SO_LINGER, &now, sizeof now);
#endif
  CloseSocket(s);
}

std::intptr_t ListenOnLoopback(int backlog, std::uint16_t& port) {
  InitTestSockets();
  auto s = static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    port = 0;
    return s;
  }
  ::listen(s, backlog);
  socklen_t length = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return s;
}

#ifdef _WIN32
constexpr int kNoSignal = 0;
#else
constexpr int kNoSignal = MSG_NOSIGNAL;
#endif

// False once the client has gone; never a signal for it.
bool SendAll(std::intptr_t s, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    int n =
        static_cast<int>(::send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), kNoSignal));
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::size_t ContentLengthOf(const std::string& head) {
  std::string lower = head;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  std::size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
}

}  // namespace

void InitTestSockets() {
#ifdef _WIN32
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
#endif
}

std::uint16_t UnusedLoopbackPort() {
  // Below every system's range of automatic ports (Linux from 32768, Windows
  // from 49152) and the scripts' (20000 up): a port the system handed out
  // could go at once to another test's listener, or to this test's own
  // connect as its source port, which then connects to itself.
  static std::minstd_rand draw(static_cast<std::uint32_t>(std::random_device{}()));
  for (;;) {
    auto port = static_cast<std::uint16_t>(15000 + draw() % 5000);
    const std::uint16_t wanted = port;
    CloseSocket(ListenOnLoopback(1, port));
    if (port == wanted) return port;
  }
}

ScriptedPeer::ScriptedPeer(std::vector<PeerExchange> script, std::uint16_t port)
    : script_(std::move(script)),
      port_(port),
      listener_(ListenOnLoopback(8, port_)),
      thread_([this] { Run(); }) {}

ScriptedPeer::~ScriptedPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  CloseSocket(listener_);
}

std::vector<std::string> ScriptedPeer::Requests() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

int ScriptedPeer::Connections() {
  std::lock_guard<std::mutex> guard(lock_);
  return connections_;
}

// Waits in short steps so that destruction never hangs on a quiet client.
// A client that never comes fails the test after a while instead of hanging it.
bool ScriptedPeer::WaitReadable(std::intptr_t s) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
#ifdef _WIN32
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(s), &set);
    timeval step{0, 20000};
    if (::select(0, &set, nullptr, nullptr, &step) > 0) return true;
#else
    pollfd entry{static_cast<int>(s), POLLIN, 0};
    if (::poll(&entry, 1, 20) > 0) return true;
#endif
  }
  return false;
}

bool ScriptedPeer::ReadRequest(std::intptr_t connection, std::string& request, bool atOnce) {
  std::size_t headEnd = std::string::npos;
  char buffer[65536];
  for (;;) {
    if (atOnce && !request.empty()) return true;
    if (headEnd == std::string::npos) {
      headEnd = request.find("\r\n\r\n");
      if (headEnd != std::string::npos) headEnd += 4;
    }
    if (headEnd != std::string::npos &&
        request.size() >= headEnd + ContentLengthOf(request.substr(0, headEnd)))
      return true;
    if (!WaitReadable(connection)) return false;
    int n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    request.append(buffer, static_cast<std::size_t>(n));
  }
}

void ScriptedPeer::Run() {
  std::intptr_t connection = -1;
  for (const PeerExchange& exchange : script_) {
    if (connection == -1) {
      if (!WaitReadable(listener_)) return;
      connection = static_cast<std::intptr_t>(::accept(listener_, nullptr, nullptr));
      std::lock_guard<std::mutex> guard(lock_);
      ++connections_;
    }
    std::string request;
    bool complete = ReadRequest(connection, request, exchange.atOnce);
    if (!complete && request.empty() && !stop_) {
      // The client let a kept connection go: take its next one instead.
      CloseSocket(connection);
      if (!WaitReadable(listener_)) return;
      connection = static_cast<std::intptr_t>(::accept(listener_, nullptr, nullptr));
      {
        std::lock_guard<std::mutex> guard(lock_);
        ++connections_;
      }
      complete = ReadRequest(connection, request, exchange.atOnce);
    }
    {
      std::lock_guard<std::mutex> guard(lock_);
      requests_.push_back(request);
    }
    if (!complete) break;
    if (exchange.silent) {
      while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      break;
    }
    SendAll(connection, exchange.reply);
    if (!exchange.repeat.empty()) {
      auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!stop_ && std::chrono::steady_clock::now() < until && SendAll(connection, exchange.repeat))
        std::this_thread::sleep_for(std::chrono::milliseconds(exchange.pauseMs));
    }
    if (exchange.reset) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ResetSocket(connection);
      connection = -1;
    } else if (exchange.closeAfter) {
      CloseSocket(connection);
      connection = -1;
    }
  }
  if (connection != -1) {
    // Hold a kept-alive connection until the client has let go of it.
    char byte;
    while (WaitReadable(connection) && ::recv(connection, &byte, 1, 0) > 0) {
    }
    CloseSocket(connection);
  }
}

FullBacklogListener::FullBacklogListener() : listener_(ListenOnLoopback(0, port_)) {
  // The queue holds backlog + 1 connections on Linux (and under Wine); a few
  // extra non-blocking attempts make sure it is full whatever the exact count.
  for (int i = 0; i < 4; ++i) {
    auto s = static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, 0));
#ifdef _WIN32
    u_long on = 1;
    ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &on);
#else
    ::fcntl(static_cast<int>(s), F_SETFL, O_NONBLOCK);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port_);
    ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers_.push_back(s);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

FullBacklogListener::~FullBacklogListener() {
  for (std::intptr_t s : fillers_) CloseSocket(s);
  CloseSocket(listener_);
}
