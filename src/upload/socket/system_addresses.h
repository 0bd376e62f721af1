#pragma once
// The system's socket addresses to and from TNetAddress. POSIX and Windows
// Sockets name them alike, so both platform files include this after their
// own socket headers.

#include <cstring>
#include <vector>

#include "upload/socket/exceptions.h"
#include "upload/socket/socket.h"

// remote for the address and local for any address of its family, ready
// for bind and connect; returns their length.
inline int ToSocketAddresses(const TNetAddress& address, sockaddr_storage& remote, sockaddr_storage& local) {
  remote = {};
  local = {};
  const std::uint16_t netPort = static_cast<std::uint16_t>((address.Port >> 8) | (address.Port << 8));
  if (address.IPv6) {
    auto& six = reinterpret_cast<sockaddr_in6&>(remote);
    six.sin6_family = AF_INET6;
    six.sin6_port = netPort;
    std::memcpy(&six.sin6_addr, address.Bytes.data(), 16);
    reinterpret_cast<sockaddr_in6&>(local).sin6_family = AF_INET6;
    return sizeof(sockaddr_in6);
  }
  auto& four = reinterpret_cast<sockaddr_in&>(remote);
  four.sin_family = AF_INET;
  four.sin_port = netPort;
  std::memcpy(&four.sin_addr, address.Bytes.data(), 4);
  reinterpret_cast<sockaddr_in&>(local).sin_family = AF_INET;
  return sizeof(sockaddr_in);
}

// What getaddrinfo is asked: TCP addresses of both families, in the order the
// system sorts them; numericOnly for an address written out, never looked up.
inline addrinfo LookUpHints(bool numericOnly) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  return hints;
}

// The IPv4 and IPv6 addresses of getaddrinfo's list, in its order, each
// with port; raises "host not found" when there is none.
inline std::vector<TNetAddress> FromAddressList(const addrinfo* found, std::uint16_t port) {
  std::vector<TNetAddress> addresses;
  for (const addrinfo* at = found; at != nullptr; at = at->ai_next) {
    TNetAddress address;
    address.Port = port;
    if (at->ai_family == AF_INET) {
      std::memcpy(address.Bytes.data(), &reinterpret_cast<const sockaddr_in*>(at->ai_addr)->sin_addr, 4);
    } else if (at->ai_family == AF_INET6) {
      address.IPv6 = true;
      std::memcpy(address.Bytes.data(), &reinterpret_cast<const sockaddr_in6*>(at->ai_addr)->sin6_addr, 16);
    } else {
      continue;
    }
    addresses.push_back(address);
  }
  if (addresses.empty()) RaiseSocketError(kSocketHostNotFound);
  return addresses;
}
