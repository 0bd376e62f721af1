#include "upload/upload_worker.h"

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"

void RunUpload(const TUploadJob& job) {
  TUploadOutcome outcome;
  try {
    outcome = PostPicture(job.UploadAddress, job.Login, job.FileName);
  } catch (const Exception& e) {
    if (job.Report) job.Report({TUploadOutcome::TKind::Failed, e.Message()});
    throw;
  }
  if (job.Report) job.Report(outcome);
  if (outcome.Kind == TUploadOutcome::TKind::Refused && job.KeepRefused) return;
  DeleteFileByName(job.FileName);  // a file held open by someone else simply stays
}

void TMyThread::Launch(TUploadJob job) {
  auto* worker = new TMyThread(std::move(job));
  worker->FreeOnTerminate = true;
  worker->BelowNormalPriority = true;
  if (!worker->Start()) delete worker;
}
