// TNetHTTP over TLS against real peers: openssl s_server with the test
// authority's certificates and nginx in front of a recording peer, started by
// tls_peers.sh, which also makes the system trust the authority; and hostile
// peers of our own. The same checks run natively (OpenSSL) and under Wine
// (Schannel).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/scripted_peer.h"
#include "upload/http/http_client.h"
#include "upload/http/body_stream.h"

#ifdef _WIN32
#include <windows.h>
// Wine's Schannel has no TLS 1.3, and answers a request for a certificate by itself, without a word.
const bool kWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
const bool kWine = false;
#endif

namespace {

// A port that tls_peers.sh gave, 0 without it.
int PeerPort(const char* name) {
  const char* value = std::getenv((std::string("PSL_TLS_") + name).c_str());
  return value != nullptr ? std::atoi(value) : 0;
}

#define REQUIRE_PEERS() \
  if (PeerPort("GOOD") == 0) GTEST_SKIP() << "no peers: run through tests/upload/tls/tls_peers.sh"

std::string Https(const std::string& host, int port, const std::string& path) {
  return "https://" + host + ":" + std::to_string(port) + path;
}

constexpr char kUntrusted[] = "TLS: the certificate is not trusted (unknown authority).";
constexpr char kWrongName[] = "TLS: the certificate is for another host name.";
constexpr char kExpired[] = "TLS: the certificate has expired or is not yet valid.";
constexpr char kOldProtocol[] =
    "TLS: the server has no protocol version in common with this system (TLS 1.2 or newer).";
constexpr char kNotTLS[] = "TLS: the server does not speak TLS.";
constexpr char kNoAuthority[] = "TLS: the certificate is not valid (issuer is no authority).";
constexpr char kNulInName[] = "TLS: the connection could not be set up (host name).";
constexpr char kRenegotiation[] = "TLS: the server asked for a renegotiation, which this program refuses.";
constexpr char kCertificate[] = "TLS: the server asks for a client certificate, and this program has none.";
constexpr char kCut[] = "Reply cut short: the connection ended without the server's closing message.";

// Each fault of the server's certificate or protocol fails the exchange with
// its own message, before a byte of the request goes out; what a server does
// inside its reply ends it at once, never by the read time-out.
TEST(Tls, EachServerFaultHasItsOwnMessage) {
  REQUIRE_PEERS();
  const std::string answer = std::getenv("PSL_TLS_ANSWER");
  ScriptedPeer plainHttp(
      {{.reply = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n", .atOnce = true}});
  const struct {
    const char* what;
    int port;
    std::string host;
    const char* message;  // nullptr: the answer comes back; "": any message
    const char* raised = "ENetTLSError";
  } cases[] = {
      {"good certificate by address", PeerPort("GOOD"), "127.0.0.1", nullptr},
      {"good certificate by name", PeerPort("GOOD"), "localhost", nullptr},
      {"unknown authority", PeerPort("UNKNOWN_CA"), "127.0.0.1", kUntrusted},
      {"another host's certificate", PeerPort("WRONG_NAME"), "127.0.0.1", kWrongName},
      {"expired certificate", PeerPort("EXPIRED"), "localhost", kExpired},
      {"a server of TLS 1.0 only", PeerPort("TLS10"), "127.0.0.1", kOldProtocol},
      {"plain HTTP behind an https address", plainHttp.Port(), "127.0.0.1", kNotTLS},
      {"issued by a certificate that is no authority", PeerPort("NOT_CA"), "localhost", kNoAuthority},
      {"a name with a NUL in it", PeerPort("GOOD"), std::string("localhost\0.example", 18), kNulInName},
      {"a certificate asked of us", PeerPort("VERIFY"), "127.0.0.1", kWine ? "" : kCertificate},
      {"a TLS 1.2 renegotiation inside the reply", PeerPort("RENEGOTIATE"), "127.0.0.1", kRenegotiation},
      {"TLS 1.3 tickets and a key update", PeerPort("KEY_UPDATE"), "127.0.0.1",
       kWine ? kOldProtocol : nullptr},
      {"a reply to the close without close_notify", PeerPort("CUT"), "127.0.0.1", kCut,
       "ENetReplyIncomplete"},
  };
  for (const auto& c : cases) {
    TNetHTTP client;
    try {
      std::string body = client.HttpGetText(Https(c.host, c.port, "/ver.txt"));
      EXPECT_EQ(c.message, nullptr) << c.what << ": no failure";
      EXPECT_EQ(body, answer) << c.what;
    } catch (const ENetException& e) {
      EXPECT_STREQ(e.ClassName(), c.message != nullptr ? c.raised : "(none)")
          << c.what << ": " << e.Message();
      if (c.message == nullptr || *c.message != '\0') {
        EXPECT_EQ(e.Message(), c.message != nullptr ? c.message : "") << c.what;
      }
    }
    EXPECT_FALSE(client.Connected()) << c.what;
  }
}

const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

// A body source over bytes in memory.
class BytesSource : public TNetBaseStream {
 public:
  explicit BytesSource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t n = std::min(count, bytes_.size() - at_);
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    if (origin == TSeekOrigin::soEnd) return static_cast<std::int64_t>(bytes_.size());
    if (origin == TSeekOrigin::soBeginning) at_ = static_cast<std::size_t>(offset);
    return static_cast<std::int64_t>(at_);
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

// What nginx passes on from inside TLS is byte for byte the plain request:
// the version GET and, on the kept connection, a POST whose binary body spans
// many records.
TEST(Tls, TheRequestsInsideTlsAreThePlainOnes) {
  REQUIRE_PEERS();
  ScriptedPeer recorder({{kOk, false}, {kOk, false}}, static_cast<std::uint16_t>(PeerPort("RECORDER")));
  ASSERT_NE(recorder.Port(), 0) << "the recorder's port is taken";
  const std::string host = "127.0.0.1:" + std::to_string(PeerPort("FRONT"));
  std::string body = "--b\r\nbinary \0\xFF bytes\r\n--b--\r\n";
  for (int i = 0; i < 300000; ++i) body += static_cast<char>(i * 7 % 251);

  TNetHTTP client;
  EXPECT_EQ(client.HttpGetText("https://" + host + "/ver.txt"), "ok");
  EXPECT_TRUE(client.Connected());
  client.Request().ContentType = "multipart/form-data; boundary=b";
  client.Request().Connection = "keep-alive";
  BytesSource source(body);
  // A POST goes on a connection of its own, as over plain HTTP.
  EXPECT_EQ(client.HttpPostText("https://" + host + "/pic/upload.php", source), "ok");
  const std::string tail = "Host: " + host +
                           "\r\n"
                           "Accept: text/html, */*\r\n"
                           "Accept-Encoding: identity\r\n"
                           "User-Agent: Mozilla/3.0 (compatible; Pondix Screenshot Loader)\r\n"
                           "\r\n";
  std::vector<std::string> requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "GET /ver.txt HTTP/1.1\r\n" + tail);
  EXPECT_TRUE(requests[1] ==
              "POST /pic/upload.php HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Content-Type: multipart/form-data; boundary=b\r\n"
              "Content-Length: " +
                  std::to_string(body.size()) + "\r\n" + tail + body)
      << requests[1].substr(0, 400);
}

// Peers that never finish a handshake end the exchange within its bounds:
// an error of the TLS library or of ours, or the exchange deadline.
TEST(Tls, HostilePeersEndWithinTheBounds) {
  std::string garbage = "\x16\x03\x03\x00\x30";
  for (int i = 0; i < 48; ++i) garbage += static_cast<char>(i * 37 + 11);
  // A server hello that claims 16 MiB, followed by records as fast as they go.
  std::string hugeHello = std::string("\x16\x03\x03\x40\x00\x02\xFF\xFF\xFF", 9) + std::string(16380, '\x03');
  std::string moreOfIt = std::string("\x16\x03\x03\x40\x00", 5) + std::string(16384, '\x03');
  const struct {
    const char* what;
    PeerExchange exchange;
    const char* raised;   // nullptr: any ENetTLSError
    const char* message;  // nullptr: any
  } cases[] = {
      {"garbage after the hello", {.reply = garbage, .atOnce = true}, nullptr, nullptr},
      {"a handshake record a byte every 50 ms",
       {.reply = std::string("\x16\x03\x03\x00\x40\x02", 6),
        .repeat = std::string(1, '\0'),
        .pauseMs = 50,
        .atOnce = true},
       "ENetExchangeTimeout",
       "Exchange timed out."},
      {"an endless server hello", {.reply = hugeHello, .repeat = moreOfIt, .atOnce = true}, nullptr, nullptr},
      {"a record longer than TLS allows",
       {.reply = std::string("\x16\x03\x03\xFF\xFF", 5), .repeat = std::string(4096, '\x01'), .atOnce = true},
       nullptr,
       nullptr},
  };
  for (const auto& c : cases) {
    ScriptedPeer peer({c.exchange});
    TNetHTTP client;
    client.ReadTimeout = 1000;
    client.ExchangeTimeout = 700;
    auto started = std::chrono::steady_clock::now();
    try {
      client.HttpGetText(Https("127.0.0.1", peer.Port(), "/ver.txt"));
      ADD_FAILURE() << c.what << ": nothing raised";
    } catch (const ENetException& e) {
      EXPECT_STREQ(e.ClassName(), c.raised != nullptr ? c.raised : "ENetTLSError")
          << c.what << ": " << e.Message();
      if (c.message != nullptr) {
        EXPECT_EQ(e.Message(), c.message) << c.what;
      }
      std::printf("%s: %s: %s\n", c.what, e.ClassName(), e.Message().c_str());
    }
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(5)) << c.what;
    if (c.raised != nullptr) {
      EXPECT_GE(took, std::chrono::milliseconds(650)) << c.what;
    }
    EXPECT_FALSE(client.Connected()) << c.what;
  }
}

}  // namespace
