#include "toolkit/message_wait.h"

#include <memory>

#include "toolkit/application.h"
#include "toolkit/handles.h"
#include "toolkit/thread.h"

namespace {

// A modal loop run by a handler (a message box, the tray menu) may have taken
// the quit message itself; the application still knows it was told to end.
bool Ending() { return Application != nullptr && Application->TerminateRequested(); }

// False when the quit message came; it is posted again.
bool DispatchWaiting() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

// The job's thread frees itself; the event it signals is shared, so a job
// left behind still has it when it ends.
class TJobThread : public TThread {
 public:
  TJobThread(std::function<void()> job, std::shared_ptr<UniqueKernelHandle> done)
      : job_(std::move(job)), done_(std::move(done)) {}
  void Work() {
    struct Signal {
      HANDLE event;
      ~Signal() { SetEvent(event); }
    } signal{done_->get()};
    job_();
  }

 protected:
  void Execute() override { Work(); }

 private:
  std::function<void()> job_;
  std::shared_ptr<UniqueKernelHandle> done_;
};

}  // namespace

TMessageWaitEnd WaitHandlingMessages(HANDLE object, DWORD milliseconds) {
  const ULONGLONG start = GetTickCount64();
  const DWORD count = object != nullptr ? 1 : 0;
  for (;;) {
    if (!DispatchWaiting() || Ending()) return TMessageWaitEnd::Ending;
    DWORD left = INFINITE;
    if (milliseconds != INFINITE) {
      ULONGLONG passed = GetTickCount64() - start;
      if (passed >= milliseconds) return TMessageWaitEnd::TimedOut;
      left = static_cast<DWORD>(milliseconds - passed);
    }
    DWORD woke = MsgWaitForMultipleObjectsEx(count, count != 0 ? &object : nullptr, left, QS_ALLINPUT,
                                             MWMO_INPUTAVAILABLE);
    if (count != 0 && woke == WAIT_OBJECT_0) return TMessageWaitEnd::Signalled;
    // Our own handles do not fail a wait; should one, this polls, never spins.
    if (woke == WAIT_FAILED) Sleep(10);
  }
}

bool RunHandlingMessages(std::function<void()> job) {
  auto done = std::make_shared<UniqueKernelHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  auto thread = std::make_unique<TJobThread>(std::move(job), done);
  thread->FreeOnTerminate = true;
  if (!*done || !thread->Start()) {
    // No event or no thread to be had: the job runs here, with the messages
    // waiting, as it would without a thread at all.
    thread->Work();
    return true;
  }
  thread.release();  // it frees itself when the job ends
  return WaitHandlingMessages(done->get(), INFINITE) != TMessageWaitEnd::Ending;
}
