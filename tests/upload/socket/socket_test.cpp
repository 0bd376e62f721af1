// The socket layer on loopback: every address of a name tried as Happy
// Eyeballs does, and the process-wide sockets library held and let go.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "support/scripted_peer.h"
#include "upload/http/http_client.h"
#include "upload/socket/socket.h"

namespace {

const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

std::string Url(const ScriptedPeer& peer, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(peer.Port()) + path;
}

// Happy Eyeballs on loopback: an address that never answers costs one
// attempt delay, one that refuses none; the first address's failure is told.
TEST(SocketConnect, EveryAddressIsTriedTheFirstToConnectWins) {
  InitTestSockets();
  TNetSocketLayerUse layer;
  FullBacklogListener silent;
  ScriptedPeer peer({{kOk}});
  const std::uint16_t refusing = UnusedLoopbackPort();
  auto at = [](std::uint16_t port) { return TNetAddress::IPv4(0x7F000001u, port); };
  auto connectTime = [](const std::vector<TNetAddress>& addresses) {
    TNetSocket socket;
    auto started = std::chrono::steady_clock::now();
    socket.Connect(addresses, true, 2000, 0);
    EXPECT_TRUE(socket.IsOpen());
    return std::chrono::steady_clock::now() - started;
  };
  auto took = connectTime({at(silent.Port()), at(peer.Port())});
  EXPECT_GE(took, std::chrono::milliseconds(TNetSocket::kNextAttemptDelay - 10));
  EXPECT_LT(took, std::chrono::milliseconds(TNetSocket::kNextAttemptDelay + 400));
  EXPECT_LT(connectTime({at(refusing), at(peer.Port())}), std::chrono::milliseconds(200));
  TNetSocket socket;
  try {
    socket.Connect({at(refusing), at(silent.Port())}, true, 300, 0);
    ADD_FAILURE() << "nothing raised";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10061);
  }
  EXPECT_FALSE(socket.IsOpen());
}

// No path leaves a use of the sockets library behind: kept connections,
// failed exchanges and clients that never connected alike.
TEST(SocketLayer, ClientsReleaseTheLayerOnEveryPath) {
  int before = TNetSocketLayer::UseCount();
  {
    TNetHTTP kept, refused, idle;
    ScriptedPeer peer({{kOk, false}});
    EXPECT_EQ(kept.HttpGetText(Url(peer, "/")), "ok");
    EXPECT_THROW(refused.HttpGetText("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/"),
                 ENetSocketError);
  }
  EXPECT_EQ(TNetSocketLayer::UseCount(), before);
}

TEST(SocketLayer, ConcurrentExchangesShareTheLayer) {
  int before = TNetSocketLayer::UseCount();
  std::vector<std::unique_ptr<ScriptedPeer>> peers;
  for (int i = 0; i < 4; ++i)
    peers.push_back(std::make_unique<ScriptedPeer>(std::vector<PeerExchange>{{kOk}}));
  std::vector<std::string> bodies(peers.size());
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < peers.size(); ++i)
    workers.emplace_back([&, i] {
      try {
        TNetHTTP client;
        bodies[i] = client.HttpGetText(Url(*peers[i], "/"));
      } catch (const Exception& e) {
        bodies[i] = e.Message();
      }
    });
  for (std::thread& worker : workers) worker.join();
  for (const std::string& body : bodies) EXPECT_EQ(body, "ok");
  EXPECT_EQ(TNetSocketLayer::UseCount(), before);
}

}  // namespace
