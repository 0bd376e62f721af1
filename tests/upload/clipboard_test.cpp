// The worker's clipboard routine against the real clipboard, including one
// held open by another process.

#include "upload/clipboard.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return "<not open>";
  std::string text = "<no text>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) text = p;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

TEST(CopyTextToClipboard, ReplacesTheClipboardWithTheTextUpToItsFirstNul) {
  struct Case {
    std::string text, shown;
  } cases[] = {
      {"http://127.0.0.1/pic/123.jpg", "http://127.0.0.1/pic/123.jpg"},
      {"with trailing  \r\n", "with trailing  \r\n"},
      {std::string("http://x/\0tail", 14), "http://x/"},
      {"", ""},
  };
  for (const Case& c : cases) {
    CopyTextToClipboard(c.text);
    EXPECT_EQ(ClipboardText(), c.shown);
  }
}

TEST(CopyTextToClipboard, GivesUpWhileAnotherProcessHoldsTheClipboard) {
  CopyTextToClipboard("before");
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --hold-clipboard";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "PslClipboardHeld");
  ASSERT_TRUE(
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  CopyTextToClipboard("while held");  // must return at once, doing nothing
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(ready);
  EXPECT_EQ(ClipboardText(), "before");
  CopyTextToClipboard("after");
  EXPECT_EQ(ClipboardText(), "after");
}

// The child: opens the clipboard, says so, keeps it for a while. It opens it
// for a window of its own, as programs do (Wine lets two opens without a
// window share the clipboard).
int HoldClipboard() {
  HWND window = CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!OpenClipboard(window)) return 1;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "PslClipboardHeld");
  SetEvent(ready);
  Sleep(1500);
  CloseClipboard();
  CloseHandle(ready);
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--hold-clipboard") == 0) return HoldClipboard();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
