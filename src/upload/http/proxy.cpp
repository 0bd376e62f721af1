#include "upload/http/proxy.h"

#include <cctype>

#include "toolkit/text.h"
#include "upload/socket/exceptions.h"
#include "upload/http/addresses.h"

namespace {

std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Pieces of text apart by any of the separators, empty ones left out.
std::vector<std::string> Split(const std::string& text, const char* separators) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t to = text.find_first_of(separators, from);
    if (to == std::string::npos) to = text.size();
    if (to > from) pieces.push_back(text.substr(from, to - from));
    from = to + 1;
  }
  return pieces;
}

// "*" matches any run of characters; case is ignored.
bool Matches(const std::string& pattern, const std::string& text) {
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && lower(pattern[p]) == lower(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool StartsWithWord(const std::string& text, const char* word) {
  std::size_t n = std::char_traits<char>::length(word);
  return text.size() >= n && SameTextIgnoringCase(text.substr(0, n), word) &&
         (text.size() == n || text[n] == ' ' || text[n] == '\t');
}

}  // namespace

TNetProxy ParseProxyUrl(const std::string& setting, std::uint16_t defaultPort) {
  auto refuse = [&] {
    throw ENetProxyError(
        "Proxy setting \"" + setting + "\" cannot be used: it is no [http://][user:password@]host[:port]",
        false);
  };
  std::string rest = Trim(setting);
  std::size_t schemeEnd = rest.find("://");
  if (schemeEnd != std::string::npos) {
    if (!SameTextIgnoringCase(rest.substr(0, schemeEnd), "http")) refuse();
    rest.erase(0, schemeEnd + 3);
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  TNetProxy proxy;
  std::size_t at = rest.rfind('@');
  if (at != std::string::npos) {
    std::string user = rest.substr(0, at);
    rest.erase(0, at + 1);
    std::size_t colon = user.find(':');
    proxy.User = PercentDecoded(user.substr(0, colon));
    if (colon != std::string::npos) proxy.Password = PercentDecoded(user.substr(colon + 1));
  }
  std::optional<TNetSite> site = ParseSite(rest);
  if (!site || rest.find("://") != std::string::npos) refuse();
  proxy.Host = site->Host;
  proxy.Port = defaultPort;
  if (!site->Port.empty()) {
    int port = std::stoi(site->Port);
    if (port < 1 || port > 65535) refuse();
    proxy.Port = static_cast<std::uint16_t>(port);
  }
  return proxy;
}

TNetRoutes ParseProxyList(const std::string& list, const std::string& scheme) {
  TNetRoutes any, forScheme;
  bool perScheme = false;
  for (const std::string& piece : Split(list, ";")) {
    std::string entry = Trim(piece);
    if (SameTextIgnoringCase(entry, "DIRECT")) {
      any.push_back(std::nullopt);
    } else if (StartsWithWord(entry, "PROXY")) {
      any.push_back(ParseProxyUrl(entry.substr(5), 80));
    } else if (StartsWithWord(entry, "SOCKS") || StartsWithWord(entry, "SOCKS5") ||
               StartsWithWord(entry, "HTTPS")) {
      // A script's ways that this client does not speak: the next one is tried.
    } else {
      for (const std::string& word : Split(entry, " \t")) {
        std::size_t equals = word.find('=');
        if (equals != std::string::npos && word.find("://") > equals) {
          perScheme = true;
          if (SameTextIgnoringCase(word.substr(0, equals), scheme))
            forScheme.push_back(ParseProxyUrl(word.substr(equals + 1), 80));
        } else {
          any.push_back(ParseProxyUrl(word, 80));
        }
      }
    }
  }
  return perScheme ? forScheme : any;
}

bool BypassedByList(const std::string& host, const std::string& list) {
  for (const std::string& entry : Split(list, "; \t\r\n")) {
    if (SameTextIgnoringCase(entry, "<local>")) {
      if (host.find_first_of(".:") == std::string::npos) return true;
    } else if (Matches(entry, host)) {
      return true;
    }
  }
  return false;
}

bool BypassedByNoProxy(const std::string& host, const std::string& list) {
  std::string bare = host.size() > 2 && host.front() == '[' ? host.substr(1, host.size() - 2) : host;
  for (const std::string& piece : Split(list, ",")) {
    std::string entry = Trim(piece);
    if (entry == "*") return true;
    if (!entry.empty() && entry.front() == '.') entry.erase(0, 1);
    if (entry.empty()) continue;
    if (SameTextIgnoringCase(bare, entry)) return true;
    if (bare.size() > entry.size() && bare[bare.size() - entry.size() - 1] == '.' &&
        SameTextIgnoringCase(bare.substr(bare.size() - entry.size()), entry))
      return true;
  }
  return false;
}
