#include "app/upload_start.h"

#include "app/clipboard.h"
#include "app/upload_outcome.h"
#include "upload/service_exchanges.h"
#include "upload/upload_worker.h"

namespace {

// One upload under way, from its launch until its worker is gone, whatever
// way it ends; its status is written before.
class TUploadInFlight {
 public:
  explicit TUploadInFlight(std::shared_ptr<TSharedFields> shared) : shared_(std::move(shared)) {
    shared_->BeginUpload();
  }
  ~TUploadInFlight() { shared_->EndUpload(); }
  TUploadInFlight(const TUploadInFlight&) = delete;
  TUploadInFlight& operator=(const TUploadInFlight&) = delete;

 private:
  std::shared_ptr<TSharedFields> shared_;
};

}  // namespace

void StartUploadWorker(const TUploadContext& context, const std::string& path) {
  context.Shared->SetImageFileName(path);
  TOutcomePorts ports;
  ports.Shared = context.Shared;
  // The icon goes with the main window at exit; a balloon after that is dropped.
  ports.ShowBalloon = [gate = context.TrayGate, icon = context.TrayIcon](
                          const std::string& title, const std::string& text, TBalloonIconKind kind,
                          std::uint8_t timeoutSeconds) {
    gate->Call([&] { icon->ShowBalloon(title, text, kind, timeoutSeconds); });
  };
  ports.CopyTextToClipboard = [](const std::string& text) { return CopyTextToClipboard(text); };

  TUploadJob job;
  job.UploadUrl = context.UploadUrl;
  job.Login = context.Shared->Login();
  job.FileName = path;
  job.Report = [ports = std::move(ports), inFlight = std::make_shared<TUploadInFlight>(context.Shared)](
                   const TUploadOutcome& outcome) { ReportUploadOutcome(ports, outcome); };
  if (context.WatchStatus) context.WatchStatus();
  TMyThread::Launch(std::move(job));
}
