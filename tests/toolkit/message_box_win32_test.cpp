// The simple message window under Wine: looked at and closed from a UI timer
// of the same thread, which also shows that the thread keeps handling its
// messages while the window is open.

#include "toolkit/message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/application.h"
#include "toolkit/text.h"
#include "toolkit/ui_timer.h"

namespace {

struct Seen {
  bool found = false;
  std::wstring caption, text;
  int buttons = 0, icons = 0;
  std::wstring buttonText;
  bool okIsDefault = false;
  RECT box{}, label{};
  bool keyIgnored = false;  // still open long after the key
};

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

BOOL CALLBACK LookAtControl(HWND control, LPARAM p) {
  auto& seen = *reinterpret_cast<Seen*>(p);
  if (!IsWindowVisible(control)) return TRUE;
  wchar_t cls[64] = {}, text[512] = {};
  GetClassNameW(control, cls, 64);
  GetWindowTextW(control, text, 512);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  if (std::wstring(cls) == L"Button") {
    ++seen.buttons;
    seen.buttonText = text;
    seen.okIsDefault = (style & 0x0F) == BS_DEFPUSHBUTTON;
  } else if (std::wstring(cls) == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
    // The system's box may keep an empty icon control; only a drawn icon counts.
    RECT r{};
    GetWindowRect(control, &r);
    if (SendMessageW(control, STM_GETICON, 0, 0) != 0 && r.right > r.left && r.bottom > r.top) ++seen.icons;
  }
  return TRUE;
}

class ShowMessageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    application = new TApplication();
    application->Initialize();
  }
  static void TearDownTestSuite() {
    delete application;
    application = nullptr;
  }
  static TApplication* application;

  // Shows the message; once the window is seen, records it and presses key.
  Seen ShowAndPress(const std::string& text, WORD key, int& ticks) {
    Seen seen;
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = [&](TTimer*) {
      ++ticks;
      HWND box = nullptr;
      EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
      if (box == nullptr || ticks < 10) return;
      if (seen.found && ticks > 500 && !seen.keyIgnored) {
        seen.keyIgnored = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      if (!seen.found) {
        seen.found = true;
        wchar_t buffer[1024] = {};
        GetWindowTextW(box, buffer, 1024);
        seen.caption = buffer;
        HWND label = GetDlgItem(box, 0xFFFF);
        GetWindowTextW(label, buffer, 1024);
        seen.text = buffer;
        GetWindowRect(box, &seen.box);
        GetWindowRect(label, &seen.label);
        EnumChildWindows(box, LookAtControl, reinterpret_cast<LPARAM>(&seen));
        // The key goes where the user's would: to the focused control.
        HWND focus = GetFocus();
        PostMessageW(focus != nullptr ? focus : box, WM_KEYDOWN, key, 1);
        PostMessageW(focus != nullptr ? focus : box, WM_KEYUP, key, 0xC0000001);
      }
    };
    timer.SetEnabled(true);
    ShowMessage(text);
    return seen;
  }
};
TApplication* ShowMessageTest::application = nullptr;

TEST_F(ShowMessageTest, TitleNoIconOneDefaultOkCentredAndClosedByEnter) {
  int ticks = 0;
  Seen seen = ShowAndPress("Обновите версию!Сейчас программа откроет браузер.", VK_RETURN, ticks);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.caption, Utf8ToWide(ApplicationTitle()));
  EXPECT_EQ(seen.text, L"Обновите версию!Сейчас программа откроет браузер.");
  EXPECT_EQ(seen.icons, 0);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_EQ(seen.buttonText, L"OK");
  EXPECT_TRUE(seen.okIsDefault);
  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR((seen.box.left + seen.box.right) / 2, screenW / 2, 2);
  EXPECT_NEAR((seen.box.top + seen.box.bottom) / 2, screenH / 2, 2);
  EXPECT_GE(ticks, 10) << "the timer ticked while the window was open";
  EXPECT_FALSE(seen.keyIgnored);
}

TEST_F(ShowMessageTest, EscClosesItAndLongTextIsWrapped) {
  int ticks = 0;
  std::string longText;
  for (int i = 0; i < 12; ++i)
    longText +=
        "Сервер программы не доступен, попробуйте не много позже или проверьте соединение с интернетом ";
  Seen seen = ShowAndPress(longText, VK_ESCAPE, ticks);
  ASSERT_TRUE(seen.found);
  EXPECT_FALSE(seen.keyIgnored);
  EXPECT_LT(seen.box.right - seen.box.left, GetSystemMetrics(SM_CXSCREEN));
  // Several lines: far taller than one line of the message font.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  int lineHeight = metrics.lfMessageFont.lfHeight < 0 ? -metrics.lfMessageFont.lfHeight : 16;
  EXPECT_GT(seen.label.bottom - seen.label.top, 4 * lineHeight);
}

}  // namespace
