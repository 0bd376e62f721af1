#include "upload/http/proxy_tunnel.h"

#include "upload/socket/exceptions.h"
#include "upload/http/reply_reader.h"
#include "toolkit/text.h"

namespace {

// A garbled status line goes into the message only as far as this.
constexpr std::size_t kQuotedLine = 80;

std::string Quoted(const std::string& line) {
  std::string shown = line.substr(0, kQuotedLine);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
  return "\"" + shown + (line.size() > kQuotedLine ? "...\"" : "\"");
}

}  // namespace

bool KeptAfterSignIn(const TNetHTTPResponse& reply) {
  return SameTextIgnoringCase(Trim(reply.Connection), "keep-alive") ||
         SameTextIgnoringCase(Trim(reply.ProxyConnection), "keep-alive");
}

void RaiseProxyReply(const TNetProxy& proxy, int code, const std::string& statusLine) {
  const std::string name = "Proxy " + proxy.Name();
  if (code == 407)
    throw ENetProxyError(name + " asked for a sign-in that could not be given: " + Quoted(statusLine), false);
  bool unreached = code == 502 || code == 503 || code == 504;
  if (unreached) throw ENetProxyError(name + " could not reach the service: " + Quoted(statusLine), true);
  if (code < 100) throw ENetProxyError(name + " gave no HTTP reply: " + Quoted(statusLine), false);
  throw ENetProxyError(name + " refused the tunnel: " + Quoted(statusLine), false);
}

std::unique_ptr<TNetSocket> OpenTunnel(std::unique_ptr<TNetSocket> socket, const TNetProxy& proxy,
                                       const std::string& authority, const std::string& userAgent,
                                       TNetProxySignIn& signIn, const TNetReplyLimits& limits,
                                       const std::function<std::unique_ptr<TNetSocket>()>& reconnect) {
  std::string authorization;
  for (int round = 0;; ++round) {
    std::string head = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
    if (!userAgent.empty()) head += "User-Agent: " + userAgent + "\r\n";
    if (!authorization.empty()) head += "Proxy-Authorization: " + authorization + "\r\n";
    head += "\r\n";
    TNetReplyReader reader(*socket);
    TNetHTTPResponse reply;
    bool intact = true;
    try {
      socket->SendAll(head.data(), head.size());
      ReadReplyHead(reader, reply, limits);
      if (reply.ResponseCode / 100 != 2) {
        std::string body;  // read, so that the connection can carry the next round
        try {
          ReadReplyBody(reader, reply, body, limits);
        } catch (const ENetException&) {
          intact = false;
        }
      }
    } catch (const ENetException& e) {
      // Nothing came from the service: the proxy broke off, or stalled past a bound.
      throw ENetProxyError("Proxy " + proxy.Name() + " failed to open a tunnel: " + e.Message(), true);
    }
    const int code = reply.ResponseCode;
    if (code / 100 == 2) {
      // TLS speaks first from our side: any byte here is none of the service's.
      if (reply.ContentLength > 0 || !reply.TransferEncoding().empty() || reader.Buffered() > 0)
        throw ENetProxyError(
            "Proxy " + proxy.Name() + " answered CONNECT with a body: " + Quoted(reply.ResponseText), false);
      return socket;
    }
    if (code != 407 || round >= TNetProxySignIn::kMostRounds)
      RaiseProxyReply(proxy, code, reply.ResponseText);
    std::optional<std::string> answer = signIn.Answer(reply.RawHeaders);
    if (!answer) RaiseProxyReply(proxy, code, reply.ResponseText);
    authorization = *answer;
    if (!intact || reader.PeerClosed() || reader.Buffered() > 0 || !KeptAfterSignIn(reply))
      socket = reconnect();
  }
}
