#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>

#include "toolkit/popup_menu.h"
#include "tray/tray_icon_handler.h"
#include "tray_test_support.h"

namespace {

testing::Environment* const kApplication = testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The version-2 record, by the SDK's own measure for this architecture: the
// shell reads no more of it, whatever newer fields the headers declare.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;

TEST(TrayIcon, ConstructionFillsTheRecordAndAsksNothing) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  NOTIFYICONDATAW r = icon.RecordSnapshot();
  EXPECT_EQ(r.cbSize, kRecordSize);
  EXPECT_EQ(r.hWnd, TTrayIconHandler::Window());
  EXPECT_NE(r.hWnd, nullptr);
  EXPECT_NE(r.uID, 0u);
  EXPECT_EQ(r.uFlags, kIconTipAndCallback);
  EXPECT_EQ(r.uCallbackMessage, static_cast<UINT>(WM_USER + 1024));
  EXPECT_EQ(r.hIcon, nullptr);
  EXPECT_EQ(r.szTip[0], 0);
  EXPECT_TRUE(shell.Take().empty());
}

TEST(TrayIcon, AddModifyDeleteCarryTheRecordAndReportTheShellsAnswer) {
  ShellRecorder shell;
  auto icon = std::make_unique<TTrayIcon>(nullptr);
  EXPECT_TRUE(icon->AddToTray());
  EXPECT_TRUE(icon->IconVisible());
  icon->SetHint("Pondix Screenshot Loader");
  shell.SetAnswer(FALSE);
  EXPECT_FALSE(icon->UpdateInTray());
  EXPECT_FALSE(icon->RemoveFromTray());
  EXPECT_FALSE(icon->IconVisible());  // the request, not the shell's answer
  shell.SetAnswer(TRUE);
  auto requests = shell.Take();
  ASSERT_EQ(Messages(requests), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
  EXPECT_EQ(Utf8(requests[1].record.szTip), "Pondix Screenshot Loader");
  for (const auto& r : requests) {
    EXPECT_EQ(r.record.cbSize, kRecordSize);
    EXPECT_EQ(r.record.uFlags, kIconTipAndCallback);
  }
  icon.reset();
  EXPECT_EQ(Messages(shell.Take()), std::vector<DWORD>{NIM_DELETE});  // destruction removes the icon
}

TEST(TrayIcon, TooltipIsCutAt127CharactersAndEmptyWithoutHint) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  struct Case {
    std::string hint;
    bool showHint;
    std::string tip;
  } cases[] = {
      {std::string(127, 'a'), true, std::string(127, 'a')},
      {std::string(127, 'b') + "c", true, std::string(127, 'b')},
      {std::string(300, 'd'), true, std::string(127, 'd')},
      {"Pondix Screenshot Loader", false, ""},
      {"", true, ""},
      {"Снимок", true, "Снимок"},  // characters, not bytes
  };
  for (const Case& c : cases) {
    icon.SetShowHint(c.showHint);
    icon.SetHint(c.hint);
    NOTIFYICONDATAW r = shell.Take().back().record;
    EXPECT_EQ(Utf8(r.szTip), c.tip) << c.hint.size();
    if (c.tip.empty()) {
      for (WCHAR ch : r.szTip) ASSERT_EQ(ch, 0);
    }
    EXPECT_EQ(r.szTip[127], 0);
  }
}

TEST(TrayIcon, IconHandleFollowsTheImage) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  icon.AddToTray();
  EXPECT_EQ(shell.Take().back().record.hIcon, nullptr);
  icon.Icon().SetHandle(CopyIcon(LoadIcon(nullptr, IDI_APPLICATION)));  // a change updates the tray
  auto requests = shell.Take();
  ASSERT_EQ(Messages(requests), std::vector<DWORD>{NIM_MODIFY});
  EXPECT_EQ(requests[0].record.hIcon, icon.Icon().Handle());
  EXPECT_NE(requests[0].record.hIcon, nullptr);
}

TEST(TrayIcon, LoadingFinishedUpdatesAddsAgainAndSetsVersionZero) {
  ShellRecorder shell;
  TTrayIcon icon(nullptr);
  icon.SetHint("x");
  icon.SetIconVisible(true);
  shell.Take();
  icon.Loaded();
  auto requests = shell.Take();
  ASSERT_EQ(Messages(requests), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
  EXPECT_EQ(requests[2].record.uVersion, 0u);
}

TEST(TrayIconHandler, OneWindowSharedByAllIconsAndDestroyedWithTheLast) {
  ShellRecorder shell;
  ASSERT_EQ(TTrayIconHandler::RefCount(), 0);
  auto first = std::make_unique<TTrayIcon>(nullptr);
  HWND shared = TTrayIconHandler::Window();
  auto second = std::make_unique<TTrayIcon>(nullptr);
  EXPECT_EQ(TTrayIconHandler::RefCount(), 2);
  EXPECT_EQ(first->RecordSnapshot().hWnd, shared);
  EXPECT_EQ(second->RecordSnapshot().hWnd, shared);
  EXPECT_NE(first->RecordSnapshot().uID, second->RecordSnapshot().uID);

  // Each icon's callback reaches its own component.
  std::vector<std::string> pressed;
  first->OnMouseDown = [&](TTrayIcon*, TMouseButton, TShiftState, int, int) { pressed.push_back("first"); };
  second->OnMouseDown = [&](TTrayIcon*, TMouseButton, TShiftState, int, int) { pressed.push_back("second"); };
  SendMessageA(shared, kTrayCallbackMessage, second->RecordSnapshot().uID, WM_MBUTTONDOWN);
  SendMessageA(shared, kTrayCallbackMessage, first->RecordSnapshot().uID, WM_MBUTTONDOWN);
  EXPECT_EQ(pressed, (std::vector<std::string>{"second", "first"}));

  // A close request does not destroy it, and it never objects to logging off.
  EXPECT_EQ(SendMessageA(shared, WM_CLOSE, 0, 0), 1);
  EXPECT_EQ(SendMessageA(shared, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_TRUE(IsWindow(shared));

  first.reset();
  EXPECT_TRUE(IsWindow(shared));
  EXPECT_EQ(TTrayIconHandler::RefCount(), 1);
  second.reset();
  EXPECT_FALSE(IsWindow(shared));
  EXPECT_EQ(TTrayIconHandler::Window(), nullptr);
}

// Any program may post to the shared window, so an identifier is looked up
// among live components: a stranger's number, or a gone component's, reaches
// nothing, and a component made at a gone one's address gets a new number.
TEST(TrayIconHandler, CallbacksReachOnlyTheLiveComponentThatHoldsTheIdentifier) {
  ShellRecorder shell;
  TTrayIcon keeper(nullptr);  // keeps the shared window while the other is made anew
  std::optional<TTrayIcon> icon(std::in_place, nullptr);
  const UINT goneId = icon->RecordSnapshot().uID;
  icon.emplace(nullptr);
  const UINT id = icon->RecordSnapshot().uID;
  EXPECT_NE(id, goneId);
  EXPECT_NE(id, keeper.RecordSnapshot().uID);

  int presses = 0;
  keeper.OnMouseDown = [&](TTrayIcon*, TMouseButton, TShiftState, int, int) {
    ADD_FAILURE() << "keeper acted";
  };
  icon->OnMouseDown = [&](TTrayIcon*, TMouseButton, TShiftState, int, int) { ++presses; };
  const WPARAM strangers[] = {
      0,
      goneId,
      id + 100,
      0x12345678,
      ~WPARAM{0},
      reinterpret_cast<WPARAM>(&*icon),
      WPARAM{id} | (WPARAM{1} << (8 * sizeof(WPARAM) - 1)),  // cut to 32 bits it would be the live one
  };
  HWND shared = TTrayIconHandler::Window();
  for (WPARAM stranger : strangers) PostMessageA(shared, kTrayCallbackMessage, stranger, WM_MBUTTONDOWN);
  PumpFor(50);
  EXPECT_EQ(presses, 0);
  PostMessageA(shared, kTrayCallbackMessage, id, WM_MBUTTONDOWN);
  PumpFor(50);
  EXPECT_EQ(presses, 1);
}

TEST(TrayIcon, TaskbarCreatedAddsAVisibleIconAgain) {
  ASSERT_NE(WM_TASKBARCREATED, 0u) << "comctl32 4.71 or later registers the message";
  ShellRecorder shell;
  TTrayIcon shown(nullptr), hidden(nullptr);
  shown.SetHint("Pondix Screenshot Loader");
  shown.SetIconVisible(true);
  shell.Take();
  SendMessageA(Application->Handle(), WM_TASKBARCREATED, 0, 0);
  auto requests = shell.Take();
  ASSERT_EQ(Messages(requests), std::vector<DWORD>{NIM_ADD});
  EXPECT_EQ(requests[0].record.uID, shown.RecordSnapshot().uID);
  EXPECT_EQ(Utf8(requests[0].record.szTip), "Pondix Screenshot Loader");
}

class TComponentOwner : public TComponent {
 public:
  TComponentOwner() : TComponent(nullptr) {}
};

class OwnerForm : public TForm {
 public:
  explicit OwnerForm(TComponent* owner) : TForm(owner) {}
};

TEST(TrayIcon, MinimisedApplicationGoesToTheTrayWhenAsked) {
  ShellRecorder shell;
  OwnerForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_EQ(Application->MainForm(), form);
  auto* icon = new TTrayIcon(form);
  icon->SetIconVisible(true);
  form->Show();
  ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
  shell.Take();
  SendMessageA(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_TRUE(shell.Take().empty()) << "MinimizeToTray is off";
  EXPECT_TRUE(form->Visible());
  icon->MinimizeToTray = true;
  SendMessageA(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(Messages(shell.Take()), std::vector<DWORD>{NIM_ADD});
  EXPECT_FALSE(form->Visible()) << "the main window is hidden";
  EXPECT_FALSE(IsWindowVisible(Application->Handle())) << "the taskbar button is hidden";
  delete form;  // takes the icon with it
  EXPECT_EQ(Messages(shell.Take()), std::vector<DWORD>{NIM_DELETE});
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST(TrayIcon, ForgetsItsMenuWhenTheMenuIsDestroyed) {
  ShellRecorder shell;
  TComponentOwner owner;
  auto* icon = new TTrayIcon(&owner);
  auto* menu = new TPopupMenu(&owner);
  icon->PopupMenu = menu;
  delete menu;
  EXPECT_EQ(icon->PopupMenu, nullptr);
}

}  // namespace
