#pragma once
// A thread object: created suspended, started once, optionally freeing itself
// when its body ends. A failure that escapes the body ends the thread quietly.

#include <memory>

class TThread {
 public:
  TThread();
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Set before Start: the object deletes itself when the body has ended.
  bool FreeOnTerminate = false;
  // Set before Start: one step below normal.
  bool BelowNormalPriority = false;

  // Lets the suspended thread run; false when it could not be created.
  bool Start();
  // Waits for the body to end (not for threads that free themselves).
  void WaitFor();

  // The new thread's entry; runs the body and frees the object if asked.
  static void Run(TThread* self);

 protected:
  virtual void Execute() = 0;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
