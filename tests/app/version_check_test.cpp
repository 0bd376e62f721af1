// The version check against scripted service replies and a real file "ver":
// which message is shown, whether the download opens, what "ver" holds after.

#include "app/version_check.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "toolkit/exceptions.h"
#include "upload/scripted_peer.h"

namespace {

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

class VersionCheck : public testing::Test {
 protected:
  TempFolder dir{"psl-version"};
  std::string verPath = dir / "ver";
  std::vector<std::string> shown;  // messages, "open" and "terminate" in the order they came
  TStringList versionList;
  bool endingAfterMessage = false;  // the exit command runs while a message is shown

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
    ui.ShowMessage = [this, &ending](const std::string& text) {
      shown.push_back(text);
      ending = endingAfterMessage;
    };
    ui.Ending = [&ending] { return ending; };
    ui.OpenDownload = [this] { shown.push_back("open"); };
    ui.Terminate = [this] { shown.push_back("terminate"); };
    TVersionCheckSettings settings;
    settings.VersionUrl = "http://127.0.0.1:" + std::to_string(port) + "/ver.txt";
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

TEST_F(VersionCheck, UnreachableServiceEndsTheProgramAndLeavesVerAlone) {
  WriteVer("0.9\r\n");
  EXPECT_FALSE(RunAgainst("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"));
  EXPECT_EQ(shown, kUnavailable);
  EXPECT_EQ(ReadVer(), "0.9\r\n");

  shown.clear();
  EXPECT_FALSE(RunAgainst("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"));
  EXPECT_EQ(shown, kUnavailable);

  shown.clear();
  EXPECT_FALSE(Run(UnusedLoopbackPort()));
  EXPECT_EQ(shown, kUnavailable);
  EXPECT_EQ(ReadVer(), "0.9\r\n");

  // No file is created either.
  std::filesystem::remove(verPath);
  shown.clear();
  EXPECT_FALSE(Run(UnusedLoopbackPort()));
  EXPECT_EQ(shown, kUnavailable);
  EXPECT_EQ(ReadVer(), std::nullopt);
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

}  // namespace
