#include "upload/net_socket.h"

#include "upload/text_utils.h"

bool ParseDottedIPv4(const std::string& text, std::uint32_t& address) {
  std::uint32_t result = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    std::uint32_t part = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      part = part * 10 + static_cast<std::uint32_t>(text[i] - '0');
      if (++digits > 3 || part > 255) return false;
      ++i;
    }
    result = (result << 8) | part;
    ++parts;
    if (parts < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  if (i != text.size()) return false;
  address = result;
  return true;
}

std::uint32_t TNetSocket::ResolveIPv4(const std::string& host) {
  if (SameTextIgnoringCase(host, "localhost")) return 0x7F000001u;
  std::uint32_t address = 0;
  if (ParseDottedIPv4(host, address)) return address;
  return LookUpIPv4(host);
}
