// Waiting on the UI thread under Wine: its messages are handled while a job
// runs on a thread of its own, and a request to end ends the wait without
// waiting for the job, the quit message left for the message loop.

#include "toolkit/message_wait.h"

#include <atomic>
#include <memory>

#include <gtest/gtest.h>

#include "toolkit/application.h"
#include "toolkit/handles.h"
#include "toolkit/ui_timer.h"

namespace {

// The job waits for this; a test that got through lets it go.
std::shared_ptr<UniqueKernelHandle> NewGate() {
  return std::make_shared<UniqueKernelHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

TEST(MessageWait, TheThreadHandlesItsMessagesWhileTheJobRuns) {
  auto ticked = NewGate();
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.OnTimer = [&ticked](TTimer*) { SetEvent(ticked->get()); };
  auto sawTick = std::make_shared<std::atomic<bool>>(false);
  // The job ends as soon as the waiting thread has handled a timer message.
  EXPECT_TRUE(RunHandlingMessages(
      [ticked, sawTick] { *sawTick = WaitForSingleObject(ticked->get(), 10000) == WAIT_OBJECT_0; }));
  EXPECT_TRUE(*sawTick);
}

TEST(MessageWait, AQuitMessageEndsTheWaitAndStaysForTheLoop) {
  auto release = NewGate();
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = [](TTimer* self) {
    self->SetEnabled(false);
    PostQuitMessage(7);
  };
  // Had the wait gone on, the job would end at its own limit and the call say so.
  EXPECT_FALSE(RunHandlingMessages([release] { WaitForSingleObject(release->get(), 10000); }));
  SetEvent(release->get());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(MessageWait, PausesEndWithTheirTimeOrWhenTheProgramIsToldToEnd) {
  EXPECT_EQ(WaitHandlingMessages(nullptr, 100), TMessageWaitEnd::TimedOut);

  TApplication application;
  application.Initialize();
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = [](TTimer* self) {
    self->SetEnabled(false);
    Application->Terminate();
    // As a modal loop of a handler may do: the quit message is taken.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  };
  EXPECT_EQ(WaitHandlingMessages(nullptr, 10000), TMessageWaitEnd::Ending);
}

}  // namespace
