#pragma once
// A tunnel through an HTTP proxy (CONNECT), for TLS with the service inside
// it: the proxy's reply is read by the reply parser, and anything but a bare
// 2xx, a 407 it can answer included, is the proxy's failure.

#include <functional>
#include <memory>
#include <string>

#include "upload/http/reply.h"
#include "upload/http/proxy.h"
#include "upload/http/proxy_sign_in.h"
#include "upload/socket/socket.h"

// The socket to the proxy, now a tunnel to authority ("host:port"). Up to
// TNetProxySignIn::kMostRounds 407s are answered; reconnect gives a new
// connection to the proxy when it closed one after a 407. Raises
// ENetProxyError naming the proxy.
std::unique_ptr<TNetSocket> OpenTunnel(std::unique_ptr<TNetSocket> socket, const TNetProxy& proxy,
                                       const std::string& authority, const std::string& userAgent,
                                       TNetProxySignIn& signIn, const TNetReplyLimits& limits,
                                       const std::function<std::unique_ptr<TNetSocket>()>& reconnect);

// Whether a proxy's 407 leaves its connection for the answer: only when it
// says so, as a proxy that signs in by connection (NTLM) must.
bool KeptAfterSignIn(const TNetHTTPResponse& reply);

// What an exchange through a proxy raises for the proxy's own reply: 407
// unanswered, or the proxy could not reach the service (502, 503, 504).
[[noreturn]] void RaiseProxyReply(const TNetProxy& proxy, int code, const std::string& statusLine);
