#pragma once
// A loopback TCP server on a free port, run on a thread of its own, that
// plays a fixed script: for each exchange it reads one request (header block
// and Content-Length body), records it, and sends the scripted reply bytes.
// It uses the platform's sockets directly, independent of the code under test.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PeerExchange {
  std::string reply{};
  bool closeAfter = true;  // close the connection after the reply, else serve the next exchange on it
  bool silent = false;     // read the request and then say nothing until the peer is destroyed
  // After the reply: these bytes again and again, pauseMs apart, until the
  // client lets go or the peer is destroyed (20 s at most).
  std::string repeat{};
  int pauseMs = 0;
  // End with a reset instead of a close, a moment after the reply, so the
  // client has taken the reply's bytes before the reset arrives.
  bool reset = false;
  // Reply to the first bytes that arrive, whatever they are (a TLS hello),
  // rather than to a whole request.
  bool atOnce = false;
};

class ScriptedPeer {
 public:
  // Port 0 takes a free one; a given port that is taken leaves Port() at 0.
  explicit ScriptedPeer(std::vector<PeerExchange> script, std::uint16_t port = 0);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::uint16_t Port() const { return port_; }
  // Waits until the script has run and returns the requests as received.
  std::vector<std::string> Requests();
  // How many connections were accepted.
  int Connections();

 private:
  void Run();
  bool ReadRequest(std::intptr_t connection, std::string& request, bool atOnce);
  bool WaitReadable(std::intptr_t s);

  std::vector<PeerExchange> script_;
  std::uint16_t port_ = 0;  // set while listener_ is made
  std::intptr_t listener_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::string> requests_;
  int connections_ = 0;
  std::thread thread_;
};

// Platform socket helpers for tests.
void InitTestSockets();
// A loopback port on which nothing listens right now.
std::uint16_t UnusedLoopbackPort();

// A listener that never accepts, with its backlog filled, so that a further
// connect is neither accepted nor refused.
class FullBacklogListener {
 public:
  FullBacklogListener();
  ~FullBacklogListener();
  std::uint16_t Port() const { return port_; }

 private:
  std::uint16_t port_ = 0;  // set while listener_ is made
  std::intptr_t listener_;
  std::vector<std::intptr_t> fillers_;
};
