// The main window built as the program builds it, under Wine: its menu as the
// system shows it, and its hotkey and minimise behaviour.

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "tray/tray_icon_handler.h"

namespace {

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string Caption(HMENU menu, int i) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
  return Utf8(text);
}

class MainFormTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterTaskbarCreatedMessage();
    application = new TApplication();
    application->Initialize();
    application->CreateForm(Form1);
  }
  static void TearDownTestSuite() {
    delete application;
    application = nullptr;
  }
  static TApplication* application;
};
TApplication* MainFormTest::application = nullptr;

TEST_F(MainFormTest, MenuShowsItsItemsInOrderWithTheHiddenOnesLeftOut) {
  std::vector<TMenuItem*> commands;
  UniqueMenu menu(Form1->PopupMenu1->BuildMenu(commands));
  std::vector<std::string> top;
  for (int i = 0; i < GetMenuItemCount(menu.get()); ++i) top.push_back(Caption(menu.get(), i));
  EXPECT_EQ(top, (std::vector<std::string>{"Сделать скриншот Alt+S ", "Перейти в ", "О программе",
                                           "company.example", "Выход"}));
  HMENU pages = GetSubMenu(menu.get(), 1);
  ASSERT_NE(pages, nullptr);
  std::vector<std::string> sub;
  for (int i = 0; i < GetMenuItemCount(pages); ++i) sub.push_back(Caption(pages, i));
  EXPECT_EQ(sub,
            (std::vector<std::string>{"Кабинет Pondix", "Историю скриншотов", "Заказ рекламы", "Лотерею"}));
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
