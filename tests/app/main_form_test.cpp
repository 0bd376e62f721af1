// The main window built as the program builds it, under Wine, with a service
// of the test's own: the start-up's traces (the GET, "ver",
// the autostart value), its menu as the system shows it, and its hotkey and
// minimise behaviour.

#include <gtest/gtest.h>

#include "toolkit/executable_path.h"
#include "app/main_form.h"
#include "tray/tray_icon_handler.h"
#include "support/scripted_peer.h"

namespace {

std::wstring RunValue(DWORD& type) {
  wchar_t data[1024] = {};
  DWORD bytes = sizeof data - sizeof(wchar_t);
  type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, L"software\\microsoft\\windows\\currentversion\\run",
                   L"PondixScreenLoader", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &bytes) != ERROR_SUCCESS)
    return L"(none)";
  return data;
}

class MainFormTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterTaskbarCreatedMessage();
    DeleteFileA(FileBesideExecutable("ver").c_str());
    ScriptedPeer service({{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.0.7"}});
    servicePort = service.Port();
    application = new TApplication();
    application->Initialize();
    application->CreateForm(Form1, TServiceSite{{"http", "127.0.0.1", std::to_string(servicePort)},
                                                "http://company.example/",
                                                "company.example"});
    if (servicePort != 0) requests = service.Requests();
  }
  static void TearDownTestSuite() {
    delete application;
    application = nullptr;
    DeleteFileA(FileBesideExecutable("ver").c_str());
  }
  static TApplication* application;
  static std::uint16_t servicePort;
  static std::vector<std::string> requests;
};
TApplication* MainFormTest::application = nullptr;
std::uint16_t MainFormTest::servicePort = 0;
std::vector<std::string> MainFormTest::requests;

TEST_F(MainFormTest, StartUpAsksForTheVersionRecordsItAndRegistersAutostart) {
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /ver.txt HTTP/1.1\r\n", 0), 0u) << requests[0];
  TStringList ver;
  ver.LoadFromFile(FileBesideExecutable("ver"));
  EXPECT_EQ(ver.Text(), "1.0.7\r\n");
  DWORD type = 0;
  EXPECT_EQ(RunValue(type), L"\"" + ExecutablePathW() + L"\"");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

// The captions as drawn are the tray menu test's; here, what the system's
// menu is built from.
TEST_F(MainFormTest, MenuIsBuiltWithoutTheHiddenItemAndWithThePagesBeneathOne) {
  std::vector<TMenuItem*> commands;
  UniqueMenu menu(Form1->PopupMenu1->BuildMenu(commands));
  EXPECT_EQ(GetMenuItemCount(menu.get()), 5);
  HMENU pages = GetSubMenu(menu.get(), 1);
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(GetMenuItemCount(pages), 4);
  EXPECT_EQ(GetMenuDefaultItem(menu.get(), TRUE, 0), static_cast<UINT>(-1)) << "no default item";
  EXPECT_EQ(commands.size(), 8u);

  // The definition still holds the hidden item and its two radio items.
  const auto& items = Form1->PopupMenu1->Items.Items();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[1]->Name, "N1");
  EXPECT_FALSE(items[1]->Visible);
  ASSERT_EQ(items[1]->Items().size(), 2u);
  EXPECT_TRUE(items[1]->Items()[0]->RadioItem);
  EXPECT_TRUE(items[1]->Items()[1]->RadioItem);
  EXPECT_EQ(Form1->N10->Hint, "Горячие клавиши Alt+S");
  EXPECT_EQ(Form1->TrayIcon1->PopupMenu, Form1->PopupMenu1);
}

TEST_F(MainFormTest, StartUpHoldsAltSAndMinimisesTheApplicationIntoTheTray) {
  // Alt+S is held by the main window: nobody else can register it.
  EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_ALT, 'S'));
  // The posted minimise request, once handled, minimises the application and
  // the tray icon hides the window and the taskbar button.
  MSG msg;
  for (int i = 0; i < 50 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&msg);
  EXPECT_TRUE(IsIconic(Application->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_FALSE(Form1->Visible());
  EXPECT_EQ(Form1->TrayIcon1->Hint(), "Pondix Screenshot Loader");
  EXPECT_TRUE(Form1->TrayIcon1->IconVisible());
  EXPECT_TRUE(Form1->TrayIcon1->MinimizeToTray);
  EXPECT_NE(Form1->TrayIcon1->Icon().Handle(), nullptr);
}

TEST_F(MainFormTest, ExitReleasesAltSAtOnceAndAsksToQuit) {
  Form1->N9->Click();
  EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_ALT, 'S')) << "Alt+S is free right after the command";
  UnregisterHotKey(nullptr, 7);
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = true;
  EXPECT_TRUE(quit);
}

}  // namespace
