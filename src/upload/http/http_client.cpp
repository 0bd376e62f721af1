#include "upload/http/http_client.h"

#include <algorithm>
#include <vector>

#include "upload/http/reply.h"
#include "upload/http/proxy_sign_in.h"
#include "upload/http/proxy_tunnel.h"
#include "upload/http/reply_reader.h"
#include "upload/tls/tls_stream.h"
#include "toolkit/text.h"

namespace {

const char* MethodName(TNetHTTPMethod method) {
  switch (method) {
    case TNetHTTPMethod::hmHead:
      return "HEAD";
    case TNetHTTPMethod::hmGet:
      return "GET";
    case TNetHTTPMethod::hmPost:
      return "POST";
    case TNetHTTPMethod::hmOptions:
      return "OPTIONS";
    case TNetHTTPMethod::hmTrace:
      return "TRACE";
    case TNetHTTPMethod::hmPut:
      return "PUT";
    case TNetHTTPMethod::hmDelete:
      return "DELETE";
    case TNetHTTPMethod::hmConnect:
      return "CONNECT";
  }
  return "GET";
}

void AddHeader(std::string& head, const char* name, const std::string& value) {
  if (value.empty()) return;
  head += name;
  head += ": ";
  head += value;
  head += "\r\n";
}

}  // namespace

TNetHTTP::TNetHTTP() = default;

TNetHTTP::~TNetHTTP() { Disconnect(); }

void TNetHTTP::Disconnect() noexcept {
  if (connection_ != nullptr) connection_->Close();
  connection_.reset();
}

std::string TNetHTTP::HttpGetText(const std::string& url) { return HttpGetText(ParseURI(url)); }

std::string TNetHTTP::HttpPostText(const std::string& url, TNetBaseStream& source) {
  return HttpPostText(ParseURI(url), source);
}

std::string TNetHTTP::HttpGetText(const TNetURI& address) {
  return DoRequest(TNetHTTPMethod::hmGet, address, nullptr);
}

std::string TNetHTTP::HttpPostText(const TNetURI& address, TNetBaseStream& source) {
  Disconnect();
  TNetHTTPProtocolVersion noted = ProtocolVersion;
  ProtocolVersion = TNetHTTPProtocolVersion::pv1_0;
  std::string body = DoRequest(TNetHTTPMethod::hmPost, address, &source);
  ProtocolVersion = noted;
  return body;
}

std::string TNetHTTP::DoRequest(TNetHTTPMethod method, const TNetURI& uri, TNetBaseStream* source) {
  request_.Method = method;
  request_.URL = UrlOf(uri);
  address_ = uri;
  request_.ProxyAuthorization.clear();
  signIn_.reset();
  stage_ = TNetExchangeStage::NotConnected;

  std::string portText = uri.Port;
  bool tls = SameTextIgnoringCase(uri.Protocol, "https");
  const char* schemePort = tls ? "443" : "80";
  if (portText.empty()) {
    if (!tls && !SameTextIgnoringCase(uri.Protocol, "http")) throw ENetUnknownProtocol("");
    portText = schemePort;
  }
  std::uint16_t port = ParsePort(portText);
  request_.Target = uri.Path + uri.Document + uri.Params;
  request_.Host = portText == schemePort ? uri.Host : uri.Host + ":" + portText;
  if (source != nullptr) {
    request_.ContentLength = source->Seek(0, TNetBaseStream::TSeekOrigin::soEnd);
  } else {
    request_.ContentLength = -1;
  }

  if (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 && request_.Connection.empty())
    request_.Connection = "keep-alive";
  if (request_.AcceptEncoding.find("identity") == std::string::npos)
    request_.AcceptEncoding += request_.AcceptEncoding.empty() ? "identity" : ", identity";

  const TNetDeadline deadline = TNetDeadline::In(ExchangeTimeout);
  ConnectTo(tls, uri.Host, port, deadline);
  stage_ = TNetExchangeStage::Connected;

  for (int round = 0;; ++round) {
    TNetReplyReader reader(*connection_, RecvBufferSize);
    auto noteAnswer = [&] {
      if (reader.AnyReceived()) stage_ = TNetExchangeStage::Answered;
    };
    try {
      SendRequest(source);
      response_ = TNetHTTPResponse();
      std::string body = ReadReply(reader, response_, Limits());
      noteAnswer();
      response_.KeepAlive = WorkOutKeepAlive(reader.PeerClosed());
      if (!response_.KeepAlive) Disconnect();
      return body;
    } catch (const ENetHTTPProtocolException& e) {
      noteAnswer();
      response_.KeepAlive = !reader.Broken() && WorkOutKeepAlive(reader.PeerClosed());
      if (!response_.KeepAlive) Disconnect();
      const int code = e.ErrorCode();
      // Through a proxy, plainly: its own replies are told as its own.
      if (!via_ || tls || (code != 407 && code != 502 && code != 503 && code != 504)) throw;
      if (code != 407 || round >= TNetProxySignIn::kMostRounds) RaiseProxyReply(*via_, code, e.Message());
      if (!signIn_) signIn_ = std::make_unique<TNetProxySignIn>(*via_);
      std::optional<std::string> answer = signIn_->Answer(response_.RawHeaders);
      if (!answer) RaiseProxyReply(*via_, code, e.Message());
      request_.ProxyAuthorization = *answer;
      if (!Connected() || !KeptAfterSignIn(response_)) {
        TNetRoute route = via_;
        Disconnect();
        ConnectVia(route, Reach(route, uri.Host, port, deadline), tls, uri.Host, port, deadline);
      }
    } catch (...) {
      // Where the stream stands after a broken exchange is unknown: never reuse it.
      noteAnswer();
      response_.KeepAlive = false;
      Disconnect();
      throw;
    }
  }
}

TNetReplyLimits TNetHTTP::Limits() const {
  return {.MaxLineLength = MaxLineLength,
          .MaxReplySize = MaxReplySize,
          .MaxHeaderSize = MaxHeaderSize,
          .MaxInterimReplies = MaxInterimReplies};
}

void TNetHTTP::ConnectTo(bool tls, const std::string& host, std::uint16_t port, TNetDeadline deadline) {
  TNetRoutes routes = Proxies ? Proxies(address_) : TNetRoutes{};
  if (routes.empty()) routes.push_back(std::nullopt);
  auto sameRoute = [](const TNetRoute& a, const TNetRoute& b) {
    return a.has_value() == b.has_value() &&
           (!a || (SameTextIgnoringCase(a->Host, b->Host) && a->Port == b->Port));
  };
  if (Connected() && tls == connectedTls_ && SameTextIgnoringCase(host, connectedHost_) &&
      port == connectedPort_ && sameRoute(via_, routes.front())) {
    connection_->SetDeadline(deadline);
    return;
  }
  Disconnect();
  // A proxy that cannot be connected to gives way to the next route.
  for (std::size_t i = 0;; ++i) {
    std::unique_ptr<TNetSocket> socket;
    try {
      socket = Reach(routes[i], host, port, deadline);
    } catch (const ENetException&) {
      if (i + 1 == routes.size()) throw;
      continue;
    }
    ConnectVia(routes[i], std::move(socket), tls, host, port, deadline);
    return;
  }
}

std::unique_ptr<TNetSocket> TNetHTTP::Reach(const TNetRoute& route, const std::string& host,
                                            std::uint16_t port, TNetDeadline deadline) {
  try {
    std::vector<TNetAddress> addresses =
        TNetSocket::Resolve(route ? route->Host : host, route ? route->Port : port, ConnectTimeout, deadline);
    auto socket = std::make_unique<TNetSocket>();
    socket->SetDeadline(deadline);
    socket->Connect(addresses, UseNagle, ConnectTimeout, ReadTimeout);
    return socket;
  } catch (const ENetException& e) {
    if (!route) throw;
    throw ENetProxyError("Proxy " + route->Name() + " cannot be reached: " + e.Message(), true);
  }
}

void TNetHTTP::ConnectVia(const TNetRoute& route, std::unique_ptr<TNetSocket> socket, bool tls,
                          const std::string& host, std::uint16_t port, TNetDeadline deadline) {
  if (route && tls) {
    if (!signIn_) signIn_ = std::make_unique<TNetProxySignIn>(*route);
    socket = OpenTunnel(std::move(socket), *route, host + ":" + std::to_string(port), request_.UserAgent,
                        *signIn_, Limits(), [&] { return Reach(route, host, port, deadline); });
  }
  if (tls) {
    // The service's name, never the proxy's, is what its certificate must show.
    std::string name = host.size() > 2 && host.front() == '[' ? host.substr(1, host.size() - 2) : host;
    connection_ = std::make_unique<TNetTLSStream>(std::move(socket), name, ReadTimeout, deadline);
  } else {
    connection_ = std::move(socket);
  }
  via_ = route;
  connectedTls_ = tls;
  connectedHost_ = host;
  connectedPort_ = port;
}

std::string TNetHTTP::ComposeRequestHead() const {
  const TNetHTTPRequest& r = request_;
  std::string head = MethodName(r.Method);
  // A proxy is told the whole address; TLS through a tunnel is as direct.
  head += " " + (via_ && !connectedTls_ ? "http://" + r.Host + r.Target : r.Target) + " HTTP/";
  head += ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
  head += "\r\n";
  AddHeader(head, "Connection", r.Connection);
  AddHeader(head, "Content-Version", r.ContentVersion);
  AddHeader(head, "Content-Encoding", r.ContentEncoding);
  AddHeader(head, "Content-Language", r.ContentLanguage);
  AddHeader(head, "Content-Type", r.ContentType);
  if (r.HasContentLength()) AddHeader(head, "Content-Length", std::to_string(r.ContentLength));
  AddHeader(head, "Content-Range", r.ContentRange);
  AddHeader(head, "Cache-control", r.CacheControl);
  AddHeader(head, "Date", r.Date);
  AddHeader(head, "Expires", r.Expires);
  AddHeader(head, "Pragma", r.Pragma);
  for (const std::string& line : r.CustomHeaders.Lines())
    if (!line.empty()) head += line + "\r\n";
  AddHeader(head, "Proxy-Connection", r.ProxyConnection);
  AddHeader(head, "Host", r.Host);
  AddHeader(head, "Accept", r.Accept);
  AddHeader(head, "Accept-Charset", r.AcceptCharSet);
  AddHeader(head, "Accept-Encoding", r.AcceptEncoding);
  AddHeader(head, "Accept-Language", r.AcceptLanguage);
  AddHeader(head, "From", r.From);
  AddHeader(head, "Referer", r.Referer);
  AddHeader(head, "User-Agent", r.UserAgent);
  AddHeader(head, "If-Modified-Since", r.LastModified);
  AddHeader(head, "Proxy-Authorization", r.ProxyAuthorization);
  head += "\r\n";
  return head;
}

void TNetHTTP::SendRequest(TNetBaseStream* source) {
  std::string head = ComposeRequestHead();
  connection_->SendAll(head.data(), head.size());
  if (source == nullptr) return;

  source->Seek(0, TNetBaseStream::TSeekOrigin::soBeginning);
  std::vector<char> piece(std::max<std::size_t>(SendBufferSize, 1));
  std::int64_t remaining = request_.ContentLength;
  while (remaining > 0) {
    std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(remaining, piece.size()));
    std::size_t got = source->Read(piece.data(), want);
    if (got == 0) throw ENetNoDataToRead("No data to read.");
    connection_->SendAll(piece.data(), got);
    remaining -= static_cast<std::int64_t>(got);
  }
}

bool TNetHTTP::WorkOutKeepAlive(bool peerClosed) const {
  if (!Connected() || peerClosed) return false;
  auto says = [this](const char* word) {
    return SameTextIgnoringCase(Trim(response_.Connection), word) ||
           SameTextIgnoringCase(Trim(response_.ProxyConnection), word);
  };
  if (ProtocolVersion == TNetHTTPProtocolVersion::pv1_0) return says("KEEP-ALIVE");
  return !says("CLOSE");
}
