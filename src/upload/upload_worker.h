#pragma once
// The upload of one capture on a thread of its own: posts the picture with the
// login, reports the verdict and deletes the picture.

#include <functional>
#include <string>

#include "toolkit/thread.h"
#include "upload/upload_exchange.h"

// The worker's inputs, taken on the UI thread when it is launched: a later
// capture, however soon, changes none of them.
struct TUploadJob {
  TNetURI UploadAddress;
  std::string Login;
  std::string FileName;  // this capture's picture, by its full path
  // Called on the worker's thread: with the verdict before the picture is
  // deleted, or with Failed when the exchange fails.
  std::function<void(const TUploadOutcome&)> Report;
  // A refused picture stays on disk too, for Report to set aside.
  bool KeepRefused = false;
};

// The worker's body; a failed exchange is reported, then raises, with the
// file left on disk; so is a refused picture when the job says.
void RunUpload(const TUploadJob& job);

// One worker thread per capture; it frees itself and discards its failures.
class TMyThread : public TThread {
 public:
  explicit TMyThread(TUploadJob job) : job_(std::move(job)) {}
  // Creates the worker suspended, below normal priority, freeing itself, and lets it run.
  static void Launch(TUploadJob job);

 protected:
  void Execute() override { RunUpload(job_); }

 private:
  TUploadJob job_;
};
