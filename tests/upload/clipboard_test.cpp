// The worker's clipboard routine against the real clipboard, including one
// held open by another process.

#include "upload/clipboard.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/executable_path.h"
#include "toolkit/handles.h"

namespace {

std::string ClipboardText() {
  ScopedClipboard clipboard(nullptr);
  if (!clipboard) return "<not open>";
  std::string text = "<no text>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    ScopedGlobalLock locked(data);
    if (const char* p = static_cast<const char*>(locked.get())) text = p;
  }
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
  std::string command = "\"" + ExecutablePath() + "\" --hold-clipboard";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  UniqueKernelHandle readyEvent(CreateEventA(nullptr, TRUE, FALSE, "PslClipboardHeld"));
  HANDLE ready = readyEvent.get();
  ASSERT_TRUE(
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  CopyTextToClipboard("while held");  // must return at once, doing nothing
  WaitForSingleObject(pi.hProcess, 10000);
  EXPECT_EQ(ClipboardText(), "before");
  CopyTextToClipboard("after");
  EXPECT_EQ(ClipboardText(), "after");
}

// The child: opens the clipboard, says so, keeps it for a while. It opens it
// for a window of its own, as programs do (Wine lets two opens without a
// window share the clipboard).
int HoldClipboard() {
  UniqueHwnd window(CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  ScopedClipboard clipboard(window.get());
  if (!clipboard) return 1;
  UniqueKernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, "PslClipboardHeld"));
  SetEvent(ready.get());
  Sleep(1500);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--hold-clipboard") == 0) return HoldClipboard();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
