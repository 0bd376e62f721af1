#include <thread>

#include "tray_test_support.h"

namespace {

testing::Environment* const kApplication = testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

TEST(TrayBalloon, ClearsThenShowsThenResetsTheFlags) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  icon.SetHint("Pondix Screenshot Loader");
  icon.AddToTray();
  shell.Take();
  EXPECT_TRUE(icon.ShowBalloon("Уведомление", "Скриншот удачно загружен, ссылка в буфере обмена",
                               TBalloonIconKind::bkInfo, 10));
  auto requests = shell.Take();
  ASSERT_EQ(Messages(requests), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
  const NOTIFYICONDATAW& clear = requests[0].record;
  EXPECT_EQ(clear.uFlags, kIconTipAndCallback | NIF_INFO);
  EXPECT_EQ(clear.szInfo[0], 0);
  const NOTIFYICONDATAW& show = requests[1].record;
  EXPECT_EQ(show.uFlags, kIconTipAndCallback | NIF_INFO);
  EXPECT_EQ(Utf8(show.szInfo), "Скриншот удачно загружен, ссылка в буфере обмена");
  EXPECT_EQ(Utf8(show.szInfoTitle), "Уведомление");
  EXPECT_EQ(show.uTimeout, 10000u);
  EXPECT_EQ(show.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(Utf8(show.szTip), "Pondix Screenshot Loader");
  EXPECT_EQ(icon.RecordSnapshot().uFlags, kIconTipAndCallback);

  // A later tooltip change does not send the balloon again.
  icon.SetHint("other");
  requests = shell.Take();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].record.uFlags, kIconTipAndCallback);
}

TEST(TrayBalloon, TextTitleAndTimeOutLimits) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  struct Case {
    std::string title, text;
    std::uint8_t seconds;
    TBalloonIconKind kind;
    std::string shownTitle, shownText;
    UINT timeout;
    DWORD flags;
  } cases[] = {
      {std::string(63, 't'), std::string(255, 'x'), 10, TBalloonIconKind::bkNone, std::string(63, 't'),
       std::string(255, 'x'), 10000, NIIF_NONE},
      {std::string(64, 't'), std::string(256, 'x'), 30, TBalloonIconKind::bkError, std::string(63, 't'),
       std::string(255, 'x'), 30000, NIIF_ERROR},
      {"Ошибка", std::string(120, 'y') + "Ы", 255, TBalloonIconKind::bkWarning, "Ошибка",
       std::string(120, 'y') + "Ы", 255000, NIIF_WARNING},
  };
  for (const Case& c : cases) {
    icon.ShowBalloon(c.title, c.text, c.kind, c.seconds);
    NOTIFYICONDATAW r = shell.Take().back().record;
    EXPECT_EQ(Utf8(r.szInfoTitle), c.shownTitle);
    EXPECT_EQ(Utf8(r.szInfo), c.shownText);
    EXPECT_EQ(r.uTimeout, c.timeout);
    EXPECT_EQ(r.dwInfoFlags, c.flags);
  }
}

TEST(TrayBalloon, RefusedFinalRequestGivesFalse) {
  ShellRecorder shell(FALSE);
  TTrayIcon icon(nullptr);
  EXPECT_FALSE(icon.ShowBalloon("a", "b", TBalloonIconKind::bkInfo, 10));
}

// A worker's balloon and the UI thread's never mix inside the record: every
// request the shell sees is either a clearing one or a whole balloon of one caller.
TEST(TrayBalloon, BalloonsFromTwoThreadsAreSentWhole) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  constexpr int kEach = 300;
  std::thread worker([&] {
    for (int i = 0; i < kEach; ++i)
      icon.ShowBalloon("Уведомление", "Скриншот удачно загружен", TBalloonIconKind::bkInfo, 10);
  });
  for (int i = 0; i < kEach; ++i)
    icon.ShowBalloon("Ошибка", "Изображение не загружено", TBalloonIconKind::bkError, 30);
  worker.join();
  auto requests = shell.Take();
  ASSERT_EQ(requests.size(), 4u * kEach);
  int good = 0, bad = 0;
  for (size_t i = 0; i < requests.size(); i += 2) {
    const NOTIFYICONDATAW& clear = requests[i].record;
    const NOTIFYICONDATAW& show = requests[i + 1].record;
    EXPECT_EQ(clear.szInfo[0], 0);
    std::string title = Utf8(show.szInfoTitle), text = Utf8(show.szInfo);
    if (title == "Уведомление" && text == "Скриншот удачно загружен" && show.uTimeout == 10000 &&
        show.dwInfoFlags == NIIF_INFO)
      ++good;
    else if (title == "Ошибка" && text == "Изображение не загружено" && show.uTimeout == 30000 &&
             show.dwInfoFlags == NIIF_ERROR)
      ++bad;
    else
      ADD_FAILURE() << "mixed balloon at " << i << ": " << title << " / " << text;
    EXPECT_EQ(show.uFlags, kIconTipAndCallback | NIF_INFO);
  }
  EXPECT_EQ(good, kEach);
  EXPECT_EQ(bad, kEach);
  EXPECT_EQ(icon.RecordSnapshot().uFlags, kIconTipAndCallback);
}

TEST(TrayBalloon, ShellNotificationsFireTheirEventsEvenWhenDisabled) {
  TTrayIcon icon(nullptr);
  icon.Enabled = false;
  std::vector<std::string> fired;
  icon.OnBalloonHintShow = [&](TTrayIcon*) { fired.push_back("show"); };
  icon.OnBalloonHintHide = [&](TTrayIcon*) { fired.push_back("hide"); };
  icon.OnBalloonHintTimeout = [&](TTrayIcon*) { fired.push_back("timeout"); };
  icon.OnBalloonHintClick = [&](TTrayIcon*) { fired.push_back("click"); };
  HWND shared = icon.RecordSnapshot().hWnd;
  UINT id = icon.RecordSnapshot().uID;
  for (LPARAM n : {0x402, 0x403, 0x404, 0x405}) SendMessageA(shared, kTrayCallbackMessage, id, n);
  EXPECT_EQ(fired, (std::vector<std::string>{"show", "hide", "timeout", "click"}));
}

}  // namespace
