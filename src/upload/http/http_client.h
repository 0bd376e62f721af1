#pragma once
// TNetHTTP: one HTTP exchange at a time, a GET or a POST whose reply body
// comes back as 8-bit text. Redirects raise and are never followed. An
// "https" address runs the same exchange, byte for byte, inside TLS
// (TNetTLSStream); "http" stays plain. Through a proxy, a plain request
// names its whole address on the request line and is otherwise the same;
// TLS goes through a tunnel (CONNECT) to the service.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "upload/socket/connection.h"
#include "upload/socket/exceptions.h"
#include "upload/http/records.h"
#include "upload/http/reply.h"
#include "upload/http/proxy.h"
#include "upload/http/body_stream.h"
#include "upload/http/addresses.h"
#include "upload/socket/deadline.h"
#include "upload/socket/socket.h"
#include "upload/socket/socket_layer.h"

// How far an exchange got: one that failed before Connected never reached
// the peer, one that failed before Answered had no byte of a reply.
enum class TNetExchangeStage { NotConnected, Connected, Answered };

class TNetHTTP {
 public:
  // A connect on a reachable host answers within a second or two; ten seconds
  // also covers a SYN lost and resent twice.
  static constexpr int kDefaultConnectTimeout = 10000;
  // An idle wait, renewed by every byte: a slow line that moves keeps going,
  // a peer silent for this long is given up.
  static constexpr int kDefaultReadTimeout = 30000;
  // The whole exchange, connect included: a 3 MiB picture needs only about
  // 40 kbit/s to go within it, and no peer holds a worker for longer.
  static constexpr int kDefaultExchangeTimeout = 600000;

  TNetHTTP();
  ~TNetHTTP();
  TNetHTTP(const TNetHTTP&) = delete;
  TNetHTTP& operator=(const TNetHTTP&) = delete;

  std::string HttpGetText(const std::string& url);
  // The caller sets Request().ContentType first.
  std::string HttpPostText(const std::string& url, TNetBaseStream& source);
  // The same for an address taken apart already (TNetSite::Address).
  std::string HttpGetText(const TNetURI& address);
  std::string HttpPostText(const TNetURI& address, TNetBaseStream& source);

  TNetHTTPRequest& Request() noexcept { return request_; }
  const TNetHTTPResponse& Response() const noexcept { return response_; }
  bool Connected() const noexcept { return connection_ != nullptr && connection_->IsOpen(); }
  // How far the last exchange got, failed or not.
  TNetExchangeStage Stage() const noexcept { return stage_; }
  void Disconnect() noexcept;

  TNetHTTPProtocolVersion ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
  int ConnectTimeout = kDefaultConnectTimeout;    // milliseconds, 0 for none
  int ReadTimeout = kDefaultReadTimeout;          // milliseconds, 0 for none
  int ExchangeTimeout = kDefaultExchangeTimeout;  // milliseconds, 0 for none
  std::size_t RecvBufferSize = 32768;
  std::size_t SendBufferSize = 32768;
  bool UseNagle = true;
  // What a reply may hold; see TNetReplyLimits.
  std::size_t MaxLineLength = TNetReplyLimits{}.MaxLineLength;
  std::size_t MaxReplySize = TNetReplyLimits{}.MaxReplySize;
  std::size_t MaxHeaderSize = TNetReplyLimits{}.MaxHeaderSize;
  int MaxInterimReplies = TNetReplyLimits{}.MaxInterimReplies;
  // The routes for each exchange's address; nothing chosen means direct.
  TNetProxyChoice Proxies = SystemProxies;

 private:
  std::string DoRequest(TNetHTTPMethod method, const TNetURI& uri, TNetBaseStream* source);
  void ConnectTo(bool tls, const std::string& host, std::uint16_t port, TNetDeadline deadline);
  // A connection to the proxy of the route, else to host itself; a proxy's
  // failure here is an ENetProxyError that says nothing was reached.
  std::unique_ptr<TNetSocket> Reach(const TNetRoute& route, const std::string& host, std::uint16_t port,
                                    TNetDeadline deadline);
  // The connection made: through the proxy's tunnel for TLS, then TLS.
  void ConnectVia(const TNetRoute& route, std::unique_ptr<TNetSocket> socket, bool tls,
                  const std::string& host, std::uint16_t port, TNetDeadline deadline);
  TNetReplyLimits Limits() const;
  void SendRequest(TNetBaseStream* source);
  std::string ComposeRequestHead() const;
  bool WorkOutKeepAlive(bool peerClosed) const;

  TNetSocketLayerUse layer_;
  std::unique_ptr<TNetConnection> connection_;  // a TNetSocket, or a TNetTLSStream over one
  bool connectedTls_ = false;
  std::string connectedHost_;
  std::uint16_t connectedPort_ = 0;
  TNetRoute via_;                                  // the proxy of the open connection
  std::unique_ptr<class TNetProxySignIn> signIn_;  // with via_, for this exchange
  TNetHTTPRequest request_;
  TNetURI address_;  // the exchange's, as its routes are chosen for it
  TNetHTTPResponse response_;
  TNetExchangeStage stage_ = TNetExchangeStage::NotConnected;
};
