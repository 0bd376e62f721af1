// The link's clipboard routine against the real clipboard, including one
// held open by another process.

#include "app/clipboard.h"

#include <chrono>
#include <cstdlib>
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
    EXPECT_TRUE(CopyTextToClipboard(c.text));
    EXPECT_EQ(ClipboardText(), c.shown);
  }
}

TEST(CopyTextToClipboard, IfUnchangedOnlyWhileTheSequenceNumberIsStillTheOneGiven) {
  ASSERT_TRUE(CopyTextToClipboard("copied by the user"));
  std::uint32_t now = GetClipboardSequenceNumber();
  EXPECT_EQ(CopyTextToClipboardIfUnchanged("late link", now - 1), std::nullopt);
  EXPECT_EQ(ClipboardText(), "copied by the user");
  std::optional<std::uint32_t> after = CopyTextToClipboardIfUnchanged("late link", now);
  EXPECT_EQ(ClipboardText(), "late link");
  EXPECT_EQ(after, GetClipboardSequenceNumber());
}

// Another process that holds the clipboard open for `milliseconds`, from the
// moment the constructor returns.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(int milliseconds) {
    std::string command = "\"" + ExecutablePath() + "\" --hold-clipboard " + std::to_string(milliseconds);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, "PslClipboardHeld"));
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return;
    process_.reset(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);
    held_ = WaitForSingleObject(ready.get(), 10000) == WAIT_OBJECT_0;
  }
  ~ClipboardHolder() {
    if (process_) WaitForSingleObject(process_.get(), 10000);
  }
  bool Held() const { return held_; }

 private:
  UniqueKernelHandle process_;
  bool held_ = false;
};

TEST(CopyTextToClipboard, WaitsForAnotherProgramToLetGoWithinItsPatience) {
  using std::chrono::milliseconds;
  ASSERT_TRUE(CopyTextToClipboard("before"));
  {
    ClipboardHolder holder(1500);
    ASSERT_TRUE(holder.Held());
    EXPECT_FALSE(CopyTextToClipboard("too impatient", milliseconds(300)));
    EXPECT_TRUE(CopyTextToClipboard("waited"));  // the holder lets go well within the default
  }
  EXPECT_EQ(ClipboardText(), "waited");
  {
    ClipboardHolder holder(1500);
    ASSERT_TRUE(holder.Held());
    EXPECT_FALSE(CopyTextToClipboard("given up", milliseconds(300)));
  }
  EXPECT_EQ(ClipboardText(), "waited");
}

// The child: opens the clipboard, says so, keeps it for a while. It opens it
// for a window of its own, as programs do (Wine lets two opens without a
// window share the clipboard).
int HoldClipboard(int milliseconds) {
  UniqueHwnd window(CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  ScopedClipboard clipboard(window.get());
  if (!clipboard) return 1;
  UniqueKernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, "PslClipboardHeld"));
  SetEvent(ready.get());
  Sleep(static_cast<DWORD>(milliseconds));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--hold-clipboard") == 0) return HoldClipboard(std::atoi(argv[2]));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
