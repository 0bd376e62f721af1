// The version check against scripted service replies and a real file "ver":
// which message is shown, whether the download opens, what "ver" holds after;
// which failed requests are asked again, and the waiting on a clock of the
// test's own, so that a minute of waiting passes at once.

#include "app/version_check.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "toolkit/exceptions.h"
#include "support/scripted_peer.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string Url(std::uint16_t port) { return "http://127.0.0.1:" + std::to_string(port) + "/ver.txt"; }

class VersionCheck : public testing::Test {
 protected:
  TempFolder dir{"psl-version"};
  std::string verPath = dir / "ver";
  std::vector<std::string> shown;  // messages, "open" and "terminate" in the order they came
  TStringList versionList;
  bool endingAfterMessage = false;  // the exit command runs while a message is shown

  // The check's clock: requests take requestTakes, pauses take what they ask.
  std::chrono::steady_clock::time_point clock{};
  milliseconds requestTakes{0};
  int requests = 0;
  std::vector<milliseconds> pauses;
  std::optional<milliseconds> messageAt;  // since the check began
  // Called at each pause with its number from 1; false: the exit command came.
  std::function<bool(std::size_t)> duringPause;
  bool endingDuringRequest = false;

  void SetUp() override { InitTestSockets(); }

  void WriteVer(const std::string& bytes) { std::ofstream(verPath, std::ios::binary) << bytes; }
  std::optional<std::string> ReadVer() {
    std::ifstream in(verPath, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  bool Run(std::uint16_t port, int readTimeout = TNetHTTP::kDefaultReadTimeout) {
    TVersionCheckUi ui;
    bool ending = false;
    const auto start = clock;
    ui.ShowMessage = [&](const std::string& text) {
      shown.push_back(text);
      messageAt = std::chrono::duration_cast<milliseconds>(clock - start);
      ending = endingAfterMessage;
    };
    ui.Ending = [&ending] { return ending; };
    ui.OpenDownload = [this] { shown.push_back("open"); };
    ui.Terminate = [this] { shown.push_back("terminate"); };
    ui.RunRequest = [this](std::function<TVersionReply()> request) -> std::optional<TVersionReply> {
      ++requests;
      TVersionReply reply = request();
      clock += requestTakes;
      if (endingDuringRequest) return std::nullopt;
      return reply;
    };
    ui.Pause = [this](milliseconds pause) {
      pauses.push_back(pause);
      clock += pause;
      return !duringPause || duringPause(pauses.size());
    };
    ui.Now = [this] { return clock; };
    TVersionCheckSettings settings;
    settings.VersionAddress = ParseURI(Url(port));
    settings.VerPath = verPath;
    settings.ReadTimeout = readTimeout;
    return RunVersionCheck(settings, versionList, ui);
  }
  bool RunAgainst(const std::string& reply) {
    ScriptedPeer peer({{reply}});
    return Run(peer.Port());
  }
};

const std::vector<std::string> kNothing{};
const std::vector<std::string> kUpdate{kUpdateVersionText, "open"};
const std::vector<std::string> kUnavailable{kServerUnavailableText, "terminate"};

TEST_F(VersionCheck, AsksForVerTxtWithOneGet) {
  ScriptedPeer peer({{Ok("1.0")}});
  ASSERT_TRUE(Run(peer.Port()));
  auto requests = peer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /ver.txt HTTP/1.1\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find("\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) + "\r\n"),
            std::string::npos);
}

TEST_F(VersionCheck, OutcomesOfTheComparison) {
  struct Case {
    const char* what;
    std::optional<std::string> verBefore;  // nullopt: no file
    std::string body;
    const std::vector<std::string>& shown;
    std::string verAfter;
  };
  const Case cases[] = {
      {"first start", std::nullopt, "1.0", kNothing, "1.0\r\n"},
      {"first start, version with a line break", std::nullopt, "1.0\r\n", kNothing, "1.0\r\n"},
      {"first start, empty version", std::nullopt, "", kNothing, "\r\n"},
      {"same version", "1.0\r\n", "1.0", kNothing, "1.0\r\n"},
      // Untouched: a rewrite would add the line break.
      {"same after trimming both", "\t1.0 ", " 1.0\r\n", kNothing, "\t1.0 "},
      {"only the first line counts", "1.0\nold\r\n", "1.0", kNothing, "1.0\nold\r\n"},
      {"lone CR ends the first line", "1.0\r0.9", "1.0", kNothing, "1.0\r0.9"},
      {"another version", "1.0\r\n", "1.1", kUpdate, "1.1\r\n"},
      {"case counts", "1.0a\r\n", "1.0A", kUpdate, "1.0A\r\n"},
      {"a longer version differs", "1.0\r\n", "1.0.1", kUpdate, "1.0.1\r\n"},
      {"a two-line body never matches", "1.2\r\n", "1.2\r\nnotes", kUpdate, "1.2\r\nnotes\r\n"},
      {"CR LF alone equals an empty version", "\r\n", "", kNothing, "\r\n"},
      {"CR LF alone differs from a version", "\r\n", "1.0", kUpdate, "1.0\r\n"},
      {"a version differs from an empty one", "1.0\r\n", "", kUpdate, "\r\n"},
      {"bytes above 127 compare as they are", "\xC0\xE1\r\n", "\xC0\xC1", kUpdate, "\xC0\xC1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(verPath);
    if (c.verBefore) WriteVer(*c.verBefore);
    shown.clear();
    EXPECT_TRUE(RunAgainst(Ok(c.body)));
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(ReadVer(), c.verAfter);
  }
}

TEST_F(VersionCheck, TwoLineVersionAsksAgainAtEveryStart) {
  WriteVer("1.2\r\n");
  for (int start = 0; start < 3; ++start) {
    shown.clear();
    EXPECT_TRUE(RunAgainst(Ok("1.3\nfixes\n")));
    EXPECT_EQ(shown, kUpdate);
    EXPECT_EQ(ReadVer(), "1.3\nfixes\r\n");
  }
}

TEST_F(VersionCheck, TheExitCommandDuringTheUpdateMessageStopsTheCheckThere) {
  WriteVer("1.2\r\n");
  endingAfterMessage = true;
  EXPECT_FALSE(RunAgainst(Ok("1.3")));
  EXPECT_EQ(shown, std::vector<std::string>{kUpdateVersionText}) << "no download";
  EXPECT_EQ(ReadVer(), "1.2\r\n");
}

TEST_F(VersionCheck, FailingAnswerEndsTheProgramAtOnceAndLeavesVerAlone) {
  WriteVer("0.9\r\n");
  for (const char* reply : {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found",
                            "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"}) {
    SCOPED_TRACE(reply);
    shown.clear();
    requests = 0;
    EXPECT_FALSE(RunAgainst(reply));
    EXPECT_EQ(shown, kUnavailable);
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(ReadVer(), "0.9\r\n");
  }
}

TEST_F(VersionCheck, ServiceOutOfReachIsAskedAgainForAboutAMinuteThenTheProgramEnds) {
  // Requests refused at once, connects that run into their limit, and
  // requests that take the whole exchange limit.
  for (milliseconds takes : {milliseconds(0), milliseconds(10000), milliseconds(15000)}) {
    SCOPED_TRACE(takes.count());
    std::filesystem::remove(verPath);
    shown.clear();
    pauses.clear();
    requests = 0;
    requestTakes = takes;
    EXPECT_FALSE(Run(UnusedLoopbackPort()));
    EXPECT_EQ(shown, kUnavailable) << "told once, at the end";
    EXPECT_GE(requests, 4);
    EXPECT_EQ(pauses.size(), static_cast<std::size_t>(requests - 1));
    EXPECT_TRUE(std::is_sorted(pauses.begin(), pauses.end())) << "the pauses never shrink";
    EXPECT_LE(pauses.front(), seconds(2)) << "a network that joins soon is used soon";
    ASSERT_TRUE(messageAt.has_value());
    EXPECT_GE(*messageAt, seconds(45));
    EXPECT_LE(*messageAt, seconds(60) + takes);
    EXPECT_EQ(ReadVer(), std::nullopt);
  }
}

TEST_F(VersionCheck, ServiceThatComesUpWhileTheCheckWaitsIsUsed) {
  WriteVer("1.0\r\n");
  const std::uint16_t port = UnusedLoopbackPort();
  std::unique_ptr<ScriptedPeer> service;
  duringPause = [&](std::size_t pause) {
    if (pause == 3) service = std::make_unique<ScriptedPeer>(std::vector<PeerExchange>{{Ok("1.1")}}, port);
    return true;
  };
  EXPECT_TRUE(Run(port));
  ASSERT_NE(service, nullptr);
  ASSERT_NE(service->Port(), 0) << "the port was taken meanwhile";
  EXPECT_EQ(requests, 4);
  EXPECT_EQ(shown, kUpdate) << "no server-unavailable message";
  EXPECT_EQ(ReadVer(), "1.1\r\n");
}

TEST_F(VersionCheck, ExitCommandWhileTheCheckWaitsEndsItWithNothingShownOrWritten) {
  WriteVer("0.9\r\n");
  duringPause = [](std::size_t pause) { return pause < 2; };
  EXPECT_FALSE(Run(UnusedLoopbackPort()));
  EXPECT_EQ(requests, 2);
  EXPECT_EQ(shown, kNothing);

  duringPause = nullptr;
  requests = 0;
  endingDuringRequest = true;
  EXPECT_FALSE(Run(UnusedLoopbackPort()));
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(shown, kNothing);
  EXPECT_EQ(ReadVer(), "0.9\r\n");
}

TEST_F(VersionCheck, SilentServiceIsGivenUpAfterTheReadTimeLimit) {
  ScriptedPeer peer({{"", true, true}});
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Run(peer.Port(), 300));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(shown, kUnavailable);
  EXPECT_EQ(ReadVer(), std::nullopt);
}

TEST_F(VersionCheck, VerWithoutAnyLineRaisesListIndexAndStaysAsItIs) {
  for (std::string bytes : {std::string(), std::string("\0"
                                                       "1.0\r\n",
                                                       6)}) {
    WriteVer(bytes);
    shown.clear();
    try {
      RunAgainst(Ok("1.0"));
      ADD_FAILURE() << "no failure for a ver of " << bytes.size() << " bytes";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (0)");
    }
    EXPECT_EQ(shown, kNothing);
    EXPECT_EQ(ReadVer(), bytes);
  }
}

TEST_F(VersionCheck, VerThatCannotBeCreatedRaisesTheCreateError) {
  // A directory of that name is no file: the check tries to create "ver".
  std::filesystem::create_directory(verPath);
  EXPECT_THROW(RunAgainst(Ok("1.0")), EFCreateError);
  EXPECT_EQ(shown, kNothing);
  EXPECT_TRUE(std::filesystem::is_directory(verPath));
}

// Each request against a real peer: asked again only when nothing came from
// the service. A service that took the connection and then said nothing is
// there, and its next answer would be as slow.
TEST(VersionRequest, OnlyAServiceOutOfReachIsAskedAgain) {
  InitTestSockets();
  using Kind = TVersionReply::TKind;
  auto ask = [](const std::string& url, int connectTimeout = TNetHTTP::kDefaultConnectTimeout,
                int exchangeTimeout = kVersionExchangeTimeout) {
    TVersionCheckSettings settings;
    settings.VersionAddress = ParseURI(url);
    settings.ConnectTimeout = connectTimeout;
    settings.ReadTimeout = 300;
    settings.ExchangeTimeout = exchangeTimeout;
    return AskServiceVersion(settings);
  };
  auto against = [&ask](PeerExchange exchange) {
    return [&ask, exchange] {
      ScriptedPeer peer({exchange});
      return ask(Url(peer.Port()));
    };
  };
  auto unanswered = [&ask](int connectTimeout, int exchangeTimeout) {
    return [&ask, connectTimeout, exchangeTimeout] {
      FullBacklogListener listener;
      return ask(Url(listener.Port()), connectTimeout, exchangeTimeout);
    };
  };
  PeerExchange closed{""};
  PeerExchange reset{""};
  reset.reset = true;
  PeerExchange silent{"", true, true};

  const struct {
    const char* what;
    std::function<TVersionReply()> request;
    Kind kind;
  } cases[] = {
      {"connection refused", [&] { return ask(Url(UnusedLoopbackPort())); }, Kind::NotReached},
      {"name that does not resolve", [&] { return ask("http://psl-no-such-host.invalid/ver.txt"); },
       Kind::NotReached},
      {"connect past its own limit", unanswered(300, 15000), Kind::NotReached},
      {"connect past the exchange limit", unanswered(0, 300), Kind::NotReached},
      {"closed before any reply", against(closed), Kind::NotReached},
      {"reset before any reply", against(reset), Kind::NotReached},
      {"404", against({"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}), Kind::Failed},
      {"500", against({"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"}), Kind::Failed},
      {"redirect", against({"HTTP/1.1 302 Found\r\nLocation: /\r\nContent-Length: 0\r\n\r\n"}), Kind::Failed},
      {"status line over the line bound", against({"HTTP/1.1 200 " + std::string(20000, 'x') + "\r\n"}),
       Kind::Failed},
      {"closed within the status line", against({"HTTP/1.1 2"}), Kind::Failed},
      {"closed within the reply's body",
       against({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n1."}), Kind::Failed},
      {"silent after the request", against(silent), Kind::Failed},
      {"port out of range", [&] { return ask("http://127.0.0.1:65536/ver.txt"); }, Kind::Failed},
      {"version", against({Ok("1.0")}), Kind::Version},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TVersionReply reply = c.request();
    EXPECT_EQ(reply.Kind, c.kind);
    EXPECT_EQ(reply.Text, c.kind == Kind::Version ? "1.0" : "");
  }
}

}  // namespace
