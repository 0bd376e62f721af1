// The worker and the program's handling of its verdict against scripted
// service replies: what lands in the status slot, the link text, the balloon
// and the clipboard, and whether the picture file is gone.

#include "upload/upload_worker.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include <gtest/gtest.h>

#include "app/resend_schedule.h"
#include "app/upload_outcome.h"
#include "toolkit/folder_files.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"
#include "upload/socket/exceptions.h"

namespace {

struct Recorder {
  std::mutex lock;
  std::vector<std::string> balloons;
  std::vector<std::string> clipboard;
  bool clipboardHeld = false;  // by another program, for longer than the worker waits
};

class UploadWorker : public testing::Test {
 protected:
  TempFolder dir{"psl-worker"};
  std::string picture;
  std::shared_ptr<TSharedFields> sharedOwner = std::make_shared<TSharedFields>();
  TSharedFields& shared = *sharedOwner;
  Recorder seen;

  void SetUp() override {
    InitTestSockets();
    picture = dir / "4242.jpg";
    std::ofstream(picture, std::ios::binary) << "\xFF\xD8 not really a JPEG \xFF\xD9";
    shared.SetLogin("vasya");
    shared.SetImageFileName(picture);
    shared.SetLink("earlier link");
  }

  // As the UI thread launches a worker: the inputs copied from the shared
  // fields; with a folder of waiting pictures, or for one sent again.
  TUploadJob Ports(std::uint16_t port, std::shared_ptr<TWaitingFolder> waiting = nullptr, bool late = false,
                   std::optional<std::uint32_t> clipboard = std::nullopt) {
    TOutcomePorts ports;
    ports.Shared = sharedOwner;
    ports.ShowBalloon = [this](const std::string& title, const std::string& text, TBalloonIconKind kind,
                               std::uint8_t seconds) {
      std::lock_guard l(seen.lock);
      seen.balloons.push_back(title + "|" + text + "|" + std::to_string(static_cast<int>(kind)) + "|" +
                              std::to_string(seconds));
    };
    ports.CopyTextToClipboard = [this](const std::string& text) {
      std::lock_guard l(seen.lock);
      if (seen.clipboardHeld) return false;
      // As CF_TEXT keeps it: up to the first NUL.
      seen.clipboard.push_back(std::string(text.c_str()));
      return true;
    };
    ports.Waiting = waiting;
    ports.ClipboardSequence = [] { return 41u; };
    ports.CopyTextIfUnchanged = [this](const std::string& text, std::uint32_t expected) {
      seen.clipboard.push_back(text + "|" + std::to_string(expected));
      return std::optional<std::uint32_t>(expected + 1);
    };
    TUploadJob job;
    job.Login = shared.Login();
    job.FileName = shared.ImageFileName();
    job.UploadAddress = ParseURI("http://127.0.0.1:" + std::to_string(port) + "/pic/upload.php");
    job.KeepRefused = late;
    job.Report = [=, file = job.FileName](const TUploadOutcome& o) {
      late ? ReportLateOutcome(ports, o, file, clipboard) : ReportUploadOutcome(ports, o, file);
    };
    return job;
  }
  std::string wait = dir / "wait";
  std::shared_ptr<TWaitingFolder> folder =
      std::make_shared<TWaitingFolder>(TWaitingFolders{wait, dir / "refused"});
  // What the workers told the resend schedule: "KIND PATH CLIPBOARD;" each.
  std::string Told() {
    std::string told;
    for (const TResendNews& n : shared.TakeResendNews())
      told += std::to_string(static_cast<int>(n.Kind)) + " " + n.Path + " " +
              (n.Clipboard ? std::to_string(*n.Clipboard) : "-") + ";";
    return told;
  }

  static std::string Reply200(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
  }
};

const std::string kSuccessBalloon = std::string("Уведомление|") + kSuccessBalloonText + "|1|10";

TEST_F(UploadWorker, RepliesWithGoodPutTheLinkEverywhere) {
  struct Case {
    std::string reply, link;
  } cases[] = {
      {"good:http://127.0.0.1/pic/1.jpg  \r\n", "http://127.0.0.1/pic/1.jpg  \r\n"},  // nothing trimmed
      {"good", "good"},                                                               // no colon: whole reply
      {"good:", ""},                                                                  // colon last: empty
      {"it is goodness: x", " x"},                                                    // anywhere
  };
  for (const Case& c : cases) {
    std::ofstream(picture, std::ios::binary) << "x";
    ScriptedPeer peer({{Reply200(c.reply)}});
    RunUpload(Ports(peer.Port()));
    EXPECT_EQ(shared.TakeStatus(), "good") << c.reply;
    EXPECT_EQ(shared.Link(), c.link);
    EXPECT_EQ(seen.balloons, std::vector<std::string>{kSuccessBalloon});
    EXPECT_EQ(seen.clipboard, std::vector<std::string>{c.link});
    EXPECT_FALSE(std::filesystem::exists(picture)) << "the picture is deleted";
    seen.balloons.clear();
    seen.clipboard.clear();
  }
}

TEST_F(UploadWorker, ALinkTheClipboardWouldNotTakeIsShownInItsBalloon) {
  seen.clipboardHeld = true;
  ScriptedPeer peer({{Reply200("good:http://127.0.0.1/pic/7.jpg")}});
  RunUpload(Ports(peer.Port()));
  EXPECT_EQ(shared.TakeStatus(), "good");
  EXPECT_EQ(shared.Link(), "http://127.0.0.1/pic/7.jpg");
  EXPECT_EQ(seen.balloons,
            std::vector<std::string>{std::string("Ссылка не скопирована|") + kNotCopiedBalloonText +
                                     "http://127.0.0.1/pic/7.jpg|2|30"});
  EXPECT_FALSE(std::filesystem::exists(picture));
}

TEST_F(UploadWorker, ALinkWithANulReachesTheClipboardOnlyUpToIt) {
  ScriptedPeer peer({{Reply200(std::string("good:http://x/\0tail", 19))}});
  RunUpload(Ports(peer.Port()));
  EXPECT_EQ(shared.Link(), std::string("http://x/\0tail", 14));
  EXPECT_EQ(seen.clipboard, std::vector<std::string>{"http://x/"});
}

TEST_F(UploadWorker, RefusalsGoWholeIntoTheStatusSlot) {
  for (std::string reply : {"error", "max size", "Good:http://x/", "", "<html>oops</html>\r\n"}) {
    std::ofstream(picture, std::ios::binary) << "x";
    ScriptedPeer peer({{Reply200(reply)}});
    shared.SetStatus("stale");
    RunUpload(Ports(peer.Port()));
    EXPECT_EQ(shared.TakeStatus(), reply);
    EXPECT_EQ(shared.Link(), "earlier link");
    EXPECT_TRUE(seen.balloons.empty());
    EXPECT_TRUE(seen.clipboard.empty());
    EXPECT_FALSE(std::filesystem::exists(picture)) << reply;
  }
}

// The user hears of a picture that did not go as of one the service refused,
// and the picture stays where it was written.
TEST_F(UploadWorker, FailedExchangesReportThePictureNotUploadedAndKeepTheFile) {
  std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\nConnection: close\r\n\r\nnop";
  std::string serverError = "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  for (const std::string& reply : {notFound, serverError}) {
    ScriptedPeer peer({{reply}});
    EXPECT_THROW(RunUpload(Ports(peer.Port())), ENetHTTPProtocolException);
    EXPECT_EQ(shared.TakeStatus(), "error");
  }
  EXPECT_THROW(RunUpload(Ports(UnusedLoopbackPort())), ENetException);
  EXPECT_EQ(shared.TakeStatus(), "error");
  EXPECT_EQ(shared.Link(), "earlier link");
  EXPECT_TRUE(seen.balloons.empty());
  EXPECT_TRUE(std::filesystem::exists(picture));
}

TEST_F(UploadWorker, AFailedPictureWaitsInTheFolderWhileThereIsRoom) {
  for (std::string name : {"4242.jpg", "4242 (2).jpg"}) {
    std::ofstream(picture, std::ios::binary) << name;
    EXPECT_ANY_THROW(RunUpload(Ports(UnusedLoopbackPort(), folder)));
    EXPECT_EQ(seen.balloons.back(), std::string("Ошибка|") + kKeptBalloonText + "|3|30");
    std::ifstream kept(PathInFolder(wait, name));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), name);
    EXPECT_EQ(Told(), "0 " + PathInFolder(wait, name) + " 41;");
  }
  EXPECT_FALSE(std::filesystem::exists(picture));
  // Oldest first, whatever the names.
  std::filesystem::last_write_time(PathInFolder(wait, "4242.jpg"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  EXPECT_EQ(folder->Waiting(),
            (std::vector{PathInFolder(wait, "4242.jpg"), PathInFolder(wait, "4242 (2).jpg")}));
  std::filesystem::resize_file(PathInFolder(wait, "4242.jpg"), kMostWaitingBytes);  // sparse: no disk used
  for (int bound = 0; bound < 2; ++bound) {  // the bytes, then the pictures
    std::ofstream(picture, std::ios::binary) << "x";
    EXPECT_ANY_THROW(RunUpload(Ports(UnusedLoopbackPort(), folder)));
    EXPECT_EQ(seen.balloons.back(), std::string("Ошибка|") + kFolderFullBalloonText + picture + "|3|30");
    EXPECT_TRUE(std::filesystem::exists(picture)) << "left where it was";
    EXPECT_EQ(Told(), "");
    std::filesystem::resize_file(PathInFolder(wait, "4242.jpg"), 1);
    for (std::size_t i = 2; i < kMostWaitingPictures; ++i)
      std::ofstream(PathInFolder(wait, std::to_string(i) + ".jpg"));
  }
}

TEST_F(UploadWorker, APictureSentAgainGetsItsLinkOrIsSetAside) {
  picture = PathInFolder(wait, "5.jpg");
  shared.SetImageFileName(picture);
  std::filesystem::create_directories(wait);
  auto send = [&](const std::string& reply, std::optional<std::uint32_t> clipboard) {
    std::ofstream(picture, std::ios::binary) << "x";
    ScriptedPeer peer({{reply}});
    try {
      RunUpload(Ports(peer.Port(), folder, true, clipboard));
    } catch (const ENetException&) {
    }
    return Told();
  };
  EXPECT_EQ(send(Reply200("good:http://x/1.jpg"), 7), "2 " + picture + " 8;");
  EXPECT_EQ(seen.clipboard, std::vector<std::string>{"http://x/1.jpg|7"});
  EXPECT_EQ(seen.balloons.back(),
            std::string("Уведомление|") + kLateCopiedBalloonText + "http://x/1.jpg|1|30");
  EXPECT_EQ(send(Reply200("good:http://x/2.jpg"), std::nullopt), "2 " + picture + " -;");
  std::string text = kLateLinkBalloonText + std::string("http://x/2.jpg");
  EXPECT_EQ(seen.balloons.back(), "Уведомление|" + text + "|1|30");
  EXPECT_EQ(shared.LateBalloonLink(text), "http://x/2.jpg");

  EXPECT_EQ(send(Reply200("max size"), 7), "3 " + picture + " -;");
  std::string aside = PathInFolder(dir / "refused", "5.jpg");
  EXPECT_TRUE(std::filesystem::exists(aside)) << "set aside, not deleted";
  EXPECT_EQ(seen.balloons.back(), "Ошибка|" + LateRefusalBalloonText("max size", aside) + "|3|30");
  EXPECT_EQ(send("HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n", 7), "4 " + picture + " -;");
  EXPECT_TRUE(std::filesystem::exists(picture)) << "it waits on";
}

TEST_F(UploadWorker, SendsTheLoginAndTheFileItWasLaunchedWith) {
  ScriptedPeer peer({{Reply200("error")}});
  TUploadJob ports = Ports(peer.Port());
  // A capture and a new login before the worker's thread gets to run.
  shared.SetImageFileName(dir / "1.jpg");
  shared.SetLogin("petya");
  RunUpload(ports);
  auto requests = peer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& r = requests[0];
  EXPECT_EQ(r.rfind("POST /pic/upload.php HTTP/1.0\r\n", 0), 0u) << r.substr(0, 80);
  EXPECT_NE(r.find("name=\"login\"\r\n\r\nvasya\r\n"), std::string::npos);
  // Named without its folders: the service learns nothing of the user's machine.
  EXPECT_NE(r.find("name=\"pic\"; filename=\"4242.jpg"
                   "\"\r\nContent-Type: image/pjpeg\r\nContent-Transfer-Encoding: binary\r\n\r\n"
                   "\xFF\xD8 not really a JPEG \xFF\xD9\r\n"),
            std::string::npos);
}

TEST_F(UploadWorker, AMissingPictureIsReportedNotUploaded) {
  std::filesystem::remove(picture);
  ScriptedPeer peer({{Reply200("good:x")}});
  EXPECT_ANY_THROW(RunUpload(Ports(peer.Port())));
  EXPECT_EQ(shared.Status(), "error");
  EXPECT_TRUE(seen.balloons.empty());
}

// Two captures in quick succession: each worker posts and deletes its own
// file whenever its thread starts, the later write wins, nothing is torn (run
// under TSan too).
TEST_F(UploadWorker, TwoWorkersFinishingTogether) {
  std::string second = dir / "777.jpg";
  std::ofstream(second, std::ios::binary) << "y";
  ScriptedPeer peerA({{Reply200("good:http://x/a.jpg")}});
  ScriptedPeer peerB({{Reply200("good:http://x/b.jpg")}});

  struct Worker : TThread {
    explicit Worker(TUploadJob p) : ports(std::move(p)) {}
    void Execute() override { RunUpload(ports); }
    TUploadJob ports;
  };
  Worker a(Ports(peerA.Port()));
  shared.SetImageFileName(second);
  Worker b(Ports(peerB.Port()));
  b.Start();
  a.Start();
  a.WaitFor();
  b.WaitFor();
  EXPECT_EQ(shared.TakeStatus(), "good");
  EXPECT_TRUE(shared.Link() == "http://x/a.jpg" || shared.Link() == "http://x/b.jpg") << shared.Link();
  EXPECT_EQ(seen.balloons.size(), 2u);
  EXPECT_EQ(seen.clipboard.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(picture));
  EXPECT_FALSE(std::filesystem::exists(second));
  auto ra = peerA.Requests(), rb = peerB.Requests();
  ASSERT_EQ(ra.size(), 1u);
  ASSERT_EQ(rb.size(), 1u);
  EXPECT_NE(ra[0].find("filename=\"4242.jpg\""), std::string::npos);
  EXPECT_NE(rb[0].find("filename=\"777.jpg\""), std::string::npos);
}

// The schedule on a timer of the test's own: what is sent when, with which clipboard number.
class ResendScheduleTest : public testing::Test {
 protected:
  std::vector<std::string> folder;
  std::vector<std::string> sent;  // "path clipboard"
  std::vector<long long> pauses;  // seconds; -1: the timer stopped
  std::size_t shown = 99;
  TResendSchedule schedule{{[this] { return folder; },
                            [this](const std::string& path, std::optional<std::uint32_t> clipboard) {
                              sent.push_back(path + " " + (clipboard ? std::to_string(*clipboard) : "-"));
                            },
                            [this](std::optional<std::chrono::milliseconds> pause) {
                              pauses.push_back(pause ? pause->count() / 1000 : -1);
                            },
                            [this](std::size_t n) { shown = n; }}};
  void Take(TResendNews::TKind kind, const std::string& path = "",
            std::optional<std::uint32_t> clipboard = {}) {
    if (kind == TResendNews::TKind::Kept) folder.push_back(path);
    if (kind == TResendNews::TKind::Sent) std::erase(folder, path);
    schedule.Take({kind, path, clipboard});
  }
};

using TKind = TResendNews::TKind;

TEST_F(ResendScheduleTest, EarlierRunsPicturesGoOnceTheStartUpReachedTheServiceOldestFirst) {
  folder = {"a", "b"};
  Take(TKind::Answered);
  Take(TKind::Kept, "c", 5);
  EXPECT_EQ(shown, 3u);
  EXPECT_TRUE(sent.empty() && pauses.empty()) << "nothing before the start-up reached the service";
  schedule.Begin();
  EXPECT_EQ(pauses, std::vector<long long>{0});
  schedule.TimerTick();
  schedule.TimerTick();  // one at a time
  Take(TKind::Sent, "a", 9);
  Take(TKind::Refused, "b");  // refused, and it could not be set aside
  Take(TKind::Sent, "c", 6);
  EXPECT_EQ(sent, (std::vector<std::string>{"a -", "b -", "c 5"}));
  EXPECT_EQ(shown, 0u);
}

TEST_F(ResendScheduleTest, BacksOffWhileTheServiceStaysAwayAndComesBackWithIt) {
  schedule.Begin();
  Take(TKind::Kept, "a", 1);
  Take(TKind::Kept, "b", 1);
  for (int i = 0; i < 8; ++i) {
    schedule.TimerTick();
    Take(TKind::NotSent, "a");
  }
  EXPECT_EQ(pauses, (std::vector<long long>{30, 60, 120, 240, 480, 960, 1800, 1800, 1800}));
  Take(TKind::Answered);  // a capture got through: no more waiting
  EXPECT_EQ(pauses.back(), -1);
  EXPECT_EQ(sent.size(), 9u);
  Take(TKind::NotSent, "a");
  EXPECT_EQ(pauses.back(), 60) << "doubling again from the start";
}

// Each late link may follow the one before it onto the clipboard, but never
// one that another program or a capture of the user's put there since.
TEST_F(ResendScheduleTest, ALateLinkTakesTheClipboardOnlyAsTheUserLeftIt) {
  schedule.Begin();
  Take(TKind::Kept, "a", 7);
  Take(TKind::Kept, "b", 7);
  Take(TKind::Kept, "c", 7);
  Take(TKind::Kept, "d", 3);
  schedule.TimerTick();
  Take(TKind::Sent, "a", 9);
  Take(TKind::Sent, "b");  // not copied: the user copied something meanwhile
  Take(TKind::Sent, "c", 12);
  EXPECT_EQ(sent, (std::vector<std::string>{"a 7", "b 9", "c 9", "d 3"}));
}

}  // namespace
