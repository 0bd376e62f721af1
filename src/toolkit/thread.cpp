#include "toolkit/thread.h"

#include <exception>

#ifdef _WIN32
#include <process.h>
#include <windows.h>

#include "toolkit/handles.h"

struct TThread::Impl {
  UniqueKernelHandle handle;
};

namespace {
unsigned __stdcall ThreadEntry(void* self) {
  TThread::Run(static_cast<TThread*>(self));
  return 0;
}
}  // namespace

TThread::TThread() : impl_(std::make_unique<Impl>()) {}

bool TThread::Start() {
  unsigned id = 0;
  // Created suspended so that the priority is in place before the body runs.
  UniqueKernelHandle handle(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, &id)));
  if (!handle) return false;
  HANDLE thread = handle.get();
  if (BelowNormalPriority) SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  // Nobody waits for a thread that frees itself, so its handle closes on
  // return; nothing here touches this object after the resume, which may free it.
  if (!FreeOnTerminate) impl_->handle = std::move(handle);
  ResumeThread(thread);
  return true;
}

void TThread::WaitFor() {
  if (impl_->handle) WaitForSingleObject(impl_->handle.get(), INFINITE);
}

#else
#include <thread>

struct TThread::Impl {
  std::thread thread;
};

TThread::TThread() : impl_(std::make_unique<Impl>()) {}

bool TThread::Start() {
  bool frees = FreeOnTerminate;
  // Niceness is per process here; the priority matters only on Windows.
  std::thread thread(&TThread::Run, this);
  if (frees)
    thread.detach();
  else
    impl_->thread = std::move(thread);
  return true;
}

void TThread::WaitFor() {
  if (impl_->thread.joinable()) impl_->thread.join();
}
#endif

TThread::~TThread() = default;

void TThread::Run(TThread* self) {
  try {
    self->Execute();
  } catch (...) {
    // The body's failures end the thread and go no further.
  }
  if (self->FreeOnTerminate) delete self;
}
