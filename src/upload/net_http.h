#pragma once
// TNetHTTP: one plain-HTTP exchange per object, a GET or a POST whose reply
// body comes back as 8-bit text. Redirects raise and are never followed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "upload/net_exceptions.h"
#include "upload/net_http_records.h"
#include "upload/net_stream.h"
#include "upload/socket_layer.h"

struct TNetURI {
  std::string Protocol;
  std::string Host;
  std::string Port;  // as written in the URL; empty when there is none
  std::string Path;  // up to and including the last slash
  std::string Document;
  std::string Params;  // the query, with its leading "?"
};

// How far an exchange got: one that failed before Connected never reached
// the peer, one that failed before Answered had no byte of a reply.
enum class TNetExchangeStage { NotConnected, Connected, Answered };

// Absolute URLs "scheme://host[:port]/path/document?query"; a fragment is dropped.
TNetURI ParseURI(const std::string& url);

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

  TNetHTTPRequest& Request() noexcept { return request_; }
  const TNetHTTPResponse& Response() const noexcept { return response_; }
  bool Connected() const noexcept { return socket_ != nullptr && socket_->IsOpen(); }
  // How far the last exchange got, failed or not.
  TNetExchangeStage Stage() const noexcept { return stage_; }
  void Disconnect() noexcept;

  TNetHTTPProtocolVersion ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
  int ConnectTimeout = kDefaultConnectTimeout;    // milliseconds, 0 for none
  int ReadTimeout = kDefaultReadTimeout;          // milliseconds, 0 for none
  int ExchangeTimeout = kDefaultExchangeTimeout;  // milliseconds, 0 for none
  std::size_t MaxLineLength = 16384;
  std::size_t RecvBufferSize = 32768;
  std::size_t SendBufferSize = 32768;
  bool UseNagle = true;
  // Far beyond any verdict or version text; a longer reply is refused.
  std::size_t MaxReplySize = 16u << 20;
  // Real replies carry a few hundred bytes of headers and at most one
  // "100 Continue"; these only stop a peer that never ends its head.
  std::size_t MaxHeaderSize = 1u << 20;
  int MaxInterimReplies = 32;

 private:
  std::string DoRequest(TNetHTTPMethod method, const std::string& url, TNetBaseStream* source);
  void ConnectTo(const std::string& host, std::uint16_t port, TNetDeadline deadline);
  void SendRequest(TNetBaseStream* source);
  std::string ComposeRequestHead() const;
  bool WorkOutKeepAlive(bool peerClosed) const;

  TNetSocketLayerUse layer_;
  std::unique_ptr<TNetSocket> socket_;
  std::string connectedHost_;
  std::uint16_t connectedPort_ = 0;
  TNetHTTPRequest request_;
  TNetHTTPResponse response_;
  TNetExchangeStage stage_ = TNetExchangeStage::NotConnected;
};
